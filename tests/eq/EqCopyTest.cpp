// "Copy EQ" and "Paste EQ" between blocks of different sizes and pages.
#include "eq/EqCopy.h"
#include "eq/Filter.h"
#include "eq/KTVEQ.h"
#include "model/DataConver.h"

#include "EqImages.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace zolt {
namespace {

using namespace test;

constexpr int kOut2 = 12;
constexpr int kOut1 = 13;

// Every byte pseudo-random, output set 2 live.
Image NoiseImage(unsigned seed) {
    return test::NoiseImage(seed, 2);
}

std::uint8_t* Band(Image& image, int nBlock, int nBand) {
    const SEqBlock block = EqBlock(nBlock, LiveOutputSet(image[image::kOutputMode]));
    return image.data() + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(nBand);
}

// Band nBand of the block set to a playing peak (type 1) or bypassed, gains within -12..+12.
void SetBand(Image& image, int nBlock, int nBand, bool bPlays, int nGain = 130) {
    std::uint8_t* record = Band(image, nBlock, nBand);
    SetU16(record + band::kFreq, static_cast<std::uint16_t>(100 + 10 * nBand));
    record[band::kGain] = static_cast<std::uint8_t>(nGain);
    record[band::kQ] = static_cast<std::uint8_t>(10 + nBand);
    record[band::kType] = bPlays ? ftype::kPeaking : ftype::kBypass;
}

bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    return std::equal(a, a + n, b);
}

TEST(EqCopy, AnOutputOntoItsPartnerWithAndWithoutItsCrossovers) {
    Image image = NoiseImage(1);
    for (int i = 0; i < 10; ++i) {
        SetBand(image, kOut1, i, i % 3 != 0);
    }
    const SEqClip clip = CopyEq(kOut1, image.data());
    ASSERT_EQ(clip.m_aBands.size(), 10u);
    EXPECT_TRUE(clip.m_bCrossovers);
    EXPECT_EQ(clip.PlayingBands(), 6);

    const Image before = image;
    std::string notes;
    std::string error;
    ASSERT_TRUE(PasteEq(clip, kOut2, false, image.data(), notes, error, 0)) << error;
    EXPECT_EQ(notes, "");
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(SameBytes(Band(image, kOut2, i), Band(image, kOut1, i), band::kSize)) << i;
    }
    const std::size_t highPass = HighPassOffset(kOut2, 2);
    EXPECT_TRUE(SameBytes(image.data() + highPass, before.data() + highPass, 2 * xover::kSize));

    ASSERT_TRUE(PasteEq(clip, kOut2, true, image.data(), notes, error, 0)) << error;
    const std::size_t from = HighPassOffset(kOut1, 2);
    for (const std::size_t kind : {std::size_t{0}, xover::kSize}) {
        EXPECT_EQ(image[highPass + kind + xover::kKind], before[highPass + kind + xover::kKind]);
        EXPECT_TRUE(SameBytes(image.data() + highPass + kind + xover::kFreq,
                              image.data() + from + kind + xover::kFreq, 3));
    }
    // Nothing outside Out 2's record of the live set moved.
    const std::size_t record = OutputSetOffset(2) + output::kSize * 4;
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i < record || i >= record + output::kSize) {
            ASSERT_EQ(image[i], before[i]) << i;
        }
    }
}

TEST(EqCopy, ALargerBlockBypassesTheBandsAfterTheCopy) {
    Image image = NoiseImage(2);
    for (int i = 0; i < 7; ++i) {
        SetBand(image, kEchoA, i, true);
    }
    const Image before = image;
    std::string notes;
    std::string error;
    ASSERT_TRUE(
        PasteEq(CopyEq(kEchoA, image.data()), kMusicLeft, false, image.data(), notes, error, 0));
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(SameBytes(Band(image, kMusicLeft, i), Band(image, kEchoA, i), band::kSize));
    }
    Image expected = before;
    for (int i = 0; i < 15; ++i) {
        std::copy_n(Band(image, kMusicLeft, i), i < 7 ? band::kSize : band::kType,
                    Band(expected, kMusicLeft, i));
        if (i >= 7) {
            EXPECT_EQ(Band(image, kMusicLeft, i)[band::kType], ftype::kBypass) << i;
            Band(expected, kMusicLeft, i)[band::kType] = ftype::kBypass;
        }
    }
    EXPECT_EQ(image, expected) << "bands 8..15 keep their values, bypassed";
}

TEST(EqCopy, ASmallerBlockTakesThePlayingBandsWhenTheyFit) {
    Image image = NoiseImage(3);
    for (int i = 0; i < 15; ++i) {
        SetBand(image, kMusicLeft, i, i < 12 && i != 2 && i != 5);
    }
    // Ten bands play: they go to Out 1's ten, in order.
    SEqClip clip = CopyEq(kMusicLeft, image.data());
    ASSERT_EQ(clip.PlayingBands(), 10);
    std::string notes;
    std::string error;
    ASSERT_TRUE(PasteEq(clip, kOut1, false, image.data(), notes, error, 0)) << error;
    const int playing[] = {0, 1, 3, 4, 6, 7, 8, 9, 10, 11};
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(
            SameBytes(Band(image, kOut1, i), Band(image, kMusicLeft, playing[i]), band::kSize))
            << i;
    }

    // Eleven do not fit: refused, with the reason, nothing written.
    SetBand(image, kMusicLeft, 2, true);
    clip = CopyEq(kMusicLeft, image.data());
    const Image before = image;
    EXPECT_FALSE(PasteEq(clip, kOut1, false, image.data(), notes, error, 0));
    EXPECT_EQ(error, "Music Left plays 11 bands and Out 1 has 10: nothing pasted");
    EXPECT_FALSE(PasteEq(clip, kOut1, false, image.data(), notes, error, 1));
    EXPECT_EQ(error, "音乐左 使用 11 个频段，输出1 只有 10 个：未粘贴");
    EXPECT_EQ(image, before);
}

TEST(EqCopy, TheDynamicEqKeepsItsGainsAndItsDetectors) {
    Image image = NoiseImage(4);
    for (int i = 0; i < 20; ++i) {
        SetBand(image, kMic12, i, i == 4 || i == 9 || i == 15, i == 9 ? 20 : 150);
    }
    Image before = image;
    std::string notes;
    std::string error;
    EXPECT_FALSE(
        PasteEq(CopyEq(kMic12, image.data()), kMusicLeftDeq, true, image.data(), notes, error, 0));
    EXPECT_EQ(error, "Music Left DEQ has no crossovers: nothing pasted");
    EXPECT_EQ(image, before);

    ASSERT_TRUE(
        PasteEq(CopyEq(kMic12, image.data()), kMusicLeftDeq, false, image.data(), notes, error, 0))
        << error;
    EXPECT_EQ(notes, "band 2: gain -20.0 dB is outside -12..+12 dB: set to -12.0 dB\n");
    EXPECT_EQ(Band(image, kMusicLeftDeq, 1)[band::kGain], RawOfGainDb(-12.0));
    EXPECT_TRUE(SameBytes(Band(image, kMusicLeftDeq, 0), Band(image, kMic12, 4), band::kSize));
    EXPECT_EQ(GetU16(Band(image, kMusicLeftDeq, 2) + band::kFreq), 250);
    for (int i = 0; i < 3; ++i) {
        // The detector bytes after each band's own five stay.
        EXPECT_TRUE(SameBytes(Band(image, kMusicLeftDeq, i) + band::kSize,
                              Band(before, kMusicLeftDeq, i) + band::kSize,
                              deq::kSize - band::kSize))
            << i;
    }

    // And back: the dynamic EQ has no crossovers to give either.
    EXPECT_FALSE(
        PasteEq(CopyEq(kMusicLeftDeq, image.data()), kEchoA, true, image.data(), notes, error, 0));
    EXPECT_EQ(error, "Music Left DEQ has no crossovers: nothing pasted");
    EXPECT_FALSE(PasteEq(SEqClip{}, kEchoA, false, image.data(), notes, error, 0));
    EXPECT_FALSE(PasteEq(CopyEq(kEchoA, image.data()), 18, false, image.data(), notes, error, 0));
    EXPECT_TRUE(CopyEq(-1, image.data()).Empty());
}

} // namespace
} // namespace zolt
