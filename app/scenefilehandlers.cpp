// Saving the scene under a chosen name, and opening another scene in its place.
#include "tform1.h"

#include "recordtable.h"
#include "sceneschema.h"

#include <QFile>

void TForm1::Button1Click()
{
    SaveDialog1.filter = QString::fromLatin1(sceneFileFilter);
    SaveDialog1.initialDir = m_folders.scenes;
    QString name = dialogs().saveFileName(SaveDialog1);
    if (name.isEmpty())
        return;
    // The question concerns the name as typed, and never the scene's own file.
    if (QFile::exists(name) && name != ClientDataSet1->fileName() &&
        !dialogs().confirm(QStringLiteral("O arquivo ") + name +
                           QStringLiteral(" já existe. Deseja sobrescrever?")))
        return;
    if (name.right(4).toLower() != QLatin1String(".xml"))
        name += QStringLiteral(".xml");
    // Written whole or not at all; on failure the table stays bound to its previous file.
    ClientDataSet1->saveAs(name);
    sceneFileChanged();
}

void TForm1::Button2Click()
{
    OpenDialog1.filter = QString::fromLatin1(sceneFileFilter);
    OpenDialog1.initialDir = m_folders.scenes;
    OpenDialog1.fileName.clear();
    const QString name = dialogs().openFileName(OpenDialog1);
    if (!name.isEmpty())
        openScene(name);
}

void TForm1::openScene(const QString& name)
{
    // The chosen file is read before anything else happens, so a file that is not a scene
    // leaves the open one as it was. The previous scene's changes go to its own file.
    ClientDataSet1->openFile(name);
    sceneFileChanged();
    setCurrentRecordNumber(1);
    RadioGroup3->setEnabled(true);
}
