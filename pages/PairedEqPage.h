// What the pages with a paired equaliser share (Music, Mic, DEQ and the output views): two
// channels on a "SYNC" link, the curve display of the shown channel, the band strips when
// the page has them, "EQ Reset", and a view state that survives page switches. A page is
// this base configured by one descriptor; it adds only what is its own (the output views'
// records and output mode). UI thread only.
#pragma once

#include "pages/ChannelPair.h"
#include "pages/EqStripBank.h"
#include "pages/PageBase.h"

#include <array>
#include <cstddef>

namespace zolt {

// A page's view state: process-wide, kept while the program runs. ResetPageView puts it
// back to its start-up state (tests use it).
template <class TView> TView& PageView() {
    static TView s_view{};
    return s_view;
}
template <class TView> void ResetPageView() {
    PageView<TView>() = TView{};
}

struct SPairedEqPage {
    SPageDesc m_page;
    const SChannelPair* m_pPair; // the pair the page starts with
    int& (*m_pfnChannel)();      // the shown channel (its EQ block number) of that pair
    // Image offset of the block each channel of the pair edits, in the pair's order (pages
    // whose blocks move resolve their own).
    std::array<std::size_t, 2> m_anBlocks;
    int m_nEqReset;                              // the "EQ Reset" button
    const SStripBankLayout* m_pStrips = nullptr; // the band strips; null: none
    SStripView* (*m_pfnStripView)() = nullptr;   // their visible bands; null: the bank's own
    bool m_bFieldOnlyDrags = false; // a dragged crossover shows in its numeric field only,
                                    // its slider keeps its place until the next reload
};

class CPairedEqPage : public CPageBase {
    Q_OBJECT
public:
    // Re-reads every control from the working image. A link found set while the other
    // channel is shown (from a read-back, a file or another page) moves the page to the
    // linked channel first.
    void Refresh() override;
    int ShownEqBlock() const override { return Channel(); }

protected:
    // The page from its descriptor; the derived page applies its language and refreshes
    // once it is complete.
    CPairedEqPage(const SPairedEqPage& desc, QWidget* pParent);

    // The EQ block number the page shows now.
    virtual int Channel() const;
    CChannelPair& Pair() { return m_pair; }
    bool HasStrips() const { return m_desc.m_pStrips != nullptr; }

    std::size_t BlockOffset(EBlock eBlock) const override;
    CKTVEQ* CurveSet() const override;
    void OnCurveItemDragged(int nItem) override;

private:
    // The shown channel's bands back to their defaults; a page without strips reloads its
    // band fields and shows the display with nothing highlighted.
    void ResetEq();

    const SPairedEqPage& m_desc;
    CChannelPair m_pair;
};

} // namespace zolt
