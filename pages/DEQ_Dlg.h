// The Dynamic EQ page (template 144): the three dynamic-EQ bands of the music channel, each
// in a column of its own: the band's type, frequency, gain (field and vertical slider) and
// Q through its curve object, and its dynamics (threshold, attack, release, ratio) as
// bytes +5..+8 of its record; byte +9 is carried along untouched. The curve display shows
// the shown channel's three bands. "Music Left" / "Music Right" choose the channel, "SYNC"
// links them on the Music link flag the Music page uses too, "EQ Reset" puts the shown
// channel's three bands back to their defaults (the dynamics kept). Every control writes
// its field of the working image in place; the link's synchronisation sends what changed.
// A reload never writes. UI thread only.
#pragma once

#include "pages/PairedEqPage.h"

namespace zolt {

// Control ids of template 144. The band controls are the id of band 1 (+ 0) plus the band
// index 0..2.
namespace deqid {
constexpr int kBandNumber = 2020;
constexpr int kTypeCaption = 2200;
constexpr int kType = 2040;
constexpr int kFreqCaption = 2210;
constexpr int kFreq = 2030;
constexpr int kGainSlider = 2070;
constexpr int kGainCaption = 2220;
constexpr int kGain = 2050;
constexpr int kQCaption = 2230;
constexpr int kQ = 2060;
constexpr int kThresholdCaption = 2080;
constexpr int kThresholdLabel = 2090;
constexpr int kThresholdSlider = 2100;
constexpr int kAttackCaption = 2110;
constexpr int kAttackLabel = 2120;
constexpr int kAttackSlider = 2130;
constexpr int kReleaseCaption = 2140;
constexpr int kReleaseLabel = 2150;
constexpr int kReleaseSlider = 2160;
constexpr int kRatioCaption = 2170;
constexpr int kRatioLabel = 2180;
constexpr int kRatioSlider = 2190;
constexpr int kSync = 1064;
constexpr int kLeft = 1065;
constexpr int kRight = 1066;
constexpr int kEqReset = 1067;
constexpr int kBypass = 1068; // hidden, never shown, does nothing
constexpr int kDisplay = 1308;
} // namespace deqid

// The EQ block numbers of the two channels' dynamic-EQ bands.
constexpr int kDeqMusicLeft = 16;
constexpr int kDeqMusicRight = 17;

// The page's view state; process-wide, kept while the program runs.
struct SDeqView {
    int m_nChannel = kDeqMusicLeft; // kDeqMusicLeft or kDeqMusicRight
};
inline SDeqView& DeqView() {
    return PageView<SDeqView>();
}
// Back to the start-up state (Music Left). Tests use it.
inline void ResetDeqView() {
    ResetPageView<SDeqView>();
}

class CDEQ_Dlg : public CPairedEqPage {
    Q_OBJECT
public:
    explicit CDEQ_Dlg(QWidget* pParent);
};

} // namespace zolt
