// The view answers the mouse: turning, zooming and panning the camera, Home and "Restaurar vista",
// selecting records by clicking the view or the grid, moving the selected one, and the keys.
#include "editorfixture.h"

#include "camera.h"
#include "scenehistory.h"
#include "viewstate.h"

#include <QAction>
#include <QWheelEvent>

namespace {

// A drag in the view with `button` held, in small steps as a hand makes it.
void drag(QWidget* view, Qt::MouseButton button, QPoint from, QPoint to,
          Qt::KeyboardModifiers modifiers = {})
{
    QTest::mousePress(view, button, modifiers, from);
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(view, from + (to - from) * i / 4);
    QTest::mouseRelease(view, button, modifiers, to);
}

void wheel(QWidget* view, int notches)
{
    const QPointF at(view->width() / 2.0, view->height() / 2.0);
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

// Spheres of radius 1 inserted through the panel, named "a", "b", ... at the given places.
void insertSpheres(EditorFixture& f, std::initializer_list<Vec3> places)
{
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(0);
    w.Edit8->setText(EditorFixture::local(1));
    char name = 'a';
    for (const Vec3& p : places) {
        w.Edit2->setText(EditorFixture::local(p.x));
        w.Edit3->setText(EditorFixture::local(p.y));
        w.Edit4->setText(EditorFixture::local(p.z));
        insertNamed(f, QString(QChar(name++)));
    }
}

// The view's pixel that scene point `p` is drawn on.
QPoint pixelOf(TForm1& w, Vec3 p)
{
    const ViewCamera c = viewCamera(w.View, w.OGLPanel1->width(), w.OGLPanel1->height());
    const Vec3 right = c.right(), up = c.up();
    const Vec3 d{p.x - c.centre.x, p.y - c.centre.y, p.z - c.centre.z};
    const double across = (d.x * right.x + d.y * right.y + d.z * right.z) / c.halfWidth;
    const double upwards = (d.x * up.x + d.y * up.y + d.z * up.z) / c.halfHeight;
    return QPoint(int((across + 1) / 2 * c.width), int((1 - upwards) / 2 * c.height));
}

// The record the whole window shows as current agrees: its number, the panel, the grid's row and
// the "Registro atual" label of the next tick.
void checkCurrentEverywhere(TForm1& w, int number, const QString& name)
{
    QCOMPARE(w.currentRecordNumber(), number);
    QCOMPARE(w.Edit1->text(), name);
    QCOMPARE(w.DBGrid1->currentIndex().row(), number - 1);
    w.Timer1Timer();
    QCOMPARE(w.Label14->text(), QString("Registro atual: %1").arg(number));
}

} // namespace

class TestEditorMouse : public QObject
{
    Q_OBJECT

private slots:
    void camera_turnsZoomsAndPans_HomeAndTheMenuRestoreIt();
    void gridRow_selectsLikeTheNavigator_andFollowsTheCurrentRecord();
    void click_onAnObjectSelectsItsRecord_onEmptySpaceKeepsIt_andTheViewMarksIt();
    void controlDrag_movesTheRecordOnItsLevel_asOneUndoStep_escapePutsItBack();
};

void TestEditorMouse::camera_turnsZoomsAndPans_HomeAndTheMenuRestoreIt()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    QWidget* view = w.OGLPanel1;
    const int requests = w.OGLPanel1->paintRequests();
    drag(view, Qt::LeftButton, {300, 300}, {340, 280}); // empty space: turns
    QVERIFY(w.View.turn < 0 && w.View.tilt < 0);
    QVERIFY(w.OGLPanel1->paintRequests() > requests);
    wheel(view, 2);
    QCOMPARE(w.View.zoom, -2.0);
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(2.0, 'f', 1));
    wheel(view, -3);
    QCOMPARE(w.View.zoom, 1.0);
    wheel(view, 30); // a quick spin stops short of the box closing and turning the scene over
    QCOMPARE(w.View.zoom, -9.0);
    w.SpinButton1UpClick(); // the arrows keep their unbounded zoom
    QCOMPARE(w.View.zoom, -10.0);
    wheel(view, -11);
    QCOMPARE(w.View.zoom, 1.0);
    drag(view, Qt::MiddleButton, {200, 200}, {220, 200});
    const double panned = w.View.targetX;
    QVERIFY(panned != 0);
    drag(view, Qt::LeftButton, {200, 200}, {200, 230}, Qt::ShiftModifier);
    QVERIFY(w.View.targetZ != 0);
    w.SpinButton3UpClick(); // the arrows still combine with the mouse

    QTest::keyClick(view, Qt::Key_Home);
    for (double value : {w.View.turn, w.View.tilt, w.View.zoom, w.View.cameraX, w.View.targetX,
                         w.View.targetY, w.View.targetZ})
        QCOMPARE(value, 0.0);
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(0.0, 'f', 1));

    drag(view, Qt::LeftButton, {300, 300}, {250, 300});
    QCOMPARE(view->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(view->actions().size(), 1);
    QCOMPARE(view->actions()[0]->text(), QString("Restaurar vista"));
    view->actions()[0]->trigger();
    QCOMPARE(w.View.turn, 0.0);
}

void TestEditorMouse::gridRow_selectsLikeTheNavigator_andFollowsTheCurrentRecord()
{
    EditorFixture f;
    TForm1& w = *f.form;
    for (const char* name : {"a", "b", "c"}) {
        w.Edit2->setText(QString::number(name[0] - 'a' + 1));
        insertNamed(f, name);
    }
    QCOMPARE(w.DBGrid1->currentIndex().row(), 2); // the inserted record is the grid's too
    w.DBGrid1->setCurrentIndex(w.DataSource1->index(0, SceneField::X));
    QCOMPARE(w.currentRecordNumber(), 1);
    QCOMPARE(w.Edit1->text(), QString("a"));
    QCOMPARE(w.Edit2->text(), QString("1"));
    navigate(f, DBNavigator::Next);
    QCOMPARE(w.DBGrid1->currentIndex().row(), 1);
    QCOMPARE(w.DBGrid1->currentIndex().column(), int(SceneField::X));
    w.history().undo(); // the panel and the grid follow the record a step puts back as well
    QCOMPARE(w.DBGrid1->currentIndex().row(), w.currentRecordNumber() - 1);
}

void TestEditorMouse::click_onAnObjectSelectsItsRecord_onEmptySpaceKeepsIt_andTheViewMarksIt()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    QWidget* view = w.OGLPanel1;
    insertSpheres(f, {{0, 0, 0}, {3, -3, 0}, {-3, 3, 0}});
    checkCurrentEverywhere(w, 3, "c");
    const QImage unmarked = w.OGLPanel1->grabFramebuffer();

    QTest::mouseClick(view, Qt::LeftButton, {}, pixelOf(w, {3, -3, 0.5}));
    checkCurrentEverywhere(w, 2, "b");
    QTRY_VERIFY(w.OGLPanel1->grabFramebuffer() != unmarked); // the selected sphere is marked
    QTest::mouseClick(view, Qt::LeftButton, {}, {3, 3});     // empty space keeps the selection
    checkCurrentEverywhere(w, 2, "b");
    QTest::mouseClick(view, Qt::LeftButton, {}, pixelOf(w, {-0.5, 0, 0}));
    checkCurrentEverywhere(w, 1, "a");
    drag(view, Qt::LeftButton, pixelOf(w, {-3, 3, 0}), pixelOf(w, {-3, 3, 0}) + QPoint(30, 0));
    checkCurrentEverywhere(w, 1, "a"); // a drag that starts on an object turns the view
    QVERIFY(w.View.turn != 0);
}

void TestEditorMouse::controlDrag_movesTheRecordOnItsLevel_asOneUndoStep_escapePutsItBack()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    QWidget* view = w.OGLPanel1;
    insertSpheres(f, {{0, 0, 1}, {-3, 3, 0}});
    // Dragging "a" to where the point 2 units further along x on its level is drawn.
    drag(view, Qt::LeftButton, pixelOf(w, {0, 0, 1}), pixelOf(w, {2, 0, 1}), Qt::ControlModifier);
    checkCurrentEverywhere(w, 1, "a");
    QVERIFY(qAbs(valueAsFloat(f.value(1, SceneField::X)) - 2) < 0.1);
    QVERIFY(qAbs(valueAsFloat(f.value(1, SceneField::Y))) < 0.1);
    QCOMPARE(valueAsFloat(f.value(1, SceneField::Z)), 1.0);
    QCOMPARE(w.Edit2->text(), EditorFixture::local(valueAsFloat(f.value(1, SceneField::X))));
    w.history().undo();
    QCOMPARE(valueAsFloat(f.value(1, SceneField::X)), 0.0);
    QCOMPARE(valueAsFloat(f.value(2, SceneField::X)), -3.0); // one step: the insertion stays

    const QPoint from = pixelOf(w, {-3, 3, 0});
    QTest::mousePress(view, Qt::LeftButton, Qt::ControlModifier, from);
    QTest::mouseMove(view, from + QPoint(40, 10));
    QVERIFY(valueAsFloat(f.value(2, SceneField::X)) != -3.0);
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::ControlModifier, from + QPoint(40, 10));
    QCOMPARE(valueAsFloat(f.value(2, SceneField::X)), -3.0);
    QCOMPARE(valueAsFloat(f.value(2, SceneField::Y)), 3.0);
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorMouse)
#include "test_editor_mouse.moc"
