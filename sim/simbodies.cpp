#include "simworldimpl.h"

#include <algorithm>
#include <cmath>

namespace {

// Mass of a mesh: volume and centre from its signed tetrahedra; an inside-out mesh is turned the
// right way round first.
struct MeshVolume
{
    double volume = 0;
    SimVector centre{};
};

MeshVolume meshVolume(const std::vector<SimVector>& v, const std::vector<int>& t)
{
    MeshVolume out;
    SimVector weighted{};
    for (size_t i = 0; i + 2 < t.size(); i += 3) {
        const SimVector &a = v[size_t(t[i])], &b = v[size_t(t[i + 1])], &c = v[size_t(t[i + 2])];
        const double six = dot(a, cross(b, c));
        out.volume += six / 6;
        weighted = weighted + (six / 24) * (a + b + c);
    }
    if (out.volume != 0)
        out.centre = (1 / out.volume) * weighted;
    return out;
}

void boundsOf(const std::vector<SimVector>& v, SimVector& low, SimVector& high)
{
    low = high = v.front();
    for (const SimVector& p : v)
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
}

// Turns the body when there is one, else the fixed geom.
void setRotation(dBodyID body, dGeomID geom, const Affine& pose)
{
    dMatrix3 r;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            r[row * 4 + col] = pose.linear[size_t(row)][size_t(col)];
        r[row * 4 + 3] = 0;
    }
    if (body)
        dBodySetRotation(body, r);
    else
        dGeomSetRotation(geom, r);
}

} // namespace

SimWorld::Impl::~Impl()
{
    for (SimBody& body : bodies) {
        if (body.geom)
            dGeomDestroy(body.geom);
        if (body.meshData)
            dGeomTriMeshDataDestroy(body.meshData);
    }
    for (SimPlane& plane : planes) {
        dGeomDestroy(plane.front);
        dGeomDestroy(plane.back);
    }
    if (contacts)
        dJointGroupDestroy(contacts);
    if (space)
        dSpaceDestroy(space);
    if (world)
        dWorldDestroy(world);
}

void SimWorld::Impl::build(QStringList& problems)
{
    world = dWorldCreate();
    dWorldSetGravity(world, 0, 0, -SimWorld::gravity);
    dWorldSetQuickStepNumIterations(world, 20);
    dWorldSetContactSurfaceLayer(world, 0.001);
    space = dHashSpaceCreate(nullptr);
    contacts = dJointGroupCreate(0);
    bodyOfRow.assign(records.size(), -1);
    for (const SimRecord& record : records)
        if (record.shape.kind == SimShape::Plane)
            addPlane(record.shape);
    for (SimPlane& plane : planes) {
        dGeomSetData(plane.front, &plane.tag);
        dGeomSetData(plane.back, &plane.tag);
    }
    bodies.reserve(records.size());
    for (size_t row = 0; row < records.size(); ++row) {
        const SimShape::Kind kind = records[row].shape.kind;
        if (kind != SimShape::None && kind != SimShape::Plane)
            addBody(int(row), problems);
    }
    for (SimBody& body : bodies)
        placeSides(body);
}

// A drawn plane has no solid side, while ODE's has one; each plane is kept both ways round and
// every body meets the side it starts on.
void SimWorld::Impl::addPlane(const SimShape& shape)
{
    SimPlane plane;
    plane.normal = shape.normal;
    plane.offset = shape.offset;
    const SimVector& n = shape.normal;
    plane.front = dCreatePlane(space, n[0], n[1], n[2], shape.offset);
    plane.back = dCreatePlane(nullptr, -n[0], -n[1], -n[2], -shape.offset);
    plane.tag = GeomTag{true, int(planes.size())};
    planes.push_back(plane);
}

void SimWorld::Impl::addBody(int row, QStringList& problems)
{
    const SimRecord& record = records[size_t(row)];
    bodies.emplace_back();
    SimBody& body = bodies.back();
    body.row = row;
    body.tag = GeomTag{false, int(bodies.size()) - 1};
    if (record.moving) {
        body.body = dBodyCreate(world);
        dBodySetGravityMode(body.body, record.gravity ? 1 : 0);
    }
    createGeom(body, record.shape, problems);
    if (!body.geom)
        return;
    dGeomSetData(body.geom, &body.tag);
    const SimVector& c = body.startPose.offset;
    if (body.body) {
        dGeomSetBody(body.geom, body.body);
        dBodySetPosition(body.body, c[0], c[1], c[2]);
    } else {
        dGeomSetPosition(body.geom, c[0], c[1], c[2]);
    }
    setRotation(body.body, body.geom, body.startPose);
    bodyOfRow[size_t(row)] = body.tag.index;
    body.trailing = record.trailAlways && record.moving;
}

namespace {

void setPlainMass(dBodyID body, const SimShape& shape, double total)
{
    dMass mass;
    switch (shape.kind) {
    case SimShape::Sphere:
        dMassSetSphereTotal(&mass, total, shape.radius);
        break;
    case SimShape::Capsule:
        dMassSetCapsuleTotal(&mass, total, 3, shape.radius, shape.length);
        break;
    default:
        dMassSetBoxTotal(&mass, total, shape.sides[0], shape.sides[1], shape.sides[2]);
        break;
    }
    dBodySetMass(body, &mass);
}

// An open or flat mesh has no volume to spread the mass over: its bounding box takes it.
void setMeshMass(dBodyID body, dGeomID geom, double total, const SimVector& low,
                 const SimVector& high)
{
    dMass mass;
    dMassSetTrimeshTotal(&mass, total, geom);
    bool sound = std::isfinite(mass.mass) && mass.mass > 0 && dMassCheck(&mass);
    if (sound) {
        dMassTranslate(&mass, -mass.c[0], -mass.c[1], -mass.c[2]);
    } else {
        const double floor = 1e-3 * std::max(length(high - low), 1e-9);
        dMassSetBoxTotal(&mass, total, std::max(high[0] - low[0], floor),
                         std::max(high[1] - low[1], floor), std::max(high[2] - low[2], floor));
    }
    dBodySetMass(body, &mass);
}

} // namespace

void SimWorld::Impl::createGeom(SimBody& body, const SimShape& shape, QStringList& problems)
{
    const SimRecord& record = records[size_t(body.row)];
    switch (shape.kind) {
    case SimShape::Sphere:
        body.geom = dCreateSphere(space, shape.radius);
        break;
    case SimShape::Capsule:
        body.geom = dCreateCapsule(space, shape.radius, shape.length);
        break;
    case SimShape::Box:
        body.geom = dCreateBox(space, shape.sides[0], shape.sides[1], shape.sides[2]);
        break;
    default:
        break;
    }
    if (body.geom) {
        body.startPose = shape.pose;
        if (body.body)
            setPlainMass(body.body, shape, record.mass);
        return;
    }
    createMesh(body, shape, problems);
}

void SimWorld::Impl::createMesh(SimBody& body, const SimShape& shape, QStringList& problems)
{
    const SimRecord& record = records[size_t(body.row)];
    const std::vector<SimVector>& vertices = shape.vertices;
    SimVector low, high;
    boundsOf(vertices, low, high);
    if (length(high - low) == 0) {
        problems << record.name + QStringLiteral(": a forma não tem tamanho");
        return;
    }
    MeshVolume volume = meshVolume(vertices, shape.triangles);
    std::vector<dTriIndex>& triangles = body.meshIndices;
    triangles.assign(shape.triangles.begin(), shape.triangles.end());
    if (volume.volume < 0)
        for (size_t i = 0; i + 2 < triangles.size(); i += 3)
            std::swap(triangles[i + 1], triangles[i + 2]);
    const double sizeCubed = std::pow(length(high - low), 3);
    const bool solid = std::abs(volume.volume) > 1e-9 * sizeCubed;
    const SimVector centre = solid ? volume.centre : 0.5 * (low + high);
    // Fixed meshes stay in scene coordinates; moving ones are held about their centre of mass.
    const SimVector origin = body.body ? centre : SimVector{0, 0, 0};
    body.startPose = Affine::translation(origin);
    for (const SimVector& v : vertices)
        for (int i = 0; i < 3; ++i)
            body.meshVertices.push_back(v[size_t(i)] - origin[size_t(i)]);
    body.meshData = dGeomTriMeshDataCreate();
    dGeomTriMeshDataBuildDouble(body.meshData, body.meshVertices.data(), 3 * sizeof(double),
                                int(vertices.size()), body.meshIndices.data(),
                                int(body.meshIndices.size()), 3 * sizeof(dTriIndex));
    body.geom = dCreateTriMesh(space, body.meshData, nullptr, nullptr, nullptr);
    if (body.body)
        setMeshMass(body.body, body.geom, record.mass, low - origin, high - origin);
}

void SimWorld::Impl::placeSides(SimBody& body)
{
    body.sides.clear();
    for (const SimPlane& plane : planes)
        body.sides.push_back(dot(plane.normal, body.startPose.offset) >= plane.offset ? 1 : -1);
}
