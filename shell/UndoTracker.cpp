#include "shell/UndoTracker.h"

#include "controls/Language.h"
#include "model/Defaults.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

namespace zolt {

namespace {

constexpr SText kUndo{"撤销 %1", "Undo %1"};
constexpr SText kRedo{"重做 %1", "Redo %1"};
constexpr SText kNothing{"没有可撤销的操作", "Nothing to undo"};

// A step's description in a menu entry, where "&" would mark a shortcut letter ("Mic 1&2").
QString MenuText(const SEditStep& step) {
    return QString::fromStdString(DescribeStep(step, Language()))
        .replace(QLatin1Char('&'), QStringLiteral("&&"));
}

bool IsRedo(const QKeyEvent& key) {
    return key.matches(QKeySequence::Redo) ||
           key.keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y) ||
           key.keyCombination() ==
               QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

} // namespace

CUndoTracker::CUndoTracker(QWidget* pWindow, std::function<void()> onChanged)
    : QObject(pWindow), m_pWindow(pWindow), m_onChanged(std::move(onChanged)) {
    qApp->installEventFilter(this);
}

CUndoTracker::~CUndoTracker() {
    qApp->removeEventFilter(this);
}

bool CUndoTracker::InWindow(QObject* pWatched) const {
    auto* pWidget = qobject_cast<QWidget*>(pWatched);
    return pWidget != nullptr && pWidget->window() == m_pWindow;
}

bool CUndoTracker::eventFilter(QObject* pWatched, QEvent* pEvent) {
    switch (pEvent->type()) {
    case QEvent::KeyPress: {
        if (!InWindow(pWatched)) {
            break;
        }
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (pKey->matches(QKeySequence::Undo)) {
            Undo();
            return true;
        }
        if (IsRedo(*pKey)) {
            Redo();
            return true;
        }
        if (!pKey->isAutoRepeat()) {
            m_history.Cut();
        }
        break;
    }
    case QEvent::FocusIn:
        // The user moving the focus (a field commits as it loses it); a control that takes
        // the focus itself during an edit (a strip's gain field while its slider moves)
        // stays within the gesture.
        if (static_cast<QFocusEvent*>(pEvent)->reason() != Qt::OtherFocusReason &&
            InWindow(pWatched)) {
            m_history.Cut();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        if (InWindow(pWatched)) {
            m_history.Cut();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}

bool CUndoTracker::Undo() {
    if (!m_history.Undo()) {
        return false;
    }
    Applied();
    return true;
}

bool CUndoTracker::Redo() {
    if (!m_history.Redo()) {
        return false;
    }
    Applied();
    return true;
}

void CUndoTracker::Applied() {
    RebindCurves();
    m_onChanged();
    m_history.Absorb(); // the reload wrote nothing, but take the data as it stands now
}

void CUndoTracker::AddActions(QMenu& menu) {
    const SEditStep* pUndo = m_history.NextUndo();
    QAction* pUndoAction = nullptr;
    if (pUndo != nullptr) {
        pUndoAction =
            menu.addAction(LanguageText(kUndo).arg(MenuText(*pUndo)), this, [this] { Undo(); });
    } else {
        pUndoAction = menu.addAction(LanguageText(kNothing));
        pUndoAction->setEnabled(false);
    }
    pUndoAction->setShortcut(QKeySequence::Undo);
    const SEditStep* pRedo = m_history.NextRedo();
    const QString strRedo = pRedo != nullptr ? MenuText(*pRedo) : QString();
    QAction* pRedoAction =
        menu.addAction(LanguageText(kRedo).arg(strRedo).trimmed(), this, [this] { Redo(); });
    pRedoAction->setEnabled(pRedo != nullptr);
    pRedoAction->setShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Y));
}

} // namespace zolt
