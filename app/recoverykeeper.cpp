#include "recoverykeeper.h"

#include "error.h"
#include "exceptionhandler.h"
#include "recordtable.h"
#include "recoverycopy.h"

#include <QFile>

RecoveryKeeper::RecoveryKeeper(RecordTable& table, const QString& folder, QObject* parent)
    : QObject(parent), m_table(table), m_folder(folder),
      m_path(recoveryCopyPath(folder, ProcessIdentity::current().pid))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(delayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { writeNow(); });
    connect(&table, &RecordTable::changed, this, &RecoveryKeeper::tableChanged);
    connect(&table, &RecordTable::modifiedChanged, this, &RecoveryKeeper::modifiedChanged);
}

// Not restarted by later changes: a teacher who keeps working still has every change in the copy
// at most a moment after making it.
void RecoveryKeeper::tableChanged()
{
    if (m_table.modified() && !m_timer.isActive())
        m_timer.start();
}

void RecoveryKeeper::modifiedChanged(bool modified)
{
    if (modified)
        tableChanged();
    else
        removeCopy();
}

bool RecoveryKeeper::writeNow()
{
    m_timer.stop();
    if (!m_table.isActive() || !m_table.modified()) {
        removeCopy();
        return true;
    }
    const RecoveryInfo info{ProcessIdentity::current(), m_table.fileName(),
                            QDateTime::currentDateTimeUtc()};
    try {
        writeRecoveryCopy(m_path, info, m_table.fields(), m_table.records());
    } catch (const Error& error) {
        if (!m_failureReported)
            postApplicationException(Error(
                QStringLiteral("Não foi possível guardar a cópia de recuperação da cena.\n\n") +
                    error.message(),
                error.kind()));
        m_failureReported = true;
        return false;
    }
    m_failureReported = false;
    emit written();
    return true;
}

void RecoveryKeeper::removeCopy()
{
    m_timer.stop();
    QFile::remove(m_path);
}
