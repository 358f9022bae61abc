#include "sim/SimProcessor.h"
#include "sim/SimServer.h"

#include "link/Command.h"
#include "link/Frame.h"
#include "link/Sync.h"
#include "model/Command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

namespace zolt::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

SWireFrame Wire(const Bytes& bytes) {
    CFrameReader reader;
    std::optional<SWireFrame> frame;
    for (const std::uint8_t b : bytes) {
        frame = reader.Push(b);
    }
    EXPECT_TRUE(frame.has_value());
    return frame.value_or(SWireFrame{});
}

SWireFrame Frame(std::uint8_t command, std::uint8_t parameter, const Bytes& payload = {}) {
    return Wire(MakeFrame(command, parameter, payload));
}

Bytes AckOf(std::uint8_t command, std::uint8_t status) {
    return MakeFrame(command, status);
}

TEST(SimFrames, ReaderSkipsNoiseAndChecksTheSum) {
    Bytes stream{0x00, 0x55, 0xFF, 0x12}; // noise, a lone 55, FF not followed by 55
    const Bytes probe = MakeFrame(127, 0);
    ASSERT_EQ(probe, (Bytes{0xFF, 0x55, 0x03, 0x00, 0x7F, 0x00, 0x82}));
    stream.insert(stream.end(), probe.begin(), probe.end());
    Bytes bad = MakeFrame(129, 0);
    bad.back() ^= 0x01;
    stream.insert(stream.end(), bad.begin(), bad.end());

    CFrameReader reader;
    std::vector<SWireFrame> frames;
    for (const std::uint8_t b : stream) {
        if (auto f = reader.Push(b)) {
            frames.push_back(*f);
        }
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].m_abBytes, probe);
    EXPECT_TRUE(frames[0].m_bSumOk);
    EXPECT_FALSE(frames[1].m_bSumOk);
}

TEST(SimFrames, LengthBeyondAFrameRecordStartsTheSearchAgain) {
    CFrameReader reader;
    for (const std::uint8_t b : Bytes{0xFF, 0x55, 0x6B, 0x10}) { // L = 4203
        EXPECT_FALSE(reader.Push(b).has_value());
    }
    EXPECT_FALSE(reader.InFrame());
    const Bytes probe = MakeFrame(127, 0);
    std::optional<SWireFrame> frame;
    for (const std::uint8_t b : probe) {
        frame = reader.Push(b);
    }
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->m_abBytes, probe);
}

TEST(SimProcessor, EqBandFrameWritesTheBandOfTheLiveOutputSet) {
    CSimProcessor sim;
    sim.State().m_abImage[image::kOutputMode] = 2;
    const Bytes band{0x34, 0x01, 130, 20, 2};
    EXPECT_EQ(sim.Handle(Frame(3, 141, band)), AckOf(3, 0));
    const std::size_t record = 1490 + 76 * 3 + 11; // band 141: record 3, band 0 of set 2
    EXPECT_EQ(
        Bytes(sim.State().m_abImage.begin() + record, sim.State().m_abImage.begin() + record + 5),
        band);
    // Set 1's record stays as it was.
    EXPECT_NE(sim.State().m_abImage[882 + 76 * 3 + 11 + 2], 130);
}

TEST(SimProcessor, SyncFramesReachTheirBytes) {
    CSimProcessor sim;
    const auto& image = sim.State().m_abImage;
    const auto& system = sim.State().m_abSystem;
    sim.Handle(Frame(1, 2, {0x85}));             // volume of system byte 1, muted
    sim.Handle(Frame(2, 1, {77}));               // mix point 1: image 56
    sim.Handle(Frame(11, 57, {1}));              // polarity, position 7 (record 7), source 4
    sim.Handle(Frame(4, 4, {1, 0x10, 0x01, 9})); // echo A low-pass (64)
    sim.Handle(Frame(5, 12, {0xDC, 0x05}));      // delay of record 2: 1500
    sim.Handle(Frame(9, 5, {0, 0}));             // pitch nibble
    sim.Handle(Frame(19, 0, {1}));               // sensitivity nibble
    sim.Handle(Frame(18, 3, {1, 0x20, 0x00, 4, 5, 0, 0, 0, 0, 0})); // exciter at 543
    EXPECT_EQ(system[1], 0x85);
    EXPECT_EQ(image[56], 77);
    EXPECT_EQ(image[882 + 76 * 7 + 2 + 2 * 4], 1);
    EXPECT_EQ(Bytes(image.begin() + 64, image.begin() + 68), (Bytes{1, 0x10, 0x01, 9}));
    EXPECT_EQ(GetU16(image.data() + 882 + 76 * 2 + 74), 1500);
    EXPECT_EQ(system[9], 0x51);
    EXPECT_EQ(Bytes(image.begin() + 543, image.begin() + 547), (Bytes{0x20, 0x00, 4, 5}));
}

// The host's synchronisation and the simulator agree on where every field lives: each frame
// the host sends for a changed field writes the byte the host read it from, and nothing else.
TEST(SimProcessor, EveryFieldTheHostSendsLandsOnTheByteItCameFrom) {
    ResetProcessData();
    CSimProcessor sim;
    const SSimState before = sim.State();
    std::copy(before.m_abImage.begin(), before.m_abImage.end(), Shadow());
    std::copy(before.m_abSystem.begin(), before.m_abSystem.end(), SystemShadow());
    // Every byte changes, each by its own amount, except the output mode (it picks the live
    // set) and the crossovers' kind bytes (the processor files a record by its kind).
    std::vector<bool> abKeep(kImageSize, false);
    abKeep[image::kOutputMode] = true;
    const int nLiveSet = LiveOutputSet(before.m_abImage[image::kOutputMode]);
    for (int n = 0; n < static_cast<int>(kCrossoverNumberCount); ++n) {
        const std::size_t highPass = CrossoverOffset(n, nLiveSet);
        abKeep[highPass + xover::kKind] = true;
        if (CrossoverHasLowPass(n)) {
            abKeep[highPass + xover::kSize + xover::kKind] = true;
        }
    }
    for (std::size_t i = 0; i < kImageSize; ++i) {
        Image()[i] = static_cast<std::uint8_t>(before.m_abImage[i] + (abKeep[i] ? 0 : 1 + i % 251));
    }
    for (std::size_t i = 0; i < kSystemSize; ++i) {
        System()[i] = static_cast<std::uint8_t>(before.m_abSystem[i] + 1 + i);
    }

    SFrameRecord current{};
    std::uint8_t alternation = 0;
    const auto pass = [&] {
        SyncPass(current, alternation);
        return Wire(Bytes(current.m_abFrame, current.m_abFrame + FrameWireSize(current)));
    };
    const auto isPoll = [](const SWireFrame& frame) {
        return frame.Command() == cmd::kLevelPoll || frame.Command() == cmd::kStatePoll;
    };
    int nFrames = 0;
    for (SWireFrame frame = pass(); !isPoll(frame); frame = pass()) {
        ASSERT_LT(++nFrames, 1000) << "the synchronisation does not settle";
        ASSERT_EQ(sim.Handle(frame), AckOf(frame.Command(), 0))
            << "command " << int(frame.Command()) << " parameter " << int(frame.Parameter());
    }
    EXPECT_GT(nFrames, 0);

    const SSimState& after = sim.State();
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (after.m_abImage[i] != before.m_abImage[i]) {
            EXPECT_EQ(after.m_abImage[i], Image()[i]) << "image byte " << i;
        }
    }
    for (std::size_t i = 0; i < kSystemSize; ++i) {
        if (after.m_abSystem[i] != before.m_abSystem[i]) {
            EXPECT_EQ(after.m_abSystem[i], System()[i]) << "system byte " << i;
        }
    }
    // Told what the simulator now holds, the host finds nothing left to send.
    std::copy(after.m_abImage.begin(), after.m_abImage.end(), Shadow());
    std::copy(after.m_abSystem.begin(), after.m_abSystem.end(), SystemShadow());
    const SWireFrame left = pass();
    EXPECT_TRUE(isPoll(left)) << "command " << int(left.Command()) << " parameter "
                              << int(left.Parameter());
    ResetProcessData();
}

TEST(SimProcessor, StoreRecallAndCodeChange) {
    CSimProcessor sim;
    sim.State().m_abImage[300] = 42;
    Bytes name(20, ' ');
    std::memcpy(name.data(), "Party", 5);
    EXPECT_EQ(sim.Handle(Frame(134, 7, name)), AckOf(134, 0));
    EXPECT_EQ(sim.State().m_aModes[7][300], 42);
    EXPECT_EQ(Bytes(sim.State().m_aModes[7].begin(), sim.State().m_aModes[7].begin() + 20), name);
    EXPECT_EQ(sim.State().m_abSystem[0], 7);

    const Bytes recalled = sim.Handle(Frame(133, 3));
    ASSERT_EQ(recalled.size(), 2719u);
    EXPECT_EQ(recalled[4], 133);
    EXPECT_TRUE(
        std::equal(recalled.begin() + 6, recalled.end() - 1, sim.State().m_aModes[3].begin()));
    EXPECT_EQ(sim.State().m_abImage, sim.State().m_aModes[3]);

    const std::string wrong = "000000654321";
    sim.Handle(Wire(MakeFrame(140, Bytes(wrong.begin(), wrong.end()))));
    EXPECT_EQ(std::memcmp(sim.State().m_abSystem.data() + 19, "123456", 6), 0);
    const std::string right = "123456654321";
    EXPECT_EQ(sim.Handle(Wire(MakeFrame(140, Bytes(right.begin(), right.end())))), AckOf(140, 0));
    EXPECT_EQ(std::memcmp(sim.State().m_abSystem.data() + 19, "654321", 6), 0);
}

TEST(SimProcessor, ProbeAndReadBackAnswers) {
    SSimState state = MakeFactoryState();
    state.m_bUnlock = false;
    CSimProcessor sim({}, state);
    EXPECT_EQ(sim.Handle(Frame(127, 0)), (Bytes{0xFF, 0x55, 0x04, 0x00, 0x7F, 0x00, 0x00, 0x83}));
    const Bytes name = sim.Handle(Frame(128, 4));
    ASSERT_EQ(name.size(), 27u);
    EXPECT_EQ(std::string(name.begin() + 6, name.begin() + 16), "Sim mode 4");
    EXPECT_EQ(sim.Handle(Frame(129, 0)).size(), 72u);
    EXPECT_EQ(sim.Handle(Frame(130, 21)).size(), 2719u);
    const Bytes file = AllModesFile(sim.State());
    EXPECT_EQ(file.size(), kAllModesFileSize);
    EXPECT_EQ(file.back(), 1);
}

TEST(SimProcessor, MeterPollsAnswerWithMovingValues) {
    CSimProcessor sim;
    const Bytes first = sim.Handle(Frame(12, 1));
    const Bytes second = sim.Handle(Frame(12, 1));
    const Bytes states = sim.Handle(Frame(24, 1));
    ASSERT_EQ(first.size(), 18u); // L = 14: twelve values from offset 5
    EXPECT_EQ(first[2], 14);
    EXPECT_EQ(first[4], 12);
    EXPECT_NE(first, second);
    EXPECT_EQ(states[4], 24);
    for (std::size_t i = 5; i < 17; ++i) {
        EXPECT_LE(first[i], 200);
        EXPECT_LE(states[i], 100);
    }
}

TEST(SimProcessor, Faults) {
    SSimFaults faults;
    faults.m_nRejectFirst = 1;
    faults.m_nRejectEvery = 3;
    faults.m_nBadSumEvery = 4;
    faults.m_nNoiseBytes = 2;
    CSimProcessor sim(faults);
    const SWireFrame volume = Frame(1, 0, {9});
    std::vector<Bytes> answers;
    for (int i = 0; i < 4; ++i) {
        answers.push_back(sim.Handle(volume));
    }
    const Bytes rejected = AckOf(1, 2);
    const Bytes accepted = AckOf(1, 0);
    const auto withNoise = [](Bytes frame) {
        frame.insert(frame.begin(), {0x00, 0xA5});
        return frame;
    };
    EXPECT_EQ(answers[0], withNoise(rejected)); // the first frame
    EXPECT_EQ(answers[1], withNoise(accepted));
    EXPECT_EQ(answers[2], withNoise(rejected)); // every third
    Bytes corrupted = withNoise(accepted);
    corrupted.back() = static_cast<std::uint8_t>(corrupted.back() + 1); // every fourth answer
    EXPECT_EQ(answers[3], corrupted);
    EXPECT_EQ(sim.State().m_abSystem[3], 9);

    SSimFaults probeAck;
    probeAck.m_bProbeAck = true;
    probeAck.m_nHangUpAfter = 2;
    CSimProcessor acker(probeAck);
    EXPECT_EQ(acker.Handle(Frame(127, 0)), AckOf(127, 0));
    EXPECT_FALSE(acker.HangUpDue());
    acker.Handle(Frame(12, 1));
    EXPECT_TRUE(acker.HangUpDue());
}

TEST(SimProcessor, LostAnswersAndMislabelledModeReplies) {
    SSimFaults faults;
    faults.m_anLoseAnswers = {2};
    faults.m_nWrongMode = 21;
    faults.m_nWrongModeTimes = 1;
    CSimProcessor sim(faults);
    EXPECT_EQ(sim.Handle(Frame(1, 0, {9})), AckOf(1, 0));
    EXPECT_TRUE(sim.Handle(Frame(1, 0, {11})).empty()); // applied, the answer lost
    EXPECT_EQ(sim.State().m_abSystem[3], 11);

    const Bytes wrong = sim.Handle(Frame(130, 21));
    ASSERT_EQ(wrong.size(), 2719u);
    EXPECT_EQ(wrong[5], 1); // mode 21's image labelled as mode 1
    EXPECT_TRUE(std::equal(wrong.begin() + 6, wrong.end() - 1, sim.State().m_aModes[21].begin()));
    EXPECT_EQ(sim.Handle(Frame(130, 21))[5], 21); // only the first time
    EXPECT_EQ(sim.Handle(Frame(130, 3))[5], 3);
}

using std::chrono_literals::operator""ms;
using std::chrono_literals::operator""us;

// When each byte of the answers planned so far leaves, one entry per byte.
std::vector<Micros> ByteTimes(CAnswerSchedule& schedule) {
    std::vector<Micros> times;
    while (const std::optional<Micros> next = schedule.Next()) {
        const std::optional<SAnswerChunk> chunk = schedule.TakeDue(*next);
        times.insert(times.end(), chunk->m_abBytes.size(), chunk->m_nAt);
    }
    return times;
}

TEST(AnswerSchedule, AnswersFollowTheFrameAtTheLineRateAfterTheirDelays) {
    const Bytes ack = AckOf(3, 0);
    const SWireFrame band = Frame(3, 1, Bytes(5)); // 12 bytes: 1041 us on the line
    const SWireFrame bulk = Frame(130, 2);         // a bulk frame: 7 bytes, 607 us
    CAnswerSchedule paced(kLineByteMicros);
    paced.Add(band, ack, {}, 1000us, false);
    EXPECT_EQ(ByteTimes(paced), std::vector<Micros>(7, 1000us + 1041us + 607us));

    // A whole mode leaves in adapter packets of 64 bytes, each once its last byte has
    // crossed; the last when the whole answer has.
    CAnswerSchedule image(kLineByteMicros);
    image.Add(Frame(130, 1), Bytes(2719), {}, 0us, false);
    std::vector<std::size_t> packets;
    Micros last{};
    while (const std::optional<Micros> next = image.Next()) {
        const std::optional<SAnswerChunk> chunk = image.TakeDue(*next);
        packets.push_back(chunk->m_abBytes.size());
        last = chunk->m_nAt;
    }
    ASSERT_EQ(packets.size(), 43u);
    EXPECT_EQ(packets.front(), 64u);
    EXPECT_EQ(packets.back(), 2719u - 42 * 64);
    EXPECT_EQ(last, 607us + Micros(static_cast<long long>(kLineByteMicros * 2719)));

    SSimFaults faults;
    faults.m_nDelayMs = 5;
    faults.m_nBulkDelayMs = 20;
    CAnswerSchedule delayed(kLineByteMicros);
    delayed.Add(band, ack, faults, 0us, false);
    delayed.Add(bulk, ack, faults, 0us, false); // the processor was busy: after the first
    const std::vector<Micros> times = ByteTimes(delayed);
    ASSERT_EQ(times.size(), 14u);
    EXPECT_EQ(times[0], 1041us + 5ms + 607us);
    EXPECT_EQ(times[7], times[6] + 607us + 25ms + 607us);

    faults.m_bOverlap = true; // the delays overlap: the second answer follows the first
    CAnswerSchedule overlapping(kLineByteMicros);
    overlapping.Add(band, ack, faults, 0us, false);
    overlapping.Add(bulk, ack, faults, 0us, false);
    EXPECT_EQ(ByteTimes(overlapping)[7], 607us + 25ms + 607us);
}

TEST(AnswerSchedule, EarlyTrickledAndHangUpAnswers) {
    const Bytes ack = AckOf(3, 0);
    const SWireFrame band = Frame(3, 1, Bytes(5));
    SSimFaults early;
    early.m_bAnswerEarly = true;
    CAnswerSchedule atOnce(kLineByteMicros);
    atOnce.Add(band, ack, early, 0us, false);
    EXPECT_EQ(ByteTimes(atOnce).back(), 607us); // before the frame itself has crossed

    SSimFaults trickle;
    trickle.m_nTrickleMs = 2;
    CAnswerSchedule bytewise(0);
    bytewise.Add(band, ack, trickle, 0us, false);
    EXPECT_EQ(ByteTimes(bytewise), (std::vector<Micros>{1ms, 3ms, 5ms, 7ms, 9ms, 11ms, 13ms}));

    CAnswerSchedule closing(0);
    closing.Add(band, ack, {}, 0us, true);
    ASSERT_EQ(closing.TakeDue(1ms)->m_abBytes, ack);
    const std::optional<SAnswerChunk> hangUp = closing.TakeDue(1ms);
    ASSERT_TRUE(hangUp.has_value());
    EXPECT_TRUE(hangUp->m_bHangUp);
    EXPECT_FALSE(closing.Next().has_value());
}

TEST(SimProcessor, LoadsAnAllModesFileAndRefusesAShortOne) {
    SSimState source = MakeFactoryState();
    source.m_abSystem[0] = 5;
    source.m_aModes[5][1000] = 0xAB;
    const Bytes file = AllModesFile(source);
    const std::string path = std::string(ZOLT_TEST_OUTPUT_DIR) + "/sim-load.dat";
    std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(file.data(), 1, file.size() - 1, out);
    std::fclose(out);
    SSimState loaded;
    std::string error;
    EXPECT_FALSE(LoadAllModesFile(path, loaded, error));
    EXPECT_NE(error.find("shorter"), std::string::npos);

    out = std::fopen(path.c_str(), "ab");
    std::fputc(1, out);
    std::fclose(out);
    ASSERT_TRUE(LoadAllModesFile(path, loaded, error)) << error;
    EXPECT_EQ(loaded.m_abImage[1000], 0xAB);
    EXPECT_EQ(AllModesFile(loaded), file);
}

} // namespace
} // namespace zolt::sim
