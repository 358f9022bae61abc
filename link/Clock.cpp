#include "link/Clock.h"

#include <thread>

namespace zolt {

namespace {

class CSystemClock final : public CClock {
public:
    void Sleep(Milliseconds duration) override { std::this_thread::sleep_for(duration); }
    Milliseconds Now() const override {
        return std::chrono::duration_cast<Milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    void WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                 Milliseconds duration, const std::function<bool()>& stop) override {
        changed.wait_for(lock, duration, stop);
    }
};

} // namespace

CClock& SystemClock() {
    static CSystemClock clock;
    return clock;
}

void CVirtualClock::Sleep(Milliseconds duration) {
    std::lock_guard guard(m_mutex);
    m_nNow += duration;
    m_anPauses.push_back(duration);
}

void CVirtualClock::WaitFor(std::unique_lock<std::mutex>&, std::condition_variable&,
                            Milliseconds duration, const std::function<bool()>& stop) {
    if (!stop()) {
        Advance(duration);
    }
}

Milliseconds CVirtualClock::Now() const {
    std::lock_guard guard(m_mutex);
    return m_nNow;
}

void CVirtualClock::Advance(Milliseconds duration) {
    std::lock_guard guard(m_mutex);
    m_nNow += duration;
}

std::vector<Milliseconds> CVirtualClock::Pauses() const {
    std::lock_guard guard(m_mutex);
    return m_anPauses;
}

void CVirtualClock::ClearPauses() {
    std::lock_guard guard(m_mutex);
    m_anPauses.clear();
}

} // namespace zolt
