#include "shell/Show_Dlg.h"

#include "controls/ControlFactory.h"
#include "controls/Language.h"
#include "model/Command.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

namespace zolt {

namespace {

constexpr int kBusyPollMs = 200;   // how often busy mode looks at the store-busy flag
constexpr int kBusyLingerMs = 500; // busy mode stays this long after the flag dropped
constexpr int kLookupPollMs = 10;  // how often lookup mode looks at the lookup flag
constexpr int kLookupLingerMs = 1000;

constexpr int kTextId = 1413;
constexpr int kBarId = 1411;

constexpr SControlTemplate kControls[] = {
    {kTextId, ECtl::Static, 15, 10, 159, 14, false, "", kStyleCenter | kStyleCenterImage},
    {kBarId, ECtl::ProgressBar, 15, 32, 159, 14},
};
constexpr SDialogTemplate kTemplate{171, 187, 55, kControls};

constexpr SText kTransferCaption{"数据传输", "Data transmission"};
constexpr SText kBusy{"数据正在传输中", "Data transmission"};
constexpr SText kLookupCaption{"设备查找中", "Device lookup "};
constexpr SText kLookup{"设备查找中", "Device lookup"};

} // namespace

CShowDlg::CShowDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowModality(Qt::WindowModal);
    BuildDialog(this, kTemplate);
    setFixedSize(size());
    m_pText = DlgItem<QLabel>(this, kTextId);
    m_pBar = DlgItem<QProgressBar>(this, kBarId);
    m_pBar->setTextVisible(false);
    m_linger.setSingleShot(true);
    connect(&m_watch, &QTimer::timeout, this, &CShowDlg::WatchFlag);
    connect(&m_linger, &QTimer::timeout, this, &CShowDlg::Finish);
}

void CShowDlg::Start(int total) {
    m_nTotal = total;
    m_pBar->setRange(0, total);
    m_pBar->setValue(0);
    Open(EMode::Bar, LanguageText(kTransferCaption));
}

void CShowDlg::Step(int step) {
    if (m_eMode != EMode::Bar) {
        return;
    }
    m_pBar->setValue(step);
    if (step >= m_nTotal) {
        Finish();
    }
}

void CShowDlg::Busy() {
    m_pText->setText(LanguageText(kBusy));
    Open(EMode::Busy, LanguageText(kTransferCaption));
    m_watch.start(kBusyPollMs);
}

void CShowDlg::Lookup() {
    m_pText->setText(LanguageText(kLookup));
    Open(EMode::Lookup, LanguageText(kLookupCaption));
    m_watch.start(kLookupPollMs);
}

void CShowDlg::Finish() {
    m_watch.stop();
    m_linger.stop();
    m_eMode = EMode::Hidden;
    hide();
}

// Every mode replaces the one before it: a read-back's bar takes over from the lookup
// text, so the lookup's own closing rule must not close the bar.
void CShowDlg::Open(EMode mode, const QString& caption) {
    m_watch.stop();
    m_linger.stop();
    m_eMode = mode;
    m_pBar->setVisible(mode == EMode::Bar);
    m_pText->setVisible(mode != EMode::Bar);
    setWindowTitle(caption);
    const QWidget* over = parentWidget();
    if (over != nullptr) {
        move(over->mapToGlobal(QPoint(0, 0)) +
             QPoint((over->width() - width()) / 2, (over->height() - height()) / 2));
    }
    show();
}

void CShowDlg::WatchFlag() {
    const bool raised =
        m_eMode == EMode::Busy ? g_flags.m_bStoreBusy.load() : g_flags.m_bLookup.load();
    if (raised || m_linger.isActive()) {
        return;
    }
    m_watch.stop();
    m_linger.start(m_eMode == EMode::Busy ? kBusyLingerMs : kLookupLingerMs);
}

void CShowDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// Escape would close a dialog; this one closes only by itself.
void CShowDlg::reject() {}

} // namespace zolt
