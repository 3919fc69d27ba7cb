#include "dialogs.h"
#include "error.h"
#include "exceptionhandler.h"
#include "glsupport.h"
#include "oglpanel.h"

#include <GL/gl.h>
#include <QMatrix4x4>
#include <QOpenGLContext>
#include <QTest>
#include <utility>

namespace {

// Answers every dialog at once and writes down what it was shown.
class ScriptedDialogs : public Dialogs
{
public:
    QStringList shown;
    std::function<void()> whileErrorShows; // runs as if inside the error box's own event loop
    int openBoxes = 0, mostOpenBoxes = 0;

    void message(const QString&, const QString& text) override { shown << "message: " + text; }
    void error(const QString& text, const QString& kind) override
    {
        shown << QStringLiteral("error: %1 [%2]").arg(text, kind);
        mostOpenBoxes = std::max(mostOpenBoxes, ++openBoxes);
        if (whileErrorShows && openBoxes == 1)
            std::exchange(whileErrorShows, {})(); // once
        --openBoxes;
    }
    bool confirm(const QString&) override { return true; }
    bool askYesNo(const QString&) override { return true; }
    QString openFileName(const FileDialogOptions&) override { return {}; }
    QString saveFileName(const FileDialogOptions&) override { return {}; }
    std::optional<QColor> chooseColour(const QColor&) override { return std::nullopt; }
};

// A form as the window is one: its destroy handler runs first thing in its destructor.
class Form : public QWidget
{
public:
    TNotifyEvent OnDestroy;
    TOGLPanel* panel = new TOGLPanel(this, &OnDestroy);

    Form()
    {
        resize(500, 500);
        panel->setGeometry(0, 0, 425, 425);
    }
    ~Form() override
    {
        if (OnDestroy)
            OnDestroy(this);
    }
    bool showAndSettle()
    {
        show();
        const bool exposed = QTest::qWaitForWindowExposed(this);
        settle();
        return exposed;
    }
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
};

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

QMatrix4x4 matrix(GLenum name)
{
    GLfloat m[16];
    glGetFloatv(name, m);
    return QMatrix4x4(m).transposed();
}

} // namespace

class TestOGLPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestedFormat_carriesTheRequestCutToEightBits();
    void loaded_appliesEnablesProjectionAndClearColour_data();
    void loaded_appliesEnablesProjectionAndClearColour();
    void loaded_failing_reportsTheStepAndStaysInactive_data();
    void loaded_failing_reportsTheStepAndStaysInactive();
    void resize_paintsAtOnceOnlyWhenTheSizeDidNotGrow();
    void checkGLError_andTheHandlerOfTheLastLoadedPanel_reportGLErrors();
    void teardown_releasesThenBeforeDestroyThenTheFormsOwnHandler();
    void failedFrame_restoresTheStacksAndReportsOnceWithoutStacking();

private:
    ScriptedDialogs m_dialogs;
};

void TestOGLPanel::init()
{
    m_dialogs = ScriptedDialogs();
    setDialogs(&m_dialogs);
    setApplicationExceptionHandler({});
}

void TestOGLPanel::cleanup()
{
    setDialogs(nullptr);
    setApplicationExceptionHandler({});
}

void TestOGLPanel::requestedFormat_carriesTheRequestCutToEightBits()
{
    Form form;
    TOGLPanel& panel = *form.panel;
    QCOMPARE(panel.requestedFormat().swapBehavior(), QSurfaceFormat::SingleBuffer);
    panel.pfdFlags.insert(TPFDFlag::DoubleBuffer);
    QCOMPARE(panel.pfdFlags.bits(), quint16(0x25)); // the window's own request
    panel.ColorBits = 256;
    panel.StencilBits = 0x108;
    const QSurfaceFormat format = panel.requestedFormat();
    QCOMPARE(format.swapBehavior(), QSurfaceFormat::DoubleBuffer);
    QCOMPARE(format.redBufferSize() + format.greenBufferSize() + format.blueBufferSize(), 0);
    QCOMPARE(format.depthBufferSize(), 32);
    QCOMPARE(format.stencilBufferSize(), 8);
    QVERIFY(form.showAndSettle()); // 0 colour bits asks for any: the panel still loads
    QVERIFY(panel.isActive());
}

void TestOGLPanel::loaded_appliesEnablesProjectionAndClearColour_data()
{
    QTest::addColumn<TProjection>("projection");
    QTest::addColumn<TEnables>("enable");
    QTest::newRow("orthographic, depth test only")
        << TProjection::Orthographic << TEnables{TEnable::depthTest};
    QTest::newRow("perspective, culling and lighting")
        << TProjection::Perspective << TEnables{TEnable::cullFace, TEnable::Lighting};
}

void TestOGLPanel::loaded_appliesEnablesProjectionAndClearColour()
{
    QFETCH(TProjection, projection);
    QFETCH(TEnables, enable);
    Form form;
    TOGLPanel& panel = *form.panel;
    panel.Projection = projection;
    panel.Enable = enable;
    panel.prxLeft = -2, panel.prxRight = 2, panel.prxNear = 1, panel.prxFar = 7;
    panel.ClearRed = 0.25f, panel.ClearGreen = 0.5f, panel.ClearBlue = 0.75f;
    int loads = 0;
    panel.AfterLoad = [&](QObject* sender) {
        ++loads;
        QCOMPARE(sender, &panel);
        QCOMPARE(QOpenGLContext::currentContext(), panel.context());
    };
    QVERIFY(form.showAndSettle());
    QVERIFY(panel.isActive());
    QCOMPARE(loads, 1);
    QVERIFY(m_dialogs.shown.isEmpty());

    QMatrix4x4 box;
    if (projection == TProjection::Orthographic)
        box.ortho(-2, 2, -1, 1, 1, 7);
    else
        box.frustum(-2, 2, -1, 1, 1, 7);
    panel.runWithContext([&] {
        QCOMPARE(bool(glIsEnabled(GL_DEPTH_TEST)), enable.contains(TEnable::depthTest));
        QCOMPARE(bool(glIsEnabled(GL_CULL_FACE)), enable.contains(TEnable::cullFace));
        QCOMPARE(bool(glIsEnabled(GL_LIGHTING)), enable.contains(TEnable::Lighting));
        QVERIFY(qFuzzyCompare(matrix(GL_PROJECTION_MATRIX), box));
        QCOMPARE(integer(GL_MATRIX_MODE), GL_PROJECTION);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        QCOMPARE(QVector4D(clear[0], clear[1], clear[2], clear[3]), QVector4D(0.25, 0.5, 0.75, 1));
    });
}

void TestOGLPanel::loaded_failing_reportsTheStepAndStaysInactive_data()
{
    QTest::addColumn<bool>("coreProfile");
    QTest::addColumn<QString>("report");
    QTest::newRow("frustum with near 0")
        << false << "error: Error in Loaded\rinvalid value [GLError]";
    QTest::newRow("core profile") << true << "error: ChoosePixelFormat failed (OpenGL ";
}

void TestOGLPanel::loaded_failing_reportsTheStepAndStaysInactive()
{
    QFETCH(bool, coreProfile);
    QFETCH(QString, report);
    const QSurfaceFormat usual = QSurfaceFormat::defaultFormat();
    if (coreProfile) {
        QSurfaceFormat core = usual;
        core.setVersion(3, 3);
        core.setProfile(QSurfaceFormat::CoreProfile);
        QSurfaceFormat::setDefaultFormat(core);
    }
    Form form;
    form.panel->prxNear = coreProfile ? 1 : 0;
    int loads = 0;
    form.panel->AfterLoad = [&](QObject*) { ++loads; };
    const bool exposed = form.showAndSettle();
    QSurfaceFormat::setDefaultFormat(usual);
    QVERIFY(exposed);
    QCOMPARE(m_dialogs.shown.size(), 1);
    QVERIFY2(m_dialogs.shown[0].startsWith(report), qPrintable(m_dialogs.shown[0]));
    QVERIFY(!form.panel->isActive());
    QCOMPARE(loads, 0);
}

void TestOGLPanel::resize_paintsAtOnceOnlyWhenTheSizeDidNotGrow()
{
    Form form;
    TOGLPanel& panel = *form.panel;
    int paints = 0;
    panel.OnOGLPaint = [&] { ++paints; };
    panel.Resize(); // before loading: nothing at all
    QCOMPARE(paints, 0);

    panel.setUpdatesEnabled(false); // leaves only the paints that Resize makes itself
    QVERIFY(form.showAndSettle());
    QCOMPARE(paints, 0); // the first resize comes from 0 x 0
    panel.Resize();
    QCOMPARE(paints, 1); // the same size counts as shrinking
    panel.resize(400, 400);
    QCOMPARE(paints, 2);
    panel.resize(410, 300); // wider, though lower
    QCOMPARE(paints, 2);
    panel.resize(410, 200);
    QCOMPARE(paints, 3);
    GLint viewport[4];
    panel.runWithContext([&] { glGetIntegerv(GL_VIEWPORT, viewport); });
    const qreal ratio = panel.devicePixelRatio();
    QCOMPARE(viewport[2], int(410 * ratio));
    QCOMPARE(viewport[3], int(200 * ratio));
}

void TestOGLPanel::checkGLError_andTheHandlerOfTheLastLoadedPanel_reportGLErrors()
{
    Form first, second;
    QVERIFY(first.showAndSettle());
    QVERIFY(second.showAndSettle());
    first.panel->runWithContext([&] {
        first.panel->CheckGLError("Nada"); // nothing pending: no error
        glEnable(0x7FFF);
        try {
            first.panel->CheckGLError("Teste");
            QFAIL("nothing raised");
        } catch (const GLError& error) {
            QCOMPARE(error.message(), QString("Error in Teste\rinvalid enumerant"));
        }
        glEnable(0x7FFF); // left pending: this panel's handler is not the one installed
    });
    second.panel->runWithContext([] { glLineWidth(-1); });
    handleApplicationException(TableError("Record not found"));
    QCOMPARE(m_dialogs.shown,
             QStringList({"error: Record not found [TableError]", "message: invalid value"}));
    second.panel->runWithContext([] { QCOMPARE(glGetError(), GLenum(GL_NO_ERROR)); });
    first.panel->runWithContext([] { QCOMPARE(glGetError(), GLenum(GL_INVALID_ENUM)); });
}

void TestOGLPanel::teardown_releasesThenBeforeDestroyThenTheFormsOwnHandler()
{
    QStringList order;
    {
        Form form;
        form.OnDestroy = [&](QObject* sender) {
            order << QString("form's own: %1").arg(sender == &form);
        };
        // A panel made after the form set its own handler: the panel's teardown runs first.
        auto* panel = new TOGLPanel(&form, &form.OnDestroy);
        panel->BeforeDestroy = [&](QObject* sender) {
            order << QString("BeforeDestroy: active %1, current %2, sender %3")
                         .arg(panel->isActive())
                         .arg(QOpenGLContext::currentContext() == panel->context())
                         .arg(sender == panel);
        };
        QVERIFY(form.showAndSettle());
        panel->makeCurrent();
    }
    QCOMPARE(order, QStringList({"BeforeDestroy: active 0, current 0, sender 1", "form's own: 1"}));

    order.clear(); // a panel deleted before its form leaves the form's own handler working
    {
        Form form;
        form.OnDestroy = [&](QObject*) { order << "form's own"; };
        delete new TOGLPanel(&form, &form.OnDestroy);
    }
    QCOMPARE(order, QStringList({"form's own"}));
}

void TestOGLPanel::failedFrame_restoresTheStacksAndReportsOnceWithoutStacking()
{
    Form form;
    TOGLPanel& panel = *form.panel;
    bool failing = false;
    int paints = 0;
    panel.OnOGLPaint = [&] {
        ++paints;
        if (!failing)
            return;
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glPushMatrix();
        glPushAttrib(GL_ENABLE_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        // A drawer closes what it began before it throws.
        glBegin(GL_LINES);
        glVertex3f(0, 0, 0);
        glEnd();
        throw TableError("Record not found");
    };
    QVERIFY(form.showAndSettle());
    GLint depths[3];
    auto readDepths = [&](GLint* into) {
        panel.runWithContext([&] {
            into[0] = integer(GL_MODELVIEW_STACK_DEPTH);
            into[1] = integer(GL_PROJECTION_STACK_DEPTH);
            into[2] = integer(GL_ATTRIB_STACK_DEPTH);
        });
    };
    readDepths(depths);

    failing = true;
    int paintsWhileShown = -1;
    m_dialogs.whileErrorShows = [&] {
        QVERIFY(panel.isReportingError());
        const int before = paints;
        panel.update();
        panel.grabFramebuffer();
        Form::settle();
        paintsWhileShown = paints - before;
    };
    panel.grabFramebuffer();            // the failing frame, drawn at once
    QVERIFY(m_dialogs.shown.isEmpty()); // reported from the event loop, not from inside the frame
    QVERIFY(panel.isReportingError());
    Form::settle();
    QCOMPARE(m_dialogs.shown, QStringList({"error: Record not found [TableError]"}));
    QCOMPARE(m_dialogs.mostOpenBoxes, 1);
    QCOMPARE(paintsWhileShown, 0);
    QVERIFY(!panel.isReportingError());

    GLint after[3];
    readDepths(after);
    QVERIFY(std::equal(depths, depths + 3, after));
    panel.runWithContext([] { QCOMPARE(integer(GL_MATRIX_MODE), GL_PROJECTION); });
    failing = false;
    const int before = paints;
    panel.grabFramebuffer();
    QCOMPARE(paints, before + 1); // the next frame draws again
}

QTEST_MAIN(TestOGLPanel)
#include "test_oglpanel.moc"
