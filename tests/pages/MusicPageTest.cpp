// The Music page against the working image, the shadow and what the synchronisation sends.
#include "PageUser.h"

#include "controls/FontStatic.h"
#include "controls/TransparentStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/MusicData.h"
#include "pages/MusicDlg.h"

#include <QDialog>
#include <QSlider>

#include <cstring>

namespace zolt {
namespace {

using namespace musicid;

class MusicPage : public test::CPageUser<CMusicDlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true); // the processor holds what the program shows
        ResetMusicView();
        ShowPage();
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
    }
    void ExpectChannelButtons(int nLeft, int nRight, bool bEnabled) {
        EXPECT_EQ(Item<CBitButton>(kLeft)->Checked(), nLeft);
        EXPECT_EQ(Item<CBitButton>(kRight)->Checked(), nRight);
        EXPECT_EQ(Item<CBitButton>(kLeft)->isEnabled(), bEnabled);
        EXPECT_EQ(Item<CBitButton>(kRight)->isEnabled(), bEnabled);
    }
};

TEST_F(MusicPage, LimiterAndGateEditMusicLeftWhicheverChannelIsShown) {
    Click(kRight);
    StepTo(kLimitLevelSlider, 30);
    StepTo(kLimitRatioSlider, 40);
    StepTo(kGateThresholdSlider, 0);
    EXPECT_EQ(LabelText(kGateThresholdLabel), "OFF");
    StepTo(kGateThresholdSlider, 1);
    StepTo(kGateAttackSlider, 19);
    StepTo(kGateReleaseSlider, 7);
    EXPECT_EQ(LabelText(kLimitLevelLabel), "8dBV");
    EXPECT_EQ(LabelText(kLimitRatioLabel), "100");
    EXPECT_EQ(LabelText(kGateThresholdLabel), "-77dBV");
    EXPECT_EQ(LabelText(kGateAttackLabel), "400ms");
    EXPECT_EQ(LabelText(kGateReleaseLabel), "Atk X32");
    EXPECT_EQ(std::memcmp(Image() + 717, Shadow() + 717, 7), 0) << "Music Right's copies stay";

    // Music Left's limiter item, then its noise-gate item with the "on" byte.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{7, 7, 30, 0, 0, 40}));
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{10, 2, 1, 19, 7, 1}));
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

TEST_F(MusicPage, KeySliderKeepsTheSystemPagesLowNibble) {
    System()[9] = 0x3C;
    CommitShadow(true);
    m_pPage->Refresh();
    EXPECT_EQ(LabelText(kKeyLabel), "-4");
    StepTo(kKeySlider, 10);
    EXPECT_EQ(System()[9], 0xAC);
    EXPECT_EQ(LabelText(kKeyLabel), "3");
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{9, 10, 0, 0}));
}

TEST_F(MusicPage, LinkingShowsMusicLeftWithBothChannelButtonsOff) {
    Click(kRight);
    ASSERT_EQ(m_pPage->Strips().Block(), 1);
    Click(kSync);
    EXPECT_EQ(Image()[image::kMusicLink], 1);
    EXPECT_EQ(MusicView().m_nChannel, 0);
    EXPECT_EQ(m_pPage->Strips().Block(), 0);
    EXPECT_EQ(m_pPage->Display().Block(), 0);
    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 1);
    ExpectChannelButtons(0, 0, false);
    Type(kLowFreqField, "1000");
    EXPECT_EQ(GetU16(Image() + 704), 204);

    Click(kSync);
    EXPECT_EQ(Image()[image::kMusicLink], 0);
    ExpectChannelButtons(1, 0, true);

    // A link that comes with a read-back while Music Right is shown moves the page too.
    Click(kRight);
    Image()[image::kMusicLink] = 1;
    m_pPage->Refresh();
    EXPECT_EQ(m_pPage->Strips().Block(), 0);
    EXPECT_EQ(m_pPage->Display().Block(), 0);
    ExpectChannelButtons(0, 0, false);
}

TEST_F(MusicPage, EqResetResetsOnlyTheShownChannelEvenWhileLinked) {
    for (std::size_t i = 0; i < music::kBandCount; ++i) {
        Image()[568 + 5 * i + band::kGain] = 100;
        Image()[732 + 5 * i + band::kGain] = 101;
    }
    RebindAllCurveSets();
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
}

TEST_F(MusicPage, DraggingTheHighPassPointMovesItsSliderAndField) {
    Type(kHpfField, "354"); // index 150
    ASSERT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), 150);
    DragPoint(kHighPassItem, QPoint(120, 0));
    const int nIndex = GetU16(Image() + 561);
    EXPECT_GT(nIndex, 150);
    EXPECT_EQ(Item<CBitmapSlider>(kHpfSlider)->Pos(), nIndex);
    EXPECT_EQ(Item<CNumEdit>(kHpfField)->Value(), nIndex);
}

TEST_F(MusicPage, MusicRightsControlsWriteMusicRight) {
    Click(kRight);
    StepTo(kHpfSlope, 4);
    EXPECT_EQ(CurveSetOfBlock(1)->HighPass()->Slope(), 4);
    EXPECT_EQ(m_pPage->Display().SelectedIndex(), kHighPassItem);
    StepTo(kLpfSlope, 12);
    StepTo(kMainHpfSlope, 9);
    StepTo(kMainHpfSlider, 204);
    EXPECT_EQ(Item<CNumEdit>(kMainHpfField)->text(), "1000Hz");
    Type(kHighFreqField, "25000");
    EXPECT_EQ(Item<CBitmapSlider>(kHighFreqSlider)->Pos(), 361);
    StepTo(kLowHarmonic, 3);
    StepTo(kLowTimbre, 4);
    StepTo(kHighHarmonic, 5);
    Click(kEqBypass);
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->Checked(), 1);
    EXPECT_EQ(std::memcmp(Image() + 553, Shadow() + 553, music::kSize), 0);

    // Music Right's items, in the synchronisation's order.
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{4, 1, 0, 0, 0, 4}));     // high-pass 724
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{4, 1, 1, 0x69, 1, 12})); // low-pass 728
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{4, 16, 0, 204, 0, 9}));  // main HPF 834
    EXPECT_EQ(test::NextSyncFrame(), (std::vector<int>{20, 2, 1}));             // bypass 807
    const std::vector<int> high{18, 1, 1, 0x69, 1, 5, 0, 0, 0, 0, 0, 0};        // exciter 872
    const std::vector<int> low{18, 5, 1, 0x69, 1, 3, 4, 0, 0, 0, 0, 0};         // exciter 868
    EXPECT_EQ(test::NextSyncFrame(), high);
    EXPECT_EQ(test::NextSyncFrame(), low);
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

TEST_F(MusicPage, ReloadShowsTheImageAndWritesNothing) {
    SetU16(Image() + 717 + 118, 1000); // beyond the table from a file: its last entry
    Image()[717 + 120] = 20;           // no such slope
    Image()[717 + 157] = 7;
    Image()[553] = 5;
    System()[9] = 0xF3; // key 15 from a device: shown as it is, +8
    CommitShadow(true);
    MusicView().m_nChannel = 1;
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);

    m_pPage->Refresh();
    EXPECT_EQ(LabelText(kLimitLevelLabel), "-17dBV");
    EXPECT_EQ(Item<CBitmapSlider>(kMainHpfSlider)->Pos(), 361);
    EXPECT_EQ(Item<CNumEdit>(kMainHpfField)->text(), "20600Hz");
    EXPECT_EQ(Item<CBitComboBox>(kHighHarmonic)->currentIndex(), 7);
    EXPECT_EQ(LabelText(kKeyLabel), "8");
    ExpectChannelButtons(0, 1, true);
    QApplication::processEvents();
    EXPECT_EQ(std::memcmp(abBefore, Image(), kImageSize), 0);
    EXPECT_EQ(System()[9], 0xF3);
}

TEST_F(MusicPage, ScrollingReloadsTheStripsAtEveryStepAndForgetsTheHighlight) {
    CEqStripBank& strips = m_pPage->Strips();
    Keys(strips.Strip(2).TypeList(), Qt::Key_Down);
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kRed);

    auto* pBar = Item<QSlider>(kBandScroll);
    Keys(pBar, Qt::Key_End);
    EXPECT_EQ(MusicView().m_strips.m_nFirst, 5); // bands 6..15
    EXPECT_EQ(strips.Strip(0).Caption()->Text(), "6");
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kWhite);
    Keys(strips.Strip(2).TypeList(), Qt::Key_Down); // the same position, now band 8: red again
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kRed);

    // A step that cannot move still reloads the strips from the image.
    Image()[568 + 5 * 5 + band::kGain] = 170;
    CurveSetOfBlock(0)->Filter(5)->Rebind();
    Keys(pBar, Qt::Key_Right);
    EXPECT_EQ(strips.Strip(0).GainField()->text(), "10.0");
    EXPECT_EQ(strips.Strip(2).Caption()->TextColor(), kWhite);
}

TEST_F(MusicPage, ControlsStayInsideThePageAndClearOfEachOther) {
    // strips, sliders, fields, combo boxes, buttons, the trackbar, the display
    EXPECT_EQ(test::ExpectControlsInsideAndApart(*m_pPage, test::IsStripPageInput),
              10u + 13u + 5u + 7u + 5u + 1u + 1u);
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
    auto* pField = Item<CNumEdit>(kHighFreqField);
    pField->setFocus();
    pField->selectAll();
    QTest::keyClicks(pField, "1000");
    QTest::keyClick(pField, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(GetU16(Image() + 708), 204);
    EXPECT_TRUE(dialog.isVisible());
    m_pPage->setParent(nullptr);
}

TEST_F(MusicPage, CaptionsFollowTheLanguage) {
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CTransparentStatic>(kLimitAttackCaption)->Text(), "压限启动时间(Atk)");
    EXPECT_EQ(Item<CBitButton>(kEqReset)->text(), "EQ 重置");
    EXPECT_EQ(Item<CBitButton>(kEqBypass)->text(), "EQ Bypass");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Item<CTransparentStatic>(kLimitAttackCaption)->Text(), "Attack Time(Atk)");
    EXPECT_EQ(Item<CBitButton>(kSync)->text(), "SYNC");
}

} // namespace
} // namespace zolt
