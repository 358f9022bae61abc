// The edit history: the cost of ending a gesture (a comparison of the working image and the
// system block with the gesture's start), and the memory a full history takes when every
// step is as large as an "EQ Reset" of a 20-band block or a pair link copy.
#include "model/Command.h"
#include "model/Defaults.h"
#include "model/EditHistory.h"

#include <benchmark/benchmark.h>

namespace zolt {
namespace {

void BM_EditHistoryGesture(benchmark::State& state) {
    ResetProcessData();
    FactoryDefaults();
    CEditHistory history;
    std::uint8_t nValue = 0;
    for (auto _ : state) {
        Image()[568] = ++nValue; // one byte a gesture, as a slider step
        history.Cut();
    }
    state.counters["steps kept"] = static_cast<double>(history.UndoCount());
}
BENCHMARK(BM_EditHistoryGesture)->Unit(benchmark::kMicrosecond);

// A history filled to its limit with steps of range(0) changed bytes each.
void BM_EditHistoryFullMemory(benchmark::State& state) {
    const auto nBytes = static_cast<std::size_t>(state.range(0));
    std::size_t nMemory = 0;
    for (auto _ : state) {
        ResetProcessData();
        FactoryDefaults();
        CEditHistory history;
        for (std::size_t step = 0; step < CEditHistory::kMaxSteps; ++step) {
            for (std::size_t n = 0; n < nBytes; ++n) {
                Image()[100 + n] = static_cast<std::uint8_t>(Image()[100 + n] + 1);
            }
            history.Cut();
        }
        const SEditStep* pStep = history.NextUndo();
        nMemory = history.UndoCount() *
                  (sizeof(SEditStep) + pStep->m_aChanges.capacity() * sizeof(SByteChange));
        benchmark::DoNotOptimize(pStep);
    }
    state.counters["steps"] = static_cast<double>(CEditHistory::kMaxSteps);
    state.counters["MiB"] = static_cast<double>(nMemory) / (1024.0 * 1024.0);
}
BENCHMARK(BM_EditHistoryFullMemory)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zolt
