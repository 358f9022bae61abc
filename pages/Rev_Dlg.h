// The reverb panel of the effect page (template 148): the reverb block — seven band strips,
// wet and dry levels with their polarity, the high-pass and low-pass crossovers, "EQ pass",
// "EQ Reset" (the bands only), pre-delay and reverb time. Every control writes its field
// of the block in place; the link's synchronisation sends what changed. UI thread only.
#pragma once

#include "pages/EffectPanel.h"

namespace zolt {

// Control ids of template 148.
namespace revid {
constexpr int kTypeCaption = 1402;
constexpr int kGainCaption = 1403;
constexpr int kFreqCaption = 1404;
constexpr int kQCaption = 1405;
constexpr int kEqReset = 1066;
constexpr int kEqPass = 1067;
constexpr int kWetCaption = 3528;
constexpr int kWetLabel = 3529;
constexpr int kWetSlider = 3622;
constexpr int kWetPolarity = 3531;
constexpr int kDryCaption = 1232;
constexpr int kDryLabel = 3533;
constexpr int kDrySlider = 3623;
constexpr int kDryPolarity = 3534;
constexpr int kHpfCaption = 3536;
constexpr int kHpfSlope = 3537;
constexpr int kHpfField = 3538;
constexpr int kHpfSlider = 3620;
constexpr int kLpfCaption = 3540;
constexpr int kLpfSlope = 3541;
constexpr int kLpfField = 3542;
constexpr int kLpfSlider = 3621;
constexpr int kPreDelayCaption = 3544;
constexpr int kPreDelayLabel = 3545;
constexpr int kPreDelaySlider = 3624;
constexpr int kTimeCaption = 3547;
constexpr int kTimeLabel = 3548;
constexpr int kTimeSlider = 3625;
} // namespace revid

class CRev_Dlg : public CEffectPanel {
    Q_OBJECT
public:
    // Draws on the effect page's display pDisplay; always bound to the reverb.
    CRev_Dlg(CFStatic* pDisplay, QWidget* pParent);
};

} // namespace zolt
