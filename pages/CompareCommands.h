// A/B compare in the window, and the working state compared with a preset file or a stored
// mode. "Compare" keeps the settings as A and the user edits on as B; one key (F6) switches
// between them, and the link's synchronisation sends what the switch changed, as for any
// edit. "Keep A" / "Keep B" ends the compare; keeping the side not shown is one step of the
// edit history, a switch is none (each side keeps its own edits). What differs is listed
// field by field in the window's language. UI thread only.
#pragma once

#include "model/AbCompare.h"
#include "pages/PageApi.h"

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QMenu;
class QShortcut;
class QWidget;

namespace zolt {

class CEditHistory;
struct SPresetFile;

class CCompareCommands : public QObject {
    Q_OBJECT
public:
    // window: the boxes' parent and where the switch key works; history: the window's edit
    // history; showPage reloads the page shown; chooseFile asks for a file of a kind to read
    // (empty when cancelled); readStoredMode asks the processor for stored mode 1..21
    // (nothing off line): the window calls StoredModeRead once the mode is in.
    CCompareCommands(QWidget& window, CEditHistory& history, std::function<void()> showPage,
                     std::function<QString(EFileKind)> chooseFile,
                     std::function<void(int)> readStoredMode);

    // A "Compare" submenu: start, or switch, list the differences, keep A, keep B; then
    // the working state compared with a file or with a stored mode 1..21 (those while the
    // program holds the processor's modes or is on line to read one).
    void AddActions(QMenu& menu);

    void Start();
    // The other side into the working image; nothing while no compare is under way.
    void Switch();
    void Keep(CAbCompare::ESide side);
    // The fields that differ between A and B, in a box.
    void ShowDifferences();
    // The working state against a preset file (a box naming the file and why when it cannot
    // be read) or against stored mode 1..21.
    void CompareWithFile(const std::string& path);
    // With the processor's modes held, at once; else once the mode has been read from the
    // processor (nothing off line).
    void CompareWithMode(int mode);
    // The mode asked for with readStoredMode has arrived.
    void StoredModeRead(int mode);

    const CAbCompare& State() const { return m_compare; }

private:
    // A box: strSame when before and after hold the same settings, else strDiffer with the
    // count of differing fields for its remaining placeholder, and the first of them.
    void ShowComparison(const QString& strSame, const QString& strDiffer, const SPresetFile& before,
                        const SPresetFile& after);

    QWidget& m_window;
    CEditHistory& m_history;
    std::function<void()> m_showPage;
    std::function<QString(EFileKind)> m_chooseFile;
    std::function<void(int)> m_readStoredMode;
    CAbCompare m_compare;
    QShortcut* m_pSwitchKey;
};

} // namespace zolt
