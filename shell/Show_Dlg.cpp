#include "shell/Show_Dlg.h"

#include "controls/ControlFactory.h"
#include "controls/Language.h"
#include "link/Command.h"
#include "model/Command.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace zolt {

namespace {

constexpr int kBusyPollMs = 200;  // how often busy mode looks at the store-busy flag
constexpr int kLookupPollMs = 10; // how often lookup mode looks at the lookup flag

constexpr int kTextId = 1413;
constexpr int kBarId = 1411;
constexpr int kCancelId = 2;

constexpr SControlTemplate kControls[] = {
    {kTextId, ECtl::Static, 8, 6, 171, 16, false, "", kStyleCenter | kStyleCenterImage},
    {kBarId, ECtl::ProgressBar, 15, 26, 157, 12},
    {kCancelId, ECtl::Button, 68, 44, 50, 14},
};
constexpr SDialogTemplate kTemplate{171, 187, 64, kControls};

constexpr SText kTransferCaption{"数据传输", "Data transmission"};
constexpr SText kBusy{"数据正在传输中", "Data transmission"};
constexpr SText kLookupCaption{"设备查找中", "Device lookup "};
constexpr SText kLookup{"设备查找中", "Device lookup"};
constexpr SText kCancel{"取消", "Cancel"};
constexpr SText kCancelling{"正在停止：当前帧完成后结束", "Stopping after the frame under way"};
// Seconds left (%1), after what is under way.
constexpr SText kTimeLeft{"，还剩约 %1 秒", ", about %1 s left"};

// What a frame of a transfer does, by its command and whether its parameter is a stored
// mode (1..21, %1 in the text) or not (0, or a slot of the names).
struct SStepText {
    std::uint8_t m_nCommand;
    bool m_bMode;
    SText m_text;
};
constexpr SStepText kStepTexts[] = {
    {cmd::kReadName, false, {"正在读取模式名称", "Reading the mode names"}},
    {cmd::kReadSystem, false, {"正在读取系统设置", "Reading the system settings"}},
    {cmd::kReadMode, false, {"正在读取当前模式", "Reading the edited mode"}},
    {cmd::kReadMode, true, {"正在读取模式 %1/21", "Reading mode %1 of 21"}},
    {cmd::kWriteMode, false, {"正在写入当前模式", "Writing the edited mode"}},
    {cmd::kWriteMode, true, {"正在写入模式 %1/21", "Writing mode %1 of 21"}},
    {cmd::kWriteSystem, false, {"正在写入系统设置", "Writing the system settings"}},
};

QString StepText(std::uint8_t command, std::uint8_t parameter) {
    const bool mode = parameter != 0 && command != cmd::kReadName;
    for (const SStepText& row : kStepTexts) {
        if (row.m_nCommand == command && row.m_bMode == mode) {
            return mode ? LanguageText(row.m_text).arg(parameter) : LanguageText(row.m_text);
        }
    }
    return LanguageText(kBusy);
}

} // namespace

CShowDlg::CShowDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowModality(Qt::WindowModal);
    BuildDialog(this, kTemplate);
    setFixedSize(size());
    m_pText = DlgItem<QLabel>(this, kTextId);
    m_pBar = DlgItem<QProgressBar>(this, kBarId);
    m_pBar->setTextVisible(false);
    m_pCancel = DlgItem<QPushButton>(this, kCancelId);
    m_pCancel->setAutoDefault(false);
    connect(m_pCancel, &QPushButton::clicked, this, &CShowDlg::OnCancel);
    connect(&m_watch, &QTimer::timeout, this, &CShowDlg::WatchFlag);
}

void CShowDlg::Start(int total, std::function<void()> onCancel) {
    m_nTotal = total;
    m_onCancel = std::move(onCancel);
    m_pBar->setRange(0, total);
    m_pBar->setValue(0);
    m_pText->setText(LanguageText(kTransferCaption));
    m_pCancel->setText(LanguageText(kCancel));
    m_pCancel->setEnabled(true);
    m_started.start();
    Open(EMode::Bar, LanguageText(kTransferCaption));
}

void CShowDlg::Step(int step, std::uint8_t command, std::uint8_t parameter) {
    if (m_eMode != EMode::Bar) {
        return;
    }
    m_pBar->setValue(step);
    if (step >= m_nTotal) {
        Finish();
        return;
    }
    if (!m_pCancel->isEnabled()) {
        return; // cancelling: that text stays
    }
    const qint64 left = m_started.elapsed() * (m_nTotal - step) / std::max(step, 1);
    m_pText->setText(StepText(command, parameter) +
                     LanguageText(kTimeLeft).arg((left + 999) / 1000));
}

void CShowDlg::OnCancel() {
    m_pCancel->setEnabled(false);
    m_pText->setText(LanguageText(kCancelling));
    if (m_onCancel) {
        std::exchange(m_onCancel, {})();
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
    m_onCancel = {};
    m_eMode = EMode::Hidden;
    hide();
}

// Every mode replaces the one before it: a read-back's bar takes over from the lookup
// text, so the lookup's own closing rule must not close the bar.
void CShowDlg::Open(EMode mode, const QString& caption) {
    m_watch.stop();
    m_eMode = mode;
    m_pBar->setVisible(mode == EMode::Bar);
    m_pCancel->setVisible(mode == EMode::Bar && m_onCancel);
    setWindowTitle(caption);
    const QWidget* over = parentWidget();
    if (over != nullptr) {
        move(over->mapToGlobal(QPoint(0, 0)) +
             QPoint((over->width() - width()) / 2, (over->height() - height()) / 2));
    }
    show();
}

// The flag of the mode has dropped: the box goes at once, so no click on the window is lost.
void CShowDlg::WatchFlag() {
    const bool raised =
        m_eMode == EMode::Busy ? g_flags.m_bStoreBusy.load() : g_flags.m_bLookup.load();
    if (!raised) {
        Finish();
    }
}

void CShowDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

// Escape would close a dialog; this one closes only by itself.
void CShowDlg::reject() {}

} // namespace zolt
