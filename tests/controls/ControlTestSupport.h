// Helpers of the control tests: a parent window that records the messages its controls
// post and send, a paint counter, and event pumping.
#pragma once

#include "controls/Colour.h"
#include "controls/Message.h"

#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <vector>

namespace zolt::test {

struct SRecordedMessage {
    unsigned nMessage;
    WParam wParam;
    LParam lParam;
};

// A window that records every message it receives.
class CMessageRecorder : public CMessageWidget {
public:
    std::vector<SRecordedMessage> m_aMessages;

    std::vector<SRecordedMessage> Of(unsigned nMessage) const {
        std::vector<SRecordedMessage> aFound;
        for (const SRecordedMessage& msg : m_aMessages) {
            if (msg.nMessage == nMessage) {
                aFound.push_back(msg);
            }
        }
        return aFound;
    }

protected:
    bool OnMessage(CMessageEvent& msg) override {
        m_aMessages.push_back({msg.Message(), msg.WParameter(), msg.LParameter()});
        return true;
    }
};

// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    explicit CPaintCounter(QWidget* pWidget) { pWidget->installEventFilter(this); }
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++m_nPaints;
        }
        return false;
    }
};

// Shows and activates a top-level window, so its widgets can take the keyboard focus.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

inline void Pump() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

inline ColorRef PixelAt(const QImage& image, int x, int y) {
    return ColorRefOf(image.pixelColor(x, y));
}

inline QImage Snapshot(QWidget& widget) {
    return widget.grab().toImage();
}

} // namespace zolt::test
