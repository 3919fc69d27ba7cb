#include "simworldimpl.h"

#include <cmath>

namespace {

const int maxContacts = 16;

bool isDynamic(dBodyID body)
{
    return body && !dBodyIsKinematic(body);
}

SimVector pointVelocity(dBodyID body, const dReal* point)
{
    if (!body)
        return {0, 0, 0};
    dVector3 v;
    dBodyGetPointVel(body, point[0], point[1], point[2], v);
    return {v[0], v[1], v[2]};
}

// ODE's friction box lets a slide along its diagonal resist up to sqrt(2) times the friction
// force; aiming its first direction along the slide (or, at rest, along the pull of gravity on
// the surface) keeps the force a body feels at mu times the normal force.
bool frictionDirection(const dContactGeom& contact, dBodyID a, dBodyID b, bool gravityOnA,
                       dVector3 direction)
{
    const SimVector n{contact.normal[0], contact.normal[1], contact.normal[2]};
    SimVector slide = pointVelocity(a, contact.pos) - pointVelocity(b, contact.pos);
    slide = slide - dot(slide, n) * n;
    if (length(slide) < 1e-6) {
        if (!gravityOnA)
            return false;
        const SimVector down{0, 0, -SimWorld::gravity};
        slide = down - dot(down, n) * n;
        if (length(slide) < 1e-9)
            return false;
    }
    const double norm = length(slide);
    for (int i = 0; i < 3; ++i)
        direction[i] = slide[size_t(i)] / norm;
    return true;
}

} // namespace

void SimWorld::Impl::collide(dGeomID a, dGeomID b)
{
    auto* tagA = static_cast<GeomTag*>(dGeomGetData(a));
    auto* tagB = static_cast<GeomTag*>(dGeomGetData(b));
    if (!tagA || !tagB || (tagA->plane && tagB->plane))
        return;
    if (tagA->plane)
        std::swap(a, b), std::swap(tagA, tagB);
    const dBodyID bodyA = dGeomGetBody(a);
    const dBodyID bodyB = dGeomGetBody(b);
    if (!isDynamic(bodyA) && !isDynamic(bodyB))
        return;
    const SimBody& first = bodies[size_t(tagA->index)];
    const SimRecord& recordA = records[size_t(first.row)];
    double friction = recordA.friction;
    double bounce = recordA.bounce;
    if (tagB->plane) {
        if (first.sides[size_t(tagB->index)] < 0)
            b = planes[size_t(tagB->index)].back;
    } else {
        const SimRecord& recordB = records[size_t(bodies[size_t(tagB->index)].row)];
        friction = std::sqrt(friction * recordB.friction);
        bounce = (bounce + recordB.bounce) / 2;
    }
    const bool gravityOnA = bodyA && dBodyGetGravityMode(bodyA);
    dContactGeom found[maxContacts];
    const int count = dCollide(a, b, maxContacts, found, sizeof(dContactGeom));
    for (int i = 0; i < count; ++i) {
        dContact contact{};
        contact.geom = found[i];
        contact.surface.mode = dContactBounce | dContactApprox1;
        contact.surface.mu = friction;
        contact.surface.bounce = bounce;
        contact.surface.bounce_vel = 0.01;
        if (frictionDirection(found[i], bodyA, bodyB, gravityOnA, contact.fdir1))
            contact.surface.mode |= dContactFDir1;
        const dJointID joint = dJointCreateContact(world, contacts, &contact);
        dJointAttach(joint, bodyA, bodyB);
    }
}
