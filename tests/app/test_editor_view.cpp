// The window and its view together: frames follow the changes, and the timer only where time
// changes the picture; the light arrows reach OpenGL, what is inserted shows, a missing model is
// told once, and a slow frame leaves input its time.
#include "editorfixture.h"

#include <GL/gl.h>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QThread>
#include <QToolButton>

namespace {

// Counts the frames the renderer draws (the window's own repaints swap buffers too).
int* countFrames(EditorFixture& f)
{
    static int frames;
    frames = 0;
    auto draw = f.form->OGLPanel1->OnOGLPaint;
    f.form->OGLPanel1->OnOGLPaint = [draw] {
        ++frames;
        draw();
    };
    return &frames;
}

// Asks the view for one frame and waits until it is drawn.
bool drawFrame(EditorFixture& f)
{
    int* frames = countFrames(f);
    const int before = *frames;
    f.form->OGLPanel1->requestPaint();
    return QTest::qWaitFor([&] { return *frames > before; }, 3000);
}

// The frames drawn by the time every frame asked for so far has been drawn: the panel draws what
// was asked for on the next turn of the event loop.
int settled(const int* frames)
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return *frames;
}

// A tick of the timer and the frames it drew.
int framesOfTick(EditorFixture& f, const int* frames)
{
    const int before = settled(frames);
    f.form->Timer1Timer();
    return settled(frames) - before;
}

// Inserts a sphere turned by `angle` degrees about (x, y, z).
void insertSphere(EditorFixture& f, double angle, double x, double y, double z)
{
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(0);
    w.Edit16->setText(EditorFixture::local(angle));
    w.Edit5->setText(EditorFixture::local(x));
    w.Edit6->setText(EditorFixture::local(y));
    w.Edit7->setText(EditorFixture::local(z));
    f.click(w.Button3);
}


} // namespace

class TestEditorView : public QObject
{
    Q_OBJECT

private slots:
    void insertedSphere_showsInItsColour();
    void closedTable_asksForNoFrameAndKeepsThePicture();
    void lightArrows_setTheLightsDiffuseColour();
    void missingModel_isToldOnceAndTheRestIsDrawn();
    void unreadableModel_isReportedOnceNamingTheFile();
    void stillScene_drawsOnNoTick_whileLabelAndClockMove();
    void eachChange_isDrawnAtOnce();
    void sphereTheClockTurns_isDrawnOnTheTicksThatTurnIt();
    void modelFileChanged_isDrawnAtTheNextTickOnly();
    void slowFrame_letsAClickInAndDropsTheFramesMeanwhile();
};

void TestEditorView::insertedSphere_showsInItsColour()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    insertColouredSphere(f, QColor(255, 0, 0));
    QVERIFY(drawFrame(f));
    const QImage picture = w.OGLPanel1->grabFramebuffer();
    const QColor centre = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    QVERIFY2(centre.red() > 2 * centre.green() && centre.red() > 2 * centre.blue() &&
                 centre.red() > 40,
             qPrintable(centre.name()));
    QCOMPARE(f.table().recordNumber(), 1); // the frame left the table on its last record
}

void TestEditorView::closedTable_asksForNoFrameAndKeepsThePicture()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    insertColouredSphere(f, QColor(255, 0, 0));
    QVERIFY(drawFrame(f));
    f.table().close();
    QVERIFY(!w.Timer1->isActive()); // the ticks are the test's own
    const int requests = w.OGLPanel1->paintRequests();
    for (int i = 0; i < 3; ++i)
        w.Timer1Timer();
    QCOMPARE(w.OGLPanel1->paintRequests(), requests);
    QCOMPARE(w.Label14->text(), QString("Registro atual: 1"));
    QCOMPARE(w.View.frameClock, 0.3);

    // A repaint Qt asks for meanwhile, here for a new size, still shows the last picture.
    w.OGLPanel1->resize(300, 300);
    const QImage picture = w.OGLPanel1->grabFramebuffer();
    QCOMPARE(picture.size(), QSize(300, 300));
    const QColor centre = picture.pixelColor(150, 150);
    QVERIFY2(centre.red() > 2 * centre.green() && centre.red() > 40, qPrintable(centre.name()));
}

void TestEditorView::lightArrows_setTheLightsDiffuseColour()
{
    EditorFixture f;
    showWindow(f);
    auto diffuse = [&](GLenum light) {
        GLfloat colour[4] = {};
        f.form->OGLPanel1->makeCurrent();
        glGetLightfv(light, GL_DIFFUSE, colour);
        f.form->OGLPanel1->doneCurrent();
        return colour[0];
    };
    QCOMPARE(diffuse(GL_LIGHT1), 0.3f);
    f.click(f.form->SpinButton2->upButton());
    QCOMPARE(diffuse(GL_LIGHT2), 0.33f);
    for (int i = 0; i < 30; ++i)
        f.form->SpinButton2UpClick();
    QCOMPARE(diffuse(GL_LIGHT3), 1.0f);
    for (int i = 0; i < 40; ++i)
        f.form->SpinButton2DownClick();
    QCOMPARE(diffuse(GL_LIGHT1), 0.0f);
}

void TestEditorView::missingModel_isToldOnceAndTheRestIsDrawn()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    w.RadioGroup1->setItemIndex(4);
    f.dialogs.fileNames << f.path("Objetos/sumiu.obj");
    f.click(w.Button3);
    w.RadioGroup1->setItemIndex(0);
    f.click(w.Button3);
    for (int i = 0; i < 4; ++i)
        QVERIFY(drawFrame(f));
    QTRY_COMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].startsWith("Load Model: Cannot find the model : "),
             qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.table().recordNumber(), 2); // the sphere after the model was still drawn

    // Opening the scene again tells it again.
    f.dialogs.fileNames << f.path("Cenas/cena");
    f.click(w.Button1);
    QVERIFY(drawFrame(f));
    QTRY_COMPARE(f.dialogs.messages.size(), 2);
}

void TestEditorView::unreadableModel_isReportedOnceNamingTheFile()
{
    EditorFixture f;
    showWindow(f);
    QDir().mkpath(f.path("Objetos"));
    QFile model(f.path("Objetos/torto.obj"));
    QVERIFY(model.open(QIODevice::WriteOnly));
    model.write("v 0 0 0\nv 1 0 zero\n");
    model.close();
    f.form->RadioGroup1->setItemIndex(4);
    f.dialogs.fileNames << f.path("Objetos/torto.obj");
    f.click(f.form->Button3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(drawFrame(f));
    QTRY_COMPARE(f.dialogs.errors.size(), 1);
    QCOMPARE(f.dialogs.errors[0],
             "'ZERO' is not a valid floating point value\n\nArquivo: " + f.path("Cenas/torto.obj"));
}

void TestEditorView::stillScene_drawsOnNoTick_whileLabelAndClockMove()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    insertSphere(f, 45, 0, 0, 1);   // about z: the clock only lengthens the axis
    insertSphere(f, 0, 1, 0, 0);    // no turn at all
    w.RadioGroup1->setItemIndex(2); // a cube turned about x: the clock turns spheres only
    w.Edit16->setText("30");
    w.Edit5->setText("1");
    w.Edit7->setText("0");
    f.click(w.Button3);
    int* frames = countFrames(f);
    QTRY_VERIFY(settled(frames) > 0);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(framesOfTick(f, frames), 0);
    QCOMPARE(w.Label14->text(), QString("Registro atual: 3"));
    QCOMPARE(w.View.frameClock, 0.1 * 5);
}

void TestEditorView::eachChange_isDrawnAtOnce()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    insertSphere(f, 0, 0, 0, 1);
    insertSphere(f, 0, 0, 0, 1);
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"grid edit", [&] { w.DataSource1->setData(w.DataSource1->index(0, SceneField::X), "2"); }},
        {"record inserted", [&] { f.click(w.Button3); }},
        {"zoom", [&] { f.click(w.SpinButton1->upButton()); }},
        {"light", [&] { f.click(w.SpinButton2->downButton()); }},
        {"camera x", [&] { f.click(w.SpinButton3->upButton()); }},
        {"camera y", [&] { f.click(w.SpinButton4->downButton()); }},
        {"camera z", [&] { f.click(w.SpinButton5->upButton()); }},
        {"turned by the mouse",
         [&] {
             QTest::mousePress(w.OGLPanel1, Qt::LeftButton, {}, {300, 300});
             QTest::mouseMove(w.OGLPanel1, {330, 300});
             QTest::mouseRelease(w.OGLPanel1, Qt::LeftButton, {}, {330, 300});
         }},
        {"selected in the grid", [&] { w.DBGrid1->selectRow(1); }},
        {"window grown", [&] { w.resize(w.size() + QSize(40, 30)); }},
    };
    int* frames = countFrames(f);
    for (const auto& [name, change] : changes) {
        const int before = settled(frames);
        change();
        QVERIFY2(QTest::qWaitFor([&] { return *frames > before; }, 3000), name);
    }
}

void TestEditorView::sphereTheClockTurns_isDrawnOnTheTicksThatTurnIt()
{
    EditorFixture f;
    showWindow(f);
    insertSphere(f, 30, 0, 0, -1); // about -z until the first tick's 10 units make it +z
    int* frames = countFrames(f);
    QTRY_VERIFY(settled(frames) > 0);
    QCOMPARE(framesOfTick(f, frames), 1);
    QCOMPARE(framesOfTick(f, frames), 0);

    insertSphere(f, 30, 1, 0, 0); // the clock tips this axis further towards z on every tick
    QTRY_VERIFY(settled(frames) > 2);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(framesOfTick(f, frames), 1);
}

void TestEditorView::modelFileChanged_isDrawnAtTheNextTickOnly()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    QDir().mkpath(f.path("Cenas"));
    writeFile(f.path("Cenas/peca.mtl"), "newmtl A\nKd 1 0 0\n");
    writeFile(f.path("Cenas/peca.obj"),
              "mtllib peca.mtl\nusemtl A\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    w.RadioGroup1->setItemIndex(4);
    f.dialogs.fileNames << f.path("Cenas/peca.obj");
    f.click(w.Button3);
    int* frames = countFrames(f);
    QTRY_VERIFY(settled(frames) > 0);
    QCOMPARE(framesOfTick(f, frames), 0);

    writeFile(f.path("Cenas/peca.obj"),
              "mtllib peca.mtl\nv 0 0 0\nv 2.5 0 0\nv 0 2.5 0\nf 1 2 3\n");
    QCOMPARE(framesOfTick(f, frames), 1);
    QCOMPARE(framesOfTick(f, frames), 0);
    writeFile(f.path("Cenas/peca.mtl"), "newmtl A\nKd 0 0 0.5\n");
    QCOMPARE(framesOfTick(f, frames), 1);
    QVERIFY(QFile::remove(f.path("Cenas/peca.obj")));
    QCOMPARE(framesOfTick(f, frames), 1);
    QCOMPARE(framesOfTick(f, frames), 0);
    QCOMPARE(f.dialogs.errors, QStringList());
}

// A frame slower than the tick is followed by a rest: a click meanwhile is handled at once, and
// the frame it asks for is drawn once the rest is over.
void TestEditorView::slowFrame_letsAClickInAndDropsTheFramesMeanwhile()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    TOGLPanel& panel = *w.OGLPanel1;
    int frames = 0;
    bool drawnResting = false;
    panel.OnOGLPaint = [&, draw = panel.OnOGLPaint] {
        ++frames;
        drawnResting = drawnResting || panel.isResting();
        QThread::msleep(300);
        draw();
    };
    panel.requestPaint();
    QTRY_VERIFY(panel.isResting());
    const int slowFrames = frames;
    f.click(w.SpinButton1->upButton());
    f.click(w.SpinButton1->upButton());
    QCOMPARE(w.Label21->text(), "Zoom: " + QLocale().toString(2.0, 'f', 1));
    w.Timer1Timer();
    w.Timer1Timer();
    QCoreApplication::processEvents();
    QCOMPARE(frames, slowFrames); // resting: nothing drawn, nothing queued
    QTRY_COMPARE(frames, slowFrames + 1);
    QVERIFY(!drawnResting);
    QTest::qWait(700); // that frame's rest and more: the two clicks' requests made one frame
    QCOMPARE(frames, slowFrames + 1);
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorView)
#include "test_editor_view.moc"
