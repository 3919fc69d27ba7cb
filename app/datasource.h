#pragma once

#include <QAbstractTableModel>

class RecordTable;
struct TableChange;

// The grid's view of the scene table: one column per field in schema order, titled by the field's
// name, one row per posted record, following the table's change notification. Numbers show and
// are typed in the user's locale, booleans are check boxes, strings are cut to their field's
// size. A typed value that does not convert is reported and the record keeps its value. The row
// of the current-record number is marked in the row header.
class DataSource : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSource(RecordTable* table, QObject* parent = nullptr);

    RecordTable* table() const { return m_table; }
    // The 1-based record the editor treats as current; 0 marks none.
    void setCurrentRecord(int number);
    int currentRecord() const { return m_currentRecord; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void follow(const TableChange& change);
    bool isBoolean(int column) const;

    RecordTable* m_table;
    int m_currentRecord = 0;
};
