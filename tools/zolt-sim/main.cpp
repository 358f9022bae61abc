// zolt-sim: a simulated processor on a pseudo-terminal, for the program, zoltctl and tests.
// Prints "zolt-sim: listening on <pty path>" first and serves until SIGINT or SIGTERM.
#include "sim/SimServer.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace zolt::sim;

namespace {

struct SArguments {
    std::string m_strLink;
    std::string m_strLoad;
    int m_nUnlock = -1;
    SSimFaults m_faults;
    SSimOptions m_options{{}, kLineByteMicros, false};
};

constexpr int kMaxCount = 1000000;

// The faults that take a number, where each one goes and what it does.
struct SCountFault {
    const char* m_pszName;
    const char* m_pszValue;
    int SSimFaults::*m_pFault;
    int m_nMax;
    const char* m_pszHelp;
};
constexpr SCountFault kCountFaults[] = {
    {"--reject-first", "N", &SSimFaults::m_nRejectFirst, kMaxCount,
     "answer the first N frames with status 2, not applying them"},
    {"--reject-every", "N", &SSimFaults::m_nRejectEvery, kMaxCount,
     "answer every Nth frame with status 2, not applying it"},
    {"--bad-sum-every", "N", &SSimFaults::m_nBadSumEvery, kMaxCount,
     "send every Nth answer with a wrong sum"},
    {"--noise", "N", &SSimFaults::m_nNoiseBytes, kMaxCount,
     "send N bytes that are no frame before every answer"},
    {"--delay", "MS", &SSimFaults::m_nDelayMs, kMaxCount,
     "wait MS before each answer, busy meanwhile"},
    {"--bulk-delay", "MS", &SSimFaults::m_nBulkDelayMs, kMaxCount,
     "wait MS more before answering a bulk frame"},
    {"--trickle", "MS", &SSimFaults::m_nTrickleMs, kMaxCount,
     "send answers one byte at a time, MS apart"},
    {"--wrong-mode", "N", &SSimFaults::m_nWrongMode, static_cast<int>(zolt::kModeCount),
     "label the reply to a read of mode N with mode N+1"},
    {"--wrong-mode-times", "K", &SSimFaults::m_nWrongModeTimes, kMaxCount,
     "only the first K such reads (0: every one)"},
    {"--hang-up-after", "N", &SSimFaults::m_nHangUpAfter, kMaxCount,
     "close the line after answering N frames"},
    {"--drop-write", "N", &SSimFaults::m_nDropWrite, kMaxCount,
     "acknowledge the Nth whole-mode or system-block write without storing it"},
};

// The faults that are switched on.
struct SSwitchFault {
    const char* m_pszName;
    bool SSimFaults::*m_pFault;
    const char* m_pszHelp;
};
constexpr SSwitchFault kSwitchFaults[] = {
    {"--silent", &SSimFaults::m_bSilent, "never answer"},
    {"--overlap", &SSimFaults::m_bOverlap,
     "take the next frames while earlier answers wait (the delays lie on the way)"},
    {"--answer-early", &SSimFaults::m_bAnswerEarly,
     "answer as soon as a frame is read, before its last byte would have crossed the line"},
    {"--probe-ack", &SSimFaults::m_bProbeAck, "answer the probe with a bare acknowledgement"},
};

void DefineOptions(CLI::App& app, SArguments& args) {
    app.set_version_flag("--version", "zolt-sim " ZOLT_VERSION, "print the version and exit");
    app.set_help_flag("-h,--help", "print these options and exit");
    app.add_option("--link", args.m_strLink, "also reach the pseudo-terminal through this link")
        ->type_name("PATH");
    app.add_option("--log", args.m_options.m_strLogPath,
                   "one line per received frame: milliseconds, bytes in hex, command name")
        ->type_name("FILE");
    app.add_option("--unlock", args.m_nUnlock, "start without (0) or with (1) the save permission")
        ->type_name("0|1")
        ->check(CLI::Range(0, 1).description(""));
    app.add_option("--load", args.m_strLoad, "start with the modes and settings of this file")
        ->type_name("FILE.dat");
    app.add_flag_callback(
        "--no-pacing", [&args] { args.m_options.m_dByteMicros = 0; },
        "send at once instead of at the line rate");
    for (const SSwitchFault& fault : kSwitchFaults) {
        app.add_flag(fault.m_pszName, args.m_faults.*fault.m_pFault, fault.m_pszHelp)
            ->group("Faults");
    }
    for (const SCountFault& fault : kCountFaults) {
        app.add_option(fault.m_pszName, args.m_faults.*fault.m_pFault, fault.m_pszHelp)
            ->type_name(fault.m_pszValue)
            ->check(CLI::Range(0, fault.m_nMax).description(""))
            ->group("Faults");
    }
    app.add_option("--lose-answer", args.m_faults.m_anLoseAnswers,
                   "apply frame N but lose its answer (repeatable)")
        ->type_name("N")
        ->check(CLI::Range(0, kMaxCount).description(""))
        ->group("Faults");
}

// Fills args from the command line; false with the exit code when the program is done
// (help or version printed: 0; a line not understood: 2, with the reason).
bool Parse(int argc, char** argv, SArguments& args, int& exitCode) {
    CLI::App app("A simulated processor on a pseudo-terminal. Its first line says where it "
                 "listens; it serves until SIGINT or SIGTERM.",
                 "zolt-sim");
    DefineOptions(app, args);
    try {
        app.parse(argc, argv);
        return true;
    } catch (const CLI::CallForHelp& e) {
        exitCode = app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        exitCode = app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "zolt-sim: %s\nzolt-sim --help lists the options\n", e.what());
        exitCode = 2;
    }
    return false;
}

// Points PATH at the pseudo-terminal, replacing an earlier link but never another file.
bool MakeLink(const std::string& link, const std::string& target) {
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "zolt-sim: %s: %s\n", link.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    SArguments args;
    int exitCode = 0;
    if (!Parse(argc, argv, args, exitCode)) {
        return exitCode;
    }
    SSimState state = MakeFactoryState();
    std::string error;
    if (!args.m_strLoad.empty() && !LoadAllModesFile(args.m_strLoad, state, error)) {
        std::fprintf(stderr, "zolt-sim: %s\n", error.c_str());
        return 3;
    }
    if (args.m_nUnlock >= 0) {
        state.m_bUnlock = args.m_nUnlock == 1;
    }

    // The serving thread must not take the signals: block them before it starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CSimServer server(args.m_faults, state, args.m_options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "zolt-sim: %s\n", error.c_str());
        return 1;
    }
    if (!args.m_strLink.empty() && !MakeLink(args.m_strLink, server.Path())) {
        return 1;
    }
    std::printf("zolt-sim: listening on %s\n", server.Path().c_str());
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    if (!args.m_strLink.empty()) {
        unlink(args.m_strLink.c_str());
    }
    return 0;
}
