// Measured frequency responses and the targets they are corrected towards. A measurement is
// the text export of a room-measurement program: one point a line, frequency in Hz, level
// in dB, optionally phase in degrees. On the response grid (the 420 points every curve is
// drawn at) a measurement and a target are curves like any equaliser's, with NaN where
// they say nothing (outside the measured range). Pure functions, any thread.
#pragma once

#include "eq/Filter.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zolt {

// The largest measurement file read (bytes): a measurement program's densest export is a
// few megabytes.
constexpr std::size_t kMaxMeasurementBytes = std::size_t{64} << 20;

struct SMeasurement {
    std::vector<double> m_adFreq;  // Hz, strictly rising
    std::vector<double> m_adLevel; // dB
};

// Reads a measurement. Passed over: blank lines, comment lines (starting with * or #) and,
// before the first point, lines that do not start with a number (column headings).
// Columns are separated by spaces, tabs or semicolons, or by commas when the line holds no
// other separator ("20.0,75.1,-12"); elsewhere a comma in a number is its decimal point
// ("20,0 75,1"). Every point line holds two or three numbers: a frequency above 0 that
// rises from line to line, a level and a phase (read, not used). Anything else is an
// error: false with "line N: why" in error, measurement untouched. At least two points.
bool ParseMeasurement(std::string_view text, SMeasurement& measurement, std::string& error);

// NaN: the curve says nothing at that grid point.
bool Known(double dDb);

// The measurement on the response grid: at each grid point inside the measured range the
// mean level of the points in its cell (from half-way to the grid point below to half-way
// to the one above, on a logarithmic axis), or, for a cell without a point, the level
// interpolated on a logarithmic axis between the nearest points either side; NaN outside
// the measured range.
CResponseDb CurveOnGrid(const SMeasurement& measurement);

// What the measurement is corrected towards.
enum class ETarget { Flat, House, File };
struct STarget {
    ETarget m_eKind = ETarget::Flat;
    double m_dBassDb = 0.0; // house curve: the rise at the bottom (a low shelf at 105 Hz)
    double m_dTiltDb = 0.0; // house curve: the change from 1 kHz to 20 kHz, straight on a
                            // logarithmic axis (negative: falling)
    CResponseDb m_adFile{}; // file target: its curve on the grid (CurveOnGrid)
    std::string m_strFile;  // file target: the file's name, for the reports
};
// The target on the response grid (a file target: NaN outside its range).
CResponseDb TargetCurve(const STarget& target);

// The default range a measurement is judged over, and the default of the fit.
constexpr double kJudgedFromHz = 40.0;
constexpr double kJudgedToHz = 16000.0;

// The level that puts measured at the level of target: the median of measured - target
// over the grid points from dFromHz to dToHz where both are known (over all such points
// when the range holds none; 0 when there are none at all). The median, so that modes and
// a roll-off do not move it.
double LevelOffset(const CResponseDb& measured, const CResponseDb& target, double dFromHz,
                   double dToHz);

// The lowest frequency at which the measurement is trusted, below which nothing is
// boosted: the measurement shifted by its level offset, from its lowest point upward, the
// first grid point from which it stays within 6 dB under the target for a sixth of an
// octave (a loudspeaker's roll-off lies below it). The lowest measured grid frequency when
// the measurement starts in its passband; 0 for a curve with no point.
double LowestTrustedFreq(const CResponseDb& measured, const CResponseDb& target, double dOffset);

} // namespace zolt
