#include "scenerenderer.h"

#include "camera.h"
#include "placedmodel.h"
#include "previewmarks.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "shapes.h"
#include "sharedshapes.h"
#include "simworld.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

struct Light
{
    GLenum id;
    GLfloat position[4];
};

// Lights 1 to 3, 40 units out on the axes; light 0 is never used.
const Light lights[] = {
    {GL_LIGHT1, {40, 0, 0, 1}},
    {GL_LIGHT2, {0, 40, 0, 1}},
    {GL_LIGHT3, {0, 0, 40, 1}},
};
const GLfloat lightAmbient[] = {0.2f, 0.2f, 0.2f, 1};
const GLfloat lightSpecular[] = {0.1f, 0.1f, 0.1f, 1};
const GLfloat materialAmbient[] = {0.2f, 0.2f, 0.2f, 1};
const GLfloat materialSpecular[] = {0.2f, 0.2f, 0.2f, 1};
const GLfloat materialShininess = 20;

} // namespace

SceneRenderer::SceneRenderer(RecordTable& table, ViewState& view)
    : m_table(table), m_view(view), m_shapes(std::make_unique<SharedShapes>())
{}

SceneRenderer::~SceneRenderer() = default;

void SceneRenderer::setUpView()
{
    glClearColor(0, 0, 0, 0);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_CULL_FACE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    // Given while the modelview matrix is still the identity, the positions stay fixed relative to
    // the eye: the camera lives in the projection matrix.
    for (const Light& light : lights) {
        glLightfv(light.id, GL_POSITION, light.position);
        glLightfv(light.id, GL_AMBIENT, lightAmbient);
        glLightfv(light.id, GL_DIFFUSE, m_view.lightLevel.data());
        glLightfv(light.id, GL_SPECULAR, lightSpecular);
        glLightf(light.id, GL_QUADRATIC_ATTENUATION, 0);
        glLightf(light.id, GL_LINEAR_ATTENUATION, 0);
        glLightf(light.id, GL_CONSTANT_ATTENUATION, 1);
        glEnable(light.id);
    }
    glEnable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void SceneRenderer::applyLightLevel()
{
    for (const Light& light : lights)
        glLightfv(light.id, GL_DIFFUSE, m_view.lightLevel.data());
}

void SceneRenderer::drawFrame()
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_clockedAxes.startFrame(m_view.frameClock);
    if (!m_table.isActive()) {
        drawKeptPicture();
        return;
    }
    m_keptPicture = QImage();
    placeCamera();
    drawAxes();
    drawRecords();
    if (m_preview)
        drawPreviewMarks(*m_preview);
    drawLightMarkers();
    drawHighlight();
}

// The camera goes into the projection matrix, so every frame's modelview matrix starts as the
// identity.
void SceneRenderer::placeCamera() const
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    multiplyCamera(currentCamera());
}

ViewCamera SceneRenderer::currentCamera() const
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return viewCamera(m_view, viewport[2], viewport[3]);
}

void SceneRenderer::drawAxes() const
{
    const double length = 10 + m_view.zoom;
    glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    {
        glColor3f(1, 0, 0);
        glVertex3f(0, 0, 0);
        glVertex3f(length, 0, 0);
        glColor3f(0, 1, 0);
        glVertex3f(0, 0, 0);
        glVertex3f(0, length, 0);
        glColor3f(0, 0, 1);
        glVertex3f(0, 0, 0);
        glVertex3f(0, 0, length);
    }
    glEnd();
    glEnable(GL_LIGHTING);
}

// Walks the table by record number and leaves it on its last record, which the editor expects:
// it keeps its own current-record number and moves the table back before editing.
void SceneRenderer::drawRecords()
{
    const int count = m_table.recordCount();
    for (int number = 1; number <= count; ++number) {
        m_table.setRecordNumber(number);
        const DrawnRecord record = readRecord();
        setMaterial(record);
        // Noted here, in the frame's own walk: picking and the highlight draw records again.
        if (record.kind == ElementKind::Esfera)
            m_clockedAxes.noteSphere(record.pose);
        drawMovedRecord(number - 1, record);
    }
}

// The body's motion goes in front of the record's own drawing, which is left exactly as the
// ordinary frame has it; at the start of a preview the motion is the identity.
void SceneRenderer::drawMovedRecord(int row, const DrawnRecord& record, GLenum planeMode)
{
    if (!m_preview || row >= m_preview->rowCount() || !m_preview->isMoving(row)) {
        drawRecord(record, planeMode);
        return;
    }
    glPushMatrix();
    glMultMatrixd(m_preview->state(row).motion.data());
    drawRecord(record, planeMode);
    glPopMatrix();
}

// Every value is read before anything is drawn, so an error reading the record cannot leave a
// primitive or a matrix half done.
DrawnRecord SceneRenderer::readRecord() const
{
    return readDrawnRecord([this](int field) -> const FieldValue& { return m_table.value(field); });
}

void SceneRenderer::setMaterial(const DrawnRecord& record)
{
    m_diffuse = {float(record.colour.r), float(record.colour.g), float(record.colour.b),
                 float(record.colour.a)};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m_diffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, materialShininess);
}

// Only the sphere's axis takes the frame clock, which turns it further towards z on every tick.
void SceneRenderer::drawRecord(const DrawnRecord& record, GLenum planeMode)
{
    const double* dim = record.dim;
    switch (record.kind) {
    case ElementKind::Esfera: {
        ShapePose pose = record.pose;
        pose.axisZ = clockedAxisZ(pose.axisZ, m_view.frameClock);
        drawSphere(*m_shapes, dim[0], pose, record.colour);
        break;
    }
    case ElementKind::Capsula:
        drawCapsule(*m_shapes, dim[0], dim[1], record.pose, record.colour);
        break;
    case ElementKind::Cubo:
        drawCube(*m_shapes, dim[0], dim[1], dim[2], record.pose, record.colour);
        break;
    case ElementKind::Plano:
        drawPlane(dim[0], dim[1], dim[2], dim[3], record.pose.sx, record.pose.sy, record.colour,
                  planeMode);
        break;
    case ElementKind::Arquivo:
        drawModel(record);
        break;
    default: // an unknown kind draws nothing; the next record still does
        break;
    }
}

void SceneRenderer::drawModel(const DrawnRecord& record) const
{
    if (modelDrawer)
        modelDrawer(placedModelOf(record));
}

void SceneRenderer::keepPicture()
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    QImage picture(viewport[2], viewport[3], QImage::Format_RGBA8888);
    if (picture.isNull())
        return;
    glPixelStorei(GL_PACK_ALIGNMENT, 4); // RGBA rows are whole words: no padding either way
    glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE,
                 picture.bits());
    m_keptPicture = picture;
}

// The kept picture fills the viewport whatever its size now; the drawing state the frame relies
// on is put back afterwards.
void SceneRenderer::drawKeptPicture() const
{
    if (m_keptPicture.isNull())
        return;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glPushAttrib(GL_ENABLE_BIT | GL_PIXEL_MODE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    {
        glRasterPos2f(-1, -1);
        glPixelZoom(float(viewport[2]) / float(m_keptPicture.width()),
                    float(viewport[3]) / float(m_keptPicture.height()));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glDrawPixels(m_keptPicture.width(), m_keptPicture.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                     m_keptPicture.constBits());
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

// Yellow, unlit spheres at the three light positions; alpha 0 keeps blending off.
void SceneRenderer::drawLightMarkers() const
{
    const ShapeColour yellow{1, 1, 0, 0, true};
    glDisable(GL_LIGHTING);
    for (const Light& light : lights) {
        const ShapePose pose{
            light.position[0], light.position[1], light.position[2], 1, 1, 1, 0, 0, 0, 0};
        drawSphere(*m_shapes, 0.5, pose, yellow);
    }
    glEnable(GL_LIGHTING);
}
