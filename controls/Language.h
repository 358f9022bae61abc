// The language the window shows: the one place that turns the language flag into text.
// Every caption of the program exists in Chinese and English; pages keep theirs in tables
// of SCaption rows. UI thread only.
#pragma once

#include <QString>

#include <span>

class QWidget;

namespace zolt {

// 1 while Chinese captions are shown, 0 for English: the language flag as an index into
// two-entry text tables ordered English, Chinese.
int Language();
inline bool IsChinese() {
    return Language() == 1;
}

// The text of the current language (both UTF-8).
QString LanguageText(const char* pszChinese, const char* pszEnglish);

// A control's caption in both languages.
struct SCaption {
    int m_nId;
    const char* m_pszChinese;
    const char* m_pszEnglish;
};
inline QString CaptionText(const SCaption& caption) {
    return LanguageText(caption.m_pszChinese, caption.m_pszEnglish);
}

// Sets the caption of a control whatever its kind: group box, caption static, value
// static, push button. Other widgets and null are left alone.
void SetCaption(QWidget* pControl, const QString& strText);
// Gives every control of pParent named in the table its caption in the current language.
void ApplyCaptions(QWidget* pParent, std::span<const SCaption> aCaptions);

} // namespace zolt
