// Modal message boxes. Every box of the program goes through ShowMessageBox, so a test can
// put its own handler in place to record the texts and choose the answer.
// UI thread only: the comm thread posts a message to the main window instead.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class QWidget;

namespace zolt {

enum class EMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class EMsgIcon { None, Information, Warning, Error, Question };
enum class EMsgResult { Ok, Cancel, Yes, No };

struct SMessageBox {
    QString m_strText;
    QString m_strCaption;
    EMsgButtons m_eButtons = EMsgButtons::Ok;
    EMsgIcon m_eIcon = EMsgIcon::None;
    // The buttons' own texts, in the order of m_eButtons (Yes, No...); empty: the usual ones.
    QStringList m_astrButtons;
};

using MessageBoxHandler = std::function<EMsgResult(QWidget* pParent, const SMessageBox& box)>;

// The program's title: the main window's, and the caption of a box that names none.
inline constexpr const char* kProgramTitle = "Zolt " ZOLT_VERSION;

// Shows the box modally (or hands it to the installed handler) and returns the answer. An
// empty caption is the program's title; astrButtons names the buttons where the usual texts
// would not say what they do.
EMsgResult ShowMessageBox(QWidget* pParent, const QString& strText, const QString& strCaption = {},
                          EMsgButtons eButtons = EMsgButtons::Ok, EMsgIcon eIcon = EMsgIcon::None,
                          const QStringList& astrButtons = {});

// Installs a handler (an empty one restores the real boxes); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Installs a handler for its lifetime and puts the previous one back afterwards.
class CScopedMessageBoxHandler {
public:
    explicit CScopedMessageBoxHandler(MessageBoxHandler handler)
        : m_previous(SetMessageBoxHandler(std::move(handler))) {}
    ~CScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(m_previous)); }
    CScopedMessageBoxHandler(const CScopedMessageBoxHandler&) = delete;
    CScopedMessageBoxHandler& operator=(const CScopedMessageBoxHandler&) = delete;

private:
    MessageBoxHandler m_previous;
};

} // namespace zolt
