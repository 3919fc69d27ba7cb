#include "dbnavigator.h"

#include "datasource.h"
#include "dialogs.h"
#include "exceptionhandler.h"
#include "recordtable.h"

#include <QToolButton>

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent)
{
    const QString glyphs[] = {QStringLiteral("|\u25C0"), QStringLiteral("\u25C0"),
                              QStringLiteral("\u25B6"), QStringLiteral("\u25B6|"),
                              QStringLiteral("\u2212")};
    const QString tips[] = {QStringLiteral("Primeiro registro"),
                            QStringLiteral("Registro anterior"), QStringLiteral("Próximo registro"),
                            QStringLiteral("Último registro"), QStringLiteral("Excluir registro")};
    for (int i = 0; i < 5; ++i) {
        m_buttons[i] = new QToolButton(this);
        m_buttons[i]->setText(glyphs[i]);
        m_buttons[i]->setToolTip(tips[i]);
        m_buttons[i]->setFocusPolicy(Qt::TabFocus);
        connect(m_buttons[i], &QToolButton::clicked, this, [this, i] {
            try {
                click(Button(i));
            } catch (const std::exception& error) {
                handleApplicationException(error); // never through the tool button's own frames
            }
        });
    }
    setFocusProxy(m_buttons[0]);
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source)
{
    m_source = source;
    m_table = source->table();
    connect(m_table, &RecordTable::changed, this, &DBNavigator::updateButtons);
    updateButtons();
}

QToolButton* DBNavigator::button(Button which) const
{
    return m_buttons[which];
}

void DBNavigator::click(Button which)
{
    act(which);
    emit clicked(which);
}

void DBNavigator::act(Button which)
{
    if (!m_table || !m_table->isActive())
        return;
    switch (which) {
    case First:
        m_table->first();
        break;
    case Prior:
        m_table->prior();
        break;
    case Next:
        m_table->next();
        break;
    case Last:
        m_table->last();
        break;
    case Delete:
        if (dialogs().confirm(QStringLiteral("Excluir registro?")))
            m_table->deleteRecord(m_source->currentRecord());
        break;
    }
}

void DBNavigator::updateButtons()
{
    const bool usable = m_table && m_table->isActive() && m_table->recordCount() > 0;
    for (QToolButton* button : m_buttons)
        button->setEnabled(usable);
}

void DBNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int count = 5;
    for (int i = 0; i < count; ++i) {
        const int left = width() * i / count;
        m_buttons[i]->setGeometry(left, 0, width() * (i + 1) / count - left, height());
    }
}
