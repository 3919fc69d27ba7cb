#include "datasource.h"

#include "exceptionhandler.h"
#include "recordtable.h"

DataSource::DataSource(RecordTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(table, &RecordTable::changed, this, &DataSource::follow);
}

void DataSource::setCurrentRecord(int number)
{
    if (number == m_currentRecord)
        return;
    const int previous = m_currentRecord;
    m_currentRecord = number;
    for (int row : {previous - 1, number - 1})
        if (row >= 0 && row < rowCount())
            emit headerDataChanged(Qt::Vertical, row, row);
}

int DataSource::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table->recordCount();
}

int DataSource::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table->fieldCount();
}

bool DataSource::isBoolean(int column) const
{
    return m_table->fieldDef(column).type == FieldType::Boolean;
}

QVariant DataSource::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const FieldValue& value = m_table->valueAt(index.row(), index.column());
    if (isBoolean(index.column())) {
        if (role == Qt::CheckStateRole && !isNull(value))
            return valueAsBoolean(value) ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return valueAsString(value);
    return {};
}

bool DataSource::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount())
        return false;
    const bool boolean = isBoolean(index.column());
    if (role != (boolean ? Qt::CheckStateRole : Qt::EditRole))
        return false;
    try {
        m_table->edit(index.row() + 1);
        Field field = m_table->field(index.column());
        if (boolean)
            field.setAsBoolean(value.toInt() == Qt::Checked);
        else
            field.setAsString(value.toString());
        m_table->post();
        return true;
    } catch (const std::exception& error) {
        // The record keeps its value; the error reaches the user once the editor has closed.
        m_table->cancel();
        postApplicationException(error);
        return false;
    }
}

Qt::ItemFlags DataSource::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return base | (isBoolean(index.column()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? m_table->fieldDef(section).name : QVariant();
    return section + 1 == m_currentRecord ? QStringLiteral("\u25B6") : QString();
}

void DataSource::follow(const TableChange& change)
{
    if (change.kind == TableChange::Saved)
        return; // the same records under another name
    if (change.kind == TableChange::RecordChanged) {
        emit dataChanged(index(change.row, 0), index(change.row, columnCount() - 1));
        return;
    }
    // The table has already changed; views re-read everything after a reset.
    beginResetModel();
    endResetModel();
}
