#pragma once

#include "affine.h"

#include <QString>
#include <QStringList>
#include <vector>

class ModelLibrary;
class RecordTable;

// How a record collides: a plain shape placed by a rigid pose, an unbounded plane, or the
// triangles it is drawn with, already in scene coordinates.
struct SimShape
{
    enum Kind { None, Sphere, Capsule, Box, Plane, Mesh };
    Kind kind = None;
    double radius = 0;  // sphere, capsule
    double length = 0;  // capsule: between the centres of its end spheres, along the pose's z
    SimVector sides{};  // box
    Affine pose;        // centre and turn of a sphere, capsule or box
    SimVector normal{}; // plane: normal . x = offset, the normal of unit length
    double offset = 0;
    std::vector<SimVector> vertices; // mesh, scene coordinates
    std::vector<int> triangles;      // mesh, three vertex indices each
};

// What the simulation needs of one record of the scene table.
struct SimRecord
{
    QString name;
    int kind = -1;
    bool moving = false;  // "ODEMove"
    bool gravity = false; // "TemGravidade"
    double mass = 0;
    double friction = 0;
    double bounce = 0; // from "TipoDeColisao": 0, 0.5 or 1
    bool userMove = false;
    bool moveAxis[3] = {false, false, false};
    bool trailAlways = false, trailReleased = false;
    bool showVelocity = false, showAcceleration = false, showRotationAxis = false;
    SimShape shape;
};

// Every posted record of the table, in row order, read without moving its cursor. A record that
// cannot be simulated adds one line per fault to `problems` ("Objeto3: massa deve ser positiva");
// its shape is then None. Records of an unknown kind are kept with no shape: they draw nothing,
// so nothing collides. Models are read through `models`; without it a model record is a fault.
std::vector<SimRecord> readSimRecords(const RecordTable& table, ModelLibrary* models,
                                      QStringList& problems);
