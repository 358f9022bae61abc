// The about box: the program icon, the version text and an OK button.
#pragma once

#include <QDialog>

namespace zolt {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent);
};

} // namespace zolt
