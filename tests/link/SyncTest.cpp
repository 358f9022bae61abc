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
        SFrameRecord& current = m_link.CurrentFrame();
        SyncPass(current, m_nAlternation);
        return {current.m_abFrame, current.m_abFrame + FrameWireSize(current)};
    }
    bool PassIsPoll() {
        const std::uint8_t command = Pass()[kCommandOffset];
        return command == 12 || command == 24;
    }
    // Changes one working byte; the shadow keeps the old value.
    static void Flip(std::size_t offset) { Image()[offset] ^= 0x01; }
    static void SetOutputMode(std::uint8_t mode) {
        Image()[image::kOutputMode] = mode;
        Shadow()[image::kOutputMode] = mode;
    }

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
    EXPECT_TRUE(PassIsPoll());
}

TEST_F(SyncTest, EachBandTravelsAsOneWholeRecordInBandOrder) {
    const std::size_t mic = BandOffset(50, 1);
    const std::size_t music = BandOffset(5, 1);
    Image()[mic + band::kType] = 1;
    Image()[music + band::kGain] = 130;
    Image()[music + band::kQ] = 11;
    EXPECT_EQ(Pass(), MakeFrame(3, 5, Bytes(Image() + music, Image() + music + 5)));
    EXPECT_EQ(Pass(), MakeFrame(3, 50, Bytes(Image() + mic, Image() + mic + 5)));
    EXPECT_TRUE(PassIsPoll());
    // Every byte of every band record sends that band's number.
    for (int n = 0; n < 191; ++n) {
        for (std::size_t k = 0; k < band::kSize; ++k) {
            Flip(BandOffset(n, 1) + k);
            const Bytes frame = Pass();
            ASSERT_EQ(frame[kCommandOffset], 3) << "band " << n << " byte " << k;
            ASSERT_EQ(frame[kParameterOffset], n) << "band " << n << " byte " << k;
        }
    }
}

TEST_F(SyncTest, HighPassGoesBeforeLowPassWithTheSameCrossoverNumber) {
    Image()[61] = 9; // echo A high-pass frequency (record at 60)
    Image()[64] = 1; // echo A low-pass kind
    Image()[67] = 3; // and slope
    EXPECT_EQ(Pass(), MakeFrame(4, 4, {0, 9, 0, 0}));
    EXPECT_EQ(Pass(), MakeFrame(4, 4, {1, 0, 0, 3}));
    EXPECT_TRUE(PassIsPoll());
    for (int n = 0; n < 17; ++n) {
        const std::size_t highPass = CrossoverOffset(n, 1);
        Flip(highPass + xover::kSlope);
        if (CrossoverHasLowPass(n)) {
            Flip(highPass + xover::kSize + xover::kFreq);
            EXPECT_EQ(Pass()[kParameterOffset], n);
        }
        EXPECT_EQ(Pass()[kParameterOffset], n);
        ASSERT_TRUE(PassIsPoll()) << "crossover " << n;
    }
}

TEST_F(SyncTest, OutputModeTwoIgnoresTheFirstSet) {
    SetOutputMode(2);
    Flip(image::kOutputSet1 + output::kBands);
    Flip(image::kOutputSet1 + output::kMute);
    EXPECT_TRUE(PassIsPoll());
    Flip(image::kOutputSet2 + 76 * 3 + 11); // set 2, record 3, band 1
    EXPECT_EQ(Pass()[kParameterOffset], 141);
}

TEST_F(SyncTest, AnOutputModeOutsideOneToThreeUsesTheFirstSet) {
    SetOutputMode(7);
    Flip(image::kOutputSet1 + output::kBands);
    EXPECT_EQ(Pass()[kParameterOffset], 111);
    Flip(image::kOutputSet3 + output::kBands);
    EXPECT_TRUE(PassIsPoll());
}

TEST_F(SyncTest, AnOutputModeChangeIsSentAfterTheItemsOfTheNewSet) {
    Image()[image::kOutputMode] = 3;
    EXPECT_EQ(Pass(), MakeFrame(142, 3)); // set 3 matches its shadow: nothing comes first
    Image()[image::kOutputMode] = 2;
    Image()[image::kOutputSet2 + 76 * 2 + output::kMix] = 50; // Center, music level
    EXPECT_EQ(Pass(), MakeFrame(2, 13, {50}));
    EXPECT_EQ(Pass(), MakeFrame(142, 2));
}

TEST_F(SyncTest, TheNibblesOfSystemByteNineTravelApart) {
    System()[9] = 0xE5; // pitch 14, setting 5
    EXPECT_EQ(Pass(), MakeFrame(19, 0, {0x05}));
    EXPECT_EQ(SystemShadow()[9], 0x05); // only the low nibble counts as sent
    EXPECT_EQ(Pass(), MakeFrame(9, 14, {0, 0}));
    EXPECT_TRUE(PassIsPoll());
}

TEST_F(SyncTest, PayloadsAndParametersOfTheSmallCommands) {
    const std::size_t set = image::kOutputSet1;
    Image()[set + 76 * 6 + 1] = 1;  // record 6 (position 4), music level
    Image()[set + 76 * 7 + 10] = 1; // record 7 (position 7), reverb polarity
    Image()[set + 76 * 5] = 1;      // record 5 mute
    Image()[239] = 3;               // mic byte 0
    System()[8] = 2;                // music input
    Image()[401] = 12;              // Mic 3&4 noise-gate threshold
    Image()[872 + 3] = 4;           // exciter 1, timbre
    System()[14] = 1;               // IR control
    EXPECT_EQ(Pass(), MakeFrame(2, 28, {1}));
    EXPECT_EQ(Pass(), MakeFrame(11, 57, {1}));
    EXPECT_EQ(Pass(), MakeFrame(8, 5, {1, 0}));
    EXPECT_EQ(Pass(), MakeFrame(6, 0, {0, 3}));
    EXPECT_EQ(Pass(), MakeFrame(13, 2));
    EXPECT_EQ(Pass(), MakeFrame(10, 1, {12, 0, 0, 1}));
    EXPECT_EQ(Pass(), MakeFrame(18, 1, {1, 0, 0, 0, 4, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Pass(), MakeFrame(139, 1));
    EXPECT_TRUE(PassIsPoll());
}

TEST_F(SyncTest, PollsAlternateStartingWithTheLevelPoll) {
    SetOutputMode(2);
    EXPECT_EQ(Pass(), MakeFrame(12, 2));
    EXPECT_EQ(Pass(), MakeFrame(24, 2));
    EXPECT_EQ(Pass(), MakeFrame(12, 2));
}

TEST_F(SyncTest, BytesWithoutAnItemNeverProduceAFrame) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges{
        {0, kNameSize},                           // mode name
        {image::kReverbMirror, image::kMic12},    // reverb mirror
        {717, 724},                               // Music Right limiter and noise gate
        {image::kOutputSet2, image::kOutputMode}, // the inactive output sets
        {image::kLoadSum, image::kLoadSum + 1}};
    for (auto [from, to] : ranges) {
        for (std::size_t offset = from; offset < to; ++offset) {
            Flip(offset);
            ASSERT_TRUE(PassIsPoll()) << "offset " << offset;
        }
    }
}

} // namespace
} // namespace zolt::test
