#include "shell/PageRegistry.h"

#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/SysDlg.h"

#include <array>
#include <type_traits>

namespace zolt {

namespace {

template <class TPage> CPageBase* Make(QWidget* pParent, CPageApi& api) {
    if constexpr (std::is_constructible_v<TPage, CPageApi&, QWidget*>) {
        return new TPage(api, pParent);
    } else {
        return new TPage(pParent);
    }
}

constexpr std::array<SPageRow, 10> kPageRows{{
    {0, "music", {"音乐", "Music"}, Make<CMusicDlg>},
    {1, "deq", {"动态均衡", "DEQ"}, Make<CDEQ_Dlg>},
    {2, "mic", {"话筒", "Mic"}, Make<CMic_Dlg>},
    {6, "effect", {"效果", "Effect"}, Make<CEffect_Dlg>},
    {3, "out1-2", {"输出1&2", "Out1&2"}, Make<CMainDlg>},
    {4, "out3-4", {"输出3&4", "Out3&4"}, Make<CMainDlg>},
    {7, "center", {"中置", "Center"}, Make<CMainDlg>},
    {8, "sub", {"超低音", "SUB"}, Make<CMainDlg>},
    {9, "surround", {"环绕", "Surround"}, Make<CMainDlg>},
    {5, "system", {"系统", "System"}, Make<CSysDlg>},
}};

} // namespace

std::span<const SPageRow> PageRows() {
    return kPageRows;
}

int TabOfPage(int index) {
    for (std::size_t tab = 0; tab < kPageRows.size(); ++tab) {
        if (kPageRows[tab].m_nIndex == index) {
            return static_cast<int>(tab);
        }
    }
    return -1;
}

const SPageRow& PageRow(int index) {
    return kPageRows.at(static_cast<std::size_t>(TabOfPage(index)));
}

int SystemPageIndex() {
    for (const SPageRow& row : kPageRows) {
        if (row.m_pMake == &Make<CSysDlg>) {
            return row.m_nIndex;
        }
    }
    return -1;
}

} // namespace zolt
