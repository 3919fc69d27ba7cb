#include "modellibrary.h"
#include "recordtable.h"
#include "recordtext.h"
#include "sceneschema.h"
#include "simworld.h"
#include "testfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>

namespace {

const double g = SimWorld::gravity;

// A scene table with records written as "Nome=Bola ODETipo=0 Dim1=0.5 Z=3"; unnamed fields stay
// null (0). Bodies get the defaults insertion gives them: scale 1, moving, with gravity, mass 1.
struct Scene
{
    RecordTable table;

    Scene()
    {
        defineSceneFields(table);
        table.createDataSet();
    }
    void add(const QString& fields)
    {
        table.insert();
        setFieldsFromText(table, "SX=1 SY=1 SZ=1 Massa=1 ODEMove=1 TemGravidade=1 " + fields);
        table.post();
    }
    void addFloor(const QString& plane = "Dim3=1") { add("ODETipo=3 ODEMove=0 " + plane); }
};

// Steps the world until `stop` is true or `seconds` pass; the time it stopped at.
double runUntil(SimWorld& world, double seconds, const std::function<bool()>& stop)
{
    while (world.time() < seconds) {
        world.advance(SimWorld::stepSeconds);
        if (stop())
            return world.time();
    }
    return world.time();
}

double z(const SimWorld& world, int row)
{
    return world.state(row).centre[2];
}

// The highest the body climbs after its first bounce off the floor, above its resting height.
double reboundHeight(SimWorld& world, int row, double rest)
{
    runUntil(world, 5, [&] { return world.state(row).velocity[2] > 0; });
    double top = z(world, row);
    runUntil(world, 5, [&] {
        top = std::max(top, z(world, row));
        return world.state(row).velocity[2] < 0;
    });
    return top - rest;
}

} // namespace

class TestSimWorld : public QObject
{
    Q_OBJECT

private slots:
    void fall_reachesDrawnPlaneFromEitherSide_data();
    void fall_reachesDrawnPlaneFromEitherSide();
    void bounce_givesReboundOfEachCollisionType_data();
    void bounce_givesReboundOfEachCollisionType();
    void slope_slidesOnlyWhenSteeperThanFriction_data();
    void slope_slidesOnlyWhenSteeperThanFriction();
    void bodiesWithoutGravityAndFixedBodies_stayPut();
    void smallFastSphere_doesNotPassThroughPlane();
    void stretchedShapes_collideAsDrawn();
    void tooShortTurnAxis_startsUnturnedAsDrawn();
    void grabbedBody_movesOnlyAlongAllowedAxes();
    void trailsAndMeasures_followTheBody();
    void badRecords_areAllNamed();
    void simulating_leavesTableUntouched();
};

// The drawn plane is a x + b y + c z + d = 0; a floor written upside down (c = -1) still holds a
// ball that starts above it.
void TestSimWorld::fall_reachesDrawnPlaneFromEitherSide_data()
{
    QTest::addColumn<QString>("plane");
    QTest::addColumn<double>("floorZ");
    QTest::newRow("z = 0") << "Dim3=1" << 0.0;
    QTest::newRow("z = 10 via d") << "Dim3=1 Dim4=-10" << 10.0;
    QTest::newRow("normal down") << "Dim3=-1" << 0.0;
}

void TestSimWorld::fall_reachesDrawnPlaneFromEitherSide()
{
    QFETCH(QString, plane);
    QFETCH(double, floorZ);
    const double h = 5, r = 0.5;
    Scene scene;
    scene.addFloor(plane);
    scene.add(QStringLiteral("ODETipo=0 Dim1=%1 Z=%2").arg(r).arg(floorZ + r + h));
    SimWorld world(scene.table, nullptr);
    const double landed = runUntil(world, 3, [&] { return world.state(1).velocity[2] > -1e-9; });
    // Within 1 %: the step (1/240 s) is 0.4 % of this fall.
    QVERIFY2(std::abs(landed - std::sqrt(2 * h / g)) < 0.01 * std::sqrt(2 * h / g),
             qPrintable(QString::number(landed)));
    runUntil(world, 4, [] { return false; });
    QVERIFY2(std::abs(z(world, 1) - (floorZ + r)) < 0.01, qPrintable(QString::number(z(world, 1))));
}

void TestSimWorld::bounce_givesReboundOfEachCollisionType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<double>("share");
    QTest::newRow("inelastico") << 0 << 0.0;
    QTest::newRow("parcialmente elastico") << 1 << 0.25;
    QTest::newRow("perfeitamente elastico") << 2 << 1.0;
}

// Bounce b returns b times the speed, so b squared of the height; within 2 % of h.
void TestSimWorld::bounce_givesReboundOfEachCollisionType()
{
    QFETCH(int, type);
    QFETCH(double, share);
    const double h = 2, r = 0.25;
    Scene scene;
    scene.addFloor();
    scene.add(
        QStringLiteral("ODETipo=0 Dim1=%1 Z=%2 TipoDeColisao=%3").arg(r).arg(r + h).arg(type));
    SimWorld world(scene.table, nullptr);
    const double rebound = reboundHeight(world, 1, r);
    QVERIFY2(std::abs(rebound - share * h) < 0.02 * h, qPrintable(QString::number(rebound)));
}

void TestSimWorld::slope_slidesOnlyWhenSteeperThanFriction_data()
{
    QTest::addColumn<double>("tangent");
    QTest::addColumn<double>("heading"); // degrees from x of the way down
    QTest::addColumn<bool>("slides");
    QTest::newRow("0.45 along x stays") << 0.45 << 0.0 << false;
    QTest::newRow("0.55 along x slides") << 0.55 << 0.0 << true;
    QTest::newRow("0.45 diagonal stays") << 0.45 << 45.0 << false;
    QTest::newRow("0.55 diagonal slides") << 0.55 << 45.0 << true;
}

// A unit box lying on a plane tilted by theta, friction 0.5: Coulomb's law says it slides exactly
// when tan theta > 0.5, also when the slope runs diagonally to the box's edges.
void TestSimWorld::slope_slidesOnlyWhenSteeperThanFriction()
{
    QFETCH(double, tangent);
    QFETCH(double, heading);
    QFETCH(bool, slides);
    const double dx = std::cos(heading * M_PI / 180), dy = std::sin(heading * M_PI / 180);
    const SimVector normal =
        (1 / std::sqrt(1 + tangent * tangent)) * SimVector{tangent * dx, tangent * dy, 1};
    const SimVector centre = 0.501 * normal;
    Scene scene;
    scene.add(QStringLiteral("ODETipo=3 ODEMove=0 Dim1=%1 Dim2=%2 Dim3=1")
                  .arg(tangent * dx, 0, 'g', 17)
                  .arg(tangent * dy, 0, 'g', 17));
    scene.add(QStringLiteral("ODETipo=2 Dim1=1 Dim2=1 Dim3=1 Atrito=0.5 X=%1 Y=%2 Z=%3 Ang=%4 "
                             "EixoX=%5 EixoY=%6")
                  .arg(centre[0], 0, 'g', 17)
                  .arg(centre[1], 0, 'g', 17)
                  .arg(centre[2], 0, 'g', 17)
                  .arg(std::atan(tangent) * 180 / M_PI, 0, 'g', 17)
                  .arg(-normal[1], 0, 'g', 17)
                  .arg(normal[0], 0, 'g', 17));
    SimWorld world(scene.table, nullptr);
    runUntil(world, 2, [] { return false; });
    // Sliding at g (sin - mu cos) covers about 0.86 units in 2 s; resting, nothing.
    const double moved = length(world.state(1).centre - centre);
    QVERIFY2(slides ? moved > 0.3 : moved < 0.01, qPrintable(QString::number(moved)));
}

void TestSimWorld::bodiesWithoutGravityAndFixedBodies_stayPut()
{
    Scene scene;
    scene.add("Nome=Flutua ODETipo=0 Dim1=0.5 Z=5 TemGravidade=0");
    scene.add("Nome=Mesa ODETipo=2 Dim1=2 Dim2=2 Dim3=1 Z=1 ODEMove=0");
    scene.add("Nome=Cai ODETipo=0 Dim1=0.5 Z=4 Massa=50 TipoDeColisao=1");
    SimWorld world(scene.table, nullptr);
    runUntil(world, 3, [] { return false; });
    QVERIFY(!world.isMoving(1));
    QCOMPARE(world.state(0).centre, (SimVector{0, 0, 5}));
    QCOMPARE(world.state(1).centre, (SimVector{0, 0, 1}));
    QCOMPARE(world.state(1).motion, SimBodyState().motion);
    // The heavy ball comes to rest on the fixed table's top.
    QVERIFY2(std::abs(z(world, 2) - 2.0) < 0.01, qPrintable(QString::number(z(world, 2))));
}

void TestSimWorld::smallFastSphere_doesNotPassThroughPlane()
{
    for (int type : {0, 2}) {
        Scene scene;
        scene.addFloor();
        scene.add(QStringLiteral("ODETipo=0 Dim1=0.1 Z=10 TipoDeColisao=%1").arg(type));
        SimWorld world(scene.table, nullptr);
        double lowest = 10;
        runUntil(world, 4, [&] {
            lowest = std::min(lowest, z(world, 1));
            return false;
        });
        QVERIFY2(lowest > 0.05, qPrintable(QString::number(lowest)));
    }
}

// A sphere squashed by its scale, a box stretched then turned, and a model scaled: each rests on
// the floor at the height it is drawn with, not as a plain sphere or box would.
void TestSimWorld::stretchedShapes_collideAsDrawn()
{
    QTemporaryDir dir;
    const QString model = dir.filePath("cubo.obj");
    writeFile(model, "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                     "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                     "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n");
    Scene scene;
    scene.addFloor();
    scene.add("ODETipo=0 Dim1=1 SZ=0.5 X=-6 Z=4");
    scene.add("ODETipo=2 Dim1=1 Dim2=1 Dim3=0.4 Ang=45 EixoX=1 Z=3");
    scene.add("ODETipo=4 Arquivo=" + model + " SX=1 SY=1 SZ=0.25 X=6 Z=12");
    ModelLibrary models;
    SimWorld world(scene.table, &models);
    // The squashed sphere's centre is drawn at SZ * Z.
    QVERIFY(length(world.state(1).centre - SimVector{-6, 0, 2}) < 1e-9);
    runUntil(world, 4, [] { return false; });
    // Its poles are 0.5 from the centre. The box is turned 45 degrees about x and then squashed
    // along z, a rhombus across x standing on its lowest edge 0.4 * sqrt(1/2) below the centre
    // (a plain box turned so would tip flat onto 0.2). The model is 2 * 0.25 high.
    QVERIFY2(std::abs(z(world, 1) - 0.5) < 0.02, qPrintable(QString::number(z(world, 1))));
    QVERIFY2(std::abs(z(world, 2) - 0.4 * M_SQRT1_2) < 0.01,
             qPrintable(QString::number(z(world, 2))));
    QVERIFY2(std::abs(z(world, 3) - 0.25) < 0.02, qPrintable(QString::number(z(world, 3))));
}

// The drawers turn nothing about an axis of length 1e-4 or less, however large the angle, so
// the body starts flat as drawn; an axis ten times that long is normalised and turns it.
void TestSimWorld::tooShortTurnAxis_startsUnturnedAsDrawn()
{
    Scene scene;
    scene.add("ODETipo=2 Dim1=1 Dim2=1 Dim3=0.4 Ang=45 EixoX=0.00001 X=-3 Z=3");
    scene.add("ODETipo=2 Dim1=1 Dim2=1 Dim3=0.4 Ang=45 EixoX=0.001 X=3 Z=3");
    SimWorld world(scene.table, nullptr);
    const auto rowHitAcross = [&](double x, double z) {
        return world.rowAlongRay({x, -10, z}, {0, 1, 0}, 20);
    };
    // Flat, the box's top is 0.2 above its centre; turned into a rhombus, its top edge is
    // 0.4 * sqrt(1/2) above it.
    QCOMPARE(rowHitAcross(-3, 3.1), 0);
    QCOMPARE(rowHitAcross(-3, 3.25), -1);
    QCOMPARE(rowHitAcross(3, 3.25), 1);
}

void TestSimWorld::grabbedBody_movesOnlyAlongAllowedAxes()
{
    Scene scene;
    scene.addFloor();
    scene.add("ODETipo=0 Dim1=0.5 Z=3 UserMove=1 MoveX=1 MoveZ=1");
    scene.add("ODETipo=0 Dim1=0.5 X=3 Z=3");
    scene.add("ODETipo=0 Dim1=0.5 X=-3 Z=3 ODEMove=0 UserMove=1 MoveX=1");
    SimWorld world(scene.table, nullptr);
    QVERIFY(!world.grab(2)); // no "UserMove"
    QVERIFY(!world.grab(3)); // fixed
    world.advance(0.2);
    QVERIFY(world.grab(1));
    const SimVector held = world.state(1).centre;
    world.dragTo({2, 7, 4});
    runUntil(world, 1, [] { return false; });
    QCOMPARE(world.state(1).centre[1], held[1]);
    QVERIFY(std::abs(world.state(1).centre[0] - 2) < 1e-9);
    QVERIFY(std::abs(world.state(1).centre[2] - 4) < 1e-9);
    const double paused = world.time();
    world.dragTo({-1, 7, 2});
    world.placeHeld(); // paused: at once, no time passing
    QCOMPARE(world.time(), paused);
    QVERIFY(length(world.state(1).centre - SimVector{-1, held[1], 2}) < 1e-12);
    world.release();
    QCOMPARE(world.grabbedRow(), -1);
    world.advance(0.3);
    QVERIFY(z(world, 1) < 1.8); // falls again once let go
}

// A falling body's acceleration is gravity and its velocity g t; trails keep the last ten seconds,
// from the start or from the first release as the record asks.
void TestSimWorld::trailsAndMeasures_followTheBody()
{
    Scene scene;
    scene.add("ODETipo=0 Dim1=0.5 Z=1000 MostraRastroSempre=1");
    scene.add("ODETipo=0 Dim1=0.5 X=5 Z=1000 MostraRastroSolto=1 UserMove=1 MoveZ=1");
    scene.add("ODETipo=0 Dim1=0.5 X=9 Z=1000 MostraRastroSempre=1 ODEMove=0");
    SimWorld world(scene.table, nullptr);
    world.advance(0.5);
    const SimBodyState& falling = world.state(0);
    QVERIFY(length(falling.acceleration - SimVector{0, 0, -g}) < 1e-6);
    QVERIFY(std::abs(falling.velocity[2] + g * world.time()) < 1e-6);
    QVERIFY(world.trail(1).empty());
    QVERIFY(world.trail(2).empty()); // fixed: it has no path
    world.grab(1);
    world.advance(0.5);
    QVERIFY(world.trail(1).empty());
    world.release();
    world.advance(12);
    const auto& whole = world.trail(0);
    QVERIFY(whole.size() > 500);
    // The oldest point kept is about ten seconds old: where the body was at t - 10.
    const double oldestTime = world.time() - SimWorld::trailSeconds;
    const double expectedZ = 1000 - g * oldestTime * oldestTime / 2;
    QVERIFY2(std::abs(whole.front()[2] - expectedZ) < 2,
             qPrintable(QString::number(whole.front()[2])));
    QVERIFY(world.trail(1).size() > 500);
    QVERIFY(length(world.trail(1).back() - world.state(1).centre) < 1);
}

void TestSimWorld::badRecords_areAllNamed()
{
    Scene scene;
    scene.add("Nome=Objeto1 ODETipo=0 Dim1=1");
    scene.add("Nome=Objeto2 ODETipo=2 Dim1=1 Dim2=0 Dim3=1");
    scene.add("Nome=Objeto3 ODETipo=0 Dim1=1 Massa=0");
    scene.add("Nome=Objeto4 ODETipo=0 Dim1=1 Massa=0 ODEMove=0");
    scene.add("Nome=Objeto5 ODETipo=3 ODEMove=0");
    scene.add("Nome=Objeto6 ODETipo=4 Arquivo=/nao/existe.obj");
    // Typed values refuse NaN, but a record restored whole (undo, a file) is not converted.
    Record infinite = scene.table.record(0);
    infinite[SceneField::Nome] = Text("Objeto7");
    infinite[SceneField::X] = HUGE_VAL;
    scene.table.insertRecord(scene.table.recordCount(), infinite);
    ModelLibrary models;
    try {
        SimWorld world(scene.table, &models);
        QFAIL("a world was built from bad records");
    } catch (const SimBuildError& error) {
        QCOMPARE(error.problems(),
                 (QStringList{"Objeto2: dimensões devem ser positivas",
                              "Objeto3: massa deve ser positiva",
                              "Objeto5: plano sem normal (a, b e c são 0)",
                              "Objeto6: não foi possível ler o modelo \"/nao/existe.obj\"",
                              "Objeto7: valores devem ser números finitos"}));
    }
}

void TestSimWorld::simulating_leavesTableUntouched()
{
    Scene scene;
    scene.addFloor();
    for (int i = 0; i < 5; ++i)
        scene.add(
            QStringLiteral("ODETipo=0 Dim1=0.4 X=%1 Z=%2 UserMove=1 MoveY=1").arg(i).arg(i + 1));
    scene.table.setRecordNumber(3);
    const std::vector<Record> before = scene.table.records();
    const bool modified = scene.table.modified();
    QSignalSpy changes(&scene.table, &RecordTable::changed);
    {
        SimWorld world(scene.table, nullptr);
        world.advance(1);
        world.grab(2);
        world.dragTo({0, 5, 0});
        world.advance(0.5);
        world.release();
        world.advance(0.5);
    }
    QVERIFY(scene.table.records() == before);
    QCOMPARE(scene.table.recordNumber(), 3);
    QCOMPARE(scene.table.modified(), modified);
    QCOMPARE(changes.count(), 0);
}

QTEST_GUILESS_MAIN(TestSimWorld)
#include "test_simworld.moc"
