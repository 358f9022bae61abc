// The tab bar of the main window: a row of tabs over a display area, with a background
// colour and a draw mode (0 the style draws everything, 1 the style draws the frame and
// the control its tabs, 2 the control draws frame and tabs). The drawing of a tab, its
// border and the main border belong to the derived class. A click on another tab selects
// it and emits selectionChanged; selecting by call emits nothing. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QWidget>

#include <vector>

namespace zolt {

// What a drawing operation draws: which tab, in which state, where.
struct STabDrawItem {
    int nItemId;    // tab index; -1 for the main border
    bool bSelected; // drawn as the selected tab
    QRect rcItem;
};

class CBaseTabCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CBaseTabCtrl(QWidget* pParent = nullptr);

    void InsertItem(int nIndex, const QString& strText);
    void SetItemText(int nIndex, const QString& strText);
    QString ItemText(int nIndex) const;
    int ItemCount() const { return static_cast<int>(m_aItems.size()); }
    int CurrentIndex() const { return m_nCurrent; }
    // Selects a tab without notification; -1 selects none.
    void SetCurrentIndex(int nIndex);
    // Every tab this many pixels wide (0: each as wide as its caption needs).
    void SetItemWidth(int nWidth);

    // The rectangle of tab nIndex, and the display area under the tab row.
    QRect ItemRect(int nIndex) const;
    QRect DisplayRect() const;

    // kNoColour stands for the button-face colour.
    void SetBkColour(ColorRef nColour);
    ColorRef BkColour() const { return m_nBkColour; }
    // 0, 1 or 2; any other value is refused (false) and the mode stays.
    bool SetDrawMode(int nMode);
    int DrawMode() const { return m_nDrawMode; }

    static constexpr int kTabTop = 2;
    static constexpr int kTabHeight = 18;
    static constexpr ColorRef kStripColour = 0x423E38;

signals:
    void selectionChanged(int nIndex);

protected:
    virtual void DrawItem(QPainter& p, const STabDrawItem& item) = 0;
    virtual void DrawMainBorder(QPainter& p, const STabDrawItem& item) = 0;
    virtual void DrawItemBorder(QPainter& p, const STabDrawItem& item) = 0;
    virtual ColorRef TabColour(bool bSelected) const;
    virtual ColorRef TabTextColour(bool bSelected) const;

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    struct STabItem {
        QString strText;
    };

    void EraseBackground(QPainter& p) const;
    void DrawOwnTabs(QPainter& p);
    void DrawStyleFrame(QPainter& p) const;
    void DrawStyleTabs(QPainter& p) const;
    int ItemWidth(int nIndex) const;

    std::vector<STabItem> m_aItems;
    int m_nCurrent = -1;
    int m_nItemWidth = 0;
    ColorRef m_nBkColour = 0x423E38;
    int m_nDrawMode = 0;
};

} // namespace zolt
