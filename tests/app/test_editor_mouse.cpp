// The view answers the mouse: turning, zooming and panning the camera, Home and "Restaurar vista",
// selecting records by clicking the view or the grid, moving the selected one, and the keys.
#include "editorfixture.h"

#include "scenehistory.h"
#include "viewstate.h"

#include <QAction>
#include <QWheelEvent>

namespace {

void showWindow(EditorFixture& f)
{
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTRY_VERIFY(f.form->OGLPanel1->isActive());
}

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

} // namespace

class TestEditorMouse : public QObject
{
    Q_OBJECT

private slots:
    void camera_turnsZoomsAndPans_HomeAndTheMenuRestoreIt();
    void gridRow_selectsLikeTheNavigator_andFollowsTheCurrentRecord();
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

TAVIREL_EDITOR_TEST_MAIN(TestEditorMouse)
#include "test_editor_mouse.moc"
