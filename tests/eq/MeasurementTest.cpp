// Measured responses as measurement programs export them, on the response grid, and the
// targets they are judged against.
#include "SyntheticRoom.h"

#include "eq/Measurement.h"
#include "model/DataConver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zolt {
namespace {

SMeasurement Parsed(const std::string& text) {
    SMeasurement m;
    std::string error;
    EXPECT_TRUE(ParseMeasurement(text, m, error)) << error;
    return m;
}

std::string ParseError(const std::string& text) {
    SMeasurement m;
    m.m_adFreq = {1.0};
    std::string error;
    EXPECT_FALSE(ParseMeasurement(text, m, error)) << text;
    EXPECT_EQ(m.m_adFreq, std::vector<double>{1.0}) << "refused with nothing changed";
    return error;
}

double At(const CResponseDb& curve, double hz) {
    for (std::size_t i = 0; i < kResponseGrid.size(); ++i) {
        if (kResponseGrid[i] == hz) {
            return curve[i];
        }
    }
    ADD_FAILURE() << hz << " Hz is no grid point";
    return 0.0;
}

TEST(Measurement, ReadsTheExportsOfMeasurementPrograms) {
    struct SCase {
        const char* m_pszName;
        std::string m_strText;
    };
    const SCase cases[] = {
        {"comments, spaces, phase", "\xEF\xBB\xBF* Measurement data measured by REW V5.20\r\n"
                                    "* Source: Line-in, Out 1\r\n"
                                    "* Freq(Hz) SPL(dB) Phase(degrees)\r\n"
                                    "20.000000  75.125  -120.5\r\n"
                                    "\r\n"
                                    "1000.000000 80.0 12.0\r\n"
                                    "20000 70.5 3\r\n"},
        {"tabs, hash comments, no phase", "# exported\n20\t75.125\n1000\t80\n# a remark\n"
                                          "20000\t70.5\n"},
        {"comma decimals, semicolons", "Frequency;Level;Phase\n20,0;75,125;-120,5\n"
                                       "1000;80,0;12\n20000;70,5;3\n"},
        {"comma decimals, spaces", "Freq SPL\n20,0 75,125\n1000,0 80,0\n2e4 70,5\n"},
        {"comma-separated columns", "\"Hz\",\"dB\"\n20.0,75.125,-120.5\n1000.0,80,12\n"
                                    "20000,70.5,3\n"},
    };
    for (const SCase& c : cases) {
        const SMeasurement m = Parsed(c.m_strText);
        EXPECT_EQ(m.m_adFreq, (std::vector<double>{20.0, 1000.0, 20000.0})) << c.m_pszName;
        EXPECT_EQ(m.m_adLevel, (std::vector<double>{75.125, 80.0, 70.5})) << c.m_pszName;
    }
}

TEST(Measurement, BadLinesAreNamedByNumberAndChangeNothing) {
    struct SCase {
        const char* m_pszLine;
        const char* m_pszWhy;
    };
    const SCase cases[] = {
        {"Notes: none", "\"Notes:\" is not a number"},
        {"50 abc", "\"abc\" is not a number"},
        {"50 70 0 1", "4 columns"},
        {"50", "1 columns"},
        {"50Hz 70", "\"50Hz\" is not a number"},
        {"0 70", "frequency 0 Hz is not above 0"},
        {"-50 70", "frequency -50 Hz is not above 0"},
        {"40 70", "40 Hz does not rise above the 40 Hz of line 3"},
        {"30 70", "30 Hz does not rise above the 40 Hz of line 3"},
        {"50 nan", "\"nan\" is not a number"},
        {"50 inf", "\"inf\" is not a number"},
        {"50 1,000.5", "\"1,000.5\" is not a number"},
    };
    for (const SCase& c : cases) {
        const std::string text =
            std::string("* header\nFreq SPL\n40 70\n") + c.m_pszLine + "\n60 71\n";
        const std::string error = ParseError(text);
        EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << c.m_pszLine << " -> " << error;
        EXPECT_NE(error.find(c.m_pszWhy), std::string::npos) << c.m_pszLine << " -> " << error;
    }
    EXPECT_NE(ParseError("").find("no measured point"), std::string::npos);
    EXPECT_NE(ParseError("* only comments\n# and more\n").find("no measured point"),
              std::string::npos);
    EXPECT_NE(ParseError("Filter 1: ON PK Fc 63 Hz Gain -5 dB Q 4\n").find("no measured point"),
              std::string::npos);
    EXPECT_NE(ParseError("1000 80\n").find("a single measured point"), std::string::npos);
    constexpr char kControlBytes[] = "20 70\n\0\x01\x02 1\n";
    EXPECT_NE(ParseError(std::string(kControlBytes, sizeof kControlBytes - 1)).find("line 2: "),
              std::string::npos);
}

// A measurement program's densest export: every point is read and the grid takes the mean
// of each cell.
TEST(Measurement, AHugeExportIsReadWhole) {
    std::string text = "* 400000 points\n";
    int count = 0;
    for (double f = 5.0; f < 30000.0; f *= 1.0000217, ++count) {
        text += std::to_string(f) + " " + (f < 1000.0 ? "60.0" : "66.0") + " 0.0\n";
    }
    ASSERT_GT(count, 400000);
    const SMeasurement m = Parsed(text);
    ASSERT_EQ(m.m_adFreq.size(), static_cast<std::size_t>(count));
    const CResponseDb curve = CurveOnGrid(m);
    EXPECT_DOUBLE_EQ(At(curve, 101.0), 60.0);
    EXPECT_DOUBLE_EQ(At(curve, 10100.0), 66.0);
    // The cell of 1000 Hz holds points on both sides of the step.
    EXPECT_GT(At(curve, 1000.0), 61.0);
    EXPECT_LT(At(curve, 1000.0), 65.0);
    EXPECT_FALSE(Known(curve.back())) << "32 kHz lies above the measured range";
}

TEST(Measurement, TheGridTakesTheMeanOfEachCellOrInterpolatesBetweenSparsePoints) {
    // Sparse: 99 Hz at 0 dB and 1000 Hz at 10 dB, nothing between.
    const CResponseDb sparse = CurveOnGrid(Parsed("99 0\n1000 10\n"));
    EXPECT_FALSE(Known(At(sparse, 97.0)));
    EXPECT_DOUBLE_EQ(At(sparse, 99.0), 0.0);
    EXPECT_NEAR(At(sparse, 315.0), 10.0 * std::log(315.0 / 99.0) / std::log(1000.0 / 99.0), 1e-9);
    EXPECT_DOUBLE_EQ(At(sparse, 1000.0), 10.0);
    EXPECT_FALSE(Known(At(sparse, 1020.0)));

    // Dense: three points in the cell of 1000 Hz (981 .. 1020 Hz on the grid).
    const CResponseDb dense = CurveOnGrid(Parsed("900 0\n995 1\n1000 2\n1009 6\n1100 0\n"));
    EXPECT_DOUBLE_EQ(At(dense, 1000.0), 3.0);
}

TEST(Measurement, TargetsAndTheLevelTheMeasurementIsShownAt) {
    const CResponseDb flat = TargetCurve({});
    EXPECT_EQ(flat, CResponseDb{});

    STarget house;
    house.m_eKind = ETarget::House;
    house.m_dBassDb = 6.0;
    house.m_dTiltDb = -3.0;
    const CResponseDb curve = TargetCurve(house);
    EXPECT_NEAR(At(curve, 19.7), 6.0, 0.1);
    EXPECT_NEAR(At(curve, 105.0), 3.0, 0.1);
    EXPECT_NEAR(At(curve, 1000.0), 0.0, 0.05);
    EXPECT_NEAR(At(curve, 20200.0), -3.0 * std::log(20200.0 / 1000.0) / std::log(20.0), 0.01);

    STarget file;
    file.m_eKind = ETarget::File;
    file.m_adFile = CurveOnGrid(Parsed("101 -1\n10000 -2\n"));
    const CResponseDb fromFile = TargetCurve(file);
    EXPECT_FALSE(Known(At(fromFile, 50.6)));
    EXPECT_DOUBLE_EQ(At(fromFile, 101.0), -1.0);

    // A room at 75 dB with modes: its level is the median, which the modes do not move;
    // its roll-off starts where the loudspeaker's does.
    const CResponseDb room = CurveOnGrid(test::SyntheticRoom(4));
    const double offset = LevelOffset(room, flat, kJudgedFromHz, kJudgedToHz);
    EXPECT_NEAR(offset, 74.0, 2.0);
    const double trusted = LowestTrustedFreq(room, flat, offset);
    EXPECT_GT(trusted, 20.0);
    EXPECT_LT(trusted, 35.0);
    // Measured from 100 Hz only, it is trusted from its first point.
    SMeasurement high = test::SyntheticRoom(4);
    high.m_adFreq.erase(high.m_adFreq.begin(), high.m_adFreq.begin() + 160);
    high.m_adLevel.erase(high.m_adLevel.begin(), high.m_adLevel.begin() + 160);
    const CResponseDb highCurve = CurveOnGrid(high);
    EXPECT_NEAR(LowestTrustedFreq(highCurve, flat, offset), high.m_adFreq.front(), 5.0);
}

} // namespace
} // namespace zolt
