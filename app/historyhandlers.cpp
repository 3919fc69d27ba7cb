// Undo and redo: the window's actions, and the panel following the record a step put back.
#include "tform1.h"

#include "datasource.h"
#include "scenehistory.h"

#include <QAction>

void TForm1::setUpHistory()
{
    m_history = new SceneHistory(*ClientDataSet1, this);
    connect(m_history, &SceneHistory::stepApplied, this, &TForm1::followHistory);
    m_undoAction = historyAction(QStringLiteral("Desfazer"), QKeySequence::Undo,
                                 [this] { m_history->undo(); });
    m_redoAction =
        historyAction(QStringLiteral("Refazer"), QKeySequence::Redo, [this] { m_history->redo(); });
    // Desktops differ on redo; Ctrl+Y is the one users of other systems bring along.
    const QKeySequence ctrlY(Qt::CTRL | Qt::Key_Y);
    if (!m_redoAction->shortcuts().contains(ctrlY))
        m_redoAction->setShortcuts(m_redoAction->shortcuts() << ctrlY);
    connect(&m_history->stack(), &QUndoStack::canUndoChanged, m_undoAction, &QAction::setEnabled);
    connect(&m_history->stack(), &QUndoStack::canRedoChanged, m_redoAction, &QAction::setEnabled);
    DBGrid1->addActions({m_undoAction, m_redoAction});
    DBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// A window-wide action. A text field that has the focus takes the same keys for its own undo
// first, so the scene's history is never undone while the user types.
QAction* TForm1::historyAction(const QString& text, QKeySequence::StandardKey keys,
                               const std::function<void()>& step)
{
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [step] { runHandler(step); });
    addAction(action);
    return action;
}

// The current record and the panel follow the record a step changed. An insertion, done or
// undone, leaves the panel as inserting leaves it, so the name field keeps counting on and names
// stay unique.
void TForm1::followHistory(const HistoryStep& step)
{
    if (step.insertion) {
        const int count = ClientDataSet1->recordCount();
        setCurrentRecordNumber(std::min(step.row + 1, count));
        return;
    }
    showRecord(step.row + 1);
}
