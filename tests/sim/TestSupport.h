// Helpers shared by the link tests over pseudo-terminals: a clock and a line that run ten
// times faster than the real ones (so the link's timing relations hold), a notification
// sink that records what the link posts, a bare pseudo-terminal pair, and a port watch
// the test announces ports through.
#pragma once

#include "link/Clock.h"
#include "link/Notify.h"
#include "link/PortList.h"
#include "sim/SimServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/eventfd.h>
#include <unistd.h>

namespace zolt::test {

constexpr int kSpeedUp = 10;

// Every pause a tenth as long; turns, idle polls and settle pauses keep their proportions.
class CFastClock final : public CClock {
public:
    void Sleep(Milliseconds duration) override {
        std::this_thread::sleep_for(std::chrono::microseconds(duration) / kSpeedUp);
    }
    Milliseconds Now() const override { return SystemClock().Now(); }
};

// A simulator whose line is ten times faster than 115200 baud, matching CFastClock.
inline sim::SSimOptions FastLine() {
    sim::SSimOptions options;
    options.m_dByteMicros = sim::kLineByteMicros / kSpeedUp;
    return options;
}

struct SPosted {
    unsigned m_nMessage;
    std::uintptr_t m_nWParam;
    std::intptr_t m_nLParam;
};

// Records posts and message boxes; the test thread plays the window's message handler.
class CRecordingSink final : public CNotifySink {
public:
    CRecordingSink() { SetNotifySink(this); }
    ~CRecordingSink() override { SetNotifySink(nullptr); }

    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_aPosted.push_back({message, wParam, lParam});
        m_changed.notify_all();
    }
    void ProgressStart(int) override {}
    void ProgressStep(int) override {}
    void ProgressBusy() override {}
    void ProgressLookup() override {}
    void ProgressHide() override {}
    void MessageBox(std::string_view text, std::string_view) override {
        std::lock_guard lock(m_mutex);
        m_aBoxes.emplace_back(text);
    }
    void RefreshProgramName() override {}
    void ShowCurrentPage() override {}
    void RunAllModesExport() override {}
    bool IsSystemPageShown() const override { return false; }

    // Waits up to timeout for a post of one of messages not taken yet, and takes it.
    bool Take(std::initializer_list<unsigned> messages, SPosted& posted,
              std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        const auto found = [&] {
            for (auto it = m_aPosted.begin(); it != m_aPosted.end(); ++it) {
                if (std::find(messages.begin(), messages.end(), it->m_nMessage) != messages.end()) {
                    posted = *it;
                    m_aPosted.erase(it);
                    return true;
                }
            }
            return false;
        };
        return m_changed.wait_for(lock, timeout, found);
    }
    int Count(unsigned message) const {
        std::lock_guard lock(m_mutex);
        int n = 0;
        for (const SPosted& p : m_aPosted) {
            n += p.m_nMessage == message ? 1 : 0;
        }
        return n;
    }
    std::vector<std::string> Boxes() const {
        std::lock_guard lock(m_mutex);
        return m_aBoxes;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<SPosted> m_aPosted;
    std::vector<std::string> m_aBoxes;
};

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
