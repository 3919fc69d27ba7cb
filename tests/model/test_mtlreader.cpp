#include "modelerror.h"
#include "mtlloader.h"
#include "objloader.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

// Reads a model whose libraries come from `libraries` (by the path the model asks for), telling
// what it reports into `messages`.
TModel parseWith(const std::string& text, const std::map<std::string, std::string>& libraries,
                 QStringList* messages = nullptr, char separator = '.')
{
    ModelIO io;
    io.decimalSeparator = separator;
    io.openLibrary = [libraries](const std::string& path) -> std::optional<std::string> {
        const auto found = libraries.find(path);
        return found == libraries.end() ? std::nullopt : std::optional(found->second);
    };
    io.notify = [messages](const std::string& caption, const std::string& text) {
        if (messages)
            *messages << QString::fromStdString(caption + "|" + text);
    };
    return ParseModel(text, "scene/", io);
}

} // namespace

class TestMtlReader : public QObject
{
    Q_OBJECT

private slots:
    void newmtl_startsBlackWithShininess60();
    void colours_readEitherSeparatorAndIgnoreOtherLines();
    void twoLibraries_appendAndColourLinesChangeTheLastMaterial();
    void usemtl_lastDuplicateWinsAndAppliesToTheWholeGroup();
    void missingLibrary_isReportedAndTheModelReadsOn();
    void libraryOnDisk_isFoundWhateverTheCaseOfItsName();
    void libraryInAFolder_isFoundWhateverTheCaseOfEachPart();
};

void TestMtlReader::newmtl_startsBlackWithShininess60()
{
    TModel model;
    ParseMaterialLibrary("newmtl  Red \nKd 1 0 0\n", model, '.');
    QCOMPARE(model.MaterialCount, 1);
    QCOMPARE(model.Materials.size(), size_t(2));
    const TMaterial& red = model.Materials[1];
    QCOMPARE(red.Name, std::string("RED"));
    QCOMPARE(red.Diffuse, (TVector3{1, 0, 0}));
    QCOMPARE(red.Ambient, (TVector3{0, 0, 0}));
    QCOMPARE(red.Specular, (TVector3{0, 0, 0}));
    QCOMPARE(red.Shininess, 60.0f);
    QCOMPARE(red.Texture, 0u);
    QCOMPARE(model.Materials[0].Shininess, 0.0f); // slot 0 stays all zero
}

void TestMtlReader::colours_readEitherSeparatorAndIgnoreOtherLines()
{
    TModel model;
    ParseMaterialLibrary("Kd 9 9 9\nNs 9\n" // before any material: nothing to change
                         "newmtl wood\nKa 0,2 0.2 0,2\nNs 96.5\n"
                         "map_Kd wood.bmp\nd 0.5\nTr 0.5\nillum 2\nNi 1.5\nKe 1 1 1\n",
                         model, ',');
    QCOMPARE(model.MaterialCount, 1);
    const TMaterial& wood = model.Materials[1];
    QCOMPARE(wood.Ambient, (TVector3{0.2f, 0.2f, 0.2f}));
    QCOMPARE(wood.Diffuse, (TVector3{0, 0, 0}));
    QCOMPARE(wood.Specular, (TVector3{0, 0, 0}));
    QCOMPARE(wood.Shininess, 96.5f);

    // "Ke" is read like any colour line, so a bad value in it still stops the reading.
    TModel bad;
    QVERIFY_THROWS_EXCEPTION(ModelConversionError,
                             ParseMaterialLibrary("newmtl a\nKe 1 1\n", bad, '.'));
    QVERIFY_THROWS_EXCEPTION(ModelConversionError, ParseMaterialLibrary("newmtl a\nNs", bad, '.'));
    // A colour holds three values: a fourth runs into the third, which then does not convert.
    try {
        ParseMaterialLibrary("newmtl a\nKd\t1 0  0 1\n", bad, '.');
        QFAIL("a colour of four values was read");
    } catch (const ModelConversionError& error) {
        QCOMPARE(QString(error.what()),
                 QStringLiteral("'0 1' is not a valid floating point value"));
    }
}

void TestMtlReader::twoLibraries_appendAndColourLinesChangeTheLastMaterial()
{
    const TModel model = parseWith("mtllib a.mtl\nmtllib b.mtl\n",
                                   {{"scene/A.MTL", "newmtl first\nKd 1 0 0\n"},
                                    {"scene/B.MTL", "Ks 0 0 1\nnewmtl second\nKd 0 1 0\n"}});
    QCOMPARE(model.MaterialCount, 2);
    QCOMPARE(model.Materials[1].Name, std::string("FIRST"));
    QCOMPARE(model.Materials[2].Name, std::string("SECOND"));
    QCOMPARE(model.Materials[2].Diffuse, (TVector3{0, 1, 0}));
    // The second library's line before its own "newmtl" changed the first library's material.
    QCOMPARE(model.Materials[1].Specular, (TVector3{0, 0, 1}));
}

void TestMtlReader::usemtl_lastDuplicateWinsAndAppliesToTheWholeGroup()
{
    const TModel model = parseWith("mtllib m.mtl\n"
                                   "g a\nusemtl wood\nf 1 2 3\n"
                                   "g b\nusemtl wood\nf 1 2 3\nusemtl steel\nf 1 2 3\n"
                                   "g c\nusemtl nothing-like-it\nf 1 2 3\n"
                                   "g d\nusemtl steel \n",
                                   {{"scene/M.MTL", "newmtl WOOD\nnewmtl steel\nnewmtl wood\n"}});
    QCOMPARE(model.Groups[1].Material, 3); // the second WOOD
    QCOMPARE(model.Groups[2].Material, 2); // the later selection, for both faces
    QCOMPARE(model.Groups[3].Material, 0); // an unknown name selects nothing
    QCOMPARE(model.Groups[4].Material, 0); // names are compared untrimmed
}

void TestMtlReader::missingLibrary_isReportedAndTheModelReadsOn()
{
    QStringList messages;
    const TModel model =
        parseWith("mtllib gone.mtl\nv 0 0 0\ng a\nusemtl red\nf 1 1 1\n", {}, &messages);
    QCOMPARE(messages,
             QStringList{"Load Model Material|Cannot find the material file : scene/GONE.MTL"});
    QCOMPARE(model.MaterialCount, 0);
    QCOMPARE(model.VertexCount, 1);
    QCOMPARE(model.Groups[1].FaceCount, 1);
    QCOMPARE(model.Groups[1].Material, 0);
}

// Names in the model are upper-cased; the files beside it keep whatever case they were given.
void TestMtlReader::libraryOnDisk_isFoundWhateverTheCaseOfItsName()
{
    QStringList messages;
    ModelIO io;
    io.decimalSeparator = '.';
    io.notify = [&messages](const std::string& caption, const std::string& text) {
        messages << QString::fromStdString(caption + "|" + text);
    };
    const TModel model = LoadModel(TAVIREL_TEST_DATA "/models/two-libraries.obj", io);
    QCOMPARE(messages, QStringList());
    QCOMPARE(QString::fromStdString(model.Dir), QStringLiteral(TAVIREL_TEST_DATA "/models/"));
    QCOMPARE(model.MaterialCount, 2);
    QCOMPARE(model.Groups[1].Material, 1);
    QCOMPARE(model.Materials[1].Shininess, 10.0f);
    QCOMPARE(model.Groups[2].Material, 2);
    QCOMPARE(model.Materials[2].Specular, (TVector3{0.9f, 0.9f, 0.9f}));
    QCOMPARE(model.Groups[3].Material, 0);
}

// "mtllib mats/red.mtl" asks for "MATS/RED.MTL": the folders on the way may differ in case as well.
void TestMtlReader::libraryInAFolder_isFoundWhateverTheCaseOfEachPart()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Modelo/mats/Tintas/Red.mtl"), "newmtl red\nKd 1 0 0\n");
    writeFile(dir.filePath("Comum/Blue.Mtl"), "newmtl blue\nKd 0 0 1\n");
    writeFile(dir.filePath("Modelo/carro.obj"),
              "mtllib mats/tintas/red.mtl\nmtllib ../comum/blue.mtl\n"
              "mtllib mats/red.mtl\nmtllib tintas/red.mtl\n");
    QStringList messages;
    ModelIO io;
    io.notify = [&messages](const std::string& caption, const std::string& text) {
        messages << QString::fromStdString(caption + "|" + text);
    };
    const TModel model = LoadModel(dir.filePath("Modelo/carro.obj").toStdString(), io);
    QCOMPARE(model.MaterialCount, 2);
    QCOMPARE(model.Materials[1].Diffuse, (TVector3{1, 0, 0}));
    QCOMPARE(model.Materials[2].Name, std::string("BLUE"));
    // A file of that name in another folder, or a folder missing, is still not found; the message
    // names the path as the model asked for it.
    const QString missing =
        "Load Model Material|Cannot find the material file : " + dir.filePath("Modelo/%1");
    QCOMPARE(messages, (QStringList{missing.arg("MATS/RED.MTL"), missing.arg("TINTAS/RED.MTL")}));
}

QTEST_GUILESS_MAIN(TestMtlReader)
#include "test_mtlreader.moc"
