// The echo panel of the effect page (template 147): the block of echo A or echo B — seven
// band strips, wet and dry levels with their polarity, the high-pass and low-pass
// crossovers, "EQ pass", "EQ Reset" (the bands only), pre-delay, right pre-delay, delay,
// right delay and repeat. Every control writes its field of the unit's block in place;
// the link's synchronisation sends what changed. UI thread only.
#pragma once

#include "pages/EffectPanel.h"

namespace zolt {

// Control ids of template 147.
namespace echoid {
constexpr int kTypeCaption = 1398;
constexpr int kGainCaption = 1399;
constexpr int kFreqCaption = 1400;
constexpr int kQCaption = 1401;
constexpr int kEqReset = 3550;
constexpr int kEqPass = 3551;
constexpr int kWetCaption = 3500;
constexpr int kWetLabel = 3501;
constexpr int kWetSlider = 3600;
constexpr int kWetPolarity = 1064;
constexpr int kDryCaption = 3503;
constexpr int kDryLabel = 3504;
constexpr int kDrySlider = 3601;
constexpr int kDryPolarity = 1065;
constexpr int kHpfCaption = 3507;
constexpr int kHpfSlope = 1025;
constexpr int kHpfField = 3508;
constexpr int kHpfSlider = 3602;
constexpr int kLpfCaption = 3510;
constexpr int kLpfSlope = 3506;
constexpr int kLpfField = 3511;
constexpr int kLpfSlider = 3603;
constexpr int kPreDelayCaption = 3513;
constexpr int kPreDelayLabel = 3514;
constexpr int kPreDelaySlider = 3604;
constexpr int kDelayCaption = 3522;
constexpr int kDelayLabel = 3523;
constexpr int kDelaySlider = 3607;
constexpr int kRepeatCaption = 3519;
constexpr int kRepeatLabel = 3520;
constexpr int kRepeatSlider = 3606;
constexpr int kRightPreDelayCaption = 3516;
constexpr int kRightPreDelayLabel = 3517;
constexpr int kRightPreDelaySlider = 3605;
constexpr int kRightDelayCaption = 3525;
constexpr int kRightDelayLabel = 3526;
constexpr int kRightDelaySlider = 3608;
} // namespace echoid

class CEcho_Dlg : public CEffectPanel {
    Q_OBJECT
public:
    // Draws on the effect page's display pDisplay; bound to the current unit when that is
    // an echo unit, else to echo A.
    CEcho_Dlg(CFStatic* pDisplay, QWidget* pParent);

    // Binds the strips to echo A (4) or echo B (5), forgetting the highlighted strip; the
    // next Refresh loads every control from that unit's block. Other units: nothing.
    void SwitchUnit(int nUnit);
};

} // namespace zolt
