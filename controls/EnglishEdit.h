// The text field for passwords and mode names, which the processor stores as single-byte
// text: only printable ASCII (space to "~") can enter it, typed, pasted or dropped.
// Light text on the dark field colour. UI thread only.
#pragma once

#include <QLineEdit>

namespace zolt {

// Strips every character outside printable ASCII from strText.
QString PrintableAscii(const QString& strText);

class CEnglishEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CEnglishEdit(QWidget* pParent = nullptr);
};

} // namespace zolt
