#include "pages/Effect_Dlg.h"

#include "controls/BitButton.h"
#include "eq/CFStatic.h"
#include "pages/Echo_Dlg.h"
#include "pages/Rev_Dlg.h"

namespace zolt {

namespace {

using namespace effectid;

// Template 146; positions and sizes in dialog units.
constexpr SControlTemplate kControls[] = {
    {kEchoA, ECtl::BitButton, 4, 48, 50, 14},
    {kEchoB, ECtl::BitButton, 4, 64, 50, 14},
    {kReverb, ECtl::BitButton, 4, 80, 50, 14},
    {kDisplay, ECtl::Custom, 6, 176, 706, 164},
};

constexpr SCaption kCaptions[] = {
    {kEchoA, "回声A", "EchoA"},
    {kEchoB, "回声B", "EchoB"},
    {kReverb, "混响", "Reverb"},
};

// Each selector and the unit it shows.
constexpr struct {
    int m_nButton;
    int m_nUnit;
} kSelectors[] = {
    {kEchoA, effectunit::kEchoA},
    {kEchoB, effectunit::kEchoB},
    {kReverb, effectunit::kReverb},
};

// Both panels lie here, at their own size, above the display.
constexpr QPoint kPanelPlace{100, 0};

} // namespace

const SDialogTemplate CEffect_Dlg::kTemplate{146, 785, 359, kControls};

const SPageDesc CEffect_Dlg::kDesc{&kTemplate, kCaptions, {}, kDisplay, curvegroup::kEffect};

CEffect_Dlg::CEffect_Dlg(QWidget* pParent) : CPageBase(kDesc, pParent) {
    Display().ShowSet(CurrentEffectUnit());
    m_pEcho = new CEcho_Dlg(&Display(), this);
    m_pReverb = new CRev_Dlg(&Display(), this);
    for (QWidget* pPanel : {static_cast<QWidget*>(m_pEcho), static_cast<QWidget*>(m_pReverb)}) {
        pPanel->move(kPanelPlace);
        pPanel->hide();
    }
    for (const auto& selector : kSelectors) {
        auto* pButton = DlgItem<CBitButton>(this, selector.m_nButton);
        pButton->SetPictures(kSkinSelector, kSkinSelector, kSkinSelectorChecked,
                             kSkinSelectorChecked, kSkinSelectorChecked, kSkinSelector);
        const int nUnit = selector.m_nUnit;
        connect(pButton, &QAbstractButton::clicked, this, [this, nUnit] { OnSelector(nUnit); });
    }
    ApplyLanguage();
}

void CEffect_Dlg::Refresh() {
    ShowCurrentUnit();
}

void CEffect_Dlg::ApplyLanguage() {
    CPageBase::ApplyLanguage();
    m_pEcho->ApplyLanguage();
    m_pReverb->ApplyLanguage();
}

// The unit already shown keeps everything as it is, the panel's fields included.
void CEffect_Dlg::OnSelector(int nUnit) {
    if (nUnit == CurrentEffectUnit()) {
        return;
    }
    CurrentEffectUnit() = nUnit;
    m_pEcho->SwitchUnit(nUnit);
    Display().ShowSet(nUnit);
    ShowCurrentUnit();
}

void CEffect_Dlg::ShowCurrentUnit() {
    const int nUnit = CurrentEffectUnit();
    CEffectPanel* pShown = nullptr;
    CEffectPanel* pHidden = nullptr;
    if (IsEchoUnit(nUnit)) {
        pShown = m_pEcho;
        pHidden = m_pReverb;
    } else if (nUnit == effectunit::kReverb) {
        pShown = m_pReverb;
        pHidden = m_pEcho;
    }
    if (pShown != nullptr) {
        pHidden->hide();
        pShown->show();
        pShown->Refresh();
        for (const auto& selector : kSelectors) {
            DlgItem<CBitButton>(this, selector.m_nButton)
                ->SetChecked(selector.m_nUnit == nUnit ? 1 : 0);
        }
    }
    Display().SelectFilter(-1);
}

// The display tells which unit's curve set a drag changed: the echo units' go to the echo
// panel, the reverb's to the reverb panel.
bool CEffect_Dlg::OnMessage(CMessageEvent& msg) {
    if (msg.Message() != WM_CURVE_DRAGGED) {
        return CPageBase::OnMessage(msg);
    }
    const int nUnit = static_cast<int>(msg.WParameter());
    const int nItem = static_cast<int>(msg.LParameter());
    if (IsEchoUnit(nUnit)) {
        m_pEcho->CurvePointDragged(nItem);
    } else if (nUnit == effectunit::kReverb) {
        m_pReverb->CurvePointDragged(nItem);
    }
    return true;
}

int CEffect_Dlg::ShownEqBlock() const {
    return CurrentEffectUnit();
}

} // namespace zolt
