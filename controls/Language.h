// The language the window shows: the one place that turns the language flag into text.
// Every caption and message of the program exists in Chinese and English as an SText;
// pages keep their captions in tables of SCaption rows. UI thread only.
#pragma once

#include "model/Text.h"

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

// The text in the current language (UTF-8).
QString LanguageText(const SText& text);

// A control's caption in both languages.
struct SCaption {
    int m_nId;
    SText m_text;
};
inline QString CaptionText(const SCaption& caption) {
    return LanguageText(caption.m_text);
}

// Sets the caption of a control whatever its kind: group box, caption static, value
// static, push button. Other widgets and null are left alone.
void SetCaption(QWidget* pControl, const QString& strText);
// Gives every control of pParent named in the table its caption in the current language.
void ApplyCaptions(QWidget* pParent, std::span<const SCaption> aCaptions);

} // namespace zolt
