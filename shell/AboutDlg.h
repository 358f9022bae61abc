// The about box in the window's language: the program icon, its name and version, and an OK
// button.
#pragma once

#include <QDialog>

namespace zolt {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent);
};

} // namespace zolt
