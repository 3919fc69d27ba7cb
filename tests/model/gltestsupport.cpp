#include "gltestsupport.h"

#include <GL/gl.h>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <algorithm>
#include <cmath>

OffscreenGL::OffscreenGL()
    : m_surface(std::make_unique<QOffscreenSurface>()),
      m_context(std::make_unique<QOpenGLContext>())
{
    m_surface->create();
    m_valid = m_context->create() && m_context->makeCurrent(m_surface.get());
    if (!m_valid)
        return;
    glViewport(0, 0, 100, 100);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

OffscreenGL::~OffscreenGL()
{
    if (m_valid)
        m_context->doneCurrent();
}

QVector<QPolygonF> feedbackPolygons(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint count = glRenderMode(GL_RENDER);
    QVector<QPolygonF> polygons;
    for (GLint i = 0; i < count;) {
        const GLenum token = GLenum(buffer[size_t(i++)]);
        if (token == GL_POLYGON_TOKEN) {
            const int corners = int(buffer[size_t(i++)]);
            QPolygonF polygon;
            for (int c = 0; c < corners; ++c, i += 3)
                polygon << QPointF(buffer[size_t(i)], buffer[size_t(i + 1)]);
            polygons << polygon;
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            i += 6;
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 1;
        } else {
            i += 3; // points, bitmaps and pixel rectangles: one vertex
        }
    }
    return polygons;
}

QVector<QPolygonF> canonicalTriangles(const QVector<QPolygonF>& polygons)
{
    const auto rounded = [](const QPointF& p) {
        return QPointF(std::round(p.x() * 1000) / 1000, std::round(p.y() * 1000) / 1000);
    };
    const auto before = [](const QPointF& a, const QPointF& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    };
    QVector<QPolygonF> triangles;
    for (const QPolygonF& polygon : polygons) {
        for (int c = 1; c + 1 < polygon.size(); ++c) {
            QPolygonF triangle{rounded(polygon[0]), rounded(polygon[c]), rounded(polygon[c + 1])};
            std::sort(triangle.begin(), triangle.end(), before);
            triangles << triangle;
        }
    }
    std::sort(triangles.begin(), triangles.end(), [&](const QPolygonF& a, const QPolygonF& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), before);
    });
    return triangles;
}

double totalArea(const QVector<QPolygonF>& polygons)
{
    double area = 0;
    for (const QPolygonF& polygon : polygons) {
        double twice = 0;
        for (int c = 0; c < polygon.size(); ++c) {
            const QPointF& a = polygon[c];
            const QPointF& b = polygon[(c + 1) % polygon.size()];
            twice += a.x() * b.y() - b.x() * a.y();
        }
        area += std::abs(twice) / 2;
    }
    return area;
}

QRectF boundsOf(const QVector<QPolygonF>& polygons)
{
    QRectF bounds;
    for (const QPolygonF& polygon : polygons)
        bounds = bounds.isNull() ? polygon.boundingRect() : bounds.united(polygon.boundingRect());
    return bounds;
}

QPointF windowPoint(double x, double y)
{
    return QPointF(5 * x + 50, 5 * y + 50);
}
