#include "clockedaxes.h"

#include "shapes.h"

namespace {

// The axis's z as OpenGL receives it at `clock`: the frame adds the clock in double precision
// and glRotatef takes floats.
float zAt(double z, double clock)
{
    return float(clockedAxisZ(z, clock));
}

// Turning about an axis along z depends only on whether it points up, down or nowhere.
int sign(float z)
{
    return (z > 0) - (z < 0);
}

} // namespace

void ClockedAxes::startFrame(double clock)
{
    m_clock = clock;
    m_axes.clear();
}

void ClockedAxes::noteSphere(const ShapePose& pose)
{
    if (float(pose.angle) == 0)
        return; // no turn at all, whatever the axis
    const bool alongZ = float(pose.axisX) == 0 && float(pose.axisY) == 0;
    if (alongZ && zAt(pose.axisZ, m_clock) > 0)
        return; // points up now, and the clock only ever adds to z
    m_axes.push_back({pose.axisZ, alongZ});
}

bool ClockedAxes::changeBy(double clock) const
{
    for (const Axis& axis : m_axes) {
        const float before = zAt(axis.z, m_clock), after = zAt(axis.z, clock);
        if (axis.alongZ ? sign(before) != sign(after) : before != after)
            return true;
    }
    return false;
}
