#include "pages/EQDlg.h"

#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlFactory.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"

namespace zolt {

namespace {

constexpr SControlTemplate kStripControls[] = {
    {stripid::kCaption, ECtl::FontStatic, 0, 2, 26, 10},
    {stripid::kType, ECtl::BitComboBox, 0, 14, 26, 60},
    {stripid::kGain, ECtl::NumEdit, 0, 28, 26, 11},
    {stripid::kGainSlider, ECtl::BitmapSlider, 2, 44, 22, 61, false, "", kStyleVertical},
    {stripid::kFreq, ECtl::NumEdit, 0, 114, 26, 11},
    {stripid::kQ, ECtl::NumEdit, 0, 127, 26, 11},
};
constexpr SDialogTemplate kStripTemplate{136, 26, 139, kStripControls};

// The strip's inputs, all of its band's curve object (item 0: the one the strip is bound
// to). No row highlights on the page's terms: the strip highlights its band itself.
constexpr SFieldBinding kStripFields[] = {
    bind::BandType(stripid::kType, 0).Highlighting(kNoHighlight),
    bind::BandGain(stripid::kGainSlider, stripid::kGain, 0, EFieldKind::Gain)
        .Highlighting(kNoHighlight),
    bind::BandFrequency(stripid::kFreq, 0).Highlighting(kNoHighlight),
    bind::BandQ(stripid::kQ, 0).Highlighting(kNoHighlight),
};

constexpr int kCaptionHeight = 16; // pixels of the band number's character cell

} // namespace

CEQDlg::CEQDlg(QWidget* pPage, QObject* pListener)
    : CDialogWindow(pPage), m_pListener(pListener), m_fields(this, kStripFields, *this) {
    BuildDialog(this, kStripTemplate);
    SetUpControls();
    setFocusPolicy(Qt::ClickFocus); // Enter and Escape park the focus here
}

CEQDlg::~CEQDlg() = default;

void CEQDlg::SetUpControls() {
    m_pCaption = DlgItem<CFontStatic>(this, stripid::kCaption);
    m_pType = DlgItem<CBitComboBox>(this, stripid::kType);
    m_pGain = DlgItem<CNumEdit>(this, stripid::kGain);
    m_pSlider = DlgItem<CBitmapSlider>(this, stripid::kGainSlider);
    m_pFreq = DlgItem<CNumEdit>(this, stripid::kFreq);
    m_pQ = DlgItem<CNumEdit>(this, stripid::kQ);

    m_pCaption->SetLeftAligned(false);
    m_pCaption->SetFontHeight(kCaptionHeight);
    m_pCaption->SetTextColor(kWhite);

    m_fields.SetUp();
    // The strip's slider spans the whole gain channel, -24 .. +12 dB.
    m_pSlider->SetMargins(12, 1, 0, 2);
}

void CEQDlg::SetDisplay(CFStatic* pDisplay) {
    m_pDisplay = pDisplay;
}

void CEQDlg::Bind(int nBlock, bool bRebind) {
    m_nBlock = nBlock;
    if (bRebind) {
        LookUpFilter();
        Reload();
    }
}

void CEQDlg::SetBand(int nBand) {
    m_nBand = nBand;
    LookUpFilter();
    m_pCaption->SetText(QString::number(nBand + 1));
    Reload();
}

void CEQDlg::LookUpFilter() {
    CKTVEQ* pSet = m_nBlock >= 0 && m_nBlock < 16 ? CurveSetOfBlock(m_nBlock) : nullptr;
    m_pFilter = pSet != nullptr && m_nBand < pSet->BandCount() ? pSet->Filter(m_nBand) : nullptr;
}

std::size_t CEQDlg::BlockOffset(EBlock) const {
    return 0;
}

CFilter* CEQDlg::CurveFilter(int) const {
    return m_pFilter;
}

// A record from the device or a file may hold more than the strip's +12 dB; the gain
// inputs then show the top of their range instead of an earlier band's text.
void CEQDlg::Reload() {
    m_fields.LoadAll();
}

// The focus moves first: a field left with typed text commits it before the reload.
void CEQDlg::ReloadAndFocus() {
    if (m_pFilter != nullptr) {
        m_pGain->setFocus(Qt::OtherFocusReason);
        m_fields.LoadAll();
    }
}

void CEQDlg::Enable(bool bEnable) {
    m_pCaption->setEnabled(bEnable);
    m_fields.EnableAll(bEnable);
    setEnabled(bEnable);
}

void CEQDlg::SetCaptionColour(ColorRef nColour) {
    m_pCaption->SetTextColor(nColour);
}

void CEQDlg::AfterWrite(const SFieldBinding&, int nControl) {
    if (nControl == stripid::kGainSlider) {
        PostMessage(m_pListener, WM_BAND_ACTIVATED, 0, m_nBand);
        m_pGain->setFocus(Qt::OtherFocusReason);
    } else {
        SendMessage(m_pListener, WM_BAND_ACTIVATED, 0, m_nBand);
    }
    if (m_pDisplay != nullptr) {
        m_pDisplay->SelectFilter(m_nBand);
    }
}

bool CEQDlg::OnMessage(CMessageEvent& msg) {
    switch (msg.Message()) {
    case WM_NUMEDIT_CHANGED:
        m_fields.OnField(static_cast<int>(msg.LParameter()));
        return true;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        m_fields.OnSlider(static_cast<int>(msg.WParameter()));
        return true;
    default:
        return false;
    }
}

} // namespace zolt
