#include "simworldimpl.h"

#include <cmath>
#include <mutex>

namespace {

void initialiseOde()
{
    static std::once_flag once;
    std::call_once(once, [] { dInitODE2(0); });
    dAllocateODEDataForThread(dAllocateMaskAll);
}

SimVector toVec(const dReal* v)
{
    return {v[0], v[1], v[2]};
}

const std::deque<SimVector> noTrail;

} // namespace

SimBuildError::SimBuildError(const QStringList& problems)
    : std::runtime_error(problems.join('\n').toStdString()), m_problems(problems)
{}

SimWorld::SimWorld(const RecordTable& table, ModelLibrary* models) : m(std::make_unique<Impl>())
{
    initialiseOde();
    QStringList problems;
    m->records = readSimRecords(table, models, problems);
    if (problems.isEmpty())
        m->build(problems);
    if (!problems.isEmpty())
        throw SimBuildError(problems);
    m->states.resize(m->records.size());
    m->trails.resize(m->records.size());
    for (SimBody& body : m->bodies) {
        m->states[size_t(body.row)].centre = body.startPose.offset;
        if (body.trailing)
            m->recordTrail(body);
    }
}

SimWorld::~SimWorld() = default;

int SimWorld::rowCount() const
{
    return int(m->records.size());
}

const SimRecord& SimWorld::record(int row) const
{
    return m->records[size_t(row)];
}

const SimBodyState& SimWorld::state(int row) const
{
    return m->states[size_t(row)];
}

bool SimWorld::isMoving(int row) const
{
    const int index = m->bodyOfRow[size_t(row)];
    return index >= 0 && m->bodies[size_t(index)].body;
}

double SimWorld::time() const
{
    return double(m->steps) * stepSeconds;
}

void SimWorld::advance(double seconds)
{
    if (!(seconds > 0))
        return;
    m->pending += seconds;
    double elapsed = 0;
    while (m->pending >= stepSeconds) {
        m->step();
        m->pending -= stepSeconds;
        elapsed += stepSeconds;
    }
    if (elapsed > 0)
        m->updateStates(elapsed);
}

int SimWorld::rowAlongRay(const SimVector& from, const SimVector& direction, double reach) const
{
    const dGeomID ray = dCreateRay(nullptr, reach);
    dGeomRaySet(ray, from[0], from[1], from[2], direction[0], direction[1], direction[2]);
    int nearest = -1;
    double nearestDepth = reach;
    for (const SimBody& body : m->bodies) {
        dContactGeom hit;
        if (dCollide(ray, body.geom, 1, &hit, sizeof(hit)) > 0 && hit.depth < nearestDepth) {
            nearestDepth = hit.depth;
            nearest = body.row;
        }
    }
    dGeomDestroy(ray);
    return nearest;
}

bool SimWorld::canGrab(int row) const
{
    const SimRecord& r = record(row);
    return isMoving(row) && r.userMove && (r.moveAxis[0] || r.moveAxis[1] || r.moveAxis[2]);
}

bool SimWorld::grab(int row)
{
    release();
    if (row < 0 || row >= rowCount() || !canGrab(row))
        return false;
    m->grabbed = m->bodyOfRow[size_t(row)];
    const dBodyID body = m->bodies[size_t(m->grabbed)].body;
    m->grabOrigin = m->grabTarget = toVec(dBodyGetPosition(body));
    m->dragVelocity = {0, 0, 0};
    dBodySetKinematic(body);
    dBodySetLinearVel(body, 0, 0, 0);
    dBodySetAngularVel(body, 0, 0, 0);
    return true;
}

void SimWorld::dragTo(const SimVector& point)
{
    if (m->grabbed < 0)
        return;
    const SimRecord& r = m->records[size_t(m->bodies[size_t(m->grabbed)].row)];
    for (int i = 0; i < 3; ++i)
        if (std::isfinite(point[size_t(i)]))
            m->grabTarget[size_t(i)] = r.moveAxis[i] ? point[size_t(i)] : m->grabOrigin[size_t(i)];
}

void SimWorld::placeHeld()
{
    if (m->grabbed < 0)
        return;
    const SimBody& body = m->bodies[size_t(m->grabbed)];
    const SimVector& goal = m->grabTarget;
    dBodySetPosition(body.body, goal[0], goal[1], goal[2]);
    m->dragVelocity = {0, 0, 0};
    m->updatePose(body);
}

void SimWorld::release()
{
    if (m->grabbed < 0)
        return;
    SimBody& body = m->bodies[size_t(m->grabbed)];
    m->grabbed = -1;
    dBodySetDynamic(body.body);
    const SimVector& v = m->dragVelocity;
    dBodySetLinearVel(body.body, v[0], v[1], v[2]);
    dBodySetAngularVel(body.body, 0, 0, 0);
    if (m->records[size_t(body.row)].trailReleased && !body.trailing) {
        body.trailing = true;
        body.trailClock = time();
        m->recordTrail(body);
    }
}

int SimWorld::grabbedRow() const
{
    return m->grabbed < 0 ? -1 : m->bodies[size_t(m->grabbed)].row;
}

const std::deque<SimVector>& SimWorld::trail(int row) const
{
    return row >= 0 && row < rowCount() ? m->trails[size_t(row)] : noTrail;
}

void SimWorld::Impl::step()
{
    dSpaceCollide(space, this, [](void* data, dGeomID a, dGeomID b) {
        static_cast<Impl*>(data)->collide(a, b);
    });
    steerGrabbed();
    dWorldQuickStep(world, SimWorld::stepSeconds);
    dJointGroupEmpty(contacts);
    ++steps;
    const double now = double(steps) * SimWorld::stepSeconds;
    for (SimBody& body : bodies)
        if (body.trailing && now - body.trailClock >= 1.0 / 60 - 1e-9) {
            body.trailClock = now;
            recordTrail(body);
        }
}

// The held body goes to its goal within one step; the speed it is dragged at is smoothed over
// about a twentieth of a second, so that letting go throws it as the hand moved.
void SimWorld::Impl::steerGrabbed()
{
    if (grabbed < 0)
        return;
    const dBodyID body = bodies[size_t(grabbed)].body;
    const SimVector v = (1 / SimWorld::stepSeconds) * (grabTarget - toVec(dBodyGetPosition(body)));
    dBodySetLinearVel(body, v[0], v[1], v[2]);
    dBodySetAngularVel(body, 0, 0, 0);
    const double share = SimWorld::stepSeconds / 0.05;
    dragVelocity = (1 - share) * dragVelocity + share * v;
}

void SimWorld::Impl::updateStates(double elapsed)
{
    for (SimBody& body : bodies) {
        if (!body.body)
            continue;
        SimBodyState& state = states[size_t(body.row)];
        const SimVector velocity = toVec(dBodyGetLinearVel(body.body));
        state.acceleration = (1 / elapsed) * (velocity - state.velocity);
        state.velocity = velocity;
        state.angularVelocity = toVec(dBodyGetAngularVel(body.body));
        updatePose(body);
    }
}

void SimWorld::Impl::updatePose(const SimBody& body)
{
    SimBodyState& state = states[size_t(body.row)];
    state.centre = toVec(dBodyGetPosition(body.body));
    const dReal* r = dBodyGetRotation(body.body);
    Affine now;
    for (size_t row = 0; row < 3; ++row)
        for (size_t col = 0; col < 3; ++col)
            now.linear[row][col] = r[row * 4 + col];
    now.offset = state.centre;
    state.motion = (now * rigidInverse(body.startPose)).columnMajor();
}

void SimWorld::Impl::recordTrail(SimBody& body)
{
    std::deque<SimVector>& trail = trails[size_t(body.row)];
    trail.push_back(toVec(dBodyGetPosition(body.body)));
    const size_t kept = size_t(SimWorld::trailSeconds * 60) + 1;
    while (trail.size() > kept)
        trail.pop_front();
}
