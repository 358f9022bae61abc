// Helpers shared by the tests over pseudo-terminals and of port watching: a bare
// pseudo-terminal pair, and a port watch the test announces ports through.
#pragma once

#include "link/PortList.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <sys/eventfd.h>
#include <unistd.h>

namespace zolt::test {

// A pseudo-terminal whose master the test works itself; the slave stays at the kernel's
// default (cooked) settings until the port under test configures it.
struct SPtyPair {
    int m_nMaster = -1;
    std::string m_strSlave;
    SPtyPair();
    ~SPtyPair();
    void CloseMaster();
    // Reads from the master until count bytes have come or timeout passed.
    std::vector<std::uint8_t>
    ReadMaster(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(2));
};

// A file's bytes, and a file written with bytes.
std::vector<std::uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Runs a shell command line, as a user runs a program: its standard output, and the status
// pclose gives.
std::string RunProgram(const std::string& command, int& status);

// A port watch the test drives: Announce() makes a port appear as udev reports an adapter
// plugged in, waking whoever waits on Fd(). Announce may be called from any thread.
class CAnnouncedPorts final : public CPortWatch {
public:
    CAnnouncedPorts() : m_nFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~CAnnouncedPorts() override { close(m_nFd); }
    CAnnouncedPorts(const CAnnouncedPorts&) = delete;
    CAnnouncedPorts& operator=(const CAnnouncedPorts&) = delete;

    void Announce(const std::string& node) {
        {
            std::lock_guard lock(m_mutex);
            m_aAdded.push_back({node, node, "announced", true});
        }
        const std::uint64_t one = 1;
        (void)!write(m_nFd, &one, sizeof one);
    }
    int Fd() const override {
        ++m_nFdAsked;
        return m_nFd;
    }
    // Someone asked for Fd() at least count times (a waiting loop asks once a turn).
    bool Watched(int count = 1) const { return m_nFdAsked >= count; }
    CPortList TakeAdded() override {
        std::uint64_t count = 0;
        (void)!read(m_nFd, &count, sizeof count);
        std::lock_guard lock(m_mutex);
        return std::exchange(m_aAdded, {});
    }

private:
    int m_nFd;
    mutable std::atomic<int> m_nFdAsked{0};
    std::mutex m_mutex;
    CPortList m_aAdded;
};

} // namespace zolt::test
