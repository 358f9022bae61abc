// The room-correction fit on the synthetic rooms of its tests: its time, and as counters the
// RMS error from 40 Hz to 16 kHz before the fit, after it in the processor's steps, and
// after the same fit with continuous parameters.
#include "tests/eq/SyntheticRoom.h"

#include "eq/RoomFit.h"

#include <benchmark/benchmark.h>

namespace zolt {
namespace {

constexpr int kMusicLeft = 0; // 15 bands
constexpr int kMic12 = 2;     // 20 bands

void FitOneRoom(benchmark::State& state, int nBlock, int nModes, double dTopModeHz) {
    const CResponseDb measured =
        CurveOnGrid(test::SyntheticRoom(static_cast<unsigned>(state.range(0)), nModes, dTopModeHz));
    SFitSettings settings;
    settings.m_nBlock = nBlock;
    SFitResult steps;
    std::string error;
    for (auto _ : state) {
        FitRoom(measured, CResponseDb{}, settings, steps, error);
        benchmark::DoNotOptimize(steps.m_adBands.data());
    }
    settings.m_bSteps = false;
    SFitResult continuous;
    FitRoom(measured, CResponseDb{}, settings, continuous, error);
    state.counters["bands"] = static_cast<double>(steps.m_aBands.size());
    state.counters["rms_before"] = steps.m_before.m_dRms;
    state.counters["rms_steps"] = steps.m_after.m_dRms;
    state.counters["rms_continuous"] = continuous.m_after.m_dRms;
}

// Rooms of 3 to 6 modes below 250 Hz and a dip, into Music Left's 15 bands.
void BM_FitRoomMusic(benchmark::State& state) {
    FitOneRoom(state, kMusicLeft, 0, 250.0);
}
BENCHMARK(BM_FitRoomMusic)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

// Rooms of 24 resonances from 30 Hz to 8 kHz, which take all 20 bands of Mic 1&2.
void BM_FitRoomTwentyBands(benchmark::State& state) {
    FitOneRoom(state, kMic12, 24, 8000.0);
}
BENCHMARK(BM_FitRoomTwentyBands)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zolt
