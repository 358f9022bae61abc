#include "eq/Filter.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace zolt {
namespace {

constexpr int k1kHz = 204; // frequency index of 1000 Hz
constexpr int kGridOf1kHz = kGridFirstTableIndex + k1kHz;

int GridOfIndex(int freqIndex) {
    return kGridFirstTableIndex + freqIndex;
}

struct SBand {
    std::uint8_t bytes[band::kSize];
    SBand(int freqIndex, int gain, int qIndex, int type) {
        SetU16(bytes, static_cast<std::uint16_t>(freqIndex));
        bytes[band::kGain] = static_cast<std::uint8_t>(gain);
        bytes[band::kQ] = static_cast<std::uint8_t>(qIndex);
        bytes[band::kType] = static_cast<std::uint8_t>(type);
    }
};

struct SCrossover {
    std::uint8_t bytes[xover::kSize];
    SCrossover(int kind, int freqIndex, int slope) {
        bytes[xover::kKind] = static_cast<std::uint8_t>(kind);
        SetU16(bytes + xover::kFreq, static_cast<std::uint16_t>(freqIndex));
        bytes[xover::kSlope] = static_cast<std::uint8_t>(slope);
    }
};

CFilter BandFilter(SBand& band) {
    CFilter filter;
    filter.BindBand(band.bytes);
    return filter;
}

CFilter CrossoverFilter(SCrossover& crossover) {
    CFilter filter;
    filter.BindCrossover(crossover.bytes,
                         crossover.bytes[xover::kKind] == 0 ? ftype::kHighPass : ftype::kLowPass);
    return filter;
}

double MaxAbs(const CResponseDb& db) {
    double worst = 0;
    for (double v : db) {
        worst = std::max(worst, std::fabs(v));
    }
    return worst;
}

TEST(BandResponse, PeakingBoostReachesItsGainAtTheCentre) {
    SBand band(k1kHz, 150, 16, ftype::kPeaking); // +6 dB, Q 1.0
    const CFilter filter = BandFilter(band);
    EXPECT_NEAR(filter.ResponseDb()[kGridOf1kHz], 6.0, 1e-9);
    EXPECT_NEAR(*std::max_element(filter.ResponseDb().begin(), filter.ResponseDb().end()), 6.0,
                1e-9);
    EXPECT_LT(std::fabs(filter.ResponseDb().front()), 0.01);
}

TEST(BandResponse, ZeroGainIsFlatForEveryBandType) {
    for (int type : {ftype::kPeaking, ftype::kLowShelf, ftype::kHighShelf}) {
        for (int qIndex : {0, 10, 100}) {
            SBand band(k1kHz, kGainRawZero, qIndex, type);
            EXPECT_LT(MaxAbs(BandFilter(band).ResponseDb()), 1e-9)
                << "type " << type << " Q index " << qIndex;
        }
    }
}

TEST(BandResponse, BypassedBandContributesExactlyNothing) {
    SBand band(k1kHz, 240, 0, ftype::kBypass);
    EXPECT_EQ(MaxAbs(BandFilter(band).ResponseDb()), 0.0);
}

// Exact in theory; in double precision the terms of a biquad tuned near 20 Hz cancel
// at the lowest grid points and leave rounding of about 1e-6 dB, far below any slip.
TEST(BandResponse, BoostAndMatchingCutAreMirrorImages) {
    for (int type : {ftype::kPeaking, ftype::kLowShelf, ftype::kHighShelf}) {
        for (int k : {1, 15, 60, 120}) {
            for (int freqIndex : {0, 150, 361}) {
                SBand boost(freqIndex, 120 + k, 100, type);
                SBand cut(freqIndex, 120 - k, 100, type);
                const CFilter up = BandFilter(boost);
                const CFilter down = BandFilter(cut);
                for (int i = 0; i < kGridCount; ++i) {
                    ASSERT_NEAR(up.ResponseDb()[i], -down.ResponseDb()[i], 1e-5)
                        << "type " << type << " k " << k << " index " << freqIndex << " grid " << i;
                }
            }
        }
    }
}

TEST(BandResponse, ShelvesPassHalfTheirGainAtTheCornerAndAllOfItOnTheirSide) {
    SBand low(k1kHz, 180, 10, ftype::kLowShelf); // +12 dB
    SBand high(k1kHz, 180, 10, ftype::kHighShelf);
    const CFilter lowShelf = BandFilter(low);
    const CFilter highShelf = BandFilter(high);
    EXPECT_NEAR(lowShelf.ResponseDb()[kGridOf1kHz], 6.0, 1e-9);
    EXPECT_NEAR(highShelf.ResponseDb()[kGridOf1kHz], 6.0, 1e-9);
    EXPECT_NEAR(lowShelf.ResponseDb().front(), 12.0, 0.01);
    EXPECT_NEAR(lowShelf.ResponseDb().back(), 0.0, 0.01);
    EXPECT_NEAR(highShelf.ResponseDb().front(), 0.0, 0.01);
    EXPECT_NEAR(highShelf.ResponseDb().back(), 12.0, 0.05);
}

TEST(CrossoverResponse, ButterworthAndFirstOrderAreThreeDbDownAtTheCorner) {
    for (int kind : {0, 1}) {
        for (int slope : {1, 3}) {
            SCrossover crossover(kind, k1kHz, slope);
            EXPECT_NEAR(CrossoverFilter(crossover).ResponseDb()[kGridOf1kHz], -3.0, 0.02)
                << "kind " << kind << " slope " << slope;
        }
    }
}

TEST(CrossoverResponse, LinkwitzRiley24IsAboutSixDbDownAtTheCornerOnBothSides) {
    SCrossover highPass(0, k1kHz, 9);
    SCrossover lowPass(1, k1kHz, 9);
    EXPECT_NEAR(CrossoverFilter(highPass).ResponseDb()[kGridOf1kHz], -6.0, 0.1);
    EXPECT_NEAR(CrossoverFilter(lowPass).ResponseDb()[kGridOf1kHz], -6.0, 0.1);
}

TEST(CrossoverResponse, HighPassFallsByItsOrderPerOctaveWellBelowTheCorner) {
    // Index 300 is 6350 Hz; 36 table steps down is one octave.
    const int corner = 300;
    const struct {
        int slope;
        double dbPerOctave;
    } cases[] = {{1, 6}, {3, 12}, {6, 18}, {8, 24}, {11, 36}};
    for (const auto& c : cases) {
        SCrossover crossover(0, corner, c.slope);
        const CFilter filter = CrossoverFilter(crossover);
        const double upper = filter.ResponseDb()[GridOfIndex(corner - 5 * 36)];
        const double lower = filter.ResponseDb()[GridOfIndex(corner - 6 * 36)];
        EXPECT_NEAR(upper - lower, c.dbPerOctave, 0.2) << "slope " << c.slope;
    }
}

TEST(CrossoverResponse, OpenLowPassStaysFlatAndTwelveDbOneBendsAtTheTop) {
    SCrossover open(1, kFreqCount - 1, 0);
    EXPECT_EQ(MaxAbs(CrossoverFilter(open).ResponseDb()), 0.0);
    SCrossover butterworth(1, kFreqCount - 1, 3);
    const CFilter filter = CrossoverFilter(butterworth);
    EXPECT_LT(std::fabs(filter.ResponseDb()[GridOfIndex(200)]), 0.01);
    EXPECT_LT(filter.ResponseDb().back(), -3.0);
}

// The response as defined, evaluated point by point with its own sines and cosines.
struct SCoefficients {
    double b0, b1, b2, a1, a2;
};

double DirectDb(const SCoefficients& c, double gridHz) {
    const double w = std::trunc(10 * gridHz) * std::numbers::pi / 960000;
    const std::complex<double> z1 = std::polar(1.0, -w);
    const std::complex<double> z2 = std::polar(1.0, -2 * w);
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20 * std::log10(std::abs(h));
}

SCoefficients Peaking(double f0, double gainDb, double q) {
    const double a = std::pow(10, gainDb / 40);
    const double w0 = 2 * std::numbers::pi * f0 / 192000;
    const double alpha = std::sin(w0) / (2 * q);
    const double a0 = 1 + alpha / a;
    return {(1 + alpha * a) / a0, -2 * std::cos(w0) / a0, (1 - alpha * a) / a0,
            -2 * std::cos(w0) / a0, (1 - alpha / a) / a0};
}

SCoefficients Section(bool highPass, double f0, double q) {
    const double w0 = 2 * std::numbers::pi * f0 / 192000;
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    const double a0 = 1 + alpha;
    const double b0 = (highPass ? (1 + c) : (1 - c)) / 2;
    return {b0 / a0, (highPass ? -2 : 2) * b0 / a0, b0 / a0, -2 * c / a0, (1 - alpha) / a0};
}

SCoefficients FirstOrder(bool highPass, double f0) {
    const double omega = 2 * std::numbers::pi * f0;
    const double k = omega / std::tan(std::numbers::pi * f0 / 192000);
    const double b = (highPass ? k : omega) / (omega + k);
    return {b, highPass ? -b : b, 0, (omega - k) / (omega + k), 0};
}

TEST(ResponseAccuracy, PrecomputedGridMatchesTheDirectFormulas) {
    const std::vector<std::vector<double>> sectionQ = {{},
                                                       {},
                                                       {0.5773},
                                                       {0.7071},
                                                       {0.5},
                                                       {0.691},
                                                       {1.0},
                                                       {0.5219, 0.8055},
                                                       {0.5412, 1.3065},
                                                       {0.71, 0.71},
                                                       {0.5103, 0.6112, 1.0234},
                                                       {0.5177, 0.7071, 1.932},
                                                       {0.5, 1.0, 1.0}};
    const bool firstOrder[kSlopeCount] = {false, true,  false, false, false, true, true,
                                          false, false, false, false, false, false};
    for (int freqIndex : {0, 150, 361}) {
        const double f0 = FreqOfIndex(freqIndex);
        SBand band(freqIndex, 210, 40, ftype::kPeaking);
        const CFilter peaking = BandFilter(band);
        for (int i = 0; i < kGridCount; ++i) {
            ASSERT_NEAR(peaking.ResponseDb()[i],
                        DirectDb(Peaking(f0, GainDbOfRaw(210), QOfIndex(40)), kResponseGrid[i]),
                        1e-9);
        }
        for (int kind : {0, 1}) {
            for (int slope = 1; slope < kSlopeCount; ++slope) {
                SCrossover crossover(kind, freqIndex, slope);
                const CFilter filter = CrossoverFilter(crossover);
                for (int i = 0; i < kGridCount; ++i) {
                    double expected = 0;
                    for (double q : sectionQ[slope]) {
                        expected += DirectDb(Section(kind == 0, f0, q), kResponseGrid[i]);
                    }
                    if (firstOrder[slope]) {
                        expected += DirectDb(FirstOrder(kind == 0, f0), kResponseGrid[i]);
                    }
                    ASSERT_NEAR(filter.ResponseDb()[i], expected, 1e-9)
                        << "kind " << kind << " slope " << slope << " index " << freqIndex
                        << " grid " << i;
                }
            }
        }
    }
}

TEST(FilterRecord, SettersWriteThroughToTheBandRecord) {
    SBand band(0, kGainRawZero, 10, ftype::kBypass);
    CFilter filter = BandFilter(band);
    filter.SetFreqIndex(k1kHz);
    filter.SetGainDb(3.0);
    filter.SetQIndex(16);
    filter.SetType(ftype::kHighShelf);
    EXPECT_EQ(GetU16(band.bytes), k1kHz);
    EXPECT_EQ(band.bytes[band::kGain], 135);
    EXPECT_EQ(band.bytes[band::kQ], 16);
    EXPECT_EQ(band.bytes[band::kType], ftype::kHighShelf);
    EXPECT_DOUBLE_EQ(filter.FreqHz(), 1000.0);
    EXPECT_DOUBLE_EQ(filter.Q(), 1.0);
    EXPECT_NEAR(filter.ResponseDb().back(), 3.0, 0.01);
}

TEST(FilterRecord, OutOfRangeValuesAreClampedAndDamagedRecordsBindFlat) {
    SBand band(0, kGainRawZero, 10, ftype::kPeaking);
    CFilter filter = BandFilter(band);
    filter.SetFreqIndex(5000);
    filter.SetQIndex(-3);
    filter.SetGainByte(300);
    filter.SetType(7);
    const std::uint8_t clamped[] = {0x69, 0x01, kGainRawMax, 0, ftype::kPeaking};
    EXPECT_TRUE(std::equal(clamped, clamped + band::kSize, band.bytes));

    SBand damaged(9000, 255, 250, 9);
    const CFilter damagedBand = BandFilter(damaged);
    EXPECT_FALSE(damagedBand.IsCrossover());
    EXPECT_EQ(damagedBand.FreqIndex(), kFreqCount - 1);
    EXPECT_EQ(MaxAbs(damagedBand.ResponseDb()), 0.0);
    SCrossover damagedCrossover(0, 9000, 200);
    EXPECT_EQ(MaxAbs(CrossoverFilter(damagedCrossover).ResponseDb()), 0.0);
}

TEST(FilterRecord, CrossoverSettersNeverTouchTheFieldsABandKeepsThere) {
    SCrossover crossover(0, 0x0123, 3);
    CFilter filter = CrossoverFilter(crossover);
    filter.SetGainByte(200); // would land in the frequency's high byte
    filter.SetQIndex(50);    // would land on the slope
    EXPECT_EQ(GetU16(crossover.bytes + xover::kFreq), 0x0123);
    EXPECT_EQ(crossover.bytes[xover::kSlope], 3);
    filter.SetSlope(40);
    EXPECT_EQ(crossover.bytes[xover::kSlope], kSlopeCount - 1);
    EXPECT_EQ(crossover.bytes[xover::kKind], 0);

    SBand band(k1kHz, 150, 16, ftype::kPeaking);
    CFilter bandFilter = BandFilter(band);
    bandFilter.SetSlope(9); // would land on the Q index
    EXPECT_EQ(band.bytes[band::kQ], 16);
}

TEST(FilterRecord, CopySettingsTakesOnlyFiltersOfTheSameKind) {
    SBand from(k1kHz, 150, 16, ftype::kLowShelf);
    SBand to(0, kGainRawZero, 10, ftype::kBypass);
    CFilter target = BandFilter(to);
    target.CopySettings(BandFilter(from));
    EXPECT_TRUE(std::equal(from.bytes, from.bytes + band::kSize, to.bytes));
    EXPECT_NEAR(target.ResponseDb()[kGridOf1kHz], 3.0, 1e-9);

    SCrossover highPass(0, 100, 5);
    SCrossover lowPass(1, 300, 2);
    CFilter highFilter = CrossoverFilter(highPass);
    highFilter.CopySettings(CrossoverFilter(lowPass));
    highFilter.CopySettings(BandFilter(from));
    const std::uint8_t unchanged[] = {0, 100, 0, 5};
    EXPECT_TRUE(std::equal(unchanged, unchanged + xover::kSize, highPass.bytes));
}

} // namespace
} // namespace zolt
