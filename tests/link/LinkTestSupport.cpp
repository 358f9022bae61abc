#include "LinkTestSupport.h"

#include "link/Frame.h"

#include <algorithm>
#include <cstring>

namespace zolt::test {

Bytes MakeFrame(std::uint8_t command, std::uint8_t parameter, const Bytes& payload) {
    SFrameRecord record{};
    record.m_abFrame[0] = kStartMark1;
    record.m_abFrame[1] = kStartMark2;
    record.m_abFrame[kCommandOffset] = command;
    record.m_abFrame[kParameterOffset] = parameter;
    std::copy(payload.begin(), payload.end(), record.m_abFrame + kPayloadOffset);
    FinaliseFrame(record, static_cast<std::uint16_t>(3 + payload.size()));
    return {record.m_abFrame, record.m_abFrame + FrameWireSize(record)};
}

Bytes Pattern(std::uint8_t seed, std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 3 * i);
    }
    return bytes;
}

std::size_t CRecordingSink::Count(unsigned message) const {
    return static_cast<std::size_t>(
        std::count_if(m_aPosts.begin(), m_aPosts.end(),
                      [message](const SPost& p) { return p.m_nMessage == message; }));
}

CScriptedProcessor::CScriptedProcessor(CClock& clock) : m_clock(clock) {
    m_responder = [this](const Bytes& frame) { return Answer(frame); };
}

CScriptedProcessor::Chunks CScriptedProcessor::Answer(const Bytes& frame) const {
    const std::uint8_t command = frame[kCommandOffset];
    const std::uint8_t n = frame[kParameterOffset];
    auto reply = [command](std::uint8_t parameter, const Bytes& data) {
        return Chunks{{MakeFrame(command, parameter, data)}};
    };
    switch (command) {
    case 12:
    case 24:
        return reply(command, Pattern(command + 3, 11));
    case 127:
        return reply(0, {1});
    case 128:
        return reply(n, Pattern(n, kNameSize));
    case 129:
        return reply(m_abSystem[0], Bytes(m_abSystem.begin() + 1, m_abSystem.end()));
    case 130:
    case 133:
        return reply(n, Pattern(n, kImageSize));
    default:
        return {{Ack(command)}};
    }
}

SPortResult CScriptedProcessor::Write(const std::uint8_t* bytes, std::size_t count) {
    EPortStatus status = EPortStatus::Ok;
    if (!m_aWriteFaults.empty()) {
        status = m_aWriteFaults.front();
        m_aWriteFaults.pop_front();
    }
    if (status == EPortStatus::Failed) {
        return {status, 0};
    }
    m_aWrites.emplace_back(bytes, bytes + count);
    for (SChunk& chunk : m_responder(m_aWrites.back())) {
        m_aInput.push_back({chunk.m_abBytes, m_clock.Now() + chunk.m_nDelay});
    }
    return {status, count};
}

// Drops the bytes that arrived before now; an answer due at the very moment of the purge
// before a write arrives just after it.
void CScriptedProcessor::Purge() {
    while (!m_aInput.empty() && m_aInput.front().m_nAt < m_clock.Now()) {
        m_aInput.pop_front();
    }
}

SPortResult CScriptedProcessor::BytesWaiting() {
    const bool arrived = !m_aInput.empty() && m_aInput.front().m_nAt <= m_clock.Now();
    return {EPortStatus::Ok, arrived ? m_aInput.front().m_abBytes.size() : 0};
}

// One chunk per read: bytes that arrived apart are read apart.
SPortResult CScriptedProcessor::Read(std::uint8_t* buffer, std::size_t capacity) {
    if (!m_aReadFaults.empty()) {
        const EPortStatus status = m_aReadFaults.front();
        m_aReadFaults.pop_front();
        return {status, 0};
    }
    if (BytesWaiting().m_nCount == 0) {
        return {EPortStatus::Ok, 0};
    }
    Bytes& chunk = m_aInput.front().m_abBytes;
    const std::size_t count = std::min(capacity, chunk.size());
    std::memcpy(buffer, chunk.data(), count);
    chunk.erase(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count));
    if (chunk.empty()) {
        m_aInput.pop_front();
    }
    return {EPortStatus::Ok, count};
}

std::vector<std::uint8_t> CScriptedProcessor::WrittenCommands() const {
    std::vector<std::uint8_t> commands;
    for (const Bytes& frame : m_aWrites) {
        commands.push_back(frame[kCommandOffset]);
    }
    return commands;
}

void RunCycle(CDeviceLink& link, CScriptedProcessor& port, std::size_t maxWrites) {
    ELinkEvent event = ELinkEvent::NextFrame;
    const int stops = port.m_nStopRequests;
    for (std::size_t writes = 0;
         event != ELinkEvent::None && writes < maxWrites && port.m_nStopRequests == stops;
         ++writes) {
        if (event == ELinkEvent::NextFrame) {
            link.NextFrameStep();
        }
        event = link.WriteStep(port); // NextFrame: answered before the resend
        while (event == ELinkEvent::None && link.CurrentFrame().m_bAwaiting != 0 &&
               port.m_nStopRequests == stops) {
            event = link.ReceiveStep(port); // None: the frame waits afresh
        }
    }
}

CLinkTest::CLinkTest() {
    ResetProcessData();
    g_flags.m_bOnline = true;
    g_flags.m_bConnected = true;
    SetNotifySink(&m_sink);
}

CLinkTest::~CLinkTest() {
    SetNotifySink(nullptr);
    ResetProcessData();
}

void CLinkTest::InFlight(std::uint8_t command, std::uint8_t parameter) {
    SFrameRecord& current = m_link.CurrentFrame();
    ClearRecord(current);
    current.m_abFrame[kCommandOffset] = command;
    current.m_abFrame[kParameterOffset] = parameter;
    FinaliseFrame(current, 3);
    current.m_bAwaiting = 1;
}

} // namespace zolt::test
