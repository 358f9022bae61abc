#include "link/SerialPort.h"
#include "link/Session.h"
#include "model/Command.h"

#include "TestSupport.h"
#include "VirtualSession.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zolt {
namespace {

using namespace std::chrono_literals;
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

// A lock folder of the test's own, emptied, and a lock file in it holding pid.
struct SLockFolder {
    std::string m_strPath = std::string(ZOLT_TEST_OUTPUT_DIR) + "/locks-" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    SLockFolder() {
        std::filesystem::remove_all(m_strPath);
        std::filesystem::create_directories(m_strPath);
    }
    std::string File(const std::string& device) const {
        return m_strPath + "/" + LockNamesOf(device).back();
    }
    void Hold(const std::string& device, pid_t pid) const {
        std::ofstream(File(device)) << std::setw(10) << pid << '\n';
    }
    std::string Content(const std::string& device) const {
        std::ifstream file(File(device));
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

// A process of another program that lives until the test ends it.
struct SOtherProgram {
    pid_t m_nPid = fork();
    SOtherProgram() {
        if (m_nPid == 0) {
            execlp("sleep", "sleep", "60", nullptr);
            _exit(127);
        }
    }
    ~SOtherProgram() {
        kill(m_nPid, SIGTERM);
        waitpid(m_nPid, nullptr, 0);
    }
    // True once exec has given the process its name in /proc.
    bool Named(const std::string& name) const {
        for (int i = 0; i < 1000; ++i) {
            std::ifstream comm("/proc/" + std::to_string(m_nPid) + "/comm");
            std::string shown;
            if (std::getline(comm, shown) && shown == name) {
                return true;
            }
            std::this_thread::sleep_for(2ms);
        }
        return false;
    }
};

TEST(SerialPort, LockFileOfALiveProcessRefusesThePortAndNamesIt) {
    const SLockFolder locks;
    test::SPtyPair pty;
    const SOtherProgram other;
    ASSERT_TRUE(other.Named("sleep"));
    locks.Hold(pty.m_strSlave, other.m_nPid);
    const std::string held = locks.Content(pty.m_strSlave);

    CSerialOpener opener(locks.m_strPath);
    SOpenFailure failure;
    EXPECT_EQ(opener.Open(pty.m_strSlave, failure), nullptr);
    EXPECT_EQ(failure.m_eError, EOpenError::Busy);
    EXPECT_EQ(failure.m_strReason, pty.m_strSlave + ": in use by sleep, PID " +
                                       std::to_string(other.m_nPid) + " (lock file " +
                                       locks.File(pty.m_strSlave) + ")");
    EXPECT_EQ(locks.Content(pty.m_strSlave), held); // the holder's lock stays

    // A link to the device finds the lock under the device's own name too.
    const std::string link = locks.m_strPath + "/processor";
    std::filesystem::create_symlink(pty.m_strSlave, link);
    EXPECT_EQ(opener.Open(link, failure), nullptr);
    EXPECT_EQ(failure.m_eError, EOpenError::Busy);
    EXPECT_FALSE(std::filesystem::exists(locks.m_strPath + "/" + LockNamesOf(link).front()));
}

TEST(SerialPort, StaleLockIsRemovedAndTheOwnLockReleasedOnClose) {
    const SLockFolder locks;
    test::SPtyPair pty;
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    locks.Hold(pty.m_strSlave, gone);

    CSerialPort port(locks.m_strPath);
    SOpenFailure failure;
    ASSERT_TRUE(port.Open(pty.m_strSlave, {}, &failure)) << failure.m_strReason;
    char own[16];
    std::snprintf(own, sizeof own, "%10d\n", static_cast<int>(getpid()));
    EXPECT_EQ(locks.Content(pty.m_strSlave), own); // ten characters and a newline

    // A program naming the device by a link finds this lock and is refused.
    CSerialPort second(locks.m_strPath);
    const std::string link = locks.m_strPath + "/processor";
    std::filesystem::create_symlink(pty.m_strSlave, link);
    EXPECT_FALSE(second.Open(link, {}, &failure));
    EXPECT_EQ(failure.m_eError, EOpenError::Busy);

    port.Close();
    EXPECT_FALSE(std::filesystem::exists(locks.File(pty.m_strSlave)));
    ASSERT_TRUE(second.Open(link, {}, &failure)) << failure.m_strReason;
    EXPECT_TRUE(std::filesystem::exists(locks.m_strPath + "/" + LockNamesOf(link).front()));
    EXPECT_TRUE(std::filesystem::exists(locks.File(pty.m_strSlave)));
    second.Close();
    EXPECT_FALSE(std::filesystem::exists(locks.m_strPath + "/" + LockNamesOf(link).front()));
    EXPECT_FALSE(std::filesystem::exists(locks.File(pty.m_strSlave)));
}

TEST(SerialPort, LockNamesFollowTheUucpConvention) {
    EXPECT_EQ(LockNamesOf("/dev/ttyNoSuchPort7"), std::vector<std::string>{"LCK..ttyNoSuchPort7"});
    EXPECT_EQ(LockNamesOf("/tmp/room/pty"), std::vector<std::string>{"LCK.._tmp_room_pty"});
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

// The lookup and the connection in virtual time: simulated processors on lines, each a
// port by its name, and a session stepped by the test.
class LinkLookup : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessData(); }
    void TearDown() override { ResetProcessData(); }

    // The lookup, until the probe is answered (true) or the lookup has ended without one.
    bool RunLookup() {
        m_v.Open();
        return AwaitProbe();
    }
    bool AwaitProbe() {
        return m_v.RunUntil([&] { return m_v.m_host.m_nProbesAnswered > 0; }, 5min);
    }
    CConnection& Connection() { return m_v.Session().Connection(); }

    test::CVirtualSession m_v;
};

TEST_F(LinkLookup, LookupPassesOverASilentPortAndReadsBackTheAnsweringOne) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimDevice& quiet = m_v.Add("quiet", silent);
    sim::SSimState state = sim::MakeFactoryState();
    state.m_bUnlock = false;
    state.m_abSystem[5] = 61;
    m_v.Add("processor", {}, state);
    m_v.SetPorts({"/dev/ttyNoSuchPort7", "quiet", "processor"});
    CConnection& connection = Connection();
    ASSERT_TRUE(RunLookup());
    EXPECT_EQ(connection.PortInUse(), "processor");
    EXPECT_EQ(quiet.FramesReceived(), 3); // the probe and its two resends
    EXPECT_FALSE(g_flags.m_bUnlock);
    ASSERT_EQ(connection.OpenFailures().size(), 2u);
    EXPECT_EQ(connection.OpenFailures()[0].m_eError, EOpenError::Missing);
    EXPECT_EQ(connection.OpenFailures()[1].m_eError, EOpenError::NotAnswered);
    EXPECT_EQ(connection.OpenFailures()[1].m_strReason,
              "quiet: no answer to the probe (3 transmissions)");

    ASSERT_TRUE(m_v.RunUntil([&] { return m_v.ReadBack(); }, 1min)); // the last reply
    {
        CImageGuard guard(ImageLock());
        EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), Image()));
        EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), Shadow()));
        EXPECT_EQ(System()[5], 61);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(Slot(9)), 10), "Sim mode 9");
    }
    EXPECT_TRUE(m_v.m_host.m_aBoxes.empty());
    EXPECT_TRUE(m_v.m_host.m_aReports.empty());
    connection.Disconnect();
    EXPECT_FALSE(connection.Online());
    EXPECT_TRUE(m_v.m_host.m_aReports.empty()); // a disconnect says nothing
}

TEST_F(LinkLookup, ConnectButtonDisconnectsAndThenLooksUpAfresh) {
    CConnection& connection = Connection();
    ASSERT_TRUE(RunLookup());
    m_v.Session().OnConnectButton();
    EXPECT_FALSE(connection.Online());
    EXPECT_EQ(connection.Port(), nullptr);
    // The port went with it: the same device opens again.
    m_v.Session().OnConnectButton();
    ASSERT_TRUE(connection.Online()) << m_v.m_host.m_aReports.size();
    ASSERT_TRUE(AwaitProbe());
    EXPECT_TRUE(connection.Online());
    EXPECT_TRUE(m_v.m_host.m_aReports.empty());
}

TEST_F(LinkLookup, NoPortThatOpensGivesTheMessageOnce) {
    CConnection& connection = Connection();
    m_v.SetPorts({"/dev/ttyNoSuchPort7"});
    connection.Lookup();
    EXPECT_FALSE(connection.Online());
    EXPECT_FALSE(g_flags.m_bLookup);
    const std::vector<std::string>& boxes = m_v.m_host.m_aReports;
    const std::string cause = "\n/dev/ttyNoSuchPort7: no such device";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Unable to Open Device!" + cause, 0), 0u);
    g_flags.m_nLanguage = 1;
    connection.Lookup();
    EXPECT_EQ(boxes.back().rfind("不能打开设备!" + cause, 0), 0u);

    connection.SetNamedPorts({}, true);
    connection.Lookup();
    EXPECT_EQ(boxes.back(), "不能打开设备!\nno serial port was found");
}

TEST_F(LinkLookup, SilentPortAloneEndsTheLookupWithTheMessage) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    m_v.Add("quiet", silent);
    m_v.SetPorts({"quiet"});
    CConnection& connection = Connection();
    EXPECT_FALSE(RunLookup());
    EXPECT_FALSE(connection.Online());
    EXPECT_EQ(connection.Port(), nullptr);
    EXPECT_EQ(m_v.m_host.m_aReports,
              std::vector<std::string>{
                  "Unable to Open Device!\nquiet: no answer to the probe (3 transmissions)"});
}

// Over real pseudo-terminals at the line rate: a port another program holds, and a device
// that goes away (the far side of the terminal closes, as a pulled USB adapter does).
class LinkOverPty : public ::testing::Test {
protected:
    void SetUp() override { ResetProcessData(); }
    void TearDown() override { ResetProcessData(); }

    test::CRecordingHost m_host;
};

TEST_F(LinkOverPty, ABusyPortAndARejectedProbeSayWhyOnTheSecondLine) {
    sim::SSimFaults rejecting;
    rejecting.m_nRejectFirst = 3;
    sim::CSimServer refuser(rejecting);
    sim::CSimServer held;
    std::string error;
    ASSERT_TRUE(refuser.Start(error) && held.Start(error)) << error;
    CSerialPort otherProgram;
    ASSERT_TRUE(otherProgram.Open(held.Path()));

    CSession session(m_host, {nullptr, nullptr, false, {held.Path(), refuser.Path()}, true});
    session.Lookup();
    EXPECT_TRUE(m_host.RunTasksUntil([&] { return !session.Online(); }, 20s));
    ASSERT_EQ(m_host.m_aReports.size(), 1u);
    const std::string box = m_host.m_aReports[0];
    EXPECT_EQ(
        box.rfind("Unable to Open Device!\n" + held.Path() + ": in use by another program", 0), 0u)
        << box;
    EXPECT_NE(box.find("\n" + refuser.Path() + ": the processor rejected the probe (status 2)"),
              std::string::npos)
        << box;
    EXPECT_EQ(box.find("no answer"), std::string::npos) << box;
}

// A named port that is a link to a device (as /dev/serial/by-id names one) is the device
// plugged in under the name the user gave.
TEST_F(LinkOverPty, APortPluggedInDuringALookupJoinsItsCandidates) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    sim::CSimServer quiet(silent);
    sim::CSimServer processor;
    sim::CSimServer stranger;
    std::string error;
    ASSERT_TRUE(quiet.Start(error) && processor.Start(error) && stranger.Start(error)) << error;
    const std::string adapter = std::string(ZOLT_TEST_OUTPUT_DIR) + "/joining-adapter";
    std::filesystem::create_directories(ZOLT_TEST_OUTPUT_DIR);
    std::filesystem::remove(adapter);

    CSession session(m_host, {nullptr, nullptr, false, {adapter, quiet.Path()}, true});
    CConnection& connection = session.Connection();
    session.Lookup(); // the adapter is not there yet; the silent port is being probed
    ASSERT_TRUE(connection.Online());
    ASSERT_EQ(connection.PortInUse(), quiet.Path());
    std::filesystem::create_symlink(processor.Path(), adapter);
    session.OnPortsAdded({{processor.Path(), processor.Path(), "plugged in", true},
                          {stranger.Path(), stranger.Path(), "plugged in", true}});
    ASSERT_TRUE(m_host.RunTasksUntil([&] { return m_host.m_nProbesAnswered > 0; }, 20s));
    EXPECT_EQ(connection.PortInUse(), adapter); // under the name the user gave
    EXPECT_TRUE(m_host.m_aReports.empty());

    // On line with a processor, a device plugged in is left alone.
    session.OnPortsAdded({{stranger.Path(), stranger.Path(), "plugged in", true}});
    connection.SetNamedPorts({}, false);
    session.OnPortsAdded({{stranger.Path(), stranger.Path(), "plugged in", true}});
    EXPECT_EQ(connection.PortInUse(), adapter);
    EXPECT_TRUE(connection.Candidates().empty());
    EXPECT_EQ(stranger.FramesReceived(), 0);
    session.Disconnect();
    std::filesystem::remove(adapter);
}

TEST_F(LinkOverPty, HangUpWhileLinkedIsOnePortFailureAndTheThreadEnds) {
    sim::CSimServer processor;
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CSession session(m_host, {nullptr, nullptr, false, {processor.Path()}, true});
    CConnection& connection = session.Connection();
    session.Lookup();
    ASSERT_TRUE(m_host.RunTasksUntil([&] { return m_host.m_nImages > 0; }, 20s));

    processor.Stop(); // the far side goes away, as a pulled USB adapter does
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (connection.CommRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(connection.CommRunning()); // ended by itself, no busy loop
    EXPECT_TRUE(connection.Online());       // until the window hears of it

    m_host.RunTasks(); // the port failure: not a step of a lookup, the link's end
    EXPECT_FALSE(connection.Online());
    EXPECT_EQ(m_host.m_nLinkEnded, 1);
    ASSERT_EQ(m_host.m_aReports.size(), 1u);
    EXPECT_EQ(m_host.m_aReports[0].rfind(
                  "Unable to Open Device!\n" + processor.Path() + ": the line hung up during ", 0),
              0u)
        << m_host.m_aReports[0];
    connection.OnPortFailure(false); // a second, stale notice changes nothing
    EXPECT_EQ(m_host.m_aReports.size(), 1u);
}

TEST_F(LinkOverPty, HangUpDuringTheProbeIsAFailedLookupStep) {
    sim::SSimFaults faults;
    faults.m_nDelayMs = 5000; // takes the probe, answers never
    sim::CSimServer processor(faults);
    std::string error;
    ASSERT_TRUE(processor.Start(error)) << error;
    CSession session(m_host, {nullptr, nullptr, false, {processor.Path()}, true});
    session.Lookup();
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (processor.FramesReceived() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    processor.Stop();
    EXPECT_TRUE(m_host.RunTasksUntil([&] { return !session.Online(); }, 5s));
    // A failed step of the lookup: the port is named among those that did not answer.
    ASSERT_EQ(m_host.m_aReports.size(), 1u);
    EXPECT_EQ(m_host.m_aReports[0].rfind("Unable to Open Device!\n" + processor.Path() +
                                             ": the line hung up during the probe",
                                         0),
              0u)
        << m_host.m_aReports[0];
    EXPECT_EQ(session.Connection().OpenFailures().size(), 1u);
}

} // namespace
} // namespace zolt
