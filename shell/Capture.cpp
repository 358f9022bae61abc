#include "shell/Capture.h"

#include "model/Command.h"
#include "shell/PageRegistry.h"
#include "shell/ZoltDlg.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <array>
#include <cstdio>

namespace zolt {

namespace {

constexpr int kPollMs = 100;
// A processor that answers the probe but never sends its data would hold the run forever.
constexpr int kGiveUpMs = 60000;
// With a processor on line the meters get a few polls before the pictures are taken.
constexpr int kMeterPollsMs = 1500;

constexpr struct {
    int m_nLanguage;
    const char* m_pszSuffix;
} kLanguages[] = {{1, "zh"}, {0, "en"}};

} // namespace

QString PageFileName(int index) {
    return QString::fromLatin1(PageRow(index).m_pszFile);
}

CCapture::CCapture(CZoltDlg& dlg, QString strDir) : m_dlg(dlg), m_strDir(std::move(strDir)) {
    connect(&m_poll, &QTimer::timeout, this, &CCapture::Poll);
}

void CCapture::Begin() {
    m_poll.start(kPollMs);
}

void CCapture::Poll() {
    m_nWaitedMs += kPollMs;
    if (m_dlg.StartupSettled()) {
        m_nSettledMs += kPollMs;
    }
    const bool ready =
        m_dlg.StartupSettled() && (!g_flags.m_bOnline || m_nSettledMs >= kMeterPollsMs);
    if (!ready && m_nWaitedMs < kGiveUpMs) {
        return;
    }
    if (!m_dlg.StartupSettled()) {
        std::fprintf(stderr, "zolt: start-up did not finish; capturing the window as it is\n");
    }
    m_poll.stop();
    Finish();
}

void CCapture::Finish() {
    const QStringList failed = RenderAll();
    for (const QString& path : failed) {
        std::fprintf(stderr, "zolt: could not write %s\n", qPrintable(path));
    }
    m_nExitCode = failed.isEmpty() ? 0 : 1;
    QApplication::exit(m_nExitCode);
}

QStringList CCapture::RenderAll() {
    QStringList failed;
    if (!QDir().mkpath(m_strDir)) {
        failed << m_strDir;
        return failed;
    }
    const int language = g_flags.m_nLanguage;
    for (const auto& lang : kLanguages) {
        m_dlg.SetLanguage(lang.m_nLanguage);
        const QString suffix = QString::fromLatin1(lang.m_pszSuffix);
        for (int index = 0; index < kPageCount; ++index) {
            m_dlg.ShowPage(index);
            Save(*m_dlg.PageWidget(index),
                 QStringLiteral("%1-%2-%3.png").arg(index).arg(PageFileName(index), suffix),
                 failed);
        }
        m_dlg.ShowPage(kSystemPageIndex);
        Save(m_dlg, QStringLiteral("window-%1.png").arg(suffix), failed);
    }
    m_dlg.SetLanguage(language);
    return failed;
}

bool CCapture::Save(QWidget& widget, const QString& name, QStringList& failed) {
    const QString path = QDir(m_strDir).filePath(name);
    if (widget.grab().save(path, "PNG")) {
        return true;
    }
    failed << path;
    return false;
}

} // namespace zolt
