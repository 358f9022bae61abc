#include "pages/EQDlg.h"

#include "controls/BitComboBox.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlFactory.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "controls/Skin.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/DataConver.h"

#include <QKeyEvent>

#include <algorithm>
#include <unordered_map>

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

constexpr int kCaptionHeight = 16; // pixels of the band number's character cell

// Which strip's gain slider each band's curve object moves while its point is dragged.
// A strip that moves on to another band, or goes away, unlinks only what it linked.
std::unordered_map<const CFilter*, const CEQDlg*>& SliderLinks() {
    static std::unordered_map<const CFilter*, const CEQDlg*> links;
    return links;
}

void Unlink(CFilter* pFilter, const CEQDlg* pStrip) {
    auto& links = SliderLinks();
    const auto it = links.find(pFilter);
    if (it != links.end() && it->second == pStrip) {
        pFilter->SetLinkedControl({});
        links.erase(it);
    }
}

} // namespace

CEQDlg::CEQDlg(QWidget* pPage, QObject* pListener) : CDialogWindow(pPage), m_pListener(pListener) {
    BuildDialog(this, kStripTemplate);
    SetUpControls();
    setFocusPolicy(Qt::ClickFocus); // Enter and Escape park the focus here
}

CEQDlg::~CEQDlg() {
    if (m_pFilter != nullptr) {
        Unlink(m_pFilter, this);
    }
}

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

    for (const char* pszType : kBandTypeNames) {
        m_pType->addItem(QString::fromLatin1(pszType));
    }
    m_pType->SetStandardSkin();
    connect(m_pType, &QComboBox::activated, this, &CEQDlg::OnTypeChosen);

    m_pGain->SetDisplayMode(kNumEditScaled);
    m_pGain->SetRange(0, kStripGainMax);
    m_pGain->SetScale(0.2);
    m_pGain->SetOffset(24.0);
    m_pGain->LinkSlider(m_pSlider);

    m_pSlider->SetVertical(true);
    m_pSlider->SetChannelPictures(kSkinGainChannel);
    m_pSlider->SetThumbPictures(kSkinGainThumb, kSkinGainThumbActive, true, kKeyFromPixel, 0, 0);
    m_pSlider->SetMargins(12, 1, 0, 2);
    m_pSlider->SetRange(0, kStripGainMax);

    m_pFreq->SetDisplayMode(kNumEditFrequency);
    m_pFreq->SetRange(0, kFreqCount - 1);
    m_pQ->SetDisplayMode(kNumEditQ);
    m_pQ->SetRange(0, kQCount - 1);
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
    CFilter* pFilter =
        pSet != nullptr && m_nBand < pSet->BandCount() ? pSet->Filter(m_nBand) : nullptr;
    if (pFilter != m_pFilter && m_pFilter != nullptr) {
        Unlink(m_pFilter, this);
    }
    m_pFilter = pFilter;
    LinkSlider(pFilter);
}

void CEQDlg::LinkSlider(CFilter* pFilter) {
    if (pFilter == nullptr) {
        return;
    }
    QPointer<CBitmapSlider> pSlider = m_pSlider;
    pFilter->SetLinkedControl([pSlider](int nGain) {
        if (pSlider != nullptr) {
            pSlider->SetPosFromFarEnd(nGain);
        }
    });
    SliderLinks()[pFilter] = this;
}

// A record from the device or a file may hold more than the strip's +12 dB; both inputs
// then show the top of their range (ReadBand clamps) instead of an earlier band's text.
void CEQDlg::LoadGain(int nGain) {
    m_pSlider->SetPosFromFarEnd(nGain);
    m_pGain->SetValue(nGain);
}

CEQDlg::SBand CEQDlg::ReadBand() const {
    // The comm thread re-binds the curve objects when a whole image arrives.
    const CImageGuard lock(ImageLock());
    return {m_pFilter->Type(), std::clamp(m_pFilter->GainByte(), 0, kStripGainMax),
            std::clamp(m_pFilter->FreqIndex(), 0, kFreqCount - 1),
            std::clamp(m_pFilter->QIndex(), 0, kQCount - 1)};
}

void CEQDlg::Reload() {
    if (m_pFilter == nullptr) {
        return;
    }
    const SBand band = ReadBand();
    m_pType->setCurrentIndex(band.m_nType);
    LoadGain(band.m_nGain);
    m_pFreq->SetValue(band.m_nFreq);
    m_pQ->SetValue(band.m_nQ);
}

void CEQDlg::ReloadAndFocus() {
    if (m_pFilter == nullptr) {
        return;
    }
    const SBand band = ReadBand();
    LoadGain(band.m_nGain);
    m_pGain->setFocus(Qt::OtherFocusReason);
    m_pFreq->SetValue(band.m_nFreq);
    m_pQ->SetValue(band.m_nQ);
}

void CEQDlg::Enable(bool bEnable) {
    m_pCaption->setEnabled(bEnable);
    m_pType->setEnabled(bEnable);
    m_pGain->setEnabled(bEnable);
    m_pSlider->Enable(bEnable);
    m_pFreq->setEnabled(bEnable);
    m_pQ->setEnabled(bEnable);
    setEnabled(bEnable);
}

void CEQDlg::SetCaptionColour(ColorRef nColour) {
    m_pCaption->SetTextColor(nColour);
}

// --- edits ------------------------------------------------------------------------------

void CEQDlg::OnTypeChosen(int nType) {
    if (m_pFilter == nullptr) {
        return;
    }
    {
        const CImageGuard lock(ImageLock());
        m_pFilter->SetType(nType);
    }
    SendMessage(m_pListener, WM_BAND_ACTIVATED, 0, m_nBand);
    Highlight();
}

void CEQDlg::OnFieldCommitted(int nId) {
    if (m_pFilter == nullptr) {
        return;
    }
    {
        const CImageGuard lock(ImageLock());
        switch (nId) {
        case stripid::kGain: {
            const int nGain = m_pGain->Value();
            m_pFilter->SetGainByte(nGain);
            m_pSlider->SetPosFromFarEnd(nGain);
            break;
        }
        case stripid::kFreq:
            m_pFilter->SetFreqIndex(m_pFreq->Value());
            break;
        case stripid::kQ:
            m_pFilter->SetQIndex(m_pQ->Value());
            break;
        default:
            return;
        }
    }
    SendMessage(m_pListener, WM_BAND_ACTIVATED, 0, m_nBand);
    Highlight();
}

void CEQDlg::OnSliderMoved() {
    if (m_pFilter == nullptr) {
        return;
    }
    const int nGain = m_pSlider->PosFromFarEnd();
    {
        const CImageGuard lock(ImageLock());
        m_pFilter->SetGainByte(nGain);
    }
    m_pGain->SetValue(nGain);
    PostMessage(m_pListener, WM_BAND_ACTIVATED, 0, m_nBand);
    m_pGain->setFocus(Qt::OtherFocusReason);
    Highlight();
}

void CEQDlg::Highlight() {
    if (m_pDisplay != nullptr) {
        m_pDisplay->SelectFilter(m_nBand);
    }
}

bool CEQDlg::OnMessage(CMessageEvent& msg) {
    switch (msg.Message()) {
    case WM_NUMEDIT_CHANGED:
        OnFieldCommitted(static_cast<int>(msg.LParameter()));
        return true;
    case WM_SLIDER_MOVING:
    case WM_SLIDER_MOVED:
        OnSliderMoved();
        return true;
    default:
        return false;
    }
}

} // namespace zolt
