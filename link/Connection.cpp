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

void CConnection::Lookup() {
    if (Online()) {
        return;
    }
    m_aFailures.clear();
    ListCandidates();
    if (!Prune(m_candidates) || !OpenNextCandidate()) {
        g_flags.m_bLookup = false;
        ShowUnableToOpen();
    }
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
    m_port.Close();
    if (probeInFlight && OpenNextCandidate()) {
        return;
    }
    GoOffline();
    ShowUnableToOpen();
    if (!probeInFlight && Notify().IsSystemPageShown()) {
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

void CConnection::ShowUnableToOpen() const {
    Notify().MessageBox(kUnableToOpen[g_flags.m_nLanguage == 1 ? 1 : 0], "");
}

} // namespace zolt
