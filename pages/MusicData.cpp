#include "pages/MusicData.h"

namespace zolt {

namespace {

SMusicView g_musicView;

} // namespace

SMusicView& MusicView() {
    return g_musicView;
}

void ResetMusicView() {
    g_musicView = SMusicView{};
}

} // namespace zolt
