// The pages of the main window, one row each in the order of the tab bar: the page index
// (ShowPage's argument, the number of its --capture picture), the picture's file name, the
// tab's caption in both languages, and the page that shows it. Rows that make the same page
// are views of one page (the five output tabs are views of the output page): that page is
// made once and told which view to show. The tab bar, the language switch and the capture
// all walk this table; a new page is one more row and the page's own files.
#pragma once

#include "model/Text.h"

#include <span>

class QWidget;

namespace zolt {

class CPageApi;
class CPageBase;

// Makes a page as a child of pParent. UI thread.
using PageMaker = CPageBase* (*)(QWidget* pParent, CPageApi& api);

struct SPageRow {
    int m_nIndex;          // page index
    const char* m_pszFile; // --capture: <index>-<file>-<zh|en>.png
    SText m_caption;       // the tab's caption
    PageMaker m_pMake;     // rows with the same maker are views of one page
};

// Every row, tab by tab from the left.
std::span<const SPageRow> PageRows();
// The row of page index 0..PageCount()-1.
const SPageRow& PageRow(int index);
// The tab that shows page index, or -1.
int TabOfPage(int index);
// The System page: shown first, and its meters follow the link.
int SystemPageIndex();

// Page indexes run from 0 to kPageCount - 1.
inline const int kPageCount = static_cast<int>(PageRows().size());
inline const int kSystemPageIndex = SystemPageIndex();

} // namespace zolt
