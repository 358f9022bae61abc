#include "controls/Message.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include <sys/eventfd.h>
#include <unistd.h>

namespace zolt {

namespace {

// Messages posted from another thread (the comm thread) wait in this mailbox, guarded by a
// std::mutex, and an eventfd wakes the UI thread's event loop, which delivers them. The
// event objects are made on the thread that handles them: nothing crosses between the
// threads inside Qt's event queue, so every hand-off is one the thread checker can see.
class CMailbox final : public QObject {
public:
    explicit CMailbox(QObject* pParent)
        : QObject(pParent), m_nWake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          m_notifier(m_nWake, QSocketNotifier::Read) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &CMailbox::Deliver);
    }
    ~CMailbox() override { close(m_nWake); }

    // Any thread.
    void Post(QObject* pTarget, unsigned nMessage, WParam wParam, LParam lParam) {
        Add({pTarget, nMessage, wParam, lParam, {}});
    }
    void PostTask(QObject* pTarget, std::function<void()> task) {
        Add({pTarget, 0, 0, 0, std::move(task)});
    }

private:
    // A message, or a task to run on the target's behalf.
    struct SMail {
        QPointer<QObject> m_pTarget;
        unsigned m_nMessage;
        WParam m_wParam;
        LParam m_lParam;
        std::function<void()> m_task;
    };

    void Add(SMail mail) {
        {
            const std::lock_guard<std::mutex> lock(m_lock);
            m_aMail.push_back(std::move(mail));
        }
        const std::uint64_t nOne = 1;
        // An eventfd write fails only when its counter is full: the UI thread is woken then.
        [[maybe_unused]] const ssize_t nWritten = write(m_nWake, &nOne, sizeof nOne);
    }

    void Deliver() {
        std::uint64_t nCount = 0;
        // Clears the counter; the mail list, not the count, says what there is to deliver.
        [[maybe_unused]] const ssize_t nRead = read(m_nWake, &nCount, sizeof nCount);
        for (;;) {
            SMail mail;
            {
                const std::lock_guard<std::mutex> lock(m_lock);
                if (m_aMail.empty()) {
                    return;
                }
                mail = std::move(m_aMail.front());
                m_aMail.pop_front();
            }
            if (mail.m_pTarget == nullptr) {
                continue;
            }
            if (mail.m_task) {
                mail.m_task();
            } else {
                SendMessage(mail.m_pTarget, mail.m_nMessage, mail.m_wParam, mail.m_lParam);
            }
        }
    }

    int m_nWake;
    QSocketNotifier m_notifier;
    std::mutex m_lock;
    std::deque<SMail> m_aMail;
};

// Made on the UI thread by the first window (before any comm thread runs), owned by the
// application.
QPointer<CMailbox> g_pMailbox;

CMailbox* Mailbox() {
    if (g_pMailbox == nullptr && QCoreApplication::instance() != nullptr &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        g_pMailbox = new CMailbox(QCoreApplication::instance());
    }
    return g_pMailbox;
}

} // namespace

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
    if (pTarget == nullptr) {
        return;
    }
    if (pTarget->thread() == QThread::currentThread()) {
        QCoreApplication::postEvent(pTarget, new CMessageEvent(nMessage, wParam, lParam));
    } else if (CMailbox* pMailbox = g_pMailbox) {
        pMailbox->Post(pTarget, nMessage, wParam, lParam);
    }
}

void PostTask(QObject* pTarget, std::function<void()> task) {
    if (CMailbox* pMailbox = g_pMailbox; pTarget != nullptr && pMailbox != nullptr) {
        pMailbox->PostTask(pTarget, std::move(task));
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

CMessageWidget::CMessageWidget(QWidget* pParent) : QWidget(pParent) {
    Mailbox();
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
