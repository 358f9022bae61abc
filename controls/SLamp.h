// The segment level meter of the System page: sixteen green level segments from the
// bottom, a yellow clip lamp and an orange limit lamp above them, on grey. It repaints
// only when a segment changed. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QRect>
#include <QWidget>

#include <array>

namespace zolt {

constexpr int kLampSegments = 18;
constexpr int kLampLevelSegments = 16;
constexpr int kLampClip = 16;  // segment index of the clip lamp
constexpr int kLampLimit = 17; // segment index of the limit lamp

// Segment i (0..17) of a meter of client size nWidth x nHeight: pitch p = height / 17,
// rows height - (i + 1) p + 6 to height - i p; the limit lamp is cut at the top edge.
QRect LampSegmentRect(int i, int nWidth, int nHeight);
ColorRef LampSegmentColour(int i);
// How many level segments a level value (0..255) lights, and whether it lights the clip.
int LampLitLevelSegments(int nLevel);
bool LampClipLit(int nLevel);
// Whether a state value (0..255) lights the limit lamp.
bool LampLimitLit(int nState);

class CSLamp : public QWidget {
    Q_OBJECT
public:
    explicit CSLamp(QWidget* pParent = nullptr);

    // Computes the segment rectangles from the current size (once, after the page is built).
    void Layout();
    // Lights the level segments and the clip lamp for a level byte.
    void LevelUpdate(int nLevel);
    // Lights or darkens the limit lamp for a state byte.
    void LimitUpdate(int nState);
    // Darkens every segment.
    void AllOff();

    bool IsLit(int i) const { return m_abShown[static_cast<std::size_t>(i)]; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    std::array<QRect, kLampSegments> m_aRects{};
    std::array<bool, kLampSegments> m_abShown{};
    std::array<bool, kLampSegments> m_abWanted{};
    bool m_bChanged = true;
};

} // namespace zolt
