#pragma once

#include <array>

// A point or a direction in scene coordinates.
using Vec3 = std::array<double, 3>;

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(double s, const Vec3& a);
double dot(const Vec3& a, const Vec3& b);
Vec3 cross(const Vec3& a, const Vec3& b);
double length(const Vec3& a);

// x -> linear * x + offset: what OpenGL's scale, translate and rotate calls build, in doubles.
struct Affine
{
    std::array<std::array<double, 3>, 3> linear{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec3 offset{0, 0, 0};

    Vec3 apply(const Vec3& point) const;
    Vec3 turn(const Vec3& direction) const; // the linear part alone
    Vec3 column(int i) const { return {linear[0][i], linear[1][i], linear[2][i]}; }
    double determinant() const;
    // The matrix as glMultMatrixd takes it: column after column, 4 x 4.
    std::array<double, 16> columnMajor() const;

    static Affine translation(const Vec3& by);
    static Affine scale(const Vec3& by);
    // As glRotate: `degrees` about the axis, which need not be unit; a zero axis turns nothing.
    static Affine rotation(double degrees, const Vec3& axis);
};

// a then b applied after it is b * a; this is the product in the order matrices are written.
Affine operator*(const Affine& a, const Affine& b);
// The inverse of a rigid motion (orthonormal linear part).
Affine rigidInverse(const Affine& motion);
