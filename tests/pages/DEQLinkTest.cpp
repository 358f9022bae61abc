// The Dynamic EQ page end to end: the program finds a simulated processor and reads it
// back, the user edits the dynamic bands, and the link sends each changed record as its
// dynamic-EQ band frame.
#include "PageOverLine.h"

#include "pages/DEQ_Dlg.h"

namespace zolt {
namespace {

using namespace deqid;

class DEQOverLine : public test::CPageOverLine<CDEQ_Dlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetDeqView();
    }
    static std::vector<int> RecordFrame(int nRecord, std::size_t nOffset) {
        std::vector<int> frame{17, nRecord};
        frame.insert(frame.end(), Image() + nOffset, Image() + nOffset + deq::kSize);
        return frame;
    }
};

TEST_F(DEQOverLine, EditsArriveAsTheirRecordsFrames) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    Click(kRight);
    ASSERT_NE(Image()[863], 60); // the processor's mode holds something else
    Keys(kThresholdSlider + 2, Qt::Key_End);
    std::vector<std::vector<int>> frames = FramesSent();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], RecordFrame(5, 858)); // Music Right's third band
    EXPECT_EQ(frames[0][2 + deq::kThreshold], 60);
    EXPECT_TRUE(ProcessorMatches());

    Click(kLeft);
    ASSERT_NE(Image()[674 + band::kGain], 90);
    Type(kGain, "-6");
    const int nFreq = GetU16(Image() + 684);
    DragPoint(1, QPoint(40, 0));
    EXPECT_GT(GetU16(Image() + 684), nFreq);
    frames = FramesSent();
    ASSERT_FALSE(frames.empty());
    for (const std::vector<int>& frame : frames) {
        EXPECT_EQ(frame[0], 17);
        EXPECT_TRUE(frame[1] == 0 || frame[1] == 1) << "record " << frame[1];
    }
    EXPECT_EQ(frames.back(), RecordFrame(1, 684));
    EXPECT_EQ(Image()[674 + band::kGain], 90);
    EXPECT_TRUE(ProcessorMatches());
}

} // namespace
} // namespace zolt
