#include "controls/EnglishEdit.h"

#include "controls/Colour.h"
#include "model/Command.h"

#include <QPalette>
#include <QValidator>

namespace zolt {

namespace {

constexpr ColorRef kEnglishText = 0xFAFAFA;

bool IsPrintableAscii(QChar c) {
    return IsStorableCharacter(c.unicode());
}

// Removes what cannot be stored from every edit, so the field always holds storable text.
class CAsciiValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& strInput, int& nPos) const override {
        int nRemovedBeforeCaret = 0;
        for (int i = 0; i < nPos && i < strInput.size(); ++i) {
            nRemovedBeforeCaret += IsPrintableAscii(strInput[i]) ? 0 : 1;
        }
        strInput = PrintableAscii(strInput);
        nPos -= nRemovedBeforeCaret;
        return Acceptable;
    }
};

} // namespace

QString PrintableAscii(const QString& strText) {
    QString strKept;
    strKept.reserve(strText.size());
    for (const QChar c : strText) {
        if (IsPrintableAscii(c)) {
            strKept.append(c);
        }
    }
    return strKept;
}

CEnglishEdit::CEnglishEdit(QWidget* pParent) : QLineEdit(pParent) {
    setFrame(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setValidator(new CAsciiValidator(this));
    QPalette palette = this->palette();
    for (const QPalette::ColorGroup eGroup : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(eGroup, QPalette::Text, QColorOf(kEnglishText));
        palette.setColor(eGroup, QPalette::Base, QColorOf(kFieldColour));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, QColorOf(kFieldColour));
    setPalette(palette);
}

} // namespace zolt
