#include "VirtualSession.h"

namespace zolt::test {

void CRecordingHost::MessageBox(std::string_view text, std::string_view) {
    const bool report =
        text.rfind("Unable to Open Device!", 0) == 0 || text.rfind("不能打开设备!", 0) == 0;
    (report ? m_aReports : m_aBoxes).emplace_back(text);
}

bool CRecordingHost::RunTasksUntil(const std::function<bool()>& done,
                                   std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        RunTasks(std::chrono::milliseconds{10});
    }
    return true;
}

CVirtualSession::CVirtualSession(sim::SSimFaults faults, sim::SSimState state)
    : m_session(m_host, {&m_clock, &m_opener, true, {kPort}, true}) {
    m_opener.Add(kPort, std::move(faults), std::move(state));
}

bool CVirtualSession::RunUntil(const std::function<bool()>& done, Milliseconds limit) {
    const Milliseconds end = m_clock.Now() + limit;
    for (;;) {
        m_host.RunTasks();
        if (done()) {
            return true;
        }
        if (Failed() || m_clock.Now() > end) {
            return false;
        }
        m_session.Turn();
    }
}

bool CVirtualSession::Drained() const {
    return m_session.CommandsAnswered() >= m_session.Link().FramesAppended();
}

} // namespace zolt::test
