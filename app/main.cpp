#include "appfolders.h"
#include "application.h"
#include "commandline.h"
#include "editorstartup.h"
#include "headlesscommands.h"
#include "tform1.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tavirel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVIREL_VERSION));
}

AppFolders decideFolders()
{
    return chooseAppFolders(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

// Pictures, checks, the version and the help need no display: no window system is started.
int runWithoutWindow(int argc, char* argv[], const CommandLine& line)
{
    QCoreApplication application(argc, argv);
    nameApplication();
    QTextStream out(stdout), err(stderr);
    // Only what reads scenes looks for models; --help makes no folders.
    const bool readsScene = line.mode == CommandLine::Render || line.mode == CommandLine::Check;
    return runHeadless(line, readsScene ? decideFolders() : AppFolders(), out, err);
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (line.mode != CommandLine::Editor)
        return runWithoutWindow(argc, argv, line);

    Application application(argc, argv);
    nameApplication();
    application.setApplicationDisplayName(QStringLiteral("Tavirel"));
    // The menu entry the window belongs to, for docks and Wayland compositors.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tavirel.Tavirel"));

    application.installQtTranslations();

    TForm1 form(decideFolders());
    // Whole, since the recovery copy remembers the scene's file for a later start elsewhere.
    const QString scene =
        line.scene.isEmpty() ? QString() : QFileInfo(line.scene).absoluteFilePath();
    startEditor(form, userRecoveryFolder(), scene);
    return application.exec();
}
