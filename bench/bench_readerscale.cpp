// How the readers grow with their input: a scene packet of 10,000 to 1,000,000 rows and a model of
// about 25 to 100 MB. Google Benchmark fits the times to a line (the BigO row); the RMS row says
// how far the sizes stray from it.
#include "datapacket.h"
#include "modelgen.h"
#include "objloader.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {

std::vector<FieldDef> sceneFields()
{
    RecordTable table;
    defineSceneFields(table);
    return table.fields();
}

// A packet of `rows` rows of about a hundred bytes each.
QByteArray packet(int64_t rows)
{
    const auto fields = sceneFields();
    QByteArray text = writeDataPacket(fields, {});
    text.chop(int(sizeof("</ROWDATA></DATAPACKET>")) - 1);
    text.reserve(text.size() + rows * 110);
    for (int64_t i = 0; i < rows; ++i)
        text += "<ROW Nome=\"Objeto" + QByteArray::number(i) + "\" ID=\"" + QByteArray::number(i) +
                "\" X=\"" + QByteArray::number(i % 97 * 0.25) +
                "\" Y=\"-1.5\" Z=\"3\" Dim1=\"0.5\" "
                "ODETipo=\"0\" UsaCor=\"TRUE\"/>";
    return text + "</ROWDATA></DATAPACKET>";
}

void readPacket(benchmark::State& state)
{
    const auto fields = sceneFields();
    const QByteArray text = packet(state.range(0));
    for (auto _ : state) {
        {
            auto records = readDataPacket(text, fields);
            benchmark::DoNotOptimize(records.data());
            state.PauseTiming();
        }
        // Every read starts from memory the process has not touched yet, as the first open
        // does: otherwise small packets, read again and again, would reuse a warm heap.
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}

// A sphere model of about `megabytes` MB in a file.
void readModel(benchmark::State& state)
{
    const int rings = int(std::sqrt(double(state.range(0)) * 1e6 / 140));
    const std::string text = sphereModel(rings, rings, 5.0);
    char folder[] = "/tmp/tavirel-bench-XXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    const std::string path = std::string(folder) + "/sphere.obj";
    writeFileOrDie(path, text);
    for (auto _ : state) {
        {
            TModel model = LoadModel(path);
            benchmark::DoNotOptimize(model);
            state.PauseTiming();
        }
        malloc_trim(0);
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    rmdir(folder);
    state.SetComplexityN(int64_t(text.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

} // namespace

BENCHMARK(readPacket)
    ->RangeMultiplier(10)
    ->Range(10000, 1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(readModel)
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK_MAIN();
