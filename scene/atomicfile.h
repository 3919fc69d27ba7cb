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

// The system calls a save goes through. Tests replace them to make one step fail the way a full
// disk, a refused rename or a failing device would; the program always uses the real ones.
struct FileCalls
{
    int (*makeTemporary)(char* pattern); // mkstemp
    long (*write)(int fd, const void* data, unsigned long size);
    int (*sync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};

// Uses `calls` for every save while it lives.
class ScopedFileCalls
{
public:
    explicit ScopedFileCalls(const FileCalls& calls);
    ~ScopedFileCalls();
    ScopedFileCalls(const ScopedFileCalls&) = delete;
    ScopedFileCalls& operator=(const ScopedFileCalls&) = delete;

    // The real system calls, for a replacement to pass through to.
    static const FileCalls& system();

private:
    const FileCalls* m_previous;
};
