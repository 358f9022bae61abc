// The session's work for a host without an event loop of its own (zoltctl, the benchmarks,
// the tests): tasks queued from any thread, run when the host's thread asks for them.
#pragma once

#include "link/Clock.h"
#include "link/Session.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace zolt {

class CQueuedHost : public CSessionHost {
public:
    // Any thread.
    void RunOnHostThread(std::function<void()> task) override;

    // Host thread: runs the tasks given so far, first waiting up to timeout (real time) for
    // one.
    void RunTasks(Milliseconds timeout = Milliseconds{0});

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_aTasks;
};

} // namespace zolt
