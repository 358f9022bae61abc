#include "pages/PairedEqPage.h"

#include "controls/BitButton.h"
#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"

namespace zolt {

CPairedEqPage::CPairedEqPage(const SPairedEqPage& desc, QWidget* pParent)
    : CPageBase(desc.m_page, pParent), m_desc(desc),
      m_pair(this, *desc.m_pPair, &desc.m_pfnChannel(), [this] { Refresh(); }) {
    const int nChannel = desc.m_pfnChannel();
    Display().ShowSet(nChannel);
    if (HasStrips()) {
        SStripView* pView = desc.m_pfnStripView != nullptr ? desc.m_pfnStripView() : nullptr;
        AttachStrips(
            std::make_unique<CEqStripBank>(this, &Display(), *desc.m_pStrips, nChannel, pView));
    }
    connect(DlgItem<CBitButton>(this, desc.m_nEqReset), &QAbstractButton::clicked, this,
            [this] { ResetEq(); });
}

int CPairedEqPage::Channel() const {
    return m_pair.Channel();
}

void CPairedEqPage::Refresh() {
    m_pair.FollowLink();
    const int nChannel = Channel();
    if (HasStrips() && Strips().Block() != nChannel) {
        Strips().SwitchBlock(nChannel);
    } else if (HasStrips()) {
        Strips().ReloadAll();
    }
    m_pair.LoadButtons();
    LoadFields();
    Display().ShowSet(nChannel);
}

std::size_t CPairedEqPage::BlockOffset(EBlock) const {
    const bool bSecond = Channel() == m_desc.m_pPair->m_anChannels[1];
    return m_desc.m_anBlocks[bSecond ? 1 : 0];
}

CKTVEQ* CPairedEqPage::CurveSet() const {
    return CurveSetOfBlock(Channel());
}

void CPairedEqPage::OnCurveItemDragged(int nItem) {
    Fields().LoadItem(nItem, m_desc.m_bFieldOnlyDrags);
}

void CPairedEqPage::ResetEq() {
    if (HasStrips()) {
        Strips().ResetEq();
        return;
    }
    ResetEqBlock(Channel());
    LoadFields();
    Display().ShowSet(Channel());
    Display().SelectFilter(-1);
}

} // namespace zolt
