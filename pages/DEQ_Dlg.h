// The page of the three dynamic-EQ bands of the music channel. Its controls are still to come.
#pragma once

#include "pages/EmptyPage.h"

namespace zolt {

class CDEQ_Dlg : public CEmptyPage {
    Q_OBJECT
public:
    static constexpr SDialogTemplate kTemplate{144, 715, 359, {}};

    CDEQ_Dlg(CPageApi& api, QWidget* pParent) : CEmptyPage(kTemplate, api, pParent) {}
};

} // namespace zolt
