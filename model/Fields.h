// Every field of the mode image and of the system block, named the way a person names it
// ("Mic 1&2 EQ band 3 gain", "Echo A repeat", "Out 3 delay (set 2)", "Music max volume"),
// with its unit and the decoding of its raw number into the physical value. Every bit of
// both areas belongs to exactly one field: most fields are whole bytes or u16 words, a
// byte that holds two settings (a volume and its mute bit, the input sensitivity and the
// music pitch) gives one field per group of bits, and bytes of no settled use are named
// by their offset ("reserved byte 390"). The names are the one source for the file dump,
// the preset comparison and the window's descriptions of edits.
//
// The table is built once, on first use, from constant layout tables; afterwards it is
// read-only and any thread may read it.
#pragma once

#include "model/DataConver.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zolt {

enum class EArea : std::uint8_t { Image, System };

// What a field holds: how its raw number reads, and how a page's controls edit it. Fields
// of one kind share one range, one scale and one label format, so a setting that a page
// edits differently (another range, another label) is a kind of its own.
enum class EFieldKind : std::uint8_t {
    Number,             // a plain count or level, no unit
    Reserved,           // a byte of no settled use, shown as its number
    Text,               // fixed-width characters (a mode name, a password)
    Frequency,          // u16 frequency index 0..361 -> Hz (crossovers, exciters)
    BandFrequency,      // the same in an EQ band record
    Gain,               // EQ gain byte -> raw * 0.2 - 24 dB; edited -24 .. +12 dB
    DynamicGain,        // the same in a dynamic-EQ band; edited -12 .. +12 dB
    Q,                  // Q index 0..100 -> Q
    BandType,           // 0..3: BY, P, LS, HS
    FilterKind,         // 0 high-pass, 1 low-pass
    Slope,              // 0..12: the crossover slope names
    OnOff,              // 0 OFF, 1 ON
    Polarity,           // 0 normal, 1 inverted
    Percent,            // an effect's wet or dry level, 0..100 %
    MixLevel,           // an output's mix level, 0..200 %
    Repeat,             // an echo's repeat, 0..90 %
    PreDelayShare,      // u16: an echo's right pre-delay, 0..50 %
    CentredPercent,     // u16 0..100 -> raw - 50 %
    Tenths,             // u16 in 0.1 ms -> ms: an output's delay, 0 .. 150 ms
    EchoPreDelay,       // the same, edited in 1 ms steps to 150 ms
    EchoDelay,          // the same, edited in 2 ms steps to 500 ms
    ReverbPreDelay,     // the same, edited in 2 ms steps to 200 ms
    ReverbTime,         // the same, edited in 50 ms steps to 5000 ms
    HalfDb,             // 0..40 -> raw * 0.5 - 10 dB (mic level)
    InputGain,          // the same for an input gain, labelled without unit
    LimiterLevel,       // 0..34 -> raw - 22 dBV
    OutputLimiterLevel, // the same, labelled "dB" on the output page
    GateThreshold,      // 0 OFF, 1..60 -> raw - 78 dBV
    DynamicThreshold,   // 0..60 -> raw - 48 dBV
    Attack,             // 0..19: attack labels, ms
    Release,            // 0..7: release labels
    Ratio,              // 0..40: ratio labels
    Feedback,           // 0..4: OFF, FB.EX1 .. FB.EX4
    OutputMode,         // 0..3: Auto, Sing, Disco, Decode
    Input,              // 0..2: Auto, AUDIO, AUX
    Sensitivity,        // 0 L, 1 H
    Pitch,              // 0..14 -> raw - 7
    IrControl,          // 0 Disable, 1 Enable
    ExciterLevel,       // an exciter's harmonic or timbre, 0..9
    Volume,             // a music or mic volume or its maximum, 0..84
    EffectVolume,       // the effect volume or its maximum, 0..70
};

// How ReadField turns a raw number into text.
enum class EDecode : std::uint8_t {
    Format,    // through the kind's read format
    Labels,    // the kind's value names
    Frequency, // the frequency table
    Q,         // the Q table
    Text,      // characters
};

// A kind's description. A control shows a position p (m_nMin .. m_nMax) of the raw
// number p * m_nScale, and its value label shows p in m_label (a second label in m_label2).
struct SFieldKind {
    EFieldKind m_eKind;
    EDecode m_eDecode;
    SLabelFormat m_read;                     // the raw number as read (Format decoding)
    int m_nReadMax;                          // the largest raw number with a meaning; 0: any
    std::span<const char* const> m_aNames{}; // value names: Labels decoding, combo entries
    int m_nMin = 0;
    int m_nMax = 255;
    int m_nScale = 1;
    SLabelFormat m_label{};
    SLabelFormat m_label2{};
    const char* m_pszFieldUnit = ""; // the unit a numeric field shows after the value
};

const SFieldKind& FieldKind(EFieldKind kind);

struct SField {
    EArea m_eArea;
    std::uint16_t m_nOffset; // first byte in its area
    std::uint8_t m_nWidth;   // bytes: 1, 2 (u16, little-endian) or the characters of a text
    std::uint8_t m_nMask;    // the bits of a one-byte field that are its value (0xFF: all)
    EFieldKind m_eKind;
    std::uint16_t m_nGroup;                // index into FieldGroups()
    std::array<std::string, 2> m_astrName; // [0] English, [1] Chinese (UTF-8)

    // language: 0 English, 1 Chinese (the language flag's values).
    const std::string& Name(int language = 0) const { return m_astrName[language != 0 ? 1 : 0]; }
};

// A block of fields that belong together ("Mic 1&2", "Output set 2", "System").
struct SFieldGroup {
    std::array<std::string, 2> m_astrName;
    const std::string& Name(int language = 0) const { return m_astrName[language != 0 ? 1 : 0]; }
};

// The fields of an area, block by block in image order, by offset inside each block (the
// mode-wide block holds the name, the link flags, the output mode and the load sum).
std::span<const SField> Fields(EArea area);
std::span<const SFieldGroup> FieldGroups();

// The field that byte offset (0..2711 of the image, 0..65 of the system block) belongs to;
// for a byte of two fields, the first whose bits meet bits. nullptr outside the area.
const SField* FieldAt(EArea area, std::size_t offset, std::uint8_t bits = 0xFF);

// A field's value as read from a copy of its area.
struct SFieldValue {
    std::uint32_t m_nRaw = 0;    // the bits of the field as a number (u16 for words; 0 for text)
    bool m_bNumber = false;      // the physical value is a number
    double m_dNumber = 0;        // ... this one, in m_strUnit
    int m_nDecimals = 0;         // the decimals m_strText shows
    std::string m_strText;       // as shown, without unit: "1000", "6.0", "P", "Sim mode 3"
    std::string m_strUnit;       // "Hz", "dB", "ms", "%", "dBV" or empty
    std::string Display() const; // text and unit: "1000 Hz", "24dBLink-Riley"
};

// Decodes field from area, a copy of the field's area (image or system block). A number
// outside the kind's range reads as "(raw)", without unit.
SFieldValue ReadField(const SField& field, const std::uint8_t* area);
// The raw number raw of a field of kind, decoded as ReadField decodes it (a text kind
// reads as nothing).
SFieldValue ReadRaw(const SFieldKind& kind, std::uint32_t raw);
// What a control that edits field over the positions of kind says about it in language (0
// English, 1 Chinese): the name and what the control offers, "Mic 1&2 EQ band 3 gain,
// −24…+12 dB", "Out 1 polarity: normal / inverted"; a text or reserved field: the name.
std::string FieldDescription(const SField& field, const SFieldKind& kind, int language);
// The field's bytes in hex: "CC 00".
std::string RawBytesText(const SField& field, const std::uint8_t* area);
// The field's bits differ between two copies of its area.
bool FieldDiffers(const SField& field, const std::uint8_t* a, const std::uint8_t* b);

// A field that differs, and in which mode: 0 the working image (or the system block),
// 1..21 a stored mode.
struct SFieldDifference {
    int m_nMode;
    const SField* m_pField;
};
// Appends the fields of area that differ between copies a and b, in table order.
void CompareArea(EArea area, int mode, const std::uint8_t* a, const std::uint8_t* b,
                 std::vector<SFieldDifference>& out);

} // namespace zolt
