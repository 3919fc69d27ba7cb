#include "glharness.h"
#include "shapes.h"
#include "sharedshapes.h"

#include <GL/gl.h>
#include <QTest>
#include <QVector3D>
#include <cmath>

namespace {

// The tests look at the scene through a 400 x 400 viewport onto the box -10..10 on every axis, so
// that window coordinates turn back into scene units: 20 pixels a unit, depth 0 at z = +10.
QVector3D toScene(const FeedbackVertex& v)
{
    return {v.x / 20.0f - 10, v.y / 20.0f - 10, 10 * (1 - 2.0f * v.z)};
}

void lookAtTheBox()
{
    glViewport(0, 0, 400, 400);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

struct Bounds
{
    QVector3D low{1e9, 1e9, 1e9}, high{-1e9, -1e9, -1e9};
};

Bounds boundsOf(const Feedback& feedback)
{
    Bounds b;
    for (const FeedbackVertex& v : feedback.vertices())
        for (int axis = 0; axis < 3; ++axis) {
            b.low[axis] = std::min(b.low[axis], toScene(v)[axis]);
            b.high[axis] = std::max(b.high[axis], toScene(v)[axis]);
        }
    return b;
}

bool near(double a, double b)
{
    return std::fabs(a - b) < 1e-3;
}

#define COMPARE_BOUNDS(bounds, x0, x1, y0, y1, z0, z1)                                             \
    do {                                                                                           \
        QVERIFY2(near(bounds.low.x(), x0) && near(bounds.high.x(), x1), "x span");                 \
        QVERIFY2(near(bounds.low.y(), y0) && near(bounds.high.y(), y1), "y span");                 \
        QVERIFY2(near(bounds.low.z(), z0) && near(bounds.high.z(), z1), "z span");                 \
    } while (false)

double area(const std::array<FeedbackVertex, 3>& t)
{
    const QVector3D a = toScene(t[0]);
    return QVector3D::crossProduct(toScene(t[1]) - a, toScene(t[2]) - a).length() / 2;
}

ShapePose at(double x, double y, double z)
{
    ShapePose pose;
    pose.x = x, pose.y = y, pose.z = z;
    return pose;
}

GLint modelviewDepth()
{
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

} // namespace

class TestShapes : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sphere_isScaledBeforeItIsMoved();
    void capsule_runsFromItsPositionAlongZ();
    void cube_spansItsSizesWithTenByTenQuadsPerFace();
    void cube_turnsAfterTheStretch_soItShears();
    void plane_isAWireGridSolvedForZ();
    void plane_withZeroC_isSolvedForYOrX_andAllZeroDrawsNothing();
    void drawers_leaveTheModelviewMatrixAsFound();
    void colours_sphereDefaultsToWhite_othersKeepTheCurrentColour();
    void blending_isOnOnlyWhileATranslucentSphereDraws();

private:
    std::unique_ptr<OffscreenGL> m_gl;
    std::unique_ptr<SharedShapes> m_lists;
};

void TestShapes::init()
{
    m_lists.reset();
    m_gl.reset(); // before the next one: its teardown leaves no context current
    m_gl = std::make_unique<OffscreenGL>(400, 400);
    QVERIFY(m_gl->isValid());
    m_lists = std::make_unique<SharedShapes>();
    lookAtTheBox();
}

void TestShapes::sphere_isScaledBeforeItIsMoved()
{
    ShapePose pose = at(1, 0, 0);
    pose.sx = pose.sy = pose.sz = 2;
    const Feedback f = captureFeedback([&] { drawSphere(*m_lists, 1, pose, {}); });
    QCOMPARE(f.triangles.size(), size_t(180)); // 10 x 10: two fans of 10 and 8 bands of 20
    for (const FeedbackVertex& v : f.vertices())
        QVERIFY(near(toScene(v).distanceToPoint({2, 0, 0}), 2));
    const Bounds b = boundsOf(f);
    QVERIFY(near(b.low.x() + b.high.x(), 4)); // centred on x = 2
    COMPARE_BOUNDS(b, b.low.x(), b.high.x(), -2, 2, -2, 2);
}

void TestShapes::capsule_runsFromItsPositionAlongZ()
{
    const Feedback f = captureFeedback([&] { drawCapsule(*m_lists, 1, 3, at(0, 0, 0), {}); });
    COMPARE_BOUNDS(boundsOf(f), -0.951, 0.951, -1, 1, -1, 4);

    ShapePose lying = at(1, 2, 3);
    lying.angle = 90;
    lying.axisX = 0, lying.axisY = 1, lying.axisZ = 0; // its z axis turned onto +x
    const Feedback turned = captureFeedback([&] { drawCapsule(*m_lists, 1, 3, lying, {}); });
    COMPARE_BOUNDS(boundsOf(turned), 0, 5, 1, 3, 3 - 0.951, 3 + 0.951);
}

void TestShapes::cube_spansItsSizesWithTenByTenQuadsPerFace()
{
    const Feedback f = captureFeedback([&] { drawCube(*m_lists, 2, 1, 1, at(0, 0, 0), {}); });
    QCOMPARE(f.otherPolygons, 0);
    QCOMPARE(f.triangles.size(), size_t(1200)); // 600 quads
    COMPARE_BOUNDS(boundsOf(f), -1, 1, -0.5, 0.5, -0.5, 0.5);
    double surface = 0;
    for (const auto& t : f.triangles)
        surface += area(t);
    QVERIFY(near(surface, 10)); // two 1 x 1 ends and four 2 x 1 sides, each covered once
}

void TestShapes::cube_turnsAfterTheStretch_soItShears()
{
    ShapePose pose = at(0, 0, 0);
    pose.angle = 45;
    const Feedback f = captureFeedback([&] { drawCube(*m_lists, 2, 1, 1, pose, {}); });
    // The unit cube turned 45 degrees reaches 0.7071 along x and y, then is stretched: a rigid
    // turn of the 2 x 1 box would reach 1.0607 on both.
    COMPARE_BOUNDS(boundsOf(f), -1.4142, 1.4142, -0.7071, 0.7071, -0.5, 0.5);
}

void TestShapes::plane_isAWireGridSolvedForZ()
{
    const Feedback f = captureFeedback([&] { drawPlane(0, 0, 1, -2, 10, 10, {}, GL_LINE_LOOP); });
    QCOMPARE(f.lines.size(), size_t(400)); // 100 cell outlines of four lines
    COMPARE_BOUNDS(boundsOf(f), -5, 5, -5, 5, 2, 2);
    for (const auto& line : f.lines) {
        const QVector3D a = toScene(line[0]), b = toScene(line[1]);
        QVERIFY(near(a.distanceToPoint(b), 1)); // unit cells
        QVERIFY(near(a.x(), b.x()) || near(a.y(), b.y()));
    }
}

void TestShapes::plane_withZeroC_isSolvedForYOrX_andAllZeroDrawsNothing()
{
    const Feedback wall = captureFeedback([&] { drawPlane(0, 2, 0, -6, 10, 8, {}, GL_LINE_LOOP); });
    QCOMPARE(wall.lines.size(), size_t(400));
    COMPARE_BOUNDS(boundsOf(wall), -5, 5, 3, 3, -4, 4); // y = 3, over x and z

    const Feedback slanted =
        captureFeedback([&] { drawPlane(1, 1, 0, 0, 4, 4, {}, GL_LINE_LOOP); });
    for (const FeedbackVertex& v : slanted.vertices())
        QVERIFY(near(toScene(v).y(), -toScene(v).x()));

    const Feedback side = captureFeedback([&] { drawPlane(2, 0, 0, 4, 6, 6, {}, GL_LINE_LOOP); });
    COMPARE_BOUNDS(boundsOf(side), -2, -2, -3, 3, -3, 3); // x = -2, over y and z

    const Feedback none = captureFeedback([&] { drawPlane(0, 0, 0, 1, 6, 6, {}, GL_LINE_LOOP); });
    QCOMPARE(none.primitiveCount(), size_t(0));
    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR)); // no primitive was left open
}

void TestShapes::drawers_leaveTheModelviewMatrixAsFound()
{
    glTranslatef(1, 2, 3);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const GLint depth = modelviewDepth();
    ShapePose pose = at(1, 2, 3);
    pose.angle = 30, pose.sx = 2;
    const std::function<void()> drawers[] = {
        [&] { drawSphere(*m_lists, 1, pose, {}); },
        [&] { drawCapsule(*m_lists, 1, 2, pose, {}); },
        [&] { drawCube(*m_lists, 1, 2, 3, pose, {}); },
        [&] { drawPlane(0, 0, 1, 0, 4, 4, {}, GL_LINE_LOOP); },
    };
    for (const auto& draw : drawers) {
        draw();
        QCOMPARE(modelviewDepth(), depth);
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        QVERIFY(std::equal(before, before + 16, after));
    }
    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
}

void TestShapes::colours_sphereDefaultsToWhite_othersKeepTheCurrentColour()
{
    glColor4f(0, 1, 0, 1);
    const Feedback sphere = captureFeedback([&] { drawSphere(*m_lists, 1, {}, {}); }, true);
    for (const FeedbackVertex& v : sphere.vertices())
        QVERIFY(v.r == 1 && v.g == 1 && v.b == 1);

    glColor4f(0, 1, 0, 1);
    const Feedback kept = captureFeedback(
        [&] {
            drawCapsule(*m_lists, 1, 1, {}, {});
            drawCube(*m_lists, 1, 1, 1, {}, {});
        },
        true);
    for (const FeedbackVertex& v : kept.vertices())
        QVERIFY(v.r == 0 && v.g == 1 && v.b == 0);

    const ShapeColour blue{0, 0, 1, 1, true};
    const Feedback own = captureFeedback([&] { drawCube(*m_lists, 1, 1, 1, {}, blue); }, true);
    for (const FeedbackVertex& v : own.vertices())
        QVERIFY(v.r == 0 && v.g == 0 && v.b == 1);
}

void TestShapes::blending_isOnOnlyWhileATranslucentSphereDraws()
{
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE); // one layer of the sphere over the centre
    auto centreAfter = [&](const std::function<void()>& draw) {
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        return m_gl->image().pixelColor(200, 200);
    };
    const ShapeColour halfRed{1, 0, 0, 0.5, true};
    const QColor blended = centreAfter([&] { drawSphere(*m_lists, 5, {}, halfRed); });
    QVERIFY(std::abs(blended.red() - 128) <= 1 && std::abs(blended.green() - 127) <= 1);
    QVERIFY(!glIsEnabled(GL_BLEND));

    const QColor opaque = centreAfter([&] { drawSphere(*m_lists, 5, {}, {1, 0, 0, 0, true}); });
    QCOMPARE(opaque.green(), 0);
    const QColor cube = centreAfter([&] { drawCube(*m_lists, 5, 5, 5, {}, halfRed); });
    QCOMPARE(cube.green(), 0); // only the sphere blends
}

QTEST_MAIN(TestShapes)
#include "test_shapes.moc"
