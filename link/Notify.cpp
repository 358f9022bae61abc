#include "link/Notify.h"

#include <atomic>

namespace zolt {

namespace {

class CNullSink final : public CNotifySink {};

CNullSink g_nullSink;
std::atomic<CNotifySink*> g_pSink{&g_nullSink};

} // namespace

void SetNotifySink(CNotifySink* sink) {
    g_pSink = sink != nullptr ? sink : &g_nullSink;
}

CNotifySink& Notify() {
    return *g_pSink.load();
}

} // namespace zolt
