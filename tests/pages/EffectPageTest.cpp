// The effect page against the working image: its selectors, its two panels over echo A,
// echo B and the reverb, and the drags of its curve display.
#include "PageUser.h"

#include "controls/FontStatic.h"
#include "eq/KTVEQ.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/EqStripBank.h"
#include "pages/Rev_Dlg.h"

#include <QDir>

#include <cstring>

namespace zolt {
namespace {

class EffectPage : public test::CPageUser<CEffect_Dlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true);
        ResetEffectUnit();
        ShowPage();
        m_pPage->Refresh(); // as the main window does when it shows a page
        Within(&m_pPage->EchoPanel());
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
        ResetEffectUnit();
    }
    // Clicks a selector of the container; the controls found afterwards are the shown panel's.
    void Select(int nSelector) {
        Within(nullptr);
        Click(nSelector);
        Within(CurrentEffectUnit() == effectunit::kReverb
                   ? static_cast<QWidget*>(&m_pPage->ReverbPanel())
                   : static_cast<QWidget*>(&m_pPage->EchoPanel()));
    }
    CEqStripBank& Strips() const {
        return CurrentEffectUnit() == effectunit::kReverb ? m_pPage->ReverbPanel().Strips()
                                                          : m_pPage->EchoPanel().Strips();
    }
    int SliderPos(int nSlider) const { return Item<CBitmapSlider>(nSlider)->Pos(); }
    int Checked(int nButton) const { return Item<CBitButton>(nButton)->Checked(); }
    void ExpectSelectors(int nEchoA, int nEchoB, int nReverb) {
        EXPECT_EQ(DlgItem<CBitButton>(m_pPage.get(), effectid::kEchoA)->Checked(), nEchoA);
        EXPECT_EQ(DlgItem<CBitButton>(m_pPage.get(), effectid::kEchoB)->Checked(), nEchoB);
        EXPECT_EQ(DlgItem<CBitButton>(m_pPage.get(), effectid::kReverb)->Checked(), nReverb);
    }
};

std::uint8_t* EchoA() {
    return Image() + image::kEchoA;
}
std::uint8_t* EchoB() {
    return Image() + image::kEchoB;
}
std::uint8_t* Reverb() {
    return Image() + image::kReverb;
}

// --- the container ------------------------------------------------------------------------

TEST_F(EffectPage, SelectingTheShownUnitChangesNothingAndDoesNotReload) {
    ExpectSelectors(1, 0, 0);
    EXPECT_TRUE(m_pPage->EchoPanel().isVisible());
    EXPECT_FALSE(m_pPage->ReverbPanel().isVisible());
    Keys(Strips().Strip(1).TypeList(), Qt::Key_Down);
    ASSERT_EQ(Strips().Strip(1).Caption()->TextColor(), kRed);
    EchoA()[effect::kWet] = 80; // behind the page's back
    SetU16(EchoA() + effect::kPreDelay, 1000);

    Select(effectid::kEchoA);
    EXPECT_EQ(LabelText(echoid::kWetLabel), "0%");
    EXPECT_EQ(SliderPos(echoid::kPreDelaySlider), 0);
    EXPECT_EQ(Strips().Strip(1).Caption()->TextColor(), kRed);
    ExpectSelectors(1, 0, 0);

    Select(effectid::kEchoB);
    Select(effectid::kEchoA);
    EXPECT_EQ(LabelText(echoid::kWetLabel), "80%");
    EXPECT_EQ(LabelText(echoid::kPreDelayLabel), "100ms");
}

TEST_F(EffectPage, SwitchingToEchoBReloadsEveryControlFromEchoB) {
    using namespace echoid;
    for (std::size_t i = 0; i < effect::kBandCount; ++i) {
        std::uint8_t* pBand = EchoB() + effect::kBands + band::kSize * i;
        SetU16(pBand + band::kFreq, static_cast<std::uint16_t>(10 + 40 * i));
        pBand[band::kGain] = static_cast<std::uint8_t>(100 + 10 * i);
        pBand[band::kQ] = static_cast<std::uint8_t>(20 + i);
        pBand[band::kType] = static_cast<std::uint8_t>(i % 4);
    }
    EchoB()[effect::kBypass] = 1;
    EchoB()[effect::kWet] = 33;
    EchoB()[effect::kWetPolarity] = 1;
    EchoB()[effect::kDry] = 44;
    SetU16(EchoB() + effect::kHighPass + xover::kFreq, 100);
    EchoB()[effect::kHighPass + xover::kSlope] = 3;
    SetU16(EchoB() + effect::kLowPass + xover::kFreq, 300);
    EchoB()[effect::kLowPass + xover::kSlope] = 5;
    SetU16(EchoB() + effect::kPreDelay, 1234);
    SetU16(EchoB() + effect::kRightPreDelay, 20);
    SetU16(EchoB() + effect::kDelay, 2013);
    SetU16(EchoB() + effect::kRightDelay, 75);
    EchoB()[effect::kRepeat] = 60;
    RebindAllCurveSets();
    Keys(Strips().Strip(3).TypeList(), Qt::Key_Down); // a highlighted strip on echo A

    Select(effectid::kEchoB);
    EXPECT_EQ(CurrentEffectUnit(), effectunit::kEchoB);
    ExpectSelectors(0, 1, 0);
    EXPECT_EQ(m_pPage->Display().Block(), effectunit::kEchoB);
    ASSERT_EQ(Strips().StripCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const CEQDlg& strip = Strips().Strip(i);
        EXPECT_EQ(strip.Filter(), CurveSetOfBlock(effectunit::kEchoB)->Filter(i));
        EXPECT_EQ(strip.TypeList()->currentIndex(), i % 4);
        EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), 100 + 10 * i);
        EXPECT_EQ(strip.FreqField()->Value(), 10 + 40 * i);
        EXPECT_EQ(strip.QField()->Value(), 20 + i);
        EXPECT_EQ(strip.Caption()->TextColor(), kWhite) << "the highlight is forgotten";
    }
    EXPECT_EQ(Strips().Strip(6).GainField()->text(), "8.0");
    EXPECT_EQ(Checked(kEqPass), 1);
    EXPECT_EQ(LabelText(kWetLabel), "33%");
    EXPECT_EQ(SliderPos(kWetSlider), 33);
    EXPECT_EQ(Checked(kWetPolarity), 1);
    EXPECT_EQ(LabelText(kDryLabel), "44%");
    EXPECT_EQ(Checked(kDryPolarity), 0);
    EXPECT_EQ(Item<CNumEdit>(kHpfField)->Value(), 100);
    EXPECT_EQ(SliderPos(kHpfSlider), 100);
    EXPECT_EQ(Item<CBitComboBox>(kHpfSlope)->currentIndex(), 3);
    EXPECT_EQ(Item<CNumEdit>(kLpfField)->Value(), 300);
    EXPECT_EQ(SliderPos(kLpfSlider), 300);
    EXPECT_EQ(Item<CBitComboBox>(kLpfSlope)->currentIndex(), 5);
    EXPECT_EQ(LabelText(kPreDelayLabel), "123ms");
    EXPECT_EQ(LabelText(kRightPreDelayLabel), "20%");
    EXPECT_EQ(LabelText(kDelayLabel), "200ms");
    EXPECT_EQ(SliderPos(kDelaySlider), 100);
    EXPECT_EQ(LabelText(kRightDelayLabel), "25%");
    EXPECT_EQ(LabelText(kRepeatLabel), "60%");

    // Edits now write echo B, strips included; echo A keeps what it had.
    std::uint8_t abEchoA[effect::kEchoSize];
    std::memcpy(abEchoA, EchoA(), sizeof abEchoA);
    StepTo(kRepeatSlider, 5);
    Keys(Strips().Strip(0).TypeList(), Qt::Key_Down);
    Click(kDryPolarity);
    EXPECT_EQ(EchoB()[effect::kRepeat], 5);
    EXPECT_EQ(EchoB()[effect::kBands + band::kType], 1);
    EXPECT_EQ(EchoB()[effect::kDryPolarity], 1);
    EXPECT_EQ(std::memcmp(abEchoA, EchoA(), sizeof abEchoA), 0);
}

TEST_F(EffectPage, DisplayDragsGoToThePanelOfTheirUnit) {
    // A crossover point dragged shows its frequency in the field; the slider stays. (Its
    // point lies between two bands' points, which would be picked first.)
    const int nHighPass = IndexOfFreq(1500);
    Type(echoid::kHpfField, "1500");
    ASSERT_EQ(SliderPos(echoid::kHpfSlider), nHighPass);
    DragPoint(kEffectHighPassItem, QPoint(120, 0));
    const int nIndex = GetU16(EchoA() + effect::kHighPass + xover::kFreq);
    EXPECT_GT(nIndex, nHighPass);
    EXPECT_EQ(Item<CNumEdit>(echoid::kHpfField)->Value(), nIndex);
    EXPECT_EQ(SliderPos(echoid::kHpfSlider), nHighPass);

    Select(effectid::kReverb);
    EXPECT_EQ(m_pPage->Display().Block(), effectunit::kReverb);
    const int nLowPass = IndexOfFreq(4000);
    Type(revid::kLpfField, "4000");
    ASSERT_EQ(SliderPos(revid::kLpfSlider), nLowPass);
    DragPoint(kEffectLowPassItem, QPoint(-100, 0));
    const int nDragged = GetU16(Reverb() + effect::kLowPass + xover::kFreq);
    EXPECT_LT(nDragged, nLowPass);
    EXPECT_EQ(Item<CNumEdit>(revid::kLpfField)->Value(), nDragged);
    EXPECT_EQ(SliderPos(revid::kLpfSlider), nLowPass);
    Within(&m_pPage->EchoPanel());
    EXPECT_EQ(Item<CNumEdit>(echoid::kLpfField)->Value(), 361) << "the echo panel's stays";

    // A band point: its strip reloads and is highlighted.
    DragPoint(2, QPoint(0, -60));
    const int nGain = Reverb()[effect::kBands + 2 * band::kSize + band::kGain];
    EXPECT_GT(nGain, kGainRawZero);
    EXPECT_EQ(Strips().Strip(2).GainSlider()->PosFromFarEnd(), nGain);
    EXPECT_EQ(Strips().Strip(2).Caption()->TextColor(), kRed);
}

TEST_F(EffectPage, EqResetPutsBackOnlyTheShownUnitsBandsAndForgetsTheHighlight) {
    Select(effectid::kEchoB);
    for (std::uint8_t* pBlock : {EchoA(), EchoB()}) {
        for (std::size_t i = 0; i < effect::kBandCount; ++i) {
            pBlock[band::kSize * i + band::kGain] = 150;
        }
    }
    EchoB()[effect::kWet] = 70;
    SetU16(EchoB() + effect::kHighPass + xover::kFreq, 99);
    SetU16(EchoB() + effect::kDelay, 3000);
    RebindAllCurveSets();
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);
    Keys(Strips().Strip(4).TypeList(), Qt::Key_Down);
    ASSERT_EQ(Strips().Strip(4).Caption()->TextColor(), kRed);

    Click(echoid::kEqReset);
    for (std::size_t i = 0; i < effect::kBandCount; ++i) {
        const std::uint8_t* pBand = EchoB() + band::kSize * i;
        EXPECT_EQ(pBand[band::kGain], kGainRawZero);
        EXPECT_EQ(pBand[band::kType], 1);
    }
    EXPECT_EQ(GetU16(EchoB() + 4 * band::kSize), IndexOfFreq(926));
    EXPECT_EQ(std::memcmp(abBefore, Image(), image::kEchoB), 0) << "echo A keeps its bands";
    EXPECT_EQ(std::memcmp(abBefore + image::kEchoB + effect::kBypass, EchoB() + effect::kBypass,
                          effect::kEchoSize - effect::kBypass),
              0)
        << "crossovers, levels and times stay";
    EXPECT_EQ(Strips().Strip(3).GainField()->text(), "0.0");
    EXPECT_EQ(m_pPage->Display().Block(), effectunit::kEchoB);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), -1);

    // The highlight is forgotten: the next edit in that strip highlights it again.
    EXPECT_EQ(Strips().SelectedStrip(), -1);
    EXPECT_EQ(Strips().Strip(4).Caption()->TextColor(), kWhite);
    Keys(Strips().Strip(4).TypeList(), Qt::Key_Down);
    EXPECT_EQ(Strips().Strip(4).Caption()->TextColor(), kRed);
}

// --- the echo panel ---------------------------------------------------------------------

TEST_F(EffectPage, EchoTimesShowTruncatedAndKeepTheirStoreUntilTheirSliderMoves) {
    using namespace echoid;
    SetU16(EchoA() + effect::kPreDelay, 1234);
    SetU16(EchoA() + effect::kDelay, 2013);
    m_pPage->Refresh();
    EXPECT_EQ(LabelText(kPreDelayLabel), "123ms");
    EXPECT_EQ(SliderPos(kPreDelaySlider), 123);
    EXPECT_EQ(LabelText(kDelayLabel), "200ms");
    EXPECT_EQ(SliderPos(kDelaySlider), 100);
    StepTo(kWetSlider, 10);
    m_pPage->Refresh();
    EXPECT_EQ(GetU16(EchoA() + effect::kPreDelay), 1234);
    EXPECT_EQ(GetU16(EchoA() + effect::kDelay), 2013);

    Keys(kPreDelaySlider, Qt::Key_Up);
    Keys(kDelaySlider, Qt::Key_Down);
    EXPECT_EQ(GetU16(EchoA() + effect::kPreDelay), 1240);
    EXPECT_EQ(LabelText(kPreDelayLabel), "124ms");
    EXPECT_EQ(GetU16(EchoA() + effect::kDelay), 1980);
    EXPECT_EQ(LabelText(kDelayLabel), "198ms");
    Keys(kPreDelaySlider, Qt::Key_End);
    Keys(kDelaySlider, Qt::Key_End);
    EXPECT_EQ(GetU16(EchoA() + effect::kPreDelay), 1500);
    EXPECT_EQ(LabelText(kPreDelayLabel), "150ms");
    EXPECT_EQ(GetU16(EchoA() + effect::kDelay), 5000);
    EXPECT_EQ(LabelText(kDelayLabel), "500ms");
}

TEST_F(EffectPage, EchoRightChannelSharesAndRepeatShowTheirRanges) {
    using namespace echoid;
    SetU16(EchoA() + effect::kRightDelay, 30);
    m_pPage->Refresh();
    EXPECT_EQ(LabelText(kRightDelayLabel), "-20%");
    Keys(kRightDelaySlider, Qt::Key_Home);
    EXPECT_EQ(LabelText(kRightDelayLabel), "-50%");
    EXPECT_EQ(GetU16(EchoA() + effect::kRightDelay), 0);
    Keys(kRightDelaySlider, Qt::Key_End);
    EXPECT_EQ(LabelText(kRightDelayLabel), "50%");
    EXPECT_EQ(GetU16(EchoA() + effect::kRightDelay), 100);
    Keys(kRightPreDelaySlider, Qt::Key_End);
    EXPECT_EQ(LabelText(kRightPreDelayLabel), "50%");
    EXPECT_EQ(GetU16(EchoA() + effect::kRightPreDelay), 50);
    Keys(kRepeatSlider, Qt::Key_End);
    EXPECT_EQ(LabelText(kRepeatLabel), "90%");
    EXPECT_EQ(EchoA()[effect::kRepeat], 90);
}

TEST_F(EffectPage, AnyNonZeroFlagShowsCheckedAndAClickClearsIt) {
    using namespace echoid;
    EchoA()[effect::kBypass] = 9;
    EchoA()[effect::kWetPolarity] = 7;
    EchoA()[effect::kDryPolarity] = 255;
    m_pPage->Refresh();
    for (const auto& [nButton, nOffset] :
         {std::pair{kEqPass, effect::kBypass}, std::pair{kWetPolarity, effect::kWetPolarity},
          std::pair{kDryPolarity, effect::kDryPolarity}}) {
        EXPECT_EQ(Checked(nButton), 1) << nButton;
        Click(nButton);
        EXPECT_EQ(EchoA()[nOffset], 0) << nButton;
        EXPECT_EQ(Checked(nButton), 0) << nButton;
        Click(nButton);
        EXPECT_EQ(EchoA()[nOffset], 1) << nButton;
    }
    EXPECT_EQ(Item<CBitButton>(kWetPolarity)->CurrentPicture(), kSkinPolarityMinus);
    Click(kWetPolarity);
    EXPECT_EQ(Item<CBitButton>(kWetPolarity)->CurrentPicture(), kSkinPolarityPlus);
}

// --- the reverb panel ------------------------------------------------------------------

TEST_F(EffectPage, ReverbTimesShowTruncatedAndStoreTheirScale) {
    using namespace revid;
    SetU16(Reverb() + effect::kReverbTime, 49999);
    SetU16(Reverb() + effect::kPreDelay, 30);
    Select(effectid::kReverb);
    ExpectSelectors(0, 0, 1);
    EXPECT_FALSE(m_pPage->EchoPanel().isVisible());
    EXPECT_TRUE(m_pPage->ReverbPanel().isVisible());
    EXPECT_EQ(SliderPos(kTimeSlider), 99);
    EXPECT_EQ(LabelText(kTimeLabel), "4950ms");
    EXPECT_EQ(SliderPos(kPreDelaySlider), 1);
    EXPECT_EQ(LabelText(kPreDelayLabel), "2ms");

    StepTo(kDrySlider, 100);
    EXPECT_EQ(LabelText(kDryLabel), "100%");
    m_pPage->Refresh();
    EXPECT_EQ(GetU16(Reverb() + effect::kPreDelay), 30);
    EXPECT_EQ(GetU16(Reverb() + effect::kReverbTime), 49999);
    Keys(kPreDelaySlider, Qt::Key_Up);
    EXPECT_EQ(GetU16(Reverb() + effect::kPreDelay), 40);
    Keys(kPreDelaySlider, Qt::Key_Down);
    EXPECT_EQ(GetU16(Reverb() + effect::kPreDelay), 20);
    EXPECT_EQ(LabelText(kPreDelayLabel), "2ms");
    Keys(kTimeSlider, Qt::Key_End);
    EXPECT_EQ(GetU16(Reverb() + effect::kReverbTime), 50000);
    EXPECT_EQ(LabelText(kTimeLabel), "5000ms");
}

TEST_F(EffectPage, EachReverbPolarityButtonShowsItsOwnFlag) {
    using namespace revid;
    Reverb()[effect::kWetPolarity] = 1;
    Select(effectid::kReverb);
    EXPECT_EQ(Checked(kWetPolarity), 1);
    EXPECT_EQ(Checked(kDryPolarity), 0);
    Reverb()[effect::kWetPolarity] = 0;
    Reverb()[effect::kDryPolarity] = 1;
    m_pPage->Refresh();
    EXPECT_EQ(Checked(kWetPolarity), 0);
    EXPECT_EQ(Checked(kDryPolarity), 1);
    Click(kWetPolarity);
    EXPECT_EQ(Reverb()[effect::kWetPolarity], 1);
    EXPECT_EQ(Reverb()[effect::kDryPolarity], 1);
    EXPECT_EQ(EchoA()[effect::kWetPolarity], 0);
}

// --- layout and captions ------------------------------------------------------------------

// The controls of w (strips, sliders, fields, combo boxes, buttons, captions, value labels,
// panels, the display) lie inside it and clear of each other; returns how many there are.
std::size_t ExpectControlsInsideAndApart(const QWidget& w) {
    const auto isControl = [](const QWidget* pChild) {
        return qobject_cast<const CBitmapSlider*>(pChild) ||
               qobject_cast<const CNumEdit*>(pChild) || qobject_cast<const CBitComboBox*>(pChild) ||
               qobject_cast<const CBitButton*>(pChild) ||
               qobject_cast<const CTransparentStatic*>(pChild) ||
               qobject_cast<const CDialogWindow*>(pChild) || qobject_cast<const CFStatic*>(pChild);
    };
    // The two panels share their place; only one is ever shown.
    const auto arePanels = [](const QWidget* pA, const QWidget* pB) {
        return qobject_cast<const CEffectPanel*>(pA) != nullptr &&
               qobject_cast<const CEffectPanel*>(pB) != nullptr;
    };
    return test::ExpectControlsInsideAndApart(w, isControl, arePanels);
}

TEST_F(EffectPage, ControlsStayInsideThePageAndClearOfEachOther) {
    // selectors, display, panels
    EXPECT_EQ(ExpectControlsInsideAndApart(*m_pPage), 3u + 1u + 2u);
    EXPECT_EQ(m_pPage->EchoPanel().pos(), QPoint(100, 0));
    EXPECT_EQ(m_pPage->ReverbPanel().pos(), QPoint(100, 0));
    EXPECT_LE(m_pPage->EchoPanel().geometry().bottom(), m_pPage->Display().geometry().top());
    // strips, sliders, fields, combo boxes, buttons, captions, value labels
    EXPECT_EQ(ExpectControlsInsideAndApart(m_pPage->EchoPanel()),
              7u + 9u + 2u + 2u + 4u + 13u + 7u);
    EXPECT_EQ(ExpectControlsInsideAndApart(m_pPage->ReverbPanel()),
              7u + 6u + 2u + 2u + 4u + 10u + 4u);
}

// Every unit in both languages: each caption's text fits its own place (a longer one would
// wrap or run under its value), and the page is saved as a picture to look at.
TEST_F(EffectPage, EveryUnitRendersWithItsCaptionsWhole) {
    QDir().mkpath(QStringLiteral(ZOLT_TEST_OUTPUT_DIR));
    for (const auto& [nSelector, pszName] :
         {std::pair{effectid::kEchoB, "echo-b"}, std::pair{effectid::kReverb, "reverb"},
          std::pair{effectid::kEchoA, "echo-a"}}) {
        Select(nSelector);
        for (const int nLanguage : {1, 0}) {
            g_flags.m_nLanguage = nLanguage;
            m_pPage->ApplyLanguage();
            for (const QWidget* pWindow : {static_cast<const QWidget*>(m_pPage.get()),
                                           static_cast<const QWidget*>(&m_pPage->EchoPanel()),
                                           static_cast<const QWidget*>(&m_pPage->ReverbPanel())}) {
                for (const auto* pCaption :
                     pWindow->findChildren<CTransparentStatic*>(Qt::FindDirectChildrenOnly)) {
                    EXPECT_LE(pCaption->fontMetrics().horizontalAdvance(pCaption->Text()),
                              pCaption->width())
                        << ControlId(pCaption) << " \"" << pCaption->Text().toStdString()
                        << "\" is cut";
                }
            }
            const QImage image = m_pPage->grab().toImage();
            ASSERT_TRUE(
                image.save(QStringLiteral(ZOLT_TEST_OUTPUT_DIR "/effect-%1-%2.png")
                               .arg(QString::fromLatin1(pszName),
                                    nLanguage ? QStringLiteral("zh") : QStringLiteral("en"))));
        }
    }
}

TEST_F(EffectPage, CaptionsFollowTheLanguage) {
    const auto caption = [](const QWidget& w, int nId) {
        QWidget* pControl = DlgItem(&w, nId);
        if (auto* pButton = qobject_cast<CBitButton*>(pControl)) {
            return pButton->text();
        }
        return qobject_cast<CTransparentStatic*>(pControl)->Text();
    };
    const CEcho_Dlg& echo = m_pPage->EchoPanel();
    const CRev_Dlg& reverb = m_pPage->ReverbPanel();
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(caption(*m_pPage, effectid::kEchoB), "回声B");
    EXPECT_EQ(caption(echo, echoid::kRepeatCaption), "回声重复比例");
    EXPECT_EQ(caption(echo, echoid::kEqReset), "EQ重置");
    EXPECT_EQ(caption(echo, echoid::kEqPass), "EQ pass");
    EXPECT_EQ(caption(reverb, revid::kHpfCaption), "高通");
    EXPECT_EQ(caption(reverb, revid::kQCaption), "Q值");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(caption(*m_pPage, effectid::kReverb), "Reverb");
    EXPECT_EQ(caption(echo, echoid::kRightDelayCaption), "Echo Right Delay");
    EXPECT_EQ(caption(reverb, revid::kTimeCaption), "Reverb Time");
    EXPECT_EQ(caption(reverb, revid::kEqReset), "EQ Reset");
    EXPECT_EQ(caption(reverb, revid::kEqPass), "EQ pass");
}

} // namespace
} // namespace zolt
