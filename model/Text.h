// A text the user reads, in both languages of the program: every caption, message and name
// that exists in Chinese and English is one of these, Chinese first.
#pragma once

namespace zolt {

struct SText {
    const char* m_pszChinese;
    const char* m_pszEnglish;

    // language: the language flag, 1 Chinese, anything else English.
    constexpr const char* In(int language) const {
        return language == 1 ? m_pszChinese : m_pszEnglish;
    }
};

} // namespace zolt
