#include "link/PortList.h"

#include "link/SerialPort.h"
#include "model/Command.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <libudev.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace zolt {

namespace {

struct SUdevFree {
    void operator()(udev* p) const { udev_unref(p); }
    void operator()(udev_enumerate* p) const { udev_enumerate_unref(p); }
    void operator()(udev_device* p) const { udev_device_unref(p); }
    void operator()(udev_monitor* p) const { udev_monitor_unref(p); }
};
template <class T> using CUdevPtr = std::unique_ptr<T, SUdevFree>;

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

// Compares device nodes with runs of digits taken as numbers.
bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) {
                ++ei;
            }
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) {
                ++ej;
            }
            const std::string_view na = a.substr(i, ei - i);
            const std::string_view nb = b.substr(j, ej - j);
            const std::size_t za = na.find_first_not_of('0');
            const std::size_t zb = nb.find_first_not_of('0');
            const std::string_view ta = za == std::string_view::npos ? "" : na.substr(za);
            const std::string_view tb = zb == std::string_view::npos ? "" : nb.substr(zb);
            if (ta.size() != tb.size()) {
                return ta.size() < tb.size();
            }
            if (ta != tb) {
                return ta < tb;
            }
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

STtyDevice DescribeDevice(udev_device* device) {
    STtyDevice tty;
    tty.m_strSysPath = Text(udev_device_get_syspath(device));
    tty.m_strDevNode = Text(udev_device_get_devnode(device));
    if (udev_device* parent = udev_device_get_parent(device)) {
        tty.m_bHasParent = true;
        tty.m_strParentName = Text(udev_device_get_sysname(parent));
        // Newer kernels put the serial core's own port and controller devices between the
        // tty and the device that drives the UART: the driver worth naming is above them.
        udev_device* owner = parent;
        while (owner != nullptr && Text(udev_device_get_subsystem(owner)) == "serial-base") {
            owner = udev_device_get_parent(owner);
        }
        tty.m_strDriver = Text(udev_device_get_driver(owner != nullptr ? owner : parent));
    }
    if (udev_device* usb =
            udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        tty.m_bUsb = true;
        tty.m_strUsbProduct = Text(udev_device_get_sysattr_value(usb, "product"));
    }
    return tty;
}

SPortCandidate CandidateOf(const STtyDevice& tty) {
    SPortCandidate candidate;
    candidate.m_strDevicePath = tty.m_strSysPath;
    candidate.m_strPortName = tty.m_strDevNode;
    candidate.m_strDescription = !tty.m_strUsbProduct.empty() ? tty.m_strUsbProduct
                                 : !tty.m_strDriver.empty()   ? tty.m_strDriver
                                                              : tty.m_strParentName;
    candidate.m_bUsb = tty.m_bUsb;
    return candidate;
}

bool IsPlaceholderPort(const STtyDevice& tty) {
    return tty.m_strParentName.rfind("serial8250", 0) == 0;
}

bool OpensExclusively(const std::string& node) {
    CSerialPort port;
    return port.Open(node);
}

// udev's monitor socket: it reports a device once udev has set it up (node, permissions,
// the /dev/serial links), and never blocks a read.
class CUdevPortWatch final : public CPortWatch {
public:
    bool Start(std::string* error) {
        m_context.reset(udev_new());
        if (m_context != nullptr) {
            m_monitor.reset(udev_monitor_new_from_netlink(m_context.get(), "udev"));
        }
        if (m_monitor == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(m_monitor.get(), "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_monitor.get()) < 0) {
            if (error != nullptr) {
                *error = std::string("Could not watch for new serial ports (") +
                         std::strerror(errno) + ")";
            }
            m_monitor.reset();
            return false;
        }
        return true;
    }

    int Fd() const override { return m_monitor ? udev_monitor_get_fd(m_monitor.get()) : -1; }

    CPortList TakeAdded() override {
        std::vector<STtyDevice> added;
        while (m_monitor != nullptr) {
            CUdevPtr<udev_device> device(udev_monitor_receive_device(m_monitor.get()));
            if (device == nullptr) {
                break;
            }
            if (Text(udev_device_get_action(device.get())) == "add") {
                added.push_back(DescribeDevice(device.get()));
            }
        }
        return CandidatesOf(added);
    }

private:
    CUdevPtr<udev> m_context;
    CUdevPtr<udev_monitor> m_monitor;
};

} // namespace

CPortList CandidatesOf(const std::vector<STtyDevice>& devices) {
    CPortList list;
    for (const STtyDevice& tty : devices) {
        if (!tty.m_strDevNode.empty() && tty.m_bHasParent && !IsPlaceholderPort(tty)) {
            list.push_back(CandidateOf(tty));
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return NaturalLess(a.m_strPortName, b.m_strPortName);
    });
    return list;
}

SPortCandidate NamedCandidate(const std::string& path) {
    SPortCandidate candidate{path, path, "named port", false};
    struct stat info {};
    CUdevPtr<udev> context(udev_new());
    if (context == nullptr || stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return candidate;
    }
    CUdevPtr<udev_device> device(udev_device_new_from_devnum(context.get(), 'c', info.st_rdev));
    if (device != nullptr) {
        const STtyDevice tty = DescribeDevice(device.get());
        if (tty.m_bHasParent) {
            candidate.m_strDescription = CandidateOf(tty).m_strDescription;
            candidate.m_bUsb = tty.m_bUsb;
        }
    }
    return candidate;
}

bool Enumerate(CPortList& list, bool skipBusy, std::string* error) {
    list.clear();
    CUdevPtr<udev> context(udev_new());
    CUdevPtr<udev_enumerate> scan(context ? udev_enumerate_new(context.get()) : nullptr);
    if (scan == nullptr || udev_enumerate_add_match_subsystem(scan.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(scan.get()) < 0) {
        if (error != nullptr) {
            *error = std::string("Could not list the serial ports (") + std::strerror(errno) + ")";
        }
        return false;
    }
    std::vector<STtyDevice> devices;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(scan.get())) {
        CUdevPtr<udev_device> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (device != nullptr) {
            devices.push_back(DescribeDevice(device.get()));
        }
    }
    list = CandidatesOf(devices);
    if (skipBusy) {
        std::erase_if(list, [](const auto& c) { return !OpensExclusively(c.m_strPortName); });
    }
    return true;
}

bool SamePort(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    struct stat infoA {};
    struct stat infoB {};
    return stat(a.c_str(), &infoA) == 0 && stat(b.c_str(), &infoB) == 0 && S_ISCHR(infoA.st_mode) &&
           S_ISCHR(infoB.st_mode) && infoA.st_rdev == infoB.st_rdev;
}

std::unique_ptr<CPortWatch> MakeSystemPortWatch(std::string* error) {
    auto watch = std::make_unique<CUdevPortWatch>();
    watch->Start(error);
    return watch;
}

bool Prune(CPortList& list) {
    std::erase_if(list, [](const SPortCandidate& c) { return c.m_strPortName.empty(); });
    if (list.empty()) {
        return false;
    }
    g_flags.m_bLookup = true;
    return true;
}

} // namespace zolt
