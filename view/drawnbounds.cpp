#include "drawnbounds.h"

#include "affine.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "tmodel.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

Vec3 scaled(Vec3 a, double sx, double sy, double sz)
{
    return {sx * a.x, sy * a.y, sz * a.z};
}

bool finite(std::initializer_list<double> values)
{
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool finitePose(const ShapePose& p)
{
    return finite({p.x, p.y, p.z, p.sx, p.sy, p.sz, p.angle, p.axisX, p.axisY, p.axisZ});
}

// The turn glRotatef makes, as the simulation builds it: none for an axis too short to
// normalise.
class Turn
{
public:
    explicit Turn(const ShapePose& p)
        : m_turn(Affine::rotation(p.angle, {p.axisX, p.axisY, p.axisZ}))
    {}
    Vec3 operator()(Vec3 v) const
    {
        const SimVector turned = m_turn.turn({v.x, v.y, v.z});
        return {turned[0], turned[1], turned[2]};
    }

private:
    Affine m_turn;
};

DrawnBounds ball(Vec3 centre, double radius)
{
    if (!finite({centre.x, centre.y, centre.z, radius}))
        return DrawnBounds{DrawnBounds::Unbounded, {}, 0};
    return DrawnBounds{DrawnBounds::Ball, centre, radius};
}

const DrawnBounds unbounded{DrawnBounds::Unbounded, {}, 0};

// The unit sphere turned, moved, then scaled: an ellipsoid round the scaled position.
DrawnBounds sphereBounds(double radius, const ShapePose& p)
{
    const double largestScale = std::max({std::abs(p.sx), std::abs(p.sy), std::abs(p.sz)});
    return ball(scaled({p.x, p.y, p.z}, p.sx, p.sy, p.sz), largestScale * std::abs(radius));
}

// Two spheres `length` apart along the turned z axis and the cylinder between them.
DrawnBounds capsuleBounds(double radius, double length, const ShapePose& p)
{
    const Vec3 middle = Turn(p)({0, 0, length / 2});
    return ball(Vec3{p.x, p.y, p.z} + middle, std::abs(length) / 2 + std::abs(radius));
}

// The turned unit cube stretched by the sizes: symmetric about its position, so the ball is
// centred there and reaches its farthest corner.
DrawnBounds cubeBounds(const double* size, const ShapePose& p)
{
    const Turn turn(p);
    double farthest = 0;
    for (double x : {-0.5, 0.5})
        for (double y : {-0.5, 0.5})
            for (double z : {-0.5, 0.5})
                farthest =
                    std::max(farthest, length(scaled(turn({x, y, z}), size[0], size[1], size[2])));
    return ball({p.x, p.y, p.z}, farthest);
}

// The grid is a parallelogram centred on grid point (0, 0), solved along the axis the drawer
// solves for.
DrawnBounds planeBounds(const double* dim, double extentU, double extentV)
{
    const double a = dim[0], b = dim[1], c = dim[2], d = dim[3];
    const auto point = [&](double u, double v) -> Vec3 {
        if (c != 0)
            return {u, v, -(a * u + b * v + d) / c};
        if (b != 0)
            return {u, -(a * u + c * v + d) / b, v};
        return {-(b * u + c * v + d) / a, u, v};
    };
    if (a == 0 && b == 0 && c == 0)
        return {};
    const Vec3 centre = point(0, 0);
    const double u = extentU / 2, v = extentV / 2;
    return ball(centre, std::max(length(point(u, v) - centre), length(point(u, -v) - centre)));
}

// Every vertex a face of the model draws, turned, moved, then scaled as the model drawer does.
DrawnBounds modelBounds(const TModel& model, const ShapePose& p)
{
    const int32_t vertexCount =
        std::max(0, std::min(model.VertexCount, int32_t(model.Vertices.size()) - 1));
    std::vector<char> used(size_t(vertexCount) + 1, 0);
    const int32_t groups =
        std::max(0, std::min(model.GroupCount, int32_t(model.Groups.size()) - 1));
    for (int32_t g = 1; g <= groups; ++g) {
        const TGroup& group = model.Groups[size_t(g)];
        for (const TCorner& corner : group.Corners)
            if (corner.Vertex >= 1 && corner.Vertex <= vertexCount)
                used[size_t(corner.Vertex)] = 1;
    }
    const Turn turn(p);
    std::vector<Vec3> points;
    for (int32_t i = 1; i <= vertexCount; ++i) {
        if (!used[size_t(i)])
            continue;
        const TVector3& v = model.Vertices[size_t(i)];
        const Vec3 placed = Vec3{p.x, p.y, p.z} + turn({v[0], v[1], v[2]});
        points.push_back(scaled(placed, p.sx, p.sy, p.sz));
    }
    return smallestBall(std::move(points));
}

// The smallest ball is found by Welzl's method in its iterative form: each loop keeps the ball
// of the points so far with the given points on its surface; shuffled input makes it linear on
// average.
struct Sphere
{
    Vec3 centre;
    double radius2 = 0;

    bool holds(Vec3 p) const
    {
        const Vec3 d = p - centre;
        return dot(d, d) <= radius2 * (1 + 1e-10) + 1e-20;
    }
};

Sphere through(Vec3 a, Vec3 b)
{
    const Vec3 half = 0.5 * (b - a);
    return {a + half, dot(half, half)};
}

// The smallest ball with three points on its surface: their circumcircle, or for points in a
// line the ball of the two farthest apart.
Sphere through(Vec3 a, Vec3 b, Vec3 c)
{
    const Vec3 u = b - a, v = c - a, w = cross(u, v);
    const double w2 = dot(w, w);
    if (w2 <= 1e-24 * dot(u, u) * dot(v, v)) {
        const Sphere pairs[] = {through(a, b), through(a, c), through(b, c)};
        return *std::max_element(
            std::begin(pairs), std::end(pairs),
            [](const Sphere& l, const Sphere& r) { return l.radius2 < r.radius2; });
    }
    const Vec3 offset = (1 / (2 * w2)) * cross(dot(u, u) * v - dot(v, v) * u, w);
    return {a + offset, dot(offset, offset)};
}

// The ball with four points on its surface; four points in a plane take the smallest ball
// through three of them that holds the fourth.
Sphere through(Vec3 a, Vec3 b, Vec3 c, Vec3 d)
{
    const Vec3 u = b - a, v = c - a, w = d - a;
    const double det = 2 * dot(u, cross(v, w));
    if (std::abs(det) <= 1e-12 * length(u) * length(v) * length(w)) {
        Sphere best{{}, INFINITY};
        const Vec3 points[] = {a, b, c, d};
        for (int skip = 0; skip < 4; ++skip) {
            const Sphere s =
                through(points[(skip + 1) % 4], points[(skip + 2) % 4], points[(skip + 3) % 4]);
            if (s.holds(points[skip]) && s.radius2 < best.radius2)
                best = s;
        }
        return best;
    }
    const Vec3 offset =
        (1 / det) * (dot(u, u) * cross(v, w) + dot(v, v) * cross(w, u) + dot(w, w) * cross(u, v));
    return {a + offset, dot(offset, offset)};
}

Sphere withThree(const std::vector<Vec3>& p, size_t end, Vec3 q1, Vec3 q2, Vec3 q3)
{
    Sphere s = through(q1, q2, q3);
    for (size_t i = 0; i < end; ++i)
        if (!s.holds(p[i]))
            s = through(q1, q2, q3, p[i]);
    return s;
}

Sphere withTwo(const std::vector<Vec3>& p, size_t end, Vec3 q1, Vec3 q2)
{
    Sphere s = through(q1, q2);
    for (size_t i = 0; i < end; ++i)
        if (!s.holds(p[i]))
            s = withThree(p, i, q1, q2, p[i]);
    return s;
}

Sphere withOne(const std::vector<Vec3>& p, size_t end, Vec3 q)
{
    Sphere s{q, 0};
    for (size_t i = 0; i < end; ++i)
        if (!s.holds(p[i]))
            s = withTwo(p, i, q, p[i]);
    return s;
}

} // namespace

DrawnRecord readDrawnRecord(const std::function<const FieldValue&(int field)>& value)
{
    const auto number = [&](int field) { return valueAsFloat(value(field)); };
    DrawnRecord record;
    record.kind = valueAsInteger(value(SceneField::ODETipo));
    if (record.kind == ElementKind::Arquivo)
        record.modelFile = valueAsString(value(SceneField::Arquivo)).toStdString();
    record.pose =
        ShapePose{number(SceneField::X),    number(SceneField::Y),     number(SceneField::Z),
                  number(SceneField::SX),   number(SceneField::SY),    number(SceneField::SZ),
                  number(SceneField::Ang),  number(SceneField::EixoX), number(SceneField::EixoY),
                  number(SceneField::EixoZ)};
    record.colour = ShapeColour{number(SceneField::R) / 255, number(SceneField::G) / 255,
                                number(SceneField::B) / 255, number(SceneField::A) / 255,
                                valueAsBoolean(value(SceneField::UsaCor))};
    for (int i = 0; i < 4; ++i)
        record.dim[i] = number(SceneField::Dim1 + i);
    return record;
}

DrawnRecord drawnRecordAt(const RecordTable& table, int row)
{
    return readDrawnRecord(
        [&](int field) -> const FieldValue& { return table.valueAt(row, field); });
}

PlacedModel placedModelOf(const DrawnRecord& record)
{
    const ShapePose& p = record.pose;
    const ShapeColour& c = record.colour;
    return PlacedModel{record.modelFile, c.use,   p.x,     p.y,     p.z, p.sx, p.sy, p.sz,
                       p.angle,          p.axisX, p.axisY, p.axisZ, c.r, c.g,  c.b,  c.a};
}

DrawnBounds drawnBounds(const DrawnRecord& record, const ModelLookup& models)
{
    const double* dim = record.dim;
    const ShapePose& pose = record.pose;
    if (!finitePose(pose) || !finite({dim[0], dim[1], dim[2], dim[3]}))
        return unbounded;
    switch (record.kind) {
    case ElementKind::Esfera:
        return sphereBounds(dim[0], pose);
    case ElementKind::Capsula:
        return capsuleBounds(dim[0], dim[1], pose);
    case ElementKind::Cubo:
        return cubeBounds(dim, pose);
    case ElementKind::Plano:
        return planeBounds(dim, pose.sx, pose.sy);
    case ElementKind::Arquivo: {
        const TModel* model = models ? models(record.modelFile) : nullptr;
        return model ? modelBounds(*model, pose) : DrawnBounds{};
    }
    default:
        return {};
    }
}

DrawnBounds modelBoxBounds(const TModel& model, const ShapePose& p)
{
    if (!finitePose(p))
        return unbounded;
    const Vec3 low{model.BoundsMin[0], model.BoundsMin[1], model.BoundsMin[2]};
    const Vec3 high{model.BoundsMax[0], model.BoundsMax[1], model.BoundsMax[2]};
    const Vec3 placed = Vec3{p.x, p.y, p.z} + Turn(p)(0.5 * (low + high));
    const double largestScale = std::max({std::abs(p.sx), std::abs(p.sy), std::abs(p.sz)});
    return ball(scaled(placed, p.sx, p.sy, p.sz), largestScale * length(high - low) / 2);
}

DrawnBounds smallestBall(std::vector<Vec3> points)
{
    if (points.empty())
        return {};
    for (const Vec3& p : points)
        if (!finite({p.x, p.y, p.z}))
            return unbounded;
    std::shuffle(points.begin(), points.end(), std::mt19937(20261209));
    Sphere s{points[0], 0};
    for (size_t i = 1; i < points.size(); ++i)
        if (!s.holds(points[i]))
            s = withOne(points, i, points[i]);
    return ball(s.centre, std::sqrt(s.radius2));
}
