#pragma once

#include <QString>
#include <QStringList>

struct AppFolders;
class ModelLibrary;
class QTextStream;
class RecordTable;

// Defines the scene fields on the inactive `table` and reads the scene file at `path` into it,
// for reading only: nothing is ever written back. Throws TableError naming the file and reason.
void openSceneForReading(RecordTable& table, const QString& path);

// Looks models up as the editor does for a scene opened from `scenePath`: beside the scene, then
// in the user's and the shipped model folders; numbers in the user's decimal separator.
void setUpModelLookup(ModelLibrary& models, const QString& scenePath, const AppFolders& folders);

// What stops the model named `fileName` from being drawn, in Portuguese: not found, a material
// library missing, or a read error with the reader's reason. Empty when it reads cleanly.
QStringList modelProblems(ModelLibrary& models, const QString& fileName);

// Everything a teacher would want to know before class, one line each in Portuguese, by record
// name: a model that cannot be found or read; a moving body ("ODEMove") whose mass is not
// positive; a size, radius, length or model scale not positive; a plane without a normal; a
// turn about an axis of length 0; a name used twice; two objects whose drawn bounds overlap; a
// moving body whose centre starts below a plane (planes that are walls have no below); values
// that are not finite numbers. Planes are left out of overlaps: a body resting on a floor
// touches it.
QStringList sceneProblems(RecordTable& table, ModelLibrary& models);

// --check: prints the problems of the scene file at `path`, then a summary, to `out`. Returns 0
// when there are none, 1 when there are some or the file cannot be read (its reason on `err`).
int checkSceneFile(const QString& path, const AppFolders& folders, QTextStream& out,
                   QTextStream& err);
