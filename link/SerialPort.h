// The serial port: a tty device opened exclusively (flock and TIOCEXCL) in raw mode at
// 115200 8N1, so no byte value is altered on the way, as the byte transport of the link.
// Its wait polls the device and a stop eventfd. While open it holds the device's UUCP lock
// files, which ser2net, minicom and the other serial programs honour.
//
// Threads: Open and Close run on the UI thread (or zoltctl's main thread) while no comm
// loop runs on the port; the CTransport operations belong to the comm loop's thread; a
// port lock orders them against Open and Close. RequestStop may come from any thread.
#pragma once

#include "link/Transport.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <termios.h>
#include <vector>

namespace zolt {

// Line settings; the link always uses the defaults.
struct SPortSettings {
    int m_nBaud = 115200;
    char m_cParity = 'N'; // 'E' even, 'O' odd, 'M' mark, 'S' space (either case), else none
    int m_nDataBits = 8;  // 5..8
    int m_nStopBits = 0;  // 1: one and a half (two on this platform), 2: two, else one
};

// The termios for the link built from the settings read from the device: raw (no byte
// changed or taken as a control character), receiver on, modem lines ignored, the baud
// rate, parity, data and stop bits of settings. Flow control stays as read.
termios LinkTermios(const termios& current, const SPortSettings& settings);

// The number a device path ends in (/dev/ttyUSB3 -> 3, COM12 -> 12), or 0.
int PortNumberOf(std::string_view device);

// The configuration error text: "WARNING:  <operation> Failed with the following error: ..."
std::string ConfigErrorText(std::string_view operation, int error, int portNumber);

// The folder of the UUCP lock files: $ZOLT_LOCK_DIR when set (the tests' own folder), else
// /run/lock.
std::string DefaultLockFolder();

// The lock file names of a device: LCK.. and its path without /dev/, each '/' as '_' (as
// ser2net and gensio name them), for the path given, the device node it leads to and every
// /dev/serial/by-id or by-path name of that node, so a program that names the device
// another way finds the lock too.
std::vector<std::string> LockNamesOf(const std::string& device);

// The UUCP lock files of one open device. A lock file holds the PID of its holder as ten
// characters and a newline; one whose process has ended is stale and removed.
class CPortLock {
public:
    CPortLock() = default;
    ~CPortLock() { Release(); }
    CPortLock(const CPortLock&) = delete;
    CPortLock& operator=(const CPortLock&) = delete;

    // Takes every lock file of device in folder. False when another live process holds
    // one, with the reason in failure ("in use by ser2net, PID 812"). A folder where no
    // lock can be made (missing, read-only) is passed over: the device's own exclusive
    // open still guards it. A lock this process holds already (another port object) is
    // left to that exclusive open as well.
    bool Take(const std::string& folder, const std::string& device, SOpenFailure& failure);
    // Removes the lock files this object made.
    void Release();

private:
    bool TakeOne(const std::string& path, const std::string& device, SOpenFailure& failure);

    std::vector<std::string> m_astrFiles;
};

class CSerialPort final : public CTransport {
public:
    explicit CSerialPort(std::string lockFolder = DefaultLockFolder())
        : m_strLockFolder(std::move(lockFolder)) {}
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Closes any open port, then opens device (a path such as /dev/ttyUSB0) exclusively
    // and configures it. False when it cannot be opened, with the reason in failure.
    // Configuration failures are shown as "Application Error" boxes and leave it open.
    bool Open(const std::string& device, const SPortSettings& settings = {},
              SOpenFailure* failure = nullptr);

    void Close();

    bool IsOpen() const;
    const std::string& Device() const { return m_strDevice; }
    int PortNumber() const { return m_nPortNumber; }

    // CTransport.
    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    EPortEvent Wait(Milliseconds timeout) override;
    void RequestStop() override;
    bool StopRequested() const override { return m_bStopRequest.load(); }

private:
    bool OpenDevice(const std::string& device, SOpenFailure& failure);
    void Configure(const SPortSettings& settings);
    void ShowConfigError(std::string_view operation, int error) const;
    bool WaitDrained(std::chrono::steady_clock::time_point deadline);
    void CloseDevice();

    mutable std::mutex m_portLock; // orders the port calls of the two threads
    int m_nFd = -1;
    int m_hShutdown = -1; // eventfd: set by a stop request, ends a wait
    std::string m_strDevice;
    int m_nPortNumber = 0;
    std::atomic<bool> m_bStopRequest{false};
    std::string m_strLockFolder;
    CPortLock m_lock;
};

// Opens every name as a serial device, with its lock files in lockFolder.
class CSerialOpener final : public CTransportOpener {
public:
    explicit CSerialOpener(std::string lockFolder = DefaultLockFolder())
        : m_strLockFolder(std::move(lockFolder)) {}
    std::unique_ptr<CTransport> Open(const std::string& name, SOpenFailure& failure) override;

private:
    std::string m_strLockFolder;
};

} // namespace zolt
