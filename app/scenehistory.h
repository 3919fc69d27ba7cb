#pragma once

#include "recordtable.h"

#include <QObject>
#include <QUndoStack>

// What undoing or redoing one step did to the table.
struct HistoryStep
{
    TableChange::Kind kind; // RecordAdded, RecordChanged or RecordDeleted
    int row;                // 0-based position of the record put back, changed or taken away
    bool insertion;         // the step is an insertion, undone or redone
};

// The scene's undo history. Every record the table posts or deletes becomes one step, found from
// the table's change notification, so that every way of changing the scene (the object panel,
// the navigator, the grid, the model file dialog) is recorded without having to know of it. A
// step keeps only the record concerned, before and after, never the whole table.
//
// Loading or closing the table clears the history; loading and saving mark the state the file
// holds, and undoing or redoing back to it makes the table unmodified again, so that closing
// writes nothing. A table loaded with changes its file lacks has no such state until saved.
class SceneHistory : public QObject
{
    Q_OBJECT

public:
    explicit SceneHistory(RecordTable& table, QObject* parent = nullptr);

    QUndoStack& stack() { return m_stack; }
    // Undo and redo of the next step; either throws what the table throws and then changes nothing.
    // A gesture under way is finished first.
    void undo();
    void redo();

    // Every change of record `row` from here until finishGesture() becomes one step: a drag in the
    // view writes the record many times and is undone at once. cancelGesture() puts the record
    // back as it was and records nothing.
    void beginGesture(int row);
    void finishGesture();
    void cancelGesture();
    bool inGesture() const { return m_gestureRow >= 0; }

signals:
    // A step was undone or redone.
    void stepApplied(const HistoryStep& step);

private:
    friend class RecordStep;

    void follow(const TableChange& change);
    void markCleanState(bool clean);
    // Turns the table from `from` into `to` at `row`; an empty record is one that is not there.
    void apply(int row, const Record& from, const Record& to, bool insertion);

    RecordTable& m_table;
    QUndoStack m_stack;
    bool m_applying = false;  // the table's notifications are the history's own doing
    bool m_resetting = false; // the stack is being cleared for a table loaded afresh
    int m_gestureRow = -1;
    Record m_gestureBefore;
};
