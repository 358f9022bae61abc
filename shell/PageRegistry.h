// The pages of the main window, one row each in the order of the tab bar: the page index
// (ShowPage's argument, the number of its --capture picture), the picture's file name, the
// tab's caption in both languages, and the page that shows it. Several rows may be views of
// one page (the five output tabs are views of the output page): that page is made once and
// told which view to show. The tab bar, the language switch and the capture all walk this
// table; a new page is one more row and the page's own files.
#pragma once

#include "model/Text.h"

#include <array>
#include <cstddef>

class QWidget;

namespace zolt {

class CPageApi;
class CPageBase;

enum class EPage { Music, DEQ, Mic, Effect, Output, System };

struct SPageRow {
    int m_nIndex;          // page index
    const char* m_pszFile; // --capture: <index>-<file>-<zh|en>.png
    SText m_caption;       // the tab's caption
    EPage m_ePage;
};

inline constexpr std::array<SPageRow, 10> kPageRows{{
    {0, "music", {"音乐", "Music"}, EPage::Music},
    {1, "deq", {"动态均衡", "DEQ"}, EPage::DEQ},
    {2, "mic", {"话筒", "Mic"}, EPage::Mic},
    {6, "effect", {"效果", "Effect"}, EPage::Effect},
    {3, "out1-2", {"输出1&2", "Out1&2"}, EPage::Output},
    {4, "out3-4", {"输出3&4", "Out3&4"}, EPage::Output},
    {7, "center", {"中置", "Center"}, EPage::Output},
    {8, "sub", {"超低音", "SUB"}, EPage::Output},
    {9, "surround", {"环绕", "Surround"}, EPage::Output},
    {5, "system", {"系统", "System"}, EPage::System},
}};

constexpr int kPageCount = static_cast<int>(kPageRows.size()); // page indexes 0..kPageCount-1

// The tab (0..kPageCount-1) that shows page index, or -1.
constexpr int TabOfPage(int index) {
    for (std::size_t tab = 0; tab < kPageRows.size(); ++tab) {
        if (kPageRows[tab].m_nIndex == index) {
            return static_cast<int>(tab);
        }
    }
    return -1;
}

// The page index of the first view of page, or -1.
constexpr int PageIndexOf(EPage page) {
    for (const SPageRow& row : kPageRows) {
        if (row.m_ePage == page) {
            return row.m_nIndex;
        }
    }
    return -1;
}

// The System page, which the window shows first and whose meters follow the link.
constexpr int kSystemPageIndex = PageIndexOf(EPage::System);

// The row of page index 0..kPageCount-1.
const SPageRow& PageRow(int index);

// A new page of the kind, as a child of pParent. UI thread.
CPageBase* MakePage(EPage page, QWidget* pParent, CPageApi& api);

} // namespace zolt
