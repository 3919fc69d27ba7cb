#pragma once

#include <QWidget>

class DataSource;
class QToolButton;
class RecordTable;

// The record navigator: first, prior, next, last and delete buttons acting on the table of a data
// source. A press carries out the button's own action on the table, then reports clicked(button)
// whatever the action did. Delete asks first and deletes the data source's current record (the
// one the editor shows), never whatever record the table's cursor was last moved to. The buttons
// are enabled only while the table is open and holds records.
class DBNavigator : public QWidget
{
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Delete };
    Q_ENUM(Button)

    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    QToolButton* button(Button which) const;
    // Carries out `which` as a press does.
    void click(Button which);

signals:
    void clicked(DBNavigator::Button button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void act(Button which);
    void updateButtons();

    DataSource* m_source = nullptr;
    RecordTable* m_table = nullptr;
    QToolButton* m_buttons[5] = {};
};
