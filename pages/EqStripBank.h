// The strip bank: the row of EQ band strips above a page's curve display (music,
// microphone, output, echo and reverb). It creates the visible strips, scrolls them over a
// block with more bands than strips (with the page's trackbar, which it owns), keeps one
// strip highlighted (red caption) from the strips' own notifications, follows points
// dragged on the curve display, switches blocks and resets the block's EQ. The page hands
// it the display's drags (the page base does, once for every page) and reloads its own
// controls for the items the bank does not take. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QSlider;
class QWidget;

namespace zolt {

class CEQDlg;
class CFStatic;

// How a trackbar scrolls the bank.
enum class EStripScroll {
    None,             // no trackbar: band b is always strip b
    OnChange,         // a move to another position scrolls
    EveryNotification // every move, every release and every step that cannot move (at either
                      // end) re-assigns and reloads the strips, also at the same position
};

// Where the strips go and how they scroll: strip i at pixel (60 + step × i, 5) of the page.
struct SStripBankLayout {
    int m_nVisible; // strips shown
    int m_nStep;    // pixels from one strip to the next
    EStripScroll m_eScroll = EStripScroll::None;
    int m_nScrollBar = 0; // control id of the page's trackbar
};

// The first and last visible band of a scrolling bank; last = first + visible - 1. A page
// whose view survives page switches gives the bank its process-wide instance.
struct SStripView {
    int m_nFirst = 0;
    int m_nLast = 9;
};

class CEqStripBank : public QObject {
    Q_OBJECT
public:
    // Creates layout.m_nVisible strips as children of pPage (which owns them), each reporting
    // to this bank and highlighting on pDisplay, bound to EQ block nBlock (0..15) and given
    // the bands view.first + i; takes the page's trackbar when the layout names one. pView,
    // when given, is the page's process-wide view; otherwise the bank keeps its own.
    CEqStripBank(QWidget* pPage, CFStatic* pDisplay, const SStripBankLayout& layout, int nBlock,
                 SStripView* pView = nullptr);
    ~CEqStripBank() override;
    CEqStripBank(const CEqStripBank&) = delete;
    CEqStripBank& operator=(const CEqStripBank&) = delete;

    // Scroll: first visible band = nFirst (clamped to 0 .. bands - visible), the
    // highlight is dropped, strip i edits band first + i, all strips reload, the page
    // repaints.
    void ScrollTo(int nFirst);
    // Highlights the strip showing band nBand (caption red, the previous one white).
    // Nothing when that strip already is the highlighted one or the band is not shown.
    void OnBandActivated(int nBand);
    // A point was dragged on the curve display. Band items scroll the band into view when
    // needed (first = 0 for the first `visible` bands, else band - visible + 1), make its
    // strip reload and take the focus, and highlight it; returns true. Other items: false.
    bool OnCurveDragged(int nItem);
    // Binds every strip to EQ block nBlock (0..15) and reloads them; no strip stays
    // highlighted. The page reloads its own controls afterwards.
    void SwitchBlock(int nBlock);
    // Puts the bound block's bands back to their defaults (peaking, flat), drops the
    // highlight, reloads every strip and shows the block on the display with nothing
    // highlighted.
    void ResetEq();
    // Every strip re-reads its band (after the working image changed).
    void ReloadAll();
    // Enables or disables every strip with all its inputs (the output page while the
    // output mode is 0).
    void Enable(bool bEnable);

    int Block() const { return m_nBlock; }
    int BandCount() const;
    int FirstVisible() const { return m_pView->m_nFirst; }
    int LastVisible() const { return m_pView->m_nLast; }
    // Position 0 .. visible - 1 of the highlighted strip, -1 for none.
    int SelectedStrip() const { return m_nSelected; }
    int StripCount() const { return static_cast<int>(m_aStrips.size()); }
    CEQDlg& Strip(int nPosition) const;

protected:
    // WM_BAND_ACTIVATED from a strip (sent or posted): highlight its band.
    bool event(QEvent* pEvent) override;

private:
    void AttachScrollBar(QSlider* pBar);
    int MaxFirst() const;
    void SetView(int nFirst);
    void AssignBands();
    void DropHighlight();
    void OnScrollBar(int nPosition);

    QPointer<QWidget> m_pPage;
    QPointer<CFStatic> m_pDisplay;
    QPointer<QSlider> m_pBar;
    EStripScroll m_eScroll;
    int m_nBlock;
    int m_nSelected = -1;
    SStripView m_ownView;
    SStripView* m_pView;
    std::vector<QPointer<CEQDlg>> m_aStrips; // children of the page, which owns them
};

} // namespace zolt
