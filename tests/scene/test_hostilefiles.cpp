// A catalogue of bad scene files, each opened the way "Abrir Arquivo" opens it: every one must be
// refused with the file's name and a reason, without a crash, and leave the open scene exactly
// as it was.
#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray example()
{
    return fileBytes(TAVIREL_TEST_DATA "/packets/two-objects.xml");
}

// The example with its second row's attribute `name` given `value`.
QByteArray withValue(const QByteArray& name, const QByteArray& value)
{
    QByteArray bytes = example();
    const int row = bytes.lastIndexOf("<ROW ");
    const int at = bytes.indexOf(" " + name + "=\"", row);
    const int end = bytes.indexOf('"', at + name.size() + 3);
    return bytes.left(at + name.size() + 3) + value + bytes.mid(end);
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void everyPrefixOfAScene_isRefused();
    void catalogue_isRefusedAndChangesNothing_data();
    void catalogue_isRefusedAndChangesNothing();
    void hugeString_isReadAndCut();
    void nameNotValidInTheFileSystem_isRefused();

private:
    void expectRefused(const QString& path, const QString& reason = QString());

    QTemporaryDir m_dir;
    RecordTable* m_table = nullptr;
    QByteArray m_before;
};

void TestHostileFiles::init()
{
    delete m_table;
    m_table = new RecordTable(this);
    createSceneTable(*m_table, m_dir.path());
    for (const char* name : {"um", "dois"}) {
        m_table->insert();
        m_table->field(SceneField::Nome).setAsString(name);
        m_table->field(SceneField::X).setAsFloat(0.5);
        m_table->post();
    }
    m_table->setRecordNumber(1);
}

// Opens `path` and checks that it was refused and that the scene did not move.
void TestHostileFiles::expectRefused(const QString& path, const QString& reason)
{
    const QString fileBefore = m_table->fileName();
    QString message;
    try {
        m_table->openFile(path);
    } catch (const TableError& error) {
        message = error.message();
    }
    QVERIFY2(!message.isEmpty(), "accepted");
    QVERIFY2(message.contains(path), qPrintable(message));
    QVERIFY2(reason.isEmpty() || message.contains(reason), qPrintable(message));
    QCOMPARE(m_table->fileName(), fileBefore);
    QVERIFY(m_table->isActive());
    QCOMPARE(m_table->recordCount(), 2);
    QCOMPARE(m_table->recordNumber(), 1);
    QCOMPARE(m_table->valueAt(1, SceneField::Nome), FieldValue(QString("dois")));
    QVERIFY(m_table->modified());
}

void TestHostileFiles::everyPrefixOfAScene_isRefused()
{
    const QByteArray whole = example();
    const QString path = m_dir.filePath("prefixo.xml");
    for (int length = 0; length < whole.size(); ++length) {
        writeFile(path, whole.left(length));
        expectRefused(path);
        if (QTest::currentTestFailed())
            qFatal("the prefix of %d bytes was not refused cleanly", length);
    }
}

void TestHostileFiles::catalogue_isRefusedAndChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs += QString("<!ENTITY lol%1 \"%2\">")
                      .arg(i)
                      .arg(QString("&lol%1;").arg(i - 1 ? QString::number(i - 1) : "").repeated(10))
                      .toUtf8();
    laughs += "]><DATAPACKET><METADATA/><ROWDATA><ROW Nome=\"&lol9;\"/></ROWDATA></DATAPACKET>";
    QTest::newRow("billion laughs") << laughs << "DOCTYPE";
    QTest::newRow("deep nesting") << QByteArray("<DATAPACKET>") + QByteArray("<a>").repeated(100000)
                                  << "aninhados";
    QTest::newRow("megabytes of digits") << withValue("SX", QByteArray(4 << 20, '7')) << "SX";
    QTest::newRow("binary garbage") << QByteArray::fromHex("00ff13fe7a9c0d0a1b") << "";
    QTest::newRow("empty") << QByteArray() << "nenhum elemento";
    QByteArray missing = example();
    missing.replace("<FIELD attrname=\"Massa\" fieldtype=\"r8\"/>", "");
    QTest::newRow("missing field") << missing << "Massa";
    QByteArray retyped = example();
    retyped.replace("attrname=\"ID\" fieldtype=\"i4\"", "attrname=\"ID\" fieldtype=\"r8\"");
    QTest::newRow("wrong type") << retyped << "ID";
    QTest::newRow("i4 too large") << withValue("ID", "4294967296") << "ID";
    QTest::newRow("i4 too small") << withValue("ID", "-2147483649") << "ID";
    QTest::newRow("NaN") << withValue("SX", "NaN") << "SX";
    QTest::newRow("infinity") << withValue("SY", "inf") << "SY";
    QTest::newRow("negative infinity") << withValue("Dim4", "-INF") << "Dim4";
    QTest::newRow("double overflow") << withValue("Dim4", "1e309") << "Dim4";
}

void TestHostileFiles::catalogue_isRefusedAndChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath("hostil.xml");
    writeFile(path, bytes);
    expectRefused(path, reason);
}

void TestHostileFiles::hugeString_isReadAndCut()
{
    const QString path = m_dir.filePath("nome.xml");
    writeFile(path, withValue("Nome", QByteArray(5 << 20, 'n')));
    m_table->openFile(path);
    QCOMPARE(m_table->valueAt(1, SceneField::Nome), FieldValue(QString(20, 'n')));
}

void TestHostileFiles::nameNotValidInTheFileSystem_isRefused()
{
    // A file whose name is not valid UTF-8 exists, but no text names it: the user's path
    // cannot reach it, and the open fails with a clear error.
    const QByteArray raw = QFile::encodeName(m_dir.path()) + "/cena\xff\xfe.xml";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
    expectRefused(QFile::decodeName(raw));
    expectRefused(m_dir.path()); // a folder in place of a file
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "test_hostilefiles.moc"
