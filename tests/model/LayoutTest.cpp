#include "model/Layout.h"
#include "model/Command.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(Layout, TopLevelMapAddsUpToTheImage) {
    EXPECT_EQ(image::kEchoA + effect::kEchoSize, image::kEchoB);
    EXPECT_EQ(image::kEchoB + effect::kEchoSize, image::kReverb);
    EXPECT_EQ(image::kReverb + effect::kReverbSize, image::kReverbMirror);
    EXPECT_EQ(image::kReverbMirror + effect::kReverbSize, image::kMic12);
    EXPECT_EQ(image::kMic12 + mic::kSize, image::kMic34);
    EXPECT_EQ(image::kMic34 + mic::kSize, image::kMicLink);
    EXPECT_EQ(image::kMusicLeft + music::kSize, image::kMusicRight);
    EXPECT_EQ(image::kMusicRight + music::kSize, image::kMusicLink);
    EXPECT_EQ(OutputSetOffset(3) + output::kSetSize, image::kOutputMode);
    EXPECT_EQ(output::kSize * output::kRecordCount, output::kSetSize);
    EXPECT_EQ(image::kLoadSum + 1, kImageSize);
    EXPECT_EQ(music::kReserved + 5, music::kSize);
    EXPECT_EQ(mic::kBlockByte + 1, mic::kSize);
    EXPECT_EQ(output::kDelay + 2, output::kSize);
}

TEST(Layout, BandNumbersLandOnTheirRecords) {
    struct {
        int number;
        std::size_t offset;
    } const cases[] = {
        {0, 568},   {14, 638},  {15, 644},  {19, 664},   {20, 732}, {35, 808},
        {40, 255},  {59, 350},  {60, 356},  {65, 412},   {85, 513}, {89, 533},
        {90, 20},   {96, 50},   {97, 134},  {103, 164},  {104, 77}, {110, 107},
        {111, 893}, {120, 938}, {121, 969}, {190, 1470},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BandOffset(c.number, 1), c.offset) << "band number " << c.number;
    }
    EXPECT_EQ(BandOffset(111, 2), 1490u + 11);
    EXPECT_EQ(BandOffset(190, 3), 2098u + 7 * 76 + 11 + 45);
    EXPECT_EQ(BandOffset(191, 1), kImageSize);
    EXPECT_EQ(BandOffset(-1, 1), kImageSize);
}

TEST(Layout, CrossoverNumbersLandOnTheirPairs) {
    const std::size_t expected[] = {560, 724, 247, 404, 60, 174, 117};
    for (int n = 0; n < 7; ++n) {
        EXPECT_EQ(CrossoverOffset(n, 1), expected[n]) << n;
        EXPECT_TRUE(CrossoverHasLowPass(n));
    }
    EXPECT_EQ(CrossoverOffset(7, 1), 882u + 66);
    EXPECT_EQ(CrossoverOffset(14, 2), 1490u + 7 * 76 + 66);
    EXPECT_EQ(CrossoverOffset(15, 1), 670u);
    EXPECT_EQ(CrossoverOffset(16, 1), 834u);
    EXPECT_FALSE(CrossoverHasLowPass(15));
    EXPECT_FALSE(CrossoverHasLowPass(16));
    EXPECT_EQ(CrossoverOffset(17, 1), kImageSize);
}

TEST(Layout, EqBlocksResolveOutputsAgainstTheLiveSet) {
    EXPECT_EQ(EqBlock(0, 1).m_nFirst, 568u);
    EXPECT_EQ(EqBlock(2, 1).m_nBands, 20);
    EXPECT_EQ(EqBlock(5, 1).m_nFirst, 77u);
    EXPECT_EQ(EqBlock(6, 1).m_nFirst, 134u);
    EXPECT_EQ(EqBlock(7, 1).m_nFirst, 186u);
    EXPECT_EQ(EqBlock(8, 1).m_nFirst, 893u);
    EXPECT_EQ(EqBlock(15, 3).m_nFirst, 2098u + 7 * 76 + 11);
    EXPECT_EQ(EqBlock(16, 1).m_nFirst, 674u);
    EXPECT_EQ(EqBlock(16, 1).m_nStride, 10u);
    EXPECT_EQ(EqBlock(17, 1).m_nFirst, 838u);
    EXPECT_EQ(EqBlock(18, 1).m_nBands, 0);
}

TEST(Layout, OutputBlocksAndCrossoversAreThoseThatMoveWithTheLiveSet) {
    for (int n = 0; n <= static_cast<int>(kCrossoverNumberCount); ++n) {
        EXPECT_EQ(IsOutputCrossover(n), CrossoverOffset(n, 1) != CrossoverOffset(n, 2)) << n;
    }
    for (int n = 0; n <= static_cast<int>(kEqBlockCount); ++n) {
        EXPECT_EQ(IsOutputEqBlock(n), EqBlock(n, 1).m_nFirst != EqBlock(n, 3).m_nFirst) << n;
    }
}

TEST(Layout, OutputModeZeroAndOutOfRangeMeanSetOne) {
    EXPECT_EQ(LiveOutputSet(std::uint8_t{0}), 1);
    EXPECT_EQ(LiveOutputSet(std::uint8_t{2}), 2);
    EXPECT_EQ(LiveOutputSet(std::uint8_t{3}), 3);
    EXPECT_EQ(LiveOutputSet(std::uint8_t{4}), 1);
    EXPECT_EQ(BandOffset(111, 0), BandOffset(111, 1));
}

TEST(Layout, U16IsLittleEndianAtOddOffsets) {
    std::uint8_t bytes[8] = {};
    SetU16(bytes + 1, 0x0A9B);
    EXPECT_EQ(bytes[1], 0x9B);
    EXPECT_EQ(bytes[2], 0x0A);
    EXPECT_EQ(GetU16(bytes + 1), 0x0A9B);
    SetU16(bytes + 3, 361);
    EXPECT_EQ(GetU16(bytes + 3), 361);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[5], 0);
}

TEST(ProcessData, CommitCopiesImageAndOptionallyTheSystemBlock) {
    ResetProcessData();
    Image()[100] = 7;
    System()[3] = 0x85;
    System()[65] = 9;
    CommitShadow(false);
    EXPECT_EQ(Shadow()[100], 7);
    EXPECT_EQ(SystemShadow()[3], 0);
    CommitShadow(true);
    EXPECT_EQ(SystemShadow()[3], 0x85);
    EXPECT_EQ(SystemShadow()[65], 0) << "only bytes 0..64 are committed";
    EXPECT_EQ(sizeof(SPresetStore), 22u * 2712 + 1);
}

TEST(ProcessData, SetModeNameWritesImageAndSlot) {
    ResetProcessData();
    SetModeName(5, "Party");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Image()), 20), "Party               ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Slot(5)), 20), "Party               ");
    EXPECT_EQ(Slot(4)[0], 0);
    SetModeName(22, "ignored");
    EXPECT_EQ(Image()[0], 'P');
}

// The one rule of the window's name field and of zoltctl: printable ASCII, at most 20
// characters counted as characters, the first offending one named with its position.
TEST(ProcessData, ModeNameProblemNamesTheFirstCharacterThatCannotBeStored) {
    EXPECT_EQ(ModeNameProblem(""), "");
    EXPECT_EQ(ModeNameProblem(" !Evening~ 20 chars "), "");
    EXPECT_EQ(ModeNameProblem("Room 5 \xc3\xb1 \xe6\x97\xa5\xe6\x9c\xac"),
              "character 8, \"\xc3\xb1\" (U+00F1), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("ab\tc"),
              "character 3, \"\\x09\" (U+0009), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("\x1b[31m"),
              "character 1, \"\\x1B\" (U+001B), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("bell\a"),
              "character 5, \"\\x07\" (U+0007), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("two\nlines"),
              "character 4, \"\\x0A\" (U+000A), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("DEL\x7f"),
              "character 4, \"\\x7F\" (U+007F), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem(std::string_view("a\0b", 3)),
              "character 2, \"\\x00\" (U+0000), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("ok \xc4\xe3"), // the Chinese Windows code page, no UTF-8
              "character 4, \"\\xC4\" (no UTF-8 character), is not printable ASCII (space to "
              "\"~\")");
    // Ten Chinese characters: 30 bytes, but the characters are what cannot be stored.
    EXPECT_EQ(ModeNameProblem("\xe4\xb8\x80\xe4\xba\x8c\xe4\xb8\x89\xe5\x9b\x9b\xe4\xba\x94"
                              "\xe5\x85\xad\xe4\xb8\x83\xe5\x85\xab\xe4\xb9\x9d\xe5\x8d\x81"),
              "character 1, \"\xe4\xb8\x80\" (U+4E00), is not printable ASCII (space to \"~\")");
    EXPECT_EQ(ModeNameProblem("a name longer than twenty"),
              "a mode name has at most 20 characters; this one has 25");
    EXPECT_TRUE(IsStorableCharacter(U' ') && IsStorableCharacter(U'~'));
    EXPECT_FALSE(IsStorableCharacter(U'\x1f') || IsStorableCharacter(U'\x7f') ||
                 IsStorableCharacter(U'\u00e9'));
}

} // namespace
} // namespace zolt
