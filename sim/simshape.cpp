#include "simshape.h"

#include "tmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// The Gram matrix of the linear part's columns: what a shape's drawing does to lengths and angles.
std::array<std::array<double, 3>, 3> gram(const Affine& a)
{
    std::array<std::array<double, 3>, 3> g{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            g[i][j] = dot(a.column(i), a.column(j));
    return g;
}

double largestDiagonal(const std::array<std::array<double, 3>, 3>& g)
{
    return std::max({g[0][0], g[1][1], g[2][2]});
}

// True when the columns are at right angles, within rounding of the drawing's own numbers.
bool columnsOrthogonal(const Affine& a)
{
    const auto g = gram(a);
    const double tolerance = 1e-9 * largestDiagonal(g);
    return std::abs(g[0][1]) <= tolerance && std::abs(g[0][2]) <= tolerance &&
           std::abs(g[1][2]) <= tolerance;
}

bool columnsOfEqualLength(const Affine& a)
{
    const auto g = gram(a);
    const double tolerance = 1e-9 * largestDiagonal(g);
    return std::abs(g[0][0] - g[1][1]) <= tolerance && std::abs(g[0][0] - g[2][2]) <= tolerance;
}

// The linear part with each column made unit: the turn of a drawing that only scales and turns.
Affine unitColumns(const Affine& a)
{
    Affine out = a;
    for (int c = 0; c < 3; ++c) {
        const double norm = length(a.column(c));
        for (int r = 0; r < 3; ++r)
            out.linear[r][c] = a.linear[r][c] / norm;
    }
    return out;
}

SimShape meshThrough(const std::vector<SimVector>& local, std::vector<int> triangles,
                     const Affine& drawn)
{
    SimShape shape;
    shape.kind = SimShape::Mesh;
    shape.vertices.reserve(local.size());
    for (const SimVector& v : local)
        shape.vertices.push_back(drawn.apply(v));
    shape.triangles = std::move(triangles);
    return shape;
}

// A sphere of 10 slices and 10 stacks, as the view tessellates it, poles on z.
SimShape sphereMesh(double radius, const Affine& drawn)
{
    const int slices = 10, stacks = 10;
    std::vector<SimVector> vertices{{0, 0, radius}};
    for (int i = 1; i < stacks; ++i) {
        const double phi = M_PI * i / stacks;
        for (int j = 0; j < slices; ++j) {
            const double theta = 2 * M_PI * j / slices;
            vertices.push_back({radius * std::sin(phi) * std::cos(theta),
                                radius * std::sin(phi) * std::sin(theta), radius * std::cos(phi)});
        }
    }
    vertices.push_back({0, 0, -radius});
    const int south = int(vertices.size()) - 1;
    auto ring = [&](int i, int j) { return 1 + (i - 1) * slices + (j % slices); };
    std::vector<int> triangles;
    for (int j = 0; j < slices; ++j) {
        triangles.insert(triangles.end(), {0, ring(1, j), ring(1, j + 1)});
        triangles.insert(triangles.end(), {south, ring(stacks - 1, j + 1), ring(stacks - 1, j)});
        for (int i = 1; i < stacks - 1; ++i)
            triangles.insert(triangles.end(), {ring(i, j), ring(i + 1, j), ring(i + 1, j + 1),
                                               ring(i, j), ring(i + 1, j + 1), ring(i, j + 1)});
    }
    return meshThrough(vertices, std::move(triangles), drawn);
}

} // namespace

SimShape sphereShape(double radius, const Affine& drawn)
{
    if (!columnsOrthogonal(drawn) || !columnsOfEqualLength(drawn))
        return sphereMesh(radius, drawn);
    SimShape shape;
    shape.kind = SimShape::Sphere;
    shape.radius = radius * length(drawn.column(0));
    shape.pose = Affine::translation(drawn.offset);
    return shape;
}

SimShape capsuleShape(double radius, double length, const Affine& drawn)
{
    SimShape shape;
    shape.kind = SimShape::Capsule;
    shape.radius = radius;
    shape.length = length;
    shape.pose = drawn;
    shape.pose.offset = drawn.apply({0, 0, length / 2});
    return shape;
}

SimShape boxShape(const Affine& drawn)
{
    if (columnsOrthogonal(drawn) && drawn.determinant() > 0) {
        SimShape shape;
        shape.kind = SimShape::Box;
        for (int i = 0; i < 3; ++i)
            shape.sides[i] = length(drawn.column(i));
        shape.pose = unitColumns(drawn);
        return shape;
    }
    std::vector<SimVector> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back({i & 1 ? 0.5 : -0.5, i & 2 ? 0.5 : -0.5, i & 4 ? 0.5 : -0.5});
    // Two triangles a face, wound counter-clockwise seen from outside.
    std::vector<int> triangles{0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                               2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    return meshThrough(corners, std::move(triangles), drawn);
}

SimShape planeShape(double a, double b, double c, double d)
{
    SimShape shape;
    const double norm = length({a, b, c});
    if (norm == 0)
        return shape;
    shape.kind = SimShape::Plane;
    shape.normal = {a / norm, b / norm, c / norm};
    shape.offset = -d / norm;
    return shape;
}

SimShape modelShape(const TModel& model, const Affine& drawn)
{
    std::vector<SimVector> vertices;
    for (int i = 1; i <= model.VertexCount && size_t(i) < model.Vertices.size(); ++i) {
        const TVector3& v = model.Vertices[size_t(i)];
        vertices.push_back({v[0], v[1], v[2]});
    }
    std::vector<int> triangles;
    const int count = int(vertices.size());
    for (const TGroup& group : model.Groups)
        for (size_t f = 1; f < group.Faces.size(); ++f) {
            const TFace& face = group.Faces[f];
            std::vector<int> corners;
            for (int k = 0; k < face.Count; ++k) {
                const size_t at = size_t(face.First) + size_t(k);
                const int vertex = at < group.Corners.size() ? group.Corners[at].Vertex : 0;
                if (vertex < 1 || vertex > count)
                    break;
                corners.push_back(vertex - 1);
            }
            if (int(corners.size()) != face.Count)
                continue;
            for (size_t k = 2; k < corners.size(); ++k)
                triangles.insert(triangles.end(), {corners[0], corners[k - 1], corners[k]});
        }
    return meshThrough(vertices, std::move(triangles), drawn);
}
