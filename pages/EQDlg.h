// The EQ band strip: a narrow child dialog (template 136) that edits one band of an
// equaliser — its type, gain, centre frequency and Q — through the band's CFilter, which
// writes the band record of the working image and recomputes the band's curve. Its inputs
// are field-binding rows of that curve object, loaded and written by the page kit's
// binder. After every edit the strip tells its bank with WM_BAND_ACTIVATED (wParam 0,
// lParam = band index; sent after a type, gain, frequency or Q field edit, posted after a
// slider move) and highlights the band on the curve display. Nothing is sent to the device.
// UI thread only; edits take the image lock around their writes.
#pragma once

#include "controls/Colour.h"
#include "controls/Message.h"
#include "pages/FieldBinding.h"

#include <QPointer>

namespace zolt {

class CBitComboBox;
class CBitmapSlider;
class CFStatic;
class CFilter;
class CFontStatic;
class CNumEdit;

// Control ids of template 136, top to bottom.
namespace stripid {
constexpr int kCaption = 1027;
constexpr int kType = 1025;
constexpr int kGain = 1022;
constexpr int kGainSlider = 1291;
constexpr int kFreq = 1023;
constexpr int kQ = 1024;
} // namespace stripid

// The strip's gain range in raw gain bytes: -24.0 .. +12.0 dB.
constexpr int kStripGainMax = 180;

class CEQDlg : public CDialogWindow, private CFieldSource {
    Q_OBJECT
public:
    // Creates the strip from template 136 as a child of pPage; pListener (the strip bank)
    // receives WM_BAND_ACTIVATED. The strip is not bound to any block yet.
    CEQDlg(QWidget* pPage, QObject* pListener);
    ~CEQDlg() override;

    // The curve display that highlights the edited band (not owned).
    void SetDisplay(CFStatic* pDisplay);
    // EQ block 0..15 (8..15: the output record's set of the live output set now). With
    // bRebind the strip takes the curve object of its band in the new block and reloads;
    // without, only the number is stored (right after creation, before a band is given).
    // Other block numbers leave the strip without a band to edit.
    void Bind(int nBlock, bool bRebind);
    // Band index 0..n-1 within the bound block: caption "index + 1", reload.
    void SetBand(int nBand);
    // Every input from the band record (gain, frequency and Q kept within the inputs'
    // ranges: a gain above +12 dB shows as +12.0).
    void Reload();
    // After the band's point was dragged: gain slider and field from the record, focus on
    // the gain field, then frequency and Q; the type list is left as it is.
    void ReloadAndFocus();
    // Enables or disables every input and the strip itself.
    void Enable(bool bEnable);
    // Caption colour: white normally, red while this is the selected strip of its bank.
    void SetCaptionColour(ColorRef nColour);

    int Block() const { return m_nBlock; }
    int Band() const { return m_nBand; }
    CFilter* Filter() const { return m_pFilter; }
    const CFieldBinder& Fields() const { return m_fields; }

    CFontStatic* Caption() const { return m_pCaption; }
    CBitComboBox* TypeList() const { return m_pType; }
    CNumEdit* GainField() const { return m_pGain; }
    CBitmapSlider* GainSlider() const { return m_pSlider; }
    CNumEdit* FreqField() const { return m_pFreq; }
    CNumEdit* QField() const { return m_pQ; }

protected:
    bool OnMessage(CMessageEvent& msg) override;

private:
    void SetUpControls();
    void LookUpFilter();

    // CFieldSource: every row edits the bound band's curve object.
    std::size_t BlockOffset(EBlock eBlock) const override;
    CFilter* CurveFilter(int nItem) const override;
    // Tells the bank and highlights the band; a slider move also focuses the gain field.
    void AfterWrite(const SFieldBinding& row, int nControl) override;

    QPointer<QObject> m_pListener;
    QPointer<CFStatic> m_pDisplay;
    int m_nBlock = -1;
    int m_nBand = 0;
    CFilter* m_pFilter = nullptr;
    CFieldBinder m_fields;
    CFontStatic* m_pCaption = nullptr;
    CBitComboBox* m_pType = nullptr;
    CNumEdit* m_pGain = nullptr;
    CBitmapSlider* m_pSlider = nullptr;
    CNumEdit* m_pFreq = nullptr;
    CNumEdit* m_pQ = nullptr;
};

} // namespace zolt
