#include "tform1.h"

#include "application.h"

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    application.setApplicationDisplayName(QStringLiteral("Tavirel"));
    TForm1 form(QCoreApplication::applicationDirPath());
    form.show();
    return application.exec();
}
