// The skin: every bitmap and icon resource of the program, drawn in code the first time it
// is asked for and cached by resource number (and by size for pictures drawn stretched).
// UI thread only (pixmaps belong to the GUI thread).
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace zolt {

// Resource numbers of the skin pictures.
enum ESkin : int {
    kSkinIcon = 128,
    kSkinVolumeThumb = 133,
    kSkinVolumeChannel = 134,
    kSkinGainThumb = 137,
    kSkinGainChannel = 138,
    kSkinGainThumbActive = 139,
    kSkinSliderThumb = 141,
    kSkinSliderChannel = 142,
    kSkinButton = 152,
    kSkinButtonChecked = 153,
    kSkinSliderChannelActive = 155,
    kSkinSelectorChecked = 157,
    kSkinSelector = 158,
    kSkinPolarityMinus = 160,
    kSkinPolarityPlus = 161,
    kSkinBackground = 167,
    kSkinVolumeChannelActive = 169,
    kSkinMeterScaleChinese = 170, // the System page's meter scale (controls/SkinScale.h)
    kSkinMute = 172,
    kSkinMuted = 173,
    kSkinMeterScaleEnglish = 174,
    kSkinModeButton = 175,
    kSkinModeButtonActive = 176,
    kSkinConfirmActive = 177,
    kSkinConfirm = 178,
    kSkinComboMiddle = 200,
    kSkinComboLeft = 201,
    kSkinComboRight = 202,
    kSkinListTop = 203,
    kSkinListBottom = 204,
    kSkinListLeft = 205,
    kSkinListRight = 206,
};

// The picture of resource nId in its own size; a null pixmap when no such resource exists.
const QPixmap& SkinPixmap(int nId);
// The same picture drawn to fill size (what stretching the bitmap would show, but crisp).
const QPixmap& SkinPixmap(int nId, QSize size);
// The picture's own size; an empty size for an unknown resource.
QSize SkinSize(int nId);
// Icon resource nId (the program icon 128).
QIcon SkinIcon(int nId);

} // namespace zolt
