// Parse throughput of the model reader, on one thread and on two, against tinyobjloader on the
// same generated file of about 55 MB ("v", "vn" and "f v//vn" lines), all reading it from the
// (warm) file cache. Each is the median of 5 repetitions; compare the medians of one run.
#include "benchstats.h"
#include "modelgen.h"
#include "objloader.h"
#include "objsplit.h"
#include "textscan.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <tiny_obj_loader.h>
#include <unistd.h>

namespace {

struct ModelFile
{
    std::string path;
    size_t size = 0;

    ModelFile()
    {
        char folder[] = "/tmp/tavirel-bench-XXXXXX";
        if (!mkdtemp(folder))
            std::abort();
        path = std::string(folder) + "/sphere.obj";
        const std::string text = sphereModel(600, 600, 5.0); // 720,000 triangles
        size = text.size();
        writeFileOrDie(path, text);
    }
    ~ModelFile()
    {
        std::remove(path.c_str());
        rmdir(path.substr(0, path.rfind('/')).c_str());
    }
};

const ModelFile& modelFile()
{
    static ModelFile file;
    return file;
}

void reportThroughput(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["MB"] =
        benchmark::Counter(double(bytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["file_MB"] = double(bytes) / 1e6;
}

// Reads the file into a fresh model on every iteration, as LoadModel would, through
// readInto(model, file, separator).
template <typename ReadInto>
void benchmarkRead(benchmark::State& state, ReadInto readInto)
{
    const ModelFile& file = modelFile();
    for (auto _ : state) {
        TModel model;
        ResetModel(model);
        readInto(model, file, localeDecimalSeparator());
        if (model.VertexCount == 0)
            state.SkipWithError("nothing was read");
        benchmark::DoNotOptimize(model);
    }
    reportThroughput(state, file.size);
}

void BM_ParseModel_Tavirel(benchmark::State& state)
{
    benchmarkRead(state, [](TModel& model, const ModelFile& file, char separator) {
        loadInOnePiece(model, file.path, file.size, {}, separator);
    });
}

void BM_ParseModel_TavirelTwoThreads(benchmark::State& state)
{
    benchmarkRead(state, [](TModel& model, const ModelFile& file, char separator) {
        loadInTwoParts(model, file.path, file.size, {}, separator, middleOf(file.path, file.size));
    });
}

void BM_ParseModel_TinyObjLoader(benchmark::State& state)
{
    const ModelFile& file = modelFile();
    for (auto _ : state) {
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warn, err;
        // Faces are triangles already: no triangulation asked for.
        if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, file.path.c_str(), nullptr,
                              false))
            state.SkipWithError(err.c_str());
        benchmark::DoNotOptimize(attrib);
        benchmark::DoNotOptimize(shapes);
    }
    reportThroughput(state, file.size);
}

// Median of 5 with the least and the most beside it; real time, since the two-thread read's work
// is not all on the thread the benchmark measures.
void fiveRepetitions(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(1.0)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->Apply(withLeastAndMost);
}

} // namespace

BENCHMARK(BM_ParseModel_Tavirel)->Apply(fiveRepetitions);
BENCHMARK(BM_ParseModel_TavirelTwoThreads)->Apply(fiveRepetitions);
BENCHMARK(BM_ParseModel_TinyObjLoader)->Apply(fiveRepetitions);

BENCHMARK_MAIN();
