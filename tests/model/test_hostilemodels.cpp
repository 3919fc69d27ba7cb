// A catalogue of bad models and material libraries, each drawn the way the view draws a model
// record, for a few frames: nothing may crash, hang or leave OpenGL half way (a pushed matrix, an
// open glBegin, a pending error), and what cannot be read is told once, naming the file.
#include "gltestsupport.h"
#include "modellibrary.h"
#include "testfiles.h"

#include <GL/gl.h>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray smallModel = "# a ramp\nmtllib rampa.mtl\nv 0 0 0\nv 2 0 0\nv 2 1 1\nv 0 1 1\n"
                              "vn 0 -0.707 0.707\ng rampa\nusemtl madeira\nf 1//1 2//1 3//1 4//1\n"
                              "f 1 2 3\nf 1/1/1 2/1/1 3/1/1\n";
const QByteArray smallLibrary = "newmtl madeira\nKa 0.2 0.1 0\nKd 0.6 0.4 0.2\nNs 300\n";

struct Outcome
{
    int reports = 0;
    QStringList paths;
    bool glClean = true;
};

// Draws the model at `path` in three frames through one library and says how it went.
Outcome drawThreeFrames(const QString& path)
{
    ModelLibrary library;
    Outcome outcome;
    library.setNotifier([&](const std::string&, const std::string& text) {
        ++outcome.reports;
        outcome.paths << QString::fromStdString(text);
    });
    library.setErrorHandler([&](const std::string& file, const std::exception&) {
        ++outcome.reports;
        outcome.paths << QString::fromStdString(file);
    });
    GLint depthBefore = 0, depthAfter = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    PlacedModel placed{path.toStdString()};
    placed.angle = 30;
    for (int frame = 0; frame < 3; ++frame)
        DrawModelRecord(library, placed);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    // A glBegin left open would make this call itself an error.
    outcome.glClean = depthAfter == depthBefore && glGetError() == GL_NO_ERROR;
    library.releaseContext(nullptr);
    return outcome;
}

} // namespace

class TestHostileModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyPrefixOfAModel_drawsOrIsToldOnce();
    void everyPrefixOfALibrary_drawsOrIsToldOnce();
    void catalogue_drawsOrIsToldOnce_data();
    void catalogue_drawsOrIsToldOnce();

private:
    void check(const QString& path, const Outcome& outcome);

    std::unique_ptr<ModelGL> m_gl;
    QTemporaryDir m_dir;
};

void TestHostileModels::initTestCase()
{
    m_gl = std::make_unique<ModelGL>();
    QVERIFY(m_gl->isValid());
}

void TestHostileModels::check(const QString& path, const Outcome& outcome)
{
    QVERIFY2(outcome.glClean, qPrintable(path));
    QVERIFY2(outcome.reports <= 2, qPrintable(path)); // the model, and perhaps its library
    for (const QString& told : outcome.paths)         // the model, or the library it named
        QVERIFY2(told.contains(QFileInfo(path).absolutePath()), qPrintable(told));
}

void TestHostileModels::everyPrefixOfAModel_drawsOrIsToldOnce()
{
    writeFile(m_dir.filePath("RAMPA.MTL"), smallLibrary);
    const QString path = m_dir.filePath("prefixo.obj");
    for (int length = 0; length <= smallModel.size(); ++length) {
        writeFile(path, smallModel.left(length));
        check(path, drawThreeFrames(path));
        if (QTest::currentTestFailed())
            qFatal("the prefix of %d bytes went wrong", length);
    }
}

void TestHostileModels::everyPrefixOfALibrary_drawsOrIsToldOnce()
{
    const QString path = m_dir.filePath("rampa.obj");
    writeFile(path, smallModel);
    for (int length = 0; length <= smallLibrary.size(); ++length) {
        writeFile(m_dir.filePath("RAMPA.MTL"), smallLibrary.left(length));
        check(path, drawThreeFrames(path));
        if (QTest::currentTestFailed())
            qFatal("the library prefix of %d bytes went wrong", length);
    }
}

void TestHostileModels::catalogue_drawsOrIsToldOnce_data()
{
    QTest::addColumn<QByteArray>("model");
    const QByteArray square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    QTest::newRow("index 0") << square + "f 0 1 2\nf 1 2 3\n";
    QTest::newRow("beyond the counts") << square + "f 1 2 99\nf 1 2 2147483647\n";
    QTest::newRow("hugely negative") << square + "f -1 -2 -2147483648\nf -5 1 2\n";
    QTest::newRow("integer overflow") << square + "f 1 2 99999999999999999999\n";
    QTest::newRow("normal index beyond") << square + "vn 0 0 1\nf 1//7 2//1 3//-9\n";
    QByteArray manyCorners = square + "f";
    for (int i = 0; i < 5000; ++i)
        manyCorners += " " + QByteArray::number(i % 4 + 1);
    QTest::newRow("thousands of corners") << manyCorners + "\n";
    QTest::newRow("a line of megabytes")
        << square + "g " + QByteArray(4 << 20, 'g') + "\nf 1 2 3\n";
    QTest::newRow("a number of megabytes") << "v " + QByteArray(4 << 20, '9') + " 0 0\n";
    QByteArray garbage(64 << 10, Qt::Uninitialized);
    QRandomGenerator random(6);
    for (char& byte : garbage)
        byte = char(random.bounded(256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("its own library") << "mtllib proprio.obj\nusemtl v\n" + square + "f 1 2 3 4\n";
    QTest::newRow("continuation at the end") << square + "f 1 2 \\";
}

void TestHostileModels::catalogue_drawsOrIsToldOnce()
{
    QFETCH(QByteArray, model);
    const QString path = m_dir.filePath("proprio.obj");
    writeFile(path, model);
    check(path, drawThreeFrames(path));
}

QTEST_MAIN(TestHostileModels)
#include "test_hostilemodels.moc"
