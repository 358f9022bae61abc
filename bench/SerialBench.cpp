// The link's pace on the wire: a burst of 100 synchronised edits (100 EQ band gains)
// drains through a simulated processor on a pseudo-terminal, at the real line rate with
// the real clock. Reports the median and 95th-percentile interval between consecutive
// frames as the processor takes them off the line, and each as a ratio to the link's floor
// of three 20 ms turns per exchange. One iteration takes about eight seconds.
#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Command.h"
#include "sim/SimServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace zolt {
namespace {

using namespace std::chrono_literals;

constexpr int kBurstEdits = 100;
constexpr double kFloorMs = 3 * 20.0;

// Plays the main window: the messages the lookup and the read-back need.
class CBenchSink final : public CNotifySink {
public:
    void Post(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_aPosted.emplace_back(message, lParam);
        m_changed.notify_all();
    }
    bool Next(unsigned& message, std::intptr_t& lParam) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, 10s, [this] { return !m_aPosted.empty(); })) {
            return false;
        }
        std::tie(message, lParam) = m_aPosted.front();
        m_aPosted.pop_front();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<unsigned, std::intptr_t>> m_aPosted;
};

// Connects and waits for the read-back's last reply; false when the link failed.
bool ConnectAndReadBack(CConnection& connection, CBenchSink& sink) {
    connection.Lookup();
    unsigned message = 0;
    std::intptr_t lParam = 0;
    while (connection.Online() && sink.Next(message, lParam)) {
        if (message == msg::kProbeAnswered) {
            connection.OnProbeAnswered();
        } else if (message == msg::kImageReplaced) {
            return true;
        } else if (message == msg::kPortFailure) {
            connection.OnPortFailure(lParam != 0);
        }
    }
    return false;
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
        CBenchSink sink;
        SetNotifySink(&sink);
        sim::CSimServer processor;
        std::string error;
        CDeviceLink link;
        CConnection connection(link);
        if (!processor.Start(error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        connection.SetNamedPorts({processor.Path()}, true);
        if (!ConnectAndReadBack(connection, sink)) {
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
        connection.Disconnect();
        SetNotifySink(nullptr);
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
