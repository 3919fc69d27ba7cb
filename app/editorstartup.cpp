#include "editorstartup.h"

#include "terminationsignals.h"
#include "tform1.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTimer>

QString userRecoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recuperacao");
}

void startEditor(TForm1& form, const QString& recoveryFolder, const QString& sceneFile)
{
    form.keepRecoveryCopies(recoveryFolder);
    auto* termination = new TerminationSignals(&form);
    QObject::connect(termination, &TerminationSignals::received, &form, [&form] {
        if (form.close())
            QCoreApplication::quit(); // also ends a dialog's loop, if one is open
    });
    form.show();
    QTimer::singleShot(0, &form, [&form, sceneFile] {
        if (!sceneFile.isEmpty())
            runHandler([&] { form.openScene(sceneFile); });
        runHandler([&] { form.offerRecovery(); });
    });
}
