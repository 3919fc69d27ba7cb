#pragma once

#include <QString>

class RecordTable;

// The fields of a scene record, by position in the scene table, named as the schema names them:
// SceneField::X is the field "X". They convert to the field's index wherever a table takes one.
namespace SceneField {
enum Index : int {
    Nome,
    ID,
    X,
    Y,
    Z,
    Ang,
    EixoX,
    EixoY,
    EixoZ,
    SX,
    SY,
    SZ,
    Dim1,
    Dim2,
    Dim3,
    Dim4,
    Massa,
    R,
    G,
    B,
    A,
    UsaCor,
    Arquivo,
    UserMove,
    MoveX,
    MoveY,
    MoveZ,
    ODEMove,
    ODETipo,
    MostraRastroSempre,
    MostraRastroSolto,
    MostraVecV,
    MostraVecA,
    MostraEixoRot,
    TipoDeColisao,
    Atrito,
    TemGravidade,
    Count
};
} // namespace SceneField

// Element kinds: the "ODETipo" code, the index of the "Elemento: " group.
namespace ElementKind {
enum Code : int { Esfera = 0, Capsula = 1, Cubo = 2, Plano = 3, Arquivo = 4 };
} // namespace ElementKind

// Defines the 37 fields of a scene record on an inactive table, in order.
void defineSceneFields(RecordTable& table);

// Start-up: defines the fields, creates "Cenas" beside the executable (a failure is ignored),
// deletes a stale "Cenas/temp.xml" without loading it, binds the table to that file and leaves
// it open and empty. Nothing is written until the table is closed after a change.
void createSceneTable(RecordTable& table, const QString& exeDir);
// The same with the scenes folder given: "temp.xml" in `scenesFolder` is the working file.
void createSceneTableIn(RecordTable& table, const QString& scenesFolder);
