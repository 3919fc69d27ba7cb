#include "application.h"
#include "editorstartup.h"
#include "tform1.h"

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    application.setApplicationDisplayName(QStringLiteral("Tavirel"));

    application.installQtTranslations();

    TForm1 form(QCoreApplication::applicationDirPath());
    startEditor(form, userRecoveryFolder());
    return application.exec();
}
