// What the harnesses share: a byte reader over the fuzzer's input and a notification sink
// that accepts everything.
#pragma once

#include "link/Notify.h"

#include <cstddef>
#include <cstdint>

namespace zolt::fuzz {

// Takes bytes from the front of the input; past its end every byte reads as 0.
class CInput {
public:
    CInput(const std::uint8_t* data, std::size_t size) : m_pData(data), m_nSize(size) {}
    std::uint8_t Byte() { return m_nPos < m_nSize ? m_pData[m_nPos++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    bool Empty() const { return m_nPos >= m_nSize; }
    const std::uint8_t* Rest() const { return m_pData + m_nPos; }
    std::size_t Left() const { return m_nSize - m_nPos; }
    void Skip(std::size_t count) { m_nPos += count < Left() ? count : Left(); }

private:
    const std::uint8_t* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
};

// A sink that takes every notice; the System page counts as shown when asked.
class CQuietSink final : public CNotifySink {
public:
    bool IsSystemPageShown() const override { return m_bSystemPage; }

    bool m_bSystemPage = false;
};

} // namespace zolt::fuzz
