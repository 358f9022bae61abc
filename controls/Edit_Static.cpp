#include "controls/Edit_Static.h"

#include "controls/Message.h"

#include <algorithm>

namespace zolt {

CEdit_Static::CEdit_Static(QWidget* pParent) : CTransparentStatic(pParent) {}

void CEdit_Static::SetRange(int nMin, int nMax) {
    m_nMin = nMin;
    m_nMax = nMax;
}

void CEdit_Static::SetPos(int nPos) {
    m_nPos = nPos;
    const bool bInRange = nPos >= std::min(m_nMin, m_nMax) && nPos <= std::max(m_nMin, m_nMax);
    const bool bTable = m_format.nMode == kLabelAttack || m_format.nMode == kLabelRelease ||
                        m_format.nMode == kLabelRatio;
    SetText(bInRange || !bTable ? QString::fromStdString(LabelText(m_format, nPos, m_nMin))
                                : QStringLiteral("(%1)").arg(nPos));
    PostMessage(this, WM_LABEL_REPAINT);
}

void CEdit_Static::SetTextColours(ColorRef nEnabled, ColorRef nDisabled) {
    SetTextColor(nEnabled);
    m_nDisabledColour = nDisabled;
}

ColorRef CEdit_Static::PaintColour() const {
    return isEnabled() ? TextColor() : m_nDisabledColour;
}

bool CEdit_Static::event(QEvent* e) {
    const CMessageEvent* pMsg = CMessageEvent::From(e);
    if (pMsg != nullptr && pMsg->Message() == WM_LABEL_REPAINT) {
        update();
        return true;
    }
    return CTransparentStatic::event(e);
}

} // namespace zolt
