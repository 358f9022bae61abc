#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace zolt::test {
namespace {

class AssemblerTest : public CLinkTest {
protected:
    static Bytes Concat(std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }
    static Bytes StoreBytes() {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&g_data.m_store);
        return {p, p + sizeof g_data.m_store};
    }
    static Bytes SlotBytes(std::size_t n) { return {Slot(n), Slot(n) + kImageSize}; }
};

TEST_F(AssemblerTest, NoiseIsSkippedAndOnlyTheFirstFrameOfAChunkIsTaken) {
    InFlight(12);
    const Bytes noise{0x00, 0x13, 0x7E, 0x55, 0xCC, 0x03, 0xCC, 0xFF, 0xFF};
    EXPECT_TRUE(Feed(Concat({noise, MakeFrame(12, 1, Bytes(11, 2)), MakeFrame(24, 7, Bytes(11))})));
    EXPECT_EQ(m_link.Meters().m_abLevels[0], 1);
    EXPECT_EQ(m_link.Meters().m_abLevels[11], 2);
    EXPECT_EQ(m_link.Meters().m_abStates[0], 100); // the initial value: 24 was dropped
}

TEST_F(AssemblerTest, ARejectedAcknowledgementCompletesNothingUntilTheRecordIsCleared) {
    InFlight(3);
    EXPECT_TRUE(Feed(Ack(3, 0)));
    InFlight(3);
    EXPECT_FALSE(Feed(Ack(3, 2)));
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1);
    EXPECT_FALSE(Feed(Ack(3, 0)));
    m_link.Clear(false); // as a resend does
    EXPECT_TRUE(Feed(Ack(3, 0)));
}

TEST_F(AssemblerTest, TheNameOfSlotZeroIsTheWorkingImagesName) {
    InFlight(128, 0);
    EXPECT_TRUE(Feed(MakeFrame(128, 0, Bytes(20, 'A'))));
    EXPECT_EQ(Image()[19], 'A');
    EXPECT_EQ(Slot(0)[0], 0);
    InFlight(128, 5);
    EXPECT_TRUE(Feed(MakeFrame(128, 5, Bytes(20, 'B'))));
    EXPECT_EQ(Slot(5)[19], 'B');
}

TEST_F(AssemblerTest, RepliesWithoutAPlaceCompleteTheExchangeAndStoreNothing) {
    const Bytes store = StoreBytes();
    const Bytes image(Image(), Image() + kImageSize);
    InFlight(128, 22);
    EXPECT_TRUE(Feed(MakeFrame(128, 22, Bytes(20, 'X'))));
    InFlight(130, 30);
    EXPECT_TRUE(Feed(MakeFrame(130, 30, Pattern(1, kImageSize))));
    InFlight(129);
    EXPECT_TRUE(Feed(Ack(129))); // a bare 129 carries no block
    EXPECT_EQ(StoreBytes(), store);
    EXPECT_EQ(Bytes(Image(), Image() + kImageSize), image);
    EXPECT_TRUE(m_sink.m_aPosts.empty());
}

TEST_F(AssemblerTest, AReplyTooShortForItsDataIsNotTakenAndTheFrameIsAskedAgain) {
    const Bytes five = SlotBytes(5);
    InFlight(130, 5);
    EXPECT_FALSE(Feed(MakeFrame(130, 5, Bytes(50, 0xEE)))); // far too short for an image
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1);
    EXPECT_EQ(SlotBytes(5), five);
    InFlight(129);
    EXPECT_FALSE(Feed(MakeFrame(129, 1, Bytes(10))));
    EXPECT_EQ(System()[0], 0);
    EXPECT_TRUE(m_sink.m_aPosts.empty());
}

TEST_F(AssemblerTest, AModeReplyForAModeNeverAskedForIsReportedStoredNowhereAndAskedAgain) {
    const Bytes five = SlotBytes(5);
    const Bytes six = SlotBytes(6);
    InFlight(130, 6);
    EXPECT_FALSE(Feed(MakeFrame(130, 5, Pattern(5, kImageSize))));
    ASSERT_EQ(m_sink.m_aBoxes.size(), 1u);
    EXPECT_EQ(m_sink.m_aBoxes[0].rfind("11\nMode 6 was asked for, the processor sent mode 5", 0),
              0u)
        << m_sink.m_aBoxes[0];
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1); // the frame is written again
    EXPECT_EQ(SlotBytes(5), five);
    EXPECT_EQ(SlotBytes(6), six);

    m_link.Clear(false); // as the resend does: the second wrong reply shows no second box
    EXPECT_FALSE(Feed(MakeFrame(130, 5, Pattern(5, kImageSize))));
    EXPECT_EQ(m_sink.m_aBoxes.size(), 1u);
    m_link.Clear(false);
    EXPECT_TRUE(Feed(MakeFrame(130, 6, Pattern(6, kImageSize))));
    EXPECT_EQ(SlotBytes(6), Pattern(6, kImageSize));
    EXPECT_EQ(SlotBytes(5), five);
}

TEST_F(AssemblerTest, OnlyAnAnswerToTheFrameInFlightIsTaken) {
    // Another command byte: a late answer to an earlier frame, passed over; the frame's own
    // answer behind it in the same chunk is taken.
    InFlight(129);
    EXPECT_TRUE(Feed(Concat({MakeFrame(128, 3, Bytes(20, 'N')), Ack(3),
                             MakeFrame(129, 7, Pattern(9, kSystemSize - 1))})));
    EXPECT_EQ(Slot(3)[0], 0);
    EXPECT_EQ(System()[0], 7);

    // A mode reply for a mode answered a moment ago is a late one: no box, no resend.
    InFlight(130, 2);
    EXPECT_TRUE(Feed(MakeFrame(130, 2, Pattern(2, kImageSize))));
    InFlight(130, 3);
    EXPECT_FALSE(Feed(MakeFrame(130, 2, Pattern(7, kImageSize))));
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 0);
    EXPECT_EQ(SlotBytes(2), Pattern(2, kImageSize));
    EXPECT_TRUE(Feed(MakeFrame(130, 3, Pattern(3, kImageSize))));
    EXPECT_TRUE(m_sink.m_aBoxes.empty());
}

TEST_F(AssemblerTest, ALengthBeyondTheRecordIsABadFrameAndNothingIsWrittenPastIt) {
    InFlight(130, 1);
    for (std::uint16_t length : {4203, 0xFFFF, 2}) {
        m_link.Clear(false);
        Bytes frame{0xFF, 0x55, static_cast<std::uint8_t>(length),
                    static_cast<std::uint8_t>(length >> 8)};
        frame.resize(9000, 0xA5);
        EXPECT_FALSE(Feed(frame)) << length;
        EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1) << length;
        EXPECT_EQ(m_link.ReceiveRecord().m_nWriteIndex, 4u) << length;
        EXPECT_FALSE(Feed(MakeFrame(130, 1, Pattern(1, kImageSize)))) << "dropped until the resend";
    }
}

TEST_F(AssemblerTest, TheReadBackQueuesTwentyFourFramesAndFetchesEverything) {
    m_link.StartReadBack();
    ASSERT_EQ(m_link.Queue().Count(), 24u);
    RunCycle(m_link, m_port, 24);
    EXPECT_EQ(m_sink.m_aProgress.front(), "start 24");
    EXPECT_EQ(m_sink.m_aProgress.back(), "step 24");
    EXPECT_EQ(Bytes(Slot(21), Slot(21) + kNameSize), Pattern(21, kNameSize));
    EXPECT_EQ(Bytes(System(), System() + kSystemSize), m_port.m_abSystem);
    EXPECT_EQ(Bytes(SystemShadow(), SystemShadow() + kSystemSize), m_port.m_abSystem);
    EXPECT_EQ(Bytes(Image(), Image() + kImageSize), Pattern(0, kImageSize));
    EXPECT_EQ(0, std::memcmp(Shadow(), Image(), kImageSize));
    EXPECT_EQ(m_sink.Count(msg::kSystemBlockRead), 1u);
    EXPECT_EQ(m_sink.Count(msg::kImageReplaced), 1u);
}

TEST_F(AssemblerTest, TheProbeAnswerAndTheReadOfAllModesNotifyTheWindow) {
    m_link.Build(127, 0);
    RunCycle(m_link, m_port, 1);
    EXPECT_TRUE(g_flags.m_bUnlock);
    EXPECT_EQ(m_sink.Count(msg::kProbeAnswered), 1u);

    m_link.SendCommand(130, 1);
    RunCycle(m_link, m_port, 21);
    EXPECT_EQ(SlotBytes(21), Pattern(21, kImageSize));
    EXPECT_EQ(m_sink.Count(msg::kAllModesRead), 1u);
    System()[5] = 0x55;
    m_link.FinishReadAllModes();
    EXPECT_EQ(g_data.m_store.m_bValid, 1);
    EXPECT_EQ(Slot(0)[slot0::kSystemCopy + 5], 0x55);
    EXPECT_EQ(m_sink.m_nExports, 1);
}

TEST_F(AssemblerTest, MeterRepliesPostOnlyWhileTheSystemPageIsShownAndTheUiKeepsUp) {
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 1, Bytes(11, 3))));
    EXPECT_EQ(m_link.Meters().m_abLevels[11], 3);
    EXPECT_TRUE(m_sink.m_aPosts.empty());
    m_sink.m_bSystemPage = true;
    InFlight(24);
    EXPECT_TRUE(Feed(MakeFrame(24, 3, Bytes(11))));
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 5, Bytes(11))));
    EXPECT_EQ(m_sink.m_aPosts, (std::vector<SPost>{{msg::kMeters, 24, 0}}));
    m_link.MetersShown();
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 6, Bytes(11))));
    EXPECT_EQ(m_sink.m_aPosts.back(), (SPost{msg::kMeters, 12, 0}));
}

TEST_F(AssemblerTest, OfflineBytesAreIgnored) {
    InFlight(129);
    EXPECT_FALSE(Feed(MakeFrame(129, 9, Bytes(65, 4)), false));
    EXPECT_EQ(System()[0], 0);
    EXPECT_EQ(m_link.ReceiveRecord().m_nWriteIndex, 0);
}

TEST_F(AssemblerTest, AFrameSplitAtAnyBytePositionAssemblesTheSame) {
    const Bytes stream = Concat({{0x31, 0xFF}, MakeFrame(129, 9, Pattern(0x40, kSystemSize - 1))});
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        InFlight(129);
        std::memset(System(), 0, kSystemSize);
        const bool first = Feed(Bytes(stream.begin(), stream.begin() + split));
        const bool second = Feed(Bytes(stream.begin() + split, stream.end()));
        EXPECT_EQ(first, split == stream.size()) << split;
        EXPECT_TRUE(first || second) << split;
        EXPECT_EQ(Bytes(System() + 1, System() + kSystemSize), Pattern(0x40, 65)) << split;
    }
}

// Random, truncated and oversized streams: the record is never overrun.
TEST_F(AssemblerTest, RandomStreamsNeverOverrunTheRecord) {
    std::mt19937 random(20240611);
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    const std::uint8_t commands[] = {3, 12, 24, 127, 128, 129, 130, 133, 200};
    for (int round = 0; round < 3000; ++round) {
        InFlight(commands[random() % 9], byte() % 23);
        Bytes chunk;
        switch (random() % 4) {
        case 0: // noise
            chunk.resize(random() % 64);
            std::generate(chunk.begin(), chunk.end(), byte);
            break;
        case 1: { // a valid frame, maybe cut short
            Bytes payload(random() % 80);
            std::generate(payload.begin(), payload.end(), byte);
            chunk = MakeFrame(commands[random() % 9], byte() % 23, payload);
            chunk.resize(chunk.size() - random() % 3);
            break;
        }
        case 2: // a header announcing any length
            chunk = {0xFF, 0x55, byte(), byte(), byte(), byte()};
            chunk.resize(chunk.size() + random() % 5000, 0xFF);
            break;
        default: // a resend empties the record
            m_link.Clear(false);
            break;
        }
        Feed(chunk);
        const SFrameRecord& r = m_link.ReceiveRecord();
        ASSERT_LE(r.m_nWriteIndex, kFrameArea) << round;
        if (r.m_bInFrame != 0 && r.m_bError == 0 && r.m_nWriteIndex > 4) {
            ASSERT_LE(r.m_nWriteIndex, r.m_nExpectedLength + 4u) << round;
        }
    }
}

} // namespace
} // namespace zolt::test
