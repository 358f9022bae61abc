#include "Ctl.h"

#include "TestSupport.h"
#include "VirtualSession.h"

#include "link/Command.h"
#include "link/Frame.h"
#include "link/LinkFault.h"
#include "sim/SimServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <numeric>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zolt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using test::ReadFile;
using test::WriteFile;

class Zoltctl : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::path(ZOLT_TEST_OUTPUT_DIR) / "zoltctl" / info->name();
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }

    // A simulated processor on a line in virtual time, a port of a new name: sim1, sim2 ...
    sim::CSimDevice& Simulator(sim::SSimFaults faults = {},
                               sim::SSimState state = sim::MakeFactoryState()) {
        m_strPort = "sim" + std::to_string(++m_nProcessors);
        m_pSim = &m_opener.Add(m_strPort, std::move(faults), std::move(state));
        return *m_pSim;
    }

    // zoltctl's link in virtual time, to the processors of the opener.
    ctl::SCtlLink Link() { return {m_clock, &m_opener, true}; }

    int Ctl(std::vector<std::string> args) {
        if (m_pSim != nullptr) {
            args.insert(args.begin(), {"--port", m_strPort});
        }
        m_out.str("");
        m_err.str("");
        return ctl::Run(args, Link(), m_out, m_err, false);
    }

    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> commands;
        for (const sim::SWireFrame& frame : m_pSim->Frames()) {
            commands.push_back(frame.Command());
        }
        return commands;
    }

    fs::path m_dir;
    CVirtualClock m_clock;
    sim::CSimOpener m_opener{m_clock};
    sim::CSimDevice* m_pSim = nullptr;
    std::string m_strPort; // the port of the processor Simulator made last
    int m_nProcessors = 0;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(Zoltctl, BackupGivesExactlyTheSimulatorsStore) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_aModes[21][2000] = 0x5A;
    sim::CSimDevice& processor = Simulator({}, state);
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

    sim::CSimDevice& processor = Simulator();
    ASSERT_EQ(Ctl({"restore", (m_dir / "edited.dat").string()}), ctl::kExitDone) << m_err.str();
    const sim::SSimState restored = processor.State();
    EXPECT_EQ(restored.m_abSystem, edited.m_abSystem);
    EXPECT_EQ(restored.m_aModes, edited.m_aModes);

    ASSERT_EQ(Ctl({"backup", (m_dir / "again.dat").string()}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(ReadFile(m_dir / "again.dat"), file);
}

TEST_F(Zoltctl, PullThenPushTheWorkingImage) {
    sim::CSimDevice& processor = Simulator();
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
    sim::CSimDevice& processor = Simulator(faults);
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
    sim::CSimDevice& processor = Simulator();
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

// A name the processor cannot store is refused before anything is sent, naming the
// character; the name field of the window takes the same rule.
TEST_F(Zoltctl, StoreRefusesANameTheProcessorCannotStoreNamingTheCharacter) {
    const sim::SSimState before = sim::MakeFactoryState();
    sim::CSimDevice& processor = Simulator();
    const struct {
        const char* m_pszName;
        const char* m_pszMessage;
    } refused[] = {
        {"Room 5 \xc3\xb1 \xe6\x97\xa5\xe6\x9c\xac", "character 8, \"\xc3\xb1\" (U+00F1)"},
        {"Tab\there", "character 4, \"\\x09\" (U+0009)"},
        {"\x1b]0;x\x07", "character 1, \"\\x1B\" (U+001B)"},
        {"Ring\a", "character 5, \"\\x07\" (U+0007)"},
        {"Two\nlines", "character 4, \"\\x0A\" (U+000A)"},
        {"\xe4\xb8\x80\xe4\xba\x8c\xe4\xb8\x89\xe5\x9b\x9b\xe4\xba\x94\xe5\x85\xad\xe4\xb8\x83"
         "\xe5\x85\xab\xe4\xb9\x9d\xe5\x8d\x81",
         "character 1, \"\xe4\xb8\x80\" (U+4E00)"},
        {"twenty-one characters", "a mode name has at most 20 characters; this one has 21"},
    };
    for (const auto& name : refused) {
        SCOPED_TRACE(name.m_pszMessage);
        EXPECT_EQ(Ctl({"store", "3", name.m_pszName}), ctl::kExitUsage);
        EXPECT_EQ(m_err.str().rfind(std::string("zoltctl: store: ") + name.m_pszMessage, 0), 0u)
            << m_err.str();
    }
    EXPECT_TRUE(processor.Frames().empty());
    EXPECT_EQ(processor.State().m_aModes, before.m_aModes);
    ASSERT_EQ(Ctl({"store", "3", "twenty characters ~!"}), ctl::kExitDone) << m_err.str();
    const sim::SSimState state = processor.State();
    EXPECT_EQ(std::string(state.m_aModes[3].begin(), state.m_aModes[3].begin() + 20),
              "twenty characters ~!");
}

TEST_F(Zoltctl, RecallAndProbe) {
    sim::CSimDevice& processor = Simulator();
    ASSERT_EQ(Ctl({"recall", "4"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(processor.State().m_abSystem[0], 4);
    ASSERT_EQ(Ctl({"probe"}), ctl::kExitDone);
    EXPECT_EQ(m_out.str(), "found " + m_strPort + " unlock=1\n");
}

TEST_F(Zoltctl, AProbeThatFindsNoProcessorSaysWhy) {
    sim::SSimFaults faults;
    faults.m_bProbeAck = true;
    Simulator(faults);
    EXPECT_EQ(Ctl({"probe"}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("acknowledged the probe without sending its state"),
              std::string::npos)
        << m_err.str();

    sim::SSimFaults rejecting;
    rejecting.m_nRejectFirst = 3;
    Simulator(rejecting);
    EXPECT_EQ(Ctl({"probe"}), ctl::kExitLink);
    EXPECT_EQ(m_err.str(), "zoltctl: Unable to Open Device!\nzoltctl: " + m_strPort +
                               ": the processor rejected the probe (status 2)\n");
}

TEST_F(Zoltctl, LateAndEarlyAnswersAreTakenForTheirOwnFrames) {
    sim::SSimFaults late; // answered after the probe has been written again
    late.m_nDelayMs = 700;
    late.m_bOverlap = true;
    Simulator(late);
    ASSERT_EQ(Ctl({"probe"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + m_strPort + " unlock=1\n");

    sim::SSimFaults early; // answered before the frame has left the port
    early.m_bAnswerEarly = true;
    sim::CSimDevice& processor = Simulator(early);
    ASSERT_EQ(Ctl({"pull", (m_dir / "one").string()}), ctl::kExitDone) << m_err.str();
    const auto commands = Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 128), 22); // nothing written twice
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 130), 1);
    const Bytes file = ReadFile(m_dir / "one.dia");
    const sim::SSimState state = processor.State();
    EXPECT_TRUE(std::equal(state.m_abImage.begin(), state.m_abImage.end(), file.begin() + 66));
}

TEST_F(Zoltctl, ABackupGivenAnotherModeThanAskedFailsNamingItAndWritesNoFile) {
    sim::SSimFaults faults;
    faults.m_nWrongMode = 3;
    Simulator(faults);
    EXPECT_EQ(Ctl({"backup", (m_dir / "all.dat").string()}), ctl::kExitLink);
    const std::string err = m_err.str();
    EXPECT_NE(err.find("zoltctl: 11\nzoltctl: Mode 3 was asked for, the processor sent mode 4"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("zoltctl: Unable to Open Device!\nzoltctl: " + m_strPort +
                       ": mode 3 was asked for, the processor answered with mode 4 (3 "
                       "transmissions)\nzoltctl: The read of all modes stopped at mode 3"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("backup failed; no file written"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(Zoltctl, ARestoreCutShortSaysWhatTheProcessorHoldsAndExitsFive) {
    sim::SSimState edited = sim::MakeFactoryState();
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        edited.m_aModes[mode][600] = static_cast<std::uint8_t>(mode * 3);
    }
    WriteFile(m_dir / "edited.dat", sim::AllModesFile(edited));
    sim::SSimFaults faults;
    faults.m_nHangUpAfter = 25 + 16; // the read-back, a few polls, then the restore
    sim::CSimDevice& processor = Simulator(faults);
    EXPECT_EQ(Ctl({"restore", (m_dir / "edited.dat").string()}), ctl::kExitPartial);

    // The processor took a run of modes from the file and kept the rest.
    const sim::SSimState state = processor.State();
    const sim::SSimState before = sim::MakeFactoryState();
    std::size_t written = 0;
    while (written < kModeCount && state.m_aModes[written + 1] == edited.m_aModes[written + 1]) {
        ++written;
    }
    ASSERT_GE(written, 8u);
    for (std::size_t mode = written + 1; mode <= kModeCount; ++mode) {
        EXPECT_EQ(state.m_aModes[mode], before.m_aModes[mode]) << mode;
    }
    const std::string err = m_err.str();
    EXPECT_EQ(err.rfind("zoltctl: Unable to Open Device!\nzoltctl: " + m_strPort + ": the ", 0), 0u)
        << err;
    // The last mode written may have gone unacknowledged: the line hung up after it.
    const auto says = [&err](std::size_t confirmed) {
        const std::string next = std::to_string(confirmed + 1);
        return err.find("zoltctl: The restore stopped at mode " + next + ": modes 1 to " +
                        std::to_string(confirmed) + " were written from the file; mode " + next +
                        " may have been; ") != std::string::npos;
    };
    EXPECT_TRUE(says(written) || says(written - 1)) << err;
    EXPECT_NE(err.find("holds a mix of the file and its own earlier settings. Restore the file "
                       "again to finish."),
              std::string::npos)
        << err;
}

// Write acknowledgements 4 s late, later than the link waits: the late answer to one
// mode's resend comes while the next mode waits, and acknowledgements carry no mode
// number. Only mode 1's answer was surely its own.
TEST_F(Zoltctl, ARestoreAnsweredTooLateSaysWhichModesMayHaveBeenWritten) {
    sim::SSimState edited = sim::MakeFactoryState();
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        edited.m_aModes[mode][600] = static_cast<std::uint8_t>(mode * 3);
    }
    WriteFile(m_dir / "edited.dat", sim::AllModesFile(edited));
    sim::SSimFaults faults;
    faults.m_nBulkDelayMs = 4000;
    Simulator(faults);
    EXPECT_EQ(Ctl({"restore", (m_dir / "edited.dat").string()}), ctl::kExitPartial);
    const std::string err = m_err.str();
    EXPECT_NE(err.find("zoltctl: The restore stopped at the system settings: mode 1 was written "
                       "from the file; modes 2 to 21 may have been written"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("all 21 modes were written"), std::string::npos) << err;
}

// The restore was written; only the read-back for the check failed: the messages say so,
// and neither the check nor a diff speaks of a file it does not write.
TEST_F(Zoltctl, AFailedReadBackSaysTheFileWasWrittenAndADiffNamesNoFile) {
    const fs::path file = m_dir / "modes.dat";
    WriteFile(file, sim::AllModesFile(sim::MakeFactoryState()));
    sim::SSimFaults faults;
    faults.m_nHangUpAfter = 25 + 22 + 4; // the read-back, the restore, then the check's read
    Simulator(faults);
    EXPECT_EQ(Ctl({"restore", "--verify", file.string()}), ctl::kExitLink);
    std::string err = m_err.str();
    EXPECT_NE(err.find("zoltctl: verify: the file was written; the check could not read it back\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("no file"), std::string::npos) << err;
    EXPECT_EQ(err.find("The restore stopped"), std::string::npos) << err;

    faults.m_nHangUpAfter = 25 + 4; // during the read of all modes
    Simulator(faults);
    EXPECT_EQ(Ctl({"diff", "-", file.string()}), ctl::kExitCompare);
    err = m_err.str();
    EXPECT_NE(err.find("zoltctl: The read of all modes stopped at mode "), std::string::npos)
        << err;
    EXPECT_EQ(err.find("file"), std::string::npos) << err;
}

// Every frame a processor took only read what it holds.
void ExpectOnlyReads(const sim::CSimDevice& processor) {
    for (const sim::SWireFrame& frame : processor.Frames()) {
        EXPECT_TRUE(frame.Command() == cmd::kProbe || frame.Command() == cmd::kReadName ||
                    frame.Command() == cmd::kReadSystem || frame.Command() == cmd::kReadMode ||
                    frame.Command() == cmd::kLevelPoll || frame.Command() == cmd::kStatePoll)
            << FrameName(frame.Command(), frame.Parameter());
    }
}

// --dry-run prints what restore, push and store would change, the passwords among it, and
// writes nothing.
TEST_F(Zoltctl, ADryRunListsWhatWouldChangeAndWritesNothing) {
    const sim::SSimState before = sim::MakeFactoryState();
    sim::SSimState edited = before;
    std::copy_n("654321", 6, edited.m_abSystem.begin() + sysblock::kSystemCode);
    edited.m_aModes[3][image::kEchoA + effect::kRepeat] = 45;
    edited.m_aModes[9][image::kEchoA + effect::kRepeat] = 45;
    const fs::path all = m_dir / "edited.dat";
    WriteFile(all, sim::AllModesFile(edited));

    sim::CSimDevice& processor = Simulator();
    ASSERT_EQ(Ctl({"restore", "--dry-run", all.string()}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "Import all will change 3 settings in 2 modes and the system password\n"
                           "system: System password: 123456 -> 654321\n"
                           "mode 3: Echo A repeat: 0 % -> 45 %\n"
                           "mode 9: Echo A repeat: 0 % -> 45 %\n");
    ExpectOnlyReads(processor);
    EXPECT_EQ(processor.State().m_aModes, before.m_aModes);
    EXPECT_EQ(processor.State().m_abSystem, before.m_abSystem);

    Bytes one(before.m_abSystem.begin(), before.m_abSystem.end());
    one.insert(one.end(), before.m_abImage.begin(), before.m_abImage.end());
    one[kSystemSize + image::kEchoB + effect::kRepeat] = 30;
    WriteFile(m_dir / "one.dia", one);
    ASSERT_EQ(Ctl({"push", "--dry-run", "--json", (m_dir / "one.dia").string()}), ctl::kExitDone)
        << m_err.str();
    const nlohmann::json document = nlohmann::json::parse(m_out.str());
    EXPECT_EQ(document["summary"], "Import will change 2 settings of the edited mode");
    ASSERT_EQ(document["differences"].size(), 2u); // the repeat and the load sum
    EXPECT_EQ(document["differences"][0]["field"], "Load sum");
    EXPECT_EQ(document["differences"][1]["field"], "Echo B repeat");

    ASSERT_EQ(Ctl({"store", "--dry-run", "5", "Evening"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str().rfind("Store will change ", 0), 0u) << m_out.str();
    EXPECT_NE(m_out.str().find(" settings of mode 5 (Sim mode 5)\n"), std::string::npos)
        << m_out.str();
    EXPECT_NE(m_out.str().find("image: Mode name: Sim mode 5 -> Evening\n"), std::string::npos)
        << m_out.str();
    ExpectOnlyReads(processor);
    EXPECT_EQ(processor.State().m_aModes, before.m_aModes);
    EXPECT_EQ(processor.State().m_abImage, before.m_abImage);
}

TEST_F(Zoltctl, ACommandGivesUpAtItsDeadline) {
    sim::SSimFaults slow;
    slow.m_nDelayMs = 300; // within the answer window, but the read-back alone takes seconds
    Simulator(slow);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ctl({"--deadline", "1", "backup", (m_dir / "all.dat").string()}), ctl::kExitLink);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(m_err.str().find("no result within 1 s; giving up"), std::string::npos)
        << m_err.str();
    EXPECT_TRUE(fs::is_empty(m_dir));
    EXPECT_EQ(Ctl({"--deadline", "0", "probe"}), ctl::kExitUsage);
}

// A processor plugged in while --wait waits: the lookup found nothing, the watch announces
// new ports; only the named port's device is probed, under the name the user gave. Over
// pseudo-terminals at the line rate: the named port is a link to a device, as
// /dev/serial/by-id names one.
TEST_F(Zoltctl, WaitProbesTheNamedPortWhenItIsPluggedIn) {
    const fs::path adapter = m_dir / "by-id-adapter";
    sim::CSimServer other;
    sim::CSimServer processor;
    std::string error;
    ASSERT_TRUE(other.Start(error) && processor.Start(error)) << error;
    test::CAnnouncedPorts watch;
    auto result = std::async(std::launch::async, [&] {
        return ctl::Run({"--port", adapter.string(), "--wait", "20", "probe"},
                        {SystemClock(), nullptr, false, &watch}, m_out, m_err, false);
    });
    for (int i = 0; i < 1000 && !watch.Watched(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(watch.Watched());
    watch.Announce(other.Path());
    fs::create_symlink(processor.Path(), adapter);
    watch.Announce(processor.Path());
    ASSERT_EQ(result.get(), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + adapter.string() + " unlock=1\n");
    EXPECT_EQ(m_err.str(), "zoltctl: waiting up to 20 s for a processor to be plugged in\n");
    EXPECT_TRUE(other.FrameTimes().empty());
}

TEST_F(Zoltctl, AWaitThatSeesNoProcessorEndsWithOneMessage) {
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    Simulator(silent); // named; probed quietly at the start
    test::CAnnouncedPorts watch;
    watch.Announce(m_strPort); // plugged in again while zoltctl waits: probed again, in silence
    const ctl::SCtlLink link{m_clock, &m_opener, true, &watch};
    EXPECT_EQ(ctl::Run({"--port", m_strPort, "--wait", "2", "probe"}, link, m_out, m_err, false),
              ctl::kExitLink);
    EXPECT_EQ(m_err.str(), "zoltctl: waiting up to 2 s for a processor to be plugged in\n"
                           "zoltctl: Unable to Open Device!\n"
                           "zoltctl: no processor answered within 2 s\n");
    EXPECT_GE(Commands().size(), 6u); // two probes of three transmissions
    EXPECT_EQ(Ctl({"--wait", "-1", "probe"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"--wait", "0", "probe"}), ctl::kExitLink); // no wait: as without --wait
    EXPECT_EQ(m_err.str().find("waiting"), std::string::npos);
}

TEST_F(Zoltctl, NoDeviceAndUsageAndFileErrors) {
    EXPECT_EQ(Ctl({"--port", "/dev/ttyNoSuchPort7", "probe"}), ctl::kExitLink);
    EXPECT_NE(m_err.str().find("Unable to Open Device!"), std::string::npos);
    EXPECT_NE(m_err.str().find("/dev/ttyNoSuchPort7: no such device"), std::string::npos);

    EXPECT_EQ(Ctl({}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"frobnicate"}), ctl::kExitUsage);
    EXPECT_EQ(m_err.str().rfind("zoltctl: unknown command 'frobnicate'; the commands: ports probe "
                                "backup restore pull push recall store dump diff status eq\n",
                                0),
              0u)
        << m_err.str();
    EXPECT_EQ(Ctl({"store", "17", "x"}), ctl::kExitUsage); // 17..21 are never stored
    EXPECT_EQ(Ctl({"store", "2", "a name longer than twenty"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"recall", "0"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"--bogus", "ports"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"restore", (m_dir / "missing.dat").string()}), ctl::kExitFile);
    WriteFile(m_dir / "short.dia", Bytes(100));
    EXPECT_EQ(Ctl({"push", (m_dir / "short.dia").string()}), ctl::kExitFile);
    EXPECT_EQ(Ctl({"dump", (m_dir / "short.dia").string()}), ctl::kExitFile);
}

// A mistyped command is named with the command it most likely meant; a command given the
// wrong words or options says which, with its synopsis, not the whole usage.
TEST_F(Zoltctl, AMistypedCommandNamesTheNearestOne) {
    const struct {
        std::vector<std::string> m_aArgs;
        const char* m_pszFirstLine;
    } kCases[] = {
        {{"bakcup", "x.dat"}, "zoltctl: unknown command 'bakcup'; did you mean 'backup'?"},
        {{"restor", "x.dat"}, "zoltctl: unknown command 'restor'; did you mean 'restore'?"},
        {{"Dump", "x.dia"}, "zoltctl: unknown command 'Dump'; did you mean 'dump'?"},
        {{"stauts"}, "zoltctl: unknown command 'stauts'; did you mean 'status'?"},
        {{"qe", "export"}, "zoltctl: unknown command 'qe'; did you mean 'eq'?"},
        {{"backup"}, "zoltctl: backup: missing arguments"},
        {{"probe", "now"}, "zoltctl: probe: too many arguments"},
        {{"dump", "--verify", "--raw", "x.dia"}, "zoltctl: dump does not take --raw --verify"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(Ctl(c.m_aArgs), ctl::kExitUsage);
        const std::string err = m_err.str();
        EXPECT_EQ(err.substr(0, err.find('\n')), c.m_pszFirstLine) << err;
        EXPECT_EQ(err.find("commands:"), std::string::npos) << "not the whole usage: " << err;
    }
    Ctl({"backup"});
    EXPECT_NE(m_err.str().find("usage: zoltctl [OPTIONS] backup FILE, backup --all DIR\n"),
              std::string::npos)
        << m_err.str();
}

// Each command that wrote or changed something ends with one line saying what and how long
// it took, also when standard error is no terminal (as here: no progress is drawn).
TEST_F(Zoltctl, ACommandThatSucceededSaysWhatItDidInOneLastLine) {
    Simulator();
    const std::string all = (m_dir / "venue").string();
    const std::string one = (m_dir / "one.dia").string();
    const struct {
        std::vector<std::string> m_aArgs;
        std::string m_strLine;
    } kCases[] = {
        {{"backup", all}, "backup: 21 modes and the system block written to " + all + ".dat in "},
        {{"restore", all + ".dat"},
         "restore: 21 modes and the system block sent from " + all + ".dat in "},
        {{"pull", one}, "pull: the working image written to " + one + " in "},
        {{"push", one}, "push: " + one + " sent as the working image in "},
        {{"recall", "3"}, "recall: mode 3 recalled in "},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(Ctl(c.m_aArgs), ctl::kExitDone) << m_err.str();
        const std::string err = m_err.str();
        const std::size_t last = err.rfind(c.m_strLine);
        ASSERT_NE(last, std::string::npos) << err;
        EXPECT_EQ(err.find('\n', last), err.size() - 1) << "the last line: " << err;
        EXPECT_EQ(err.substr(err.size() - 3), " s\n") << err;
        double seconds = 0;
        EXPECT_EQ(std::sscanf(err.c_str() + last + c.m_strLine.size(), "%lf", &seconds), 1);
        EXPECT_GT(seconds, 0.1) << "the link's time of the transfer: " << err;
    }
    // What fails or only reads ends with no such line.
    EXPECT_EQ(Ctl({"recall", "0"}), ctl::kExitUsage);
    EXPECT_EQ(m_err.str().find(" in "), std::string::npos) << m_err.str();
    EXPECT_EQ(Ctl({"dump", one}), ctl::kExitDone);
    EXPECT_TRUE(m_err.str().empty()) << m_err.str();
}

// The line as the programs before it took it: options before, between or after the words,
// values after a space or an equals sign; every option a command does not take refused.
TEST_F(Zoltctl, OptionsAnywhereOnTheLineHelpAndVersion) {
    // Not the fixture's simulator, so Ctl() adds no --port: the lines name it themselves.
    const std::string port = "processor";
    m_opener.Add(port);
    EXPECT_EQ(Ctl({"probe", "--port", port}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(Ctl({"--port=" + port, "--deadline=30", "probe"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "found " + port + " unlock=1\n");
    const std::string file = (m_dir / "modes.dat").string();
    WriteFile(m_dir / "modes.dat", sim::AllModesFile(sim::MakeFactoryState()));
    EXPECT_EQ(Ctl({"dump", file, "--json"}), ctl::kExitDone);
    EXPECT_EQ(m_out.str().front(), '{');
    EXPECT_EQ(Ctl({"--json", "dump", file}), ctl::kExitDone);
    EXPECT_EQ(m_out.str().front(), '{');
    EXPECT_EQ(Ctl({"--json", "probe", "--port", port}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"--deadline", "soon", "probe"}), ctl::kExitUsage);
    EXPECT_NE(m_err.str().find("--deadline"), std::string::npos) << m_err.str();
    EXPECT_EQ(Ctl({"--port"}), ctl::kExitUsage);

    EXPECT_EQ(Ctl({"--help"}), ctl::kExitDone);
    for (const char* text :
         {"Usage: zoltctl", "--port", "--deadline", "--wait", "--json", "--verify",
          "backup --all DIR", "diff [--raw] [--json] A B", "eq import", "exit codes:"}) {
        EXPECT_NE(m_out.str().find(text), std::string::npos) << text;
    }
    EXPECT_EQ(Ctl({"probe", "-h"}), ctl::kExitDone); // help wins, nothing is probed
    EXPECT_EQ(Ctl({"--version"}), ctl::kExitDone);
    EXPECT_TRUE(std::regex_match(m_out.str(), std::regex("zoltctl [0-9]+\\.[0-9]+\n")))
        << m_out.str();
    EXPECT_TRUE(m_err.str().empty());
}

TEST_F(Zoltctl, DumpNamesEveryFieldInItsUnits) {
    sim::SSimState state = sim::MakeFactoryState();
    state.m_abSystem[9] = 0x5A; // pitch 5 (-2), sensitivity 10 (no such entry)
    state.m_abSystem[10] = 40;
    std::uint8_t* band = state.m_aModes[2].data() + 568; // Music Left band 1
    SetU16(band, 204);                                   // 1000 Hz
    band[2] = 150;                                       // +6.0 dB
    WriteFile(m_dir / "all.dat", sim::AllModesFile(state));

    ASSERT_EQ(Ctl({"dump", (m_dir / "all.dat").string()}), ctl::kExitDone) << m_err.str();
    const std::string text = m_out.str();
    for (const char* line :
         {"kind: all modes\n", "  Mode name: Sim mode 21\n", "  System password: 123456\n",
          "  Music pitch: -2\n", "  Input sensitivity: (10)\n", "  AUDIO input gain: 10.0 dB\n",
          "  Music Left EQ band 1 frequency: 1000 Hz\n", "  Music Left EQ band 1 gain: 6.0 dB\n",
          "  Surround R delay (set 3): 0.0 ms\n", "  reserved byte 393: 0\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }

    Bytes one(state.m_abSystem.begin(), state.m_abSystem.end());
    one.insert(one.end(), state.m_aModes[2].begin(), state.m_aModes[2].end());
    WriteFile(m_dir / "one.dia", one);
    ASSERT_EQ(Ctl({"dump", "--json", (m_dir / "one.dia").string()}), ctl::kExitDone);
    const std::string json = m_out.str();
    EXPECT_EQ(json.front(), '{');
    EXPECT_NE(json.find("\"kind\": \"one mode\""), std::string::npos);
    EXPECT_NE(json.find("\"Music Left EQ band 1 gain\": {\"value\": 6.0, \"unit\": \"dB\", "
                        "\"raw\": \"96\"}"),
              std::string::npos);
    const nlohmann::json document = nlohmann::json::parse(json); // throws when it is no JSON
    EXPECT_EQ(document["kind"], "one mode");
    EXPECT_EQ(document["modes"].size(), 1u);
}

// True when text is valid UTF-8 and holds no control character but the line ends.
bool CleanUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        if ((c < 0x20 && c != '\n') || c == 0x7F || (c >= 0x80 && c < 0xC2) || c > 0xF4 ||
            i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

TEST_F(Zoltctl, DumpEscapesNamesAndPasswordsAndItsJsonIsValidUtf8) {
    struct {
        std::string_view name;
        const char* text; // the mode name line of the text dump
        const char* json; // the mode name's value in the JSON dump
    } const cases[] = {
        {"\x1b]0;owned\x07\nrm\x7f", "Mode name: \\x1B]0;owned\\x07\\x0Arm\\x7F\n",
         "{\"value\": \"\\\\x1B]0;owned\\\\x07\\\\x0Arm\\\\x7F\""},
        // a name in the Chinese Windows code page
        {"\xc4\xe3\xba\xc3 KTV", "Mode name: \\xC4\\xE3\\xBA\\xC3 KTV\n",
         "{\"value\": \"\\\\xC4\\\\xE3\\\\xBA\\\\xC3 KTV\""},
        {"话筒 \\ \"x\"", "Mode name: 话筒 \\\\ \"x\"\n",
         "{\"value\": \"话筒 \\\\\\\\ \\\"x\\\"\""},
    };
    const sim::SSimState state = sim::MakeFactoryState();
    for (const auto& c : cases) {
        Bytes file(state.m_abSystem.begin(), state.m_abSystem.end());
        std::copy_n("\r\n\t\x9b\x80\xff", 6, file.begin() + sysblock::kSystemCode);
        file.insert(file.end(), state.m_abImage.begin(), state.m_abImage.end());
        std::fill_n(file.begin() + kSystemSize, kNameSize, ' ');
        std::copy(c.name.begin(), c.name.end(), file.begin() + kSystemSize);
        WriteFile(m_dir / "odd name.dia", file);

        ASSERT_EQ(Ctl({"dump", (m_dir / "odd name.dia").string()}), ctl::kExitDone) << m_err.str();
        const std::string text = m_out.str();
        EXPECT_TRUE(CleanUtf8(text));
        EXPECT_NE(text.find(c.text), std::string::npos) << c.text;
        EXPECT_NE(text.find("System password: \\x0D\\x0A\\x09\\x9B\\x80\\xFF\n"),
                  std::string::npos);

        ASSERT_EQ(Ctl({"dump", "--json", (m_dir / "odd name.dia").string()}), ctl::kExitDone);
        const std::string json = m_out.str();
        EXPECT_TRUE(CleanUtf8(json));
        EXPECT_NE(json.find(c.json), std::string::npos) << c.json;
    }
}

// Runs zoltctl in a thread; a call that has not returned in time fails the test, and the
// FIFO it may wait on gets a writer so the thread can end.
int CtlWithin(std::function<int()> call, const fs::path& fifo) {
    auto result = std::async(std::launch::async, std::move(call));
    if (result.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
        ADD_FAILURE() << "zoltctl blocked";
        close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    return result.get();
}

TEST_F(Zoltctl, OnlyRegularPresetFilesOfEitherSizeAreRead) {
    ASSERT_EQ(mkfifo((m_dir / "pipe.dia").c_str(), 0600), 0);
    fs::create_directory(m_dir / "folder.dat");
    WriteFile(m_dir / "almost", Bytes(57018, 0));
    WriteFile(m_dir / "long.dia", Bytes(2779, 0));

    const std::string pipe = (m_dir / "pipe.dia").string();
    EXPECT_EQ(CtlWithin([&] { return Ctl({"dump", pipe}); }, pipe), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: " + pipe + ": is a pipe (FIFO), not a file\n");
    EXPECT_EQ(Ctl({"dump", (m_dir / "folder.dat").string()}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(),
              "zoltctl: " + (m_dir / "folder.dat").string() + ": is a folder, not a file\n");
    EXPECT_EQ(Ctl({"dump", "/dev/zero"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: /dev/zero: is a device, not a file\n");
    EXPECT_TRUE(m_out.str().empty());

    EXPECT_EQ(Ctl({"dump", (m_dir / "almost").string()}), ctl::kExitFile);
    EXPECT_NE(m_err.str().find("almost: 57018 bytes, neither a one-mode file (2778 bytes) nor an "
                               "all-modes file (57019 bytes)"),
              std::string::npos)
        << m_err.str();
    EXPECT_EQ(Ctl({"diff", (m_dir / "long.dia").string(), (m_dir / "long.dia").string()}),
              ctl::kExitFile);
    EXPECT_NE(m_err.str().find("2779 bytes"), std::string::npos) << m_err.str();
    EXPECT_EQ(CtlWithin([&] { return Ctl({"push", pipe}); }, pipe), ctl::kExitFile);
}

// Results that cannot be written (a full disk: /dev/full) are a file error, not success.
TEST_F(Zoltctl, OutputThatCannotBeWrittenIsAFileErrorNamingTheCause) {
    sim::SSimState state = sim::MakeFactoryState();
    const fs::path a = m_dir / "a.dat";
    const fs::path one = m_dir / "one.dia";
    WriteFile(a, sim::AllModesFile(state));
    Bytes image(state.m_abSystem.begin(), state.m_abSystem.end());
    image.insert(image.end(), state.m_abImage.begin(), state.m_abImage.end());
    WriteFile(one, image);
    state.m_abSystem[sysblock::kMusicMax] = 70;
    const fs::path b = m_dir / "b.dat";
    WriteFile(b, sim::AllModesFile(state));
    const std::vector<std::vector<std::string>> lines{
        {"dump", a.string()},
        {"dump", "--json", one.string()},
        {"diff", "--json", a.string(), b.string()},
        {"diff", a.string(), b.string()},
        {"eq", "export", one.string(), "music-left"},
        {"--help"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.front() + " " + line.back());
        std::ofstream full("/dev/full");
        ASSERT_TRUE(full.is_open());
        m_err.str("");
        EXPECT_EQ(ctl::Run(line, Link(), full, m_err, false), ctl::kExitFile);
        EXPECT_EQ(m_err.str(),
                  "zoltctl: the output could not be written: No space left on device\n");
    }
}

TEST_F(Zoltctl, DiffOfAFileWithItselfIsEmptyAndDifferencesAreNamedBlockByBlock) {
    sim::SSimState state = sim::MakeFactoryState();
    const fs::path a = m_dir / "a.dat";
    const fs::path b = m_dir / "b.dat";
    WriteFile(a, sim::AllModesFile(state));
    EXPECT_EQ(Ctl({"diff", a.string(), a.string()}), ctl::kExitDone);
    EXPECT_EQ(m_out.str(), "");

    state.m_abSystem[6] = 70;                               // Music max volume
    state.m_aModes[3][238 + 17 + 2 * 5 + 2] = 150;          // Mic 1&2 band 3 gain
    state.m_aModes[3][20 + 56] = 45;                        // Echo A repeat
    SetU16(state.m_aModes[7].data() + 1490 + 76 + 74, 125); // Out 3 delay, set 2
    WriteFile(b, sim::AllModesFile(state));
    EXPECT_EQ(Ctl({"diff", a.string(), b.string()}), ctl::kExitDiffers) << m_err.str();
    EXPECT_EQ(m_out.str(), "system: Music max volume: 84 -> 70\n"
                           "mode 3: Echo A repeat: 0 % -> 45 %\n"
                           "mode 3: Mic 1&2 EQ band 3 gain: -2.0 dB -> 6.0 dB\n"
                           "mode 7: Out 3 delay (set 2): 0.0 ms -> 12.5 ms\n");
    EXPECT_EQ(Ctl({"diff", "--raw", a.string(), b.string()}), ctl::kExitDiffers);
    EXPECT_NE(m_out.str().find("mode 7: Out 3 delay (set 2): 00 00 -> 7D 00\n"), std::string::npos)
        << m_out.str();

    EXPECT_EQ(Ctl({"diff", "--json", a.string(), b.string()}), ctl::kExitDiffers);
    const std::string json = m_out.str();
    EXPECT_NE(json.find("\"count\": 4"), std::string::npos);
    EXPECT_NE(
        json.find("\"mode\": 7,\n      \"block\": \"Output set 2\",\n      \"field\": \"Out 3 "
                  "delay (set 2)\",\n      \"a\": {\"value\": 0.0, \"unit\": \"ms\", "
                  "\"raw\": \"00 00\"},\n      \"b\": {\"value\": 12.5, \"unit\": \"ms\", "
                  "\"raw\": \"7D 00\"}"),
        std::string::npos)
        << json;

    EXPECT_EQ(Ctl({"diff", a.string()}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"diff", "-", "-"}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"diff", "--verify", a.string(), b.string()}), ctl::kExitUsage);
    EXPECT_EQ(Ctl({"diff", a.string(), (m_dir / "none.dia").string()}), ctl::kExitFile);
}

// Names that read the same up to a NUL and differ after it: the line shows the bytes.
TEST_F(Zoltctl, ADiffOfNamesThatDifferAfterANulShowsTheDifference) {
    sim::SSimState state = sim::MakeFactoryState();
    const auto name = [&state](std::string_view text) {
        std::fill_n(state.m_aModes[3].begin(), kNameSize, ' ');
        std::copy(text.begin(), text.end(), state.m_aModes[3].begin());
    };
    name(std::string_view("Party\0one", 9));
    WriteFile(m_dir / "a.dat", sim::AllModesFile(state));
    name(std::string_view("Party\0two", 9));
    WriteFile(m_dir / "b.dat", sim::AllModesFile(state));
    EXPECT_EQ(Ctl({"diff", (m_dir / "a.dat").string(), (m_dir / "b.dat").string()}),
              ctl::kExitDiffers);
    const std::string padding(kNameSize - 9, ' ');
    EXPECT_EQ(m_out.str(),
              "mode 3: Mode name: Party\\x00one" + padding + " -> Party\\x00two" + padding + "\n");
}

TEST_F(Zoltctl, ADiffAgainstTheProcessorNamesTheOneFieldTurnedOnItsPanel) {
    sim::CSimDevice& processor = Simulator();
    const std::string one = (m_dir / "one.dia").string();
    const std::string all = (m_dir / "all.dat").string();
    ASSERT_EQ(Ctl({"pull", one}), ctl::kExitDone) << m_err.str();
    ASSERT_EQ(Ctl({"backup", all}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(Ctl({"diff", one, "-"}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "");

    processor.Edit([](sim::SSimState& state) {
        state.m_abImage[image::kMusicLeft + music::kLowExciter + exciter::kTimbre] = 7;
        state.m_aModes[5][image::kReverb + effect::kWet] = 80;
    });
    EXPECT_EQ(Ctl({"diff", one, "-"}), ctl::kExitDiffers) << m_err.str();
    EXPECT_EQ(m_out.str(), "image: Music Left low exciter timbre: 0 -> 7\n");
    EXPECT_EQ(Ctl({"diff", "-", all}), ctl::kExitDiffers) << m_err.str();
    EXPECT_EQ(m_out.str(), "mode 5: Reverb wet volume: 80 % -> 50 %\n");
}

TEST_F(Zoltctl, VerifiedTransfersCatchAWriteTheProcessorDropped) {
    sim::SSimState edited = sim::MakeFactoryState();
    for (std::size_t mode = 1; mode <= kModeCount; ++mode) {
        edited.m_aModes[mode][image::kEchoB + effect::kRepeat] = static_cast<std::uint8_t>(mode);
    }
    const fs::path file = m_dir / "edited.dat";
    WriteFile(file, sim::AllModesFile(edited));

    Simulator();
    ASSERT_EQ(Ctl({"restore", "--verify", file.string()}), ctl::kExitDone) << m_err.str();
    EXPECT_EQ(m_out.str(), "verify: the processor holds every field of " + file.string() + "\n");

    sim::SSimFaults faults;
    faults.m_nDropWrite = 5; // mode 5's frame is acknowledged but not stored
    Simulator(faults);
    EXPECT_EQ(Ctl({"restore", "--verify", file.string()}), ctl::kExitCompare);
    EXPECT_EQ(m_out.str(), "mode 5: Echo B repeat: 5 % -> 0 %\nverify: 1 field differs between " +
                               file.string() + " and the processor\n");
    EXPECT_EQ(m_err.str().find("verify:"), std::string::npos) << "a result, not an error";

    ASSERT_EQ(Ctl({"pull", (m_dir / "one.dia").string()}), ctl::kExitDone) << m_err.str();
    Bytes one = ReadFile(m_dir / "one.dia");
    one[66 + image::kMic34 + mic::kLevel] = 33;
    WriteFile(m_dir / "one.dia", one);
    faults.m_nDropWrite = 1;
    Simulator(faults);
    EXPECT_EQ(Ctl({"push", "--verify", (m_dir / "one.dia").string()}), ctl::kExitCompare);
    EXPECT_NE(m_out.str().find("image: Mic 3&4 level: 6.5 dB -> 5.0 dB\n"), std::string::npos)
        << m_out.str();
    EXPECT_EQ(Ctl({"push", "--verify", (m_dir / "one.dia").string()}), ctl::kExitDone)
        << m_err.str() << m_out.str();
}

TEST_F(Zoltctl, BackupAllWritesOneFilePerProcessorAndNamesTheSilentPort) {
    sim::SSimState second = sim::MakeFactoryState();
    second.m_abSystem[sysblock::kMusicMax] = 60;
    sim::SSimFaults silent;
    silent.m_bSilent = true;
    const std::vector<std::string> ports{"first", "silent", "second"};
    std::vector<sim::CSimDevice*> processors{&m_opener.Add(ports[0]),
                                             &m_opener.Add(ports[1], silent),
                                             &m_opener.Add(ports[2], {}, second)};
    const fs::path dir = m_dir / "venue";
    std::vector<std::string> args;
    for (const std::string& port : ports) {
        args.insert(args.end(), {"--port", port});
    }
    args.insert(args.end(), {"backup", "--all", dir.string()});
    EXPECT_EQ(ctl::Run(args, Link(), m_out, m_err, false), ctl::kExitLink);

    const std::string& silentPort = ports[1];
    const std::string out = m_out.str();
    EXPECT_NE(out.find(silentPort + ": failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("2 of 3 ports backed up; failed: " + silentPort + "\n"), std::string::npos)
        << out;
    std::vector<fs::path> files(fs::directory_iterator(dir), {});
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 2u);
    for (std::size_t i : {0u, 2u}) {
        const std::string name = ports[i];
        const fs::path file = *std::find_if(files.begin(), files.end(), [&](const fs::path& f) {
            return f.filename().string().rfind(name + "-", 0) == 0;
        });
        EXPECT_TRUE(std::regex_match(file.filename().string(),
                                     std::regex(name + "-[0-9]{4}-[0-9]{2}-[0-9]{2}\\.dat")))
            << file;
        EXPECT_EQ(ReadFile(file), sim::AllModesFile(processors[i]->State())) << file;
        EXPECT_NE(out.find(ports[i] + ": backed up to " + file.string() + "\n"), std::string::npos)
            << out;
    }
}

// A stream that runs a step the first time something is written to it: here, while the
// transfer draws its progress.
class CFirstWrite final : public std::streambuf {
public:
    explicit CFirstWrite(std::function<void()> step) : m_step(std::move(step)) {}

protected:
    int overflow(int ch) override {
        if (m_step) {
            std::exchange(m_step, nullptr)();
        }
        return ch;
    }

private:
    std::function<void()> m_step;
};

// backup --all never replaces a file: a second run the same day, two ports of one name and
// a file that appears under the chosen name during the transfer each get a name of their
// own, and the line says which.
TEST_F(Zoltctl, BackupAllNeverReplacesAFileAndSaysWhichItWrote) {
    m_opener.Add("a/tty0");
    m_opener.Add("b/tty0");
    const fs::path dir = m_dir / "venue";
    const std::vector<std::string> args{"--port", "a/tty0", "--port",    "b/tty0",
                                        "backup", "--all",  dir.string()};
    ASSERT_EQ(ctl::Run(args, Link(), m_out, m_err, false), ctl::kExitDone) << m_err.str();
    const std::string first = m_out.str();
    m_out.str("");
    const Bytes taken(7, 'x');
    CFirstWrite hook([&] {
        for (const auto& entry : fs::directory_iterator(dir)) {
            // The name the third backup of a/tty0 takes, made while it reads.
            const std::string name = entry.path().filename().string();
            if (name.size() == 19 && name.rfind("tty0-", 0) == 0) {
                WriteFile(dir / (name.substr(0, 15) + "-3.dat"), taken);
                return;
            }
        }
    });
    std::ostream progress(&hook);
    ASSERT_EQ(ctl::Run(args, Link(), m_out, progress, true), ctl::kExitDone);
    const std::string second = m_out.str();

    std::vector<fs::path> files(fs::directory_iterator(dir), {});
    ASSERT_EQ(files.size(), 5u);
    const std::string stem =
        std::min_element(files.begin(), files.end(),
                         [](auto& x, auto& y) { return x.string().size() < y.string().size(); })
            ->stem()
            .string(); // tty0-<date>
    EXPECT_TRUE(std::regex_match(stem, std::regex("tty0-[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << stem;
    const auto path = [&](const char* suffix) { return (dir / (stem + suffix)).string(); };
    EXPECT_EQ(first, "a/tty0: backed up to " + path(".dat") + "\nb/tty0: backed up to " +
                         path("-2.dat") + "\n2 of 2 ports backed up\n");
    EXPECT_EQ(second, "a/tty0: backed up to " + path("-4.dat") + "\nb/tty0: backed up to " +
                          path("-5.dat") + "\n2 of 2 ports backed up\n");
    EXPECT_EQ(ReadFile(path("-3.dat")), taken);
    for (const char* suffix : {".dat", "-2.dat", "-4.dat", "-5.dat"}) {
        EXPECT_EQ(ReadFile(path(suffix)), sim::AllModesFile(sim::MakeFactoryState())) << suffix;
    }
}

// Where the file cannot be written is found out before the transfer, not after it, and
// the message names the folder when the folder is to blame.
TEST_F(Zoltctl, ABackupDestinationIsCheckedBeforeTheTransferAndAFolderIsNamed) {
    sim::CSimDevice& processor = Simulator();
    const std::string missing = (m_dir / "no" / "such").string();
    EXPECT_EQ(Ctl({"backup", missing + "/all.dat"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: " + missing + "/all.dat: the folder " + missing +
                               " cannot be written: No such file or directory\n");
    // A folder nobody may write, not even root.
    EXPECT_EQ(Ctl({"backup", "/sys/all.dat"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: /sys/all.dat: the folder /sys cannot be written: "
                           "Permission denied\n");
    EXPECT_EQ(Ctl({"pull", "/sys/one"}), ctl::kExitFile);
    EXPECT_EQ(m_err.str().rfind("zoltctl: /sys/one.dia: the folder /sys cannot be written", 0), 0u)
        << m_err.str();
    EXPECT_EQ(Ctl({"backup", "--all", "/sys"}), ctl::kExitFile);
    EXPECT_NE(m_err.str().find(": the folder /sys cannot be written: Permission denied\n"),
              std::string::npos)
        << m_err.str();
    EXPECT_TRUE(processor.Frames().empty());

    // A path in a message is escaped like a name.
    EXPECT_EQ(Ctl({"dump", (m_dir / "odd\x1b]0;name\x07.dat").string()}), ctl::kExitFile);
    EXPECT_EQ(m_err.str(), "zoltctl: " + m_dir.string() +
                               "/odd\\x1B]0;name\\x07.dat: No such file or directory\n");
}

// The programs themselves, as a user runs them.
using test::RunProgram;

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
    EXPECT_EQ(RunProgram(bin + "/zoltctl --help 2>&1 >/dev/full", status),
              "zoltctl: the output could not be written: No space left on device\n");
    EXPECT_EQ(WEXITSTATUS(status), 3);
    for (const std::string program : {"zoltctl", "zolt-sim"}) {
        EXPECT_NE(RunProgram(bin + "/" + program + " --help", status).find("Usage: " + program),
                  std::string::npos);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(std::regex_match(RunProgram(bin + "/" + program + " --version", status),
                                     std::regex(program + " [0-9]+\\.[0-9]+\n")));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    RunProgram(bin + "/zolt-sim --unlock 2 2>&1", status);
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(RunProgram(bin + "/zolt-sim --delay soon 2>&1", status).find("--delay"),
              std::string::npos);
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
} // namespace zolt
