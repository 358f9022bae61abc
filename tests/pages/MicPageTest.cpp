// The Microphone page against the working image, the shadow and what the synchronisation
// sends.
#include "PageUser.h"

#include "controls/FontStatic.h"
#include "eq/KTVEQ.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/Mic_Dlg.h"

#include <QSlider>

#include <cstring>

namespace zolt {
namespace {

using namespace micid;

class MicPage : public test::CPageUser<CMic_Dlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true); // the processor holds what the program shows
        ResetMicView();
        ShowPage();
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
    }
    void ExpectPairButtons(int n12, int n34, bool bEnabled) {
        EXPECT_EQ(Item<CBitButton>(kPair12)->Checked(), n12);
        EXPECT_EQ(Item<CBitButton>(kPair34)->Checked(), n34);
        EXPECT_EQ(Item<CBitButton>(kPair12)->isEnabled(), bEnabled);
        EXPECT_EQ(Item<CBitButton>(kPair34)->isEnabled(), bEnabled);
    }
    void ExpectShownPair(int nPair) {
        EXPECT_EQ(MicView().m_nPair, nPair);
        EXPECT_EQ(m_pPage->Strips().Block(), nPair);
        EXPECT_EQ(m_pPage->Display().Block(), nPair);
    }
    CEQDlg& Strip(int nPosition) { return m_pPage->Strips().Strip(nPosition); }
    bool BlocksEqual(const std::uint8_t* pA, const std::uint8_t* pB) {
        return std::memcmp(pA, pB, mic::kSize) == 0;
    }
};

TEST_F(MicPage, LimiterAndGateEditTheShownPair) {
    Click(kPair34);
    StepTo(kLimitLevelSlider, 30);
    StepTo(kLimitRatioSlider, 40);
    StepTo(kGateThresholdSlider, 1);
    StepTo(kGateAttackSlider, 19);
    StepTo(kGateReleaseSlider, 7);
    EXPECT_EQ(Image()[397], 30);
    EXPECT_EQ(Image()[240], 0) << "Mic 1&2's limiter stays";
    EXPECT_EQ(LabelText(kLimitLevelLabel), "8dBV");
    EXPECT_EQ(LabelText(kLimitRatioLabel), "100");
    EXPECT_EQ(LabelText(kGateThresholdLabel), "-77dBV");
    EXPECT_EQ(LabelText(kGateAttackLabel), "400ms");
    EXPECT_EQ(LabelText(kGateReleaseLabel), "Atk X32");
    EXPECT_TRUE(BlocksEqual(Image() + 238, Shadow() + 238));

    // Mic 3&4's limiter item, then its noise-gate item with the "on" byte.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{7, 1, 30, 0, 0, 40}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{10, 1, 1, 19, 7, 1}));
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));

    // Back on Mic 1&2 the sliders show its own values and edit its bytes.
    Click(kPair12);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-22dBV");
    EXPECT_EQ(Item<CBitmapSlider>(kLimitLevelSlider)->Pos(), 0);
    StepTo(kLimitAttackSlider, 5);
    EXPECT_EQ(Image()[241], 5);
    EXPECT_EQ(Image()[398], 0);
}

TEST_F(MicPage, LevelAndFeedbackOfEachPair) {
    StepTo(kLevelSlider, 20);
    EXPECT_EQ(LabelText(kLevelLabel), "0.0dB");
    EXPECT_EQ(Image()[238], 20);
    Keys(kLevelSlider, Qt::Key_Home);
    EXPECT_EQ(LabelText(kLevelLabel), "-10.0dB");
    Keys(kLevelSlider, Qt::Key_End);
    EXPECT_EQ(LabelText(kLevelLabel), "10.0dB");
    EXPECT_EQ(Image()[238], 40);

    auto* pFeedback = Item<CBitComboBox>(kFeedback);
    ASSERT_EQ(pFeedback->count(), 5);
    EXPECT_EQ(pFeedback->itemText(0), "OFF");
    EXPECT_EQ(pFeedback->itemText(4), "FB.EX4");
    Click(kPair34);
    StepTo(kFeedback, 3);
    EXPECT_EQ(pFeedback->currentText(), "FB.EX3");
    EXPECT_EQ(Image()[396], 3);
    EXPECT_EQ(Image()[239], 0);

    // Mic 1&2's level, then Mic 3&4's feedback byte after a 0.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{19, 1, 40}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{6, 1, 0, 3}));
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

TEST_F(MicPage, CrossoversExcitersAndBypassOfMic34) {
    Click(kPair34);
    StepTo(kHpfSlope, 4);
    EXPECT_EQ(CurveSetOfBlock(3)->HighPass()->Slope(), 4);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kMicHighPassItem);
    Type(kLpfField, "1000");
    EXPECT_EQ(Item<CBitmapSlider>(kLpfSlider)->Pos(), 204);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kMicLowPassItem);
    Type(kHighFreqField, "25000");
    EXPECT_EQ(Item<CBitmapSlider>(kHighFreqSlider)->Pos(), 361);
    StepTo(kLowHarmonic, 3);
    StepTo(kLowTimbre, 4);
    StepTo(kHighTimbre, 9);
    Click(kEqBypass);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 1);
    EXPECT_TRUE(BlocksEqual(Image() + 238, Shadow() + 238)) << "Mic 1&2 untouched";

    // Mic 3&4's items, in the synchronisation's order.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{4, 3, 0, 0, 0, 4}));   // high-pass 404
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{4, 3, 1, 204, 0, 0})); // low-pass 408
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{20, 6, 1}));           // bypass 512
    const std::vector<int> high{18, 3, 1, 0x69, 1, 0, 9, 0, 0, 0, 0, 0};      // exciter 543
    const std::vector<int> low{18, 7, 1, 0x69, 1, 3, 4, 0, 0, 0, 0, 0};       // exciter 539
    EXPECT_EQ(test::NextSyncFrame(), high);
    EXPECT_EQ(test::NextSyncFrame(), low);
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

TEST_F(MicPage, TrackbarScrollsOnlyWhenItsPositionChanges) {
    auto* pBar = Item<QSlider>(kBandScroll);
    EXPECT_EQ(pBar->maximum(), 10);
    Click(kPair34);
    Keys(pBar, Qt::Key_End);
    EXPECT_EQ(MicView().m_strips.m_nFirst, 10);
    EXPECT_EQ(MicView().m_strips.m_nLast, 19);
    EXPECT_EQ(Strip(0).Caption()->Text(), "11");
    EXPECT_EQ(Strip(9).Caption()->Text(), "20");

    // The leftmost strip edits band 11 of Mic 3&4 (band number 75).
    Keys(Strip(0).TypeList(), Qt::Key_Down);
    const std::uint8_t* pRecord = Image() + 412 + 5 * 10;
    EXPECT_EQ(pRecord[band::kType], 1);
    EXPECT_EQ(test::NextSyncFrame(),
              (std::vector<int>{3, 75, pRecord[0], pRecord[1], pRecord[2], pRecord[3], 1}));
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));

    // A step that cannot move neither scrolls nor reloads.
    ASSERT_EQ(Strip(0).Caption()->TextColor(), kRed);
    Image()[412 + 5 * 10 + band::kGain] = 170;
    CurveSetOfBlock(3)->Filter(10)->Rebind();
    Keys(pBar, Qt::Key_Right);
    EXPECT_EQ(Strip(0).Caption()->TextColor(), kRed);
    EXPECT_EQ(Strip(0).GainField()->text(), "0.0");

    Keys(pBar, Qt::Key_Left);
    EXPECT_EQ(Strip(0).Caption()->Text(), "10");
    EXPECT_EQ(Strip(0).Caption()->TextColor(), kWhite) << "a scroll forgets the highlight";
    EXPECT_EQ(Strip(1).GainField()->text(), "10.0");
}

TEST_F(MicPage, DraggingBandTwoScrollsBackToTheStart) {
    Click(kPair34);
    auto* pBar = Item<QSlider>(kBandScroll);
    Keys(pBar, Qt::Key_End);
    ASSERT_EQ(Strip(0).Caption()->Text(), "11");

    DragPoint(1, QPoint(0, -40));
    EXPECT_EQ(MicView().m_strips.m_nFirst, 0);
    EXPECT_EQ(pBar->value(), 0);
    EXPECT_EQ(Strip(1).Caption()->Text(), "2");
    EXPECT_EQ(Strip(1).Caption()->TextColor(), kRed);
    EXPECT_TRUE(Strip(1).GainField()->hasFocus());
    const int nGain = Image()[412 + 5 + band::kGain];
    EXPECT_GT(nGain, kGainRawZero);
    EXPECT_EQ(Strip(1).GainField()->Value(), nGain);
    EXPECT_EQ(Image()[255 + 5 + band::kGain], kGainRawZero) << "Mic 1&2's band 2 stays";
}

TEST_F(MicPage, DraggingTheCrossoverPointsMovesTheirControls) {
    Click(kPair34);
    Type(kHpfField, "354"); // index 150
    ASSERT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), 150);
    DragPoint(kMicHighPassItem, QPoint(120, 0));
    const int nHigh = GetU16(Image() + 405);
    EXPECT_GT(nHigh, 150);
    EXPECT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), nHigh);
    EXPECT_EQ(Item<CNumEdit>(kHpfField)->Value(), nHigh);

    Type(kLpfField, "1000"); // index 204
    DragPoint(kMicLowPassItem, QPoint(-100, 0));
    const int nLow = GetU16(Image() + 409);
    EXPECT_LT(nLow, 204);
    EXPECT_EQ(Item<CBitmapSlider>(kLpfSlider)->Pos(), nLow);
    EXPECT_EQ(Item<CNumEdit>(kLpfField)->Value(), nLow);
    EXPECT_EQ(GetU16(Image() + 248), 0) << "Mic 1&2's crossovers stay";
    EXPECT_EQ(GetU16(Image() + 252), 361);
}

TEST_F(MicPage, LinkingShowsMic12AndUnlinkingCopiesItWithoutTraffic) {
    Click(kPair34);
    Keys(Strip(4).TypeList(), Qt::Key_Down);
    Click(kSync);
    EXPECT_EQ(Image()[image::kMicLink], 1);
    ExpectShownPair(kMicPair12);
    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 1);
    ExpectPairButtons(0, 0, false);
    EXPECT_EQ(Strip(4).Caption()->TextColor(), kWhite);

    // While linked the page edits Mic 1&2.
    StepTo(kLimitLevelSlider, 12);
    Type(kLowFreqField, "1000");
    EXPECT_EQ(Image()[240], 12);
    EXPECT_EQ(GetU16(Image() + 382), 204);
    EXPECT_EQ(test::NextSyncFrame()[0], 3); // the band edited before linking
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{7, 0, 12, 0, 0, 0}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{135, 0, 1}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{18, 6, 0, 204, 0, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(test::IsPollFrame(test::NextSyncFrame()));

    Click(kSync);
    EXPECT_EQ(Image()[image::kMicLink], 0);
    EXPECT_TRUE(BlocksEqual(Image() + 395, Image() + 238));
    EXPECT_TRUE(BlocksEqual(Shadow() + 395, Image() + 238));
    EXPECT_EQ(CurveSetOfBlock(3)->HighPass()->Record(), Image() + 404);
    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 0);
    ExpectPairButtons(1, 0, true);
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{135, 0, 0}))
        << "no frame for the copied bytes";
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));

    Click(kPair34);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-10dBV") << "Mic 3&4 carries the copy";

    // A link that comes with a read-back while Mic 3&4 is shown moves the page too.
    Image()[image::kMicLink] = 1;
    Image()[240] = 4;
    CommitShadow(true);
    m_pPage->Refresh();
    ExpectShownPair(kMicPair12);
    ExpectPairButtons(0, 0, false);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-18dBV");
    EXPECT_EQ(Strip(0).Filter()->Record(), Image() + 255);
}

TEST_F(MicPage, ReloadShowsTheImageAndWritesNothing) {
    std::uint8_t* pBlock = Image() + image::kMic34;
    pBlock[mic::kLevel] = 50;   // out of range from a file: shown as it is
    pBlock[mic::kFeedback] = 9; // no such mode
    pBlock[mic::kGate] = 0;
    SetU16(pBlock + mic::kLowExciter, 1000);
    pBlock[mic::kHighExciter + exciter::kHarmonic] = 7;
    pBlock[mic::kBypass] = 1;
    CommitShadow(true);
    MicView().m_nPair = kMicPair34;
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);

    m_pPage->Refresh();
    ExpectShownPair(kMicPair34);
    ExpectPairButtons(0, 1, true);
    EXPECT_EQ(LabelText(kLevelLabel), "15.0dB");
    EXPECT_EQ(Item<CBitComboBox>(kFeedback)->currentIndex(), -1);
    EXPECT_EQ(LabelText(kGateThresholdLabel), "OFF");
    EXPECT_EQ(Item<CBitmapSlider>(kLowFreqSlider)->Pos(), 361);
    EXPECT_EQ(Item<CBitComboBox>(kHighHarmonic)->currentIndex(), 7);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 1);
    QApplication::processEvents();
    EXPECT_EQ(std::memcmp(abBefore, Image(), kImageSize), 0);
}

TEST_F(MicPage, EqResetResetsOnlyTheShownPair) {
    for (std::size_t i = 0; i < mic::kBandCount; ++i) {
        Image()[255 + 5 * i + band::kGain] = 100;
        Image()[412 + 5 * i + band::kGain] = 101;
    }
    RebindAllCurveSets();
    Click(kPair34);
    Keys(Strip(2).TypeList(), Qt::Key_Down);
    Click(kEqReset);
    for (std::size_t i = 0; i < mic::kBandCount; ++i) {
        EXPECT_EQ(Image()[412 + 5 * i + band::kGain], kGainRawZero);
        EXPECT_EQ(Image()[412 + 5 * i + band::kType], 1);
        EXPECT_EQ(Image()[255 + 5 * i + band::kGain], 100);
    }
    EXPECT_EQ(Strip(0).GainField()->text(), "0.0");
    EXPECT_EQ(Strip(2).Caption()->TextColor(), kWhite);
    EXPECT_EQ(m_pPage->Strips().SelectedStrip(), -1);
}

TEST_F(MicPage, TheViewSurvivesThePage) {
    Click(kPair34);
    Keys(Item(kBandScroll), Qt::Key_PageUp);
    const int nFirst = MicView().m_strips.m_nFirst;
    ASSERT_GT(nFirst, 0);
    m_pPage.reset();
    ShowPage();
    ExpectShownPair(kMicPair34);
    ExpectPairButtons(0, 1, true);
    EXPECT_EQ(Item<QSlider>(kBandScroll)->value(), nFirst);
    EXPECT_EQ(Strip(0).Caption()->Text(), QString::number(nFirst + 1));
}

TEST_F(MicPage, ControlsStayInsideThePageAndClearOfEachOther) {
    // strips, sliders, fields, combo boxes, buttons, the trackbar, the display
    EXPECT_EQ(test::ExpectControlsInsideAndApart(*m_pPage, test::IsStripPageInput),
              10u + 12u + 4u + 7u + 5u + 1u + 1u);
}

TEST_F(MicPage, CaptionsFollowTheLanguage) {
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(kLimitAttackCaption), "压限启动时间(Atk)");
    EXPECT_EQ(Text(kFeedbackCaption), "啸叫抑制");
    EXPECT_EQ(Item<CBitButton>(kPair34)->text(), "话筒3&&4");
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->text(), "EQ Bypass");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(kLevelCaption), "Mic Level");
    EXPECT_EQ(Text(kLimitTitle), "Limit");
    EXPECT_EQ(Item<CBitButton>(kPair12)->text(), "Mic 1&&2");
    EXPECT_EQ(Item<CBitButton>(kEqReset)->text(), "EQ Reset");
}

} // namespace
} // namespace zolt
