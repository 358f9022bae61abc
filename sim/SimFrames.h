// Frames as the simulated processor sees them on its side of the line: a reader that
// finds FF 55 frames in a byte stream, and a builder for the answers it sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zolt::sim {

// One frame taken off the line, from its start mark to its sum byte.
struct SWireFrame {
    std::vector<std::uint8_t> m_abBytes;
    bool m_bSumOk = false;

    std::uint16_t Length() const {
        return static_cast<std::uint16_t>(m_abBytes[2] | (m_abBytes[3] << 8));
    }
    std::uint8_t Command() const { return m_abBytes[4]; }
    std::uint8_t Parameter() const { return m_abBytes[5]; }
    // The bytes after the parameter byte, up to (not including) the sum.
    std::span<const std::uint8_t> Payload() const {
        return {m_abBytes.data() + 6, m_abBytes.size() - 7};
    }
};

// Assembles frames byte by byte. Only a strict FF 55 opens a frame; a length outside
// 3..4202 (more than a frame record holds) drops the header and the search starts again.
class CFrameReader {
public:
    // Returns the frame this byte completes, if any.
    std::optional<SWireFrame> Push(std::uint8_t byte);
    // True while part of a frame has been seen.
    bool InFrame() const { return !m_abPending.empty(); }
    void Reset() { m_abPending.clear(); }

private:
    std::vector<std::uint8_t> m_abPending;
};

// A finished frame: FF 55, L = body size + 2, command, body (parameter and payload,
// or for the code changes the data), sum.
std::vector<std::uint8_t> MakeFrame(std::uint8_t command, std::span<const std::uint8_t> body);
std::vector<std::uint8_t> MakeFrame(std::uint8_t command, std::uint8_t parameter,
                                    std::span<const std::uint8_t> payload = {});

} // namespace zolt::sim
