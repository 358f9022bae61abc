// The Music page driven as a user drives it: buttons clicked, sliders stepped with keys,
// fields typed into, points dragged on the curve display; checked against the working
// image, the shadow and what the synchronisation would send.
#include "pages/MusicDlg.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/TransparentStatic.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "link/Sync.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/MusicData.h"

#include <QApplication>
#include <QDialog>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace zolt {
namespace {

using namespace musicid;

class CNoPageApi : public CPageApi {
public:
    void SendCommand(int, int) override {}
    void ClampVolumes() override {}
    void ShowConnection() override {}
    void ShowCurrentPage() override {}
    std::array<std::uint8_t, 12> MeterValues(int) const override { return {}; }
    void ExportMode() override {}
    void ImportMode() override {}
    void ExportAllModes() override {}
    void ImportAllModes() override {}
};

// The frame the next synchronisation pass builds: command, parameter, payload.
struct SSent {
    int m_nCommand;
    int m_nParameter;
    std::vector<std::uint8_t> m_abPayload;
};

SSent NextSyncFrame() {
    static std::uint8_t bAlternation = 0;
    SFrameRecord frame{};
    CImageGuard guard(ImageLock());
    SyncPass(frame, bAlternation);
    const std::uint8_t* p = frame.m_abFrame;
    const std::size_t nPayload = FrameLength(frame) - 3u; // less command, parameter, sum
    return {p[kCommandOffset], p[kParameterOffset],
            std::vector<std::uint8_t>(p + kPayloadOffset, p + kPayloadOffset + nPayload)};
}

bool IsPoll(const SSent& sent) {
    return sent.m_nCommand == 12 || sent.m_nCommand == 24;
}

class MusicPage : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true); // the processor holds what the program shows
        ResetMusicView();
        m_pPage = std::make_unique<CMusicDlg>(m_api, nullptr);
        m_pPage->show();
        m_pPage->activateWindow();
        QApplication::processEvents();
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
    }

    template <class T> T* Item(int nId) const { return DlgItem<T>(m_pPage.get(), nId); }

    void Click(int nButton) {
        QTest::mouseClick(Item<CBitButton>(nButton), Qt::LeftButton);
        QApplication::processEvents();
    }
    // Keys on a focused control; the posted slider notices are delivered afterwards.
    void Keys(QWidget* pWidget, Qt::Key key, int nTimes = 1) {
        pWidget->setFocus();
        for (int i = 0; i < nTimes; ++i) {
            QTest::keyClick(pWidget, key);
        }
        QApplication::processEvents();
    }
    // Moves a horizontal page slider to nPos with Home and Up.
    void SlideTo(int nSlider, int nPos) {
        auto* pSlider = Item<CBitmapSlider>(nSlider);
        Keys(pSlider, Qt::Key_Home);
        Keys(pSlider, Qt::Key_Up, nPos);
        ASSERT_EQ(pSlider->Pos(), nPos);
    }
    void Type(int nField, const char* pszText) {
        auto* pField = Item<CNumEdit>(nField);
        pField->setFocus();
        pField->selectAll();
        QTest::keyClicks(pField, QString::fromLatin1(pszText));
        QTest::keyClick(pField, Qt::Key_Return);
        QApplication::processEvents();
    }
    void Choose(int nCombo, int nIndex) {
        auto* pCombo = Item<CBitComboBox>(nCombo);
        pCombo->setFocus();
        QTest::keyClick(pCombo, Qt::Key_Home);
        for (int i = 0; i < nIndex; ++i) {
            QTest::keyClick(pCombo, Qt::Key_Down);
        }
        QApplication::processEvents();
        ASSERT_EQ(pCombo->currentIndex(), nIndex);
    }
    QString LabelText(int nLabel) const { return Item<CEdit_Static>(nLabel)->Text(); }
    // Drags the point of filter nItem on the curve display by delta pixels.
    void DragPoint(int nItem, QPoint delta) {
        CFStatic& display = m_pPage->Display();
        const QPoint start = display.MarkerRect(nItem).center();
        QTest::mouseMove(&display, QPoint(1, 1));
        QTest::mouseMove(&display, start);
        QTest::mousePress(&display, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(&display, start + delta);
        QTest::mouseRelease(&display, Qt::LeftButton, Qt::NoModifier, start + delta);
        QApplication::processEvents();
    }
    // Drains the synchronisation until it has nothing but polls to send.
    static void SyncAll() {
        for (int i = 0; i < 2000 && !IsPoll(NextSyncFrame()); ++i) {
        }
    }

    CNoPageApi m_api;
    std::unique_ptr<CMusicDlg> m_pPage;
};

TEST_F(MusicPage, LimiterAndGateEditMusicLeftWhicheverChannelIsShown) {
    Click(kRight);
    ASSERT_EQ(MusicView().m_nChannel, 1);
    const std::uint8_t bRightLevel = Image()[image::kMusicRight];

    SlideTo(kLimitLevelSlider, 30);
    EXPECT_EQ(Image()[553], 30);
    EXPECT_EQ(Image()[image::kMusicRight], bRightLevel);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "8dBV");

    SlideTo(kLimitRatioSlider, 40);
    EXPECT_EQ(Image()[556], 40);
    EXPECT_EQ(LabelText(kLimitRatioLabel), "100");
    SlideTo(kGateAttackSlider, 19);
    EXPECT_EQ(Image()[558], 19);
    EXPECT_EQ(LabelText(kGateAttackLabel), "400ms");
    SlideTo(kGateReleaseSlider, 7);
    EXPECT_EQ(Image()[559], 7);
    EXPECT_EQ(LabelText(kGateReleaseLabel), "Atk X32");
    EXPECT_EQ(std::memcmp(Image() + 717, Shadow() + 717, 7), 0) << "Music Right's copies stay";

    // The limiter goes out as the Music limiter item, the gate as the Music gate item.
    const SSent limiter = NextSyncFrame();
    EXPECT_EQ(limiter.m_nCommand, 7);
    EXPECT_EQ(limiter.m_nParameter, 7);
    EXPECT_EQ(limiter.m_abPayload, (std::vector<std::uint8_t>{30, 0, 0, 40}));
    const SSent noiseGate = NextSyncFrame();
    EXPECT_EQ(noiseGate.m_nCommand, 10);
    EXPECT_EQ(noiseGate.m_nParameter, 2);
    EXPECT_EQ(noiseGate.m_abPayload, (std::vector<std::uint8_t>{0, 19, 7, 0}));
    EXPECT_TRUE(IsPoll(NextSyncFrame()));
}

TEST_F(MusicPage, GateThresholdLabelShowsOffAtZero) {
    SlideTo(kGateThresholdSlider, 0);
    EXPECT_EQ(LabelText(kGateThresholdLabel), "OFF");
    EXPECT_EQ(Image()[557], 0);
    SlideTo(kGateThresholdSlider, 1);
    EXPECT_EQ(LabelText(kGateThresholdLabel), "-77dBV");
    EXPECT_EQ(Image()[557], 1);
    Keys(Item<CBitmapSlider>(kGateThresholdSlider), Qt::Key_End);
    EXPECT_EQ(LabelText(kGateThresholdLabel), "-18dBV");
    EXPECT_EQ(Image()[557], 60);
}

TEST_F(MusicPage, KeySliderKeepsTheSystemPagesLowNibble) {
    System()[9] = 0x3C;
    m_pPage->Refresh();
    EXPECT_EQ(Item<CBitmapSlider>(kKeySlider)->Pos(), 3);
    EXPECT_EQ(LabelText(kKeyLabel), "-4");

    SlideTo(kKeySlider, 10);
    EXPECT_EQ(System()[9], 0xAC);
    EXPECT_EQ(LabelText(kKeyLabel), "3");
    Keys(Item<CBitmapSlider>(kKeySlider), Qt::Key_End);
    EXPECT_EQ(System()[9], 0xEC);
    EXPECT_EQ(LabelText(kKeyLabel), "7");

    CommitShadow(true);
    SlideTo(kKeySlider, 0);
    EXPECT_EQ(System()[9], 0x0C);
    const SSent key = NextSyncFrame();
    EXPECT_EQ(key.m_nCommand, 9);
    EXPECT_EQ(key.m_nParameter, 0);
}

TEST_F(MusicPage, LinkingWhileMusicRightIsShownMovesToMusicLeft) {
    Click(kRight);
    ASSERT_EQ(m_pPage->Strips().Block(), 1);
    ASSERT_EQ(m_pPage->Display().Block(), 1);

    Click(kSync);
    EXPECT_EQ(Image()[image::kMusicLink], 1);
    EXPECT_EQ(MusicView().m_nChannel, 0);
    EXPECT_EQ(m_pPage->Strips().Block(), 0);
    EXPECT_EQ(m_pPage->Display().Block(), 0);
    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 1);
    for (int nButton : {kLeft, kRight}) {
        EXPECT_EQ(Item<CBitButton>(nButton)->Checked(), 0);
        EXPECT_FALSE(Item<CBitButton>(nButton)->isEnabled());
    }
    // Every control now edits Music Left.
    Type(kLowFreqField, "1000");
    EXPECT_EQ(GetU16(Image() + 704), 204);
}

TEST_F(MusicPage, UnlinkingCopiesMusicLeftWithoutTrafficForTheCopy) {
    Type(kMainHpfField, "100");
    SlideTo(kLimitLevelSlider, 12);
    Choose(kHighTimbre, 9);
    Click(kEqBypass);
    {
        CImageGuard guard(ImageLock());
        Image()[568 + band::kGain] = 150; // Music Left band 1
        Image()[730] = 77;                // a reserved-looking byte of Music Right, overwritten
        CommitShadow(true);
    }
    ASSERT_NE(std::memcmp(Image() + 553, Image() + 717, music::kSize), 0);

    Click(kSync);
    const SSent linked = NextSyncFrame();
    EXPECT_EQ(linked.m_nCommand, 135);
    EXPECT_EQ(linked.m_nParameter, 1);
    EXPECT_EQ(linked.m_abPayload, std::vector<std::uint8_t>{1});
    EXPECT_TRUE(IsPoll(NextSyncFrame()));

    Click(kSync);
    EXPECT_EQ(Image()[image::kMusicLink], 0);
    EXPECT_EQ(std::memcmp(Image() + 553, Image() + 717, music::kSize), 0);
    EXPECT_EQ(std::memcmp(Shadow() + 553, Shadow() + 717, music::kSize), 0);
    EXPECT_EQ(std::memcmp(Image() + 717, Shadow() + 717, music::kSize), 0);
    const SSent unlinked = NextSyncFrame();
    EXPECT_EQ(unlinked.m_nCommand, 135);
    EXPECT_EQ(unlinked.m_abPayload, std::vector<std::uint8_t>{0});
    EXPECT_TRUE(IsPoll(NextSyncFrame())) << "the copied bytes send nothing";

    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 0);
    EXPECT_EQ(Item<CBitButton>(kLeft)->Checked(), 1);
    EXPECT_EQ(Item<CBitButton>(kRight)->Checked(), 0);
    EXPECT_TRUE(Item<CBitButton>(kLeft)->isEnabled());
    EXPECT_TRUE(Item<CBitButton>(kRight)->isEnabled());
    // Music Right's curves follow its new bytes.
    EXPECT_EQ(CurveSetOfBlock(1)->Filter(0)->GainByte(), 150);
}

TEST_F(MusicPage, EqResetResetsOnlyTheShownChannelEvenWhileLinked) {
    {
        CImageGuard guard(ImageLock());
        for (std::size_t i = 0; i < music::kBandCount; ++i) {
            Image()[568 + 5 * i + band::kGain] = 100;
            Image()[732 + 5 * i + band::kGain] = 101;
        }
        RebindAllCurveSets();
    }
    Click(kSync);
    std::uint8_t abRight[75];
    std::memcpy(abRight, Image() + 732, sizeof abRight);

    Click(kEqReset);
    EXPECT_EQ(std::memcmp(Image() + 732, abRight, sizeof abRight), 0);
    for (std::size_t i = 0; i < music::kBandCount; ++i) {
        EXPECT_EQ(Image()[568 + 5 * i + band::kGain], kGainRawZero);
        EXPECT_EQ(Image()[568 + 5 * i + band::kType], 1);
    }
    EXPECT_EQ(m_pPage->Strips().Strip(0).GainField()->text(), "0.0");
    EXPECT_EQ(m_pPage->Strips().Strip(0).TypeList()->currentText(), "P");
}

TEST_F(MusicPage, DraggingTheHighPassPointMovesItsSliderAndField) {
    Type(kHpfField, "354"); // index 150
    ASSERT_EQ(GetU16(Image() + 561), 150);
    ASSERT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), 150);

    DragPoint(kHighPassItem, QPoint(120, 0));
    const int nIndex = GetU16(Image() + 561);
    EXPECT_GT(nIndex, 150);
    EXPECT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), nIndex);
    EXPECT_EQ(Item<CNumEdit>(kHpfField)->text(),
              QString::fromStdString(FreqTextByValue(FreqOfIndex(nIndex))) + "Hz");

    Click(kRight);
    Type(kLpfField, "2420"); // index 250, clear of the band points
    DragPoint(kLowPassItem, QPoint(-60, 0));
    const int nLowPass = GetU16(Image() + 729);
    EXPECT_LT(nLowPass, 250);
    EXPECT_EQ(Item<CBitmapSlider>(kLpfSlider)->Pos(), nLowPass);
    EXPECT_EQ(GetU16(Image() + 565), kFreqCount - 1) << "Music Left's low-pass stays open";
}

TEST_F(MusicPage, DraggingABandOutOfViewScrollsTheStrips) {
    DragPoint(11, QPoint(0, -40));
    EXPECT_EQ(m_pPage->Strips().FirstVisible(), 2);
    EXPECT_EQ(DlgItem<QSlider>(m_pPage.get(), kBandScroll)->value(), 2);
    CEQDlg& strip = m_pPage->Strips().Strip(9);
    EXPECT_EQ(strip.Band(), 11);
    EXPECT_EQ(strip.Caption()->TextColor(), kRed);
    EXPECT_EQ(strip.GainSlider()->PosFromFarEnd(), Image()[568 + 5 * 11 + band::kGain]);
    EXPECT_GT(Image()[568 + 5 * 11 + band::kGain], kGainRawZero);
}

TEST_F(MusicPage, CrossoverAndFrequencyControlsWriteTheEditedBlock) {
    Click(kRight);
    Choose(kHpfSlope, 4);
    EXPECT_EQ(Image()[727], 4);
    EXPECT_EQ(CurveSetOfBlock(1)->HighPass()->Slope(), 4);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kHighPassItem);
    Choose(kLpfSlope, 12);
    EXPECT_EQ(Image()[731], 12);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kLowPassItem);

    Choose(kMainHpfSlope, 9);
    EXPECT_EQ(Image()[837], 9);
    SlideTo(kMainHpfSlider, 204);
    EXPECT_EQ(GetU16(Image() + 835), 204);
    EXPECT_EQ(Item<CNumEdit>(kMainHpfField)->text(), "1000Hz");
    Type(kHighFreqField, "25000");
    EXPECT_EQ(GetU16(Image() + 872), 361);
    EXPECT_EQ(Item<CBitmapSlider>(kHighFreqSlider)->Pos(), 361);
    Choose(kLowHarmonic, 3);
    Choose(kLowTimbre, 4);
    Choose(kHighHarmonic, 5);
    EXPECT_EQ(Image()[870], 3);
    EXPECT_EQ(Image()[871], 4);
    EXPECT_EQ(Image()[874], 5);
    EXPECT_EQ(std::memcmp(Image() + 553, Shadow() + 553, music::kSize), 0)
        << "Music Left is untouched";

    // Music Right's crossovers, main high-pass and exciters, in the synchronisation's order.
    const std::vector<std::vector<int>> aExpected = {
        {4, 1, 0, 0, 0, 4},                          // high-pass 724
        {4, 1, 1, 0x69, 0x01, 12},                   // low-pass 728, index 361
        {4, 16, 0, 204, 0, 9},                       // "MainMusic HPF" 834
        {18, 1, 1, 0x69, 0x01, 5, 0, 0, 0, 0, 0, 0}, // high exciter 872
        {18, 5, 1, 0x69, 0x01, 3, 4, 0, 0, 0, 0, 0}, // low exciter 868
    };
    for (const std::vector<int>& expected : aExpected) {
        const SSent sent = NextSyncFrame();
        std::vector<int> actual{sent.m_nCommand, sent.m_nParameter};
        actual.insert(actual.end(), sent.m_abPayload.begin(), sent.m_abPayload.end());
        EXPECT_EQ(actual, expected);
    }
    EXPECT_TRUE(IsPoll(NextSyncFrame()));
}

TEST_F(MusicPage, BypassFlipsTheEditedBlocksFlag) {
    Click(kEqBypass);
    EXPECT_EQ(Image()[643], 1);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 1);
    Click(kRight);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 0);
    Click(kEqBypass);
    EXPECT_EQ(Image()[807], 1);
    Click(kEqBypass);
    EXPECT_EQ(Image()[807], 0);
    EXPECT_EQ(Image()[643], 1);
}

TEST_F(MusicPage, ReloadShowsTheImageAndWritesNothing) {
    {
        CImageGuard guard(ImageLock());
        Image()[717] = 34;                 // Music Right's limiter: not shown
        Image()[553] = 5;                  // Music Left's limiter level
        SetU16(Image() + 717 + 118, 1000); // out of range from a file: shown at the top
        Image()[717 + 120] = 20;           // no such slope
        Image()[717 + 157] = 7;
        Image()[717 + 90] = 1;
        System()[9] = 0xF3; // key 15 from a device: shown at +7
        CommitShadow(true);
    }
    MusicView().m_nChannel = 1;
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);
    const std::uint8_t bByte9 = System()[9];

    m_pPage->Refresh();
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-17dBV");
    EXPECT_EQ(Item<CBitmapSlider>(kMainHpfSlider)->Pos(), 361);
    EXPECT_EQ(Item<CNumEdit>(kMainHpfField)->text(), "20600Hz");
    EXPECT_EQ(Item<CBitComboBox>(kHighHarmonic)->currentIndex(), 7);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 1);
    EXPECT_EQ(Item<CBitButton>(kRight)->Checked(), 1);
    EXPECT_EQ(LabelText(kKeyLabel), "7");
    EXPECT_EQ(m_pPage->Strips().Block(), 1);
    QApplication::processEvents();
    EXPECT_EQ(std::memcmp(abBefore, Image(), kImageSize), 0);
    EXPECT_EQ(System()[9], bByte9);
    EXPECT_TRUE(IsPoll(NextSyncFrame()));
}

TEST_F(MusicPage, ALinkArrivingWithAReadBackMovesThePageToMusicLeft) {
    Click(kRight);
    Image()[image::kMusicLink] = 1; // as a read-back or a file brings it
    m_pPage->Refresh();
    EXPECT_EQ(MusicView().m_nChannel, 0);
    EXPECT_EQ(m_pPage->Strips().Block(), 0);
    EXPECT_EQ(m_pPage->Display().Block(), 0);
    EXPECT_FALSE(Item<CBitButton>(kRight)->isEnabled());
}

TEST_F(MusicPage, ScrollingReassignsTheStripsAtEveryStep) {
    auto* pBar = DlgItem<QSlider>(m_pPage.get(), kBandScroll);
    EXPECT_EQ(pBar->maximum(), kMusicLastFirstBand);
    Keys(pBar, Qt::Key_End);
    EXPECT_EQ(m_pPage->Strips().FirstVisible(), 5);
    EXPECT_EQ(MusicView().m_strips.m_nFirst, 5);
    EXPECT_EQ(m_pPage->Strips().Strip(0).Caption()->Text(), "6");

    // A step that cannot move still reloads the strips from the image.
    Image()[568 + 5 * 5 + band::kGain] = 170;
    CurveSetOfBlock(0)->Filter(5)->Rebind();
    Keys(pBar, Qt::Key_Right);
    EXPECT_EQ(m_pPage->Strips().Strip(0).GainField()->text(), "10.0");
}

TEST_F(MusicPage, ScrollingAndResetForgetTheHighlightedStrip) {
    CEqStripBank& strips = m_pPage->Strips();
    const auto editType = [&](int nPosition, Qt::Key key) {
        Keys(strips.Strip(nPosition).TypeList(), key);
    };
    editType(2, Qt::Key_Down);
    EXPECT_EQ(strips.SelectedStrip(), 2);
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kRed);

    Keys(DlgItem<QSlider>(m_pPage.get(), kBandScroll), Qt::Key_Right);
    EXPECT_EQ(strips.SelectedStrip(), -1);
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kWhite);
    editType(2, Qt::Key_Down); // the same position, now band 4: red again
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kRed);
    EXPECT_EQ(Image()[568 + 5 * 3 + band::kType], 1);

    Click(kEqReset);
    EXPECT_EQ(strips.SelectedStrip(), -1);
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kWhite);
}

TEST_F(MusicPage, CaptionsFollowTheLanguage) {
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CTransparentStatic>(kKeyCaption)->Text(), "音乐变调");
    EXPECT_EQ(Item<CTransparentStatic>(kLimitAttackCaption)->Text(), "压限启动时间(Atk)");
    EXPECT_EQ(Item<CBitButton>(kEqReset)->text(), "EQ 重置");
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->text(), "EQ Bypass");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CTransparentStatic>(kKeyCaption)->Text(), "Key Control");
    EXPECT_EQ(Item<CTransparentStatic>(kLimitAttackCaption)->Text(), "Attack Time(Atk)");
    EXPECT_EQ(Item<CBitButton>(kSync)->text(), "SYNC");
    EXPECT_EQ(Item<CTransparentStatic>(kQCaption)->Text(), "Q");
}

TEST_F(MusicPage, ControlsStayInsideThePageAndClearOfEachOther) {
    std::vector<QWidget*> apInputs;
    for (QWidget* pChild : m_pPage->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<CBitmapSlider*>(pChild) || qobject_cast<CNumEdit*>(pChild) ||
            qobject_cast<CBitComboBox*>(pChild) || qobject_cast<CBitButton*>(pChild) ||
            qobject_cast<CEQDlg*>(pChild) || qobject_cast<QSlider*>(pChild) ||
            qobject_cast<CFStatic*>(pChild)) {
            apInputs.push_back(pChild);
        }
    }
    // strips, sliders, fields, combo boxes, buttons, the trackbar, the display
    ASSERT_EQ(apInputs.size(), 10u + 13u + 5u + 7u + 5u + 1u + 1u);
    for (std::size_t i = 0; i < apInputs.size(); ++i) {
        EXPECT_TRUE(m_pPage->rect().contains(apInputs[i]->geometry()))
            << ControlId(apInputs[i]) << " leaves the page";
        for (std::size_t j = i + 1; j < apInputs.size(); ++j) {
            EXPECT_FALSE(apInputs[i]->geometry().intersects(apInputs[j]->geometry()))
                << ControlId(apInputs[i]) << " and " << ControlId(apInputs[j]) << " overlap";
        }
    }
}

TEST_F(MusicPage, EnterAndEscapeCommitAFieldAndGoNoFurther) {
    // Hosted in a dialog, as the main window is one: neither key may close it.
    QDialog dialog;
    m_pPage->setParent(&dialog);
    m_pPage->show();
    dialog.show();
    QApplication::processEvents();

    Type(kLowFreqField, "50");
    EXPECT_EQ(GetU16(Image() + 704), IndexOfFreq(50));
    EXPECT_EQ(Item<CBitmapSlider>(kLowFreqSlider)->Pos(), IndexOfFreq(50));
    EXPECT_FALSE(Item<CNumEdit>(kLowFreqField)->hasFocus());

    auto* pField = Item<CNumEdit>(kHighFreqField);
    pField->setFocus();
    pField->selectAll();
    QTest::keyClicks(pField, "1000");
    QTest::keyClick(pField, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(GetU16(Image() + 708), 204);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    m_pPage->setParent(nullptr);
}

} // namespace
} // namespace zolt
