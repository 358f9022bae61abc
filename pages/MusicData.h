// The data side of the Music page: its control ids, the fields each control edits, the
// view state that survives page switches, and the reads and writes of the working image.
// Nothing here touches a widget. UI thread; every write takes the image lock itself.
#pragma once

#include "controls/Edit_Static.h"
#include "model/Layout.h"
#include "pages/EqStripBank.h"

#include <cstddef>
#include <cstdint>

namespace zolt {

// Control ids of template 135.
namespace musicid {
constexpr int kTypeCaption = 1390;
constexpr int kGainCaption = 1391;
constexpr int kFreqCaption = 1392;
constexpr int kQCaption = 1393;
constexpr int kBandScroll = 1029;
constexpr int kSync = 1064;
constexpr int kLeft = 1065;
constexpr int kRight = 1066;
constexpr int kEqReset = 1067;
constexpr int kEqBypass = 1068;
constexpr int kDisplay = 1292;
constexpr int kKeyCaption = 1385;
constexpr int kKeyLabel = 1386;
constexpr int kKeySlider = 1387;
constexpr int kMainHpfCaption = 1070;
constexpr int kMainHpfSlope = 1055;
constexpr int kMainHpfField = 1022;
constexpr int kMainHpfSlider = 1069;
constexpr int kHpfCaption = 1074;
constexpr int kHpfSlope = 1053;
constexpr int kHpfField = 1023;
constexpr int kHpfSlider = 1076;
constexpr int kLpfCaption = 1077;
constexpr int kLpfSlope = 1054;
constexpr int kLpfField = 1024;
constexpr int kLpfSlider = 1079;
constexpr int kGateTitle = 1044;
constexpr int kGateThresholdCaption = 1045;
constexpr int kGateThresholdLabel = 1046;
constexpr int kGateThresholdSlider = 1047;
constexpr int kGateAttackCaption = 1048;
constexpr int kGateAttackLabel = 1049;
constexpr int kGateAttackSlider = 1050;
constexpr int kGateReleaseCaption = 1051;
constexpr int kGateReleaseLabel = 1052;
constexpr int kGateReleaseSlider = 1080;
constexpr int kLimitTitle = 1032;
constexpr int kLimitLevelCaption = 1033;
constexpr int kLimitLevelLabel = 1037;
constexpr int kLimitLevelSlider = 1038;
constexpr int kLimitAttackCaption = 1034;
constexpr int kLimitAttackLabel = 1039;
constexpr int kLimitAttackSlider = 1081;
constexpr int kLimitReleaseCaption = 1035;
constexpr int kLimitReleaseLabel = 1040;
constexpr int kLimitReleaseSlider = 1041;
constexpr int kLimitRatioCaption = 1036;
constexpr int kLimitRatioLabel = 1043;
constexpr int kLimitRatioSlider = 1042;
constexpr int kLowExciterTitle = 1082;
constexpr int kLowFreqCaption = 1056;
constexpr int kLowFreqField = 1293;
constexpr int kLowFreqSlider = 1084;
constexpr int kLowHarmonicCaption = 1058;
constexpr int kLowHarmonic = 1025;
constexpr int kLowTimbreCaption = 1059;
constexpr int kLowTimbre = 1030;
constexpr int kHighExciterTitle = 1083;
constexpr int kHighFreqCaption = 1062;
constexpr int kHighFreqField = 1294;
constexpr int kHighFreqSlider = 1085;
constexpr int kHighHarmonicCaption = 1061;
constexpr int kHighHarmonic = 1026;
constexpr int kHighTimbreCaption = 1060;
constexpr int kHighTimbre = 1031;
} // namespace musicid

constexpr int kMusicVisibleBands = 10;
constexpr int kKeyShiftMax = 14; // shown -7 .. +7

// Items of the shown curve set that are the crossovers (after the 15 bands).
constexpr int kHighPassItem = music::kBandCount;
constexpr int kLowPassItem = music::kBandCount + 1;

// The page's view state; process-wide, kept while the program runs.
struct SMusicView {
    int m_nChannel = 0;    // 0 Music Left, 1 Music Right; also the EQ block number shown
    SStripView m_strips{}; // first and last visible band
};
SMusicView& MusicView();
// Back to the start-up state (Music Left, bands 1..10 visible). Tests use it.
void ResetMusicView();

// The Music link flag (image byte 881): nonzero means Music Right follows Music Left.
bool MusicLinked();

// The channel the page may show: Music Left while linked, else the chosen one. A link that
// arrives with a read-back or a file while Music Right is shown thus moves the page to
// Music Left, so the strips, the display and the other controls all edit the same block.
// Returns true when the channel changed.
bool FollowMusicLink(SMusicView& view);

// Start of the music block the page edits (553 or 717): Music Left while linked.
std::size_t EditedMusicBlock(const SMusicView& view);
// The limiter and the noise gate are edited in Music Left whichever channel is shown.
constexpr std::size_t kMusicLimiterBlock = image::kMusicLeft;

// A slider with a value label: one byte of the limiter block, 0..nMax, shown by the label
// in its display mode (Edit_Static) with an integer offset and a unit.
struct SLabelledSlider {
    int m_nSlider;
    int m_nLabel;
    std::size_t m_nOffset; // in the limiter block
    int m_nMax;
    int m_nLabelMode;
    int m_nLabelOffset;
    const char* m_pszUnit;
};
constexpr SLabelledSlider kLabelledSliders[] = {
    {musicid::kGateThresholdSlider, musicid::kGateThresholdLabel, music::kGate + gate::kThreshold,
     60, kLabelOffAtMin, 78, "dBV"},
    {musicid::kGateAttackSlider, musicid::kGateAttackLabel, music::kGate + gate::kAttack, 19,
     kLabelAttack, 0, "ms"},
    {musicid::kGateReleaseSlider, musicid::kGateReleaseLabel, music::kGate + gate::kRelease, 7,
     kLabelRelease, 0, ""},
    {musicid::kLimitLevelSlider, musicid::kLimitLevelLabel, music::kLimiter + limiter::kLevel, 34,
     kLabelInteger, 22, "dBV"},
    {musicid::kLimitAttackSlider, musicid::kLimitAttackLabel, music::kLimiter + limiter::kAttack,
     19, kLabelAttack, 0, "ms"},
    {musicid::kLimitReleaseSlider, musicid::kLimitReleaseLabel, music::kLimiter + limiter::kRelease,
     7, kLabelRelease, 0, ""},
    {musicid::kLimitRatioSlider, musicid::kLimitRatioLabel, music::kLimiter + limiter::kRatio, 40,
     kLabelRatio, 0, ""},
};
// The key label: position - 7, no unit.
constexpr int kKeyLabelOffset = 7;

// A frequency slider with its numeric field: a u16 frequency index 0..361 of the edited block.
struct SFreqPair {
    int m_nSlider;
    int m_nField;
    std::size_t m_nOffset; // in the edited block
};
constexpr SFreqPair kFreqPairs[] = {
    {musicid::kMainHpfSlider, musicid::kMainHpfField, music::kMainHighPass + xover::kFreq},
    {musicid::kLowFreqSlider, musicid::kLowFreqField, music::kLowExciter + exciter::kFreq},
    {musicid::kHighFreqSlider, musicid::kHighFreqField, music::kHighExciter + exciter::kFreq},
};

// The crossovers of the edited block, edited through their curve objects.
struct SCrossoverControls {
    int m_nSlider;
    int m_nField;
    int m_nSlope;
    int m_nItem; // in the curve set
};
constexpr SCrossoverControls kCrossovers[] = {
    {musicid::kHpfSlider, musicid::kHpfField, musicid::kHpfSlope, kHighPassItem},
    {musicid::kLpfSlider, musicid::kLpfField, musicid::kLpfSlope, kLowPassItem},
};

// A combo box whose selection is one byte of the edited block.
struct SByteCombo {
    int m_nCombo;
    std::size_t m_nOffset; // in the edited block
};
constexpr SByteCombo kByteCombos[] = {
    {musicid::kMainHpfSlope, music::kMainHighPass + xover::kSlope},
    {musicid::kLowHarmonic, music::kLowExciter + exciter::kHarmonic},
    {musicid::kLowTimbre, music::kLowExciter + exciter::kTimbre},
    {musicid::kHighHarmonic, music::kHighExciter + exciter::kHarmonic},
    {musicid::kHighTimbre, music::kHighExciter + exciter::kTimbre},
};

// Reads of the working image, under the image lock.
std::uint8_t MusicByte(std::size_t nOffset);
int MusicU16(std::size_t nOffset);
// Writes of the working image, under the image lock.
void WriteMusicByte(std::size_t nOffset, std::uint8_t bValue);
void WriteMusicU16(std::size_t nOffset, int nValue);

// System byte 9 with its high nibble replaced by the key position 0..14 (clamped); the low
// nibble belongs to the System page and is kept.
std::uint8_t KeyShiftByte(int nPosition, std::uint8_t bByte9);
// The key position held in system byte 9 (its high nibble, 0..15).
int KeyShift();
// Writes the key position into system byte 9.
void WriteKeyShift(int nPosition);

// "SYNC": flips the Music link flag; when the channels come apart (1 to 0) Music Right
// starts from Music Left's values (the Music link copy, image and shadow alike, so the
// copy itself sends nothing). All under one hold of the image lock. Returns the new state.
bool ToggleMusicLink();

// "EQ Bypass": flips the bypass flag of the music block at nBlock. Returns the new state.
bool ToggleMusicBypass(std::size_t nBlock);

} // namespace zolt
