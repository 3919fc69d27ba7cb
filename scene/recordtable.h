#pragma once

#include "fieldvalue.h"

#include <QObject>
#include <QString>
#include <vector>

class RecordTable;

// What changed in a table; row is the 0-based position of the record concerned.
struct TableChange
{
    enum Kind {
        RecordAdded,   // a new record now stands at `row`
        RecordChanged, // the record at `row` was posted with new values
        RecordDeleted, // the record that stood at `row` is gone
        Reloaded,      // the whole table was loaded or closed
        Saved          // the same records were written under a new name
    };
    Kind kind;
    int row = -1;
    // The record as it stood before a RecordChanged or RecordDeleted; empty for the other kinds.
    Record previous = {};
};

// A handle on one field of a table, read and written on the table's current record: the pending
// record while inserting or editing.
class Field
{
public:
    Field(RecordTable* table, int index) : m_table(table), m_index(index) {}

    int index() const { return m_index; }
    const FieldDef& def() const;

    bool isNull() const;
    double asFloat() const;
    qint32 asInteger() const;
    QString asString() const;
    bool asBoolean() const;

    // Each setter converts to the field's type (strings are cut to its size) and throws
    // TableError unless the table is inserting or editing.
    void setAsFloat(double value);
    void setAsInteger(qint32 value);
    void setAsString(const QString& value);
    void setAsBoolean(bool value);
    void clear();

private:
    RecordTable* m_table;
    int m_index;
};

// An in-memory table of records with a cursor, bound to one file at a time.
//
// States: inactive (closed, no records), browse, insert and edit. insert() and edit() fill a
// pending record that post() stores and cancel() drops; the record count leaves a pending insert
// out until it is posted, and a posted insert goes to the end of the table. Moving the cursor
// while a record is pending posts it when any of its fields was written, and drops it otherwise.
// Every change is announced once through changed().
class RecordTable : public QObject
{
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Insert, Edit };

    explicit RecordTable(QObject* parent = nullptr);

    // Schema. Fields can be added only while the table is inactive.
    void addField(const QString& name, FieldType type, int size = 0);
    int fieldCount() const { return int(m_fields.size()); }
    const FieldDef& fieldDef(int index) const { return m_fields[size_t(index)]; }
    const std::vector<FieldDef>& fields() const { return m_fields; }
    // Position of the field named `name`, ignoring case; -1 when there is none.
    int findField(const QString& name) const;
    // The field named `name`, ignoring case ("Sx" finds "SX"). Throws TableError
    // "Field 'NAME' not found" when there is none.
    Field fieldByName(const QString& name);
    Field field(int index) { return Field(this, index); }

    // Life cycle.
    void createDataSet(); // an empty, active table; nothing is written
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    // Loads the bound file. Does nothing when already active. Throws TableError "Missing data
    // provider or data packet" when the file does not exist, or the reader's error when it cannot
    // be read; the table then stays inactive and unchanged.
    void open();
    // Writes the table to its bound file when it changed since it was loaded or last written, then
    // drops the records. A failed write throws and leaves the table open, bound and unchanged.
    void close();
    // Binds the table to `path` and loads it, writing the current table's changes to its own file
    // first. Another file is read whole before anything is written, so any failure throws and
    // leaves everything as it was. The table's own file is written first and then read, so that
    // its unsaved changes are loaded rather than lost.
    void openFile(const QString& path);
    // Binds the table to `path` and holds `records` as changes that the file does not have yet:
    // the next close writes them. The current table's changes go to its own file first.
    void adoptUnsaved(const QString& path, std::vector<Record> records);
    // Writes the table to `path` (its own file too, when changed) and binds the table to `path`.
    // A failed write to `path` throws and leaves the table bound to its previous file.
    void saveAs(const QString& path);
    // True when there are changes that the bound file does not hold.
    bool modified() const { return m_modified; }
    // Declares the records to be (false) or not to be (true) what the bound file holds: for an
    // undo history that has come back to the state last written or loaded.
    void setModified(bool modified);

    // Cursor. Record numbers count from 1; an empty table stands on record 0.
    int recordCount() const { return int(m_records.size()); }
    int recordNumber() const;
    // Throws TableError "Record not found" for a number outside 1..recordCount(), unless the
    // cursor already stands there (record 0 of an empty table).
    void setRecordNumber(int number);
    void first();
    void prior();
    void next();
    void last();

    // Editing. The record to edit or delete is always named: the cursor may stand anywhere (a
    // frame walks it over every record), so acting "on the current record" is never offered.
    void insert();
    // Moves to record `number` (settling a pending record as any move does) and begins editing
    // it; does nothing when that record is already being edited. Throws on an empty table and
    // for a number outside 1..recordCount().
    void edit(int number);
    void post();
    void cancel();
    // Deletes record `number`; the cursor stays at that position, or on the new last record.
    // While inserting it only drops the pending record; a pending edit is dropped first. Throws
    // on an empty table and for a number outside 1..recordCount().
    void deleteRecord(int number);
    // Puts `record` back at 0-based `row` (0..recordCount()) or in place of the record there, as
    // an undo history restores it; the cursor moves to it. Throws unless the record has a value
    // for every field.
    void insertRecord(int row, Record record);
    void replaceRecord(int row, Record record);
    // Every value of posted record `row` (0-based), and every posted record.
    const Record& record(int row) const { return m_records[size_t(row)]; }
    const std::vector<Record>& records() const { return m_records; }

    // Values of the current record, or of the pending one while inserting or editing.
    const FieldValue& value(int field) const;
    void setValue(int field, const FieldValue& value);
    // Values of any posted record, for views that show the whole table (row counts from 0).
    const FieldValue& valueAt(int row, int field) const
    {
        return m_records[size_t(row)][size_t(field)];
    }

signals:
    void changed(const TableChange& change);
    // modified() became `modified`.
    void modifiedChanged(bool modified);

private:
    void requireActive() const;
    void requireEditing() const;
    bool isPending() const { return m_state == State::Insert || m_state == State::Edit; }
    void checkBrowseMode();
    void writeOwnFileIfChanged();
    void moveTo(int index);
    void requireRecord(int number) const;
    void checkRecordShape(int row, const Record& record, int rowLimit) const;
    void markModified(bool modified);
    void adopt(std::vector<Record> records, bool unsaved = false);
    void writeTo(const QString& path) const;

    std::vector<FieldDef> m_fields;
    std::vector<Record> m_records;
    Record m_pending;
    bool m_pendingWritten = false;
    int m_current = -1; // 0-based; -1 when the table is empty
    State m_state = State::Inactive;
    QString m_fileName;
    bool m_modified = false;
};
