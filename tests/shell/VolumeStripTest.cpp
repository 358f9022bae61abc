// The master volume strip on the page kit: its rows land on the volume fields of the
// system block, each limited by the maximum of its own kind.
#include "ShellFixture.h"

#include "../pages/FieldKitCheck.h"
#include "shell/VolumeStrip.h"

#include <set>

namespace zolt {
namespace {

TEST_F(ShellTest, TheVolumeRowsLandOnTheVolumeFieldsAndTheirMaximums) {
    auto dlg = MakeWindow();
    const auto* pStrip = dlg->Content().findChild<CVolumeStrip*>();
    ASSERT_NE(pStrip, nullptr);
    std::set<EFieldKind> kinds;
    EXPECT_EQ(
        test::ExpectRowsOnTheirFields(pStrip->Fields(), dlg->Content(), "volume strip", kinds), 3u);
    EXPECT_EQ(kinds, (std::set<EFieldKind>{EFieldKind::Volume, EFieldKind::EffectVolume}));
}

} // namespace
} // namespace zolt
