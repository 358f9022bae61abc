// The curve display reads nothing from the image: its page tells it whether the shown set
// is bypassed and whether it may be dragged, on every load, bypass click, channel or unit
// switch and output mode.
#include "PageUser.h"

#include "eq/KTVEQ.h"
#include "model/Defaults.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/MusicDlg.h"

namespace zolt {
namespace {

template <class TPage> class DisplayState : public test::CPageUser<TPage> {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        ResetMusicView();
        ResetDeqView();
        ResetOutputView();
        ResetEffectUnit();
    }
    void TearDown() override {
        this->m_pPage.reset();
        ResetProcessData();
        ResetEffectUnit();
    }
    bool Bypassed() const { return this->m_pPage->Display().Bypassed(); }
    bool Interactive() const { return this->m_pPage->Display().Interactive(); }
};

using MusicDisplay = DisplayState<CMusicDlg>;
using DeqDisplay = DisplayState<CDEQ_Dlg>;
using OutputDisplay = DisplayState<CMainDlg>;
using EffectDisplay = DisplayState<CEffect_Dlg>;

TEST_F(MusicDisplay, FollowsTheBypassOfTheShownChannel) {
    Image()[image::kMusicRight + music::kBypass] = 1;
    ShowPage();
    EXPECT_FALSE(Bypassed());
    Click(musicid::kEqBypass);
    EXPECT_TRUE(Bypassed());
    Click(musicid::kEqBypass);
    EXPECT_FALSE(Bypassed());
    Click(musicid::kRight);
    EXPECT_TRUE(Bypassed()) << "Music Right's flag";
    Image()[image::kMusicRight + music::kBypass] = 2; // only 1 is a bypass
    m_pPage->Refresh();
    EXPECT_FALSE(Bypassed());
    EXPECT_TRUE(Interactive());
}

TEST_F(DeqDisplay, TheDynamicBandsAreNeverBypassed) {
    Image()[image::kMusicLeft + music::kBypass] = 1;
    ShowPage();
    EXPECT_FALSE(Bypassed());
    EXPECT_TRUE(Interactive());
}

TEST_F(OutputDisplay, OutputModeZeroIsNeitherBypassedNorDraggable) {
    Image()[image::kOutputMode] = 0;
    Image()[OutputSetOffset(1) + output::kSize * 5 + output::kBypass] = 1; // Out 1, set 1
    ShowPage();
    EXPECT_FALSE(Bypassed());
    EXPECT_FALSE(Interactive());
    Image()[image::kOutputMode] = 1;
    m_pPage->Refresh();
    EXPECT_TRUE(Bypassed());
    EXPECT_TRUE(Interactive());
    Image()[image::kOutputMode] = 2;
    RebindAllCurveSets();
    m_pPage->Refresh();
    EXPECT_FALSE(Bypassed()) << "set 2's flag";
    Click(outputid::kEqPass);
    EXPECT_TRUE(Bypassed());
}

TEST_F(EffectDisplay, FollowsTheBypassOfTheShownUnit) {
    ShowPage();
    m_pPage->Refresh();
    Within(&m_pPage->EchoPanel());
    Click(echoid::kEqPass);
    EXPECT_TRUE(Bypassed());
    Within(nullptr);
    Click(effectid::kEchoB);
    EXPECT_FALSE(Bypassed());
    Image()[image::kReverb + effect::kBypass] = 1;
    Click(effectid::kReverb);
    EXPECT_TRUE(Bypassed());
    Click(effectid::kEchoA);
    EXPECT_TRUE(Bypassed());
}

} // namespace
} // namespace zolt
