// A venue backed up at once against one room: `zoltctl --venue FILE backup --all DIR` over
// N rooms, each a simulated processor on a pseudo-terminal at the real line rate, with the
// real clock. zoltctl starts one zoltctl per room, eight at a time, so N rooms up to eight
// take about the time of one (a backup of all modes is paced by the link: about 24 s).
// BM_VenueBackup/1 is one room, /8 eight; one iteration each.
#include "Venue.h"

#include "sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace zolt {
namespace {

namespace fs = std::filesystem;

// zoltctl beside this program.
std::string ZoltctlProgram() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "zoltctl").string();
}

void BM_VenueBackup(benchmark::State& state) {
    const auto rooms = static_cast<int>(state.range(0));
    const fs::path dir = fs::temp_directory_path() / ("zolt-venue-bench-" + std::to_string(rooms));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::vector<std::unique_ptr<sim::CSimServer>> processors;
        std::ofstream venue(dir / "venue.toml");
        std::string error;
        for (int i = 1; i <= rooms; ++i) {
            processors.push_back(std::make_unique<sim::CSimServer>());
            if (!processors.back()->Start(error)) {
                state.SkipWithError(error.c_str());
                return;
            }
            venue << "[[room]]\nname = \"Room " << i << "\"\nport = \"" << processors.back()->Path()
                  << "\"\n";
        }
        venue.close();
        state.ResumeTiming();
        ctl::SChildResult backup;
        ctl::RunChildren(ZoltctlProgram(),
                         {{"--venue", (dir / "venue.toml").string(), "backup", "--all",
                           (dir / "backups").string()}},
                         [&](std::size_t, const ctl::SChildResult& result) { backup = result; });
        if (backup.m_nExit != 0) {
            state.SkipWithError((backup.m_strOut + backup.m_strErr).c_str());
            return;
        }
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_VenueBackup)->Arg(1)->Arg(8)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace zolt
