#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle with a one-pixel outline, reporting mouseUp() when a mouse button is
// released over it.
class Shape : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor brushColor READ brushColor WRITE setBrushColor)
    Q_PROPERTY(QColor penColor READ penColor WRITE setPenColor)

public:
    explicit Shape(QWidget* parent = nullptr);

    QColor brushColor() const { return m_brush; }
    void setBrushColor(const QColor& colour);
    QColor penColor() const { return m_pen; }
    void setPenColor(const QColor& colour);

signals:
    void mouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor m_brush = Qt::white;
    QColor m_pen = Qt::black;
};
