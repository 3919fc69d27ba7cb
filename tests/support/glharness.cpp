#include "glharness.h"

#include <GL/gl.h>
#include <QOpenGLFramebufferObject>

OffscreenGL::OffscreenGL(int width, int height)
{
    m_surface.setFormat(QSurfaceFormat::defaultFormat());
    m_surface.create();
    m_context.setFormat(QSurfaceFormat::defaultFormat());
    if (!m_context.create() || !m_context.makeCurrent(&m_surface))
        return;
    m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(
        width, height, QOpenGLFramebufferObject::CombinedDepthStencil);
    m_valid = m_framebuffer->isValid() && m_framebuffer->bind();
    glViewport(0, 0, width, height);
}

OffscreenGL::~OffscreenGL()
{
    m_context.makeCurrent(&m_surface);
    m_framebuffer.reset();
    m_context.doneCurrent();
}

QImage OffscreenGL::image() const
{
    // The bytes as they are, alpha included: Qt's own reading would take them as premultiplied.
    QImage image(m_framebuffer->size(), QImage::Format_RGBA8888);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
    return image.mirrored();
}

std::vector<FeedbackVertex> Feedback::vertices() const
{
    std::vector<FeedbackVertex> all;
    for (const auto& triangle : triangles)
        all.insert(all.end(), triangle.begin(), triangle.end());
    for (const auto& line : lines)
        all.insert(all.end(), line.begin(), line.end());
    return all;
}

namespace {

struct FeedbackReader
{
    const std::vector<GLfloat>& buffer;
    size_t at;
    bool withColour;

    GLfloat next() { return buffer[at++]; }
    FeedbackVertex vertex()
    {
        FeedbackVertex v;
        v.x = next(), v.y = next(), v.z = next();
        if (withColour)
            v.r = next(), v.g = next(), v.b = next(), v.a = next();
        return v;
    }
};

void parse(FeedbackReader& in, size_t end, Feedback& out)
{
    while (in.at < end) {
        const GLint token = GLint(in.next());
        if (token == GL_POLYGON_TOKEN) {
            const int count = int(in.next());
            std::vector<FeedbackVertex> polygon;
            for (int i = 0; i < count; ++i)
                polygon.push_back(in.vertex());
            if (count == 3)
                out.triangles.push_back({polygon[0], polygon[1], polygon[2]});
            else
                ++out.otherPolygons;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            const FeedbackVertex a = in.vertex();
            out.lines.push_back({a, in.vertex()});
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            in.next();
        } else { // points, bitmaps and pixel rectangles: one vertex each
            in.vertex();
            ++out.points;
        }
    }
}

} // namespace

Feedback captureFeedback(const std::function<void()>& draw, bool withColour)
{
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(GLsizei(buffer.size()), withColour ? GL_3D_COLOR : GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint size = glRenderMode(GL_RENDER);
    Feedback result;
    result.overflowed = size < 0;
    FeedbackReader reader{buffer, 0, withColour};
    parse(reader, size_t(std::max(size, 0)), result);
    return result;
}
