#include "pages/MusicDlg.h"

#include "eq/CFStatic.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"

namespace zolt {

namespace {

using namespace musicid;
using namespace ctlkind;

// Template 135; positions and sizes in dialog units. Sliders take their channel picture's
// size, combo boxes the closed-box height.
constexpr SControlTemplate kControls[] = {
    {kTypeCaption, kCaption, 4, 17, 36, 9},
    {kGainCaption, kCaption, 4, 31, 36, 9},
    {kFreqCaption, kCaption, 4, 117, 36, 9},
    {kQCaption, kCaption, 4, 130, 36, 9},
    {kBandScroll, ECtl::Trackbar, 1, 143, 367, 12},
    {kSync, kButton, 14, 158, 56, 14},
    {kLeft, kButton, 80, 158, 56, 14},
    {kRight, kButton, 145, 158, 56, 14},
    {kEqReset, kButton, 245, 158, 56, 14},
    {kEqBypass, kButton, 313, 158, 56, 14, false, "EQ Bypass"},
    {kDisplay, ECtl::Custom, 6, 176, 706, 167},

    {kKeyCaption, kCaption, 371, 16, 80, 9},
    {kKeyLabel, kLabel, 453, 16, 30, 9},
    {kKeySlider, kSlider, 373, 27, 110, 10},

    {kMainHpfCaption, kCaption, 370, 43, 112, 9},
    {kMainHpfSlope, kCombo, 373, 60, 66, 12},
    {kMainHpfField, kField, 442, 59, 40, 11},
    {kMainHpfSlider, kSlider, 373, 74, 110, 10},
    {kHpfCaption, kCaption, 375, 89, 60, 9},
    {kHpfSlope, kCombo, 373, 103, 66, 12},
    {kHpfField, kField, 441, 102, 40, 11},
    {kHpfSlider, kSlider, 373, 117, 110, 10},
    {kLpfCaption, kCaption, 375, 134, 60, 9},
    {kLpfSlope, kCombo, 373, 150, 66, 12},
    {kLpfField, kField, 441, 149, 40, 11},
    {kLpfSlider, kSlider, 373, 164, 110, 10},

    {kGateTitle, kCaption, 488, 4, 100, 9},
    {kGateThresholdCaption, kCaption, 488, 16, 78, 9},
    {kGateThresholdLabel, kLabel, 568, 16, 34, 9},
    {kGateThresholdSlider, kSlider, 488, 27, 110, 10},
    {kGateAttackCaption, kCaption, 488, 40, 78, 9},
    {kGateAttackLabel, kLabel, 568, 40, 34, 9},
    {kGateAttackSlider, kSlider, 488, 50, 110, 10},
    {kGateReleaseCaption, kCaption, 488, 64, 78, 9},
    {kGateReleaseLabel, kLabel, 568, 64, 34, 9},
    {kGateReleaseSlider, kSlider, 488, 74, 110, 10},

    {kLimitTitle, kCaption, 604, 4, 100, 9},
    {kLimitLevelCaption, kCaption, 604, 16, 78, 9},
    {kLimitLevelLabel, kLabel, 684, 16, 30, 9},
    {kLimitLevelSlider, kSlider, 604, 27, 110, 10},
    {kLimitAttackCaption, kCaption, 604, 40, 78, 9},
    {kLimitAttackLabel, kLabel, 684, 40, 30, 9},
    {kLimitAttackSlider, kSlider, 604, 50, 110, 10},
    {kLimitReleaseCaption, kCaption, 605, 64, 78, 9},
    {kLimitReleaseLabel, kLabel, 684, 64, 30, 9},
    {kLimitReleaseSlider, kSlider, 604, 73, 110, 10},
    {kLimitRatioCaption, kCaption, 604, 84, 78, 9},
    {kLimitRatioLabel, kLabel, 684, 84, 30, 9},
    {kLimitRatioSlider, kSlider, 604, 94, 110, 10},

    {kLowExciterTitle, kCaption, 498, 108, 90, 9},
    {kLowFreqCaption, kCaption, 492, 122, 62, 9},
    {kLowFreqField, kField, 557, 121, 40, 11},
    {kLowFreqSlider, kSlider, 491, 135, 110, 10},
    {kLowHarmonicCaption, kCaption, 491, 149, 55, 9},
    {kLowHarmonic, kCombo, 548, 147, 49, 12},
    {kLowTimbreCaption, kCaption, 491, 163, 55, 9},
    {kLowTimbre, kCombo, 548, 161, 49, 12},

    {kHighExciterTitle, kCaption, 617, 108, 90, 9},
    {kHighFreqCaption, kCaption, 608, 122, 62, 9},
    {kHighFreqField, kField, 673, 121, 40, 11},
    {kHighFreqSlider, kSlider, 604, 135, 110, 10},
    {kHighHarmonicCaption, kCaption, 607, 149, 52, 9},
    {kHighHarmonic, kCombo, 661, 147, 49, 12},
    {kHighTimbreCaption, kCaption, 607, 163, 52, 9},
    {kHighTimbre, kCombo, 661, 161, 49, 12},
};

constexpr SCaption kCaptions[] = {
    {kKeyCaption, "音乐变调", "Key Control"},
    {kMainHpfCaption, "主通道音乐高通", "MainMusic HPF"},
    {kHpfCaption, "高通", "HPF"},
    {kLpfCaption, "低通", "LPF"},
    {kGateTitle, "噪声门", "NoiseGate"},
    {kGateThresholdCaption, "启动电平", "Threshold"},
    {kGateAttackCaption, "启动时间", "Attack Time"},
    {kGateReleaseCaption, "释放时间", "Release Time"},
    {kLimitTitle, "音乐压限器", "Music Limit"},
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
    {kLeft, "音乐左", "Music Left"},
    {kRight, "音乐右", "Music Right"},
    {kEqReset, "EQ 重置", "EQ Reset"},
    {kTypeCaption, "类型", "Type"},
    {kFreqCaption, "频率(Hz)", "Freq(Hz)"},
    {kGainCaption, "增益(dB)", "Gain(dB)"},
    {kQCaption, "Q值", "Q"},
};

// The fields. The limiter and the noise gate are always Music Left's, whichever channel is
// shown; the key shift is the high nibble of system byte 9 (the low nibble is the System
// page's); everything else belongs to the shown channel.
constexpr std::size_t kLimiter = image::kMusicLeft + music::kLimiter;
constexpr std::size_t kGate = image::kMusicLeft + music::kGate;

constexpr auto kFields = Join(
    std::array{
        bind::LabelledSlider(kKeySlider, kKeyLabel, sysblock::kSensPitch, EFieldKind::Pitch)
            .In(EBlock::System)
            .As(EField::HighNibble),
    },
    bind::Dynamics<3>({{{kGateThresholdSlider, kGateThresholdLabel},
                        {kGateAttackSlider, kGateAttackLabel},
                        {kGateReleaseSlider, kGateReleaseLabel}}},
                      kGate + gate::kThreshold, EFieldKind::GateThreshold, EBlock::Image),
    bind::Dynamics<4>({{{kLimitLevelSlider, kLimitLevelLabel},
                        {kLimitAttackSlider, kLimitAttackLabel},
                        {kLimitReleaseSlider, kLimitReleaseLabel},
                        {kLimitRatioSlider, kLimitRatioLabel}}},
                      kLimiter + limiter::kLevel, EFieldKind::LimiterLevel, EBlock::Image),
    std::array{
        bind::FrequencyPair(kMainHpfSlider, kMainHpfField, music::kMainHighPass + xover::kFreq),
        bind::Combo(kMainHpfSlope, music::kMainHighPass + xover::kSlope, EFieldKind::Slope),
        bind::CrossoverFrequency(kHpfSlider, kHpfField, kHighPassItem),
        bind::CrossoverSlope(kHpfSlope, kHighPassItem),
        bind::CrossoverFrequency(kLpfSlider, kLpfField, kLowPassItem),
        bind::CrossoverSlope(kLpfSlope, kLowPassItem),
        bind::Flag(kEqBypass, music::kBypass).Highlighting(kClearHighlight),
        bind::FrequencyPair(kLowFreqSlider, kLowFreqField, music::kLowExciter + exciter::kFreq),
        bind::Combo(kLowHarmonic, music::kLowExciter + exciter::kHarmonic,
                    EFieldKind::ExciterLevel),
        bind::Combo(kLowTimbre, music::kLowExciter + exciter::kTimbre, EFieldKind::ExciterLevel),
        bind::FrequencyPair(kHighFreqSlider, kHighFreqField, music::kHighExciter + exciter::kFreq),
        bind::Combo(kHighHarmonic, music::kHighExciter + exciter::kHarmonic,
                    EFieldKind::ExciterLevel),
        bind::Combo(kHighTimbre, music::kHighExciter + exciter::kTimbre, EFieldKind::ExciterLevel),
    });

constexpr SChannelPair kPair{kSync, {kLeft, kRight}, {0, 1}, image::kMusicLink, 0, &MusicLinkCopy};

// Ten strips 50 pixels apart: the row then ends where the band trackbar below it ends, clear
// of the key and crossover column (58 apart, the tenth strip would run under it). Every
// notification of the trackbar re-assigns and reloads the strips.
constexpr SStripBankLayout kStrips{10, 50, EStripScroll::EveryNotification, kBandScroll};

constexpr SDialogTemplate kTemplate{135, 715, 359, kControls};

constexpr SPairedEqPage kPage{
    {&kTemplate, kCaptions, kFields, kDisplay, curvegroup::kMusic, kEqBypass},
    &kPair,
    []() -> int& { return MusicView().m_nChannel; },
    {image::kMusicLeft, image::kMusicRight},
    kEqReset,
    &kStrips,
    [] { return &MusicView().m_strips; },
};

} // namespace

CMusicDlg::CMusicDlg(QWidget* pParent) : CPairedEqPage(kPage, pParent) {
    ApplyLanguage();
    Refresh();
}

} // namespace zolt
