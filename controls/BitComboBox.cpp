#include "controls/BitComboBox.h"

#include "controls/BitListBox.h"
#include "controls/DialogTemplate.h"
#include "controls/Skin.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zolt {

namespace {

constexpr int kTextInset = 1; // between the left cap and the text

} // namespace

CBitComboBox::CBitComboBox(QWidget* pParent) : QComboBox(pParent), m_pList(new CBitListBox) {
    setView(m_pList); // the box owns the list from here
    setItemDelegate(m_pList->itemDelegate());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, QColorOf(kFieldColour));
    palette.setColor(QPalette::Window, QColorOf(kFieldColour));
    setPalette(palette);
}

void CBitComboBox::SetFacePictures(int nLeft, int nRight, int nMiddle) {
    m_nLeft = nLeft;
    m_nRight = nRight;
    m_nMiddle = nMiddle;
    update();
}

void CBitComboBox::SetListBorderPictures(int nLeft, int nRight, int nTop, int nBottom) {
    m_pList->SetBorderPictures(nLeft, nRight, nTop, nBottom);
}

void CBitComboBox::SetFocusColours(ColorRef nBackground, ColorRef nText) {
    m_nFocusBackground = nBackground;
    m_nFocusText = nText;
    update();
}

void CBitComboBox::SetNormalColours(ColorRef nBackground, ColorRef nText) {
    m_nNormalBackground = nBackground;
    m_nNormalText = nText;
    m_pList->SetColours(nBackground, nText);
    update();
}

void CBitComboBox::SetStandardSkin() {
    SetFacePictures(kSkinComboLeft, kSkinComboRight, kSkinComboMiddle);
    SetListBorderPictures(kSkinListLeft, kSkinListRight, kSkinListTop, kSkinListBottom);
    SetFocusColours(kFieldColour, kWhite);
    SetNormalColours(kFieldColour, kWhite);
}

QRect CBitComboBox::TextArea() const {
    const int nLeft = SkinSize(m_nLeft).width();
    const int nRight = SkinSize(m_nRight).width();
    return QRect(QPoint(nLeft, 3), QPoint(width() - nRight - 1, height() - 8 - 1));
}

QFont CBitComboBox::FaceFont() const {
    return FontToFit(font(), currentText(), TextArea().width() - kTextInset);
}

QRect CBitComboBox::TextRect() const {
    const QRect area = TextArea();
    const double dWidth = QFontMetricsF(FaceFont()).horizontalAdvance(currentText());
    const int nWidth = std::min(static_cast<int>(std::ceil(dWidth)), area.width() - kTextInset);
    return QRect(area.left() + kTextInset, area.top(), std::max(nWidth, 0), area.height());
}

void CBitComboBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QSize left = SkinSize(m_nLeft);
    const QSize right = SkinSize(m_nRight);
    const QSize middle = SkinSize(m_nMiddle);
    if (!left.isEmpty()) {
        p.drawPixmap(0, 0, SkinPixmap(m_nLeft));
    }
    if (!right.isEmpty()) {
        p.drawPixmap(width() - right.width(), 0, SkinPixmap(m_nRight));
    }
    const int nMiddleWidth = width() - left.width() - right.width();
    if (!middle.isEmpty() && nMiddleWidth > 0) {
        p.drawPixmap(left.width(), 0, SkinPixmap(m_nMiddle, QSize(nMiddleWidth, middle.height())));
    }
    const bool bFocus = hasFocus();
    const QRect area = TextArea();
    p.fillRect(area, QColorOf(bFocus ? m_nFocusBackground : m_nNormalBackground));
    p.setPen(QColorOf(bFocus ? m_nFocusText : m_nNormalText));
    const QFont face = FaceFont();
    p.setFont(face);
    const QRect text = TextRect();
    // The text never runs into the caps, whatever its length; it may stand above and below
    // the text area, which is lower than a line.
    p.setClipRect(QRect(area.left(), 0, area.width(), height()));
    const QFontMetricsF metrics(face);
    const int nRoom = area.width() - kTextInset;
    const QString strText = currentText();
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
               metrics.horizontalAdvance(strText) > nRoom
                   ? metrics.elidedText(strText, Qt::ElideRight, nRoom)
                   : strText);
}

} // namespace zolt
