#include "recordtable.h"

#include "error.h"
#include "scenefile.h"

#include <QFileInfo>

#include <utility>

namespace {

const FieldValue nullValue;

// Whether two names lead to one file: through links and relative paths when it exists.
bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a), second(b);
    const QString canonicalA = first.canonicalFilePath(), canonicalB = second.canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return first.absoluteFilePath() == second.absoluteFilePath();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Field

const FieldDef& Field::def() const
{
    return m_table->fieldDef(m_index);
}

bool Field::isNull() const
{
    return ::isNull(m_table->value(m_index));
}

double Field::asFloat() const
{
    return valueAsFloat(m_table->value(m_index));
}

qint32 Field::asInteger() const
{
    return valueAsInteger(m_table->value(m_index));
}

QString Field::asString() const
{
    return valueAsString(m_table->value(m_index));
}

bool Field::asBoolean() const
{
    return valueAsBoolean(m_table->value(m_index));
}

void Field::setAsFloat(double value)
{
    m_table->setValue(m_index, value);
}

void Field::setAsInteger(qint32 value)
{
    m_table->setValue(m_index, value);
}

void Field::setAsString(const QString& value)
{
    m_table->setValue(m_index, value);
}

void Field::setAsBoolean(bool value)
{
    m_table->setValue(m_index, value);
}

void Field::clear()
{
    m_table->setValue(m_index, std::monostate());
}

// ---------------------------------------------------------------------------------------------
// RecordTable: schema

RecordTable::RecordTable(QObject* parent) : QObject(parent) {}

void RecordTable::addField(const QString& name, FieldType type, int size)
{
    if (isActive())
        throw TableError(QStringLiteral("Cannot perform this operation on an open dataset"));
    if (findField(name) >= 0)
        throw TableError(QStringLiteral("Duplicate field name '%1'").arg(name));
    m_fields.push_back(FieldDef{name, type, type == FieldType::String ? size : 0});
}

int RecordTable::findField(const QString& name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

Field RecordTable::fieldByName(const QString& name)
{
    const int index = findField(name);
    if (index < 0)
        throw TableError(QStringLiteral("Field '%1' not found").arg(name));
    return Field(this, index);
}

// ---------------------------------------------------------------------------------------------
// RecordTable: life cycle

void RecordTable::createDataSet()
{
    if (isActive())
        close();
    adopt({});
}

void RecordTable::open()
{
    if (isActive())
        return;
    if (m_fileName.isEmpty() || !QFileInfo::exists(m_fileName))
        throw TableError(QStringLiteral("Missing data provider or data packet"));
    adopt(readPacketFile(m_fileName, m_fields));
}

void RecordTable::close()
{
    if (!isActive())
        return;
    writeOwnFileIfChanged();
    m_records.clear();
    m_current = -1;
    m_state = State::Inactive;
    markModified(false);
    emit changed({TableChange::Reloaded});
}

void RecordTable::openFile(const QString& path)
{
    // Reading the table's own file before writing it would load what it held before the
    // changes, and the changes would be lost.
    if (isActive() && sameFile(path, m_fileName)) {
        writeOwnFileIfChanged();
        markModified(false);
        adopt(readPacketFile(path, m_fields));
        return;
    }
    std::vector<Record> records = readPacketFile(path, m_fields);
    if (isActive())
        writeOwnFileIfChanged();
    m_fileName = path;
    adopt(std::move(records));
}

void RecordTable::adoptUnsaved(const QString& path, std::vector<Record> records)
{
    for (const Record& record : records)
        checkRecordShape(0, record, 0);
    if (isActive())
        writeOwnFileIfChanged();
    m_fileName = path;
    adopt(std::move(records), true);
}

void RecordTable::saveAs(const QString& path)
{
    requireActive();
    checkBrowseMode();
    writeTo(path);
    const QString previous = m_fileName;
    const bool previousOutdated = m_modified && !previous.isEmpty() && !sameFile(previous, path);
    m_fileName = path;
    markModified(false);
    m_current = m_records.empty() ? -1 : 0;
    emit changed({TableChange::Saved});
    // Closing a changed table writes it to its own file; saving under a new name keeps that, so
    // the previous file holds the same scene. The scene itself is safe under `path` by now.
    if (previousOutdated)
        writeTo(previous);
}

void RecordTable::adopt(std::vector<Record> records, bool unsaved)
{
    m_records = std::move(records);
    m_current = m_records.empty() ? -1 : 0;
    m_state = State::Browse;
    markModified(unsaved);
    m_pending.clear();
    emit changed({TableChange::Reloaded});
}

void RecordTable::setModified(bool modified)
{
    markModified(modified);
}

void RecordTable::markModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void RecordTable::writeTo(const QString& path) const
{
    writePacketFile(path, m_fields, m_records);
}

// What closing does before it lets go: the pending record settled as a cursor move settles it,
// and the changes written to the table's own file.
void RecordTable::writeOwnFileIfChanged()
{
    checkBrowseMode();
    if (m_modified && !m_fileName.isEmpty())
        writeTo(m_fileName);
}

// ---------------------------------------------------------------------------------------------
// RecordTable: cursor

void RecordTable::requireActive() const
{
    if (!isActive())
        throw TableError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void RecordTable::requireEditing() const
{
    if (!isPending())
        throw TableError(QStringLiteral("Dataset not in edit or insert mode"));
}

// Leaves insert or edit state the way a cursor move does: a written record is posted, an
// untouched one dropped.
void RecordTable::checkBrowseMode()
{
    if (!isPending())
        return;
    if (m_pendingWritten)
        post();
    else
        cancel();
}

int RecordTable::recordNumber() const
{
    return m_current + 1;
}

void RecordTable::moveTo(int index)
{
    requireActive();
    checkBrowseMode();
    if (!m_records.empty())
        m_current = std::clamp(index, 0, recordCount() - 1);
}

void RecordTable::setRecordNumber(int number)
{
    requireActive();
    checkBrowseMode();
    if (number == recordNumber())
        return;
    if (number < 1 || number > recordCount())
        throw TableError(QStringLiteral("Record not found"));
    m_current = number - 1;
}

// What editing and deleting need of the record they are told to act on.
void RecordTable::requireRecord(int number) const
{
    if (m_records.empty())
        throw TableError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (number < 1 || number > recordCount())
        throw TableError(QStringLiteral("Record not found"));
}

void RecordTable::first()
{
    moveTo(0);
}

void RecordTable::prior()
{
    moveTo(m_current - 1);
}

void RecordTable::next()
{
    moveTo(m_current + 1);
}

void RecordTable::last()
{
    moveTo(recordCount() - 1);
}

// ---------------------------------------------------------------------------------------------
// RecordTable: editing

void RecordTable::insert()
{
    requireActive();
    checkBrowseMode();
    m_pending.assign(m_fields.size(), FieldValue());
    m_pendingWritten = false;
    m_state = State::Insert;
}

void RecordTable::edit(int number)
{
    requireActive();
    if (m_state == State::Edit && number == recordNumber())
        return;
    requireRecord(number);
    setRecordNumber(number);
    m_pending = m_records[size_t(m_current)];
    m_pendingWritten = false;
    m_state = State::Edit;
}

void RecordTable::post()
{
    requireActive();
    if (m_state == State::Insert) {
        m_records.push_back(std::move(m_pending));
        m_current = recordCount() - 1;
        m_state = State::Browse;
        markModified(true);
        emit changed({TableChange::RecordAdded, m_current});
    } else if (m_state == State::Edit) {
        Record previous = std::exchange(m_records[size_t(m_current)], std::move(m_pending));
        m_state = State::Browse;
        markModified(true);
        emit changed({TableChange::RecordChanged, m_current, std::move(previous)});
    }
    m_pending.clear();
}

void RecordTable::cancel()
{
    if (isPending())
        m_state = State::Browse;
    m_pending.clear();
}

void RecordTable::deleteRecord(int number)
{
    requireActive();
    if (m_state == State::Insert) { // deleting a record not yet posted drops it, nothing more
        cancel();
        return;
    }
    cancel();
    requireRecord(number);
    const int row = number - 1;
    Record previous = std::move(m_records[size_t(row)]);
    m_records.erase(m_records.begin() + row);
    m_current = std::min(row, recordCount() - 1);
    markModified(true);
    emit changed({TableChange::RecordDeleted, row, std::move(previous)});
}

void RecordTable::checkRecordShape(int row, const Record& record, int rowLimit) const
{
    if (row < 0 || row > rowLimit)
        throw TableError(QStringLiteral("Record not found"));
    if (record.size() != m_fields.size())
        throw TableError(QStringLiteral("Record does not match the table's fields"));
}

void RecordTable::insertRecord(int row, Record record)
{
    requireActive();
    checkBrowseMode();
    checkRecordShape(row, record, recordCount());
    m_records.insert(m_records.begin() + row, std::move(record));
    m_current = row;
    markModified(true);
    emit changed({TableChange::RecordAdded, row});
}

void RecordTable::replaceRecord(int row, Record record)
{
    requireActive();
    checkBrowseMode();
    checkRecordShape(row, record, recordCount() - 1);
    Record previous = std::exchange(m_records[size_t(row)], std::move(record));
    m_current = row;
    markModified(true);
    emit changed({TableChange::RecordChanged, row, std::move(previous)});
}

const FieldValue& RecordTable::value(int field) const
{
    if (field < 0 || field >= fieldCount())
        throw TableError(QStringLiteral("Field index out of range"));
    if (isPending())
        return m_pending[size_t(field)];
    if (m_current < 0)
        return nullValue;
    return m_records[size_t(m_current)][size_t(field)];
}

void RecordTable::setValue(int field, const FieldValue& value)
{
    requireEditing();
    if (field < 0 || field >= fieldCount())
        throw TableError(QStringLiteral("Field index out of range"));
    m_pending[size_t(field)] = coerceToField(m_fields[size_t(field)], value);
    m_pendingWritten = true;
}
