#include "controls/SLamp.h"

#include <QPainter>

#include <algorithm>

namespace zolt {

namespace {

constexpr int kLampGap = 6;
constexpr int kLevelFloor = 110; // the first level that lights a segment
constexpr int kLevelStep = 6;
constexpr int kLevelClip = 200;
constexpr ColorRef kLampBackground = 0x848484;
constexpr ColorRef kLevelColour = 0x50B000;
constexpr ColorRef kClipColour = 0x00FFFF;
constexpr ColorRef kLimitColour = 0x00A5FF;

} // namespace

QRect LampSegmentRect(int i, int nWidth, int nHeight) {
    const int nPitch = nHeight / (kLampSegments - 1);
    const int nBottom = nHeight - i * nPitch;
    const int nTop = std::max(0, nHeight - (i + 1) * nPitch + kLampGap);
    return QRect(0, nTop, nWidth, std::max(0, nBottom - nTop));
}

ColorRef LampSegmentColour(int i) {
    return i < kLampClip ? kLevelColour : i == kLampClip ? kClipColour : kLimitColour;
}

int LampLitLevelSegments(int nLevel) {
    nLevel = std::min(nLevel, kLevelClip);
    return nLevel < kLevelFloor ? 0 : (nLevel - kLevelFloor) / kLevelStep + 1;
}

bool LampClipLit(int nLevel) {
    return nLevel >= kLevelClip;
}

bool LampLimitLit(int nState) {
    return nState < kLevelClip;
}

CSLamp::CSLamp(QWidget* pParent) : QWidget(pParent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Every pixel is painted here, so the page and its scale picture are not repainted
    // under a meter whenever a segment changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSLamp::Layout() {
    for (int i = 0; i < kLampSegments; ++i) {
        m_aRects[static_cast<std::size_t>(i)] = LampSegmentRect(i, width(), height());
    }
}

void CSLamp::LevelUpdate(int nLevel) {
    const int nLit = LampLitLevelSegments(nLevel);
    for (int i = 0; i < kLampLevelSegments; ++i) {
        m_abWanted[static_cast<std::size_t>(i)] = i < nLit;
    }
    m_abWanted[kLampClip] = LampClipLit(nLevel);
    QRect changed;
    for (int i = 0; i <= kLampClip; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (m_abWanted[n] != m_abShown[n]) {
            m_abShown[n] = m_abWanted[n];
            changed |= m_aRects[n];
        }
        m_abWanted[n] = false;
    }
    // Only the span of the segments that changed is repainted, unless a whole repaint is
    // pending.
    if (m_bChanged) {
        update();
        m_bChanged = false;
    } else if (!changed.isEmpty()) {
        update(changed);
    }
}

void CSLamp::LimitUpdate(int nState) {
    const bool bLit = LampLimitLit(nState);
    if (bLit != m_abShown[kLampLimit]) {
        m_abShown[kLampLimit] = bLit;
        update(m_aRects[kLampLimit]);
        m_bChanged = true;
    }
}

void CSLamp::AllOff() {
    m_abShown.fill(false);
    m_abWanted.fill(false);
    m_bChanged = true;
    update();
}

void CSLamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColorOf(kLampBackground));
    for (int i = 0; i < kLampSegments; ++i) {
        const auto n = static_cast<std::size_t>(i);
        if (m_abShown[n]) {
            p.fillRect(m_aRects[n], QColorOf(LampSegmentColour(i)));
        }
    }
}

} // namespace zolt
