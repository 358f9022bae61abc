// What the window does with files, and what replaces presets the processor holds: the preset
// files behind their dialogs (one mode, all modes), the room-correction filter lists of the
// equaliser a page shows, the confirmations before "Import all" and before a store over a
// named mode (what will change, from the field table), and the check that follows an on-line
// "Import all" (the file read back from the processor and compared with what was sent, field
// by field). An import is one step of the edit history, and so is an imported filter list.
// UI thread.
#pragma once

#include "link/TransferCheck.h"
#include "model/Text.h"
#include "shell/UserSettings.h"

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class QMenu;
class QWidget;

namespace zolt {

class CSession;
class CUndoTracker;

class CFileCommands {
public:
    // window: the dialogs' and boxes' parent; showPage reloads the page the window shows.
    // settings: where each kind of dialog starts, and where it was last used.
    CFileCommands(QWidget& window, CSession& session, CUndoTracker& undo, CUserSettings& settings,
                  std::function<void()> showPage);

    // The preset files behind their dialogs; nothing when a dialog is cancelled.
    void ExportMode();
    void ImportMode();
    // "Export all": the file first, then all 21 modes read from the processor (off line, the
    // preset store as it is), then the file written.
    void ExportAllModes();
    void ImportAllModes();
    // "Import" once the file is chosen: one step of the edit history.
    void ImportModeFrom(const std::string& path);
    // "Import all" once the file is chosen. On line, once the processor has taken the file,
    // it offers to read the modes back and compare them with the file.
    void ImportAllModesFrom(const std::string& path);

    // Before a store over stored mode 1..16 with the working image named name: a mode that
    // has a name is replaced only when the user says so, once told what changes (when the
    // program holds that mode) or which mode is replaced.
    bool ConfirmStore(int mode, std::string_view name);

    // A filter list into the equaliser of EQ block 0..17, with the report of how close the
    // stored bands come; the equaliser as a filter list (".txt" appended to a file name
    // without an extension).
    void ImportFiltersFrom(const std::string& path, int block);
    void ExportFiltersTo(const std::string& path, int block);
    // "Import filters..." and "Export filters..." for EQ block 0..17, in the window's menu;
    // both disabled unless the page can edit that equaliser now.
    void AddFilterActions(QMenu& menu, int block, bool editable);

    // A file of that kind chosen in the file box, to write (save) or to read, starting in
    // the folder the last one of its kind was chosen in; empty when cancelled.
    QString ChooseFile(bool save, EFileKind kind);

    // The session's reports the check follows.
    void OnCommandsDone();
    // A read of all modes is done: the check's read-back is compared, the import's
    // confirmation shown, or the export's file written.
    void OnAllModesRead();
    // The link has ended, or the transfer was cancelled: a check or an export under way is
    // dropped.
    void OnLinkEnded();
    void OnTransferCancelled() { OnLinkEnded(); }

private:
    enum class ECheck { None, Offer, ReadBack };

    bool ConfirmImportAll(const std::string& path);
    bool Confirm(const std::string& headline, const SChangeSummary& summary, const SText& action);
    void ImportAll(const std::string& path);
    void SaveAllModes(const std::string& path);
    void OfferCheck();
    void ShowCheck();

    QWidget& m_window;
    CSession& m_session;
    CUndoTracker& m_undo;
    CUserSettings& m_settings;
    std::function<void()> m_showPage;
    CTransferCheck m_check;
    ECheck m_eCheck = ECheck::None;
    std::size_t m_nTransferEnd = 0; // the check is offered once the link has answered this far
    std::string m_strExportPath;    // "Export all" writes here once the modes are in
    std::string m_strImportPath;    // "Import all" asks about it once the modes are in
};

} // namespace zolt
