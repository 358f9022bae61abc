#include "pages/MusicData.h"

#include "model/Command.h"
#include "model/Defaults.h"

#include <algorithm>

namespace zolt {

namespace {

constexpr std::size_t kKeyShiftByte = 9; // system block
constexpr std::uint8_t kLowNibble = 0x0F;

SMusicView g_musicView;

} // namespace

SMusicView& MusicView() {
    return g_musicView;
}

void ResetMusicView() {
    g_musicView = SMusicView{};
}

bool MusicLinked() {
    CImageGuard guard(ImageLock());
    return Image()[image::kMusicLink] != 0;
}

bool FollowMusicLink(SMusicView& view) {
    if (!MusicLinked() || view.m_nChannel == 0) {
        return false;
    }
    view.m_nChannel = 0;
    return true;
}

std::size_t EditedMusicBlock(const SMusicView& view) {
    return (MusicLinked() || view.m_nChannel == 0) ? image::kMusicLeft : image::kMusicRight;
}

std::uint8_t MusicByte(std::size_t nOffset) {
    CImageGuard guard(ImageLock());
    return Image()[nOffset];
}

int MusicU16(std::size_t nOffset) {
    CImageGuard guard(ImageLock());
    return GetU16(Image() + nOffset);
}

void WriteMusicByte(std::size_t nOffset, std::uint8_t bValue) {
    CImageGuard guard(ImageLock());
    Image()[nOffset] = bValue;
}

void WriteMusicU16(std::size_t nOffset, int nValue) {
    CImageGuard guard(ImageLock());
    SetU16(Image() + nOffset, static_cast<std::uint16_t>(nValue));
}

std::uint8_t KeyShiftByte(int nPosition, std::uint8_t bByte9) {
    const int nKey = std::clamp(nPosition, 0, kKeyShiftMax);
    return static_cast<std::uint8_t>(nKey * 16 + (bByte9 & kLowNibble));
}

int KeyShift() {
    CImageGuard guard(ImageLock());
    return System()[kKeyShiftByte] >> 4;
}

void WriteKeyShift(int nPosition) {
    CImageGuard guard(ImageLock());
    System()[kKeyShiftByte] = KeyShiftByte(nPosition, System()[kKeyShiftByte]);
}

bool ToggleMusicLink() {
    CImageGuard guard(ImageLock());
    std::uint8_t& bFlag = Image()[image::kMusicLink];
    bFlag = bFlag != 0 ? 0 : 1;
    if (bFlag == 0) {
        MusicLinkCopy();
    }
    return bFlag != 0;
}

bool ToggleMusicBypass(std::size_t nBlock) {
    CImageGuard guard(ImageLock());
    std::uint8_t& bFlag = Image()[nBlock + music::kBypass];
    bFlag = bFlag != 0 ? 0 : 1;
    return bFlag != 0;
}

} // namespace zolt
