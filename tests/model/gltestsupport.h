#pragma once

#include <QPolygonF>
#include <QVector>
#include <functional>
#include <memory>

#include "glharness.h"

// An offscreen context set up so that a point (x, y) of the scene lands on the window point
// (5x + 50, 5y + 50): a 100 x 100 viewport, glOrtho(-10, 10, -10, 10, -10, 10) and the identity
// modelview matrix.
class ModelGL : public OffscreenGL
{
public:
    ModelGL();
};

// The polygons that `draw` produces, in window coordinates, read back in feedback mode. Mesa
// returns quads and polygons as triangles, so compare areas, bounds and triangle sets. Feedback
// that holds anything else, or overflows, fails the running test.
QVector<QPolygonF> feedbackPolygons(const std::function<void()>& draw);

// Every polygon cut into a fan of triangles, each with its corners rounded to 1/1000 and sorted,
// and the list sorted: two drawings of the same triangles compare equal whatever their order.
QVector<QPolygonF> canonicalTriangles(const QVector<QPolygonF>& polygons);

double totalArea(const QVector<QPolygonF>& polygons);
QRectF boundsOf(const QVector<QPolygonF>& polygons);

// Where the feedback set-up puts the scene point (x, y).
QPointF windowPoint(double x, double y);
