// An editor in a process of its own, for the tests that kill it or end it with a signal: it
// saves a first record as SCENE, inserts one unsaved record per NAME, writes what the scene file
// would then hold to EXEDIR/esperado.xml, and says "pronto" once its recovery copy is written.
//
//   editorchild EXEDIR SCENE NAME...
#include "editorfixture.h"
#include "editorstartup.h"
#include "recoverykeeper.h"

#include "datapacket.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    application.setApplicationName(QStringLiteral("Tavirel"));
    const QStringList arguments = application.arguments();
    if (arguments.size() < 3)
        return 2;
    ScriptedDialogs dialogs;
    setDialogs(&dialogs);
    TForm1 form(arguments[1]);
    startEditor(form, userRecoveryFolder());

    form.Edit1->setText(QStringLiteral("salvo"));
    form.Button3->click();
    dialogs.fileNames << arguments[2];
    form.Button1->click();
    for (const QString& name : arguments.mid(3)) {
        form.Edit1->setText(name);
        form.Button3->click();
    }
    QFile expected(QDir(arguments[1]).filePath(QStringLiteral("esperado.xml")));
    if (!expected.open(QIODevice::WriteOnly) ||
        expected.write(
            writeDataPacket(form.ClientDataSet1->fields(), form.ClientDataSet1->records())) < 0)
        return 3;
    expected.close();

    QObject::connect(form.recoveryKeeper(), &RecoveryKeeper::written, [] {
        std::puts("pronto");
        std::fflush(stdout);
    });
    const int status = application.exec();
    setDialogs(nullptr);
    return status;
}
