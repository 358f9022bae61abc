// The System page's share of the idle link on the window's thread: one level answer and
// one state answer shown on the twelve meters, with the repaint they cause. The levels move
// every time, as the simulated processor's do; the window system's own work (the flush to
// the display) is not in it, the offscreen platform having none.
#include "BenchApp.h"

#include "controls/SLamp.h"
#include "link/Command.h"
#include "model/Command.h"
#include "pages/PageApi.h"
#include "pages/SysDlg.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace zolt {
namespace {

// The main window as far as the meters need it: the meter record.
class CMeterApi final : public CPageApi {
public:
    void SendCommand(int, int) override {}
    void ClampVolumes() override {}
    std::array<std::uint8_t, 12> MeterValues(int pollKind) const override {
        return pollKind == cmd::kLevelPoll ? m_abLevels : m_abStates;
    }
    void ExportMode() override {}
    void ImportMode() override {}
    void ImportAllModes() override {}

    // The next answers: a sawtooth per meter, each meter a step apart.
    void Advance() {
        ++m_nTick;
        for (unsigned i = 0; i < m_abLevels.size(); ++i) {
            m_abLevels[i] = static_cast<std::uint8_t>((m_nTick * 7 + i * 17) % 201);
            m_abStates[i] = static_cast<std::uint8_t>((m_nTick * 7 + i * 17) % 101);
        }
    }

private:
    std::array<std::uint8_t, 12> m_abLevels{};
    std::array<std::uint8_t, 12> m_abStates{};
    unsigned m_nTick = 0;
};

void BM_MeterAnswers(benchmark::State& state) {
    bench::App();
    ResetProcessData();
    g_flags.m_bOnline = true;
    CMeterApi api;
    CSysDlg page(api, nullptr);
    page.show();
    QApplication::processEvents();
    for (auto _ : state) {
        api.Advance();
        page.UpdateMeters(cmd::kLevelPoll);
        page.UpdateMeters(cmd::kStatePoll);
        QApplication::sendPostedEvents(); // the repaint of the changed segments
    }
    const auto* pMeter = page.findChild<CSLamp*>();
    if (pMeter == nullptr || !pMeter->IsLit(kLampLimit)) {
        state.SkipWithError("the meters did not follow the answers");
    }
    g_flags.m_bOnline = false;
}
BENCHMARK(BM_MeterAnswers)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zolt
