#include "pages/Rev_Dlg.h"

namespace zolt {

namespace {

using namespace revid;
using namespace ctlkind;

// Template 148; positions and sizes in dialog units, sized as on the echo panel. The wet and
// dry values stand at 445 rather than 437 and 438: there "Reverb Wet Volume" and "Reverb
// Dry Volume" (71 units) would run under them.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 3, 117, 36, 9},
    {kQCaption, kCaption, 3, 130, 36, 9},
    {kEqReset, kButton, 34, 148, 56, 14},
    {kEqPass, kButton, 113, 148, 56, 14, false, "EQ pass"},

    {kWetCaption, kCaption, 372, 8, 73, 9},
    {kWetLabel, kLabel, 445, 8, 30, 9},
    {kWetSlider, kSlider, 372, 22, 110, 10},
    {kWetPolarity, kButton, 482, 20, 13, 11},
    {kDryCaption, kCaption, 373, 36, 72, 9},
    {kDryLabel, kLabel, 445, 36, 30, 9},
    {kDrySlider, kSlider, 373, 50, 110, 10},
    {kDryPolarity, kButton, 484, 47, 13, 11},
    {kHpfCaption, kCaption, 372, 66, 64, 9},
    {kHpfSlope, kCombo, 372, 78, 62, 12},
    {kHpfField, kField, 437, 78, 45, 11},
    {kHpfSlider, kSlider, 372, 92, 110, 10},
    {kLpfCaption, kCaption, 372, 107, 64, 9},
    {kLpfSlope, kCombo, 372, 120, 62, 12},
    {kLpfField, kField, 437, 120, 45, 11},
    {kLpfSlider, kSlider, 372, 135, 110, 10},

    {kPreDelayCaption, kCaption, 513, 8, 64, 9},
    {kPreDelayLabel, kLabel, 578, 8, 34, 9},
    {kPreDelaySlider, kSlider, 513, 22, 110, 10},
    {kTimeCaption, kCaption, 513, 36, 64, 9},
    {kTimeLabel, kLabel, 578, 36, 34, 9},
    {kTimeSlider, kSlider, 513, 50, 110, 10},
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

constexpr auto kCaptions =
    Join(EffectUnitCaptions(kIds), std::array<SCaption, 6>{{
                                       {kHpfCaption, "高通", "HPF"},
                                       {kLpfCaption, "低通", "LPF"},
                                       {kWetCaption, "混响音量", "Reverb Wet Volume"},
                                       {kDryCaption, "混响直达声", "Reverb Dry Volume"},
                                       {kPreDelayCaption, "混响预延时", "Reverb PreDelay"},
                                       {kTimeCaption, "混响时间", "Reverb Time"},
                                   }});

// The times after the shared part, in 0.1 ms: pre-delay edited in steps of 2 ms, reverb
// time in steps of 50 ms, both loaded truncating.
constexpr auto kFields =
    Join(EffectUnitFields(kIds),
         std::array{
             bind::LabelledWordSlider(kPreDelaySlider, kPreDelayLabel, effect::kPreDelay,
                                      EFieldKind::ReverbPreDelay),
             bind::LabelledWordSlider(kTimeSlider, kTimeLabel, effect::kReverbTime,
                                      EFieldKind::ReverbTime),
         });

constexpr SDialogTemplate kTemplate{148, 715, 170, kControls};

// The panel draws on the effect page's display, which shows the bypass of the unit.
constexpr SPageDesc kDesc{&kTemplate, kCaptions, kFields, 0, -1, kEqPass};

} // namespace

CRev_Dlg::CRev_Dlg(CFStatic* pDisplay, QWidget* pParent)
    : CEffectPanel(kDesc, kIds, pDisplay, effectunit::kReverb, pParent) {}

} // namespace zolt
