#include "scenehistory.h"

#include <QUndoCommand>
#include <utility>

// One record added, changed or deleted. The change has already happened when the step is made,
// so the first redo, which QUndoStack::push runs, has nothing to do.
class RecordStep : public QUndoCommand
{
public:
    RecordStep(SceneHistory& history, int row, Record before, Record after)
        : m_history(history), m_row(row), m_before(std::move(before)), m_after(std::move(after))
    {
        setText(m_before.empty()  ? QStringLiteral("Inserir objeto")
                : m_after.empty() ? QStringLiteral("Excluir objeto")
                                  : QStringLiteral("Editar objeto"));
    }

    void undo() override { m_history.apply(m_row, m_after, m_before, m_before.empty()); }

    void redo() override
    {
        if (m_done) {
            m_history.apply(m_row, m_before, m_after, m_before.empty());
            return;
        }
        m_done = true;
    }

private:
    SceneHistory& m_history;
    int m_row;
    Record m_before, m_after;
    bool m_done = false;
};

SceneHistory::SceneHistory(RecordTable& table, QObject* parent) : QObject(parent), m_table(table)
{
    connect(&table, &RecordTable::changed, this, &SceneHistory::follow);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &SceneHistory::markCleanState);
}

void SceneHistory::undo()
{
    finishGesture();
    m_stack.undo();
}

void SceneHistory::redo()
{
    finishGesture();
    m_stack.redo();
}

void SceneHistory::beginGesture(int row)
{
    finishGesture();
    m_gestureRow = row;
    m_gestureBefore = m_table.record(row);
}

void SceneHistory::finishGesture()
{
    if (!inGesture())
        return;
    const int row = std::exchange(m_gestureRow, -1);
    if (row < m_table.recordCount() && m_table.record(row) != m_gestureBefore)
        m_stack.push(new RecordStep(*this, row, std::move(m_gestureBefore), m_table.record(row)));
    m_gestureBefore.clear();
}

void SceneHistory::cancelGesture()
{
    if (!inGesture())
        return;
    const int row = std::exchange(m_gestureRow, -1);
    if (row < m_table.recordCount() && m_table.record(row) != m_gestureBefore) {
        m_applying = true;
        try {
            m_table.replaceRecord(row, m_gestureBefore);
        } catch (...) {
            m_applying = false;
            throw;
        }
        m_applying = false;
        if (m_stack.isClean()) // the drag began where the file stands
            m_table.setModified(false);
    }
    m_gestureBefore.clear();
}

void SceneHistory::follow(const TableChange& change)
{
    if (m_applying)
        return;
    if (inGesture() && change.kind == TableChange::RecordChanged && change.row == m_gestureRow)
        return; // the gesture's own writes become one step when it ends
    if (inGesture() && change.kind != TableChange::RecordChanged) {
        // Rows moved or the scene was loaded: the record the gesture began with may be another
        // one now, so its writes stay as they are, without a step of their own.
        m_gestureRow = -1;
        m_gestureBefore.clear();
    }
    switch (change.kind) {
    case TableChange::RecordAdded:
        m_stack.push(new RecordStep(*this, change.row, {}, m_table.record(change.row)));
        break;
    case TableChange::RecordChanged:
        m_stack.push(
            new RecordStep(*this, change.row, change.previous, m_table.record(change.row)));
        break;
    case TableChange::RecordDeleted:
        m_stack.push(new RecordStep(*this, change.row, change.previous, {}));
        break;
    case TableChange::Reloaded:
        // Another scene, or the same one read again: nothing before it can be undone.
        m_resetting = true;
        m_stack.clear();
        if (m_table.modified())
            m_stack.resetClean(); // the file does not hold what is shown
        m_resetting = false;
        break;
    case TableChange::Saved:
        m_stack.setClean();
        break;
    }
}

void SceneHistory::markCleanState(bool clean)
{
    if (clean && !m_resetting)
        m_table.setModified(false);
}

void SceneHistory::apply(int row, const Record& from, const Record& to, bool insertion)
{
    m_applying = true;
    try {
        if (from.empty())
            m_table.insertRecord(row, to);
        else if (to.empty())
            m_table.deleteRecord(row + 1);
        else
            m_table.replaceRecord(row, to);
    } catch (...) {
        m_applying = false;
        throw;
    }
    m_applying = false;
    const TableChange::Kind kind = from.empty() ? TableChange::RecordAdded
                                   : to.empty() ? TableChange::RecordDeleted
                                                : TableChange::RecordChanged;
    emit stepApplied({kind, row, insertion});
}
