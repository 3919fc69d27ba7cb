// Writing and reading a scene file of 10,000 records: the whole save and the whole open; and the
// recovery copy the editor keeps of such a scene while it has unsaved changes.
#include "recordtable.h"
#include "recoverycopy.h"
#include "scenefile.h"
#include "sceneschema.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

const int recordCount = 10000;

// A scene as the editor makes it: every kind, every field an insertion writes, awkward numbers.
std::vector<Record> makeScene(const std::vector<FieldDef>& fields)
{
    std::vector<Record> records;
    for (int i = 0; i < recordCount; ++i) {
        Record record(fields.size());
        record[SceneField::Nome] = QStringLiteral("Objeto%1").arg(i + 1);
        record[SceneField::ID] = qint32(i);
        for (int f :
             {SceneField::X, SceneField::Y, SceneField::Z, SceneField::Ang, SceneField::EixoX,
              SceneField::EixoY, SceneField::EixoZ, SceneField::SX, SceneField::SY, SceneField::SZ,
              SceneField::Dim1, SceneField::Dim2, SceneField::Massa, SceneField::Atrito})
            record[size_t(f)] = (i % 97) * 0.731 - f / 3.0;
        for (int f : {SceneField::R, SceneField::G, SceneField::B, SceneField::A})
            record[size_t(f)] = double((i * 37 + f) % 256);
        for (int f :
             {SceneField::UsaCor, SceneField::UserMove, SceneField::MoveX, SceneField::MoveY,
              SceneField::MoveZ, SceneField::ODEMove, SceneField::MostraRastroSempre,
              SceneField::MostraRastroSolto, SceneField::MostraVecV, SceneField::MostraVecA,
              SceneField::MostraEixoRot, SceneField::TemGravidade})
            record[size_t(f)] = (i + f) % 3 == 0;
        record[SceneField::ODETipo] = qint32(i % 5);
        record[SceneField::TipoDeColisao] = qint32(i % 3);
        if (i % 5 == ElementKind::Arquivo)
            record[SceneField::Arquivo] = QStringLiteral("carrinho.obj");
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<FieldDef> sceneFields()
{
    RecordTable table;
    defineSceneFields(table);
    return table.fields();
}

void writeSceneFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto fields = sceneFields();
    const auto records = makeScene(fields);
    const QString path = dir.filePath("cena.xml");
    for (auto _ : state)
        writePacketFile(path, fields, records);
    state.SetItemsProcessed(state.iterations() * recordCount);
    state.counters["bytes"] = double(QFileInfo(path).size());
}

// What the editor does a moment after a change: the first line, the packet, the write and rename.
void writeRecoveryCopyOfScene(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto fields = sceneFields();
    const auto records = makeScene(fields);
    const QString path = recoveryCopyPath(dir.path(), ProcessIdentity::current().pid);
    for (auto _ : state) {
        const RecoveryInfo info{ProcessIdentity::current(), dir.filePath("cena.xml"),
                                QDateTime::currentDateTimeUtc()};
        writeRecoveryCopy(path, info, fields, records);
    }
    state.SetItemsProcessed(state.iterations() * recordCount);
    state.counters["bytes"] = double(QFileInfo(path).size());
}

// With coldHeap, the memory of the previous read goes back to the system first, so every read
// pays for fresh pages as the first open in a new editor does.
void readSceneFile(benchmark::State& state, bool coldHeap)
{
    QTemporaryDir dir;
    const auto fields = sceneFields();
    const QString path = dir.filePath("cena.xml");
    writePacketFile(path, fields, makeScene(fields));
    for (auto _ : state) {
        {
            auto records = readPacketFile(path, fields);
            benchmark::DoNotOptimize(records.data());
            state.PauseTiming();
        }
        if (coldHeap)
            malloc_trim(0);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * recordCount);
}

} // namespace

BENCHMARK(writeSceneFile)->Unit(benchmark::kMillisecond);
BENCHMARK(writeRecoveryCopyOfScene)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readSceneFile, warmHeap, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readSceneFile, coldHeap, true)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
