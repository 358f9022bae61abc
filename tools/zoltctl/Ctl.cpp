#include "Ctl.h"

#include "Dump.h"
#include "Eq.h"

#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/PresetFiles.h"
#include "model/Command.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace zolt::ctl {

const char* const kUsage =
    "usage: zoltctl [--port PATH]... COMMAND\n"
    "  ports                list the candidate ports: path, description, usb or -\n"
    "  probe                find the processor\n"
    "  backup FILE          read all 21 modes into an all-modes file (.dat)\n"
    "  restore FILE         send an all-modes file to the processor\n"
    "  pull FILE            read the working image into a one-mode file (.dia)\n"
    "  push FILE            send a one-mode file as the working image\n"
    "  recall N             recall mode N (1..21)\n"
    "  store N NAME         store the working image as mode N (1..16) named NAME\n"
    "  dump [--json] FILE   describe a .dia or .dat file\n"
    "  eq import FILE[:MODE] BLOCK LIST   read a filter list into an equaliser of the file\n"
    "  eq export FILE[:MODE] BLOCK        print an equaliser of the file as a filter list\n"
    "      BLOCK: music-left, music-right, mic-1-2, mic-3-4, echo-a, echo-b, reverb,\n"
    "      out-1..out-4, center, sub, surround-l, surround-r, music-left-deq, music-right-deq\n";

namespace {

using namespace std::chrono_literals;

struct SPosted {
    unsigned m_nMessage;
    std::intptr_t m_nLParam;
};

// The window's part: queues what the link posts for the main thread, shows message boxes
// as lines on standard error and progress as a bar.
class CCtlSink final : public CNotifySink {
public:
    CCtlSink(std::ostream& err, bool progress) : m_err(err), m_bProgress(progress) {}

    void Post(unsigned message, std::uintptr_t, std::intptr_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_aPosted.push_back({message, lParam});
        m_changed.notify_all();
    }
    void ProgressStart(int total) override {
        std::lock_guard lock(m_mutex);
        m_nTotal = total;
    }
    void ProgressStep(int step) override {
        std::lock_guard lock(m_mutex);
        if (!m_bProgress || m_nTotal <= 0) {
            return;
        }
        constexpr int kWidth = 40;
        const int filled = step * kWidth / m_nTotal;
        m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << step << "/"
              << m_nTotal << (step >= m_nTotal ? "\n" : "") << std::flush;
    }
    void ProgressBusy() override {}
    void ProgressLookup() override {}
    void ProgressHide() override {}
    void MessageBox(std::string_view text, std::string_view) override {
        std::lock_guard lock(m_mutex);
        while (!text.empty() && text.back() == '\n') {
            text.remove_suffix(1);
        }
        m_err << "zoltctl: " << text << '\n' << std::flush;
    }
    void RefreshProgramName() override {}
    void ShowCurrentPage() override {}
    void RunAllModesExport() override { m_bExportRequested = true; }
    bool IsSystemPageShown() const override { return false; }

    // Waits up to timeout for a posted message.
    bool Next(SPosted& posted, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, timeout, [this] { return !m_aPosted.empty(); })) {
            return false;
        }
        posted = m_aPosted.front();
        m_aPosted.pop_front();
        return true;
    }
    void Say(const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_err << "zoltctl: " << line << '\n' << std::flush;
    }
    bool ExportRequested() const { return m_bExportRequested; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<SPosted> m_aPosted;
    std::ostream& m_err;
    bool m_bProgress;
    int m_nTotal = 0;
    bool m_bExportRequested = false; // main thread only
};

bool IsQueuedCode(std::uint8_t code) {
    return (code >= cmd::kProbe && code <= cmd::kStore) || code == cmd::kSixCodeChange ||
           code == cmd::kFourCodeChange;
}

// One connection to the processor, driven the way the main window drives it.
class CSession {
public:
    CSession(const std::vector<std::string>& ports, CClock& clock, std::ostream& err, bool progress)
        : m_sink(err, progress), m_link(clock), m_connection(m_link, clock) {
        ResetProcessData();
        SetNotifySink(&m_sink);
        m_connection.SetNamedPorts(ports, !ports.empty());
    }
    ~CSession() {
        m_connection.Disconnect();
        SetNotifySink(nullptr);
    }

    CDeviceLink& Link() { return m_link; }
    CCtlSink& Sink() { return m_sink; }
    const std::string& Port() const { return m_connection.PortInUse(); }

    // The lookup, then (with readBack) the read-back of names, system block and image.
    bool Connect(bool readBack) {
        m_connection.Lookup();
        const bool found = WaitUntil([this] { return m_bProbeAnswered || ProbeOnlyAcked(); });
        if (!found || !m_bProbeAnswered) {
            if (g_flags.m_bOnline) {
                m_sink.Say(Port() + ": the device acknowledged the probe without its state");
            }
            for (const SOpenFailure& failure : m_connection.OpenFailures()) {
                m_sink.Say(failure.m_strReason);
            }
            return false;
        }
        return !readBack || WaitUntil([this] { return m_nImagesReplaced > 0; });
    }

    // Handles the link's messages until done() holds (true) or the link fails (false).
    bool WaitUntil(const std::function<bool()>& done) {
        for (;;) {
            if (m_bFailed || !g_flags.m_bOnline) {
                return false;
            }
            if (done()) {
                Pump(0ms); // a failure posted just before the state done() saw
                return !m_bFailed;
            }
            Pump(20ms);
        }
    }

    // Every queued frame has been sent and acknowledged, and no store or recall waits.
    bool WaitDrained() {
        return WaitUntil([this] {
            CImageGuard guard(ImageLock());
            return m_link.Queue().Count() == 0 &&
                   !IsQueuedCode(FrameCommand(m_link.CurrentFrame())) && !g_flags.m_bStoreBusy;
        });
    }

private:
    // The probe went out and was accepted as a bare acknowledgement.
    bool ProbeOnlyAcked() {
        CImageGuard guard(ImageLock());
        return g_flags.m_bOnline && m_link.Queue().Count() == 0 &&
               FrameCommand(m_link.CurrentFrame()) != cmd::kProbe;
    }

    void Pump(std::chrono::milliseconds timeout) {
        SPosted posted{};
        while (m_sink.Next(posted, timeout)) {
            Dispatch(posted);
            timeout = 0ms;
        }
    }

    void Dispatch(const SPosted& posted) {
        switch (posted.m_nMessage) {
        case msg::kPortFailure:
            m_sink.Say(Port() +
                       (posted.m_nLParam != 0 ? ": no answer to the probe" : ": the link failed"));
            m_connection.OnPortFailure(posted.m_nLParam != 0);
            m_bFailed = !g_flags.m_bOnline;
            break;
        case msg::kProbeAnswered:
            m_bProbeAnswered = true;
            m_connection.OnProbeAnswered();
            break;
        case msg::kImageReplaced:
            ++m_nImagesReplaced;
            break;
        case msg::kAllModesRead:
            m_link.FinishReadAllModes();
            break;
        default:
            break;
        }
    }

    CCtlSink m_sink;
    CDeviceLink m_link;
    CConnection m_connection;
    bool m_bFailed = false;
    bool m_bProbeAnswered = false;
    int m_nImagesReplaced = 0;
};

struct SCommandLine {
    std::vector<std::string> m_aPorts;
    bool m_bJson = false;
    std::vector<std::string> m_aWords; // the command and its arguments
};

bool ParseLine(const std::vector<std::string>& args, SCommandLine& line) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            line.m_aPorts.push_back(args[++i]);
        } else if (args[i] == "--json") {
            line.m_bJson = true;
        } else if (args[i].rfind("--", 0) == 0) {
            return false;
        } else {
            line.m_aWords.push_back(args[i]);
        }
    }
    return !line.m_aWords.empty();
}

bool ParseMode(const std::string& text, int last, int& mode) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 1 || n > last) {
        return false;
    }
    mode = static_cast<int>(n);
    return true;
}

// A file to send must exist and hold at least its format's bytes.
bool CheckInput(const std::string& path, std::size_t size, std::ostream& err) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        err << "zoltctl: " << path << ": " << std::strerror(errno) << '\n';
        return false;
    }
    if (static_cast<std::size_t>(info.st_size) < size) {
        err << "zoltctl: " << path << ": shorter than " << size << " bytes\n";
        return false;
    }
    return true;
}

struct SContext {
    SCommandLine m_line;
    CClock& m_clock;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_bProgress;
};

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
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, false);
    if (!session.Connect(false)) {
        return kExitLink;
    }
    c.m_out << "found " << session.Port() << " unlock=" << (g_flags.m_bUnlock ? 1 : 0) << '\n';
    return kExitDone;
}

int Backup(SContext& c) {
    const std::string& file = c.m_line.m_aWords[1];
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, c.m_bProgress);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    session.Link().SendCommand(cmd::kReadMode, 1);
    if (!session.WaitUntil([&] { return session.Sink().ExportRequested(); })) {
        session.Sink().Say("backup failed; no file written");
        return kExitLink;
    }
    return ExportAllModes(file) ? kExitDone : kExitFile;
}

int Restore(SContext& c) {
    const std::string& file = c.m_line.m_aWords[1];
    if (!CheckInput(file, kAllModesFileSize, c.m_err)) {
        return kExitFile;
    }
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, c.m_bProgress);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!ImportAllModes(file, session.Link())) {
        return kExitFile;
    }
    return session.WaitDrained() ? kExitDone : kExitLink;
}

int Pull(SContext& c) {
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, false);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    return ExportOneMode(c.m_line.m_aWords[1]) ? kExitDone : kExitFile;
}

int Push(SContext& c) {
    const std::string& file = c.m_line.m_aWords[1];
    if (!CheckInput(file, kOneModeFileSize, c.m_err)) {
        return kExitFile;
    }
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, false);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!ImportOneMode(file, session.Link())) {
        return kExitFile;
    }
    return session.WaitDrained() ? kExitDone : kExitLink;
}

int Recall(SContext& c) {
    int mode = 0;
    if (!ParseMode(c.m_line.m_aWords[1], static_cast<int>(kModeCount), mode)) {
        c.m_err << "zoltctl: recall: the mode is a number from 1 to 21\n";
        return kExitUsage;
    }
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, false);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    session.Link().SendCommand(cmd::kRecall, static_cast<std::uint8_t>(mode));
    return session.WaitDrained() ? kExitDone : kExitLink;
}

int Store(SContext& c) {
    int mode = 0;
    const std::string& name = c.m_line.m_aWords[2];
    if (!ParseMode(c.m_line.m_aWords[1], 16, mode)) {
        c.m_err << "zoltctl: store: the mode is a number from 1 to 16\n";
        return kExitUsage;
    }
    if (name.size() > kNameSize) {
        c.m_err << "zoltctl: store: a mode name has at most 20 characters\n";
        return kExitUsage;
    }
    CSession session(c.m_line.m_aPorts, c.m_clock, c.m_err, false);
    if (!session.Connect(true)) {
        return kExitLink;
    }
    if (!g_flags.m_bUnlock) {
        session.Sink().Say("store refused: the processor does not allow storing modes "
                           "(no save permission)");
        return kExitLink;
    }
    {
        // As the System page stores: the current system password first, then the store.
        CImageGuard guard(ImageLock());
        std::memcpy(Slot(0) + slot0::kNewSixCode, System() + 19, 6);
        session.Link().SendCommand(cmd::kSixCodeChange, 0);
        SetModeName(static_cast<std::size_t>(mode), name);
        session.Link().SendCommand(cmd::kStore, static_cast<std::uint8_t>(mode));
    }
    return session.WaitDrained() ? kExitDone : kExitLink;
}

int Dump(SContext& c) {
    SDumpNode root;
    std::string error;
    if (!DescribeFile(c.m_line.m_aWords[1], root, error)) {
        c.m_err << "zoltctl: " << error << '\n';
        return kExitFile;
    }
    if (c.m_line.m_bJson) {
        PrintJson(root, c.m_out);
    } else {
        PrintText(root, c.m_out);
    }
    return kExitDone;
}

struct SCommand {
    const char* m_pszName;
    std::size_t m_nWords; // the command and its arguments
    int (*m_pRun)(SContext&);
};
constexpr SCommand kCommands[] = {
    {"ports", 1, Ports},     {"probe", 1, Probe}, {"backup", 2, Backup},
    {"restore", 2, Restore}, {"pull", 2, Pull},   {"push", 2, Push},
    {"recall", 2, Recall},   {"store", 3, Store}, {"dump", 2, Dump},
};

} // namespace

int Run(const std::vector<std::string>& args, CClock& clock, std::ostream& out, std::ostream& err,
        bool progress) {
    SContext context{{}, clock, out, err, progress};
    if (!ParseLine(args, context.m_line)) {
        err << kUsage;
        return kExitUsage;
    }
    if (context.m_line.m_aWords[0] == "eq") {
        return RunEq(context.m_line.m_aWords, out, err);
    }
    for (const SCommand& command : kCommands) {
        if (context.m_line.m_aWords[0] == command.m_pszName &&
            context.m_line.m_aWords.size() == command.m_nWords) {
            return command.m_pRun(context);
        }
    }
    err << kUsage;
    return kExitUsage;
}

} // namespace zolt::ctl
