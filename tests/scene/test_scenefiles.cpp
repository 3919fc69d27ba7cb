#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void appendSphere(RecordTable& table, const QString& name, double x)
{
    table.insert();
    table.field(SceneField::Nome).setAsString(name);
    table.field(SceneField::X).setAsFloat(x);
    table.field(SceneField::ODETipo).setAsInteger(ElementKind::Esfera);
    table.post();
}

QStringList names(RecordTable& table)
{
    QStringList list;
    for (int row = 0; row < table.recordCount(); ++row)
        list << valueAsString(table.valueAt(row, SceneField::Nome));
    return list;
}

} // namespace

class TestSceneFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void saveAs_writesTheSceneAndBindsTheTableToIt();
    void saveAs_updatesThePreviousFileWithItsChanges();
    void failedWrite_keepsOldFileAndBindingAndReportsTheFile_data();
    void failedWrite_keepsOldFileAndBindingAndReportsTheFile();
    void openFile_writesPreviousChangesThenLoads();
    void openFile_ofABadFile_leavesTheOpenSceneExactlyAsItWas_data();
    void openFile_ofABadFile_leavesTheOpenSceneExactlyAsItWas();
    void failedClose_keepsTheTableOpen();

private:
    QTemporaryDir m_dir;
    RecordTable* m_table = nullptr;
};

void TestSceneFiles::init()
{
    delete m_table;
    m_table = new RecordTable(this);
    createSceneTable(*m_table, m_dir.path());
}

void TestSceneFiles::saveAs_writesTheSceneAndBindsTheTableToIt()
{
    appendSphere(*m_table, "a", 1.5);
    const QString path = m_dir.filePath("Cenas/cena.xml");
    m_table->saveAs(path);
    QCOMPARE(m_table->fileName(), path);
    QVERIFY(!m_table->modified());
    QCOMPARE(names(*m_table), QStringList{"a"});

    RecordTable reader;
    defineSceneFields(reader);
    reader.setFileName(path);
    reader.open();
    QCOMPARE(names(reader), QStringList{"a"});
    QCOMPARE(reader.field(SceneField::X).asFloat(), 1.5);

    // Later changes go to the new file when the table is closed.
    appendSphere(*m_table, "b", 2);
    m_table->close();
    reader.close();
    reader.open();
    QCOMPARE(names(reader), QStringList({"a", "b"}));
}

void TestSceneFiles::saveAs_updatesThePreviousFileWithItsChanges()
{
    appendSphere(*m_table, "a", 0);
    const QString working = m_table->fileName();
    m_table->saveAs(m_dir.filePath("Cenas/outra.xml"));
    QVERIFY(QFile::exists(working)); // closing a changed table writes its own file first
    QCOMPARE(fileBytes(working), fileBytes(m_dir.filePath("Cenas/outra.xml")));
}

void TestSceneFiles::failedWrite_keepsOldFileAndBindingAndReportsTheFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("file size limit") << "file size limit";
}

// Both faults stop the write part of the way through; the previous file must not notice.
void TestSceneFiles::failedWrite_keepsOldFileAndBindingAndReportsTheFile()
{
    QFETCH(QString, fault);
    const QString folder = m_dir.filePath("locked");
    QDir().mkpath(folder);
    const QString path = folder + "/cena.xml";
    writeFile(path, "old scene");
    appendSphere(*m_table, "a", 0);
    const QString before = m_table->fileName();

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    if (fault == "read-only folder") {
        if (geteuid() == 0)
            QSKIP("running as root: a read-only folder does not stop writes");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    } else {
        signal(SIGXFSZ, SIG_IGN); // a write past the limit then fails with EFBIG
        rlimit small = saved;
        small.rlim_cur = 512;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    QString message;
    try {
        m_table->saveAs(path);
    } catch (const TableError& error) {
        message = error.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY2(message.contains(path), qPrintable("not reported: " + message));
    QCOMPARE(fileBytes(path), QByteArray("old scene"));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"cena.xml"}); // no leftovers
    QCOMPARE(m_table->fileName(), before);
    QVERIFY(m_table->isActive());
    QVERIFY(m_table->modified());
    QCOMPARE(names(*m_table), QStringList{"a"});
}

void TestSceneFiles::openFile_writesPreviousChangesThenLoads()
{
    appendSphere(*m_table, "primeira", 0);
    const QString first = m_dir.filePath("Cenas/primeira.xml");
    m_table->saveAs(first);
    const QString second = m_dir.filePath("Cenas/segunda.xml");
    {
        RecordTable other;
        createSceneTable(other, m_dir.path());
        appendSphere(other, "s1", 0);
        appendSphere(other, "s2", 0);
        other.saveAs(second);
    }
    appendSphere(*m_table, "nova", 0); // unsaved change of the first scene
    m_table->openFile(second);
    QCOMPARE(m_table->fileName(), second);
    QCOMPARE(names(*m_table), QStringList({"s1", "s2"}));
    QCOMPARE(m_table->recordNumber(), 1);

    m_table->openFile(first);
    QCOMPARE(names(*m_table), QStringList({"primeira", "nova"}));
}

void TestSceneFiles::openFile_ofABadFile_leavesTheOpenSceneExactlyAsItWas_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "nao-existe.xml" << QByteArray() << "";
    QTest::newRow("empty") << "vazio.xml" << QByteArray("") << "nenhum elemento";
    QTest::newRow("garbage") << "lixo.xml"
                             << QByteArray("\x7f"
                                           "ELF\x02\x01\x01",
                                           7)
                             << "texto";
    QTest::newRow("folder") << "pasta.xml" << QByteArray() << "pasta";
}

void TestSceneFiles::openFile_ofABadFile_leavesTheOpenSceneExactlyAsItWas()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(name);
    if (name == "pasta.xml")
        QDir().mkpath(path);
    else if (name != "nao-existe.xml")
        writeFile(path, bytes);

    appendSphere(*m_table, "a", 0);
    appendSphere(*m_table, "b", 0);
    m_table->setRecordNumber(1);
    const QString before = m_table->fileName();
    try {
        m_table->openFile(path);
        QFAIL("a bad file was opened");
    } catch (const TableError& error) {
        QVERIFY2(error.message().contains(path), qPrintable(error.message()));
        QVERIFY2(error.message().contains(reason), qPrintable(error.message()));
    }
    QCOMPARE(m_table->fileName(), before);
    QVERIFY(m_table->isActive());
    QVERIFY(m_table->modified());
    QCOMPARE(names(*m_table), QStringList({"a", "b"}));
    QCOMPARE(m_table->recordNumber(), 1);
    QVERIFY(!QFile::exists(before)); // nothing written either
}

void TestSceneFiles::failedClose_keepsTheTableOpen()
{
    // The bound file's place is taken by a folder, so the write must fail.
    const QString path = m_dir.filePath("Cenas/ocupado.xml");
    m_table->setFileName(path);
    QDir().mkpath(path);
    appendSphere(*m_table, "a", 0);
    QVERIFY_THROWS_EXCEPTION(TableError, m_table->close());
    QVERIFY(m_table->isActive());
    QCOMPARE(names(*m_table), QStringList{"a"});
    QVERIFY(QFileInfo(path).isDir());
}

QTEST_GUILESS_MAIN(TestSceneFiles)
#include "test_scenefiles.moc"
