#include "shapelists.h"

#include "shapes.h"

#include <GL/glu.h>

namespace {

const GLint slices = 10;
const GLint stacks = 10;

// Mesa 22 replays display lists wrongly in feedback and selection modes (primitives go missing,
// some lists crash it), so outside plain rendering the cube is sent directly.
bool rendering()
{
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode == GL_RENDER;
}

void drawCubeFaces()
{
    drawCubeFace(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    drawCubeFace(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    drawCubeFace(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    drawCubeFace(GL_QUADS);
    glRotatef(-90, 0, 1, 0);
    drawCubeFace(GL_QUADS);
    glRotatef(-180, 0, 1, 0);
    drawCubeFace(GL_QUADS);
}

} // namespace

ShapeLists::~ShapeLists()
{
    if (m_quadric)
        gluDeleteQuadric(m_quadric);
}

void ShapeLists::sphere(double radius)
{
    if (GLUquadric* q = quadric())
        gluSphere(q, radius, slices, stacks);
}

void ShapeLists::capsule(double radius, double length)
{
    GLUquadric* q = quadric();
    if (!q)
        return;
    gluSphere(q, radius, slices, stacks);
    gluCylinder(q, radius, radius, length, slices, stacks);
    glTranslatef(0, 0, length);
    gluSphere(q, radius, slices, stacks);
}

void ShapeLists::cube()
{
    if (!rendering()) {
        drawCubeFaces();
        return;
    }
    if (m_cube == 0) {
        m_cube = glGenLists(1);
        if (m_cube == 0) { // no room for a list: the faces can still be sent
            drawCubeFaces();
            return;
        }
        glNewList(m_cube, GL_COMPILE);
        drawCubeFaces();
        glEndList();
    }
    glCallList(m_cube);
}

void ShapeLists::release()
{
    if (m_cube != 0)
        glDeleteLists(m_cube, 1);
    m_cube = 0;
}

// Null only when memory ran out; the sphere or capsule is then not drawn.
GLUquadric* ShapeLists::quadric()
{
    if (!m_quadric)
        m_quadric = gluNewQuadric();
    return m_quadric;
}
