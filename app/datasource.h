#pragma once

#include <QAbstractTableModel>

class RecordTable;
struct TableChange;

// The grid's view of the scene table: one column per field in schema order, titled by the field's
// name, one row per posted record. It follows the table's change notification.
class DataSource : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSource(RecordTable* table, QObject* parent = nullptr);

    RecordTable* table() const { return m_table; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void follow(const TableChange& change);

    RecordTable* m_table;
};
