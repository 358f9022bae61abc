#include "link/LateAnswers.h"

namespace zolt {

void CLateAnswers::Remember(std::uint8_t command, std::uint8_t parameter, int silent) {
    m_aEntries[m_nNext] = {command, parameter, silent};
    m_nNext = (m_nNext + 1) % m_aEntries.size();
    if (m_nCount < m_aEntries.size()) {
        ++m_nCount;
    }
}

bool CLateAnswers::Answered(std::uint8_t command, std::uint8_t parameter) const {
    for (std::size_t i = 0; i < m_nCount; ++i) {
        const SEntry& entry = m_aEntries[i];
        if (entry.m_nCommand == command && entry.m_nParameter == parameter) {
            return true;
        }
    }
    return false;
}

int CLateAnswers::Expected(std::uint8_t command) const {
    int expected = 0;
    for (std::size_t i = 0; i < m_nCount; ++i) {
        if (m_aEntries[i].m_nCommand == command) {
            expected += m_aEntries[i].m_nSilent;
        }
    }
    return expected;
}

void CLateAnswers::Arrived(std::uint8_t command, int count) {
    const std::size_t oldest = (m_nNext + m_aEntries.size() - m_nCount) % m_aEntries.size();
    for (std::size_t i = 0; i < m_nCount && count > 0; ++i) {
        SEntry& entry = m_aEntries[(oldest + i) % m_aEntries.size()];
        while (entry.m_nCommand == command && entry.m_nSilent > 0 && count > 0) {
            --entry.m_nSilent;
            --count;
        }
    }
}

void CLateAnswers::ArrivedFor(std::uint8_t command, std::uint8_t parameter) {
    for (std::size_t i = 0; i < m_nCount; ++i) {
        SEntry& entry = m_aEntries[i];
        if (entry.m_nCommand == command && entry.m_nParameter == parameter && entry.m_nSilent > 0) {
            --entry.m_nSilent;
            return;
        }
    }
}

void CLateAnswers::Clear() {
    m_aEntries = {};
    m_nNext = 0;
    m_nCount = 0;
}

} // namespace zolt
