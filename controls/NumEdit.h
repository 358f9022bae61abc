// The numeric field of the pages: an edit that holds an integer (a frequency index, a raw
// gain byte, a Q index) and shows it as a physical value. The user types a value within
// the field's range, steps it with Up / Down or the wheel; committed changes are sent to
// the parent as WM_NUMEDIT_CHANGED (wParam 0, lParam = the field's id). A value from a
// file or the processor outside the range is shown as it is. UI thread only.
#pragma once

#include "controls/Colour.h"

#include <QFont>
#include <QLineEdit>
#include <QPointer>

#include <cstdint>

namespace zolt {

class CBitmapSlider;

// Display modes.
constexpr int kNumEditFrequency = 4; // frequency table entry, "%.0f" from 101 Hz, else "%.1f"
constexpr int kNumEditScaled = 23;   // value * scale - offset, "%0.1f"
constexpr int kNumEditQ = 11;        // Q table entry, "%0.3f"

// The text a value shows in a display mode (frequency: with its unit).
QString NumEditText(int nMode, int nValue, double dScale, double dOffset, const QString& strUnit);
// The number a typed text stands for: its leading number ("OFF" is -120.0 in scaled
// mode); text without a leading number reads as 0.
double NumEditNumber(int nMode, const QString& strText);
// Scaled mode: the value of a typed number already clamped to the range's shown bounds.
int ScaledValueOf(double dShown, double dScale, double dOffset);

class CNumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CNumEdit(QWidget* pParent = nullptr);

    // Stores the mode and unit and refreshes the text.
    void SetDisplayMode(int nMode, const QString& strUnit = {});
    // Stores the bounds and sets the value to the minimum without refreshing the text.
    void SetRange(int nMin, int nMax);
    void SetScale(double dScale) { m_dScale = dScale; }
    void SetOffset(double dOffset) { m_dOffset = dOffset; }
    // Takes nValue and refreshes the text. A value outside the range (from a file or the
    // processor) is shown as it is; the arrows and the wheel step from it into the range.
    void SetValue(int nValue);
    // The value; when the user has typed since the last call, the text is converted first
    // (and taken when it is in range), and the typed mark is cleared.
    int Value();
    bool IsModified() const { return m_bModified; }
    // The slider that shows its focus look while this field has the focus (null: none).
    void LinkSlider(CBitmapSlider* pSlider) { m_pSlider = pSlider; }
    void SetColours(ColorRef nText, ColorRef nBackground);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void FitText();
    void RefreshText();
    void Commit();
    void StepValue(int nStep);
    // The value one step (+1 or -1) from the present one, within the range; the present
    // one when the step leads no further into the range (at its end, or beyond it).
    int SteppedValue(int nStep) const;
    void NotifyChanged();
    void SetFocusLook(bool bFocusLook);
    double ShownMin() const { return m_nMin * m_dScale - m_dOffset; }
    double ShownMax() const { return m_nMax * m_dScale - m_dOffset; }

    int m_nValue = 0;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nMode = 0;
    QString m_strUnit;
    double m_dScale = 0;
    double m_dOffset = 0;
    bool m_bModified = false;
    QPointer<CBitmapSlider> m_pSlider;
    std::int16_t m_nWheelTotal = 0;
    QFont m_fontText; // the parent's at creation; a text wider than the field is shown
                      // whole in a smaller size of it (FontToFit)
};

} // namespace zolt
