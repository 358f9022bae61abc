// The effect page (template 146): three selectors on its left edge choose the effect unit
// it shows — echo A, echo B or the reverb — the curve display along its bottom shows that
// unit's curve set, and two panels at the same spot above the display, shown one at a
// time, edit it: the echo panel (echo A or echo B) and the reverb panel. The display's
// drags go to the panel of the unit they came from. UI thread only.
#pragma once

#include "pages/PageBase.h"

namespace zolt {

class CEcho_Dlg;
class CRev_Dlg;

// Control ids of template 146.
namespace effectid {
constexpr int kEchoA = 1064;
constexpr int kEchoB = 1065;
constexpr int kReverb = 1066;
constexpr int kDisplay = 1297;
} // namespace effectid

class CEffect_Dlg : public CPageBase {
    Q_OBJECT
public:
    static const SDialogTemplate kTemplate;
    static const SPageDesc kDesc;

    explicit CEffect_Dlg(QWidget* pParent);

    // Shows the current unit's panel and loads it.
    void Refresh() override;
    int ShownEqBlock() const override;
    // The selectors' captions and both panels'.
    void ApplyLanguage() override;

    CEcho_Dlg& EchoPanel() const { return *m_pEcho; }
    CRev_Dlg& ReverbPanel() const { return *m_pReverb; }

protected:
    bool OnMessage(CMessageEvent& msg) override;

private:
    void OnSelector(int nUnit);
    void ShowCurrentUnit();

    // Children of the page, which owns them.
    CEcho_Dlg* m_pEcho = nullptr;
    CRev_Dlg* m_pReverb = nullptr;
};

} // namespace zolt
