// Picking the record under a pixel, and marking the selected one over the picture.
#include "scenerenderer.h"

#include "camera.h"
#include "modeldraw.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The pick region's size in pixels, round the pixel's centre: small enough that only what covers
// that centre is hit.
const double pickSize = 0.01;
// How far apart in depth two hits must be to be told apart: selection depths come from single
// floats over the view box's whole depth.
const double depthTolerance = 2 * viewDepth * 1e-6;
const GLfloat highlightColour[] = {0.85f, 0.95f, 1.0f};

// Everything a drawer may change, kept and put back however the drawing ends: attributes, client
// arrays, both matrices (the modelview popped back to its depth, as a drawer that threw may leave
// it deeper), the matrix mode and the render mode.
class KeptGLState
{
public:
    KeptGLState()
    {
        glGetIntegerv(GL_MATRIX_MODE, &m_matrixMode);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &m_modelviewDepth);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
    }
    ~KeptGLState()
    {
        GLint renderMode = GL_RENDER;
        glGetIntegerv(GL_RENDER_MODE, &renderMode);
        if (renderMode != GL_RENDER)
            glRenderMode(GL_RENDER);
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        GLint depth = 0;
        for (glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth); depth > m_modelviewDepth; --depth)
            glPopMatrix();
        glPopClientAttrib();
        glPopAttrib();
        glMatrixMode(GLenum(m_matrixMode));
    }
    KeptGLState(const KeptGLState&) = delete;
    KeptGLState& operator=(const KeptGLState&) = delete;

private:
    GLint m_matrixMode = GL_MODELVIEW;
    GLint m_modelviewDepth = 1;
};

// A record the line of sight may meet, and how far from the eye along it its bounds begin.
struct Candidate
{
    int row;
    DrawnRecord record;
    double from;
    const TModel* model; // a model record's model, looked up once per pick
};

// How far from the eye along the line of sight the bounds begin, when the line through `through`
// meets them: -infinity for bounds that cannot be told, none for a record that draws nothing.
// `slack` widens the bounds by the pick region and the drawing's rounding, in scene units.
std::optional<double> startOnLine(const DrawnBounds& bounds, const ViewCamera& camera, Vec3 through,
                                  double slack)
{
    if (bounds.extent != DrawnBounds::Ball)
        return bounds.extent == DrawnBounds::Unbounded ? std::optional<double>(-INFINITY)
                                                       : std::nullopt;
    const Vec3 along = camera.forward();
    const Vec3 toCentre = bounds.centre - through;
    const double t = dot(toCentre, along);
    const Vec3 aside = toCentre - along * t;
    const double reach = bounds.radius * (1 + 1e-6) + slack;
    if (dot(aside, aside) > reach * reach)
        return std::nullopt;
    return dot(bounds.centre - camera.eye, along) - reach;
}

// The records whose drawn bounds the line through `through` along the view meets, nearest first;
// records that cannot be bounded come first of all.
std::vector<Candidate> candidatesOnLine(const RecordTable& table, const ModelLookup& models,
                                        const ViewCamera& camera, Vec3 through)
{
    const double slack = camera.unitsPerPixel() * pickSize + 1e-9;
    std::vector<Candidate> candidates;
    for (int row = 0; row < table.recordCount(); ++row) {
        DrawnRecord record = drawnRecordAt(table, row);
        const TModel* model = nullptr;
        if (record.kind == ElementKind::Arquivo) {
            // A model's tight ball costs a pass over its vertices; the box of its bounds rules
            // out first the models the line passes by.
            model = models ? models(record.modelFile) : nullptr;
            if (!model || !startOnLine(modelBoxBounds(*model, record.pose), camera, through, slack))
                continue;
        }
        const ModelLookup lookedUp = [model](const std::string&) { return model; };
        const std::optional<double> from =
            startOnLine(drawnBounds(record, lookedUp), camera, through, slack);
        if (from)
            candidates.push_back({row, std::move(record), *from, model});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.from < b.from; });
    return candidates;
}

// The nearest window depth, scaled to the whole range of GLuint, of what `draw` sent through the
// pick region; none when nothing was hit. Selection mode is entered and left around it.
template <typename Draw>
std::optional<GLuint> nearestHit(Draw draw)
{
    // Static, so that the buffer OpenGL keeps a pointer to outlives every pick.
    static GLuint buffer[16];
    glSelectBuffer(GLsizei(std::size(buffer)), buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    draw();
    if (glRenderMode(GL_RENDER) <= 0)
        return std::nullopt;
    return buffer[1]; // the hit's name count, then its nearest and farthest depth
}

// Distance from the eye along the line of sight of a selection depth.
double eyeDistance(GLuint depth)
{
    return -viewDepth + 2 * viewDepth * (double(depth) / 4294967295.0);
}

} // namespace

// Records are drawn nearest bounds first, one selection each, until a hit lies in front of where
// every remaining record's bounds begin.
int SceneRenderer::pickRecord(int x, int y)
{
    if (!m_table.isActive())
        return -1;
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const ViewCamera camera = currentCamera();
    const std::vector<Candidate> candidates =
        candidatesOnLine(m_table, modelLookup, camera, pointUnder(camera, x, y));
    if (candidates.empty())
        return -1;
    KeptGLState kept;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix(viewport[0] + x + 0.5, viewport[1] + viewport[3] - (y + 0.5), pickSize, pickSize,
                  viewport);
    multiplyCamera(camera);
    int best = -1;
    GLuint bestDepth = 0;
    for (const Candidate& candidate : candidates) {
        if (best >= 0 && candidate.from > eyeDistance(bestDepth) + depthTolerance)
            break;
        const std::optional<GLuint> depth = nearestHit([&] { drawForPicking(candidate.record, candidate.model); });
        if (depth &&
            (best < 0 || *depth < bestDepth || (*depth == bestDepth && candidate.row < best))) {
            best = candidate.row;
            bestDepth = *depth;
        }
    }
    return best;
}

// Planes count by their whole grid area. Models are drawn call by call: selection through their
// display lists misses some of their faces on Mesa.
void SceneRenderer::drawForPicking(const DrawnRecord& record, const TModel* model)
{
    if (record.kind != ElementKind::Arquivo) {
        drawRecord(record, GL_QUADS);
        return;
    }
    if (!model)
        return;
    glPushMatrix();
    PlaceModel(placedModelOf(record));
    DrawModelJoined(*model);
    glPopMatrix();
}

// Drawn over the finished picture: lines only, offset towards the eye so they win over the
// surface they lie on, without lighting, blending or writing depth.
void SceneRenderer::drawHighlight()
{
    if (m_highlightedRow < 0 || m_highlightedRow >= m_table.recordCount())
        return;
    DrawnRecord record = drawnRecordAt(m_table, m_highlightedRow);
    record.colour =
        ShapeColour{highlightColour[0], highlightColour[1], highlightColour[2], 0, true};
    KeptGLState kept;
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDepthMask(GL_FALSE);
    glDepthFunc(GL_LEQUAL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(-1, -1);
    glColor3fv(highlightColour);
    drawMovedRecord(m_highlightedRow, record, GL_LINE_LOOP); // where a preview has moved it
}
