// The main window: the volume strip (music, mic and the hidden effect volume with their
// limits and mutes), the program-name / connection display, the connect and language
// buttons, and the tab bar over the pages. It owns the device link and the connection,
// implements the operations the pages call and the link's notification sink, and handles
// every link notification on the UI thread: the comm thread only posts to it.
#pragma once

#include "controls/Message.h"
#include "link/Connection.h"
#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "link/PresetFiles.h"
#include "pages/PageApi.h"

#include <QSize>
#include <QTimer>

#include <array>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QScrollArea;
class QSocketNotifier;

namespace zolt {

class CBitButton;
class CBitmapSlider;
class CEdit_Static;
class CEnTabCtrl;
class CFontStatic;
class CMainDlg;
class CShowDlg;
class CUndoTracker;

constexpr int kPageCount = 10; // page indexes 0..9, each with a tab
constexpr int kTabCount = 10;
constexpr int kSystemPageIndex = 5;

struct SZoltOptions {
    // The screen size the start-up check reads; empty: the real primary screen. Tests and
    // the screenshot run pass their own (the offscreen platform reports a small screen).
    QSize m_screenSize;
    // Ports tried before the system's, in order (the simulator's first).
    std::vector<std::string> m_astrPorts;
    // Only the ports above are candidates (tests: no real port is ever probed).
    bool m_bNamedPortsOnly = false;
    // The clock of the link's pauses; null: the real one (tests pass a faster one).
    CClock* m_pClock = nullptr;
    // Tells of serial devices plugged in; null: the system's (udev). Tests announce ports.
    std::unique_ptr<CPortWatch> m_pPortWatch;
};

// The window width and height for a screen narrower than 1366 or lower than 768 pixels:
// 1290 x 740, but never more than the screen leaves for the window with its frame.
QSize SmallScreenWindowSize(QSize screen);

class CZoltDlg : public CMessageWidget, public CPageApi, public CNotifySink {
    Q_OBJECT
public:
    explicit CZoltDlg(SZoltOptions options = {});
    ~CZoltDlg() override;

    // --- Operations the pages call ---
    void SendCommand(int code, int parameter) override;
    void ClampVolumes() override;
    void ShowCurrentPage() override;
    std::array<std::uint8_t, 12> MeterValues(int pollKind) const override;
    void ExportMode() override;
    void ImportMode() override;
    void ExportAllModes();
    void ImportAllModes() override;
    // "Import all" once the file is chosen; on line, when the transfer is done, it offers to
    // read the modes back and compare them with the file.
    void ImportAllModesFrom(const std::string& path);
    // A room-correction filter list into the equaliser of EQ block 0..17 (the shown page's),
    // with the report of how close the stored bands come; the equaliser as a list.
    void ImportFiltersFrom(const std::string& path, int block);
    void ExportFiltersTo(const std::string& path, int block);
    // Undo and redo of the user's edits.
    CUndoTracker& Undo() { return *m_pUndo; }

    // --- The link's notification sink ---
    void Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void ProgressStart(int total) override;
    void ProgressStep(int step) override;
    void ProgressBusy() override;
    void ProgressLookup() override;
    void ProgressHide() override;
    void MessageBox(std::string_view text, std::string_view caption) override;
    void RefreshProgramName() override { ConnectionDisplay(true); }
    void RunAllModesExport() override;
    bool IsSystemPageShown() const override { return m_bSystemShown; }

    // --- The window ---
    // Shows the page of index 0..9 and re-reads it; nothing when it is already current.
    void PageSwitch(int index);
    // Selects the page's tab and switches to it.
    void ShowPage(int index);
    int CurrentPage() const { return m_nCurrentPage; }
    QWidget* PageWidget(int index) const;
    // Sets the language flag (1 Chinese, 0 English) and applies it.
    void SetLanguage(int language);
    void ApplyLanguage();
    // The program name and the connect button; full after connects, disconnects, reads
    // and mode changes, short (the name kept while online) on a language switch.
    void ConnectionDisplay(bool full);
    // The lookup has ended and, when a processor answered, its read-back has arrived.
    bool StartupSettled() const { return m_bStartupSettled; }
    // True when the start-up screen check found a small screen and added scroll bars.
    bool Scrollable() const { return m_bScrollable; }

    CDeviceLink& Link() { return m_link; }
    CConnection& Connection() { return m_connection; }
    CShowDlg& ProgressBox() { return *m_pProgress; }
    // The widget holding every control of the window; inside a scroll area on small
    // screens.
    QWidget& Content() { return *m_pContent; }
    QScrollArea& ScrollArea() { return *m_pScroll; }
    CEnTabCtrl& Tabs() { return *m_pTabs; }

protected:
    bool OnMessage(CMessageEvent& msg) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct SVolumeControls {
        CBitmapSlider* m_pSlider;
        CEdit_Static* m_pLabel;
        CBitButton* m_pMute;
        CFontStatic* m_pCaption;
    };

    void CreateControls();
    void CreatePages();
    void CheckScreen(QSize screen);
    bool OnLinkMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void OnVolumeSlider(int volume);
    void OnMute(int volume);
    void ShowVolume(int volume, std::uint8_t value);
    void ShowPendingBoxes();
    void ShowAbout();
    CPage& PageOf(int index) const;
    void NoteStartupProgress(unsigned message);
    void DarkenMetersOffline();
    void WatchLookup();
    void OnPortsPlugged();
    void OfferImportCheck();
    void ShowImportCheck();

    CDeviceLink m_link;
    CConnection m_connection;
    QScrollArea* m_pScroll = nullptr;
    CMessageWidget* m_pContent = nullptr;
    CEnTabCtrl* m_pTabs = nullptr;
    std::array<SVolumeControls, 3> m_aVolumes{};
    CFontStatic* m_pProgramName = nullptr;
    CBitButton* m_pConnect = nullptr;
    CBitButton* m_pLanguage = nullptr;
    CShowDlg* m_pProgress = nullptr;

    std::array<QWidget*, kPageCount> m_apPageWidgets{};
    std::array<CPage*, kPageCount> m_apPages{};
    CMainDlg* m_pOutput = nullptr;
    CUndoTracker* m_pUndo = nullptr;
    int m_nCurrentPage = -1;
    std::atomic<bool> m_bSystemShown{false};
    bool m_bStartupSettled = false;
    bool m_bScrollable = false;
    QTimer m_lookupWatch;
    std::unique_ptr<CPortWatch> m_pPortWatch;
    std::unique_ptr<QSocketNotifier> m_pPlugged; // goes before the watch closes its descriptor

    // The check after an on-line "Import all": offered when its transfer is done, then the
    // read-back; m_sent is what the import sent.
    enum class EImportCheck { None, Offer, ReadBack };
    EImportCheck m_eImportCheck = EImportCheck::None;
    SPresetFile m_sent;

    std::mutex m_boxLock; // guards m_aPendingBoxes (the comm thread adds to it)
    std::deque<std::pair<QString, QString>> m_aPendingBoxes;
};

} // namespace zolt
