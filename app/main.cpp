#include "tform1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    application.setApplicationDisplayName(QStringLiteral("Tavirel"));
    TForm1 form(QCoreApplication::applicationDirPath());
    form.show();
    return application.exec();
}
