#include "model/Fields.h"

#include "model/DataConver.h"
#include "model/Layout.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zolt {

namespace {

// --- The kinds ---

constexpr std::array<const char*, 2> kOffOn{"OFF", "ON"};
constexpr std::array<const char*, 2> kPolarities{"normal", "inverted"};
constexpr std::array<const char*, 2> kFilterKinds{"high-pass", "low-pass"};
constexpr std::array<const char*, 4> kOutputModes{"Auto", "Sing", "Disco", "Decode"};
constexpr std::array<const char*, 3> kInputs{"Auto", "AUDIO", "AUX"};
constexpr std::array<const char*, 2> kSensitivities{"L", "H"};
constexpr std::array<const char*, 2> kIrControls{"Disable", "Enable"};
constexpr std::array<const char*, 10> kDigits{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};

using EK = EFieldKind;
using ED = EDecode;

constexpr SLabelFormat Integer(int nOffset, const char* pszUnit, int nMultiplier = 1) {
    return {kLabelInteger, nMultiplier, nOffset, 0, 0, pszUnit};
}
constexpr SLabelFormat Scaled(double dScale, double dOffset, const char* pszUnit) {
    return {kLabelScaled, 1, 0, dScale, dOffset, pszUnit};
}
constexpr SLabelFormat kPlain = Integer(0, "");
constexpr SLabelFormat kMs = Scaled(0.1, 0, "ms");
constexpr SLabelFormat kHalfDb = Scaled(0.5, 10, "dB");
constexpr SLabelFormat kGainDb = Scaled(kGainStepDb, kGainFloorDb, "dB");
constexpr SLabelFormat kLimiter = Integer(22, "dBV");

// A kind read through a format and edited over nMin..nMax.
constexpr SFieldKind Shown(EK eKind, SLabelFormat read, int nReadMax, int nMin, int nMax) {
    return {eKind, ED::Format, read, nReadMax, {}, nMin, nMax, 1, read};
}
// The same, stored as position × nScale and labelled label.
constexpr SFieldKind Stepped(EK eKind, SLabelFormat read, int nMax, int nScale,
                             SLabelFormat label) {
    SFieldKind kind = Shown(eKind, read, 0, 0, nMax);
    kind.m_nScale = nScale;
    kind.m_label = label;
    return kind;
}
// A kind read as one of its value names, edited over all of them.
constexpr SFieldKind Named(EK eKind, std::span<const char* const> aNames) {
    return {eKind, ED::Labels, kPlain, 0, aNames, 0, static_cast<int>(aNames.size()) - 1};
}
constexpr SFieldKind Labelled(SFieldKind kind, SLabelFormat label) {
    kind.m_label = label;
    return kind;
}
constexpr SFieldKind Table(EK eKind, int nTable, const char* pszUnit, int nMax) {
    return Shown(eKind, {nTable, 1, 0, 0, 0, pszUnit}, nMax, 0, nMax);
}
constexpr SFieldKind Frequency(EK eKind, const char* pszFieldUnit) {
    SFieldKind kind{eKind, ED::Frequency, kPlain, kFreqCount - 1, {}, 0, kFreqCount - 1};
    kind.m_pszFieldUnit = pszFieldUnit;
    return kind;
}
constexpr SFieldKind OutputDelay() {
    SFieldKind kind = Shown(EK::Tenths, kMs, 0, 0, 1500);
    kind.m_label2 = {kLabelDistance, 1, 0, 0, 0, ""};
    return kind;
}

// In the order of EFieldKind.
constexpr SFieldKind kKinds[] = {
    Shown(EK::Number, kPlain, 0, 0, 255),
    Shown(EK::Reserved, kPlain, 0, 0, 255),
    {EK::Text, ED::Text, kPlain, 0},
    Frequency(EK::Frequency, "Hz"),
    Frequency(EK::BandFrequency, ""),
    Shown(EK::Gain, kGainDb, kGainRawMax, 0, kGainRawZero + 60),
    Shown(EK::DynamicGain, kGainDb, kGainRawMax, kGainRawZero - 60, kGainRawZero + 60),
    {EK::Q, ED::Q, kPlain, kQCount - 1, {}, 0, kQCount - 1},
    Named(EK::BandType, kBandTypeNames),
    Named(EK::FilterKind, kFilterKinds),
    Named(EK::Slope, kSlopeNames),
    Named(EK::OnOff, kOffOn),
    Named(EK::Polarity, kPolarities),
    Shown(EK::Percent, Integer(0, "%"), 0, 0, 100),
    Shown(EK::MixLevel, Integer(0, "%"), 0, 0, 200),
    Shown(EK::Repeat, Integer(0, "%"), 0, 0, 90),
    Shown(EK::PreDelayShare, Integer(0, "%"), 0, 0, 50),
    Shown(EK::CentredPercent, Integer(50, "%"), 100, 0, 100),
    OutputDelay(),
    Stepped(EK::EchoPreDelay, kMs, 150, 10, Integer(0, "ms")),
    Stepped(EK::EchoDelay, kMs, 250, 20, Integer(0, "ms", 2)),
    Stepped(EK::ReverbPreDelay, kMs, 100, 20, Integer(0, "ms", 2)),
    Stepped(EK::ReverbTime, kMs, 100, 500, Integer(0, "ms", 50)),
    Shown(EK::HalfDb, kHalfDb, 40, 0, 40),
    Labelled(Shown(EK::InputGain, kHalfDb, 40, 0, 40), Scaled(0.5, 10, "")),
    Shown(EK::LimiterLevel, kLimiter, 34, 0, 34),
    Labelled(Shown(EK::OutputLimiterLevel, kLimiter, 34, 0, 34), Integer(22, "dB")),
    Shown(EK::GateThreshold, {kLabelOffAtMin, 1, 78, 0, 0, "dBV"}, 60, 0, 60),
    Shown(EK::DynamicThreshold, Integer(48, "dBV"), 60, 0, 60),
    Table(EK::Attack, kLabelAttack, "ms", 19),
    Table(EK::Release, kLabelRelease, "", 7),
    Table(EK::Ratio, kLabelRatio, "", 40),
    Named(EK::Feedback, kFeedbackModeNames),
    Named(EK::OutputMode, kOutputModes),
    Named(EK::Input, kInputs),
    Named(EK::Sensitivity, kSensitivities),
    Shown(EK::Pitch, Integer(7, ""), 14, 0, 14),
    Named(EK::IrControl, kIrControls),
    {EK::ExciterLevel, ED::Format, kPlain, 0, kDigits, 0, 9},
    Shown(EK::Volume, kPlain, 0, 0, 84),
    Shown(EK::EffectVolume, kPlain, 0, 0, 70),
};

constexpr bool KindsInOrder() {
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        if (static_cast<std::size_t>(kKinds[i].m_eKind) != i) {
            return false;
        }
    }
    return std::size(kKinds) == static_cast<std::size_t>(EFieldKind::EffectVolume) + 1;
}
static_assert(KindsInOrder());

// --- The layouts ---

struct SLayout;

// One entry of a record layout: a field (leaf) or a record inside the record, repeated
// count times stride bytes apart (numbered 1..count in the names when count > 1).
struct SItem {
    std::uint16_t m_nOffset;
    std::array<const char*, 2> m_apszName; // English, Chinese; empty: adds nothing to names
    EFieldKind m_eKind;
    std::uint8_t m_nWidth;
    std::uint8_t m_nMask;
    const SLayout* m_pSub;
    std::uint8_t m_nCount;
    std::uint16_t m_nStride;
};

struct SLayout {
    std::span<const SItem> m_aItems;
};

constexpr SItem Leaf(std::size_t offset, const char* name, const char* chinese, EFieldKind kind,
                     std::size_t width = 1, std::uint8_t mask = 0xFF) {
    return {static_cast<std::uint16_t>(offset),
            {name, chinese},
            kind,
            static_cast<std::uint8_t>(width),
            mask,
            nullptr,
            1,
            0};
}

constexpr SItem Record(std::size_t offset, const char* name, const char* chinese,
                       const SLayout& layout, std::size_t count = 1, std::size_t stride = 0) {
    return {static_cast<std::uint16_t>(offset),
            {name, chinese},
            EFieldKind::Number,
            0,
            0xFF,
            &layout,
            static_cast<std::uint8_t>(count),
            static_cast<std::uint16_t>(stride)};
}

// An EQ band record whose gain is of kind eGain.
constexpr std::array<SItem, 4> BandItems(EFieldKind eGain) {
    return {
        Leaf(band::kFreq, "frequency", "频率", EK::BandFrequency, 2),
        Leaf(band::kGain, "gain", "增益", eGain),
        Leaf(band::kQ, "Q", "Q值", EK::Q),
        Leaf(band::kType, "type", "类型", EK::BandType),
    };
}
constexpr auto kBandItems = BandItems(EK::Gain);
constexpr SLayout kBand{kBandItems};
// The band part of a dynamic-EQ record: its gain is edited over a narrower range.
constexpr auto kDynamicBandPartItems = BandItems(EK::DynamicGain);
constexpr SLayout kDynamicBandPart{kDynamicBandPartItems};

constexpr SItem kCrossoverItems[] = {
    Leaf(xover::kKind, "kind", "种类", EK::FilterKind),
    Leaf(xover::kFreq, "frequency", "频率", EK::Frequency, 2),
    Leaf(xover::kSlope, "slope", "斜率", EK::Slope),
};
constexpr SLayout kCrossover{kCrossoverItems};

// Dynamics on four consecutive bytes: a first setting of kind eFirst, then attack time,
// release time and ratio (a limiter record, the dynamics of a dynamic-EQ band).
constexpr std::array<SItem, 4> DynamicsItems(const char* name, const char* chinese,
                                             EFieldKind eFirst) {
    return {
        Leaf(limiter::kLevel, name, chinese, eFirst),
        Leaf(limiter::kAttack, "attack time", "启动时间", EK::Attack),
        Leaf(limiter::kRelease, "release time", "释放时间", EK::Release),
        Leaf(limiter::kRatio, "ratio", "压缩比例", EK::Ratio),
    };
}
static_assert(deq::kAttack - deq::kThreshold == limiter::kAttack - limiter::kLevel &&
              deq::kRelease - deq::kThreshold == limiter::kRelease - limiter::kLevel &&
              deq::kRatio - deq::kThreshold == limiter::kRatio - limiter::kLevel);

constexpr auto kLimiterItems = DynamicsItems("level", "启动电平", EK::LimiterLevel);
constexpr SLayout kLimiterRecord{kLimiterItems};
// An output's limiter: its level is labelled in dB.
constexpr auto kOutputLimiterItems = DynamicsItems("level", "启动电平", EK::OutputLimiterLevel);
constexpr SLayout kOutputLimiter{kOutputLimiterItems};
constexpr auto kBandDynamicsItems = DynamicsItems("threshold", "启动电平", EK::DynamicThreshold);
constexpr SLayout kBandDynamics{kBandDynamicsItems};

constexpr SItem kDynamicBandItems[] = {
    Record(0, "", "", kDynamicBandPart),
    Record(deq::kThreshold - limiter::kLevel, "", "", kBandDynamics),
    Leaf(deq::kExtra, "fifth dynamics byte", "第五动态字节", EK::Number),
};
constexpr SLayout kDynamicBand{kDynamicBandItems};

constexpr SItem kGateItems[] = {
    Leaf(gate::kThreshold, "threshold", "启动电平", EK::GateThreshold),
    Leaf(gate::kAttack, "attack time", "启动时间", EK::Attack),
    Leaf(gate::kRelease, "release time", "释放时间", EK::Release),
};
constexpr SLayout kGate{kGateItems};

constexpr SItem kExciterItems[] = {
    Leaf(exciter::kFreq, "frequency", "频率", EK::Frequency, 2),
    Leaf(exciter::kHarmonic, "harmonic", "谐波量", EK::ExciterLevel),
    Leaf(exciter::kTimbre, "timbre", "音品", EK::ExciterLevel),
};
constexpr SLayout kExciter{kExciterItems};

// The first bytes, which an echo unit and the reverb share; their pre-delays, next, are
// edited in different steps.
constexpr SItem kEffectItems[] = {
    Record(effect::kBands, "EQ band", "均衡段", kBand, effect::kBandCount, band::kSize),
    Leaf(effect::kBypass, "EQ bypass", "EQ旁通", EK::OnOff),
    Leaf(effect::kWet, "wet volume", "音量", EK::Percent),
    Leaf(effect::kWetPolarity, "wet polarity", "音量极性", EK::Polarity),
    Leaf(effect::kDry, "dry volume", "直达声", EK::Percent),
    Leaf(effect::kDryPolarity, "dry polarity", "直达声极性", EK::Polarity),
    Record(effect::kHighPass, "HPF", "高通", kCrossover),
    Record(effect::kLowPass, "LPF", "低通", kCrossover),
};
constexpr SLayout kEffect{kEffectItems};

constexpr SItem kEchoItems[] = {
    Record(0, "", "", kEffect),
    Leaf(effect::kPreDelay, "pre-delay", "预延时", EK::EchoPreDelay, 2),
    Leaf(effect::kRightPreDelay, "right pre-delay", "右预延时", EK::PreDelayShare, 2),
    Leaf(effect::kDelay, "delay", "延时", EK::EchoDelay, 2),
    Leaf(effect::kRightDelay, "right delay", "右延时", EK::CentredPercent, 2),
    Leaf(effect::kRepeat, "repeat", "重复", EK::Repeat),
};
constexpr SLayout kEcho{kEchoItems};

constexpr SItem kReverbItems[] = {
    Record(0, "", "", kEffect),
    Leaf(effect::kPreDelay, "pre-delay", "预延时", EK::ReverbPreDelay, 2),
    Leaf(effect::kReverbTime, "time", "时间", EK::ReverbTime, 2),
};
constexpr SLayout kReverb{kReverbItems};

constexpr SItem kMicItems[] = {
    Leaf(mic::kLevel, "level", "电平", EK::HalfDb),
    Leaf(mic::kFeedback, "feedback", "啸叫抑制", EK::Feedback),
    Record(mic::kLimiter, "limiter", "压限器", kLimiterRecord),
    Record(mic::kGate, "noise gate", "噪声门", kGate),
    Record(mic::kHighPass, "HPF", "高通", kCrossover),
    Record(mic::kLowPass, "LPF", "低通", kCrossover),
    Record(mic::kBands, "EQ band", "均衡段", kBand, mic::kBandCount, band::kSize),
    Leaf(mic::kBypass, "EQ bypass", "EQ旁通", EK::OnOff),
    Record(mic::kAuxBands, "aux band", "辅助段", kBand, mic::kAuxBandCount, band::kSize),
    Leaf(mic::kAuxBypass, "aux band bypass", "辅助段旁通", EK::OnOff),
    Record(mic::kLowExciter, "low exciter", "低音激励", kExciter),
    Record(mic::kHighExciter, "high exciter", "高音激励", kExciter),
    Leaf(mic::kReserved, "reserved byte", "保留字节", EK::Reserved, 4),
    Leaf(mic::kBlockByte, "block byte", "区块字节", EK::Number),
};
constexpr SLayout kMic{kMicItems};

constexpr SItem kMusicItems[] = {
    Record(music::kLimiter, "limiter", "压限器", kLimiterRecord),
    Record(music::kGate, "noise gate", "噪声门", kGate),
    Record(music::kHighPass, "HPF", "高通", kCrossover),
    Record(music::kLowPass, "LPF", "低通", kCrossover),
    Record(music::kBands, "EQ band", "均衡段", kBand, music::kBandCount, band::kSize),
    Leaf(music::kBypass, "EQ bypass", "EQ旁通", EK::OnOff),
    Record(music::kAuxBands, "aux band", "辅助段", kBand, music::kAuxBandCount, band::kSize),
    Leaf(music::kAuxBypass, "aux band bypass", "辅助段旁通", EK::OnOff),
    Record(music::kMainHighPass, "MainMusic HPF", "主通道音乐高通", kCrossover),
    Record(music::kDynamicBands, "dynamic EQ band", "动态均衡段", kDynamicBand,
           music::kDynamicBandCount, deq::kSize),
    Record(music::kLowExciter, "low exciter", "低音激励", kExciter),
    Record(music::kHighExciter, "high exciter", "高音激励", kExciter),
    Leaf(music::kReserved, "reserved byte", "保留字节", EK::Reserved, 5),
};
constexpr SLayout kMusic{kMusicItems};

// A mix source of an output record: level byte, then polarity byte.
constexpr SItem kMixItems[] = {
    Leaf(0, "level", "电平", EK::MixLevel),
    Leaf(1, "polarity", "极性", EK::Polarity),
};
constexpr SLayout kMix{kMixItems};

constexpr SItem kOutputItems[] = {
    Leaf(output::kMute, "mute", "静音", EK::OnOff),
    Record(output::kMix + 0, "Music", "音乐", kMix),
    Record(output::kMix + 2, "Mic", "话筒", kMix),
    Record(output::kMix + 4, "Echo A", "回声A", kMix),
    Record(output::kMix + 6, "Echo B", "回声B", kMix),
    Record(output::kMix + 8, "Reverb", "混响", kMix),
    Record(output::kBands, "EQ band", "均衡段", kBand, output::kBandCount, band::kSize),
    Leaf(output::kBypass, "EQ bypass", "EQ旁通", EK::OnOff),
    Record(output::kLimiter, "limiter", "压限器", kOutputLimiter),
    Record(output::kHighPass, "HPF", "高通", kCrossover),
    Record(output::kLowPass, "LPF", "低通", kCrossover),
    Leaf(output::kDelay, "delay", "延时", EK::Tenths, 2),
};
constexpr SLayout kOutput{kOutputItems};

// The eight records of an output set, in image order.
constexpr SItem kOutputSetItems[] = {
    Record(output::kSize * 0, "Out 4", "输出4", kOutput),
    Record(output::kSize * 1, "Out 3", "输出3", kOutput),
    Record(output::kSize * 2, "Center", "中置", kOutput),
    Record(output::kSize * 3, "SUB", "超低音", kOutput),
    Record(output::kSize * 4, "Out 2", "输出2", kOutput),
    Record(output::kSize * 5, "Out 1", "输出1", kOutput),
    Record(output::kSize * 6, "Surround L", "环绕左", kOutput),
    Record(output::kSize * 7, "Surround R", "环绕右", kOutput),
};
constexpr SLayout kOutputSet{kOutputSetItems};

// The bytes of the image that belong to the mode as a whole.
constexpr SItem kModeItems[] = {
    Leaf(image::kName, "Mode name", "模式名称", EK::Text, kNameSize),
    Leaf(image::kMicLink, "Mic link", "话筒同步", EK::OnOff),
    Leaf(image::kMusicLink, "Music link", "音乐同步", EK::OnOff),
    Leaf(image::kOutputMode, "Output mode", "输出模式", EK::OutputMode),
    Leaf(image::kLinkOut34, "Out3&4 link", "输出3&4同步", EK::OnOff),
    Leaf(image::kLinkReserved, "reserved link flag", "保留同步标志", EK::OnOff),
    Leaf(image::kLinkOut12, "Out1&2 link", "输出1&2同步", EK::OnOff),
    Leaf(image::kLinkSurround, "Surround link", "环绕同步", EK::OnOff),
    Leaf(image::kLoadSum, "Load sum", "装载校验和", EK::Number),
};

constexpr SItem kSystemItems[] = {
    Leaf(sysblock::kMode, "Current mode", "当前模式", EK::Number),
    Leaf(sysblock::kEffectVolume, "Effect volume", "效果音量", EK::EffectVolume, 1, 0x7F),
    Leaf(sysblock::kEffectVolume, "Effect mute", "效果静音", EK::OnOff, 1, 0x80),
    Leaf(sysblock::kMicVolume, "Mic volume", "话筒音量", EK::Volume, 1, 0x7F),
    Leaf(sysblock::kMicVolume, "Mic mute", "话筒静音", EK::OnOff, 1, 0x80),
    Leaf(sysblock::kMusicVolume, "Music volume", "音乐音量", EK::Volume, 1, 0x7F),
    Leaf(sysblock::kMusicVolume, "Music mute", "音乐静音", EK::OnOff, 1, 0x80),
    Leaf(sysblock::kEffectMax, "Effect max volume", "效果最大音量", EK::EffectVolume),
    Leaf(sysblock::kMicMax, "Mic max volume", "话筒最大音量", EK::Volume),
    Leaf(sysblock::kMusicMax, "Music max volume", "音乐最大音量", EK::Volume),
    Leaf(sysblock::kPhantom, "Mic 1&2 phantom power", "话筒1&2幻象电源", EK::OnOff),
    Leaf(sysblock::kInput, "Music input", "音乐输入", EK::Input),
    Leaf(sysblock::kSensPitch, "Input sensitivity", "输入灵敏度", EK::Sensitivity, 1, 0x0F),
    Leaf(sysblock::kSensPitch, "Music pitch", "音乐变调", EK::Pitch, 1, 0xF0),
    Leaf(sysblock::kAudioGain, "AUDIO input gain", "AUDIO输入增益", EK::InputGain),
    Leaf(sysblock::kAuxGain, "AUX input gain", "AUX输入增益", EK::InputGain),
    Leaf(sysblock::kCoaxGain, "COAX input gain", "COAX输入增益", EK::InputGain),
    Leaf(sysblock::kOptiGain, "OPTI/HDMI1~3/ARC input gain", "OPTI/HDMI1~3/ARC输入增益",
         EK::InputGain),
    Leaf(sysblock::kIrControl, "IR control", "红外遥控", EK::IrControl),
    Leaf(sysblock::kPanelCode, "Panel password", "面板密码", EK::Text, 4),
    Leaf(sysblock::kSystemCode, "System password", "系统密码", EK::Text, 6),
    Leaf(sysblock::kSystemCode + 6, "reserved system byte", "保留系统字节", EK::Reserved,
         kSystemSize - sysblock::kSystemCode - 6),
};

// A block of the table: its name, what its field names end with, and its top-level items
// (their offsets are area offsets).
struct SGroup {
    EArea m_eArea;
    std::array<const char*, 2> m_apszName;
    std::array<const char*, 2> m_apszSuffix;
    std::span<const SItem> m_aItems;
};

constexpr SItem kEchoA[] = {Record(image::kEchoA, "Echo A", "回声A", kEcho)};
constexpr SItem kEchoB[] = {Record(image::kEchoB, "Echo B", "回声B", kEcho)};
constexpr SItem kReverbBlock[] = {Record(image::kReverb, "Reverb", "混响", kReverb)};
constexpr SItem kMirror[] = {Record(image::kReverbMirror, "Reverb mirror", "混响镜像", kReverb)};
constexpr SItem kMic12[] = {Record(image::kMic12, "Mic 1&2", "话筒1&2", kMic)};
constexpr SItem kMic34[] = {Record(image::kMic34, "Mic 3&4", "话筒3&4", kMic)};
constexpr SItem kMusicLeft[] = {Record(image::kMusicLeft, "Music Left", "音乐左", kMusic)};
constexpr SItem kMusicRight[] = {Record(image::kMusicRight, "Music Right", "音乐右", kMusic)};
constexpr SItem kSet1[] = {Record(image::kOutputSet1, "", "", kOutputSet)};
constexpr SItem kSet2[] = {Record(image::kOutputSet2, "", "", kOutputSet)};
constexpr SItem kSet3[] = {Record(image::kOutputSet3, "", "", kOutputSet)};

constexpr SGroup kGroups[] = {
    {EArea::Image, {"Mode", "模式"}, {"", ""}, kModeItems},
    {EArea::Image, {"Echo A", "回声A"}, {"", ""}, kEchoA},
    {EArea::Image, {"Echo B", "回声B"}, {"", ""}, kEchoB},
    {EArea::Image, {"Reverb", "混响"}, {"", ""}, kReverbBlock},
    {EArea::Image, {"Reverb mirror", "混响镜像"}, {"", ""}, kMirror},
    {EArea::Image, {"Mic 1&2", "话筒1&2"}, {"", ""}, kMic12},
    {EArea::Image, {"Mic 3&4", "话筒3&4"}, {"", ""}, kMic34},
    {EArea::Image, {"Music Left", "音乐左"}, {"", ""}, kMusicLeft},
    {EArea::Image, {"Music Right", "音乐右"}, {"", ""}, kMusicRight},
    {EArea::Image, {"Output set 1", "输出组1"}, {" (set 1)", " (组1)"}, kSet1},
    {EArea::Image, {"Output set 2", "输出组2"}, {" (set 2)", " (组2)"}, kSet2},
    {EArea::Image, {"Output set 3", "输出组3"}, {" (set 3)", " (组3)"}, kSet3},
    {EArea::System, {"System", "系统"}, {"", ""}, kSystemItems},
};

// --- Building the table ---

struct STable {
    std::vector<SField> m_aImage;
    std::vector<SField> m_aSystem;
    std::vector<SFieldGroup> m_aGroups;
    std::array<std::uint16_t, kImageSize> m_anImageIndex{};
    std::array<std::uint16_t, kSystemSize> m_anSystemIndex{};
};

// The words of a field's name so far: [0] English, [1] Chinese.
using Names = std::array<std::string, 2>;

Names Extend(const Names& names, const std::array<const char*, 2>& item, int number) {
    Names out = names;
    for (std::size_t l = 0; l < 2; ++l) {
        std::string word = item[l];
        if (number > 0) {
            word += (l == 0 ? " " : "") + std::to_string(number);
        }
        if (!word.empty()) {
            out[l] += (out[l].empty() ? "" : " ") + word;
        }
    }
    return out;
}

class CBuilder {
public:
    CBuilder(STable& table, std::uint16_t group, const SGroup& def)
        : m_table(table), m_nGroup(group), m_def(def) {}

    void Walk(std::span<const SItem> items, std::size_t base, const Names& names) {
        for (const SItem& item : items) {
            for (std::size_t i = 0; i < item.m_nCount; ++i) {
                const std::size_t offset = base + item.m_nOffset + item.m_nStride * i;
                const int number = item.m_nCount > 1 ? static_cast<int>(i + 1) : 0;
                if (item.m_pSub != nullptr) {
                    Walk(item.m_pSub->m_aItems, offset, Extend(names, item.m_apszName, number));
                } else if (item.m_eKind == EFieldKind::Reserved) {
                    AddReserved(item, offset);
                } else {
                    Add(item, offset, item.m_nWidth, Extend(names, item.m_apszName, number));
                }
            }
        }
    }

private:
    // Each byte of no settled use is a field of its own, named by its offset alone.
    void AddReserved(const SItem& item, std::size_t offset) {
        for (std::size_t b = 0; b < item.m_nWidth; ++b) {
            const std::string at = std::to_string(offset + b);
            Add(item, offset + b, 1,
                {std::string(item.m_apszName[0]) + " " + at, item.m_apszName[1] + at});
        }
    }

    void Add(const SItem& item, std::size_t offset, std::size_t width, const Names& names) {
        SField field{m_def.m_eArea,
                     static_cast<std::uint16_t>(offset),
                     static_cast<std::uint8_t>(width),
                     item.m_nMask,
                     item.m_eKind,
                     m_nGroup,
                     {names[0] + m_def.m_apszSuffix[0], names[1] + m_def.m_apszSuffix[1]}};
        const bool image = m_def.m_eArea == EArea::Image;
        std::vector<SField>& fields = image ? m_table.m_aImage : m_table.m_aSystem;
        const std::span<std::uint16_t> index =
            image ? std::span<std::uint16_t>(m_table.m_anImageIndex)
                  : std::span<std::uint16_t>(m_table.m_anSystemIndex);
        for (std::size_t b = offset; b < offset + width; ++b) {
            // The first field of a shared byte is the one the index names.
            if (fields.empty() || fields.back().m_nOffset != offset) {
                index[b] = static_cast<std::uint16_t>(fields.size());
            }
        }
        fields.push_back(std::move(field));
    }

    STable& m_table;
    std::uint16_t m_nGroup;
    const SGroup& m_def;
};

STable Build() {
    STable table;
    for (std::size_t g = 0; g < std::size(kGroups); ++g) {
        const SGroup& def = kGroups[g];
        table.m_aGroups.push_back({{def.m_apszName[0], def.m_apszName[1]}});
        CBuilder(table, static_cast<std::uint16_t>(g), def).Walk(def.m_aItems, 0, {});
    }
    return table;
}

const STable& Table() {
    static const STable s_table = Build();
    return s_table;
}

std::uint32_t RawOf(const SField& field, const std::uint8_t* bytes) {
    if (field.m_nWidth == 2) {
        return GetU16(bytes);
    }
    if (field.m_nWidth != 1) {
        return 0;
    }
    std::uint32_t raw = bytes[0] & field.m_nMask;
    for (std::uint8_t mask = field.m_nMask; (mask & 1) == 0; mask >>= 1) {
        raw >>= 1;
    }
    return raw;
}

void SetNumber(SFieldValue& value, double number, int decimals, const char* unit) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, number);
    value.m_bNumber = true;
    value.m_dNumber = number;
    value.m_nDecimals = decimals;
    value.m_strText = text;
    value.m_strUnit = unit;
}

void SetFormatted(SFieldValue& value, const SLabelFormat& format, int raw) {
    SLabelValue shown = LabelValue(format, raw, 0);
    value.m_bNumber = shown.m_bNumber;
    value.m_dNumber = shown.m_dNumber;
    value.m_nDecimals = shown.m_nDecimals;
    value.m_strText = std::move(shown.m_strText);
    value.m_strUnit = std::move(shown.m_strUnit);
}

// A choice of this many names or fewer is described by its names, a longer one by its ends.
constexpr std::size_t kListedChoices = 5;

// One end of a range as a person writes it: whole numbers without decimals, a typographic
// minus, a plus where the range also goes below zero ("−24", "+12", "0.5", "OFF").
std::string BoundText(const SFieldValue& value, bool signedRange) {
    if (!value.m_bNumber) {
        return value.m_strText;
    }
    std::string text = value.m_strText;
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    if (text.front() == '-') {
        return "\u2212" + text.substr(1);
    }
    return signedRange && value.m_dNumber > 0 ? "+" + text : text;
}

} // namespace

const SFieldKind& FieldKind(EFieldKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

std::string SFieldValue::Display() const {
    return m_strUnit.empty() ? m_strText : m_strText + " " + m_strUnit;
}

std::span<const SField> Fields(EArea area) {
    return area == EArea::Image ? Table().m_aImage : Table().m_aSystem;
}

std::span<const SFieldGroup> FieldGroups() {
    return Table().m_aGroups;
}

const SField* FieldAt(EArea area, std::size_t offset, std::uint8_t bits) {
    const STable& table = Table();
    const bool image = area == EArea::Image;
    if (offset >= (image ? kImageSize : kSystemSize)) {
        return nullptr;
    }
    const std::span<const SField> fields = Fields(area);
    std::size_t i = image ? table.m_anImageIndex[offset] : table.m_anSystemIndex[offset];
    const std::size_t first = i;
    for (; i < fields.size() && fields[i].m_nOffset == fields[first].m_nOffset; ++i) {
        if ((fields[i].m_nMask & bits) != 0) {
            return &fields[i];
        }
    }
    return &fields[first];
}

SFieldValue ReadField(const SField& field, const std::uint8_t* area) {
    const std::uint8_t* bytes = area + field.m_nOffset;
    const SFieldKind& kind = FieldKind(field.m_eKind);
    if (kind.m_eDecode == EDecode::Text) {
        SFieldValue value;
        value.m_strText = FieldText(bytes, field.m_nWidth);
        return value;
    }
    return ReadRaw(kind, RawOf(field, bytes));
}

SFieldValue ReadRaw(const SFieldKind& kind, std::uint32_t rawBits) {
    SFieldValue value;
    value.m_nRaw = rawBits;
    const int raw = static_cast<int>(rawBits);
    if (kind.m_nReadMax > 0 && raw > kind.m_nReadMax) {
        value.m_strText = "(" + std::to_string(raw) + ")";
        return value;
    }
    switch (kind.m_eDecode) {
    case EDecode::Text:
        break;
    case EDecode::Frequency:
        SetNumber(value, FreqOfIndex(raw), FreqOfIndex(raw) >= 101.0 ? 0 : 1, "Hz");
        break;
    case EDecode::Q:
        SetNumber(value, QOfIndex(raw), 2, "");
        break;
    case EDecode::Format:
        SetFormatted(value, kind.m_read, raw);
        break;
    case EDecode::Labels:
        value.m_strText = raw < static_cast<int>(kind.m_aNames.size())
                              ? kind.m_aNames[static_cast<std::size_t>(raw)]
                              : "(" + std::to_string(raw) + ")";
        break;
    }
    return value;
}

std::string FieldDescription(const SField& field, const SFieldKind& kind, int language) {
    const std::string& name = field.Name(language);
    if (kind.m_eDecode == EDecode::Text || kind.m_eKind == EFieldKind::Reserved) {
        return name;
    }
    if (kind.m_eDecode == EDecode::Labels && kind.m_aNames.size() <= kListedChoices) {
        std::string choices;
        for (const char* pszName : kind.m_aNames) {
            choices += (choices.empty() ? "" : " / ") + std::string(pszName);
        }
        return name + (language != 0 ? "：" : ": ") + choices;
    }
    const auto bound = [&kind](int position) {
        return ReadRaw(kind, static_cast<std::uint32_t>(position * kind.m_nScale));
    };
    const SFieldValue low = bound(kind.m_nMin);
    const SFieldValue high = bound(kind.m_nMax);
    const bool signedRange = low.m_bNumber && low.m_dNumber < 0;
    std::string range = BoundText(low, false) + "…" + BoundText(high, signedRange);
    if (!high.m_strUnit.empty()) {
        range += " " + high.m_strUnit;
    }
    return name + (language != 0 ? "，" : ", ") + range;
}

std::string RawBytesText(const SField& field, const std::uint8_t* area) {
    std::string text;
    for (std::size_t i = 0; i < field.m_nWidth; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", area[field.m_nOffset + i]);
        text += (i == 0 ? "" : " ") + std::string(hex);
    }
    return text;
}

bool FieldDiffers(const SField& field, const std::uint8_t* a, const std::uint8_t* b) {
    for (std::size_t i = field.m_nOffset; i < field.m_nOffset + field.m_nWidth; ++i) {
        const std::uint8_t mask = field.m_nWidth == 1 ? field.m_nMask : 0xFF;
        if (((a[i] ^ b[i]) & mask) != 0) {
            return true;
        }
    }
    return false;
}

void CompareArea(EArea area, int mode, const std::uint8_t* a, const std::uint8_t* b,
                 std::vector<SFieldDifference>& out) {
    for (const SField& field : Fields(area)) {
        if (FieldDiffers(field, a, b)) {
            out.push_back({mode, &field});
        }
    }
}

} // namespace zolt
