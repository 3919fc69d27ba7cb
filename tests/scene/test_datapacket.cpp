#include "datapacket.h"
#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QFile>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

QByteArray readData(const QString& name)
{
    QFile file(QStringLiteral(TAVIREL_TEST_DATA "/packets/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return file.readAll();
}

std::vector<FieldDef> sceneFields()
{
    RecordTable table;
    defineSceneFields(table);
    return table.fields();
}

std::vector<FieldDef> smallFields()
{
    return {{"Nome", FieldType::String, 20},
            {"ID", FieldType::Integer, 0},
            {"X", FieldType::Float, 0},
            {"Ok", FieldType::Boolean, 0}};
}

// A packet of the small fields with the given rows and params.
QByteArray smallPacket(const QByteArray& rows, const QByteArray& params = "<PARAMS/>")
{
    return "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET "
           "Version=\"2.0\"><METADATA><FIELDS>"
           "<FIELD attrname=\"Nome\" fieldtype=\"string\" WIDTH=\"20\"/>"
           "<FIELD attrname=\"ID\" fieldtype=\"i4\"/><FIELD attrname=\"X\" fieldtype=\"r8\"/>"
           "<FIELD attrname=\"Ok\" fieldtype=\"boolean\"/></FIELDS>" +
           params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

QStringList namesOf(const std::vector<Record>& records)
{
    QStringList names;
    for (const Record& record : records)
        names << valueAsString(record[0]);
    return names;
}

QString refusal(const QByteArray& bytes, const std::vector<FieldDef>& fields)
{
    try {
        readDataPacket(bytes, fields);
    } catch (const TableError& error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestDataPacket : public QObject
{
    Q_OBJECT

private slots:
    void examples_readAndWriteBackByteForByte_data();
    void examples_readAndWriteBackByteForByte();
    void roundTrip_keepsEveryTypeNullsEscapesAndExactDoubles();
    void doubles_areWrittenShortestWithoutLocale();
    void emptyTable_writesEmptyRowData();
    void encoding_isUtf8WhenMarkedOrDeclaredAndValid_elseWindows1252();
    void references_namedAndNumeric_andBooleansByFirstLetter();
    void emptyNumbers_readAsNull();
    void changeLog_keepsLiveRowsInTheirPlaces();
    void strayParamsEndTag_isTolerated();
    void extraFields_areIgnored_missingOrRetypedAreRefused();
    void malformedOrForeignText_isRefusedWithTheReason_data();
    void malformedOrForeignText_isRefusedWithTheReason();
    void badValues_areRefusedNamingTheField_data();
    void badValues_areRefusedNamingTheField();
};

void TestDataPacket::examples_readAndWriteBackByteForByte_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::newRow("empty") << "empty-scene.xml" << 0;
    QTest::newRow("two objects") << "two-objects.xml" << 2;
}

void TestDataPacket::examples_readAndWriteBackByteForByte()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    const QByteArray original = readData(file);
    const auto fields = sceneFields();
    const auto records = readDataPacket(original, fields);
    QCOMPARE(int(records.size()), rows);
    QCOMPARE(writeDataPacket(fields, records), original);
}

void TestDataPacket::roundTrip_keepsEveryTypeNullsEscapesAndExactDoubles()
{
    const auto fields = smallFields();
    const double awkward[] = {0.1,  1.0 / 3.0, -2.5e-310, 1.7976931348623157e308, 123456789.125,
                              -0.0, 5e-324,    1e21,      0.30000000000000004};
    std::vector<Record> records;
    for (const double x : awkward)
        records.push_back({QString("x"), qint32(1), x, true});
    records.push_back({QString::fromUtf8("a<b>&\"c\"'d'\r\n\té\U0001F600\x01"),
                       std::numeric_limits<qint32>::min(), std::monostate(), false});
    records.push_back(
        {std::monostate(), std::numeric_limits<qint32>::max(), 0.0, std::monostate()});

    const QByteArray bytes = writeDataPacket(fields, records);
    QVERIFY(!bytes.contains('\n') && !bytes.contains('\r') && !bytes.contains('\t'));
    const auto back = readDataPacket(bytes, fields);
    QCOMPARE(back.size(), records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        for (size_t f = 0; f < fields.size(); ++f) {
            const FieldValue& a = records[r][f];
            const FieldValue& b = back[r][f];
            QVERIFY2(a.index() == b.index(), qPrintable(QString("row %1 field %2").arg(r).arg(f)));
            if (auto d = std::get_if<double>(&a)) // bit for bit, the sign of zero included
                QCOMPARE(std::signbit(*d), std::signbit(std::get<double>(b)));
            QVERIFY2(a == b, qPrintable(QString("row %1 field %2").arg(r).arg(f)));
        }
    }
}

void TestDataPacket::doubles_areWrittenShortestWithoutLocale()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const auto fields = smallFields();
    const QByteArray bytes =
        writeDataPacket(fields, {{std::monostate(), std::monostate(), 255.0, std::monostate()},
                                 {std::monostate(), std::monostate(), 0.5, std::monostate()},
                                 {std::monostate(), std::monostate(), 1e-7, std::monostate()},
                                 {std::monostate(), std::monostate(), -1.5e20, std::monostate()},
                                 {std::monostate(), std::monostate(), 0.1, std::monostate()}});
    QLocale::setDefault(QLocale::c());
    QVERIFY(bytes.contains("<ROW X=\"255\"/><ROW X=\"0.5\"/><ROW X=\"1E-7\"/><ROW X=\"-1.5E20\"/>"
                           "<ROW X=\"0.1\"/>"));
}

void TestDataPacket::emptyTable_writesEmptyRowData()
{
    const QByteArray bytes = writeDataPacket(smallFields(), {});
    QVERIFY(bytes.endsWith("<PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>"));
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>  "
                             "<DATAPACKET Version=\"2.0\">"));
    QVERIFY(bytes.contains("<FIELD attrname=\"Nome\" fieldtype=\"string\" WIDTH=\"20\"/>"
                           "<FIELD attrname=\"ID\" fieldtype=\"i4\"/>"));
}

void TestDataPacket::encoding_isUtf8WhenMarkedOrDeclaredAndValid_elseWindows1252()
{
    const auto fields = smallFields();
    const QString capsula = QString::fromUtf8("Cápsula");
    // Windows-1252, no declaration: the byte 0xE1 is "á"; 0x80 is the euro sign.
    QByteArray plain = smallPacket("<ROW Nome=\"C\xE1psula \x80\"/>");
    QCOMPARE(namesOf(readDataPacket(plain, fields)),
             QStringList{capsula + QString::fromUtf8(" €")});
    // UTF-8 with a byte order mark, no declaration.
    QByteArray marked = "\xEF\xBB\xBF" + smallPacket("<ROW Nome=\"C\xC3\xA1psula\"/>");
    QCOMPARE(namesOf(readDataPacket(marked, fields)), QStringList{capsula});
    // Declared UTF-8 and valid.
    QByteArray declared = smallPacket("<ROW Nome=\"C\xC3\xA1psula\"/>");
    declared.replace("standalone", "encoding=\"UTF-8\" standalone");
    QCOMPARE(namesOf(readDataPacket(declared, fields)), QStringList{capsula});
    // Declared UTF-8 but holding a lone 0xE1: the declaration is not believed.
    QByteArray lying = smallPacket("<ROW Nome=\"C\xE1psula\"/>");
    lying.replace("standalone", "encoding=\"UTF-8\" standalone");
    QCOMPARE(namesOf(readDataPacket(lying, fields)), QStringList{capsula});
}

void TestDataPacket::references_namedAndNumeric_andBooleansByFirstLetter()
{
    const auto records = readDataPacket(
        smallPacket("<ROW Nome=\"&lt;&#065;&#x42;&amp;&apos;&quot;&gt;&#013;&#010;\" Ok=\"true\"/>"
                    "<ROW Nome='sim' Ok='f'/><ROW Ok=\"T\"/><ROW Ok=\"FALSE\"/>"),
        smallFields());
    QCOMPARE(valueAsString(records[0][0]), QString("<AB&'\">\r\n"));
    QCOMPARE(records[0][3], FieldValue(true));
    QCOMPARE(valueAsString(records[1][0]), QString("sim"));
    QCOMPARE(records[1][3], FieldValue(false));
    QCOMPARE(records[2][3], FieldValue(true));
    QCOMPARE(records[3][3], FieldValue(false));
}

void TestDataPacket::emptyNumbers_readAsNull()
{
    const auto records =
        readDataPacket(smallPacket("<ROW ID=\"\" X=\"\" Ok=\"\" Nome=\"\"/>"), smallFields());
    QVERIFY(isNull(records[0][1]));
    QVERIFY(isNull(records[0][2]));
    QVERIFY(isNull(records[0][3]));
    QCOMPARE(records[0][0], FieldValue(QString())); // an empty string is still a string
}

void TestDataPacket::changeLog_keepsLiveRowsInTheirPlaces()
{
    // The hand-made file of the plain flavour: Windows-1252, three rows kept from the start
    // (one of them later modified), one deleted and one inserted.
    const auto fields = sceneFields();
    const auto records = readDataPacket(readData("changelog-1252.xml"), fields);
    QCOMPARE(namesOf(records), QStringList({"Esfera", QString::fromUtf8("Cápsula alterada"),
                                            "Plano", QString::fromUtf8("Inserção")}));
    QCOMPARE(valueAsFloat(records[1][SceneField::X]), 2.5);

    // Chained modifications and a deleted insert, in a small packet.
    const QByteArray chained = smallPacket(
        "<ROW RowState=\"1\" Nome=\"a\"/><ROW Nome=\"b\"/><ROW RowState=\"9\" Nome=\"a1\"/>"
        "<ROW RowState=\"8\" Nome=\"a2\"/><ROW RowState=\"4\" Nome=\"c\"/>"
        "<ROW RowState=\"6\" Nome=\"gone\"/><ROW RowState=\"32\" Nome=\"slot\"/>",
        "<PARAMS CHANGE_LOG=\"3 1 8 4 3 8 5 0 4 6 0 4 6 0 2\"/>");
    QCOMPARE(namesOf(readDataPacket(chained, smallFields())), QStringList({"a2", "b", "c"}));
}

void TestDataPacket::strayParamsEndTag_isTolerated()
{
    const QByteArray packet = smallPacket("<ROW Nome=\"a\"/>", "<PARAMS/></PARAMS>");
    QCOMPARE(namesOf(readDataPacket(packet, smallFields())), QStringList{"a"});
    // Any other stray end tag is still an error.
    QByteArray other = smallPacket("<ROW Nome=\"a\"/>", "<PARAMS/></FIELDS>");
    QVERIFY(!refusal(other, smallFields()).isEmpty());
}

void TestDataPacket::extraFields_areIgnored_missingOrRetypedAreRefused()
{
    auto fields = smallFields();
    fields.erase(fields.begin() + 1); // the table lacks "ID": the packet's extra field is ignored
    const auto records =
        readDataPacket(smallPacket("<ROW Nome=\"a\" ID=\"7\" X=\"1.5\"/>"), fields);
    QCOMPARE(records[0].size(), size_t(3));
    QCOMPARE(records[0][1], FieldValue(1.5));

    QCOMPARE(refusal(readData("missing-field.xml"), sceneFields()),
             QString::fromUtf8("falta o campo \"Massa\""));
    auto retyped = smallFields();
    retyped[1].type = FieldType::Float;
    QCOMPARE(refusal(smallPacket(""), retyped),
             QString::fromUtf8("o campo \"ID\" é do tipo \"i4\", e não \"r8\""));
}

void TestDataPacket::malformedOrForeignText_isRefusedWithTheReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("sceneFields");
    const QByteArray good = smallPacket("<ROW Nome=\"a\"/>");
    QTest::newRow("empty") << QByteArray() << "nenhum elemento" << false;
    QTest::newRow("truncated") << good.left(good.size() - 20) << "XML malformado" << false;
    QTest::newRow("hand-made malformed") << readData("malformed.xml") << "linha 3" << true;
    QTest::newRow("not a packet") << QByteArray("<html><body/></html>") << "<html>" << false;
    QTest::newRow("doctype") << QByteArray("<!DOCTYPE x [<!ENTITY a \"aaaa\">]><DATAPACKET/>")
                             << "DOCTYPE" << false;
    QTest::newRow("unknown entity") << smallPacket("<ROW Nome=\"&lol;\"/>") << "&lol" << false;
    QTest::newRow("unquoted") << smallPacket("<ROW Nome=a/>") << "aspas" << false;
    QTest::newRow("mismatched") << smallPacket("<ROW Nome=\"a\"></ROWDATA>") << "fecha" << false;
    QTest::newRow("no fields") << QByteArray("<DATAPACKET><ROWDATA/></DATAPACKET>") << "FIELDS"
                               << false;
    QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE garbage", 13) << "texto antes" << false;
    QTest::newRow("text after") << good + "junk"
                                << "depois" << false;
}

void TestDataPacket::malformedOrForeignText_isRefusedWithTheReason()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QFETCH(bool, sceneFields);
    const QString message = refusal(bytes, sceneFields ? ::sceneFields() : smallFields());
    QVERIFY2(message.contains(reason), qPrintable(message));
}

void TestDataPacket::badValues_areRefusedNamingTheField_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("field");
    QTest::newRow("integer text") << QByteArray("<ROW ID=\"dez\"/>") << "ID";
    QTest::newRow("integer too large") << QByteArray("<ROW ID=\"2147483648\"/>") << "ID";
    QTest::newRow("integer fraction") << QByteArray("<ROW ID=\"1.5\"/>") << "ID";
    QTest::newRow("float comma") << QByteArray("<ROW X=\"0,5\"/>") << "X";
    QTest::newRow("float nan") << QByteArray("<ROW X=\"NaN\"/>") << "X";
    QTest::newRow("float infinity") << QByteArray("<ROW X=\"inf\"/>") << "X";
    QTest::newRow("float overflow") << QByteArray("<ROW X=\"1e999\"/>") << "X";
    QTest::newRow("boolean") << QByteArray("<ROW Ok=\"yes\"/>") << "Ok";
}

void TestDataPacket::badValues_areRefusedNamingTheField()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, field);
    const QString message = refusal(smallPacket(row), smallFields());
    QVERIFY2(message.contains("\"" + field + "\""), qPrintable(message));
}

QTEST_GUILESS_MAIN(TestDataPacket)
#include "test_datapacket.moc"
