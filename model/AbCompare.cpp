#include "model/AbCompare.h"

#include "model/Command.h"
#include "model/Defaults.h"

#include <algorithm>

namespace zolt {

namespace {

CAbCompare::CImage WorkingImage() {
    CAbCompare::CImage image{};
    const CImageGuard guard(ImageLock());
    std::copy_n(Image(), kImageSize, image.begin());
    return image;
}

} // namespace

void CAbCompare::Start() {
    m_abHidden = WorkingImage();
    m_eShown = ESide::B;
    m_bActive = true;
}

void CAbCompare::Switch() {
    if (!m_bActive) {
        return;
    }
    const CImage shown = WorkingImage();
    Show(m_abHidden);
    m_abHidden = shown;
    m_eShown = m_eShown == ESide::A ? ESide::B : ESide::A;
}

void CAbCompare::Keep(ESide side) {
    if (m_bActive && side != m_eShown) {
        Show(m_abHidden);
    }
    m_bActive = false;
}

CAbCompare::CImage CAbCompare::Side(ESide side) const {
    return side == m_eShown ? WorkingImage() : m_abHidden;
}

void CAbCompare::Show(const CImage& image) {
    const CImageGuard guard(ImageLock());
    std::copy(image.begin(), image.end(), Image());
    RebindCurves();
}

} // namespace zolt
