#pragma once

#include <GL/gl.h>

struct GLUquadric;

// What the shapes reuse from frame to frame: one GLU quadric for every sphere and capsule, and the
// cube's face grid as a vertex array that replays exactly the vertices drawing its cells one by
// one sends, without the 600 glBegin/glEnd pairs of a cube.
//
// GLU's spheres and cylinders are sent directly, not from display lists (bench/README.md says
// why), and the cube's vertex array sends exactly the vertices of the plain drawing, so that the
// two pictures match where depths tie. The quadric is shared because nothing ever changes its GLU
// defaults (filled, smooth normals pointing out). Nothing here belongs to a GL context.
class SharedShapes
{
public:
    SharedShapes() = default;
    ~SharedShapes();
    SharedShapes(const SharedShapes&) = delete;
    SharedShapes& operator=(const SharedShapes&) = delete;

    // GLU's sphere of `radius`, 10 slices and 10 stacks, poles on the local z axis.
    void sphere(double radius);
    // Two such spheres joined by a cylinder along +z from 0 to `length`; leaves the modelview
    // matrix moved by `length` along z.
    void capsule(double radius, double length);
    // The unit cube's six faces; leaves the matrix turned as the faces left it.
    void cube();

private:
    GLUquadric* quadric();

    GLUquadric* m_quadric = nullptr;
};
