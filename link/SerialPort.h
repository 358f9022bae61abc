// The serial port and its comm thread. The port is a tty device opened exclusively
// (flock and TIOCEXCL) in raw mode at 115200 8N1, so no byte value is altered on the way.
// The comm thread waits with poll() on three eventfds (shutdown, write, next frame) and on
// the port, serves the first ready one in that order, and runs the link cycle of a
// CDeviceLink step by step; every turn ends with a 20 ms pause.
//
// Threads: Open, Start and Close run on the UI thread (or zoltctl's main thread) WITHOUT
// the image lock held, as Close waits for the comm thread, whose steps take that lock. The
// CTransport operations are for the comm thread only; a port lock orders them against
// Open and Close.
#pragma once

#include "link/Clock.h"
#include "link/Transport.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>
#include <termios.h>
#include <thread>

namespace zolt {

class CDeviceLink;

// Line settings; the link always uses the defaults.
struct SPortSettings {
    int m_nBaud = 115200;
    char m_cParity = 'N'; // 'E' even, 'O' odd, 'M' mark, 'S' space (either case), else none
    int m_nDataBits = 8;  // 5..8
    int m_nStopBits = 0;  // 1: one and a half (two on this platform), 2: two, else one
};

// Why a port could not be opened, or (NotAnswered) opened but found no processor.
enum class EOpenError {
    None,
    Missing,    // no such device node
    Permission, // no read and write access
    Busy,       // another program holds it
    NotSerial,  // the path is not a terminal device
    Other,
    NotAnswered, // the probe went unanswered, was rejected or its answers were damaged
};

struct SOpenFailure {
    EOpenError m_eError = EOpenError::None;
    std::string m_strReason; // one line of English for the user
};

// The termios for the link built from the settings read from the device: raw (no byte
// changed or taken as a control character), receiver on, modem lines ignored, the baud
// rate, parity, data and stop bits of settings. Flow control stays as read.
termios LinkTermios(const termios& current, const SPortSettings& settings);

// The number a device path ends in (/dev/ttyUSB3 -> 3, COM12 -> 12), or 0.
int PortNumberOf(std::string_view device);

// The configuration error text: "WARNING:  <operation> Failed with the following error: ..."
std::string ConfigErrorText(std::string_view operation, int error, int portNumber);

class CSerialPort final : public CTransport {
public:
    // clock serves the 20 ms end of each turn (the link's own pauses use the link's clock).
    explicit CSerialPort(CClock& clock = SystemClock());
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Closes any open port, then opens device (a path such as /dev/ttyUSB0) exclusively
    // and configures it. False when it cannot be opened, with the reason in failure.
    // Configuration failures are shown as "Application Error" boxes and leave it open.
    bool Open(const std::string& device, const SPortSettings& settings = {},
              SOpenFailure* failure = nullptr);

    // Starts the comm thread on link; its first turn chooses the next frame (the probe).
    // False when no port is open or a thread already runs.
    bool Start(CDeviceLink& link);

    // Ends the comm thread (after its current turn, pauses included) and closes the port.
    void Close();

    bool IsOpen() const;
    // True while the comm thread runs (it ends by itself after a port failure).
    bool IsRunning() const { return m_eState.load() != EThreadState::Stopped; }
    const std::string& Device() const { return m_strDevice; }
    int PortNumber() const { return m_nPortNumber; }

    // CTransport, comm thread.
    SPortResult Write(const std::uint8_t* bytes, std::size_t count) override;
    SPortResult BytesWaiting() override;
    SPortResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    void Purge() override;
    void RequestStop() override { m_bStopRequest = true; }

private:
    enum class EThreadState { Stopped, Running, Stopping };

    bool OpenDevice(const std::string& device, SOpenFailure& failure);
    void Configure(const SPortSettings& settings);
    void ShowConfigError(std::string_view operation, int error) const;
    bool WaitDrained(std::chrono::steady_clock::time_point deadline);
    void Run(CDeviceLink& link);
    void CloseDevice();

    CClock& m_clock;
    mutable std::mutex m_portLock; // orders the port calls of the two threads
    int m_nFd = -1;
    int m_hShutdown = -1; // eventfds, manual reset: set by writing, reset by reading
    int m_hWrite = -1;
    int m_hAddData_Even = -1; // the next-frame event
    std::string m_strDevice;
    int m_nPortNumber = 0;
    std::atomic<EThreadState> m_eState{EThreadState::Stopped};
    std::atomic<bool> m_bStopRequest{false};
    std::thread m_thread;
};

} // namespace zolt
