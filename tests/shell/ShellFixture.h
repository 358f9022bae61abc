// What the shell tests share: a fresh factory state for every test, every message box
// recorded instead of shown, and a main window that only ever tries the ports it is given.
#pragma once

#include "controls/MessageBox.h"
#include "model/Command.h"
#include "model/Defaults.h"
#include "shell/ZoltDlg.h"
#include "sim/SimLine.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zolt {

// No modal box (the progress box, a message box) holds the main window's input.
inline bool WindowTakesInput() {
    return QApplication::activeModalWidget() == nullptr;
}

// Runs the event loop until the condition holds or timeoutMs has passed; returns whether it
// holds, so the test asserts on it (Qt's own QTRY macros would only return from the test).
// One pass of the event loop at a time: a window that steps its link runs one turn a pass,
// so a state that lasts only a few turns of the virtual clock is seen too.
template <class FCondition> bool WaitUntil(FCondition condition, int timeoutMs = 5000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents();
        QThread::usleep(50);
    }
    return true;
}

// Names file in the next file dialog as soon as it is up, as the user types it and presses
// Enter; onAsked runs just before, so the test can note what had happened by then.
class CFileDialogAnswer {
public:
    explicit CFileDialogAnswer(const std::filesystem::path& file,
                               std::function<void()> onAsked = {}) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, file, onAsked] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            m_timer.stop();
            if (onAsked) {
                onAsked();
            }
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QString::fromStdString(file.string()));
            QTest::keyClick(name, Qt::Key_Return);
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

// A screen the window fits on at its normal size.
inline const QSize kLargeScreen(1920, 1080);

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProcessData();
        FactoryDefaults();
        g_flags.m_nLanguage = 0;
    }

    std::unique_ptr<CZoltDlg> MakeWindow(std::vector<std::string> ports = {},
                                         QSize screen = kLargeScreen) {
        SZoltOptions options;
        options.m_screenSize = screen;
        options.m_astrPorts = std::move(ports);
        options.m_bNamedPortsOnly = true;
        return std::make_unique<CZoltDlg>(std::move(options));
    }

    QStringList m_boxes;
    CScopedMessageBoxHandler m_recordBoxes{[this](QWidget*, const SMessageBox& box) {
        m_boxes << box.m_strText;
        return EMsgResult::Ok;
    }};
};

// A window on line with a simulated processor on a line in virtual time: the window runs
// the link turn by turn on its own thread, so a read-back or a transfer takes moments.
class SimShellTest : public ShellTest {
protected:
    static constexpr int kTimeoutMs = 20000;
    // The processor's port.
    static constexpr const char* kPort = "sim0";

    std::unique_ptr<CZoltDlg> Connect(sim::SSimFaults faults = {},
                                      sim::SSimState state = sim::MakeFactoryState()) {
        m_sim = &m_opener.Add(kPort, std::move(faults), std::move(state));
        SZoltOptions options;
        options.m_screenSize = kLargeScreen;
        options.m_astrPorts = {kPort};
        options.m_bNamedPortsOnly = true;
        options.m_pClock = &m_clock;
        options.m_pOpener = &m_opener;
        options.m_bStepped = true;
        auto dlg = std::make_unique<CZoltDlg>(std::move(options));
        dlg->show();
        return dlg;
    }

    // Declared first so the window (and its port) goes before the processors do.
    CVirtualClock m_clock;
    sim::CSimOpener m_opener{m_clock};
    sim::CSimDevice* m_sim = nullptr;
};

} // namespace zolt
