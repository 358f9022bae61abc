#include "link/Notify.h"

#include <atomic>

namespace zolt {

namespace {

class CNullSink final : public CNotifySink {
public:
    void Post(unsigned, std::uintptr_t, std::intptr_t) override {}
    void ProgressStart(int) override {}
    void ProgressStep(int) override {}
    void ProgressBusy() override {}
    void ProgressLookup() override {}
    void ProgressHide() override {}
    void MessageBox(std::string_view, std::string_view) override {}
    void RefreshProgramName() override {}
    void ShowCurrentPage() override {}
    void RunAllModesExport() override {}
    bool IsSystemPageShown() const override { return false; }
};

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
