#pragma once

#include <GL/gl.h>
#include <functional>

class SharedShapes;

// Where a shape stands: its position, its scale (only the sphere uses it) and a turn of `angle`
// degrees about an axis. An axis of (0, 0, 0) leaves the turn to OpenGL, which then does nothing.
struct ShapePose
{
    double x = 0, y = 0, z = 0;
    double sx = 1, sy = 1, sz = 1;
    double angle = 0;
    double axisX = 0, axisY = 0, axisZ = 1;
};

// A shape's colour, each channel in 0..1, and whether the shape sets the current colour at all (the
// record's "UsaCor"). With lighting on the material decides what is seen, not this colour.
struct ShapeColour
{
    double r = 1, g = 1, b = 1, a = 0;
    bool use = false;
};

// The drawers of the scene's shapes. Each needs the context current, draws at once and, except the
// plane, leaves the modelview matrix as it found it. Values reach OpenGL as single floats; `shapes`
// is what they reuse from frame to frame.

// A sphere; blends while it draws when colour.a > 0, and takes white when colour.use is false.
void drawSphere(SharedShapes& shapes, double radius, const ShapePose& pose,
                const ShapeColour& colour);
// A capsule from its position along its turned z axis; pose.sx..sz are not used, and colour.use
// false keeps the current colour.
void drawCapsule(SharedShapes& shapes, double radius, double length, const ShapePose& pose,
                 const ShapeColour& colour);
// A box of the three sizes centred on its position; pose.sx..sz are not used, colour.use false
// keeps the current colour, and negative sizes mirror it.
void drawCube(SharedShapes& shapes, double sizeX, double sizeY, double sizeZ, const ShapePose& pose,
              const ShapeColour& colour);
// The unit cube's face at x = +0.5 as 10 x 10 separate primitives of `mode`, normal +x; switches
// GL_NORMALIZE on for good.
void drawCubeFace(GLenum mode);
// The face's 100 cells in drawing order, each as its four corners in the order they are sent.
void forEachCubeFaceCell(const std::function<void(const GLfloat (&corners)[4][3])>& visit);
// The plane a·x + b·y + c·z + d = 0 as 10 x 10 cells of `mode` in scene coordinates, solved for z;
// with c = 0 for y (b != 0) or else x (a != 0), and with all three 0 it draws nothing.
void drawPlane(double a, double b, double c, double d, double extentU, double extentV,
               const ShapeColour& colour, GLenum mode);
