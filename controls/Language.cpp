#include "controls/Language.h"

#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "controls/SxGroupBox.h"
#include "controls/TransparentStatic.h"
#include "model/Command.h"

#include <QAbstractButton>
#include <QLabel>

namespace zolt {

int Language() {
    return g_flags.m_nLanguage != 0 ? 1 : 0;
}

QString LanguageText(const SText& text) {
    return QString::fromUtf8(text.In(Language()));
}

void SetCaption(QWidget* pControl, const QString& strText) {
    if (auto* pGroup = qobject_cast<CSxGroupBox*>(pControl)) {
        pGroup->SetCaption(strText, false);
    } else if (auto* pStatic = qobject_cast<CTransparentStatic*>(pControl)) {
        pStatic->SetText(strText);
    } else if (auto* pFont = qobject_cast<CFontStatic*>(pControl)) {
        pFont->SetText(strText);
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pControl)) {
        pButton->setText(strText);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pControl)) {
        pLabel->setText(strText);
    }
}

void ApplyCaptions(QWidget* pParent, std::span<const SCaption> aCaptions) {
    for (const SCaption& caption : aCaptions) {
        SetCaption(FindDlgItem(pParent, caption.m_nId), CaptionText(caption));
    }
}

} // namespace zolt
