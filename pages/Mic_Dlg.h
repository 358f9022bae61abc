// The page of both microphone pairs. Its controls are still to come.
#pragma once

#include "pages/EmptyPage.h"

namespace zolt {

class CMic_Dlg : public CEmptyPage {
    Q_OBJECT
public:
    static constexpr SDialogTemplate kTemplate{145, 715, 359, {}};

    CMic_Dlg(CPageApi& api, QWidget* pParent) : CEmptyPage(kTemplate, api, pParent) {}
};

} // namespace zolt
