#include "link/Session.h"

#include "model/Command.h"
#include "model/Defaults.h"
#include "model/Text.h"

#include <utility>

namespace zolt {

namespace {

constexpr SText kCancelled{"传输已取消。", "The transfer was cancelled."};

} // namespace

CSession::CSession(CSessionHost& host, SSessionOptions options)
    : m_host(host), m_options(std::move(options)), m_hostThread(std::this_thread::get_id()),
      m_link(m_options.m_pClock != nullptr ? *m_options.m_pClock : SystemClock()),
      m_connection(m_link, m_options.m_pOpener != nullptr ? *m_options.m_pOpener : m_serialOpener,
                   m_options.m_pClock != nullptr ? *m_options.m_pClock : SystemClock(),
                   m_options.m_bStepped) {
    m_connection.SetNamedPorts(m_options.m_astrPorts, m_options.m_bNamedOnly);
    SetNotifySink(this);
}

// The host is going: the link ends without telling it anything more.
CSession::~CSession() {
    SetNotifySink(nullptr);
    *m_pAlive = false;
    m_connection.Disconnect();
}

void CSession::OnConnectButton() {
    m_connection.OnConnectButton();
}

void CSession::Lookup(bool quiet) {
    m_connection.Lookup(quiet);
}

void CSession::OnPortsAdded(const CPortList& added) {
    m_connection.OnPortsAdded(added);
}

void CSession::Disconnect() {
    m_connection.Disconnect();
}

void CSession::SendCommand(std::uint8_t code, std::uint8_t parameter) {
    m_link.SendCommand(code, parameter);
}

bool CSession::Turn() {
    m_bInTurn = true;
    const bool turned = m_connection.Turn();
    m_bInTurn = false;
    return turned;
}

// --- What each link message means ---

void CSession::OnLinkMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case msg::kPortFailure:
        if (m_connection.Online()) {
            m_connection.OnPortFailure(lParam != 0); // the next candidate, or the report
            if (!m_connection.Online()) {
                m_bCancelling = false;
                m_host.LinkEnded();
            }
        }
        break;
    case msg::kProbeAnswered:
        OnProbeAnswered();
        break;
    case msg::kProbeAcknowledged:
        OnProbeAcknowledged();
        break;
    case msg::kSystemBlockRead:
        m_host.SystemBlockRead();
        break;
    case msg::kImageReplaced:
        OnImageReplaced();
        break;
    case msg::kAllModesRead:
        m_link.FinishReadAllModes(); // the system block into slot 0; then RunAllModesExport
        break;
    case msg::kMeters:
        m_host.MetersArrived(static_cast<int>(wParam));
        m_link.MetersShown();
        break;
    case msg::kCommandsDone:
        OnCommandsDone(wParam);
        break;
    default:
        break;
    }
}

// The processor answered: what differs from what it was last known to hold are edits made
// off line, remembered before the read-back replaces them.
void CSession::OnProbeAnswered() {
    {
        CImageGuard guard(ImageLock());
        m_offlineEdits = UnsentEdits();
    }
    m_bReadingBack = true;
    m_connection.OnProbeAnswered(); // starts the read-back
    m_host.ProbeAnswered();
}

// The read-back's last reply, or a recall's. After a read-back that replaced edits made off
// line, the host asks whether to send them; then the link synchronises again.
void CSession::OnImageReplaced() {
    const bool readBack = std::exchange(m_bReadingBack, false);
    m_host.ImageReplaced();
    if (!readBack) {
        return;
    }
    const SEditStep edits = std::exchange(m_offlineEdits, {});
    if (!edits.m_aChanges.empty() && m_host.KeepOfflineEdits(CountSettings(edits))) {
        ApplyStep(edits, true);
        RebindCurves();
        m_host.OfflineEditsKept();
    }
    m_link.ReleaseSync();
}

void CSession::CancelTransfer() {
    switch (m_link.CancelQueued()) {
    case CDeviceLink::ECancel::Nothing:
        break;
    case CDeviceLink::ECancel::InFlight:
        m_bCancelling = true; // reported once its answer is in
        break;
    case CDeviceLink::ECancel::Stopped:
        ReportCancel();
        break;
    }
}

// The queue has drained; after a cancel, the report of what the transfer did.
void CSession::OnCommandsDone(std::size_t answered) {
    m_nCommandsAnswered = answered;
    if (std::exchange(m_bCancelling, false)) {
        ReportCancel();
    } else {
        m_host.CommandsDone();
    }
}

void CSession::ReportCancel() {
    const std::string transfer = TransferText(m_link.Transfer());
    m_link.EndTransfer();
    m_host.ProgressHide();
    m_host.MessageBox(std::string(kCancelled.In(g_flags.m_nLanguage)) +
                          (transfer.empty() ? "" : "\n" + transfer),
                      "");
    m_host.TransferCancelled();
}

// A device that acknowledges the probe instead of answering it sends no state: the lookup
// is over (it would otherwise hold the lookup box for ever), nothing is read back, and a
// box says why.
void CSession::OnProbeAcknowledged() {
    if (!m_connection.ProbeAcknowledgedOnly()) {
        return;
    }
    g_flags.m_bLookup = false;
    {
        // What it holds is unknown: only edits from now on are sent.
        CImageGuard guard(ImageLock());
        CommitShadow(true);
    }
    m_link.ReleaseSync();
    m_host.ConnectionChanged();
    m_host.MessageBox(m_connection.ProbeAcknowledgedText(), "");
}

// --- The notification sink: every notice reaches the host on its thread ---

void CSession::OnHostThread(std::function<void()> work) {
    if (std::this_thread::get_id() == m_hostThread && !m_bInTurn) {
        work();
    } else {
        Later(std::move(work));
    }
}

// A task that outlives the session (still queued by the host when it ends) does nothing.
void CSession::Later(std::function<void()> work) {
    m_host.RunOnHostThread([pAlive = m_pAlive, work = std::move(work)] {
        if (*pAlive) {
            work();
        }
    });
}

void CSession::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    Later([this, message, wParam, lParam] { OnLinkMessage(message, wParam, lParam); });
}

void CSession::ProgressStart(int total) {
    OnHostThread([this, total] { m_host.ProgressStart(total); });
}

void CSession::ProgressStep(int step, std::uint8_t command, std::uint8_t parameter) {
    OnHostThread(
        [this, step, command, parameter] { m_host.ProgressStep(step, command, parameter); });
}

void CSession::ProgressBusy() {
    OnHostThread([this] { m_host.ProgressBusy(); });
}

void CSession::ProgressLookup() {
    OnHostThread([this] { m_host.ProgressLookup(); });
}

void CSession::ProgressHide() {
    OnHostThread([this] { m_host.ProgressHide(); });
}

void CSession::MessageBox(std::string_view text, std::string_view caption) {
    OnHostThread([this, strText = std::string(text), strCaption = std::string(caption)] {
        m_host.MessageBox(strText, strCaption);
    });
}

void CSession::ConnectionChanged() {
    OnHostThread([this] { m_host.ConnectionChanged(); });
}

void CSession::ShowCurrentPage() {
    OnHostThread([this] { m_host.ShowCurrentPage(); });
}

void CSession::RunAllModesExport() {
    OnHostThread([this] { m_host.AllModesRead(); });
}

} // namespace zolt
