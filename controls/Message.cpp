#include "controls/Message.h"

#include <QKeyEvent>

#include <QCoreApplication>

namespace zolt {

CMessageEvent::CMessageEvent(unsigned nMessage, WParam wParam, LParam lParam)
    : QEvent(EventType()), m_nMessage(nMessage), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type CMessageEvent::EventType() {
    static const auto eType = static_cast<QEvent::Type>(QEvent::registerEventType());
    return eType;
}

CMessageEvent* CMessageEvent::From(QEvent* e) {
    return e != nullptr && e->type() == EventType() ? static_cast<CMessageEvent*>(e) : nullptr;
}

void PostMessage(QObject* pTarget, unsigned nMessage, WParam wParam, LParam lParam) {
    if (pTarget != nullptr) {
        QCoreApplication::postEvent(pTarget, new CMessageEvent(nMessage, wParam, lParam));
    }
}

LParam SendMessage(QObject* pTarget, unsigned nMessage, WParam wParam, LParam lParam) {
    if (pTarget == nullptr) {
        return 0;
    }
    CMessageEvent msg(nMessage, wParam, lParam);
    QCoreApplication::sendEvent(pTarget, &msg);
    return msg.Result();
}

bool CMessageWidget::OnMessage(CMessageEvent&) {
    return false;
}

bool CMessageWidget::event(QEvent* e) {
    if (CMessageEvent* pMsg = CMessageEvent::From(e)) {
        return OnMessage(*pMsg);
    }
    return QWidget::event(e);
}

void CDialogWindow::keyPressEvent(QKeyEvent* pEvent) {
    switch (pEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason);
        pEvent->accept();
        return;
    default:
        CMessageWidget::keyPressEvent(pEvent);
    }
}

bool CDialogWindow::focusNextPrevChild(bool) {
    return true;
}

} // namespace zolt
