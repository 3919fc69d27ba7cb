#include "simrecord.h"

#include "error.h"
#include "modellibrary.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "simshape.h"

#include <cmath>

namespace {

// One record's numbers, read from the table each time they are asked for; a text that is not a
// number throws as the table does.
struct RowReader
{
    const RecordTable& table;
    int row;

    double number(int field) const { return valueAsFloat(table.valueAt(row, field)); }
    bool flag(int field) const { return valueAsBoolean(table.valueAt(row, field)); }
    SimVector vector(int x, int y, int z) const { return {number(x), number(y), number(z)}; }
};

QString recordName(const RecordTable& table, int row)
{
    const QString name = valueAsString(table.valueAt(row, SceneField::Nome)).trimmed();
    return name.isEmpty() ? QStringLiteral("Registro %1").arg(row + 1) : name;
}

double bounceOf(int collisionType)
{
    if (collisionType <= 0)
        return 0;
    return collisionType == 1 ? 0.5 : 1;
}

// The transforms of the view's drawers, in the order they call them.
Affine placedDrawing(const RowReader& r)
{
    using namespace SceneField;
    return Affine::translation(r.vector(X, Y, Z)) *
           Affine::rotation(r.number(Ang), r.vector(EixoX, EixoY, EixoZ));
}

// Spheres and models are placed, then scaled with their position.
Affine scaledPlacedDrawing(const RowReader& r)
{
    using namespace SceneField;
    return Affine::scale(r.vector(SX, SY, SZ)) * placedDrawing(r);
}

Affine cubeDrawing(const RowReader& r)
{
    using namespace SceneField;
    return Affine::translation(r.vector(X, Y, Z)) * Affine::scale(r.vector(Dim1, Dim2, Dim3)) *
           Affine::rotation(r.number(Ang), r.vector(EixoX, EixoY, EixoZ));
}

// Every number a record's drawing or body uses must be finite, or nothing sensible can be built.
bool allFinite(const RowReader& r)
{
    using namespace SceneField;
    for (int field :
         {X, Y, Z, Ang, EixoX, EixoY, EixoZ, SX, SY, SZ, Dim1, Dim2, Dim3, Dim4, Massa, Atrito})
        if (!std::isfinite(r.number(field)))
            return false;
    return true;
}

bool sizesPositive(const SimRecord& record, const RowReader& r)
{
    using namespace SceneField;
    switch (record.kind) {
    case ElementKind::Esfera:
        return r.number(Dim1) > 0;
    case ElementKind::Capsula:
        return r.number(Dim1) > 0 && r.number(Dim2) > 0;
    case ElementKind::Cubo:
        return r.number(Dim1) > 0 && r.number(Dim2) > 0 && r.number(Dim3) > 0;
    default:
        return true;
    }
}

// A scale of 0 flattens a sphere or a model to nothing that could hold mass or be hit.
bool scaleNonZero(const SimRecord& record, const RowReader& r)
{
    using namespace SceneField;
    if (record.kind != ElementKind::Esfera && record.kind != ElementKind::Arquivo)
        return true;
    return r.number(SX) != 0 && r.number(SY) != 0 && r.number(SZ) != 0;
}

SimShape modelRecordShape(const RowReader& r, ModelLibrary* models, QStringList& faults)
{
    const QString file = valueAsString(r.table.valueAt(r.row, SceneField::Arquivo));
    const TModel* model = models ? models->model(file.toStdString()) : nullptr;
    SimShape shape;
    if (model)
        shape = modelShape(*model, scaledPlacedDrawing(r));
    if (shape.triangles.empty()) {
        faults << QStringLiteral("não foi possível ler o modelo \"%1\"").arg(file);
        return {};
    }
    return shape;
}

SimShape recordShape(const SimRecord& record, const RowReader& r, ModelLibrary* models,
                     QStringList& faults)
{
    using namespace SceneField;
    switch (record.kind) {
    case ElementKind::Esfera:
        return sphereShape(r.number(Dim1), scaledPlacedDrawing(r));
    case ElementKind::Capsula:
        return capsuleShape(r.number(Dim1), r.number(Dim2), placedDrawing(r));
    case ElementKind::Cubo:
        return boxShape(cubeDrawing(r));
    case ElementKind::Plano: {
        SimShape plane = planeShape(r.number(Dim1), r.number(Dim2), r.number(Dim3), r.number(Dim4));
        if (plane.kind == SimShape::None)
            faults << QStringLiteral("plano sem normal (a, b e c são 0)");
        return plane;
    }
    case ElementKind::Arquivo:
        return modelRecordShape(r, models, faults);
    default:
        return {};
    }
}

void readSettings(SimRecord& record, const RowReader& r)
{
    using namespace SceneField;
    record.kind = valueAsInteger(r.table.valueAt(r.row, ODETipo));
    record.moving = record.kind != ElementKind::Plano && r.flag(ODEMove);
    record.gravity = r.flag(TemGravidade);
    record.mass = r.number(Massa);
    record.friction = std::max(0.0, r.number(Atrito));
    record.bounce = bounceOf(valueAsInteger(r.table.valueAt(r.row, TipoDeColisao)));
    record.userMove = r.flag(UserMove);
    record.moveAxis[0] = r.flag(MoveX);
    record.moveAxis[1] = r.flag(MoveY);
    record.moveAxis[2] = r.flag(MoveZ);
    record.trailAlways = r.flag(MostraRastroSempre);
    record.trailReleased = r.flag(MostraRastroSolto);
    record.showVelocity = r.flag(MostraVecV);
    record.showAcceleration = r.flag(MostraVecA);
    record.showRotationAxis = r.flag(MostraEixoRot);
}

// The faults of one record, in words the teacher can act on; the shape only when there are none.
SimRecord readRecord(const RowReader& r, ModelLibrary* models, QStringList& faults)
{
    SimRecord record;
    readSettings(record, r);
    if (!allFinite(r)) {
        faults << QStringLiteral("valores devem ser números finitos");
        return record;
    }
    if (record.moving && record.mass <= 0)
        faults << QStringLiteral("massa deve ser positiva");
    if (!sizesPositive(record, r))
        faults << QStringLiteral("dimensões devem ser positivas");
    if (!scaleNonZero(record, r))
        faults << QStringLiteral("escala não pode ser 0");
    if (faults.isEmpty())
        record.shape = recordShape(record, r, models, faults);
    return record;
}

} // namespace

std::vector<SimRecord> readSimRecords(const RecordTable& table, ModelLibrary* models,
                                      QStringList& problems)
{
    std::vector<SimRecord> records;
    for (int row = 0; row < table.recordCount(); ++row) {
        const QString name = recordName(table, row);
        QStringList faults;
        SimRecord record;
        try {
            record = readRecord(RowReader{table, row}, models, faults);
        } catch (const std::exception& error) {
            faults << QString::fromStdString(error.what());
        }
        record.name = name;
        for (const QString& fault : faults)
            problems << name + QStringLiteral(": ") + fault;
        records.push_back(std::move(record));
    }
    return records;
}
