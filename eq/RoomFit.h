// Room correction fitted in the processor's own steps: the bands of one EQ block chosen
// (type, frequency, Q, gain) so that the measured response plus the block's equaliser comes
// as close to a target as the block allows. Types are peaking, low shelf and high shelf;
// frequencies and Q values are entries of the processor's tables, gains 0.2 dB steps
// within what the block's page edits, so what is stored is what was fitted.
//
// How: bands are added one at a time, each the candidate (a type at a frequency and a Q)
// that lowers the error most, then all bands so far are refined together with continuous
// parameters (Levenberg-Marquardt); at the end every band is put on its nearest table steps
// and the steps are refined band by band while that lowers the error. Cuts are preferred:
// a boost is chosen only where it does twice the good of the best cut, never goes above
// +6 dB, and no boosting band raises the response more than 1 dB below the measurement's
// lowest trusted frequency. The error is taken with the levels matched (its mean over the
// range removed), since the volume sets the level.
//
// Pure functions of their inputs, any thread.
#pragma once

#include "eq/Filter.h"
#include "eq/Measurement.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zolt {

// A fitted band never boosts more than this (dB), whatever the page allows.
constexpr double kFitMaxBoostDb = 6.0;
// A boosting band raises the response below the lowest trusted frequency by at most this.
constexpr double kFitBoostBelowTrustedDb = 1.0;
// The largest Q a fitted peaking band takes.
constexpr double kFitMaxQ = 20.0;

struct SFitSettings {
    int m_nBlock = 0; // EQ block 0..17: its band count and the page's gains
    int m_nBands = 0; // bands to use, 1 .. the block's; 0: all of them
    double m_dFromHz = kJudgedFromHz;
    double m_dToHz = kJudgedToHz;
    bool m_bSteps = true; // false: continuous parameters, not rounded to the tables
};

// One fitted band: the values it plays (table values when fitted in steps) and its bytes.
struct SFitBand {
    int m_nType = ftype::kPeaking;
    double m_dFreq = 0.0; // Hz
    double m_dGain = 0.0; // dB
    double m_dQ = 0.0;
    int m_nFreqIndex = 0; // the nearest steps (the values themselves when fitted in steps)
    int m_nGainRaw = kGainRawZero;
    int m_nQIndex = 0;
};

// The error of a response against the target over the fitted range, levels matched.
struct SFitError {
    double m_dRms = 0.0;
    double m_dLargest = 0.0; // the largest |error|, dB
    double m_dLargestHz = 0.0;
};

struct SFitResult {
    std::vector<SFitBand> m_aBands; // bands 1.. of the block; the others are bypassed
    int m_nBlockBands = 0;
    SFitError m_before;     // the measurement
    SFitError m_after;      // the measurement with the fitted bands
    double m_dFromHz = 0.0; // the range fitted: the settings' within the trusted range
    double m_dToHz = 0.0;
    int m_nPoints = 0; // grid points in the range
    double m_dTrustedHz = 0.0;
    CResponseDb m_adBands{}; // the summed response of the fitted bands
};

// Fits the bands of settings.m_nBlock. measured and target are curves on the grid (NaN
// where they say nothing). The range judged is the settings' from the lowest trusted
// frequency up, where both curves are known. The block's crossovers are the user's: they
// are neither fitted nor fought. False with the reason when the range holds fewer than 8
// points, or the block has no bands.
bool FitRoom(const CResponseDb& measured, const CResponseDb& target, const SFitSettings& settings,
             SFitResult& result, std::string& error);

// Fits and writes: the bands written to bands 1.. of the block in pImage (a mode image;
// blocks 8..15 in its live output set), the bands after them bypassed (type byte 0, their
// other bytes kept). Nothing is written when the fit fails.
bool FitBlock(const CResponseDb& measured, const CResponseDb& target, const SFitSettings& settings,
              std::uint8_t* pImage, SFitResult& result, std::string& error);

// The report for the user in language (0 English, 1 Chinese): the range, the lowest trusted
// frequency, the RMS and largest errors before and after, and each band as chosen.
std::string FitReport(const SFitResult& result, int language);

} // namespace zolt
