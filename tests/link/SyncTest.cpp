#include "LinkTestSupport.h"

#include "link/Sync.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

namespace zolt::test {
namespace {

class SyncTest : public CLinkTest {
protected:
    // One pass; the frame it left in the current frame.
    Bytes Pass() {
        SyncPass(m_current, m_nAlternation);
        return {m_current.m_abFrame, m_current.m_abFrame + FrameWireSize(m_current)};
    }
    static bool IsPoll(const Bytes& frame) {
        return frame[kCommandOffset] == 12 || frame[kCommandOffset] == 24;
    }
    // Changes one working byte (the shadow keeps the old value).
    static void Flip(std::size_t offset) { Image()[offset] ^= 0x01; }

    SFrameRecord m_current{};
    std::uint8_t m_nAlternation = 0;
};

TEST_F(SyncTest, VolumeGoesBeforeMixLevel) {
    System()[1] = 0x85; // effect volume 5, muted
    Image()[56] = 7;    // echo A mix level, mix point 1
    EXPECT_EQ(Pass(), (Bytes{
                          0xFF, 0x55, // start mark
                          0x04, 0x00, // L = 4
                          0x01,       // volume
                          0x02,       // parameter 2: system byte 1
                          0x85,       // the byte
                          0x8C,       // sum 04 + 00 + 01 + 02 + 85
                      }));
    EXPECT_EQ(Pass(), MakeFrame(2, 1, {7}));
    EXPECT_TRUE(IsPoll(Pass()));
    EXPECT_EQ(SystemShadow()[1], 0x85);
    EXPECT_EQ(Shadow()[56], 7);
}

TEST_F(SyncTest, OneWholeRecordPerBandInBandOrder) {
    const std::size_t mic = BandOffset(50, 1);
    const std::size_t music = BandOffset(5, 1);
    Image()[mic + band::kType] = 1;
    Image()[music + band::kGain] = 130;
    Image()[music + band::kQ] = 11;
    const Bytes first = Pass();
    EXPECT_EQ(first, MakeFrame(3, 5, Bytes(Image() + music, Image() + music + 5)));
    EXPECT_EQ(Pass(), MakeFrame(3, 50, Bytes(Image() + mic, Image() + mic + 5)));
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, EveryByteOfEveryBandSendsItsBandNumber) {
    for (int n = 0; n < 191; ++n) {
        for (std::size_t k = 0; k < band::kSize; ++k) {
            const std::size_t offset = BandOffset(n, 1);
            Flip(offset + k);
            const Bytes frame = Pass();
            ASSERT_EQ(frame[kCommandOffset], 3) << "band " << n << " byte " << k;
            ASSERT_EQ(frame[kParameterOffset], n) << "band " << n << " byte " << k;
        }
    }
}

TEST_F(SyncTest, HighPassBeforeLowPassWithTheSameCrossoverNumber) {
    Image()[61] = 9; // echo A high-pass frequency (record at 60)
    Image()[67] = 3; // echo A low-pass slope (record at 64)
    Image()[64] = 1; // its kind byte
    EXPECT_EQ(Pass(), MakeFrame(4, 4, {0, 9, 0, 0}));
    EXPECT_EQ(Pass(), MakeFrame(4, 4, {1, 0, 0, 3}));
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, EveryCrossoverRecordSendsItsNumber) {
    for (int n = 0; n < 17; ++n) {
        const std::size_t hp = CrossoverOffset(n, 1);
        Flip(hp + xover::kSlope);
        if (CrossoverHasLowPass(n)) {
            Flip(hp + xover::kSize + xover::kFreq);
        }
        for (int frames = CrossoverHasLowPass(n) ? 2 : 1; frames > 0; --frames) {
            const Bytes frame = Pass();
            ASSERT_EQ(frame[kCommandOffset], 4) << "crossover " << n;
            ASSERT_EQ(frame[kParameterOffset], n) << "crossover " << n;
        }
        ASSERT_TRUE(IsPoll(Pass())) << "crossover " << n;
    }
}

TEST_F(SyncTest, OutputModeTwoIgnoresTheFirstSet) {
    Image()[image::kOutputMode] = 2;
    Shadow()[image::kOutputMode] = 2;
    Flip(image::kOutputSet1 + output::kBands); // set 1, record 0, band 1
    Flip(image::kOutputSet1 + output::kMute);  // set 1, record 0 mute
    EXPECT_TRUE(IsPoll(Pass()));
    Flip(image::kOutputSet2 + 76 * 3 + 11); // set 2, record 3, band 1
    EXPECT_EQ(Pass()[kParameterOffset], 141);
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, OutputModeChangeSendsCommand142AfterTheNewSetsItems) {
    Image()[image::kOutputMode] = 3;
    EXPECT_EQ(Pass(), MakeFrame(142, 3)); // set 3 matches its shadow: nothing before 142
    Image()[image::kOutputMode] = 2;
    Image()[image::kOutputSet2 + 76 * 2 + output::kMix] = 50; // Center, music level
    EXPECT_EQ(Pass(), MakeFrame(2, 13, {50}));                // mix point 5 * 1 + 0 + 8
    EXPECT_EQ(Pass(), MakeFrame(142, 2));
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, OutputModeOutsideOneToThreeUsesTheFirstSet) {
    Image()[image::kOutputMode] = 7;
    Shadow()[image::kOutputMode] = 7;
    Flip(image::kOutputSet1 + output::kBands);
    EXPECT_EQ(Pass()[kParameterOffset], 111);
    Flip(image::kOutputSet3 + output::kBands);
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, NibblesOfSystemByteNineTravelApart) {
    System()[9] = 0xE5; // pitch 14, setting 5
    EXPECT_EQ(Pass(), MakeFrame(19, 0, {0x05}));
    EXPECT_EQ(SystemShadow()[9], 0x05); // only the low nibble was recorded as sent
    EXPECT_EQ(Pass(), MakeFrame(9, 14, {0, 0}));
    EXPECT_EQ(SystemShadow()[9], 0xE5);
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, OutputMixPointsFollowTheRecordOrder) {
    const std::size_t set = image::kOutputSet1;
    Image()[set + 76 * 6 + 1] = 1;  // record 6 (position 4), level 0
    Image()[set + 76 * 1 + 3] = 1;  // record 1 (position 5), level 1
    Image()[set + 76 * 7 + 10] = 1; // record 7 (position 7), polarity 4
    EXPECT_EQ(Pass(), MakeFrame(2, 28, {1}));
    EXPECT_EQ(Pass(), MakeFrame(2, 44, {1}));
    EXPECT_EQ(Pass(), MakeFrame(11, 57, {1}));
}

TEST_F(SyncTest, PayloadShapesOfTheSmallCommands) {
    Image()[239] = 3;                         // mic byte 0
    Image()[image::kOutputSet1 + 76 * 5] = 1; // record 5 mute
    Image()[401] = 12;                        // Mic 3&4 gate threshold
    Image()[872 + exciter::kTimbre] = 4;      // exciter 1
    System()[8] = 2;                          // music input
    System()[14] = 1;                         // IR control
    EXPECT_EQ(Pass(), MakeFrame(8, 5, {1, 0}));
    EXPECT_EQ(Pass(), MakeFrame(6, 0, {0, 3}));
    EXPECT_EQ(Pass(), MakeFrame(13, 2));
    EXPECT_EQ(Pass(), MakeFrame(10, 1, {12, 0, 0, 1}));
    EXPECT_EQ(Pass(), MakeFrame(18, 1, {1, 0, 0, 0, 4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Pass(), MakeFrame(139, 1));
    EXPECT_TRUE(IsPoll(Pass()));
}

TEST_F(SyncTest, PollsAlternateStartingWithTheLevelPoll) {
    Image()[image::kOutputMode] = 2;
    Shadow()[image::kOutputMode] = 2;
    EXPECT_EQ(Pass(), MakeFrame(12, 2));
    EXPECT_EQ(Pass(), MakeFrame(24, 2));
    EXPECT_EQ(Pass(), MakeFrame(12, 2));
}

TEST_F(SyncTest, BytesWithoutAnItemNeverProduceAFrame) {
    std::vector<std::size_t> unnamed;
    for (std::size_t i = 0; i < kNameSize; ++i) {
        unnamed.push_back(i);
    }
    for (std::size_t i = image::kReverbMirror; i < image::kMic12; ++i) {
        unnamed.push_back(i);
    }
    for (std::size_t i = 717; i < 724; ++i) { // Music Right limiter and noise gate
        unnamed.push_back(i);
    }
    for (std::size_t i = image::kOutputSet2; i < image::kOutputMode; ++i) {
        unnamed.push_back(i);
    }
    unnamed.push_back(image::kLoadSum);
    for (std::size_t offset : unnamed) {
        Flip(offset);
        ASSERT_TRUE(IsPoll(Pass())) << "offset " << offset;
    }
}

} // namespace
} // namespace zolt::test
