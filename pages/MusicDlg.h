// The Music page (template 135): the music channel's 15-band equaliser in ten band strips
// over the curve display, the main-channel music high-pass, the high-pass and low-pass
// crossovers, the noise gate, the music limiter, the low and high exciters and the key
// shift; buttons choose Music Left or Music Right, link them ("SYNC"), reset and bypass
// the equaliser. Every control writes its field of the working image in place (the
// limiter and the noise gate always in Music Left, the key in the system block); the
// link's synchronisation sends what changed. A reload never writes. UI thread only.
#pragma once

#include "pages/MusicData.h"
#include "pages/PairedEqPage.h"

namespace zolt {

class CMusicDlg : public CPairedEqPage {
    Q_OBJECT
public:
    explicit CMusicDlg(QWidget* pParent);
};

} // namespace zolt
