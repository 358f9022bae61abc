#include "model/Defaults.h"

#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zolt {
namespace {

std::vector<std::uint8_t> Bytes(const std::uint8_t* p, std::size_t count) {
    return {p, p + count};
}

class Defaults : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
    }
};

// Every main, auxiliary and dynamic band of every block after start.
std::vector<std::size_t> AllBandOffsets() {
    std::vector<std::size_t> offsets;
    for (int number = 0; number < 111; ++number) {
        offsets.push_back(BandOffset(number, 1));
    }
    for (int set = 1; set <= 3; ++set) {
        for (int number = 111; number < 191; ++number) {
            offsets.push_back(BandOffset(number, set));
        }
    }
    for (int i = 0; i < 7; ++i) {
        offsets.push_back(image::kReverbMirror + 5 * i);
    }
    for (int i = 0; i < 3; ++i) {
        offsets.push_back(674 + 10 * i);
        offsets.push_back(838 + 10 * i);
    }
    return offsets;
}

TEST_F(Defaults, EveryBandStartsBypassedAndFlat) {
    for (std::size_t offset : AllBandOffsets()) {
        EXPECT_EQ(Image()[offset + band::kType], 0) << offset;
        EXPECT_EQ(Image()[offset + band::kGain], 120) << offset;
        EXPECT_EQ(Image()[offset + band::kQ], 10) << offset;
    }
    for (int block : {0, 1, 2, 3, 4, 5, 6, 7, 16, 17}) {
        const CKTVEQ* set = CurveSetOfBlock(block);
        for (int i = 0; i < set->FilterCount(); ++i) {
            if (i < set->BandCount()) {
                EXPECT_EQ(set->Filter(i)->Type(), 0);
                EXPECT_EQ(set->Filter(i)->GainDb(), 0.0);
            }
        }
        for (double db : set->CompositeDb()) {
            ASSERT_EQ(db, 0.0) << block;
        }
    }
}

TEST_F(Defaults, RecordsTakeTheirFactoryValues) {
    EXPECT_EQ(GetU16(Image() + 568 + 70), 333); // Music band 15, 12000 Hz
    EXPECT_EQ(GetU16(Image() + 255 + 95), 360); // Mic band 20, 20200 Hz
    EXPECT_EQ(GetU16(Image() + 20 + 30), 300);  // echo A band 7, 6350 Hz
    EXPECT_EQ(GetU16(Image() + 893 + 45), 272); // output band 10, 3700 Hz
    EXPECT_EQ(GetU16(Image() + 644), 204);      // auxiliary bands at 1000 Hz
    EXPECT_EQ(GetU16(Image() + 694), 279);      // 4230 Hz is nearest to 4240 Hz
    EXPECT_EQ(GetU16(Image() + 858), 279);
    const std::uint8_t openPair[] = {0, 0, 0, 0, 1, 0x69, 0x01, 0};
    for (std::size_t highPass : {560u, 724u, 247u, 404u, 60u, 117u, 174u, 226u, 948u, 2164u}) {
        EXPECT_EQ(Bytes(Image() + highPass, 8), Bytes(openPair, 8)) << highPass;
    }
    const std::uint8_t mainHighPassAndDynamics[] = {0, 0, 0, 1, 20, 0, 120, 10, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(Bytes(Image() + 670, 14), Bytes(mainHighPassAndDynamics, 14));
    const std::uint8_t lowExciter[] = {0x69, 0x01, 0, 0};
    EXPECT_EQ(Bytes(Image() + 704, 4), Bytes(lowExciter, 4));
    EXPECT_EQ(Bytes(Image() + 382, 4), Bytes(lowExciter, 4));
    EXPECT_EQ(Image()[image::kOutputMode], 1);
}

TEST_F(Defaults, CopiedBlocksEqualTheirSourcesByteForByte) {
    EXPECT_EQ(Bytes(Image() + image::kEchoB, 57), Bytes(Image() + image::kEchoA, 57));
    EXPECT_EQ(Bytes(Image() + image::kReverbMirror, 52), Bytes(Image() + image::kReverb, 52));
    EXPECT_EQ(Bytes(Image() + image::kMusicRight, 164), Bytes(Image() + image::kMusicLeft, 164));
    EXPECT_EQ(Bytes(Image() + image::kMic34, 157), Bytes(Image() + image::kMic12, 157));
    EXPECT_EQ(Bytes(Image() + 1490, 608), Bytes(Image() + 882, 608));
    EXPECT_EQ(Bytes(Image() + 2098, 608), Bytes(Image() + 882, 608));
    // The link copies also wrote the shadow, so they cause no field-by-field traffic.
    EXPECT_EQ(Bytes(Shadow() + image::kMusicRight, 164), Bytes(Image() + image::kMusicRight, 164));
    EXPECT_EQ(Bytes(Shadow() + image::kMic34, 157), Bytes(Image() + image::kMic34, 157));
}

TEST(DefaultsStart, BytesTheDefaultsDoNotNameAreLeftAlone) {
    ResetProcessData();
    Image()[882] = 1;   // mute of output record 0
    Image()[238] = 33;  // mic level
    System()[2] = 7;    // mic volume
    System()[9] = 0x05; // low nibble kept beside the pitch
    System()[40] = 0x5A;
    Image()[image::kName] = 'X';
    FactoryDefaults();
    for (int record = 0; record < 8; ++record) {
        EXPECT_EQ(Image()[882 + 76 * record], 1) << record;
    }
    EXPECT_EQ(Image()[238], 33);
    EXPECT_EQ(Image()[395], 33);
    EXPECT_EQ(System()[2], 7);
    EXPECT_EQ(System()[9], 0xE5);
    EXPECT_EQ(System()[40], 0x5A);
    EXPECT_EQ(Image()[image::kName], 0);
}

TEST_F(Defaults, SystemBlockAndPasswordsTakeFactoryValues) {
    const std::uint8_t system[] = {0, 0, 0,   0,   70,  84,  84,  0,   0,   0xE0, 0,   0,  0,
                                   0, 0, '1', '2', '3', '4', '1', '2', '3', '4',  '5', '6'};
    EXPECT_EQ(Bytes(System(), sizeof system), Bytes(system, sizeof system));
    for (std::size_t offset = 2622; offset <= 2643; ++offset) {
        const bool space = offset <= 2633 || (offset >= 2636 && offset <= 2639);
        EXPECT_EQ(Slot(0)[offset], space ? ' ' : 0) << offset;
    }
}

TEST_F(Defaults, EqResetWritesPeakingBandsOfOneBlockOnly) {
    const struct {
        int block;
        std::size_t first;
        int bands;
        std::size_t stride;
        std::uint16_t lastIndex;
    } cases[] = {
        {0, 568, 15, 5, 333},  {1, 732, 15, 5, 333},  {2, 255, 20, 5, 360},
        {3, 412, 20, 5, 360},  {4, 20, 7, 5, 300},    {5, 77, 7, 5, 300},
        {6, 134, 7, 5, 300},   {8, 893, 10, 5, 272},  {15, 882 + 7 * 76 + 11, 10, 5, 272},
        {16, 674, 3, 10, 279}, {17, 838, 3, 10, 279},
    };
    for (const auto& c : cases) {
        SetUp();
        std::vector<std::uint8_t> expected = Bytes(Image(), kImageSize);
        Image()[c.first + 2] = 200; // a changed gain the reset puts back
        for (int i = 0; i < c.bands; ++i) {
            expected[c.first + c.stride * i + band::kType] = 1;
        }
        ResetEqBlock(c.block);
        EXPECT_EQ(Bytes(Image(), kImageSize), expected) << "block " << c.block;
        EXPECT_EQ(GetU16(Image() + c.first + c.stride * (c.bands - 1)), c.lastIndex);
        const CKTVEQ* set = CurveSetOfBlock(c.block);
        for (int i = 0; i < c.bands; ++i) {
            EXPECT_EQ(set->Filter(i)->Type(), 1) << "block " << c.block << " band " << i;
        }
    }
}

TEST_F(Defaults, EqResetKeepsAuxiliaryAndDynamicsBytes) {
    Image()[644 + 2] = 150;
    Image()[674 + 5] = 30;
    ResetEqBlock(0);
    ResetEqBlock(16);
    EXPECT_EQ(Image()[644 + 2], 150);
    EXPECT_EQ(GetU16(Image() + 644), 204);
    EXPECT_EQ(Image()[674 + 5], 30);
    EXPECT_EQ(Image()[674 + 4], 1);
}

TEST_F(Defaults, ArgumentsThatNameNoBlockPairOrModeWriteNothing) {
    const std::vector<std::uint8_t> before = Bytes(Image(), kImageSize);
    for (int block : {7, -1, 18, 1000}) {
        ResetEqBlock(block);
    }
    for (int first : {-1, 1, 2, 3, 5, 7, 8}) {
        OutputPairLinkCopy(first, first + 1);
    }
    OutputPairLinkCopy(0, 4);
    LocalRecall(0);
    LocalRecall(22);
    EXPECT_EQ(Bytes(Image(), kImageSize), before);
    EXPECT_EQ(System()[0], 0);
}

TEST_F(Defaults, EqResetOfAnOutputRecordTouchesOnlyTheLiveSet) {
    Image()[image::kOutputMode] = 2;
    const std::vector<std::uint8_t> set1 = Bytes(Image() + OutputSetOffset(1), 608);
    const std::vector<std::uint8_t> set3 = Bytes(Image() + OutputSetOffset(3), 608);
    ResetEqBlock(9);
    EXPECT_EQ(Image()[OutputSetOffset(2) + 76 + 11 + 4], 1);
    EXPECT_EQ(Bytes(Image() + OutputSetOffset(1), 608), set1);
    EXPECT_EQ(Bytes(Image() + OutputSetOffset(3), 608), set3);
    EXPECT_EQ(OutputCurveSet(2, 1)->Filter(0)->Type(), 1);
    EXPECT_EQ(OutputCurveSet(1, 1)->Filter(0)->Type(), 0);
}

TEST_F(Defaults, MusicAndMicLinkCopiesReachImageShadowAndCurves) {
    Image()[568 + 4] = 1;
    Image()[568 + 2] = 150;
    Image()[674 + 4] = 2;
    Image()[255 + 4] = 3;
    Image()[238 + 156] = 9; // Mic block byte
    MusicLinkCopy();
    MicLinkCopy();
    EXPECT_EQ(Bytes(Image() + 717, 164), Bytes(Image() + 553, 164));
    EXPECT_EQ(Bytes(Shadow() + 717, 164), Bytes(Image() + 553, 164));
    EXPECT_EQ(Bytes(Image() + 395, 157), Bytes(Image() + 238, 157));
    EXPECT_EQ(Bytes(Shadow() + 395, 157), Bytes(Image() + 238, 157));
    EXPECT_EQ(CurveSetOfBlock(1)->Filter(0)->Type(), 1);
    EXPECT_EQ(CurveSetOfBlock(17)->Filter(0)->Type(), 2);
    EXPECT_EQ(CurveSetOfBlock(3)->Filter(0)->Type(), 3);
    EXPECT_EQ(Shadow()[553], 0); // the first channel's shadow is not touched
}

TEST_F(Defaults, PairLinkCopyKeepsTheSecondChannelsMuteAndDelay) {
    for (int set = 1; set <= 3; ++set) {
        std::uint8_t* first = Image() + OutputSetOffset(set) + 76 * 4;
        std::uint8_t* second = first + 76;
        first[0] = 1;
        first[1] = 150;
        first[11 + 4] = 1;
        SetU16(first + 74, 1000);
        second[0] = 0;
        SetU16(second + 74, 250 + set);
    }
    OutputPairLinkCopy(4, 5);
    for (int set = 1; set <= 3; ++set) {
        const std::size_t second = OutputSetOffset(set) + 76 * 5;
        EXPECT_EQ(Image()[second], 0);
        EXPECT_EQ(GetU16(Image() + second + 74), 250 + set);
        EXPECT_EQ(Bytes(Image() + second + 1, 73), Bytes(Image() + second - 76 + 1, 73));
        // The copy is for the synchronisation to send: the shadow keeps what was sent.
        EXPECT_NE(Bytes(Shadow() + second, 76), Bytes(Image() + second, 76)) << set;
        EXPECT_EQ(OutputCurveSet(set, 5)->Filter(0)->Type(), 1);
    }
}

TEST_F(Defaults, LocalRecallLoadsTheSlotCommitsAndRebinds) {
    std::memcpy(Slot(5), Image(), kImageSize);
    Slot(5)[568 + 4] = 1;
    Slot(5)[568 + 2] = 150;
    Slot(5)[image::kName] = 'M';
    System()[30] = 3;
    LocalRecall(5);
    EXPECT_EQ(Bytes(Image(), kImageSize), Bytes(Slot(5), kImageSize));
    EXPECT_EQ(Bytes(Shadow(), kImageSize), Bytes(Image(), kImageSize));
    EXPECT_EQ(System()[0], 5);
    EXPECT_EQ(SystemShadow()[0], 0); // the system block is not committed
    EXPECT_DOUBLE_EQ(CurveSetOfBlock(0)->Filter(0)->GainDb(), 6.0);
}

} // namespace
} // namespace zolt
