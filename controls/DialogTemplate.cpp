#include "controls/DialogTemplate.h"

#include <QFontInfo>
#include <QFontMetricsF>

#include <cstdlib>

namespace zolt {

namespace {

constexpr const char* kIdProperty = "zoltControlId";
constexpr const char* kStyleProperty = "zoltControlStyle";
constexpr int kDialogFontPixels = 12; // 9 points at 96 dpi

// round(n * nNumerator / nDenominator), halves away from zero.
int ScaleRounded(int n, int nNumerator, int nDenominator) {
    const long long nProduct = static_cast<long long>(n) * nNumerator * 2;
    const long long nHalfUp = (std::llabs(nProduct) / nDenominator + 1) / 2;
    return static_cast<int>(nProduct < 0 ? -nHalfUp : nHalfUp);
}

} // namespace

int DluToPixelsX(int nUnits) {
    return ScaleRounded(nUnits, 3, 2);
}

int DluToPixelsY(int nUnits) {
    return ScaleRounded(nUnits, 15, 8);
}

QRect DluToPixels(int nX, int nY, int nW, int nH) {
    return QRect(DluToPixelsX(nX), DluToPixelsY(nY), DluToPixelsX(nW), DluToPixelsY(nH));
}

QFont DialogFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kDialogFontPixels);
    return font;
}

QFont FontToFit(QFont font, const QString& strText, int nWidth) {
    int nPixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    font.setPixelSize(nPixels);
    while (nPixels > kSmallestFitPixels &&
           QFontMetricsF(font).horizontalAdvance(strText) > nWidth) {
        font.setPixelSize(--nPixels);
    }
    return font;
}

int ControlId(const QWidget* pWidget) {
    return pWidget != nullptr ? pWidget->property(kIdProperty).toInt() : 0;
}

void SetControlId(QWidget* pWidget, int nId) {
    pWidget->setProperty(kIdProperty, nId);
}

unsigned ControlStyle(const QWidget* pWidget) {
    return pWidget != nullptr ? pWidget->property(kStyleProperty).toUInt() : 0;
}

void SetControlStyle(QWidget* pWidget, unsigned nStyle) {
    pWidget->setProperty(kStyleProperty, nStyle);
}

QWidget* FindDlgItem(const QWidget* pParent, int nId) {
    if (pParent == nullptr) {
        return nullptr;
    }
    for (QObject* pChild : pParent->children()) {
        auto* pWidget = qobject_cast<QWidget*>(pChild);
        if (pWidget != nullptr && ControlId(pWidget) == nId) {
            return pWidget;
        }
    }
    return nullptr;
}

} // namespace zolt
