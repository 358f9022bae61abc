// A page whose controls are still to come: it fills its template's area with the page
// background and offers the hooks the main window drives every page with.
#pragma once

#include "controls/DialogTemplate.h"
#include "controls/Message.h"
#include "pages/PageApi.h"

namespace zolt {

class CEmptyPage : public CMessageWidget, public CPage {
    Q_OBJECT
public:
    // dialog: the page's template (its size; no controls yet).
    CEmptyPage(const SDialogTemplate& dialog, CPageApi& api, QWidget* pParent);

    void Refresh() override {}
    void ApplyLanguage() override {}

protected:
    CPageApi& m_api;
};

} // namespace zolt
