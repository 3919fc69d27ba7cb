#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QRadioButton;

// A captioned group of radio buttons with an item index: -1 when no item is selected. Items fill
// their columns from top to bottom, column after column. clicked() follows every change of the
// index, by the user or by setItemIndex(); choosing the selected item again changes nothing.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)

public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const { return m_items; }
    void setItems(const QStringList& items);
    int columns() const { return m_columns; }
    void setColumns(int columns);
    int itemIndex() const { return m_itemIndex; }
    // Values below -1 select no item and values past the last item select the last one.
    void setItemIndex(int index);

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void arrangeButtons();
    void select(int index);

    QStringList m_items;
    QList<QRadioButton*> m_buttons;
    int m_columns = 1;
    int m_itemIndex = -1;
};
