#include "shell/AboutDlg.h"

#include "controls/ControlFactory.h"
#include "controls/Skin.h"

#include <QLabel>
#include <QPushButton>

namespace zolt {

namespace {

constexpr int kIconId = 1001;
constexpr int kOkId = 1;

constexpr SControlTemplate kControls[] = {
    {kIconId, ECtl::Static, 14, 14, 21, 20},
    {1002, ECtl::Static, 46, 20, 80, 8, false, "1.0 版"},
    {kOkId, ECtl::Button, 113, 41, 50, 14, false, "OK"},
};
constexpr SDialogTemplate kTemplate{100, 170, 62, kControls};

} // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, kTemplate);
    setFixedSize(size());
    setWindowTitle(QString::fromUtf8("关于"));
    DlgItem<QLabel>(this, kIconId)->setPixmap(SkinPixmap(kSkinIcon));
    auto* ok = DlgItem<QPushButton>(this, kOkId);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace zolt
