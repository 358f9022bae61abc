// The frames answered lately, so that a late answer to one of them is never taken for the
// answer to the frame in flight. A frame written again because its answer was overdue may
// still get that answer after the one the link took; the processor answers in order, so
// such late answers come before the answer to any later frame.
//
// Kept by the device link under the image lock. Only the last few frames are remembered:
// a late answer comes at most a frame or two after its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zolt {

class CLateAnswers {
public:
    // A frame has been answered; silent of its transmissions heard nothing, so up to that
    // many answers of it may still come.
    void Remember(std::uint8_t command, std::uint8_t parameter, int silent);

    // True when a frame with this command and parameter was answered lately: a name or
    // mode reply labelled with that slot belongs to it.
    bool Answered(std::uint8_t command, std::uint8_t parameter) const;

    // How many answers with this command may still come from earlier frames.
    int Expected(std::uint8_t command) const;

    // count answers with this command have come (or are taken to have come), oldest
    // frame first.
    void Arrived(std::uint8_t command, int count);
    // A late reply labelled with parameter has come.
    void ArrivedFor(std::uint8_t command, std::uint8_t parameter);

    void Clear();

private:
    struct SEntry {
        std::uint8_t m_nCommand = 0;
        std::uint8_t m_nParameter = 0;
        int m_nSilent = 0;
    };

    // The last frames answered, oldest overwritten first.
    std::array<SEntry, 8> m_aEntries{};
    std::size_t m_nNext = 0;
    std::size_t m_nCount = 0;
};

} // namespace zolt
