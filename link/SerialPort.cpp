#include "link/SerialPort.h"

#include "link/Notify.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zolt {

namespace {

// A write is given this long, plus twice its time on the line, to leave the port.
constexpr Milliseconds kWriteGrace{1000};
constexpr double kByteMicros = 1e6 * 10 / 115200;
constexpr const char* kErrorCaption = "Application Error";

struct SBaudRate {
    int m_nBaud;
    speed_t m_nSpeed;
};
constexpr std::array<SBaudRate, 8> kBaudRates{{
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
    {460800, B460800},
}};

speed_t SpeedOf(int baud) {
    for (const SBaudRate& rate : kBaudRates) {
        if (rate.m_nBaud == baud) {
            return rate.m_nSpeed;
        }
    }
    return B115200;
}

tcflag_t ParityFlags(char parity) {
    switch (std::toupper(static_cast<unsigned char>(parity))) {
    case 'E':
        return PARENB;
    case 'O':
        return PARENB | PARODD;
    case 'M':
        return PARENB | PARODD | CMSPAR;
    case 'S':
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

tcflag_t DataBitFlags(int bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// A manual-reset event on an eventfd: set by writing, reset by closing.
int MakeEvent() {
    return eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}
void SetEvent(int event) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(event, &one, sizeof one);
}
void CloseHandle(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// The device is gone or refuses the handle: an unplugged adapter, a closed far side.
bool IsInvalidHandle(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

SOpenFailure OpenFailureOf(const std::string& device, int error) {
    const std::string system = std::strerror(error);
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return {EOpenError::Missing, device + ": no such device (" + system + ")"};
    case EACCES:
    case EPERM:
        return {EOpenError::Permission,
                device + ": permission denied (" + system +
                    "); the user needs read and write access, usually through the group that "
                    "owns the device (dialout)"};
    case EBUSY:
    case EWOULDBLOCK:
        return {EOpenError::Busy, device + ": in use by another program (" + system + ")"};
    case ENOTTY:
        return {EOpenError::NotSerial, device + ": not a serial port (" + system + ")"};
    default:
        return {EOpenError::Other, device + ": " + system};
    }
}

constexpr const char* kLockFolder = "/run/lock";
constexpr const char* kSerialAliases[] = {"/dev/serial/by-id", "/dev/serial/by-path"};

std::string LockNameOf(std::string_view path) {
    if (path.rfind("/dev/", 0) == 0) {
        path.remove_prefix(5);
    }
    std::string name = "LCK.." + std::string(path);
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

// The PID a lock file holds (ten characters and a newline; any spacing), or 0.
pid_t LockHolder(const std::string& path) {
    std::ifstream file(path);
    long pid = 0;
    return file >> pid && pid > 0 ? static_cast<pid_t>(pid) : 0;
}

bool ProcessLives(pid_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

// The process's name as ps shows it, from /proc.
std::string ProcessName(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(comm, name) && !name.empty() ? name : "another program";
}

// A file at path holding this process's PID, made whole before it appears under its name
// (so nobody reads it half written); false with errno when it exists or cannot be made.
bool LinkLockFile(const std::string& path) {
    std::string temporary = path.substr(0, path.rfind('/') + 1) + ".LCK.XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = fchmod(fd, 0644) == 0 && write(fd, text, length) == length;
    close(fd);
    const bool linked = written && link(temporary.c_str(), path.c_str()) == 0;
    const int error = written ? errno : EIO;
    unlink(temporary.c_str());
    errno = error;
    return linked;
}

} // namespace

std::string DefaultLockFolder() {
    const char* folder = std::getenv("ZOLT_LOCK_DIR");
    return folder != nullptr && *folder != '\0' ? folder : kLockFolder;
}

std::vector<std::string> LockNamesOf(const std::string& device) {
    std::vector<std::string> names{LockNameOf(device)};
    std::error_code error;
    const std::filesystem::path node = std::filesystem::canonical(device, error);
    if (error) {
        return names;
    }
    names.push_back(LockNameOf(node.string()));
    for (const char* folder : kSerialAliases) {
        for (const auto& alias : std::filesystem::directory_iterator(folder, error)) {
            if (std::filesystem::canonical(alias.path(), error) == node) {
                names.push_back(LockNameOf(alias.path().string()));
            }
        }
    }
    std::sort(names.begin() + 1, names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    names.erase(std::remove(names.begin() + 1, names.end(), names.front()), names.end());
    return names;
}

bool CPortLock::Take(const std::string& folder, const std::string& device, SOpenFailure& failure) {
    Release();
    for (const std::string& name : LockNamesOf(device)) {
        if (!TakeOne(folder + "/" + name, device, failure)) {
            Release();
            return false;
        }
    }
    return true;
}

// A stale lock is removed and the lock taken again, once.
bool CPortLock::TakeOne(const std::string& path, const std::string& device, SOpenFailure& failure) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (LinkLockFile(path)) {
            m_astrFiles.push_back(path);
            return true;
        }
        if (errno != EEXIST) {
            return true; // no lock can be made here
        }
        const pid_t holder = LockHolder(path);
        if (holder == getpid()) {
            return true;
        }
        if (holder != 0 && ProcessLives(holder)) {
            failure = {EOpenError::Busy, device + ": in use by " + ProcessName(holder) + ", PID " +
                                             std::to_string(holder) + " (lock file " + path + ")"};
            return false;
        }
        unlink(path.c_str());
    }
    return true;
}

void CPortLock::Release() {
    for (const std::string& path : m_astrFiles) {
        if (LockHolder(path) == getpid()) {
            unlink(path.c_str());
        }
    }
    m_astrFiles.clear();
}

termios LinkTermios(const termios& current, const SPortSettings& settings) {
    termios t = current;
    cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    t.c_cflag |=
        CLOCAL | CREAD | DataBitFlags(settings.m_nDataBits) | ParityFlags(settings.m_cParity);
    if (settings.m_nStopBits == 1 || settings.m_nStopBits == 2) {
        t.c_cflag |= CSTOPB;
    }
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, SpeedOf(settings.m_nBaud));
    cfsetospeed(&t, SpeedOf(settings.m_nBaud));
    return t;
}

int PortNumberOf(std::string_view device) {
    std::size_t start = device.size();
    while (start > 0 && std::isdigit(static_cast<unsigned char>(device[start - 1]))) {
        --start;
    }
    int number = 0;
    for (std::size_t i = start; i < device.size() && number < 100000000; ++i) {
        number = number * 10 + (device[i] - '0');
    }
    return number;
}

std::string ConfigErrorText(std::string_view operation, int error, int portNumber) {
    char text[512];
    std::snprintf(
        text, sizeof text, "WARNING:  %.*s Failed with the following error: \n%s\nPort: %d\n",
        static_cast<int>(operation.size()), operation.data(), std::strerror(error), portNumber);
    return text;
}

CSerialPort::~CSerialPort() {
    Close();
}

bool CSerialPort::Open(const std::string& device, const SPortSettings& settings,
                       SOpenFailure* failure) {
    Close();
    m_strDevice = device;
    m_nPortNumber = PortNumberOf(device);
    m_hShutdown = MakeEvent();
    m_bStopRequest = false;

    std::lock_guard lock(m_portLock);
    SOpenFailure reason;
    if (m_hShutdown < 0 || !m_lock.Take(m_strLockFolder, device, reason) ||
        !OpenDevice(device, reason)) {
        if (reason.m_eError == EOpenError::None) {
            reason = OpenFailureOf(device, errno);
        }
        if (failure != nullptr) {
            *failure = reason;
        }
        CloseDevice();
        return false;
    }
    Configure(settings);
    tcflush(m_nFd, TCIOFLUSH);
    return true;
}

bool CSerialPort::OpenDevice(const std::string& device, SOpenFailure& failure) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = OpenFailureOf(device, errno);
        return false;
    }
    termios probe{};
    int error = 0;
    if (tcgetattr(fd, &probe) != 0 && errno == ENOTTY) {
        error = ENOTTY;
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno; // another program of ours (or any flock user) has it
    } else if (ioctl(fd, TIOCEXCL) != 0) {
        error = errno;
    }
    if (error != 0) {
        close(fd);
        failure = OpenFailureOf(device, error);
        return false;
    }
    m_nFd = fd;
    return true;
}

void CSerialPort::Configure(const SPortSettings& settings) {
    termios current{};
    if (tcgetattr(m_nFd, &current) != 0) {
        ShowConfigError("GetCommState()", errno);
    }
    const termios wanted = LinkTermios(current, settings);
    if (tcsetattr(m_nFd, TCSANOW, &wanted) != 0) {
        ShowConfigError("SetCommState()", errno);
    }
    // RTS asserted; a device without modem lines (a pseudo-terminal) has none to set.
    int rts = TIOCM_RTS;
    if (ioctl(m_nFd, TIOCMBIS, &rts) != 0 && errno != ENOTTY && errno != EINVAL) {
        ShowConfigError("SetCommState()", errno);
    }
}

void CSerialPort::ShowConfigError(std::string_view operation, int error) const {
    Notify().MessageBox(ConfigErrorText(operation, error, m_nPortNumber), kErrorCaption);
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(m_portLock);
    return m_nFd >= 0;
}

void CSerialPort::Close() {
    std::lock_guard lock(m_portLock);
    CloseDevice();
}

void CSerialPort::CloseDevice() {
    if (m_nFd >= 0) {
        // The exclusive mode outlives our descriptor while another holds the device open.
        ioctl(m_nFd, TIOCNXCL);
    }
    CloseHandle(m_nFd);
    CloseHandle(m_hShutdown);
    m_lock.Release();
}

void CSerialPort::RequestStop() {
    m_bStopRequest = true;
    SetEvent(m_hShutdown);
}

EPortEvent CSerialPort::Wait(Milliseconds timeout) {
    pollfd fds[2] = {{m_hShutdown, POLLIN, 0}, {m_nFd, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(timeout.count())) < 0 && errno != EINTR) {
        ShowConfigError("WaitCommEvent()", errno);
        return EPortEvent::Failed;
    }
    if (fds[0].revents != 0 || m_bStopRequest) {
        return EPortEvent::Stopped;
    }
    if ((fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        return EPortEvent::HungUp;
    }
    return fds[1].revents != 0 ? EPortEvent::Readable : EPortEvent::TimedOut;
}

SPortResult CSerialPort::Write(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(m_portLock);
    const auto lineTime = std::chrono::microseconds(
        static_cast<long long>(2 * kByteMicros * static_cast<double>(count)));
    const auto deadline = std::chrono::steady_clock::now() + kWriteGrace + lineTime;
    std::size_t sent = 0;
    while (sent < count) {
        const ssize_t done = write(m_nFd, bytes + sent, count - sent);
        if (done > 0) {
            sent += static_cast<std::size_t>(done);
            continue;
        }
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0 && errno != EAGAIN) {
            return {IsInvalidHandle(errno) ? EPortStatus::InvalidHandle : EPortStatus::Failed,
                    sent};
        }
        const auto left =
            std::chrono::duration_cast<Milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd out{m_nFd, POLLOUT, 0};
        if (left.count() <= 0 || poll(&out, 1, static_cast<int>(left.count())) <= 0) {
            break; // the port takes nothing more: counted as written, reported below
        }
        if ((out.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            return {EPortStatus::InvalidHandle, sent};
        }
    }
    if (sent < count || !WaitDrained(deadline)) {
        tcflush(m_nFd, TCOFLUSH); // what has not left by now is dropped, as a purge would
        ShowConfigError("GetOverlappedResults() in WriteFile()", ETIMEDOUT);
    }
    return {EPortStatus::Ok, count};
}

bool CSerialPort::WaitDrained(std::chrono::steady_clock::time_point deadline) {
    // The kernel's write returns once the bytes are queued; the frame has left only when
    // the output queue is empty. Never tcdrain: it has no bound.
    for (;;) {
        int pending = 0;
        if (ioctl(m_nFd, TIOCOUTQ, &pending) != 0 || pending <= 0) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<long long>(kByteMicros * pending) + 100));
    }
}

SPortResult CSerialPort::BytesWaiting() {
    std::lock_guard lock(m_portLock);
    int waiting = 0;
    if (ioctl(m_nFd, FIONREAD, &waiting) != 0) {
        return {IsInvalidHandle(errno) ? EPortStatus::InvalidHandle : EPortStatus::Failed, 0};
    }
    return {EPortStatus::Ok, static_cast<std::size_t>(waiting)};
}

SPortResult CSerialPort::Read(std::uint8_t* buffer, std::size_t capacity) {
    std::lock_guard lock(m_portLock);
    const ssize_t got = read(m_nFd, buffer, capacity);
    if (got > 0) {
        return {EPortStatus::Ok, static_cast<std::size_t>(got)};
    }
    if (got == 0) {
        return {EPortStatus::InvalidHandle, 0}; // end of file on a tty: the line hung up
    }
    if (errno == EAGAIN || errno == EINTR) {
        return {EPortStatus::Ok, 0};
    }
    return {IsInvalidHandle(errno) ? EPortStatus::InvalidHandle : EPortStatus::Failed, 0};
}

// Only the input is cleared: every write waits until its bytes have left and drops what
// has not left by its deadline, so the output queue is empty here already; and on a
// pseudo-terminal an output flush would also discard bytes the far side has not read.
void CSerialPort::Purge() {
    std::lock_guard lock(m_portLock);
    tcflush(m_nFd, TCIFLUSH);
}

std::unique_ptr<CTransport> CSerialOpener::Open(const std::string& name, SOpenFailure& failure) {
    auto port = std::make_unique<CSerialPort>(m_strLockFolder);
    if (!port->Open(name, {}, &failure)) {
        return nullptr;
    }
    return port;
}

} // namespace zolt
