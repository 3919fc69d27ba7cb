#pragma once

#include "fieldvalue.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// Recovery copies: the unsaved scene of a running editor, kept in a folder of the user's so that
// a crash, a kill or a power cut loses nothing. One file per editor process:
//
//   {"pid":1234,"inicio":"<boot id>/<start tick>","arquivo":"/home/prof/Cenas/rampa.xml",
//    "gravado":"2026-12-08T22:44:00Z"}
//   <?xml ...?><DATAPACKET ...>...</DATAPACKET>
//
// a first line that says whose copy it is and which scene file it belongs to, then the records
// as the scene file would hold them.

// A process, told apart from a later one that the system gives the same id (after a reboot, or
// once ids wrap around) by the boot it ran in and the moment it started.
struct ProcessIdentity
{
    qint64 pid = 0;
    QString start; // "<boot id>/<start tick>"; empty where the system does not tell

    static ProcessIdentity current();
    // Whether this process still runs. When the system cannot tell, it is taken to run, so that
    // the copy of a live editor is never offered to another.
    bool isRunning() const;
};

// What the first line of a copy says.
struct RecoveryInfo
{
    ProcessIdentity owner;
    QString sceneFile; // the file the scene was bound to
    QDateTime written; // when the copy was made
};

struct RecoveryCopy
{
    RecoveryInfo info;
    std::vector<Record> records;
};

// The copy of process `pid` in `folder`.
QString recoveryCopyPath(const QString& folder, qint64 pid);

// Writes the copy whole or not at all (write-then-rename). Throws TableError naming the file.
void writeRecoveryCopy(const QString& path, const RecoveryInfo& info,
                       const std::vector<FieldDef>& fields, const std::vector<Record>& records);

// Reads a whole copy. Throws TableError with the reason when it is damaged in any way (unreadable,
// cut short, a bad first line, records that are not a packet of `fields`): nothing is returned
// half read.
RecoveryCopy readRecoveryCopy(const QString& path, const std::vector<FieldDef>& fields);

// The copies in `folder` whose editor no longer runs, most recent first. A copy whose first line
// cannot be read has no editor to run, and is among them.
QStringList orphanedRecoveryCopies(const QString& folder);

// Renames a damaged copy so that it is never offered again but stays for someone to look at;
// returns its new path. Throws TableError when it cannot be renamed.
QString setDamagedCopyAside(const QString& path);
