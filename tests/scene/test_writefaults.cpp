// Every way a save can fail leaves the previous scene file as it was, says what failed and keeps
// the table bound to its previous file; a save killed half way leaves the old or the new scene.
#include "atomicfile.h"
#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/mount.h>
#include <unistd.h>

namespace {

void fill(RecordTable& table, int count, const QString& name)
{
    for (int i = 0; i < count; ++i) {
        table.insert();
        table.field(SceneField::Nome).setAsString(name);
        table.field(SceneField::ID).setAsInteger(i);
        table.post();
    }
}

// The one step made to fail, and how; and how many writes the save asked for.
QString failingStep;
int writeCalls = 0;

int failingMakeTemporary(char* pattern)
{
    if (failingStep == "create") {
        errno = EACCES;
        return -1;
    }
    return ScopedFileCalls::system().makeTemporary(pattern);
}

long failingWrite(int fd, const void* data, unsigned long size)
{
    if (failingStep != "write")
        return ScopedFileCalls::system().write(fd, data, size);
    // The disk fills up part of the way through: a short write, then no room at all.
    if (++writeCalls == 1)
        return ScopedFileCalls::system().write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
}

int failingSync(int fd)
{
    if (failingStep == "sync") {
        errno = EIO;
        return -1;
    }
    return ScopedFileCalls::system().sync(fd);
}

int failingClose(int fd)
{
    const int result = ScopedFileCalls::system().close(fd);
    if (failingStep == "close") {
        errno = EIO;
        return -1;
    }
    return result;
}

int failingRename(const char* from, const char* to)
{
    if (failingStep == "rename") {
        errno = EXDEV;
        return -1;
    }
    return ScopedFileCalls::system().rename(from, to);
}

const FileCalls failingCalls = {failingMakeTemporary, failingWrite, failingSync, failingClose,
                                failingRename};

} // namespace

class TestWriteFaults : public QObject
{
    Q_OBJECT

private slots:
    void failedStep_keepsOldFileAndBinding_data();
    void failedStep_keepsOldFileAndBinding();
    void fullDisk_keepsOldFile();
    void killedSave_leavesOldOrNewScene();
};

void TestWriteFaults::failedStep_keepsOldFileAndBinding_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("reason");
    QTest::newRow("temporary file not creatable")
        << "create" << QString::fromLocal8Bit(strerror(EACCES));
    QTest::newRow("disk full while writing") << "write" << QString::fromLocal8Bit(strerror(ENOSPC));
    QTest::newRow("flush to disk fails") << "sync" << QString::fromLocal8Bit(strerror(EIO));
    QTest::newRow("close fails") << "close" << QString::fromLocal8Bit(strerror(EIO));
    QTest::newRow("final rename refused") << "rename" << QString::fromLocal8Bit(strerror(EXDEV));
}

void TestWriteFaults::failedStep_keepsOldFileAndBinding()
{
    QFETCH(QString, step);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString previous = dir.filePath("anterior.xml");
    const QString target = dir.filePath("cena.xml");
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    table.setFileName(previous);
    fill(table, 3, "velho");
    table.saveAs(target); // both files hold the old scene now
    table.setFileName(previous);
    const QByteArray old = fileBytes(target);
    fill(table, 500, "novo");

    failingStep = step;
    writeCalls = 0;
    QString message;
    {
        ScopedFileCalls faults(failingCalls);
        try {
            table.saveAs(target);
        } catch (const TableError& error) {
            message = error.message();
        }
    }
    failingStep.clear();
    if (step == "write") // the short write was taken for what it is, and writing went on
        QCOMPARE(writeCalls, 2);
    QVERIFY2(message.contains(target) && message.contains(reason), qPrintable(message));
    QCOMPARE(fileBytes(target), old);
    QCOMPARE(table.fileName(), previous);
    QVERIFY(table.isActive());
    QVERIFY(table.modified());
    QCOMPARE(table.recordCount(), 503);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({"anterior.xml", "cena.xml"})); // no temporary file left behind
}

// A real file system with no room left, where the test may make one.
void TestWriteFaults::fullDisk_keepsOldFile()
{
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root; the injected faults above cover it");
    QTemporaryDir dir;
    const QString mountPoint = dir.filePath("pequeno");
    QDir().mkpath(mountPoint);
    if (mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("this machine refuses to mount a tmpfs");
    const QString target = mountPoint + "/cena.xml";
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    fill(table, 5, "velho");
    table.saveAs(target);
    const QByteArray old = fileBytes(target);
    fill(table, 10000, "novo"); // far more than 64 KiB

    QString message;
    try {
        table.saveAs(target);
    } catch (const TableError& error) {
        message = error.message();
    }
    const QStringList left = QDir(mountPoint).entryList(QDir::Files | QDir::Hidden);
    const QByteArray after = fileBytes(target);
    umount(QFile::encodeName(mountPoint).constData());
    QVERIFY2(message.contains(QString::fromLocal8Bit(strerror(ENOSPC))), qPrintable(message));
    QCOMPARE(after, old);
    QCOMPARE(left, QStringList{"cena.xml"});
}

// A child process saves two large scenes in turn over an old one and is killed with SIGKILL at
// many different moments; each time the file must read back whole as one of the three.
void TestWriteFaults::killedSave_leavesOldOrNewScene()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cena.xml");
    const int newCount = 3000;
    RecordTable reader;
    defineSceneFields(reader);
    QRandomGenerator random(20261208);
    QMap<QString, int> seen;
    for (int round = 0; round < 30; ++round) {
        {
            RecordTable old;
            defineSceneFields(old);
            old.createDataSet();
            fill(old, 7, "velho");
            old.saveAs(path);
        }
        QProcess child;
        child.start(QCoreApplication::applicationDirPath() + "/savechild",
                    {path, QString::number(newCount)});
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForReadyRead(20000));
        QTest::qSleep(int(random.bounded(120)));
        child.kill();
        QVERIFY(child.waitForFinished());

        reader.setFileName(path);
        reader.open();
        const QMap<QString, int> scenes = {
            {"velho", 7}, {"novo", newCount}, {"outro", newCount / 2}};
        const QString name = reader.field(SceneField::Nome).asString();
        QVERIFY2(scenes.contains(name), qPrintable(name));
        QCOMPARE(reader.recordCount(), scenes[name]);
        reader.last();
        QCOMPARE(reader.field(SceneField::Nome).asString(), name); // not a mixture
        seen[name]++;
        reader.close();
    }
    qInfo("killed 30 saves: the old scene %d times, the two new ones %d and %d times",
          seen["velho"], seen["novo"], seen["outro"]);
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "test_writefaults.moc"
