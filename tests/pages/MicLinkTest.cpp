// The Microphone page end to end: the program finds a simulated processor and reads it
// back, the user edits both pairs on the page, and the link brings the processor up to date.
// What the processor received is read from its record of frames.
#include "PageOverLine.h"

#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"
#include "pages/Mic_Dlg.h"

namespace zolt {
namespace {

using namespace micid;

class MicOverLine : public test::CPageOverLine<CMic_Dlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetMicView();
    }
};

TEST_F(MicOverLine, EditsOnEachPairArriveAsTheirFramesAndUnlinkingSendsOnlyTheFlag) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    {
        // Held so that the link finds the edits together and sends them in its priority
        // order; the page's own writes take the same (recursive) lock.
        CImageGuard guard(ImageLock());
        Keys(kFeedback, Qt::Key_End);         // Mic 1&2 239 = 4
        Keys(kLimitLevelSlider, Qt::Key_End); // Mic 1&2 240 = 34
    }
    std::vector<std::vector<int>> frames = FramesSent();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (std::vector<int>{7, 0, 34, Image()[241], Image()[242], Image()[243]}));
    EXPECT_EQ(frames[1], (std::vector<int>{6, 0, 0, 4}));
    EXPECT_TRUE(ProcessorMatches());

    Click(kPair34);
    const int nType = Image()[412 + band::kType];
    {
        CImageGuard guard(ImageLock());
        Keys(kLevelSlider, Qt::Key_End);                           // 395 = 40
        Keys(kHpfSlope, Qt::Key_End);                              // 411 = 12
        Keys(m_pPage->Strips().Strip(0).TypeList(), Qt::Key_Down); // band 1's type, 416
    }
    frames = FramesSent();
    ASSERT_EQ(frames.size(), 3u);
    const std::uint8_t* pBand = Image() + 412;
    EXPECT_EQ(frames[0],
              (std::vector<int>{3, 65, pBand[0], pBand[1], pBand[2], pBand[3], nType + 1}));
    EXPECT_EQ(frames[1], (std::vector<int>{4, 3, 0, Image()[405], Image()[406], 12}));
    EXPECT_EQ(frames[2], (std::vector<int>{19, 2, 40}));
    EXPECT_TRUE(ProcessorMatches());

    Click(kSync);
    frames = FramesSent();
    EXPECT_EQ(frames, (std::vector<std::vector<int>>{{135, 0, 1}}));
    Click(kSync);
    frames = FramesSent();
    EXPECT_EQ(frames, (std::vector<std::vector<int>>{{135, 0, 0}}))
        << "no frame for the 157 copied bytes";
    EXPECT_TRUE(std::equal(Image() + 238, Image() + 395, Image() + 395));
    // Mic 3&4 the processor carries along itself.
    EXPECT_TRUE(ProcessorMatches(image::kMic34, image::kMicLink));
}

} // namespace
} // namespace zolt
