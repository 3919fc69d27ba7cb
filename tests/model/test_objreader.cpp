#include "modelerror.h"
#include "objloader.h"
#include "testfiles.h"
#include "textscan.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <sstream>

namespace {

TModel parse(const std::string& text, char separator = '.')
{
    ModelIO io;
    io.decimalSeparator = separator;
    return ParseModel(text, "", io);
}

// The message of the conversion error that reading text raises; empty when it raises none.
QString conversionError(const std::string& text, char separator = '.')
{
    try {
        parse(text, separator);
    } catch (const ModelConversionError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

// Everything a reader fills in but Dir and FileName, as text, for comparing two models.
QString describe(const TModel& model)
{
    std::ostringstream out;
    out.precision(9);
    const auto numbers = [&out](const auto& values) {
        for (const float value : values)
            out << ' ' << value;
        out << '\n';
    };
    out << model.VertexCount << ' ' << model.NormalCount << ' ' << model.TexCoordCount << ' '
        << model.GroupCount << ' ' << model.MaterialCount << '\n';
    std::for_each(model.Vertices.begin(), model.Vertices.end(), numbers);
    std::for_each(model.Normals.begin(), model.Normals.end(), numbers);
    std::for_each(model.TexCoords.begin(), model.TexCoords.end(), numbers);
    for (const TGroup& group : model.Groups) {
        out << "g " << group.Name << ' ' << group.FaceCount << ' ' << group.Material << '\n';
        for (const TFace& face : group.Faces)
            out << "f " << face.Count << ' ' << face.TexCoordCount << ' ' << face.NormalCount << ' '
                << face.First << '\n';
        for (const TCorner& corner : group.Corners)
            out << corner.Vertex << '/' << corner.TexCoord << '/' << corner.Normal << '\n';
    }
    for (const TMaterial& material : model.Materials) {
        out << "newmtl " << material.Name << ' ' << material.Shininess;
        for (const TVector3& colour : {material.Ambient, material.Diffuse, material.Specular})
            numbers(colour);
    }
    return QString::fromStdString(out.str());
}

std::vector<int32_t> vertexIndices(const TGroup& group, const TFace& face)
{
    std::vector<int32_t> indices;
    for (int32_t c = 0; c < face.Count; ++c)
        indices.push_back(group.Corners[size_t(face.First + c)].Vertex);
    return indices;
}

} // namespace

class TestObjReader : public QObject
{
    Q_OBJECT

private slots:
    void numbers_readTheDotAndTheLocalesOwnSeparator();
    void numbers_readTheDotUnderAPortugueseNumericLocale();
    void badValues_raiseTheConversionErrorNamingTheValue_data();
    void badValues_raiseTheConversionErrorNamingTheValue();
    void vertexLines_keywordsIgnoreCaseAndListsStartWithAnEmptySlot();
    void continuation_joinsTheFollowingLineOnce();
    void faces_readTheFourCornerForms();
    void blanks_beforeTheKeywordAndAByteOrderMarkAreSkipped();
    void exporterForms_readAsTheSameModelWrittenPlainly();
    void faces_negativeIndicesCountBackFromWhatWasReadSoFar();
    void groups_everyGLineMakesANewGroup();
    void groups_facesAndSelectionBeforeTheFirstGGoToAnImplicitGroup();
    void loadModel_readsALargeFileAsTheSameTextParsed();
    void loadModel_missingFileIsReportedOnceAndGivesAnEmptyModel_data();
    void loadModel_missingFileIsReportedOnceAndGivesAnEmptyModel();
    void FindFrom_followsItsPositionRules();
};

void TestObjReader::numbers_readTheDotAndTheLocalesOwnSeparator()
{
    const TModel comma = parse("v 1.5 -2 0,25\nv +3 1e2 -.5\n", ',');
    QCOMPARE(comma.Vertices[1], (TVector3{1.5f, -2.0f, 0.25f}));
    QCOMPARE(comma.Vertices[2], (TVector3{3.0f, 100.0f, -0.5f}));
    // Where "." is the locale's separator a comma is no decimal point.
    QCOMPARE(conversionError("v 1.5 -2 0,25\n", '.'),
             QStringLiteral("'0,25' is not a valid floating point value"));
    // Both separators in one value are no number either.
    QCOMPARE(conversionError("v 1.5,2 0 0\n", ','),
             QStringLiteral("'1.5,2' is not a valid floating point value"));
}

// The application's start sets the user's locale; the C library's conversions then read "1.5"
// as 1 under a Portuguese locale. The reader must not.
void TestObjReader::numbers_readTheDotUnderAPortugueseNumericLocale()
{
    QTemporaryDir locales;
    const QByteArray previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "pt_BR.UTF-8")) {
        const QString command = QStringLiteral("localedef -i pt_BR -f UTF-8 '%1/pt_BR.UTF-8' "
                                               ">/dev/null 2>&1")
                                    .arg(locales.path());
        if (std::system(command.toLocal8Bit().constData()) != 0)
            QSKIP("no pt_BR locale here, and localedef cannot make one");
        qputenv("LOCPATH", locales.path().toLocal8Bit());
        QVERIFY(std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"));
    }
    const double cLibrary = std::strtod("1.5", nullptr);
    const TModel model = parse("v 1.5 -2 0.25\nv 1,5 0 0\n", 0); // 0: the locale's separator
    std::setlocale(LC_NUMERIC, previous.constData());
    qunsetenv("LOCPATH");

    QCOMPARE(cLibrary, 1.0); // the locale really reads "," only
    QCOMPARE(model.Vertices[1], (TVector3{1.5f, -2.0f, 0.25f}));
    QCOMPARE(model.Vertices[2], (TVector3{1.5f, 0.0f, 0.0f}));
}

void TestObjReader::badValues_raiseTheConversionErrorNamingTheValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString notFloat = QStringLiteral("'%1' is not a valid floating point value");
    const QString notInteger = QStringLiteral("'%1' is not a valid integer value");
    QTest::newRow("two values") << "vn 1 2" << notFloat.arg("");
    QTest::newRow("no values") << "vn" << notFloat.arg("");
    QTest::newRow("no values after a blank") << "v " << notFloat.arg("");
    // The last value runs to the end of the line, so one too many makes it unconvertible.
    QTest::newRow("vn with four values") << "vn 1 2 3 4" << notFloat.arg("3 4");
    QTest::newRow("v with five values") << "v 1 2 3 1 5" << notFloat.arg("1 5");
    QTest::newRow("vt with four values") << "vt 0.5 0.5 0\t1" << notFloat.arg("0\t1");
    QTest::newRow("word, upper-cased") << "v 1 abc 2" << notFloat.arg("ABC");
    QTest::newRow("w that is no number") << "v 1 2 3 w" << notFloat.arg("W");
    QTest::newRow("not a number") << "v nan 0 0" << notFloat.arg("NAN");
    QTest::newRow("empty texture index") << "f 1/ 2/ 3/" << notInteger.arg("");
    QTest::newRow("empty normal index") << "f 1// 2// 3//" << notInteger.arg("");
    QTest::newRow("a third slash") << "f 1/2/3/4 2 3" << notInteger.arg("3/4");
    QTest::newRow("keyword alone") << "f" << notInteger.arg("F");
    QTest::newRow("decimal index") << "f 1.5 2 3" << notInteger.arg("1.5");
    QTest::newRow("index beyond 32 bits") << "f 3000000000 1 2" << notInteger.arg("3000000000");
    QTest::newRow("library colour") << "newmtl a\nKd 1 x 0" << QString(); // not an "M" line
}

void TestObjReader::badValues_raiseTheConversionErrorNamingTheValue()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QCOMPARE(conversionError(text.toStdString()), message);
}

void TestObjReader::vertexLines_keywordsIgnoreCaseAndListsStartWithAnEmptySlot()
{
    const TModel model = parse("# a comment: v 9 9 9\n"
                               "v 1 2 3\nVN 0 0 1\nvn 0 1 0\nVn 1 0 0\n"
                               "vp 0.5 0.5\nvt 0.25 0.75\nVT 1 0\n"
                               "o object\ns 1\nl 1 2\nx anything\n");
    QCOMPARE(model.VertexCount, 1);
    QCOMPARE(model.NormalCount, 3);
    QCOMPARE(model.TexCoordCount, 2);
    QCOMPARE(model.GroupCount, 0);
    QCOMPARE(model.Vertices.size(), size_t(2));
    QCOMPARE(model.Vertices[0], (TVector3{0, 0, 0}));
    QCOMPARE(model.Normals[3], (TVector3{1, 0, 0}));
    QCOMPARE(model.TexCoords[1], (TVector2{0.25f, 0.75f}));
    QCOMPARE(model.Groups.size(), size_t(0)); // an empty list has no slot 0 either
}

void TestObjReader::continuation_joinsTheFollowingLineOnce()
{
    // CR LF endings; the "\" is dropped and the next line appended as it stands.
    const TModel joined = parse("v 1 2 \\\r\n3\r\nv 4 \\\r\n5 6\r\n");
    QCOMPARE(joined.VertexCount, 2);
    QCOMPARE(joined.Vertices[1], (TVector3{1, 2, 3}));
    QCOMPARE(joined.Vertices[2], (TVector3{4, 5, 6}));
    // A third line is not joined even when the second also ends in "\".
    QCOMPARE(conversionError("v 1 \\\n2 \\\n3\n"),
             QStringLiteral("'\\' is not a valid floating point value"));
    // A "\" on the last line joins nothing.
    QCOMPARE(parse("v 7 8 9\\").Vertices[1], (TVector3{7, 8, 9}));
}

void TestObjReader::faces_readTheFourCornerForms()
{
    const TModel model = parse("f 1 2 3\nf 1//4 2//5 3//6\nf 1/7/4 2/8/5 3/9/6\nf 1//4 2 3\n"
                               "f 1/7 2/8 3/-1\nf 1 2/8 3//6 4/9/5\n");
    const TGroup& group = model.Groups[1];
    QCOMPARE(group.FaceCount, 6);
    const TFace& plain = group.Faces[1];
    QCOMPARE(plain.Count, 3);
    QCOMPARE(plain.TexCoordCount, 0);
    QCOMPARE(plain.NormalCount, 0);
    QCOMPARE(vertexIndices(group, plain), (std::vector<int32_t>{1, 2, 3}));

    const TFace& withNormals = group.Faces[2];
    QCOMPARE(withNormals.TexCoordCount, 0);
    QCOMPARE(withNormals.NormalCount, 3);
    QCOMPARE(group.Corners[size_t(withNormals.First + 2)].Normal, 6);

    const TFace& full = group.Faces[3];
    QCOMPARE(full.TexCoordCount, 3);
    QCOMPARE(full.NormalCount, 3);
    const TCorner& second = group.Corners[size_t(full.First + 1)];
    QCOMPARE(second.Vertex, 2);
    QCOMPARE(second.TexCoord, 8);
    QCOMPARE(second.Normal, 5);

    // Plain corners may follow slashed ones; only the first carries a normal.
    const TFace& plainAfterNormal = group.Faces[4];
    QCOMPARE(plainAfterNormal.Count, 3);
    QCOMPARE(plainAfterNormal.NormalCount, 1);

    // Texture coordinates without normals, counted back like any index (none read: 0).
    const TFace& withTexCoords = group.Faces[5];
    QCOMPARE(withTexCoords.TexCoordCount, 3);
    QCOMPARE(withTexCoords.NormalCount, 0);
    QCOMPARE(group.Corners[size_t(withTexCoords.First + 1)].TexCoord, 8);
    QCOMPARE(group.Corners[size_t(withTexCoords.First + 2)].TexCoord, 0);

    // Every form in one face: each corner keeps what it names and 0 for the rest.
    const TFace& mixed = group.Faces[6];
    QCOMPARE(mixed.Count, 4);
    QCOMPARE(mixed.TexCoordCount, 4);
    QCOMPARE(mixed.NormalCount, 4);
    std::vector<std::array<int32_t, 3>> corners;
    for (int32_t c = 0; c < mixed.Count; ++c) {
        const TCorner& corner = group.Corners[size_t(mixed.First + c)];
        corners.push_back({corner.Vertex, corner.TexCoord, corner.Normal});
    }
    QCOMPARE(corners,
             (std::vector<std::array<int32_t, 3>>{{1, 0, 0}, {2, 8, 0}, {3, 0, 6}, {4, 9, 5}}));
}

// Blanks before a keyword are skipped also where a continuation brings them, and a comment stays
// a comment when indented; a byte-order mark is one only at the very start of the text.
void TestObjReader::blanks_beforeTheKeywordAndAByteOrderMarkAreSkipped()
{
    const TModel marked = parse("\xEF\xBB\xBF  v 1 2 3\n\\\n   v 4 5 6\n   # v 0 0 0 \\\nv 7 8 9");
    QCOMPARE(marked.VertexCount, 3);
    QCOMPARE(marked.Vertices[1], (TVector3{1, 2, 3}));
    QCOMPARE(marked.Vertices[3], (TVector3{7, 8, 9}));
    // A continuation that is all there is gives an empty line.
    QCOMPARE(parse("\\\n\nv 1 2 3\n").VertexCount, 1);
    QCOMPARE(parse("v 1 2 3\n\xEF\xBB\xBFv 4 5 6\n \t \n").VertexCount, 1);
}

// The fixture uses every form an exporter might (a byte-order mark, indentation, tabs, runs of
// spaces, w values, all corner forms, in the library too); read from disk, it must give what
// the same model written with single spaces gives.
void TestObjReader::exporterForms_readAsTheSameModelWrittenPlainly()
{
    const std::string plainLibrary = "newmtl painted\nKa 0.2 0.2 0.2\nKd 0.8 0.1 0.1\n"
                                     "Ks 0.5 0.5 0.5\nNs 96.078431\nnewmtl Bare\nKd 0.6 0.6 0.6\n";
    ModelIO io;
    io.decimalSeparator = '.';
    io.openLibrary = [&](const std::string&) { return std::optional(plainLibrary); };
    const TModel plain = ParseModel("mtllib exporter-forms.mtl\n"
                                    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\n"
                                    "g front\nusemtl painted\nf 1/1 2/2 3/3\n"
                                    "f 1//1 3//1 4//1\nf 1/1/1 2/2/1 3/3/1 4/1/1\n"
                                    "g back\nusemtl bare\nf 4 3 2 1\nf 1/1 2//1 3/3/1 4\n",
                                    "", io);
    QStringList messages;
    ModelIO diskIO;
    diskIO.decimalSeparator = '.';
    diskIO.notify = [&messages](const std::string& caption, const std::string& text) {
        messages << QString::fromStdString(caption + "|" + text);
    };
    const TModel written = LoadModel(TAVIREL_TEST_DATA "/models/exporter-forms.obj", diskIO);
    QCOMPARE(messages, QStringList());
    QCOMPARE(describe(written), describe(plain));
    QCOMPARE(plain.VertexCount, 4);
    QCOMPARE(plain.GroupCount, 2);
    QCOMPARE(plain.Groups[1].Material, 1);
    QCOMPARE(plain.Groups[2].Material, 2);
    QCOMPARE(plain.Materials[1].Diffuse, (TVector3{0.8f, 0.1f, 0.1f}));
    QCOMPARE(plain.Groups[2].Faces[2].TexCoordCount, 3);
}

void TestObjReader::faces_negativeIndicesCountBackFromWhatWasReadSoFar()
{
    const TModel model = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
                               "f -3//-1 -2//-1 -1//-1\n"
                               "v 5 5 5\n"
                               "f -1 -2 -3\n"
                               "f -9 1 2\n");
    const TGroup& group = model.Groups[1];
    QCOMPARE(vertexIndices(group, group.Faces[1]), (std::vector<int32_t>{1, 2, 3}));
    QCOMPARE(group.Corners[size_t(group.Faces[1].First)].Normal, 1);
    QCOMPARE(vertexIndices(group, group.Faces[2]), (std::vector<int32_t>{4, 3, 2}));
    // Reaching before the first vertex leaves no index (0), which drawing skips.
    QCOMPARE(vertexIndices(group, group.Faces[3]), (std::vector<int32_t>{0, 1, 2}));
}

void TestObjReader::groups_everyGLineMakesANewGroup()
{
    const TModel model = parse("g  wheel \nf 1 2 3\ng wheel\ng Body Panel\nf 1 2 3\nf 1 2 3\n");
    QCOMPARE(model.GroupCount, 3);
    QCOMPARE(model.Groups[1].Name, std::string("WHEEL"));
    QCOMPARE(model.Groups[2].Name, std::string("WHEEL"));
    QCOMPARE(model.Groups[3].Name, std::string("BODY PANEL"));
    QCOMPARE(model.Groups[1].FaceCount, 1);
    QCOMPARE(model.Groups[2].FaceCount, 0);
    QCOMPARE(model.Groups[3].FaceCount, 2);
    QCOMPARE(model.Groups[3].Material, 0);
}

void TestObjReader::groups_facesAndSelectionBeforeTheFirstGGoToAnImplicitGroup()
{
    const TModel noGroups = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 3 2 1\n");
    QCOMPARE(noGroups.GroupCount, 1);
    QCOMPARE(noGroups.Groups[1].Name, std::string());
    QCOMPARE(noGroups.Groups[1].FaceCount, 2);

    const TModel before = parse("usemtl red\nf 1 2 3\ng named\nf 1 2 3\n");
    QCOMPARE(before.GroupCount, 2);
    QCOMPARE(before.Groups[1].FaceCount, 1);
    QCOMPARE(before.Groups[2].Name, std::string("NAMED"));
}

// A file is read in chunks; lines, CR LF pairs and continuations that straddle a chunk's end, and
// a line longer than a chunk, must read as they do in one piece.
void TestObjReader::loadModel_readsALargeFileAsTheSameTextParsed()
{
    // Most vertex lines are split, the longer part on the following line, so that chunk ends
    // fall inside a continuation; the long comment comes last, once the chunks are small.
    std::string text;
    for (int i = 1; i <= 40000; ++i) {
        const std::string n = std::to_string(i);
        text +=
            i % 5 == 0 ? "v " + n + " 0.5 -" + n + "\r\n" : "v \\\r\n" + n + " 0.5 -" + n + "\r\n";
        if (i % 3 == 0)
            text += "f -1 -2 -3\n";
    }
    text += "# " + std::string(600000, 'x') + "\r\n";
    text += "v 1 2 3\\"; // a continuation on the very last line
    QTemporaryDir dir;
    writeFile(dir.filePath("large.obj"), QByteArray::fromStdString(text));

    const TModel parsed = parse(text);
    ModelIO io;
    io.decimalSeparator = '.';
    const TModel loaded = LoadModel(dir.filePath("large.obj").toStdString(), io);
    QCOMPARE(loaded.VertexCount, 40001);
    QCOMPARE(loaded.Vertices[40001], (TVector3{1, 2, 3}));
    QVERIFY(loaded.Vertices == parsed.Vertices);
    QCOMPARE(loaded.Vertices[7], (TVector3{7, 0.5f, -7}));
    QCOMPARE(loaded.Groups[1].FaceCount, parsed.Groups[1].FaceCount);
    QVERIFY(std::equal(loaded.Groups[1].Corners.begin(), loaded.Groups[1].Corners.end(),
                       parsed.Groups[1].Corners.begin(), parsed.Groups[1].Corners.end(),
                       [](const TCorner& a, const TCorner& b) { return a.Vertex == b.Vertex; }));
}

void TestObjReader::loadModel_missingFileIsReportedOnceAndGivesAnEmptyModel_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("slashes") << "/no/such/folder/cart.obj"
                             << "/no/such/folder/"
                             << "cart.obj";
    QTest::newRow("backslashes") << "C:\\Objetos\\cart.obj"
                                 << "C:\\Objetos\\"
                                 << "cart.obj";
    QTest::newRow("mixed") << "a\\b/c.obj"
                           << "a\\b/"
                           << "c.obj";
    QTest::newRow("bare name") << "no-such-cart.obj"
                               << ""
                               << "no-such-cart.obj";
}

void TestObjReader::loadModel_missingFileIsReportedOnceAndGivesAnEmptyModel()
{
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QFETCH(QString, fileName);
    QStringList messages;
    ModelIO io;
    io.notify = [&messages](const std::string& caption, const std::string& text) {
        messages << QString::fromStdString(caption + "|" + text);
    };
    const TModel model = LoadModel(path.toStdString(), io);
    QCOMPARE(messages, QStringList{"Load Model|Cannot find the model : " + path});
    QCOMPARE(QString::fromStdString(model.Dir), dir);
    QCOMPARE(QString::fromStdString(model.FileName), fileName);
    QCOMPARE(model.GroupCount, 0);
    QCOMPARE(model.VertexCount, 0);
}

void TestObjReader::FindFrom_followsItsPositionRules()
{
    QCOMPARE(FindFrom("/", "1//2 3", 1), 2);
    QCOMPARE(FindFrom("/", "1//2 3", 3), 3);
    QCOMPARE(FindFrom("/", "1//2 3", 4), 0);
    QCOMPARE(FindFrom("2 3", "1//2 3", 2), 4);
    QCOMPARE(FindFrom("/", "1//2", 0), 0); // start 0
    QCOMPARE(FindFrom("/", "1//2", 5), 0); // start beyond the end
    QCOMPARE(FindFrom("", "1//2", 1), 0);  // empty sub
    QCOMPARE(FindFrom("/", "", 1), 0);     // empty text
}

QTEST_GUILESS_MAIN(TestObjReader)
#include "test_objreader.moc"
