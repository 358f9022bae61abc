#include "controls/MessageBox.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <vector>

namespace zolt {

namespace {

MessageBoxHandler& InstalledHandler() {
    static MessageBoxHandler s_handler;
    return s_handler;
}

QMessageBox::StandardButtons ButtonsOf(EMsgButtons eButtons) {
    switch (eButtons) {
    case EMsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case EMsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case EMsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case EMsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(EMsgIcon eIcon) {
    switch (eIcon) {
    case EMsgIcon::Information:
        return QMessageBox::Information;
    case EMsgIcon::Warning:
        return QMessageBox::Warning;
    case EMsgIcon::Error:
        return QMessageBox::Critical;
    case EMsgIcon::Question:
        return QMessageBox::Question;
    case EMsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

EMsgResult ResultOf(int nButton) {
    switch (nButton) {
    case QMessageBox::Yes:
        return EMsgResult::Yes;
    case QMessageBox::No:
        return EMsgResult::No;
    case QMessageBox::Cancel:
        return EMsgResult::Cancel;
    default:
        return EMsgResult::Ok;
    }
}

// The standard buttons of a set, in the order their texts are given.
std::vector<QMessageBox::StandardButton> ButtonOrder(EMsgButtons eButtons) {
    switch (eButtons) {
    case EMsgButtons::OkCancel:
        return {QMessageBox::Ok, QMessageBox::Cancel};
    case EMsgButtons::YesNo:
        return {QMessageBox::Yes, QMessageBox::No};
    case EMsgButtons::YesNoCancel:
        return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    case EMsgButtons::Ok:
        break;
    }
    return {QMessageBox::Ok};
}

EMsgResult ShowQtBox(QWidget* pParent, const SMessageBox& box) {
    QMessageBox dialog(IconOf(box.m_eIcon), box.m_strCaption, box.m_strText,
                       ButtonsOf(box.m_eButtons), pParent);
    const std::vector<QMessageBox::StandardButton> order = ButtonOrder(box.m_eButtons);
    for (std::size_t i = 0;
         i < order.size() && i < static_cast<std::size_t>(box.m_astrButtons.size()); ++i) {
        dialog.button(order[i])->setText(box.m_astrButtons[static_cast<qsizetype>(i)]);
    }
    // Closing the box with Escape or its close button answers Cancel or No, never Yes.
    if (box.m_eButtons == EMsgButtons::YesNo) {
        dialog.setEscapeButton(QMessageBox::No);
    }
    return ResultOf(dialog.exec());
}

} // namespace

EMsgResult ShowMessageBox(QWidget* pParent, const QString& strText, const QString& strCaption,
                          EMsgButtons eButtons, EMsgIcon eIcon, const QStringList& astrButtons) {
    const SMessageBox box{strText,
                          strCaption.isEmpty() ? QString::fromLatin1(kProgramTitle) : strCaption,
                          eButtons, eIcon, astrButtons};
    const MessageBoxHandler& handler = InstalledHandler();
    return handler ? handler(pParent, box) : ShowQtBox(pParent, box);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(InstalledHandler());
    InstalledHandler() = std::move(handler);
    return previous;
}

} // namespace zolt
