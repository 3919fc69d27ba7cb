#include "previewmarks.h"

#include "simworld.h"

#include <GL/gl.h>
#include <cmath>

namespace {

// Apart from the axes' red, green and blue and the lights' yellow.
const GLfloat trailColour[] = {0.2f, 0.9f, 0.9f};
const GLfloat velocityColour[] = {1.0f, 0.5f, 0.0f};
const GLfloat accelerationColour[] = {1.0f, 0.2f, 0.8f};
const GLfloat rotationColour[] = {0.7f, 0.7f, 1.0f};

void vertex(const SimVector& p)
{
    glVertex3d(p[0], p[1], p[2]);
}

// A shaft from `from` along `vector` and a head of two barbs, a fifth of the arrow long, spread
// level beside the shaft (along x for an upright arrow).
void drawArrow(const SimVector& from, const SimVector& vector)
{
    const double size = length(vector);
    if (!(size > 1e-9) || !std::isfinite(size))
        return;
    const SimVector tip = from + vector;
    const SimVector along = (1 / size) * vector;
    SimVector side = cross(along, SimVector{0, 0, 1});
    if (length(side) < 1e-6)
        side = cross(along, SimVector{1, 0, 0});
    side = (1 / length(side)) * side;
    const double head = 0.2 * size;
    glBegin(GL_LINES);
    {
        vertex(from);
        vertex(tip);
        vertex(tip);
        vertex(tip - head * along + 0.5 * head * side);
        vertex(tip);
        vertex(tip - head * along - 0.5 * head * side);
    }
    glEnd();
}

void drawTrail(const SimWorld& world, int row)
{
    const auto& trail = world.trail(row);
    if (trail.size() < 2)
        return;
    glColor3fv(trailColour);
    glBegin(GL_LINE_STRIP);
    for (const SimVector& point : trail)
        vertex(point);
    glEnd();
}

// The rotation axis through the centre, one unit each way, when the body turns at all.
void drawRotationAxis(const SimBodyState& state)
{
    const SimVector& w = state.angularVelocity;
    const double rate = length(w);
    if (!(rate > 1e-6))
        return;
    const SimVector half = (1 / rate) * w;
    glColor3fv(rotationColour);
    glBegin(GL_LINES);
    vertex(state.centre - half);
    vertex(state.centre + half);
    glEnd();
}

void drawMarksOf(const SimWorld& world, int row)
{
    const SimRecord& record = world.record(row);
    const SimBodyState& state = world.state(row);
    drawTrail(world, row);
    if (record.showVelocity) {
        glColor3fv(velocityColour);
        drawArrow(state.centre, velocityArrowSeconds * state.velocity);
    }
    if (record.showAcceleration) {
        glColor3fv(accelerationColour);
        drawArrow(state.centre, accelerationArrowScale * state.acceleration);
    }
    if (record.showRotationAxis)
        drawRotationAxis(state);
}

} // namespace

void drawPreviewMarks(const SimWorld& world)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glLineWidth(2);
    for (int row = 0; row < world.rowCount(); ++row)
        if (world.isMoving(row))
            drawMarksOf(world, row);
    glPopAttrib();
}
