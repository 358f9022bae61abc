#include "shell/AboutDlg.h"

#include "controls/ControlFactory.h"
#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "controls/Skin.h"

#include <QLabel>
#include <QPushButton>

namespace zolt {

namespace {

constexpr int kIconId = 1001;
constexpr int kVersionId = 1002;
constexpr int kOkId = 1;

constexpr SText kTitle{"关于", "About"};
// %1: the program's name and version.
constexpr SText kVersion{"%1 版", "%1"};

constexpr SControlTemplate kControls[] = {
    {kIconId, ECtl::Static, 14, 14, 21, 20},
    {kVersionId, ECtl::Static, 46, 20, 110, 8},
    {kOkId, ECtl::Button, 113, 41, 50, 14, false, "OK"},
};
constexpr SDialogTemplate kTemplate{100, 170, 62, kControls};

} // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, kTemplate);
    setFixedSize(size());
    setWindowTitle(LanguageText(kTitle));
    DlgItem<QLabel>(this, kVersionId)
        ->setText(LanguageText(kVersion).arg(QLatin1String(kProgramTitle)));
    DlgItem<QLabel>(this, kIconId)->setPixmap(SkinPixmap(kSkinIcon));
    auto* ok = DlgItem<QPushButton>(this, kOkId);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zolt
