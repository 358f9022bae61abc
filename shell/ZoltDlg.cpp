#include "shell/ZoltDlg.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/ControlFactory.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "controls/Language.h"
#include "controls/MessageBox.h"
#include "controls/Skin.h"
#include "link/PresetCompare.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"
#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/MusicDlg.h"
#include "pages/SysData.h"
#include "pages/SysDlg.h"
#include "shell/AboutDlg.h"
#include "shell/Show_Dlg.h"
#include "shell/UndoTracker.h"

#include "eq/FilterList.h"
#include "link/PresetFiles.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <functional>

namespace zolt {

namespace {

constexpr int kTabId = 1028;
constexpr int kProgramNameId = 3830;
constexpr int kConnectId = 3831;
constexpr int kLanguageId = 3832;

// How often the window looks whether a lookup's probe is still pending.
constexpr int kLookupWatchMs = 100;

// Messages the window posts to itself from other threads.
constexpr unsigned kProgressStepMessage = WM_USER + 0x200; // wParam = step
constexpr unsigned kPendingBoxMessage = WM_USER + 0x201;

// The master volumes: system-block byte (bits 0..6 level, bit 7 mute), its limit byte,
// the slider range and the controls of its row in the strip.
struct SVolume {
    int m_nCaption, m_nSlider, m_nLabel, m_nMute;
    std::size_t m_nByte, m_nLimit;
    int m_nMax;
    const char* m_apszCaption[2]; // English, Chinese
};

constexpr std::array<SVolume, 3> kVolumes{{
    {3800,
     3820,
     3810,
     4000,
     sysblock::kMusicVolume,
     sysblock::kMusicMax,
     84,
     {"Music Vol", "音乐音量"}},
    {3801, 3821, 3811, 4002, sysblock::kMicVolume, sysblock::kMicMax, 84, {"Mic Vol", "话筒音量"}},
    {3802,
     3822,
     3812,
     4001,
     sysblock::kEffectVolume,
     sysblock::kEffectMax,
     70,
     {"Effect Vol", "效果音量"}},
}};

constexpr std::uint8_t kMuteBit = 0x80;
constexpr std::uint8_t kLevelBits = 0x7F;

// The volume captions take the whole gap up to their slider, in a slightly smaller font,
// so that "Music Vol" and "音乐音量" fit without being cut.
constexpr int kCaptionCellHeight = 12;

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

constexpr const char* kTitle = "Quillon SV-1.01";
constexpr const char* kAboutMenuText = "关于(&A)...";

struct SConnectionTexts {
    const char* m_pszOffline;
    const char* m_pszConnect;
    const char* m_pszDisconnect;
    const char* m_pszOtherLanguage; // the language button shows the language it switches to
};
constexpr SConnectionTexts kConnectionTexts[2] = {
    {"Off Line", "Connect", "Disconnect", "中文"},
    {"脱机", "联机", "断开", "English"},
};

// The tab bar from left to right: Music, DEQ, Mic, Effect, Out1&2, Out3&4, Center, SUB,
// Surround, System; entry t is the page index tab t shows.
constexpr std::array<int, kTabCount> kTabPages{0, 1, 2, 6, 3, 4, 7, 8, 9, kSystemPageIndex};

// The page index 0..9 that tab 0..9 shows, and the tab that shows page index 0..9.
int PageOfTab(int tab) {
    return kTabPages.at(static_cast<std::size_t>(tab));
}

int TabOfPage(int index) {
    const auto* tab = std::find(kTabPages.begin(), kTabPages.end(), index);
    return tab != kTabPages.end() ? static_cast<int>(tab - kTabPages.begin()) : -1;
}

const SConnectionTexts& ConnectionTexts() {
    return kConnectionTexts[Language()];
}

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

QSize SmallScreenWindowSize(QSize screen) {
    // Room left for the title bar and the frame, so the scroll bars stay on the screen.
    constexpr QSize kFrame(8, 40);
    return QSize(1290, 740).boundedTo(screen - kFrame);
}

CZoltDlg::CZoltDlg(SZoltOptions options)
    : m_link(options.m_pClock != nullptr ? *options.m_pClock : SystemClock()),
      m_connection(m_link, options.m_pClock != nullptr ? *options.m_pClock : SystemClock()) {
    setWindowIcon(SkinIcon(kSkinIcon));
    m_connection.SetNamedPorts(options.m_astrPorts, options.m_bNamedPortsOnly);

    m_pScroll = new QScrollArea(this);
    m_pScroll->setFrameShape(QFrame::NoFrame);
    // What a window wider or taller than its content shows around it.
    QPalette palette = m_pScroll->palette();
    palette.setColor(QPalette::Window, QColorOf(kPageColour));
    m_pScroll->setPalette(palette);
    m_pScroll->viewport()->setPalette(palette);
    m_pScroll->viewport()->setAutoFillBackground(true);
    m_pScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pContent = new CZoltContent(nullptr, [this](CMessageEvent& msg) { return OnMessage(msg); });
    BuildDialog(m_pContent, kTemplate);
    m_pScroll->setWidget(m_pContent);

    CreateControls();
    CreatePages();
    m_nCurrentPage = 9;
    PageSwitch(kSystemPageIndex);
    m_pTabs->SetCurrentIndex(TabOfPage(kSystemPageIndex));
    ApplyLanguage();

    m_pProgress = new CShowDlg(this);
    m_pUndo = new CUndoTracker(this, [this] { ShowCurrentPage(); });
    connect(&m_lookupWatch, &QTimer::timeout, this, &CZoltDlg::WatchLookup);
    m_pPortWatch =
        options.m_pPortWatch ? std::move(options.m_pPortWatch) : MakeSystemPortWatch(nullptr);
    if (m_pPortWatch->Fd() >= 0) {
        m_pPlugged = std::make_unique<QSocketNotifier>(m_pPortWatch->Fd(), QSocketNotifier::Read);
        connect(m_pPlugged.get(), &QSocketNotifier::activated, this, &CZoltDlg::OnPortsPlugged);
    }
    SetNotifySink(this);
    qApp->installEventFilter(this);
    PostMessage(this, msg::kStartLookup);

    const QSize screen = options.m_screenSize.isValid()
                             ? options.m_screenSize
                             : QGuiApplication::primaryScreen()->availableSize();
    CheckScreen(screen);
}

CZoltDlg::~CZoltDlg() {
    // The comm thread ends before the sink and the widgets it reports to go away.
    m_connection.Port().Close();
    if (&Notify() == this) {
        SetNotifySink(nullptr);
    }
}

void CZoltDlg::CreateControls() {
    m_pTabs = DlgItem<CEnTabCtrl>(m_pContent, kTabId);
    m_pTabs->SetBkColour(kWhite);
    m_pTabs->SetDrawMode(2);
    CEnTabCtrl::SetLookFlags(true, kTabFlat | kTabColour | kTabSelectionHighlight | kTabGradient |
                                       kTabBackTabBorders);
    for (int i = 0; i < kTabCount; ++i) {
        m_pTabs->InsertItem(i, QString());
    }
    connect(m_pTabs, &CBaseTabCtrl::selectionChanged, this,
            [this](int tab) { PageSwitch(PageOfTab(tab)); });

    for (std::size_t v = 0; v < kVolumes.size(); ++v) {
        const SVolume& volume = kVolumes[v];
        SVolumeControls& controls = m_aVolumes[v];
        controls.m_pCaption = DlgItem<CFontStatic>(m_pContent, volume.m_nCaption);
        controls.m_pCaption->SetTextColor(kWhite);
        controls.m_pCaption->SetFontHeight(kCaptionCellHeight);
        controls.m_pSlider = DlgItem<CBitmapSlider>(m_pContent, volume.m_nSlider);
        controls.m_pSlider->SetChannelPictures(kSkinVolumeChannel, kSkinVolumeChannelActive);
        controls.m_pSlider->SetThumbPictures(kSkinVolumeThumb);
        controls.m_pSlider->SetRange(0, volume.m_nMax);
        controls.m_pLabel = DlgItem<CEdit_Static>(m_pContent, volume.m_nLabel);
        controls.m_pLabel->SetRange(0, volume.m_nMax);
        controls.m_pMute = DlgItem<CBitButton>(m_pContent, volume.m_nMute);
        controls.m_pMute->SetPictures(kSkinMute, kSkinMute, kSkinMute, kSkinMuted, kSkinMuted,
                                      kSkinMuted);
        connect(controls.m_pMute, &QAbstractButton::clicked, this,
                [this, v] { OnMute(static_cast<int>(v)); });
    }

    m_pProgramName = DlgItem<CFontStatic>(m_pContent, kProgramNameId);
    m_pProgramName->SetTextColor(kWhite);
    m_pConnect = DlgItem<CBitButton>(m_pContent, kConnectId);
    m_pLanguage = DlgItem<CBitButton>(m_pContent, kLanguageId);
    for (CBitButton* button : {m_pConnect, m_pLanguage}) {
        button->SetPictures(kSkinButton, kSkinButton, kSkinButtonChecked, kSkinButtonChecked,
                            kSkinButtonChecked, kSkinButton);
    }
    connect(m_pConnect, &QAbstractButton::clicked, this, [this] {
        m_connection.OnConnectButton();
        DarkenMetersOffline();
    });
    connect(m_pLanguage, &QAbstractButton::clicked, this,
            [this] { SetLanguage(Language() == 1 ? 0 : 1); });
}

void CZoltDlg::CreatePages() {
    const QRect area = PageRect(*m_pTabs);
    auto place = [&](auto* page, std::initializer_list<int> indexes) {
        page->setGeometry(area);
        page->hide();
        for (int index : indexes) {
            m_apPageWidgets[static_cast<std::size_t>(index)] = page;
            m_apPages[static_cast<std::size_t>(index)] = page;
        }
        return page;
    };
    place(new CMusicDlg(m_pTabs), {0});
    place(new CDEQ_Dlg(m_pTabs), {1});
    place(new CMic_Dlg(m_pTabs), {2});
    m_pOutput = place(new CMainDlg(m_pTabs), {3, 4, 7, 8, 9});
    place(new CSysDlg(*this, m_pTabs), {kSystemPageIndex});
    place(new CEffect_Dlg(m_pTabs), {6});
}

// A screen smaller than the window was laid out for gets a smaller, resizable window
// whose content scrolls; otherwise the window has the template's fixed size.
void CZoltDlg::CheckScreen(QSize screen) {
    m_bScrollable = screen.width() < 1366 || screen.height() < 768;
    const QSize content = m_pContent->size();
    if (!m_bScrollable) {
        m_pScroll->resize(content);
        setFixedSize(content);
        return;
    }
    m_pScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setMinimumSize(200, 150);
    const QSize size = SmallScreenWindowSize(screen);
    resize(size);
    m_pScroll->resize(size);
}

void CZoltDlg::resizeEvent(QResizeEvent*) {
    m_pScroll->resize(size());
}

QWidget* CZoltDlg::PageWidget(int index) const {
    return m_apPageWidgets.at(static_cast<std::size_t>(index));
}

CPage& CZoltDlg::PageOf(int index) const {
    return *m_apPages.at(static_cast<std::size_t>(index));
}

void CZoltDlg::PageSwitch(int index) {
    if (index == m_nCurrentPage || index < 0 || index >= kPageCount) {
        return;
    }
    m_nCurrentPage = index;
    QWidget* shown = PageWidget(index);
    for (QWidget* page : m_apPageWidgets) {
        if (page != shown) {
            page->hide();
        }
    }
    if (shown == m_pOutput) {
        m_pOutput->ConfigureView(index);
    }
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
    std::array<std::uint8_t, 3> values{};
    {
        CImageGuard guard(ImageLock());
        for (std::size_t v = 0; v < kVolumes.size(); ++v) {
            values[v] = System()[kVolumes[v].m_nByte];
        }
    }
    for (std::size_t v = 0; v < kVolumes.size(); ++v) {
        ShowVolume(static_cast<int>(v), values[v]);
    }
    update();
}

void CZoltDlg::ShowVolume(int volume, std::uint8_t value) {
    SVolumeControls& controls = m_aVolumes[static_cast<std::size_t>(volume)];
    controls.m_pSlider->SetPos(value & kLevelBits);
    controls.m_pLabel->SetPos(value & kLevelBits);
    controls.m_pMute->SetChecked((value & kMuteBit) != 0 ? 1 : 0);
}

// A moved volume slider: never above its limit (the slider snaps back), and a moved
// volume is heard again (the mute bit is cleared).
void CZoltDlg::OnVolumeSlider(int volume) {
    const SVolume& table = kVolumes[static_cast<std::size_t>(volume)];
    SVolumeControls& controls = m_aVolumes[static_cast<std::size_t>(volume)];
    int level = controls.m_pSlider->Pos();
    {
        CImageGuard guard(ImageLock());
        const int limit = System()[table.m_nLimit];
        if (level > limit) {
            level = limit;
        }
        System()[table.m_nByte] = static_cast<std::uint8_t>(level);
    }
    ShowVolume(volume, static_cast<std::uint8_t>(level));
}

void CZoltDlg::OnMute(int volume) {
    const SVolume& table = kVolumes[static_cast<std::size_t>(volume)];
    CBitButton* mute = m_aVolumes[static_cast<std::size_t>(volume)].m_pMute;
    const bool muted = mute->Checked() == 0;
    mute->SetChecked(muted ? 1 : 0);
    CImageGuard guard(ImageLock());
    std::uint8_t& value = System()[table.m_nByte];
    value = static_cast<std::uint8_t>((value & kLevelBits) | (muted ? kMuteBit : 0));
}

void CZoltDlg::ClampVolumes() {
    for (std::size_t v = 0; v < kVolumes.size(); ++v) {
        std::uint8_t value = 0;
        {
            CImageGuard guard(ImageLock());
            std::uint8_t& volume = System()[kVolumes[v].m_nByte];
            const std::uint8_t limit = System()[kVolumes[v].m_nLimit];
            if ((volume & kLevelBits) <= limit) {
                continue;
            }
            volume = limit;
            value = volume;
        }
        ShowVolume(static_cast<int>(v), value);
    }
}

void CZoltDlg::SetLanguage(int language) {
    g_flags.m_nLanguage = language != 0 ? 1 : 0;
    ApplyLanguage();
}

void CZoltDlg::ApplyLanguage() {
    const int language = Language();
    for (int i = 0; i < kTabCount; ++i) {
        m_pTabs->SetItemText(i, QString::fromUtf8(kPageCaptions[language][PageOfTab(i)]));
    }
    for (std::size_t v = 0; v < kVolumes.size(); ++v) {
        m_aVolumes[v].m_pCaption->SetText(QString::fromUtf8(kVolumes[v].m_apszCaption[language]));
    }
    m_pLanguage->setText(QString::fromUtf8(ConnectionTexts().m_pszOtherLanguage));
    setWindowTitle(QString::fromLatin1(kTitle));
    ConnectionDisplay(false);
    for (CPage* page : {m_apPages[0], m_apPages[1], m_apPages[2], m_apPages[6], m_apPages[3],
                        m_apPages[kSystemPageIndex]}) {
        page->ApplyLanguage();
    }
    update();
}

void CZoltDlg::ConnectionDisplay(bool full) {
    const bool online = g_flags.m_bOnline;
    const SConnectionTexts& texts = ConnectionTexts();
    if (!online) {
        m_pProgramName->SetText(QString::fromUtf8(texts.m_pszOffline));
    } else if (full) {
        int mode = 0;
        {
            CImageGuard guard(ImageLock());
            mode = System()[sysblock::kMode];
        }
        m_pProgramName->SetText(ModePrefix(mode) + WorkingModeName());
    }
    m_pConnect->setText(QString::fromUtf8(online ? texts.m_pszDisconnect : texts.m_pszConnect));
    m_pConnect->SetChecked(online ? 1 : 0);
}

// A command is no edit: what it and the flow that sends it change of the data (the mode
// number and name of a store, a password written just before) is not undone, and a recall
// from the preset store off line replaces the whole image. The press or key that started the
// flow has already ended the gesture before it.
void CZoltDlg::SendCommand(int code, int parameter) {
    m_pUndo->Absorb();
    m_link.SendCommand(static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(parameter));
    if (code == cmd::kRecall && !g_flags.m_bOnline) {
        m_pUndo->Reset();
    } else {
        m_pUndo->Absorb();
    }
}

std::array<std::uint8_t, 12> CZoltDlg::MeterValues(int pollKind) const {
    std::array<std::uint8_t, 12> values{};
    CImageGuard guard(ImageLock());
    const SMeterRecord& meters = m_link.Meters();
    const std::uint8_t* source =
        pollKind == cmd::kLevelPoll ? meters.m_abLevels : meters.m_abStates;
    std::copy(source, source + values.size(), values.begin());
    return values;
}

// --- Preset files behind their dialogs ---

namespace {

QString ChooseFile(QWidget* parent, bool save, const std::string& pattern) {
    const QFileInfo initial(QString::fromStdString(pattern));
    const QString folder = initial.dir().exists() ? initial.path() : QDir::currentPath();
    const QString filter = initial.fileName();
    return save ? QFileDialog::getSaveFileName(parent, QString(), folder, filter, nullptr,
                                               QFileDialog::DontUseNativeDialog)
                : QFileDialog::getOpenFileName(parent, QString(), folder, filter, nullptr,
                                               QFileDialog::DontUseNativeDialog);
}

} // namespace

void CZoltDlg::ExportMode() {
    const QString path = ChooseFile(this, true, FilePatterns().m_strOneMode);
    if (!path.isEmpty()) {
        ExportOneMode(path.toStdString());
    }
}

void CZoltDlg::ImportMode() {
    const QString path = ChooseFile(this, false, FilePatterns().m_strOneMode);
    if (!path.isEmpty() && ImportOneMode(path.toStdString(), m_link)) {
        m_pUndo->Reset();
    }
}

void CZoltDlg::ExportAllModes() {
    const QString path = ChooseFile(this, true, FilePatterns().m_strAllModes);
    if (path.isEmpty()) {
        return;
    }
    {
        CImageGuard guard(ImageLock());
        std::copy(System(), System() + kSystemSize, Slot(0) + slot0::kSystemCopy);
    }
    zolt::ExportAllModes(path.toStdString());
}

void CZoltDlg::ImportAllModes() {
    const QString path = ChooseFile(this, false, FilePatterns().m_strAllModes);
    if (!path.isEmpty()) {
        ImportAllModesFrom(path.toStdString());
    }
}

// --- Room-correction filter lists ---

namespace {

struct SFilterTexts {
    const char* m_pszImport;
    const char* m_pszExport;
    const char* m_pszReadError;
    const char* m_pszWriteError;
};
constexpr SFilterTexts kFilterTexts[2] = {
    {"Import filters...", "Export filters...", "Filter list read Error", "Filter list Write Error"},
    {"导入滤波器...", "导出滤波器...", "滤波器列表读取错误", "滤波器列表写入错误"},
};
// A filter list is a small text file; anything larger is not one.
constexpr std::size_t kMaxFilterListSize = 1 << 20;

// The folder of the preset files, for lists of the plain-text kind.
std::string FilterListPattern() {
    return QFileInfo(QString::fromStdString(FilePatterns().m_strOneMode))
        .dir()
        .filePath(QStringLiteral("*.txt"))
        .toStdString();
}

QString TwoLines(const char* pszFirst, const std::string& strSecond) {
    return QString::fromUtf8(pszFirst) + QLatin1Char('\n') + QString::fromStdString(strSecond);
}

} // namespace

void CZoltDlg::ImportFiltersFrom(const std::string& path, int block) {
    const SFilterTexts& texts = kFilterTexts[Language()];
    std::vector<std::uint8_t> bytes;
    std::string error;
    SImportResult result;
    bool bImported = ReadRegularFile(path, kMaxFilterListSize, bytes, error);
    if (bImported) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        CImageGuard guard(ImageLock());
        bImported = ImportFilterList(text, block, Image(), result, error);
        if (!bImported) {
            error = path + ": " + error;
        }
    }
    if (!bImported) {
        ShowMessageBox(this, TwoLines(texts.m_pszReadError, error),
                       QString::fromUtf8(texts.m_pszImport).remove(QStringLiteral("...")),
                       EMsgButtons::Ok, EMsgIcon::Warning);
        return;
    }
    RebindCurves();
    ShowCurrentPage();
    ShowMessageBox(this, QString::fromStdString(result.m_strReport),
                   QString::fromUtf8(texts.m_pszImport).remove(QStringLiteral("...")));
}

void CZoltDlg::ExportFiltersTo(const std::string& path, int block) {
    std::string text;
    {
        CImageGuard guard(ImageLock());
        text = ExportFilterList(block, Image());
    }
    std::string reason;
    if (!ReplaceFile(path, std::vector<std::uint8_t>(text.begin(), text.end()), reason)) {
        const SFilterTexts& texts = kFilterTexts[Language()];
        ShowMessageBox(this, TwoLines(texts.m_pszWriteError, path + ": " + reason),
                       QString::fromUtf8(texts.m_pszExport).remove(QStringLiteral("...")),
                       EMsgButtons::Ok, EMsgIcon::Warning);
    }
}

// --- The check after "Import all" ---

namespace {

struct SImportCheckTexts {
    const char* m_pszOffer;
    const char* m_pszSame;
    const char* m_pszDiffer; // followed by the count and the differing fields
    const char* m_pszMore;   // followed by the count of fields not listed
};
constexpr SImportCheckTexts kImportCheckTexts[2] = {
    {"Read the modes back from the processor and compare them with the file?",
     "The processor holds every field of the file.",
     "Fields that differ between the file and the processor: ", "... and more: "},
    {"从处理器读回全部模式并与文件比较？", "处理器中的每个参数都与文件一致。",
     "文件与处理器不同的参数：", "……其余："},
};
constexpr std::size_t kImportCheckLines = 20;

} // namespace

void CZoltDlg::ImportAllModesFrom(const std::string& path) {
    const bool bImported = zolt::ImportAllModes(path, m_link);
    if (bImported) {
        m_pUndo->Reset();
    }
    if (bImported && g_flags.m_bOnline) {
        m_sent = PresetFileOfData(true);
        m_eImportCheck = EImportCheck::Offer;
    }
}

void CZoltDlg::OfferImportCheck() {
    m_eImportCheck = EImportCheck::None;
    const EMsgResult answer =
        ShowMessageBox(this, QString::fromUtf8(kImportCheckTexts[Language()].m_pszOffer),
                       QString::fromLatin1(kTitle), EMsgButtons::YesNo, EMsgIcon::Question);
    if (answer == EMsgResult::Yes && g_flags.m_bOnline) {
        m_eImportCheck = EImportCheck::ReadBack;
        m_link.SendCommand(cmd::kReadSystem, 0);
        m_link.SendCommand(cmd::kReadMode, 1); // numbers both reads for the progress box
    }
}

void CZoltDlg::ShowImportCheck() {
    m_eImportCheck = EImportCheck::None;
    const SPresetFile held = PresetFileOfData(true);
    std::vector<SFieldDifference> differences;
    std::string error;
    ComparePresets(m_sent, held, differences, error); // two all-modes presets always compare
    const SImportCheckTexts& texts = kImportCheckTexts[Language()];
    if (differences.empty()) {
        ShowMessageBox(this, QString::fromUtf8(texts.m_pszSame), QString::fromLatin1(kTitle));
        return;
    }
    std::string text = texts.m_pszDiffer + std::to_string(differences.size());
    for (std::size_t i = 0; i < differences.size() && i < kImportCheckLines; ++i) {
        text += "\n" + DifferenceText(differences[i], m_sent, held, false, Language());
    }
    if (differences.size() > kImportCheckLines) {
        text += "\n" + std::string(texts.m_pszMore) +
                std::to_string(differences.size() - kImportCheckLines);
    }
    ShowMessageBox(this, QString::fromStdString(text), QString::fromLatin1(kTitle), EMsgButtons::Ok,
                   EMsgIcon::Warning);
}

// The read of all modes ends here: the check's read-back is compared, any other is offered
// for export.
void CZoltDlg::RunAllModesExport() {
    if (m_eImportCheck == EImportCheck::ReadBack) {
        ShowImportCheck();
    } else {
        ExportAllModes();
    }
}

// --- Notification sink ---

void CZoltDlg::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    PostMessage(this, message, wParam, lParam);
}

void CZoltDlg::ProgressStart(int total) {
    m_pProgress->Start(total);
}

void CZoltDlg::ProgressStep(int step) {
    PostMessage(this, kProgressStepMessage, static_cast<WParam>(step));
}

void CZoltDlg::ProgressBusy() {
    m_pProgress->Busy();
}

void CZoltDlg::ProgressLookup() {
    m_pProgress->Lookup();
    m_lookupWatch.start(kLookupWatchMs);
}

// A device that acknowledges the probe instead of answering it would hold the lookup, and
// with it the modal lookup box, for ever: once the link has taken a bare acknowledgement
// for the probe, the lookup is over, the window can be used (and disconnected), and a box
// says why nothing was read back.
void CZoltDlg::WatchLookup() {
    if (!g_flags.m_bLookup) {
        m_lookupWatch.stop();
        return;
    }
    if (!m_connection.ProbeAcknowledgedOnly()) {
        return;
    }
    g_flags.m_bLookup = false;
    m_lookupWatch.stop();
    ConnectionDisplay(true);
    MessageBox(m_connection.ProbeAcknowledgedText(), "");
}

// A serial device was plugged in: off line the window probes it, and reads back the
// processor that answers, as the connect button would; nothing is said when it does not.
void CZoltDlg::OnPortsPlugged() {
    m_connection.OnPortsAdded(m_pPortWatch->TakeAdded());
}

void CZoltDlg::ProgressHide() {
    m_pProgress->Finish();
}

// A box raised on the comm thread waits in a queue for the UI thread; the link goes on.
void CZoltDlg::MessageBox(std::string_view text, std::string_view caption) {
    QString strText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString strCaption =
        caption.empty() ? QString::fromLatin1(kTitle)
                        : QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    if (QThread::currentThread() == thread()) {
        ShowMessageBox(this, strText, strCaption);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_boxLock);
        m_aPendingBoxes.emplace_back(std::move(strText), std::move(strCaption));
    }
    PostMessage(this, kPendingBoxMessage);
}

void CZoltDlg::ShowPendingBoxes() {
    for (;;) {
        std::pair<QString, QString> box;
        {
            std::lock_guard<std::mutex> guard(m_boxLock);
            if (m_aPendingBoxes.empty()) {
                return;
            }
            box = std::move(m_aPendingBoxes.front());
            m_aPendingBoxes.pop_front();
        }
        ShowMessageBox(this, box.first, box.second);
    }
}

// --- Messages ---

bool CZoltDlg::OnMessage(CMessageEvent& msg) {
    const unsigned message = msg.Message();
    if (message == WM_SLIDER_MOVING || message == WM_SLIDER_MOVED) {
        for (std::size_t v = 0; v < kVolumes.size(); ++v) {
            if (static_cast<int>(msg.WParameter()) == kVolumes[v].m_nSlider) {
                OnVolumeSlider(static_cast<int>(v));
                return true;
            }
        }
        return false;
    }
    if (message == kProgressStepMessage) {
        m_pProgress->Step(static_cast<int>(msg.WParameter()));
        if (m_eImportCheck == EImportCheck::Offer &&
            static_cast<int>(msg.WParameter()) >= m_pProgress->Total()) {
            OfferImportCheck();
        }
        return true;
    }
    if (message == kPendingBoxMessage) {
        ShowPendingBoxes();
        return true;
    }
    const bool handled = OnLinkMessage(message, msg.WParameter(), msg.LParameter());
    NoteStartupProgress(message);
    return handled;
}

bool CZoltDlg::OnLinkMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case msg::kPortFailure:
        m_eImportCheck = EImportCheck::None;
        m_connection.OnPortFailure(lParam != 0);
        DarkenMetersOffline();
        return true;
    case msg::kStartLookup:
        m_connection.OnConnectButton();
        DarkenMetersOffline();
        return true;
    case msg::kSystemBlockRead:
        m_pUndo->Reset();
        if (m_bSystemShown) {
            PageOf(kSystemPageIndex).Refresh();
        }
        return true;
    case msg::kImageReplaced:
        m_pUndo->Reset();
        ShowCurrentPage();
        ConnectionDisplay(true);
        return true;
    case msg::kAllModesRead:
        m_link.FinishReadAllModes();
        return true;
    case msg::kMeters:
        if (m_bSystemShown) {
            PageOf(kSystemPageIndex).UpdateMeters(static_cast<int>(wParam));
        }
        m_link.MetersShown();
        return true;
    case msg::kProbeAnswered:
        m_connection.OnProbeAnswered();
        return true;
    default:
        return false;
    }
}

// Levels of a processor that is gone must not stay on the meters: off line the System
// page's meter update darkens them all, whichever page is shown.
void CZoltDlg::DarkenMetersOffline() {
    if (!g_flags.m_bOnline) {
        PageOf(kSystemPageIndex).UpdateMeters(cmd::kLevelPoll);
    }
}

// Start-up is over once the first lookup has failed, or once the read-back that follows an
// answered probe has delivered the working image (its last reply).
void CZoltDlg::NoteStartupProgress(unsigned message) {
    if (m_bStartupSettled) {
        return;
    }
    if (message == msg::kImageReplaced) {
        m_bStartupSettled = true;
    } else if (message == msg::kStartLookup || message == msg::kPortFailure) {
        m_bStartupSettled = !g_flags.m_bOnline;
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
        const SFilterTexts& texts = kFilterTexts[Language()];
        menu.addAction(QString::fromUtf8(texts.m_pszImport), this, [this, block] {
            const QString path = ChooseFile(this, false, FilterListPattern());
            if (!path.isEmpty()) {
                ImportFiltersFrom(path.toStdString(), block);
            }
        });
        menu.addAction(QString::fromUtf8(texts.m_pszExport), this, [this, block] {
            const QString path = ChooseFile(this, true, FilterListPattern());
            if (!path.isEmpty()) {
                ExportFiltersTo(path.toStdString(), block);
            }
        });
        menu.addSeparator();
    }
    menu.addAction(QString::fromUtf8(kAboutMenuText), this, &CZoltDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CZoltDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

} // namespace zolt
