// Undo and redo in the main window. The tracker watches the user's input to the window: a
// mouse press, a key press (held keys repeat within one gesture), a wheel turn or the focus
// moving to another control ends the gesture before it and starts the next, so a slider
// drag from press to release, a committed field, a combo choice, a click, a curve drag or an
// "EQ Reset" is one step of the edit history. Ctrl+Z undoes the last step, Ctrl+Y and
// Ctrl+Shift+Z redo it, whichever control has the focus; the working image and the system
// block get their bytes back, the curves re-bind, the window reloads, and the link's
// synchronisation sends the differences. UI thread only.
#pragma once

#include "model/EditHistory.h"
#include "model/Text.h"

#include <QObject>

#include <functional>

class QMenu;
class QWidget;

namespace zolt {

// The names of the steps that replace the whole image.
inline constexpr SText kReadBackStep{"读回", "the read-back"};
inline constexpr SText kRecallStep{"调用模式", "the recall"};
inline constexpr SText kImportStep{"导入", "the import"};
inline constexpr SText kOfflineEditsStep{"脱机时的修改", "the edits made off line"};

class CUndoTracker : public QObject {
    Q_OBJECT
public:
    // Watches the input to pWindow's widgets; onChanged runs after an undo or a redo wrote the
    // data (the window reloads what it shows).
    CUndoTracker(QWidget* pWindow, std::function<void()> onChanged);
    ~CUndoTracker() override;

    // What happened outside the user's edits: changes not to be undone (a store, a password
    // change) are absorbed; a whole image replaced (a read-back, a recall, an import) is a
    // step of its own, named for what replaced it.
    void Absorb() { m_history.Absorb(); }
    void Record(const SText& name) { m_history.Record(name); }

    bool Undo();
    bool Redo();

    // "Undo <what>" and "Redo <what>" for the window's menu, disabled when there is nothing.
    void AddActions(QMenu& menu);

    CEditHistory& History() { return m_history; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool InWindow(QObject* pWatched) const;
    void Applied();

    QWidget* m_pWindow;
    std::function<void()> m_onChanged;
    CEditHistory m_history;
};

} // namespace zolt
