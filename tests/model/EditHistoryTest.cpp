#include "model/EditHistory.h"

#include "model/Command.h"
#include "model/Defaults.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zolt {
namespace {

class EditHistory : public testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        m_history.Reset();
    }
    void TearDown() override { ResetProcessData(); }

    CEditHistory m_history;
};

TEST_F(EditHistory, AGestureOfManyWritesIsOneStepAndUndoBringsBackTheOldRecord) {
    std::uint8_t abBand[band::kSize];
    std::memcpy(abBand, Image() + 568, band::kSize);
    for (int nGain = 121; nGain <= 150; ++nGain) { // a drag through many moves
        Image()[568 + band::kGain] = static_cast<std::uint8_t>(nGain);
    }
    m_history.Cut();
    m_history.Cut(); // a gesture that changed nothing adds no step
    ASSERT_EQ(m_history.UndoCount(), 1u);
    ASSERT_EQ(m_history.NextUndo()->m_aChanges.size(), 1u);
    EXPECT_EQ(m_history.NextUndo()->m_aChanges[0].m_bAfter, 150);

    EXPECT_EQ(DescribeStep(*m_history.NextUndo(), 0), "Music Left EQ band 1 gain");
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(std::memcmp(Image() + 568, abBand, band::kSize), 0);
    EXPECT_EQ(m_history.RedoCount(), 1u);
    ASSERT_TRUE(m_history.Redo());
    EXPECT_EQ(Image()[568 + band::kGain], 150);
    EXPECT_FALSE(m_history.Redo());
}

TEST_F(EditHistory, UndoOfAnUnlinkRestoresBothBlocksAndTheFlag) {
    Image()[image::kMusicLink] = 1;
    Image()[568 + band::kGain] = 180; // edited while linked: Music Left only
    m_history.Cut();
    const std::uint8_t bRightBefore = Image()[732 + band::kGain];
    {
        CImageGuard guard(ImageLock());
        Image()[image::kMusicLink] = 0;
        MusicLinkCopy(); // Music Right := Music Left, in the shadow too
    }
    ASSERT_EQ(Image()[732 + band::kGain], 180);
    // The link flag and Music Right's band: two settings of two blocks.
    EXPECT_EQ(DescribeStep(*m_history.NextUndo(), 0), "Mode (2 settings)");
    EXPECT_EQ(DescribeStep(*m_history.NextUndo(), 1), "模式（2 项设置）");
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(Image()[image::kMusicLink], 1);
    EXPECT_EQ(Image()[732 + band::kGain], bRightBefore);
    EXPECT_EQ(Image()[568 + band::kGain], 180);
}

TEST_F(EditHistory, ANewEditAfterUndoDropsTheRedoBranch) {
    System()[sysblock::kMusicVolume] = 40;
    m_history.Cut();
    ASSERT_TRUE(m_history.Undo());
    EXPECT_EQ(System()[sysblock::kMusicVolume], 0);
    System()[sysblock::kMicVolume] = 10;
    EXPECT_EQ(m_history.NextRedo(), nullptr) << "the new edit ends the gesture first";
    EXPECT_FALSE(m_history.Redo());
    EXPECT_EQ(m_history.UndoCount(), 1u);
}

TEST_F(EditHistory, AbsorbedAndResetChangesAreNoSteps) {
    Image()[image::kName] = 'X'; // a store wrote the name
    m_history.Absorb();
    EXPECT_EQ(m_history.NextUndo(), nullptr);
    Image()[600] = 1;
    m_history.Cut();
    Image()[601] = 1; // a read-back replaced the image
    m_history.Reset();
    EXPECT_EQ(m_history.NextUndo(), nullptr);
    EXPECT_FALSE(m_history.Undo());
    EXPECT_EQ(Image()[601], 1);
}

TEST_F(EditHistory, KeepsTheNewestStepsUpToItsLimit) {
    for (std::size_t i = 0; i < CEditHistory::kMaxSteps + 5; ++i) {
        Image()[568 + band::kGain] = static_cast<std::uint8_t>(i % 2 == 0 ? 10 : 20);
        m_history.Cut();
    }
    EXPECT_EQ(m_history.UndoCount(), CEditHistory::kMaxSteps);
    EXPECT_GE(CEditHistory::kMaxSteps, 200u);
}

} // namespace
} // namespace zolt
