// Picking the record under a pixel with the frame's own drawers, and the mark of the selected one.
#include "sceneviewfixture.h"

#include <GL/gl.h>
#include <QMatrix4x4>
#include <QTest>
#include <array>
#include <cmath>

namespace {

// The pixel, from the top left, that scene point `p` lands on in the frame the view draws.
QPoint pixelOf(SceneViewFixture& view, QVector3D p)
{
    view.renderer.drawFrame();
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const QVector3D ndc = QMatrix4x4(projection).transposed().map(p);
    return QPoint(int((ndc.x() + 1) * 212.5f), int((1 - ndc.y()) * 212.5f));
}

int pickAt(SceneViewFixture& view, QVector3D p)
{
    const QPoint pixel = pixelOf(view, p);
    return view.renderer.pickRecord(pixel.x(), pixel.y());
}

// The state a pick or a frame's mark could disturb, read back as numbers.
std::vector<GLfloat> glStateNow()
{
    const std::pair<GLenum, int> values[] = {
        {GL_MATRIX_MODE, 1},       {GL_RENDER_MODE, 1},       {GL_MODELVIEW_STACK_DEPTH, 1},
        {GL_DEPTH_FUNC, 1},        {GL_DEPTH_WRITEMASK, 1},   {GL_PROJECTION_STACK_DEPTH, 1},
        {GL_VIEWPORT, 4},          {GL_POLYGON_MODE, 2},      {GL_CURRENT_COLOR, 4},
        {GL_MODELVIEW_MATRIX, 16}, {GL_PROJECTION_MATRIX, 16}};
    std::vector<GLfloat> state;
    for (const auto& [name, count] : values) {
        GLfloat read[16] = {};
        glGetFloatv(name, read);
        state.insert(state.end(), read, read + count);
    }
    for (GLenum cap : {GL_LIGHTING, GL_BLEND, GL_NORMALIZE, GL_DEPTH_TEST, GL_VERTEX_ARRAY,
                       GL_POLYGON_OFFSET_LINE, GL_TEXTURE_2D})
        state.push_back(glIsEnabled(cap));
    return state;
}

} // namespace

class TestSceneSelection : public QObject
{
    Q_OBJECT

private slots:
    void pick_hitsEachKindWhereItIsDrawn_notWhereOnlyItsBoundsReach_data();
    void pick_hitsEachKindWhereItIsDrawn_notWhereOnlyItsBoundsReach();
    void pick_nearestSurfaceWins_fromEitherSide_earlierRowOnATie();
    void pick_leavesEveryGLStateAsItFoundIt();
    void highlight_marksOnlyAHighlightedRow();
};

void TestSceneSelection::pick_hitsEachKindWhereItIsDrawn_notWhereOnlyItsBoundsReach_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QVector3D>("on");
    QTest::addColumn<QVector3D>("beside"); // inside the drawn ball, outside the shape
    QTest::newRow("sphere flattened by its scale")
        << int(ElementKind::Esfera) << "Dim1=1 SX=3 SY=0.3 SZ=0.3" << QVector3D(2, 0, 0)
        << QVector3D(0, 0, 1);
    QTest::newRow("capsule turned along x")
        << int(ElementKind::Capsula) << "Dim1=0.3 Dim2=4 X=-2 Ang=90 eixoY=1"
        << QVector3D(1.5, 0, 0) << QVector3D(0, 0, 1.5);
    QTest::newRow("flat cube") << int(ElementKind::Cubo) << "Dim1=4 Dim2=4 Dim3=0.2"
                               << QVector3D(1.3, -0.7, 0) << QVector3D(0, 0, 1.5);
    // Between the grid's lines: the area counts, not only the outlines drawn.
    QTest::newRow("plane's grid area") << int(ElementKind::Plano) << "Dim3=1 SX=4 SY=4"
                                       << QVector3D(0.5, 0.5, 0) << QVector3D(0, 0, 1.5);
    QTest::newRow("model") << int(ElementKind::Arquivo) << "Arquivo=rampa.obj SX=1 SY=1 SZ=1"
                           << QVector3D(1, 0, 0.5) << QVector3D(-1.5, 0, 1.2);
}

void TestSceneSelection::pick_hitsEachKindWhereItIsDrawn_notWhereOnlyItsBoundsReach()
{
    QFETCH(int, kind);
    QFETCH(QString, fields);
    QFETCH(QVector3D, on);
    QFETCH(QVector3D, beside);
    SceneViewFixture view;
    appendRecord(view.table, ElementKind::Esfera,
                 "Dim1=0.5 X=-20 SX=1 SY=1 SZ=1"); // out of the way
    appendRecord(view.table, kind, fields);
    QCOMPARE(pickAt(view, on), 1);
    QCOMPARE(pickAt(view, beside), -1);
    const DrawnBounds bounds = drawnBounds(drawnRecordAt(view.table, 1), view.renderer.modelLookup);
    const QVector3D centre(bounds.centre.x, bounds.centre.y, bounds.centre.z);
    QVERIFY((beside - centre).length() < bounds.radius); // it is the shape that said no
    QCOMPARE(view.renderer.pickRecord(2, 2), -1);        // empty corner
}

void TestSceneSelection::pick_nearestSurfaceWins_fromEitherSide_earlierRowOnATie()
{
    SceneViewFixture view;
    // Along the line of sight through the origin: the far sphere before the near cube in the
    // table, and first a wide plane behind both whose bounds begin in front of them.
    appendRecord(view.table, ElementKind::Plano, "Dim3=1 Dim4=1 SX=20 SY=20");
    appendRecord(view.table, ElementKind::Esfera, "Dim1=1 SX=1 SY=1 SZ=1");
    appendRecord(view.table, ElementKind::Cubo, "Dim1=1 Dim2=1 Dim3=1 X=2 Y=2 Z=1");
    QCOMPARE(pickAt(view, {0, 0, 0}), 2);
    view.state.turn = 180; // from the other side the sphere is in front
    QCOMPARE(pickAt(view, {0, 0, 0}), 1);
    appendRecord(view.table, ElementKind::Esfera, "Dim1=1 SX=1 SY=1 SZ=1");
    QCOMPARE(pickAt(view, {0, 0, 0}), 1); // the same surface twice: the earlier row
    view.table.close();
    QCOMPARE(view.renderer.pickRecord(212, 212), -1);
}

void TestSceneSelection::pick_leavesEveryGLStateAsItFoundIt()
{
    SceneViewFixture view;
    appendRecord(view.table, ElementKind::Cubo, "Dim1=2 Dim2=2 Dim3=2 Ang=30 eixoZ=1");
    appendRecord(view.table, ElementKind::Arquivo, "Arquivo=rampa.obj SX=1 SY=1 SZ=1 X=3");
    appendRecord(view.table, ElementKind::Plano, "Dim3=1 Dim4=4 SX=30 SY=30");
    appendRecord(view.table, ElementKind::Esfera, "Dim1=1 SX=1 SY=1 SZ=1 Y=-3 A=128");
    const QImage before = view.frame();
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    const std::vector<GLfloat> state = glStateNow();
    for (QVector3D p : {QVector3D(0, 0, 0), QVector3D(3, 0, 0.5), QVector3D(0, -3, 0)}) {
        const QPoint pixel = pixelOf(view, p);
        glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
        QVERIFY(view.renderer.pickRecord(pixel.x(), pixel.y()) >= 0);
        QCOMPARE(glStateNow(), state);
    }
    QCOMPARE(view.frame(), before);
}

void TestSceneSelection::highlight_marksOnlyAHighlightedRow()
{
    SceneViewFixture view;
    appendRecord(view.table, ElementKind::Esfera, "Dim1=3 SX=1 SY=1 SZ=1 R=255 UsaCor=1");
    appendRecord(view.table, ElementKind::Plano, "Dim3=1 Dim4=3 SX=8 SY=8 G=255 UsaCor=1");
    const QImage plain = view.frame();
    for (int row : {0, 1}) {
        view.renderer.setHighlightedRow(row);
        const QImage marked = view.frame();
        const std::vector<GLfloat> stateAfterMark = glStateNow();
        int changed = 0, outsideTheSphere = 0; // the sphere covers 63.75 px round the centre
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (marked.pixel(x, y) != plain.pixel(x, y)) {
                    ++changed;
                    outsideTheSphere += std::hypot(x - 212, y - 212) > 66;
                }
        QVERIFY2(changed > 200, qPrintable(QString::number(changed)));
        if (row == 0)
            QCOMPARE(outsideTheSphere, 0);
        view.renderer.setHighlightedRow(-1);
        QCOMPARE(view.frame(), plain); // nothing of the mark stays behind
        QCOMPARE(glStateNow(), stateAfterMark);
    }
    view.renderer.setHighlightedRow(2); // a row the table does not have
    QCOMPARE(view.frame(), plain);
    view.renderer.setHighlightedRow(-1);
    QCOMPARE(view.frame(), plain);
}

QTEST_MAIN(TestSceneSelection)
#include "test_sceneselection.moc"
