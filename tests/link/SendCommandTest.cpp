#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zolt::test {
namespace {

class SendCommandTest : public CLinkTest {};

// What the builder queues for one command: frames, parameters of the first and last,
// the length and flags of each, and whether the store-busy flag is set.
struct SBuildCase {
    std::uint8_t m_nCode;
    std::uint8_t m_nParameter;
    std::size_t m_nFrames;
    int m_nFirst;
    int m_nLast;
    std::uint16_t m_nLength;
    const char* m_pszFlags; // p probe, b bulk, s settle, c store completion
    bool m_bStoreBusy;
};

constexpr SBuildCase kBuildCases[] = {
    {127, 9, 1, 0, 0, 3, "p", false},    {128, 9, 22, 0, 21, 3, "", false},
    {129, 0, 1, 0, 0, 3, "", false},     {130, 0, 1, 0, 0, 3, "", false},
    {130, 5, 21, 1, 21, 3, "b", false},  {131, 1, 1, 1, 1, 69, "s", false},
    {132, 0, 1, 0, 0, 2715, "sc", true}, {132, 1, 21, 1, 21, 2715, "b", false},
    {133, 0, 1, 0, 0, 3, "", false},     {133, 4, 1, 4, 4, 3, "sc", true},
    {134, 0, 1, 0, 0, 23, "", false},    {134, 3, 1, 3, 3, 23, "c", true},
    {134, 22, 0, 0, 0, 0, "", false}, // no slot 22: nothing to store
    {135, 1, 0, 0, 0, 0, "", false},     {137, 1, 0, 0, 0, 0, "", false},
    {139, 1, 0, 0, 0, 0, "", false},     {142, 1, 0, 0, 0, 0, "", false},
};

std::string FlagsOf(const SFrameRecord& r) {
    std::string flags;
    flags += r.m_bProbe != 0 ? "p" : "";
    flags += r.m_bBulk != 0 ? "b" : "";
    flags += r.m_bSettle != 0 ? "s" : "";
    flags += r.m_bStoreCompletion != 0 ? "c" : "";
    return flags;
}

TEST_F(SendCommandTest, TheBuilderQueuesTheFramesAndFlagsOfEachCommand) {
    for (const SBuildCase& c : kBuildCases) {
        m_link.OnPortOpened();
        g_flags.m_bStoreBusy = false;
        const std::string name = std::to_string(c.m_nCode) + "/" + std::to_string(c.m_nParameter);
        ASSERT_EQ(m_link.Build(c.m_nCode, c.m_nParameter), static_cast<int>(c.m_nFrames)) << name;
        EXPECT_EQ(g_flags.m_bStoreBusy, c.m_bStoreBusy) << name;
        for (std::size_t i = 0; i < c.m_nFrames; ++i) {
            const SFrameRecord& r = Queued(i);
            EXPECT_EQ(FrameCommand(r), c.m_nCode) << name;
            EXPECT_EQ(FrameParameter(r), c.m_nFirst + static_cast<int>(i)) << name;
            EXPECT_EQ(FrameLength(r), c.m_nLength) << name;
            EXPECT_EQ(FlagsOf(r), c.m_pszFlags) << name;
            EXPECT_TRUE(VerifyFrame(r)) << name;
        }
        if (c.m_nFrames > 0) {
            EXPECT_EQ(FrameParameter(Queued(c.m_nFrames - 1)), c.m_nLast) << name;
        }
    }
}

TEST_F(SendCommandTest, WritesCarryTheWorkingImageTheSlotsAndSlotZerosSystemCopy) {
    Image()[100] = 0x42;
    Slot(21)[7] = 0x21;
    Slot(0)[slot0::kSystemCopy + 65] = 0x65;
    std::memcpy(Slot(3), "Room three", 10);
    m_link.Build(132, 0);
    m_link.Build(132, 1);
    m_link.Build(131, 1);
    m_link.Build(134, 3);
    EXPECT_EQ(0, std::memcmp(Queued(0).m_abFrame + kPayloadOffset, Image(), kImageSize));
    EXPECT_EQ(0, std::memcmp(Queued(21).m_abFrame + kPayloadOffset, Slot(21), kImageSize));
    EXPECT_EQ(0, std::memcmp(Queued(22).m_abFrame + kPayloadOffset, Slot(0) + slot0::kSystemCopy,
                             kSystemSize));
    EXPECT_EQ(0, std::memcmp(Queued(23).m_abFrame + kPayloadOffset, "Room three", 10));
}

TEST_F(SendCommandTest, CodeChangesStartAtTheParameterByteAndTakeOverTheNewCode) {
    std::memcpy(System() + 19, "123456", 6);
    std::memcpy(Slot(0) + slot0::kNewSixCode, "654321", 6);
    std::memcpy(System() + 15, "1234", 4);
    std::memcpy(Slot(0) + slot0::kNewFourCode, "9876", 4);
    m_link.Build(140, 0);
    m_link.Build(141, 0);
    EXPECT_EQ(FrameLength(Queued(0)), 14);
    EXPECT_EQ(0, std::memcmp(Queued(0).m_abFrame + 5, "123456654321", 12));
    EXPECT_EQ(FrameLength(Queued(1)), 10);
    EXPECT_EQ(0, std::memcmp(Queued(1).m_abFrame + 5, "12349876", 8));
    EXPECT_EQ(0, std::memcmp(System() + 15, "9876654321", 10));
}

TEST_F(SendCommandTest, ProgressNumbersEveryQueuedFrameIncludingEarlierOnes) {
    m_link.SendCommand(129, 0);
    m_link.SendCommand(130, 1);
    ASSERT_EQ(m_link.Queue().Count(), 22u);
    for (std::size_t i = 0; i < 22; ++i) {
        EXPECT_EQ(Queued(i).m_nProgressStep, i + 1);
    }
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"start 22"});
}

TEST_F(SendCommandTest, RecallAndStoreRecordTheCurrentModeOnline) {
    m_link.SendCommand(133, 7);
    EXPECT_EQ(System()[0], 7);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"busy"});
    g_flags.m_bStoreBusy = false;
    m_link.SendCommand(134, 0);
    EXPECT_EQ(System()[0], 7);
    m_link.SendCommand(134, 9);
    EXPECT_EQ(System()[0], 9);
    EXPECT_EQ(m_sink.m_nNameRefreshes, 2);
}

TEST_F(SendCommandTest, OfflineOnlyRecallAndTheAllModesExportWorkFromAValidStore) {
    g_flags.m_bOnline = false;
    Slot(4)[300] = 0x44;
    Slot(0)[300] = 0x99;
    System()[3] = 0x33;
    m_link.SendCommand(133, 4);
    m_link.SendCommand(130, 1);
    EXPECT_EQ(Image()[300], 0);
    EXPECT_EQ(m_sink.m_nExports, 0);

    g_data.m_store.m_bValid = 1;
    m_link.SendCommand(133, 0); // slot 0 holds no mode
    EXPECT_EQ(Image()[300], 0);
    m_link.SendCommand(133, 4);
    EXPECT_EQ(Image()[300], 0x44);
    EXPECT_EQ(Shadow()[300], 0x44);
    EXPECT_EQ(System()[0], 4);
    m_link.SendCommand(130, 1);
    EXPECT_EQ(m_sink.m_nExports, 1);
    EXPECT_EQ(Slot(0)[slot0::kSystemCopy + 3], 0x33);
    m_link.SendCommand(132, 1);
    m_link.SendCommand(127, 0);
    EXPECT_EQ(m_link.Queue().Count(), 0u);
}

} // namespace
} // namespace zolt::test
