// The Microphone page (template 145): the shown microphone pair's 20-band equaliser in ten
// scrolling band strips over the curve display, the high-pass and low-pass crossovers, the
// microphone level, the feedback suppression, the noise gate, the limiter and the low and
// high exciters; buttons choose Mic 1&2 or Mic 3&4, link them ("SYNC"), reset and bypass
// the equaliser. Every control writes its field of the shown pair's block in place (the
// limiter and the noise gate included); the link's synchronisation sends what changed. A
// reload never writes. UI thread only.
#pragma once

#include "model/Layout.h"
#include "pages/PairedEqPage.h"

namespace zolt {

// Control ids of template 145.
namespace micid {
constexpr int kTypeCaption = 1394;
constexpr int kGainCaption = 1395;
constexpr int kFreqCaption = 1396;
constexpr int kQCaption = 1397;
constexpr int kBandScroll = 3000;
constexpr int kSync = 1064;
constexpr int kPair12 = 1065;
constexpr int kPair34 = 1066;
constexpr int kEqReset = 1067;
constexpr int kEqBypass = 1068;
constexpr int kDisplay = 1295;
constexpr int kHpfCaption = 3041;
constexpr int kHpfSlope = 3025;
constexpr int kHpfField = 3031;
constexpr int kHpfSlider = 3001;
constexpr int kLpfCaption = 3043;
constexpr int kLpfSlope = 3024;
constexpr int kLpfField = 3030;
constexpr int kLpfSlider = 3002;
constexpr int kLevelCaption = 3044;
constexpr int kLevelLabel = 3045;
constexpr int kLevelSlider = 3003;
constexpr int kFeedbackCaption = 3046;
constexpr int kFeedback = 1053;
constexpr int kGateTitle = 3047;
constexpr int kGateThresholdCaption = 3048;
constexpr int kGateThresholdLabel = 3049;
constexpr int kGateThresholdSlider = 3004;
constexpr int kGateAttackCaption = 3050;
constexpr int kGateAttackLabel = 3051;
constexpr int kGateAttackSlider = 3005;
constexpr int kGateReleaseCaption = 3052;
constexpr int kGateReleaseLabel = 3053;
constexpr int kGateReleaseSlider = 3006;
constexpr int kLimitTitle = 3054;
constexpr int kLimitLevelCaption = 3055;
constexpr int kLimitLevelLabel = 3056;
constexpr int kLimitLevelSlider = 3007;
constexpr int kLimitAttackCaption = 3057;
constexpr int kLimitAttackLabel = 3058;
constexpr int kLimitAttackSlider = 3008;
constexpr int kLimitReleaseCaption = 3059;
constexpr int kLimitReleaseLabel = 3060;
constexpr int kLimitReleaseSlider = 3009;
constexpr int kLimitRatioCaption = 3061;
constexpr int kLimitRatioLabel = 3062;
constexpr int kLimitRatioSlider = 3010;
constexpr int kLowExciterTitle = 3063;
constexpr int kLowFreqCaption = 3064;
constexpr int kLowFreqField = 1022;
constexpr int kLowFreqSlider = 3012;
constexpr int kLowHarmonicCaption = 3066;
constexpr int kLowHarmonic = 3023;
constexpr int kLowTimbreCaption = 3067;
constexpr int kLowTimbre = 3020;
constexpr int kHighExciterTitle = 3068;
constexpr int kHighFreqCaption = 3069;
constexpr int kHighFreqField = 1023;
constexpr int kHighFreqSlider = 3011;
constexpr int kHighHarmonicCaption = 3071;
constexpr int kHighHarmonic = 3022;
constexpr int kHighTimbreCaption = 3072;
constexpr int kHighTimbre = 3021;
} // namespace micid

// The pairs by their EQ block numbers, and the crossover items of their curve sets (after
// the 20 bands).
constexpr int kMicPair12 = 2;
constexpr int kMicPair34 = 3;
constexpr int kMicHighPassItem = mic::kBandCount;
constexpr int kMicLowPassItem = mic::kBandCount + 1;

// The page's view state; process-wide, kept while the program runs.
struct SMicView {
    int m_nPair = kMicPair12; // the shown pair, also its EQ block number
    SStripView m_strips{};    // first and last visible band
};
inline SMicView& MicView() {
    return PageView<SMicView>();
}
// Back to the start-up state (Mic 1&2, bands 1..10 visible). Tests use it.
inline void ResetMicView() {
    ResetPageView<SMicView>();
}

class CMic_Dlg : public CPairedEqPage {
    Q_OBJECT
public:
    explicit CMic_Dlg(QWidget* pParent);
};

} // namespace zolt
