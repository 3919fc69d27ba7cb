#include "literalscene.h"
#include "placedmodel.h"
#include "recordtable.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "sceneviewfixture.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <QMatrix4x4>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <initializer_list>

namespace {

// The scene view of the window, offscreen.
using View = SceneViewFixture;

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
    appendRecord(table, ElementKind::Esfera,
                 "Dim1=2 X=1 SX=1.5 SY=1 SZ=1 Ang=30 eixoX=1 R=255 G=40");
    appendRecord(table, ElementKind::Esfera, "Dim1=1.5 Y=-4 SX=1 SY=1 SZ=1 G=200 A=128 UsaCor=1");
    appendRecord(table, ElementKind::Capsula,
                 "Dim1=0.7 Dim2=3 X=-3 Y=2 Ang=60 eixoY=1 B=255 UsaCor=1");
    appendRecord(table, ElementKind::Cubo,
                 "Dim1=2 Dim2=1 Dim3=3 X=4 Y=4 Ang=45 eixoZ=1 R=90 G=90 B=255");
    appendRecord(table, ElementKind::Plano,
                 "Dim1=0.1 Dim2=0.2 Dim3=1 Dim4=3 SX=12 SY=8 R=255 G=255 UsaCor=1");
    appendRecord(table, ElementKind::Cubo, "Dim1=1 Dim2=1 Dim3=1 X=-5 Y=-5 R=200");
}

// Many records of every kind in a crowd, planes tilted every way (c = 0 among them), so that the
// shared shapes and the plane's outlines meet the same depths again and again.
void fillCrowdedScene(RecordTable& table)
{
    QRandomGenerator random(1208);
    auto n = [&](double low, double high) { return low + (high - low) * random.generateDouble(); };
    for (int i = 0; i < 200; ++i) {
        const int kind = i % 4;
        const double c = n(0.2, 1) * (i % 2 ? 1 : -1); // c = 0 is drawn apart on purpose
        appendRecord(
            table, kind,
            QString("Dim1=%1 Dim2=%2 Dim3=%3 Dim4=%4 X=%5 Y=%6 Z=%7 SX=%8 SY=%9 SZ=1 Ang=%10 "
                    "eixoX=%11 eixoZ=1 R=%12 G=%13 B=%14 A=%15 UsaCor=%16")
                .arg(kind == ElementKind::Plano ? n(-1, 1) : n(0.3, 1.5))
                .arg(kind == ElementKind::Plano ? n(-1, 1) : n(0.5, 2))
                .arg(kind == ElementKind::Plano ? c : n(0.5, 2))
                .arg(n(-3, 3))
                .arg(n(-8, 8))
                .arg(n(-8, 8))
                .arg(n(-4, 4))
                .arg(kind == ElementKind::Plano ? n(2, 6) : 1.0)
                .arg(kind == ElementKind::Plano ? n(2, 6) : 1.0)
                .arg(n(0, 90))
                .arg(n(0, 1))
                .arg(int(n(0, 256)))
                .arg(int(n(0, 256)))
                .arg(int(n(0, 256)))
                .arg(i % 8 == 0 ? 128 : 0)
                .arg(i % 3 == 0 ? 1 : 0));
    }
}

} // namespace

class TestSceneRenderer : public QObject
{
    Q_OBJECT

private slots:
    void frame_atZoomZero_looksFromTheEyeAtTheOriginWithZUp();
    void lightMarkers_enterTheViewAtZoom18And28();
    void litSphere_showsItsRecordColourWhateverUsaCor();
    void lightLevel_followsTheLightControlsToTheirBounds();
    void records_drawByKindInTableOrder_endingOnTheLastRecord();
    void closedTable_onlyClears();
    void sharedShapes_drawTheSamePictureAsPlainDrawing_data();
    void sharedShapes_drawTheSamePictureAsPlainDrawing();
};

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
    appendRecord(view.table, ElementKind::Esfera, "Dim1=5 SX=1 SY=1 SZ=1 R=255 UsaCor=1");
    const QImage coloured = view.frame();
    view.table.edit(1);
    view.table.setValue(SceneField::UsaCor, false);
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
    View view;
    const std::array<GLfloat, 4> lightZero = diffuseOf(GL_LIGHT0);
    for (auto [step, bound] : {std::pair{&ViewState::lightUp, 1.f}, {&ViewState::lightDown, 0.f}}) {
        for (int i = 0; i < 40; ++i)
            (view.state.*step)();
        view.renderer.applyLightLevel();
        for (GLenum light : {GL_LIGHT1, GL_LIGHT2, GL_LIGHT3})
            QCOMPARE(diffuseOf(light), (std::array<GLfloat, 4>{bound, bound, bound, 1}));
    }
    QCOMPARE(diffuseOf(GL_LIGHT0), lightZero);
}

void TestSceneRenderer::records_drawByKindInTableOrder_endingOnTheLastRecord()
{
    View view;
    appendRecord(view.table, 7, "Dim1=1");
    appendRecord(view.table, ElementKind::Esfera, "Dim1=1 SX=1 SY=1 SZ=1");
    appendRecord(view.table, ElementKind::Arquivo,
                 "Arquivo=Objetos/casa.obj UsaCor=1 X=1 Y=2 Z=3 SX=4 SY=5 "
                 "SZ=6 Ang=7 eixoX=8 eixoY=9 eixoZ=10 R=51 G=102 B=153 A=255");
    std::vector<PlacedModel> models;
    view.renderer.modelDrawer = [&](const PlacedModel& model) { models.push_back(model); };
    view.table.first();

    // The unknown kind draws nothing and the sphere after it is still drawn; the markers are
    // outside the view at zoom 0.
    const Feedback f = captureFeedback([&] { view.renderer.drawFrame(); });
    QCOMPARE(f.triangles.size(), size_t(180));
    QCOMPARE(view.table.recordNumber(), 3);
    QCOMPARE(models.size(), size_t(1));
    const PlacedModel& m = models[0];
    QCOMPARE(m.fileName, std::string("Objetos/casa.obj"));
    QVERIFY(m.useColour);
    const double got[] = {m.x,     m.y,     m.z,     m.sx, m.sy, m.sz, m.angle,
                          m.axisX, m.axisY, m.axisZ, m.r,  m.g,  m.b,  m.a};
    const double want[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.2, 0.4, 0.6, 1};
    for (int i = 0; i < 14; ++i)
        QCOMPARE(got[i], want[i]);
}

void TestSceneRenderer::closedTable_onlyClears()
{
    View view;
    appendRecord(view.table, ElementKind::Esfera, "Dim1=5 SX=1 SY=1 SZ=1");
    QTemporaryDir dir;
    view.table.setFileName(dir.filePath("cena.xml"));
    view.table.close();
    QCOMPARE(captureFeedback([&] { view.renderer.drawFrame(); }).primitiveCount(), size_t(0));
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const QImage image = view.frame();
    QCOMPARE(image.pixel(212, 212), qRgba(0, 0, 0, 0));
}

// The shared shapes must send what the plain drawing sends: same picture, every pixel, over a few
// frames, as the sphere axes turn with the clock; in a crowd, depths tie again and again.
void TestSceneRenderer::sharedShapes_drawTheSamePictureAsPlainDrawing_data()
{
    QTest::addColumn<bool>("crowded");
    QTest::newRow("one of each") << false;
    QTest::newRow("a crowd") << true;
}

void TestSceneRenderer::sharedShapes_drawTheSamePictureAsPlainDrawing()
{
    QFETCH(bool, crowded);
    const auto fill = crowded ? fillCrowdedScene : fillMixedScene;
    std::vector<QImage> compiled, plain;
    {
        View view;
        fill(view.table);
        for (int frame = 0; frame < 3; ++frame, view.state.frameClock += 0.1)
            compiled.push_back(view.frame());
    }
    {
        View view;
        fill(view.table);
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
