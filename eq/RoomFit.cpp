#include "eq/RoomFit.h"

#include "eq/FilterList.h"
#include "eq/TextScan.h"
#include "model/Layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace zolt {

namespace {

constexpr int kMinPoints = 8;
// Candidate bands are computed at this gain and scaled: a cut, since cuts come first.
constexpr double kReferenceGainDb = -6.0;
// A boost counts for half its good when the next band is chosen.
constexpr double kBoostShare = 0.5;
// No band is added that lowers the RMS error by less than this (dB).
constexpr double kLeastGainDb = 0.01;
// Shelves keep to slopes without overshoot.
constexpr double kShelfMaxQ = 0.71;
// Candidates: every second frequency step, a dozen and a half Q steps for peaks.
constexpr int kCandidateFreqStep = 2;
constexpr std::array<int, 15> kCandidateQIndices{4,  10, 16, 22, 26, 30, 34, 38,
                                                 42, 46, 50, 54, 58, 62, 66};
constexpr int kShelfQIndex = 10; // Q 0.71
// Refinement: iterations after each band added, and at the end.
constexpr int kRefineEach = 8;
constexpr int kRefineLast = 40;
constexpr int kStepSweeps = 30;

// What every part of the fit reads: the points judged and the error there without bands.
struct SProblem {
    std::vector<std::size_t> m_anPoints; // grid indices
    std::vector<double> m_adBase;        // measured - target at the points
    std::size_t m_nBelowTrusted = 0;     // grid points 0 .. n - 1 lie below the trusted frequency
    double m_dMinGain = 0.0;             // dB: the page's lowest
    double m_dMaxGain = 0.0;             // dB: the page's highest, at most kFitMaxBoostDb
};

// A band in the fit: its parameters and its response at the points.
struct SBandState {
    int m_nType = ftype::kPeaking;
    double m_dFreq = 1000.0; // Hz
    double m_dQ = 1.0;
    double m_dGain = 0.0; // dB
    std::vector<double> m_adResponse;
};

CResponseDb ResponseOf(int nType, double dFreq, double dGain, double dQ) {
    return CFilter::BandOfValues(nType, dFreq, dGain, dQ).ResponseDb();
}

std::vector<double> AtPoints(const SProblem& p, const CResponseDb& db) {
    std::vector<double> values(p.m_anPoints.size());
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k] = db[p.m_anPoints[k]];
    }
    return values;
}

double MaxBelowTrusted(const SProblem& p, const CResponseDb& db) {
    double largest = 0.0;
    for (std::size_t i = 0; i < p.m_nBelowTrusted; ++i) {
        largest = std::max(largest, db[i]);
    }
    return largest;
}

double Mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (const double v : values) {
        sum += v;
    }
    return sum / static_cast<double>(values.size());
}

// The sum of squares of the error with its mean removed: the levels matched.
double MatchedSquares(const std::vector<double>& error) {
    const double mean = Mean(error);
    double sum = 0.0;
    for (const double v : error) {
        sum += (v - mean) * (v - mean);
    }
    return sum;
}

double MaxQOf(int nType) {
    return nType == ftype::kPeaking ? kFitMaxQ : kShelfMaxQ;
}

// The parameters kept within the tables and the fit's limits.
void Clamp(const SProblem& p, SBandState& band) {
    band.m_dFreq = ClampFreq(band.m_dFreq);
    band.m_dQ = std::clamp(band.m_dQ, QOfIndex(0), MaxQOf(band.m_nType));
    band.m_dGain = std::clamp(band.m_dGain, p.m_dMinGain, p.m_dMaxGain);
}

// Computes the band's response; a boost that would raise the response below the trusted
// frequency by more than allowed is lowered until it does not.
void Evaluate(const SProblem& p, SBandState& band) {
    CResponseDb db = ResponseOf(band.m_nType, band.m_dFreq, band.m_dGain, band.m_dQ);
    for (int tries = 0; band.m_dGain > 0.0 && tries < 20; ++tries) {
        const double below = MaxBelowTrusted(p, db);
        if (below <= kFitBoostBelowTrustedDb) {
            break;
        }
        band.m_dGain *= 0.999 * kFitBoostBelowTrustedDb / below;
        db = ResponseOf(band.m_nType, band.m_dFreq, band.m_dGain, band.m_dQ);
    }
    band.m_adResponse = AtPoints(p, db);
}

std::vector<double> Residual(const SProblem& p, const std::vector<SBandState>& bands) {
    std::vector<double> r = p.m_adBase;
    for (const SBandState& band : bands) {
        for (std::size_t k = 0; k < r.size(); ++k) {
            r[k] += band.m_adResponse[k];
        }
    }
    return r;
}

// --- Choosing the next band ---

struct SCandidate {
    int m_nType;
    double m_dFreq;
    double m_dQ;
    std::vector<double> m_adUnit; // response per dB of gain at the points (near the reference)
    double m_dNorm = 0.0;         // its sum of squares, mean removed
    double m_dBelow = 0.0;        // its largest value below the trusted frequency
};

std::vector<SCandidate> Candidates(const SProblem& p, double dFromHz, double dToHz) {
    std::vector<SCandidate> candidates;
    const int nFirst = std::max(0, IndexOfFreq(ClampFreq(dFromHz)) - 3);
    const int nLast = std::min(kFreqCount - 1, IndexOfFreq(ClampFreq(dToHz)) + 3);
    auto add = [&](int nType, int nFreq, int nQ) {
        SCandidate c{nType, FreqOfIndex(nFreq), QOfIndex(nQ), {}};
        const CResponseDb db = ResponseOf(nType, c.m_dFreq, kReferenceGainDb, c.m_dQ);
        c.m_adUnit = AtPoints(p, db);
        for (double& v : c.m_adUnit) {
            v /= kReferenceGainDb;
        }
        c.m_dNorm = MatchedSquares(c.m_adUnit);
        for (std::size_t i = 0; i < p.m_nBelowTrusted; ++i) {
            c.m_dBelow = std::max(c.m_dBelow, db[i] / kReferenceGainDb);
        }
        if (c.m_dNorm > 1e-9) {
            candidates.push_back(std::move(c));
        }
    };
    for (int nFreq = nFirst; nFreq <= nLast; nFreq += kCandidateFreqStep) {
        for (const int nQ : kCandidateQIndices) {
            if (QOfIndex(nQ) <= kFitMaxQ) {
                add(ftype::kPeaking, nFreq, nQ);
            }
        }
        add(ftype::kLowShelf, nFreq, kShelfQIndex);
        add(ftype::kHighShelf, nFreq, kShelfQIndex);
    }
    return candidates;
}

// The gain that lowers the error most for a candidate, within the limits, and by how much
// it lowers the sum of squares (a boost's counted at kBoostShare).
struct SChoice {
    const SCandidate* m_pCandidate = nullptr;
    double m_dGain = 0.0;
    double m_dScore = 0.0;
    double m_dLowering = 0.0;
};
SChoice Score(const SProblem& p, const SCandidate& c, const std::vector<double>& centred) {
    double dot = 0.0;
    for (std::size_t k = 0; k < centred.size(); ++k) {
        dot += centred[k] * c.m_adUnit[k];
    }
    double gain = -dot / c.m_dNorm;
    const double maxBoost = c.m_dBelow > 0.0
                                ? std::min(p.m_dMaxGain, kFitBoostBelowTrustedDb / c.m_dBelow)
                                : p.m_dMaxGain;
    gain = std::clamp(gain, p.m_dMinGain, std::max(0.0, maxBoost));
    const double lowering = -2.0 * gain * dot - gain * gain * c.m_dNorm;
    return {&c, gain, gain > 0.0 ? kBoostShare * lowering : lowering, lowering};
}

SChoice BestChoice(const SProblem& p, const std::vector<SCandidate>& candidates,
                   const std::vector<double>& residual) {
    std::vector<double> centred = residual;
    const double mean = Mean(residual);
    for (double& v : centred) {
        v -= mean;
    }
    SChoice best;
    for (const SCandidate& c : candidates) {
        const SChoice choice = Score(p, c, centred);
        if (choice.m_dScore > best.m_dScore) {
            best = choice;
        }
    }
    return best;
}

// --- Refining with continuous parameters (Levenberg-Marquardt) ---

constexpr int kParameters = 3; // log2 frequency, log2 Q, gain

double Parameter(const SBandState& band, int n) {
    return n == 0 ? std::log2(band.m_dFreq) : n == 1 ? std::log2(band.m_dQ) : band.m_dGain;
}
void SetParameter(SBandState& band, int n, double value) {
    if (n == 0) {
        band.m_dFreq = std::exp2(value);
    } else if (n == 1) {
        band.m_dQ = std::exp2(value);
    } else {
        band.m_dGain = value;
    }
}
constexpr std::array<double, kParameters> kDerivativeSteps{0.005, 0.005, 0.01};

// Solves (A) x = b for a symmetric positive definite A (m x m, row-major) by Cholesky;
// false when A is not positive definite.
bool SolveSymmetric(std::vector<double> a, std::vector<double>& b, std::size_t m) {
    for (std::size_t j = 0; j < m; ++j) {
        double d = a[j * m + j];
        for (std::size_t k = 0; k < j; ++k) {
            d -= a[j * m + k] * a[j * m + k];
        }
        if (!(d > 0.0)) {
            return false;
        }
        a[j * m + j] = std::sqrt(d);
        for (std::size_t i = j + 1; i < m; ++i) {
            double s = a[i * m + j];
            for (std::size_t k = 0; k < j; ++k) {
                s -= a[i * m + k] * a[j * m + k];
            }
            a[i * m + j] = s / a[j * m + j];
        }
    }
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t k = 0; k < i; ++k) {
            b[i] -= a[i * m + k] * b[k];
        }
        b[i] /= a[i * m + i];
    }
    for (std::size_t i = m; i-- > 0;) {
        for (std::size_t k = i + 1; k < m; ++k) {
            b[i] -= a[k * m + i] * b[k];
        }
        b[i] /= a[i * m + i];
    }
    return true;
}

// The Jacobian of the matched error: a column per parameter, mean removed.
std::vector<std::vector<double>> Jacobian(const SProblem& p, const std::vector<SBandState>& bands) {
    std::vector<std::vector<double>> columns;
    for (const SBandState& band : bands) {
        for (int n = 0; n < kParameters; ++n) {
            SBandState moved = band;
            const double step = kDerivativeSteps[static_cast<std::size_t>(n)];
            SetParameter(moved, n, Parameter(band, n) + step);
            std::vector<double> column =
                AtPoints(p, ResponseOf(moved.m_nType, moved.m_dFreq, moved.m_dGain, moved.m_dQ));
            for (std::size_t k = 0; k < column.size(); ++k) {
                column[k] = (column[k] - band.m_adResponse[k]) / step;
            }
            const double mean = Mean(column);
            for (double& v : column) {
                v -= mean;
            }
            columns.push_back(std::move(column));
        }
    }
    return columns;
}

void Refine(const SProblem& p, std::vector<SBandState>& bands, int nIterations) {
    const std::size_t m = bands.size() * kParameters;
    double lambda = 1e-3;
    double squares = MatchedSquares(Residual(p, bands));
    for (int iteration = 0; iteration < nIterations; ++iteration) {
        const std::vector<std::vector<double>> columns = Jacobian(p, bands);
        std::vector<double> residual = Residual(p, bands);
        const double mean = Mean(residual);
        std::vector<double> a(m * m);
        std::vector<double> g(m);
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = 0; j <= i; ++j) {
                double s = 0.0;
                for (std::size_t k = 0; k < residual.size(); ++k) {
                    s += columns[i][k] * columns[j][k];
                }
                a[i * m + j] = a[j * m + i] = s;
            }
            for (std::size_t k = 0; k < residual.size(); ++k) {
                g[i] += columns[i][k] * (residual[k] - mean);
            }
        }
        bool bAccepted = false;
        for (int tries = 0; tries < 8 && !bAccepted; ++tries) {
            std::vector<double> damped = a;
            for (std::size_t i = 0; i < m; ++i) {
                damped[i * m + i] += lambda * a[i * m + i] + 1e-9;
            }
            std::vector<double> step(m);
            std::transform(g.begin(), g.end(), step.begin(), [](double v) { return -v; });
            if (!SolveSymmetric(std::move(damped), step, m)) {
                lambda *= 10.0;
                continue;
            }
            std::vector<SBandState> moved = bands;
            for (std::size_t b = 0; b < moved.size(); ++b) {
                for (int n = 0; n < kParameters; ++n) {
                    const double v = Parameter(moved[b], n) + step[b * kParameters + n];
                    SetParameter(moved[b], n, v);
                }
                Clamp(p, moved[b]);
                Evaluate(p, moved[b]);
            }
            const double movedSquares = MatchedSquares(Residual(p, moved));
            if (movedSquares < squares) {
                bAccepted = true;
                const double gained = squares - movedSquares;
                bands = std::move(moved);
                squares = movedSquares;
                lambda = std::max(lambda / 3.0, 1e-7);
                if (gained < 1e-7 * squares + 1e-12) {
                    return;
                }
            } else {
                lambda *= 4.0;
            }
        }
        if (!bAccepted) {
            return;
        }
    }
}

// --- Refining on the table steps ---

struct SStepBand {
    int m_nType;
    int m_nFreq; // frequency index
    int m_nQ;    // Q index
    int m_nGain; // gain byte
    std::vector<double> m_adResponse;
};

struct SStepLimits {
    int m_nMinGain;
    int m_nMaxGain;
};

int MaxQIndex(int nType) {
    return IndexOfQ(MaxQOf(nType)) - (QOfIndex(IndexOfQ(MaxQOf(nType))) > MaxQOf(nType) ? 1 : 0);
}

// The band's response, or false when the steps leave the limits.
bool EvaluateSteps(const SProblem& p, const SStepLimits& limits, SStepBand& band) {
    if (band.m_nFreq < 0 || band.m_nFreq >= kFreqCount || band.m_nQ < 0 ||
        band.m_nQ > MaxQIndex(band.m_nType) || band.m_nGain < limits.m_nMinGain ||
        band.m_nGain > limits.m_nMaxGain) {
        return false;
    }
    const CResponseDb db = ResponseOf(band.m_nType, FreqOfIndex(band.m_nFreq),
                                      GainDbOfRaw(band.m_nGain), QOfIndex(band.m_nQ));
    if (band.m_nGain > kGainRawZero && MaxBelowTrusted(p, db) > kFitBoostBelowTrustedDb) {
        return false;
    }
    band.m_adResponse = AtPoints(p, db);
    return true;
}

SStepBand OnSteps(const SProblem& p, const SStepLimits& limits, const SBandState& band) {
    SStepBand steps{
        band.m_nType,
        IndexOfFreq(band.m_dFreq),
        std::min(IndexOfQ(band.m_dQ), MaxQIndex(band.m_nType)),
        std::clamp<int>(RawOfGainDb(band.m_dGain), limits.m_nMinGain, limits.m_nMaxGain),
        {}};
    // A boost too strong below the trusted frequency once on its steps steps down.
    while (!EvaluateSteps(p, limits, steps) && steps.m_nGain > kGainRawZero) {
        --steps.m_nGain;
    }
    return steps;
}

// Moves of one band's steps: frequency, Q, gain, and frequency with Q.
struct SMove {
    int m_nFreq, m_nQ, m_nGain;
};
constexpr SMove kMoves[] = {
    {1, 0, 0}, {-1, 0, 0}, {2, 0, 0}, {-2, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 2, 0},  {0, -2, 0},
    {0, 0, 1}, {0, 0, -1}, {0, 0, 3}, {0, 0, -3}, {1, 1, 0}, {1, -1, 0}, {-1, 1, 0}, {-1, -1, 0},
};

void RefineSteps(const SProblem& p, const SStepLimits& limits, std::vector<SStepBand>& bands) {
    std::vector<double> residual = p.m_adBase;
    for (const SStepBand& band : bands) {
        for (std::size_t k = 0; k < residual.size(); ++k) {
            residual[k] += band.m_adResponse[k];
        }
    }
    double squares = MatchedSquares(residual);
    for (int sweep = 0; sweep < kStepSweeps; ++sweep) {
        bool bMoved = false;
        for (SStepBand& band : bands) {
            SStepBand best = band;
            double bestSquares = squares;
            for (const SMove& move : kMoves) {
                SStepBand tried = band;
                tried.m_nFreq += move.m_nFreq;
                tried.m_nQ += move.m_nQ;
                tried.m_nGain += move.m_nGain;
                if (!EvaluateSteps(p, limits, tried)) {
                    continue;
                }
                std::vector<double> r = residual;
                for (std::size_t k = 0; k < r.size(); ++k) {
                    r[k] += tried.m_adResponse[k] - band.m_adResponse[k];
                }
                const double s = MatchedSquares(r);
                if (s < bestSquares - 1e-12) {
                    bestSquares = s;
                    best = std::move(tried);
                }
            }
            if (bestSquares < squares) {
                for (std::size_t k = 0; k < residual.size(); ++k) {
                    residual[k] += best.m_adResponse[k] - band.m_adResponse[k];
                }
                band = std::move(best);
                squares = bestSquares;
                bMoved = true;
            }
        }
        if (!bMoved) {
            return;
        }
    }
}

// --- Results ---

SFitError ErrorOf(const SProblem& p, const std::vector<double>& error) {
    const double mean = Mean(error);
    SFitError result;
    result.m_dRms = std::sqrt(MatchedSquares(error) / static_cast<double>(error.size()));
    for (std::size_t k = 0; k < error.size(); ++k) {
        const double e = std::fabs(error[k] - mean);
        if (e > result.m_dLargest) {
            result.m_dLargest = e;
            result.m_dLargestHz = kResponseGrid[p.m_anPoints[k]];
        }
    }
    return result;
}

bool MakeProblem(const CResponseDb& measured, const CResponseDb& target,
                 const SFitSettings& settings, SProblem& p, SFitResult& result,
                 std::string& error) {
    const double offset = LevelOffset(measured, target, settings.m_dFromHz, settings.m_dToHz);
    result.m_dTrustedHz = LowestTrustedFreq(measured, target, offset);
    while (p.m_nBelowTrusted < kResponseGrid.size() &&
           kResponseGrid[p.m_nBelowTrusted] < result.m_dTrustedHz) {
        ++p.m_nBelowTrusted;
    }
    for (std::size_t i = p.m_nBelowTrusted; i < measured.size(); ++i) {
        const double g = kResponseGrid[i];
        if (g >= settings.m_dFromHz && g <= settings.m_dToHz && Known(measured[i]) &&
            Known(target[i])) {
            p.m_anPoints.push_back(i);
            p.m_adBase.push_back(measured[i] - target[i]);
        }
    }
    if (static_cast<int>(p.m_anPoints.size()) < kMinPoints) {
        error = Printf("from %g Hz to %g Hz the trusted measurement and the target meet at %d "
                       "points of the response grid; a fit needs %d",
                       std::max(settings.m_dFromHz, result.m_dTrustedHz), settings.m_dToHz,
                       static_cast<int>(p.m_anPoints.size()), kMinPoints);
        return false;
    }
    const SGainRange gains = BandGainRange(settings.m_nBlock);
    p.m_dMinGain = gains.m_dMin;
    p.m_dMaxGain = std::min(gains.m_dMax, kFitMaxBoostDb);
    result.m_dFromHz = kResponseGrid[p.m_anPoints.front()];
    result.m_dToHz = kResponseGrid[p.m_anPoints.back()];
    result.m_nPoints = static_cast<int>(p.m_anPoints.size());
    return true;
}

// Bands added one at a time, each followed by a refinement of all of them.
std::vector<SBandState> GrowBands(const SProblem& p, const SFitSettings& settings, int nBands) {
    const std::vector<SCandidate> candidates = Candidates(p, settings.m_dFromHz, settings.m_dToHz);
    const double n = static_cast<double>(p.m_anPoints.size());
    std::vector<SBandState> bands;
    while (static_cast<int>(bands.size()) < nBands) {
        const std::vector<double> residual = Residual(p, bands);
        const double squares = MatchedSquares(residual);
        const SChoice choice = BestChoice(p, candidates, residual);
        if (choice.m_pCandidate == nullptr ||
            std::sqrt(squares / n) - std::sqrt(std::max(0.0, squares - choice.m_dLowering) / n) <
                kLeastGainDb) {
            break;
        }
        const SCandidate& c = *choice.m_pCandidate;
        SBandState band{c.m_nType, c.m_dFreq, c.m_dQ, choice.m_dGain, {}};
        Evaluate(p, band);
        bands.push_back(std::move(band));
        Refine(p, bands, kRefineEach);
    }
    Refine(p, bands, kRefineLast);
    return bands;
}

SFitBand FitBandOf(const SBandState& band) {
    return {band.m_nType,
            band.m_dFreq,
            band.m_dGain,
            band.m_dQ,
            IndexOfFreq(band.m_dFreq),
            RawOfGainDb(band.m_dGain),
            IndexOfQ(band.m_dQ)};
}

SFitBand FitBandOf(const SStepBand& band) {
    return {band.m_nType,
            FreqOfIndex(band.m_nFreq),
            GainDbOfRaw(band.m_nGain),
            QOfIndex(band.m_nQ),
            band.m_nFreq,
            band.m_nGain,
            band.m_nQ};
}

const char* TypeName(int nType) {
    return nType == ftype::kLowShelf ? "LS" : nType == ftype::kHighShelf ? "HS" : "PK";
}

} // namespace

bool FitRoom(const CResponseDb& measured, const CResponseDb& target, const SFitSettings& settings,
             SFitResult& result, std::string& error) {
    const int nBlockBands = EqBlock(settings.m_nBlock, 1).m_nBands;
    if (nBlockBands == 0) {
        error = Printf("there is no EQ block %d", settings.m_nBlock);
        return false;
    }
    SProblem p;
    SFitResult r;
    if (!MakeProblem(measured, target, settings, p, r, error)) {
        return false;
    }
    r.m_nBlockBands = nBlockBands;
    const int nBands =
        settings.m_nBands > 0 ? std::min(settings.m_nBands, nBlockBands) : nBlockBands;
    const std::vector<SBandState> bands = GrowBands(p, settings, nBands);
    std::vector<double> after = p.m_adBase;
    auto add = [&](const std::vector<double>& response) {
        for (std::size_t k = 0; k < after.size(); ++k) {
            after[k] += response[k];
        }
    };
    if (settings.m_bSteps) {
        const SStepLimits limits{RawOfGainDb(p.m_dMinGain), RawOfGainDb(p.m_dMaxGain)};
        std::vector<SStepBand> steps;
        for (const SBandState& band : bands) {
            steps.push_back(OnSteps(p, limits, band));
        }
        RefineSteps(p, limits, steps);
        for (const SStepBand& band : steps) {
            if (band.m_nGain != kGainRawZero) {
                r.m_aBands.push_back(FitBandOf(band));
                add(band.m_adResponse);
            }
        }
    } else {
        for (const SBandState& band : bands) {
            r.m_aBands.push_back(FitBandOf(band));
            add(band.m_adResponse);
        }
    }
    for (const SFitBand& band : r.m_aBands) {
        const CResponseDb db = ResponseOf(band.m_nType, band.m_dFreq, band.m_dGain, band.m_dQ);
        for (std::size_t i = 0; i < db.size(); ++i) {
            r.m_adBands[i] += db[i];
        }
    }
    r.m_before = ErrorOf(p, p.m_adBase);
    r.m_after = ErrorOf(p, after);
    result = std::move(r);
    return true;
}

bool FitBlock(const CResponseDb& measured, const CResponseDb& target, const SFitSettings& settings,
              std::uint8_t* pImage, SFitResult& result, std::string& error) {
    if (!FitRoom(measured, target, settings, result, error)) {
        return false;
    }
    const SEqBlock block = EqBlock(settings.m_nBlock, LiveOutputSet(pImage[image::kOutputMode]));
    for (int i = 0; i < block.m_nBands; ++i) {
        std::uint8_t* record =
            pImage + block.m_nFirst + block.m_nStride * static_cast<std::size_t>(i);
        if (i >= static_cast<int>(result.m_aBands.size())) {
            record[band::kType] = ftype::kBypass;
            continue;
        }
        const SFitBand& fitted = result.m_aBands[static_cast<std::size_t>(i)];
        SMappedBand mapped;
        mapped.m_nType = fitted.m_nType;
        mapped.m_nFreqIndex = fitted.m_nFreqIndex;
        mapped.m_nGainRaw = fitted.m_nGainRaw;
        mapped.m_nQIndex = fitted.m_nQIndex;
        WriteBand(mapped, record);
    }
    return true;
}

std::string FitReport(const SFitResult& r, int language) {
    const bool zh = language == 1;
    const int nBands = static_cast<int>(r.m_aBands.size());
    std::string text =
        zh ? Printf("拟合 %d 个频段，%s Hz 至 %s Hz（%d 点），电平按范围均值对齐\n", nBands,
                    FreqTextByValue(r.m_dFromHz).c_str(), FreqTextByValue(r.m_dToHz).c_str(),
                    r.m_nPoints)
           : Printf("Fit of %d bands from %s Hz to %s Hz (%d points), levels matched over the "
                    "range\n",
                    nBands, FreqTextByValue(r.m_dFromHz).c_str(),
                    FreqTextByValue(r.m_dToHz).c_str(), r.m_nPoints);
    text += zh ? Printf("最低可信频率：%s Hz；低于此频率不提升\n",
                        FreqTextByValue(r.m_dTrustedHz).c_str())
               : Printf("Lowest trusted frequency: %s Hz; no band boosts below it\n",
                        FreqTextByValue(r.m_dTrustedHz).c_str());
    text += Printf(zh ? "均方根误差 %.2f dB -> %.2f dB；最大误差 %.1f dB（%s Hz）-> %.1f dB（%s "
                        "Hz）\n"
                      : "RMS error %.2f dB -> %.2f dB; largest error %.1f dB at %s Hz -> %.1f dB "
                        "at %s Hz\n",
                   r.m_before.m_dRms, r.m_after.m_dRms, r.m_before.m_dLargest,
                   FreqTextByValue(r.m_before.m_dLargestHz).c_str(), r.m_after.m_dLargest,
                   FreqTextByValue(r.m_after.m_dLargestHz).c_str());
    for (int i = 0; i < nBands; ++i) {
        const SFitBand& band = r.m_aBands[static_cast<std::size_t>(i)];
        text +=
            Printf(zh ? "频段 %d：%s %s Hz %+.1f dB Q %s\n" : "Band %d: %s %s Hz %+.1f dB Q %s\n",
                   i + 1, TypeName(band.m_nType), FreqTextByValue(band.m_dFreq).c_str(),
                   band.m_dGain, QText(band.m_dQ, band.m_nType != ftype::kPeaking).c_str());
    }
    if (nBands < r.m_nBlockBands) {
        text += nBands + 1 == r.m_nBlockBands
                    ? Printf(zh ? "频段 %d：旁通\n" : "Band %d: bypassed\n", nBands + 1)
                    : Printf(zh ? "频段 %d..%d：旁通\n" : "Bands %d..%d: bypassed\n", nBands + 1,
                             r.m_nBlockBands);
    }
    return text;
}

} // namespace zolt
