#include "datasource.h"

#include "localenumbers.h"
#include "recordtable.h"

DataSource::DataSource(RecordTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(table, &RecordTable::changed, this, &DataSource::follow);
}

int DataSource::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table->recordCount();
}

int DataSource::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table->fieldCount();
}

QVariant DataSource::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const FieldValue& value = m_table->valueAt(index.row(), index.column());
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return valueAsString(value);
    return {};
}

QVariant DataSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? m_table->fieldDef(section).name : QVariant();
    return section + 1;
}

void DataSource::follow(const TableChange& change)
{
    if (change.kind == TableChange::RecordChanged) {
        emit dataChanged(index(change.row, 0), index(change.row, columnCount() - 1));
        return;
    }
    // The table has already changed; views re-read everything after a reset.
    beginResetModel();
    endResetModel();
}
