// Saving and opening scene files through the window, and what closing it writes.
#include "editorfixture.h"

#include <QFile>
#include <QFileInfo>

class TestEditorFiles : public QObject
{
    Q_OBJECT

private slots:
    void save_usesTheSceneFolderAndAppendsXml();
    void save_asksBeforeReplacingTheNameAsTyped();
    void save_underItsOwnNameAsksNothing();
    void save_neverWrittenTableGoesStraightToTheChosenFile();
    void save_failureIsReportedAndTheSceneStaysBound();
    void open_writesPreviousChangesAndLoadsTheScene();
    void open_ofAFileThatIsNoSceneKeepsTheOpenOne();
    void roundTrip_throughTheButtons();
    void close_writesTheWorkingFile();
    void close_thatCannotWriteLetsTheUserStay();
};

void TestEditorFiles::save_usesTheSceneFolderAndAppendsXml()
{
    EditorFixture f;
    insertNamed(f, "a");
    f.dialogs.fileNames << f.path("Cenas/cena");
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.fileDialogs[0].filter, QString("Arquivo de cena (.xml)|*xml"));
    QCOMPARE(f.dialogs.fileDialogs[0].initialDir, f.path("Cenas"));
    QCOMPARE(f.table().fileName(), f.path("Cenas/cena.xml"));
    QVERIFY(QFile::exists(f.path("Cenas/cena.xml")));
    QCOMPARE(names(f), QStringList{"a"});
    QCOMPARE(f.dialogs.questions, QStringList());

    // Models inserted from now on go beside the new file.
    QDir().mkpath(f.path("outra"));
    f.dialogs.fileNames << f.path("outra/b.XML");
    f.click(f.form->Button1);
    QCOMPARE(f.table().fileName(), f.path("outra/b.XML")); // ".XML" already ends it
}

void TestEditorFiles::save_asksBeforeReplacingTheNameAsTyped()
{
    EditorFixture f;
    insertNamed(f, "a");
    writeFile(f.path("Cenas/velha.xml"), "old");
    f.dialogs.fileNames << f.path("Cenas/velha.xml");
    f.dialogs.confirmations << false;
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.questions,
             QStringList{"O arquivo " + f.path("Cenas/velha.xml") +
                         QString::fromUtf8(" já existe. Deseja sobrescrever?")});
    QCOMPARE(fileBytes(f.path("Cenas/velha.xml")), QByteArray("old"));
    QCOMPARE(f.table().fileName(), f.path("Cenas/temp.xml"));

    f.dialogs.fileNames << f.path("Cenas/velha.xml");
    f.dialogs.confirmations << true;
    f.click(f.form->Button1);
    QCOMPARE(f.table().fileName(), f.path("Cenas/velha.xml"));
    QVERIFY(fileBytes(f.path("Cenas/velha.xml")).startsWith("<?xml"));

    // "cena" typed while "cena.xml" exists: the question is about "cena", which does not exist.
    writeFile(f.path("Cenas/cena.xml"), "old");
    f.dialogs.questions.clear();
    f.dialogs.fileNames << f.path("Cenas/cena");
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.questions, QStringList());
    QVERIFY(fileBytes(f.path("Cenas/cena.xml")).startsWith("<?xml"));
}

void TestEditorFiles::save_underItsOwnNameAsksNothing()
{
    EditorFixture f;
    insertNamed(f, "a");
    f.dialogs.fileNames << f.path("Cenas/cena.xml");
    f.click(f.form->Button1);
    insertNamed(f, "b");
    f.dialogs.fileNames << f.path("Cenas/cena.xml");
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.questions, QStringList());
    RecordTable reader;
    defineSceneFields(reader);
    reader.setFileName(f.path("Cenas/cena.xml"));
    reader.open();
    QCOMPARE(reader.recordCount(), 2);
}

void TestEditorFiles::save_neverWrittenTableGoesStraightToTheChosenFile()
{
    EditorFixture f; // nothing inserted: the working file was never written
    f.dialogs.fileNames << f.path("Cenas/vazia");
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.errors, QStringList());
    QVERIFY(f.table().isActive());
    QCOMPARE(f.table().fileName(), f.path("Cenas/vazia.xml"));
    QVERIFY(fileBytes(f.path("Cenas/vazia.xml")).endsWith("<ROWDATA></ROWDATA></DATAPACKET>"));
}

void TestEditorFiles::save_failureIsReportedAndTheSceneStaysBound()
{
    EditorFixture f;
    insertNamed(f, "a");
    // A folder stands where the file would go: the write must fail, even for root.
    QDir().mkpath(f.path("Cenas/ocupado.xml"));
    f.dialogs.fileNames << f.path("Cenas/ocupado.xml");
    f.dialogs.confirmations << true;
    f.click(f.form->Button1);
    QCOMPARE(f.dialogs.errors.size(), 1);
    QVERIFY2(f.dialogs.errors[0].contains("ocupado.xml"), qPrintable(f.dialogs.errors[0]));
    QCOMPARE(f.table().fileName(), f.path("Cenas/temp.xml"));
    QVERIFY(f.table().isActive());
    QCOMPARE(names(f), QStringList{"a"});
    QVERIFY(f.table().modified());
}

void TestEditorFiles::open_writesPreviousChangesAndLoadsTheScene()
{
    EditorFixture f;
    insertNamed(f, "primeira");
    f.dialogs.fileNames << f.path("Cenas/primeira");
    f.click(f.form->Button1);
    insertNamed(f, "nao salva");
    QVERIFY(!f.form->RadioGroup3->isEnabled());

    f.dialogs.fileNames << TAVIREL_TEST_DATA "/packets/changelog-1252.xml";
    f.click(f.form->Button2);
    QCOMPARE(f.dialogs.fileDialogs.last().filter, QString("Arquivo de cena (.xml)|*xml"));
    QCOMPARE(f.dialogs.fileDialogs.last().initialDir, f.path("Cenas"));
    QCOMPARE(f.table().recordCount(), 4);
    QCOMPARE(f.form->currentRecordNumber(), 1);
    QVERIFY(f.form->RadioGroup3->isEnabled());
    f.form->Timer1Timer();
    QCOMPARE(f.form->Label14->text(), QString("Registro atual: 1"));
    QCOMPARE(f.form->DBGrid1->model()->rowCount(), 4);

    RecordTable previous; // the unsaved record reached the previous scene's own file
    defineSceneFields(previous);
    previous.setFileName(f.path("Cenas/primeira.xml"));
    previous.open();
    QCOMPARE(previous.recordCount(), 2);
}

void TestEditorFiles::open_ofAFileThatIsNoSceneKeepsTheOpenOne()
{
    EditorFixture f;
    insertNamed(f, "a");
    insertNamed(f, "b");
    writeFile(f.path("Cenas/lixo.xml"), "isto nao e uma cena");
    f.dialogs.fileNames << f.path("Cenas/lixo.xml");
    f.click(f.form->Button2);
    QCOMPARE(f.dialogs.errors.size(), 1);
    QVERIFY2(f.dialogs.errors[0].contains("lixo.xml"), qPrintable(f.dialogs.errors[0]));
    QCOMPARE(names(f), QStringList({"a", "b"}));
    QCOMPARE(f.table().fileName(), f.path("Cenas/temp.xml"));
    QCOMPARE(f.form->currentRecordNumber(), 2);
    QVERIFY(!f.form->RadioGroup3->isEnabled());
}

void TestEditorFiles::roundTrip_throughTheButtons()
{
    EditorFixture f;
    TForm1& w = *f.form;
    w.Edit2->setText(EditorFixture::local(0.1));
    w.Edit17->setText(EditorFixture::local(1.0 / 3.0));
    insertNamed(f, QString::fromUtf8("Ação & <teste>"));
    w.RadioGroup1->setItemIndex(3);
    insertNamed(f, "plano");
    f.dialogs.fileNames << f.path("Cenas/ida");
    f.click(w.Button1);
    std::vector<Record> saved;
    for (int row = 0; row < f.table().recordCount(); ++row) {
        Record record;
        for (int field = 0; field < SceneField::Count; ++field)
            record.push_back(f.table().valueAt(row, field));
        saved.push_back(record);
    }

    EditorFixture other;
    other.dialogs.fileNames << f.path("Cenas/ida.xml");
    other.click(other.form->Button2);
    QCOMPARE(other.table().recordCount(), int(saved.size()));
    for (int row = 0; row < other.table().recordCount(); ++row)
        for (int field = 0; field < SceneField::Count; ++field)
            QVERIFY2(other.table().valueAt(row, field) == saved[size_t(row)][size_t(field)],
                     qPrintable(QString("row %1 field %2").arg(row).arg(field)));
}

void TestEditorFiles::close_writesTheWorkingFile()
{
    EditorFixture f;
    insertNamed(f, "a");
    QVERIFY(f.form->close());
    QVERIFY(QFile::exists(f.path("Cenas/temp.xml")));
    QVERIFY(!f.table().isActive());
}

void TestEditorFiles::close_thatCannotWriteLetsTheUserStay()
{
    EditorFixture f;
    insertNamed(f, "a");
    QDir().mkpath(f.path("Cenas/temp.xml")); // the working file's place is taken
    f.dialogs.confirmations << false;
    QVERIFY(!f.form->close());
    QCOMPARE(f.dialogs.questions.size(), 1);
    QVERIFY(f.dialogs.questions[0].contains("temp.xml"));
    QVERIFY(f.table().isActive());
    QCOMPARE(names(f), QStringList{"a"});

    f.dialogs.confirmations << true;
    QVERIFY(f.form->close());
}

TAVIREL_EDITOR_TEST_MAIN(TestEditorFiles)
#include "test_editor_files.moc"
