#include "controls/SkinScale.h"

#include "controls/Colour.h"
#include "controls/DialogTemplate.h"
#include "controls/SLamp.h"
#include "model/Text.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace zolt {

namespace {

using namespace meterscale;

constexpr ColorRef kPanelRim = Rgb(30, 33, 36);
constexpr ColorRef kWell = Rgb(24, 26, 28);
constexpr ColorRef kMarkText = Rgb(196, 203, 208);
constexpr ColorRef kTick = Rgb(120, 130, 137);
constexpr ColorRef kLimitText = Rgb(255, 165, 0); // the limit lamp's orange
constexpr ColorRef kClipText = Rgb(255, 255, 0);  // the clip lamp's yellow
constexpr ColorRef kHeadText = Rgb(255, 255, 255);

constexpr int kMarkGap = 3; // pixels between a mark's text and its meter

// The meter groups, left to right.
constexpr std::array<SText, 4> kGroupCaptions{{
    {"音乐", "Music"},
    {"话筒", "Mic"},
    {"输出1&2", "Out1&2"},
    {"输出3&4", "Out3&4"},
}};
constexpr std::array<const char*, 4> kLeftHeads{"L->2&4", "R->1&3", "1&2", "3&4"};
constexpr std::array<const char*, 4> kRightHeads{"1", "2", "3", "4"};

// A meter's rectangle in picture pixels.
QRect MeterRect(int nX, int nWidth) {
    return DluToPixels(nX, kMeterTop, nWidth, kMeterHeight).translated(-kOrigin);
}

// Vertical centre of segment i of a meter, where the meter itself draws it.
double RowCentre(const QRect& meter, int i) {
    return meter.top() + QRectF(LampSegmentRect(i, meter.width(), meter.height())).center().y();
}

QFont ScaleFont(int nPixels, const QString& strFamily = QStringLiteral("Arial")) {
    QFont font(strFamily);
    font.setPixelSize(nPixels);
    return font;
}

void DrawText(QPainter& p, const QRectF& r, int nFlags, const QString& strText, ColorRef c) {
    p.setPen(QColorOf(c));
    p.drawText(r, nFlags | Qt::TextDontClip, strText);
}

// One mark row: text right-aligned against the meter at xRight, with a short tick.
void DrawMark(QPainter& p, int xRight, double y, const QString& strText, ColorRef c) {
    DrawText(p, QRectF(xRight - 60, y - 8, 60 - kMarkGap, 16), Qt::AlignRight | Qt::AlignVCenter,
             strText, c);
    p.fillRect(QRectF(xRight - 3, y, 2, 1), QColorOf(kTick));
}

QString DbText(int nDb, const char* pszUnit) {
    return (nDb > 0 ? QStringLiteral("+") : QString()) + QString::number(nDb) +
           QLatin1String(pszUnit);
}

// The marks of one scale column: the two lamp rows, then the sixteen level rows in 3 dB
// steps from nTopDb at the top.
void DrawScale(QPainter& p, const QRect& meter, int nTopDb, const char* pszUnit) {
    // The narrow face lets "+12dBv" fit between the two meter groups.
    p.setFont(ScaleFont(11, QStringLiteral("Arial Narrow")));
    DrawMark(p, meter.left(), RowCentre(meter, kLampLimit), QStringLiteral("Limit"), kLimitText);
    DrawMark(p, meter.left(), RowCentre(meter, kLampClip), QStringLiteral("Clip"), kClipText);
    for (int i = 0; i < kLampLevelSegments; ++i) {
        const int nDb = nTopDb - 3 * (kLampLevelSegments - 1 - i);
        DrawMark(p, meter.left(), RowCentre(meter, i), DbText(nDb, pszUnit), kMarkText);
    }
}

void DrawWells(QPainter& p, const std::array<QRect, 4>& meters) {
    for (const QRect& r : meters) {
        p.fillRect(r.adjusted(-1, -1, 1, 1), QColorOf(kWell));
    }
}

void DrawHeads(QPainter& p, const std::array<QRect, 4>& meters,
               const std::array<const char*, 4>& heads) {
    p.setFont(ScaleFont(11));
    for (std::size_t i = 0; i < meters.size(); ++i) {
        const QRect& r = meters[i];
        DrawText(p, QRectF(r.left() - 4, r.top() - 22, r.width() + 8, 16), Qt::AlignCenter,
                 QString::fromLatin1(heads[i]), kHeadText);
    }
}

// A group name under two meters, with a bracket spanning them.
void DrawGroup(QPainter& p, const QRect& first, const QRect& second, const QString& strName) {
    const int y = first.bottom() + 8;
    p.setPen(QPen(QColorOf(kTick), 1));
    p.drawLine(QPointF(first.left() + 0.5, y - 3), QPointF(first.left() + 0.5, y + 0.5));
    p.drawLine(QPointF(first.left() + 0.5, y + 0.5), QPointF(second.right() + 0.5, y + 0.5));
    p.drawLine(QPointF(second.right() + 0.5, y - 3), QPointF(second.right() + 0.5, y + 0.5));
    p.setFont(ScaleFont(12));
    DrawText(p, QRectF(first.left(), y + 3, second.right() - first.left(), 18), Qt::AlignCenter,
             strName, kHeadText);
}

void PaintMeterScale(QPainter& p, QSizeF size, ColorRef nPanel, bool bChinese) {
    std::array<QRect, 4> left;
    std::array<QRect, 4> right;
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = MeterRect(kLeftX[i], kLeftWidth);
        right[i] = MeterRect(kRightX[i], kRightWidth);
    }
    const QRectF panel(0.5, 0.5, right.back().right() + 8, size.height() - 1);
    p.setPen(QPen(QColorOf(kPanelRim), 1));
    p.setBrush(QColorOf(nPanel));
    p.drawRoundedRect(panel, 6, 6);

    DrawWells(p, left);
    DrawWells(p, right);
    DrawScale(p, left.front(), 0, "dB");
    DrawScale(p, right.front(), 12, "dBv");
    DrawHeads(p, left, kLeftHeads);
    DrawHeads(p, right, kRightHeads);

    auto group = [&](std::size_t nGroup) {
        return QString::fromUtf8(kGroupCaptions[nGroup].In(bChinese ? 1 : 0));
    };
    DrawGroup(p, left[0], left[1], group(0));
    DrawGroup(p, left[2], left[3], group(1));
    DrawGroup(p, right[0], right[1], group(2));
    DrawGroup(p, right[2], right[3], group(3));
}

} // namespace

void PaintMeterScaleChinese(QPainter& p, QSizeF size, ColorRef nPanel) {
    PaintMeterScale(p, size, nPanel, true);
}

void PaintMeterScaleEnglish(QPainter& p, QSizeF size, ColorRef nPanel) {
    PaintMeterScale(p, size, nPanel, false);
}

} // namespace zolt
