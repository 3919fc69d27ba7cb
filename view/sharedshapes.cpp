#include "sharedshapes.h"

#include "shapes.h"

#include <GL/glu.h>
#include <vector>

namespace {

const GLint slices = 10;
const GLint stacks = 10;

} // namespace

SharedShapes::~SharedShapes()
{
    if (m_quadric)
        gluDeleteQuadric(m_quadric);
}

void SharedShapes::sphere(double radius)
{
    if (GLUquadric* q = quadric())
        gluSphere(q, radius, slices, stacks);
}

void SharedShapes::capsule(double radius, double length)
{
    GLUquadric* q = quadric();
    if (!q)
        return;
    gluSphere(q, radius, slices, stacks);
    gluCylinder(q, radius, radius, length, slices, stacks);
    glTranslatef(0, 0, length);
    gluSphere(q, radius, slices, stacks);
}

void SharedShapes::cube()
{
    // One face's cells as a vertex array, the same numbers drawCubeFace sends one by one.
    static const std::vector<GLfloat> face = [] {
        std::vector<GLfloat> vertices;
        forEachCubeFaceCell([&](const GLfloat(&corners)[4][3]) {
            for (const auto& corner : corners)
                vertices.insert(vertices.end(), corner, corner + 3);
        });
        return vertices;
    }();
    const auto drawFace = [] {
        glEnable(GL_NORMALIZE);
        glNormal3f(1, 0, 0);
        glDrawArrays(GL_QUADS, 0, GLsizei(face.size() / 3));
    };
    glVertexPointer(3, GL_FLOAT, 0, face.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    drawFace();
    glRotatef(90, 0, 0, 1);
    drawFace();
    glRotatef(90, 0, 0, 1);
    drawFace();
    glRotatef(90, 0, 0, 1);
    drawFace();
    glRotatef(-90, 0, 1, 0);
    drawFace();
    glRotatef(-180, 0, 1, 0);
    drawFace();
    glDisableClientState(GL_VERTEX_ARRAY);
}

// Null only when memory ran out; the sphere or capsule is then not drawn.
GLUquadric* SharedShapes::quadric()
{
    if (!m_quadric)
        m_quadric = gluNewQuadric();
    return m_quadric;
}
