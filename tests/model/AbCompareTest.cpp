// A/B compare: each side keeps its own edits across switches, and keeping a side ends the
// compare with exactly that side in the working image.
#include "model/AbCompare.h"

#include "model/Command.h"
#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zolt {
namespace {

using ESide = CAbCompare::ESide;

class AbCompare : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
    }
    static CAbCompare::CImage Working() {
        CAbCompare::CImage image{};
        std::copy_n(Image(), kImageSize, image.begin());
        return image;
    }
};

// Music Left band 1's gain byte and Out 1's delay, two edits far apart.
constexpr std::size_t kGain = image::kMusicLeft + 2;
constexpr std::size_t kOther = 2000;

TEST_F(AbCompare, EachSideKeepsItsEditsAcrossSwitches) {
    CAbCompare compare;
    EXPECT_FALSE(compare.Active());
    compare.Switch(); // nothing under way: nothing happens
    const CAbCompare::CImage a = Working();
    EXPECT_EQ(Working(), a);

    compare.Start();
    ASSERT_TRUE(compare.Active());
    EXPECT_EQ(compare.Shown(), ESide::B);
    Image()[kGain] = static_cast<std::uint8_t>(a[kGain] + 10); // edited as B
    const CAbCompare::CImage b = Working();
    EXPECT_EQ(compare.Side(ESide::A), a);
    EXPECT_EQ(compare.Side(ESide::B), b);

    compare.Switch();
    EXPECT_EQ(compare.Shown(), ESide::A);
    EXPECT_EQ(Working(), a);
    Image()[kOther] = static_cast<std::uint8_t>(a[kOther] ^ 1); // edited as A
    const CAbCompare::CImage editedA = Working();

    compare.Switch();
    EXPECT_EQ(compare.Shown(), ESide::B);
    EXPECT_EQ(Working(), b) << "B comes back without A's edit";
    EXPECT_EQ(compare.Side(ESide::A), editedA);

    compare.Switch();
    EXPECT_EQ(Working(), editedA) << "A comes back with its edit";
}

TEST_F(AbCompare, KeepingASideEndsWithThatSide) {
    for (const ESide kept : {ESide::A, ESide::B}) {
        for (const int switches : {0, 1}) {
            SetUp();
            CAbCompare compare;
            const CAbCompare::CImage a = Working();
            compare.Start();
            Image()[kGain] = static_cast<std::uint8_t>(a[kGain] + 5);
            const CAbCompare::CImage b = Working();
            for (int i = 0; i < switches; ++i) {
                compare.Switch();
            }
            compare.Keep(kept);
            EXPECT_FALSE(compare.Active());
            EXPECT_EQ(Working(), kept == ESide::A ? a : b)
                << "kept " << (kept == ESide::A ? "A" : "B") << " after " << switches;
            compare.Switch(); // ended: the working image stays
            EXPECT_EQ(Working(), kept == ESide::A ? a : b);
        }
    }
}

} // namespace
} // namespace zolt
