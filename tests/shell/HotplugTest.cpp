#include "ShellFixture.h"

#include "controls/DialogTemplate.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "sim/SimServer.h"
#include "tests/sim/TestSupport.h"

#include <filesystem>

namespace zolt {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 20000;

// The window off line, told of serial devices plugged in through a watch the test drives.
// Its only port is an adapter's stable name, a link the test points at a simulated
// processor's pty when it "plugs it in".
class HotplugTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "hotplug" / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_adapter = m_dir / "usb-processor";
    }

    std::unique_ptr<CZoltDlg> MakeWatchingWindow(CClock* clock = nullptr) {
        SZoltOptions options;
        options.m_screenSize = kLargeScreen;
        options.m_astrPorts = {m_adapter.string()};
        options.m_bNamedPortsOnly = true;
        options.m_pClock = clock;
        auto watch = std::make_unique<test::CAnnouncedPorts>();
        m_pWatch = watch.get();
        options.m_pPortWatch = std::move(watch);
        auto dlg = std::make_unique<CZoltDlg>(std::move(options));
        dlg->show();
        return dlg;
    }

    sim::CSimServer& StartSimulator(sim::SSimFaults faults = {}) {
        m_aSims.push_back(std::make_unique<sim::CSimServer>(faults));
        std::string error;
        EXPECT_TRUE(m_aSims.back()->Start(error)) << error;
        return *m_aSims.back();
    }

    // The adapter's name now leads to the processor's pty, and the watch tells of the pty.
    void PlugIn(const sim::CSimServer& processor) {
        fs::remove(m_adapter);
        fs::create_symlink(processor.Path(), m_adapter);
        m_pWatch->Announce(processor.Path());
    }

    static QString ProgramName(CZoltDlg& dlg) {
        return DlgItem<CFontStatic>(&dlg.Content(), 3830)->Text();
    }

    // Declared first so every window (and its port) goes before the simulators do.
    std::vector<std::unique_ptr<sim::CSimServer>> m_aSims;
    fs::path m_dir;
    fs::path m_adapter;
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
    m_aSims.push_back(std::make_unique<sim::CSimServer>(sim::SSimFaults{}, state));
    std::string error;
    ASSERT_TRUE(m_aSims.back()->Start(error)) << error;
    PlugIn(*m_aSims.back());
    ASSERT_TRUE(
        WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("5:Sim mode 5"); }, kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !dlg->ProgressBox().isVisible(); }, kTimeoutMs));
    EXPECT_TRUE(g_flags.m_bOnline);
    EXPECT_TRUE(WindowTakesInput());
    EXPECT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
    EXPECT_EQ(dlg->Connection().PortInUse(), m_adapter.string());
}

TEST_F(HotplugTest, AProcessorThatHangsUpIsReportedOnceAndTheNextOneIsFound) {
    auto dlg = MakeWatchingWindow();
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    m_boxes.clear();

    sim::SSimFaults hangUp;
    hangUp.m_nHangUpAfter = 40; // the probe, the read-back, a few polls
    PlugIn(StartSimulator(hangUp));
    ASSERT_TRUE(WaitUntil([&] { return g_flags.m_bOnline.load(); }, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bOnline; }, kTimeoutMs));
    QTest::qWait(500);
    ASSERT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
    EXPECT_TRUE(m_boxes[0].startsWith(QString::fromStdString(
        "Unable to Open Device!\n" + m_adapter.string() + ": the line hung up")))
        << m_boxes[0].toStdString();
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));

    PlugIn(StartSimulator()); // the adapter again, with a processor that stays
    EXPECT_TRUE(
        WaitUntil([&] { return ProgramName(*dlg) == QStringLiteral("1:Sim mode 1"); }, kTimeoutMs))
        << ProgramName(*dlg).toStdString();
    EXPECT_EQ(m_boxes.size(), 1) << m_boxes.join('|').toStdString();
}

TEST_F(HotplugTest, ADeviceThatDoesNotAnswerOrIsNotTheNamedPortIsPassedOverInSilence) {
    test::CFastClock clock; // the silent probe's resends pass ten times faster
    auto dlg = MakeWatchingWindow(&clock);
    ASSERT_TRUE(WaitUntil([&] { return dlg->StartupSettled(); }, kTimeoutMs));
    m_boxes.clear();

    sim::CSimServer& stranger = StartSimulator(); // a device on another port
    m_pWatch->Announce(stranger.Path());
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimServer& mute = StartSimulator(silent);
    PlugIn(mute);
    ASSERT_TRUE(WaitUntil([&] { return mute.FrameTimes().size() >= 3; }, kTimeoutMs));
    ASSERT_TRUE(WaitUntil([&] { return !g_flags.m_bOnline && WindowTakesInput(); }, kTimeoutMs));
    QTest::qWait(300);
    EXPECT_TRUE(m_boxes.isEmpty()) << m_boxes.join('|').toStdString();
    EXPECT_TRUE(stranger.FrameTimes().empty());
    EXPECT_FALSE(dlg->ProgressBox().isVisible());
    EXPECT_EQ(ProgramName(*dlg), QStringLiteral("Off Line"));
}

} // namespace
} // namespace zolt
