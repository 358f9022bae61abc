#include "pages/PageBase.h"

#include "controls/BitButton.h"
#include "controls/Colour.h"
#include "controls/ControlFactory.h"
#include "controls/Skin.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "pages/EQDlg.h"
#include "pages/EqStripBank.h"

#include <QPalette>

namespace zolt {

namespace {

// What the mouse does on a curve display.
constexpr SText kDisplayKeys{"拖动点：频率和增益\n按住右键左右拖动点：Q\n在点上滚动滚轮：Q",
                             "Drag a point: frequency and gain\nRight-drag a point sideways: "
                             "Q\nWheel over a point: Q"};

} // namespace

CPageBase::CPageBase(const SPageDesc& desc, QWidget* pParent)
    : CDialogWindow(pParent), m_aCaptions(desc.m_aCaptions), m_nBypass(desc.m_nBypass),
      m_fields(this, desc.m_aFields, *this) {
    const int nDisplay = desc.m_nDisplay;
    BuildDialog(this, *desc.m_pTemplate,
                [nDisplay](const SControlTemplate& row, QWidget* pParentWidget) -> QWidget* {
                    return row.nId == nDisplay ? new CFStatic(pParentWidget)
                                               : new QWidget(pParentWidget);
                });
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColorOf(kPageColour));
    setPalette(palette);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus); // Enter and Escape park the focus here

    if (nDisplay != 0) {
        m_pDisplay = DlgItem<CFStatic>(this, nDisplay);
        m_pDisplay->Attach(this);
        m_pDisplay->LayoutGroup(desc.m_nCurveGroup);
    }
    // Every button wears the grey pill; flag rows give theirs their own pictures.
    for (CBitButton* pButton : findChildren<CBitButton*>(Qt::FindDirectChildrenOnly)) {
        pButton->SetPictures(kSkinButton, kSkinButton, kSkinButtonChecked, kSkinButtonChecked,
                             kSkinButtonChecked, kSkinButton);
    }
    m_fields.SetUp();
}

CPageBase::~CPageBase() = default;

void CPageBase::AttachStrips(std::unique_ptr<CEqStripBank> pStrips) {
    m_pStrips = std::move(pStrips);
}

void CPageBase::Refresh() {
    LoadFields();
}

void CPageBase::LoadFields() {
    m_fields.LoadAll();
    ShowDisplayState();
}

void CPageBase::ShowDisplayState() {
    if (m_pDisplay != nullptr) {
        m_pDisplay->SetState(DisplayBypassed(), EqEditable());
    }
}

bool CPageBase::DisplayBypassed() const {
    return m_nBypass != 0 && m_fields.StoredByte(m_nBypass) == 1;
}

void CPageBase::ApplyLanguage() {
    ApplyCaptions(this, m_aCaptions);
    m_fields.Explain();
    if (m_pStrips != nullptr) {
        for (int i = 0; i < m_pStrips->StripCount(); ++i) {
            m_pStrips->Strip(i).Fields().Explain();
        }
    }
    if (m_pDisplay != nullptr) {
        m_pDisplay->setToolTip(LanguageText(kDisplayKeys));
    }
    update();
}

std::size_t CPageBase::BlockOffset(EBlock) const {
    return 0;
}

CKTVEQ* CPageBase::CurveSet() const {
    return nullptr;
}

CFilter* CPageBase::CurveFilter(int nItem) const {
    CKTVEQ* pSet = CurveSet();
    return pSet != nullptr ? pSet->Filter(nItem) : nullptr;
}

void CPageBase::AfterWrite(const SFieldBinding& row, int) {
    if (row.m_nHighlight != kNoHighlight && m_pDisplay != nullptr) {
        m_pDisplay->SelectFilter(row.m_nHighlight);
    }
    ShowDisplayState();
}

void CPageBase::OnCurveItemDragged(int) {}

void CPageBase::CurvePointDragged(int nItem) {
    if (m_pStrips == nullptr || !m_pStrips->OnCurveDragged(nItem)) {
        OnCurveItemDragged(nItem);
    }
}

bool CPageBase::OnMessage(CMessageEvent& msg) {
    switch (msg.Message()) {
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        m_fields.OnSlider(static_cast<int>(msg.WParameter()));
        return true;
    case WM_NUMEDIT_CHANGED:
        m_fields.OnField(static_cast<int>(msg.LParameter()));
        return true;
    case WM_CURVE_DRAGGED:
        CurvePointDragged(static_cast<int>(msg.LParameter()));
        return true;
    default:
        return CDialogWindow::OnMessage(msg);
    }
}

} // namespace zolt
