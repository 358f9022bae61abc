#include "link/Connection.h"

#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Command.h"

#include <algorithm>

namespace zolt {

namespace {

constexpr const char* kUnableToOpen[2] = {"Unable to Open Device!", "不能打开设备!"};

} // namespace

CConnection::CConnection(CDeviceLink& link, CClock& clock) : m_link(link), m_port(clock) {}

CConnection::~CConnection() {
    m_port.Close();
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
        if (!m_port.Open(m_strPortInUse, {}, &failure)) {
            m_aFailures.push_back(failure);
            continue;
        }
        g_flags.m_bConnected = true;
        g_flags.m_bOnline = true;
        m_link.OnPortOpened();
        g_flags.m_bLookup = true;
        Notify().RefreshProgramName(); // on line from now on, not only once read back
        Notify().ProgressLookup();
        {
            // Nothing is synchronised until the read-back has replaced both shadows.
            CImageGuard guard(ImageLock());
            CommitShadow(true);
            m_link.Build(cmd::kProbe, 0);
        }
        m_port.Start(m_link);
        return true;
    }
    return false;
}

void CConnection::OnPortFailure(bool probeInFlight) {
    if (!Online()) {
        return;
    }
    m_port.Close(); // the comm thread has ended: the link's failure record is final
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

void CConnection::Disconnect() {
    m_port.Close();
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
    Notify().RefreshProgramName();
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
    std::string text = kUnableToOpen[g_flags.m_nLanguage == 1 ? 1 : 0];
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
