#include "shapes.h"

#include "sharedshapes.h"

namespace {

const int gridCells = 10;

void setColour(const ShapeColour& colour)
{
    glColor4f(colour.r, colour.g, colour.b, colour.a);
}

void turn(const ShapePose& pose)
{
    glRotatef(pose.angle, pose.axisX, pose.axisY, pose.axisZ);
}

// The coordinate a plane's grid is solved for; the other two run over the grid.
enum class SolvedAxis { None, X, Y, Z };

SolvedAxis solvedAxis(double a, double b, double c)
{
    if (c != 0)
        return SolvedAxis::Z;
    if (b != 0)
        return SolvedAxis::Y;
    if (a != 0)
        return SolvedAxis::X;
    return SolvedAxis::None;
}

struct Plane
{
    double a, b, c, d;
    SolvedAxis solved;
};

// Grid point (u, v): (x, y) solved for z, else (x, z) solved for y, else (y, z) solved for x.
void planeVertex(const Plane& p, double u, double v)
{
    switch (p.solved) {
    case SolvedAxis::Z:
        glVertex3f(u, v, -(p.a * u + p.b * v + p.d) / p.c);
        break;
    case SolvedAxis::Y:
        glVertex3f(u, -(p.a * u + p.c * v + p.d) / p.b, v);
        break;
    case SolvedAxis::X:
        glVertex3f(-(p.b * u + p.c * v + p.d) / p.a, u, v);
        break;
    case SolvedAxis::None:
        break;
    }
}

} // namespace

// Sphere: centred on (SX·X, SY·Y, SZ·Z), because the scale comes before the move; poles on its
// turned z axis.
void drawSphere(SharedShapes& shapes, double radius, const ShapePose& pose,
                const ShapeColour& colour)
{
    glPushMatrix();
    {
        if (colour.a > 0)
            glEnable(GL_BLEND);
        if (colour.use)
            setColour(colour);
        else
            glColor4f(1, 1, 1, 1);
        glScalef(pose.sx, pose.sy, pose.sz);
        glTranslatef(pose.x, pose.y, pose.z);
        turn(pose);
        shapes.sphere(radius);
        glDisable(GL_BLEND);
    }
    glPopMatrix();
}

// Capsule: a whole sphere at its position and another `length` further along its turned z axis,
// joined by a cylinder; it is not centred on its position.
void drawCapsule(SharedShapes& shapes, double radius, double length, const ShapePose& pose,
                 const ShapeColour& colour)
{
    glPushMatrix();
    {
        if (colour.use)
            setColour(colour);
        glTranslatef(pose.x, pose.y, pose.z);
        turn(pose);
        shapes.capsule(radius, length);
    }
    glPopMatrix();
}

// Cube: centred on its position, the unit cube stretched to the sizes; the turn comes after the
// stretch, so a box of unequal sizes shears as it turns.
void drawCube(SharedShapes& shapes, double sizeX, double sizeY, double sizeZ, const ShapePose& pose,
              const ShapeColour& colour)
{
    glPushMatrix();
    {
        if (colour.use)
            setColour(colour);
        glTranslatef(pose.x, pose.y, pose.z);
        glScalef(sizeX, sizeY, sizeZ);
        turn(pose);
        shapes.cube();
        glLoadIdentity();
    }
    glPopMatrix();
}

// Cube face: the square x = +0.5, y and z in -0.5..0.5, seen clockwise from +x. Ten cells a side
// give the per-vertex lighting enough points to show the lights' falloff across the face.
void drawCubeFace(GLenum mode)
{
    glEnable(GL_NORMALIZE);
    glNormal3f(1, 0, 0);
    forEachCubeFaceCell([mode](const GLfloat(&corners)[4][3]) {
        glBegin(mode);
        for (const auto& corner : corners)
            glVertex3fv(corner);
        glEnd();
    });
}

void forEachCubeFaceCell(const std::function<void(const GLfloat (&corners)[4][3])>& visit)
{
    const double cell = 1.0 / gridCells;
    // Stepping by adding to a double gives the corners the plain drawing gives; the count keeps
    // it at ten cells.
    double y = -0.5;
    for (int i = 0; i < gridCells; ++i, y += cell) {
        double z = -0.5;
        for (int j = 0; j < gridCells; ++j, z += cell) {
            const GLfloat corners[4][3] = {{0.5f, GLfloat(y), GLfloat(z)},
                                           {0.5f, GLfloat(y), GLfloat(z + cell)},
                                           {0.5f, GLfloat(y + cell), GLfloat(z + cell)},
                                           {0.5f, GLfloat(y + cell), GLfloat(z)}};
            visit(corners);
        }
    }
}

// Plane: in scene coordinates, no transform of its own; the grid is centred on the axis the plane
// is solved along and spans extentU by extentV.
void drawPlane(double a, double b, double c, double d, double extentU, double extentV,
               const ShapeColour& colour, GLenum mode)
{
    if (colour.use)
        setColour(colour);
    glEnable(GL_NORMALIZE);
    glNormal3f(a, b, c);
    const Plane plane{a, b, c, d, solvedAxis(a, b, c)};
    if (plane.solved == SolvedAxis::None)
        return;
    const double du = extentU / gridCells;
    const double dv = extentV / gridCells;
    // A cell's outline is its four edges, so all of them can share one primitive of separate
    // lines: the same segments, from the same ends, without a hundred begin-end pairs.
    const bool outlines = mode == GL_LINE_LOOP;
    if (outlines)
        glBegin(GL_LINES);
    for (int i = 0; i < gridCells; ++i) {
        const double u = -extentU / 2 + i * du;
        for (int j = 0; j < gridCells; ++j) {
            const double v = -extentV / 2 + j * dv;
            const double corners[4][2] = {{u, v}, {u, v + dv}, {u + du, v + dv}, {u + du, v}};
            if (outlines) {
                for (int k = 0; k < 4; ++k) {
                    planeVertex(plane, corners[k][0], corners[k][1]);
                    planeVertex(plane, corners[(k + 1) % 4][0], corners[(k + 1) % 4][1]);
                }
                continue;
            }
            glBegin(mode);
            for (const auto& corner : corners)
                planeVertex(plane, corner[0], corner[1]);
            glEnd();
        }
    }
    if (outlines)
        glEnd();
}
