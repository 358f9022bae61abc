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

std::vector<SPost> CRecordingSink::PostsOf(unsigned message) const {
    std::vector<SPost> posts;
    for (const SPost& post : m_aPosts) {
        if (post.m_nMessage == message) {
            posts.push_back(post);
        }
    }
    return posts;
}

CScriptedProcessor::CScriptedProcessor(CClock& clock) : m_clock(clock) {
    for (int i = 0; i < 12; ++i) {
        m_abLevels[i] = static_cast<std::uint8_t>(10 + i);
        m_abStates[i] = static_cast<std::uint8_t>(50 + i);
    }
    for (std::size_t i = 0; i < kSystemSize; ++i) {
        m_abSystem[i] = static_cast<std::uint8_t>(i + 1);
    }
    for (std::size_t n = 0; n < kSlotCount; ++n) {
        for (std::size_t i = 0; i < kImageSize; ++i) {
            m_abModes[n][i] = static_cast<std::uint8_t>(n * 7 + i);
        }
    }
    m_responder = [this](const Bytes& frame) { return Answer(frame); };
}

std::vector<CScriptedProcessor::SChunk> CScriptedProcessor::Answer(const Bytes& frame) const {
    const std::uint8_t command = frame[kCommandOffset];
    const std::uint8_t parameter = frame[kParameterOffset];
    auto reply = [&](std::uint8_t p, const std::uint8_t* data, std::size_t size) {
        return std::vector<SChunk>{{MakeFrame(command, p, Bytes(data, data + size))}};
    };
    switch (command) {
    case 12:
        return reply(m_abLevels[0], m_abLevels + 1, 11);
    case 24:
        return reply(m_abStates[0], m_abStates + 1, 11);
    case 127:
        return reply(0, &m_nUnlock, 1);
    case 128: {
        const std::size_t n = std::min<std::size_t>(parameter, kSlotCount - 1);
        return reply(parameter, m_abModes[n], kNameSize);
    }
    case 129:
        return reply(m_abSystem[0], m_abSystem + 1, kSystemSize - 1);
    case 130:
    case 133: {
        const std::size_t n = std::min<std::size_t>(parameter, kSlotCount - 1);
        return reply(parameter, m_abModes[n], kImageSize);
    }
    default:
        return {{Ack(command)}};
    }
}

SPortResult CScriptedProcessor::Write(const std::uint8_t* bytes, std::size_t count) {
    const EPortStatus status = m_aWriteFaults.empty() ? EPortStatus::Ok : m_aWriteFaults.front();
    if (!m_aWriteFaults.empty()) {
        m_aWriteFaults.pop_front();
    }
    if (status == EPortStatus::Failed) {
        return {status, 0};
    }
    Bytes frame(bytes, bytes + count);
    m_aWrites.push_back(frame);
    m_anWriteTimes.push_back(m_clock.Now());
    for (SChunk& chunk : m_responder(frame)) {
        Deliver(chunk.m_abBytes, chunk.m_nDelay);
    }
    return {status, count};
}

void CScriptedProcessor::Deliver(const Bytes& bytes, Milliseconds delay) {
    m_aInput.push_back({bytes, m_clock.Now() + delay});
}

// Drops the bytes that arrived before now. An answer due at the very moment of a write
// arrives just after it, so the purge that follows the write does not drop it.
void CScriptedProcessor::Purge() {
    while (!m_aInput.empty() && m_aInput.front().m_nAt < m_clock.Now()) {
        m_aInput.pop_front();
    }
}

SPortResult CScriptedProcessor::BytesWaiting() {
    if (m_aInput.empty() || m_aInput.front().m_nAt > m_clock.Now()) {
        return {EPortStatus::Ok, 0};
    }
    return {EPortStatus::Ok, m_aInput.front().m_abBytes.size()};
}

// One chunk per read: bytes that arrived apart are read apart.
SPortResult CScriptedProcessor::Read(std::uint8_t* buffer, std::size_t capacity) {
    if (!m_aReadFaults.empty()) {
        const EPortStatus status = m_aReadFaults.front();
        m_aReadFaults.pop_front();
        return {status, 0};
    }
    if (m_aInput.empty() || m_aInput.front().m_nAt > m_clock.Now()) {
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

void RunCycle(CDeviceLink& link, CScriptedProcessor& port, std::size_t maxWrites) {
    ELinkEvent event = ELinkEvent::NextFrame;
    const int stopsBefore = port.m_nStopRequests;
    std::size_t writes = 0;
    while (event != ELinkEvent::None && writes < maxWrites &&
           port.m_nStopRequests == stopsBefore) {
        if (event == ELinkEvent::NextFrame) {
            link.NextFrameStep();
        }
        link.WriteStep(port);
        ++writes;
        event = link.ReceiveStep(port);
    }
}

std::vector<std::uint8_t> WrittenCommands(const CScriptedProcessor& port) {
    std::vector<std::uint8_t> commands;
    for (const Bytes& frame : port.m_aWrites) {
        commands.push_back(frame[kCommandOffset]);
    }
    return commands;
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

} // namespace zolt::test
