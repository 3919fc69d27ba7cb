#pragma once

#include <array>

// A point or a direction in scene coordinates.
using SimVector = std::array<double, 3>;

SimVector operator+(const SimVector& a, const SimVector& b);
SimVector operator-(const SimVector& a, const SimVector& b);
SimVector operator*(double s, const SimVector& a);
double dot(const SimVector& a, const SimVector& b);
SimVector cross(const SimVector& a, const SimVector& b);
double length(const SimVector& a);

// x -> linear * x + offset: what OpenGL's scale, translate and rotate calls build, in doubles.
struct Affine
{
    std::array<std::array<double, 3>, 3> linear{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    SimVector offset{0, 0, 0};

    SimVector apply(const SimVector& point) const;
    SimVector turn(const SimVector& direction) const; // the linear part alone
    SimVector column(int i) const { return {linear[0][i], linear[1][i], linear[2][i]}; }
    double determinant() const;
    // The matrix as glMultMatrixd takes it: column after column, 4 x 4.
    std::array<double, 16> columnMajor() const;

    static Affine translation(const SimVector& by);
    static Affine scale(const SimVector& by);
    // glRotate turns nothing about an axis this long or shorter.
    static constexpr double longestIgnoredAxis = 1e-4;
    // As glRotate: `degrees` about the axis, which need not be unit; an axis no longer than
    // longestIgnoredAxis turns nothing.
    static Affine rotation(double degrees, const SimVector& axis);
};

// a then b applied after it is b * a; this is the product in the order matrices are written.
Affine operator*(const Affine& a, const Affine& b);
// The inverse of a rigid motion (orthonormal linear part).
Affine rigidInverse(const Affine& motion);
