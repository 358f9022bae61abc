#include "controls/BitButton.h"

#include "controls/DialogTemplate.h"
#include "controls/Skin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace zolt {

namespace {

// How much of its picture a disabled button shows over the page behind it.
constexpr double kDimmedOpacity = 0.4;

} // namespace

int BitButtonPictureIndex(bool bChecked, bool bHover, bool bPressed) {
    const int nState = !bHover ? 0 : bPressed ? 2 : 1;
    return (bChecked ? 3 : 0) + nState;
}

CBitButton::CBitButton(QWidget* pParent) : QPushButton(pParent) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void CBitButton::SetPictures(int a, int b, int c, int d, int e, int f) {
    m_anPictures = {a, b, c, d != 0 ? d : a, e != 0 ? e : b, f != 0 ? f : c};
    update();
}

void CBitButton::SetDisabledPictures(int nUnchecked, int nChecked) {
    m_anDisabledPictures = {nUnchecked, nChecked};
    update();
}

void CBitButton::SetTextColours(const std::array<ColorRef, 6>& aColours) {
    m_anTextColours = aColours;
    update();
}

void CBitButton::SetChecked(int nChecked) {
    if (nChecked != m_nChecked) {
        m_nChecked = nChecked;
        update();
    }
}

bool CBitButton::IsOwnerDrawn() const {
    return (ControlStyle(this) & (kStyleAutoCheckBox | kStyleAutoRadio)) == 0;
}

bool CBitButton::Dimmed() const {
    return !isEnabled() && m_anDisabledPictures[m_nChecked != 0 ? 1 : 0] == 0;
}

int CBitButton::CurrentPicture() const {
    if (Dimmed()) {
        return m_anPictures[BitButtonPictureIndex(m_nChecked != 0, false, false)];
    }
    if (!isEnabled()) {
        return m_anDisabledPictures[m_nChecked != 0 ? 1 : 0];
    }
    return m_anPictures[BitButtonPictureIndex(m_nChecked != 0, m_bHover, m_bPressed)];
}

ColorRef CBitButton::CurrentTextColour() const {
    if (!isEnabled()) {
        return m_nDisabledTextColour;
    }
    return m_anTextColours[BitButtonPictureIndex(m_nChecked != 0, m_bHover, m_bPressed)];
}

void CBitButton::paintEvent(QPaintEvent*) {
    if (!IsOwnerDrawn()) {
        QStylePainter p(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = text();
        option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
        const bool bRadio = (ControlStyle(this) & kStyleAutoRadio) != 0;
        p.drawControl(bRadio ? QStyle::CE_RadioButton : QStyle::CE_CheckBox, option);
        return;
    }
    QPainter p(this);
    if (Dimmed()) {
        p.setOpacity(kDimmedOpacity);
    }
    const int nPicture = CurrentPicture();
    const QPixmap& picture = SkinPixmap(nPicture, size());
    if (nPicture == 0 || picture.isNull()) {
        p.fillRect(rect(), QColorOf(SysButtonFace()));
    } else {
        p.drawPixmap(0, 0, picture);
    }
    if (!text().isEmpty()) {
        p.setOpacity(1.0);
        p.setPen(QColorOf(CurrentTextColour()));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, text());
    }
}

void CBitButton::SetHover(bool bHover) {
    if (bHover != m_bHover) {
        m_bHover = bHover;
        update();
    }
}

void CBitButton::enterEvent(QEnterEvent* e) {
    SetHover(true);
    QPushButton::enterEvent(e);
}

void CBitButton::leaveEvent(QEvent* e) {
    SetHover(false);
    QPushButton::leaveEvent(e);
}

// While the button is held the pointer can leave without a leave notice; the hit test
// keeps the hover state (and so the pressed look) true to where the pointer is.
void CBitButton::mouseMoveEvent(QMouseEvent* e) {
    SetHover(rect().contains(e->position().toPoint()));
    QPushButton::mouseMoveEvent(e);
}

void CBitButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        m_bPressed = true;
        SetHover(rect().contains(e->position().toPoint()));
        update();
    }
    QPushButton::mousePressEvent(e);
}

void CBitButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        m_bPressed = false;
        update();
    }
    QPushButton::mouseReleaseEvent(e);
}

} // namespace zolt
