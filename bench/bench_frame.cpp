#include "benchscene.h"
#include "glharness.h"
#include "literalscene.h"
#include "recordtable.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// Draws frames of a scene of state.range(0) records into a 425 x 425 framebuffer and waits for
// each to be finished, the way the window's timer draws them. The time column is the wall time of a
// frame; the CPU column counts every thread of the process, llvmpipe's rasterisers included.
template <typename DrawFrame>
void measureFrames(benchmark::State& state, DrawFrame drawFrame)
{
    OffscreenGL gl(425, 425);
    if (!gl.isValid()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    RecordTable table;
    defineSceneFields(table);
    table.createDataSet();
    fillBenchScene(table, int(state.range(0)));
    ViewState view;
    SceneRenderer renderer(table, view);
    renderer.setUpView();
    // The first frames compile llvmpipe's shaders and the display lists; the tick draws for hours.
    for (int i = 0; i < 3; ++i)
        drawFrame(renderer, table, view);
    glFinish();
    for (auto _ : state) {
        drawFrame(renderer, table, view);
        glFinish();
        view.frameClock += 0.1;
    }
}

void Literal(benchmark::State& state)
{
    measureFrames(state, [](SceneRenderer&, RecordTable& table, ViewState& view) {
        drawLiteralFrame(table, view);
    });
}

void Renderer(benchmark::State& state)
{
    measureFrames(state,
                  [](SceneRenderer& renderer, RecordTable&, ViewState&) { renderer.drawFrame(); });
}

// Other work on the machine changes the speed of both from minute to minute, so the two are
// measured side by side, size by size, in repetitions interleaved at random; compare the medians.
void registerBenchmarks()
{
    for (int records : {10, 100, 1000})
        for (auto* b : {benchmark::RegisterBenchmark("Literal", Literal),
                        benchmark::RegisterBenchmark("Renderer", Renderer)})
            b->Arg(records)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime()
                ->MinTime(0.5)
                ->Repetitions(5)
                ->ReportAggregatesOnly(true);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    registerBenchmarks();
    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave); // a later argument can still turn it off
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
