// The screenshot run (--capture DIR): once start-up is over (the lookup has ended and,
// when a processor answered, its read-back has arrived and the meters have had a few
// polls) every page index of the page registry is rendered in Chinese and in English to
// DIR/<index>-<page>-<zh|en>.png and the main window, on the System page, to
// DIR/window-<zh|en>.png; then the application quits. UI thread.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace zolt {

class CZoltDlg;

// File-name part of a page index.
QString PageFileName(int index);

class CCapture : public QObject {
    Q_OBJECT
public:
    CCapture(CZoltDlg& dlg, QString strDir);

    // Starts watching for the end of start-up; quits the application when done.
    void Begin();

    // Renders every picture now; returns the paths that could not be written.
    QStringList RenderAll();

    // 0 when every picture was written, 1 otherwise. Valid once the application quit.
    int ExitCode() const { return m_nExitCode; }

private:
    void Poll();
    void Finish();
    bool Save(QWidget& widget, const QString& name, QStringList& failed);

    CZoltDlg& m_dlg;
    QString m_strDir;
    QTimer m_poll;
    int m_nWaitedMs = 0;
    int m_nSettledMs = 0;
    int m_nExitCode = 1;
};

} // namespace zolt
