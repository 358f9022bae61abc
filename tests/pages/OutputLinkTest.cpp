// The output page end to end: the program finds a simulated processor and reads it back,
// the user edits in each of the five output views, and the link brings the processor up to
// date. What the processor received is read from its record of frames.
#include "PageOverLine.h"

#include "pages/MainData.h"
#include "pages/MainDlg.h"

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

    // Linking and unlinking Surround sends only the flag: the copy of record 6 over record 7
    // the processor makes itself.
    Click(kSync);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kLink, 5, 1}}));
    Click(kSync);
    EXPECT_EQ(FramesSent(), (Frames{{cmd::kLink, 5, 0}}));
    const std::size_t nSurroundR = OutputSetOffset(1) + 7 * output::kSize;
    EXPECT_EQ(Image()[nSurroundR + output::kHighPass + xover::kSlope], 12);
    EXPECT_TRUE(ProcessorMatches(nSurroundR, nSurroundR + output::kSize));
}

} // namespace
} // namespace zolt
