// The layout of the 2712-byte mode image: every offset, record layout and the
// numbering by which the device addresses bands, crossovers and EQ blocks.
// The image is a wire and file format, so these numbers are binding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolt {

constexpr std::size_t kImageSize = 2712;
constexpr std::size_t kSystemSize = 66;
constexpr std::size_t kSlotCount = 22; // slot 0 (system copy, passwords) + modes 1..21
constexpr std::size_t kModeCount = 21;
constexpr std::size_t kNameSize = 20;

// EQ band record: 5 bytes.
namespace band {
constexpr std::size_t kSize = 5;
constexpr std::size_t kFreq = 0; // u16 frequency index 0..361
constexpr std::size_t kGain = 2; // dB = raw * 0.2 - 24
constexpr std::size_t kQ = 3;    // Q index 0..100
constexpr std::size_t kType = 4; // 0 bypass, 1 peaking, 2 low shelf, 3 high shelf
} // namespace band

// Crossover record: 4 bytes; high-pass and low-pass come as a pair, high-pass first.
namespace xover {
constexpr std::size_t kSize = 4;
constexpr std::size_t kKind = 0;  // 0 high-pass, 1 low-pass
constexpr std::size_t kFreq = 1;  // u16 frequency index
constexpr std::size_t kSlope = 3; // 0..12
} // namespace xover

// Dynamic-EQ band record: 10 bytes, synced as one unit.
namespace deq {
constexpr std::size_t kSize = 10;
constexpr std::size_t kThreshold = 5;
constexpr std::size_t kAttack = 6;
constexpr std::size_t kRelease = 7;
constexpr std::size_t kRatio = 8;
constexpr std::size_t kExtra = 9; // carried unchanged
} // namespace deq

// Limiter record: level, attack, release, ratio.
namespace limiter {
constexpr std::size_t kSize = 4;
constexpr std::size_t kLevel = 0;
constexpr std::size_t kAttack = 1;
constexpr std::size_t kRelease = 2;
constexpr std::size_t kRatio = 3;
} // namespace limiter

// Exciter record: u16 frequency index, harmonic 0..9, timbre 0..9.
namespace exciter {
constexpr std::size_t kSize = 4;
constexpr std::size_t kFreq = 0;
constexpr std::size_t kHarmonic = 2;
constexpr std::size_t kTimbre = 3;
} // namespace exciter

// Noise-gate record: threshold (0 = off), attack, release.
namespace gate {
constexpr std::size_t kSize = 3;
constexpr std::size_t kThreshold = 0;
constexpr std::size_t kAttack = 1;
constexpr std::size_t kRelease = 2;
} // namespace gate

// Top-level map.
namespace image {
constexpr std::size_t kName = 0;
constexpr std::size_t kEchoA = 20;
constexpr std::size_t kEchoB = 77;
constexpr std::size_t kReverb = 134;
constexpr std::size_t kReverbMirror = 186;
constexpr std::size_t kMic12 = 238;
constexpr std::size_t kMic34 = 395;
constexpr std::size_t kMicLink = 552;
constexpr std::size_t kMusicLeft = 553;
constexpr std::size_t kMusicRight = 717;
constexpr std::size_t kMusicLink = 881;
constexpr std::size_t kOutputSet1 = 882;
constexpr std::size_t kOutputSet2 = 1490;
constexpr std::size_t kOutputSet3 = 2098;
constexpr std::size_t kOutputMode = 2706;
constexpr std::size_t kLinkOut34 = 2707;
constexpr std::size_t kLinkReserved = 2708;
constexpr std::size_t kLinkOut12 = 2709;
constexpr std::size_t kLinkSurround = 2710;
constexpr std::size_t kLoadSum = 2711;
} // namespace image

// Echo unit block (57 bytes) and reverb block (52 bytes) share their first 52 bytes.
namespace effect {
constexpr std::size_t kEchoSize = 57;
constexpr std::size_t kReverbSize = 52;
constexpr std::size_t kBands = 0; // 7 EQ bands
constexpr std::size_t kBandCount = 7;
constexpr std::size_t kBypass = 35;
constexpr std::size_t kWet = 36;
constexpr std::size_t kWetPolarity = 37;
constexpr std::size_t kDry = 38;
constexpr std::size_t kDryPolarity = 39;
constexpr std::size_t kHighPass = 40;
constexpr std::size_t kLowPass = 44;
constexpr std::size_t kPreDelay = 48;      // u16, 0.1 ms
constexpr std::size_t kRightPreDelay = 50; // echo: u16; reverb: "Reverb Time"
constexpr std::size_t kReverbTime = 50;
constexpr std::size_t kDelay = 52;      // echo only, u16, 0.1 ms
constexpr std::size_t kRightDelay = 54; // echo only, u16
constexpr std::size_t kRepeat = 56;     // echo only, 0..90 %
} // namespace effect

// Mic block (157 bytes).
namespace mic {
constexpr std::size_t kSize = 157;
constexpr std::size_t kLevel = 0;
constexpr std::size_t kFeedback = 1;
constexpr std::size_t kLimiter = 2;
constexpr std::size_t kGate = 6;
constexpr std::size_t kHighPass = 9;
constexpr std::size_t kLowPass = 13;
constexpr std::size_t kBands = 17; // 20 EQ bands
constexpr std::size_t kBandCount = 20;
constexpr std::size_t kBypass = 117;
constexpr std::size_t kAuxBands = 118; // 5 bands
constexpr std::size_t kAuxBandCount = 5;
constexpr std::size_t kAuxBypass = 143;
constexpr std::size_t kLowExciter = 144;
constexpr std::size_t kHighExciter = 148;
constexpr std::size_t kReserved = 152;
constexpr std::size_t kBlockByte = 156;
} // namespace mic

// Music block (164 bytes).
namespace music {
constexpr std::size_t kSize = 164;
constexpr std::size_t kLimiter = 0;
constexpr std::size_t kGate = 4;
constexpr std::size_t kHighPass = 7;
constexpr std::size_t kLowPass = 11;
constexpr std::size_t kBands = 15; // 15 EQ bands
constexpr std::size_t kBandCount = 15;
constexpr std::size_t kBypass = 90;
constexpr std::size_t kAuxBands = 91;
constexpr std::size_t kAuxBandCount = 5;
constexpr std::size_t kAuxBypass = 116;
constexpr std::size_t kMainHighPass = 117; // a single crossover record
constexpr std::size_t kDynamicBands = 121; // 3 dynamic-EQ band records
constexpr std::size_t kDynamicBandCount = 3;
constexpr std::size_t kLowExciter = 151;
constexpr std::size_t kHighExciter = 155;
constexpr std::size_t kReserved = 159;
} // namespace music

// Output record (76 bytes); record k of a set at set start + 76 k.
namespace output {
constexpr std::size_t kSize = 76;
constexpr std::size_t kSetSize = 608;
constexpr std::size_t kRecordCount = 8;
constexpr std::size_t kMute = 0;
constexpr std::size_t kMix = 1; // source j: level at +1+2j, polarity at +2+2j
constexpr std::size_t kMixSources = 5;
constexpr std::size_t kBands = 11; // 10 EQ bands
constexpr std::size_t kBandCount = 10;
constexpr std::size_t kBypass = 61;
constexpr std::size_t kLimiter = 62;
constexpr std::size_t kHighPass = 66;
constexpr std::size_t kLowPass = 70;
constexpr std::size_t kDelay = 74; // u16, 0..1500 in 0.1 ms
} // namespace output

// The 66-byte system block.
namespace sysblock {
constexpr std::size_t kMode = 0;         // current mode 1..21 (0 is read as 1)
constexpr std::size_t kEffectVolume = 1; // bits 0..6 level, bit 7 mute
constexpr std::size_t kMicVolume = 2;
constexpr std::size_t kMusicVolume = 3;
constexpr std::size_t kEffectMax = 4;  // 0..70
constexpr std::size_t kMicMax = 5;     // 0..84
constexpr std::size_t kMusicMax = 6;   // 0..84
constexpr std::size_t kPhantom = 7;    // 0 OFF, 1 ON
constexpr std::size_t kInput = 8;      // 0 Auto, 1 AUDIO, 2 AUX
constexpr std::size_t kSensPitch = 9;  // bits 0..3 sensitivity (0 L, 1 H), bits 4..7 pitch 0..14
constexpr std::size_t kAudioGain = 10; // 0..40: position * 0.5 - 10 dB
constexpr std::size_t kAuxGain = 11;
constexpr std::size_t kCoaxGain = 12;
constexpr std::size_t kOptiGain = 13;
constexpr std::size_t kIrControl = 14;  // 0 Disable, 1 Enable
constexpr std::size_t kPanelCode = 15;  // 4 characters
constexpr std::size_t kSystemCode = 19; // 6 characters
} // namespace sysblock

// Slot 0 of the preset store: password records and the stored system-block copy.
namespace slot0 {
constexpr std::size_t kFourCodeRecord = 2622; // 2622..2629
constexpr std::size_t kNewFourCode = 2626;    // 2626..2629
constexpr std::size_t kSixCodeRecord = 2630;  // 2630..2641
constexpr std::size_t kNewSixCode = 2636;     // 2636..2641
constexpr std::size_t kSystemCopy = 2646;     // 2646..2711
} // namespace slot0

constexpr std::size_t kBandNumberCount = 191;
constexpr std::size_t kCrossoverNumberCount = 17;
constexpr std::size_t kEqBlockCount = 18;

// Start of output set n (1..3).
constexpr std::size_t OutputSetOffset(int set) {
    return image::kOutputSet1 + output::kSetSize * static_cast<std::size_t>(set - 1);
}

// The live output set 1..3 chosen by an output-mode byte: 1..3 name it, anything else is set 1.
constexpr int LiveOutputSet(std::uint8_t outputMode) {
    return (outputMode >= 1 && outputMode <= 3) ? outputMode : 1;
}

// Offset of the EQ band record for band number 0..190 (outputs against liveSet 1..3).
// Returns kImageSize for a number out of range.
std::size_t BandOffset(int bandNumber, int liveSet);

// Offset of the high-pass record of crossover number 0..16; the low-pass record
// follows at +4 except for numbers 15 and 16 ("MainMusic HPF", a single record).
// Returns kImageSize for a number out of range.
std::size_t CrossoverOffset(int crossoverNumber, int liveSet);
constexpr bool CrossoverHasLowPass(int crossoverNumber) {
    return crossoverNumber >= 0 && crossoverNumber < 15;
}
// Crossover numbers 7..14 are the crossover pairs of output records 0..7 of the live set.
constexpr bool IsOutputCrossover(int crossoverNumber) {
    return crossoverNumber >= 7 && crossoverNumber < 15;
}

// An equalised block: where its first band record lies, how many bands, their stride.
struct SEqBlock {
    std::size_t m_nFirst; // offset of band 1
    int m_nBands;
    std::size_t m_nStride; // 5 for EQ bands, 10 for dynamic-EQ bands
};

// EQ block 0..17; blocks 8..15 are output records 0..7 of liveSet 1..3.
// A number out of range gives a block with no bands.
SEqBlock EqBlock(int blockNumber, int liveSet);
constexpr bool IsOutputEqBlock(int blockNumber) {
    return blockNumber >= 8 && blockNumber < 16;
}

// Unaligned little-endian 16-bit access.
inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline void SetU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

} // namespace zolt
