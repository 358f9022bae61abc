// The effect page end to end: the program finds a simulated processor and reads it back,
// the user edits echo A, echo B and the reverb, and the link brings the processor up to date.
// What the processor received is read from its record of frames.
#include "PageOverLine.h"

#include "model/DataConver.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/Rev_Dlg.h"

namespace zolt {
namespace {

class EffectOverLine : public test::CPageOverLine<CEffect_Dlg> {
protected:
    void SetUp() override {
        CPageOverLine::SetUp();
        ResetEffectUnit();
    }
    void TearDown() override {
        CPageOverLine::TearDown();
        ResetEffectUnit();
    }
    void Select(int nSelector, QWidget* pPanel) {
        Within(nullptr);
        Click(nSelector);
        Within(pPanel);
    }
};

TEST_F(EffectOverLine, AnEditOfEachUnitArrivesAsItsFrame) {
    ASSERT_NO_FATAL_FAILURE(Connect());
    m_pPage->Refresh();
    FramesSent(); // the read-back
    ASSERT_TRUE(ProcessorMatches());

    Within(&m_pPage->EchoPanel());
    Keys(echoid::kPreDelaySlider, Qt::Key_End); // echo A pre-delay 68 = 1500: time 0
    std::vector<std::vector<int>> frames = FramesSent();
    EXPECT_EQ(frames, (std::vector<std::vector<int>>{{cmd::kTime, 0, 0xDC, 0x05}}));

    Select(effectid::kEchoB, &m_pPage->EchoPanel());
    {
        // Held so that the link finds both edits together and sends them in its order.
        CImageGuard guard(ImageLock());
        Keys(echoid::kRepeatSlider, Qt::Key_End); // echo B repeat 133 = 90: mix point 3
        Click(echoid::kWetPolarity);              // echo B wet polarity 114 = 1: mix point 4
    }
    frames = FramesSent();
    EXPECT_EQ(frames,
              (std::vector<std::vector<int>>{{cmd::kMixLevel, 3, 90}, {cmd::kMixPolarity, 4, 1}}));

    Select(effectid::kReverb, &m_pPage->ReverbPanel());
    {
        CImageGuard guard(ImageLock());
        Keys(revid::kTimeSlider, Qt::Key_End); // reverb time 184 = 50000: time 9
        DragPoint(3, QPoint(0, -60));          // reverb band 4 at 149: band number 100
    }
    frames = FramesSent();
    ASSERT_EQ(frames.size(), 2u);
    const std::uint8_t* pBand = Image() + image::kReverb + 3 * band::kSize;
    EXPECT_GT(pBand[band::kGain], kGainRawZero);
    EXPECT_EQ(frames[0], (std::vector<int>{cmd::kEqBand, 100, pBand[0], pBand[1], pBand[2],
                                           pBand[3], pBand[4]}));
    EXPECT_EQ(frames[1], (std::vector<int>{cmd::kTime, 9, 0x50, 0xC3}));
    EXPECT_TRUE(ProcessorMatches());
}

} // namespace
} // namespace zolt
