#include "pages/Mic_Dlg.h"

#include "eq/CFStatic.h"
#include "model/DataConver.h"
#include "model/Defaults.h"

namespace zolt {

namespace {

using namespace micid;
using namespace ctlkind;

// Template 145; positions and sizes in dialog units. Sliders take their channel picture's
// size, combo boxes the closed-box height. The limiter's value labels stand at 680 rather
// than 665: from 665 on, "Attack Time(Atk)" and its Chinese caption do not fit in one line
// beside them.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 3, 117, 37, 9},
    {kQCaption, kCaption, 3, 130, 37, 9},
    {kBandScroll, ECtl::Trackbar, 1, 143, 366, 12},
    {kSync, kButton, 14, 158, 56, 14},
    {kPair12, kButton, 80, 158, 56, 14},
    {kPair34, kButton, 145, 158, 56, 14},
    {kEqReset, kButton, 245, 158, 56, 14},
    {kEqBypass, kButton, 313, 158, 56, 14, false, "EQ Bypass"},
    {kDisplay, ECtl::Custom, 6, 176, 706, 164},

    {kHpfCaption, kCaption, 374, 4, 60, 9},
    {kHpfSlope, kCombo, 374, 17, 66, 12},
    {kHpfField, kField, 443, 17, 40, 11},
    {kHpfSlider, kSlider, 374, 31, 110, 10},
    {kLpfCaption, kCaption, 374, 51, 60, 9},
    {kLpfSlope, kCombo, 374, 66, 66, 12},
    {kLpfField, kField, 443, 66, 40, 11},
    {kLpfSlider, kSlider, 374, 80, 110, 10},
    {kLevelCaption, kCaption, 375, 95, 64, 9},
    {kLevelLabel, kLabel, 442, 95, 40, 9},
    {kLevelSlider, kSlider, 373, 106, 110, 10},
    {kFeedbackCaption, kCaption, 377, 120, 53, 9},
    {kFeedback, kCombo, 432, 118, 50, 12},

    {kGateTitle, kCaption, 489, 4, 100, 9},
    {kGateThresholdCaption, kCaption, 489, 19, 63, 9},
    {kGateThresholdLabel, kLabel, 554, 19, 34, 9},
    {kGateThresholdSlider, kSlider, 488, 31, 110, 10},
    {kGateAttackCaption, kCaption, 490, 43, 62, 9},
    {kGateAttackLabel, kLabel, 554, 43, 34, 9},
    {kGateAttackSlider, kSlider, 489, 55, 110, 10},
    {kGateReleaseCaption, kCaption, 490, 69, 62, 9},
    {kGateReleaseLabel, kLabel, 554, 69, 34, 9},
    {kGateReleaseSlider, kSlider, 489, 80, 110, 10},

    {kLimitTitle, kCaption, 604, 2, 100, 9},
    {kLimitLevelCaption, kCaption, 605, 19, 73, 9},
    {kLimitLevelLabel, kLabel, 680, 19, 33, 9},
    {kLimitLevelSlider, kSlider, 603, 31, 110, 10},
    {kLimitAttackCaption, kCaption, 605, 43, 73, 9},
    {kLimitAttackLabel, kLabel, 680, 43, 33, 9},
    {kLimitAttackSlider, kSlider, 603, 55, 110, 10},
    {kLimitReleaseCaption, kCaption, 605, 69, 73, 9},
    {kLimitReleaseLabel, kLabel, 680, 69, 33, 9},
    {kLimitReleaseSlider, kSlider, 603, 80, 110, 10},
    {kLimitRatioCaption, kCaption, 605, 92, 73, 9},
    {kLimitRatioLabel, kLabel, 680, 93, 33, 9},
    {kLimitRatioSlider, kSlider, 603, 102, 110, 10},

    {kLowExciterTitle, kCaption, 489, 114, 90, 9},
    {kLowFreqCaption, kCaption, 489, 126, 66, 9},
    {kLowFreqField, kField, 558, 123, 40, 11},
    {kLowFreqSlider, kSlider, 489, 137, 110, 10},
    {kLowHarmonicCaption, kCaption, 489, 152, 55, 9},
    {kLowHarmonic, kCombo, 546, 149, 49, 12},
    {kLowTimbreCaption, kCaption, 489, 166, 55, 9},
    {kLowTimbre, kCombo, 546, 163, 49, 12},

    {kHighExciterTitle, kCaption, 605, 114, 90, 9},
    {kHighFreqCaption, kCaption, 605, 126, 64, 9},
    {kHighFreqField, kField, 672, 122, 40, 11},
    {kHighFreqSlider, kSlider, 603, 137, 110, 10},
    {kHighHarmonicCaption, kCaption, 605, 150, 53, 9},
    {kHighHarmonic, kCombo, 660, 148, 49, 12},
    {kHighTimbreCaption, kCaption, 605, 164, 53, 9},
    {kHighTimbre, kCombo, 660, 162, 49, 12},
};

constexpr SCaption kCaptions[] = {
    {kLevelCaption, "话筒电平", "Mic Level"},
    {kFeedbackCaption, "啸叫抑制", "Feedback"},
    {kHpfCaption, "高通", "HPF"},
    {kLpfCaption, "低通", "LPF"},
    {kGateTitle, "噪声门", "NoiseGate"},
    {kGateThresholdCaption, "启动电平", "Threshold"},
    {kGateAttackCaption, "启动时间", "Attack Time"},
    {kGateReleaseCaption, "释放时间", "Release Time"},
    {kLimitTitle, "压限器", "Limit"},
    {kLimitLevelCaption, "压限启动电平", "Limit Level"},
    {kLimitAttackCaption, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {kLimitReleaseCaption, "压限释放时间", "Release Time"},
    {kLimitRatioCaption, "压缩比例", "Ratio"},
    {kLowExciterTitle, "低音激励", "Low Exciter"},
    {kHighExciterTitle, "高音激励", "High Exciter"},
    {kLowTimbreCaption, "音品", "Timbre"},
    {kHighTimbreCaption, "音品", "Timbre"},
    {kLowHarmonicCaption, "谐波量", "Harmonic"},
    {kHighHarmonicCaption, "谐波量", "Harmonic"},
    {kLowFreqCaption, "频率", "Freq"},
    {kHighFreqCaption, "频率", "Freq"},
    {kSync, "同步", "SYNC"},
    {kPair12, "话筒1&&2", "Mic 1&&2"},
    {kPair34, "话筒3&&4", "Mic 3&&4"},
    {kEqReset, "EQ 重置", "EQ Reset"},
    {kTypeCaption, "类型", "Type"},
    {kFreqCaption, "频率(Hz)", "Freq(Hz)"},
    {kGainCaption, "增益(dB)", "Gain(dB)"},
    {kQCaption, "Q值", "Q"},
};

// Every field belongs to the shown pair's block, the limiter and the noise gate included.
constexpr auto kFields = Join(
    std::array{
        bind::Flag(kEqBypass, mic::kBypass).Highlighting(kClearHighlight),
        bind::CrossoverSlope(kHpfSlope, kMicHighPassItem),
        bind::CrossoverFrequency(kHpfSlider, kHpfField, kMicHighPassItem),
        bind::CrossoverSlope(kLpfSlope, kMicLowPassItem),
        bind::CrossoverFrequency(kLpfSlider, kLpfField, kMicLowPassItem),
        bind::LabelledSlider(kLevelSlider, kLevelLabel, mic::kLevel, EFieldKind::HalfDb),
        bind::Combo(kFeedback, mic::kFeedback, EFieldKind::Feedback),
    },
    bind::Dynamics<3>({{{kGateThresholdSlider, kGateThresholdLabel},
                        {kGateAttackSlider, kGateAttackLabel},
                        {kGateReleaseSlider, kGateReleaseLabel}}},
                      mic::kGate + gate::kThreshold, EFieldKind::GateThreshold),
    bind::Dynamics<4>({{{kLimitLevelSlider, kLimitLevelLabel},
                        {kLimitAttackSlider, kLimitAttackLabel},
                        {kLimitReleaseSlider, kLimitReleaseLabel},
                        {kLimitRatioSlider, kLimitRatioLabel}}},
                      mic::kLimiter + limiter::kLevel, EFieldKind::LimiterLevel),
    std::array{
        bind::FrequencyPair(kHighFreqSlider, kHighFreqField, mic::kHighExciter + exciter::kFreq),
        bind::Combo(kHighHarmonic, mic::kHighExciter + exciter::kHarmonic,
                    EFieldKind::ExciterLevel),
        bind::Combo(kHighTimbre, mic::kHighExciter + exciter::kTimbre, EFieldKind::ExciterLevel),
        bind::FrequencyPair(kLowFreqSlider, kLowFreqField, mic::kLowExciter + exciter::kFreq),
        bind::Combo(kLowHarmonic, mic::kLowExciter + exciter::kHarmonic, EFieldKind::ExciterLevel),
        bind::Combo(kLowTimbre, mic::kLowExciter + exciter::kTimbre, EFieldKind::ExciterLevel),
    });

constexpr SChannelPair kPair{kSync,           {kPair12, kPair34}, {kMicPair12, kMicPair34},
                             image::kMicLink, kMicPair12,         &MicLinkCopy};

// Ten strips 50 pixels apart: the row then ends where the band trackbar below it ends, clear
// of the crossover and level column (58 apart, the last strips would run under it). The
// trackbar scrolls only when its position changes.
constexpr SStripBankLayout kStrips{10, 50, EStripScroll::OnChange, kBandScroll};

constexpr SDialogTemplate kTemplate{145, 715, 359, kControls};

constexpr SPairedEqPage kPage{
    {&kTemplate, kCaptions, kFields, kDisplay, curvegroup::kMic, kEqBypass},
    &kPair,
    []() -> int& { return MicView().m_nPair; },
    {image::kMic12, image::kMic34},
    kEqReset,
    &kStrips,
    [] { return &MicView().m_strips; },
};

} // namespace

CMic_Dlg::CMic_Dlg(QWidget* pParent) : CPairedEqPage(kPage, pParent) {
    ApplyLanguage();
    Refresh();
}

} // namespace zolt
