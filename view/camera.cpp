#include "camera.h"

#include "viewstate.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {

const double pi = 3.14159265358979323846;
const double degreesPerPixel = 0.5;
const double steepestTilt = 89; // degrees above or below the point looked at

Vec3 normalised(Vec3 a, Vec3 fallback)
{
    const double n = length(a);
    return n > 1e-12 ? a * (1 / n) : fallback;
}

double radians(double degrees)
{
    return degrees * pi / 180;
}

// From the point looked at to the eye, before the mouse turns it: the offsets' own eye.
Vec3 baseOffset(const ViewState& view)
{
    return {5 + view.cameraX, 5 + view.cameraY, 2.5 + view.cameraZ};
}

// The base offset's elevation, in degrees.
double elevationOf(Vec3 offset)
{
    return std::atan2(offset.z, std::hypot(offset.x, offset.y)) * 180 / pi;
}

// The offset turned about z and tilted, keeping its length. Untouched by the mouse it is
// returned as it is, so that the picture is exactly the one the offsets alone give.
Vec3 turnedOffset(const ViewState& view)
{
    const Vec3 offset = baseOffset(view);
    if (view.turn == 0 && view.tilt == 0)
        return offset;
    const double distance = length(offset);
    const double azimuth = std::atan2(offset.y, offset.x) + radians(view.turn);
    const double elevation =
        radians(std::clamp(elevationOf(offset) + view.tilt, -steepestTilt, steepestTilt));
    return {distance * std::cos(elevation) * std::cos(azimuth),
            distance * std::cos(elevation) * std::sin(azimuth), distance * std::sin(elevation)};
}

} // namespace

Vec3 ViewCamera::forward() const
{
    return normalised(centre - eye, {0, 0, -1});
}

Vec3 ViewCamera::right() const
{
    return normalised(cross(forward(), {0, 0, 1}), {1, 0, 0});
}

Vec3 ViewCamera::up() const
{
    return cross(right(), forward());
}

ViewCamera viewCamera(const ViewState& view, int width, int height)
{
    ViewCamera camera;
    camera.width = std::max(width, 1);
    camera.height = std::max(height, 1);
    camera.centre = {view.targetX, view.targetY, view.targetZ};
    camera.eye = camera.centre + turnedOffset(view);
    const double half = 10 + view.zoom;
    camera.halfWidth = camera.halfHeight = half;
    if (camera.width > camera.height)
        camera.halfWidth = half * camera.width / camera.height;
    else if (camera.height > camera.width)
        camera.halfHeight = half * camera.height / camera.width;
    return camera;
}

void multiplyCamera(const ViewCamera& c)
{
    glMatrixMode(GL_PROJECTION);
    glOrtho(-c.halfWidth, c.halfWidth, -c.halfHeight, c.halfHeight, -viewDepth, viewDepth);
    gluLookAt(c.eye.x, c.eye.y, c.eye.z, c.centre.x, c.centre.y, c.centre.z, 0, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

Vec3 pointUnder(const ViewCamera& camera, double x, double y)
{
    const double across = (2 * (x + 0.5) / camera.width - 1) * camera.halfWidth;
    const double upwards = (1 - 2 * (y + 0.5) / camera.height) * camera.halfHeight;
    return camera.centre + camera.right() * across + camera.up() * upwards;
}

bool pointOnLevel(const ViewCamera& camera, double x, double y, double height, Vec3& point)
{
    const Vec3 onScreen = pointUnder(camera, x, y);
    const Vec3 along = camera.forward();
    if (std::fabs(along.z) < 1e-6)
        return false;
    const double t = (height - onScreen.z) / along.z;
    point = onScreen + along * t;
    return true;
}

bool heightForPixels(const ViewCamera& camera, double pixelsUp, double& height)
{
    const double shown = camera.up().z; // picture units per unit of z
    if (std::fabs(shown) < 0.05)
        return false;
    height = pixelsUp * camera.unitsPerPixel() / shown;
    return true;
}

void turnView(ViewState& view, double dx, double dy)
{
    view.turn = std::remainder(view.turn - dx * degreesPerPixel, 360);
    // The tilt is kept within what the offsets' own elevation leaves, so that turning back
    // from a pole answers at once.
    const double elevation = elevationOf(baseOffset(view));
    view.tilt = std::clamp(view.tilt + dy * degreesPerPixel, -steepestTilt - elevation,
                           steepestTilt - elevation);
}

void panView(ViewState& view, double dx, double dy, int width, int height)
{
    const ViewCamera camera = viewCamera(view, width, height);
    const Vec3 shift = (camera.right() * -dx + camera.up() * dy) * camera.unitsPerPixel();
    view.targetX += shift.x;
    view.targetY += shift.y;
    view.targetZ += shift.z;
}
