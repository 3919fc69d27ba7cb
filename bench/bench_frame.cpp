#include "glharness.h"
#include "literalscene.h"
#include "recordtable.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

// Repeatable numbers in [low, high).
class Numbers
{
public:
    double next(double low, double high)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * double(m_state >> 11) / double(1ULL << 53);
    }

private:
    std::uint64_t m_state = 42;
};

// `count` records cycling through sphere, capsule, cube and plane, of assorted sizes, places,
// turns and colours inside the view; every fourth sphere is translucent.
void fillScene(RecordTable& table, int count)
{
    Numbers n;
    for (int i = 0; i < count; ++i) {
        table.insert();
        const int kind = i % 4;
        table.setValue(SceneField::ODETipo, qint32(kind));
        table.setValue(SceneField::X, n.next(-8, 8));
        table.setValue(SceneField::Y, n.next(-8, 8));
        table.setValue(SceneField::Z, n.next(-4, 4));
        table.setValue(SceneField::SX, kind == ElementKind::Plano ? n.next(2, 4) : 1.0);
        table.setValue(SceneField::SY, kind == ElementKind::Plano ? n.next(2, 4) : 1.0);
        table.setValue(SceneField::SZ, 1.0);
        table.setValue(SceneField::Ang, n.next(0, 90));
        table.setValue(SceneField::EixoX, n.next(0, 1));
        table.setValue(SceneField::EixoY, n.next(0, 1));
        table.setValue(SceneField::EixoZ, 1.0);
        table.setValue(SceneField::Dim1,
                       kind == ElementKind::Plano ? n.next(-0.3, 0.3) : n.next(0.3, 1.2));
        table.setValue(SceneField::Dim2,
                       kind == ElementKind::Plano ? n.next(-0.3, 0.3) : n.next(0.5, 2));
        table.setValue(SceneField::Dim3, kind == ElementKind::Plano ? 1.0 : n.next(0.5, 1.5));
        table.setValue(SceneField::Dim4, n.next(-3, 3));
        table.setValue(SceneField::R, n.next(0, 256));
        table.setValue(SceneField::G, n.next(0, 256));
        table.setValue(SceneField::B, n.next(0, 256));
        table.setValue(SceneField::A, kind == ElementKind::Esfera && i % 16 == 0 ? 128.0 : 0.0);
        table.setValue(SceneField::UsaCor, i % 3 == 0);
        table.post();
    }
}

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
    fillScene(table, int(state.range(0)));
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
