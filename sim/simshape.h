#pragma once

#include "simrecord.h"

struct TModel;

// The shapes of the drawers, as collision shapes where the drawing is exactly one, or as the
// triangles drawn otherwise. `drawn` is the transform the drawer applies to its unit geometry.

// A sphere of `radius` drawn through `drawn` (its own scale, move and turn).
SimShape sphereShape(double radius, const Affine& drawn);
// A capsule: end spheres at the drawn origin and `length` along the drawn z axis.
SimShape capsuleShape(double radius, double length, const Affine& drawn);
// The unit cube centred on the origin drawn through `drawn` (move, stretch, then turn).
SimShape boxShape(const Affine& drawn);
// The drawn plane a x + b y + c z + d = 0; kind None when a, b and c are all 0.
SimShape planeShape(double a, double b, double c, double d);
// The model's faces, as fans of triangles, drawn through `drawn`; corners that name no vertex
// drop their face.
SimShape modelShape(const TModel& model, const Affine& drawn);
