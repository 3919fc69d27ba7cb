#pragma once

#include <GL/gl.h>

struct GLUquadric;

// What the shapes reuse from frame to frame in one GL context: the cube's six faces of 10 x 10
// quads compiled into a display list, which replays exactly the vertices and normals that drawing
// them sends and spares the 600 glBegin/glEnd pairs and most of the lighting of a cube; and one GLU
// quadric for every sphere and capsule.
//
// GLU's spheres and cylinders are drawn directly: out of a display list they cost more than sent
// directly on Mesa 22, measured both with and without their rasterisation. The quadric is
// shared because nothing ever changes its GLU defaults (filled, smooth normals pointing out).
class ShapeLists
{
public:
    ShapeLists() = default;
    // Frees the quadric only; the cube's list belongs to the context (see release()).
    ~ShapeLists();
    ShapeLists(const ShapeLists&) = delete;
    ShapeLists& operator=(const ShapeLists&) = delete;

    // GLU's sphere of `radius`, 10 slices and 10 stacks, poles on the local z axis.
    void sphere(double radius);
    // Two such spheres joined by a cylinder along +z from 0 to `length`; leaves the modelview
    // matrix moved by `length` along z.
    void capsule(double radius, double length);
    // The unit cube's six faces, compiled on first use in the current context; leaves the matrix
    // turned as the faces left it.
    void cube();

    // Deletes the cube's list. Needs its context current.
    void release();
    // Forgets the cube's list without deleting it, for when its context is already gone.
    void forget() { m_cube = 0; }

private:
    GLUquadric* quadric();

    GLuint m_cube = 0;
    GLUquadric* m_quadric = nullptr;
};
