#include "VirtualLine.h"

#include "model/Command.h"

#include <algorithm>
#include <cstring>

namespace zolt::test {

using std::chrono_literals::operator""ms;

namespace {

constexpr Milliseconds kTurnPause{20};

Micros LineTime(std::size_t bytes) {
    return Micros(static_cast<long long>(sim::kLineByteMicros * static_cast<double>(bytes)));
}

} // namespace

CVirtualLine::CVirtualLine(CVirtualClock& clock, sim::SSimFaults faults, sim::SSimState state)
    : m_clock(clock), m_processor(std::move(faults), std::move(state)) {}

SPortResult CVirtualLine::Write(const std::uint8_t* bytes, std::size_t count) {
    if (HungUp()) {
        return {EPortStatus::InvalidHandle, 0};
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::optional<sim::SWireFrame> frame = m_reader.Push(bytes[i]);
        if (!frame || m_bHangUpPlanned) {
            continue;
        }
        m_aTaken.emplace_back(frame->Command(), frame->Parameter());
        const std::vector<std::uint8_t> answer = m_processor.Handle(*frame);
        m_bHangUpPlanned = m_processor.HangUpDue();
        m_schedule.Add(*frame, answer, m_processor.Faults(),
                       Now() + LineTime(i + 1 - frame->m_abBytes.size()), m_bHangUpPlanned);
    }
    m_clock.Advance(std::chrono::duration_cast<Milliseconds>(LineTime(count)));
    return {EPortStatus::Ok, count};
}

void CVirtualLine::Deliver() {
    while (std::optional<sim::SAnswerChunk> chunk = m_schedule.TakeDue(Now())) {
        if (chunk->m_bHangUp) {
            m_bHungUp = true;
        }
        m_abInput.insert(m_abInput.end(), chunk->m_abBytes.begin(), chunk->m_abBytes.end());
    }
}

SPortResult CVirtualLine::BytesWaiting() {
    Deliver();
    if (m_abInput.empty() && m_bHungUp) {
        return {EPortStatus::InvalidHandle, 0};
    }
    return {EPortStatus::Ok, m_abInput.size()};
}

SPortResult CVirtualLine::Read(std::uint8_t* buffer, std::size_t capacity) {
    Deliver();
    if (m_abInput.empty() && m_bHungUp) {
        return {EPortStatus::InvalidHandle, 0};
    }
    const std::size_t count = std::min(capacity, m_abInput.size());
    std::memcpy(buffer, m_abInput.data(), count);
    m_abInput.erase(m_abInput.begin(), m_abInput.begin() + static_cast<std::ptrdiff_t>(count));
    return {EPortStatus::Ok, count};
}

void CVirtualLine::Purge() {
    Deliver();
    m_abInput.clear();
}

std::optional<Milliseconds> CVirtualLine::NextArrival() const {
    const std::optional<Micros> next = m_schedule.Next();
    if (!next) {
        return std::nullopt;
    }
    return std::chrono::ceil<Milliseconds>(*next);
}

bool CVirtualLine::HungUp() {
    Deliver();
    return m_bHungUp && m_abInput.empty();
}

int CVirtualLine::TimesTaken(std::uint8_t command, std::uint8_t parameter) const {
    return static_cast<int>(std::count(m_aTaken.begin(), m_aTaken.end(),
                                       std::pair<std::uint8_t, std::uint8_t>{command, parameter}));
}

CVirtualComm::CVirtualComm(sim::SSimFaults faults, sim::SSimState state)
    : m_line(m_clock, std::move(faults), std::move(state)) {
    SetNotifySink(this);
}

CVirtualComm::~CVirtualComm() {
    SetNotifySink(nullptr);
}

void CVirtualComm::Open() {
    g_flags.m_bConnected = true;
    g_flags.m_bOnline = true;
    m_link.OnPortOpened();
    {
        CImageGuard guard(ImageLock());
        CommitShadow(true);
        m_link.Build(cmd::kProbe, 0);
    }
    m_bNextFrame = true;
}

bool CVirtualComm::RunUntil(const std::function<bool()>& done, Milliseconds limit) {
    const Milliseconds end = m_clock.Now() + limit;
    while (!done()) {
        if (m_bFailed || m_line.StopRequested() || m_clock.Now() > end) {
            return false;
        }
        Turn();
        HandlePosts();
    }
    return true;
}

// One turn of the comm thread: the first event ready, in the thread's order.
void CVirtualComm::Turn() {
    if (m_bWrite) {
        m_bWrite = false;
        Follow(m_link.WriteStep(m_line));
    } else if (m_bNextFrame) {
        m_bNextFrame = false;
        Follow(m_link.NextFrameStep());
    } else {
        // The wait: until a byte arrives, the line hangs up or the timeout passes.
        const Milliseconds timeout = m_clock.Now() + m_link.WaitTimeout();
        const std::optional<Milliseconds> arrival = m_line.NextArrival();
        const Milliseconds wake = arrival ? std::min(*arrival, timeout) : timeout;
        if (wake > m_clock.Now() && !m_line.HungUp()) {
            m_clock.Advance(wake - m_clock.Now());
        }
        if (m_line.HungUp()) {
            m_link.ReportPortFailure(m_line, ELinkFault::HungUp);
        } else {
            Follow(m_link.ReceiveStep(m_line));
        }
    }
    m_clock.Advance(kTurnPause);
}

void CVirtualComm::Follow(ELinkEvent event) {
    if (event == ELinkEvent::Write) {
        m_bNextFrame = false;
        m_bWrite = true;
    } else if (event == ELinkEvent::NextFrame) {
        m_bNextFrame = true;
    }
}

void CVirtualComm::Post(unsigned message, std::uintptr_t, std::intptr_t) {
    m_aPosted.push_back(message);
}

void CVirtualComm::MessageBox(std::string_view text, std::string_view) {
    m_aBoxes.emplace_back(text);
}

// The window's handlers of the link's messages.
void CVirtualComm::HandlePosts() {
    while (!m_aPosted.empty()) {
        const unsigned message = m_aPosted.front();
        m_aPosted.pop_front();
        if (message == msg::kProbeAnswered) {
            m_link.StartReadBack();
        } else if (message == msg::kAllModesRead) {
            m_link.FinishReadAllModes();
        } else if (message == msg::kImageReplaced) {
            ++m_nImages;
        } else if (message == msg::kPortFailure) {
            m_bFailed = true;
        }
    }
}

bool CVirtualComm::Drained() const {
    CImageGuard guard(ImageLock());
    const std::uint8_t command = FrameCommand(m_link.CurrentFrame());
    return m_link.Queue().Count() == 0 && command != cmd::kWriteMode &&
           command != cmd::kWriteSystem && !g_flags.m_bStoreBusy;
}

} // namespace zolt::test
