// The Music page (template 135): the music channel's 15-band equaliser in ten band strips
// over the curve display, the main-channel music high-pass, the high-pass and low-pass
// crossovers, the noise gate, the music limiter, the low and high exciters and the key
// shift; buttons choose Music Left or Music Right, link them ("SYNC"), reset and bypass
// the equaliser. Every control writes its field of the working image in place (the
// limiter and the noise gate always in Music Left, the key in the system block); the
// link's synchronisation sends what changed. A reload never writes. UI thread only.
#pragma once

#include "pages/ChannelPair.h"
#include "pages/MusicData.h"
#include "pages/PageBase.h"

namespace zolt {

class CMusicDlg : public CPageBase {
    Q_OBJECT
public:
    static const SDialogTemplate kTemplate;
    static const SPageDesc kDesc;

    explicit CMusicDlg(QWidget* pParent);

    // Re-reads every control from the working image and the system block. A Music link
    // found set while Music Right is shown (from a read-back or a file) moves the page to
    // Music Left.
    void Refresh() override;
    int ShownEqBlock() const override { return MusicView().m_nChannel; }

protected:
    std::size_t BlockOffset(EBlock eBlock) const override;
    CKTVEQ* CurveSet() const override;
    void OnCurveItemDragged(int nItem) override;

private:
    CChannelPair m_pair;
};

} // namespace zolt
