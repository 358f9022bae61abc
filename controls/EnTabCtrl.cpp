#include "controls/EnTabCtrl.h"

#include <QPainter>
#include <QScreen>

namespace zolt {

namespace {

unsigned s_nLookFlags = 0;

constexpr int kMinFadeDepth = 16;
constexpr int kMaxCaption = 99; // characters of a caption a tab reads
constexpr float kHighlightFactor = 1.9f;
constexpr float kBorderLight = 1.5f;
constexpr float kBorderShade = 0.75f;

int FadeChannel(int c0, int c1, int y, int nHeight) {
    return c0 + y * (c1 - c0) / nHeight;
}

void FillColumn(QPainter& p, int x, int nTop, int nHeight, ColorRef c) {
    p.fillRect(QRect(x, nTop, 1, nHeight), QColorOf(c));
}

void FillRow(QPainter& p, int nLeft, int y, int nWidth, ColorRef c) {
    p.fillRect(QRect(nLeft, y, nWidth, 1), QColorOf(c));
}

} // namespace

ColorRef EnTabColour(unsigned nFlags, bool bSelected) {
    if (bSelected) {
        if (nFlags & kTabSelectionHighlight) {
            return Lighter((nFlags & kTabColour) ? kTabSelectedBase : kTabBase, kHighlightFactor);
        }
        return SysButtonFace();
    }
    if ((nFlags & kTabBackTabBorders) || !(nFlags & kTabFlat)) {
        return Lighter(kTabBase, kHighlightFactor);
    }
    return kTabBase;
}

ColorRef EnTabFadeColour(unsigned nFlags, bool bSelected, ColorRef nBk) {
    if (bSelected) {
        return SysButtonFace();
    }
    return Darker((nFlags & kTabColour) && nBk != kNoColour ? nBk : SysButtonFace(), 0.7f);
}

ColorRef EnTabTextColour(unsigned nFlags, bool bSelected, ColorRef nBk) {
    if (bSelected) {
        return kRed;
    }
    if (nFlags & (kTabColour | kTabFlat)) {
        return Darker(nBk != kNoColour ? nBk : SysButtonFace(), 0.1f);
    }
    return Darker(SysButtonFace(), 0.5f);
}

ColorRef EnTabFadeRow(ColorRef c0, ColorRef c1, int y, int nHeight) {
    if (nHeight <= 0) {
        return c0;
    }
    const int yBand = y - y % 2;
    return Rgb(FadeChannel(RedOf(c0), RedOf(c1), yBand, nHeight),
               FadeChannel(GreenOf(c0), GreenOf(c1), yBand, nHeight),
               FadeChannel(BlueOf(c0), BlueOf(c1), yBand, nHeight));
}

CEnTabCtrl::CEnTabCtrl(QWidget* pParent) : CBaseTabCtrl(pParent) {}

void CEnTabCtrl::SetLookFlags(bool bEnable, unsigned nFlags) {
    s_nLookFlags = bEnable ? nFlags : 0;
}

unsigned CEnTabCtrl::LookFlags() {
    return s_nLookFlags;
}

bool CEnTabCtrl::HasColourDepthForFading() const {
    const QScreen* pScreen = screen();
    return pScreen != nullptr && pScreen->depth() >= kMinFadeDepth;
}

ColorRef CEnTabCtrl::TabColour(bool bSelected) const {
    return EnTabColour(s_nLookFlags, bSelected);
}

ColorRef CEnTabCtrl::TabTextColour(bool bSelected) const {
    return EnTabTextColour(s_nLookFlags, bSelected, BkColour());
}

void CEnTabCtrl::DrawItem(QPainter& p, const STabDrawItem& item) {
    const bool bSelected = item.nItemId == CurrentIndex();
    const QRect face = item.rcItem.adjusted(0, 0, 0, bSelected ? -1 : 2);
    const ColorRef c0 = TabColour(bSelected);
    if ((s_nLookFlags & kTabGradient) && HasColourDepthForFading()) {
        const ColorRef c1 = EnTabFadeColour(s_nLookFlags, bSelected, BkColour());
        for (int y = 0; y < face.height(); y += 2) {
            p.fillRect(QRect(face.left(), face.top() + y, face.width(), 2),
                       QColorOf(EnTabFadeRow(c0, c1, y, face.height())));
        }
    } else {
        p.fillRect(face, QColorOf(c0));
    }

    const QRect text = item.rcItem.adjusted(3, bSelected ? 4 : 3, -3, 0);
    const QString strShown = p.fontMetrics().elidedText(ItemText(item.nItemId).left(kMaxCaption),
                                                        Qt::ElideRight, text.width());
    p.setPen(QColorOf(TabTextColour(bSelected)));
    p.drawText(text, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, strShown);
}

void CEnTabCtrl::DrawItemBorder(QPainter& p, const STabDrawItem& item) {
    const ColorRef c = TabColour(item.bSelected);
    const ColorRef nLight = Lighter(c, kBorderLight);
    const ColorRef nShade = Darker(c, kBorderShade);
    QRect r = item.rcItem;
    if (item.bSelected || (s_nLookFlags & kTabBackTabBorders)) {
        r.adjust(0, 0, 0, item.bSelected ? -1 : 1);
        FillColumn(p, r.left(), r.top(), r.height(), nLight);
        FillRow(p, r.left(), r.top(), r.width(), nLight);
        FillColumn(p, r.right(), r.top(), r.height(), nShade);
    } else {
        FillColumn(p, r.left() - 1, r.top(), r.height(), nShade);
        FillColumn(p, r.right(), r.top(), r.height(), nShade);
    }
}

void CEnTabCtrl::DrawMainBorder(QPainter& p, const STabDrawItem& item) {
    const ColorRef c = TabColour(false);
    const ColorRef nLight = Lighter(c, kBorderLight);
    const ColorRef nShade = Darker(c, kBorderShade);
    const QRect& r = item.rcItem;
    FillRow(p, r.left(), r.top(), r.width() - 1, nLight);
    FillColumn(p, r.left(), r.top(), r.height() - 1, nLight);
    FillColumn(p, r.right(), r.top(), r.height(), nShade);
    FillRow(p, r.left(), r.bottom(), r.width(), nShade);
}

} // namespace zolt
