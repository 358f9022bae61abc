#include "shell/ZoltDlg.h"

#include "controls/BitButton.h"
#include "controls/ControlFactory.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "controls/Skin.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "pages/CompareCommands.h"
#include "pages/PageBase.h"
#include "pages/RoomCommands.h"
#include "shell/AboutDlg.h"
#include "shell/FileCommands.h"
#include "shell/PageRegistry.h"
#include "shell/RoomList.h"
#include "shell/Show_Dlg.h"
#include "shell/UndoTracker.h"
#include "shell/VolumeStrip.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSocketNotifier>

#include <algorithm>
#include <functional>
#include <utility>

namespace zolt {

namespace {

constexpr int kTabId = 1028;
constexpr int kProgramNameId = 3830;
constexpr int kConnectId = 3831;
constexpr int kLanguageId = 3832;

constexpr SControlTemplate kControls[] = {
    {kTabId, ECtl::EnTabCtrl, 2, 16, 720, 358},
    {3800, ECtl::FontStatic, 4, 2, 33, 9},
    {3820, ECtl::BitmapSlider, 38, 2, 67, 11},
    {3810, ECtl::EditStatic, 109, 3, 10, 8},
    {4000, ECtl::BitButton, 123, 2, 10, 10},
    {3801, ECtl::FontStatic, 144, 2, 29, 9},
    {3821, ECtl::BitmapSlider, 174, 2, 67, 11},
    {3811, ECtl::EditStatic, 246, 3, 10, 8},
    {4002, ECtl::BitButton, 262, 2, 10, 10},
    {3802, ECtl::FontStatic, 282, 2, 41, 9, true},
    {3822, ECtl::BitmapSlider, 324, 2, 67, 11, true},
    {3812, ECtl::EditStatic, 396, 3, 10, 8, true},
    {4001, ECtl::BitButton, 412, 2, 10, 10, true},
    {kProgramNameId, ECtl::FontStatic, 449, 3, 137, 9},
    {kConnectId, ECtl::BitButton, 602, 1, 50, 14},
    {kLanguageId, ECtl::BitButton, 666, 1, 50, 14},
};
constexpr SDialogTemplate kTemplate{102, 723, 373, kControls};

constexpr SText kAboutMenuText{"关于(&A)...", "&About..."};

constexpr SText kOffline{"脱机", "Off Line"};
// On line until the processor's settings have been read back: no mode to name yet.
constexpr SText kConnecting{"正在连接…", "Connecting…"};
// The read-back came while edits made off line had not reached the processor (%1: how
// many settings).
constexpr SText kOfflineEdits{
    "处理器的设置已读回。脱机时您修改了 %1 项设置，它们还没有发送到处理器。",
    "The processor's settings have been read back. You changed %1 settings while off line, "
    "and they have not reached the processor."};
constexpr SText kOfflineEdit{
    "处理器的设置已读回。脱机时您修改了 1 项设置，它还没有发送到处理器。",
    "The processor's settings have been read back. You changed 1 setting while off line, and "
    "it has not reached the processor."};
constexpr SText kSendEdits{"将我的修改发送到处理器", "Send my edits to the processor"};
constexpr SText kTakeProcessor{"采用处理器的设置", "Take the processor's settings"};
constexpr SText kConnect{"联机", "Connect"};
constexpr SText kDisconnect{"断开", "Disconnect"};
// The language button shows the language it switches to.
constexpr SText kOtherLanguage{"English", "中文"};

// The page at the tab control's client area, 1 pixel in at the sides and the bottom and
// 21 pixels down from the top (below the tab row).
QRect PageRect(const QWidget& tabs) {
    return QRect(1, 21, tabs.width() - 2, tabs.height() - 22);
}

// "5:" for modes 1..16, "F1:".."F5:" for modes 17..21.
QString ModePrefix(int mode) {
    return mode <= 16 ? QStringLiteral("%1:").arg(mode) : QStringLiteral("F%1:").arg(mode - 16);
}

// The working image's mode name (bytes 0..19), without its padding.
QString WorkingModeName() {
    CImageGuard guard(ImageLock());
    return QString::fromLatin1(FieldText(Image(), kNameSize));
}

// The widget inside the scroll area that holds every control: it paints the window's
// background picture and hands the control messages to the window.
class CZoltContent final : public CMessageWidget {
public:
    CZoltContent(QWidget* pParent, std::function<bool(CMessageEvent&)> handler)
        : CMessageWidget(pParent), m_handler(std::move(handler)) {}

protected:
    bool OnMessage(CMessageEvent& msg) override { return m_handler(msg); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColorOf(kPageColour));
        painter.drawPixmap(0, 0, SkinPixmap(kSkinBackground));
    }

private:
    std::function<bool(CMessageEvent&)> m_handler;
};

} // namespace

QSize StartWindowSize(QSize screen, QSize content) {
    // Room left for the title bar and the frame, so the scroll bars stay on the screen.
    constexpr QSize kFrame(8, 40);
    return content.boundedTo(screen - kFrame);
}

CZoltDlg::CZoltDlg(SZoltOptions options)
    : m_session(*this, {options.m_pClock, options.m_pOpener, options.m_bStepped,
                        options.m_astrPorts, options.m_bNamedPortsOnly}),
      m_settings(options.m_bRemember) {
    setWindowIcon(SkinIcon(kSkinIcon));

    m_pScroll = new QScrollArea(this);
    m_pScroll->setFrameShape(QFrame::NoFrame);
    // What a window wider or taller than its content shows around it.
    QPalette palette = m_pScroll->palette();
    palette.setColor(QPalette::Window, QColorOf(kPageColour));
    m_pScroll->setPalette(palette);
    m_pScroll->viewport()->setPalette(palette);
    m_pScroll->viewport()->setAutoFillBackground(true);
    m_pScroll->setAlignment(Qt::AlignCenter);
    m_pContent = new CZoltContent(nullptr, [this](CMessageEvent& msg) { return OnMessage(msg); });
    BuildDialog(m_pContent, kTemplate);
    m_pScroll->setWidget(m_pContent);

    CreateControls();
    if (options.m_venue) {
        m_pRooms = new CRoomList(m_pContent, std::move(*options.m_venue), m_session,
                                 [this] { OnConnectButton(); });
    }
    CreatePages();
    const int page = m_settings.Page().value_or(kSystemPageIndex);
    PageSwitch(page);
    m_pTabs->SetCurrentIndex(TabOfPage(page));
    if (!options.m_bLanguageGiven) {
        g_flags.m_nLanguage = m_settings.Language().value_or(g_flags.m_nLanguage);
    }
    ApplyLanguage();
    AddPageKeys();

    m_pProgress = new CShowDlg(this);
    m_pUndo = new CUndoTracker(this, [this] { ShowCurrentPage(); });
    m_pFiles = std::make_unique<CFileCommands>(*this, m_session, *m_pUndo, m_settings,
                                               [this] { ShowCurrentPage(); });
    const auto chooseFile = [this](EFileKind kind) { return m_pFiles->ChooseFile(false, kind); };
    m_pRoom = std::make_unique<CRoomCommands>(
        *this, m_pUndo->History(), [this] { ShowCurrentPage(); }, chooseFile);
    m_pCompare = std::make_unique<CCompareCommands>(
        *this, m_pUndo->History(), [this] { ShowCurrentPage(); }, chooseFile,
        [this](int mode) { ReadModeToCompare(mode); });
    m_pPortWatch =
        options.m_pPortWatch ? std::move(options.m_pPortWatch) : MakeSystemPortWatch(nullptr);
    if (m_pPortWatch->Fd() >= 0) {
        m_pPlugged = std::make_unique<QSocketNotifier>(m_pPortWatch->Fd(), QSocketNotifier::Read);
        connect(m_pPlugged.get(), &QSocketNotifier::activated, this, &CZoltDlg::OnPortsPlugged);
    }
    if (options.m_bStepped) {
        // The link turns whenever the window's thread is free, in the session clock's time.
        connect(&m_turns, &QTimer::timeout, this, [this] { m_session.Turn(); });
        m_turns.start(0);
    }
    qApp->installEventFilter(this);
    if (m_pRooms == nullptr) {
        RunOnHostThread([this] { OnConnectButton(); }); // the lookup, once the window runs
    } else {
        m_bStartupSettled = true; // off line until a room is chosen
    }

    const QSize screen = options.m_screenSize.isValid()
                             ? options.m_screenSize
                             : QGuiApplication::primaryScreen()->availableSize();
    FitScreen(screen);
}

// The session (a member) ends the comm thread before the widgets go away.
CZoltDlg::~CZoltDlg() = default;

void CZoltDlg::CreateControls() {
    m_pTabs = DlgItem<CEnTabCtrl>(m_pContent, kTabId);
    m_pTabs->SetBkColour(kWhite);
    m_pTabs->SetDrawMode(2);
    CEnTabCtrl::SetLookFlags(true, kTabFlat | kTabColour | kTabSelectionHighlight | kTabGradient |
                                       kTabBackTabBorders);
    for (int tab = 0; tab < kPageCount; ++tab) {
        m_pTabs->InsertItem(tab, QString());
    }
    connect(m_pTabs, &CBaseTabCtrl::selectionChanged, this,
            [this](int tab) { PageSwitch(PageRows()[static_cast<std::size_t>(tab)].m_nIndex); });

    m_pVolumes = new CVolumeStrip(m_pContent);

    m_pProgramName = DlgItem<CFontStatic>(m_pContent, kProgramNameId);
    m_pProgramName->SetTextColor(kWhite);
    m_pConnect = DlgItem<CBitButton>(m_pContent, kConnectId);
    m_pLanguage = DlgItem<CBitButton>(m_pContent, kLanguageId);
    for (CBitButton* button : {m_pConnect, m_pLanguage}) {
        button->SetPictures(kSkinButton, kSkinButton, kSkinButtonChecked, kSkinButtonChecked,
                            kSkinButtonChecked, kSkinButton);
    }
    connect(m_pConnect, &QAbstractButton::clicked, this, &CZoltDlg::OnConnectButton);
    connect(m_pLanguage, &QAbstractButton::clicked, this, [this] {
        SetLanguage(Language() == 1 ? 0 : 1);
        m_settings.SetLanguage(Language());
    });
}

// Each page of the registry once; the views of one page share it.
void CZoltDlg::CreatePages() {
    const QRect area = PageRect(*m_pTabs);
    m_apPages.resize(static_cast<std::size_t>(kPageCount));
    for (const SPageRow& row : PageRows()) {
        CPageBase*& page = m_apPages[static_cast<std::size_t>(row.m_nIndex)];
        for (const SPageRow& earlier : PageRows()) {
            if (&earlier == &row) {
                page = row.m_pMake(m_pTabs, *this);
                page->setGeometry(area);
                page->hide();
                break;
            }
            if (earlier.m_pMake == row.m_pMake) {
                page = m_apPages[static_cast<std::size_t>(earlier.m_nIndex)];
                break;
            }
        }
    }
}

// The window can be resized and maximised: a larger window shows the content centred, a
// smaller one scrolls it. It starts where it was left, else at its content's size as far as
// the screen allows.
void CZoltDlg::FitScreen(QSize screen) {
    constexpr QSize kMinimum(320, 240);
    setMinimumSize(kMinimum);
    resize(StartWindowSize(screen, m_pContent->size()));
    if (const std::optional<QByteArray> geometry = m_settings.Geometry()) {
        restoreGeometry(*geometry);
    }
}

bool CZoltDlg::Scrollable() const {
    return width() < m_pContent->width() || height() < m_pContent->height();
}

void CZoltDlg::resizeEvent(QResizeEvent*) {
    m_pScroll->resize(size());
}

void CZoltDlg::closeEvent(QCloseEvent* event) {
    m_settings.SetGeometry(saveGeometry());
    CMessageWidget::closeEvent(event);
}

// Ctrl+Tab and Ctrl+Page Down step to the next tab, Ctrl+Shift+Tab and Ctrl+Page Up to the one
// before; Ctrl+1 .. Ctrl+9 and Ctrl+0 show the ten tabs left to right.
void CZoltDlg::AddPageKeys() {
    struct SStepKey {
        QKeyCombination m_key;
        int m_nStep;
    };
    constexpr SStepKey kStepKeys[] = {
        {Qt::CTRL | Qt::Key_Tab, 1},
        {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
        {Qt::CTRL | Qt::Key_PageUp, -1},
    };
    for (const SStepKey& key : kStepKeys) {
        const int step = key.m_nStep;
        connect(new QShortcut(QKeySequence(key.m_key), this), &QShortcut::activated, this,
                [this, step] { StepTab(step); });
    }
    for (int tab = 0; tab < kPageCount; ++tab) {
        const auto digit = static_cast<Qt::Key>(Qt::Key_0 + (tab + 1) % 10);
        connect(new QShortcut(QKeySequence(Qt::CTRL | digit), this), &QShortcut::activated, this,
                [this, tab] { ShowTab(tab); });
    }
}

void CZoltDlg::ShowTab(int tab) {
    if (tab >= 0 && tab < kPageCount) {
        ShowPage(PageRows()[static_cast<std::size_t>(tab)].m_nIndex);
    }
}

void CZoltDlg::StepTab(int step) {
    ShowTab((m_pTabs->CurrentIndex() + step + kPageCount) % kPageCount);
}

QWidget* CZoltDlg::PageWidget(int index) const {
    return m_apPages.at(static_cast<std::size_t>(index));
}

CPage& CZoltDlg::PageOf(int index) const {
    return *m_apPages.at(static_cast<std::size_t>(index));
}

void CZoltDlg::PageSwitch(int index) {
    if (index == m_nCurrentPage || index < 0 || index >= kPageCount) {
        return;
    }
    m_nCurrentPage = index;
    m_settings.SetPage(index);
    QWidget* shown = PageWidget(index);
    for (QWidget* page : m_apPages) {
        if (page != shown) {
            page->hide();
        }
    }
    PageOf(index).ShowView(index);
    m_bSystemShown = index == kSystemPageIndex;
    ShowCurrentPage();
}

void CZoltDlg::ShowPage(int index) {
    if (index >= 0 && index < kPageCount) {
        m_pTabs->SetCurrentIndex(TabOfPage(index));
    }
    PageSwitch(index);
}

void CZoltDlg::ShowCurrentPage() {
    PageWidget(m_nCurrentPage)->show();
    PageOf(m_nCurrentPage).Refresh();
    m_pVolumes->Refresh();
    update();
}

void CZoltDlg::ClampVolumes() {
    m_pVolumes->ClampVolumes();
}

void CZoltDlg::SetLanguage(int language) {
    g_flags.m_nLanguage = language != 0 ? 1 : 0;
    ApplyLanguage();
}

void CZoltDlg::ApplyLanguage() {
    for (std::size_t tab = 0; tab < PageRows().size(); ++tab) {
        m_pTabs->SetItemText(static_cast<int>(tab), LanguageText(PageRows()[tab].m_caption));
    }
    m_pVolumes->ApplyLanguage();
    if (m_pRooms != nullptr) {
        m_pRooms->ApplyLanguage();
    }
    m_pLanguage->setText(LanguageText(kOtherLanguage));
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    ConnectionDisplay(false);
    std::vector<CPage*> pages; // each page once, however many tabs show it
    for (CPageBase* page : m_apPages) {
        if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
            pages.push_back(page);
            page->ApplyLanguage();
        }
    }
    update();
}

void CZoltDlg::ConnectionDisplay(bool full) {
    const bool online = g_flags.m_bOnline;
    if (!online) {
        m_pProgramName->SetText(LanguageText(kOffline));
    } else if (g_flags.m_bLookup || m_bReadingBack) {
        m_pProgramName->SetText(LanguageText(kConnecting));
    } else if (full) {
        int mode = 0;
        {
            CImageGuard guard(ImageLock());
            mode = System()[sysblock::kMode];
        }
        const QString room = m_pRooms != nullptr ? m_pRooms->Prefix() : QString();
        m_pProgramName->SetText(room + ModePrefix(mode) + WorkingModeName());
    }
    m_pConnect->setText(LanguageText(online ? kDisconnect : kConnect));
    m_pConnect->SetChecked(online ? 1 : 0);
}

// A command is no edit: what it and the flow that sends it change of the data (the mode
// number and name of a store, a password written just before) is not undone, and a recall
// from the preset store off line replaces the whole image. The press or key that started the
// flow has already ended the gesture before it.
void CZoltDlg::SendCommand(int code, int parameter) {
    if (code == cmd::kReadMode && parameter != 0) {
        m_pFiles->ExportAllModes(); // the System page's "Export all": the file is asked first
        return;
    }
    m_pUndo->Absorb();
    m_session.SendCommand(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(parameter));
    m_pUndo->Absorb();
    if (code == cmd::kRecall && g_flags.m_bOnline) {
        m_pReplacing = &kRecallStep; // the processor's answer brings the mode
    } else if (code == cmd::kRecall) {
        m_pUndo->Record(kRecallStep); // from the preset store, at once
        ShowCurrentPage();
    }
}

std::array<std::uint8_t, 12> CZoltDlg::MeterValues(int pollKind) const {
    std::array<std::uint8_t, 12> values{};
    CImageGuard guard(ImageLock());
    const SMeterRecord& meters = m_session.Link().Meters();
    const std::uint8_t* source =
        pollKind == cmd::kLevelPoll ? meters.m_abLevels : meters.m_abStates;
    std::copy(source, source + values.size(), values.begin());
    return values;
}

void CZoltDlg::ExportMode() {
    m_pFiles->ExportMode();
}

void CZoltDlg::ImportMode() {
    m_pFiles->ImportMode();
}

void CZoltDlg::ImportAllModes() {
    m_pFiles->ImportAllModes();
}

bool CZoltDlg::ConfirmStore(int mode, std::string_view name) {
    return m_pFiles->ConfirmStore(mode, name);
}

// --- The session's host ---

void CZoltDlg::RunOnHostThread(std::function<void()> task) {
    PostTask(this, std::move(task));
}

// A transfer of all modes can stop part way: the box offers Cancel.
void CZoltDlg::ProgressStart(int total) {
    std::function<void()> onCancel;
    if (m_session.Link().Transfer().m_nCommand != 0) {
        onCancel = [this] { m_session.CancelTransfer(); };
    }
    m_pProgress->Start(total, std::move(onCancel));
}

void CZoltDlg::ProgressStep(int step, std::uint8_t command, std::uint8_t parameter) {
    m_pProgress->Step(step, command, parameter);
}

void CZoltDlg::ProgressBusy() {
    m_pProgress->Busy();
}

void CZoltDlg::ProgressLookup() {
    m_pProgress->Lookup();
}

void CZoltDlg::ProgressHide() {
    m_pProgress->Finish();
}

void CZoltDlg::MessageBox(std::string_view text, std::string_view caption) {
    ShowMessageBox(this, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                   QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

// A read-back or a recall: one step of the history, so undo brings back what it replaced
// and the synchronisation sends that.
void CZoltDlg::ImageReplaced() {
    m_pUndo->Record(*std::exchange(m_pReplacing, &kReadBackStep));
    m_bReadingBack = false;
    ShowCurrentPage();
    ConnectionDisplay(true);
    m_bStartupSettled = true; // the read-back's last reply
}

// The system block of a read-back belongs to the read-back's step; any other read of it is
// what the processor holds, no edit.
void CZoltDlg::SystemBlockRead() {
    if (!m_bReadingBack) {
        m_pUndo->Absorb();
    }
    if (m_bSystemShown) {
        PageOf(kSystemPageIndex).Refresh();
    }
}

bool CZoltDlg::KeepOfflineEdits(std::size_t settings) {
    const QString text =
        settings == 1 ? LanguageText(kOfflineEdit) : LanguageText(kOfflineEdits).arg(settings);
    return ShowMessageBox(this, text, {}, EMsgButtons::YesNo, EMsgIcon::Question,
                          {LanguageText(kSendEdits), LanguageText(kTakeProcessor)}) ==
           EMsgResult::Yes;
}

void CZoltDlg::OfflineEditsKept() {
    m_pUndo->Record(kOfflineEditsStep);
    ShowCurrentPage();
}

void CZoltDlg::AllModesRead() {
    m_pFiles->OnAllModesRead();
}

void CZoltDlg::MetersArrived(int pollKind) {
    if (m_bSystemShown) {
        PageOf(kSystemPageIndex).UpdateMeters(pollKind);
    }
}

void CZoltDlg::CommandsDone() {
    m_pFiles->OnCommandsDone();
    if (m_nComparedMode != 0 && m_session.CommandsAnswered() >= m_nComparedModeEnd) {
        m_pCompare->StoredModeRead(std::exchange(m_nComparedMode, 0));
    }
}

// A stored mode to compare with, read from the processor; the comparison follows once the
// read has been answered.
void CZoltDlg::ReadModeToCompare(int mode) {
    if (!m_session.Online()) {
        return;
    }
    m_session.Link().ReadStoredMode(static_cast<std::uint8_t>(mode));
    m_nComparedMode = mode;
    m_nComparedModeEnd = m_session.Link().FramesAppended();
}

void CZoltDlg::TransferCancelled() {
    m_pFiles->OnTransferCancelled();
}

void CZoltDlg::LinkEnded() {
    m_bReadingBack = false;
    m_nComparedMode = 0;
    m_pFiles->OnLinkEnded();
    DarkenMetersOffline();
    m_bStartupSettled = true; // a failed lookup ends the start-up too
}

// The connect button, and the lookup at start-up.
void CZoltDlg::OnConnectButton() {
    m_session.OnConnectButton();
    DarkenMetersOffline();
    if (!g_flags.m_bOnline) {
        m_bStartupSettled = true; // no port opened
    }
}

// A serial device was plugged in: off line the window probes it, and reads back the
// processor that answers, as the connect button would; nothing is said when it does not.
void CZoltDlg::OnPortsPlugged() {
    m_session.OnPortsAdded(m_pPortWatch->TakeAdded());
}

// --- Messages ---

bool CZoltDlg::OnMessage(CMessageEvent& msg) {
    const unsigned message = msg.Message();
    if (message == WM_SLIDER_MOVING || message == WM_SLIDER_MOVED) {
        return m_pVolumes->OnSlider(static_cast<int>(msg.WParameter()));
    }
    return false;
}

// Levels of a processor that is gone must not stay on the meters: off line the System
// page's meter update darkens them all, whichever page is shown.
void CZoltDlg::DarkenMetersOffline() {
    if (!g_flags.m_bOnline) {
        PageOf(kSystemPageIndex).UpdateMeters(cmd::kLevelPoll);
    }
}

// --- Keys, focus, the about box ---

// Enter and Escape never close the window or reach a control: they move the focus to the
// window (which commits a numeric field being edited). Other windows (the progress box,
// message boxes, file dialogs, combo lists) keep their own keys.
bool CZoltDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) &&
            widget != nullptr && widget->window() == this) {
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return CMessageWidget::eventFilter(watched, event);
}

// Tab does not walk the controls; the focused control gets the key like any other.
bool CZoltDlg::focusNextPrevChild(bool) {
    return false;
}

// The window's menu: undo and redo, the filter lists of the equaliser the page shows, About.
void CZoltDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    m_pUndo->AddActions(menu);
    menu.addSeparator();
    if (const int block = PageOf(m_nCurrentPage).ShownEqBlock(); block >= 0) {
        m_pFiles->AddFilterActions(menu, block, PageOf(m_nCurrentPage).EqEditable());
        m_pRoom->AddActions(menu, block, PageOf(m_nCurrentPage).EqEditable());
        menu.addSeparator();
    }
    m_pCompare->AddActions(menu);
    menu.addSeparator();
    menu.addAction(LanguageText(kAboutMenuText), this, &CZoltDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CZoltDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

} // namespace zolt
