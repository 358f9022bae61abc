#include "Ctl.h"

#include "Diff.h"
#include "Dump.h"
#include "Eq.h"
#include "Venue.h"

#include "link/NetworkPort.h"
#include "link/PresetCompare.h"
#include "link/PresetFiles.h"
#include "link/Session.h"
#include "link/TaskQueue.h"
#include "link/TransferCheck.h"
#include "model/Command.h"
#include "model/DataConver.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sstream>

namespace zolt::ctl {

namespace {

constexpr const char* kUsageLine =
    "usage: zoltctl [--port PATH]... [--venue FILE [--room NAME]] [--deadline SECONDS]\n"
    "               [--wait SECONDS] COMMAND\n";
// The commands, after the usage line (a command not understood) or the options (--help).
constexpr const char* kCommandHelp =
    "commands:\n"
    "  ports                list the candidate ports: path, description, usb or -\n"
    "  probe                find the processor\n"
    "  backup FILE          read all 21 modes into an all-modes file (.dat)\n"
    "  backup --all DIR     back up every processor on every port into DIR, one file each\n"
    "                       (with --venue: every room, eight at once)\n"
    "  restore [--verify] FILE\n"
    "                       send an all-modes file to the processor (and read it back)\n"
    "  pull FILE            read the working image into a one-mode file (.dia)\n"
    "  push [--verify] FILE send a one-mode file as the working image (and read it back)\n"
    "  recall N             recall mode N (1..21)\n"
    "  store N NAME         store the working image as mode N (1..16) named NAME\n"
    "                       (printable ASCII, at most 20 characters)\n"
    "  restore, push, store --dry-run ...\n"
    "                       print what the command would change, write nothing\n"
    "  status [--against DIR] [--json]\n"
    "                       the processor found (with --venue: every room): reachable or\n"
    "                       why not, the mode it plays, and against the newest backup in\n"
    "                       DIR: same, or how many settings differ\n"
    "  dump [--json] FILE   describe every field of a .dia or .dat file\n"
    "  diff [--raw] [--json] A B\n"
    "                       compare two presets field by field (.dia, .dat, - for the\n"
    "                       processor); exit 0 same, 1 different\n"
    "  eq import FILE[:MODE] BLOCK LIST   read a filter list into an equaliser of the file\n"
    "  eq export FILE[:MODE] BLOCK        print an equaliser of the file as a filter list\n"
    "  eq fit FILE[:MODE] BLOCK MEASUREMENT [--target FILE | --house BASS_DB,TILT_DB]\n"
    "         [--from HZ] [--to HZ] [--bands N]\n"
    "                       fit an equaliser of the file to a measured response\n"
    "      BLOCK: music-left, music-right, mic-1-2, mic-3-4, echo-a, echo-b, reverb,\n"
    "      out-1..out-4, center, sub, surround-l, surround-r, music-left-deq, music-right-deq\n"
    "exit codes: 0 done, 1 no device, the link failed or the deadline passed, 2 usage,\n"
    "            3 file error, 4 diff could not read the processor, or --verify found\n"
    "            differences, 5 a restore stopped part way (the processor holds a mix)\n";

using namespace std::chrono_literals;

// The window's part for a command line: runs the session's work on the main thread, says
// message boxes as lines on standard error, draws progress as a bar, and counts what the
// commands wait for.
class CCtlHost final : public CQueuedHost {
public:
    CCtlHost(std::ostream& err, bool progress) : m_err(err), m_bProgress(progress) {}

    void ProgressStart(int total) override { m_nTotal = total; }
    void ProgressStep(int step, std::uint8_t, std::uint8_t) override {
        if (!m_bProgress || m_nTotal <= 0) {
            return;
        }
        constexpr int kWidth = 40;
        const int filled = step * kWidth / m_nTotal;
        m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << step << "/"
              << m_nTotal << (step >= m_nTotal ? "\n" : "") << std::flush;
    }
    void MessageBox(std::string_view text, std::string_view) override { Say(text); }
    void ProbeAnswered() override { m_bProbeAnswered = true; }
    void ImageReplaced() override { ++m_nImagesReplaced; }
    void AllModesRead() override { ++m_nAllModesRead; }

    // Every line of text on its own line of standard error.
    void Say(std::string_view text) {
        while (!text.empty() && text.back() == '\n') {
            text.remove_suffix(1);
        }
        for (;;) {
            const std::size_t end = text.find('\n');
            m_err << "zoltctl: " << text.substr(0, end) << '\n';
            if (end == std::string_view::npos) {
                break;
            }
            text.remove_prefix(end + 1);
        }
        m_err << std::flush;
    }

    bool m_bProbeAnswered = false;
    int m_nImagesReplaced = 0;
    int m_nAllModesRead = 0;

private:
    std::ostream& m_err;
    bool m_bProgress;
    int m_nTotal = 0;
};

// How long a command waits for a processor to be plugged in, and what tells it one was.
struct SWait {
    std::chrono::seconds m_time{0}; // 0: no wait, the lookup alone decides
    CPortWatch* m_pWatch = nullptr;
};

// One connection to the processor for one command, within the command's deadline (which
// starts after the wait): the session, and the main thread waiting for what it reports.
class CCtlSession {
public:
    CCtlSession(const std::vector<std::string>& ports, const SCtlLink& link,
                std::chrono::seconds deadline, std::ostream& err, bool progress, SWait wait = {})
        : m_clock(link.m_clock), m_bStepped(link.m_bStepped), m_deadline(deadline), m_wait(wait),
          m_tEnd(m_clock.Now() + wait.m_time + deadline), m_host(err, progress),
          m_session(m_host, {&m_clock, link.m_pOpener, link.m_bStepped, ports, !ports.empty()}) {}

    CSession& Session() { return m_session; }
    CDeviceLink& Link() { return m_session.Link(); }
    CCtlHost& Host() { return m_host; }
    const std::string& Port() const { return m_session.Connection().PortInUse(); }

    // The lookup, then (with readBack) the read-back of names, system block and image.
    // A lookup that fails has said why ("Unable to Open Device!" and a line per port); so
    // has a device that only acknowledged the probe.
    bool Connect(bool readBack) {
        const bool found = m_wait.m_pWatch != nullptr ? WaitForProcessor() : Lookup(false);
        if (!found || !m_host.m_bProbeAnswered) {
            return false;
        }
        return !readBack || WaitUntil([this] { return m_host.m_nImagesReplaced > 0; });
    }

    // Runs the link and the session's work until done() holds (true), or the link fails or
    // the deadline passes (false).
    bool WaitUntil(const std::function<bool()>& done) {
        for (;;) {
            if (m_bFailed || !m_session.Online()) {
                return false;
            }
            if (m_clock.Now() >= m_tEnd) {
                GiveUp();
                return false;
            }
            if (done()) {
                m_host.RunTasks(Milliseconds{0}); // a failure reported just before
                return !m_bFailed && m_session.Online();
            }
            if (m_bStepped) {
                m_session.Turn();
                m_host.RunTasks(Milliseconds{0});
            } else {
                m_host.RunTasks(Milliseconds{20});
            }
        }
    }

    // Reads all 21 modes into the preset store (with the system block in slot 0).
    bool ReadAllModes() {
        const int before = m_host.m_nAllModesRead;
        m_session.ReadAllModes();
        return WaitUntil([&] { return m_host.m_nAllModesRead > before; });
    }

    // Runs a check's read-back until what it asked for is in.
    bool ReadBack(const CTransferCheck& check) {
        const int modes = m_host.m_nAllModesRead;
        const int images = m_host.m_nImagesReplaced;
        Link().SetReadPurpose(EReadPurpose::Check);
        check.ReadBack(m_session);
        return WaitUntil([&] {
            return check.AllModes() ? m_host.m_nAllModesRead > modes
                                    : m_host.m_nImagesReplaced > images;
        });
    }

    // Every command queued so far has been answered, and no store or recall waits.
    bool WaitDrained() {
        const std::size_t queued = Link().FramesAppended();
        return WaitUntil([&] { return m_session.CommandsAnswered() >= queued; });
    }

private:
    // True when a port answered the probe, or only acknowledged it: the lookup is over.
    bool Lookup(bool quiet) {
        m_bFailed = false;
        m_session.Lookup(quiet);
        return LookupOver();
    }
    bool LookupOver() {
        return WaitUntil([] { return !g_flags.m_bLookup.load(); });
    }

    // A quiet lookup, then the ports plugged in are probed as they appear, until one
    // answers or the wait is over. The wait counts from the end of the lookup, and the
    // deadline from the end of the wait.
    bool WaitForProcessor() {
        if (Lookup(true)) {
            return true;
        }
        m_host.Say("waiting up to " + std::to_string(m_wait.m_time.count()) +
                   " s for a processor to be plugged in");
        const Milliseconds tGiveUp = m_clock.Now() + m_wait.m_time;
        m_tEnd = tGiveUp + m_deadline;
        for (Milliseconds left = tGiveUp - m_clock.Now(); left > Milliseconds{0};
             left = tGiveUp - m_clock.Now()) {
            if (PortsPlugged(std::min<Milliseconds>(left, Milliseconds{200}))) {
                m_bFailed = false;
                m_session.OnPortsAdded(m_wait.m_pWatch->TakeAdded());
                if (LookupOver() && m_session.Online()) {
                    return true;
                }
            }
        }
        m_session.Connection().ShowUnableToOpen("no processor answered within " +
                                                std::to_string(m_wait.m_time.count()) + " s");
        return false;
    }

    // Waits up to timeout for the watch to report ports (in virtual time a look and the
    // time passing).
    bool PortsPlugged(Milliseconds timeout) {
        pollfd plugged{m_wait.m_pWatch->Fd(), POLLIN, 0};
        const bool ready =
            poll(&plugged, 1, m_bStepped ? 0 : static_cast<int>(timeout.count())) > 0;
        if (m_bStepped && !ready) {
            m_clock.Sleep(timeout);
        }
        return ready;
    }

    // The deadline has passed: says so, and what a transfer of all modes had done.
    void GiveUp() {
        m_host.Say("no result within " + std::to_string(m_deadline.count()) +
                   " s; giving up (the processor answers too slowly or not at all)");
        const std::string transfer = TransferText(Link().Transfer());
        if (!transfer.empty()) {
            m_host.Say(transfer);
        }
        m_bFailed = true;
    }

    CClock& m_clock;
    bool m_bStepped;
    std::chrono::seconds m_deadline;
    SWait m_wait;
    Milliseconds m_tEnd;
    CCtlHost m_host;
    CSession m_session;
    bool m_bFailed = false;
};

// The options without a value, as bits; each command names those it takes.
enum EFlag : unsigned { kJson = 1, kRaw = 2, kVerify = 4, kAll = 8, kDryRun = 16, kAgainst = 32 };
struct SFlagName {
    const char* m_pszName;
    EFlag m_eFlag;
    const char* m_pszHelp;
};
constexpr SFlagName kFlagNames[] = {
    {"--json", kJson, "dump, diff, status, restore/push --verify: write JSON"},
    {"--raw", kRaw, "diff, --verify: the differing bytes in hex"},
    {"--verify", kVerify, "restore, push: read back and compare"},
    {"--all", kAll, "backup: every processor on every port"},
    {"--dry-run", kDryRun, "restore, push, store: print what would change, write nothing"},
};

struct SCommandLine {
    std::vector<std::string> m_aPorts;
    unsigned m_nFlags = 0;
    int m_nDeadline = 0;               // seconds; 0: the command's own
    int m_nWait = 0;                   // seconds to wait for a processor to be plugged in
    std::string m_strVenue;            // the venue file
    std::string m_strRoom;             // the room of the venue a command works on
    std::string m_strAgainst;          // status: the folder of the backups to compare with
    SFitOptions m_fit;                 // eq fit's options
    std::vector<std::string> m_aWords; // the command and its arguments
    SNetworkKeys m_keys;               // for tls:// (and tcp://) ports

    bool Has(EFlag flag) const { return (m_nFlags & flag) != 0; }
};

bool ParseNumber(const std::string& text, int first, int last, int& number) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < first || n > last) {
        return false;
    }
    number = static_cast<int>(n);
    return true;
}

void DefineOptions(CLI::App& app, SCommandLine& line) {
    app.footer(kCommandHelp);
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", "zoltctl " ZOLT_VERSION, "print the version and exit");
    app.add_option("--port", line.m_aPorts, "use this port, not the system's (repeatable)")
        ->type_name("PATH")
        ->allow_extra_args(false);
    app.add_option("--deadline", line.m_nDeadline, "give up after this long (lookup included)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 86400).description(""));
    app.add_option("--wait", line.m_nWait, "wait this long for a processor to be plugged in")
        ->type_name("SECONDS")
        ->check(CLI::Range(0, 86400).description(""));
    app.add_option("--ca", line.m_keys.m_strCa, "network rooms: the venue CA's certificate")
        ->type_name("FILE");
    app.add_option("--cert", line.m_keys.m_strCert, "network rooms: this desk's certificate")
        ->type_name("FILE");
    app.add_option("--key", line.m_keys.m_strKey, "network rooms: this desk's private key")
        ->type_name("FILE");
    app.add_flag("--insecure", line.m_keys.m_bInsecure,
                 "allow tcp:// ports: no encryption, no authentication (a trusted cable only)");
    app.add_option("--venue", line.m_strVenue, "the rooms of this venue file")->type_name("FILE");
    app.add_option("--room", line.m_strRoom, "with --venue: work on this room")->type_name("NAME");
    app.add_option("--against", line.m_strAgainst,
                   "status: compare with the newest backup in this folder")
        ->type_name("DIR")
        ->each([&line](const std::string&) { line.m_nFlags |= kAgainst; });
    for (const SFlagName& flag : kFlagNames) {
        app.add_flag_callback(
            flag.m_pszName, [&line, bit = flag.m_eFlag] { line.m_nFlags |= bit; }, flag.m_pszHelp);
    }
    const struct {
        const char* m_pszName;
        std::string* m_pValue;
        const char* m_pszType;
        const char* m_pszHelp;
    } fitOptions[] = {
        {"--target", &line.m_fit.m_strTarget, "FILE", "eq fit: the target response"},
        {"--house", &line.m_fit.m_strHouse, "BASS_DB,TILT_DB", "eq fit: a house curve target"},
        {"--from", &line.m_fit.m_strFrom, "HZ", "eq fit: the lowest frequency fitted"},
        {"--to", &line.m_fit.m_strTo, "HZ", "eq fit: the highest frequency fitted"},
        {"--bands", &line.m_fit.m_strBands, "N", "eq fit: the bands to use"},
    };
    for (const auto& option : fitOptions) {
        app.add_option(option.m_pszName, *option.m_pValue, option.m_pszHelp)
            ->type_name(option.m_pszType);
    }
    app.add_option("COMMAND", line.m_aWords, "the command and its arguments, below")->type_name("");
}

// Reads the line with CLI11: the options anywhere on it, the command and its arguments as
// the words left. False with the exit code when the run ends here: help or version printed
// (0), or a line not understood (usage, with the reason).
bool ParseLine(const std::vector<std::string>& args, SCommandLine& line, std::ostream& out,
               std::ostream& err, int& exitCode) {
    CLI::App app("The processor and its preset files from the command line.", "zoltctl");
    DefineOptions(app, line);
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // as CLI11 takes them
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        exitCode = app.exit(e, out, err);
        return false;
    } catch (const CLI::CallForVersion& e) {
        exitCode = app.exit(e, out, err);
        return false;
    } catch (const CLI::ParseError& e) {
        err << "zoltctl: " << e.what() << '\n' << kUsageLine;
        exitCode = kExitUsage;
        return false;
    }
    if (line.m_aWords.empty()) {
        err << kUsageLine << kCommandHelp;
        exitCode = kExitUsage;
        return false;
    }
    return true;
}

bool ParseMode(const std::string& text, int last, int& mode) {
    return ParseNumber(text, 1, last, mode);
}

// A file to send must be a preset file of the format the command sends.
bool CheckInput(const std::string& path, std::size_t size, std::ostream& err, SPresetFile& file) {
    std::string error;
    if (!ReadPresetFile(path, file, error)) {
        err << "zoltctl: " << error << '\n';
        return false;
    }
    if (file.m_abBytes.size() != size) {
        err << "zoltctl: " << PrintableText(path) << ": "
            << (file.m_bAllModes ? "an all-modes file; this command sends a one-mode file"
                                 : "a one-mode file; this command sends an all-modes file")
            << '\n';
        return false;
    }
    return true;
}

struct SContext {
    SCommandLine m_line;
    const SCtlLink& m_link;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_bProgress;
    std::chrono::seconds m_deadline{0};  // for the whole command
    SWait m_wait{};                      // for the processor to appear
    std::optional<SVenue> m_venue{};     // --venue
    const SVenueRoom* m_pRoom = nullptr; // --room, in m_venue
    Milliseconds m_tStart{0};            // when the command began, on the link's clock
};

// The one line a command that changed or wrote something ends with, on standard error
// whether or not it is a terminal: what was done and how long it took.
int Done(SContext& c, const std::string& what) {
    const double seconds =
        std::chrono::duration<double>(c.m_link.m_clock.Now() - c.m_tStart).count();
    char took[32];
    std::snprintf(took, sizeof took, " in %.1f s", seconds);
    c.m_err << c.m_line.m_aWords[0] << ": " << what << took << '\n';
    return kExitDone;
}

int Ports(SContext& c) {
    CPortList list;
    for (const std::string& path : c.m_line.m_aPorts) {
        list.push_back(NamedCandidate(path));
    }
    std::string error;
    if (c.m_line.m_aPorts.empty() && !Enumerate(list, false, &error)) {
        c.m_err << "zoltctl: " << error << '\n';
        return kExitLink;
    }
    for (const SPortCandidate& port : list) {
        c.m_out << port.m_strPortName << '\t' << port.m_strDescription << '\t'
                << (port.m_bUsb ? "usb" : "-") << '\n';
    }
    return kExitDone;
}

int Probe(SContext& c) {
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, false, c.m_wait);
    if (!session.Connect(false)) {
        return kExitLink;
    }
    c.m_out << "found " << session.Port() << " unlock=" << (g_flags.m_bUnlock ? 1 : 0) << '\n';
    return kExitDone;
}

// Shows the differences between a and b: one line each, or JSON; a summary first when
// there is one.
void Report(SContext& c, const std::vector<SFieldDifference>& differences, const SPresetFile& a,
            const SPresetFile& b, const std::string& labelA, const std::string& labelB,
            const std::string& summary = {}) {
    if (!c.m_line.Has(kJson)) {
        if (!summary.empty()) {
            c.m_out << summary << '\n';
        }
        PrintDifferences(differences, a, b, c.m_line.Has(kRaw), c.m_out);
        return;
    }
    SDumpNode root;
    if (!summary.empty()) {
        root.Text("summary", summary);
    }
    root.Text("a", labelA);
    root.Text("b", labelB);
    root.Number("count", static_cast<double>(differences.size()));
    root.m_aItems.push_back(DescribeDifferences(differences, a, b));
    PrintJson(root, c.m_out);
}

// Reads back what a transfer wrote and compares it, field by field, with what was sent: the
// file as the import took it (a one-mode file with the load sum the import set).
int VerifyTransfer(SContext& c, CCtlSession& session, const CTransferCheck& check,
                   const std::string& path) {
    if (!session.ReadBack(check)) {
        session.Host().Say("verify: the file was written; the check could not read it back");
        return kExitLink;
    }
    const std::vector<SFieldDifference> differences = check.Differences();
    Report(c, differences, check.Sent(), check.Held(), path, session.Port());
    // The result goes with the differences to standard output, but not into JSON.
    const auto result = [&](const std::string& text) {
        if (c.m_line.Has(kJson)) {
            session.Host().Say(text);
        } else {
            c.m_out << text << '\n';
        }
    };
    if (!differences.empty()) {
        result("verify: " + std::to_string(differences.size()) +
               (differences.size() == 1 ? " field differs" : " fields differ") + " between " +
               PrintableText(path) + " and the processor");
        return kExitCompare;
    }
    result("verify: the processor holds every field of " + PrintableText(path));
    return kExitDone;
}

// The ports backup --all visits: those named with --port, else the system's.
bool BackupPorts(SContext& c, std::vector<std::string>& ports) {
    ports = c.m_line.m_aPorts;
    CPortList list;
    std::string error;
    if (ports.empty() && !Enumerate(list, false, &error)) {
        c.m_err << "zoltctl: " << error << '\n';
        return false;
    }
    for (const SPortCandidate& port : list) {
        if (!port.m_strPortName.empty()) {
            ports.push_back(port.m_strPortName);
        }
    }
    if (ports.empty()) {
        c.m_err << "zoltctl: backup --all: no serial port to look at\n";
        return false;
    }
    return true;
}

// What a port's backups are named after: the last part of its path, made safe.
std::string PortFileName(const std::string& port) {
    return SafeFileName(std::filesystem::path(port).filename().string());
}

// DIR/<port>-<date>, the name of a port's backup without its extension (a counter is
// added when the name is taken: a second backup the same day, two ports of one name).
std::string BackupStem(const std::filesystem::path& dir, const std::string& port,
                       const std::string& date) {
    const std::string name = PortFileName(port);
    return (dir / ((name.empty() ? "port" : name) + "-" + date)).string();
}

// A file can be written where the command will write it: said and false otherwise, before
// any transfer has begun.
bool CanWrite(SContext& c, const std::string& path) {
    std::string reason;
    if (CheckWritable(path, reason)) {
        return true;
    }
    c.m_err << "zoltctl: " << PrintableText(path) << ": " << reason << '\n';
    return false;
}

// The program each room's zoltctl runs: this one.
std::string ThisProgram() {
    std::error_code code;
    return std::filesystem::read_symlink("/proc/self/exe", code).string();
}

// A run over the rooms of the venue, each room's zoltctl with this one's deadline and wait.
SVenueRun VenueRun(SContext& c) {
    SVenueRun run{*c.m_venue, ThisProgram(), {}, c.m_out, c.m_err};
    if (c.m_line.m_nDeadline > 0) {
        run.m_aOptions.insert(run.m_aOptions.end(),
                              {"--deadline", std::to_string(c.m_line.m_nDeadline)});
    }
    if (c.m_line.m_nWait > 0) {
        run.m_aOptions.insert(run.m_aOptions.end(), {"--wait", std::to_string(c.m_line.m_nWait)});
    }
    return run;
}

// Every processor on every candidate port, one after the other, each into a file of its
// own that replaces none; a port that fails is reported and the next one goes on. With a
// venue, every room at once.
int BackupAll(SContext& c) {
    const std::filesystem::path dir = c.m_line.m_aWords[1];
    std::vector<std::string> ports;
    if (!c.m_venue && !BackupPorts(c, ports)) {
        return kExitLink;
    }
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (!std::filesystem::is_directory(dir)) {
        c.m_err << "zoltctl: " << PrintableText(dir.string()) << ": "
                << (code ? code.message() : "is not a folder") << '\n';
        return kExitFile;
    }
    if (c.m_venue) {
        return BackupVenue(VenueRun(c), dir.string());
    }
    const std::string date = LocalTime("%Y-%m-%d");
    if (!CanWrite(c, BackupStem(dir, ports.front(), date) + ".dat")) {
        return kExitFile;
    }
    std::vector<std::string> failed;
    for (const std::string& port : ports) {
        std::string file;
        std::string reason;
        bool done = false;
        {
            CCtlSession session({port}, c.m_link, c.m_deadline, c.m_err, c.m_bProgress);
            done = session.Connect(true) && session.ReadAllModes();
            if (done && !WriteNewFile(BackupStem(dir, port, date), ".dat",
                                      PresetFileOfData(true).m_abBytes, file, reason)) {
                session.Host().Say("MusicFile Write Error\n" + reason);
                done = false;
            }
        }
        c.m_out << PrintableText(port) << ": "
                << (done ? "backed up to " + PrintableText(file) : "failed") << '\n'
                << std::flush;
        if (!done) {
            failed.push_back(PrintableText(port));
        }
    }
    c.m_out << ports.size() - failed.size() << " of " << ports.size() << " ports backed up";
    for (std::size_t i = 0; i < failed.size(); ++i) {
        c.m_out << (i == 0 ? "; failed: " : ", ") << failed[i];
    }
    c.m_out << '\n';
    return failed.empty() ? kExitDone : kExitLink;
}

int Backup(SContext& c) {
    if (c.m_line.Has(kAll)) {
        return BackupAll(c);
    }
    const std::string& file = c.m_line.m_aWords[1];
    if (!CanWrite(c, AllModesFilePath(file))) {
        return kExitFile;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, c.m_bProgress,
                        c.m_wait);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!session.ReadAllModes()) {
        session.Host().Say("backup failed; no file written");
        return kExitLink;
    }
    if (!ExportAllModes(file)) {
        return kExitFile;
    }
    return Done(c, "21 modes and the system block written to " +
                       PrintableText(AllModesFilePath(file)));
}

// --dry-run: what sending after would change on the processor, which holds before; the
// headline, then every changed field.
int ShowChanges(SContext& c, const SPresetFile& before, const SPresetFile& after,
                const std::string& headline, const std::string& path) {
    std::vector<SFieldDifference> differences;
    std::string error;
    if (!ComparePresets(before, after, differences, error)) {
        c.m_err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    Report(c, differences, before, after, "processor", path, headline);
    return kExitDone;
}

int Restore(SContext& c) {
    const std::string& file = c.m_line.m_aWords[1];
    SPresetFile sent;
    if (!CheckInput(file, kAllModesFileSize, c.m_err, sent)) {
        return kExitFile;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, c.m_bProgress,
                        c.m_wait);
    if (c.m_line.Has(kDryRun)) {
        session.Link().SetReadPurpose(EReadPurpose::Compare);
        if (!session.Connect(true) || !session.ReadAllModes()) {
            return kExitLink;
        }
        const SPresetFile held = PresetFileOfData(true);
        return ShowChanges(c, held, sent, SummarizeChanges(held, sent, 0, 0).Headline(true, 0),
                           file);
    }
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!ImportAllModes(file, session.Link())) {
        return kExitFile;
    }
    CTransferCheck check;
    check.Begin(true);
    if (!session.WaitDrained()) {
        return HoldsMix(session.Link().Transfer()) ? kExitPartial : kExitLink;
    }
    const int verified =
        c.m_line.Has(kVerify) ? VerifyTransfer(c, session, check, file) : kExitDone;
    return verified == kExitDone
               ? Done(c, "21 modes and the system block sent from " + PrintableText(file))
               : verified;
}

int Pull(SContext& c) {
    if (!CanWrite(c, OneModeFilePath(c.m_line.m_aWords[1]))) {
        return kExitFile;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, false, c.m_wait);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!ExportOneMode(c.m_line.m_aWords[1])) {
        return kExitFile;
    }
    return Done(c, "the working image written to " +
                       PrintableText(OneModeFilePath(c.m_line.m_aWords[1])));
}

int Push(SContext& c) {
    const std::string& file = c.m_line.m_aWords[1];
    SPresetFile sent;
    if (!CheckInput(file, kOneModeFileSize, c.m_err, sent)) {
        return kExitFile;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, false, c.m_wait);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (c.m_line.Has(kDryRun)) {
        // The import keeps the processor's system block and sets the image's load sum.
        const SPresetFile held = PresetFileOfData(false);
        SPresetFile after = held;
        std::uint8_t* image = after.m_abBytes.data() + kSystemSize;
        std::copy(sent.m_abBytes.begin() + kSystemSize, sent.m_abBytes.end(), image);
        image[image::kLoadSum] = LoadSum(sent.ImageOf(0));
        return ShowChanges(c, held, after, SummarizeChanges(held, after, 0, 0).Headline(false, 0),
                           file);
    }
    if (!ImportOneMode(file, session.Link())) {
        return kExitFile;
    }
    CTransferCheck check;
    check.Begin(false);
    if (!session.WaitDrained()) {
        return kExitLink;
    }
    const int verified =
        c.m_line.Has(kVerify) ? VerifyTransfer(c, session, check, file) : kExitDone;
    return verified == kExitDone ? Done(c, PrintableText(file) + " sent as the working image")
                                 : verified;
}

int Recall(SContext& c) {
    int mode = 0;
    if (!ParseMode(c.m_line.m_aWords[1], static_cast<int>(kModeCount), mode)) {
        c.m_err << "zoltctl: recall: the mode is a number from 1 to 21\n";
        return kExitUsage;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, false, c.m_wait);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    session.Session().SendCommand(cmd::kRecall, static_cast<std::uint8_t>(mode));
    return session.WaitDrained() ? Done(c, "mode " + std::to_string(mode) + " recalled")
                                 : kExitLink;
}

// --dry-run of a store: the mode stored now (read from the processor) against the working
// image under the new name, which the processor would store in its place.
int ShowStore(SContext& c, CCtlSession& session, int mode, const std::string& name) {
    session.Link().ReadStoredMode(static_cast<std::uint8_t>(mode));
    if (!session.WaitDrained()) {
        return kExitLink;
    }
    SPresetFile replaced = PresetFileOfData(false);
    SPresetFile stored = replaced;
    std::string oldName;
    {
        CImageGuard guard(ImageLock());
        const std::uint8_t* slot = Slot(static_cast<std::size_t>(mode));
        std::copy(slot, slot + kImageSize, replaced.m_abBytes.begin() + kSystemSize);
        oldName = FieldText(slot + image::kName, kNameSize);
    }
    std::uint8_t* newName = stored.m_abBytes.data() + kSystemSize + image::kName;
    std::fill_n(newName, kNameSize, ' ');
    std::copy(name.begin(), name.end(), newName);
    const auto count = static_cast<long>(SummarizeChanges(replaced, stored, 0, 0).m_nSettings);
    const std::string headline = StoreHeadline(count, mode, PrintableText(oldName), 0);
    return ShowChanges(c, replaced, stored, headline, "store " + std::to_string(mode));
}

int Store(SContext& c) {
    int mode = 0;
    const std::string& name = c.m_line.m_aWords[2];
    if (!ParseMode(c.m_line.m_aWords[1], 16, mode)) {
        c.m_err << "zoltctl: store: the mode is a number from 1 to 16\n";
        return kExitUsage;
    }
    if (const std::string problem = ModeNameProblem(name); !problem.empty()) {
        c.m_err << "zoltctl: store: " << problem << '\n';
        return kExitUsage;
    }
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, false, c.m_wait);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!g_flags.m_bUnlock) {
        session.Host().Say("store refused: the processor does not allow storing modes "
                           "(no save permission)");
        return kExitLink;
    }
    if (c.m_line.Has(kDryRun)) {
        return ShowStore(c, session, mode, name);
    }
    {
        // As the System page stores: the current system password first, then the store.
        CImageGuard guard(ImageLock());
        std::memcpy(Slot(0) + slot0::kNewSixCode, System() + 19, 6);
        session.Session().SendCommand(cmd::kSixCodeChange, 0);
        SetModeName(static_cast<std::size_t>(mode), name);
        session.Session().SendCommand(cmd::kStore, static_cast<std::uint8_t>(mode));
    }
    return session.WaitDrained() ? Done(c, "the working image stored as mode " +
                                               std::to_string(mode) + " \"" + name + "\"")
                                 : kExitLink;
}

int Dump(SContext& c) {
    SDumpNode root;
    std::string error;
    if (!DescribeFile(c.m_line.m_aWords[1], root, error)) {
        c.m_err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    if (c.m_line.Has(kJson)) {
        PrintJson(root, c.m_out);
    } else {
        PrintText(root, c.m_out);
    }
    return kExitDone;
}

// The processor's presets in the format of a one-mode or an all-modes file.
bool ReadProcessor(SContext& c, bool allModes, SPresetFile& file) {
    CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, c.m_err, c.m_bProgress,
                        c.m_wait);
    session.Link().SetReadPurpose(EReadPurpose::Compare);
    if (!session.Connect(true) || (allModes && !session.ReadAllModes())) {
        session.Host().Say("diff: the processor could not be read");
        return false;
    }
    file = PresetFileOfData(allModes);
    return true;
}

int Diff(SContext& c) {
    const std::string& pathA = c.m_line.m_aWords[1];
    const std::string& pathB = c.m_line.m_aWords[2];
    if (pathA == "-" && pathB == "-") {
        c.m_err << "zoltctl: diff: only one side can be the processor (-)\n";
        return kExitUsage;
    }
    SPresetFile a;
    SPresetFile b;
    std::string error;
    if ((pathA != "-" && !ReadPresetFile(pathA, a, error)) ||
        (pathB != "-" && !ReadPresetFile(pathB, b, error))) {
        c.m_err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    if (pathA == "-" || pathB == "-") {
        const bool allModes = (pathA == "-" ? b : a).m_bAllModes;
        if (!ReadProcessor(c, allModes, pathA == "-" ? a : b)) {
            return kExitCompare;
        }
    }
    std::vector<SFieldDifference> differences;
    if (!ComparePresets(a, b, differences, error)) {
        c.m_err << "zoltctl: diff: " << error << '\n';
        return kExitFile;
    }
    Report(c, differences, a, b, pathA, pathB);
    return differences.empty() ? kExitDone : kExitDiffers;
}

// The processor against its newest backup in the folder of --against: how many settings
// differ, or why they could not be compared.
void CompareWithBackup(SContext& c, CCtlSession& session, std::ostringstream& said,
                       SRoomStatus& status) {
    status.m_bCompared = true;
    const std::string stem =
        c.m_pRoom != nullptr ? SafeFileName(c.m_pRoom->m_strName) : PortFileName(status.m_strPort);
    status.m_strBackup = NewestBackup(c.m_line.m_strAgainst, stem);
    if (status.m_strBackup.empty()) {
        return;
    }
    SPresetFile backup;
    std::vector<SFieldDifference> differences;
    std::string error;
    if (!ReadPresetFile(status.m_strBackup, backup, error)) {
        status.m_strReason = error;
        return;
    }
    session.Link().SetReadPurpose(EReadPurpose::Compare);
    if (!session.ReadAllModes()) {
        status.m_strReason = "the modes could not be read: " + MessagesInOneLine(said.str());
        return;
    }
    if (!ComparePresets(backup, PresetFileOfData(backup.m_bAllModes), differences, error)) {
        status.m_strReason = error;
        return;
    }
    status.m_nDifferences = static_cast<long>(differences.size());
}

// The processor of the port or the room: reachable or why not, the mode it plays, and with
// --against how it compares with its newest backup. With a venue and no room, every room.
int Status(SContext& c) {
    if (c.m_venue && c.m_pRoom == nullptr) {
        return StatusOfVenue(VenueRun(c), c.m_line.m_strAgainst, c.m_line.Has(kJson));
    }
    SRoomStatus status;
    std::ostringstream said;
    {
        CCtlSession session(c.m_line.m_aPorts, c.m_link, c.m_deadline, said, false, c.m_wait);
        status.m_bReachable = session.Connect(true);
        status.m_strPort = c.m_pRoom != nullptr ? c.m_pRoom->m_strPort : session.Port();
        status.m_strRoom = c.m_pRoom != nullptr ? c.m_pRoom->m_strName : session.Port();
        if (status.m_bReachable) {
            {
                CImageGuard guard(ImageLock());
                status.m_nMode =
                    std::clamp<int>(System()[sysblock::kMode], 1, static_cast<int>(kModeCount));
                status.m_strModeName = PrintableText(FieldText(Image(), kNameSize));
            }
            if (c.m_line.Has(kAgainst)) {
                CompareWithBackup(c, session, said, status);
            }
        }
    }
    if (!status.m_bReachable) {
        status.m_strReason = MessagesInOneLine(said.str());
    }
    if (c.m_line.Has(kJson)) {
        PrintStatusJson({status}, c.m_out);
    } else {
        PrintStatusLine(status, c.m_out);
    }
    return StatusFailed(status) ? kExitLink : kExitDone;
}

struct SCommand {
    const char* m_pszName;
    std::size_t m_nWords; // the command and its arguments
    unsigned m_nFlags;    // the options it takes
    int (*m_pRun)(SContext&);
    int m_nDeadline;           // seconds the command may take at most (lookup included); 0: no link
    const char* m_pszSynopsis; // for a command given the wrong words or options
};
// The deadlines leave room for every frame to need its resends; a lookup costs about 3 s
// for each silent port.
constexpr SCommand kCommands[] = {
    {"ports", 1, 0, Ports, 0, "ports"},
    {"probe", 1, 0, Probe, 120, "probe"},
    {"backup", 2, kAll, Backup, 600, "backup FILE, backup --all DIR"},
    {"restore", 2, kVerify | kJson | kRaw | kDryRun, Restore, 600,
     "restore [--verify|--dry-run] [--json] [--raw] FILE"},
    {"pull", 2, 0, Pull, 180, "pull FILE"},
    {"push", 2, kVerify | kJson | kRaw | kDryRun, Push, 180,
     "push [--verify|--dry-run] [--json] [--raw] FILE"},
    {"recall", 2, 0, Recall, 180, "recall N"},
    {"store", 3, kDryRun | kJson | kRaw, Store, 180, "store [--dry-run] N NAME"},
    {"dump", 2, kJson, Dump, 0, "dump [--json] FILE"},
    {"diff", 3, kJson | kRaw, Diff, 600, "diff [--raw] [--json] A B"},
    {"status", 1, kJson | kAgainst, Status, 600, "status [--against DIR] [--json]"},
};

// Standard output took everything written to it; otherwise says why (a full disk, a
// closed pipe), since a command whose results were lost has not done its work.
bool OutputWritten(std::ostream& out, std::ostream& err) {
    if (out.good()) {
        errno = 0;
        out.flush();
    }
    if (out.good()) {
        return true;
    }
    const int cause = errno;
    err << "zoltctl: the output could not be written: "
        << (cause != 0 ? std::strerror(cause) : "the stream refused it") << '\n';
    return false;
}

// Every line of a message after "zoltctl: ".
void SayLines(std::ostream& err, const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        err << "zoltctl: " << line << '\n';
    }
}

// Only backup --all and status work on every room of a venue.
bool WorksOnEveryRoom(const SCommandLine& line) {
    return line.m_aWords[0] == "status" || (line.m_aWords[0] == "backup" && line.Has(kAll));
}

// --venue and --room: reads the venue, and names the room's port as the one port of the
// command. False with the exit code when the run ends here: a venue that cannot be read
// (3), a room not in it or a command that needs one room (usage).
bool ApplyVenue(SContext& c, int& exitCode) {
    SCommandLine& line = c.m_line;
    exitCode = kExitUsage;
    if (line.m_strVenue.empty()) {
        if (line.m_strRoom.empty()) {
            return true;
        }
        c.m_err << "zoltctl: --room needs --venue FILE\n" << kUsageLine;
        return false;
    }
    if (!line.m_aPorts.empty()) {
        c.m_err << "zoltctl: --port and --venue cannot be given together: a venue names the "
                   "ports of its rooms\n";
        return false;
    }
    std::string error;
    if (!ReadVenue(line.m_strVenue, c.m_venue.emplace(), error)) {
        SayLines(c.m_err, error);
        exitCode = kExitFile;
        return false;
    }
    if (line.m_strRoom.empty()) {
        if (WorksOnEveryRoom(line)) {
            return true;
        }
        c.m_err << "zoltctl: " << PrintableText(line.m_aWords[0])
                << " works on one room: name it with --room (the rooms: " << c.m_venue->RoomNames()
                << ")\n";
        return false;
    }
    c.m_pRoom = c.m_venue->Room(line.m_strRoom);
    if (c.m_pRoom == nullptr) {
        c.m_err << "zoltctl: no room \"" << PrintableText(line.m_strRoom) << "\" in "
                << PrintableText(line.m_strVenue) << " (the rooms: " << c.m_venue->RoomNames()
                << ")\n";
        return false;
    }
    // backup --all of one room is that room's backup among the venue's.
    c.m_venue->m_aRooms = {*c.m_pRoom};
    c.m_pRoom = &c.m_venue->m_aRooms.front();
    line.m_aPorts = {c.m_pRoom->m_strPort};
    return true;
}

// The number of single-letter edits (insert, delete, change, swap two neighbours) that make
// b of a.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) {
        for (std::size_t j = 0; j <= b.size(); ++j) {
            if (i == 0 || j == 0) {
                d[i][j] = i + j;
                continue;
            }
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

// The command a mistyped word most likely meant: at most two edits away, and no more edits
// than half the command's letters; empty when none is that near.
std::string NearestCommand(std::string_view word) {
    std::string nearest;
    std::size_t best = 3;
    const auto consider = [&](std::string_view name) {
        const std::size_t distance = EditDistance(word, name);
        if (distance < best && 2 * distance <= name.size()) {
            best = distance;
            nearest = name;
        }
    };
    for (const SCommand& command : kCommands) {
        consider(command.m_pszName);
    }
    consider("eq");
    return nearest;
}

// A word that is no command: the mistake and the nearest command, or the commands there are.
int UnknownCommand(SContext& c) {
    const std::string word = PrintableText(c.m_line.m_aWords[0]);
    c.m_err << "zoltctl: unknown command '" << word << "'";
    if (const std::string nearest = NearestCommand(word); !nearest.empty()) {
        c.m_err << "; did you mean '" << nearest << "'?\n";
    } else {
        c.m_err << "; the commands:";
        for (const SCommand& command : kCommands) {
            c.m_err << ' ' << command.m_pszName;
        }
        c.m_err << " eq\n";
    }
    c.m_err << kUsageLine << "(zoltctl --help describes every command)\n";
    return kExitUsage;
}

// A command given options it does not take or the wrong number of words: which, and its
// synopsis.
int MisusedCommand(SContext& c, const SCommand& command) {
    const unsigned foreign = c.m_line.m_nFlags & ~command.m_nFlags;
    c.m_err << "zoltctl: " << command.m_pszName;
    if (foreign != 0 || c.m_line.m_fit.Any()) {
        c.m_err << " does not take";
        for (const SFlagName& flag : kFlagNames) {
            if ((foreign & flag.m_eFlag) != 0) {
                c.m_err << ' ' << flag.m_pszName;
            }
        }
        if ((foreign & kAgainst) != 0) {
            c.m_err << " --against";
        }
        if (c.m_line.m_fit.Any()) {
            c.m_err << " the options of eq fit";
        }
    } else {
        c.m_err << (c.m_line.m_aWords.size() < command.m_nWords ? ": missing" : ": too many")
                << " arguments";
    }
    c.m_err << "\nusage: zoltctl [OPTIONS] " << command.m_pszSynopsis << '\n';
    return kExitUsage;
}

int RunCommand(SContext& context) {
    const SCommandLine& line = context.m_line;
    if (line.m_aWords[0] == "eq") {
        return RunEq(line.m_aWords, line.m_fit, context.m_out, context.m_err);
    }
    const auto* command =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&](const SCommand& c) { return line.m_aWords[0] == c.m_pszName; });
    if (command == std::end(kCommands)) {
        return UnknownCommand(context);
    }
    if (line.m_aWords.size() != command->m_nWords || (line.m_nFlags & ~command->m_nFlags) != 0 ||
        line.m_fit.Any()) {
        return MisusedCommand(context, *command);
    }
    context.m_deadline =
        std::chrono::seconds(line.m_nDeadline > 0 ? line.m_nDeadline : command->m_nDeadline);
    context.m_tStart = context.m_link.m_clock.Now();
    return command->m_pRun(context);
}

} // namespace

int Run(const std::vector<std::string>& args, const SCtlLink& link, std::ostream& out,
        std::ostream& err, bool progress) {
    SCommandLine line;
    int exitCode = kExitUsage;
    errno = 0;
    if (!ParseLine(args, line, out, err, exitCode)) {
        return OutputWritten(out, err) ? exitCode : kExitFile;
    }
    SCtlLink withRooms = link;
    SContext context{std::move(line), withRooms, out, err, progress};
    CPortWatch* watch = link.m_pWatch;
    std::unique_ptr<CPortWatch> systemWatch;
    if (context.m_line.m_nWait > 0) {
        if (watch == nullptr) {
            std::string error;
            systemWatch = MakeSystemPortWatch(&error);
            if (!error.empty()) {
                err << "zoltctl: " << error << '\n';
            }
            watch = systemWatch.get();
        }
        context.m_wait = {std::chrono::seconds(context.m_line.m_nWait), watch};
    }
    if (ApplyVenue(context, exitCode)) {
        // Network rooms by their names, with the venue's keys unless others are given; every
        // other port as the caller opens it.
        const SNetworkKeys keys = context.m_venue
                                      ? DeskKeys(*context.m_venue, context.m_line.m_keys)
                                      : context.m_line.m_keys;
        CSerialOpener serialPorts;
        CNetworkOpener rooms(keys, link.m_pOpener != nullptr ? link.m_pOpener : &serialPorts);
        withRooms.m_pOpener = &rooms;
        exitCode = RunCommand(context);
    }
    return OutputWritten(out, err) ? exitCode : kExitFile;
}

} // namespace zolt::ctl
