// The view's mouse and keys: turning, panning and zooming the camera, picking a record, moving the
// selected one; and the grid's rows selecting records as the view does.
#include "tform1.h"

#include "camera.h"
#include "datasource.h"
#include "recordtable.h"
#include "scenehistory.h"
#include "scenerenderer.h"
#include "sceneschema.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

const int wheelNotch = 120; // Qt's angle delta of one notch
// The closest the wheel zooms: at -10 the view box has no size, and past it the picture is turned
// over, so a quick spin would leave the teacher looking at a mirrored scene. The arrows keep
// their unbounded zoom.
const double closestWheelZoom = -9;

// A mouse or key handler of the panel, reporting what it raises as every handler does.
template <typename Event>
auto panelHandler(TForm1* form, void (TForm1::*handler)(TOGLPanel*, Event*))
{
    return [form, handler](TOGLPanel* sender, Event* event) {
        runHandler([&] { (form->*handler)(sender, event); });
    };
}

} // namespace

void TForm1::setUpViewInput()
{
    OGLPanel1->setFocusPolicy(Qt::ClickFocus);
    OGLPanel1->OnMouseDown = panelHandler(this, &TForm1::OGLPanel1MouseDown);
    OGLPanel1->OnMouseMove = panelHandler(this, &TForm1::OGLPanel1MouseMove);
    OGLPanel1->OnMouseUp = panelHandler(this, &TForm1::OGLPanel1MouseUp);
    OGLPanel1->OnMouseWheel = panelHandler(this, &TForm1::OGLPanel1MouseWheel);
    OGLPanel1->OnKeyDown = panelHandler(this, &TForm1::OGLPanel1KeyDown);

    auto* restore = new QAction(QStringLiteral("Restaurar vista"), OGLPanel1);
    connect(restore, &QAction::triggered, this, [this] { runHandler([this] { restoreView(); }); });
    OGLPanel1->addAction(restore);
    OGLPanel1->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_followingGrid && current.isValid())
                    runHandler([&] { gridRowChosen(current.row()); });
            });
}

void TForm1::OGLPanel1MouseDown(TOGLPanel*, QMouseEvent* event)
{
    if (m_gesture.kind != ViewGesture::None && m_gesture.kind != ViewGesture::Pressed)
        return; // another button during a gesture changes nothing
    m_gesture = ViewGesture{};
    m_gesture.press = m_gesture.last = event->position().toPoint();
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
        holdInPreview(m_gesture.press)) {
        m_gesture.kind = ViewGesture::Holding;
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->button() == Qt::MiddleButton ||
        (event->button() == Qt::LeftButton && shift && !control))
        m_gesture.kind = ViewGesture::Panning;
    else if (event->button() == Qt::LeftButton && !(control && beginMove(m_gesture.press, shift)))
        m_gesture.kind = ViewGesture::Pressed;
}

void TForm1::OGLPanel1MouseMove(TOGLPanel*, QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    const QPoint step = position - m_gesture.last;
    m_gesture.last = position;
    switch (m_gesture.kind) {
    case ViewGesture::None:
        return;
    case ViewGesture::Pressed:
        // A left button that moves far enough turns the view; one that does not is a click.
        if ((position - m_gesture.press).manhattanLength() < QApplication::startDragDistance())
            return;
        m_gesture.kind = ViewGesture::Turning;
        turnView(View, position.x() - m_gesture.press.x(), position.y() - m_gesture.press.y());
        break;
    case ViewGesture::Turning:
        turnView(View, step.x(), step.y());
        break;
    case ViewGesture::Panning:
        panView(View, step.x(), step.y(), OGLPanel1->width(), OGLPanel1->height());
        break;
    case ViewGesture::MovingLevel:
    case ViewGesture::MovingHeight:
        moveTo(position);
        return;
    case ViewGesture::Holding:
        dragInPreview(position);
        return;
    }
    viewStateChanged();
}

void TForm1::OGLPanel1MouseUp(TOGLPanel*, QMouseEvent*)
{
    const ViewGesture gesture = std::exchange(m_gesture, ViewGesture{});
    if (gesture.kind == ViewGesture::Holding && m_preview)
        m_preview->release();
    if (gesture.kind == ViewGesture::MovingLevel || gesture.kind == ViewGesture::MovingHeight) {
        m_gesture = gesture;
        endMove(true);
    } else if (gesture.kind == ViewGesture::Pressed) {
        // A click on an object selects its record; a click on empty space keeps the selection.
        const int row = pickRowAt(gesture.press);
        if (row >= 0)
            selectRecord(row + 1);
    }
}

// One notch of the wheel is one click of the zoom arrows: away from the user brings the scene
// closer, as the up arrow does.
void TForm1::OGLPanel1MouseWheel(TOGLPanel*, QWheelEvent* event)
{
    m_wheelDelta += event->angleDelta().y();
    for (; m_wheelDelta >= wheelNotch; m_wheelDelta -= wheelNotch) {
        if (View.zoom - 1 >= closestWheelZoom)
            SpinButton1UpClick();
    }
    for (; m_wheelDelta <= -wheelNotch; m_wheelDelta += wheelNotch)
        SpinButton1DownClick();
    event->accept();
}

void TForm1::OGLPanel1KeyDown(TOGLPanel*, QKeyEvent* event)
{
    const bool moving =
        m_gesture.kind == ViewGesture::MovingLevel || m_gesture.kind == ViewGesture::MovingHeight;
    if (moving) {
        if (event->key() == Qt::Key_Escape)
            endMove(false);
        return; // nothing else while a record is being moved
    }
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier)
        SimularClick();
    else if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_preview)
        PararClick();
    else if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier)
        restoreView();
    else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier)
        DBNavigator1->click(DBNavigator::Delete); // the navigator's own question and deletion
    else if (event->key() == Qt::Key_D && event->modifiers() == Qt::ControlModifier)
        duplicateSelected();
    else
        event->ignore();
}

void TForm1::viewStateChanged()
{
    OGLPanel1->requestPaint();
}

void TForm1::restoreView()
{
    View.restoreView();
    setLabelCaption(Label21, View.zoomText());
    viewStateChanged();
}

int TForm1::pickRowAt(QPoint pixel)
{
    return m_preview ? rowInPreview(pixel) : drawnRowAt(pixel);
}

// The record drawn under the pixel, as the renderer picks it; -1 for none.
int TForm1::drawnRowAt(QPoint pixel)
{
    const qreal ratio = OGLPanel1->devicePixelRatio();
    int row = -1;
    OGLPanel1->runWithContext(
        [&] { row = m_renderer->pickRecord(int(pixel.x() * ratio), int(pixel.y() * ratio)); });
    return row;
}

// Selecting loads the record into the panel exactly as the navigator does; from the first
// selection on, the view marks the current record.
void TForm1::selectRecord(int number)
{
    m_selectionShown = true;
    showRecord(number);
}

void TForm1::gridRowChosen(int row)
{
    if (row + 1 != m_currentRecord || !m_selectionShown)
        selectRecord(row + 1);
}

// The grid's current row follows the current record, wherever the number was moved from.
void TForm1::followSelectionInGrid()
{
    const int row = m_currentRecord - 1;
    const QModelIndex current = DBGrid1->currentIndex();
    if (row < 0 || row >= DataSource1->rowCount() || (current.isValid() && current.row() == row))
        return;
    m_followingGrid = true;
    DBGrid1->setCurrentIndex(DataSource1->index(row, current.isValid() ? current.column() : 0));
    m_followingGrid = false;
}
