// The drawn bounds of a record: the ball must hold everything the frame draws for it and be no
// larger than it needs to be.
#include "drawnbounds.h"
#include "sceneviewfixture.h"
#include "tmodel.h"

#include <GL/gl.h>
#include <QMatrix4x4>
#include <QTest>
#include <cmath>

namespace {

double distance(Vec3 a, Vec3 b)
{
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// The scene points the frame drew for its records (the axes left out), mapped back from the
// window through the frame's own projection.
std::vector<Vec3> drawnPoints(SceneViewFixture& view)
{
    const Feedback f = captureFeedback([&] { view.renderer.drawFrame(); });
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const QMatrix4x4 unproject = QMatrix4x4(projection).transposed().inverted();
    std::vector<Vec3> points;
    const auto add = [&](const FeedbackVertex& v) {
        const QVector3D scene =
            unproject.map(QVector3D(v.x / 212.5f - 1, v.y / 212.5f - 1, 2 * v.z - 1));
        points.push_back({scene.x(), scene.y(), scene.z()});
    };
    for (size_t i = 3; i < f.lines.size(); ++i) // the first three are the axes
        for (const FeedbackVertex& v : f.lines[i])
            add(v);
    for (const auto& triangle : f.triangles)
        for (const FeedbackVertex& v : triangle)
            add(v);
    return points;
}

} // namespace

class TestDrawnBounds : public QObject
{
    Q_OBJECT

private slots:
    void ball_holdsWhatTheFrameDraws_andTouchesIt_data();
    void ball_holdsWhatTheFrameDraws_andTouchesIt();
    void recordsThatDrawNothingOrCannotBeBounded();
    void smallestBall_ofKnownPointSets();
};

void TestDrawnBounds::ball_holdsWhatTheFrameDraws_andTouchesIt_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<double>("touching"); // how close the farthest drawn point comes, at least
    // The sphere's tessellation need not have a vertex where the ellipsoid reaches farthest.
    QTest::newRow("scaled, turned sphere")
        << int(ElementKind::Esfera)
        << "Dim1=1.5 X=1 Y=-1 Z=0.5 SX=2 SY=1 SZ=0.5 Ang=30 eixoX=1 eixoY=1" << 0.95;
    QTest::newRow("turned capsule")
        << int(ElementKind::Capsula) << "Dim1=0.5 Dim2=3 X=-1 Y=1 Ang=60 eixoY=1" << 0.999;
    QTest::newRow("stretched cube sheared by its turn")
        << int(ElementKind::Cubo) << "Dim1=2 Dim2=1 Dim3=-3 X=1 Y=2 Z=-1 Ang=45 eixoX=1 eixoZ=1"
        << 0.999;
    QTest::newRow("plane solved for z")
        << int(ElementKind::Plano) << "Dim1=0.2 Dim2=0.1 Dim3=1 Dim4=-1 SX=6 SY=4" << 0.999;
    QTest::newRow("plane solved for y")
        << int(ElementKind::Plano) << "Dim1=1 Dim2=2 Dim3=0 Dim4=2 SX=3 SY=-5" << 0.999;
    QTest::newRow("scaled, turned model")
        << int(ElementKind::Arquivo)
        << "Arquivo=rampa.obj X=0.5 Y=1 SX=2 SY=1 SZ=1.5 Ang=90 eixoZ=1" << 0.999;
}

void TestDrawnBounds::ball_holdsWhatTheFrameDraws_andTouchesIt()
{
    QFETCH(int, kind);
    QFETCH(QString, fields);
    QFETCH(double, touching);
    SceneViewFixture view;
    appendRecord(view.table, kind, fields);
    const DrawnBounds bounds = drawnBounds(drawnRecordAt(view.table, 0), view.renderer.modelLookup);
    QCOMPARE(bounds.extent, DrawnBounds::Ball);
    const std::vector<Vec3> points = drawnPoints(view);
    QVERIFY(points.size() > 3);
    double farthest = 0;
    for (const Vec3& p : points)
        farthest = std::max(farthest, distance(p, bounds.centre));
    // Window depths come back as floats over the frame's 20000-unit depth range.
    QVERIFY2(farthest <= bounds.radius + 0.005,
             qPrintable(QString("%1 > %2").arg(farthest).arg(bounds.radius)));
    QVERIFY2(farthest >= touching * bounds.radius - 0.005,
             qPrintable(QString("%1 < %2").arg(farthest).arg(bounds.radius)));
    if (kind == ElementKind::Arquivo) { // the quick ball of the model's box holds it all too
        const DrawnRecord record = drawnRecordAt(view.table, 0);
        const DrawnBounds box = modelBoxBounds(*view.models.model(record.modelFile), record.pose);
        for (const Vec3& p : points)
            QVERIFY(distance(p, box.centre) <= box.radius + 0.005);
    }
}

void TestDrawnBounds::recordsThatDrawNothingOrCannotBeBounded()
{
    DrawnRecord record; // an unknown kind, a plane with no normal, an unreadable model
    for (int kind : {7, int(ElementKind::Plano), int(ElementKind::Arquivo)}) {
        record.kind = kind;
        QCOMPARE(drawnBounds(record, [](const std::string&) { return nullptr; }).extent,
                 DrawnBounds::Nothing);
    }
    record.kind = ElementKind::Esfera;
    QCOMPARE(drawnBounds(record).extent, DrawnBounds::Ball);
    record.dim[3] = std::nan(""); // even a value the kind does not use
    QCOMPARE(drawnBounds(record).extent, DrawnBounds::Unbounded);
}

void TestDrawnBounds::smallestBall_ofKnownPointSets()
{
    QCOMPARE(smallestBall({}).extent, DrawnBounds::Nothing);
    // A regular tetrahedron with points inside it: centred on its centre, through its corners.
    std::vector<Vec3> points = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};
    for (int i = 0; i < 50; ++i)
        points.push_back({0.01 * i - 0.25, 0.3 - 0.01 * i, 0.002 * i});
    DrawnBounds ball = smallestBall(points);
    QVERIFY(distance(ball.centre, {0, 0, 0}) < 1e-9);
    QVERIFY(std::abs(ball.radius - std::sqrt(3.0)) < 1e-9);
    // Points on a line, and in a plane: the ball of the two farthest apart.
    ball = smallestBall({{0, 0, 0}, {1, 1, 1}, {3, 3, 3}, {2, 2, 2}});
    QVERIFY(distance(ball.centre, {1.5, 1.5, 1.5}) < 1e-9);
    ball = smallestBall({{0, 0, 5}, {4, 0, 5}, {0, 3, 5}, {1, 1, 5}});
    QVERIFY(distance(ball.centre, {2, 1.5, 5}) < 1e-9);
}

QTEST_MAIN(TestDrawnBounds)
#include "test_drawnbounds.moc"
