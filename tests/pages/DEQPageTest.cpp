// The Dynamic EQ page against the working image, the shadow and what the synchronisation
// sends.
#include "PageUser.h"

#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/DEQ_Dlg.h"
#include "pages/MusicData.h"
#include "pages/MusicDlg.h"

#include <cstring>

namespace zolt {
namespace {

using namespace deqid;

constexpr std::size_t kLeftRecords = 674;  // Music Left's three records, 10 bytes apart
constexpr std::size_t kRightRecords = 838; // Music Right's

class DEQPage : public test::CPageUser<CDEQ_Dlg> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        CommitShadow(true); // the processor holds what the program shows
        ResetDeqView();
        ResetMusicView();
        ShowPage();
    }
    void TearDown() override {
        m_pPage.reset();
        ResetProcessData();
    }
    // The frame the synchronisation sends for dynamic band record nRecord (0..5).
    static std::vector<int> RecordFrame(int nRecord) {
        const std::size_t nOffset = (nRecord < 3 ? kLeftRecords : kRightRecords) +
                                    deq::kSize * static_cast<std::size_t>(nRecord % 3);
        std::vector<int> frame{17, nRecord};
        frame.insert(frame.end(), Image() + nOffset, Image() + nOffset + deq::kSize);
        return frame;
    }
    void ExpectChannelButtons(int nLeft, int nRight, bool bEnabled) {
        EXPECT_EQ(Item<CBitButton>(kLeft)->Checked(), nLeft);
        EXPECT_EQ(Item<CBitButton>(kRight)->Checked(), nRight);
        EXPECT_EQ(Enabled(kLeft), bEnabled);
        EXPECT_EQ(Enabled(kRight), bEnabled);
    }
    QString FieldText(int nField) const { return Item<CNumEdit>(nField)->text(); }
};

TEST_F(DEQPage, DynamicsSlidersWriteTheShownChannelsRecordAndKeepItsLastByte) {
    Click(kRight);
    StepTo(kThresholdSlider + 2, 30);
    EXPECT_EQ(Image()[863], 30);
    EXPECT_EQ(LabelText(kThresholdLabel + 2), "-18dBV");
    EXPECT_EQ(Image()[699], 0) << "Music Left's record stays";

    StepTo(kAttackSlider + 2, 19);
    StepTo(kReleaseSlider + 2, 7);
    StepTo(kRatioSlider + 2, 40);
    EXPECT_EQ(LabelText(kAttackLabel + 2), "400ms");
    EXPECT_EQ(LabelText(kReleaseLabel + 2), "Atk X32");
    EXPECT_EQ(LabelText(kRatioLabel + 2), "100");
    // 4240 Hz (index 279), 0 dB, Q 0.71, "BY"; the dynamics; byte +9 as the defaults left it.
    const std::vector<int> expected{17, 5, 0x17, 0x01, 120, 10, 0, 30, 19, 7, 40, 1};
    EXPECT_EQ(RecordFrame(5), expected) << "byte +9 keeps its 1";
    EXPECT_EQ(test::NextSyncFrame(), expected);
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));

    // The other ends of the scales, on Music Left's first band.
    Click(kLeft);
    StepTo(kThresholdSlider, 0);
    EXPECT_EQ(LabelText(kThresholdLabel), "-48dBV");
    EXPECT_EQ(LabelText(kAttackLabel), "0.5ms");
    StepTo(kThresholdSlider, 60);
    EXPECT_EQ(LabelText(kThresholdLabel), "12dBV");
    EXPECT_EQ(test::NextSyncFrame(), RecordFrame(0));
}

TEST_F(DEQPage, GainTakesOnlyMinus12ToPlus12AndAnOutsideRecordShowsAsItIs) {
    Type(kGain + 1, "-20");
    EXPECT_EQ(Image()[684 + band::kGain], 60) << "-20 dB typed stops at -12 dB";
    EXPECT_EQ(FieldText(kGain + 1), "-12.0");
    EXPECT_EQ(Item<CBitmapSlider>(kGainSlider + 1)->PosFromFarEnd(), 60);
    Keys(kGainSlider + 1, Qt::Key_Home); // the top of a vertical slider
    EXPECT_EQ(Image()[684 + band::kGain], 180);
    EXPECT_EQ(FieldText(kGain + 1), "12.0");
    Keys(kGainSlider + 1, Qt::Key_Down);
    EXPECT_EQ(FieldText(kGain + 1), "11.8");

    // Music Right from a file: band 2 at -20 dB shows -20.0 in its field, with its slider
    // at its end, not the 11.8 Music Left's band had; band 3 shows its record; the reload
    // writes nothing.
    std::uint8_t* p = Image() + kRightRecords + deq::kSize;
    p[band::kGain] = 20;
    p[deq::kSize + band::kGain] = 150;
    p[deq::kSize + band::kType] = 2;
    p[deq::kSize + deq::kThreshold] = 48;
    RebindAllCurveSets();
    CommitShadow(true);
    std::uint8_t abBefore[kImageSize];
    std::memcpy(abBefore, Image(), kImageSize);
    Click(kRight);
    EXPECT_EQ(FieldText(kGain + 1), "-20.0");
    EXPECT_EQ(Item<CBitmapSlider>(kGainSlider + 1)->PosFromFarEnd(), 60);
    EXPECT_EQ(FieldText(kGain + 2), "6.0");
    EXPECT_EQ(Item<CBitComboBox>(kType + 2)->currentText(), "LS");
    EXPECT_EQ(LabelText(kThresholdLabel + 2), "0dBV");
    QApplication::processEvents();
    EXPECT_EQ(std::memcmp(abBefore, Image(), kImageSize), 0);
    EXPECT_TRUE(test::IsPollFrame(test::NextSyncFrame()));
}

TEST_F(DEQPage, LinkingWhileMusicRightIsShownMovesTheMusicPageToMusicLeftToo) {
    CMusicDlg music(nullptr);
    music.show();
    QTest::mouseClick(DlgItem<CBitButton>(&music, musicid::kRight), Qt::LeftButton);
    ASSERT_EQ(MusicView().m_nChannel, 1);
    m_pPage->activateWindow(); // its fields commit when they lose the focus
    QApplication::processEvents();

    Click(kRight);
    ASSERT_EQ(m_pPage->Display().Block(), kDeqMusicRight);
    Click(kSync);
    EXPECT_EQ(Image()[image::kMusicLink], 1);
    EXPECT_EQ(DeqView().m_nChannel, kDeqMusicLeft);
    EXPECT_EQ(m_pPage->Display().Block(), kDeqMusicLeft);
    EXPECT_EQ(Item<CBitButton>(kSync)->Checked(), 1);
    ExpectChannelButtons(0, 0, false);

    music.Refresh(); // as every tab change does
    EXPECT_EQ(MusicView().m_nChannel, 0);
    EXPECT_EQ(music.Display().Block(), 0);
    EXPECT_EQ(DlgItem<CBitButton>(&music, musicid::kSync)->Checked(), 1);
    EXPECT_FALSE(DlgItem<CBitButton>(&music, musicid::kRight)->isEnabled());

    // Unlinking on the Music page copies Music Left's records over Music Right's, in the
    // image and the shadow alike, and this page shows the channels apart again.
    Type(kGain + 2, "6");
    StepTo(kRatioSlider + 2, 12);
    QTest::mouseClick(DlgItem<CBitButton>(&music, musicid::kSync), Qt::LeftButton);
    m_pPage->Refresh();
    EXPECT_EQ(Image()[image::kMusicLink], 0);
    ExpectChannelButtons(1, 0, true);
    EXPECT_EQ(std::memcmp(Image() + kRightRecords, Image() + kLeftRecords, 3 * deq::kSize), 0);
    EXPECT_EQ(std::memcmp(Shadow() + kRightRecords, Image() + kLeftRecords, 3 * deq::kSize), 0);
    Click(kRight);
    EXPECT_EQ(FieldText(kGain + 2), "6.0");
    EXPECT_EQ(LabelText(kRatioLabel + 2), zolt::LabelText(ELabelTable::Ratio, 12));
}

TEST_F(DEQPage, EqResetPutsTheShownBandsBackAndKeepsTheirDynamics) {
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t nRecords : {kLeftRecords, kRightRecords}) {
            std::uint8_t* p = Image() + nRecords + deq::kSize * i;
            SetU16(p + band::kFreq, 300);
            p[band::kGain] = 70;
            p[band::kQ] = 50;
            p[band::kType] = 3;
            for (std::size_t j = deq::kThreshold; j <= deq::kExtra; ++j) {
                p[j] = static_cast<std::uint8_t>(10 * i + j);
            }
        }
    }
    RebindAllCurveSets();
    CommitShadow(true);
    Click(kRight);
    Type(kFreq, "1000");
    ASSERT_EQ(m_pPage->Display().SelectedIndex(), 0);
    std::uint8_t abLeft[3 * deq::kSize];
    std::memcpy(abLeft, Image() + kLeftRecords, sizeof abLeft);

    Click(kEqReset);
    const int anDefaultFreq[] = {20, 129, 279};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::uint8_t* p = Image() + kRightRecords + deq::kSize * i;
        EXPECT_EQ(GetU16(p + band::kFreq), anDefaultFreq[i]);
        EXPECT_EQ(p[band::kGain], kGainRawZero);
        EXPECT_EQ(p[band::kQ], 10);
        EXPECT_EQ(p[band::kType], 1);
        for (std::size_t j = deq::kThreshold; j <= deq::kExtra; ++j) {
            EXPECT_EQ(p[j], 10 * i + j) << "band " << i << " byte +" << j;
        }
        const int b = static_cast<int>(i);
        EXPECT_EQ(FieldText(kGain + b), "0.0");
        EXPECT_EQ(Item<CBitmapSlider>(kGainSlider + b)->PosFromFarEnd(), kGainRawZero);
        EXPECT_EQ(Item<CBitComboBox>(kType + b)->currentText(), "P");
        EXPECT_EQ(Item<CNumEdit>(kFreq + b)->Value(), anDefaultFreq[i]);
        EXPECT_EQ(Item<CNumEdit>(kQ + b)->Value(), 10);
    }
    EXPECT_EQ(std::memcmp(Image() + kLeftRecords, abLeft, sizeof abLeft), 0);
    EXPECT_EQ(m_pPage->Display().Block(), kDeqMusicRight);
    EXPECT_EQ(m_pPage->Display().HighlightedIndex(), -1);
}

TEST_F(DEQPage, EditsOfABandHighlightItsItemOnTheDisplay) {
    CFStatic& display = m_pPage->Display();
    Type(kFreq + 2, "5000");
    EXPECT_EQ(display.SelectedIndex(), 2);
    EXPECT_EQ(CurveSetOfBlock(kDeqMusicLeft)->Filter(2)->FreqIndex(), IndexOfFreq(5000));

    StepTo(kType + 1, 2);
    EXPECT_EQ(display.SelectedIndex(), 1);

    Type(kQ + 2, "2");
    EXPECT_EQ(display.SelectedIndex(), 2);
    EXPECT_EQ(Image()[694 + band::kQ], IndexOfQ(2));

    Keys(kGainSlider + 0, Qt::Key_Up, 5);
    EXPECT_EQ(display.SelectedIndex(), 0);
    Keys(kGainSlider + 2, Qt::Key_Up, 5);
    EXPECT_EQ(display.SelectedIndex(), 2);
    EXPECT_EQ(Image()[694 + band::kGain], kGainRawZero + 5);
    EXPECT_EQ(FieldText(kGain + 2), "1.0");

    StepTo(kThresholdSlider + 0, 5); // dynamics leave the display alone
    EXPECT_EQ(display.SelectedIndex(), 2);
}

TEST_F(DEQPage, DraggingABandsPointReloadsItsColumnAndStopsAtMinus12) {
    Click(kRight);
    Type(kGain, "3");
    DragPoint(1, QPoint(80, -20));
    const CFilter& filter = *CurveSetOfBlock(kDeqMusicRight)->Filter(1);
    EXPECT_GT(filter.FreqIndex(), 129);
    EXPECT_GT(filter.GainByte(), kGainRawZero);
    EXPECT_EQ(Item<CNumEdit>(kFreq + 1)->Value(), filter.FreqIndex());
    EXPECT_EQ(Item<CNumEdit>(kGain + 1)->Value(), filter.GainByte());
    EXPECT_EQ(Item<CBitmapSlider>(kGainSlider + 1)->PosFromFarEnd(), filter.GainByte());
    EXPECT_EQ(GetU16(Image() + 848), filter.FreqIndex());

    DragPoint(1, QPoint(0, 400));
    EXPECT_EQ(Image()[848 + band::kGain], 60);
    EXPECT_EQ(FieldText(kGain + 1), "-12.0");
    EXPECT_EQ(Item<CBitmapSlider>(kGainSlider + 1)->PosFromFarEnd(), 60);
    EXPECT_EQ(FieldText(kGain), "3.0") << "the other columns stay";
}

TEST_F(DEQPage, ControlsStayInsideThePageAndClearOfEachOther) {
    // per band: 13 captions and labels, 5 sliders, 3 fields, a combo box; 4 buttons, the
    // display
    EXPECT_EQ(test::ExpectControlsInsideAndApart(
                  *m_pPage, [](const QWidget* pChild) { return !pChild->isHidden(); }),
              3u * 22u + 4u + 1u);
}

TEST_F(DEQPage, CaptionsFollowTheLanguageAndTheBypassButtonStaysHidden) {
    g_flags.m_nLanguage = 1;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(kAttackCaption + 2), "压限启动时间(Atk)");
    EXPECT_EQ(Item<CBitButton>(kEqReset)->text(), "EQ 重置");
    g_flags.m_nLanguage = 0;
    m_pPage->ApplyLanguage();
    EXPECT_EQ(Text(kThresholdCaption + 1), "Limit Level");
    EXPECT_EQ(Item<CBitButton>(kRight)->text(), "Music Right");
    EXPECT_EQ(Text(kBandNumber + 2), "3");

    Click(kSync);
    m_pPage->Refresh();
    ASSERT_NE(Item<CBitButton>(kBypass), nullptr);
    EXPECT_TRUE(Item(kBypass)->isHidden());
}

} // namespace
} // namespace zolt
