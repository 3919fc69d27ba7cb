#include "spinbutton.h"

#include <QToolButton>

namespace {

QToolButton* makeArrow(Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(400);
    button->setAutoRepeatInterval(100);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent), m_up(makeArrow(Qt::UpArrow, this)), m_down(makeArrow(Qt::DownArrow, this))
{
    // pressed() comes with the press and with every repeat, but not with the release, so each
    // step is taken exactly once.
    connect(m_up, &QToolButton::pressed, this, &SpinButton::upClick);
    connect(m_down, &QToolButton::pressed, this, &SpinButton::downClick);
    setFocusProxy(m_up);
}

void SpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
