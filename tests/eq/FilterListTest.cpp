#include "eq/FilterList.h"
#include "eq/KTVEQ.h"
#include "model/DataConver.h"
#include "model/Layout.h"

#include "EqImages.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zolt {
namespace {

using namespace test;

// Output set 1 live.
Image NoiseImage(unsigned seed) {
    return test::NoiseImage(seed, 1);
}

const std::uint8_t* Band(const Image& image, int block, int band) {
    const SEqBlock b = EqBlock(block, LiveOutputSet(image[image::kOutputMode]));
    return image.data() + b.m_nFirst + b.m_nStride * static_cast<std::size_t>(band);
}

std::uint8_t* Band(Image& image, int block, int band) {
    return const_cast<std::uint8_t*>(Band(std::as_const(image), block, band));
}

std::vector<std::uint8_t> BandBytes(const Image& image, int block) {
    const SEqBlock b = EqBlock(block, LiveOutputSet(image[image::kOutputMode]));
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < b.m_nBands; ++i) {
        const std::uint8_t* record = Band(image, block, i);
        bytes.insert(bytes.end(), record, record + band::kSize);
    }
    return bytes;
}

SFilterList Parsed(const std::string& text) {
    SFilterList list;
    std::string error;
    EXPECT_TRUE(ParseFilterList(text, list, error)) << error;
    return list;
}

std::string ParseError(const std::string& text) {
    SFilterList list;
    std::string error;
    EXPECT_FALSE(ParseFilterList(text, list, error)) << text;
    return error;
}

std::string PeakingLines(int count, int firstLine = 1) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "Filter " + std::to_string(firstLine + i) + ": ON PK Fc " +
                std::to_string(100 + 50 * i) + " Hz Gain -3.0 dB Q 2.00\n";
    }
    return text;
}

TEST(FilterList, ReadsWhatMeasurementProgramsWrite) {
    const SFilterList list =
        Parsed("\xEF\xBB\xBF"
               "Filter Settings file\r\n"
               "\r\n"
               "Room EQ V5.20\r\n"
               "Dated: 8 Mar 2021 17:49:29\r\n"
               "Equaliser: Generic\r\n"
               "Living room, left\r\n"
               "Preamp: -6.0 dB\r\n"
               "Filter  1: ON  PK       Fc   63.00 Hz  Gain  -5.00 dB  Q  4.000\r\n"
               "Filter  2: OFF None\r\n"
               "# a comment\r\n"
               "; another\r\n"
               "// and another\r\n"
               "Filter: on peq fc 1000hz gain +3dB q 1.41\r\n"
               "Filter 4: OFF LSC Fc 105 Hz Gain 5.9 dB Q 0.70\r\n"
               "Filter10: ON HS Fc 8000 Gain -2 Q 0.71\r\n"
               "Preamp: -1.5 dB\r\n");
    EXPECT_EQ(list.m_nPreampLines, 2);
    EXPECT_DOUBLE_EQ(list.m_dPreampDb, -7.5);
    ASSERT_EQ(list.m_aFilters.size(), 4u);

    const SListFilter& peak = list.m_aFilters[0];
    EXPECT_EQ(peak.m_nLine, 8);
    EXPECT_TRUE(peak.m_bOn);
    EXPECT_EQ(peak.m_nType, ftype::kPeaking);
    EXPECT_DOUBLE_EQ(peak.m_dFreq, 63.0);
    EXPECT_DOUBLE_EQ(peak.m_dGain, -5.0);
    EXPECT_DOUBLE_EQ(peak.m_dQ, 4.0);

    EXPECT_EQ(list.m_aFilters[1].m_nLine, 13);
    EXPECT_DOUBLE_EQ(list.m_aFilters[1].m_dGain, 3.0);
    EXPECT_FALSE(list.m_aFilters[2].m_bOn);
    EXPECT_EQ(list.m_aFilters[2].m_nType, ftype::kLowShelf);
    EXPECT_EQ(list.m_aFilters[3].m_nType, ftype::kHighShelf);
    EXPECT_DOUBLE_EQ(list.m_aFilters[3].m_dFreq, 8000.0);
}

TEST(FilterList, BadLinesAreNamedByNumber) {
    struct SCase {
        const char* m_pszLine;
        const char* m_pszWhy;
    };
    const SCase cases[] = {
        {"Channel: L", "not a filter line"},
        {"Filter 3 ON PK Fc 100 Hz Gain 1 dB Q 1", "not a filter line"},
        {"Filters: ON PK Fc 100 Hz Gain 1 dB Q 1", "not a filter line"},
        {"GraphicEQ: 25 -3; 40 -2", "not a filter line"},
        {"Filter 3: PK Fc 100 Hz Gain 1 dB Q 1", "ON or OFF"},
        {"Filter 3: ON NO Fc 100 Hz Gain 1 dB Q 1", "unknown filter type \"NO\""},
        {"Filter 3: ON", "unknown filter type"},
        {"Filter 3: ON PK Gain 1 dB Q 1", "no frequency"},
        {"Filter 3: ON PK Fc 100 Hz Q 1", "no gain"},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB", "no Q"},
        {"Filter 3: ON PK Fc abc Hz Gain 1 dB Q 1", "\"abc\" is not a number"},
        {"Filter 3: ON PK Fc 100 kHz Gain 1 dB Q 1", "unexpected \"kHz\""},
        {"Filter 3: ON PK Fc 100kHz Gain 1 dB Q 1", "not a number in Hz"},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB Q 1 Q 2", "given twice"},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB Q", "Q needs a value"},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB BW Oct 1", "unexpected \"BW\""},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB Q 0", "Q 0 is not above 0"},
        {"Filter 3: ON PK Fc 0 Hz Gain 1 dB Q 1", "not between 0 and 96000 Hz"},
        {"Filter 3: ON PK Fc 96000 Hz Gain 1 dB Q 1", "not between 0 and 96000 Hz"},
        {"Filter 3: ON PK Fc nan Hz Gain 1 dB Q 1", "not a number"},
        {"Filter 3: ON PK Fc 100 Hz Gain inf dB Q 1", "not a number"},
        {"Filter 3: ON PK Fc 100 Hz Gain +-1 dB Q 1", "not a number"},
        {"Filter 3: ON PK 12 dB Fc 100 Hz Gain 1 dB Q 1", "unexpected \"12\""},
        {"Filter 3: ON LSC Fc 100 Hz Gain 1 dB", "a shelf needs Q or a slope"},
        {"Filter 3: ON LS 12 dB Fc 100 Hz Gain 1 dB Q 1", "not both"},
        {"Filter 3: ON LS 12 Fc 100 Hz Gain 1 dB", "the unit dB is missing"},
        {"Filter 3: ON HS 0 dB Fc 100 Hz Gain 1 dB", "out of reach"},
        {"Filter 3: ON HS 40 dB Fc 100 Hz Gain 20 dB", "out of reach"},
        {"Filter 3: OFF None Fc 100 Hz", "after None"},
        {"Filter 3: ON PK Fc 100 Hz Gain 1 dB Q 1 # bass", "unexpected \"#\""},
        {"Preamp: loud", "not a number"},
        {"Preamp: -6 dB -6 dB", "unexpected \"-6\""},
    };
    for (const SCase& c : cases) {
        const std::string text =
            "# list\n" + PeakingLines(1, 1) + "\n" + c.m_pszLine + "\n" + PeakingLines(1, 4);
        const std::string error = ParseError(text);
        EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << c.m_pszLine << " -> " << error;
        EXPECT_NE(error.find(c.m_pszWhy), std::string::npos) << c.m_pszLine << " -> " << error;
    }
    // Header text is passed over only below a measurement program's first line.
    EXPECT_EQ(ParseError("Room EQ V5.20\n" + PeakingLines(2)).rfind("line 1: not a filter", 0), 0u);
    EXPECT_EQ(ParseError(PeakingLines(1) + "Filter Settings file\n").rfind("line 2:", 0), 0u);
    // After the first filter the header is over.
    EXPECT_EQ(
        ParseError("Filter Settings file\n" + PeakingLines(1) + "Notes:\n").rfind("line 3:", 0),
        0u);
}

TEST(FilterList, ShelfSlopeTurnsIntoTheNearestQ) {
    // 12 dB per octave is Q 1/sqrt(2) whatever the gain.
    for (double gain : {-12.0, 0.0, 6.0, 18.0}) {
        EXPECT_NEAR(ShelfQOfSlope(12.0, gain), 1.0 / std::sqrt(2.0), 1e-12) << gain;
    }
    // 6 dB per octave at +6 dB: A = 10^(6/40) = 1.41254, 1/Q^2 = (A + 1/A)(2 - 1) + 2.
    const double A = 1.4125375446227544;
    EXPECT_NEAR(ShelfQOfSlope(6.0, 6.0), 1.0 / std::sqrt(A + 1.0 / A + 2.0), 1e-12);
    EXPECT_EQ(ShelfQOfSlope(-3.0, 6.0), 0.0);

    const SFilterList list = Parsed("Filter 1: ON LSC 6 dB Fc 100 Hz Gain 6 dB\n"
                                    "Filter 2: ON HSC 12dB Fc 8000 Hz Gain -4 dB\n"
                                    "Filter 3: ON LS 6dB Fc 300 Hz Gain 0 dB\n");
    ASSERT_EQ(list.m_aFilters.size(), 3u);
    EXPECT_DOUBLE_EQ(list.m_aFilters[0].m_dSlope, 6.0);
    // Q 0.4926 lies between 0.47 (index 3) and 0.5 (index 4), nearer 0.5.
    EXPECT_EQ(MapFilter(list.m_aFilters[0], kMusicLeft).m_nQIndex, 4);
    EXPECT_EQ(MapFilter(list.m_aFilters[1], kMusicLeft).m_nQIndex, 10); // 0.7071 -> 0.71
    EXPECT_EQ(MapFilter(list.m_aFilters[1], kMusicLeft).m_nType, ftype::kHighShelf);
    EXPECT_EQ(MapFilter(list.m_aFilters[2], kMusicLeft).m_nQIndex, 4); // sqrt(0.25) = 0.5

    // The steepest slope stays free of overshoot: a 12 dB-per-octave low shelf of +12 dB
    // falls from +12 dB to 0 dB without ever leaving that range.
    const CFilter shelf =
        CFilter::BandOfValues(ftype::kLowShelf, 200.0, 12.0, ShelfQOfSlope(12.0, 12.0));
    const CResponseDb& db = shelf.ResponseDb();
    for (int i = 1; i < kGridCount; ++i) {
        EXPECT_LE(db[static_cast<std::size_t>(i)], db[static_cast<std::size_t>(i - 1)] + 1e-9) << i;
        EXPECT_GE(db[static_cast<std::size_t>(i)], -1e-9) << i;
    }
    EXPECT_NEAR(db.front(), 12.0, 0.05);
}

TEST(FilterList, PeakOnATableStepMapsExactly) {
    Image image = NoiseImage(1);
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList("Filter 1: ON PK Fc 1000 Hz Gain -5.0 dB Q 4.0\n", kMusicLeft,
                                 image.data(), result, error))
        << error;
    const std::uint8_t* record = Band(image, kMusicLeft, 0);
    EXPECT_EQ(GetU16(record + band::kFreq), 204);
    EXPECT_EQ(record[band::kGain], 95);
    EXPECT_EQ(record[band::kQ], 40);
    EXPECT_EQ(record[band::kType], ftype::kPeaking);
    ASSERT_EQ(result.m_aPerBand.size(), 1u);
    EXPECT_LT(result.m_aPerBand[0].m_dDb, 1e-9);
    EXPECT_LT(result.m_total.m_dDb, 1e-9);
    EXPECT_NE(result.m_strReport.find("Largest difference of the whole list: 0.00 dB"),
              std::string::npos)
        << result.m_strReport;
}

TEST(FilterList, PeakBetweenStepsReportsWhereItDiffers) {
    Image image = NoiseImage(2);
    SImportResult result;
    std::string error;
    // 1005 Hz lies between 1000 Hz (index 204) and 1020 Hz (index 205), nearer 1000;
    // Q 3.1 between 3.0 (index 35) and 3.2 (36), halfway: the higher index.
    ASSERT_TRUE(ImportFilterList("Filter 1: ON PK Fc 1005 Hz Gain +9.0 dB Q 3.1\n", kEchoA,
                                 image.data(), result, error))
        << error;
    const std::uint8_t* record = Band(image, kEchoA, 0);
    EXPECT_EQ(GetU16(record + band::kFreq), 204);
    EXPECT_EQ(record[band::kQ], 36);

    const SCloseness& c = result.m_total;
    EXPECT_GT(c.m_dDb, 0.01);
    EXPECT_LT(c.m_dDb, 1.0);
    // On a flank of the peak, within half an octave of it, not at the peak itself.
    EXPECT_GT(c.Hz(), 1005.0 / std::sqrt(2.0));
    EXPECT_LT(c.Hz(), 1005.0 * std::sqrt(2.0));
    EXPECT_NE(c.Hz(), 1000.0);
    // The reported place is where the two curves really are that far apart.
    const CFilter asked = CFilter::BandOfValues(ftype::kPeaking, 1005.0, 9.0, 3.1);
    CFilter played;
    std::uint8_t copy[band::kSize];
    std::copy_n(record, band::kSize, copy);
    played.BindBand(copy);
    const auto at = static_cast<std::size_t>(c.m_nPoint);
    EXPECT_NEAR(std::fabs(asked.ResponseDb()[at] - played.ResponseDb()[at]), c.m_dDb, 1e-12);
    EXPECT_NE(result.m_strReport.find(FreqTextByValue(c.Hz()) + " Hz"), std::string::npos);
}

TEST(FilterList, TooManyFiltersChangeNothing) {
    const Image before = NoiseImage(3);
    Image image = before;
    SImportResult result;
    std::string error;
    EXPECT_FALSE(ImportFilterList(PeakingLines(16), kMusicLeft, image.data(), result, error));
    EXPECT_NE(error.find("16 filters for the 15 bands"), std::string::npos) << error;
    EXPECT_EQ(image, before);

    // Neither does a list without filters, a bad line after good ones, or a bad block.
    EXPECT_FALSE(ImportFilterList("Preamp: -3 dB\nFilter 1: OFF None\n", kMusicLeft, image.data(),
                                  result, error));
    EXPECT_NE(error.find("no filter"), std::string::npos) << error;
    EXPECT_FALSE(ImportFilterList(PeakingLines(3) + "Filter 4: ON PK\n", kMusicLeft, image.data(),
                                  result, error));
    EXPECT_EQ(error.rfind("line 4:", 0), 0u) << error;
    EXPECT_FALSE(ImportFilterList(PeakingLines(3), 18, image.data(), result, error));
    EXPECT_FALSE(ImportFilterList(PeakingLines(3), -1, image.data(), result, error));
    EXPECT_EQ(image, before);

    // Fifteen fit; so do sixteen lines of which two are switched off, which are left out.
    ASSERT_TRUE(ImportFilterList(PeakingLines(15), kMusicLeft, image.data(), result, error));
    std::string lines = PeakingLines(14);
    lines.insert(0, "Filter 0: OFF PK Fc 50 Hz Gain 1 dB Q 1\n");
    lines += "Filter 15: OFF PK Fc 60 Hz Gain 1 dB Q 1\n";
    ASSERT_TRUE(ImportFilterList(lines, kMusicLeft, image.data(), result, error)) << error;
    EXPECT_EQ(result.m_nOffLeftOut, 2);
    EXPECT_EQ(result.m_aBands.size(), 14u);
    EXPECT_EQ(GetU16(Band(image, kMusicLeft, 0) + band::kFreq), IndexOfFreq(100.0));
    EXPECT_EQ(Band(image, kMusicLeft, 14)[band::kType], ftype::kBypass);
    EXPECT_NE(result.m_strReport.find("2 OFF filters left out"), std::string::npos);
}

TEST(FilterList, TheBlockPlaysTheListAndNothingElse) {
    const Image before = NoiseImage(4);
    Image image = before;
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList("Preamp: -4.5 dB\n"
                                 "Filter 1: ON PK Fc 120 Hz Gain -6 dB Q 5\n"
                                 "Filter 2: OFF HS Fc 9000 Hz Gain 2 dB Q 0.9\n"
                                 "Filter 3: ON LS Fc 80 Hz Gain 4 dB Q 0.71\n",
                                 kMic12, image.data(), result, error))
        << error;
    // The OFF filter keeps its place as a bypassed band with its values.
    const std::uint8_t* off = Band(image, kMic12, 1);
    EXPECT_EQ(off[band::kType], ftype::kBypass);
    EXPECT_EQ(GetU16(off + band::kFreq), IndexOfFreq(9000.0));
    EXPECT_EQ(off[band::kGain], RawOfGainDb(2.0));
    EXPECT_EQ(Band(image, kMic12, 2)[band::kType], ftype::kLowShelf);
    // Bands 4..20 are bypassed, with their other bytes as they were; nothing else moved.
    Image expected = image;
    for (int i = 3; i < 20; ++i) {
        EXPECT_EQ(Band(image, kMic12, i)[band::kType], ftype::kBypass) << i;
        const auto offset = static_cast<std::size_t>(Band(image, kMic12, i) - image.data());
        expected[offset + band::kType] = before[offset + band::kType];
    }
    for (int i = 0; i < 3; ++i) {
        const auto offset = static_cast<std::size_t>(Band(image, kMic12, i) - image.data());
        std::copy_n(before.begin() + static_cast<std::ptrdiff_t>(offset), band::kSize,
                    expected.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    EXPECT_EQ(expected, before);
    EXPECT_NE(result.m_strReport.find("Preamp -4.5 dB in the list: not applied"), std::string::npos)
        << result.m_strReport;
    EXPECT_NE(result.m_strReport.find("Bands 4..20: bypassed"), std::string::npos);
}

TEST(FilterList, ValuesBeyondTheRangesAreClampedAndSaid) {
    Image image = NoiseImage(5);
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList("Filter 1: ON PK Fc 25000 Hz Gain 30 dB Q 200\n"
                                 "Filter 2: ON PK Fc 10 Hz Gain -40 dB Q 0.1\n",
                                 kEchoA, image.data(), result, error))
        << error;
    const SMappedBand& high = result.m_aBands.at(0);
    EXPECT_EQ(high.m_nFreqIndex, kFreqCount - 1);
    EXPECT_EQ(high.m_nGainRaw, kGainRawZero + 60) << "+12 dB, the top of the strips";
    EXPECT_EQ(high.m_nQIndex, kQCount - 1);
    EXPECT_TRUE(high.m_bFreqClamped && high.m_bGainClamped && high.m_bQClamped);
    const SMappedBand& low = result.m_aBands.at(1);
    EXPECT_EQ(low.m_nFreqIndex, 0);
    EXPECT_EQ(low.m_nGainRaw, 0);
    EXPECT_EQ(low.m_nQIndex, 0);
    EXPECT_TRUE(low.m_bFreqClamped && low.m_bGainClamped && low.m_bQClamped);
    for (const char* note : {"gain +30 dB is outside -24..+12 dB: set to +12.0 dB",
                             "gain -40 dB is outside -24..+12 dB: set to -24.0 dB",
                             "frequency 25000 Hz is outside 19.7..20600 Hz: set to 20600 Hz",
                             "Q 0.1 is outside 0.4..128: set to 0.40"}) {
        EXPECT_NE(result.m_strReport.find(note), std::string::npos) << note;
    }
    // The edges themselves are in range.
    const SFilterList edges = Parsed("Filter: ON PK Fc 19.7 Hz Gain 12 dB Q 128\n");
    const SMappedBand edge = MapFilter(edges.m_aFilters.at(0), kEchoA);
    EXPECT_FALSE(edge.m_bFreqClamped || edge.m_bGainClamped || edge.m_bQClamped);
}

// An import stores only gains the page of the equaliser can edit, so its fields, sliders
// and curve show one value: the strips' -24..+12 dB (Music, Mic, echo, reverb, outputs),
// the dynamic-EQ columns' -12..+12 dB. Each clamped gain has its own line in the report.
TEST(FilterList, GainsStayWithinWhatThePageEdits) {
    const std::string text = "Filter 1: ON PK Fc 100 Hz Gain 18 dB Q 1\n"
                             "Filter 2: OFF LS Fc 200 Hz Gain -20 dB Q 1\n"
                             "Filter 3: ON HS Fc 8000 Hz Gain 12.0 dB Q 1\n";
    struct SCase {
        int m_nBlock;
        int m_anRaw[3];
        std::vector<std::string> m_astrNotes;
    };
    const SCase cases[] = {
        {kMusicLeft, {180, 20, 180}, {"gain +18 dB is outside -24..+12 dB: set to +12.0 dB"}},
        {kFirstOutput + 5, {180, 20, 180}, {"gain +18 dB is outside -24..+12 dB: set to +12.0 dB"}},
        {kMusicLeftDeq,
         {180, 60, 180},
         {"gain +18 dB is outside -12..+12 dB: set to +12.0 dB",
          "gain -20 dB is outside -12..+12 dB: set to -12.0 dB"}},
    };
    for (const SCase& c : cases) {
        Image image = NoiseImage(9);
        SImportResult result;
        std::string error;
        ASSERT_TRUE(ImportFilterList(text, c.m_nBlock, image.data(), result, error)) << error;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(Band(image, c.m_nBlock, i)[band::kGain], c.m_anRaw[i])
                << c.m_nBlock << " band " << i + 1;
        }
        std::size_t nNotes = 0;
        for (std::size_t at = result.m_strReport.find("  gain "); at != std::string::npos;
             at = result.m_strReport.find("  gain ", at + 1)) {
            ++nNotes;
        }
        EXPECT_EQ(nNotes, c.m_astrNotes.size()) << result.m_strReport;
        for (const std::string& note : c.m_astrNotes) {
            EXPECT_NE(result.m_strReport.find("\n  " + note + "\n"), std::string::npos)
                << c.m_nBlock << ": " << result.m_strReport;
        }
    }
}

TEST(FilterList, DynamicBandsKeepTheirDetectorBytes) {
    const Image before = NoiseImage(6);
    Image image = before;
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList(PeakingLines(2), kMusicLeftDeq, image.data(), result, error));
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t* record = Band(image, kMusicLeftDeq, i);
        const auto offset = static_cast<std::size_t>(record - image.data());
        for (std::size_t k = band::kSize; k < deq::kSize; ++k) {
            EXPECT_EQ(record[k], before[offset + k]) << i << " " << k;
        }
    }
    EXPECT_EQ(Band(image, kMusicLeftDeq, 2)[band::kType], ftype::kBypass);
}

TEST(FilterList, ExportReadBackGivesTheSameBytes) {
    for (int block = 0; block < static_cast<int>(kEqBlockCount); ++block) {
        for (std::uint8_t outputMode : {0, 2, 3}) {
            Image source = NoiseImage(static_cast<unsigned>(100 + block));
            source[image::kOutputMode] = outputMode;
            Image target = NoiseImage(static_cast<unsigned>(200 + block));
            target[image::kOutputMode] = outputMode;
            const Image targetBefore = target;

            const std::string text = ExportFilterList(block, source.data());
            SImportResult result;
            std::string error;
            ASSERT_TRUE(ImportFilterList(text, block, target.data(), result, error))
                << block << ": " << error << "\n"
                << text;
            // Type bytes above 3 come back as bypassed bands; everything else as it was.
            std::vector<std::uint8_t> expected = BandBytes(source, block);
            const bool dynamic = block >= kMusicLeftDeq;
            for (std::size_t i = band::kType; i < expected.size(); i += band::kSize) {
                expected[i] = expected[i] <= ftype::kHighShelf ? expected[i] : ftype::kBypass;
                // A damaged index reads as the nearest valid one, a gain as the nearest one
                // the page edits.
                expected[i - 1] = std::min<std::uint8_t>(expected[i - 1], kQCount - 1);
                expected[i - 2] = std::clamp<std::uint8_t>(expected[i - 2], dynamic ? 60 : 0, 180);
                const auto freq =
                    std::min(expected[i - 4] | (expected[i - 3] << 8), kFreqCount - 1);
                expected[i - 4] = static_cast<std::uint8_t>(freq & 0xFF);
                expected[i - 3] = static_cast<std::uint8_t>(freq >> 8);
            }
            EXPECT_EQ(BandBytes(target, block), expected) << block;
            // What was imported goes through the text unchanged.
            const std::string back = ExportFilterList(block, target.data());
            Image again = NoiseImage(static_cast<unsigned>(300 + block));
            again[image::kOutputMode] = outputMode;
            ASSERT_TRUE(ImportFilterList(back, block, again.data(), result, error)) << error;
            EXPECT_EQ(BandBytes(again, block), BandBytes(target, block)) << block;
            EXPECT_EQ(ExportFilterList(block, again.data()), back) << block;
            if (block >= kFirstOutput && block < kFirstOutput + 8) {
                // Only the live output set's record was written.
                const int live = LiveOutputSet(outputMode);
                for (int set = 1; set <= 3; ++set) {
                    if (set == live) {
                        continue;
                    }
                    const std::size_t first = OutputSetOffset(set);
                    EXPECT_TRUE(std::equal(
                        target.begin() + static_cast<std::ptrdiff_t>(first),
                        target.begin() + static_cast<std::ptrdiff_t>(first + output::kSetSize),
                        targetBefore.begin() + static_cast<std::ptrdiff_t>(first)))
                        << block << " set " << set;
                }
            }
        }
    }
}

TEST(FilterList, EveryStoredValueSurvivesTheText) {
    // Every frequency index, gain byte and Q index goes through the text unchanged.
    Image source{};
    const int bands = EqBlock(kMic12, 1).m_nBands;
    for (int start = 0; start < kFreqCount; start += bands) {
        for (int i = 0; i < bands; ++i) {
            const int n = start + i;
            std::uint8_t* record = Band(source, kMic12, i);
            SetU16(record + band::kFreq, static_cast<std::uint16_t>(std::min(n, kFreqCount - 1)));
            record[band::kGain] = static_cast<std::uint8_t>(std::min(n, kGainRawZero + 60));
            record[band::kQ] = static_cast<std::uint8_t>(std::min(n, kQCount - 1));
            record[band::kType] = static_cast<std::uint8_t>(1 + n % 3);
        }
        Image target = NoiseImage(static_cast<unsigned>(start));
        SImportResult result;
        std::string error;
        ASSERT_TRUE(ImportFilterList(ExportFilterList(kMic12, source.data()), kMic12, target.data(),
                                     result, error))
            << error;
        EXPECT_EQ(BandBytes(target, kMic12), BandBytes(source, kMic12)) << start;
        EXPECT_LT(result.m_total.m_dDb, 1e-6);
    }
}

// Random lines, valid filter lines with words swapped, dropped or repeated, and every
// truncation of valid lines: the reader never fails without the number of a line it
// read, never accepts a filter outside the ranges it promises, and an import that fails
// leaves the image alone.
TEST(FilterList, RandomAndTruncatedLinesAreHandled) {
    const std::vector<std::string> words = {
        "Filter", "Filter:", "Filter 1:", "ON",      "OFF",
        "PK",     "PEQ",     "LS",        "LSC",     "HS",
        "HSC",    "None",    "Fc",        "Gain",    "Q",
        "Hz",     "dB",      "12",        "-5.0",    "63",
        "0",      "1e9",     "-1e-9",     "+",       "-",
        ".",      "1.5dB",   "100Hz",     "Preamp:", "#",
        ":",      "\t",      "\xff",      "nan",     "99999",
        "0.4",    "128",     "6dB",       "\r",      "-40",
        "30000",  "200",     "0.1",       "",        std::string("\0", 1)};
    const std::vector<std::vector<std::string>> templates = {
        {"Filter", "1:", "ON", "PK", "Fc", "63", "Hz", "Gain", "-5", "dB", "Q", "4"},
        {"Filter:", "OFF", "LSC", "6", "dB", "Fc", "105", "Hz", "Gain", "5.9", "dB"},
        {"Filter", "3:", "ON", "HS", "Fc", "8000", "Gain", "-2", "Q", "0.71"},
        {"Preamp:", "-6.0", "dB"},
    };
    std::mt19937 random(7);
    auto chance = [&random](unsigned percent) { return random() % 100 < percent; };
    const Image before = NoiseImage(8);
    int imported = 0;
    int refused = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int lines = 1 + static_cast<int>(random() % 8);
        for (int l = 0; l < lines; ++l) {
            std::vector<std::string> line;
            if (chance(20)) {
                for (std::size_t w = random() % 12; w > 0; --w) {
                    line.push_back(words[random() % words.size()]);
                }
            } else {
                for (const std::string& word : templates[random() % templates.size()]) {
                    if (chance(3)) {
                        continue;
                    }
                    line.push_back(chance(4) ? words[random() % words.size()] : word);
                    if (chance(2)) {
                        line.push_back(word);
                    }
                }
            }
            for (const std::string& word : line) {
                text += word + (chance(10) ? "" : " ");
            }
            text += '\n';
        }
        SFilterList list;
        std::string error;
        if (!ParseFilterList(text, list, error)) {
            ASSERT_EQ(error.rfind("line ", 0), 0u) << error;
            ASSERT_LE(std::stoi(error.substr(5)), lines) << error;
            continue;
        }
        for (const SListFilter& f : list.m_aFilters) {
            ASSERT_TRUE(f.m_dFreq > 0.0 && f.m_dFreq < kSampleRate / 2) << text;
            ASSERT_TRUE(f.m_dQ > 0.0 && std::isfinite(f.m_dQ) && std::isfinite(f.m_dGain)) << text;
        }
        Image image = before;
        SImportResult result;
        if (ImportFilters(list, kEchoA, image.data(), result, error)) {
            ++imported;
            ASSERT_TRUE(std::isfinite(result.m_total.m_dDb)) << text;
        } else {
            ++refused;
            ASSERT_EQ(image, before) << text;
        }
    }
    // The rounds reached both outcomes of the import, not only the reader's errors.
    EXPECT_GT(imported, 500);
    EXPECT_GT(refused, 100);

    const std::string valid = "Filter 12: ON LSC 6 dB Fc 105.5 Hz Gain -5.9 dB\n"
                              "Filter 13: ON PK Fc 2000 Hz Gain 3 dB Q 1.41";
    for (std::size_t n = 0; n <= valid.size(); ++n) {
        SFilterList list;
        std::string error;
        if (!ParseFilterList(valid.substr(0, n), list, error)) {
            EXPECT_TRUE(error.rfind("line 1:", 0) == 0 || error.rfind("line 2:", 0) == 0)
                << n << ": " << error;
        }
    }
}

// A system-wide equaliser's own example file has shelves with neither Q nor slope, and
// lists written where a comma is the decimal point.
TEST(FilterList, FixedShelvesAndCommaDecimalsAreRead) {
    const SFilterList list = Parsed("Preamp: -6,5 dB\n"
                                    "Filter 1: ON LS Fc 300 Hz Gain 5.0 dB\n"
                                    "Filter 2: ON HS Fc 8000 Hz Gain -3,5 dB\n"
                                    "Filter 3: ON PK Fc 63,5 Hz Gain -5,0 dB Q 4,00\n"
                                    "Filter 4: ON LSC 6,5dB Fc 100Hz Gain 6 dB\n");
    EXPECT_DOUBLE_EQ(list.m_dPreampDb, -6.5);
    ASSERT_EQ(list.m_aFilters.size(), 4u);
    for (int i : {0, 1}) {
        const SListFilter& shelf = list.m_aFilters[static_cast<std::size_t>(i)];
        EXPECT_DOUBLE_EQ(shelf.m_dSlope, 12.0) << i;
        EXPECT_NEAR(shelf.m_dQ, 1.0 / std::sqrt(2.0), 1e-12) << i;
        EXPECT_EQ(MapFilter(shelf, kMusicLeft).m_nQIndex, 10) << i; // Q 0.71
    }
    EXPECT_EQ(list.m_aFilters[0].m_nType, ftype::kLowShelf);
    EXPECT_DOUBLE_EQ(list.m_aFilters[1].m_dGain, -3.5);
    EXPECT_DOUBLE_EQ(list.m_aFilters[2].m_dFreq, 63.5);
    EXPECT_DOUBLE_EQ(list.m_aFilters[2].m_dGain, -5.0);
    EXPECT_DOUBLE_EQ(list.m_aFilters[2].m_dQ, 4.0);
    EXPECT_DOUBLE_EQ(list.m_aFilters[3].m_dSlope, 6.5);

    // A comma beside a point, or two commas, is no number.
    EXPECT_NE(ParseError("Filter 1: ON PK Fc 1,000.5 Hz Gain 1 dB Q 1\n").find("not a number"),
              std::string::npos);
    EXPECT_NE(ParseError("Filter 1: ON PK Fc 100 Hz Gain 1,5,0 dB Q 1\n").find("not a number"),
              std::string::npos);
}

TEST(FilterList, HighPassAndLowPassLinesSetTheCrossovers) {
    struct SCase {
        const char* m_pszLines;
        int m_nSlope; // of the high-pass, or of the low-pass when the lines set only that
        bool m_bExact = true;
    };
    const SCase cases[] = {
        {"Filter 1: ON HP Fc 80 Hz\n", 3},                                    // Butterworth 12
        {"Filter 1: ON HPQ Fc 80 Hz Q 0,5\n", 4},                             // Linkwitz-Riley 12
        {"Filter 1: ON HP 6dB Fc 80 Hz\n", 1},                                // 6 dB
        {"Filter 1: ON HP 18 dB Fc 80 Hz\n", 6},                              // Butterworth 18
        {"Filter 1: ON HP Fc 80 Hz\nFilter 2: ON HPQ Fc 80 Hz Q 0.707\n", 9}, // two: LR 24
        {"Filter 1: ON LP 24dB Fc 80 Hz\n", 8},                               // Butterworth 24
        {"Filter 1: ON LP 36dB Fc 80 Hz\n", 11},                              // Butterworth 36
        {"Filter 1: ON HPQ Fc 80 Hz Q 0.6\n", 2, false}, // nearest: Bessel's 0.5773
        {"Filter 1: ON HP 48 dB Fc 80 Hz\n", 10, false}, // no 48 dB: 36 dB, Bessel first
        {"Filter 1: OFF HP Fc 80 Hz\n", 0},              // "ByPass"
    };
    for (const SCase& c : cases) {
        const Image before = NoiseImage(21);
        Image image = before;
        SImportResult result;
        std::string error;
        ASSERT_TRUE(ImportFilterList(c.m_pszLines, kMusicLeft, image.data(), result, error))
            << c.m_pszLines << error;
        const std::size_t highPass = HighPassOffset(kMusicLeft, 1);
        const bool lowPass = std::string_view(c.m_pszLines).find(" LP") != std::string::npos;
        const std::size_t record = highPass + (lowPass ? xover::kSize : 0);
        const std::size_t other = highPass + (lowPass ? 0 : xover::kSize);
        EXPECT_EQ(image[record + xover::kSlope], c.m_nSlope) << c.m_pszLines;
        EXPECT_EQ(GetU16(image.data() + record + xover::kFreq), IndexOfFreq(80.0));
        EXPECT_EQ(image[record + xover::kKind], before[record + xover::kKind]);
        EXPECT_TRUE(std::equal(image.begin() + static_cast<std::ptrdiff_t>(other),
                               image.begin() + static_cast<std::ptrdiff_t>(other + xover::kSize),
                               before.begin() + static_cast<std::ptrdiff_t>(other)))
            << "the other crossover is left as it was";
        EXPECT_EQ(result.m_strReport.find("the nearest of the processor's slopes") ==
                      std::string::npos,
                  c.m_bExact)
            << result.m_strReport;
        // A list of crossovers alone still plays nothing else: every band bypassed.
        EXPECT_EQ(Band(image, kMusicLeft, 0)[band::kType], ftype::kBypass);
    }

    // An output's lines go to the record of the live output set.
    Image image = NoiseImage(22);
    image[image::kOutputMode] = 2;
    SImportResult result;
    std::string error;
    ASSERT_TRUE(ImportFilterList("Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 2\n"
                                 "Filter 2: ON LPQ Fc 12000 Hz Q 0.7071\n"
                                 "Filter 3: OFF LP Fc 10000 Hz\n",
                                 kFirstOutput, image.data(), result, error))
        << error;
    const std::size_t lowPass = HighPassOffset(kFirstOutput, 2) + xover::kSize;
    EXPECT_EQ(image[lowPass + xover::kSlope], 3);
    EXPECT_EQ(GetU16(image.data() + lowPass + xover::kFreq), IndexOfFreq(12000.0));
    EXPECT_NE(result.m_strReport.find("Low-pass <- line 2: 12000 Hz, 12 dB per octave, Q 0.7071 "
                                      "-> 12000 Hz 12dB Butuerworth; OFF line 3 passed over\n"),
              std::string::npos)
        << result.m_strReport;
}

TEST(FilterList, CrossoverLinesThatCannotBePlayedChangeNothing) {
    struct SCase {
        const char* m_pszLines;
        int m_nBlock;
        const char* m_pszWhy;
    };
    const SCase cases[] = {
        {"Filter 1: ON HP Fc 80 Hz\nFilter 2: ON HP Fc 120 Hz\n", kMusicLeft,
         "line 2: a high-pass at 120 Hz, but line 1 puts it at 80 Hz"},
        {"Filter 1: ON PK Fc 80 Hz Gain -3 dB Q 2\nFilter 2: ON LP Fc 9000 Hz\n", kMusicLeftDeq,
         "line 2: this equaliser has no high-pass or low-pass"},
        {"Filter 1: ON HP Fc 80 Hz Gain 3 dB\n", kMic12,
         "line 1: a high-pass or low-pass has no gain"},
        {"Filter 1: ON HP 10 dB Fc 80 Hz\n", kMic12, "line 1: a slope of 10 dB is none of"},
        {"Filter 1: ON HP 54 dB Fc 80 Hz\n", kMic12, "line 1: a slope of 54 dB is none of"},
        {"Filter 1: ON LP 24 dB Fc 80 Hz Q 0.7\n", kMic12, "line 1: a Q goes with a slope of 12"},
        {"Filter 1: ON LPQ Fc 80 Hz Q -1\n", kMic12, "line 1: Q -1 is not above 0"},
        {"Filter 1: ON HP Gain 0 dB\n", kMic12, "line 1: no frequency"},
    };
    for (const SCase& c : cases) {
        const Image before = NoiseImage(23);
        Image image = before;
        SImportResult result;
        std::string error;
        EXPECT_FALSE(ImportFilterList(c.m_pszLines, c.m_nBlock, image.data(), result, error))
            << c.m_pszLines;
        EXPECT_EQ(error.rfind(c.m_pszWhy, 0), 0u) << error;
        EXPECT_EQ(image, before) << c.m_pszLines;
    }
}

TEST(FilterList, AnExportedListIsATextFile) {
    EXPECT_EQ(FilterListFilePath("/tmp/room"), "/tmp/room.txt");
    EXPECT_EQ(FilterListFilePath("/tmp/lists.v2/room"), "/tmp/lists.v2/room.txt");
    EXPECT_EQ(FilterListFilePath("/tmp/room.txt"), "/tmp/room.txt");
    EXPECT_EQ(FilterListFilePath("/tmp/room.cfg"), "/tmp/room.cfg");
}

} // namespace
} // namespace zolt
