// The output page (template 149): one page for the five output views, Out1&2 (page index
// 3), Out3&4 (4), Center (7), SUB (8) and Surround (9). Each output channel is one output
// record of the live output set: its mix levels and polarities, ten EQ bands in ten fixed
// strips over the curve display, the EQ bypass, the high-pass and low-pass crossovers, its
// mute and its delay; a view's limiter lives in its first record. For the two-channel
// views two buttons choose the channel and "SYNC" links the pair; unlinking keeps what was
// edited while linked: the linked channel's record is copied over the other one in all
// three output sets (the other keeps its mute and delay), and the synchronisation sends
// it. Four buttons choose the output mode (Auto, Sing, Disco, Decode); while it is Auto
// every other control is disabled and a line says how to leave it. Every control writes its
// field of the working image in place; the link's synchronisation sends what changed.
// A reload never writes. UI thread only.
#pragma once

#include "pages/MainData.h"

namespace zolt {

struct SOutputViewDesc;

class CMainDlg : public CPairedEqPage {
    Q_OBJECT
public:
    explicit CMainDlg(QWidget* pParent);

    // Chooses the output view for page index 3, 4 or 7..9 (other indexes change nothing):
    // shows or hides the second channel's controls, shows the view's channel on the display
    // and binds the strips to it. The main window refreshes the page afterwards.
    void ShowView(int nIndex) override;
    int View() const;

    // Re-reads every control for the view, its channel and the live output set. A link
    // found set while the other channel is shown moves the page to the linked channel; the
    // strips are bound again to the shown channel of the live set (so they never edit
    // another set or channel than the fields and the display), which drops the highlight.
    void Refresh() override;
    void ApplyLanguage() override;
    // Not while the output mode is 0.
    bool EqEditable() const override;

protected:
    // The EQ block number the page shows now (8..15).
    int Channel() const override;
    std::size_t BlockOffset(EBlock eBlock) const override;
    bool DisplayBypassed() const override;

private:
    bool IsPairView() const;
    // Output record 0..7 of a row's block.
    int Record(EBlock eBlock) const;
    // Output mode nMode (the image byte): 0 disables the page.
    void LoadEnableState(int nMode);
    void SetOutputMode(int nMode);
    void ApplyViewCaptions();

    const SOutputViewDesc* m_pView;
};

} // namespace zolt
