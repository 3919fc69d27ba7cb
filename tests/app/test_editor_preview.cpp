// The physics preview in the window: it starts at the ordinary picture, runs, and leaves the scene
// and its file exactly as they were; every change to the scene ends it first; bad records keep it
// from starting; held bodies follow the mouse only along their allowed axes.
#include "editorfixture.h"

#include "camera.h"
#include "datasource.h"
#include "recordtext.h"
#include "simworld.h"

#include <QLabel>
#include <QPushButton>
#include <functional>

namespace {

// Appends a record written as "Nome=Bola ODETipo=0 Dim1=0.5"; bodies start from the values
// insertion gives them (scale 1, moving, with gravity, mass 1, white).
void add(EditorFixture& f, const QString& fields)
{
    RecordTable& table = f.table();
    table.insert();
    const QString defaults = QStringLiteral("SX=1 SY=1 SZ=1 Massa=1 ODEMove=1 TemGravidade=1 "
                                            "R=255 G=255 B=255 UsaCor=1 ");
    setFieldsFromText(table, defaults + fields);
    table.post();
}

// A floor and three balls, one of them with every mark the preview can draw.
void addBalls(EditorFixture& f)
{
    add(f, "Nome=Chao ODETipo=3 ODEMove=0 Dim3=1 SX=10 SY=10");
    add(f, "Nome=Bola1 ODETipo=0 Dim1=0.5 Z=3 MostraVecV=1 MostraVecA=1 MostraEixoRot=1 "
           "MostraRastroSempre=1 TipoDeColisao=2");
    add(f, "Nome=Bola2 ODETipo=0 Dim1=0.4 X=2 Z=2 TipoDeColisao=1");
    add(f, "Nome=Caixa ODETipo=2 Dim1=1 Dim2=2 Dim3=0.5 Ang=30 EixoX=1 Y=2 Z=4");
}

QImage picture(EditorFixture& f)
{
    return f.form->OGLPanel1->grabFramebuffer();
}

QString timeText(double seconds)
{
    return QStringLiteral("t = %1 s").arg(QLocale().toString(seconds, 'f', 2));
}

QByteArray savedScene(EditorFixture& f, const QString& name)
{
    f.dialogs.fileNames << f.path(name);
    f.form->Button1Click();
    return fileBytes(f.path(name));
}

} // namespace

class TestEditorPreview : public QObject
{
    Q_OBJECT

private slots:
    void preview_startsAtOrdinaryPictureAndLeavesSceneAsItWas();
    void keys_startPauseAndStop();
    void sceneChanges_stopPreviewFirst_data();
    void sceneChanges_stopPreviewFirst();
    void badRecords_keepPreviewFromStartingAndAreNamed();
    void heldBody_followsMouseOnlyAlongAllowedAxes();
    void click_findsBodyWhereItIsNow();
};

void TestEditorPreview::preview_startsAtOrdinaryPictureAndLeavesSceneAsItWas()
{
    EditorFixture f;
    showWindow(f);
    addBalls(f);
    TForm1& w = *f.form;
    const QByteArray before = savedScene(f, "antes.xml");
    QVERIFY(!before.isEmpty());
    const std::vector<Record> records = f.table().records();
    const QImage ordinary = picture(f);

    w.SimularClick();
    QVERIFY(w.preview() && w.previewRunning());
    QCOMPARE(picture(f), ordinary); // every body drawn where the frame draws it
    QCOMPARE(w.TempoLabel->text(), timeText(0));

    QTRY_VERIFY(w.preview()->time() > 0.3);
    QVERIFY(picture(f) != ordinary);
    QVERIFY(w.preview()->trail(1).size() > 2);
    QCOMPARE(savedScene(f, "durante.xml"), before);

    w.PararClick();
    QVERIFY(!w.preview());
    QCOMPARE(w.TempoLabel->text(), timeText(0));
    QCOMPARE(picture(f), ordinary);
    QVERIFY(f.table().records() == records);
    QCOMPARE(savedScene(f, "depois.xml"), before);
}

void TestEditorPreview::keys_startPauseAndStop()
{
    EditorFixture f;
    showWindow(f);
    addBalls(f);
    TForm1& w = *f.form;
    w.OGLPanel1->setFocus();
    QTest::keyClick(w.OGLPanel1, Qt::Key_Space);
    QVERIFY(w.preview() && w.previewRunning());
    QTRY_VERIFY(w.preview()->time() > 0.1);
    QTest::keyClick(w.OGLPanel1, Qt::Key_Space);
    QVERIFY(!w.previewRunning());
    const double paused = w.preview()->time();
    QTest::qWait(100);
    QCOMPARE(w.preview()->time(), paused);
    QCOMPARE(w.TempoLabel->text(), timeText(paused));
    QTest::keyClick(w.OGLPanel1, Qt::Key_Space);
    QTRY_VERIFY(w.preview()->time() > paused);
    QTest::keyClick(w.OGLPanel1, Qt::Key_Escape);
    QVERIFY(!w.preview());
}

void TestEditorPreview::sceneChanges_stopPreviewFirst_data()
{
    QTest::addColumn<std::function<void(EditorFixture&)>>("change");
    using Change = std::function<void(EditorFixture&)>;
    QTest::newRow("insert") << Change([](EditorFixture& f) { insertNamed(f, "Nova"); });
    QTest::newRow("edit") << Change([](EditorFixture& f) {
        f.form->Edit1->setText("Outro");
        f.form->Button5Click();
    });
    QTest::newRow("delete") << Change([](EditorFixture& f) {
        f.dialogs.confirmations << true;
        navigate(f, DBNavigator::Delete);
    });
    QTest::newRow("grid") << Change([](EditorFixture& f) {
        f.form->DataSource1->setData(f.form->DataSource1->index(0, SceneField::X), 3.0);
    });
    QTest::newRow("undo") << Change([](EditorFixture& f) { f.form->undoAction()->trigger(); });
    QTest::newRow("open") << Change([](EditorFixture& f) {
        f.dialogs.fileNames << f.path("cena.xml");
        f.form->Button2Click();
    });
}

void TestEditorPreview::sceneChanges_stopPreviewFirst()
{
    QFETCH(std::function<void(EditorFixture&)>, change);
    EditorFixture f;
    showWindow(f);
    insertNamed(f, "Objeto1"); // through the button, so that there is a step to undo
    addBalls(f);
    savedScene(f, "cena.xml");
    f.form->SimularClick();
    QTRY_VERIFY(f.form->preview()->time() > 0.05);
    change(f);
    QVERIFY(!f.form->preview());
    QVERIFY(!f.form->previewRunning());
    QCOMPARE(f.form->TempoLabel->text(), timeText(0));
}

void TestEditorPreview::badRecords_keepPreviewFromStartingAndAreNamed()
{
    EditorFixture f;
    showWindow(f);
    addBalls(f);
    add(f, "Nome=Objeto3 ODETipo=0 Dim1=1 Massa=0");
    add(f, "Nome=Objeto4 ODETipo=4 Arquivo=falta.obj");
    f.form->SimularClick();
    QVERIFY(!f.form->preview());
    QVERIFY(!f.form->previewRunning());
    const QString shown = f.dialogs.messages.join('\n');
    QVERIFY2(shown.contains("Objeto3: massa deve ser positiva"), qPrintable(shown));
    QVERIFY2(shown.contains("Objeto4: não foi possível ler o modelo \"falta.obj\""),
             qPrintable(shown));
}

// The ball at the point looked at shows at the middle of the view; with only y allowed, dragging
// it across and down the picture moves it along y alone. A ball without "UserMove" is not held: the
// same drag turns the view.
void TestEditorPreview::heldBody_followsMouseOnlyAlongAllowedAxes()
{
    EditorFixture f;
    showWindow(f);
    add(f, "Nome=Bola ODETipo=0 Dim1=1 TemGravidade=0 UserMove=1 MoveY=1");
    TForm1& w = *f.form;
    QWidget* view = w.OGLPanel1;
    const QPoint middle(view->width() / 2, view->height() / 2);
    w.SimularClick();
    w.SimularClick(); // paused at once: the ball follows the mouse all the same
    const double paused = w.preview()->time();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, middle);
    QTest::mouseMove(view, middle + QPoint(60, 40));
    QVERIFY(std::abs(w.preview()->state(0).centre[1]) > 0.5);
    QCOMPARE(w.preview()->state(0).centre[0], 0.0);
    QCOMPARE(w.preview()->time(), paused);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, middle + QPoint(60, 40));
    w.PararClick();

    w.SimularClick();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, middle);
    QCOMPARE(w.preview()->grabbedRow(), 0);
    QTest::mouseMove(view, middle + QPoint(60, 40));
    QTRY_VERIFY(std::abs(w.preview()->state(0).centre[1]) > 0.5);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, middle + QPoint(60, 40));
    QCOMPARE(w.preview()->grabbedRow(), -1);
    const SimVector centre = w.preview()->state(0).centre;
    QCOMPARE(centre[0], 0.0);
    QCOMPARE(centre[2], 0.0);

    w.PararClick();
    f.table().edit(1);
    f.table().setValue(SceneField::UserMove, false);
    f.table().post();
    w.SimularClick();
    const double turnBefore = w.View.turn;
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, middle);
    QCOMPARE(w.preview()->grabbedRow(), -1);
    QTest::mouseMove(view, middle + QPoint(60, 0));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, middle + QPoint(60, 0));
    QVERIFY(w.View.turn != turnBefore);
}

// A ball that fell from the point looked at is selected where it lies, not where its record is.
void TestEditorPreview::click_findsBodyWhereItIsNow()
{
    EditorFixture f;
    showWindow(f);
    add(f, "Nome=Chao ODETipo=3 ODEMove=0 Dim3=1 Dim4=3 SX=4 SY=4");
    add(f, "Nome=Bola ODETipo=0 Dim1=0.5");
    TForm1& w = *f.form;
    QWidget* view = w.OGLPanel1;
    w.SimularClick();
    QTRY_VERIFY(w.preview()->time() > 1.5);
    w.SimularClick(); // paused, so that it stays where it is
    const SimVector centre = w.preview()->state(1).centre;
    QVERIFY(std::abs(centre[2] + 2.5) < 0.05);
    const int before = w.currentRecordNumber();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier,
                      QPoint(view->width() / 2, view->height() / 2));
    QCOMPARE(w.currentRecordNumber(), before);
    const ViewCamera camera = viewCamera(w.View, view->width(), view->height());
    const Vec3 right = camera.right(), up = camera.up();
    const double perPixel = camera.unitsPerPixel();
    const QPoint lying(
        int(view->width() / 2 +
            (centre[0] * right.x + centre[1] * right.y + centre[2] * right.z) / perPixel),
        int(view->height() / 2 -
            (centre[0] * up.x + centre[1] * up.y + centre[2] * up.z) / perPixel));
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, lying);
    QCOMPARE(w.currentRecordNumber(), 2);
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorPreview)
#include "test_editor_preview.moc"
