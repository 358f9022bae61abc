#include "pages/MainData.h"

namespace zolt {

namespace {

SOutputView g_outputView;

} // namespace

SOutputView& OutputView() {
    return g_outputView;
}

void ResetOutputView() {
    g_outputView = SOutputView{};
}

} // namespace zolt
