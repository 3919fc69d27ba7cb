#include "gltestsupport.h"
#include "modeldraw.h"
#include "modellibrary.h"
#include "objloader.h"
#include "testfiles.h"

#include <GL/gl.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <array>

namespace {

TModel parse(const std::string& text, const std::map<std::string, std::string>& libraries = {})
{
    ModelIO io;
    io.decimalSeparator = '.';
    io.openLibrary = [libraries](const std::string& path) -> std::optional<std::string> {
        const auto found = libraries.find(path);
        return found == libraries.end() ? std::nullopt : std::optional(found->second);
    };
    return ParseModel(text, "", io);
}

std::array<GLfloat, 4> material(GLenum face, GLenum which)
{
    std::array<GLfloat, 4> value{-1, -1, -1, -1};
    glGetMaterialfv(face, which, value.data());
    return value;
}

std::array<GLfloat, 3> currentNormal()
{
    std::array<GLfloat, 3> normal{};
    glGetFloatv(GL_CURRENT_NORMAL, normal.data());
    return normal;
}

void setRecordMaterial()
{
    const GLfloat diffuse[] = {0.1f, 0.2f, 0.3f, 0.4f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
}

} // namespace

class TestModelDraw : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void modelRecord_isScaledThenMovedThenRotated_data();
    void modelRecord_isScaledThenMovedThenRotated();
    void faces_of3_4And5Corners_drawAsTrianglesQuadsAndAPolygon();
    void badIndices_skipTheFaceAndNothingIsReadOutsideTheLists();
    void joinedRuns_drawTheSameTrianglesAndLeaveTheSameNormal();
    void normals_sentOnlyWhereTheModelAndTheCornerHaveOne();
    void materials_ofTheGroupsWithAlpha1_blackForAGroupWithoutOne();
    void materials_aModelSelectingNoneKeepsTheRecordsMaterial();
    void bounds_alwaysContainTheOrigin();

private:
    std::unique_ptr<ModelGL> m_gl;
};

void TestModelDraw::initTestCase()
{
    m_gl = std::make_unique<ModelGL>();
    QVERIFY2(m_gl->isValid(), "no OpenGL context");
}

void TestModelDraw::modelRecord_isScaledThenMovedThenRotated_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<QPolygonF>("expected"); // scene coordinates
    // The triangle (0, 0), (2, 0), (0, 1), recorded with SX = SY = SZ = 2 and X = 1.
    QTest::newRow("not turned") << 0.0 << QPolygonF{{2, 0}, {6, 0}, {2, 2}};
    // Turned 90 degrees about z in its own coordinates first, then moved, then scaled.
    QTest::newRow("turned") << 90.0 << QPolygonF{{2, 0}, {2, 4}, {0, 0}};
}

void TestModelDraw::modelRecord_isScaledThenMovedThenRotated()
{
    QFETCH(double, angle);
    QFETCH(QPolygonF, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("wedge.obj");
    writeFile(path, "v 0 0 0\nv 2 0 0\nv 0 1 0\nf 1 2 3\n");

    ModelLibrary library;
    const auto drawn = feedbackPolygons([&] {
        PlacedModel placed{path.toStdString()};
        placed.x = 1;
        placed.sx = placed.sy = placed.sz = 2;
        placed.angle = angle;
        DrawModelRecord(library, placed);
    });
    QPolygonF window;
    for (const QPointF& p : expected)
        window << windowPoint(p.x(), p.y());
    QCOMPARE(canonicalTriangles(drawn), canonicalTriangles({window}));
    library.releaseContext(nullptr);
}

void TestModelDraw::faces_of3_4And5Corners_drawAsTrianglesQuadsAndAPolygon()
{
    // A unit triangle at x 0..1, a unit square at x 2..3, and a pentagon (a unit square with a
    // roof of height 1) at x 4..5.
    const TModel model = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                               "v 2 0 0\nv 3 0 0\nv 3 1 0\nv 2 1 0\n"
                               "v 4 0 0\nv 5 0 0\nv 5 1 0\nv 4.5 2 0\nv 4 1 0\n"
                               "f 1 2 3\nf 4 5 6 7\nf 8 9 10 11 12\n");
    const auto drawn = feedbackPolygons([&] { DrawModel(model); });
    // Window units are 5 scene units a side, so an area counts 25 times.
    QCOMPARE(totalArea(drawn), 25 * (0.5 + 1 + 1.5));
    QCOMPARE(boundsOf(drawn), QRectF(windowPoint(0, 0), windowPoint(5, 2)));
}

void TestModelDraw::badIndices_skipTheFaceAndNothingIsReadOutsideTheLists()
{
    const TModel model = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
                               "f 1//1 2//1 3//1\n" // the one face to draw
                               "f 1 2 4\nf 0 1 2\nf -4 1 2\nf 1//2 2//1 3//1\nf 1//0 2//1 3//1\n");
    const auto drawn = feedbackPolygons([&] { DrawModel(model); });
    QCOMPARE(canonicalTriangles(drawn),
             canonicalTriangles({{windowPoint(0, 0), windowPoint(1, 0), windowPoint(0, 1)}}));

    // A model whose counts claim more than its lists hold, as a hand-made one might.
    TModel broken = model;
    broken.VertexCount = 1000;
    broken.NormalCount = 1000;
    broken.GroupCount = 7;
    broken.MaterialCount = 3;
    broken.Groups[1].FaceCount = 50;
    broken.Groups[1].Material = 2;
    broken.Groups[1].Faces[2].First = 1000000;
    broken.Groups[1].Faces[3].Count = 1000;
    // Only what really exists is drawn: the same one face as before.
    const auto survived = feedbackPolygons([&] { DrawModel(broken); });
    QCOMPARE(canonicalTriangles(survived), canonicalTriangles(drawn));
}

// What the cache compiles: runs of faces joined into one begin-end must not change a thing.
void TestModelDraw::joinedRuns_drawTheSameTrianglesAndLeaveTheSameNormal()
{
    const TModel model = parse("v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0.5 1.5 0\nv 3 3 0\n"
                               "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n"
                               "g a\nf 1//1 2//1 3//1\nf 1//2 3//2 4//2\nf 1 2 3 4\n"
                               "f 1//3 2//3 3//3 5//3 4//3\nf 1 2 9\nf 4//2 3 6\n"
                               "g b\nf 1//3 2 6 3\nf 2//1 6//1 3//1 4//1\nf 1 2 6\n");
    glNormal3f(0, 0, 7);
    const auto separate = feedbackPolygons([&] { DrawModel(model); });
    const std::array<GLfloat, 3> normalAfterSeparate = currentNormal();
    glNormal3f(0, 0, 7);
    const auto joined = feedbackPolygons([&] { DrawModelJoined(model); });
    QCOMPARE(canonicalTriangles(joined), canonicalTriangles(separate));
    QCOMPARE(currentNormal(), normalAfterSeparate);
    QCOMPARE(totalArea(joined), totalArea(separate));
}

void TestModelDraw::normals_sentOnlyWhereTheModelAndTheCornerHaveOne()
{
    const std::string corners = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    const auto normalAfter = [](const TModel& model) {
        glNormal3f(0, 0, 7);
        DrawModel(model);
        return currentNormal();
    };
    const std::array<GLfloat, 3> untouched{0, 0, 7};
    QCOMPARE(normalAfter(parse(corners + "f 1 2 3\n")), untouched);
    // "vn" lines without faces that use them: the plain face still sends none.
    QCOMPARE(normalAfter(parse(corners + "vn 1 0 0\nf 1 2 3\n")), untouched);
    QCOMPARE(normalAfter(parse(corners + "vn 1 0 0\nvn 0 1 0\nf 1//1 2//2 3//2\n")),
             (std::array<GLfloat, 3>{0, 1, 0}));
    // Only the first corner names a normal; the others send none, so it stays current.
    QCOMPARE(normalAfter(parse(corners + "vn 1 0 0\nvn 0 1 0\nf 1//2 2 3\n")),
             (std::array<GLfloat, 3>{0, 1, 0}));
    // A model without normals sends none even when its faces name some.
    QCOMPARE(normalAfter(parse(corners + "f 1//1 2//1 3//1\n")), untouched);
}

void TestModelDraw::materials_ofTheGroupsWithAlpha1_blackForAGroupWithoutOne()
{
    const std::string library = "newmtl red\nKd 1 0 0\nKs 0.5 0.5 0.5\nKa 0.25 0 0\nNs 500\n";
    const TModel red =
        parse("mtllib m.mtl\nv 0 0 0\ng a\nusemtl red\nf 1 1 1\n", {{"M.MTL", library}});
    setRecordMaterial();
    while (glGetError() != GL_NO_ERROR) {
    }
    DrawModel(red);
    for (const GLenum face : {GL_FRONT, GL_BACK}) {
        QCOMPARE(material(face, GL_DIFFUSE), (std::array<GLfloat, 4>{1, 0, 0, 1}));
        QCOMPARE(material(face, GL_SPECULAR), (std::array<GLfloat, 4>{0.5f, 0.5f, 0.5f, 1}));
        QCOMPARE(material(face, GL_AMBIENT), (std::array<GLfloat, 4>{0.25f, 0, 0, 1}));
    }
    // "Ns 500" is beyond what OpenGL takes: it gets the most it takes, and no error is left.
    QCOMPARE(material(GL_FRONT, GL_SHININESS)[0], 128.0f);
    QCOMPARE(glGetError(), GLenum(GL_NO_ERROR));
    QVERIFY(!glIsEnabled(GL_TEXTURE_2D));

    // A later group without a selection is drawn with slot 0: black, shininess 0.
    const TModel mixed = parse("mtllib m.mtl\nv 0 0 0\ng a\nusemtl red\nf 1 1 1\ng b\nf 1 1 1\n",
                               {{"M.MTL", library}});
    DrawModel(mixed);
    QCOMPARE(material(GL_FRONT, GL_DIFFUSE), (std::array<GLfloat, 4>{0, 0, 0, 1}));
    QCOMPARE(material(GL_BACK, GL_SHININESS)[0], 0.0f);
}

void TestModelDraw::materials_aModelSelectingNoneKeepsTheRecordsMaterial()
{
    const std::array<GLfloat, 4> record{0.1f, 0.2f, 0.3f, 0.4f};
    for (const std::string& text :
         {std::string("v 0 0 0\nf 1 1 1\n"),                                     // no library
          std::string("mtllib m.mtl\nv 0 0 0\ng a\nf 1 1 1\n"),                  // no selection
          std::string("mtllib m.mtl\nv 0 0 0\ng a\nusemtl other\nf 1 1 1\n")}) { // no match
        setRecordMaterial();
        DrawModel(parse(text, {{"M.MTL", "newmtl red\nKd 1 0 0\n"}}));
        QCOMPARE(material(GL_FRONT, GL_DIFFUSE), record);
        QCOMPARE(material(GL_BACK, GL_DIFFUSE), record);
    }
}

void TestModelDraw::bounds_alwaysContainTheOrigin()
{
    TModel inside = parse("v 1 2 3\nv 3 1 1\nv 2 3 2\n");
    ComputeModelBounds(inside);
    QCOMPARE(inside.BoundsMin, (TVector3{0, 0, 0}));
    QCOMPARE(inside.BoundsMax, (TVector3{3, 3, 3}));
    QCOMPARE(inside.Center, (TVector3{1.5f, 1.5f, 1.5f}));
    QCOMPARE(inside.Extent, 3.0);

    TModel around = parse("v -4 1 0.5\nv 2 -1 8\n");
    ComputeModelBounds(around);
    QCOMPARE(around.BoundsMin, (TVector3{-4, -1, 0}));
    QCOMPARE(around.BoundsMax, (TVector3{2, 1, 8}));
    QCOMPARE(around.Center, (TVector3{-1, 0, 4}));
    QCOMPARE(around.Extent, 8.0);

    TModel empty = parse("");
    empty.BoundsMax = {5, 5, 5};
    ComputeModelBounds(empty);
    QCOMPARE(empty.BoundsMax, (TVector3{0, 0, 0}));
    QCOMPARE(empty.Extent, 0.0);
}

QTEST_MAIN(TestModelDraw)
#include "test_modeldraw.moc"
