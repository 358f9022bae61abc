// The value label beside a slider: formats a slider position as text with a unit in one of
// seven display modes. UI thread only.
#pragma once

#include "controls/TransparentStatic.h"

namespace zolt {

// Display modes of a value label.
constexpr int kLabelInteger = 20;  // p * multiplier - offset, "%d", unit
constexpr int kLabelOffAtMin = 47; // "OFF" at the minimum, otherwise as kLabelInteger
constexpr int kLabelScaled = 14;   // p * scale - offset, "%.1f", unit
constexpr int kLabelDistance = 48; // p / 10 * 0.34, "%.3fm", unit
constexpr int kLabelAttack = 5;    // attack label table entry, unit
constexpr int kLabelRelease = 6;   // release label table entry, unit
constexpr int kLabelRatio = 12;    // ratio label table entry, unit

// How a label shows a position: the display mode, the integer modes' multiplier and offset,
// the scaled mode's scale and offset, and the unit appended (UTF-8). A literal type, so that
// pages keep their label formats in constexpr tables.
struct SLabelFormat {
    int nMode = kLabelInteger;
    int nMultiplier = 1;
    int nIntOffset = 0;
    double dScale = 0;
    double dOffset = 0;
    const char* pszUnit = "";
};

// The text of position nPos (already within the range; nMin is the range's minimum).
QString LabelText(const SLabelFormat& format, int nPos, int nMin);

class CEdit_Static : public CTransparentStatic {
    Q_OBJECT
public:
    explicit CEdit_Static(QWidget* pParent = nullptr);

    void SetRange(int nMin, int nMax);
    void SetFormat(const SLabelFormat& format) { m_format = format; }
    // Shows position nPos, clamped into the range.
    void SetPos(int nPos);
    int Pos() const { return m_nPos; }
    void SetTextColours(ColorRef nEnabled, ColorRef nDisabled);

protected:
    bool event(QEvent* e) override;
    ColorRef PaintColour() const override;

private:
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nPos = 0;
    SLabelFormat m_format;
    ColorRef m_nDisabledColour = kWhite;
};

} // namespace zolt
