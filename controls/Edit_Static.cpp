#include "controls/Edit_Static.h"

#include "controls/Message.h"
#include "model/DataConver.h"

#include <algorithm>

namespace zolt {

QString LabelText(const SLabelFormat& format, int nPos, int nMin) {
    const QString strUnit = QString::fromUtf8(format.pszUnit);
    const QString strInteger = QString::number(nPos * format.nMultiplier - format.nIntOffset);
    switch (format.nMode) {
    case kLabelOffAtMin:
        return nPos == nMin ? QStringLiteral("OFF") : strInteger + strUnit;
    case kLabelScaled:
        return QString::asprintf("%.1f", nPos * format.dScale - format.dOffset) + strUnit;
    case kLabelDistance:
        return QString::fromStdString(DistanceText(nPos)) + strUnit;
    case kLabelAttack:
        return QLatin1String(zolt::LabelText(ELabelTable::Attack, nPos)) + strUnit;
    case kLabelRelease:
        return QLatin1String(zolt::LabelText(ELabelTable::Release, nPos)) + strUnit;
    case kLabelRatio:
        return QLatin1String(zolt::LabelText(ELabelTable::Ratio, nPos)) + strUnit;
    default:
        return strInteger + strUnit;
    }
}

CEdit_Static::CEdit_Static(QWidget* pParent) : CTransparentStatic(pParent) {}

void CEdit_Static::SetRange(int nMin, int nMax) {
    m_nMin = nMin;
    m_nMax = nMax;
}

void CEdit_Static::SetPos(int nPos) {
    m_nPos = std::clamp(nPos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    SetText(LabelText(m_format, m_nPos, m_nMin));
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
