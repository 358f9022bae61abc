// The serial ports the system knows, as an ordered list of candidates for the lookup.
// The listing is libudev's tty subsystem: real ports (devices with a parent device),
// ordered by device node; the port name is the device node path.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zolt {

struct SPortCandidate {
    std::string m_strDevicePath;  // where the listing found it (a sysfs path, or as named)
    std::string m_strPortName;    // the device node the lookup opens, e.g. /dev/ttyUSB0
    std::string m_strDescription; // the USB product, else the driver
    bool m_bUsb = false;
};

using CPortList = std::vector<SPortCandidate>;

// What the listing tells about one tty device, before it becomes a candidate.
struct STtyDevice {
    std::string m_strSysPath;
    std::string m_strDevNode;    // empty when the device has no node
    bool m_bHasParent = false;   // false for virtual terminals, ptmx, console
    std::string m_strParentName; // the parent's sysfs name
    std::string m_strDriver;     // the parent's driver
    bool m_bUsb = false;         // a usb device sits above it
    std::string m_strUsbProduct; // that device's product string
};

// The candidates among listed devices: those with a node and a parent device, except the
// placeholder ports the legacy serial8250 platform driver registers whether or not a UART
// exists, ordered by device node with numbers compared as numbers (ttyUSB2 before ttyUSB10).
CPortList CandidatesOf(const std::vector<STtyDevice>& devices);

// A port named by the user (--port PATH, a simulator's pty): path and port name are the
// path; the description comes from the listing when it knows the device.
SPortCandidate NamedCandidate(const std::string& path);

// Fills list with the system's ports. With skipBusy, a port that cannot be opened
// exclusively now is left out. False, with the reason in error, when the listing failed
// (list is then empty).
bool Enumerate(CPortList& list, bool skipBusy, std::string* error = nullptr);

// Drops candidates without a port name; when any is left, sets the lookup flag and
// returns true.
bool Prune(CPortList& list);

// True when both paths reach the same character device (a symbolic link such as
// /dev/serial/by-id/... and the node it points to), or are the same text.
bool SamePort(const std::string& a, const std::string& b);

// Serial devices that appear while the program runs (an adapter plugged in). The owner
// waits until Fd() is readable, then takes the new ports; one thread at a time.
class CPortWatch {
public:
    virtual ~CPortWatch() = default;
    // Turns readable when new ports may be waiting; -1 when the watch does not work.
    virtual int Fd() const = 0;
    // The ports that appeared since the last call, as candidates; never blocks.
    virtual CPortList TakeAdded() = 0;
};

// The system's watch: udev's reports of tty devices added, each filtered as the listing
// filters them. When udev cannot be reached, error says why and the watch's Fd() is -1.
std::unique_ptr<CPortWatch> MakeSystemPortWatch(std::string* error = nullptr);

} // namespace zolt
