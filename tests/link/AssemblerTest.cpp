#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace zolt::test {
namespace {

class AssemblerTest : public CLinkTest {
protected:
    // Puts a frame with command and parameter in flight, as if written and awaited.
    void InFlight(std::uint8_t command, std::uint8_t parameter = 0) {
        SFrameRecord& current = m_link.CurrentFrame();
        ClearRecord(current);
        current.m_abFrame[0] = kStartMark1;
        current.m_abFrame[1] = kStartMark2;
        current.m_abFrame[kCommandOffset] = command;
        current.m_abFrame[kParameterOffset] = parameter;
        FinaliseFrame(current, 3);
        current.m_bAwaiting = 1;
    }
    bool Feed(const Bytes& bytes, bool connected = true) {
        return m_link.Assemble(connected, bytes.data(), bytes.size());
    }
    static Bytes Concat(std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }
    static Bytes Levels(std::uint8_t first) {
        Bytes values(11);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = static_cast<std::uint8_t>(first + 1 + i);
        }
        return values;
    }
    static Bytes ModeImage(std::uint8_t seed, std::size_t size = kImageSize) {
        Bytes image(size);
        for (std::size_t i = 0; i < size; ++i) {
            image[i] = static_cast<std::uint8_t>(seed + i * 3);
        }
        return image;
    }
    Bytes StoreBytes() const {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&g_data.m_store);
        return {p, p + sizeof g_data.m_store};
    }
};

TEST_F(AssemblerTest, OnlyTheFirstOfTwoFramesInAChunkIsTaken) {
    InFlight(12);
    EXPECT_TRUE(Feed(Concat({MakeFrame(12, 1, Levels(1)), MakeFrame(24, 7, Levels(7))})));
    EXPECT_EQ(m_link.Meters().m_abLevels[0], 1);
    EXPECT_EQ(m_link.Meters().m_abStates[0], 100); // untouched: still the initial value
}

TEST_F(AssemblerTest, NoiseAndStrayHeaderBytesBeforeTheStartMarkAreIgnored) {
    InFlight(129);
    const Bytes system = MakeFrame(129, 9, Bytes(65, 4));
    EXPECT_TRUE(
        Feed(Concat({{0x00, 0x13, 0x7E, 0xAA, 0x55, 0xCC, 0x03, 0xCC, 0xFF, 0xFF}, system})));
    EXPECT_EQ(System()[0], 9);
    EXPECT_EQ(SystemShadow()[64], 4);
    EXPECT_EQ(m_sink.PostsOf(msg::kSystemBlockRead).size(), 1u);
}

TEST_F(AssemblerTest, AnAcknowledgementCompletesOnlyWithAnAcceptingStatus) {
    InFlight(3);
    EXPECT_TRUE(Feed(Ack(3, 0)));
    InFlight(3);
    EXPECT_FALSE(Feed(Ack(3, 2)));
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1);
    EXPECT_FALSE(Feed(Ack(3, 0))); // the rejected frame stays until the resend clears it
}

TEST_F(AssemblerTest, AShortFrameWithAnotherCommandIsAnAnswerThatStoresNothing) {
    InFlight(3);
    const Bytes before(Image(), Image() + kImageSize);
    EXPECT_TRUE(Feed(Ack(130, 0)));
    EXPECT_TRUE(Feed(MakeFrame(130, 0, Bytes(50, 0xEE)))); // far too short for an image
    EXPECT_EQ(Bytes(Image(), Image() + kImageSize), before);
}

TEST_F(AssemblerTest, ABadSumIsNotAccepted) {
    InFlight(3);
    Bytes ack = Ack(3);
    ack.back() ^= 0x01;
    EXPECT_FALSE(Feed(ack));
    EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1);
}

TEST_F(AssemblerTest, NameOfSlotZeroIsTheWorkingImagesName) {
    InFlight(128, 0);
    Bytes name(20, 'A');
    EXPECT_TRUE(Feed(MakeFrame(128, 0, name)));
    EXPECT_EQ(Bytes(Image(), Image() + 20), name);
    EXPECT_EQ(Slot(0)[0], 0);
    InFlight(128, 5);
    EXPECT_TRUE(Feed(MakeFrame(128, 5, Bytes(20, 'B'))));
    EXPECT_EQ(Slot(5)[19], 'B');
}

TEST_F(AssemblerTest, NamesAndModesAboveSlotTwentyOneStoreNothing) {
    const Bytes before = StoreBytes();
    InFlight(128, 22);
    EXPECT_TRUE(Feed(MakeFrame(128, 22, Bytes(20, 'X'))));
    InFlight(130, 21);
    EXPECT_TRUE(Feed(Concat({MakeFrame(130, 30, ModeImage(1))})));
    EXPECT_EQ(StoreBytes(), before);
    EXPECT_EQ(Image()[0], 0);
    EXPECT_TRUE(m_sink.m_aPosts.empty());
}

TEST_F(AssemblerTest, AModeOtherThanTheOneAskedForIsReportedAndStoredInItsOwnSlot) {
    InFlight(130, 6);
    const Bytes six(Slot(6), Slot(6) + kImageSize);
    EXPECT_TRUE(Feed(MakeFrame(130, 5, ModeImage(5))));
    EXPECT_EQ(m_sink.m_aBoxes, std::vector<std::string>{"11"});
    EXPECT_EQ(Bytes(Slot(5), Slot(5) + kImageSize), ModeImage(5));
    EXPECT_EQ(Bytes(Slot(6), Slot(6) + kImageSize), six);
}

TEST_F(AssemblerTest, TheLastStoredModePostsTheEndOfTheReadOfAllModes) {
    InFlight(130, 20);
    EXPECT_TRUE(Feed(MakeFrame(130, 20, ModeImage(20))));
    EXPECT_TRUE(m_sink.PostsOf(msg::kAllModesRead).empty());
    InFlight(130, 21);
    EXPECT_TRUE(Feed(MakeFrame(130, 21, ModeImage(21))));
    EXPECT_EQ(m_sink.PostsOf(msg::kAllModesRead).size(), 1u);
    m_link.FinishReadAllModes();
    EXPECT_EQ(g_data.m_store.m_bValid, 1);
    EXPECT_EQ(m_sink.m_nExports, 1);
}

TEST_F(AssemblerTest, ARecalledModeBecomesTheWorkingImageAndEndsTheStore) {
    m_link.SendCommand(133, 4);
    ASSERT_TRUE(g_flags.m_bStoreBusy);
    m_link.NextFrameStep();
    m_link.CurrentFrame().m_bAwaiting = 1;
    EXPECT_TRUE(Feed(MakeFrame(133, 0, ModeImage(4))));
    EXPECT_EQ(Bytes(Image(), Image() + kImageSize), ModeImage(4));
    EXPECT_EQ(Bytes(Shadow(), Shadow() + kImageSize), ModeImage(4));
    EXPECT_FALSE(g_flags.m_bStoreBusy);
    EXPECT_EQ(m_sink.PostsOf(msg::kImageReplaced).size(), 1u);
}

TEST_F(AssemblerTest, MeterRepliesPostOnlyWhileTheSystemPageIsShownAndTheUiKeepsUp) {
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 1, Levels(1))));
    EXPECT_EQ(m_link.Meters().m_abLevels[11], 12);
    EXPECT_TRUE(m_sink.m_aPosts.empty());

    m_sink.m_bSystemPage = true;
    InFlight(24);
    EXPECT_TRUE(Feed(MakeFrame(24, 3, Levels(3))));
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 5, Levels(5))));
    EXPECT_EQ(m_sink.m_aPosts, (std::vector<SPost>{{msg::kMeters, 24, 0}}));
    m_link.MetersShown();
    InFlight(12);
    EXPECT_TRUE(Feed(MakeFrame(12, 6, Levels(6))));
    EXPECT_EQ(m_sink.m_aPosts.back(), (SPost{msg::kMeters, 12, 0}));
}

TEST_F(AssemblerTest, OfflineBytesAreIgnored) {
    InFlight(129);
    EXPECT_FALSE(Feed(MakeFrame(129, 9, Bytes(65, 4)), false));
    EXPECT_EQ(System()[0], 0);
    EXPECT_EQ(m_link.ReceiveRecord().m_nWriteIndex, 0);
}

TEST_F(AssemblerTest, ALengthBeyondTheRecordIsABadFrameAndNothingIsWrittenPastIt) {
    InFlight(130, 1);
    for (std::uint16_t length : {std::uint16_t{4203}, std::uint16_t{0xFFFF}, std::uint16_t{2}}) {
        m_link.Clear(false);
        Bytes frame{0xFF,
                    0x55,
                    static_cast<std::uint8_t>(length & 0xFF),
                    static_cast<std::uint8_t>(length >> 8),
                    130,
                    1};
        frame.resize(9000, 0xA5);
        EXPECT_FALSE(Feed(frame)) << length;
        EXPECT_EQ(m_link.ReceiveRecord().m_bError, 1) << length;
        EXPECT_LE(m_link.ReceiveRecord().m_nWriteIndex, 4u) << length;
        EXPECT_FALSE(Feed(MakeFrame(130, 1, ModeImage(1)))) << "dropped until the resend";
    }
    m_link.Clear(false);
    EXPECT_TRUE(Feed(MakeFrame(130, 1, ModeImage(1))));
}

TEST_F(AssemblerTest, TheReadBackQueuesTwentyFourFramesAndFetchesEverything) {
    m_link.StartReadBack();
    ASSERT_EQ(m_link.Queue().Count(), 24u);
    EXPECT_EQ(m_sink.m_aProgress, std::vector<std::string>{"start 24"});
    RunCycle(m_link, m_port, 24);
    EXPECT_EQ(m_sink.m_aProgress.back(), "step 24");
    for (std::size_t n = 1; n < kSlotCount; ++n) {
        EXPECT_EQ(0, std::memcmp(Slot(n), m_port.m_abModes[n], kNameSize)) << n;
    }
    EXPECT_EQ(0, std::memcmp(System(), m_port.m_abSystem, kSystemSize));
    EXPECT_EQ(0, std::memcmp(Image(), m_port.m_abModes[0], kImageSize));
    EXPECT_EQ(0, std::memcmp(Shadow(), Image(), kImageSize));
    EXPECT_EQ(m_sink.PostsOf(msg::kSystemBlockRead).size(), 1u);
    EXPECT_EQ(m_sink.PostsOf(msg::kImageReplaced).size(), 1u);
}

TEST_F(AssemblerTest, TheProbeAnswerSetsTheUnlockFlagAndStartsTheReadBack) {
    m_link.Build(127, 0);
    RunCycle(m_link, m_port, 1);
    EXPECT_TRUE(g_flags.m_bUnlock);
    EXPECT_EQ(m_sink.PostsOf(msg::kProbeAnswered).size(), 1u);
}

TEST_F(AssemblerTest, AFrameSplitAtAnyBytePositionAssemblesTheSame) {
    const Bytes stream = Concat({{0x31, 0xFF}, MakeFrame(129, 9, ModeImage(0x40, kSystemSize - 1))});
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        InFlight(129);
        m_link.Clear(false);
        std::memset(System(), 0, kSystemSize);
        const bool first = Feed(Bytes(stream.begin(), stream.begin() + split));
        const bool second = Feed(Bytes(stream.begin() + split, stream.end()));
        EXPECT_EQ(first, split == stream.size()) << split;
        EXPECT_EQ(first || second, true) << split;
        EXPECT_EQ(System()[0], 9) << split;
        EXPECT_EQ(System()[11], 0x40 + 10 * 3) << split;
    }
}

// Random, truncated and oversized streams: the assembler never leaves its record and
// never takes anything but whole, valid frames.
TEST_F(AssemblerTest, RandomStreamsNeverLeaveTheRecord) {
    std::mt19937 random(20240611);
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    const std::uint8_t commands[] = {3, 12, 24, 127, 128, 129, 130, 133, 200};
    for (int round = 0; round < 3000; ++round) {
        InFlight(commands[random() % 9], byte() % 23);
        Bytes chunk;
        switch (random() % 4) {
        case 0: // noise
            chunk.resize(random() % 64);
            for (auto& b : chunk) {
                b = byte();
            }
            break;
        case 1: { // a valid frame, maybe cut short
            Bytes payload(random() % 80);
            for (auto& b : payload) {
                b = byte();
            }
            chunk = MakeFrame(commands[random() % 9], byte() % 23, payload);
            chunk.resize(chunk.size() - random() % 3);
            break;
        }
        case 2: // a header announcing any length, then bytes
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
