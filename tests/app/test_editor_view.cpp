// The window and its view together: frames follow the timer and the table, the light arrows reach
// OpenGL, what is inserted shows, and a missing model is told once.
#include "editorfixture.h"

#include <GL/gl.h>
#include <QOpenGLContext>
#include <QSignalSpy>
#include <QToolButton>

namespace {

// Shows the window and waits for the view's first picture.
void showWindow(EditorFixture& f)
{
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    QTRY_VERIFY(f.form->OGLPanel1->isActive());
}

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

// Asks for one frame the way the timer does and waits until it is drawn.
bool tick(EditorFixture& f)
{
    int* frames = countFrames(f);
    const int before = *frames;
    f.form->Timer1Timer();
    return QTest::qWaitFor([&] { return *frames > before; }, 3000);
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
};

void TestEditorView::insertedSphere_showsInItsColour()
{
    EditorFixture f;
    showWindow(f);
    TForm1& w = *f.form;
    w.Edit8->setText("4");
    w.Shape1->setBrushColor(QColor(255, 0, 0));
    f.click(w.Button3);
    QVERIFY(tick(f));
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
    w.Edit8->setText("4");
    w.Shape1->setBrushColor(QColor(255, 0, 0));
    f.click(w.Button3);
    QVERIFY(tick(f));
    f.table().close();
    QVERIFY(!w.Timer1->isActive()); // the ticks are the test's own
    const int requests = w.OGLPanel1->paintRequests();
    for (int i = 0; i < 3; ++i)
        w.Timer1Timer();
    QCOMPARE(w.OGLPanel1->paintRequests(), requests);
    QCOMPARE(w.Label14->text(), QString("Registro atual: 1"));
    QCOMPARE(w.View.frameClock, 0.1 + 0.3);

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
        QVERIFY(tick(f));
    QTRY_COMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].startsWith("Load Model: Cannot find the model : "),
             qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.dialogs.errors, QStringList());
    QCOMPARE(f.table().recordNumber(), 2); // the sphere after the model was still drawn

    // Opening the scene again tells it again.
    f.dialogs.fileNames << f.path("Cenas/cena");
    f.click(w.Button1);
    QVERIFY(tick(f));
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
        QVERIFY(tick(f));
    QTRY_COMPARE(f.dialogs.errors.size(), 1);
    QCOMPARE(f.dialogs.errors[0],
             "'ZERO' is not a valid floating point value\n\nArquivo: " + f.path("Cenas/torto.obj"));
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorView)
#include "test_editor_view.moc"
