#pragma once

#include <QWidget>

class QToolButton;

// Two stacked arrow buttons. A click runs upClick() or downClick() once; held down, the arrow
// repeats 400 ms after the press and then every 100 ms until it is released.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
