#include "eq/Filter.h"

#include "model/Layout.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zolt {

namespace {

// Normalised biquad coefficients (a0 = 1); a first-order section has b2 = a2 = 0.
struct SBiquad {
    double m_dB0, m_dB1, m_dB2, m_dA1, m_dA2;
};

// cos and sin of w and 2w at one grid point, where w is the grid frequency cut to
// 0.1 Hz and turned into radians per sample at 192 kHz.
struct SGridPoint {
    double m_dCos1, m_dSin1, m_dCos2, m_dSin2;
};

const std::array<SGridPoint, kGridCount>& GridPoints() {
    static const std::array<SGridPoint, kGridCount> points = [] {
        std::array<SGridPoint, kGridCount> result{};
        for (int i = 0; i < kGridCount; ++i) {
            const double w = std::trunc(10.0 * kResponseGrid[static_cast<std::size_t>(i)]) *
                             std::numbers::pi / 960000.0;
            result[static_cast<std::size_t>(i)] = {std::cos(w), std::sin(w), std::cos(2.0 * w),
                                                   std::sin(2.0 * w)};
        }
        return result;
    }();
    return points;
}

// Evaluates one section at every grid point and multiplies its complex value into
// aResponse; the dB response follows from the product once all sections are in.
void MultiplySection(const SBiquad& s, CResponseComplex& aResponse) {
    const auto& grid = GridPoints();
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const SGridPoint& p = grid[i];
        const double nr = s.m_dB0 + s.m_dB1 * p.m_dCos1 + s.m_dB2 * p.m_dCos2;
        const double ni = -(s.m_dB1 * p.m_dSin1 + s.m_dB2 * p.m_dSin2);
        const double dr = 1.0 + s.m_dA1 * p.m_dCos1 + s.m_dA2 * p.m_dCos2;
        const double di = -(s.m_dA1 * p.m_dSin1 + s.m_dA2 * p.m_dSin2);
        const double den = dr * dr + di * di;
        const double hr = (nr * dr + ni * di) / den;
        const double hi = (ni * dr - nr * di) / den;
        const double r = aResponse[i].real();
        const double im = aResponse[i].imag();
        aResponse[i] = {r * hr - im * hi, r * hi + im * hr};
    }
}

// 20 log10 |H| at every grid point; the sum in dB of the sections equals the dB of their
// product, which needs one logarithm per point instead of one per section.
void MagnitudeDb(const CResponseComplex& aResponse, CResponseDb& adDb) {
    constexpr double kTenOverLn10 = 10.0 / std::numbers::ln10; // 10 log10 x = (10 / ln 10) ln x
    for (std::size_t i = 0; i < aResponse.size(); ++i) {
        const double r = aResponse[i].real();
        const double im = aResponse[i].imag();
        adDb[i] = kTenOverLn10 * std::log(r * r + im * im);
    }
}

SBiquad Normalised(double b0, double b1, double b2, double a0, double a1, double a2) {
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

SBiquad BandBiquad(int nType, double dFreq, double dGain, double dQ) {
    const double A = std::pow(10.0, dGain / 40.0);
    const double w0 = 2.0 * std::numbers::pi * dFreq / kSampleRate;
    const double alpha = std::sin(w0) / (2.0 * dQ);
    const double c = std::cos(w0);
    const double beta = 2.0 * std::sqrt(A) * alpha;
    switch (nType) {
    case ftype::kPeaking:
        return Normalised(1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c,
                          1 - alpha / A);
    case ftype::kLowShelf:
        return Normalised(A * ((A + 1) - (A - 1) * c + beta), 2 * A * ((A - 1) - (A + 1) * c),
                          A * ((A + 1) - (A - 1) * c - beta), (A + 1) + (A - 1) * c + beta,
                          -2 * ((A - 1) + (A + 1) * c), (A + 1) + (A - 1) * c - beta);
    default: // high shelf
        return Normalised(A * ((A + 1) + (A - 1) * c + beta), -2 * A * ((A - 1) + (A + 1) * c),
                          A * ((A + 1) + (A - 1) * c - beta), (A + 1) - (A - 1) * c + beta,
                          2 * ((A - 1) - (A + 1) * c), (A + 1) - (A - 1) * c - beta);
    }
}

SBiquad CrossoverBiquad(bool bHighPass, double dFreq, double dQ) {
    const double w0 = 2.0 * std::numbers::pi * dFreq / kSampleRate;
    const double alpha = std::sin(w0) / (2.0 * dQ);
    const double c = std::cos(w0);
    if (bHighPass) {
        return Normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
    }
    return Normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

// First-order section, bilinear transform with the corner pre-warped.
SBiquad FirstOrderSection(bool bHighPass, double dFreq) {
    const double omega = 2.0 * std::numbers::pi * dFreq;
    const double k = omega / std::tan(std::numbers::pi * dFreq / kSampleRate);
    const double a1 = (omega - k) / (omega + k);
    if (bHighPass) {
        return {k / (omega + k), -k / (omega + k), 0.0, a1, 0.0};
    }
    return {omega / (omega + k), omega / (omega + k), 0.0, a1, 0.0};
}

// The sections of each crossover slope, in slope order 0..12. All sections of a slope
// share the crossover frequency.
constexpr std::array<SSlopeSections, kSlopeCount> kSlopeSections{{
    {0, {}, false},                       // "ByPass"
    {0, {}, true},                        // "6dB/ct"
    {1, {0.5773}, false},                 // "12dB Bessel"
    {1, {0.7071}, false},                 // "12dB Butuerworth"
    {1, {0.5}, false},                    // "12dBLink-Riley"
    {1, {0.691}, true},                   // "18dB Bessel"
    {1, {1.0}, true},                     // "18dB Butuerworth"
    {2, {0.5219, 0.8055}, false},         // "24dB Bessel"
    {2, {0.5412, 1.3065}, false},         // "24dB Butuerworth"
    {2, {0.71, 0.71}, false},             // "24dBLink-Riley"
    {3, {0.5103, 0.6112, 1.0234}, false}, // "36dB Bessel"
    {3, {0.5177, 0.7071, 1.932}, false},  // "36dB Butuerworth"
    {3, {0.5, 1.0, 1.0}, false},          // "36dBLink-Riley"
}};

} // namespace

const SSlopeSections& SlopeSections(int nSlope) {
    return kSlopeSections[static_cast<std::size_t>(std::clamp(nSlope, 0, kSlopeCount - 1))];
}

CFilter CFilter::BandOfValues(int nType, double dFreqHz, double dGainDb, double dQ) {
    CFilter filter;
    filter.m_nType = std::clamp(nType, ftype::kPeaking, ftype::kHighShelf);
    filter.m_dFreq = dFreqHz;
    filter.m_dGain = dGainDb;
    filter.m_dQ = dQ;
    filter.Recompute();
    return filter;
}

void CFilter::BindBand(std::uint8_t* pRecord) {
    m_pRecord = pRecord;
    const int nType = pRecord[band::kType];
    // A type byte outside 0..3 (a damaged file) is drawn as a bypassed band.
    m_nType = nType <= ftype::kHighShelf ? nType : ftype::kBypass;
    m_dFreq = FreqOfIndex(GetU16(pRecord + band::kFreq));
    m_dQ = QOfIndex(pRecord[band::kQ]);
    m_dGain = GainDbOfRaw(pRecord[band::kGain]);
    Recompute();
}

void CFilter::BindCrossover(std::uint8_t* pRecord, int nType) {
    m_pRecord = pRecord;
    m_nType = nType == ftype::kLowPass ? ftype::kLowPass : ftype::kHighPass;
    m_strNumber = m_nType == ftype::kHighPass ? "H" : "L";
    m_dFreq = FreqOfIndex(GetU16(pRecord + xover::kFreq));
    const int nSlope = pRecord[xover::kSlope];
    m_nSlope = nSlope < kSlopeCount ? nSlope : 0;
    Recompute();
}

void CFilter::Rebind() {
    if (m_pRecord == nullptr) {
        return;
    }
    if (IsCrossover()) {
        BindCrossover(m_pRecord, m_nType);
    } else {
        BindBand(m_pRecord);
    }
}

std::size_t CFilter::FreqField() const {
    return IsCrossover() ? xover::kFreq : band::kFreq;
}

void CFilter::SetFreqIndex(int nIndex) {
    const int nClamped = std::clamp(nIndex, 0, kFreqCount - 1);
    if (m_pRecord != nullptr) {
        SetU16(m_pRecord + FreqField(), static_cast<std::uint16_t>(nClamped));
    }
    m_dFreq = FreqOfIndex(nClamped);
    Recompute();
}

void CFilter::SetQIndex(int nIndex) {
    const int nClamped = std::clamp(nIndex, 0, kQCount - 1);
    if (m_pRecord != nullptr && !IsCrossover()) {
        m_pRecord[band::kQ] = static_cast<std::uint8_t>(nClamped);
    }
    m_dQ = QOfIndex(nClamped);
    Recompute();
}

void CFilter::SetGainByte(int nRaw) {
    if (IsCrossover()) {
        return; // the crossover record holds its frequency where a band keeps its gain
    }
    const int nClamped = std::clamp(nRaw, 0, kGainRawMax);
    if (m_pRecord != nullptr) {
        m_pRecord[band::kGain] = static_cast<std::uint8_t>(nClamped);
    }
    m_dGain = GainDbOfRaw(nClamped);
    Recompute();
}

void CFilter::SetGainDb(double dDb) {
    SetGainByte(RawOfGainDb(dDb));
}

void CFilter::SetSlope(int nSlope) {
    if (!IsCrossover()) {
        return; // the band record holds its Q index where a crossover keeps its slope
    }
    m_nSlope = std::clamp(nSlope, 0, kSlopeCount - 1);
    if (m_pRecord != nullptr) {
        m_pRecord[xover::kSlope] = static_cast<std::uint8_t>(m_nSlope);
    }
    Recompute();
}

void CFilter::SetType(int nType) {
    if (IsCrossover()) {
        if (nType != m_nType) {
            return; // the crossover's kind is fixed by the position of its record
        }
        m_strNumber = nType == ftype::kHighPass ? "H" : "L";
    } else {
        if (nType < ftype::kBypass || nType > ftype::kHighShelf) {
            return;
        }
        if (m_pRecord != nullptr) {
            m_pRecord[band::kType] = static_cast<std::uint8_t>(nType);
        }
    }
    m_nType = nType;
    Recompute();
}

void CFilter::CopySettings(const CFilter& other) {
    if (m_pRecord == nullptr || other.m_pRecord == nullptr || &other == this) {
        return;
    }
    if (IsCrossover() != other.IsCrossover() || (IsCrossover() && m_nType != other.m_nType)) {
        return;
    }
    if (IsCrossover()) {
        // the u16 frequency index and the slope; the kind byte stays
        std::copy_n(other.m_pRecord + xover::kFreq, xover::kSize - xover::kFreq,
                    m_pRecord + xover::kFreq);
    } else {
        std::copy_n(other.m_pRecord, band::kSize, m_pRecord);
    }
    Rebind();
}

int CFilter::FreqIndex() const {
    if (m_pRecord == nullptr) {
        return 0;
    }
    return std::min<int>(GetU16(m_pRecord + FreqField()), kFreqCount - 1);
}

int CFilter::GainByte() const {
    return m_pRecord != nullptr && !IsCrossover() ? m_pRecord[band::kGain] : 0;
}

int CFilter::QIndex() const {
    return m_pRecord != nullptr && !IsCrossover() ? m_pRecord[band::kQ] : 0;
}

void CFilter::SetFlat() {
    m_adDb.fill(0.0);
    m_aResponse.fill({1.0, 0.0});
}

void CFilter::Recompute() {
    SetFlat();
    if (IsCrossover()) {
        ComputeCrossover();
    } else {
        ComputeBand();
    }
}

void CFilter::ComputeBand() {
    if (m_nType == ftype::kBypass) {
        return;
    }
    MultiplySection(BandBiquad(m_nType, m_dFreq, m_dGain, m_dQ), m_aResponse);
    MagnitudeDb(m_aResponse, m_adDb);
}

void CFilter::ComputeCrossover() {
    const bool bHighPass = m_nType == ftype::kHighPass;
    const SSlopeSections& sections = SlopeSections(m_nSlope);
    if (sections.m_nBiquads == 0 && !sections.m_bFirstOrder) {
        return; // "ByPass"
    }
    for (int i = 0; i < sections.m_nBiquads; ++i) {
        MultiplySection(
            CrossoverBiquad(bHighPass, m_dFreq, sections.m_adQ[static_cast<std::size_t>(i)]),
            m_aResponse);
    }
    if (sections.m_bFirstOrder) {
        MultiplySection(FirstOrderSection(bHighPass, m_dFreq), m_aResponse);
    }
    MagnitudeDb(m_aResponse, m_adDb);
}

} // namespace zolt
