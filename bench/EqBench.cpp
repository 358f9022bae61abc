// What dragging a point on the curve display costs: one filter's recompute, the composite
// of a set, and re-binding every curve set after a full image arrives.
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "model/Layout.h"

#include <benchmark/benchmark.h>

namespace zolt {
namespace {

// A full image in which every band is active and every crossover has a slope, so that
// nothing is skipped as bypassed.
void LoadBusyImage() {
    ResetProcessData();
    FactoryDefaults();
    for (int block = 0; block < int{kEqBlockCount}; ++block) {
        for (int set = 1; set <= 3; ++set) {
            const SEqBlock eq = EqBlock(block, set);
            for (int i = 0; i < eq.m_nBands; ++i) {
                std::uint8_t* band = Image() + eq.m_nFirst + eq.m_nStride * i;
                band[band::kGain] = static_cast<std::uint8_t>(60 + 7 * i);
                band[band::kQ] = static_cast<std::uint8_t>(5 + 3 * i);
                band[band::kType] = static_cast<std::uint8_t>(1 + i % 3);
            }
        }
    }
    for (int set = 1; set <= 3; ++set) {
        for (int number = 0; number < 15; ++number) {
            std::uint8_t* highPass = Image() + CrossoverOffset(number, set);
            SetU16(highPass + xover::kFreq, 60);
            highPass[xover::kSlope] = 9;
            SetU16(highPass + xover::kSize + xover::kFreq, 330);
            highPass[xover::kSize + xover::kSlope] = 11;
        }
    }
    std::uint8_t* mirror = Image() + image::kReverbMirror + effect::kHighPass;
    mirror[xover::kSlope] = 9;
    mirror[xover::kSize + xover::kSlope] = 11;
    RebindAllCurveSets();
}

// (a) One peaking band, its gain changing as it does under the mouse.
void BM_RecomputePeakingBand(benchmark::State& state) {
    LoadBusyImage();
    CFilter* band = CurveSetOfBlock(2)->Filter(0);
    band->SetType(ftype::kPeaking);
    int gain = 0;
    for (auto _ : state) {
        band->SetGainByte(60 + (gain++ & 63));
        benchmark::DoNotOptimize(band->ResponseDb().data());
    }
}
BENCHMARK(BM_RecomputePeakingBand);

// (b) A "24dBLink-Riley" crossover, its frequency changing.
void BM_RecomputeLinkwitzRiley24(benchmark::State& state) {
    LoadBusyImage();
    CFilter* highPass = CurveSetOfBlock(2)->HighPass();
    highPass->SetSlope(9);
    int index = 0;
    for (auto _ : state) {
        highPass->SetFreqIndex(100 + (index++ & 63));
        benchmark::DoNotOptimize(highPass->ResponseDb().data());
    }
}
BENCHMARK(BM_RecomputeLinkwitzRiley24);

// (c) The composite of the Mic 1&2 set: 20 bands and the crossover pair.
void BM_MicComposite(benchmark::State& state) {
    LoadBusyImage();
    CKTVEQ* mic = CurveSetOfBlock(2);
    for (auto _ : state) {
        mic->ComputeComposite();
        benchmark::DoNotOptimize(mic->CompositeDb().data());
    }
}
BENCHMARK(BM_MicComposite);

// (d) All 34 sets re-bound and recomputed after a full image arrived.
void BM_RebindAllCurveSets(benchmark::State& state) {
    LoadBusyImage();
    for (auto _ : state) {
        RebindAllCurveSets();
        benchmark::DoNotOptimize(CurveSetOfBlock(0)->CompositeDb().data());
    }
}
BENCHMARK(BM_RebindAllCurveSets)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zolt
