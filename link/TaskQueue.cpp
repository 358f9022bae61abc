#include "link/TaskQueue.h"

namespace zolt {

void CQueuedHost::RunOnHostThread(std::function<void()> task) {
    std::lock_guard lock(m_mutex);
    m_aTasks.push_back(std::move(task));
    m_changed.notify_all();
}

void CQueuedHost::RunTasks(Milliseconds timeout) {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            const auto waiting = [this] { return !m_aTasks.empty(); };
            // A wait without a timeout would still cost the timer's slack.
            if (!waiting() &&
                (timeout.count() <= 0 || !m_changed.wait_for(lock, timeout, waiting))) {
                return;
            }
            task = std::move(m_aTasks.front());
            m_aTasks.pop_front();
        }
        task();
        timeout = Milliseconds{0};
    }
}

} // namespace zolt
