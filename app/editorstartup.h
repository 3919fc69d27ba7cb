#pragma once

#include <QString>

class TForm1;

// The user's folder of recovery copies: "recuperacao" in the application's local data folder.
QString userRecoveryFolder();

// What the program adds to its window: a recovery copy of the unsaved scene kept in
// `recoveryFolder`, and SIGTERM, SIGHUP and SIGINT ending the program as closing the window does
// (the scene written to its file). Shows the window and, once the event loop runs, offers the
// unsaved scene of an editor that did not end cleanly. A `sceneFile` given is opened first, as
// "Abrir Arquivo" opens it; one that cannot be read is reported and the empty scene stays.
void startEditor(TForm1& form, const QString& recoveryFolder, const QString& sceneFile = QString());
