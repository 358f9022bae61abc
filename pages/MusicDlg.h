// The Music page (template 135): the music channel's 15-band equaliser in ten band strips
// over the curve display, the main-channel music high-pass, the high-pass and low-pass
// crossovers, the noise gate, the music limiter, the low and high exciters and the key
// shift; buttons choose Music Left or Music Right, link them ("SYNC"), reset and bypass
// the equaliser. Every control writes its field of the working image in place (the
// limiter and the noise gate always in Music Left, the key in the system block); the
// link's synchronisation sends what changed. A reload never writes. UI thread only.
#pragma once

#include "controls/DialogTemplate.h"
#include "controls/Message.h"
#include "pages/PageApi.h"

#include <memory>

class QSlider;

namespace zolt {

class CBitButton;
class CEqStripBank;
class CFStatic;
class CFilter;

class CMusicDlg : public CDialogWindow, public CPage {
    Q_OBJECT
public:
    static const SDialogTemplate kTemplate;

    CMusicDlg(CPageApi& api, QWidget* pParent);
    ~CMusicDlg() override;

    // Re-reads every control from the working image and the system block. A Music link
    // found set while Music Right is shown (from a read-back or a file) moves the page to
    // Music Left.
    void Refresh() override;
    void ApplyLanguage() override;

    // Channel selection: 0 Music Left, 1 Music Right (nothing when already shown), -1
    // after the link flag was toggled (linked: Music Left with both channel buttons off).
    void SelectChannel(int nRequest);

    CFStatic& Display() const { return *m_pDisplay; }
    CEqStripBank& Strips() const { return *m_pStrips; }

protected:
    bool OnMessage(CMessageEvent& msg) override;

private:
    void SetUpSliders();
    void SetUpFields();
    void SetUpCombos();
    void SetUpButtons();

    // EQ block number (0, 1) and image offset of the edited music block.
    int EditedBlockNumber() const;
    std::size_t EditedBlock() const;
    CFilter* Crossover(int nItem) const;

    void LoadButtons();
    void LoadEditedBlock();
    void LoadLimiterBlock();
    void LoadKey();
    void LoadFreqPair(int nSlider, int nField, int nIndex);
    void LoadCrossover(int nItem);

    void OnSync();
    void OnBypass();
    void OnSlider(int nId);
    void OnFieldCommitted(int nId);
    void OnFreqChosen(int nSlider, int nField, int nIndex);
    void OnByteCombo(int nCombo, int nIndex);
    void OnCurveDragged(int nItem);

    CFStatic* m_pDisplay = nullptr;
    QSlider* m_pBandScroll = nullptr;
    CBitButton* m_pSync = nullptr;
    CBitButton* m_pLeft = nullptr;
    CBitButton* m_pRight = nullptr;
    CBitButton* m_pBypass = nullptr;
    std::unique_ptr<CEqStripBank> m_pStrips;
};

} // namespace zolt
