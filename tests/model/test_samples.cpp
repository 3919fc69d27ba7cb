#include "modeldraw.h"
#include "objloader.h"

#include <QDir>
#include <QTest>

// The models shipped in "Objetos" are what a newcomer inserts first: each must read without a
// message, bring its own materials to every group, and name no vertex or normal it lacks.
class TestSamples : public QObject
{
    Q_OBJECT

private slots:
    void sample_readsCleanlyWithItsMaterials_data();
    void sample_readsCleanlyWithItsMaterials();
};

void TestSamples::sample_readsCleanlyWithItsMaterials_data()
{
    QTest::addColumn<QString>("path");
    const QDir folder(QStringLiteral(TAVIREL_ASSETS_DIR "/Objetos"));
    const QStringList models = folder.entryList({"*.obj"}, QDir::Files);
    QVERIFY(models.size() >= 3);
    for (const QString& name : models)
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

void TestSamples::sample_readsCleanlyWithItsMaterials()
{
    QFETCH(QString, path);
    QStringList messages;
    ModelIO io;
    io.decimalSeparator = ',';
    io.notify = [&messages](const std::string& caption, const std::string& text) {
        messages << QString::fromStdString(caption + ": " + text);
    };
    const TModel model = LoadModel(path.toStdString(), io);
    QCOMPARE(messages, QStringList());
    QVERIFY(model.GroupCount > 0);
    QVERIFY(model.NormalCount > 0);
    for (int32_t g = 1; g <= model.GroupCount; ++g) {
        const TGroup& group = model.Groups[size_t(g)];
        QVERIFY2(group.Material > 0, group.Name.c_str());
        QVERIFY(group.FaceCount > 0);
        for (const TCorner& corner : group.Corners) {
            QVERIFY(corner.Vertex >= 1 && corner.Vertex <= model.VertexCount);
            QVERIFY(corner.Normal >= 1 && corner.Normal <= model.NormalCount);
        }
    }
}

QTEST_GUILESS_MAIN(TestSamples)
#include "test_samples.moc"
