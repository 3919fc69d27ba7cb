// Recovery copies: keeping them while the scene has unsaved changes, and offering the copy of an
// editor that did not end cleanly.
#include "tform1.h"

#include "error.h"
#include "recordtable.h"
#include "recoverycopy.h"
#include "recoverykeeper.h"

#include <QDir>
#include <QFile>
#include <QLocale>

void TForm1::keepRecoveryCopies(const QString& folder)
{
    delete m_keeper;
    m_keeper = new RecoveryKeeper(*ClientDataSet1, folder, this);
}

void TForm1::offerRecovery()
{
    if (!m_keeper)
        return;
    for (const QString& path : orphanedRecoveryCopies(m_keeper->folder()))
        if (offerRecoveryCopy(path))
            return; // one scene at a time; the others wait for the next start
}

// True when the copy was taken. It is read whole before anything is asked, so that a damaged
// copy is never loaded half way.
bool TForm1::offerRecoveryCopy(const QString& path)
{
    RecoveryCopy copy;
    try {
        copy = readRecoveryCopy(path, ClientDataSet1->fields());
    } catch (const Error& error) {
        QString report = error.message();
        try {
            report += QStringLiteral("\n\nEla foi guardada como \"%1\".")
                          .arg(QDir::toNativeSeparators(setDamagedCopyAside(path)));
        } catch (const Error& renameError) {
            report += QStringLiteral("\n\n") + renameError.message();
        }
        dialogs().message(QStringLiteral("Tavirel"), report);
        return false;
    }
    const QString when = QLocale().toString(copy.info.written.toLocalTime(), QLocale::ShortFormat);
    if (!dialogs().askYesNo(QStringLiteral("Recuperar as alterações não salvas de %1 (%2)?")
                                .arg(QDir::toNativeSeparators(copy.info.sceneFile), when))) {
        QFile::remove(path);
        return false;
    }
    ClientDataSet1->adoptUnsaved(copy.info.sceneFile, std::move(copy.records));
    sceneFileChanged();
    setCurrentRecordNumber(1);
    RadioGroup3->setEnabled(true);
    // The other editor's copy goes only once this editor's own holds the scene.
    if (m_keeper->writeNow())
        QFile::remove(path);
    return true;
}
