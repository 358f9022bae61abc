// Window messages between controls, pages and the main window: a QEvent carrying
// (message, wParam, lParam). Posting queues the event on the receiver's thread and may be
// called from any thread (the comm thread posts its notices this way); sending delivers
// it at once and must happen on the receiver's thread.
#pragma once

#include <QEvent>
#include <QWidget>

#include <cstdint>
#include <functional>

class QObject;

namespace zolt {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;
// Posted by a slider to its parent; wParam = slider id, lParam = new position.
constexpr unsigned WM_SLIDER_MOVING = WM_USER + 9425; // during a drag, at most once per tick
constexpr unsigned WM_SLIDER_MOVED = WM_USER + 9426;  // drag ended, key, full wheel notch
// Sent by a numeric field to its parent; wParam 0, lParam = field id.
constexpr unsigned WM_NUMEDIT_CHANGED = WM_USER + 9500;
// Posted by a value label to itself after its text changed.
constexpr unsigned WM_LABEL_REPAINT = 0x0A50;
// From a band strip to its page; wParam 0, lParam = band index.
constexpr unsigned WM_BAND_ACTIVATED = WM_USER + 151;
// From the curve display to its page; lParam = item dragged.
constexpr unsigned WM_CURVE_DRAGGED = WM_USER + 100;

class CMessageEvent : public QEvent {
public:
    CMessageEvent(unsigned nMessage, WParam wParam, LParam lParam);

    // The event type shared by every window message.
    static QEvent::Type EventType();
    // The message event inside e, or null when e is another kind of event.
    static CMessageEvent* From(QEvent* e);

    unsigned Message() const { return m_nMessage; }
    WParam WParameter() const { return m_wParam; }
    LParam LParameter() const { return m_lParam; }
    // The answer a handler gives to a sent message.
    LParam Result() const { return m_nResult; }
    void SetResult(LParam nResult) { m_nResult = nResult; }

private:
    unsigned m_nMessage;
    WParam m_wParam;
    LParam m_lParam;
    LParam m_nResult = 0;
};

// Queues the message for pTarget; any thread (from a thread other than the target's, once a
// window exists). A null target is ignored; a message for a target destroyed before delivery
// is dropped.
void PostMessage(QObject* pTarget, unsigned nMessage, WParam wParam = 0, LParam lParam = 0);
// Runs task later on the UI thread, while pTarget lives; any thread. Tasks and messages
// posted from other threads are delivered in the order they were posted.
void PostTask(QObject* pTarget, std::function<void()> task);
// Delivers the message now and returns the handler's result; the target's thread only.
LParam SendMessage(QObject* pTarget, unsigned nMessage, WParam wParam = 0, LParam lParam = 0);

// A window that handles messages in one handler, as pages and dialogs do.
class CMessageWidget : public QWidget {
    Q_OBJECT
public:
    // The first window also sets up the delivery of messages posted from other threads.
    explicit CMessageWidget(QWidget* pParent = nullptr);

protected:
    // Returns true when the message was handled; may set the result for senders.
    virtual bool OnMessage(CMessageEvent& msg);
    bool event(QEvent* e) override;
};

// A window built from a dialog template (a page, a band strip): Tab walks no controls, and
// Enter and Escape only move the focus to the window, so a numeric field being edited
// commits its text and nothing closes or presses a default button.
class CDialogWindow : public CMessageWidget {
    Q_OBJECT
public:
    explicit CDialogWindow(QWidget* pParent = nullptr) : CMessageWidget(pParent) {}

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    bool focusNextPrevChild(bool bNext) override;
};

} // namespace zolt
