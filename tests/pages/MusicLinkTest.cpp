// The Music page end to end: the program finds a simulated processor and reads it back,
// the user edits on the page, and the link brings the processor up to date. What the
// processor received is read from its record of frames.
#include "PageOverLine.h"

#include "pages/MusicData.h"
#include "pages/MusicDlg.h"

namespace zolt {
namespace {

using namespace musicid;

class MusicOverLine : public test::CPageOverLine<CMusicDlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetMusicView();
    }
};

TEST_F(MusicOverLine, EditsArriveAsTheirFramesAndUnlinkingSendsOnlyTheFlag) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    Click(kRight);
    {
        // Held so that the link finds the three edits together and sends them in its
        // priority order; the page's own writes take the same (recursive) lock.
        CImageGuard guard(ImageLock());
        Keys(kLimitLevelSlider, Qt::Key_End); // 553 = 34, whichever channel is shown
        Keys(kHpfSlope, Qt::Key_End);         // Music Right's high-pass slope 727 = 12
        Keys(kKeySlider, Qt::Key_Home);       // the key's nibble of system byte 9 = 0
    }
    std::vector<std::vector<int>> frames = FramesSent();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], (std::vector<int>{4, 1, 0, Image()[725], Image()[726], 12}));
    EXPECT_EQ(frames[1], (std::vector<int>{7, 7, 34, Image()[554], Image()[555], Image()[556]}));
    EXPECT_EQ(frames[2], (std::vector<int>{9, 0, 0, 0}));
    EXPECT_TRUE(ProcessorMatches());

    Click(kSync);
    Keys(kLowHarmonic, Qt::Key_End); // Music Left 706 = 9 while linked
    frames = FramesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (std::vector<int>{135, 1, 1}));
    EXPECT_EQ(frames[1][0], 18);
    EXPECT_EQ(frames[1][1], 4);

    Click(kSync);
    frames = FramesSent();
    EXPECT_EQ(frames, (std::vector<std::vector<int>>{{135, 1, 0}}))
        << "no frame for the 164 copied bytes";
    EXPECT_TRUE(std::equal(Image() + 553, Image() + 717, Image() + 717));
    // Music Right the processor carries along itself.
    EXPECT_TRUE(ProcessorMatches(image::kMusicRight, image::kMusicLink));
}

} // namespace
} // namespace zolt
