#include "controls/SxGroupBox.h"

#include "controls/DialogTemplate.h"

#include <QPainter>
#include <QPolygon>

namespace zolt {

namespace {

// 10 points at 96 dpi.
constexpr int kCaptionPixels = 13;

QPen FramePen(ColorRef nColour, int nWidth) {
    QPen pen(QColorOf(nColour), nWidth);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

} // namespace

CSxGroupBox::CSxGroupBox(QWidget* pParent) : QWidget(pParent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QFont CSxGroupBox::CaptionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kCaptionPixels);
    font.setWeight(QFont::Normal);
    return font;
}

void CSxGroupBox::SetCaption(const QString& strCaption, bool bRedraw) {
    m_strCaption = strCaption;
    if (bRedraw) {
        repaint();
    }
}

void CSxGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int h0 = p.fontMetrics().height(); // the window's own font
    p.setFont(CaptionFont());
    const int w1 = p.fontMetrics().horizontalAdvance(m_strCaption);

    const int L = 0;
    const int T = 0;
    const int R = width();
    const int B = height();
    const int w = m_nPenWidth;
    const int y = T + h0 / 2 - 1;
    const unsigned nStyle = ControlStyle(this);
    int x0 = L + m_nCaptionInset;
    if (nStyle & kStyleRight) {
        x0 = R - m_nCaptionInset - w1;
    } else if (nStyle & kStyleCenter) {
        x0 = (width() - w1) / 2;
    }
    const int x1 = x0 + w1;

    const bool bEnabled = isEnabled();
    p.setPen(FramePen(bEnabled ? m_nLineEnabled1 : SysButtonShadow(), w));
    p.drawPolyline(QPolygon({{x0, y}, {L, y}, {L, B - w}, {R - w, B - w}, {R - w, y}, {x1, y}}));
    p.setPen(FramePen(bEnabled ? m_nLineEnabled2 : SysButtonHighlight(), w));
    p.drawPolyline(QPolygon({{x0, y + w}, {L + w, y + w}, {L + w, B - 2 * w}}));
    p.drawPolyline(QPolygon({{L + w, B}, {R, B}, {R, y + w}}));
    p.drawLine(QPoint(R - 2 * w, y + w), QPoint(x1, y + w));

    if (!m_strCaption.isEmpty() && bEnabled) {
        p.setPen(QColorOf(m_nTextColour));
        p.drawText(QRect(QPoint(x0, y - m_nCaptionLift), QPoint(x1, y)),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip |
                       Qt::TextShowMnemonic,
                   m_strCaption);
    }
}

} // namespace zolt
