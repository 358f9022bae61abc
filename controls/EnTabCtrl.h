// The main window's tab bar as the program draws it: tab faces by the colour rules below,
// fading downward when the gradient look is on and the display has 16 or more bits per
// pixel, lit and shaded borders, captions cut with an ellipsis, the selected caption red.
// The look flags are shared by every tab bar. UI thread only.
#pragma once

#include "controls/BaseTabCtrl.h"

namespace zolt {

// Look flags.
enum ETabLook : unsigned {
    kTabFlat = 1,
    kTabColour = 2,
    kTabSelectionHighlight = 4,
    kTabGradient = 8,
    kTabBackTabBorders = 16,
};

constexpr ColorRef kTabBase = 0x423E38;
constexpr ColorRef kTabSelectedBase = 0x605C56;

// Colour of a tab face (its top when fading).
ColorRef EnTabColour(unsigned nFlags, bool bSelected);
// Colour a face fades to, for the background colour nBk (kNoColour: none set).
ColorRef EnTabFadeColour(unsigned nFlags, bool bSelected, ColorRef nBk);
ColorRef EnTabTextColour(unsigned nFlags, bool bSelected, ColorRef nBk);
// Row y (0 = top) of a face nHeight high that fades from c0 to c1, in two-pixel bands.
ColorRef EnTabFadeRow(ColorRef c0, ColorRef c1, int y, int nHeight);

class CEnTabCtrl : public CBaseTabCtrl {
    Q_OBJECT
public:
    explicit CEnTabCtrl(QWidget* pParent = nullptr);

    // The shared look flags become nFlags when bEnable is set, else 0.
    static void SetLookFlags(bool bEnable, unsigned nFlags);
    static unsigned LookFlags();

protected:
    void DrawItem(QPainter& p, const STabDrawItem& item) override;
    void DrawMainBorder(QPainter& p, const STabDrawItem& item) override;
    void DrawItemBorder(QPainter& p, const STabDrawItem& item) override;
    ColorRef TabColour(bool bSelected) const override;
    ColorRef TabTextColour(bool bSelected) const override;
    // Whether the display shows 16 or more bits per pixel (the fading needs them).
    virtual bool HasColourDepthForFading() const;
};

} // namespace zolt
