// The skinned slider of every page: a channel picture and a thumb picture from the skin,
// an integer position within a range, mouse, key and wheel input, and two posted notices
// to the parent: WM_SLIDER_MOVING during a drag (at most once per 50 ms tick) and
// WM_SLIDER_MOVED when a drag ends, after a key and after a full wheel notch
// (wParam = the slider's control id, lParam = the new position). UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace zolt {

// The slider's geometry along its axis, in pixels: the control's length, the margins at
// the low (left / top) and high (right / bottom) ends, the thumb's length, and the range.
struct SSliderAxis {
    int nLength;
    int nMarginLow;
    int nMarginHigh;
    int nThumb;
    int nMin;
    int nMax;
};

// Pixel coordinate of the thumb centre for position nPos; the travel is divided with
// truncation toward zero. A range with no span puts the thumb at the low end.
int ThumbCentre(const SSliderAxis& axis, int nPos);
// Position (unclamped) under pixel coordinate nCoord, computed in floating point and
// truncated toward zero as a whole.
int PosAtCoord(const SSliderAxis& axis, int nCoord);
// nCoord limited to the thumb centre's travel.
int ClampThumbCoord(const SSliderAxis& axis, int nCoord);
// Slider position for a frequency in Hz on the 0..240 logarithmic scale (20 Hz at 0,
// 20 kHz at 240), before clamping into a range.
int FrequencyPosition(double dHz);

// A key colour that stands for the colour of the picture's pixel (x, y).
constexpr ColorRef kKeyFromPixel = 0xFF000000;

class CBitmapSlider : public QWidget {
    Q_OBJECT
public:
    explicit CBitmapSlider(QWidget* pParent = nullptr);

    // Stores both bounds and moves to the minimum; repaints only when bRedraw is set.
    // The range must have a span (nMax != nMin).
    void SetRange(int nMin, int nMax, bool bRedraw = false);
    int RangeMin() const { return m_nMin; }
    int RangeMax() const { return m_nMax; }
    void SetPos(int nPos);
    int Pos() const { return m_nPos; }
    // For vertical sliders whose value grows upward: position = max + min - nValue.
    void SetPosFromFarEnd(int nValue);
    int PosFromFarEnd() const { return m_nMax + m_nMin - m_nPos; }
    // Frequency in Hz on the logarithmic 0..240 scale, clamped into the range.
    void SetFrequency(double dHz);
    void SetPageStep(int nStep) { m_nPageStep = nStep; }
    void SetVertical(bool bVertical);
    bool IsVertical() const { return m_bVertical; }
    // Pixels between the control's edges and the thumb's travel.
    void SetMargins(int nLeft, int nTop, int nRight, int nBottom);

    // Channel pictures by skin number (nActive 0 = none); the control takes the picture's
    // size. An id of 0 removes the pictures. With bTransparent, pixels of colour nKey
    // (kKeyFromPixel: the colour at nX, nY) are not drawn. False when a picture is missing
    // or the active one differs in size; the old pictures are then dropped.
    bool SetChannelPictures(int nNormal, int nActive = 0, bool bTransparent = false,
                            ColorRef nKey = kKeyFromPixel, int nX = 0, int nY = 0);
    // The same for the thumb, which must fit inside the control.
    bool SetThumbPictures(int nNormal, int nActive = 0, bool bTransparent = false,
                          ColorRef nKey = kKeyFromPixel, int nX = 0, int nY = 0);

    // Enables or disables input and the thumb; disabling ends a drag.
    void Enable(bool bEnable);
    // Shows the active thumb picture while set (a linked numeric field sets it).
    void SetFocusLook(bool bFocusLook);
    bool HasFocusLook() const { return m_bFocusLook; }
    bool IsDragging() const { return m_bDragging; }

    // The geometry along the axis, as the formulas above take it.
    SSliderAxis Axis() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Render(QPainter& p) const;
    int AxisCoord(const QPoint& pt) const;
    void Notify(unsigned nMessage);
    void OnTick();
    void EndDrag();

    int m_nMin = 0;
    int m_nMax = 100;
    int m_nPos = 0;
    int m_nPageStep = 20;
    bool m_bVertical = false;
    int m_nMarginLeft = 0;
    int m_nMarginTop = 0;
    int m_nMarginRight = 0;
    int m_nMarginBottom = 0;
    QPixmap m_channel;
    QPixmap m_channelActive;
    QPixmap m_thumb;
    QPixmap m_thumbActive;
    bool m_bFocusLook = false;
    bool m_bDragging = false;
    bool m_bChangePending = false;
    int m_nGrabOffset = 0;
    std::int16_t m_nWheelTotal = 0;
    QTimer m_tick;
};

} // namespace zolt
