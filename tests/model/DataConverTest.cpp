#include "model/DataConver.h"

#include <gtest/gtest.h>

namespace zolt {
namespace {

TEST(FrequencyTable, LandmarksAndGrid) {
    EXPECT_DOUBLE_EQ(FreqOfIndex(0), 19.7);
    EXPECT_DOUBLE_EQ(FreqOfIndex(82), 95);
    EXPECT_DOUBLE_EQ(FreqOfIndex(204), 1000);
    EXPECT_DOUBLE_EQ(FreqOfIndex(361), 20600);
    for (int i = 1; i < kFreqCount; ++i) {
        EXPECT_LT(kFrequencyTable[i - 1], kFrequencyTable[i]) << i;
    }
    EXPECT_DOUBLE_EQ(kResponseGrid[0], 10);
    EXPECT_DOUBLE_EQ(kResponseGrid[34], 19.3);
    EXPECT_DOUBLE_EQ(kResponseGrid[35], 19.7);
    EXPECT_DOUBLE_EQ(kResponseGrid[396], 20600);
    EXPECT_DOUBLE_EQ(kResponseGrid[397], 21000);
    EXPECT_DOUBLE_EQ(kResponseGrid[419], 32000);
    for (int i = 1; i < kGridCount; ++i) {
        EXPECT_LT(kResponseGrid[i - 1], kResponseGrid[i]) << i;
    }
}

TEST(FrequencyTable, NearestIndex) {
    EXPECT_EQ(IndexOfFreq(1000), 204);
    EXPECT_EQ(IndexOfFreq(20.5), 2);
    EXPECT_EQ(IndexOfFreq(20600), 361);
    EXPECT_EQ(IndexOfFreq(19.7), 0);
    EXPECT_EQ(IndexOfFreq(96), 83) << "halfway takes the higher index";
    EXPECT_EQ(IndexOfFreq(95.9), 82);
    EXPECT_EQ(IndexOfFreq(4230), 279);
    EXPECT_EQ(IndexOfFreq(25000), 361);
    EXPECT_EQ(IndexOfFreq(5), 0);
    EXPECT_EQ(IndexOfFreq(-1e9), 0);
    EXPECT_EQ(FreqOfIndex(-3), 19.7);
    EXPECT_EQ(FreqOfIndex(999), 20600);
    for (int i = 0; i < kFreqCount; ++i) {
        EXPECT_EQ(IndexOfFreq(FreqOfIndex(i)), i);
    }
}

TEST(QTable, LookupAndClamp) {
    EXPECT_DOUBLE_EQ(QOfIndex(0), 0.4);
    EXPECT_DOUBLE_EQ(QOfIndex(10), 0.71);
    EXPECT_DOUBLE_EQ(QOfIndex(16), 1.0);
    EXPECT_DOUBLE_EQ(QOfIndex(100), 128);
    EXPECT_EQ(IndexOfQ(200), 100);
    EXPECT_EQ(IndexOfQ(0.1), 0);
    EXPECT_EQ(IndexOfQ(0.72), 10);
    for (int i = 0; i < kQCount; ++i) {
        EXPECT_EQ(IndexOfQ(QOfIndex(i)), i);
    }
}

TEST(Gain, RawAndDbRoundTrip) {
    EXPECT_DOUBLE_EQ(GainDbOfRaw(0), -24.0);
    EXPECT_DOUBLE_EQ(GainDbOfRaw(120), 0.0);
    EXPECT_DOUBLE_EQ(GainDbOfRaw(240), 24.0);
    EXPECT_EQ(RawOfGainDb(3.0), 135);
    EXPECT_EQ(RawOfGainDb(-24.0), 0);
    EXPECT_EQ(RawOfGainDb(24.0), 240);
    EXPECT_EQ(RawOfGainDb(99.0), 240);
    EXPECT_EQ(RawOfGainDb(-99.0), 0);
    EXPECT_EQ(RawOfGainDb(0.1), 121) << "halves round upward";
    for (int raw = 0; raw <= 240; ++raw) {
        EXPECT_EQ(RawOfGainDb(GainDbOfRaw(raw)), raw);
    }
}

TEST(Texts, FrequencyQDistanceAndLabels) {
    EXPECT_EQ(FreqTextByValue(100.9), "100.9");
    EXPECT_EQ(FreqTextByValue(101), "101");
    EXPECT_EQ(FreqTextByIndex(81), "94.0");
    EXPECT_EQ(FreqTextByIndex(82), "95");
    EXPECT_EQ(FreqTextByIndex(0), "19.7");
    EXPECT_EQ(QText(0.71, false), "0.71");
    EXPECT_EQ(QText(0.71, true), "0.710");
    EXPECT_EQ(DistanceText(100), "3.400m");
    EXPECT_EQ(DistanceText(0), "0.000m");
    EXPECT_STREQ(LabelText(ELabelTable::Ratio, 0), "1.0");
    EXPECT_STREQ(LabelText(ELabelTable::Ratio, 40), "100");
    EXPECT_STREQ(LabelText(ELabelTable::Ratio, 41), "100");
    EXPECT_STREQ(LabelText(ELabelTable::Attack, 19), "400");
    EXPECT_STREQ(LabelText(ELabelTable::Release, 7), "Atk X32");
    EXPECT_STREQ(LabelText(ELabelTable::Release, -1), "Atk X2");
    EXPECT_EQ(LabelCount(ELabelTable::Ratio), 41);
    EXPECT_EQ(LabelCount(ELabelTable::Attack), 20);
    EXPECT_EQ(LabelCount(ELabelTable::Release), 8);
    EXPECT_STREQ(kSlopeNames[9], "24dBLink-Riley");
}

TEST(FieldText, StopsAtWidthAndNulAndTrimsSpaces) {
    const std::uint8_t full[] = {'1', '2', '3', '4', '5', '6', '7'};
    EXPECT_EQ(FieldText(full, 6), "123456");
    const std::uint8_t cut[] = {' ', 'a', 'b', 0, 'c', 'd'};
    EXPECT_EQ(FieldText(cut, 6), "ab");
    const std::uint8_t inner[] = {' ', 'a', ' ', 'b', ' ', ' '};
    EXPECT_EQ(FieldText(inner, 6), "a b");
    const std::uint8_t blank[] = {' ', ' ', 0, 'x'};
    EXPECT_EQ(FieldText(blank, 4), "");
}

} // namespace
} // namespace zolt
