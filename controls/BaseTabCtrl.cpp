#include "controls/BaseTabCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>

#include <algorithm>

namespace zolt {

namespace {

constexpr int kTabLeft = 2;
constexpr int kTabPadding = 18; // caption inset on both sides plus the tab's own margins

} // namespace

CBaseTabCtrl::CBaseTabCtrl(QWidget* pParent) : QWidget(pParent) {}

void CBaseTabCtrl::InsertItem(int nIndex, const QString& strText) {
    nIndex = std::clamp(nIndex, 0, ItemCount());
    m_aItems.insert(m_aItems.begin() + nIndex, STabItem{strText});
    if (m_nCurrent < 0) {
        m_nCurrent = 0;
    } else if (nIndex <= m_nCurrent) {
        ++m_nCurrent;
    }
    update();
}

void CBaseTabCtrl::SetItemText(int nIndex, const QString& strText) {
    if (nIndex >= 0 && nIndex < ItemCount()) {
        m_aItems[static_cast<std::size_t>(nIndex)].strText = strText;
        update();
    }
}

QString CBaseTabCtrl::ItemText(int nIndex) const {
    return nIndex >= 0 && nIndex < ItemCount() ? m_aItems[static_cast<std::size_t>(nIndex)].strText
                                               : QString();
}

void CBaseTabCtrl::SetCurrentIndex(int nIndex) {
    if (nIndex >= -1 && nIndex < ItemCount() && nIndex != m_nCurrent) {
        m_nCurrent = nIndex;
        update();
    }
}

void CBaseTabCtrl::SetItemWidth(int nWidth) {
    m_nItemWidth = std::max(0, nWidth);
    update();
}

int CBaseTabCtrl::ItemWidth(int nIndex) const {
    if (m_nItemWidth > 0) {
        return m_nItemWidth;
    }
    return fontMetrics().horizontalAdvance(ItemText(nIndex)) + kTabPadding;
}

QRect CBaseTabCtrl::ItemRect(int nIndex) const {
    if (nIndex < 0 || nIndex >= ItemCount()) {
        return QRect();
    }
    int x = kTabLeft;
    for (int i = 0; i < nIndex; ++i) {
        x += ItemWidth(i);
    }
    return QRect(x, kTabTop, ItemWidth(nIndex), kTabHeight);
}

QRect CBaseTabCtrl::DisplayRect() const {
    const int nTop = kTabTop + kTabHeight + 2;
    return QRect(2, nTop, width() - 4, height() - nTop - 2);
}

void CBaseTabCtrl::SetBkColour(ColorRef nColour) {
    m_nBkColour = nColour;
    update();
}

bool CBaseTabCtrl::SetDrawMode(int nMode) {
    if (nMode < 0 || nMode > 2) {
        return false;
    }
    m_nDrawMode = nMode;
    update();
    return true;
}

ColorRef CBaseTabCtrl::TabColour(bool) const {
    return SysButtonFace();
}

ColorRef CBaseTabCtrl::TabTextColour(bool) const {
    return SysWindowText();
}

// The button face everywhere, then the strips around the tab row in the strip colour.
void CBaseTabCtrl::EraseBackground(QPainter& p) const {
    p.fillRect(rect(), QColorOf(SysButtonFace()));
    QRect tabs;
    for (int i = 0; i < ItemCount(); ++i) {
        tabs |= ItemRect(i);
    }
    const QColor strip = QColorOf(kStripColour);
    const int nRowBottom = tabs.height() + 2;
    p.fillRect(QRect(0, 0, width(), tabs.isEmpty() ? 0 : tabs.top()), strip);
    p.fillRect(QRect(0, 0, 2, nRowBottom), strip);
    const int nRight = tabs.width() + 2;
    p.fillRect(QRect(nRight, 0, width() - nRight, nRowBottom), strip);
}

void CBaseTabCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    EraseBackground(p);
    switch (m_nDrawMode) {
    case 0:
        DrawStyleFrame(p);
        DrawStyleTabs(p);
        break;
    case 1:
        DrawStyleFrame(p);
        DrawOwnTabs(p);
        break;
    default: {
        QRect border = rect();
        border.setTop(DisplayRect().top() - 2);
        DrawMainBorder(p, {-1, false, border});
        DrawOwnTabs(p);
        break;
    }
    }
}

// The unselected tabs from the last to the first, then the selected one, raised by two
// pixels and reaching two pixels lower, over its neighbours and the main border.
void CBaseTabCtrl::DrawOwnTabs(QPainter& p) {
    p.setFont(font());
    for (int i = ItemCount() - 1; i >= 0; --i) {
        if (i != m_nCurrent) {
            const STabDrawItem item{i, false, ItemRect(i).adjusted(0, 0, 0, -2)};
            DrawItem(p, item);
            DrawItemBorder(p, item);
        }
    }
    if (m_nCurrent >= 0 && m_nCurrent < ItemCount()) {
        const STabDrawItem item{m_nCurrent, true, ItemRect(m_nCurrent).adjusted(0, -2, 0, 2)};
        DrawItem(p, item);
        DrawItemBorder(p, item);
    }
}

void CBaseTabCtrl::DrawStyleFrame(QPainter& p) const {
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, DisplayRect().top() - 2, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
}

void CBaseTabCtrl::DrawStyleTabs(QPainter& p) const {
    for (int i = 0; i < ItemCount(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = ItemRect(i);
        tab.text = ItemText(i);
        if (i == m_nCurrent) {
            tab.state |= QStyle::State_Selected;
        }
        style()->drawControl(QStyle::CE_TabBarTab, &tab, &p, this);
    }
}

void CBaseTabCtrl::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    for (int i = 0; i < ItemCount(); ++i) {
        if (ItemRect(i).contains(e->position().toPoint())) {
            if (i != m_nCurrent) {
                SetCurrentIndex(i);
                emit selectionChanged(i);
            }
            return;
        }
    }
    QWidget::mousePressEvent(e);
}

} // namespace zolt
