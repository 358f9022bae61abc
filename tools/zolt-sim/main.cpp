// zolt-sim: a simulated processor on a pseudo-terminal, for the program, zoltctl and tests.
// Prints "zolt-sim: listening on <pty path>" first and serves until SIGINT or SIGTERM.
#include "sim/SimServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

using namespace zolt::sim;

namespace {

constexpr const char* kUsage =
    "usage: zolt-sim [--link PATH] [--log FILE] [--unlock 0|1] [--load FILE.dat]\n"
    "                [--silent] [--reject-first N] [--reject-every N] [--bad-sum-every N]\n"
    "                [--noise N] [--delay MS] [--bulk-delay MS] [--overlap] [--answer-early]\n"
    "                [--trickle MS] [--lose-answer N]... [--wrong-mode N]\n"
    "                [--wrong-mode-times N] [--hang-up-after N] [--drop-write N]\n"
    "                [--probe-ack] [--no-pacing]\n";

struct SArguments {
    std::string m_strLink;
    std::string m_strLoad;
    int m_nUnlock = -1;
    SSimFaults m_faults;
    SSimOptions m_options{{}, kLineByteMicros, false};
};

bool ParseCount(const char* text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || n < 0 || n > 1000000) {
        return false;
    }
    value = static_cast<int>(n);
    return true;
}

// The options that take a count, and where each one goes.
struct SCountOption {
    std::string_view m_strName;
    int SArguments::*m_pTop;
    int SSimFaults::*m_pFault;
};
constexpr SCountOption kCountOptions[] = {
    {"--unlock", &SArguments::m_nUnlock, nullptr},
    {"--reject-first", nullptr, &SSimFaults::m_nRejectFirst},
    {"--reject-every", nullptr, &SSimFaults::m_nRejectEvery},
    {"--bad-sum-every", nullptr, &SSimFaults::m_nBadSumEvery},
    {"--noise", nullptr, &SSimFaults::m_nNoiseBytes},
    {"--delay", nullptr, &SSimFaults::m_nDelayMs},
    {"--bulk-delay", nullptr, &SSimFaults::m_nBulkDelayMs},
    {"--trickle", nullptr, &SSimFaults::m_nTrickleMs},
    {"--wrong-mode", nullptr, &SSimFaults::m_nWrongMode},
    {"--wrong-mode-times", nullptr, &SSimFaults::m_nWrongModeTimes},
    {"--hang-up-after", nullptr, &SSimFaults::m_nHangUpAfter},
    {"--drop-write", nullptr, &SSimFaults::m_nDropWrite},
};

bool ParseCountOption(SArguments& args, std::string_view name, const char* value) {
    for (const SCountOption& option : kCountOptions) {
        if (option.m_strName == name) {
            int& target = option.m_pTop ? args.*option.m_pTop : args.m_faults.*option.m_pFault;
            return ParseCount(value, target);
        }
    }
    return false;
}

bool Parse(int argc, char** argv, SArguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--silent") {
            args.m_faults.m_bSilent = true;
        } else if (arg == "--probe-ack") {
            args.m_faults.m_bProbeAck = true;
        } else if (arg == "--answer-early") {
            args.m_faults.m_bAnswerEarly = true;
        } else if (arg == "--overlap") {
            args.m_faults.m_bOverlap = true;
        } else if (arg == "--no-pacing") {
            args.m_options.m_dByteMicros = 0;
        } else if (i + 1 >= argc) {
            return false;
        } else if (arg == "--link") {
            args.m_strLink = argv[++i];
        } else if (arg == "--log") {
            args.m_options.m_strLogPath = argv[++i];
        } else if (arg == "--load") {
            args.m_strLoad = argv[++i];
        } else if (arg == "--lose-answer") {
            int frame = 0;
            if (!ParseCount(argv[++i], frame)) {
                return false;
            }
            args.m_faults.m_anLoseAnswers.push_back(frame);
        } else if (!ParseCountOption(args, arg, argv[++i])) {
            return false;
        }
    }
    return args.m_nUnlock <= 1 && args.m_faults.m_nWrongMode <= static_cast<int>(zolt::kModeCount);
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
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("zolt-sim " ZOLT_VERSION);
        return 0;
    }
    SArguments args;
    if (!Parse(argc, argv, args)) {
        std::fputs(kUsage, stderr);
        return 2;
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
