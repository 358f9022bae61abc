#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zolt::test {
namespace {

class SendCommandTest : public CLinkTest {
protected:
    const SFrameRecord& Queued(std::size_t i) const { return m_link.Queue().At(i).Record(); }
    std::vector<int> QueuedParameters() const {
        std::vector<int> parameters;
        for (std::size_t i = 0; i < m_link.Queue().Count(); ++i) {
            parameters.push_back(FrameParameter(Queued(i)));
        }
        return parameters;
    }
    static std::vector<int> Range(int first, int last) {
        std::vector<int> values;
        for (int v = first; v <= last; ++v) {
            values.push_back(v);
        }
        return values;
    }
    static Bytes Payload(const SFrameRecord& r) {
        return {r.m_abFrame + kPayloadOffset, r.m_abFrame + FrameLength(r) + 3};
    }
};

TEST_F(SendCommandTest, ProbeIsOneMarkedFrame) {
    EXPECT_EQ(m_link.Build(127, 9), 1);
    const SFrameRecord& probe = Queued(0);
    EXPECT_EQ(Bytes(probe.m_abFrame, probe.m_abFrame + FrameWireSize(probe)),
              (Bytes{0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82}));
    EXPECT_EQ(probe.m_bProbe, 1);
    EXPECT_EQ(probe.m_bBulk + probe.m_bSettle + probe.m_bStoreCompletion, 0);
}

TEST_F(SendCommandTest, NameReadsCoverEverySlotWhateverTheParameter) {
    EXPECT_EQ(m_link.Build(128, 9), 22);
    EXPECT_EQ(QueuedParameters(), Range(0, 21));
}

TEST_F(SendCommandTest, ReadOfAllModesIsTwentyOneBulkFramesForAnyNonZeroParameter) {
    m_link.Build(130, 5);
    EXPECT_EQ(QueuedParameters(), Range(1, 21));
    for (std::size_t i = 0; i < 21; ++i) {
        EXPECT_EQ(Queued(i).m_bBulk, 1);
        EXPECT_EQ(FrameLength(Queued(i)), 3);
    }
    m_link.OnPortOpened();
    EXPECT_EQ(m_link.Build(130, 0), 1);
    EXPECT_EQ(Queued(0).m_bBulk, 0);
}

TEST_F(SendCommandTest, WholeImageWritesCarryTheImageOrTheSlots) {
    Image()[100] = 0x42;
    Slot(21)[7] = 0x21;
    m_link.Build(132, 0);
    const SFrameRecord& one = Queued(0);
    EXPECT_EQ(FrameLength(one), 2715);
    EXPECT_EQ(Payload(one), Bytes(Image(), Image() + kImageSize));
    EXPECT_EQ(one.m_bSettle, 1);
    EXPECT_EQ(one.m_bStoreCompletion, 1);
    EXPECT_TRUE(g_flags.m_bStoreBusy);

    g_flags.m_bStoreBusy = false;
    m_link.OnPortOpened();
    m_link.Build(132, 1);
    ASSERT_EQ(QueuedParameters(), Range(1, 21));
    EXPECT_EQ(Payload(Queued(20)), Bytes(Slot(21), Slot(21) + kImageSize));
    EXPECT_EQ(Queued(20).m_bBulk, 1);
    EXPECT_EQ(Queued(20).m_bStoreCompletion, 0);
    EXPECT_FALSE(g_flags.m_bStoreBusy);
}

TEST_F(SendCommandTest, SystemBlockWriteCarriesSlotZerosCopy) {
    for (std::size_t i = 0; i < kSystemSize; ++i) {
        Slot(0)[slot0::kSystemCopy + i] = static_cast<std::uint8_t>(i);
    }
    m_link.Build(131, 1);
    EXPECT_EQ(FrameLength(Queued(0)), 69);
    EXPECT_EQ(FrameParameter(Queued(0)), 1);
    EXPECT_EQ(Payload(Queued(0)),
              Bytes(Slot(0) + slot0::kSystemCopy, Slot(0) + slot0::kSystemCopy + kSystemSize));
    EXPECT_EQ(Queued(0).m_bSettle, 1);
}

TEST_F(SendCommandTest, RecallOfModeZeroIsBareAndLeavesTheBusyFlag) {
    m_link.Build(133, 0);
    EXPECT_EQ(Queued(0).m_bStoreCompletion + Queued(0).m_bSettle, 0);
    EXPECT_FALSE(g_flags.m_bStoreBusy);
    m_link.Build(133, 4);
    EXPECT_EQ(FrameParameter(Queued(1)), 4);
    EXPECT_EQ(Queued(1).m_bStoreCompletion, 1);
    EXPECT_EQ(Queued(1).m_bSettle, 1);
    EXPECT_TRUE(g_flags.m_bStoreBusy);
}

TEST_F(SendCommandTest, StoreCarriesTheSlotsNameAndRefusesASlotAboveTwentyOne) {
    std::memcpy(Slot(3), "Room three", 10);
    m_link.Build(134, 3);
    EXPECT_EQ(FrameLength(Queued(0)), 23);
    EXPECT_EQ(Payload(Queued(0)), Bytes(Slot(3), Slot(3) + kNameSize));
    EXPECT_EQ(Queued(0).m_bStoreCompletion, 1);
    EXPECT_TRUE(g_flags.m_bStoreBusy);

    g_flags.m_bStoreBusy = false;
    EXPECT_EQ(m_link.Build(134, 22), 0);
    EXPECT_EQ(m_link.Build(134, 255), 0);
    EXPECT_FALSE(g_flags.m_bStoreBusy);
}

TEST_F(SendCommandTest, CodeChangesStartAtTheParameterByteAndTakeOverTheNewCode) {
    std::memcpy(System() + 19, "123456", 6);
    std::memcpy(Slot(0) + slot0::kNewSixCode, "654321", 6);
    std::memcpy(System() + 15, "1234", 4);
    std::memcpy(Slot(0) + slot0::kNewFourCode, "9876", 4);
    m_link.Build(140, 0);
    m_link.Build(141, 0);
    const SFrameRecord& six = Queued(0);
    EXPECT_EQ(FrameLength(six), 14);
    EXPECT_EQ(Bytes(six.m_abFrame + 5, six.m_abFrame + 17),
              Bytes({'1', '2', '3', '4', '5', '6', '6', '5', '4', '3', '2', '1'}));
    const SFrameRecord& four = Queued(1);
    EXPECT_EQ(FrameLength(four), 10);
    EXPECT_EQ(Bytes(four.m_abFrame + 5, four.m_abFrame + 13),
              Bytes({'1', '2', '3', '4', '9', '8', '7', '6'}));
    EXPECT_EQ(0, std::memcmp(System() + 19, "654321", 6));
    EXPECT_EQ(0, std::memcmp(System() + 15, "9876", 4));
}

TEST_F(SendCommandTest, SyncOnlyAndUnknownCodesBuildNothing) {
    for (int code : {135, 136, 137, 138, 139, 0, 1, 12, 142, 200}) {
        EXPECT_EQ(m_link.Build(static_cast<std::uint8_t>(code), 1), 0) << code;
    }
    EXPECT_EQ(m_link.Queue().Count(), 0u);
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
    EXPECT_EQ(m_sink.m_nNameRefreshes, 1);
    m_link.SendCommand(134, 9);
    EXPECT_EQ(System()[0], 9);
    EXPECT_EQ(m_sink.m_nNameRefreshes, 2);
}

TEST_F(SendCommandTest, OfflineRecallComesFromAValidStoreOnly) {
    g_flags.m_bOnline = false;
    Slot(4)[300] = 0x44;
    m_link.SendCommand(133, 4);
    EXPECT_EQ(Image()[300], 0); // store not valid: nothing happens
    g_data.m_store.m_bValid = 1;
    m_link.SendCommand(133, 4);
    EXPECT_EQ(Image()[300], 0x44);
    EXPECT_EQ(Shadow()[300], 0x44);
    EXPECT_EQ(System()[0], 4);
    EXPECT_EQ(m_link.Queue().Count(), 0u);

    Slot(0)[300] = 0x99; // slot 0 holds no mode
    m_link.SendCommand(133, 0);
    EXPECT_EQ(Image()[300], 0x44);
}

TEST_F(SendCommandTest, OfflineReadOfAllModesExportsAValidStore) {
    g_flags.m_bOnline = false;
    System()[3] = 0x33;
    m_link.SendCommand(130, 1);
    EXPECT_EQ(m_sink.m_nExports, 0);
    g_data.m_store.m_bValid = 1;
    m_link.SendCommand(130, 1);
    EXPECT_EQ(m_sink.m_nExports, 1);
    EXPECT_EQ(Slot(0)[slot0::kSystemCopy + 3], 0x33);
    m_link.SendCommand(132, 1);
    m_link.SendCommand(127, 0);
    EXPECT_EQ(m_link.Queue().Count(), 0u);
}

} // namespace
} // namespace zolt::test
