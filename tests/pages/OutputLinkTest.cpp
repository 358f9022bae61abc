// The output page end to end: the program finds a simulated processor and reads it back,
// the user edits in each of the five output views, and the link brings the processor up to
// date. What the processor received is read from its record of frames.
#include "PageOverLine.h"

#include "pages/MainData.h"
#include "pages/MainDlg.h"

#include <cstring>

namespace zolt {
namespace {

using namespace outputid;
using Frames = std::vector<std::vector<int>>;

class OutputOverLine : public test::CPageOverLine<CMainDlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetOutputView();
    }
    void ShowView(int nIndex) {
        m_pPage->ShowView(nIndex);
        m_pPage->Refresh();
        QApplication::processEvents();
    }
};

TEST_F(OutputOverLine, AnEditInEachViewArrivesAsItsFrame) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    ShowView(3); // "Out 1", record 5: its music level is mix point 48
    Keys(kMusicSlider, Qt::Key_End);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kMixLevel, 48, 200}}));

    ShowView(4); // the "Out 3" delay, record 1: time value 11
    Keys(kSecondDelaySlider, Qt::Key_End);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kTime, 11, 0xDC, 0x05}}));

    ShowView(7); // the Center limiter, record 2: limiter 3
    Keys(kLimitLevelSlider, Qt::Key_End);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kLimiter, 3, 34, 0, 0, 0}}));

    ShowView(8); // the SUB mute, record 3
    Click(kFirstMute);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kOutputByte, 3, 1, 0}}));

    ShowView(9); // the "Surround L" high-pass slope, record 6: crossover 13
    Keys(kHpfSlope, Qt::Key_End);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kFilter, 13, 0, 0, 0, 12}}));
    EXPECT_TRUE(ProcessorMatches());

    // Linking Surround sends the flag; unlinking copies record 6 over record 7, and the
    // synchronisation sends what the copy changed (record 7's high-pass, crossover 14)
    // before the flag.
    Click(kSync);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kLink, 5, 1}}));
    Click(kSync);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kFilter, 14, 0, 0, 0, 12}, {cmd::kLink, 5, 0}}));
    const std::size_t nSurroundR = OutputSetOffset(1) + 7 * output::kSize;
    EXPECT_EQ(Image()[nSurroundR + output::kHighPass + xover::kSlope], 12);
    EXPECT_TRUE(ProcessorMatches());
}

TEST_F(OutputOverLine, TheOutputModeIsSentAsItsOwnFrame) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ShowView(3);
    Click(kModeDisco);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kOutputMode, 2}}));
    Click(kModeAuto);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kOutputMode, 0}}));
    EXPECT_TRUE(ProcessorMatches());
}

// Edits made while Out1&2 is linked, then unlinked: the window keeps the edits on both
// outputs and the processor comes to hold what the window shows, also when it copies
// Out 2 over Out 1 itself as the flag clears. The other output sets take the copy in the
// window's image; the synchronisation sends only the live set.
class OutputUnlinkOverLine : public OutputOverLine {
protected:
    // What a processor may do itself when the Out1&2 flag clears: record 4 over record 5
    // of the live set, record 5 keeping its mute and delay.
    void ProcessorCopiesOut2OverOut1() {
        m_v.Device().Edit([](sim::SSimState& state) {
            std::uint8_t* pOut2 = state.m_abImage.data() + OutputSetOffset(1) + 4 * output::kSize;
            std::uint8_t* pOut1 = pOut2 + output::kSize;
            const std::uint8_t bMute = pOut1[output::kMute];
            const std::uint16_t nDelay = GetU16(pOut1 + output::kDelay);
            std::memcpy(pOut1, pOut2, output::kSize);
            pOut1[output::kMute] = bMute;
            SetU16(pOut1 + output::kDelay, nDelay);
        });
    }
    void EditLinkedThenUnlink(bool bProcessorCopies) {
        ASSERT_NO_FATAL_FAILURE(Connect());
        FramesSent();
        ShowView(3);
        Click(kSync);
        EXPECT_EQ(FramesSent(), (Frames{{cmd::kLink, 4, 1}}));
        Keys(kMusicSlider, Qt::Key_End);
        Keys(m_pPage->Strips().Strip(3).GainSlider(), Qt::Key_Up, 5);
        StepTo(kHpfSlope, 9);
        FramesSent();
        const std::size_t nOut1 = OutputSetOffset(1) + 5 * output::kSize;
        const std::vector<std::uint8_t> abEdited(Image() + nOut1, Image() + nOut1 + output::kSize);

        Click(kSync);
        const Frames sent = FramesSent();
        ASSERT_GT(sent.size(), 1u) << "Out 2 takes the edits";
        EXPECT_EQ(sent.back(), (std::vector<int>{cmd::kLink, 4, 0})) << "the flag comes last";
        if (bProcessorCopies) {
            ProcessorCopiesOut2OverOut1();
        }
        EXPECT_EQ(std::memcmp(Image() + nOut1, abEdited.data(), output::kSize), 0)
            << "Out 1 is as it was edited";
        EXPECT_EQ(LabelText(kMusicLabel), "200%");
        Click(kFirstChannel); // "Out 2"
        EXPECT_EQ(LabelText(kMusicLabel), "200%");
        EXPECT_EQ(Item<CBitComboBox>(kHpfSlope)->currentIndex(), 9);
        EXPECT_TRUE(ProcessorMatches(OutputSetOffset(2), OutputSetOffset(4)));
    }
};

TEST_F(OutputUnlinkOverLine, TheProcessorHoldsTheLinkedEditsOnBothOutputs) {
    EditLinkedThenUnlink(false);
}

TEST_F(OutputUnlinkOverLine, AlsoWhenItCopiesThePairItselfOnTheFlag) {
    EditLinkedThenUnlink(true);
}

} // namespace
} // namespace zolt
