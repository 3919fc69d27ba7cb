#pragma once

#include "simworld.h"

#include <ode/ode.h>
#include <vector>

// What SimWorld keeps of ODE; shared by the files that build, collide and step it.

// A geom's user data: which body or plane of the world it belongs to.
struct GeomTag
{
    bool plane = false;
    int index = 0;
};

struct SimBody
{
    int row = 0;
    dBodyID body = nullptr; // null for fixed geometry
    dGeomID geom = nullptr;
    dTriMeshDataID meshData = nullptr;
    std::vector<double> meshVertices;
    std::vector<dTriIndex> meshIndices;
    Affine startPose; // the body's frame at the start, rigid
    // For each plane, +1 when the body started on the side its normal points to, else -1.
    std::vector<signed char> sides;
    GeomTag tag;
    bool trailing = false;
    double trailClock = 0; // time of the last trail point
};

struct SimPlane
{
    dGeomID front = nullptr; // in the space: solid behind the normal
    dGeomID back = nullptr;  // outside any space: the same plane, solid in front
    SimVector normal{};
    double offset = 0;
    GeomTag tag;
};

struct SimWorld::Impl
{
    std::vector<SimRecord> records;
    std::vector<SimBodyState> states;
    std::vector<std::deque<SimVector>> trails;
    std::vector<int> bodyOfRow; // index into bodies, or -1
    std::vector<SimBody> bodies;
    std::vector<SimPlane> planes;
    dWorldID world = nullptr;
    dSpaceID space = nullptr;
    dJointGroupID contacts = nullptr;
    long steps = 0;
    double pending = 0;

    int grabbed = -1; // body index
    SimVector grabOrigin{}, grabTarget{};
    SimVector dragVelocity{}; // smoothed, given to the body on release

    ~Impl();
    void build(QStringList& problems);
    void addPlane(const SimShape& shape);
    void addBody(int row, QStringList& problems);
    void createGeom(SimBody& body, const SimShape& shape, QStringList& problems);
    void createMesh(SimBody& body, const SimShape& shape, QStringList& problems);
    void placeSides(SimBody& body);
    void collide(dGeomID a, dGeomID b);
    void step();
    void steerGrabbed();
    void updateStates(double elapsed);
    void updatePose(const SimBody& body);
    void recordTrail(SimBody& body);
};
