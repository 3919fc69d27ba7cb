#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

struct AppFolders;
class ModelLibrary;
class QTextStream;
class RecordTable;

// Defines the scene fields on the inactive `table` and reads the scene file at `path` into it,
// for reading only: nothing is ever written back. Throws TableError naming the file and reason.
void openSceneForReading(RecordTable& table, const QString& path);

// Model folders as the editor has them: the user's, then the shipped ones; numbers in the
// user's decimal separator.
void setUpModelFolders(ModelLibrary& models, const AppFolders& folders);

// Looks models up as the editor does for a scene opened from `scenePath`: beside the scene, then
// in the user's and the shipped model folders; numbers in the user's decimal separator.
void setUpModelLookup(ModelLibrary& models, const QString& scenePath, const AppFolders& folders);

// What stops the model named `fileName` from being drawn, in Portuguese: not found, a material
// library missing (every one it names and lacks), or a read error with the reader's reason. Empty
// when it reads cleanly. The library reads a file once and keeps what it read, so only the first
// call for a file finds a read error's reason or a missing library: later calls would tell a
// read error without its reason, and no missing library at all. Use modelProblemsOnce to ask about
// a file more than once.
QStringList modelProblems(ModelLibrary& models, const QString& fileName);

// modelProblems for `fileName` the first time it is asked for, remembered in `checked`, and what
// was remembered after that.
QStringList modelProblemsOnce(ModelLibrary& models, const QString& fileName,
                              QHash<QString, QStringList>& checked);

// --check: prints the problems of the scene file at `path`, then a summary, to `out`. Returns 0
// when there are none, 1 when there are some or the file cannot be read (its reason on `err`).
int checkSceneFile(const QString& path, const AppFolders& folders, QTextStream& out,
                   QTextStream& err);
