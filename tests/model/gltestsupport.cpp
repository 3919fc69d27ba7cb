#include "gltestsupport.h"

#include <GL/gl.h>
#include <QTest>
#include <algorithm>
#include <cmath>

ModelGL::ModelGL() : OffscreenGL(100, 100)
{
    if (!isValid())
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

QVector<QPolygonF> feedbackPolygons(const std::function<void()>& draw)
{
    const Feedback feedback = captureFeedback(draw);
    // The checks compare triangles, as Mesa hands back every polygon; anything else, or a buffer
    // too small for the drawing, would drop out of what they compare and go unseen.
    if (feedback.otherPolygons != 0 || feedback.overflowed)
        QTest::qFail("the feedback holds polygons other than triangles, or overflowed", __FILE__,
                     __LINE__);
    QVector<QPolygonF> polygons;
    for (const auto& triangle : feedback.triangles) {
        QPolygonF polygon;
        for (const FeedbackVertex& corner : triangle)
            polygon << QPointF(corner.x, corner.y);
        polygons << polygon;
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
