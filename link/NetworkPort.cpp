#include "link/NetworkPort.h"

#include <gensio/gensio.h>
#include <gensio/gensio_osops.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace zolt {

namespace {

constexpr std::string_view kTlsScheme = "tls://";
constexpr std::string_view kTcpScheme = "tcp://";
static_assert(kTlsScheme.size() == kTcpScheme.size());

// A host that does not complete the connection in this time is taken as not answering.
constexpr Milliseconds kOpenTimeout{10000};
// How long the room is given to refuse the desk, or to say it is in use, after the
// connection opened: a few round trips of the connection's set-up.
constexpr int kSettleHandshakes = 2;
constexpr Milliseconds kSettleFloor{50};
// A write is given this long to be taken by the connection.
constexpr Milliseconds kWriteGrace{1000};
constexpr Milliseconds kCloseTimeout{2000};
// What ser2net says to a desk when another holds the room, at the start of the stream.
constexpr const char* kInUseAnswers[] = {"Port already in use", "Port's device already in use"};
constexpr std::size_t kGreetingBytes = 64;

using Clock = std::chrono::steady_clock;

// The process's gensio OS handler, with the wake signal its waits across threads use. It
// lives as long as the process.
gensio_os_funcs* OsFuncs() {
    static gensio_os_proc_data* s_pProcess = nullptr;
    static gensio_os_funcs* const s_pFuncs = [] {
        gensio_os_funcs* o = nullptr;
        if (gensio_default_os_hnd(GENSIO_DEF_WAKE_SIG, &o) != 0) {
            return static_cast<gensio_os_funcs*>(nullptr);
        }
        gensio_os_proc_setup(o, &s_pProcess);
        return o;
    }();
    return s_pFuncs;
}

gensio_time TimeOf(Milliseconds duration) {
    const auto ms = std::max<Milliseconds::rep>(duration.count(), 0);
    return {static_cast<std::int64_t>(ms / 1000), static_cast<std::int32_t>((ms % 1000) * 1000000)};
}

Milliseconds Left(Clock::time_point deadline) {
    return std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
}

struct SRoomAddress {
    bool m_bTls = true;
    std::string m_strHost; // an IPv6 address without its brackets
    std::string m_strPort;
};

// tls://HOST:PORT or tcp://HOST:PORT, HOST a name, an IPv4 address or [IPv6].
bool ParseName(const std::string& name, SRoomAddress& address) {
    const bool tls = name.rfind(kTlsScheme, 0) == 0;
    std::string_view rest(name);
    rest.remove_prefix(kTlsScheme.size());
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == rest.size()) {
        return false;
    }
    std::string_view host = rest.substr(0, colon);
    const std::string_view port = rest.substr(colon + 1);
    if (host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string_view::npos) {
        return false;
    }
    const auto hostChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == ':';
    };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (host.empty() || !std::all_of(host.begin(), host.end(), hostChar) || port.size() > 5 ||
        !std::all_of(port.begin(), port.end(), digit) || std::stoi(std::string(port)) == 0 ||
        std::stoi(std::string(port)) > 65535) {
        return false;
    }
    address = {tls, std::string(host), std::string(port)};
    return true;
}

// The certificate's names for the message of a room that is not the host asked for.
std::string NamesOf(X509* cert) {
    std::string names;
    auto* alt =
        static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; alt != nullptr && i < sk_GENERAL_NAME_num(alt); ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alt, i);
        std::string text;
        if (entry->type == GEN_DNS) {
            text.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(entry->d.dNSName)),
                        static_cast<std::size_t>(ASN1_STRING_length(entry->d.dNSName)));
        } else if (entry->type == GEN_IPADD) {
            const unsigned char* ip = ASN1_STRING_get0_data(entry->d.iPAddress);
            char buffer[64] = {};
            if (ASN1_STRING_length(entry->d.iPAddress) == 4) {
                std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
            } else {
                std::snprintf(buffer, sizeof buffer, "an IPv6 address");
            }
            text = buffer;
        }
        if (!text.empty()) {
            names += (names.empty() ? "" : ", ") + text;
        }
    }
    GENERAL_NAMES_free(alt);
    if (names.empty()) {
        char common[256] = {};
        X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_commonName, common,
                                  sizeof common);
        names = common;
    }
    return names;
}

// Whether the certificate (PEM text) is issued for host; names says for whom it is.
bool CertificateIsFor(const std::string& pem, const std::string& host, std::string& names) {
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* cert = bio != nullptr ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (cert == nullptr) {
        names = "a certificate that cannot be read";
        return false;
    }
    const bool match = X509_check_ip_asc(cert, host.c_str(), 0) == 1 ||
                       X509_check_host(cert, host.c_str(), host.size(), 0, nullptr) == 1;
    names = NamesOf(cert);
    X509_free(cert);
    return match;
}

// The desk's key files can be read; the library would only say that one of them cannot.
bool KeysReadable(const std::string& name, const SNetworkKeys& keys, SOpenFailure& failure) {
    const std::pair<const char*, const std::string*> files[] = {
        {"the venue CA", &keys.m_strCa},
        {"this desk's certificate", &keys.m_strCert},
        {"this desk's key", &keys.m_strKey},
    };
    for (const auto& [what, path] : files) {
        const int fd = open(path->c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            failure = {EOpenError::Other, name + ": " + what + " " + *path + " cannot be read (" +
                                              std::strerror(errno) + ")"};
            return false;
        }
        close(fd);
    }
    return true;
}

class CNetworkPort final : public CTransport {
public:
    CNetworkPort(std::string name, SRoomAddress address)
        : m_strName(std::move(name)), m_address(std::move(address)), m_pOs(OsFuncs()),
          m_pWaiter(gensio_os_funcs_alloc_waiter(m_pOs)) {}
    ~CNetworkPort() override;
    CNetworkPort(const CNetworkPort&) = delete;
    CNetworkPort& operator=(const CNetworkPort&) = delete;

    // Connects and authenticates; false with the reason in failure.
    bool Open(const SNetworkKeys& keys, SOpenFailure& failure);

    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    EPortEvent Wait(Milliseconds timeout) override;
    void RequestStop() override;
    bool StopRequested() const override { return m_bStop.load(); }
    Milliseconds RoundTrip() const override { return m_nHandshake; }

private:
    static int OnEvent(gensio* io, void* user, int event, int err, unsigned char* buf,
                       gensiods* buflen, const char* const* auxdata);
    int Event(int event, int err, const unsigned char* buf, gensiods* buflen,
              const char* const* auxdata);
    int CertificateVerified(int err, const char* const* auxdata);
    bool Allocate(const SNetworkKeys& keys, SOpenFailure& failure);
    SOpenFailure OpenFailure(int err) const;
    SOpenFailure RefusalAfterOpen();
    std::string InUseAnswer() const;
    // Serves the connection until done() holds (true) or the deadline passes (false).
    bool ServeUntil(Clock::time_point deadline, const std::function<bool()>& done);
    void ServeNow();
    void Wake() { gensio_os_funcs_wake(m_pOs, m_pWaiter); }
    SOpenFailure Failure(EOpenError error, const std::string& reason) const {
        return {error, m_strName + ": " + reason};
    }

    std::string m_strName;
    SRoomAddress m_address;
    gensio_os_funcs* m_pOs;
    gensio_waiter* m_pWaiter;
    gensio* m_pIo = nullptr;
    std::atomic<bool> m_bStop{false};
    Milliseconds m_nHandshake{0};

    // Filled by the library's callbacks, which may run on any thread serving it.
    mutable std::mutex m_mutex;
    std::vector<std::uint8_t> m_abInput;
    std::string m_strGreeting; // the first bytes the room sent
    bool m_bOpenDone = false;
    int m_nOpenError = 0;
    bool m_bClosed = false; // the far side closed, or the connection failed
    int m_nCloseError = 0;
    bool m_bWritable = false;
    bool m_bCloseDone = false;
    int m_nCertError = 0;       // the library's verdict on the room's certificate
    std::string m_strCertError; // OpenSSL's words for it
    std::string m_strCertNames; // who the certificate is for, when not for this host
    bool m_bWrongHost = false;
};

CNetworkPort::~CNetworkPort() {
    if (m_pIo != nullptr) {
        const auto closed = [](gensio*, void* data) {
            auto* port = static_cast<CNetworkPort*>(data);
            std::lock_guard lock(port->m_mutex);
            port->m_bCloseDone = true;
            port->Wake();
        };
        if (gensio_close(m_pIo, closed, this) == 0) { // else it was not open
            ServeUntil(Clock::now() + kCloseTimeout, [this] { return m_bCloseDone; });
        }
        gensio_free(m_pIo);
    }
    gensio_os_funcs_free_waiter(m_pOs, m_pWaiter);
}

int CNetworkPort::OnEvent(gensio*, void* user, int event, int err, unsigned char* buf,
                          gensiods* buflen, const char* const* auxdata) {
    return static_cast<CNetworkPort*>(user)->Event(event, err, buf, buflen, auxdata);
}

int CNetworkPort::Event(int event, int err, const unsigned char* buf, gensiods* buflen,
                        const char* const* auxdata) {
    switch (event) {
    case GENSIO_EVENT_READ: {
        std::lock_guard lock(m_mutex);
        if (err != 0) {
            m_bClosed = true;
            m_nCloseError = err;
        } else {
            m_abInput.insert(m_abInput.end(), buf, buf + *buflen);
            const std::size_t room =
                kGreetingBytes - std::min(kGreetingBytes, m_strGreeting.size());
            m_strGreeting.append(reinterpret_cast<const char*>(buf),
                                 std::min<std::size_t>(room, *buflen));
        }
        Wake();
        return 0;
    }
    case GENSIO_EVENT_WRITE_READY:
        gensio_set_write_callback_enable(m_pIo, false);
        {
            std::lock_guard lock(m_mutex);
            m_bWritable = true;
        }
        Wake();
        return 0;
    case GENSIO_EVENT_POSTCERT_VERIFY:
        return CertificateVerified(err, auxdata);
    default:
        return GE_NOTSUP;
    }
}

// The library has checked the room's certificate against the venue CA; what it cannot
// check is that the certificate was issued for the host asked for.
int CNetworkPort::CertificateVerified(int err, const char* const* auxdata) {
    std::lock_guard lock(m_mutex);
    m_nCertError = err;
    if (err != 0) {
        m_strCertError = auxdata != nullptr && auxdata[0] != nullptr ? auxdata[0] : "";
        return GE_NOTSUP; // the open fails with the library's verdict
    }
    std::string pem(16384, '\0');
    gensiods length = pem.size();
    if (gensio_control(m_pIo, GENSIO_CONTROL_DEPTH_FIRST, GENSIO_CONTROL_GET, GENSIO_CONTROL_CERT,
                       pem.data(), &length) != 0) {
        pem.clear();
    }
    pem.resize(std::min<std::size_t>(length, pem.size()));
    if (!CertificateIsFor(pem, m_address.m_strHost, m_strCertNames)) {
        m_bWrongHost = true;
        return GE_AUTHREJECT;
    }
    return GE_NOTSUP;
}

bool CNetworkPort::Allocate(const SNetworkKeys& keys, SOpenFailure& failure) {
    gensio_addr* addr = nullptr;
    const std::string where = m_address.m_strHost + "," + m_address.m_strPort;
    int err = gensio_os_scan_netaddr(m_pOs, where.c_str(), false, GENSIO_NET_PROTOCOL_TCP, &addr);
    if (err != 0) {
        failure =
            Failure(EOpenError::Unreachable, "the host " + m_address.m_strHost + " is not known (" +
                                                 gensio_err_to_str(err) + ")");
        return false;
    }
    const char* const tcpArgs[] = {"nodelay", nullptr};
    gensio* tcp = nullptr;
    err = gensio_terminal_alloc("tcp", addr, tcpArgs, m_pOs, OnEvent, this, &tcp);
    gensio_addr_free(addr);
    if (err == 0 && m_address.m_bTls) {
        const std::string ca = "CA=" + keys.m_strCa;
        const std::string cert = "cert=" + keys.m_strCert;
        const std::string key = "key=" + keys.m_strKey;
        const char* const sslArgs[] = {ca.c_str(), cert.c_str(), key.c_str(), nullptr};
        err = gensio_filter_alloc("ssl", tcp, sslArgs, m_pOs, OnEvent, this, &m_pIo);
        if (err != 0) {
            gensio_free(tcp);
        }
    } else {
        m_pIo = tcp;
    }
    if (err != 0) {
        m_pIo = nullptr;
        failure = Failure(EOpenError::Other, std::string("the connection could not be set up (") +
                                                 gensio_err_to_str(err) + ")");
        return false;
    }
    return true;
}

bool CNetworkPort::Open(const SNetworkKeys& keys, SOpenFailure& failure) {
    if (m_pOs == nullptr || m_pWaiter == nullptr) {
        failure = Failure(EOpenError::Other, "the network library could not be started");
        return false;
    }
    if (!Allocate(keys, failure)) {
        return false;
    }
    const auto started = Clock::now();
    const auto opened = [](gensio*, int err, void* data) {
        auto* port = static_cast<CNetworkPort*>(data);
        std::lock_guard lock(port->m_mutex);
        port->m_bOpenDone = true;
        port->m_nOpenError = err;
        port->Wake();
    };
    int err = gensio_open(m_pIo, opened, this);
    if (err == 0 && !ServeUntil(started + kOpenTimeout, [this] { return m_bOpenDone; })) {
        failure = Failure(EOpenError::Unreachable,
                          "no answer from " + m_address.m_strHost + " port " + m_address.m_strPort +
                              " within " + std::to_string(kOpenTimeout.count() / 1000) + " s");
        return false;
    }
    if (err == 0) {
        std::lock_guard lock(m_mutex);
        err = m_nOpenError;
    }
    if (err != 0) {
        failure = OpenFailure(err);
        return false;
    }
    m_nHandshake =
        std::max(Milliseconds{1}, std::chrono::duration_cast<Milliseconds>(Clock::now() - started));
    gensio_set_read_callback_enable(m_pIo, true);
    failure = RefusalAfterOpen();
    return failure.m_eError == EOpenError::None;
}

// Why the open failed, from the library's error and what the certificate check found.
SOpenFailure CNetworkPort::OpenFailure(int err) const {
    std::lock_guard lock(m_mutex);
    const std::string words = m_strCertError.empty() ? "" : " (" + m_strCertError + ")";
    if (m_bWrongHost) {
        return Failure(EOpenError::NotTrusted, "the room's certificate is for another host (" +
                                                   m_strCertNames + "), not " +
                                                   m_address.m_strHost);
    }
    switch (m_nCertError != 0 ? m_nCertError : err) {
    case GE_CERTEXPIRED:
        return Failure(EOpenError::NotTrusted, "the room's certificate has expired" + words);
    // A TLS server always sends its certificate: not found is its issuer, not among the
    // venue CA.
    case GE_CERTNOTFOUND:
    case GE_CERTREVOKED:
    case GE_CERTINVALID:
        return Failure(EOpenError::NotTrusted,
                       "the room's certificate is not signed by the venue CA" + words);
    case GE_CONNREFUSE:
        return Failure(EOpenError::Unreachable,
                       m_address.m_strHost + " refused the connection on port " +
                           m_address.m_strPort + " (no room is served there)");
    case GE_HOSTDOWN:
    case GE_TIMEDOUT:
        return Failure(EOpenError::Unreachable,
                       "no answer from " + m_address.m_strHost + " port " + m_address.m_strPort);
    default:
        break;
    }
    if (m_nCertError == 0 && m_address.m_bTls &&
        (err == GE_REMCLOSE || err == GE_PROTOERR || err == GE_COMMERR || err == GE_IOERR)) {
        return Failure(EOpenError::Refused, "the room refused this desk's certificate (" +
                                                std::string(gensio_err_to_str(err)) + ")");
    }
    return Failure(EOpenError::Other,
                   std::string("the connection failed (") + gensio_err_to_str(err) + ")");
}

// The room has accepted the connection; within a few round trips it refuses this desk's
// certificate (TLS 1.3 tells the client only after the handshake) or says another desk
// holds it, and closes. Only then is the port the link's.
SOpenFailure CNetworkPort::RefusalAfterOpen() {
    const Milliseconds settle = std::max(kSettleFloor, kSettleHandshakes * m_nHandshake);
    ServeUntil(Clock::now() + settle, [this] { return m_bClosed; });
    std::lock_guard lock(m_mutex);
    const std::string inUse = InUseAnswer();
    if (!inUse.empty()) {
        return Failure(EOpenError::Busy,
                       "in use by another desk (the room answered \"" + inUse + "\")");
    }
    if (m_bClosed && m_address.m_bTls) {
        return Failure(EOpenError::Refused, "the room refused this desk's certificate (" +
                                                std::string(gensio_err_to_str(m_nCloseError)) +
                                                ")");
    }
    if (m_bClosed) {
        return Failure(EOpenError::Refused, "the room closed the connection at once (" +
                                                std::string(gensio_err_to_str(m_nCloseError)) +
                                                ")");
    }
    return {};
}

// ser2net's words to a second desk, when the room's first bytes are they. Lock held.
std::string CNetworkPort::InUseAnswer() const {
    for (const char* answer : kInUseAnswers) {
        if (m_strGreeting.rfind(answer, 0) == 0) {
            return answer;
        }
    }
    return {};
}

bool CNetworkPort::ServeUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (done()) {
                return true;
            }
        }
        const Milliseconds left = Left(deadline);
        if (left.count() <= 0) {
            return false;
        }
        gensio_time timeout = TimeOf(left);
        gensio_os_funcs_wait(m_pOs, m_pWaiter, 1, &timeout);
    }
}

// Lets the library take in what has arrived, without waiting.
void CNetworkPort::ServeNow() {
    gensio_time none{0, 0};
    gensio_os_funcs_service(m_pOs, &none);
}

SPortResult CNetworkPort::Write(const std::uint8_t* bytes, std::size_t count) {
    const auto deadline = Clock::now() + kWriteGrace;
    std::size_t sent = 0;
    while (sent < count) {
        gensiods done = 0;
        const int err = gensio_write(m_pIo, &done, bytes + sent, count - sent, nullptr);
        if (err != 0) {
            return {EPortStatus::InvalidHandle, sent};
        }
        sent += done;
        if (sent == count) {
            break;
        }
        {
            std::lock_guard lock(m_mutex);
            m_bWritable = false;
        }
        gensio_set_write_callback_enable(m_pIo, true);
        if (!ServeUntil(deadline, [this] { return m_bWritable || m_bClosed || m_bStop; }) ||
            m_bStop) {
            return {EPortStatus::Failed, sent};
        }
    }
    ServeNow();
    return {EPortStatus::Ok, count};
}

SPortResult CNetworkPort::BytesWaiting() {
    ServeNow();
    std::lock_guard lock(m_mutex);
    if (m_abInput.empty() && m_bClosed) {
        return {EPortStatus::InvalidHandle, 0};
    }
    return {EPortStatus::Ok, m_abInput.size()};
}

SPortResult CNetworkPort::Read(std::uint8_t* buffer, std::size_t capacity) {
    std::lock_guard lock(m_mutex);
    if (m_abInput.empty()) {
        return {m_bClosed ? EPortStatus::InvalidHandle : EPortStatus::Ok, 0};
    }
    const std::size_t count = std::min(capacity, m_abInput.size());
    std::copy_n(m_abInput.begin(), count, buffer);
    m_abInput.erase(m_abInput.begin(), m_abInput.begin() + static_cast<std::ptrdiff_t>(count));
    return {EPortStatus::Ok, count};
}

void CNetworkPort::Purge() {
    ServeNow();
    std::lock_guard lock(m_mutex);
    m_abInput.clear();
}

EPortEvent CNetworkPort::Wait(Milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    ServeUntil(deadline, [this] { return m_bStop || !m_abInput.empty() || m_bClosed; });
    std::lock_guard lock(m_mutex);
    if (m_bStop) {
        return EPortEvent::Stopped;
    }
    if (!m_abInput.empty()) {
        return EPortEvent::Readable;
    }
    return m_bClosed ? EPortEvent::HungUp : EPortEvent::TimedOut;
}

void CNetworkPort::RequestStop() {
    m_bStop = true;
    Wake();
}

} // namespace

bool IsNetworkPort(const std::string& name) {
    return name.rfind(kTlsScheme, 0) == 0 || name.rfind(kTcpScheme, 0) == 0;
}

void PrepareNetworkPorts() {
    OsFuncs();
}

CNetworkOpener::CNetworkOpener(SNetworkKeys keys, CTransportOpener* pNext)
    : m_keys(std::move(keys)), m_pNext(pNext) {}

std::unique_ptr<CTransport> CNetworkOpener::Open(const std::string& name, SOpenFailure& failure) {
    if (!IsNetworkPort(name)) {
        if (m_pNext == nullptr) {
            failure = {EOpenError::Missing, name + ": no such port"};
            return nullptr;
        }
        return m_pNext->Open(name, failure);
    }
    SRoomAddress address;
    if (!ParseName(name, address)) {
        failure = {EOpenError::Missing, name + ": not a network port (tls://HOST:PORT)"};
        return nullptr;
    }
    if (!address.m_bTls && !m_keys.m_bInsecure) {
        failure = {EOpenError::Refused,
                   name + ": refused: tcp:// is neither encrypted nor authenticated; "
                          "give --insecure to use it on a trusted cable"};
        return nullptr;
    }
    if (address.m_bTls &&
        (m_keys.m_strCa.empty() || m_keys.m_strCert.empty() || m_keys.m_strKey.empty())) {
        failure = {EOpenError::Other,
                   name + ": a network room needs the venue CA and this desk's certificate and "
                          "key (--ca, --cert, --key)"};
        return nullptr;
    }
    if (address.m_bTls && !KeysReadable(name, m_keys, failure)) {
        return nullptr;
    }
    auto port = std::make_unique<CNetworkPort>(name, address);
    if (!port->Open(m_keys, failure)) {
        return nullptr;
    }
    return port;
}

} // namespace zolt
