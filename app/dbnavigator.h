#pragma once

#include <QWidget>

class QToolButton;
class RecordTable;

// The record navigator: first, prior, next, last and delete buttons acting on a table. A press
// carries out the button's own action on the table (delete asks first), then reports
// clicked(button) whatever the action did. The buttons are enabled only while the table is open
// and holds records.
class DBNavigator : public QWidget
{
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Delete };
    Q_ENUM(Button)

    explicit DBNavigator(QWidget* parent = nullptr);

    void setTable(RecordTable* table);
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

    RecordTable* m_table = nullptr;
    QToolButton* m_buttons[5] = {};
};
