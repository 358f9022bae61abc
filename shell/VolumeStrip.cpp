#include "shell/VolumeStrip.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "controls/Language.h"
#include "controls/Skin.h"
#include "model/Layout.h"

#include <array>

namespace zolt {

namespace {

// The volumes: music, mic, effect.
constexpr SFieldBinding kVolumes[] = {
    bind::Level(3820, 3810, 4000, sysblock::kMusicVolume, sysblock::kMusicMax, EFieldKind::Volume)
        .In(EBlock::System)
        .Pictures(kSkinMute, kSkinMuted),
    bind::Level(3821, 3811, 4002, sysblock::kMicVolume, sysblock::kMicMax, EFieldKind::Volume)
        .In(EBlock::System)
        .Pictures(kSkinMute, kSkinMuted),
    bind::Level(3822, 3812, 4001, sysblock::kEffectVolume, sysblock::kEffectMax,
                EFieldKind::EffectVolume)
        .In(EBlock::System)
        .Pictures(kSkinMute, kSkinMuted),
};

// The captions, in the order of the volumes.
constexpr SCaption kCaptions[] = {
    {3800, "音乐音量", "Music Vol"},
    {3801, "话筒音量", "Mic Vol"},
    {3802, "效果音量", "Effect Vol"},
};

// The volume captions take the whole gap up to their slider, in a slightly smaller font,
// so that "Music Vol" and "音乐音量" fit without being cut.
constexpr int kCaptionCellHeight = 12;

} // namespace

CVolumeStrip::CVolumeStrip(QWidget* pContent)
    : QObject(pContent), m_pContent(pContent), m_fields(pContent, kVolumes, *this) {
    m_fields.SetUp();
    for (const SFieldBinding& row : kVolumes) {
        auto* pSlider = DlgItem<CBitmapSlider>(pContent, row.m_nSlider);
        pSlider->SetChannelPictures(kSkinVolumeChannel, kSkinVolumeChannelActive);
        pSlider->SetThumbPictures(kSkinVolumeThumb);
    }
    for (const SCaption& caption : kCaptions) {
        auto* pCaption = DlgItem<CFontStatic>(pContent, caption.m_nId);
        pCaption->SetTextColor(kWhite);
        pCaption->SetFontHeight(kCaptionCellHeight);
    }
}

void CVolumeStrip::Refresh() {
    m_fields.LoadAll();
}

void CVolumeStrip::ApplyLanguage() {
    ApplyCaptions(m_pContent, kCaptions);
    m_fields.Explain();
}

void CVolumeStrip::ClampVolumes() {
    for (const SFieldBinding& row : kVolumes) {
        m_fields.HoldToLimit(row.m_nSlider);
    }
}

bool CVolumeStrip::OnSlider(int nSlider) {
    return m_fields.OnSlider(nSlider);
}

std::size_t CVolumeStrip::BlockOffset(EBlock) const {
    return 0;
}

CFilter* CVolumeStrip::CurveFilter(int) const {
    return nullptr;
}

void CVolumeStrip::AfterWrite(const SFieldBinding&, int) {}

} // namespace zolt
