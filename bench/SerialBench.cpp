// The link's pace on the wire: a burst of 100 synchronised edits (100 EQ band gains)
// drains through a simulated processor on a pseudo-terminal, at the real line rate with
// the real clock. Reports the median and 95th-percentile interval between consecutive
// frames as the processor takes them off the line, and each as a ratio to the link's floor
// of three 20 ms turns per exchange. One iteration takes about eight seconds.
#include "link/TaskQueue.h"
#include "model/Command.h"
#include "sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace zolt {
namespace {

using namespace std::chrono_literals;

constexpr int kBurstEdits = 100;
constexpr double kFloorMs = 3 * 20.0;

// Plays the main window: hears of the read-back and of the link's end.
class CBenchHost final : public CQueuedHost {
public:
    void ImageReplaced() override { m_bReadBack = true; }
    bool m_bReadBack = false;
};

// Connects and waits for the read-back's last reply; false when the link failed.
bool ConnectAndReadBack(CSession& session, CBenchHost& host) {
    session.Lookup();
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (session.Online() && !host.m_bReadBack && std::chrono::steady_clock::now() < deadline) {
        host.RunTasks(20ms);
    }
    return session.Online() && host.m_bReadBack;
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void BM_SerialBurst(benchmark::State& state) {
    std::vector<double> intervals;
    for (auto _ : state) {
        ResetProcessData();
        sim::CSimServer processor;
        std::string error;
        if (!processor.Start(error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        CBenchHost host;
        CSession session(host, {nullptr, nullptr, false, {processor.Path()}, true});
        if (!ConnectAndReadBack(session, host)) {
            state.SkipWithError("no link to the simulated processor");
            break;
        }
        const std::size_t before = processor.FrameTimes().size();
        {
            CImageGuard guard(ImageLock());
            for (int band = 0; band < kBurstEdits; ++band) {
                Image()[BandOffset(band, LiveOutputSet()) + band::kGain] ^= 0x01;
            }
        }
        std::vector<sim::SFrameTime> edits;
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (edits.size() < kBurstEdits && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(50ms);
            const auto times = processor.FrameTimes();
            edits.clear();
            std::copy_if(times.begin() + static_cast<std::ptrdiff_t>(before), times.end(),
                         std::back_inserter(edits),
                         [](const auto& t) { return t.m_nCommand == 3; });
        }
        session.Disconnect();
        if (edits.size() < kBurstEdits) {
            state.SkipWithError("the burst did not drain");
            break;
        }
        for (std::size_t i = 1; i < edits.size(); ++i) {
            intervals.push_back(std::chrono::duration<double, std::milli>(edits[i].m_tArrival -
                                                                          edits[i - 1].m_tArrival)
                                    .count());
        }
    }
    if (!intervals.empty()) {
        const double median = Percentile(intervals, 0.5);
        const double p95 = Percentile(intervals, 0.95);
        state.counters["median_ms"] = median;
        state.counters["p95_ms"] = p95;
        state.counters["median_per_floor"] = median / kFloorMs;
        state.counters["p95_per_floor"] = p95 / kFloorMs;
    }
}
BENCHMARK(BM_SerialBurst)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zolt
