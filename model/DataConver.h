// The value tables shared with the processor: frequency, Q and gain encodings, the
// response grid, label tables and caption tables, and the text rules built on them.
// All are constant data; every lookup clamps an input outside its table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zolt {

constexpr int kFreqCount = 362;
constexpr int kQCount = 101;
constexpr int kGridCount = 420;
constexpr int kGridFirstTableIndex = 35; // grid points 35..396 are frequency indices 0..361
constexpr int kGainRawZero = 120;        // raw gain byte of 0 dB
constexpr int kGainRawMax = 240;
// The one gain formula: dB = raw * kGainStepDb - kGainFloorDb.
constexpr double kGainStepDb = 0.2;
constexpr double kGainFloorDb = 24.0;

extern const std::array<double, kFreqCount> kFrequencyTable; // Hz, 1/36-octave steps
extern const std::array<double, kQCount> kQTable;
extern const std::array<double, kGridCount> kResponseGrid; // Hz

// Hz of frequency index i (0..361; clamped).
double FreqOfIndex(int index);
// Nearest frequency index 0..361 of f Hz: halfway takes the higher index.
int IndexOfFreq(double hz);
// Clamps a typed frequency to 19.7..20600 Hz.
double ClampFreq(double hz);

// Q of Q index 0..100 (clamped); nearest Q index of a Q value.
double QOfIndex(int index);
int IndexOfQ(double q);
// Clamps a typed Q to 0.4..128.
double ClampQ(double q);

// Gain byte 0..240 (clamped) in dB.
double GainDbOfRaw(int raw);
// Raw gain byte of g dB (g clamped to -24..+24), rounding to the nearest gain step.
std::uint8_t RawOfGainDb(double db);

enum class ELabelTable { Ratio, Attack, Release };
// String of position p in a label table (clamped to the table).
const char* LabelText(ELabelTable table, int position);
int LabelCount(ELabelTable table);

// How a value reads as text, the one formatter of a value label beside a slider (its
// position) and of a field read from an image or a block (its raw value). The display
// modes are the value label's mode numbers.
constexpr int kLabelInteger = 20;  // v * multiplier - offset, "%d", unit
constexpr int kLabelOffAtMin = 47; // "OFF" (without unit) at the minimum, else as kLabelInteger
constexpr int kLabelScaled = 14;   // v * scale - offset, "%.1f", unit
constexpr int kLabelDistance = 48; // v / 10 * 0.34, "%.3fm", unit
constexpr int kLabelAttack = 5;    // attack label table entry, unit
constexpr int kLabelRelease = 6;   // release label table entry, unit
constexpr int kLabelRatio = 12;    // ratio label table entry, unit

// The display mode, the integer modes' multiplier and offset, the scaled mode's scale and
// offset, and the unit (UTF-8). A literal type: the field kinds keep their formats in
// constexpr tables.
struct SLabelFormat {
    int nMode = kLabelInteger;
    int nMultiplier = 1;
    int nIntOffset = 0;
    double dScale = 0;
    double dOffset = 0;
    const char* pszUnit = "";
};

// A value as a format shows it.
struct SLabelValue {
    std::string m_strText;  // without unit: "-77", "0.5", "OFF", "Atk X32", "3.400m"
    std::string m_strUnit;  // the format's unit; empty where the text stands alone ("OFF")
    bool m_bNumber = false; // the text reads as a number ...
    double m_dNumber = 0;   // ... this one
    int m_nDecimals = 0;    // the decimals the text shows
};
// Value nValue in format; nMin is the least value (kLabelOffAtMin shows "OFF" there). The
// table modes clamp nValue into their table.
SLabelValue LabelValue(const SLabelFormat& format, int nValue, int nMin);
// The same as one text, the unit right after the number: "-77dBV", "OFF", "0.5ms".
std::string LabelText(const SLabelFormat& format, int nValue, int nMin);

// Frequency text by value: "%.0f" from 101 Hz up, else "%.1f".
std::string FreqTextByValue(double hz);
// Frequency text by index: "%.1f" below index 82, else "%.0f".
std::string FreqTextByIndex(int index);
// Q text: "%.3f" for shelving bands, else "%.2f".
std::string QText(double q, bool shelving);
// Distance text of a delay in 0.1 ms: metres at 340 m/s, "%.3fm".
std::string DistanceText(int delay);

// Text of a fixed-width character field (a mode name, a password): at most width bytes,
// cut at the first NUL, spaces trimmed at both ends.
std::string FieldText(const std::uint8_t* field, std::size_t width);

// Length of the valid UTF-8 sequence at the start of text (not empty), and its code point;
// 0 when the bytes there form none (a stray continuation byte, an overlong form, a
// surrogate, a code point above U+10FFFF, a cut sequence).
std::size_t Utf8Sequence(std::string_view text, char32_t& code);

// Bytes that may hold anything (a name from a file or from the processor) as text that is
// safe to print and valid UTF-8: printable characters stay, a backslash becomes "\\",
// and every other byte (control characters, DEL, C1 controls, bytes that form no valid
// UTF-8 sequence) becomes "\xNN".
std::string PrintableText(std::string_view bytes);

// Crossover slope names 0..12, band type short names 0..3, feedback modes 0..4.
extern const std::array<const char*, 13> kSlopeNames;
extern const std::array<const char*, 4> kBandTypeNames;
extern const std::array<const char*, 5> kFeedbackModeNames;

} // namespace zolt
