#pragma once

#include <QByteArray>
#include <QString>

// Writes `data` to `path` whole or not at all: into a new temporary file in the same folder,
// flushed to the disk, which then replaces `path` in one rename. Any failure (no room, no
// permission, a size limit, a refused rename) removes the temporary file, leaves `path` as it
// was and throws TableError naming `path` and the reason. An existing file keeps its permissions.
//
// Every write is checked for its full length: a short write is a failure, never a success.
void writeFileAtomically(const QString& path, const QByteArray& data);
