#include "link/Connection.h"

#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Command.h"
#include "model/Text.h"

#include <algorithm>

namespace zolt {

namespace {

constexpr SText kUnableToOpen{"不能打开设备!", "Unable to Open Device!"};

} // namespace

CConnection::CConnection(CDeviceLink& link, CTransportOpener& opener, CClock& clock, bool stepped)
    : m_link(link), m_opener(opener), m_clock(clock), m_bStepped(stepped) {}

CConnection::~CConnection() {
    ClosePort();
}

void CConnection::SetNamedPorts(std::vector<std::string> ports, bool only) {
    m_aNamedPorts = std::move(ports);
    m_bNamedOnly = only;
}

bool CConnection::Online() const {
    return g_flags.m_bOnline;
}

void CConnection::OnConnectButton() {
    if (Online()) {
        Disconnect();
    } else {
        Lookup();
    }
}

void CConnection::Lookup(bool quiet) {
    if (Online()) {
        return;
    }
    m_aFailures.clear();
    m_bQuietLookup = quiet;
    ListCandidates();
    if (!Prune(m_candidates)) {
        g_flags.m_bLookup = false;
        if (!quiet) {
            ShowUnableToOpen("no serial port was found");
        }
    } else if (!OpenNextCandidate()) {
        g_flags.m_bLookup = false;
        if (!quiet) {
            ShowUnableToOpen(LookupCauses());
        }
    }
}

void CConnection::OnPortsAdded(const CPortList& added) {
    CPortList ports = PortsToTry(added);
    if (ports.empty() || (Online() && !g_flags.m_bLookup)) {
        return;
    }
    if (Online()) {
        for (SPortCandidate& port : ports) {
            const bool known = std::any_of(m_candidates.begin(), m_candidates.end(), [&](auto& c) {
                return c.m_strPortName == port.m_strPortName;
            });
            if (!known && port.m_strPortName != m_strPortInUse) {
                m_candidates.push_back(std::move(port));
            }
        }
        return;
    }
    m_aFailures.clear();
    m_bQuietLookup = true;
    m_candidates = std::move(ports);
    if (!OpenNextCandidate()) {
        g_flags.m_bLookup = false;
    }
}

// With only named ports, an added port is tried under the name the user gave it.
CPortList CConnection::PortsToTry(const CPortList& added) const {
    if (!m_bNamedOnly) {
        return added;
    }
    CPortList ports;
    for (const SPortCandidate& port : added) {
        for (const std::string& named : m_aNamedPorts) {
            if (SamePort(named, port.m_strPortName)) {
                ports.push_back(NamedCandidate(named));
                break;
            }
        }
    }
    return ports;
}

void CConnection::ListCandidates() {
    m_candidates.clear();
    for (const std::string& path : m_aNamedPorts) {
        m_candidates.push_back(NamedCandidate(path));
    }
    if (m_bNamedOnly) {
        return;
    }
    CPortList system;
    std::string error;
    if (!Enumerate(system, false, &error)) {
        Notify().MessageBox(error, "");
    }
    for (const SPortCandidate& port : system) {
        const auto named =
            std::find(m_aNamedPorts.begin(), m_aNamedPorts.end(), port.m_strPortName);
        if (named == m_aNamedPorts.end()) {
            m_candidates.push_back(port); // a named port is tried once, in its place
        }
    }
}

bool CConnection::OpenNextCandidate() {
    while (!m_candidates.empty()) {
        m_strPortInUse = m_candidates.front().m_strPortName;
        m_candidates.erase(m_candidates.begin());
        SOpenFailure failure;
        m_pPort = m_opener.Open(m_strPortInUse, failure);
        if (m_pPort == nullptr) {
            m_aFailures.push_back(failure);
            continue;
        }
        g_flags.m_bConnected = true;
        g_flags.m_bOnline = true;
        m_link.OnPortOpened(m_pPort->RoundTrip());
        g_flags.m_bLookup = true;
        Notify().ConnectionChanged(); // on line from now on, not only once read back
        Notify().ProgressLookup();
        // Nothing is synchronised until the read-back is in (OnPortOpened holds it): the
        // shadows keep what the processor was last known to hold, so edits made off line
        // are still told from it.
        m_link.Build(cmd::kProbe, 0);
        m_pLoop = std::make_unique<CCommLoop>(m_link, *m_pPort, m_clock);
        if (!m_bStepped) {
            m_thread.Start(*m_pLoop);
        }
        return true;
    }
    return false;
}

void CConnection::OnPortFailure(bool probeInFlight) {
    if (!Online()) {
        return;
    }
    ClosePort(); // the comm loop has ended: the link's failure record is final
    std::string cause = FailureText(m_link.Failure());
    cause = m_strPortInUse + ": " + (cause.empty() ? "the link failed" : cause);
    if (probeInFlight) {
        m_aFailures.push_back({EOpenError::NotAnswered, cause});
        if (OpenNextCandidate()) {
            return;
        }
        GoOffline();
        if (!m_bQuietLookup) {
            ShowUnableToOpen(LookupCauses());
        }
        return;
    }
    const std::string transfer = TransferText(m_link.Transfer());
    GoOffline();
    ShowUnableToOpen(transfer.empty() ? cause : cause + "\n" + transfer);
    if (Notify().IsSystemPageShown()) {
        Notify().ShowCurrentPage();
    }
}

void CConnection::OnProbeAnswered() {
    g_flags.m_bLookup = false;
    m_link.StartReadBack();
}

// Ends the comm loop (after its current turn) and closes the port.
void CConnection::ClosePort() {
    if (m_pPort == nullptr) {
        return;
    }
    m_thread.Stop(*m_pPort);
    m_pLoop.reset();
    m_pPort.reset();
}

bool CConnection::CommRunning() const {
    return m_pPort != nullptr && (m_bStepped ? !m_pPort->StopRequested() : m_thread.Running());
}

bool CConnection::Turn() {
    return m_bStepped && m_pLoop != nullptr && m_pLoop->Turn();
}

void CConnection::Disconnect() {
    ClosePort();
    GoOffline();
    if (Notify().IsSystemPageShown()) {
        Notify().ShowCurrentPage();
    }
}

void CConnection::GoOffline() {
    g_flags.m_bConnected = false;
    g_flags.m_bOnline = false;
    g_flags.m_bStoreBusy = false;
    g_flags.m_bLookup = false;
    Notify().ProgressHide();
    Notify().ConnectionChanged();
}

bool CConnection::ProbeAcknowledgedOnly() const {
    return Online() && m_link.ProbeAcknowledged();
}

std::string CConnection::ProbeAcknowledgedText() const {
    return m_strPortInUse +
           ": the device acknowledged the probe without sending its state, so nothing was "
           "read back";
}

// The specified text first, then what the program knows of the cause.
void CConnection::ShowUnableToOpen(const std::string& causes) const {
    std::string text = kUnableToOpen.In(g_flags.m_nLanguage);
    if (!causes.empty()) {
        text += "\n" + causes;
    }
    Notify().MessageBox(text, "");
}

std::string CConnection::LookupCauses() const {
    std::string causes;
    for (const SOpenFailure& failure : m_aFailures) {
        causes += (causes.empty() ? "" : "\n") + failure.m_strReason;
    }
    return causes;
}

} // namespace zolt
