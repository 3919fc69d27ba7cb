#include "scenefile.h"

#include "atomicfile.h"
#include "datapacket.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::vector<Record> readPacketFile(const QString& path, const std::vector<FieldDef>& fields)
{
    const QString name = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir())
        throw TableError(
            QStringLiteral("Não foi possível abrir o arquivo de cena \"%1\": é uma pasta")
                .arg(name));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TableError(QStringLiteral("Não foi possível abrir o arquivo de cena \"%1\": %2")
                             .arg(name, file.errorString()));
    // One buffer of the file's size, filled in place: no growing and copying on the way.
    QByteArray bytes(qsizetype(file.size()), Qt::Uninitialized);
    const qint64 read = file.read(bytes.data(), bytes.size());
    if (read >= 0)
        bytes.resize(qsizetype(read));
    if (read < 0 || file.error() != QFileDevice::NoError)
        throw TableError(QStringLiteral("Não foi possível ler o arquivo de cena \"%1\": %2")
                             .arg(name, file.errorString()));
    try {
        return readDataPacket(bytes, fields);
    } catch (const TableError& error) {
        throw TableError(QStringLiteral("O arquivo \"%1\" não é um arquivo de cena válido: %2")
                             .arg(name, error.message()));
    }
}

void writePacketFile(const QString& path, const std::vector<FieldDef>& fields,
                     const std::vector<Record>& records)
{
    writeFileAtomically(path, writeDataPacket(fields, records));
}
