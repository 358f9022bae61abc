#include "controls/BitmapSlider.h"

#include "controls/DialogTemplate.h"
#include "controls/Message.h"
#include "controls/Skin.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zolt {

namespace {

constexpr int kTickMs = 50;
constexpr int kWheelNotch = 120;
// Keeps a coordinate or frequency conversion of any input inside int.
constexpr double kPositionLimit = 1 << 20;

int LowestThumbCoord(const SSliderAxis& axis) {
    return axis.nMarginLow + axis.nThumb / 2;
}

int Travel(const SSliderAxis& axis) {
    return axis.nLength - axis.nMarginLow - axis.nMarginHigh - axis.nThumb;
}

// The skin picture nId, with the key colour masked out when bTransparent is set.
QPixmap LoadPicture(int nId, bool bTransparent, ColorRef nKey, int nX, int nY) {
    QPixmap picture = SkinPixmap(nId);
    if (picture.isNull() || !bTransparent) {
        return picture;
    }
    const QColor key =
        nKey == kKeyFromPixel ? QColor::fromRgba(picture.toImage().pixel(nX, nY)) : QColorOf(nKey);
    picture.setMask(picture.createMaskFromColor(key, Qt::MaskInColor));
    return picture;
}

// A normal picture and its optional active twin (id 0: none), which must be the same size.
// False when either cannot be had.
bool LoadPicturePair(int nNormal, int nActive, bool bTransparent, ColorRef nKey, int nX, int nY,
                     QPixmap& normal, QPixmap& active) {
    normal = LoadPicture(nNormal, bTransparent, nKey, nX, nY);
    active = nActive != 0 ? LoadPicture(nActive, bTransparent, nKey, nX, nY) : QPixmap();
    return !normal.isNull() && (nActive == 0 || active.size() == normal.size());
}

} // namespace

int ThumbCentre(const SSliderAxis& axis, int nPos) {
    const int nStart = LowestThumbCoord(axis);
    const long long nSpan = static_cast<long long>(axis.nMax) - axis.nMin;
    if (nSpan == 0) {
        return nStart;
    }
    return nStart +
           static_cast<int>(static_cast<long long>(Travel(axis)) * (nPos - axis.nMin) / nSpan);
}

int PosAtCoord(const SSliderAxis& axis, int nCoord) {
    const int nTravel = Travel(axis);
    if (nTravel == 0) {
        return axis.nMin;
    }
    const double dPos =
        axis.nMin + static_cast<double>(nCoord - axis.nMarginLow - axis.nThumb / 2) / nTravel *
                        (static_cast<double>(axis.nMax) - axis.nMin);
    return static_cast<int>(std::trunc(std::clamp(dPos, -kPositionLimit, kPositionLimit)));
}

int ClampThumbCoord(const SSliderAxis& axis, int nCoord) {
    const int nLow = LowestThumbCoord(axis);
    const int nHigh = axis.nLength - axis.nMarginHigh - axis.nThumb / 2;
    return std::clamp(nCoord, nLow, std::max(nLow, nHigh));
}

int FrequencyPosition(double dHz) {
    if (!(dHz > 0)) {
        return static_cast<int>(-kPositionLimit);
    }
    // 240 steps per decade cubed; the small lift keeps exact steps (200 Hz, 20 kHz) from
    // falling one short through rounding before the truncation.
    const double dSteps = 240 * std::log(dHz / 20) / std::log(1000.0) + 1e-9;
    return static_cast<int>(std::trunc(std::clamp(dSteps, -kPositionLimit, kPositionLimit)));
}

CBitmapSlider::CBitmapSlider(QWidget* pParent) : QWidget(pParent) {
    setFocusPolicy(Qt::StrongFocus);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CBitmapSlider::OnTick);
}

void CBitmapSlider::SetRange(int nMin, int nMax, bool bRedraw) {
    m_nMin = nMin;
    m_nMax = nMax;
    m_nPos = nMin;
    if (bRedraw) {
        update();
    }
}

void CBitmapSlider::SetPos(int nPos) {
    m_nPos = std::clamp(nPos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    update();
}

void CBitmapSlider::SetPosFromFarEnd(int nValue) {
    SetPos(m_nMax + m_nMin - nValue);
}

void CBitmapSlider::SetFrequency(double dHz) {
    SetPos(FrequencyPosition(dHz));
}

void CBitmapSlider::SetVertical(bool bVertical) {
    m_bVertical = bVertical;
    update();
}

void CBitmapSlider::SetMargins(int nLeft, int nTop, int nRight, int nBottom) {
    m_nMarginLeft = nLeft;
    m_nMarginTop = nTop;
    m_nMarginRight = nRight;
    m_nMarginBottom = nBottom;
    update();
}

bool CBitmapSlider::SetChannelPictures(int nNormal, int nActive, bool bTransparent, ColorRef nKey,
                                       int nX, int nY) {
    m_channel = QPixmap();
    m_channelActive = QPixmap();
    update();
    if (nNormal == 0) {
        return true;
    }
    QPixmap normal;
    QPixmap active;
    if (!LoadPicturePair(nNormal, nActive, bTransparent, nKey, nX, nY, normal, active)) {
        return false;
    }
    m_channel = normal;
    m_channelActive = active;
    resize(normal.size());
    return true;
}

bool CBitmapSlider::SetThumbPictures(int nNormal, int nActive, bool bTransparent, ColorRef nKey,
                                     int nX, int nY) {
    m_thumb = QPixmap();
    m_thumbActive = QPixmap();
    update();
    if (nNormal == 0) {
        return true;
    }
    QPixmap normal;
    QPixmap active;
    if (!LoadPicturePair(nNormal, nActive, bTransparent, nKey, nX, nY, normal, active) ||
        normal.width() > width() || normal.height() > height()) {
        return false;
    }
    m_thumb = normal;
    m_thumbActive = active;
    return true;
}

void CBitmapSlider::Enable(bool bEnable) {
    setEnabled(bEnable);
    update();
}

void CBitmapSlider::SetFocusLook(bool bFocusLook) {
    if (m_bFocusLook != bFocusLook) {
        m_bFocusLook = bFocusLook;
        update();
    }
}

SSliderAxis CBitmapSlider::Axis() const {
    if (m_bVertical) {
        return {height(), m_nMarginTop, m_nMarginBottom, m_thumb.height(), m_nMin, m_nMax};
    }
    return {width(), m_nMarginLeft, m_nMarginRight, m_thumb.width(), m_nMin, m_nMax};
}

int CBitmapSlider::AxisCoord(const QPoint& pt) const {
    return m_bVertical ? pt.y() : pt.x();
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one step, so a drag never shows a half-drawn state.
    QPixmap frame(size());
    frame.fill(Qt::transparent);
    {
        QPainter p(&frame);
        Render(p);
    }
    QPainter(this).drawPixmap(0, 0, frame);
}

void CBitmapSlider::Render(QPainter& p) const {
    const int nCentre = ThumbCentre(Axis(), m_nPos);
    if (!m_channel.isNull()) {
        if (m_channelActive.isNull() || !isEnabled()) {
            p.drawPixmap(0, 0, m_channel);
        } else if (m_bVertical) {
            p.drawPixmap(0, 0, m_channelActive, 0, 0, width(), nCentre);
            p.drawPixmap(0, nCentre, m_channel, 0, nCentre, width(), height() - nCentre);
        } else {
            p.drawPixmap(0, 0, m_channelActive, 0, 0, nCentre, height());
            p.drawPixmap(nCentre, 0, m_channel, nCentre, 0, width() - nCentre, height());
        }
    }
    if (m_thumb.isNull() || !isEnabled()) {
        return;
    }
    const bool bActive = (!m_thumbActive.isNull() && m_bDragging) || m_bFocusLook;
    const QPixmap& thumb = bActive && !m_thumbActive.isNull() ? m_thumbActive : m_thumb;
    if (m_bVertical) {
        p.drawPixmap(m_nMarginLeft, nCentre - thumb.height() / 2, thumb);
    } else {
        p.drawPixmap(nCentre - thumb.width() / 2, m_nMarginTop, thumb);
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_bDragging = true;
    const SSliderAxis axis = Axis();
    const int nCentre = ThumbCentre(axis, m_nPos);
    const int nPointer = AxisCoord(e->position().toPoint());
    m_nGrabOffset = std::abs(nPointer - nCentre) <= axis.nThumb / 2 ? nPointer - nCentre : 0;
    // A press beside the thumb steps one unit toward the pointer; on the thumb it grabs.
    const int nCoord = ClampThumbCoord(axis, nPointer - m_nGrabOffset);
    if (nCoord != nCentre) {
        SetPos(m_nPos > PosAtCoord(axis, nCoord) ? m_nPos - 1 : m_nPos + 1);
        m_bDragging = false;
        m_bChangePending = true;
    }
    m_tick.start();
    update();
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* e) {
    if (!m_bDragging) {
        return;
    }
    const SSliderAxis axis = Axis();
    const int nCoord = ClampThumbCoord(axis, AxisCoord(e->position().toPoint()) - m_nGrabOffset);
    int nPos = m_nPos;
    if (nCoord == LowestThumbCoord(axis)) {
        nPos = m_nMin; // the start of the travel is exactly the minimum
    } else if (nCoord != ThumbCentre(axis, m_nPos)) {
        nPos = PosAtCoord(axis, nCoord);
    }
    const int nBefore = m_nPos;
    SetPos(nPos);
    if (m_nPos != nBefore) {
        m_bChangePending = true;
    }
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    if (m_bDragging || m_bChangePending) {
        Notify(WM_SLIDER_MOVED);
    }
    EndDrag();
}

void CBitmapSlider::EndDrag() {
    m_bDragging = false;
    m_bChangePending = false;
    m_tick.stop();
    update();
}

void CBitmapSlider::OnTick() {
    if (m_bChangePending) {
        Notify(WM_SLIDER_MOVING);
        m_bChangePending = false;
    }
}

void CBitmapSlider::keyPressEvent(QKeyEvent* e) {
    const int nAlong = m_bVertical ? 1 : -1; // Down steps up a vertical slider, down a horizontal
    switch (e->key()) {
    case Qt::Key_PageUp:
        SetPos(m_nPos - m_nPageStep);
        break;
    case Qt::Key_PageDown:
        SetPos(m_nPos + m_nPageStep);
        break;
    case Qt::Key_End:
        SetPos(m_nMax);
        break;
    case Qt::Key_Home:
        SetPos(m_nMin);
        break;
    case Qt::Key_Up:
        SetPos(m_nPos - nAlong);
        break;
    case Qt::Key_Down:
        SetPos(m_nPos + nAlong);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    Notify(WM_SLIDER_MOVED);
}

void CBitmapSlider::wheelEvent(QWheelEvent* e) {
    const QPoint delta = e->angleDelta();
    const int nDelta = delta.y() != 0 ? delta.y() : delta.x();
    m_nWheelTotal =
        static_cast<std::int16_t>(std::clamp(m_nWheelTotal + nDelta, -kWheelNotch, kWheelNotch));
    const int nAlong = m_bVertical ? -1 : 1; // a notch away from the user
    if (m_nWheelTotal == -kWheelNotch || m_nWheelTotal == kWheelNotch) {
        SetPos(m_nPos + (m_nWheelTotal > 0 ? nAlong : -nAlong));
        m_nWheelTotal = 0;
        Notify(WM_SLIDER_MOVED);
    }
    e->accept();
    update();
}

void CBitmapSlider::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    SetFocusLook(true);
}

void CBitmapSlider::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    SetFocusLook(false);
}

void CBitmapSlider::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange && !isEnabled()) {
        EndDrag();
    }
    QWidget::changeEvent(e);
}

void CBitmapSlider::Notify(unsigned nMessage) {
    PostMessage(parentWidget(), nMessage, static_cast<WParam>(ControlId(this)), m_nPos);
}

} // namespace zolt
