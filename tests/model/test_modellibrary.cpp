#include "gltestsupport.h"
#include "modellibrary.h"
#include "testfiles.h"

#include <GL/gl.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

namespace {

const char* const triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

// A frame of model records at the origin, unscaled; the polygons they drew.
QVector<QPolygonF> drawRecords(ModelLibrary& library, const QStringList& names)
{
    return feedbackPolygons([&] {
        for (const QString& name : names)
            DrawModelRecord(library, PlacedModel{name.toStdString()});
    });
}

struct ModelViewState
{
    GLint depth = 0;
    std::array<GLfloat, 16> matrix{};

    static ModelViewState current()
    {
        ModelViewState state;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &state.depth);
        glGetFloatv(GL_MODELVIEW_MATRIX, state.matrix.data());
        return state;
    }
    bool operator==(const ModelViewState& other) const
    {
        return depth == other.depth && matrix == other.matrix;
    }
};

} // namespace

class TestModelLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void missingModel_isReportedOnceUntilTheSceneIsReopened();
    void unreadableModel_isReportedOnceAndTheRestOfTheFrameIsDrawn();
    void missingLibrary_isReportedOnceAndReadWhenItAppears();
    void libraryInAFolder_isFoundWhateverTheCaseAndFollowedWhenItChanges();
    void unchangedFile_isKept_changedFileIsReadAgain();
    void bareName_isLookedUpInTheSceneFolderFirst();
    void bareNameFoundNowhereElse_comesFromTheModelFoldersInOrder();
    void notifierThatClearsTheLibrary_leavesItUsable();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<ModelGL> m_gl;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelLibrary> m_library;
    QStringList m_messages;
    QStringList m_errors;
};

void TestModelLibrary::initTestCase()
{
    m_gl = std::make_unique<ModelGL>();
    QVERIFY2(m_gl->isValid(), "no OpenGL context");
}

void TestModelLibrary::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_library = std::make_unique<ModelLibrary>();
    m_messages.clear();
    m_errors.clear();
    m_library->setDecimalSeparator('.');
    m_library->setNotifier([this](const std::string& caption, const std::string& text) {
        m_messages << QString::fromStdString(caption + "|" + text);
    });
    m_library->setErrorHandler([this](const std::string& path, const std::exception& error) {
        m_errors << QString::fromStdString(path) + "|" + QString::fromUtf8(error.what());
    });
}

void TestModelLibrary::cleanup()
{
    m_library->releaseContext(nullptr);
}

void TestModelLibrary::missingModel_isReportedOnceUntilTheSceneIsReopened()
{
    const QString missing = path("gone.obj");
    for (int frame = 0; frame < 3; ++frame)
        QVERIFY(drawRecords(*m_library, {missing}).isEmpty());
    QCOMPARE(m_messages, QStringList{"Load Model|Cannot find the model : " + missing});

    m_library->clear(); // a scene is opened
    drawRecords(*m_library, {missing});
    QCOMPARE(m_messages.size(), 2);

    writeFile(missing, triangle);
    QCOMPARE(drawRecords(*m_library, {missing}).size(), 1);
    QCOMPARE(m_messages.size(), 2);
}

// A value that does not convert stops that record only: it is told once, the matrix pushed for it
// is popped, and the records after it are drawn.
void TestModelLibrary::unreadableModel_isReportedOnceAndTheRestOfTheFrameIsDrawn()
{
    const QString bad = path("bad.obj");
    const QString good = path("good.obj");
    writeFile(bad, "v 0 0 0\nv 1 0 zero\n");
    writeFile(good, triangle);
    const ModelViewState before = ModelViewState::current();
    for (int frame = 0; frame < 3; ++frame)
        QCOMPARE(drawRecords(*m_library, {bad, good, path("gone.obj")}).size(), 1);
    QVERIFY(ModelViewState::current() == before);
    QCOMPARE(m_errors, QStringList{bad + "|'ZERO' is not a valid floating point value"});
    QCOMPARE(m_messages.size(), 1); // the missing one, once

    writeFile(bad, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3 \n\n");
    QCOMPARE(drawRecords(*m_library, {bad, good}).size(), 2);
    QCOMPARE(m_errors.size(), 1);

    // Without an error handler the notifier tells it, as the model reader's message.
    ModelLibrary plain;
    QStringList told;
    plain.setNotifier([&told](const std::string& caption, const std::string& text) {
        told << QString::fromStdString(caption + "|" + text);
    });
    writeFile(bad, "f x\n");
    drawRecords(plain, {bad});
    QCOMPARE(told, QStringList{"Load Model|'X' is not a valid integer value"});
}

void TestModelLibrary::missingLibrary_isReportedOnceAndReadWhenItAppears()
{
    const QString model = path("cart.obj");
    writeFile(model, QByteArray("mtllib cart.mtl\ng body\nusemtl red\n") + triangle);
    for (int frame = 0; frame < 3; ++frame)
        QCOMPARE(drawRecords(*m_library, {model}).size(), 1);
    QCOMPARE(m_messages, QStringList{"Load Model Material|Cannot find the material file : " +
                                     path("CART.MTL")});
    QCOMPARE(m_library->model(model.toStdString())->MaterialCount, 0);
    QVERIFY(!m_library->changedOnDisk());

    writeFile(path("cart.mtl"), "newmtl red\nKd 1 0 0\n");
    QVERIFY(m_library->changedOnDisk()); // told once, before anything reads it again
    QVERIFY(!m_library->changedOnDisk());
    const TModel* reread = m_library->model(model.toStdString());
    QCOMPARE(reread->MaterialCount, 1);
    QCOMPARE(reread->Groups[1].Material, 1);
    QCOMPARE(m_messages.size(), 1);
}

void TestModelLibrary::libraryInAFolder_isFoundWhateverTheCaseAndFollowedWhenItChanges()
{
    QVERIFY(QDir(m_dir->path()).mkpath("Materiais"));
    writeFile(path("Materiais/Tinta.mtl"), "newmtl red\nKd 1 0 0\n");
    const QString model = path("cart.obj");
    writeFile(model, QByteArray("mtllib materiais/tinta.mtl\ng body\nusemtl red\n") + triangle);
    const TModel* first = m_library->model(model.toStdString());
    QCOMPARE(m_messages, QStringList());
    QCOMPARE(first->MaterialCount, 1);
    QCOMPARE(first->Materials[1].Diffuse, (TVector3{1, 0, 0}));

    writeFile(path("Materiais/Tinta.mtl"), "newmtl red\nKd 0 0.5 0\n");
    const TModel* reread = m_library->model(model.toStdString());
    QCOMPARE(reread->Groups[1].Material, 1);
    QCOMPARE(reread->Materials[1].Diffuse, (TVector3{0, 0.5f, 0}));
}

// Kept by path, size and modification time: a file rewritten with the same size and time is not
// read again; any change of either is.
void TestModelLibrary::unchangedFile_isKept_changedFileIsReadAgain()
{
    const QString model = path("moving.obj");
    writeFile(model, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const auto time = std::filesystem::last_write_time(model.toStdString());
    const QRectF first = boundsOf(drawRecords(*m_library, {model}));

    writeFile(model, "v 0 0 0\nv 2 0 0\nv 0 2 0\nf 1 2 3\n");
    std::filesystem::last_write_time(model.toStdString(), time);
    QCOMPARE(boundsOf(drawRecords(*m_library, {model})), first);

    writeFile(model, "v 0 0 0\nv 3 0 0\nv 0 3 0\nf 1 2 3\n");
    std::filesystem::last_write_time(model.toStdString(), time + std::chrono::seconds(1));
    QCOMPARE(boundsOf(drawRecords(*m_library, {model})),
             QRectF(windowPoint(0, 0), windowPoint(3, 3)));
}

void TestModelLibrary::bareName_isLookedUpInTheSceneFolderFirst()
{
    QVERIFY(QDir(m_dir->path()).mkdir("scene"));
    QVERIFY(QDir(m_dir->path()).mkdir("cwd"));
    writeFile(path("scene/both.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    writeFile(path("cwd/both.obj"), "v 0 0 0\nv 4 0 0\nv 0 4 0\nf 1 2 3\n");
    writeFile(path("cwd/only-here.obj"), "v 0 0 0\nv 2 0 0\nv 0 2 0\nf 1 2 3\n");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(path("cwd"));
    m_library->setSceneDir(path("scene").toStdString());

    const QRectF inScene = boundsOf(drawRecords(*m_library, {"both.obj"}));
    const QRectF inCurrent = boundsOf(drawRecords(*m_library, {"only-here.obj"}));
    const QRectF fullPath = boundsOf(drawRecords(*m_library, {path("cwd/both.obj")}));
    QDir::setCurrent(previous);

    QCOMPARE(inScene, QRectF(windowPoint(0, 0), windowPoint(1, 1)));
    QCOMPARE(inCurrent, QRectF(windowPoint(0, 0), windowPoint(2, 2)));
    QCOMPARE(fullPath, QRectF(windowPoint(0, 0), windowPoint(4, 4)));
    QCOMPARE(m_messages, QStringList());
}

void TestModelLibrary::bareNameFoundNowhereElse_comesFromTheModelFoldersInOrder()
{
    for (const char* file : {"user/both.obj", "samples/both.obj", "samples/sample.obj",
                             "cwd/here.obj", "user/here.obj"})
        writeFile(path(file), "v 0 0 0\n");
    QVERIFY(QDir(m_dir->path()).mkdir("scene"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(path("cwd"));
    m_library->setSceneDir(path("scene").toStdString());
    m_library->setModelDirs({path("user").toStdString(), path("samples").toStdString()});
    QStringList resolved;
    for (const char* name : {"both.obj", "sample.obj", "here.obj", "nowhere.obj"})
        resolved << QString::fromStdString(m_library->resolve(name));
    QDir::setCurrent(previous);
    // The current folder's own model still wins, as it always did.
    QCOMPARE(resolved, QStringList({path("user/both.obj"), path("samples/sample.obj"), "here.obj",
                                    "nowhere.obj"}));
}

// The application may open a scene (and so clear the library) from the message box's own event
// loop; the draw that told it must not touch what was cleared.
void TestModelLibrary::notifierThatClearsTheLibrary_leavesItUsable()
{
    const QString missing = path("gone.obj");
    const QString good = path("good.obj");
    writeFile(good, triangle);
    int told = 0;
    m_library->setNotifier([&](const std::string&, const std::string&) {
        ++told;
        m_library->clear();
        DrawModelRecord(*m_library, PlacedModel{good.toStdString()});
    });
    // The good model three times: before, from inside the message, and after.
    QCOMPARE(drawRecords(*m_library, {good, missing, good}).size(), 3);
    QVERIFY(told >= 1);
    QVERIFY(m_library->model(good.toStdString()) != nullptr);
}

QTEST_MAIN(TestModelLibrary)
#include "test_modellibrary.moc"
