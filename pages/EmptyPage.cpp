#include "pages/EmptyPage.h"

#include "controls/Colour.h"

#include <QPalette>

namespace zolt {

CEmptyPage::CEmptyPage(const SDialogTemplate& dialog, CPageApi& api, QWidget* pParent)
    : CMessageWidget(pParent), m_api(api) {
    BuildDialog(this, dialog);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColorOf(kPageColour));
    setPalette(palette);
    setAutoFillBackground(true);
}

} // namespace zolt
