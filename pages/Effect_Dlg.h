// The page of echo A, echo B and the reverb; no tab shows it. Its controls are still to come.
#pragma once

#include "pages/EmptyPage.h"

namespace zolt {

class CEffect_Dlg : public CEmptyPage {
    Q_OBJECT
public:
    static constexpr SDialogTemplate kTemplate{146, 785, 359, {}};

    CEffect_Dlg(CPageApi& api, QWidget* pParent) : CEmptyPage(kTemplate, api, pParent) {}
};

} // namespace zolt
