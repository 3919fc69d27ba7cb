#include "recoverycopy.h"

#include "atomicfile.h"
#include "datapacket.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace {

const char copySuffix[] = ".recuperacao";
const qint64 longestFirstLine = 64 * 1024;

QByteArray readSmallFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// The moment a process started, in clock ticks since boot: the 22nd field of /proc/PID/stat,
// counted after the command name, which may itself hold spaces and parentheses.
QString startTick(qint64 pid)
{
    const QByteArray stat = readSmallFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return {};
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    const int startField = 22 - 3; // the fields after the name start with the 3rd
    return fields.size() > startField ? QString::fromLatin1(fields[startField]) : QString();
}

QString startOf(qint64 pid)
{
    static const QByteArray bootId =
        readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    const QString tick = startTick(pid);
    if (bootId.isEmpty() || tick.isEmpty())
        return {};
    return QString::fromLatin1(bootId) + QLatin1Char('/') + tick;
}

[[noreturn]] void damaged(const QString& path, const QString& reason)
{
    throw TableError(QStringLiteral("A cópia de recuperação \"%1\" está danificada: %2")
                         .arg(QDir::toNativeSeparators(path), reason));
}

// The first line of a copy: whose it is, and for which scene file. Empty when it is not one.
std::optional<RecoveryInfo> parseFirstLine(const QByteArray& line)
{
    const QJsonObject header = QJsonDocument::fromJson(line).object();
    RecoveryInfo info;
    info.owner.pid = header.value(QStringLiteral("pid")).toInteger(0);
    info.owner.start = header.value(QStringLiteral("inicio")).toString();
    info.sceneFile = header.value(QStringLiteral("arquivo")).toString();
    info.written =
        QDateTime::fromString(header.value(QStringLiteral("gravado")).toString(), Qt::ISODate);
    if (info.owner.pid <= 0 || info.sceneFile.isEmpty() || !info.written.isValid())
        return std::nullopt;
    return info;
}

QByteArray firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(longestFirstLine);
}

} // namespace

ProcessIdentity ProcessIdentity::current()
{
    const qint64 pid = ::getpid();
    return {pid, startOf(pid)};
}

bool ProcessIdentity::isRunning() const
{
    if (pid <= 0)
        return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return false;
    const QString now = startOf(pid);
    return start.isEmpty() || now.isEmpty() || now == start;
}

QString recoveryCopyPath(const QString& folder, qint64 pid)
{
    return QDir(folder).filePath(QString::number(pid) + QLatin1String(copySuffix));
}

void writeRecoveryCopy(const QString& path, const RecoveryInfo& info,
                       const std::vector<FieldDef>& fields, const std::vector<Record>& records)
{
    const QJsonObject header{
        {QStringLiteral("pid"), info.owner.pid},
        {QStringLiteral("inicio"), info.owner.start},
        {QStringLiteral("arquivo"), info.sceneFile},
        {QStringLiteral("gravado"), info.written.toUTC().toString(Qt::ISODate)},
    };
    QDir().mkpath(QFileInfo(path).absolutePath()); // a failure shows in the write below
    writeFileAtomically(path, QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n' +
                                  writeDataPacket(fields, records));
}

RecoveryCopy readRecoveryCopy(const QString& path, const std::vector<FieldDef>& fields)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        damaged(path, file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        damaged(path, file.errorString());
    const qsizetype lineEnd = bytes.indexOf('\n');
    std::optional<RecoveryInfo> info;
    if (lineEnd >= 0)
        info = parseFirstLine(bytes.left(lineEnd));
    if (!info)
        damaged(path, QStringLiteral("a primeira linha não diz de que cena ela é"));
    RecoveryCopy copy{*info, {}};
    try {
        copy.records = readDataPacket(bytes.mid(lineEnd + 1), fields);
    } catch (const TableError& error) {
        damaged(path, error.message());
    }
    return copy;
}

QStringList orphanedRecoveryCopies(const QString& folder)
{
    QFileInfoList candidates =
        QDir(folder).entryInfoList({QLatin1Char('*') + QLatin1String(copySuffix)}, QDir::Files);
    std::sort(candidates.begin(), candidates.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() > b.lastModified();
    });
    QStringList orphans;
    for (const QFileInfo& candidate : candidates) {
        const std::optional<RecoveryInfo> info = parseFirstLine(firstLine(candidate.filePath()));
        if (!info || !info->owner.isRunning())
            orphans << candidate.filePath();
    }
    return orphans;
}

QString setDamagedCopyAside(const QString& path)
{
    QString aside = path + QStringLiteral(".danificada");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".danificada-%1").arg(n);
    if (!QFile::rename(path, aside))
        throw TableError(
            QStringLiteral("Não foi possível renomear \"%1\"").arg(QDir::toNativeSeparators(path)));
    return aside;
}
