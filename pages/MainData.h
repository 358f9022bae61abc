// The output page's control ids and its view state: which channel each two-channel output
// view shows, kept while the program runs.
#pragma once

#include "model/Layout.h"
#include "pages/PairedEqPage.h"

namespace zolt {

// Control ids of template 149. "First" and "second" name the lower- and higher-numbered
// output record of a two-channel view (records 4 and 5 of Out1&2, 0 and 1 of Out3&4, 6 and
// 7 of Surround); Center and SUB have only a first record.
namespace outputid {
constexpr int kTypeCaption = 1406;
constexpr int kGainCaption = 1407;
constexpr int kFreqCaption = 1408;
constexpr int kQCaption = 1409;
constexpr int kSync = 3700;
constexpr int kFirstChannel = 3701;  // the right-hand channel button
constexpr int kSecondChannel = 3702; // the left-hand channel button
constexpr int kEqReset = 3703;
constexpr int kEqPass = 3704;
constexpr int kFirstMute = 3705;
constexpr int kSecondMute = 3706;
constexpr int kModeAuto = 3707; // output mode names 0..3: 3707..3710
constexpr int kModeSing = 3708;
constexpr int kModeDisco = 3709;
constexpr int kModeDecode = 3710;
constexpr int kAutoNote = 3711; // what the page says while the output mode is Auto
constexpr int kDisplay = 1298;

// The mix: source j (music, mic, echo A, echo B, reverb) has caption 1252 + 3j, value
// label 1253 + 3j, level slider 3720 + j and polarity button 3750 + j.
constexpr int kMusicCaption = 1252;
constexpr int kMusicLabel = 1253;
constexpr int kMicCaption = 1255;
constexpr int kMicLabel = 1256;
constexpr int kEchoACaption = 1258;
constexpr int kEchoALabel = 1259;
constexpr int kEchoBCaption = 1261;
constexpr int kEchoBLabel = 1262;
constexpr int kReverbCaption = 1264;
constexpr int kReverbLabel = 1265;
constexpr int kMusicSlider = 3720;
constexpr int kMicSlider = 3721;
constexpr int kEchoASlider = 3722;
constexpr int kEchoBSlider = 3723;
constexpr int kReverbSlider = 3724;
constexpr int kMusicPolarity = 3750;
constexpr int kMicPolarity = 3751;
constexpr int kEchoAPolarity = 3752;
constexpr int kEchoBPolarity = 3753;
constexpr int kReverbPolarity = 3754;

constexpr int kLimitTitle = 1267;
constexpr int kLimitLevelCaption = 1268;
constexpr int kLimitLevelLabel = 1269;
constexpr int kLimitLevelSlider = 3725;
constexpr int kLimitAttackCaption = 1271;
constexpr int kLimitAttackLabel = 1272;
constexpr int kLimitAttackSlider = 3726;
constexpr int kLimitReleaseCaption = 1274;
constexpr int kLimitReleaseLabel = 1275;
constexpr int kLimitReleaseSlider = 3727;
constexpr int kLimitRatioCaption = 1277;
constexpr int kLimitRatioLabel = 1278;
constexpr int kLimitRatioSlider = 3728;

constexpr int kFirstDelayCaption = 1280;
constexpr int kFirstDelayLabel = 1281; // time
constexpr int kFirstDistanceLabel = 1415;
constexpr int kFirstDelaySlider = 3729;
constexpr int kSecondDelayCaption = 1283;
constexpr int kSecondDelayLabel = 1284;
constexpr int kSecondDistanceLabel = 1416;
constexpr int kSecondDelaySlider = 3730;

constexpr int kHpfCaption = 1286;
constexpr int kHpfSlope = 1025;
constexpr int kHpfField = 1287;
constexpr int kHpfSlider = 3731;
constexpr int kLpfCaption = 1410;
constexpr int kLpfSlope = 1026;
constexpr int kLpfField = 1290;
constexpr int kLpfSlider = 3732;
} // namespace outputid

// EQ block number of output record 0 (blocks 8..15 are records 0..7 of the live set).
constexpr int kFirstOutputBlock = 8;
// Items of an output curve set that are the crossovers (after the ten bands).
constexpr int kOutputHighPassItem = static_cast<int>(output::kBandCount);
constexpr int kOutputLowPassItem = kOutputHighPassItem + 1;

// The channel (EQ block number) each two-channel view shows; process-wide, kept while the
// program runs. Center and SUB always show blocks 10 and 11.
struct SOutputView {
    int m_nOut12 = 13;    // 12 "Out 2" or 13 "Out 1"
    int m_nOut34 = 9;     // 8 "Out 4" or 9 "Out 3"
    int m_nSurround = 14; // 14 "Surround L" or 15 "Surround R"
};
inline SOutputView& OutputView() {
    return PageView<SOutputView>();
}
// Back to the start-up state. Tests use it.
inline void ResetOutputView() {
    ResetPageView<SOutputView>();
}

} // namespace zolt
