#include "shapelists.h"

#include "shapes.h"

#include <GL/glu.h>
#include <cstring>

namespace {

const GLint slices = 10;
const GLint stacks = 10;

// Sizes are told apart by their exact bits: two radii that differ in the last bit give different
// vertices, and a NaN still finds its own list.
quint64 bitsOf(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Mesa 22 replays display lists wrongly in feedback and selection modes (primitives go missing,
// GLU's spheres crash it), so outside plain rendering the shapes are sent directly.
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
    call(m_spheres, bitsOf(radius), [&] {
        if (GLUquadric* q = quadric())
            gluSphere(q, radius, slices, stacks);
    });
}

void ShapeLists::capsule(double radius, double length)
{
    call(m_capsules, std::make_pair(bitsOf(radius), bitsOf(length)), [&] {
        GLUquadric* q = quadric();
        if (!q)
            return;
        gluSphere(q, radius, slices, stacks);
        gluCylinder(q, radius, radius, length, slices, stacks);
        glTranslatef(0, 0, length);
        gluSphere(q, radius, slices, stacks);
    });
}

void ShapeLists::cube()
{
    if (!rendering()) {
        drawCubeFaces();
        return;
    }
    if (m_cube == 0) {
        m_cube = glGenLists(1);
        if (m_cube == 0) {
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
    for (const auto& entry : m_spheres)
        glDeleteLists(entry.second.list, 1);
    for (const auto& entry : m_capsules)
        glDeleteLists(entry.second.list, 1);
    if (m_cube != 0)
        glDeleteLists(m_cube, 1);
    forget();
}

void ShapeLists::forget()
{
    m_spheres.clear();
    m_capsules.clear();
    m_cube = 0;
}

template <typename Key, typename Draw>
void ShapeLists::call(std::map<Key, Entry>& cache, const Key& key, Draw draw)
{
    if (!rendering()) {
        draw();
        return;
    }
    auto found = cache.find(key);
    if (found == cache.end()) {
        if (cache.size() >= maxLists)
            dropUnused(cache);
        const GLuint list = cache.size() < maxLists ? glGenLists(1) : 0;
        if (list == 0) {
            draw();
            return;
        }
        glNewList(list, GL_COMPILE);
        draw();
        glEndList();
        found = cache.emplace(key, Entry{list, m_frame}).first;
    }
    found->second.lastUsed = m_frame;
    glCallList(found->second.list);
}

template <typename Key>
void ShapeLists::dropUnused(std::map<Key, Entry>& cache)
{
    for (auto it = cache.begin(); it != cache.end();) {
        if (it->second.lastUsed < m_frame) {
            glDeleteLists(it->second.list, 1);
            it = cache.erase(it);
        } else {
            ++it;
        }
    }
}

// One quadric for all compiling: a new one has GLU's defaults (filled, smooth normals pointing
// out), and nothing here changes them. Null only when memory ran out; the shape is then not drawn.
GLUquadric* ShapeLists::quadric()
{
    if (!m_quadric)
        m_quadric = gluNewQuadric();
    return m_quadric;
}
