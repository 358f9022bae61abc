#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zolt {
namespace {

class CurveSets : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
    }
};

// Every set's filters sit on the block's records, in band order, then high-pass, low-pass.
TEST_F(CurveSets, EveryBlockSetIsBoundToItsOwnRecords) {
    const struct {
        int block;
        int bands;
        std::size_t highPass; // 0: no crossover pair
    } cases[] = {
        {0, 15, 560}, {1, 15, 724}, {2, 20, 247}, {3, 20, 404}, {4, 7, 60},
        {5, 7, 117},  {6, 7, 174},  {7, 7, 226},  {16, 3, 0},   {17, 3, 0},
    };
    for (const auto& c : cases) {
        CKTVEQ* set = CurveSetOfBlock(c.block);
        ASSERT_NE(set, nullptr) << c.block;
        const SEqBlock block = EqBlock(c.block, 1);
        ASSERT_EQ(set->BandCount(), c.bands) << c.block;
        ASSERT_EQ(set->FilterCount(), c.bands + (c.highPass ? 2 : 0)) << c.block;
        for (int i = 0; i < c.bands; ++i) {
            EXPECT_EQ(set->Filter(i)->Record(), Image() + block.m_nFirst + block.m_nStride * i);
            EXPECT_EQ(set->Filter(i)->NumberText(), std::to_string(i + 1));
            EXPECT_EQ(set->Filter(i)->IsDynamic(), c.block >= 16);
        }
        if (c.highPass) {
            EXPECT_EQ(set->HighPass()->Record(), Image() + c.highPass);
            EXPECT_EQ(set->LowPass()->Record(), Image() + c.highPass + 4);
            EXPECT_EQ(set->HighPass()->NumberText(), "H");
            EXPECT_EQ(set->LowPass()->NumberText(), "L");
        } else {
            EXPECT_EQ(set->HighPass(), nullptr);
            EXPECT_EQ(set->HighPassIndex(), -1);
        }
    }
}

TEST_F(CurveSets, AllTwentyFourOutputRecordsHaveTheirOwnSet) {
    for (int set = 1; set <= 3; ++set) {
        for (int record = 0; record < 8; ++record) {
            CKTVEQ* curves = OutputCurveSet(set, record);
            ASSERT_NE(curves, nullptr);
            const std::size_t start = OutputSetOffset(set) + 76 * record;
            ASSERT_EQ(curves->FilterCount(), 12);
            EXPECT_EQ(curves->Block(), 8 + record);
            EXPECT_EQ(curves->Filter(0)->Record(), Image() + start + 11);
            EXPECT_EQ(curves->Filter(9)->Record(), Image() + start + 56);
            EXPECT_EQ(curves->HighPass()->Record(), Image() + start + 66);
            EXPECT_EQ(curves->LowPass()->Record(), Image() + start + 70);
        }
    }
    EXPECT_EQ(OutputCurveSet(0, 0), nullptr);
    EXPECT_EQ(OutputCurveSet(4, 0), nullptr);
    EXPECT_EQ(OutputCurveSet(1, 8), nullptr);
}

TEST_F(CurveSets, OutputBlocksFollowTheLiveOutputSet) {
    const std::pair<int, int> modes[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {9, 1}};
    for (auto [mode, live] : modes) {
        Image()[image::kOutputMode] = static_cast<std::uint8_t>(mode);
        for (int record = 0; record < 8; ++record) {
            EXPECT_EQ(CurveSetOfBlock(8 + record), OutputCurveSet(live, record))
                << "mode " << mode << " record " << record;
        }
    }
    EXPECT_EQ(CurveSetOfBlock(-1), nullptr);
    EXPECT_EQ(CurveSetOfBlock(18), nullptr);
}

TEST_F(CurveSets, CompositeIsTheSumOfItsFiltersWhateverTheBypassFlag) {
    CKTVEQ* set = CurveSetOfBlock(2);
    set->Filter(0)->SetType(1);
    set->Filter(0)->SetGainByte(150);
    set->Filter(5)->SetType(2);
    set->Filter(5)->SetGainByte(60);
    set->HighPass()->SetSlope(8);
    set->HighPass()->SetFreqIndex(100);
    Image()[image::kMic12 + mic::kBypass] = 1;
    set->ComputeComposite();
    for (int i = 0; i < kGridCount; ++i) {
        const double sum = set->Filter(0)->ResponseDb()[i] + set->Filter(5)->ResponseDb()[i] +
                           set->HighPass()->ResponseDb()[i];
        ASSERT_NEAR(set->CompositeDb()[i], sum, 1e-9) << i;
    }
}

TEST_F(CurveSets, RebindingReadsAReplacedImage) {
    std::uint8_t* band = Image() + OutputSetOffset(3) + 76 * 7 + 11 + 5 * 4;
    band[2] = 150;
    band[3] = 16;
    band[4] = 1;
    SetU16(band, 204);
    std::uint8_t* lowPass = Image() + image::kEchoB + 44;
    SetU16(lowPass + 1, 204);
    lowPass[3] = 3;
    RebindAllCurveSets();
    const CFilter* peak = OutputCurveSet(3, 7)->Filter(4);
    EXPECT_EQ(peak->Type(), 1);
    EXPECT_NEAR(peak->ResponseDb()[kGridFirstTableIndex + 204], 6.0, 1e-9);
    EXPECT_NEAR(OutputCurveSet(3, 7)->CompositeDb()[kGridFirstTableIndex + 204], 6.0, 1e-9);
    EXPECT_NEAR(CurveSetOfBlock(5)->LowPass()->ResponseDb()[kGridFirstTableIndex + 204], -3.0,
                0.02);
    EXPECT_EQ(OutputCurveSet(2, 7)->Filter(4)->Type(), 0);
}

} // namespace
} // namespace zolt
