// The output page: one page for the output views Out1&2 (index 3), Out3&4 (4), Center (7),
// SUB (8) and Surround (9). Its controls are still to come; it already keeps the view the
// main window configured.
#pragma once

#include "pages/EmptyPage.h"

namespace zolt {

class CMainDlg : public CEmptyPage {
    Q_OBJECT
public:
    static constexpr SDialogTemplate kTemplate{149, 715, 359, {}};

    CMainDlg(CPageApi& api, QWidget* pParent) : CEmptyPage(kTemplate, api, pParent) {}

    // Chooses the output view for page index 3, 4 or 7..9; the main window refreshes the
    // page afterwards.
    void ConfigureView(int nIndex) { m_nView = nIndex; }
    int View() const { return m_nView; }

private:
    int m_nView = 3;
};

} // namespace zolt
