#pragma once

#include <vector>

struct ShapePose;

// The z of a sphere's axis as a frame drawn at `clock` turns it: the clock adds 100 units a
// second.
inline double clockedAxisZ(double z, double clock)
{
    return z + 100 * clock;
}

// The spheres of the last frame whose turn the frame clock can reach. A sphere is drawn turned
// about its axis with the clock's 100 units a second added to the axis's z, so a later clock
// draws another picture only where that changes the direction OpenGL turns about: any axis with
// an x or y part, and an axis along z (or none at all) until it points up for good.
class ClockedAxes
{
public:
    // A new frame drawn at `clock`: no sphere yet.
    void startFrame(double clock);
    // A sphere of that frame, with its pose as the record gives it (the clock not yet added).
    void noteSphere(const ShapePose& pose);
    // True when the frame drawn at `clock` would turn some sphere of the last frame otherwise.
    bool changeBy(double clock) const;

private:
    struct Axis
    {
        double z;    // the record's own
        bool alongZ; // no x or y part as OpenGL receives it: only the sign of z counts then
    };

    double m_clock = 0;
    std::vector<Axis> m_axes;
};
