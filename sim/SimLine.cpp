#include "sim/SimLine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zolt::sim {

namespace {

Micros LineTime(std::size_t bytes) {
    return Micros(static_cast<long long>(kLineByteMicros * static_cast<double>(bytes)));
}

} // namespace

CSimLine::CSimLine(CClock& clock, CSimDevice& device) : m_clock(clock), m_device(device) {}

// The processor takes each frame once its last byte has crossed the line; the write
// returns when every byte has left, as the serial port's does.
SPortResult CSimLine::Write(const std::uint8_t* bytes, std::size_t count) {
    if (HungUp()) {
        return {EPortStatus::InvalidHandle, 0};
    }
    const SSimFaults faults = m_device.Faults();
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<SWireFrame> frame = m_reader.Push(bytes[i]);
        if (!frame || m_bHangUpPlanned) {
            continue; // once a hang-up is planned the processor takes no more frames
        }
        const std::vector<std::uint8_t> answer = m_device.Take(*frame, m_bHangUpPlanned);
        m_schedule.Add(*frame, answer, faults, Now() + LineTime(i + 1 - frame->m_abBytes.size()),
                       m_bHangUpPlanned);
    }
    Pass(std::chrono::duration_cast<Milliseconds>(LineTime(count)));
    return {EPortStatus::Ok, count};
}

void CSimLine::Deliver() {
    while (std::optional<SAnswerChunk> chunk = m_schedule.TakeDue(Now())) {
        if (chunk->m_bHangUp) {
            m_bHungUp = true;
            m_device.SetGone();
        }
        m_abInput.insert(m_abInput.end(), chunk->m_abBytes.begin(), chunk->m_abBytes.end());
    }
}

bool CSimLine::HungUp() {
    Deliver();
    return m_bHungUp && m_abInput.empty();
}

SPortResult CSimLine::BytesWaiting() {
    if (HungUp()) {
        return {EPortStatus::InvalidHandle, 0};
    }
    return {EPortStatus::Ok, m_abInput.size()};
}

SPortResult CSimLine::Read(std::uint8_t* buffer, std::size_t capacity) {
    if (HungUp()) {
        return {EPortStatus::InvalidHandle, 0};
    }
    const std::size_t count = std::min(capacity, m_abInput.size());
    std::memcpy(buffer, m_abInput.data(), count);
    m_abInput.erase(m_abInput.begin(), m_abInput.begin() + static_cast<std::ptrdiff_t>(count));
    return {EPortStatus::Ok, count};
}

void CSimLine::Purge() {
    Deliver();
    m_abInput.clear();
}

// Until the next part of an answer arrives, the line hangs up, the timeout passes or a stop
// is requested.
EPortEvent CSimLine::Wait(Milliseconds timeout) {
    Deliver();
    if (m_abInput.empty() && !HungUp()) {
        const Milliseconds now = m_clock.Now();
        Milliseconds wake = now + timeout;
        if (const std::optional<Micros> next = m_schedule.Next()) {
            wake = std::min(wake, std::chrono::ceil<Milliseconds>(*next));
        }
        if (wake > now) {
            Pass(wake - now);
        }
    }
    if (StopRequested()) {
        return EPortEvent::Stopped;
    }
    if (HungUp()) {
        return EPortEvent::HungUp;
    }
    return m_abInput.empty() ? EPortEvent::TimedOut : EPortEvent::Readable;
}

void CSimLine::Pass(Milliseconds duration) {
    std::unique_lock lock(m_stopMutex);
    m_clock.WaitFor(lock, m_stopChanged, duration, [this] { return m_bStop.load(); });
}

void CSimLine::RequestStop() {
    {
        std::lock_guard lock(m_stopMutex);
        m_bStop = true;
    }
    m_stopChanged.notify_all();
}

CSimOpener::CSimOpener(CClock& clock, CTransportOpener* pNext) : m_clock(clock), m_pNext(pNext) {}

CSimDevice& CSimOpener::Add(const std::string& name, SSimFaults faults, SSimState state) {
    auto& device = m_devices[name];
    device = std::make_unique<CSimDevice>(std::move(faults), std::move(state));
    return *device;
}

CSimDevice* CSimOpener::Device(const std::string& name) {
    const auto found = m_devices.find(name);
    return found != m_devices.end() ? found->second.get() : nullptr;
}

// A device whose line hung up is gone, as an adapter pulled out is.
std::unique_ptr<CTransport> CSimOpener::Open(const std::string& name, SOpenFailure& failure) {
    CSimDevice* device = Device(name);
    if (device == nullptr && m_pNext != nullptr) {
        return m_pNext->Open(name, failure);
    }
    if (device == nullptr || device->Gone()) {
        failure = {EOpenError::Missing, name + ": no such device (" + std::strerror(ENOENT) + ")"};
        return nullptr;
    }
    return std::make_unique<CSimLine>(m_clock, *device);
}

} // namespace zolt::sim
