#pragma once

#include <QString>

// Where the program keeps scenes and finds models.
struct AppFolders
{
    QString scenes;       // "Cenas": the save and open dialogs start here; holds the working file
    QString models;       // "Objetos": the insertion dialog starts here
    QString sampleModels; // the models shipped with the program; the same as `models` beside it

    // "Cenas" and "Objetos" in `dir`, as a copy run from a writable folder has them.
    static AppFolders besideExecutable(const QString& dir);
};

// Decides once, at start, where "Cenas" and "Objetos" are. A copy whose folder can be written
// and that is not an installed one (an executable in "bin" with its samples in
// "../share/tavirel/Objetos" and none beside it) keeps both beside the executable. Otherwise
// "Cenas" is `userDataDir`/Cenas, created here, and models are offered from `userDataDir`/Objetos,
// created and filled with the shipped samples the first time only (so that models the user
// removed stay removed); when that folder cannot be made the samples themselves are offered.
AppFolders chooseAppFolders(const QString& exeDir, const QString& userDataDir);

// The shipped samples of the executable in `exeDir`: "Objetos" beside it when there is one,
// otherwise "../share/tavirel/Objetos".
QString sampleModelsDir(const QString& exeDir);
