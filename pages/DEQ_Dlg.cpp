#include "pages/DEQ_Dlg.h"

#include "eq/CFStatic.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "model/Layout.h"

#include <array>

namespace zolt {

namespace {

using namespace deqid;
using namespace ctlkind;

constexpr int kBandCount = static_cast<int>(music::kDynamicBandCount);

// Where each band's column starts, in dialog units from the first band's.
constexpr std::array<int, kBandCount> kColumnShift{0, 247, 481};
constexpr std::array<const char*, kBandCount> kBandNumbers{"1", "2", "3"};

// The first band's column of template 144; positions and sizes in dialog units. Sliders
// take their channel picture's size (the horizontal ones no wider than given here), combo
// boxes the closed-box height.
constexpr std::size_t kColumnRows = 22;
constexpr std::array<SControlTemplate, kColumnRows> kFirstColumn{{
    {kBandNumber, kCaption, 13, 6, 20, 9},
    {kTypeCaption, kCaption, 11, 23, 37, 9},
    {kType, ECtl::BitComboBox, 50, 20, 45, 60},
    {kFreqCaption, kCaption, 11, 38, 37, 9},
    {kFreq, kField, 50, 35, 45, 11},
    {kGainSlider, kSlider, 57, 50, 22, 66, false, "", kStyleVertical},
    {kGainCaption, kCaption, 11, 122, 37, 9},
    {kGain, kField, 49, 120, 46, 11},
    {kQCaption, kCaption, 11, 139, 37, 9},
    {kQ, kField, 49, 137, 46, 11},
    {kThresholdCaption, kCaption, 107, 42, 68, 9},
    {kThresholdLabel, kLabel, 176, 42, 36, 9},
    {kThresholdSlider, kSlider, 105, 55, 110, 10},
    {kAttackCaption, kCaption, 107, 70, 68, 9},
    {kAttackLabel, kLabel, 176, 70, 36, 9},
    {kAttackSlider, kSlider, 105, 85, 110, 10},
    {kReleaseCaption, kCaption, 107, 99, 68, 9},
    {kReleaseLabel, kLabel, 176, 99, 36, 9},
    {kReleaseSlider, kSlider, 105, 113, 110, 10},
    {kRatioCaption, kCaption, 107, 128, 68, 9},
    {kRatioLabel, kLabel, 176, 128, 36, 9},
    {kRatioSlider, kSlider, 105, 141, 110, 10},
}};

constexpr SControlTemplate kPageRows[] = {
    {kSync, kButton, 10, 156, 56, 14},
    {kLeft, kButton, 73, 156, 56, 14},
    {kRight, kButton, 136, 156, 56, 14},
    {kEqReset, kButton, 223, 156, 56, 14},
    {kBypass, kButton, 291, 156, 56, 14, true, "Bypass"},
    {kDisplay, ECtl::Custom, 6, 176, 706, 164},
};

// The first column repeated for every band (ids + band, x shifted to the band's column,
// the band's number as the number caption's text), then the page's own rows.
constexpr auto MakeControls() {
    std::array<SControlTemplate, kColumnRows * kBandCount + std::size(kPageRows)> aRows{};
    std::size_t n = 0;
    for (int b = 0; b < kBandCount; ++b) {
        for (SControlTemplate row : kFirstColumn) {
            row.nId += b;
            row.nX += kColumnShift[static_cast<std::size_t>(b)];
            if (row.nId == kBandNumber + b) {
                row.pszText = kBandNumbers[static_cast<std::size_t>(b)];
            }
            aRows[n++] = row;
        }
    }
    for (const SControlTemplate& row : kPageRows) {
        aRows[n++] = row;
    }
    return aRows;
}
constexpr auto kControls = MakeControls();

// The first band's captions; every band has the same.
constexpr SCaption kColumnCaptions[] = {
    {kThresholdCaption, "压限启动电平", "Limit Level"},
    {kAttackCaption, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {kReleaseCaption, "压限释放时间", "Release Time"},
    {kRatioCaption, "压缩比例", "Ratio"},
    {kTypeCaption, "类型", "Type"},
    {kFreqCaption, "频率(Hz)", "Freq(Hz)"},
    {kGainCaption, "增益(dB)", "Gain(dB)"},
    {kQCaption, "Q值", "Q"},
};
constexpr SCaption kPageCaptions[] = {
    {kSync, "同步", "SYNC"},
    {kLeft, "音乐左", "Music Left"},
    {kRight, "音乐右", "Music Right"},
    {kEqReset, "EQ 重置", "EQ Reset"},
};

constexpr auto MakeCaptions() {
    std::array<SCaption, std::size(kColumnCaptions) * kBandCount + std::size(kPageCaptions)>
        aCaptions{};
    std::size_t n = 0;
    for (int b = 0; b < kBandCount; ++b) {
        for (SCaption caption : kColumnCaptions) {
            caption.m_nId += b;
            aCaptions[n++] = caption;
        }
    }
    for (const SCaption& caption : kPageCaptions) {
        aCaptions[n++] = caption;
    }
    return aCaptions;
}
constexpr auto kCaptions = MakeCaptions();

// Byte nField of band b's record, within the music block.
constexpr std::size_t DynamicsByte(int b, std::size_t nField) {
    return music::kDynamicBands + deq::kSize * static_cast<std::size_t>(b) + nField;
}

// Band b's fields: type, frequency, gain and Q through curve item b (an edit highlights
// it), then its dynamics bytes +5..+8 of the shown channel's record.
constexpr std::array<SFieldBinding, 8> BandFields(int b) {
    return Join(
        std::array{
            bind::BandType(kType + b, b),
            bind::BandFrequency(kFreq + b, b),
            bind::BandGain(kGainSlider + b, kGain + b, b, EFieldKind::DynamicGain),
            bind::BandQ(kQ + b, b),
        },
        bind::Dynamics<4>({{{kThresholdSlider + b, kThresholdLabel + b},
                            {kAttackSlider + b, kAttackLabel + b},
                            {kReleaseSlider + b, kReleaseLabel + b},
                            {kRatioSlider + b, kRatioLabel + b}}},
                          DynamicsByte(b, deq::kThreshold), EFieldKind::DynamicThreshold));
}

constexpr auto MakeFields() {
    std::array<SFieldBinding, 8 * kBandCount> aRows{};
    std::size_t n = 0;
    for (int b = 0; b < kBandCount; ++b) {
        for (const SFieldBinding& row : BandFields(b)) {
            aRows[n++] = row;
        }
    }
    return aRows;
}
constexpr auto kFields = MakeFields();

constexpr SChannelPair kPair{
    kSync,         {kLeft, kRight}, {kDeqMusicLeft, kDeqMusicRight}, image::kMusicLink,
    kDeqMusicLeft, &MusicLinkCopy};

constexpr SDialogTemplate kTemplate{144, 715, 359, kControls};

// No strips: "EQ Reset" puts the three bands back and the columns reload them.
constexpr SPairedEqPage kPage{
    {&kTemplate, kCaptions, kFields, kDisplay, curvegroup::kDynamic},
    &kPair,
    []() -> int& { return DeqView().m_nChannel; },
    {image::kMusicLeft, image::kMusicRight},
    kEqReset,
};

} // namespace

CDEQ_Dlg::CDEQ_Dlg(QWidget* pParent) : CPairedEqPage(kPage, pParent) {
    ApplyLanguage();
    Refresh();
}

} // namespace zolt
