#include "scenecheck.h"

#include "appfolders.h"
#include "drawnbounds.h"
#include "error.h"
#include "fieldvalue.h"
#include "modellibrary.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QTextStream>
#include <cmath>

namespace {

// A record with what the checks read of it.
struct CheckedRecord
{
    QString name;
    DrawnRecord drawn;
    bool moves = false;
    double mass = 0;
    DrawnBounds bounds;
};

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString numberText(double value)
{
    return QLocale::c().toString(value, 'g', 15);
}

bool finite(const DrawnRecord& r)
{
    const double values[] = {r.pose.x,  r.pose.y,     r.pose.z,     r.pose.sx,    r.pose.sy,
                             r.pose.sz, r.pose.angle, r.pose.axisX, r.pose.axisY, r.pose.axisZ,
                             r.dim[0],  r.dim[1],     r.dim[2],     r.dim[3]};
    for (double value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

// The sizes the record's kind draws with, by the name the panel gives them.
QList<QPair<QString, double>> sizesOf(const DrawnRecord& r)
{
    switch (r.kind) {
    case ElementKind::Esfera:
        return {{"raio", r.dim[0]}};
    case ElementKind::Capsula:
        return {{"raio", r.dim[0]}, {"comprimento", r.dim[1]}};
    case ElementKind::Cubo:
        return {{"Lx", r.dim[0]}, {"Ly", r.dim[1]}, {"Lz", r.dim[2]}};
    case ElementKind::Plano:
        return {{"TamU", r.pose.sx}, {"TamV", r.pose.sy}};
    case ElementKind::Arquivo:
        return {{"escala X", r.pose.sx}, {"escala Y", r.pose.sy}, {"escala Z", r.pose.sz}};
    default:
        return {};
    }
}

void checkRecord(const CheckedRecord& record, QStringList& problems)
{
    const DrawnRecord& r = record.drawn;
    const QString who = record.name + QStringLiteral(": ");
    if (!finite(r))
        problems << who + QStringLiteral("um valor não é um número finito");
    if (record.moves && !(record.mass > 0))
        problems << who + QStringLiteral("move-se pela física (ODEMove) com massa %1; a massa "
                                         "deve ser positiva")
                              .arg(numberText(record.mass));
    for (const auto& [label, value] : sizesOf(r))
        if (value <= 0)
            problems << who + QStringLiteral("%1 igual a %2; deve ser positivo")
                                  .arg(label, numberText(value));
    if (r.kind == ElementKind::Plano && r.dim[0] == 0 && r.dim[1] == 0 && r.dim[2] == 0)
        problems << who + QStringLiteral("plano com a, b e c iguais a 0 (sem direção)");
    if (r.kind != ElementKind::Plano && r.pose.angle != 0 && r.pose.axisX == 0 &&
        r.pose.axisY == 0 && r.pose.axisZ == 0)
        problems << who + QStringLiteral("giro de %1 graus em torno de um eixo de comprimento 0")
                              .arg(numberText(r.pose.angle));
}

void checkNames(const QList<CheckedRecord>& records, QStringList& problems)
{
    QHash<QString, int> firstRow;
    for (int row = 0; row < records.size(); ++row) {
        const QString key = records[row].name.toCaseFolded(); // names are read trimmed
        if (firstRow.contains(key))
            problems << QStringLiteral("nome repetido: %1 (registros %2 e %3)")
                            .arg(quoted(records[row].name))
                            .arg(firstRow[key] + 1)
                            .arg(row + 1);
        else
            firstRow.insert(key, row);
    }
}

double distance(const Vec3& a, const Vec3& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

bool isBall(const CheckedRecord& r)
{
    return r.drawn.kind != ElementKind::Plano && r.bounds.extent == DrawnBounds::Ball;
}

// Balls that only touch, as a body resting on another, do not count.
void checkOverlaps(const QList<CheckedRecord>& records, QStringList& problems)
{
    for (int i = 0; i < records.size(); ++i) {
        if (!isBall(records[i]))
            continue;
        for (int j = i + 1; j < records.size(); ++j) {
            if (!isBall(records[j]))
                continue;
            const DrawnBounds& a = records[i].bounds;
            const DrawnBounds& b = records[j].bounds;
            const double reach = a.radius + b.radius;
            if (distance(a.centre, b.centre) < reach * (1 - 1e-9))
                problems << QStringLiteral("%1 e %2 se sobrepõem no início")
                                .arg(records[i].name, records[j].name);
        }
    }
}

// Below means at a lower z than the plane at the body's centre, so walls (c = 0) have no below.
void checkBelowPlanes(const QList<CheckedRecord>& records, QStringList& problems)
{
    for (const CheckedRecord& body : records) {
        if (!body.moves || !isBall(body))
            continue;
        for (const CheckedRecord& plane : records) {
            const double* p = plane.drawn.dim;
            if (plane.drawn.kind != ElementKind::Plano || p[2] == 0 || !finite(plane.drawn))
                continue;
            const Vec3& c = body.bounds.centre;
            const double planeZ = -(p[0] * c.x + p[1] * c.y + p[3]) / p[2];
            if (c.z < planeZ - 1e-9 * (1 + std::fabs(planeZ)))
                problems
                    << QStringLiteral("%1 começa abaixo do plano %2").arg(body.name, plane.name);
        }
    }
}

CheckedRecord checkedRecord(const RecordTable& table, int row)
{
    CheckedRecord record;
    const QString name = valueAsString(table.valueAt(row, SceneField::Nome)).trimmed();
    record.name = name.isEmpty() ? QStringLiteral("registro %1").arg(row + 1) : name;
    record.drawn = drawnRecordAt(table, row);
    record.moves = valueAsBoolean(table.valueAt(row, SceneField::ODEMove));
    record.mass = valueAsFloat(table.valueAt(row, SceneField::Massa));
    return record;
}

} // namespace

void openSceneForReading(RecordTable& table, const QString& path)
{
    defineSceneFields(table);
    table.openFile(path);
    table.setFileName(QString()); // nothing to write back to, whatever happens to the table
}

void setUpModelFolders(ModelLibrary& models, const AppFolders& folders)
{
    models.setModelDirs({folders.models.toStdString(), folders.sampleModels.toStdString()});
    models.setDecimalSeparator(QLocale().decimalPoint().at(0).toLatin1());
}

void setUpModelLookup(ModelLibrary& models, const QString& scenePath, const AppFolders& folders)
{
    models.setSceneDir(QFileInfo(scenePath).absolutePath().toStdString());
    setUpModelFolders(models, folders);
}

QStringList modelProblems(ModelLibrary& models, const QString& fileName)
{
    const std::string name = fileName.toStdString();
    if (!QFileInfo(QString::fromStdString(models.resolve(name))).isFile())
        return {QStringLiteral("o modelo %1 não foi encontrado").arg(quoted(fileName))};
    QStringList missing; // one message for each library the model names and does not have
    QString failure;
    models.setNotifier([&missing](const std::string&, const std::string& text) {
        missing << QString::fromStdString(text);
    });
    models.setErrorHandler([&failure](const std::string&, const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    });
    const bool read = models.model(name) != nullptr;
    models.setNotifier({});
    models.setErrorHandler({});
    if (!read)
        return {QStringLiteral("o modelo %1 não pôde ser lido: %2").arg(quoted(fileName), failure)};
    if (!missing.isEmpty())
        return {QStringLiteral("o modelo %1 não tem tudo de que precisa: %2")
                    .arg(quoted(fileName), missing.join(QStringLiteral("; ")))};
    return {};
}

QStringList modelProblemsOnce(ModelLibrary& models, const QString& fileName,
                              QHash<QString, QStringList>& checked)
{
    const auto found = checked.constFind(fileName);
    if (found != checked.constEnd())
        return *found;
    const QStringList problems = modelProblems(models, fileName);
    checked.insert(fileName, problems);
    return problems;
}

namespace {

// Everything a teacher would want to know before class, one line each in Portuguese, by record
// name: a model that cannot be found or read, or lacks a material library; a moving body
// ("ODEMove") whose mass is not positive; a size, radius, length or model scale not positive; a
// plane without a normal; a turn about an axis of length 0; a name used twice; two objects whose
// drawn bounds overlap; a moving body whose centre starts below a plane (planes that are walls have
// no below); values that are not finite numbers. Planes are left out of overlaps: a body resting on
// a floor touches it.
QStringList sceneProblems(RecordTable& table, ModelLibrary& models)
{
    QStringList problems;
    QHash<QString, QStringList> modelsChecked;
    QList<CheckedRecord> records;
    for (int row = 0; row < table.recordCount(); ++row) {
        CheckedRecord record = checkedRecord(table, row);
        if (record.drawn.kind == ElementKind::Arquivo) {
            const QString file = QString::fromStdString(record.drawn.modelFile);
            for (const QString& problem : modelProblemsOnce(models, file, modelsChecked))
                problems << record.name + QStringLiteral(": ") + problem;
        }
        // After the model's own check, which is where its read errors are told.
        record.bounds = drawnBounds(
            record.drawn, [&models](const std::string& file) { return models.model(file); });
        checkRecord(record, problems);
        records << record;
    }
    checkNames(records, problems);
    checkOverlaps(records, problems);
    checkBelowPlanes(records, problems);
    return problems;
}

} // namespace

int checkSceneFile(const QString& path, const AppFolders& folders, QTextStream& out,
                   QTextStream& err)
{
    try {
        RecordTable table;
        openSceneForReading(table, path);
        ModelLibrary models;
        setUpModelLookup(models, path, folders);
        const QStringList problems = sceneProblems(table, models);
        for (const QString& problem : problems)
            out << problem << '\n';
        if (problems.isEmpty())
            out << QStringLiteral("%1: nenhum problema em %2 objetos.\n")
                       .arg(path)
                       .arg(table.recordCount());
        else
            out << QStringLiteral("%1: %2 problema(s) em %3 objetos.\n")
                       .arg(path)
                       .arg(problems.size())
                       .arg(table.recordCount());
        return problems.isEmpty() ? 0 : 1;
    } catch (const std::exception& error) {
        err << QString::fromUtf8(error.what()) << '\n';
        return 1;
    }
}
