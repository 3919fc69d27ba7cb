#include "appfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

const QString scenesName = QStringLiteral("Cenas");
const QString modelsName = QStringLiteral("Objetos");

QString installedSamples(const QString& exeDir)
{
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/tavirel/Objetos"));
}

// access(2) asks the kernel with the real user's rights, which also covers read-only mounts and
// access lists that the permission bits alone do not show.
bool canWrite(const QString& dir)
{
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

// An installed copy is never written beside, even by root, who could: that would put scenes
// into /usr/bin.
bool isInstalled(const QString& exeDir)
{
    return !QFileInfo(QDir(exeDir).filePath(modelsName)).isDir() &&
           QFileInfo(installedSamples(exeDir)).isDir();
}

// Copies every file of `from` into `to`, which is made first; false when `to` cannot be made.
bool seedModels(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    const QDir samples(from);
    for (const QString& name : samples.entryList(QDir::Files))
        QFile::copy(samples.filePath(name), QDir(to).filePath(name));
    return true;
}

} // namespace

AppFolders AppFolders::besideExecutable(const QString& dir)
{
    const QString models = QDir(dir).filePath(modelsName);
    return AppFolders{QDir(dir).filePath(scenesName), models, models};
}

QString sampleModelsDir(const QString& exeDir)
{
    const QString beside = QDir(exeDir).filePath(modelsName);
    return QFileInfo(beside).isDir() ? beside : installedSamples(exeDir);
}

AppFolders chooseAppFolders(const QString& exeDir, const QString& userDataDir)
{
    if (canWrite(exeDir) && !isInstalled(exeDir))
        return AppFolders::besideExecutable(exeDir);
    AppFolders folders;
    folders.sampleModels = sampleModelsDir(exeDir);
    folders.scenes = QDir(userDataDir).filePath(scenesName);
    QDir().mkpath(folders.scenes); // a failure shows when the working file is written
    folders.models = QDir(userDataDir).filePath(modelsName);
    if (!QFileInfo(folders.models).isDir() && !seedModels(folders.sampleModels, folders.models))
        folders.models = folders.sampleModels;
    return folders;
}
