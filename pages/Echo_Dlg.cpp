#include "pages/Echo_Dlg.h"

#include "pages/EqStripBank.h"

namespace zolt {

namespace {

using namespace echoid;
using namespace ctlkind;

// Template 147; positions and sizes in dialog units. Sliders take their channel picture's
// height, combo boxes the closed-box height, polarity buttons their picture's size. The
// value labels of the time column stand at 589, ending where their sliders end, rather
// than at 578: there "Echo Right PreDelay" (74 units) would run under its value.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 3, 117, 36, 9},
    {kQCaption, kCaption, 3, 130, 36, 9},
    {kEqReset, kButton, 34, 148, 56, 14},
    {kEqPass, kButton, 113, 148, 56, 14, false, "EQ pass"},

    {kWetCaption, kCaption, 372, 8, 64, 9},
    {kWetLabel, kLabel, 437, 10, 30, 9},
    {kWetSlider, kSlider, 372, 22, 110, 10},
    {kWetPolarity, kButton, 484, 22, 13, 11},
    {kDryCaption, kCaption, 373, 36, 64, 9},
    {kDryLabel, kLabel, 438, 38, 30, 9},
    {kDrySlider, kSlider, 373, 50, 110, 10},
    {kDryPolarity, kButton, 484, 50, 13, 11},
    {kHpfCaption, kCaption, 372, 66, 64, 9},
    {kHpfSlope, kCombo, 372, 78, 62, 12},
    {kHpfField, kField, 437, 78, 45, 11},
    {kHpfSlider, kSlider, 372, 92, 110, 10},
    {kLpfCaption, kCaption, 372, 107, 64, 9},
    {kLpfSlope, kCombo, 372, 120, 62, 12},
    {kLpfField, kField, 437, 120, 45, 11},
    {kLpfSlider, kSlider, 372, 135, 110, 10},

    {kPreDelayCaption, kCaption, 513, 8, 75, 9},
    {kPreDelayLabel, kLabel, 589, 8, 34, 9},
    {kPreDelaySlider, kSlider, 513, 22, 110, 10},
    {kDelayCaption, kCaption, 513, 36, 75, 9},
    {kDelayLabel, kLabel, 589, 36, 34, 9},
    {kDelaySlider, kSlider, 513, 50, 110, 10},
    {kRepeatCaption, kCaption, 513, 65, 75, 9},
    {kRepeatLabel, kLabel, 589, 65, 34, 9},
    {kRepeatSlider, kSlider, 513, 78, 110, 10},
    {kRightPreDelayCaption, kCaption, 513, 92, 75, 9},
    {kRightPreDelayLabel, kLabel, 589, 92, 34, 9},
    {kRightPreDelaySlider, kSlider, 513, 106, 110, 10},
    {kRightDelayCaption, kCaption, 513, 121, 75, 9},
    {kRightDelayLabel, kLabel, 589, 121, 34, 9},
    {kRightDelaySlider, kSlider, 513, 135, 110, 10},
};

constexpr SEffectPanelIds kIds{
    .m_nTypeCaption = kTypeCaption,
    .m_nGainCaption = kGainCaption,
    .m_nFreqCaption = kFreqCaption,
    .m_nQCaption = kQCaption,
    .m_nEqReset = kEqReset,
    .m_nEqPass = kEqPass,
    .m_nWetSlider = kWetSlider,
    .m_nWetLabel = kWetLabel,
    .m_nWetPolarity = kWetPolarity,
    .m_nDrySlider = kDrySlider,
    .m_nDryLabel = kDryLabel,
    .m_nDryPolarity = kDryPolarity,
    .m_nHighPassSlope = kHpfSlope,
    .m_nHighPassField = kHpfField,
    .m_nHighPassSlider = kHpfSlider,
    .m_nLowPassSlope = kLpfSlope,
    .m_nLowPassField = kLpfField,
    .m_nLowPassSlider = kLpfSlider,
};

constexpr auto kCaptions = Join(EffectUnitCaptions(kIds),
                                std::array<SCaption, 9>{{
                                    {kWetCaption, "回声音量", "Echo Wet Volume"},
                                    {kDryCaption, "回声直达声", "Echo Dry Volume"},
                                    {kHpfCaption, "回声高通", "Echo HPF"},
                                    {kLpfCaption, "回声低通", "Echo LPF"},
                                    {kPreDelayCaption, "回声预延时", "Echo PreDelay"},
                                    {kDelayCaption, "回声延时", "Echo Delay"},
                                    {kRepeatCaption, "回声重复比例", "Echo Repeat"},
                                    {kRightPreDelayCaption, "右通道预延时", "Echo Right PreDelay"},
                                    {kRightDelayCaption, "右通道延时", "Echo Right Delay"},
                                }});

// The times after the shared part: pre-delay and delay in 0.1 ms (edited in steps of 1 ms
// and 2 ms, loaded truncating), the right channel's shares, the repeat.
constexpr auto kFields = Join(
    EffectUnitFields(kIds),
    std::array{
        bind::LabelledWordSlider(kPreDelaySlider, kPreDelayLabel, effect::kPreDelay,
                                 EFieldKind::EchoPreDelay),
        bind::LabelledWordSlider(kRightPreDelaySlider, kRightPreDelayLabel, effect::kRightPreDelay,
                                 EFieldKind::PreDelayShare),
        bind::LabelledWordSlider(kDelaySlider, kDelayLabel, effect::kDelay, EFieldKind::EchoDelay),
        bind::LabelledWordSlider(kRightDelaySlider, kRightDelayLabel, effect::kRightDelay,
                                 EFieldKind::CentredPercent),
        bind::LabelledSlider(kRepeatSlider, kRepeatLabel, effect::kRepeat, EFieldKind::Repeat),
    });

constexpr SDialogTemplate kTemplate{147, 715, 170, kControls};

// The panel draws on the effect page's display, which shows the bypass of the unit.
constexpr SPageDesc kDesc{&kTemplate, kCaptions, kFields, 0, -1, kEqPass};

} // namespace

CEcho_Dlg::CEcho_Dlg(CFStatic* pDisplay, QWidget* pParent)
    : CEffectPanel(kDesc, kIds, pDisplay,
                   IsEchoUnit(CurrentEffectUnit()) ? CurrentEffectUnit() : effectunit::kEchoA,
                   pParent) {}

void CEcho_Dlg::SwitchUnit(int nUnit) {
    if (IsEchoUnit(nUnit)) {
        Strips().SwitchBlock(nUnit);
    }
}

} // namespace zolt
