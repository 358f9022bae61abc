#include "shell/PageRegistry.h"

#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/SysDlg.h"

namespace zolt {

namespace {

struct SPageMaker {
    EPage m_ePage;
    CPageBase* (*m_pMake)(QWidget* pParent, CPageApi& api);
};

constexpr SPageMaker kMakers[] = {
    {EPage::Music, [](QWidget* p, CPageApi&) -> CPageBase* { return new CMusicDlg(p); }},
    {EPage::DEQ, [](QWidget* p, CPageApi&) -> CPageBase* { return new CDEQ_Dlg(p); }},
    {EPage::Mic, [](QWidget* p, CPageApi&) -> CPageBase* { return new CMic_Dlg(p); }},
    {EPage::Effect, [](QWidget* p, CPageApi&) -> CPageBase* { return new CEffect_Dlg(p); }},
    {EPage::Output, [](QWidget* p, CPageApi&) -> CPageBase* { return new CMainDlg(p); }},
    {EPage::System, [](QWidget* p, CPageApi& api) -> CPageBase* { return new CSysDlg(api, p); }},
};

} // namespace

const SPageRow& PageRow(int index) {
    return kPageRows.at(static_cast<std::size_t>(TabOfPage(index)));
}

CPageBase* MakePage(EPage page, QWidget* pParent, CPageApi& api) {
    for (const SPageMaker& maker : kMakers) {
        if (maker.m_ePage == page) {
            return maker.m_pMake(pParent, api);
        }
    }
    return nullptr;
}

} // namespace zolt
