#include "sceneschema.h"

#include "appfolders.h"
#include "recordtable.h"

#include <QDir>
#include <QFile>

void defineSceneFields(RecordTable& table)
{
    struct Definition
    {
        const char* name;
        FieldType type;
        int size;
    };
    static const Definition definitions[SceneField::Count] = {
        {"Nome", FieldType::String, 20},
        {"ID", FieldType::Integer, 0},
        {"X", FieldType::Float, 0},
        {"Y", FieldType::Float, 0},
        {"Z", FieldType::Float, 0},
        {"Ang", FieldType::Float, 0},
        {"eixoX", FieldType::Float, 0},
        {"eixoY", FieldType::Float, 0},
        {"eixoZ", FieldType::Float, 0},
        {"SX", FieldType::Float, 0},
        {"SY", FieldType::Float, 0},
        {"SZ", FieldType::Float, 0},
        {"Dim1", FieldType::Float, 0},
        {"Dim2", FieldType::Float, 0},
        {"Dim3", FieldType::Float, 0},
        {"Dim4", FieldType::Float, 0},
        {"Massa", FieldType::Float, 0},
        {"R", FieldType::Float, 0},
        {"G", FieldType::Float, 0},
        {"B", FieldType::Float, 0},
        {"A", FieldType::Float, 0},
        {"UsaCor", FieldType::Boolean, 0},
        {"Arquivo", FieldType::String, 255},
        {"UserMove", FieldType::Boolean, 0},
        {"MoveX", FieldType::Boolean, 0},
        {"MoveY", FieldType::Boolean, 0},
        {"MoveZ", FieldType::Boolean, 0},
        {"ODEMove", FieldType::Boolean, 0},
        {"ODETipo", FieldType::Integer, 0},
        {"MostraRastroSempre", FieldType::Boolean, 0},
        {"MostraRastroSolto", FieldType::Boolean, 0},
        {"MostraVecV", FieldType::Boolean, 0},
        {"MostraVecA", FieldType::Boolean, 0},
        {"MostraEixoRot", FieldType::Boolean, 0},
        {"TipoDeColisao", FieldType::Integer, 0},
        {"Atrito", FieldType::Float, 0},
        {"TemGravidade", FieldType::Boolean, 0},
    };
    for (const Definition& d : definitions)
        table.addField(QString::fromLatin1(d.name), d.type, d.size);
}

void createSceneTable(RecordTable& table, const QString& exeDir)
{
    createSceneTableIn(table, AppFolders::besideExecutable(exeDir).scenes);
}

void createSceneTableIn(RecordTable& table, const QString& scenesFolder)
{
    if (table.fieldCount() == 0)
        defineSceneFields(table);
    const QString workingFile = QDir(scenesFolder).filePath(QStringLiteral("temp.xml"));
    QDir().mkpath(scenesFolder);
    QFile::remove(workingFile);
    table.setFileName(workingFile);
    table.createDataSet();
}
