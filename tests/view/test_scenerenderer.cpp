#include "glharness.h"
#include "literalscene.h"
#include "recordtable.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <QLocale>
#include <QMatrix4x4>
#include <QTest>
#include <initializer_list>

namespace {

using Values = std::initializer_list<std::pair<SceneField, FieldValue>>;

void append(RecordTable& table, ElementKind kind, Values values)
{
    table.insert();
    table.setValue(ODETipo, qint32(kind));
    for (const auto& [field, value] : values)
        table.setValue(field, value);
    table.post();
}

// A scene view as the window has it: an open scene table, the view state and the renderer, drawing
// into a 425 x 425 framebuffer with the view set up.
struct View
{
    OffscreenGL gl;
    RecordTable table;
    ViewState state;
    SceneRenderer renderer{table, state};

    View()
    {
        defineSceneFields(table);
        table.createDataSet();
        renderer.setUpView();
    }
    QImage frame()
    {
        renderer.drawFrame();
        return gl.image();
    }
};

bool isYellow(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) > 200 && qBlue(pixel) < 60;
}

// Where yellow shows in the picture: which of its top, lower-left and lower-right parts.
QString yellowParts(const QImage& image)
{
    bool top = false, lowerLeft = false, lowerRight = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (!isYellow(image.pixel(x, y)))
                continue;
            const bool lower = y > image.height() / 2;
            top |= !lower;
            lowerLeft |= lower && x < image.width() / 2;
            lowerRight |= lower && x >= image.width() / 2;
        }
    return QStringLiteral("%1%2%3").arg(top ? "T" : "", lowerLeft ? "L" : "",
                                        lowerRight ? "R" : "");
}

std::array<GLfloat, 4> diffuseOf(GLenum light)
{
    std::array<GLfloat, 4> colour{};
    glGetLightfv(light, GL_DIFFUSE, colour.data());
    return colour;
}

// A scene with every kind, translucent and opaque, turned, coloured or not.
void fillMixedScene(RecordTable& table)
{
    append(table, Esfera,
           {{Dim1, 2.0},
            {X, 1.0},
            {SX, 1.5},
            {SY, 1.0},
            {SZ, 1.0},
            {Ang, 30.0},
            {EixoX, 1.0},
            {R, 255.0},
            {G, 40.0},
            {B, 0.0},
            {A, 0.0}});
    append(table, Esfera,
           {{Dim1, 1.5},
            {Y, -4.0},
            {SX, 1.0},
            {SY, 1.0},
            {SZ, 1.0},
            {G, 200.0},
            {A, 128.0},
            {UsaCor, true}});
    append(table, Capsula,
           {{Dim1, 0.7},
            {Dim2, 3.0},
            {X, -3.0},
            {Y, 2.0},
            {Ang, 60.0},
            {EixoY, 1.0},
            {B, 255.0},
            {UsaCor, true}});
    append(table, Cubo,
           {{Dim1, 2.0},
            {Dim2, 1.0},
            {Dim3, 3.0},
            {X, 4.0},
            {Y, 4.0},
            {Ang, 45.0},
            {EixoZ, 1.0},
            {R, 90.0},
            {G, 90.0},
            {B, 255.0}});
    append(table, Plano,
           {{Dim1, 0.1},
            {Dim2, 0.2},
            {Dim3, 1.0},
            {Dim4, 3.0},
            {SX, 12.0},
            {SY, 8.0},
            {R, 255.0},
            {G, 255.0},
            {UsaCor, true}});
    append(table, Cubo, {{Dim1, 1.0}, {Dim2, 1.0}, {Dim3, 1.0}, {X, -5.0}, {Y, -5.0}, {R, 200.0}});
}

} // namespace

class TestSceneRenderer : public QObject
{
    Q_OBJECT

private slots:
    void frame_leavesTheTableOnItsLastRecord();
    void frame_atZoomZero_looksFromTheEyeAtTheOriginWithZUp();
    void lightMarkers_enterTheViewAtZoom18And28();
    void litSphere_showsItsRecordColourWhateverUsaCor();
    void lightLevel_followsTheLightControlsToTheirBounds();
    void records_drawByKind_andModelsGetTheirValuesInOrder();
    void closedTable_onlyClears();
    void compiledShapes_drawTheSamePictureAsPlainDrawing();
};

void TestSceneRenderer::frame_leavesTheTableOnItsLastRecord()
{
    View view;
    for (int i = 0; i < 3; ++i)
        append(view.table, Esfera, {{Dim1, 1.0}});
    view.table.first();
    view.renderer.drawFrame();
    QCOMPARE(view.table.recordNumber(), 3);
}

void TestSceneRenderer::frame_atZoomZero_looksFromTheEyeAtTheOriginWithZUp()
{
    View view;
    view.renderer.drawFrame();
    QMatrix4x4 expected;
    expected.ortho(-10, 10, -10, 10, -10000, 10000);
    expected.lookAt({5, 5, 2.5}, {0, 0, 0}, {0, 0, 1});
    GLfloat projection[16], modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    QVERIFY(qFuzzyCompare(QMatrix4x4(projection).transposed(), expected));
    QVERIFY(QMatrix4x4(modelview).isIdentity());

    // The axes start at the centre of the picture; z, 10 long, points straight up.
    const Feedback axes = captureFeedback([&] { view.renderer.drawFrame(); });
    QCOMPARE(axes.lines.size(), size_t(3));
    for (const auto& line : axes.lines)
        QVERIFY(qAbs(line[0].x - 212.5) < 0.01 && qAbs(line[0].y - 212.5) < 0.01);
    const FeedbackVertex zEnd = axes.lines[2][1];
    const QVector3D projected = expected.map(QVector3D(0, 0, 10));
    QVERIFY(qAbs(zEnd.x - 212.5) < 0.01);
    QVERIFY(qAbs(zEnd.y - (projected.y() + 1) * 212.5) < 0.01 && zEnd.y > 212.5);
}

void TestSceneRenderer::lightMarkers_enterTheViewAtZoom18And28()
{
    View view;
    const std::pair<double, QString> expected[] = {
        {0, ""}, {17, ""}, {18, "LR"}, {27, "LR"}, {28, "TLR"}};
    for (const auto& [zoom, parts] : expected) {
        view.state.zoom = zoom;
        QCOMPARE(yellowParts(view.frame()), parts);
    }
}

void TestSceneRenderer::litSphere_showsItsRecordColourWhateverUsaCor()
{
    View view;
    append(view.table, Esfera,
           {{Dim1, 5.0}, {SX, 1.0}, {SY, 1.0}, {SZ, 1.0}, {R, 255.0}, {UsaCor, true}});
    const QImage coloured = view.frame();
    view.table.edit();
    view.table.setValue(UsaCor, false);
    view.table.post();
    const QImage plain = view.frame();

    const QRgb centre = coloured.pixel(212, 212);
    QVERIFY2(qRed(centre) > 100 && qRed(centre) > 3 * qGreen(centre),
             qPrintable(QColor(centre).name()));
    QCOMPARE(qGreen(centre), qBlue(centre)); // only the ambient grey besides the red
    QCOMPARE(plain, coloured);
}

void TestSceneRenderer::lightLevel_followsTheLightControlsToTheirBounds()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    View view;
    const std::array<GLfloat, 4> lightZero = diffuseOf(GL_LIGHT0);
    for (int i = 0; i < 30; ++i)
        view.state.lightUp();
    view.renderer.applyLightLevel();
    QCOMPARE(view.state.lightText(), QString("Luz: 1,00"));
    for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3})
        QCOMPARE(diffuseOf(light), (std::array<GLfloat, 4>{1, 1, 1, 1}));

    for (int i = 0; i < 40; ++i)
        view.state.lightDown();
    view.renderer.applyLightLevel();
    QCOMPARE(view.state.lightText(), QString("Luz: 0,00"));
    for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3})
        QCOMPARE(diffuseOf(light), (std::array<GLfloat, 4>{0, 0, 0, 1}));
    QCOMPARE(diffuseOf(GL_LIGHT0), lightZero);
    QLocale::setDefault(QLocale::c());
}

void TestSceneRenderer::records_drawByKind_andModelsGetTheirValuesInOrder()
{
    View view;
    append(view.table, ElementKind(7), {{Dim1, 1.0}});
    append(view.table, Esfera, {{Dim1, 1.0}, {SX, 1.0}, {SY, 1.0}, {SZ, 1.0}});
    append(view.table, ArquivoKind,
           {{Arquivo, QString("Objetos/casa.obj")},
            {UsaCor, true},
            {X, 1.0},
            {Y, 2.0},
            {Z, 3.0},
            {SX, 4.0},
            {SY, 5.0},
            {SZ, 6.0},
            {Ang, 7.0},
            {EixoX, 8.0},
            {EixoY, 9.0},
            {EixoZ, 10.0},
            {R, 51.0},
            {G, 102.0},
            {B, 153.0},
            {A, 255.0}});
    std::vector<ModelRecord> models;
    view.renderer.modelDrawer = [&](const ModelRecord& model) { models.push_back(model); };

    // The unknown kind draws nothing and the sphere after it is still drawn; the markers are
    // outside the view at zoom 0.
    const Feedback f = captureFeedback([&] { view.renderer.drawFrame(); });
    QCOMPARE(f.triangles.size(), size_t(180));
    QCOMPARE(models.size(), size_t(1));
    const ModelRecord& m = models[0];
    QCOMPARE(m.fileName, QString("Objetos/casa.obj"));
    QVERIFY(m.useColour);
    const double got[] = {m.x,     m.y,     m.z,     m.sx, m.sy, m.sz, m.angle,
                          m.axisX, m.axisY, m.axisZ, m.r,  m.g,  m.b,  m.a};
    const double want[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.2, 0.4, 0.6, 1};
    for (int i = 0; i < 14; ++i)
        QCOMPARE(got[i], want[i]);
}

void TestSceneRenderer::closedTable_onlyClears()
{
    OffscreenGL gl;
    RecordTable table;
    defineSceneFields(table);
    ViewState state;
    SceneRenderer renderer(table, state);
    renderer.setUpView();
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    QCOMPARE(captureFeedback([&] { renderer.drawFrame(); }).primitiveCount(), size_t(0));
    renderer.drawFrame();
    const QImage image = gl.image();
    QCOMPARE(image.pixel(0, 0), qRgba(0, 0, 0, 0));
    QCOMPARE(image.pixel(212, 212), qRgba(0, 0, 0, 0));
}

// The display lists must send what the plain drawing sends: same picture, every pixel, over a few
// frames (the first compiles, the later ones replay, and the sphere axes turn with the clock).
void TestSceneRenderer::compiledShapes_drawTheSamePictureAsPlainDrawing()
{
    std::vector<QImage> compiled, plain;
    {
        View view;
        fillMixedScene(view.table);
        for (int frame = 0; frame < 3; ++frame, view.state.frameClock += 0.1)
            compiled.push_back(view.frame());
    }
    {
        View view;
        fillMixedScene(view.table);
        for (int frame = 0; frame < 3; ++frame, view.state.frameClock += 0.1) {
            drawLiteralFrame(view.table, view.state);
            plain.push_back(view.gl.image());
        }
    }
    for (size_t i = 0; i < compiled.size(); ++i)
        QVERIFY2(compiled[i] == plain[i], qPrintable(QString("frame %1 differs").arg(i)));
    QVERIFY(compiled[0] != compiled[1]); // the clock did turn something
}

QTEST_MAIN(TestSceneRenderer)
#include "test_scenerenderer.moc"
