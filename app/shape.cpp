#include "shape.h"

#include <QPainter>

Shape::Shape(QWidget* parent) : QWidget(parent) {}

void Shape::setBrushColor(const QColor& colour)
{
    m_brush = colour;
    update();
}

void Shape::setPenColor(const QColor& colour)
{
    m_pen = colour;
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_pen);
    painter.setBrush(m_brush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void Shape::mouseReleaseEvent(QMouseEvent*)
{
    emit mouseUp();
}
