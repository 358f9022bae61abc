// The one clock the link uses for its pauses (idle polls, bulk and settle pauses, the end of
// each turn) and a line for its time in transit. The real clock sleeps; the virtual clock
// only advances a counter, so tests run the link cycle in virtual time and can check the
// order and length of every pause.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace zolt {

using Milliseconds = std::chrono::milliseconds;

class CClock {
public:
    virtual ~CClock() = default;

    // Blocks the calling thread for duration (the real clock) or advances virtual time.
    // The caller must not hold the image lock.
    virtual void Sleep(Milliseconds duration) = 0;

    // Time since an arbitrary fixed start, for ordering events.
    virtual Milliseconds Now() const = 0;

    // Lets duration pass outside the link's pauses (a line's bytes in transit, a wait for
    // an answer), ending early once stop() holds: the real clock waits on changed with
    // lock held (whoever makes stop() true notifies it); virtual time, which no other
    // thread moves, advances by duration unless stop() holds already.
    virtual void WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                         Milliseconds duration, const std::function<bool()>& stop) = 0;
};

// The process's real clock (steady clock, thread sleep). Any thread.
CClock& SystemClock();

// Virtual time: Sleep adds to Now at once and records the pause. Thread-safe.
class CVirtualClock final : public CClock {
public:
    void Sleep(Milliseconds duration) override;
    Milliseconds Now() const override;
    void WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                 Milliseconds duration, const std::function<bool()>& stop) override;

    // Moves time forward without recording a pause (time spent elsewhere).
    void Advance(Milliseconds duration);
    // Every pause taken so far, in order.
    std::vector<Milliseconds> Pauses() const;
    void ClearPauses();

private:
    mutable std::mutex m_mutex;
    Milliseconds m_nNow{0};
    std::vector<Milliseconds> m_anPauses;
};

} // namespace zolt
