// The output page in its five views against the working image, the shadow and what the
// synchronisation sends.
#include "PageUser.h"

#include "controls/FontStatic.h"
#include "eq/KTVEQ.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/MainData.h"
#include "pages/MainDlg.h"

#include <cstring>

namespace zolt {
namespace {

using namespace outputid;

// Image offset of output record 0..7 of output set 1..3.
std::size_t Rec(int nSet, int nRecord) {
    return OutputSetOffset(nSet) + output::kSize * static_cast<std::size_t>(nRecord);
}

class OutputPage : public test::CPageUser<CMainDlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true); // the processor holds what the program shows
        ResetOutputView();
        ShowPage();
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
    }
    // As the main window does on a tab change.
    void ShowView(int nIndex) {
        m_pPage->ShowView(nIndex);
        m_pPage->Refresh();
        QApplication::processEvents();
    }
    // The image changed under the page (a read-back, a file): the page re-reads it.
    void Reload() {
        RebindAllCurveSets();
        m_pPage->Refresh();
        QApplication::processEvents();
    }
    int Checked(int nButton) const { return Item<CBitButton>(nButton)->Checked(); }
    void ExpectChannelButtons(int nFirst, int nSecond, bool bEnabled) {
        EXPECT_EQ(Checked(kFirstChannel), nFirst);
        EXPECT_EQ(Checked(kSecondChannel), nSecond);
        EXPECT_EQ(Enabled(kFirstChannel), bEnabled);
        EXPECT_EQ(Enabled(kSecondChannel), bEnabled);
    }
    // In every set record nFirst and record nSecond differ in their mix, band gains,
    // limiter and high-pass slope, and record nSecond has its own mute and delay (a mute
    // of 1, a delay of 700 + the set's number).
    void MakeRecordsDiffer(int nFirst, int nSecond) {
        for (int nSet = 1; nSet <= 3; ++nSet) {
            std::uint8_t* pFirst = Image() + Rec(nSet, nFirst);
            std::uint8_t* pSecond = Image() + Rec(nSet, nSecond);
            for (std::size_t i = 1; i <= 2 * output::kMixSources; ++i) {
                pFirst[i] = static_cast<std::uint8_t>(10 * nSet + i);
                pSecond[i] = static_cast<std::uint8_t>(100 + nSet);
            }
            for (std::size_t k = 0; k < output::kBandCount; ++k) {
                pFirst[output::kBands + band::kSize * k + band::kGain] =
                    static_cast<std::uint8_t>(100 + nSet);
                pSecond[output::kBands + band::kSize * k + band::kGain] =
                    static_cast<std::uint8_t>(130 + nSet);
            }
            std::memset(pFirst + output::kLimiter, nSet, limiter::kSize);
            pFirst[output::kHighPass + xover::kSlope] = static_cast<std::uint8_t>(nSet);
            pSecond[output::kMute] = 1;
            SetU16(pSecond + output::kDelay, static_cast<std::uint16_t>(700 + nSet));
        }
        CommitShadow(false);
        Reload();
    }
    // Record nFrom copied over record nTo in every set, nTo keeping the mute and delay
    // MakeRecordsDiffer gave it; the copy is in the working image, not in the shadow.
    void ExpectLinkCopied(int nFrom, int nTo) {
        for (int nSet = 1; nSet <= 3; ++nSet) {
            const std::uint8_t* pFrom = Image() + Rec(nSet, nFrom);
            const std::uint8_t* pTo = Image() + Rec(nSet, nTo);
            EXPECT_EQ(pTo[output::kMute], 1) << "set " << nSet;
            EXPECT_EQ(GetU16(pTo + output::kDelay), 700 + nSet) << "set " << nSet;
            EXPECT_EQ(std::memcmp(pFrom + 1, pTo + 1, output::kDelay - 1), 0) << "set " << nSet;
            EXPECT_NE(std::memcmp(pTo, Shadow() + Rec(nSet, nTo), output::kSize), 0)
                << "the synchronisation sends the copy, set " << nSet;
        }
    }
};

TEST_F(OutputPage, Out34InOutputMode3EditsSet3) {
    Image()[image::kOutputMode] = 3;
    CommitShadow(false);
    ShowView(4);
    ASSERT_EQ(OutputView().m_nOut34, 9); // "Out 3", record 1
    EXPECT_EQ(Item<CBitButton>(kSecondChannel)->text(), "Out 3");
    ExpectChannelButtons(0, 1, true);

    StepTo(kLimitLevelSlider, 30);
    StepTo(kLimitAttackSlider, 19);
    StepTo(kLimitReleaseSlider, 7);
    StepTo(kLimitRatioSlider, 40);
    EXPECT_EQ(Image()[2160], 30);
    EXPECT_EQ(Image()[2161], 19);
    EXPECT_EQ(Image()[2162], 7);
    EXPECT_EQ(Image()[2163], 40);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "8dB");
    Keys(kSecondDelaySlider, Qt::Key_Up, 3);
    EXPECT_EQ(GetU16(Image() + 2248), 3);
    EXPECT_EQ(LabelText(kSecondDelayLabel), "0.3ms");
    EXPECT_EQ(Text(kSecondDelayCaption), "Out3 Delay");
    Keys(kMusicSlider, Qt::Key_Up, 2); // the mix of the shown channel, record 1
    EXPECT_EQ(Image()[Rec(3, 1) + 1], 2);
    EXPECT_EQ(LabelText(kMusicLabel), "2%");

    // Sets 1 and 2 are untouched; the synchronisation sends the live set's items.
    EXPECT_EQ(std::memcmp(Image() + Rec(1, 0), Shadow() + Rec(1, 0), 2 * output::kSetSize), 0);
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{cmd::kMixLevel, 43, 2}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{cmd::kTime, 11, 3, 0}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{cmd::kLimiter, 2, 30, 19, 7, 40}));
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

// Where a caption or value label draws its text, as [left, right) in page pixels.
std::pair<int, int> TextSpan(const QWidget* pLabel, const QString& strText) {
    const int nWidth = pLabel->fontMetrics().horizontalAdvance(strText);
    const QRect box = pLabel->geometry();
    if (ControlStyle(pLabel) & kStyleRight) {
        return {box.right() + 1 - nWidth, box.right() + 1};
    }
    return {box.left(), box.left() + nWidth};
}

TEST_F(OutputPage, OutputMode0DisablesEverythingAndShowsSet1) {
    Image()[Rec(1, 4) + output::kLimiter] = 12;
    Image()[Rec(2, 4) + output::kLimiter] = 30;
    Image()[Rec(1, 5) + 1] = 150;
    Image()[Rec(2, 5) + 1] = 50;
    Image()[image::kOutputMode] = 0;
    CommitShadow(false);
    ShowView(3);

    EXPECT_EQ(LabelText(kLimitLevelLabel), "-10dB");
    EXPECT_EQ(LabelText(kMusicLabel), "150%");
    for (QWidget* pChild : m_pPage->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<CBitmapSlider*>(pChild) || qobject_cast<CNumEdit*>(pChild) ||
            qobject_cast<CBitComboBox*>(pChild) || qobject_cast<CBitButton*>(pChild) ||
            qobject_cast<CEQDlg*>(pChild)) {
            const int nId = ControlId(pChild);
            const bool bModeName = nId >= kModeAuto && nId <= kModeDecode;
            EXPECT_TRUE(!pChild->isEnabled() || bModeName) << nId << " is enabled";
        }
    }
    EXPECT_FALSE(m_pPage->Strips().Strip(0).GainSlider()->isEnabled());
    EXPECT_EQ(Checked(kModeAuto), 1);
    EXPECT_TRUE(Shown(kModeAuto));
    EXPECT_TRUE(Shown(kAutoNote));

    // Dragging a band point in output mode 0 changes nothing.
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);
    DragPoint(3, QPoint(40, -40));
    EXPECT_EQ(std::memcmp(abBefore, Image(), kImageSize), 0);

    Image()[image::kOutputMode] = 2;
    Reload();
    EXPECT_TRUE(Enabled(kMusicSlider));
    EXPECT_TRUE(Enabled(kSync));
    ExpectChannelButtons(0, 1, true);
    EXPECT_TRUE(m_pPage->Strips().Strip(9).isEnabled());
    EXPECT_EQ(LabelText(kMusicLabel), "50%");
    EXPECT_EQ(Checked(kModeAuto), 0);
    EXPECT_EQ(Checked(kModeDisco), 1);
    EXPECT_FALSE(Shown(kAutoNote));
}

TEST_F(OutputPage, TheModeButtonsChooseTheOutputModeAndTheSetThePageEdits) {
    Image()[Rec(3, 5) + 1] = 50; // set 3, Out 1's music level
    Image()[image::kOutputMode] = 0;
    CommitShadow(false);
    ShowView(3);
    Click(kModeDecode);
    EXPECT_EQ(Image()[image::kOutputMode], 3);
    EXPECT_EQ(Checked(kModeDecode), 1);
    EXPECT_EQ(Checked(kModeAuto), 0);
    EXPECT_TRUE(Enabled(kMusicSlider));
    EXPECT_FALSE(Shown(kAutoNote));
    EXPECT_EQ(LabelText(kMusicLabel), "50%");
    EXPECT_EQ(m_pPage->Strips().Strip(0).Filter()->Record(), Image() + Rec(3, 5) + output::kBands);
    Click(kModeAuto);
    EXPECT_EQ(Image()[image::kOutputMode], 0);
    EXPECT_FALSE(Enabled(kMusicSlider));
    EXPECT_TRUE(Shown(kAutoNote));
    EXPECT_TRUE(Item<QWidget>(kModeSing)->toolTip().startsWith("Output mode: Auto / Sing"));
    for (int nLanguage : {1, 0}) {
        g_flags.m_nLanguage = nLanguage;
        m_pPage->ApplyLanguage();
        EXPECT_LE(TextSpan(Item(kAutoNote), Text(kAutoNote)).second,
                  Item(kAutoNote)->geometry().right() + 1)
            << "the line fits its box in language " << nLanguage;
    }
}

TEST_F(OutputPage, LinkingOut12MovesToOut1AndUnlinkingCopiesRecord5OverRecord4) {
    MakeRecordsDiffer(5, 4);
    ShowView(3);
    Click(kFirstChannel); // "Out 2", record 4
    ASSERT_EQ(OutputView().m_nOut12, 12);
    ASSERT_EQ(m_pPage->Strips().Block(), 12);
    Keys(m_pPage->Strips().Strip(2).TypeList(), Qt::Key_Down);
    ASSERT_EQ(m_pPage->Strips().SelectedStrip(), 2);

    Click(kSync);
    EXPECT_EQ(Image()[image::kLinkOut12], 1);
    EXPECT_EQ(OutputView().m_nOut12, 13);
    EXPECT_EQ(m_pPage->Strips().Block(), 13);
    EXPECT_EQ(m_pPage->Display().Block(), 13);
    EXPECT_EQ(m_pPage->Strips().SelectedStrip(), -1);
    EXPECT_EQ(m_pPage->Strips().Strip(2).Caption()->TextColor(), kWhite);
    EXPECT_EQ(Checked(kSync), 1);
    ExpectChannelButtons(0, 0, false);
    EXPECT_EQ(LabelText(kMusicLabel), "11%") << "the fields show record 5";
    Keys(kMusicSlider, Qt::Key_Up, 2); // an edit while linked, in record 5

    Click(kSync);
    EXPECT_EQ(Image()[image::kLinkOut12], 0);
    ExpectLinkCopied(5, 4);
    EXPECT_EQ(OutputView().m_nOut12, 13);
    ExpectChannelButtons(0, 1, true);
    EXPECT_EQ(LabelText(kMusicLabel), "13%") << "the edit made while linked stays";
    EXPECT_EQ(LabelText(kFirstDelayLabel), "70.1ms") << "record 4 keeps its delay";
    EXPECT_EQ(Checked(kFirstMute), 1) << "and its mute";
    Click(kFirstChannel);
    EXPECT_EQ(LabelText(kMusicLabel), "13%") << "record 4 took the edit";
    // The synchronisation sends record 4 as the copy made it, from its music level (mix
    // point 23) on.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{cmd::kMixLevel, 23, 13}));
}

TEST_F(OutputPage, UnlinkingSurroundCopiesRecord6OverRecord7) {
    MakeRecordsDiffer(6, 7);
    ShowView(9);
    EXPECT_EQ(Item<CBitButton>(kFirstChannel)->text(), "Surround L");
    Click(kSecondChannel); // "Surround R", record 7
    ASSERT_EQ(m_pPage->Strips().Block(), 15);
    Click(kSync);
    EXPECT_EQ(Image()[image::kLinkSurround], 1);
    EXPECT_EQ(OutputView().m_nSurround, 14);
    EXPECT_EQ(m_pPage->Strips().Block(), 14);
    Keys(kMusicSlider, Qt::Key_Up); // an edit while linked, in record 6
    Click(kSync);
    ExpectLinkCopied(6, 7);
    EXPECT_EQ(Image()[Rec(1, 7) + 1], 12) << "record 7 took the edit";
    ExpectChannelButtons(1, 0, true);
    EXPECT_EQ(Image()[Rec(1, 7) + output::kMute], 1);
    EXPECT_EQ(Checked(kSecondMute), 1);
}

TEST_F(OutputPage, ALinkFromAReadBackMovesThePageAndItsStripsToTheLinkedChannel) {
    ShowView(4);
    Click(kFirstChannel); // "Out 4", record 0
    ASSERT_EQ(m_pPage->Strips().Block(), 8);
    Image()[image::kLinkOut34] = 1;
    Reload();
    EXPECT_EQ(OutputView().m_nOut34, 9);
    EXPECT_EQ(m_pPage->Strips().Block(), 9);
    EXPECT_EQ(m_pPage->Display().Block(), 9);
    ExpectChannelButtons(0, 0, false);
    Keys(m_pPage->Strips().Strip(0).GainSlider(), Qt::Key_Up);
    EXPECT_EQ(Image()[Rec(1, 1) + output::kBands + band::kGain], kGainRawZero + 1);
    EXPECT_EQ(Image()[Rec(1, 0) + output::kBands + band::kGain], kGainRawZero);
}

TEST_F(OutputPage, TheStripsFollowTheLiveSetWhenTheOutputModeChangesUnderThePage) {
    ShowView(8); // SUB, record 3
    Image()[image::kOutputMode] = 2;
    Reload();
    Keys(m_pPage->Strips().Strip(4).GainSlider(), Qt::Key_Up);
    EXPECT_EQ(Image()[Rec(2, 3) + output::kBands + 4 * band::kSize + band::kGain],
              kGainRawZero + 1);
    EXPECT_EQ(Image()[Rec(1, 3) + output::kBands + 4 * band::kSize + band::kGain], kGainRawZero);
    EXPECT_EQ(test::NextSyncFrame()[1], 111 + 10 * 3 + 4);
}

TEST_F(OutputPage, TheDelaySliderAtItsEndShows150MsAnd51Metres) {
    ShowView(3);
    Keys(kFirstDelaySlider, Qt::Key_End);
    EXPECT_EQ(GetU16(Image() + Rec(1, 4) + output::kDelay), 1500);
    EXPECT_EQ(LabelText(kFirstDelayLabel), "150.0ms");
    EXPECT_EQ(LabelText(kFirstDistanceLabel), "51.000m");
    Keys(kFirstDelaySlider, Qt::Key_Home);
    EXPECT_EQ(LabelText(kFirstDelayLabel), "0.0ms");
    EXPECT_EQ(LabelText(kFirstDistanceLabel), "0.000m");
}

TEST_F(OutputPage, CenterAndSubShowOneChannelWithItsOwnLimiterAndDelay) {
    ShowView(7);
    for (int nId : {kSync, kFirstChannel, kSecondChannel, kSecondMute, kSecondDelayCaption,
                    kSecondDelayLabel, kSecondDistanceLabel, kSecondDelaySlider}) {
        EXPECT_FALSE(Shown(nId)) << nId;
    }
    EXPECT_TRUE(Shown(kFirstMute));
    EXPECT_EQ(m_pPage->Strips().Block(), 10);
    EXPECT_EQ(m_pPage->Display().Block(), 10);
    EXPECT_EQ(Text(kLimitTitle), "Center Limit");
    EXPECT_EQ(Text(kFirstDelayCaption), "Center Delay");
    EXPECT_EQ(Item<CBitButton>(kFirstMute)->text(), "Mute");
    StepTo(kLimitLevelSlider, 5);
    Keys(kFirstDelaySlider, Qt::Key_Up);
    Click(kFirstMute);
    EXPECT_EQ(Image()[Rec(1, 2) + output::kLimiter], 5);
    EXPECT_EQ(GetU16(Image() + Rec(1, 2) + output::kDelay), 1);
    EXPECT_EQ(Image()[Rec(1, 2) + output::kMute], 1);
    EXPECT_EQ(Checked(kFirstMute), 1);

    ShowView(8);
    EXPECT_EQ(m_pPage->Strips().Block(), 11);
    EXPECT_EQ(Text(kLimitTitle), "SUB Limit");
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-22dB") << "SUB's own limiter";
    EXPECT_EQ(Checked(kFirstMute), 0);
    Keys(kMicSlider, Qt::Key_End);
    EXPECT_EQ(Image()[Rec(1, 3) + 3], 200);

    ShowView(3);
    for (int nId : {kSync, kFirstChannel, kSecondChannel, kSecondMute, kSecondDelaySlider}) {
        EXPECT_TRUE(Shown(nId)) << nId;
    }
    EXPECT_EQ(Text(kLimitTitle), "Out1&&2 Limit");
    EXPECT_EQ(Item<CBitButton>(kFirstMute)->text(), "Out2 Mute");
}

TEST_F(OutputPage, TheLowPassSliderHighlightsItsCurveAndADragMovesOnlyTheField) {
    ShowView(9);
    Keys(kLpfSlider, Qt::Key_Down, 61); // 361 -> 300
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kOutputLowPassItem);
    EXPECT_EQ(CurveSetOfBlock(14)->LowPass()->FreqIndex(), 300);
    EXPECT_EQ(Item<CNumEdit>(kLpfField)->Value(), 300);
    StepTo(kHpfSlope, 9);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kOutputHighPassItem);
    EXPECT_EQ(Image()[Rec(1, 6) + output::kHighPass + xover::kSlope], 9);

    DragPoint(kOutputLowPassItem, QPoint(-120, 0));
    const int nIndex = GetU16(Image() + Rec(1, 6) + output::kLowPass + xover::kFreq);
    EXPECT_LT(nIndex, 300);
    EXPECT_EQ(Item<CNumEdit>(kLpfField)->Value(), nIndex);
    EXPECT_EQ(Item<CBitmapSlider>(kLpfSlider)->Pos(), 300);
    m_pPage->Refresh();
    EXPECT_EQ(Item<CBitmapSlider>(kLpfSlider)->Pos(), nIndex);
}

TEST_F(OutputPage, ResetPassAndPolarityEditTheShownChannel) {
    ShowView(3);
    Click(kFirstChannel); // record 4
    Image()[image::kOutputMode] = 2;
    Reload();
    Keys(m_pPage->Strips().Strip(1).TypeList(), Qt::Key_Down);
    ASSERT_EQ(m_pPage->Strips().SelectedStrip(), 1);
    Click(kEqReset);
    for (std::size_t i = 0; i < output::kBandCount; ++i) {
        EXPECT_EQ(Image()[Rec(2, 4) + output::kBands + band::kSize * i + band::kType], 1);
        EXPECT_EQ(Image()[Rec(1, 4) + output::kBands + band::kSize * i + band::kType], 0);
        EXPECT_EQ(Image()[Rec(2, 5) + output::kBands + band::kSize * i + band::kType], 0);
    }
    EXPECT_EQ(m_pPage->Strips().SelectedStrip(), -1);
    EXPECT_EQ(m_pPage->Strips().Strip(1).TypeList()->currentIndex(), 1);

    Click(kEqPass);
    EXPECT_EQ(Image()[Rec(2, 4) + output::kBypass], 1);
    EXPECT_EQ(Checked(kEqPass), 1);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), -1);
    Click(kMusicPolarity);
    EXPECT_EQ(Image()[Rec(2, 4) + 2], 1);
    EXPECT_EQ(Checked(kMusicPolarity), 1);
    Click(kSecondMute);
    EXPECT_EQ(Image()[Rec(2, 5) + output::kMute], 1);
    Click(kFirstMute);
    EXPECT_EQ(Image()[Rec(2, 4) + output::kMute], 1);
}

TEST_F(OutputPage, HiddenControlsAreLoadedAndNeverShown) {
    Image()[Rec(1, 4) + 5] = 77; // echo A level
    Image()[Rec(1, 4) + 10] = 1; // reverb polarity
    Image()[Rec(1, 4) + 4] = 1;  // mic polarity
    Image()[image::kOutputMode] = 3;
    CommitShadow(false);
    OutputView().m_nOut12 = 12;
    for (int nView : {3, 7, 9, 4, 3}) {
        ShowView(nView);
    }
    EXPECT_EQ(LabelText(kEchoALabel), "0%") << "set 3 is live";
    Image()[image::kOutputMode] = 1;
    Reload();
    EXPECT_EQ(LabelText(kEchoALabel), "77%");
    EXPECT_EQ(Item<CBitmapSlider>(kEchoASlider)->Pos(), 77);
    EXPECT_EQ(Checked(kReverbPolarity), 1);
    EXPECT_EQ(Checked(kMicPolarity), 1);
    for (int nId :
         {kMicPolarity, kEchoACaption, kEchoALabel, kEchoASlider, kEchoAPolarity, kEchoBCaption,
          kEchoBSlider, kReverbCaption, kReverbSlider, kReverbPolarity, kAutoNote}) {
        EXPECT_FALSE(Shown(nId)) << nId;
    }
    for (int nId : {kMicSlider, kMusicPolarity, kModeAuto, kModeSing, kModeDisco, kModeDecode}) {
        EXPECT_TRUE(Shown(nId)) << nId;
    }
}

TEST_F(OutputPage, ControlsStayInsideThePageAndClearOfEachOther) {
    ShowView(3);
    const auto isShownInput = [this](const QWidget* pChild) {
        return pChild->isVisibleTo(m_pPage.get()) &&
               (qobject_cast<const CBitmapSlider*>(pChild) ||
                qobject_cast<const CNumEdit*>(pChild) ||
                qobject_cast<const CBitComboBox*>(pChild) ||
                qobject_cast<const CBitButton*>(pChild) || qobject_cast<const CEQDlg*>(pChild) ||
                qobject_cast<const CFStatic*>(pChild) || qobject_cast<const CEdit_Static*>(pChild));
    };
    // strips, sliders, fields, combo boxes, buttons, value labels, the display
    EXPECT_EQ(test::ExpectControlsInsideAndApart(*m_pPage, isShownInput),
              10u + 10u + 2u + 2u + 12u + 10u + 1u);
}

TEST_F(OutputPage, TheWidestDelayTextsFitTheirRowInEveryViewAndLanguage) {
    for (int nLanguage : {0, 1}) {
        g_flags.m_nLanguage = nLanguage;
        for (int nView : {3, 4, 7, 8, 9}) {
            ShowView(nView);
            m_pPage->ApplyLanguage();
            Keys(kFirstDelaySlider, Qt::Key_End);
            const auto caption = TextSpan(Item(kFirstDelayCaption), Text(kFirstDelayCaption));
            const auto distance =
                TextSpan(Item(kFirstDistanceLabel), LabelText(kFirstDistanceLabel));
            const auto time = TextSpan(Item(kFirstDelayLabel), LabelText(kFirstDelayLabel));
            const std::string strWhere =
                Text(kFirstDelayCaption).toStdString() + " " + std::to_string(nLanguage);
            EXPECT_LE(caption.second, Item(kFirstDelayCaption)->geometry().right() + 1)
                << strWhere << ": the caption fits its box";
            EXPECT_LT(caption.second, distance.first) << strWhere;
            EXPECT_GE(distance.first, Item(kFirstDistanceLabel)->x()) << strWhere;
            EXPECT_LT(distance.second, time.first) << strWhere;
            EXPECT_GE(time.first, Item(kFirstDelayLabel)->x()) << strWhere;
            EXPECT_LE(time.second, m_pPage->width()) << strWhere;
        }
    }
    g_flags.m_nLanguage = 0;
}

TEST_F(OutputPage, CaptionsFollowTheLanguageAndTheView) {
    g_flags.m_nLanguage = 1;
    ShowView(9);
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CBitButton>(kSecondChannel)->text(), "环绕右");
    EXPECT_EQ(Text(kLimitTitle), "环绕输出压限");
    EXPECT_EQ(Text(kSecondDelayCaption), "右声道延时");
    EXPECT_EQ(Item<CBitButton>(kEqReset)->text(), "EQ重置");
    EXPECT_EQ(Item<CBitButton>(kEqPass)->text(), "EQ Pass");
    ShowView(4);
    EXPECT_EQ(Item<CBitButton>(kFirstMute)->text(), "输出4 静音");
    EXPECT_EQ(Text(kLimitTitle), "输出3&&4压限");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CBitButton>(kSecondMute)->text(), "3 Mute");
    EXPECT_EQ(Text(kMicCaption), "Mic Level");
    EXPECT_EQ(Text(kTypeCaption), "Type");
}

} // namespace
} // namespace zolt
