#pragma once

#include <cmath>

struct ViewState;

struct Vec3
{
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double k)
{
    return {a.x * k, a.y * k, a.z * k};
}
inline Vec3 operator*(double k, Vec3 a)
{
    return a * k;
}
inline double dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a)
{
    return std::sqrt(dot(a, a));
}

// How far the view box reaches in front of and behind the eye along the line of sight.
constexpr double viewDepth = 10000;

// The camera of a frame: an orthographic box around the line from the eye to the point looked
// at, z up. The box spans 10 + zoom each way on the viewport's shorter side and as much more on
// the longer one as keeps the picture unstretched.
struct ViewCamera
{
    Vec3 eye;
    Vec3 centre;
    double halfWidth = 10, halfHeight = 10;
    int width = 1, height = 1; // the viewport, in pixels

    // Scene units per pixel, the same across and up.
    double unitsPerPixel() const { return 2 * halfHeight / height; }
    // Unit vectors of the picture's right and up, and of the view direction, in the scene.
    Vec3 right() const;
    Vec3 up() const;
    Vec3 forward() const;
};

// The camera the view state gives for a viewport of `width` x `height` pixels. With the mouse's
// turn, tilt and target at zero the eye is (5, 5, 2.5) plus the offsets, looking at the origin,
// exactly; a tilt stops 1 degree short of straight above or below the point looked at.
ViewCamera viewCamera(const ViewState& view, int width, int height);

// Puts the camera into the projection matrix (glOrtho, then gluLookAt), after whatever the matrix
// holds (the identity, or a pick matrix), and leaves the modelview matrix the identity.
void multiplyCamera(const ViewCamera& camera);

// The scene point under pixel (x, y) of the viewport, counted from its top left, on the plane
// through the point looked at that faces the eye; rays through it run along forward().
Vec3 pointUnder(const ViewCamera& camera, double x, double y);

// Where the line of sight through pixel (x, y) meets the level z = height: false when the view
// runs along that level and the line never meets it.
bool pointOnLevel(const ViewCamera& camera, double x, double y, double height, Vec3& point);

// How far up z a point seen from this camera must go to move `pixelsUp` pixels up the picture;
// false when z runs straight along the line of sight and no height shows.
bool heightForPixels(const ViewCamera& camera, double pixelsUp, double& height);

// The mouse's gestures, in pixels of the viewport (y grows downwards). Turning follows the drag
// as if the scene were grabbed: across turns it about the vertical, up and down tilts it; panning
// moves the point looked at so that the scene follows the cursor.
void turnView(ViewState& view, double dx, double dy);
void panView(ViewState& view, double dx, double dy, int width, int height);
