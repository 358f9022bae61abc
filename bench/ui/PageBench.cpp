// The main window at its normal size (a screen large enough for the fixed window): switching
// to each of the ten pages (the page's reload and the window's repaint with it), and
// switching the language (every caption of every page, then the repaint). Off line, on the
// factory state.
#include "BenchApp.h"

#include "controls/MessageBox.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "shell/Capture.h"
#include "shell/ZoltDlg.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace zolt {
namespace {

// The start-up lookup finds no port; its box is answered at once.
const CScopedMessageBoxHandler& SilentBoxes() {
    static const CScopedMessageBoxHandler s_handler(
        [](QWidget*, const SMessageBox&) { return EMsgResult::Ok; });
    return s_handler;
}

std::unique_ptr<CZoltDlg> MakeWindow() {
    bench::App();
    SilentBoxes();
    ResetProcessData();
    FactoryDefaults();
    SZoltOptions options;
    options.m_screenSize = QSize(1920, 1080);
    options.m_bNamedPortsOnly = true;
    auto pDlg = std::make_unique<CZoltDlg>(std::move(options));
    pDlg->show();
    QApplication::processEvents(); // exposed, and the lookup is over
    return pDlg;
}

void BM_PageSwitch(benchmark::State& state) {
    const int nPage = static_cast<int>(state.range(0));
    const int nAway = nPage == kSystemPageIndex ? 0 : kSystemPageIndex;
    const std::unique_ptr<CZoltDlg> pDlg = MakeWindow();
    for (auto _ : state) {
        state.PauseTiming();
        pDlg->ShowPage(nAway);
        pDlg->repaint();
        state.ResumeTiming();
        pDlg->ShowPage(nPage);
        pDlg->repaint();
    }
    state.SetLabel(PageFileName(nPage).toStdString());
}
BENCHMARK(BM_PageSwitch)->DenseRange(0, kPageCount - 1)->Unit(benchmark::kMillisecond);

void BM_LanguageSwitch(benchmark::State& state) {
    const std::unique_ptr<CZoltDlg> pDlg = MakeWindow();
    pDlg->ShowPage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pDlg->SetLanguage(g_flags.m_nLanguage == 1 ? 0 : 1);
        pDlg->repaint();
    }
    state.SetLabel(PageFileName(static_cast<int>(state.range(0))).toStdString());
}
BENCHMARK(BM_LanguageSwitch)->Arg(kSystemPageIndex)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zolt
