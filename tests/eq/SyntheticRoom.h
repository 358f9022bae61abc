// Synthetic rooms for the room-correction fit, as a measurement program would export them:
// a loudspeaker whose low end rolls off at 35 Hz, in a room with a few modes of 5 to 15 dB
// at random low frequencies and one broader dip, a treble slope, and a ripple that no
// filter follows. The shapes are analogue responses, so no room is made of the processor's
// own filters. The fit's tests and its benchmark judge the fit on the same rooms.
#pragma once

#include "eq/Measurement.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace zolt::test {

// The level in dB of an analogue peaking section at f Hz (centre f0, gain in dB, Q).
inline double AnaloguePeakDb(double f, double f0, double gainDb, double q) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double x = (f0 * f0 - f * f) * (f0 * f0 - f * f);
    const double num = x + (a * f * f0 / q) * (a * f * f0 / q);
    const double den = x + (f * f0 / (a * q)) * (f * f0 / (a * q));
    return 10.0 * std::log10(num / den);
}

struct SRoomShape {
    int m_nModes = 0;
    double m_dSlopeDbPerOctave = 0.0; // above 1 kHz, falling
};

// Room number seed, with nModes modes (0: 3 to 6 of them, at random) between 30 Hz and
// dTopModeHz: points every 1/48 octave from 10 Hz to 24 kHz around 75 dB.
inline SMeasurement SyntheticRoom(unsigned seed, int nModes = 0, double dTopModeHz = 250.0,
                                  SRoomShape* pShape = nullptr) {
    std::mt19937 random(seed);
    auto uniform = [&random](double low, double high) {
        return low + (high - low) * (static_cast<double>(random()) / 4294967296.0);
    };
    auto logUniform = [&uniform](double low, double high) {
        return std::exp(uniform(std::log(low), std::log(high)));
    };
    struct SPeak {
        double m_dFreq, m_dGain, m_dQ;
    };
    std::vector<SPeak> peaks(static_cast<std::size_t>(nModes > 0 ? nModes : 3 + random() % 4));
    nModes = static_cast<int>(peaks.size());
    for (SPeak& peak : peaks) {
        peak = {logUniform(30.0, dTopModeHz), uniform(5.0, 15.0), uniform(3.0, 10.0)};
    }
    peaks.push_back({logUniform(80.0, 400.0), -uniform(3.0, 6.0), uniform(1.0, 2.5)});
    const double slope = uniform(0.5, 1.5);
    const double ripplePhase = uniform(0.0, 2.0 * std::numbers::pi);
    if (pShape != nullptr) {
        *pShape = {nModes, slope};
    }
    SMeasurement m;
    for (double f = 10.0; f <= 24000.0; f *= std::exp2(1.0 / 48.0)) {
        double level = 75.0 - 10.0 * std::log10(1.0 + std::pow(35.0 / f, 4.0));
        for (const SPeak& peak : peaks) {
            level += AnaloguePeakDb(f, peak.m_dFreq, peak.m_dGain, peak.m_dQ);
        }
        if (f > 1000.0) {
            level -= slope * std::log2(f / 1000.0);
        }
        level += 0.3 * std::sin(6.0 * std::numbers::pi * std::log2(f) + ripplePhase);
        m.m_adFreq.push_back(f);
        m.m_adLevel.push_back(level);
    }
    return m;
}

// The measurement as a measurement program's text export: a header of comments, then
// "frequency level phase" lines.
inline std::string MeasurementText(const SMeasurement& m) {
    std::string text = "* Measurement data measured by a synthetic room\n"
                       "* Freq(Hz) SPL(dB) Phase(degrees)\n";
    char line[80];
    for (std::size_t i = 0; i < m.m_adFreq.size(); ++i) {
        std::snprintf(line, sizeof line, "%.6f %.3f 0.0\n", m.m_adFreq[i], m.m_adLevel[i]);
        text += line;
    }
    return text;
}

} // namespace zolt::test
