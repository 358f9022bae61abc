// The Music page's control ids and its view state, which survives page switches.
#pragma once

#include "model/Layout.h"
#include "pages/PairedEqPage.h"

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

// Items of the shown curve set that are the crossovers (after the 15 bands).
constexpr int kHighPassItem = music::kBandCount;
constexpr int kLowPassItem = music::kBandCount + 1;

// The page's view state; process-wide, kept while the program runs.
struct SMusicView {
    int m_nChannel = 0;    // 0 Music Left, 1 Music Right; also the EQ block number shown
    SStripView m_strips{}; // first and last visible band
};
inline SMusicView& MusicView() {
    return PageView<SMusicView>();
}
// Back to the start-up state (Music Left, bands 1..10 visible). Tests use it.
inline void ResetMusicView() {
    ResetPageView<SMusicView>();
}

} // namespace zolt
