#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TableChange)

namespace {

// A small table of each field type, open and empty.
void defineSmallTable(RecordTable& table)
{
    table.addField("Nome", FieldType::String, 5);
    table.addField("ID", FieldType::Integer);
    table.addField("X", FieldType::Float);
    table.addField("Ok", FieldType::Boolean);
    table.createDataSet();
}

void appendNamed(RecordTable& table, const QString& name)
{
    table.insert();
    table.fieldByName("Nome").setAsString(name);
    table.post();
}

QStringList names(RecordTable& table)
{
    QStringList list;
    for (int row = 0; row < table.recordCount(); ++row)
        list << valueAsString(table.valueAt(row, 0));
    return list;
}

} // namespace

class TestRecordTable : public QObject
{
    Q_OBJECT

private slots:
    void fieldLookup_ignoresCaseAndRefusesUnknownNames();
    void nullFields_readAsZeroEmptyOrFalseAndStayNull();
    void strings_areCutToTheirSizeInCharacters();
    void pendingInsert_isNotCountedUntilPosted();
    void cursorMove_postsWrittenRecordAndDropsUntouchedOne();
    void edit_changesOnlyTheCurrentRecord_cancelKeepsIt();
    void recordNumber_movesWithinTheTableAndRefusesOutside();
    void emptyTable_refusesEditAndDelete();
    void delete_keepsPositionOrMovesToNewLast();
    void writesOutsideInsertOrEdit_areRefused();
    void modifiedFlag_setByPostAndDelete_clearedByWriteAndLoad();
    void changeNotification_reportsEachKind();
    void open_withoutFile_failsWithMissingDataPacket();
    void close_writesOnlyWhenChanged();
    void startUp_definesSchemaAndDeletesStaleWorkingFile();
};

void TestRecordTable::fieldLookup_ignoresCaseAndRefusesUnknownNames()
{
    RecordTable table;
    defineSceneFields(table);
    QCOMPARE(table.fieldCount(), 37);
    QCOMPARE(table.fieldByName("Sx").index(), int(SceneField::SX));
    QCOMPARE(table.fieldByName("EIXOZ").index(), int(SceneField::EixoZ));
    QCOMPARE(table.fieldByName("temgravidade").def().name, QString("TemGravidade"));
    QCOMPARE(table.findField("Nada"), -1);
    try {
        table.fieldByName("Nada");
        QFAIL("an unknown field was found");
    } catch (const TableError& error) {
        QCOMPARE(error.message(), QString("Field 'Nada' not found"));
    }
    QVERIFY_THROWS_EXCEPTION(TableError, table.addField("sx", FieldType::Float));
}

void TestRecordTable::nullFields_readAsZeroEmptyOrFalseAndStayNull()
{
    RecordTable table;
    defineSmallTable(table);
    table.insert();
    table.fieldByName("ID").setAsInteger(0);
    table.post();
    QVERIFY(!table.fieldByName("ID").isNull()); // a written zero is not null
    for (const char* name : {"Nome", "X", "Ok"})
        QVERIFY2(table.fieldByName(name).isNull(), name);
    QCOMPARE(table.fieldByName("X").asFloat(), 0.0);
    QCOMPARE(table.fieldByName("X").asInteger(), 0);
    QCOMPARE(table.fieldByName("Nome").asString(), QString());
    QCOMPARE(table.fieldByName("Ok").asBoolean(), false);

    table.edit(1);
    table.fieldByName("X").setAsFloat(2.5);
    table.fieldByName("X").clear();
    table.post();
    QVERIFY(table.fieldByName("X").isNull());
}

void TestRecordTable::strings_areCutToTheirSizeInCharacters()
{
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    table.insert();
    table.fieldByName("Nome").setAsString("Um nome bem mais longo que vinte");
    table.fieldByName("Arquivo").setAsString(QString(300, 'a'));
    table.post();
    QCOMPARE(table.fieldByName("Nome").asString(), QString("Um nome bem mais lon"));
    QCOMPARE(table.fieldByName("Arquivo").asString().size(), 255);

    // Characters, not bytes or UTF-16 units: accents and a character outside the BMP.
    RecordTable small;
    defineSmallTable(small);
    small.insert();
    small.fieldByName("Nome").setAsString(QString::fromUtf8("ção\U0001F600xyz"));
    small.post();
    QCOMPARE(small.fieldByName("Nome").asString(), QString::fromUtf8("ção\U0001F600x"));
}

void TestRecordTable::pendingInsert_isNotCountedUntilPosted()
{
    RecordTable table;
    defineSmallTable(table);
    appendNamed(table, "a");
    table.insert();
    QCOMPARE(table.state(), RecordTable::State::Insert);
    QCOMPARE(table.recordCount(), 1);
    table.fieldByName("ID").setAsInteger(table.recordCount());
    table.fieldByName("Nome").setAsString("b");
    table.post();
    QCOMPARE(table.recordCount(), 2);
    QCOMPARE(table.recordNumber(), 2); // a posted insert goes to the end and becomes current
    QCOMPARE(table.fieldByName("ID").asInteger(), 1);

    table.first();
    table.insert();
    table.fieldByName("Nome").setAsString("c");
    table.cancel();
    QCOMPARE(table.recordCount(), 2);
    QCOMPARE(names(table), QStringList({"a", "b"}));
}

void TestRecordTable::cursorMove_postsWrittenRecordAndDropsUntouchedOne()
{
    RecordTable table;
    defineSmallTable(table);
    appendNamed(table, "a");
    appendNamed(table, "b");

    table.insert();
    table.fieldByName("Nome").setAsString("c");
    table.setRecordNumber(1); // written: posted by the move
    QCOMPARE(table.state(), RecordTable::State::Browse);
    QCOMPARE(names(table), QStringList({"a", "b", "c"}));
    QCOMPARE(table.recordNumber(), 1);

    table.insert();
    table.last(); // untouched: dropped
    QCOMPARE(table.recordCount(), 3);

    table.edit(1);
    table.fieldByName("Nome").setAsString("A");
    table.next(); // an edit is posted the same way
    QCOMPARE(names(table), QStringList({"A", "b", "c"}));
    QCOMPARE(table.recordNumber(), 2);
}

void TestRecordTable::edit_changesOnlyTheCurrentRecord_cancelKeepsIt()
{
    RecordTable table;
    defineSmallTable(table);
    appendNamed(table, "a");
    appendNamed(table, "b");
    table.edit(1);
    table.fieldByName("X").setAsFloat(7);
    QCOMPARE(table.fieldByName("X").asFloat(), 7.0); // the pending value is what is read
    table.cancel();
    QVERIFY(table.fieldByName("X").isNull());

    table.edit(1);
    table.fieldByName("X").setAsFloat(3);
    table.post();
    QCOMPARE(table.valueAt(0, 2), FieldValue(3.0));
    QVERIFY(isNull(table.valueAt(1, 2)));
    QCOMPARE(table.recordCount(), 2);
}

void TestRecordTable::recordNumber_movesWithinTheTableAndRefusesOutside()
{
    RecordTable table;
    defineSmallTable(table);
    QCOMPARE(table.recordNumber(), 0);
    table.setRecordNumber(0); // where an empty table already stands: no error
    QVERIFY_THROWS_EXCEPTION(TableError, table.setRecordNumber(1));
    for (const char* name : {"a", "b", "c"})
        appendNamed(table, name);
    table.setRecordNumber(2);
    QCOMPARE(table.fieldByName("Nome").asString(), QString("b"));
    QVERIFY_THROWS_EXCEPTION(TableError, table.setRecordNumber(4));
    QVERIFY_THROWS_EXCEPTION(TableError, table.setRecordNumber(0));
    QCOMPARE(table.recordNumber(), 2);
    table.next();
    table.next();
    QCOMPARE(table.recordNumber(), 3); // next stops on the last record
    table.first();
    table.prior();
    QCOMPARE(table.recordNumber(), 1);
}

void TestRecordTable::emptyTable_refusesEditAndDelete()
{
    RecordTable table;
    defineSmallTable(table);
    QVERIFY_THROWS_EXCEPTION(TableError, table.edit(1));
    QVERIFY_THROWS_EXCEPTION(TableError, table.deleteRecord(1));
    QCOMPARE(table.recordCount(), 0);
    QCOMPARE(table.state(), RecordTable::State::Browse);
}

void TestRecordTable::delete_keepsPositionOrMovesToNewLast()
{
    RecordTable table;
    defineSmallTable(table);
    for (const char* name : {"a", "b", "c"})
        appendNamed(table, name);
    table.setRecordNumber(3); // where the record deleted is named, the cursor does not count
    table.deleteRecord(2);
    QCOMPARE(names(table), QStringList({"a", "c"}));
    QCOMPARE(table.recordNumber(), 2); // "c" moved into the place
    QVERIFY_THROWS_EXCEPTION(TableError, table.deleteRecord(3));
    table.deleteRecord(2);
    QCOMPARE(table.recordNumber(), 1);
    table.deleteRecord(1);
    QCOMPARE(table.recordNumber(), 0);

    appendNamed(table, "d");
    table.insert(); // deleting while inserting drops the pending record only
    table.deleteRecord(1);
    QCOMPARE(names(table), QStringList({"d"}));
}

void TestRecordTable::writesOutsideInsertOrEdit_areRefused()
{
    RecordTable table;
    defineSmallTable(table);
    appendNamed(table, "a");
    QVERIFY_THROWS_EXCEPTION(TableError, table.fieldByName("X").setAsFloat(1));
    table.close();
    QVERIFY_THROWS_EXCEPTION(TableError, table.insert());
    QVERIFY_THROWS_EXCEPTION(TableError, table.setRecordNumber(1));
    QCOMPARE(table.recordCount(), 0);
}

void TestRecordTable::modifiedFlag_setByPostAndDelete_clearedByWriteAndLoad()
{
    QTemporaryDir dir;
    RecordTable table;
    defineSmallTable(table);
    table.setFileName(dir.filePath("t.xml"));
    QVERIFY(!table.modified());
    table.insert();
    table.cancel();
    QVERIFY(!table.modified());
    appendNamed(table, "a");
    QVERIFY(table.modified());
    table.close();
    QVERIFY(!table.modified());
    table.open();
    QVERIFY(!table.modified());
    table.deleteRecord(1);
    QVERIFY(table.modified());
    table.saveAs(dir.filePath("u.xml"));
    QVERIFY(!table.modified());
}

void TestRecordTable::changeNotification_reportsEachKind()
{
    qRegisterMetaType<TableChange>();
    QTemporaryDir dir;
    RecordTable table;
    defineSmallTable(table);
    table.setFileName(dir.filePath("t.xml"));
    QSignalSpy spy(&table, &RecordTable::changed);
    auto kinds = [&] {
        QList<int> list;
        for (const auto& arguments : spy)
            list << arguments.at(0).value<TableChange>().kind
                 << arguments.at(0).value<TableChange>().row;
        spy.clear();
        return list;
    };
    appendNamed(table, "a");
    appendNamed(table, "b");
    QCOMPARE(kinds(), QList<int>({TableChange::RecordAdded, 0, TableChange::RecordAdded, 1}));
    table.edit(1);
    table.fieldByName("X").setAsFloat(1);
    table.post();
    table.deleteRecord(1);
    QCOMPARE(kinds(), QList<int>({TableChange::RecordChanged, 0, TableChange::RecordDeleted, 0}));
    table.insert();
    table.cancel();
    QCOMPARE(kinds(), QList<int>());
    table.close();
    table.open();
    QCOMPARE(kinds(), QList<int>({TableChange::Reloaded, -1, TableChange::Reloaded, -1}));
}

void TestRecordTable::open_withoutFile_failsWithMissingDataPacket()
{
    QTemporaryDir dir;
    RecordTable table;
    defineSmallTable(table);
    table.setFileName(dir.filePath("never-written.xml"));
    table.close(); // unchanged: nothing is written
    QVERIFY(!QFile::exists(dir.filePath("never-written.xml")));
    try {
        table.open();
        QFAIL("opened a file that does not exist");
    } catch (const TableError& error) {
        QCOMPARE(error.message(), QString("Missing data provider or data packet"));
    }
    QVERIFY(!table.isActive());
}

void TestRecordTable::close_writesOnlyWhenChanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("cena.xml");
    RecordTable table;
    defineSmallTable(table);
    table.setFileName(path);
    appendNamed(table, "a");
    table.insert(); // a written pending record is kept by the close, like a cursor move
    table.fieldByName("Nome").setAsString("b");
    table.close();
    QVERIFY(!table.isActive());
    QCOMPARE(table.recordCount(), 0);

    table.open();
    QCOMPARE(names(table), QStringList({"a", "b"}));
    QCOMPARE(table.recordNumber(), 1);

    // Unchanged since loading: the file is left alone.
    QFile::remove(path);
    table.close();
    QVERIFY(!QFile::exists(path));
}

void TestRecordTable::startUp_definesSchemaAndDeletesStaleWorkingFile()
{
    QTemporaryDir exeDir;
    QDir(exeDir.path()).mkdir("Cenas");
    const QString stale = exeDir.filePath("Cenas/temp.xml");
    {
        RecordTable previous;
        defineSmallTable(previous); // another run's table, left behind
        previous.setFileName(stale);
        appendNamed(previous, "velho");
        previous.close();
    }
    QVERIFY(QFile::exists(stale));

    RecordTable table;
    createSceneTable(table, exeDir.path());
    QVERIFY(QDir(exeDir.filePath("Cenas")).exists());
    QVERIFY(!QFile::exists(stale));
    QVERIFY(table.isActive());
    QCOMPARE(table.recordCount(), 0);
    QCOMPARE(table.fileName(), stale);
    const QStringList expected = {"Nome",
                                  "ID",
                                  "X",
                                  "Y",
                                  "Z",
                                  "Ang",
                                  "eixoX",
                                  "eixoY",
                                  "eixoZ",
                                  "SX",
                                  "SY",
                                  "SZ",
                                  "Dim1",
                                  "Dim2",
                                  "Dim3",
                                  "Dim4",
                                  "Massa",
                                  "R",
                                  "G",
                                  "B",
                                  "A",
                                  "UsaCor",
                                  "Arquivo",
                                  "UserMove",
                                  "MoveX",
                                  "MoveY",
                                  "MoveZ",
                                  "ODEMove",
                                  "ODETipo",
                                  "MostraRastroSempre",
                                  "MostraRastroSolto",
                                  "MostraVecV",
                                  "MostraVecA",
                                  "MostraEixoRot",
                                  "TipoDeColisao",
                                  "Atrito",
                                  "TemGravidade"};
    QStringList actual;
    for (const FieldDef& field : table.fields())
        actual << field.name;
    QCOMPARE(actual, expected);

    // Creating "Cenas" where a file of that name stands fails silently; the table still opens.
    QTemporaryDir other;
    QFile blocker(other.filePath("Cenas"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RecordTable second;
    createSceneTable(second, other.path());
    QVERIFY(second.isActive());
}

QTEST_GUILESS_MAIN(TestRecordTable)
#include "test_recordtable.moc"
