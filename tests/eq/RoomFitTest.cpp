// The room-correction fit on synthetic rooms: how close it comes in the processor's steps,
// against the same fit with continuous parameters, and that whatever it stores is what the
// block's page edits, cuts before boosts and no boost where the measurement is not trusted.
#include "SyntheticRoom.h"

#include "eq/FilterList.h"
#include "eq/KTVEQ.h"
#include "eq/RoomFit.h"
#include "eq/TextScan.h"
#include "model/Layout.h"

#include "EqImages.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace zolt {
namespace {

using namespace test;

constexpr int kOut4 = kFirstOutput;

SFitResult Fit(const CResponseDb& measured, int nBlock, bool bSteps = true, int nBands = 0,
               const CResponseDb& target = CResponseDb{}) {
    SFitSettings settings;
    settings.m_nBlock = nBlock;
    settings.m_nBands = nBands;
    settings.m_bSteps = bSteps;
    SFitResult result;
    std::string error;
    EXPECT_TRUE(FitRoom(measured, target, settings, result, error)) << error;
    return result;
}

// The goals: under 1 dB RMS from 40 Hz to 16 kHz, and within 0.3 dB of the same fit with
// continuous parameters. Rooms of a few modes for the 15 bands of Music Left; rooms of 24
// resonances up to 8 kHz, which take every one of Mic 1&2's 20 bands.
TEST(RoomFit, SyntheticRoomsReachTheGoalsInTheProcessorsSteps) {
    struct SCase {
        unsigned m_nSeed;
        int m_nModes;
        double m_dTopModeHz;
        int m_nBlock;
    };
    const SCase cases[] = {
        {1, 0, 250.0, kMusicLeft}, {2, 0, 250.0, kMusicLeft}, {3, 0, 250.0, kMusicLeft},
        {4, 0, 250.0, kMusicLeft}, {1, 24, 8000.0, kMic12},   {5, 24, 8000.0, kMic12},
    };
    for (const SCase& c : cases) {
        const CResponseDb measured =
            CurveOnGrid(test::SyntheticRoom(c.m_nSeed, c.m_nModes, c.m_dTopModeHz));
        const SFitResult steps = Fit(measured, c.m_nBlock);
        const SFitResult continuous = Fit(measured, c.m_nBlock, false);
        SCOPED_TRACE(testing::Message() << "room " << c.m_nSeed << " with " << c.m_nModes
                                        << " modes, block " << c.m_nBlock);
        EXPECT_GT(steps.m_before.m_dRms, 2.0);
        EXPECT_LT(steps.m_after.m_dRms, 1.0);
        EXPECT_LT(steps.m_after.m_dRms, continuous.m_after.m_dRms + 0.3);
        EXPECT_LT(steps.m_after.m_dLargest, steps.m_before.m_dLargest / 3);
        EXPECT_NEAR(steps.m_dFromHz, 40.0, 1.0);
        EXPECT_NEAR(steps.m_dToHz, 16000.0, 1.0);
        // The rooms with resonances everywhere use the whole block.
        if (c.m_nModes > 0) {
            EXPECT_GE(steps.m_aBands.size(), 18u);
        }
        // What the result says about the bands is what they play.
        CResponseDb played{};
        for (const SFitBand& band : steps.m_aBands) {
            const CFilter filter =
                CFilter::BandOfValues(band.m_nType, FreqOfIndex(band.m_nFreqIndex),
                                      GainDbOfRaw(band.m_nGainRaw), QOfIndex(band.m_nQIndex));
            for (std::size_t i = 0; i < played.size(); ++i) {
                played[i] += filter.ResponseDb()[i];
            }
        }
        EXPECT_LT(LargestDifference(played, steps.m_adBands).m_dDb, 1e-9);
    }
}

// Every block, the dynamic-EQ columns' narrower gains included: what is stored is a step
// of the tables, within the page's gains, never a boost above +6 dB, never a boost that
// raises the response below the lowest trusted frequency by more than 1 dB.
TEST(RoomFit, FittedBandsStayWithinWhatThePageEdits) {
    // A loudspeaker that rolls off steeply below 100 Hz, fitted from 20 Hz, with a broad dip
    // just above: the bottom is not trusted, however much it asks for a boost.
    SMeasurement room;
    for (double f = 10.0; f < 24000.0; f *= std::exp2(1.0 / 48.0)) {
        room.m_adFreq.push_back(f);
        room.m_adLevel.push_back(80.0 - 10.0 * std::log10(1.0 + std::pow(100.0 / f, 16.0)) +
                                 test::AnaloguePeakDb(f, 160.0, -5.0, 1.0) +
                                 test::AnaloguePeakDb(f, 400.0, 10.0, 5.0) +
                                 test::AnaloguePeakDb(f, 1500.0, 6.0, 3.0));
    }
    const CResponseDb measured = CurveOnGrid(room);
    for (const int nBlock : {kMic12, kMusicLeft, kOut4, kEchoA, kMusicLeftDeq}) {
        SCOPED_TRACE(testing::Message() << "block " << nBlock);
        SFitSettings settings;
        settings.m_nBlock = nBlock;
        settings.m_dFromHz = 20.0;
        SFitResult result;
        std::string error;
        ASSERT_TRUE(FitRoom(measured, CResponseDb{}, settings, result, error));
        EXPECT_GT(result.m_dTrustedHz, 85.0);
        EXPECT_LT(result.m_dTrustedHz, 105.0);
        EXPECT_LT(result.m_after.m_dRms, result.m_before.m_dRms);
        const SGainRange gains = BandGainRange(nBlock);
        ASSERT_LE(static_cast<int>(result.m_aBands.size()), EqBlock(nBlock, 1).m_nBands);
        for (const SFitBand& band : result.m_aBands) {
            EXPECT_GE(band.m_nType, ftype::kPeaking);
            EXPECT_LE(band.m_nType, ftype::kHighShelf);
            EXPECT_GE(band.m_nFreqIndex, 0);
            EXPECT_LT(band.m_nFreqIndex, kFreqCount);
            EXPECT_GE(band.m_nQIndex, 0);
            EXPECT_LE(QOfIndex(band.m_nQIndex), band.m_nType == ftype::kPeaking ? kFitMaxQ : 0.71);
            EXPECT_GE(GainDbOfRaw(band.m_nGainRaw), gains.m_dMin);
            EXPECT_LE(GainDbOfRaw(band.m_nGainRaw), std::min(gains.m_dMax, kFitMaxBoostDb));
            EXPECT_EQ(band.m_dFreq, FreqOfIndex(band.m_nFreqIndex));
            EXPECT_EQ(band.m_dGain, GainDbOfRaw(band.m_nGainRaw));
            EXPECT_EQ(band.m_dQ, QOfIndex(band.m_nQIndex));
            if (band.m_dGain <= 0.0) {
                continue;
            }
            const CResponseDb& db =
                CFilter::BandOfValues(band.m_nType, band.m_dFreq, band.m_dGain, band.m_dQ)
                    .ResponseDb();
            for (std::size_t i = 0; kResponseGrid[i] < result.m_dTrustedHz; ++i) {
                EXPECT_LE(db[i], kFitBoostBelowTrustedDb) << kResponseGrid[i] << " Hz";
            }
        }
    }
}

// A peak and a dip of the same size, one band: the cut is chosen. With two bands both are
// corrected, the dip by a boost no larger than +6 dB.
TEST(RoomFit, CutsComeBeforeBoosts) {
    SMeasurement room;
    for (double f = 20.0; f < 20000.0; f *= std::exp2(1.0 / 24.0)) {
        room.m_adFreq.push_back(f);
        room.m_adLevel.push_back(test::AnaloguePeakDb(f, 300.0, -8.0, 4.0) +
                                 test::AnaloguePeakDb(f, 3000.0, 8.0, 4.0));
    }
    const CResponseDb measured = CurveOnGrid(room);
    const SFitResult one = Fit(measured, kMusicLeft, true, 1);
    ASSERT_EQ(one.m_aBands.size(), 1u);
    EXPECT_LT(one.m_aBands[0].m_dGain, -6.0);
    EXPECT_NEAR(one.m_aBands[0].m_dFreq, 3000.0, 150.0);

    const SFitResult two = Fit(measured, kMusicLeft, true, 2);
    ASSERT_EQ(two.m_aBands.size(), 2u);
    EXPECT_LT(two.m_aBands[0].m_dGain, 0.0) << "the cut first";
    EXPECT_GT(two.m_aBands[1].m_dGain, 0.0);
    EXPECT_LE(two.m_aBands[1].m_dGain, kFitMaxBoostDb);
    EXPECT_NEAR(two.m_aBands[1].m_dFreq, 300.0, 20.0);
    EXPECT_LT(two.m_after.m_dRms, one.m_after.m_dRms);
}

// FitBlock writes bands 1.. and bypasses the rest, in the live output set's record of an
// output, and leaves the block's crossovers as the user set them.
TEST(RoomFit, TheFitIsWrittenIntoTheBandsOfTheBlockAlone) {
    std::mt19937 random(31);
    Image before{};
    for (std::uint8_t& b : before) {
        b = static_cast<std::uint8_t>(random());
    }
    before[image::kOutputMode] = 3;
    const std::size_t highPass = HighPassOffset(kOut4, 3);
    SetU16(before.data() + highPass + xover::kFreq, static_cast<std::uint16_t>(IndexOfFreq(80.0)));
    before[highPass + xover::kSlope] = 9;                // "24dBLink-Riley"
    before[highPass + xover::kSize + xover::kSlope] = 0; // the low-pass: "ByPass"

    Image image = before;
    const CResponseDb measured = CurveOnGrid(test::SyntheticRoom(2));
    SFitSettings settings;
    settings.m_nBlock = kOut4;
    settings.m_nBands = 6;
    SFitResult result;
    std::string error;
    ASSERT_TRUE(FitBlock(measured, CResponseDb{}, settings, image.data(), result, error)) << error;
    ASSERT_FALSE(result.m_aBands.empty());
    ASSERT_LE(result.m_aBands.size(), 6u);

    const SEqBlock block = EqBlock(kOut4, 3);
    Image expected = before;
    for (int i = 0; i < block.m_nBands; ++i) {
        std::uint8_t* record = expected.data() + block.m_nFirst + band::kSize * i;
        if (i >= static_cast<int>(result.m_aBands.size())) {
            record[band::kType] = ftype::kBypass;
            continue;
        }
        const SFitBand& band = result.m_aBands[static_cast<std::size_t>(i)];
        SetU16(record + band::kFreq, static_cast<std::uint16_t>(band.m_nFreqIndex));
        record[band::kGain] = static_cast<std::uint8_t>(band.m_nGainRaw);
        record[band::kQ] = static_cast<std::uint8_t>(band.m_nQIndex);
        record[band::kType] = static_cast<std::uint8_t>(band.m_nType);
    }
    EXPECT_EQ(image, expected) << "only the bands of the live set's record changed";

    // A range where nothing is measured fits nothing and writes nothing.
    settings.m_dFromHz = 25000.0;
    settings.m_dToHz = 30000.0;
    Image untouched = before;
    EXPECT_FALSE(FitBlock(measured, CResponseDb{}, settings, untouched.data(), result, error));
    EXPECT_NE(error.find("a fit needs 8"), std::string::npos) << error;
    EXPECT_EQ(untouched, before);
    settings.m_nBlock = 18;
    settings.m_dFromHz = 40.0;
    settings.m_dToHz = 16000.0;
    EXPECT_FALSE(FitBlock(measured, CResponseDb{}, settings, untouched.data(), result, error));
    EXPECT_EQ(untouched, before);
}

TEST(RoomFit, TheReportSaysWhatWasChosenInBothLanguages) {
    const SFitResult result = Fit(CurveOnGrid(test::SyntheticRoom(1)), kOut4, true, 3);
    ASSERT_EQ(result.m_aBands.size(), 3u);
    const std::string english = FitReport(result, 0);
    EXPECT_EQ(english.rfind("Fit of 3 bands from 40.1 Hz to 16000 Hz (", 0), 0u) << english;
    EXPECT_NE(english.find(Printf("RMS error %.2f dB -> %.2f dB", result.m_before.m_dRms,
                                  result.m_after.m_dRms)),
              std::string::npos)
        << english;
    const SFitBand& first = result.m_aBands[0];
    constexpr const char* kTypes[] = {"BY", "PK", "LS", "HS"};
    EXPECT_NE(english.find(std::string("\nBand 1: ") + kTypes[first.m_nType] + " " +
                           FreqTextByValue(first.m_dFreq) + " Hz"),
              std::string::npos)
        << english;
    EXPECT_NE(english.find("\nBands 4..10: bypassed\n"), std::string::npos) << english;
    const std::string chinese = FitReport(result, 1);
    EXPECT_NE(chinese.find("频段 4..10：旁通"), std::string::npos) << chinese;
    EXPECT_NE(chinese.find("最低可信频率"), std::string::npos) << chinese;
}

} // namespace
} // namespace zolt
