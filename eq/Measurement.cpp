#include "eq/Measurement.h"

#include "eq/TextScan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zolt {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr int kMaxColumns = 3; // frequency, level, phase
// The house curve's bass rise: a low shelf of the processor's kind.
constexpr double kHouseShelfHz = 105.0;
constexpr double kHouseShelfQ = 0.71;
constexpr double kTiltFromHz = 1000.0;
constexpr double kTiltToHz = 20000.0;
// A measurement is trusted from where it stays this close under the target ...
constexpr double kTrustedDropDb = 6.0;
// ... for this many grid points (a sixth of an octave at 36 points an octave).
constexpr int kTrustedPoints = 6;

bool IsComment(std::string_view line) {
    return line.front() == '*' || line.front() == '#';
}

// The columns of a point line: separated by spaces, tabs or semicolons, or by commas when
// there is no other separator.
std::vector<std::string_view> Columns(std::string_view line) {
    const bool commaSeparated = line.find_first_of(" \t;") == std::string_view::npos;
    const std::string_view separators = commaSeparated ? std::string_view(",") : " \t;";
    std::vector<std::string_view> columns;
    std::size_t pos = line.find_first_not_of(separators);
    while (pos != std::string_view::npos) {
        const std::size_t end = line.find_first_of(separators, pos);
        columns.push_back(line.substr(pos, end == std::string_view::npos ? end : end - pos));
        pos = line.find_first_not_of(separators, end);
    }
    return columns;
}

bool IsNumber(std::string_view column, double& value) {
    std::string_view suffix;
    return ParseDecimal(column, value, suffix) && suffix.empty();
}

// One point line read into the measurement; false with the reason.
bool ReadPoint(const std::vector<std::string_view>& columns, int nLine, int nPreviousLine,
               SMeasurement& measurement, std::string& error) {
    if (columns.size() < 2 || columns.size() > kMaxColumns) {
        error = Printf("line %d: %d columns; a point is a frequency, a level and perhaps a phase",
                       nLine, static_cast<int>(columns.size()));
        return false;
    }
    double values[kMaxColumns] = {};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!IsNumber(columns[i], values[i])) {
            error = Printf("line %d: %s is not a number", nLine, Quoted(columns[i]).c_str());
            return false;
        }
    }
    if (!(values[0] > 0.0)) {
        error = Printf("line %d: frequency %g Hz is not above 0", nLine, values[0]);
        return false;
    }
    if (!measurement.m_adFreq.empty() && !(values[0] > measurement.m_adFreq.back())) {
        error = Printf("line %d: %g Hz does not rise above the %g Hz of line %d", nLine, values[0],
                       measurement.m_adFreq.back(), nPreviousLine);
        return false;
    }
    measurement.m_adFreq.push_back(values[0]);
    measurement.m_adLevel.push_back(values[1]);
    return true;
}

// The bounds of grid point i's cell: half-way (on a logarithmic axis) to its neighbours.
double CellLow(std::size_t i) {
    const double g = kResponseGrid[i];
    return i == 0 ? g * g / std::sqrt(g * kResponseGrid[1]) : std::sqrt(g * kResponseGrid[i - 1]);
}
double CellHigh(std::size_t i) {
    const double g = kResponseGrid[i];
    return i + 1 == kResponseGrid.size() ? g * g / std::sqrt(g * kResponseGrid[i - 1])
                                         : std::sqrt(g * kResponseGrid[i + 1]);
}

// The level at f Hz, between the points at indices k - 1 and k (f1 < f <= f2).
double Interpolated(const SMeasurement& m, std::size_t k, double f) {
    const double f1 = m.m_adFreq[k - 1];
    const double f2 = m.m_adFreq[k];
    const double t = std::log(f / f1) / std::log(f2 / f1);
    return m.m_adLevel[k - 1] + t * (m.m_adLevel[k] - m.m_adLevel[k - 1]);
}

double TiltShare(double hz) {
    return hz <= kTiltFromHz ? 0.0 : std::log(hz / kTiltFromHz) / std::log(kTiltToHz / kTiltFromHz);
}

} // namespace

bool ParseMeasurement(std::string_view text, SMeasurement& measurement, std::string& error) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3); // a UTF-8 byte-order mark
    }
    SMeasurement result;
    int nLine = 0;
    int nPreviousLine = 0;
    while (!text.empty()) {
        ++nLine;
        const std::string_view line = TakeLine(text);
        if (line.empty() || IsComment(line)) {
            continue;
        }
        const std::vector<std::string_view> columns = Columns(line);
        double first = 0.0;
        if (result.m_adFreq.empty() && !IsNumber(columns.front(), first)) {
            continue; // a heading above the points
        }
        if (!ReadPoint(columns, nLine, nPreviousLine, result, error)) {
            return false;
        }
        nPreviousLine = nLine;
    }
    if (result.m_adFreq.size() < 2) {
        error = result.m_adFreq.empty() ? "no measured point (frequency and level a line)"
                                        : "a single measured point: a response needs two or more";
        return false;
    }
    measurement = std::move(result);
    return true;
}

bool Known(double dDb) {
    return !std::isnan(dDb);
}

CResponseDb CurveOnGrid(const SMeasurement& m) {
    CResponseDb curve;
    curve.fill(kNoValue);
    if (m.m_adFreq.size() < 2) {
        return curve;
    }
    std::size_t k = 0; // the first point not below the cell
    for (std::size_t i = 0; i < curve.size(); ++i) {
        const double g = kResponseGrid[i];
        if (g < m.m_adFreq.front() || g > m.m_adFreq.back()) {
            continue;
        }
        const double low = CellLow(i);
        const double high = CellHigh(i);
        while (k < m.m_adFreq.size() && m.m_adFreq[k] < low) {
            ++k;
        }
        double sum = 0.0;
        int count = 0;
        for (std::size_t j = k; j < m.m_adFreq.size() && m.m_adFreq[j] < high; ++j) {
            sum += m.m_adLevel[j];
            ++count;
        }
        if (count > 0) {
            curve[i] = sum / count;
            continue;
        }
        // No point in the cell: g lies between points k - 1 and k.
        curve[i] = Interpolated(m, std::max<std::size_t>(k, 1), g);
    }
    return curve;
}

CResponseDb TargetCurve(const STarget& target) {
    if (target.m_eKind == ETarget::File) {
        return target.m_adFile;
    }
    CResponseDb curve{};
    if (target.m_eKind == ETarget::Flat) {
        return curve;
    }
    curve = CFilter::BandOfValues(ftype::kLowShelf, kHouseShelfHz, target.m_dBassDb, kHouseShelfQ)
                .ResponseDb();
    for (std::size_t i = 0; i < curve.size(); ++i) {
        curve[i] += target.m_dTiltDb * TiltShare(kResponseGrid[i]);
    }
    return curve;
}

double LevelOffset(const CResponseDb& measured, const CResponseDb& target, double dFromHz,
                   double dToHz) {
    std::vector<double> inRange;
    std::vector<double> all;
    for (std::size_t i = 0; i < measured.size(); ++i) {
        if (Known(measured[i]) && Known(target[i])) {
            const bool bInRange = kResponseGrid[i] >= dFromHz && kResponseGrid[i] <= dToHz;
            (bInRange ? inRange : all).push_back(measured[i] - target[i]);
        }
    }
    std::vector<double>& differences = inRange.empty() ? all : inRange;
    if (differences.empty()) {
        return 0.0;
    }
    const auto middle = differences.begin() + static_cast<std::ptrdiff_t>(differences.size() / 2);
    std::nth_element(differences.begin(), middle, differences.end());
    return *middle;
}

double LowestTrustedFreq(const CResponseDb& measured, const CResponseDb& target, double dOffset) {
    auto close = [&](std::size_t i) {
        const double wanted = Known(target[i]) ? target[i] : 0.0;
        return measured[i] - dOffset >= wanted - kTrustedDropDb;
    };
    const auto first = static_cast<std::size_t>(
        std::find_if(measured.begin(), measured.end(), Known) - measured.begin());
    for (std::size_t i = first; i < measured.size() && Known(measured[i]); ++i) {
        std::size_t run = 0;
        while (run < kTrustedPoints && i + run < measured.size() && Known(measured[i + run]) &&
               close(i + run)) {
            ++run;
        }
        const bool bEnded = i + run == measured.size() || !Known(measured[i + run]);
        if (run == kTrustedPoints || (bEnded && run > 0)) {
            return kResponseGrid[i];
        }
    }
    return first < measured.size() ? kResponseGrid[first] : 0.0;
}

} // namespace zolt
