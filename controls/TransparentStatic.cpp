#include "controls/TransparentStatic.h"

#include "controls/DialogTemplate.h"

#include <QPainter>

namespace zolt {

void DrawStaticText(QPainter& p, const QRect& rect, const QString& strText, unsigned nStyle) {
    int nFlags = (nStyle & kStyleRight)    ? Qt::AlignRight
                 : (nStyle & kStyleCenter) ? Qt::AlignHCenter
                                           : Qt::AlignLeft;
    const bool bOneLine =
        (nStyle & (kStyleCenterImage | kStyleEndEllipsis | kStylePathEllipsis)) != 0;
    nFlags |= (nStyle & kStyleCenterImage) ? Qt::AlignVCenter : Qt::AlignTop;
    if (!bOneLine) {
        nFlags |= Qt::TextWordWrap;
    }
    if (!(nStyle & kStyleNoPrefix)) {
        nFlags |= Qt::TextShowMnemonic;
    }
    QString strShown = strText;
    if (nStyle & (kStyleEndEllipsis | kStylePathEllipsis)) {
        const Qt::TextElideMode eMode =
            (nStyle & kStyleEndEllipsis) ? Qt::ElideRight : Qt::ElideMiddle;
        strShown = p.fontMetrics().elidedText(strText, eMode, rect.width());
    }
    p.drawText(rect, nFlags, strShown);
}

CTransparentStatic::CTransparentStatic(QWidget* pParent) : QWidget(pParent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CTransparentStatic::SetText(const QString& strText) {
    m_strText = strText;
    update();
}

void CTransparentStatic::SetTextColor(ColorRef nColour) {
    m_nTextColour = nColour;
    update();
}

void CTransparentStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColorOf(PaintColour()));
    DrawStaticText(p, rect(), m_strText, ControlStyle(this));
}

} // namespace zolt
