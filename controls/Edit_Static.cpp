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
    m_nPos = std::clamp(nPos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    SetText(QString::fromStdString(LabelText(m_format, m_nPos, m_nMin)));
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
