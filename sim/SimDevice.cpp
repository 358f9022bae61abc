#include "sim/SimDevice.h"

#include <algorithm>

namespace zolt::sim {

CSimDevice::CSimDevice(SSimFaults faults, SSimState state)
    : m_processor(std::move(faults), std::move(state)) {}

std::vector<std::uint8_t> CSimDevice::Take(const SWireFrame& frame, bool& hangUp) {
    std::lock_guard lock(m_mutex);
    if (m_bKeepFrames) {
        m_aFrames.push_back(frame);
    }
    std::vector<std::uint8_t> answer = m_processor.Handle(frame);
    hangUp = m_processor.HangUpDue();
    return answer;
}

SSimState CSimDevice::State() const {
    std::lock_guard lock(m_mutex);
    return m_processor.State();
}

void CSimDevice::Edit(const std::function<void(SSimState&)>& edit) {
    std::lock_guard lock(m_mutex);
    edit(m_processor.State());
}

SSimFaults CSimDevice::Faults() const {
    std::lock_guard lock(m_mutex);
    return m_processor.Faults();
}

int CSimDevice::FramesReceived() const {
    std::lock_guard lock(m_mutex);
    return m_processor.FramesReceived();
}

void CSimDevice::KeepFrames(bool keep) {
    std::lock_guard lock(m_mutex);
    m_bKeepFrames = keep;
}

std::vector<SWireFrame> CSimDevice::Frames() const {
    std::lock_guard lock(m_mutex);
    return m_aFrames;
}

int CSimDevice::TimesTaken(std::uint8_t command, std::uint8_t parameter) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_aFrames.begin(), m_aFrames.end(), [&](auto& frame) {
        return frame.Command() == command && frame.Parameter() == parameter;
    }));
}

} // namespace zolt::sim
