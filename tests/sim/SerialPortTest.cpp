#include "link/SerialPort.h"
#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "model/Command.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace zolt {
namespace {

using namespace std::chrono_literals;
using test::CFastClock;
using test::CRecordingSink;
using test::SPosted;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadPort(CSerialPort& port, std::size_t count) {
    Bytes bytes;
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        std::uint8_t buffer[1024];
        const SPortResult got = port.Read(buffer, sizeof buffer);
        EXPECT_EQ(got.m_eStatus, EPortStatus::Ok);
        bytes.insert(bytes.end(), buffer, buffer + got.m_nCount);
        if (got.m_nCount == 0) {
            std::this_thread::sleep_for(1ms);
        }
    }
    return bytes;
}

TEST(SerialPort, EveryByteValueCrossesThePseudoTerminalUnchanged) {
    test::SPtyPair pty;
    ASSERT_FALSE(pty.m_strSlave.empty());
    CSerialPort port;
    ASSERT_TRUE(port.Open(pty.m_strSlave));

    Bytes bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i));
    }
    // A frame whose payload holds a start mark, and the line-discipline specials again.
    const Bytes frame{0xFF, 0x55, 0x07, 0x00, 0x03, 0x05, 0xFF, 0x55, 0x0D, 0x0A, 0x11, 0x48};
    bytes.insert(bytes.end(), frame.begin(), frame.end());

    ASSERT_EQ(port.Write(bytes.data(), bytes.size()).m_eStatus, EPortStatus::Ok);
    port.Purge(); // the link purges after each write: a written frame must survive it
    EXPECT_EQ(pty.ReadMaster(bytes.size()), bytes);

    ASSERT_EQ(write(pty.m_nMaster, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(ReadPort(port, bytes.size()), bytes);
}

TEST(SerialPort, LinkTermiosIsRaw115200EightNOneAndKeepsFlowControl) {
    termios cooked{};
    cooked.c_iflag = ICRNL | IXON | ISTRIP | BRKINT;
    cooked.c_oflag = OPOST | ONLCR;
    cooked.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    cooked.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS;
    const termios t = LinkTermios(cooked, {});
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | ISTRIP | BRKINT), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B115200));

    EXPECT_EQ(LinkTermios(cooked, {115200, 'n', 8, 0}).c_cflag & PARENB, 0u);
    const termios even = LinkTermios(cooked, {9600, 'e', 7, 2});
    EXPECT_EQ(even.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB));
    EXPECT_NE(even.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(even.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_EQ(cfgetospeed(&even), static_cast<speed_t>(B9600));
}

TEST(SerialPort, OpenFailuresGiveAClearReason) {
    CSerialPort port;
    SOpenFailure failure;
    EXPECT_FALSE(port.Open("/dev/ttyNoSuchPort7", {}, &failure));
    EXPECT_EQ(failure.m_eError, EOpenError::Missing);
    EXPECT_EQ(failure.m_strReason.rfind("/dev/ttyNoSuchPort7: no such device", 0), 0u);

    test::SPtyPair pty;
    CSerialPort holder;
    ASSERT_TRUE(holder.Open(pty.m_strSlave));
    EXPECT_FALSE(port.Open(pty.m_strSlave, {}, &failure));
    EXPECT_EQ(failure.m_eError, EOpenError::Busy);
    EXPECT_NE(failure.m_strReason.find("in use by another program"), std::string::npos);
    holder.Close();
    EXPECT_TRUE(port.Open(pty.m_strSlave)); // free again once the holder closed it
    port.Close();

    std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
    const std::string file = std::string(ZOLT_TEST_OUTPUT_DIR) + "/not-a-port";
    ASSERT_TRUE(std::ofstream(file).good());
    EXPECT_FALSE(port.Open(file, {}, &failure));
    EXPECT_EQ(failure.m_eError, EOpenError::NotSerial);
}

TEST(SerialPort, PermissionFailureNamesTheGroup) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root opens any device node: no permission failure to see";
    }
    const std::string file = std::string(ZOLT_TEST_OUTPUT_DIR) + "/no-access";
    std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
    std::filesystem::remove(file);
    ASSERT_TRUE(std::ofstream(file).good());
    chmod(file.c_str(), 0);
    CSerialPort port;
    SOpenFailure failure;
    EXPECT_FALSE(port.Open(file, {}, &failure));
    EXPECT_EQ(failure.m_eError, EOpenError::Permission);
    EXPECT_NE(failure.m_strReason.find("dialout"), std::string::npos);
}

TEST(SerialPort, PortNumberAndConfigurationErrorText) {
    EXPECT_EQ(PortNumberOf("/dev/ttyUSB12"), 12);
    EXPECT_EQ(PortNumberOf("COM3"), 3);
    EXPECT_EQ(PortNumberOf("/dev/ttyACM"), 0);
    EXPECT_EQ(ConfigErrorText("SetCommState()", EIO, 12),
              "WARNING:  SetCommState() Failed with the following error: \n"
              "Input/output error\nPort: 12\n");
}

// The window's part of a lookup under way: handles port failures until the probe was
// answered.
bool AwaitProbe(CConnection& connection, CRecordingSink& sink) {
    while (connection.Online()) {
        SPosted posted{};
        if (!sink.Take({msg::kPortFailure, msg::kProbeAnswered}, posted)) {
            return false;
        }
        if (posted.m_nMessage == msg::kProbeAnswered) {
            connection.OnProbeAnswered();
            return true;
        }
        connection.OnPortFailure(posted.m_nLParam != 0);
    }
    return false;
}

bool RunLookup(CConnection& connection, CRecordingSink& sink) {
    connection.Lookup();
    return AwaitProbe(connection, sink);
}

class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessData(); }
    void TearDown() override { ResetProcessData(); }

    CFastClock m_clock;
    CRecordingSink m_sink;
    CDeviceLink m_link{m_clock};
};

TEST_F(LinkOverPty, LookupPassesOverASilentPortAndReadsBackTheAnsweringOne) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimServer quiet(silent, sim::MakeFactoryState(), test::FastLine());
    sim::SSimState state = sim::MakeFactoryState();
    state.m_bUnlock = false;
    state.m_abSystem[5] = 61;
    sim::CSimServer processor({}, state, test::FastLine());
    std::string error;
    ASSERT_TRUE(quiet.Start(error) && processor.Start(error)) << error;

    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({"/dev/ttyNoSuchPort7", quiet.Path(), processor.Path()}, true);
    ASSERT_TRUE(RunLookup(connection, m_sink));
    EXPECT_EQ(connection.PortInUse(), processor.Path());
    EXPECT_EQ(quiet.FramesReceived(), 3); // the probe and its two resends
    EXPECT_FALSE(g_flags.m_bUnlock);
    ASSERT_EQ(connection.OpenFailures().size(), 2u);
    EXPECT_EQ(connection.OpenFailures()[0].m_eError, EOpenError::Missing);
    EXPECT_EQ(connection.OpenFailures()[1].m_eError, EOpenError::NotAnswered);
    EXPECT_EQ(connection.OpenFailures()[1].m_strReason,
              quiet.Path() + ": no answer to the probe (3 transmissions)");

    SPosted posted{};
    ASSERT_TRUE(m_sink.Take({msg::kImageReplaced}, posted)); // the read-back's last reply
    {
        CImageGuard guard(ImageLock());
        EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), Image()));
        EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), Shadow()));
        EXPECT_EQ(System()[5], 61);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(Slot(9)), 10), "Sim mode 9");
    }
    EXPECT_TRUE(m_sink.Boxes().empty());
    connection.Disconnect();
    EXPECT_FALSE(connection.Online());
    EXPECT_TRUE(m_sink.Boxes().empty()); // a disconnect says nothing
}

TEST_F(LinkOverPty, APortPluggedInDuringALookupJoinsItsCandidates) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimServer quiet(silent, sim::MakeFactoryState(), test::FastLine());
    sim::CSimServer processor({}, sim::MakeFactoryState(), test::FastLine());
    sim::CSimServer stranger({}, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(quiet.Start(error) && processor.Start(error) && stranger.Start(error)) << error;
    const std::string adapter = std::string(ZOLT_TEST_OUTPUT_DIR) + "/joining-adapter";
    std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
    std::filesystem::remove(adapter);

    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({adapter, quiet.Path()}, true);
    connection.Lookup(); // the adapter is not there yet; the silent port is being probed
    ASSERT_TRUE(connection.Online());
    ASSERT_EQ(connection.PortInUse(), quiet.Path());
    std::filesystem::create_symlink(processor.Path(), adapter);
    connection.OnPortsAdded({{processor.Path(), processor.Path(), "plugged in", true},
                             {stranger.Path(), stranger.Path(), "plugged in", true}});
    ASSERT_TRUE(AwaitProbe(connection, m_sink));
    EXPECT_EQ(connection.PortInUse(), adapter); // under the name the user gave
    EXPECT_TRUE(m_sink.Boxes().empty());

    // On line with a processor, a device plugged in is left alone.
    connection.OnPortsAdded({{stranger.Path(), stranger.Path(), "plugged in", true}});
    connection.SetNamedPorts({}, false);
    connection.OnPortsAdded({{stranger.Path(), stranger.Path(), "plugged in", true}});
    EXPECT_EQ(connection.PortInUse(), adapter);
    EXPECT_TRUE(connection.Candidates().empty());
    EXPECT_EQ(stranger.FramesReceived(), 0);
    connection.Disconnect();
    std::filesystem::remove(adapter);
}

TEST_F(LinkOverPty, ConnectButtonDisconnectsAndThenLooksUpAfresh) {
    sim::CSimServer processor({}, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({processor.Path()}, true);
    ASSERT_TRUE(RunLookup(connection, m_sink));
    connection.OnConnectButton();
    EXPECT_FALSE(connection.Online());
    EXPECT_FALSE(connection.Port().IsOpen());
    // The port's exclusive mode went with it: the same device opens again.
    connection.OnConnectButton();
    ASSERT_TRUE(connection.Online()) << m_sink.Boxes().size();
    SPosted posted{};
    ASSERT_TRUE(m_sink.Take({msg::kProbeAnswered}, posted));
    EXPECT_TRUE(connection.Online());
    EXPECT_TRUE(m_sink.Boxes().empty());
}

TEST_F(LinkOverPty, NoPortThatOpensGivesTheMessageOnce) {
    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({"/dev/ttyNoSuchPort7"}, true);
    connection.Lookup();
    EXPECT_FALSE(connection.Online());
    EXPECT_FALSE(g_flags.m_bLookup);
    const std::string cause = "\n/dev/ttyNoSuchPort7: no such device";
    ASSERT_EQ(m_sink.Boxes().size(), 1u);
    EXPECT_EQ(m_sink.Boxes()[0].rfind("Unable to Open Device!" + cause, 0), 0u);
    g_flags.m_nLanguage = 1;
    connection.Lookup();
    EXPECT_EQ(m_sink.Boxes().back().rfind("不能打开设备!" + cause, 0), 0u);

    connection.SetNamedPorts({}, true);
    connection.Lookup();
    EXPECT_EQ(m_sink.Boxes().back(), "不能打开设备!\nno serial port was found");
}

TEST_F(LinkOverPty, ABusyPortAndARejectedProbeSayWhyOnTheSecondLine) {
    sim::SSimFaults rejecting;
    rejecting.m_nRejectFirst = 3;
    sim::CSimServer refuser(rejecting, sim::MakeFactoryState(), test::FastLine());
    sim::CSimServer held({}, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(refuser.Start(error) && held.Start(error)) << error;
    CSerialPort otherProgram;
    ASSERT_TRUE(otherProgram.Open(held.Path()));

    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({held.Path(), refuser.Path()}, true);
    EXPECT_FALSE(RunLookup(connection, m_sink));
    ASSERT_EQ(m_sink.Boxes().size(), 1u);
    const std::string box = m_sink.Boxes()[0];
    EXPECT_EQ(
        box.rfind("Unable to Open Device!\n" + held.Path() + ": in use by another program", 0), 0u)
        << box;
    EXPECT_NE(box.find("\n" + refuser.Path() + ": the processor rejected the probe (status 2)"),
              std::string::npos)
        << box;
    EXPECT_EQ(box.find("no answer"), std::string::npos) << box;
}

TEST_F(LinkOverPty, SilentPortAloneEndsTheLookupWithTheMessage) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimServer quiet(silent, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(quiet.Start(error)) << error;
    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({quiet.Path()}, true);
    EXPECT_FALSE(RunLookup(connection, m_sink));
    EXPECT_FALSE(connection.Online());
    EXPECT_FALSE(connection.Port().IsOpen());
    EXPECT_EQ(m_sink.Boxes(),
              std::vector<std::string>{"Unable to Open Device!\n" + quiet.Path() +
                                       ": no answer to the probe (3 transmissions)"});
}

TEST_F(LinkOverPty, HangUpWhileLinkedIsOnePortFailureAndTheThreadEnds) {
    sim::CSimServer processor({}, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({processor.Path()}, true);
    ASSERT_TRUE(RunLookup(connection, m_sink));
    SPosted posted{};
    ASSERT_TRUE(m_sink.Take({msg::kImageReplaced}, posted));

    processor.Stop(); // the far side goes away, as a pulled USB adapter does
    ASSERT_TRUE(m_sink.Take({msg::kPortFailure}, posted));
    EXPECT_EQ(posted.m_nLParam, 0);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (connection.Port().IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(connection.Port().IsRunning()); // ended by itself, no busy loop
    EXPECT_EQ(m_sink.Count(msg::kPortFailure), 0);

    connection.OnPortFailure(false);
    EXPECT_FALSE(connection.Online());
    ASSERT_EQ(m_sink.Boxes().size(), 1u);
    EXPECT_EQ(m_sink.Boxes()[0].rfind(
                  "Unable to Open Device!\n" + processor.Path() + ": the line hung up during ", 0),
              0u)
        << m_sink.Boxes()[0];
    connection.OnPortFailure(false); // a second, stale notice changes nothing
    EXPECT_EQ(m_sink.Boxes().size(), 1u);
}

TEST_F(LinkOverPty, HangUpDuringTheProbeIsAFailedLookupStep) {
    sim::SSimFaults faults;
    faults.m_nDelayMs = 5000; // takes the probe, answers never
    sim::CSimServer processor(faults, sim::MakeFactoryState(), test::FastLine());
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CConnection connection(m_link, m_clock);
    connection.SetNamedPorts({processor.Path()}, true);
    connection.Lookup();
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (processor.FramesReceived() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    processor.Stop();
    SPosted posted{};
    ASSERT_TRUE(m_sink.Take({msg::kPortFailure}, posted));
    EXPECT_EQ(posted.m_nLParam, 1);
    connection.OnPortFailure(true);
    EXPECT_FALSE(connection.Online());
}

} // namespace
} // namespace zolt
