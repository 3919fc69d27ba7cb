#include "application.h"
#include "tform1.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    application.setApplicationDisplayName(QStringLiteral("Tavirel"));

    // Qt's own dialogs ("Cancelar", "Nome do arquivo", ...) speak the user's language.
    QTranslator qtTranslations;
    if (qtTranslations.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qtTranslations);

    TForm1 form(QCoreApplication::applicationDirPath());
    form.show();
    return application.exec();
}
