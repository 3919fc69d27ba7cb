// `tavirel --render` of a 100-object scene (10 of them models) to a 1200 x 1200 PNG: the whole
// process, from start to the picture written, as a teacher's script would run it.

#include "benchstats.h"
#include "fieldvalue.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// Ten rows of ten: spheres, capsules, boxes and a few planes, with every tenth object one of the
// sample models, copied beside the scene as the editor does.
void writeScene(const QString& dir)
{
    for (const char* name : {"carrinho", "pendulo", "rampa"})
        for (const char* extension : {".obj", ".mtl"})
            QFile::copy(QStringLiteral(TAVIREL_ASSETS_DIR "/Objetos/") + name + extension,
                        dir + "/" + name + extension);
    const char* models[] = {"carrinho.obj", "pendulo.obj", "rampa.obj"};
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    for (int i = 0; i < 100; ++i) {
        table.insert();
        const int kind = i % 10 == 9 ? ElementKind::Arquivo : (i % 10 == 8 ? 3 : i % 3);
        table.field(SceneField::Nome).setAsString(QStringLiteral("Objeto%1").arg(i + 1));
        table.field(SceneField::ODETipo).setAsInteger(kind);
        table.field(SceneField::X).setAsFloat(i % 10 - 4.5);
        table.field(SceneField::Y).setAsFloat(i / 10 - 4.5);
        table.field(SceneField::Z).setAsFloat(kind == 3 ? -(i / 10) : 0.5);
        for (int field : {SceneField::SX, SceneField::SY, SceneField::SZ})
            table.field(field).setAsFloat(kind == 3 ? 4 : 0.4);
        table.field(SceneField::Ang).setAsFloat(15 * (i % 7));
        table.field(SceneField::EixoX).setAsFloat(1);
        for (int d = 0; d < 4; ++d)
            table.field(SceneField::Dim1 + d).setAsFloat(kind == 3 ? (d == 2 ? 1 : 0) : 0.4);
        for (int c : {SceneField::R, SceneField::G, SceneField::B})
            table.field(c).setAsFloat((i * 37 + c * 71) % 256);
        table.field(SceneField::UsaCor).setAsBoolean(true);
        if (kind == ElementKind::Arquivo)
            table.field(SceneField::Arquivo).setAsString(QString::fromLatin1(models[i % 3]));
        table.post();
    }
    table.saveAs(dir + "/cena100.xml");
    table.setFileName(QString());
}

void RenderCommand(benchmark::State& state)
{
    QTemporaryDir dir;
    writeScene(dir.path());
    const QStringList arguments{"--render", dir.filePath("cena100.xml"),
                                "-o",       dir.filePath("figura.png"),
                                "--size",   "1200"};
    for (auto _ : state) {
        QProcess process;
        process.start(TAVIREL_EXECUTABLE, arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError(process.readAllStandardError().constData());
            break;
        }
    }
}
BENCHMARK(RenderCommand)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(5)
    ->Apply(withLeastAndMost)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
