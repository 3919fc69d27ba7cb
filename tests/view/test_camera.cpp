// The view's camera: what the view state gives, and what the mouse's gestures do to it.
#include "camera.h"
#include "viewstate.h"

#include <QTest>
#include <cmath>

namespace {

double distance(Vec3 a, Vec3 b)
{
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

} // namespace

class TestCamera : public QObject
{
    Q_OBJECT

private slots:
    void untouched_isTheOffsetsEyeExactly_andTheBoxWidensItsLongerSide();
    void turning_keepsTheDistanceAndStopsShortOfThePoles();
    void panning_movesThePointLookedAtWithTheCursor();
    void level_andHeight_followTheCursor();
};

void TestCamera::untouched_isTheOffsetsEyeExactly_andTheBoxWidensItsLongerSide()
{
    ViewState view;
    view.cameraX = 0.1;
    view.zoom = -3;
    const ViewCamera square = viewCamera(view, 425, 425);
    QCOMPARE(square.eye.x, 5 + 0.1); // no trigonometry on the way: the same double
    QCOMPARE(square.eye.y, 5.0);
    QCOMPARE(square.eye.z, 2.5);
    QCOMPARE(square.centre.x, 0.0);
    QCOMPARE(square.halfWidth, 7.0);
    QCOMPARE(square.halfHeight, 7.0);
    const ViewCamera wide = viewCamera(view, 850, 425);
    QCOMPARE(wide.halfWidth, 14.0);
    QCOMPARE(wide.halfHeight, 7.0);
    const ViewCamera tall = viewCamera(view, 425, 850);
    QCOMPARE(tall.halfWidth, 7.0);
    QCOMPARE(tall.halfHeight, 14.0);
    QCOMPARE(wide.unitsPerPixel(), tall.unitsPerPixel());
}

void TestCamera::turning_keepsTheDistanceAndStopsShortOfThePoles()
{
    ViewState view;
    const Vec3 origin;
    const double reach = distance(viewCamera(view, 100, 100).eye, origin);
    turnView(view, 180, 0); // half a turn to the left: 90 degrees
    const ViewCamera turned = viewCamera(view, 100, 100);
    QVERIFY(std::fabs(distance(turned.eye, origin) - reach) < 1e-9);
    QVERIFY(std::fabs(turned.eye.z - 2.5) < 1e-9);
    QVERIFY(std::fabs(turned.eye.x - 5) < 1e-9 && std::fabs(turned.eye.y + 5) < 1e-9);

    turnView(view, 0, 10000); // far past the top
    const ViewCamera top = viewCamera(view, 100, 100);
    const double elevation = std::asin(top.eye.z / reach) * 180 / M_PI;
    QVERIFY2(elevation > 88.9 && elevation < 89.1, qPrintable(QString::number(elevation)));
    turnView(view, 0, -20); // turning back answers at once
    QVERIFY(viewCamera(view, 100, 100).eye.z < top.eye.z);
    turnView(view, 0, -10000);
    QVERIFY(viewCamera(view, 100, 100).eye.z < 0);
    QVERIFY(std::isfinite(viewCamera(view, 100, 100).up().z));

    view.restoreView();
    QCOMPARE(viewCamera(view, 100, 100).eye.x, 5.0);
}

void TestCamera::panning_movesThePointLookedAtWithTheCursor()
{
    ViewState view;
    const ViewCamera before = viewCamera(view, 400, 300);
    const Vec3 grabbed = pointUnder(before, 100, 80);
    panView(view, 30, -20, 400, 300);
    const ViewCamera after = viewCamera(view, 400, 300);
    // What was under the cursor is under it again where it went.
    QVERIFY(distance(pointUnder(after, 130, 60), grabbed) < 1e-9);
    QVERIFY(std::fabs(distance(after.eye, after.centre) - distance(before.eye, before.centre)) <
            1e-9);
}

void TestCamera::level_andHeight_followTheCursor()
{
    ViewState view;
    const ViewCamera camera = viewCamera(view, 425, 425);
    Vec3 a, b;
    QVERIFY(pointOnLevel(camera, 212, 212, 0, a));
    QVERIFY(distance(a, Vec3{}) < 0.05); // the centre pixel looks at the origin
    QVERIFY(pointOnLevel(camera, 300, 150, 2, b));
    QVERIFY(std::fabs(b.z - 2) < 1e-9);
    double rise = 0;
    QVERIFY(heightForPixels(camera, 10, rise));
    QVERIFY(rise > 0);
    // Straight down onto the level, heights do not show; along the level, it is never met.
    view.tilt = 90;
    QVERIFY(!heightForPixels(viewCamera(view, 425, 425), 10, rise));
    view.tilt = -std::atan2(2.5, std::hypot(5, 5)) * 180 / M_PI;
    QVERIFY(!pointOnLevel(viewCamera(view, 425, 425), 212, 212, 0, a));
}

QTEST_APPLESS_MAIN(TestCamera)
#include "test_camera.moc"
