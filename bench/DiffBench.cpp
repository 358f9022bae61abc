// Comparing presets field by field: two all-modes files that differ in one field of every
// mode, compared in memory, and the whole `zoltctl diff` of the two files on disk (reading
// both, comparing, writing the 21 lines).
#include "Ctl.h"

#include "link/PresetCompare.h"
#include "model/Layout.h"
#include "sim/SimProcessor.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zolt {
namespace {

// The simulator's factory store, and the same with one EQ gain changed in every mode.
std::pair<SPresetFile, SPresetFile> TwoStores() {
    sim::SSimState state = sim::MakeFactoryState();
    SPresetFile a{true, sim::AllModesFile(state)};
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        state.m_aModes[mode][image::kMic12 + mic::kBands + band::kGain] += 1;
    }
    return {std::move(a), SPresetFile{true, sim::AllModesFile(state)}};
}

void BM_ComparePresetsAllModes(benchmark::State& state) {
    const auto [a, b] = TwoStores();
    std::vector<SFieldDifference> differences;
    std::string error;
    for (auto _ : state) {
        ComparePresets(a, b, differences, error);
        benchmark::DoNotOptimize(differences.data());
    }
    state.counters["modes"] = static_cast<double>(kModeCount);
    state.counters["differences"] = static_cast<double>(differences.size());
}
BENCHMARK(BM_ComparePresetsAllModes)->Unit(benchmark::kMicrosecond);

void BM_ZoltctlDiffTwoDatFiles(benchmark::State& state) {
    const auto [a, b] = TwoStores();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zolt-bench-diff";
    std::filesystem::create_directories(dir);
    const std::string pathA = (dir / "a.dat").string();
    const std::string pathB = (dir / "b.dat").string();
    for (const auto& [path, file] : {std::pair{pathA, &a}, std::pair{pathB, &b}}) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file->m_abBytes.data()),
                   static_cast<std::streamsize>(file->m_abBytes.size()));
    }
    std::ostringstream out;
    std::ostringstream err;
    for (auto _ : state) {
        out.str("");
        const int code = ctl::Run({"diff", pathA, pathB}, {SystemClock()}, out, err, false);
        benchmark::DoNotOptimize(code);
    }
    const std::string lines = out.str();
    state.counters["lines"] = static_cast<double>(std::count(lines.begin(), lines.end(), '\n'));
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ZoltctlDiffTwoDatFiles)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zolt
