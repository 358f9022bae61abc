// Labels whose text or colour changes at run time (band strip titles, the program name):
// one line of Arial at a cell height in pixels, centred vertically, left-aligned,
// right-aligned or centred, no background. Repaints only when its colour really changes.
// UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QWidget>

namespace zolt {

// Arial whose character cell (ascent + descent) is nCellHeight pixels.
QFont ArialOfCellHeight(int nCellHeight);

class CFontStatic : public QWidget {
    Q_OBJECT
public:
    explicit CFontStatic(QWidget* pParent = nullptr);

    void SetText(const QString& strText);
    const QString& Text() const { return m_strText; }
    // Stores and repaints when nColour differs from the current colour; else nothing.
    void SetTextColor(ColorRef nColour);
    ColorRef TextColor() const { return m_nTextColour; }
    // Take effect at the next paint; with neither set the text is centred.
    void SetLeftAligned(bool bLeft) { m_bLeftAligned = bLeft; }
    void SetRightAligned(bool bRight) { m_bRightAligned = bRight; }
    void SetFontHeight(int nCellHeight);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString m_strText;
    ColorRef m_nTextColour = kBlack;
    int m_nFontHeight = 14;
    bool m_bLeftAligned = true;
    bool m_bRightAligned = false;
};

} // namespace zolt
