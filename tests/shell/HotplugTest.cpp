#include "ShellFixture.h"

#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "sim/SimLine.h"
#include "tests/sim/TestSupport.h"

namespace zolt {
namespace {

constexpr int kTimeoutMs = 20000;

// The window off line, told of serial devices plugged in through a watch the test drives.
// Its only port is an adapter's stable name; "plugging in" a simulated processor makes it
// reachable under that name and announces it. The processors are on lines in virtual time,
// and the window runs the link turn by turn.
class HotplugTest : public ShellTest {
protected:
    std::unique_ptr<CZoltDlg> MakeWatchingWindow() {
        SZoltOptions options;
        options.m_screenSize = kLargeScreen;
        options.m_astrPorts = {kAdapter};
        options.m_bNamedPortsOnly = true;
        options.m_pClock = &m_clock;
        options.m_pOpener = &m_opener;
        options.m_bStepped = true;
        auto watch = std::make_unique<test::CAnnouncedPorts>();
        m_pWatch = watch.get();
        options.m_pPortWatch = std::move(watch);
        auto dlg = std::make_unique<CZoltDlg>(std::move(options));
        dlg->show();
        return dlg;
    }

    // A processor is plugged in as the adapter, and the watch tells of it.
    sim::CSimDevice& PlugIn(sim::SSimFaults faults = {},
                            sim::SSimState state = sim::MakeFactoryState()) {
        sim::CSimDevice& processor = m_opener.Add(kAdapter, std::move(faults), std::move(state));
        m_pWatch->Announce(kAdapter);
        return processor;
    }

    static QString ProgramName(CZoltDlg& dlg) {
        return DlgItem<CFontStatic>(&dlg.Content(), 3830)->Text();
    }

    static constexpr const char* kAdapter = "/dev/serial/by-id/usb-processor";
    // Declared first so every window (and its port) goes before the processors do.
    CVirtualClock m_clock;
    sim::CSimOpener m_opener{m_clock};
    test::CAnnouncedPorts* m_pWatch = nullptr;
};

TEST_F(HotplugTest, AProcessorPluggedInWhileOffLineIsFoundAndReadBack) {
    auto dlg = MakeWatchingWindow();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    ASSERT_EQ(m_boxes.size(), 1); // the start-up lookup found nothing, and said so once
    EXPECT_TRUE(m_boxes[0].startsWith(QStringLiteral("Unable to Open Device!")));
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));

    sim::SSimState state = sim::MakeFactoryState();
    state.m_abSystem[0] = 5; // playing mode 5
    state.m_abImage = state.m_aModes[5];
    PlugIn({}, state);
    ASSERT_TRUE(
        WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("5:Sim mode 5"); }, kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !dlg->ProgressBox().isVisible(); }, kTimeoutMs));
    EXPECT_TRUE(g_flags.m_bOnline);
    EXPECT_TRUE(WindowTakesInput());
    EXPECT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
    EXPECT_EQ(dlg->Connection().PortInUse(), kAdapter);
}

TEST_F(HotplugTest, AProcessorThatHangsUpIsReportedOnceAndTheNextOneIsFound) {
    auto dlg = MakeWatchingWindow();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    m_boxes.clear();

    sim::SSimFaults hangUp;
    hangUp.m_nHangUpAfter = 40; // the probe, the read-back, a few polls
    PlugIn(hangUp);
    ASSERT_TRUE(WaitUntil([&] { return g_flags.m_bOnline.load(); }, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bOnline; }, kTimeoutMs));
    QTest::qWait(500);
    ASSERT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
    EXPECT_TRUE(m_boxes[0].startsWith(QString::fromStdString(
        "Unable to Open Device!\n" + std::string(kAdapter) + ": the line hung up")))
        << m_boxes[0].toStdString();
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));

    PlugIn(); // the adapter again, with a processor that stays
    EXPECT_TRUE(
        WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("1:Sim mode 1"); }, kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    EXPECT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
}

TEST_F(HotplugTest, ADeviceThatDoesNotAnswerOrIsNotTheNamedPortIsPassedOverInSilence) {
    auto dlg = MakeWatchingWindow();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    m_boxes.clear();

    sim::CSimDevice& stranger = m_opener.Add("stranger"); // a device on another port
    m_pWatch->Announce("stranger");
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimDevice& mute = PlugIn(silent);
    ASSERT_TRUE(WaitUntil([&] { return mute.FramesReceived() >= 3; }, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bOnline && WindowTakesInput(); }, kTimeoutMs));
    QTest::qWait(300);
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
    EXPECT_EQ(stranger.FramesReceived(), 0);
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
}

} // namespace
} // namespace zolt
