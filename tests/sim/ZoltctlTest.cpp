#include "Ctl.h"

#include "TestSupport.h"

#include "link/Frame.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class Zoltctl : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "zoltctl" / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }

    // A simulated processor on a line ten times faster than the real one.
    sim::CSimServer& Simulator(sim::SSimFaults faults = {},
                               sim::SSimState state = sim::MakeFactoryState()) {
        m_pSim = std::make_unique<sim::CSimServer>(faults, std::move(state), test::FastLine());
        std::string error;
        EXPECT_TRUE(m_pSim->Start(error)) << error;
        return *m_pSim;
    }

    int Ctl(std::vector<std::string> args) {
        if (m_pSim != nullptr) {
            args.insert(args.begin(), {"--port", m_pSim->Path()});
        }
        m_out.str("");
        m_err.str("");
        return ctl::Run(args, m_clock, m_out, m_err, false);
    }

    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> commands;
        for (const sim::SFrameTime& t : m_pSim->FrameTimes()) {
            commands.push_back(t.m_nCommand);
        }
        return commands;
    }

    fs::path m_dir;
    test::CFastClock m_clock;
    std::unique_ptr<sim::CSimServer> m_pSim;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(Zoltctl, BackupGivesExactlyTheSimulatorsStore) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_aModes[21][2000] = 0x5A;
    sim::CSimServer& processor = Simulator({}, state);
    ASSERT_EQ(Ctl({"backup", (m_dir / "all").string()}), ctl::kExitDone) << m_err.str();
    const Bytes file = ReadFile(m_dir / "all.dat");
    ASSERT_EQ(file.size(), 57019u);
    EXPECT_EQ(file.back(), 1);
    EXPECT_EQ(file, sim::AllModesFile(processor.State()));
}

TEST_F(Zoltctl, RestoreThenBackupRoundTrips) {
    sim::SSimState edited = sim::MakeFactoryState();
    edited.m_abSystem[0] = 6;
    edited.m_abSystem[6] = 50;
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        edited.m_aModes[mode][600] = static_cast<std::uint8_t>(mode * 3);
    }
    const Bytes file = sim::AllModesFile(edited);
    WriteFile(m_dir / "edited.dat", file);

    sim::CSimServer& processor = Simulator();
    ASSERT_EQ(Ctl({"restore", (m_dir / "edited.dat").string()}), ctl::kExitDone) << m_err.str();
    const sim::SSimState restored = processor.State();
    EXPECT_EQ(restored.m_abSystem, edited.m_abSystem);
    EXPECT_EQ(restored.m_aModes, edited.m_aModes);

    ASSERT_EQ(Ctl({"backup", (m_dir / "again.dat").string()}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(ReadFile(m_dir / "again.dat"), file);
}

TEST_F(Zoltctl, PullThenPushTheWorkingImage) {
    sim::CSimServer& processor = Simulator();
    ASSERT_EQ(Ctl({"pull", (m_dir / "one").string()}), ctl::kExitDone) << m_err.str();
    Bytes file = ReadFile(m_dir / "one.dia");
    ASSERT_EQ(file.size(), 2778u);
    const sim::SSimState before = processor.State();
    EXPECT_TRUE(std::equal(before.m_abSystem.begin(), before.m_abSystem.end(), file.begin()));
    EXPECT_TRUE(std::equal(before.m_abImage.begin(), before.m_abImage.end(), file.begin() + 66));

    file[66 + 570] = 200; // a gain of Music Left band 1
    WriteFile(m_dir / "one.dia", file);
    ASSERT_EQ(Ctl({"push", (m_dir / "one.dia").string()}), ctl::kExitDone) << m_err.str();
    const sim::SSimState after = processor.State();
    EXPECT_TRUE(std::equal(after.m_abImage.begin(), after.m_abImage.end() - 1, file.begin() + 66));
    const auto sum = std::accumulate(file.begin() + 66, file.end(), 0u) & 0xFF;
    EXPECT_EQ(after.m_abImage.back(), sum); // the load sum travels with the image
    EXPECT_EQ(after.m_abSystem, before.m_abSystem);
}

TEST_F(Zoltctl, HangUpDuringABackupFailsAndLeavesNoFile) {
    sim::SSimFaults faults;
    faults.m_nHangUpAfter = 30; // the read-back is 25 frames: the modes are under way
    Simulator(faults);
    EXPECT_EQ(Ctl({"backup", (m_dir / "all.dat").string()}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("backup failed; no file written"), std::string::npos) << m_err.str();
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(Zoltctl, RejectedCorruptedAndNoisyAnswersAreResent) {
    sim::SSimFaults faults;
    faults.m_nRejectEvery = 4;
    faults.m_nBadSumEvery = 5;
    faults.m_nNoiseBytes = 3;
    sim::CSimServer& processor = Simulator(faults);
    ASSERT_EQ(Ctl({"pull", (m_dir / "one.dia").string()}), ctl::kExitDone) << m_err.str();
    const sim::SSimState state = processor.State();
    const Bytes file = ReadFile(m_dir / "one.dia");
    EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), file.begin() + 66));
    EXPECT_GT(processor.FramesReceived(), 25); // resends happened
}

TEST_F(Zoltctl, StoreWithoutSavePermissionIsRefusedAndSendsNothing) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_bUnlock = false;
    Simulator({}, state);
    EXPECT_EQ(Ctl({"store", "3", "Evening"}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("store refused"), std::string::npos) << m_err.str();
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 134), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 140), 0);
}

TEST_F(Zoltctl, StoreSendsThePasswordFrameThenTheStore) {
    sim::CSimServer& processor = Simulator();
    ASSERT_EQ(Ctl({"store", "3", "Evening"}), ctl::kExitDone) << m_err.str();
    const auto commands = Commands();
    const auto code = std::find(commands.begin(), commands.end(), 140);
    ASSERT_NE(code, commands.end());
    EXPECT_EQ(std::find(code, commands.end(), 134), code + 1);
    const sim::SSimState state = processor.State();
    EXPECT_EQ(std::string(state.m_aModes[3].begin(), state.m_aModes[3].begin() + 20),
              "Evening             ");
    EXPECT_EQ(state.m_aModes[3], state.m_abImage);
    EXPECT_EQ(state.m_abSystem[0], 3);
    EXPECT_EQ(std::string(state.m_abSystem.begin() + 19, state.m_abSystem.begin() + 25), "123456");
}

TEST_F(Zoltctl, RecallAndProbe) {
    sim::CSimServer& processor = Simulator();
    ASSERT_EQ(Ctl({"recall", "4"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(processor.State().m_abSystem[0], 4);
    ASSERT_EQ(Ctl({"probe"}), ctl::kExitDone);
    EXPECT_EQ(m_out.str(), "found " + processor.Path() + " unlock=1\n");
}

TEST_F(Zoltctl, ProbeAnsweredByABareAcknowledgementFindsNoDevice) {
    sim::SSimFaults faults;
    faults.m_bProbeAck = true;
    Simulator(faults);
    EXPECT_EQ(Ctl({"probe"}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("acknowledged the probe"), std::string::npos) << m_err.str();
}

TEST_F(Zoltctl, NoDeviceAndUsageAndFileErrors) {
    EXPECT_EQ(Ctl({"--port", "/dev/ttyNoSuchPort7", "probe"}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("Unable to Open Device!"), std::string::npos);
    EXPECT_NE(m_err.str().find("/dev/ttyNoSuchPort7: no such device"), std::string::npos);

    EXPECT_EQ(Ctl({}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"frobnicate"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"store", "17", "x"}), ctl::kExitUsage); // 17..21 are never stored
    EXPECT_EQ(Ctl({"store", "2", "a name longer than twenty"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"recall", "0"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"--bogus", "ports"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"restore", (m_dir / "missing.dat").string()}), ctl::kExitFile);
    WriteFile(m_dir / "short.dia", Bytes(100));
    EXPECT_EQ(Ctl({"push", (m_dir / "short.dia").string()}), ctl::kExitFile);
    EXPECT_EQ(Ctl({"dump", (m_dir / "short.dia").string()}), ctl::kExitFile);
}

TEST_F(Zoltctl, DumpShowsNamesSystemFieldsAndParametersInUnits) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_abSystem[9] = 0x5A; // pitch 5 (-2), sensitivity 10 (no such entry)
    state.m_abSystem[10] = 40;
    std::uint8_t* band = state.m_aModes[2].data() + 568; // Music Left band 1
    SetU16(band, 144);                                   // 1000 Hz on the 1/36-octave table
    band[2] = 150;                                       // +6.0 dB
    WriteFile(m_dir / "all.dat", sim::AllModesFile(state));

    ASSERT_EQ(Ctl({"dump", (m_dir / "all.dat").string()}), ctl::kExitDone) << m_err.str();
    const std::string text = m_out.str();
    EXPECT_NE(text.find("name: Sim mode 21"), std::string::npos);
    EXPECT_NE(text.find("system password: 123456"), std::string::npos);
    EXPECT_NE(text.find("music pitch: -2"), std::string::npos);
    EXPECT_NE(text.find("analogue input sensitivity: (10)"), std::string::npos);
    EXPECT_NE(text.find("AUDIO input gain dB: 10.0"), std::string::npos);
    EXPECT_NE(text.find("gain dB 6.0"), std::string::npos);

    ASSERT_EQ(Ctl({"dump", "--json", (m_dir / "all.dat").string()}), ctl::kExitDone);
    const std::string json = m_out.str();
    EXPECT_EQ(json.front(), '{');
    EXPECT_NE(json.find("\"kind\": \"all modes\""), std::string::npos);
    EXPECT_NE(json.find("\"gain dB\": 6.0"), std::string::npos);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));
    EXPECT_EQ(std::count(json.begin(), json.end(), '['), std::count(json.begin(), json.end(), ']'));
}

// The programs themselves, as a user runs them.
std::string RunProgram(const std::string& command, int& status) {
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    status = pipe != nullptr ? pclose(pipe) : -1;
    return output;
}

TEST(Programs, ZoltSimAnnouncesItsPtyAndZoltctlFindsIt) {
    const std::string bin = ZOLT_BIN_DIR;
    const fs::path link = fs::path(ZOLT_TEST_OUTPUT_DIR) / "programs-sim";
    const fs::path log = fs::path(ZOLT_TEST_OUTPUT_DIR) / "programs-sim.log";
    fs::remove(log);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        execl((bin + "/zolt-sim").c_str(), "zolt-sim", "--link", link.c_str(), "--log", log.c_str(),
              nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string line;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    ASSERT_EQ(line.rfind("zolt-sim: listening on /dev/pts/", 0), 0u) << line;
    EXPECT_EQ(fs::read_symlink(link).string(), line.substr(23));

    int status = 0;
    const std::string found =
        RunProgram(bin + "/zoltctl --port " + link.string() + " probe 2>&1", status);
    EXPECT_EQ(found, "found " + link.string() + " unlock=1\n");
    EXPECT_EQ(WEXITSTATUS(status), 0);

    kill(child, SIGTERM);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    std::ifstream in(log);
    std::string first;
    std::getline(in, first);
    EXPECT_TRUE(std::regex_match(first, std::regex("[0-9]+ FF 55 03 00 7F 00 82  # probe")))
        << first;
    close(fds[0]);

    RunProgram(bin + "/zoltctl 2>/dev/null", status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
} // namespace zolt
