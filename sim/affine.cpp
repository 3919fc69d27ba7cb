#include "affine.h"

#include <cmath>

SimVector operator+(const SimVector& a, const SimVector& b)
{
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

SimVector operator-(const SimVector& a, const SimVector& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

SimVector operator*(double s, const SimVector& a)
{
    return {s * a[0], s * a[1], s * a[2]};
}

double dot(const SimVector& a, const SimVector& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

SimVector cross(const SimVector& a, const SimVector& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double length(const SimVector& a)
{
    return std::sqrt(dot(a, a));
}

SimVector Affine::apply(const SimVector& point) const
{
    return turn(point) + offset;
}

SimVector Affine::turn(const SimVector& d) const
{
    SimVector out{};
    for (int r = 0; r < 3; ++r)
        out[r] = linear[r][0] * d[0] + linear[r][1] * d[1] + linear[r][2] * d[2];
    return out;
}

double Affine::determinant() const
{
    return dot(column(0), cross(column(1), column(2)));
}

std::array<double, 16> Affine::columnMajor() const
{
    std::array<double, 16> m{};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            m[c * 4 + r] = linear[r][c];
    for (int r = 0; r < 3; ++r)
        m[12 + r] = offset[r];
    m[15] = 1;
    return m;
}

Affine Affine::translation(const SimVector& by)
{
    Affine a;
    a.offset = by;
    return a;
}

Affine Affine::scale(const SimVector& by)
{
    Affine a;
    for (int i = 0; i < 3; ++i)
        a.linear[i][i] = by[i];
    return a;
}

Affine Affine::rotation(double degrees, const SimVector& axis)
{
    Affine a;
    // OpenGL leaves the matrix alone for an axis too short to normalise reliably; the view's
    // drawers then draw the shape unturned, and the bodies must start as drawn.
    const double norm = length(axis);
    if (norm <= longestIgnoredAxis)
        return a;
    const double x = axis[0] / norm, y = axis[1] / norm, z = axis[2] / norm;
    const double angle = degrees * M_PI / 180;
    const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    a.linear = {{{x * x * k + c, x * y * k - z * s, x * z * k + y * s},
                 {y * x * k + z * s, y * y * k + c, y * z * k - x * s},
                 {z * x * k - y * s, z * y * k + x * s, z * z * k + c}}};
    return a;
}

Affine operator*(const Affine& a, const Affine& b)
{
    Affine out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.linear[r][c] = a.linear[r][0] * b.linear[0][c] + a.linear[r][1] * b.linear[1][c] +
                               a.linear[r][2] * b.linear[2][c];
    out.offset = a.apply(b.offset);
    return out;
}

Affine rigidInverse(const Affine& motion)
{
    Affine out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.linear[r][c] = motion.linear[c][r];
    out.offset = -1.0 * out.turn(motion.offset);
    return out;
}
