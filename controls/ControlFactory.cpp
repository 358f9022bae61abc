#include "controls/ControlFactory.h"

#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/EnglishEdit.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/SLamp.h"
#include "controls/SxGroupBox.h"
#include "controls/TransparentStatic.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace zolt {

namespace {

Qt::Alignment EditAlignment(unsigned nStyle) {
    const Qt::Alignment eAcross = (nStyle & kStyleRight)    ? Qt::AlignRight
                                  : (nStyle & kStyleCenter) ? Qt::AlignHCenter
                                                            : Qt::AlignLeft;
    return eAcross | Qt::AlignVCenter;
}

void ApplyEditStyle(QLineEdit* pEdit, const SControlTemplate& row) {
    pEdit->setAlignment(EditAlignment(row.nStyle));
    pEdit->setReadOnly((row.nStyle & kStyleReadOnly) != 0);
    if (row.nStyle & kStylePassword) {
        pEdit->setEchoMode(QLineEdit::Password);
    }
    pEdit->setText(QString::fromUtf8(row.pszText));
}

template <class TStatic> QWidget* MakeStatic(const SControlTemplate& row, QWidget* pParent) {
    auto* pStatic = new TStatic(pParent);
    pStatic->SetText(QString::fromUtf8(row.pszText));
    return pStatic;
}

QWidget* MakeButton(const SControlTemplate& row, QWidget* pParent) {
    auto* pButton = new CBitButton(pParent);
    pButton->setText(QString::fromUtf8(row.pszText));
    if (row.nStyle & (kStyleAutoCheckBox | kStyleAutoRadio)) {
        pButton->setCheckable(true);
        pButton->setAutoExclusive((row.nStyle & kStyleAutoRadio) != 0);
    }
    return pButton;
}

QWidget* MakeTrackbar(const SControlTemplate& row, QWidget* pParent) {
    return new QSlider((row.nStyle & kStyleVertical) ? Qt::Vertical : Qt::Horizontal, pParent);
}

QWidget* MakeSlider(const SControlTemplate& row, QWidget* pParent) {
    auto* pSlider = new CBitmapSlider(pParent);
    pSlider->SetVertical((row.nStyle & kStyleVertical) != 0);
    return pSlider;
}

template <class TEdit> QWidget* MakeEdit(const SControlTemplate& row, QWidget* pParent) {
    auto* pEdit = new TEdit(pParent);
    ApplyEditStyle(pEdit, row);
    return pEdit;
}

QWidget* MakeGroupBox(const SControlTemplate& row, QWidget* pParent) {
    auto* pGroup = new CSxGroupBox(pParent);
    pGroup->SetCaption(QString::fromUtf8(row.pszText), false);
    return pGroup;
}

QWidget* MakeWidget(const SControlTemplate& row, QWidget* pParent,
                    const CustomFactory& makeCustom) {
    switch (row.eClass) {
    case ECtl::BitmapSlider:
        return MakeSlider(row, pParent);
    case ECtl::NumEdit:
        return MakeEdit<CNumEdit>(row, pParent);
    case ECtl::EditStatic:
        return MakeStatic<CEdit_Static>(row, pParent);
    case ECtl::EnglishEdit:
        return MakeEdit<CEnglishEdit>(row, pParent);
    case ECtl::BitButton:
        return MakeButton(row, pParent);
    case ECtl::BitComboBox:
        return new CBitComboBox(pParent);
    case ECtl::TransparentStatic:
        return MakeStatic<CTransparentStatic>(row, pParent);
    case ECtl::FontStatic:
        return MakeStatic<CFontStatic>(row, pParent);
    case ECtl::SLamp:
        return new CSLamp(pParent);
    case ECtl::SxGroupBox:
        return MakeGroupBox(row, pParent);
    case ECtl::EnTabCtrl:
        return new CEnTabCtrl(pParent);
    case ECtl::Static:
        return new QLabel(QString::fromUtf8(row.pszText), pParent);
    case ECtl::Button:
        return new QPushButton(QString::fromUtf8(row.pszText), pParent);
    case ECtl::Edit:
        return MakeEdit<QLineEdit>(row, pParent);
    case ECtl::ComboBox:
        return new QComboBox(pParent);
    case ECtl::Trackbar:
        return MakeTrackbar(row, pParent);
    case ECtl::ProgressBar:
        return new QProgressBar(pParent);
    case ECtl::Custom:
        break;
    }
    QWidget* pCustom = makeCustom ? makeCustom(row, pParent) : nullptr;
    return pCustom != nullptr ? pCustom : new QWidget(pParent);
}

bool IsComboClass(ECtl eClass) {
    return eClass == ECtl::BitComboBox || eClass == ECtl::ComboBox;
}

} // namespace

QWidget* CreateControl(const SControlTemplate& row, QWidget* pParent,
                       const CustomFactory& makeCustom) {
    QWidget* pWidget = MakeWidget(row, pParent, makeCustom);
    SetControlId(pWidget, row.nId);
    SetControlStyle(pWidget, row.nStyle);
    return pWidget;
}

void BuildControls(QWidget* pParent, std::span<const SControlTemplate> aRows,
                   const CustomFactory& makeCustom) {
    for (const SControlTemplate& row : aRows) {
        QWidget* pWidget = CreateControl(row, pParent, makeCustom);
        QRect place = DluToPixels(row.nX, row.nY, row.nW, row.nH);
        if (IsComboClass(row.eClass)) {
            place.setHeight(kComboHeight);
        }
        pWidget->setGeometry(place);
        pWidget->setEnabled((row.nStyle & kStyleDisabled) == 0);
        pWidget->setVisible(!row.bHidden);
    }
}

void BuildDialog(QWidget* pDialog, const SDialogTemplate& dialog, const CustomFactory& makeCustom) {
    pDialog->setFont(DialogFont());
    pDialog->resize(DluToPixelsX(dialog.nWidth), DluToPixelsY(dialog.nHeight));
    BuildControls(pDialog, dialog.aControls, makeCustom);
}

} // namespace zolt
