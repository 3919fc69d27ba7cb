// Recovery after a crash: the copy of the unsaved scene, offered to the next editor after the
// first one was killed; damaged copies; and the termination signals that end the program as
// closing the window does.
#include "editorfixture.h"

#include "datapacket.h"
#include "editorstartup.h"
#include "recoverycopy.h"
#include "recoverykeeper.h"

#include <QFile>
#include <QProcess>
#include <csignal>

namespace {

std::vector<FieldDef> sceneFields()
{
    RecordTable table;
    defineSceneFields(table);
    return table.fields();
}

// An editor in its own process, stopped once its recovery copy is written.
class ChildEditor
{
public:
    ChildEditor(const QString& exeDir, const QString& scene, const QStringList& names)
    {
        m_process.start(QStringLiteral(TAVIREL_EDITOR_CHILD), QStringList{exeDir, scene} + names);
    }
    ~ChildEditor()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    bool waitUntilReady()
    {
        while (!m_output.contains("pronto")) {
            if (!m_process.waitForReadyRead(30000))
                return false;
            m_output += m_process.readAllStandardOutput();
        }
        return true;
    }
    bool endWith(int signalNumber)
    {
        ::kill(pid_t(m_process.processId()), signalNumber);
        return m_process.waitForFinished(30000);
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};

// A copy left by an editor that no longer runs: `gonePid` is above any pid the system hands out.
QString leaveOrphanCopy(const QString& folder, qint64 gonePid, const QString& scene,
                        const std::vector<Record>& records)
{
    const RecoveryInfo info{
        {gonePid, QStringLiteral("outra/1")}, scene, QDateTime::currentDateTimeUtc()};
    const QString path = recoveryCopyPath(folder, gonePid);
    writeRecoveryCopy(path, info, sceneFields(), records);
    return path;
}

} // namespace

class TestEditorRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void copy_holdsTheUnsavedSceneUntilItMatchesItsFile();
    void killedEditor_isOfferedAndRecoveredByteForByte();
    void otherCopies_damagedSetAside_declinedDeleted_runningKept();
    void terminationSignal_writesTheSceneAndRemovesTheCopy_data();
    void terminationSignal_writesTheSceneAndRemovesTheCopy();

private:
    QTemporaryDir m_home;
    QString m_folder;
};

void TestEditorRecovery::initTestCase()
{
    // The children inherit it: every copy goes to this test's own folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
    m_folder = userRecoveryFolder();
    QVERIFY(m_folder.startsWith(m_home.path()));
}

void TestEditorRecovery::init()
{
    QDir(m_folder).removeRecursively();
}

void TestEditorRecovery::copy_holdsTheUnsavedSceneUntilItMatchesItsFile()
{
    EditorFixture f;
    f.form->keepRecoveryCopies(m_folder);
    const QString copy = f.form->recoveryKeeper()->copyPath();
    QVERIFY(copy.contains(QString::number(QCoreApplication::applicationPid())));
    f.click(f.form->Button3);
    QVERIFY(!QFile::exists(copy)); // written a moment later, not on the change's own path
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 10000);
    const RecoveryCopy read = readRecoveryCopy(copy, sceneFields());
    QCOMPARE(read.info.sceneFile, f.table().fileName());
    QCOMPARE(read.info.owner.pid, QCoreApplication::applicationPid());
    QVERIFY(read.info.owner.isRunning());
    QVERIFY(read.records == f.table().records());

    f.dialogs.fileNames << f.path("Cenas/cena.xml");
    f.click(f.form->Button1);
    QVERIFY(!QFile::exists(copy));
    f.click(f.form->Button3);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 10000);
    f.form->undoAction()->trigger(); // back to what the file holds
    QVERIFY(!QFile::exists(copy));
}

void TestEditorRecovery::killedEditor_isOfferedAndRecoveredByteForByte()
{
    QTemporaryDir exeDir;
    const QString scene = exeDir.filePath("Cenas/aula.xml");
    {
        ChildEditor child(exeDir.path(), scene, {"b", "c"});
        QVERIFY(child.waitUntilReady());
        QVERIFY(child.endWith(SIGKILL));
    }
    const QByteArray unsaved = fileBytes(exeDir.filePath("esperado.xml"));
    QVERIFY(!unsaved.isEmpty());
    QVERIFY(fileBytes(scene) != unsaved); // the file holds only what was saved
    QCOMPARE(orphanedRecoveryCopies(m_folder).size(), 1);

    EditorFixture f;
    f.form->keepRecoveryCopies(m_folder);
    f.dialogs.confirmations << true;
    f.form->offerRecovery();
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY2(
        f.dialogs.questions[0].startsWith("Recuperar as alterações não salvas de " + scene + " ("),
        qPrintable(f.dialogs.questions[0]));
    QVERIFY(f.dialogs.questions[0].endsWith(")?"));
    QCOMPARE(f.table().fileName(), scene);
    QVERIFY(f.table().modified());
    QCOMPARE(f.form->currentRecordNumber(), 1);
    QVERIFY(orphanedRecoveryCopies(m_folder).isEmpty());
    QVERIFY(QFile::exists(f.form->recoveryKeeper()->copyPath())); // now this editor's own

    f.table().close();
    QCOMPARE(fileBytes(scene), unsaved);
    QVERIFY(!QFile::exists(f.form->recoveryKeeper()->copyPath()));
}

void TestEditorRecovery::otherCopies_damagedSetAside_declinedDeleted_runningKept()
{
    EditorFixture other; // an editor that still runs, with a copy of its own
    other.form->keepRecoveryCopies(m_folder);
    other.click(other.form->Button3);
    QVERIFY(other.form->recoveryKeeper()->writeNow());
    const QString cut =
        leaveOrphanCopy(m_folder, 999999998, "/cortada.xml", other.table().records());
    const QByteArray shortened = fileBytes(cut).chopped(40); // a power cut in the middle of a write
    writeFile(cut, shortened);
    leaveOrphanCopy(m_folder, 999999999, "/perdida.xml", {});

    EditorFixture f;
    f.form->keepRecoveryCopies(m_folder);
    f.dialogs.confirmations << false;
    f.form->offerRecovery();
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY2(f.dialogs.messages[0].contains("danificada") &&
                 f.dialogs.messages[0].contains(cut + ".danificada"),
             qPrintable(f.dialogs.messages[0]));
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(f.dialogs.questions[0].contains("/perdida.xml"));
    QCOMPARE(f.table().recordCount(), 0);
    QVERIFY(!f.table().modified());

    // The declined copy is gone, the damaged one set aside, never to be offered again.
    QCOMPARE(fileBytes(cut + ".danificada"), shortened);
    QCOMPARE(QDir(m_folder).entryList({"*.recuperacao"}),
             QStringList{QFileInfo(other.form->recoveryKeeper()->copyPath()).fileName()});
    QCOMPARE(orphanedRecoveryCopies(m_folder), QStringList());
}

void TestEditorRecovery::terminationSignal_writesTheSceneAndRemovesTheCopy_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestEditorRecovery::terminationSignal_writesTheSceneAndRemovesTheCopy()
{
    QFETCH(int, signalNumber);
    QTemporaryDir exeDir;
    const QString scene = exeDir.filePath("Cenas/aula.xml");
    ChildEditor child(exeDir.path(), scene, {"b"});
    QVERIFY(child.waitUntilReady());
    QCOMPARE(orphanedRecoveryCopies(m_folder), QStringList()); // its copy, of an editor running
    QCOMPARE(QDir(m_folder).entryList(QDir::Files).size(), 1);
    QVERIFY(child.endWith(signalNumber));
    QCOMPARE(child.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.process().exitCode(), 0);
    QCOMPARE(fileBytes(scene), fileBytes(exeDir.filePath("esperado.xml")));
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList());
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorRecovery)
#include "test_editor_recovery.moc"
