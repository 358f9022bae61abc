// The curve display at its music-page size (706 x 167 dialog units = 1059 x 313 pixels)
// showing a 20-band set with both crossovers, a highlighted band and the bypass glow:
// one full repaint, and one drag step (the mouse moves a band, which recomputes that band,
// then the composite is summed and the display repainted).
#include "BenchApp.h"

#include "eq/CFStatic.h"
#include "eq/KTVEQ.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "model/Layout.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>

namespace zolt {
namespace {

constexpr int kMicBlock = 2; // Mic 1&2: 20 bands and a crossover pair

// Every band active (boosts, cuts and shelves), both crossovers sloped, bypass set.
void LoadBusyMicSet() {
    ResetProcessData();
    FactoryDefaults();
    const SEqBlock eq = EqBlock(kMicBlock, 1);
    for (int i = 0; i < eq.m_nBands; ++i) {
        std::uint8_t* pBand = Image() + eq.m_nFirst + eq.m_nStride * static_cast<std::size_t>(i);
        pBand[band::kGain] = static_cast<std::uint8_t>(80 + 5 * i);
        pBand[band::kQ] = static_cast<std::uint8_t>(5 + 3 * i);
        pBand[band::kType] = static_cast<std::uint8_t>(1 + i % 3);
    }
    std::uint8_t* pHighPass = Image() + image::kMic12 + mic::kHighPass;
    SetU16(pHighPass + xover::kFreq, 60);
    pHighPass[xover::kSlope] = 9;
    SetU16(pHighPass + xover::kSize + xover::kFreq, 330);
    pHighPass[xover::kSize + xover::kSlope] = 11;
    Image()[image::kMic12 + mic::kBypass] = 1;
    CurveSetOfBlock(kMicBlock)->Rebind();
}

std::unique_ptr<CFStatic> MakeDisplay() {
    bench::App();
    LoadBusyMicSet();
    auto pDisplay = std::make_unique<CFStatic>();
    pDisplay->resize(1059, 313);
    pDisplay->LayoutGroup(curvegroup::kMic);
    pDisplay->ShowSet(kMicBlock);
    pDisplay->SelectFilter(9);
    pDisplay->show();
    QApplication::processEvents(); // the window is exposed, so repaint() really paints
    return pDisplay;
}

void SendMouse(CFStatic& display, QEvent::Type eType, QPoint pt, Qt::MouseButtons buttons) {
    QMouseEvent event(eType, QPointF(pt), QPointF(display.mapToGlobal(pt)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&display, &event);
}

void BM_CurveFullRepaint(benchmark::State& state) {
    const std::unique_ptr<CFStatic> pDisplay = MakeDisplay();
    for (auto _ : state) {
        pDisplay->repaint();
    }
}
BENCHMARK(BM_CurveFullRepaint)->Unit(benchmark::kMillisecond);

void BM_CurveDragStep(benchmark::State& state) {
    const std::unique_ptr<CFStatic> pDisplay = MakeDisplay();
    const QPoint start = pDisplay->MarkerRect(9).center();
    SendMouse(*pDisplay, QEvent::MouseMove, start, Qt::NoButton);
    SendMouse(*pDisplay, QEvent::MouseButtonPress, start, Qt::LeftButton);
    int nStep = 0;
    for (auto _ : state) {
        // Alternate between two heights 3 dB apart so that every step changes the band.
        const QPoint pt = start + QPoint(nStep % 2 == 0 ? 4 : 0, nStep % 2 == 0 ? -24 : 0);
        SendMouse(*pDisplay, QEvent::MouseMove, pt, Qt::LeftButton);
        pDisplay->repaint();
        ++nStep;
    }
    SendMouse(*pDisplay, QEvent::MouseButtonRelease, start, Qt::NoButton);
}
BENCHMARK(BM_CurveDragStep)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zolt
