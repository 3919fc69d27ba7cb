#pragma once

#include "placedmodel.h"
#include "tmodel.h"

// Turning a model into OpenGL 1.1 calls. The model is drawn in its file's own coordinates with the
// current matrices and lighting; its bounds are kept for the record, never used to place it.

// Fills BoundsMin, Center, BoundsMax and Extent. The box starts at the origin, so it always
// contains it: vertices all in [1, 3] give (0, 0, 0) .. (3, 3, 3), Center 1.5 and Extent 3.
void ComputeModelBounds(TModel& model);

// True when some group selects one of the model's materials. A model that selects none (or has
// no library) is drawn with whatever material is set already: the scene record's own.
bool SelectsMaterial(const TModel& model);

// Draws the groups in order: each group's material for both faces (diffuse, specular, ambient,
// shininess; alpha 1; slot 0's black when the group selected none but others did), then one
// GL_TRIANGLES / GL_QUADS / GL_POLYGON begin-end per face of 3 / 4 / other corners, a normal
// before each vertex when the model has normals and the corner names one. A face that names an
// index of 0 or beyond the model's lists is skipped; nothing is read outside the arrays.
void DrawModel(const TModel& model);

// Draws as DrawModel does, but sends each run of consecutive triangles (or quads) of a group in
// one begin-end: the same primitives in the same order with the same normals, in far fewer
// calls, which is the form the model cache compiles into its display lists. Polygons keep a
// begin-end each.
void DrawModelJoined(const TModel& model);

// Moves the current matrix to where a scene record stands its model: scales by (sx, sy, sz), then
// translates by (x, y, z), then rotates by angle degrees about the axis, so the move is scaled
// with the model.
void PlaceModel(const PlacedModel& model);
