#include "pages/ChannelPair.h"

#include "controls/BitButton.h"
#include "controls/DialogTemplate.h"
#include "model/Command.h"

namespace zolt {

CChannelPair::CChannelPair(QWidget* pPage, const SChannelPair& row, int* pChannel,
                           std::function<void()> onSwitched)
    : m_pPage(pPage), m_pRow(&row), m_pChannel(pChannel), m_onSwitched(std::move(onSwitched)) {
    QObject::connect(Button(row.m_nSync), &QAbstractButton::clicked, pPage,
                     [this] { ToggleLink(); });
    for (std::size_t i = 0; i < row.m_anButtons.size(); ++i) {
        QObject::connect(Button(row.m_anButtons[i]), &QAbstractButton::clicked, pPage,
                         [this, i] { Select(m_pRow->m_anChannels[i]); });
    }
}

void CChannelPair::SetRow(const SChannelPair& row, int* pChannel) {
    m_pRow = &row;
    m_pChannel = pChannel;
}

CBitButton* CChannelPair::Button(int nId) const {
    return DlgItem<CBitButton>(m_pPage, nId);
}

bool CChannelPair::Linked() const {
    const CImageGuard guard(ImageLock());
    return Image()[m_pRow->m_nLinkFlag] != 0;
}

void CChannelPair::Select(int nChannel) {
    if (nChannel == *m_pChannel) {
        return;
    }
    *m_pChannel = nChannel;
    m_onSwitched();
}

void CChannelPair::ToggleLink() {
    {
        const CImageGuard guard(ImageLock());
        std::uint8_t& bFlag = Image()[m_pRow->m_nLinkFlag];
        bFlag = bFlag != 0 ? 0 : 1;
        if (bFlag == 0) {
            m_pRow->m_pfnLinkCopy();
        }
    }
    FollowLink();
    m_onSwitched();
}

bool CChannelPair::FollowLink() {
    if (!Linked() || *m_pChannel == m_pRow->m_nLinked) {
        return false;
    }
    *m_pChannel = m_pRow->m_nLinked;
    return true;
}

void CChannelPair::LoadButtons() {
    const bool bLinked = Linked();
    Button(m_pRow->m_nSync)->SetChecked(bLinked ? 1 : 0);
    for (std::size_t i = 0; i < m_pRow->m_anButtons.size(); ++i) {
        CBitButton* pButton = Button(m_pRow->m_anButtons[i]);
        pButton->SetChecked(!bLinked && m_pRow->m_anChannels[i] == *m_pChannel ? 1 : 0);
        pButton->setEnabled(!bLinked);
    }
}

} // namespace zolt
