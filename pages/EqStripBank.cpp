#include "pages/EqStripBank.h"

#include "controls/Colour.h"
#include "controls/DialogTemplate.h"
#include "controls/Message.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "pages/EQDlg.h"

#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace zolt {

namespace {

constexpr int kFirstStripX = 60;
constexpr int kStripY = 5;

} // namespace

CEqStripBank::CEqStripBank(QWidget* pPage, CFStatic* pDisplay, const SStripBankLayout& layout,
                           int nBlock, SStripView* pView)
    : m_pPage(pPage), m_pDisplay(pDisplay), m_eScroll(layout.m_eScroll), m_nBlock(nBlock),
      m_pView(pView != nullptr ? pView : &m_ownView) {
    for (int i = 0; i < layout.m_nVisible; ++i) {
        auto* pStrip = new CEQDlg(pPage, this);
        pStrip->move(kFirstStripX + layout.m_nStep * i, kStripY);
        pStrip->SetDisplay(pDisplay);
        pStrip->show();
        pStrip->Bind(nBlock, false);
        m_aStrips.emplace_back(pStrip);
    }
    SetView(m_pView->m_nFirst);
    AssignBands();
    if (layout.m_nScrollBar != 0) {
        AttachScrollBar(DlgItem<QSlider>(pPage, layout.m_nScrollBar));
    }
}

CEqStripBank::~CEqStripBank() = default;

bool CEqStripBank::event(QEvent* pEvent) {
    CMessageEvent* pMessage = CMessageEvent::From(pEvent);
    if (pMessage == nullptr || pMessage->Message() != WM_BAND_ACTIVATED) {
        return QObject::event(pEvent);
    }
    OnBandActivated(static_cast<int>(pMessage->LParameter()));
    return true;
}

int CEqStripBank::BandCount() const {
    const CKTVEQ* pSet = CurveSetOfBlock(m_nBlock);
    return pSet != nullptr ? pSet->BandCount() : 0;
}

CEQDlg& CEqStripBank::Strip(int nPosition) const {
    return *m_aStrips[static_cast<std::size_t>(nPosition)];
}

int CEqStripBank::MaxFirst() const {
    return std::max(0, BandCount() - StripCount());
}

void CEqStripBank::SetView(int nFirst) {
    m_pView->m_nFirst = std::clamp(nFirst, 0, MaxFirst());
    m_pView->m_nLast = m_pView->m_nFirst + StripCount() - 1;
}

void CEqStripBank::AssignBands() {
    for (int i = 0; i < StripCount(); ++i) {
        Strip(i).SetBand(FirstVisible() + i);
    }
}

void CEqStripBank::DropHighlight() {
    if (m_nSelected >= 0) {
        Strip(m_nSelected).SetCaptionColour(kWhite);
    }
    m_nSelected = -1;
}

void CEqStripBank::AttachScrollBar(QSlider* pBar) {
    m_pBar = pBar;
    {
        const QSignalBlocker block(pBar);
        pBar->setRange(0, MaxFirst());
        pBar->setValue(FirstVisible());
    }
    QObject::connect(pBar, &QSlider::valueChanged, this,
                     [this](int nPosition) { OnScrollBar(nPosition); });
    if (m_eScroll != EStripScroll::EveryNotification) {
        return;
    }
    QObject::connect(pBar, &QSlider::sliderReleased, this, [this] { ScrollTo(m_pBar->value()); });
    // A step that cannot move (an arrow key or a page click at either end) scrolls too.
    QObject::connect(pBar, &QAbstractSlider::actionTriggered, this, [this] {
        if (m_pBar->sliderPosition() == m_pBar->value()) {
            ScrollTo(m_pBar->value());
        }
    });
}

void CEqStripBank::OnScrollBar(int nPosition) {
    if (nPosition != FirstVisible() || m_eScroll == EStripScroll::EveryNotification) {
        ScrollTo(nPosition);
    }
}

void CEqStripBank::ScrollTo(int nFirst) {
    SetView(nFirst);
    DropHighlight();
    AssignBands();
    if (m_pPage != nullptr) {
        m_pPage->update();
    }
}

void CEqStripBank::OnBandActivated(int nBand) {
    const int nPosition = nBand - FirstVisible();
    if (nPosition < 0 || nPosition >= StripCount() || nPosition == m_nSelected) {
        return;
    }
    if (m_nSelected >= 0) {
        Strip(m_nSelected).SetCaptionColour(kWhite);
    }
    m_nSelected = nPosition;
    Strip(nPosition).SetCaptionColour(kRed);
}

bool CEqStripBank::OnCurveDragged(int nItem) {
    if (nItem < 0 || nItem >= BandCount()) {
        return false;
    }
    if (nItem < FirstVisible() || nItem > LastVisible()) {
        const int nFirst = nItem < StripCount() ? 0 : nItem - (StripCount() - 1);
        const int nShown = m_pBar != nullptr ? m_pBar->value() : FirstVisible();
        if (nFirst != nShown) {
            if (m_pBar != nullptr) {
                const QSignalBlocker block(m_pBar.data());
                m_pBar->setValue(nFirst);
            }
            ScrollTo(nFirst);
        }
    }
    const int nPosition = nItem - FirstVisible();
    if (nPosition >= 0 && nPosition < StripCount()) {
        Strip(nPosition).ReloadAndFocus();
        OnBandActivated(nItem);
    }
    return true;
}

void CEqStripBank::SwitchBlock(int nBlock) {
    DropHighlight();
    m_nBlock = nBlock;
    for (int i = 0; i < StripCount(); ++i) {
        Strip(i).Bind(nBlock, true);
    }
}

void CEqStripBank::ResetEq() {
    {
        const CImageGuard lock(ImageLock());
        ResetEqBlock(m_nBlock);
    }
    DropHighlight();
    AssignBands();
    if (m_pPage != nullptr) {
        m_pPage->update();
    }
    if (m_pDisplay != nullptr) {
        m_pDisplay->ShowSet(m_nBlock);
        m_pDisplay->SelectFilter(-1);
    }
}

void CEqStripBank::ReloadAll() {
    for (int i = 0; i < StripCount(); ++i) {
        Strip(i).Reload();
    }
}

void CEqStripBank::Enable(bool bEnable) {
    for (int i = 0; i < StripCount(); ++i) {
        Strip(i).Enable(bEnable);
    }
}

} // namespace zolt
