#include "literalscene.h"

#include "recordtable.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void sphere(double radius, double x, double y, double z, double sx, double sy, double sz,
            double angle, double ax, double ay, double az, double r, double g, double b, double a,
            bool useColour)
{
    glPushMatrix();
    if (a > 0)
        glEnable(GL_BLEND);
    if (useColour)
        glColor4f(r, g, b, a);
    else
        glColor4f(1, 1, 1, 1);
    glScalef(sx, sy, sz);
    glTranslatef(x, y, z);
    glRotatef(angle, ax, ay, az);
    GLUquadric* q = gluNewQuadric();
    gluSphere(q, radius, 10, 10);
    gluDeleteQuadric(q);
    glDisable(GL_BLEND);
    glPopMatrix();
}

void capsule(double radius, double length, double x, double y, double z, double angle, double ax,
             double ay, double az, double r, double g, double b, double a, bool useColour)
{
    glPushMatrix();
    if (useColour)
        glColor4f(r, g, b, a);
    glTranslatef(x, y, z);
    glRotatef(angle, ax, ay, az);
    GLUquadric* q = gluNewQuadric();
    gluSphere(q, radius, 10, 10);
    gluCylinder(q, radius, radius, length, 10, 10);
    glTranslatef(0, 0, length);
    gluSphere(q, radius, 10, 10);
    gluDeleteQuadric(q);
    glPopMatrix();
}

void face(GLenum mode)
{
    glEnable(GL_NORMALIZE);
    glNormal3f(1, 0, 0);
    const double d = 1.0 / 10;
    for (double y = -0.5; y < 0.5; y += d)
        for (double z = -0.5; z < 0.5; z += d) {
            glBegin(mode);
            glVertex3f(0.5, y, z);
            glVertex3f(0.5, y, z + d);
            glVertex3f(0.5, y + d, z + d);
            glVertex3f(0.5, y + d, z);
            glEnd();
        }
}

void cube(double sx, double sy, double sz, double x, double y, double z, double angle, double ax,
          double ay, double az, double r, double g, double b, double a, bool useColour)
{
    glPushMatrix();
    if (useColour)
        glColor4f(r, g, b, a);
    glTranslatef(x, y, z);
    glScalef(sx, sy, sz);
    glRotatef(angle, ax, ay, az);
    face(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    face(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    face(GL_QUADS);
    glRotatef(90, 0, 0, 1);
    face(GL_QUADS);
    glRotatef(-90, 0, 1, 0);
    face(GL_QUADS);
    glRotatef(-180, 0, 1, 0);
    face(GL_QUADS);
    glLoadIdentity();
    glPopMatrix();
}

void plane(double a, double b, double c, double d, double u, double v, double r, double g,
           double bl, double al, bool useColour, GLenum mode)
{
    if (useColour)
        glColor4f(r, g, bl, al);
    const double du = u / 10, dv = v / 10;
    glEnable(GL_NORMALIZE);
    glNormal3f(a, b, c);
    auto h = [&](double x, double y) { return -(a * x + b * y + d) / c; };
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j) {
            const double x = -u / 2 + i * du, y = -v / 2 + j * dv;
            glBegin(mode);
            glVertex3f(x, y, h(x, y));
            glVertex3f(x, y + dv, h(x, y + dv));
            glVertex3f(x + du, y + dv, h(x + du, y + dv));
            glVertex3f(x + du, y, h(x + du, y));
            glEnd();
        }
}

void drawRecord(RecordTable& t, const ViewState& view)
{
    auto f = [&t](const char* name) { return t.fieldByName(QString::fromLatin1(name)).asFloat(); };
    const bool use = t.fieldByName("UsaCor").asBoolean();
    const double r = f("R") / 255, g = f("G") / 255, b = f("B") / 255, a = f("A") / 255;
    switch (t.fieldByName("ODETipo").asInteger()) {
    case 0:
        sphere(f("Dim1"), f("X"), f("Y"), f("Z"), f("SX"), f("SY"), f("SZ"), f("Ang"), f("eixoX"),
               f("eixoY"), f("eixoZ") + 100 * view.frameClock, r, g, b, a, use);
        break;
    case 1:
        capsule(f("Dim1"), f("Dim2"), f("X"), f("Y"), f("Z"), f("Ang"), f("eixoX"), f("eixoY"),
                f("eixoZ"), r, g, b, a, use);
        break;
    case 2:
        cube(f("Dim1"), f("Dim2"), f("Dim3"), f("X"), f("Y"), f("Z"), f("Ang"), f("eixoX"),
             f("eixoY"), f("eixoZ"), r, g, b, a, use);
        break;
    case 3:
        plane(f("Dim1"), f("Dim2"), f("Dim3"), f("Dim4"), f("SX"), f("SY"), r, g, b, a, use,
              GL_LINE_LOOP);
        break;
    default:
        break;
    }
}

} // namespace

void drawLiteralFrame(RecordTable& table, const ViewState& view)
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!table.isActive())
        return;
    const double half = 10 + view.zoom;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10 - view.zoom, 10 + view.zoom, -10 - view.zoom, 10 + view.zoom, -10000, 10000);
    gluLookAt(5 + view.cameraX, 5 + view.cameraY, 2.5 + view.cameraZ, 0, 0, 0, 0, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(half, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, half, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, half);
    glEnd();
    glEnable(GL_LIGHTING);
    static GLfloat diffuse[4];
    const GLfloat grey[] = {0.2f, 0.2f, 0.2f, 1};
    const int count = table.recordCount();
    for (int i = 1; i <= count; ++i) {
        table.setRecordNumber(i);
        diffuse[0] = table.fieldByName("R").asFloat() / 255;
        diffuse[1] = table.fieldByName("G").asFloat() / 255;
        diffuse[2] = table.fieldByName("B").asFloat() / 255;
        diffuse[3] = table.fieldByName("A").asFloat() / 255;
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, grey);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, grey);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 20);
        drawRecord(table, view);
    }
    glDisable(GL_LIGHTING);
    sphere(0.5, 40, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, true);
    sphere(0.5, 0, 40, 0, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, true);
    sphere(0.5, 0, 0, 40, 1, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, true);
    glEnable(GL_LIGHTING);
}
