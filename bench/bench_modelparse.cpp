// Parse throughput of the model reader against tinyobjloader on the same generated file of about
// 50 MB ("v", "vn" and "f v//vn" lines), both reading it from the (warm) file cache.
#include "modelgen.h"
#include "objloader.h"

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

void BM_ParseModel_Tavirel(benchmark::State& state)
{
    const ModelFile& file = modelFile();
    for (auto _ : state) {
        TModel model = LoadModel(file.path);
        if (model.VertexCount == 0)
            state.SkipWithError("nothing was read");
        benchmark::DoNotOptimize(model);
    }
    reportThroughput(state, file.size);
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

} // namespace

BENCHMARK(BM_ParseModel_Tavirel)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_ParseModel_TinyObjLoader)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

BENCHMARK_MAIN();
