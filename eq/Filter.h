// One filter of an equaliser set: an EQ band (bypassed, peaking, low shelf, high shelf)
// or a crossover (high-pass, low-pass). The filter refers to its record in the working
// image and writes every setting through to it; it keeps the complex response and the
// magnitude in dB at the 420 points of the response grid for the curve display.
// UI thread, with the image lock held around every call that writes the record.
#pragma once

#include "model/DataConver.h"

#include <array>
#include <complex>
#include <cstdint>
#include <string>

namespace zolt {

// Filter types: 0..3 are the band record's type byte, 4 and 5 are fixed at creation.
namespace ftype {
constexpr int kBypass = 0;
constexpr int kPeaking = 1;
constexpr int kLowShelf = 2;
constexpr int kHighShelf = 3;
constexpr int kHighPass = 4;
constexpr int kLowPass = 5;
} // namespace ftype

constexpr int kSlopeCount = 13;          // crossover slopes 0 ("ByPass") .. 12
constexpr double kSampleRate = 192000.0; // Hz, the rate the responses are computed for

// The sections of a crossover slope: biquads at the crossover frequency with these Q
// values, in the order applied, and a first-order section.
struct SSlopeSections {
    int m_nBiquads;
    std::array<double, 3> m_adQ;
    bool m_bFirstOrder;
};
// The sections of slope 0 ("ByPass": none) .. 12 ("36dBLink-Riley"); clamped.
const SSlopeSections& SlopeSections(int nSlope);

using CResponseDb = std::array<double, kGridCount>;
using CResponseComplex = std::array<std::complex<double>, kGridCount>;

class CFilter {
public:
    // An unbound band of type 1..3 (peaking, low shelf, high shelf) at exact values, not
    // table steps: f Hz (0 < f < kSampleRate / 2), gain in dB, Q > 0. For
    // responses that were asked for rather than stored; it has no record to write.
    static CFilter BandOfValues(int nType, double dFreqHz, double dGainDb, double dQ);

    // Binds to a 5-byte EQ band record (the band part of a dynamic-EQ record too) and
    // recomputes. The record belongs to the mode image and must outlive the binding.
    void BindBand(std::uint8_t* pRecord);
    // Binds to a 4-byte crossover record as ftype::kHighPass or ftype::kLowPass.
    void BindCrossover(std::uint8_t* pRecord, int nType);
    // Re-reads the bound record (after the image under it changed) and recomputes.
    void Rebind();

    // Frequency index 0..361 (clamped), stored into the record's u16.
    void SetFreqIndex(int nIndex);
    // Q index 0..100 (clamped); stored into the record for bands only, since a
    // crossover record holds its slope at that position.
    void SetQIndex(int nIndex);
    // Gain byte 0..240 (clamped; 120 = 0 dB); bands only, a crossover has no gain.
    void SetGainByte(int nRaw);
    // Gain in dB, stored as the nearest 0.2 dB step.
    void SetGainDb(double dDb);
    // Slope 0..12 (clamped); crossovers only.
    void SetSlope(int nSlope);
    // Band: type 0..3, stored into the record's type byte; other values are ignored.
    // Crossover: its kind is fixed by its record's position; only its own type (4 "H",
    // 5 "L") is accepted, which resets the number text.
    void SetType(int nType);
    // Copies the settings of a filter of the same kind (band from band, high-pass from
    // high-pass, low-pass from low-pass) into this filter's record; otherwise nothing.
    void CopySettings(const CFilter& other);

    // Computes the response from the current settings.
    void Recompute();
    // A flat response (0 dB) until the next recompute; the curve display uses it while a
    // high-pass is dragged off the left edge.
    void SetFlat();

    bool IsBound() const { return m_pRecord != nullptr; }
    bool IsCrossover() const { return m_nType >= ftype::kHighPass; }
    int Type() const { return m_nType; }
    double FreqHz() const { return m_dFreq; }
    double GainDb() const { return m_dGain; }
    double Q() const { return m_dQ; }
    int Slope() const { return m_nSlope; }
    // Record fields as stored (0 for a filter that is not bound).
    int FreqIndex() const;
    int GainByte() const;
    int QIndex() const;
    std::uint8_t* Record() const { return m_pRecord; }

    // Set for the three bands of a dynamic-EQ set; changes only the display.
    bool IsDynamic() const { return m_bDynamic; }
    void SetDynamic(bool bDynamic) { m_bDynamic = bDynamic; }
    // "1", "2", ... for bands, "H" and "L" for crossovers.
    const std::string& NumberText() const { return m_strNumber; }
    void SetNumberText(std::string strText) { m_strNumber = std::move(strText); }

    const CResponseDb& ResponseDb() const { return m_adDb; }
    const CResponseComplex& Response() const { return m_aResponse; }

private:
    std::size_t FreqField() const;
    void ComputeBand();
    void ComputeCrossover();

    std::uint8_t* m_pRecord = nullptr;
    int m_nType = ftype::kBypass;
    double m_dFreq = 1000.0; // Hz
    double m_dGain = 0.0;    // dB
    double m_dQ = 0.71;
    int m_nSlope = 0;
    bool m_bDynamic = false;
    std::string m_strNumber;
    CResponseDb m_adDb{};
    CResponseComplex m_aResponse{};
};

} // namespace zolt
