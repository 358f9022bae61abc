// The value label beside a slider: shows a slider position as text with a unit in one of
// the seven display modes of a label format (the core's formatter). UI thread only.
#pragma once

#include "controls/TransparentStatic.h"
#include "model/DataConver.h"

namespace zolt {

class CEdit_Static : public CTransparentStatic {
    Q_OBJECT
public:
    explicit CEdit_Static(QWidget* pParent = nullptr);

    void SetRange(int nMin, int nMax);
    void SetFormat(const SLabelFormat& format) { m_format = format; }
    // Shows position nPos. A position outside the range (from a file or the processor) is
    // shown as it is; one beyond a label table, which has no entry for it, as its number in
    // brackets ("(25)"), as the field table reads it.
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
