// The session: the device link, the connection to the processor and the meaning of every
// message the link posts, for every host (the main window, zoltctl, the benchmarks and the
// tests). A host gives the session only a way to run work on its own thread, and reacts to
// what the session tells it: a page to show again, a box, a progress step, the read of all
// modes done. No host repeats a step of the flow (probe answered -> read-back, all modes read
// -> finish, a failure -> one report).
//
// The session is the link's notification sink while it lives: notices raised on the comm
// thread reach the host on the host's thread, in the order they were raised.
//
// Threads: construct, destroy and call the session on the host's thread only, never with
// the image lock held (a disconnect waits for the comm thread, whose steps take it).
#pragma once

#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/SerialPort.h"
#include "model/EditHistory.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zolt {

// What a host gives a session and hears from it: the user notices of the link (progress,
// boxes, the connection display, the page), and what the flow came to. Every notice comes on
// the host's thread, except where said.
class CSessionHost : public CUserNotices {
public:
    // Any thread, never blocks: runs task later on the host's thread, tasks in the order
    // they were given.
    virtual void RunOnHostThread(std::function<void()> task) = 0;

    // The lookup found the processor (it answered the probe); the read-back has started.
    virtual void ProbeAnswered() {}
    // A new working image arrived (the read-back's last reply, a recall): show it.
    virtual void ImageReplaced() {}
    // The read-back replaced edits made while off line that never reached the processor
    // (settings: how many): true to send them to the processor (they go onto its settings),
    // false to take the processor's settings. Asked once the read-back is in.
    virtual bool KeepOfflineEdits([[maybe_unused]] std::size_t settings) { return false; }
    // The edits made off line went back onto the processor's settings: show them.
    virtual void OfflineEditsKept() {}
    // The system block arrived.
    virtual void SystemBlockRead() {}
    // A read of all modes is done: the store holds all 21 modes and the system block, and
    // is valid. The window offers the export; zoltctl writes its file.
    virtual void AllModesRead() {}
    // New meter values (12 levels, 24 states); the session lets the next ones come after.
    virtual void MetersArrived([[maybe_unused]] int pollKind) {}
    // The queued commands have all been answered: a transfer, store or recall is done
    // (CSession::CommandsAnswered tells whose).
    virtual void CommandsDone() {}
    // A transfer was cancelled: its frame in flight has been answered and the rest dropped;
    // the report of what was and was not done has been shown.
    virtual void TransferCancelled() {}
    // The link failed and the session is off line; the failure has been reported.
    virtual void LinkEnded() {}
};

struct SSessionOptions {
    // The clock of the link's pauses; null: the real one.
    CClock* m_pClock = nullptr;
    // Makes the transport of a port by its name; null: every name is a serial device.
    CTransportOpener* m_pOpener = nullptr;
    // The host runs the comm loop itself, turn by turn, with Turn() (virtual time);
    // otherwise the comm thread does.
    bool m_bStepped = false;
    // Ports tried before the system's, in order; with m_bNamedOnly the only candidates.
    std::vector<std::string> m_astrPorts;
    bool m_bNamedOnly = false;
};

class CSession final : private CNotifySink {
public:
    CSession(CSessionHost& host, SSessionOptions options = {});
    ~CSession() override;
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // The connect button (and the start-up lookup): disconnects on line, else looks up.
    void OnConnectButton();
    // Off line: the lookup; a quiet one ends without a message when nothing answers.
    void Lookup(bool quiet = false);
    // Ports plugged in while the program runs (the port watch).
    void OnPortsAdded(const CPortList& added);
    // Goes off line without a message.
    void Disconnect();
    bool Online() const { return m_connection.Online(); }

    // The send command of the pages and tools (CDeviceLink::SendCommand).
    void SendCommand(std::uint8_t code, std::uint8_t parameter);
    // Reads all 21 modes (on line) or offers the store for export (off line).
    void ReadAllModes() { SendCommand(cmd::kReadMode, 1); }
    // Stops the transfer under way after the frame in flight; once that is answered the host
    // is told what was and was not done. Nothing when no command is queued.
    void CancelTransfer();

    // Every command queued so far has been answered once this reaches the link's
    // FramesAppended() as it was after queuing them (the host hears CommandsDone).
    std::size_t CommandsAnswered() const { return m_nCommandsAnswered; }

    // A stepped session: one turn of the comm loop; false when none runs. Call only
    // from the host's thread, where the link's notices are then handled too.
    bool Turn();

    CDeviceLink& Link() { return m_link; }
    const CDeviceLink& Link() const { return m_link; }
    CConnection& Connection() { return m_connection; }
    const CConnection& Connection() const { return m_connection; }

private:
    // CNotifySink: what the link and the connection raise, on whichever thread.
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void ProgressStart(int total) override;
    void ProgressStep(int step, std::uint8_t command, std::uint8_t parameter) override;
    void ProgressBusy() override;
    void ProgressLookup() override;
    void ProgressHide() override;
    void MessageBox(std::string_view text, std::string_view caption) override;
    void ConnectionChanged() override;
    void ShowCurrentPage() override;
    void RunAllModesExport() override;
    bool IsSystemPageShown() const override { return m_host.IsSystemPageShown(); }

    // The meaning of each link message, on the host's thread.
    void OnLinkMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnProbeAnswered();
    void OnProbeAcknowledged();
    void OnImageReplaced();
    void OnCommandsDone(std::size_t answered);
    void ReportCancel();
    // Runs work on the host's thread: at once when called there outside a comm turn, else
    // later.
    void OnHostThread(std::function<void()> work);
    void Later(std::function<void()> work);

    CSessionHost& m_host;
    SSessionOptions m_options;
    std::thread::id m_hostThread;
    CSerialOpener m_serialOpener;
    CDeviceLink m_link;
    CConnection m_connection;
    bool m_bInTurn = false;
    bool m_bReadingBack = false; // the probe was answered; the working image is not in yet
    bool m_bCancelling = false;  // the queue was dropped; the frame in flight is answered next
    SEditStep m_offlineEdits;    // what the read-back replaces that never reached the processor
    std::size_t m_nCommandsAnswered = 0;
    // False once the session has ended; read by tasks still queued on the host's thread.
    std::shared_ptr<bool> m_pAlive = std::make_shared<bool>(true);
};

} // namespace zolt
