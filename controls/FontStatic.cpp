#include "controls/FontStatic.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zolt {

QFont ArialOfCellHeight(int nCellHeight) {
    // Arial's em is 2048 of the 2355 font units its cell spans.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(nCellHeight * 2048.0 / 2355.0))));
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

CFontStatic::CFontStatic(QWidget* pParent) : QWidget(pParent) {}

void CFontStatic::SetText(const QString& strText) {
    m_strText = strText;
    update();
}

void CFontStatic::SetTextColor(ColorRef nColour) {
    if (nColour != m_nTextColour) {
        m_nTextColour = nColour;
        update();
    }
}

void CFontStatic::SetFontHeight(int nCellHeight) {
    m_nFontHeight = nCellHeight;
    update();
}

void CFontStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(ArialOfCellHeight(m_nFontHeight));
    p.setPen(QColorOf(m_nTextColour));
    const int nAlign = m_bLeftAligned    ? Qt::AlignLeft
                       : m_bRightAligned ? Qt::AlignRight
                                         : Qt::AlignHCenter;
    p.drawText(rect(), nAlign | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
               m_strText);
}

} // namespace zolt
