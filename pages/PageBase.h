// What every page (and every panel of the effect page) is built on: its template, its
// caption table and its field-binding table, the page background, the key handling of a
// dialog window (Enter and Escape commit a field and close nothing), the curve display
// and the strip bank when the page has them, and the routing of the controls' messages:
// slider moves and committed fields go to the field binder, points dragged on the curve
// display to the strip bank and then to the page. A page adds only what is not a plain
// field write: channel switch, link, reset, curve drags of its own. UI thread only.
#pragma once

#include "controls/DialogTemplate.h"
#include "controls/Language.h"
#include "controls/Message.h"
#include "pages/FieldBinding.h"
#include "pages/PageApi.h"

#include <memory>
#include <span>

namespace zolt {

// Short names of the control kinds, for the pages' template tables.
namespace ctlkind {
inline constexpr ECtl kCaption = ECtl::TransparentStatic;
inline constexpr ECtl kLabel = ECtl::EditStatic;
inline constexpr ECtl kSlider = ECtl::BitmapSlider;
inline constexpr ECtl kField = ECtl::NumEdit;
inline constexpr ECtl kCombo = ECtl::BitComboBox;
inline constexpr ECtl kButton = ECtl::BitButton;
} // namespace ctlkind

class CEqStripBank;
class CKTVEQ;
class CFStatic;

struct SPageDesc {
    const SDialogTemplate* m_pTemplate;
    std::span<const SCaption> m_aCaptions;
    std::span<const SFieldBinding> m_aFields;
    int m_nDisplay = 0;     // id of the page's curve display in the template; 0: none
    int m_nCurveGroup = -1; // the curve group the display lays out
    int m_nBypass = 0;      // the button of the shown set's EQ bypass flag; 0: none
};

class CPageBase : public CDialogWindow, public CPage, protected CFieldSource {
    Q_OBJECT
public:
    CPageBase(const SPageDesc& desc, QWidget* pParent);
    ~CPageBase() override;

    // Loads every bound control; pages that do more override it and call LoadFields.
    void Refresh() override;
    // Every caption of the caption table in the language of the language flag.
    void ApplyLanguage() override;

    // The curve display the page draws on: its own, or one it was given.
    CFStatic& Display() const { return *m_pDisplay; }
    CEqStripBank& Strips() const { return *m_pStrips; }
    CFieldBinder& Fields() { return m_fields; }

    // A point of filter nItem was dragged on the display: the strip bank takes its bands,
    // the page the rest. A container whose panels share its display hands its drags on.
    void CurvePointDragged(int nItem);

protected:
    // Loads every bound control and tells the display its state.
    void LoadFields();
    // Tells the display whether the shown set is bypassed and whether it may be dragged
    // (while the equaliser is editable).
    void ShowDisplayState();
    // The shown set's EQ bypass flag is 1 (the bypass button's byte; never on a page
    // without one).
    virtual bool DisplayBypassed() const;
    // A display owned by another window (the effect page's panels share the container's).
    void UseDisplay(CFStatic* pDisplay) { m_pDisplay = pDisplay; }
    void AttachStrips(std::unique_ptr<CEqStripBank> pStrips);

    // CFieldSource: pages with Edited / First / Second rows override BlockOffset.
    std::size_t BlockOffset(EBlock eBlock) const override;
    CFilter* CurveFilter(int nItem) const override;
    // Highlights the row's display item and tells the display its state; pages add their
    // own follow-ups.
    void AfterWrite(const SFieldBinding& row, int nControl) override;
    // The curve set whose filters the curve fields edit; null when there is none. The
    // image lock is held.
    virtual CKTVEQ* CurveSet() const;

    // A point dragged on the display that the strip bank does not take (a crossover, a band
    // of a page without strips): the page reloads what shows it.
    virtual void OnCurveItemDragged(int nItem);

    bool OnMessage(CMessageEvent& msg) override;

private:
    std::span<const SCaption> m_aCaptions;
    int m_nBypass;
    CFStatic* m_pDisplay = nullptr;
    std::unique_ptr<CEqStripBank> m_pStrips;
    CFieldBinder m_fields;
};

} // namespace zolt
