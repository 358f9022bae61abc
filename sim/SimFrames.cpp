#include "sim/SimFrames.h"

#include "link/Frame.h"

namespace zolt::sim {

std::optional<SWireFrame> CFrameReader::Push(std::uint8_t byte) {
    const std::size_t have = m_abPending.size();
    if (have == 0) {
        if (byte == kStartMark1) {
            m_abPending.push_back(byte);
        }
        return std::nullopt;
    }
    if (have == 1 && byte != kStartMark2) {
        m_abPending.clear();
        if (byte == kStartMark1) {
            m_abPending.push_back(byte);
        }
        return std::nullopt;
    }
    m_abPending.push_back(byte);
    if (m_abPending.size() < 4) {
        return std::nullopt;
    }
    const std::uint16_t length = static_cast<std::uint16_t>(m_abPending[2] | (m_abPending[3] << 8));
    if (length < 3 || length > kMaxFrameLength) {
        m_abPending.clear();
        return std::nullopt;
    }
    if (m_abPending.size() < length + 4u) {
        return std::nullopt;
    }
    SWireFrame frame;
    frame.m_abBytes.swap(m_abPending);
    frame.m_bSumOk = FrameSum(frame.m_abBytes.data(), length) == frame.m_abBytes[length + 3u];
    return frame;
}

std::vector<std::uint8_t> MakeFrame(std::uint8_t command, std::span<const std::uint8_t> body) {
    const auto length = static_cast<std::uint16_t>(body.size() + 2);
    std::vector<std::uint8_t> frame{kStartMark1, kStartMark2,
                                    static_cast<std::uint8_t>(length & 0xFF),
                                    static_cast<std::uint8_t>(length >> 8), command};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(FrameSum(frame.data(), length));
    return frame;
}

std::vector<std::uint8_t> MakeFrame(std::uint8_t command, std::uint8_t parameter,
                                    std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> body{parameter};
    body.insert(body.end(), payload.begin(), payload.end());
    return MakeFrame(command, body);
}

} // namespace zolt::sim
