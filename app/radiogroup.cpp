#include "radiogroup.h"

#include <QEvent>
#include <QRadioButton>
#include <algorithm>

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent) {}

void RadioGroup::setItems(const QStringList& items)
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setAutoExclusive(false); // the group keeps the index, "none" included
        connect(button, &QRadioButton::clicked, this, [this, i] {
            m_buttons[i]->setChecked(true); // a click on the selected item keeps it selected
            select(i);
        });
        m_buttons.append(button);
    }
    m_itemIndex = std::min(m_itemIndex, int(items.size()) - 1);
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(i == m_itemIndex);
    arrangeButtons();
}

void RadioGroup::setColumns(int columns)
{
    m_columns = std::clamp(columns, 1, 16);
    arrangeButtons();
}

void RadioGroup::setItemIndex(int index)
{
    select(std::clamp(index, -1, int(m_items.size()) - 1));
}

void RadioGroup::select(int index)
{
    if (index == m_itemIndex)
        return;
    m_itemIndex = index;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(i == index);
    emit clicked();
}

void RadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    arrangeButtons();
}

bool RadioGroup::event(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        arrangeButtons();
    return QGroupBox::event(event);
}

// The caption's height on top, then rows of equal height; columns share the width.
void RadioGroup::arrangeButtons()
{
    if (m_buttons.isEmpty())
        return;
    const int perColumn = (int(m_buttons.size()) + m_columns - 1) / m_columns;
    const int textHeight = fontMetrics().height();
    const int columnWidth = (width() - 10) / m_columns;
    const int space = height() - textHeight - 5;
    const int rowHeight = std::max(1, space / perColumn);
    const int topMargin = textHeight + 1 + (space % perColumn) / 2;
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setGeometry((i / perColumn) * columnWidth + 8,
                                  (i % perColumn) * rowHeight + topMargin, columnWidth, rowHeight);
    }
}
