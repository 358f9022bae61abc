// The main window: the volume strip (music, mic and the hidden effect volume with their
// limits and mutes), the program-name / connection display, the connect and language
// buttons, and the tab bar over the pages of the page registry. It hosts the session (the
// link, the connection and what the link's messages mean) and shows what the session tells
// it; it implements the operations the pages call, and hands the file operations to its
// file commands.
#pragma once

#include "controls/Message.h"
#include "link/Session.h"
#include "link/Venue.h"
#include "pages/PageApi.h"
#include "shell/PageRegistry.h"
#include "shell/UndoTracker.h"
#include "shell/UserSettings.h"

#include <QSize>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QScrollArea;
class QSocketNotifier;

namespace zolt {

class CBitButton;
class CCompareCommands;
class CPageBase;
class CRoomList;
class CEnTabCtrl;
class CFileCommands;
class CFontStatic;
class CRoomCommands;
class CShowDlg;
class CUndoTracker;
class CVolumeStrip;

struct SZoltOptions {
    // The screen size the start-up check reads; empty: the real primary screen. Tests and
    // the screenshot run pass their own (the offscreen platform reports a small screen).
    QSize m_screenSize;
    // Ports tried before the system's, in order (the simulator's first).
    std::vector<std::string> m_astrPorts;
    // Only the ports above are candidates (tests: no real port is ever probed).
    bool m_bNamedPortsOnly = false;
    // The clock of the link's pauses; null: the real one (tests pass the virtual one).
    CClock* m_pClock = nullptr;
    // Makes a port's transport by its name; null: every port is a serial device.
    CTransportOpener* m_pOpener = nullptr;
    // The window runs the link turn by turn on its own thread (tests, in virtual time).
    bool m_bStepped = false;
    // Tells of serial devices plugged in; null: the system's (udev). Tests announce ports.
    std::unique_ptr<CPortWatch> m_pPortWatch;
    // The window remembers its size and place, its page, the language chosen with its button
    // and the folders of its file dialogs between runs (the program does; the screenshot run
    // and most tests do not).
    bool m_bRemember = false;
    // The language was given on the command line: a remembered one does not replace it.
    bool m_bLanguageGiven = false;
    // The rooms the top strip offers (zolt --venue); none: the window looks up as it always
    // does.
    std::optional<SVenue> m_venue;
};

// The size the window starts at: its content's, or as much of it as the screen leaves for
// the window with its frame.
QSize StartWindowSize(QSize screen, QSize content);

class CZoltDlg : public CMessageWidget, public CPageApi, public CSessionHost {
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
    void ImportAllModes() override;
    bool ConfirmStore(int mode, std::string_view name) override;
    // The preset files, the filter lists and the check after "Import all".
    CFileCommands& Files() { return *m_pFiles; }
    // Undo and redo of the user's edits.
    CUndoTracker& Undo() { return *m_pUndo; }
    // Room correction on the curve display, and A/B compare.
    CRoomCommands& Room() { return *m_pRoom; }
    CCompareCommands& Compare() { return *m_pCompare; }

    // --- The session's host ---
    void RunOnHostThread(std::function<void()> task) override;
    bool IsSystemPageShown() const override { return m_bSystemShown; }
    void ProgressStart(int total) override;
    void ProgressStep(int step, std::uint8_t command, std::uint8_t parameter) override;
    void ProgressBusy() override;
    void ProgressLookup() override;
    void ProgressHide() override;
    void MessageBox(std::string_view text, std::string_view caption) override;
    void ConnectionChanged() override { ConnectionDisplay(true); }
    void ProbeAnswered() override { m_bReadingBack = true; }
    void ImageReplaced() override;
    bool KeepOfflineEdits(std::size_t settings) override;
    void OfflineEditsKept() override;
    void SystemBlockRead() override;
    void AllModesRead() override;
    void MetersArrived(int pollKind) override;
    void CommandsDone() override;
    void TransferCancelled() override;
    void LinkEnded() override;

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
    // The window is smaller than its content, which scrolls.
    bool Scrollable() const;
    // The tab left to right (0..9), or the one step tabs on, wrapping around.
    void ShowTab(int tab);
    void StepTab(int step);

    CSession& Session() { return m_session; }
    CDeviceLink& Link() { return m_session.Link(); }
    CConnection& Connection() { return m_session.Connection(); }
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
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreatePages();
    void FitScreen(QSize screen);
    void AddPageKeys();
    void ShowAbout();
    CPage& PageOf(int index) const;
    void DarkenMetersOffline();
    void OnConnectButton();
    void ReadModeToCompare(int mode);
    void OnPortsPlugged();

    CSession m_session;
    CUserSettings m_settings;
    QScrollArea* m_pScroll = nullptr;
    CMessageWidget* m_pContent = nullptr;
    CEnTabCtrl* m_pTabs = nullptr;
    CVolumeStrip* m_pVolumes = nullptr;
    CFontStatic* m_pProgramName = nullptr;
    CBitButton* m_pConnect = nullptr;
    CBitButton* m_pLanguage = nullptr;
    CShowDlg* m_pProgress = nullptr;
    CRoomList* m_pRooms = nullptr; // with a venue

    std::vector<CPageBase*> m_apPages; // by page index; the views of a page share it
    CUndoTracker* m_pUndo = nullptr;
    std::unique_ptr<CFileCommands> m_pFiles;
    std::unique_ptr<CRoomCommands> m_pRoom;       // the curve display's room correction
    std::unique_ptr<CCompareCommands> m_pCompare; // A/B compare
    int m_nComparedMode = 0;                      // a stored mode being read to compare with, or 0
    std::size_t m_nComparedModeEnd = 0;           // the frames queued up to its read
    int m_nCurrentPage = -1;
    std::atomic<bool> m_bSystemShown{false};
    bool m_bStartupSettled = false;
    QTimer m_turns;                             // a stepped session's turns
    bool m_bReadingBack = false;                // from the probe's answer to the working image
    const SText* m_pReplacing = &kReadBackStep; // what the next working image comes from
    std::unique_ptr<CPortWatch> m_pPortWatch;
    std::unique_ptr<QSocketNotifier> m_pPlugged; // goes before the watch closes its descriptor
};

} // namespace zolt
