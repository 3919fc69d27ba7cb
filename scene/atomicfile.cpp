#include "atomicfile.h"

#include "error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long systemWrite(int fd, const void* data, unsigned long size)
{
    return ::write(fd, data, size);
}

const FileCalls systemCalls = {::mkstemp, systemWrite, ::fsync, ::close, ::rename};
const FileCalls* calls = &systemCalls;

[[noreturn]] void failWrite(const QString& path, int error)
{
    throw TableError(
        QStringLiteral("Não foi possível gravar o arquivo de cena \"%1\": %2")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error))));
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const long written = calls->write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= size_t(written);
    }
    return true;
}

mode_t modeFor(const QByteArray& target)
{
    struct stat existing
    {
    };
    if (::stat(target.constData(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd); // the rename itself reaches the disk; a failure here loses nothing
        ::close(fd);
    }
}

} // namespace

void writeFileAtomically(const QString& path, const QByteArray& data)
{
    const QFileInfo info(path);
    if (info.isDir())
        failWrite(path, EISDIR);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temporary = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") +
                                             info.fileName() + QStringLiteral(".XXXXXX"));

    const int fd = calls->makeTemporary(temporary.data());
    if (fd < 0)
        failWrite(path, errno);
    bool ok = ::fchmod(fd, modeFor(target)) == 0 &&
              writeAll(fd, data.constData(), size_t(data.size())) && calls->sync(fd) == 0;
    int error = errno;
    if (calls->close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && calls->rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        failWrite(path, error);
    }
    syncFolder(folder);
}

ScopedFileCalls::ScopedFileCalls(const FileCalls& replacement) : m_previous(calls)
{
    calls = &replacement;
}

ScopedFileCalls::~ScopedFileCalls()
{
    calls = m_previous;
}

const FileCalls& ScopedFileCalls::system()
{
    return systemCalls;
}
