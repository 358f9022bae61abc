// The synchronisation pass: a full scan of an unchanged image (it ends in a poll), and a
// scan that finds its one change at the very last item (the output mode).
#include "link/Sync.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <benchmark/benchmark.h>

namespace zolt {
namespace {

void PrepareSyncedImage() {
    ResetProcessData();
    FactoryDefaults();
    CImageGuard guard(ImageLock());
    CommitShadow(true);
}

void BM_SyncPassUnchanged(benchmark::State& state) {
    PrepareSyncedImage();
    SFrameRecord current{};
    std::uint8_t alternation = 0;
    for (auto _ : state) {
        SyncPass(current, alternation);
        benchmark::DoNotOptimize(current.m_abFrame[kCommandOffset]);
    }
    state.counters["items"] = static_cast<double>(SyncItemCount());
}
BENCHMARK(BM_SyncPassUnchanged);

void BM_SyncPassChangeAtLastItem(benchmark::State& state) {
    PrepareSyncedImage();
    SFrameRecord current{};
    std::uint8_t alternation = 0;
    for (auto _ : state) {
        Shadow()[image::kOutputMode] ^= 0x02; // the output mode differs again
        SyncPass(current, alternation);
        benchmark::DoNotOptimize(current.m_abFrame[kCommandOffset]);
    }
    if (current.m_abFrame[kCommandOffset] != 142) {
        state.SkipWithError("the pass did not stop at the output mode");
    }
}
BENCHMARK(BM_SyncPassChangeAtLastItem);

} // namespace
} // namespace zolt
