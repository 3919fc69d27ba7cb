#pragma once

#include "camera.h"
#include "fieldvalue.h"
#include "placedmodel.h"
#include "shapes.h"

#include <functional>
#include <string>
#include <vector>

class RecordTable;
struct TModel;

// One record of the scene as the frame reads it: its kind ("ODETipo"), where it stands, its colour,
// "Dim1" to "Dim4" and, for models, "Arquivo" as stored.
struct DrawnRecord
{
    int kind = -1;
    ShapePose pose;
    ShapeColour colour;
    double dim[4] = {0, 0, 0, 0};
    std::string modelFile;
};

// A record's values as the frame reads them, from `value`, which gives each field's value. Every
// value is read before anything is drawn, so an error reading the record cannot leave a primitive
// or a matrix half done; the conversions throw as the fields' own do.
DrawnRecord readDrawnRecord(const std::function<const FieldValue&(int field)>& value);
// The values of posted record `row` (0-based) of a scene table, as the frame reads them.
DrawnRecord drawnRecordAt(const RecordTable& table, int row);

// The model record as the model drawer takes it.
PlacedModel placedModelOf(const DrawnRecord& record);

// The smallest ball around everything the frame draws for one record, in scene coordinates.
// Nothing: the record draws nothing (an unknown kind, a plane with no normal, a model that cannot
// be read or has no faces). Unbounded: a value the drawing uses is not a finite number, so no ball
// can be told; treat the record as reaching everywhere.
struct DrawnBounds
{
    enum Extent { Nothing, Ball, Unbounded };
    Extent extent = Nothing;
    Vec3 centre;
    double radius = 0;
};

// The model a record names, as the drawing would read it; nullptr when it cannot be read.
using ModelLookup = std::function<const TModel*(const std::string& fileName)>;

// The bounds of what the frame draws for `record`, through the same transforms as its drawer:
// spheres scaled after their move, capsules from their position along their turned axis, cubes
// stretched before their turn, planes over their drawn grid, models scaled after their move. The
// sphere's turn by the frame clock does not change its ball. Models are looked up with `models`
// (none given: they count as unreadable); the ball holds every vertex their faces draw. No GL
// context is needed.
DrawnBounds drawnBounds(const DrawnRecord& record, const ModelLookup& models = {});

// A ball that surely holds what a model record draws, from the box of its model's bounds
// (BoundsMin .. BoundsMax, as ComputeModelBounds fills them and the model library gives them):
// no pass over the vertices, but looser than drawnBounds. Unbounded for a pose that is not finite.
DrawnBounds modelBoxBounds(const TModel& model, const ShapePose& pose);

// The smallest ball holding every point; Nothing for none. Points are taken as given, so
// non-finite ones give Unbounded.
DrawnBounds smallestBall(std::vector<Vec3> points);
