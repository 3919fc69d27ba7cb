// Picking the record under a pixel in the 1000-record scene of the frame benchmark, offscreen in
// a 425 x 425 view: where records crowd, over a record near a corner, and over empty space.
#include "benchstats.h"
#include "benchscene.h"
#include "glharness.h"
#include "recordtable.h"
#include "scenerenderer.h"
#include "sceneschema.h"
#include "viewstate.h"

#include <QGuiApplication>
#include <QPoint>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <optional>
#include <vector>

namespace {

const int viewSize = 425;

struct PickScene
{
    OffscreenGL gl{viewSize, viewSize};
    RecordTable table;
    ViewState view;
    SceneRenderer renderer{table, view};

    PickScene()
    {
        defineSceneFields(table);
        table.createDataSet();
        fillBenchScene(table, 1000);
        renderer.setUpView();
        renderer
            .drawFrame(); // the camera and llvmpipe's shaders, as after the window's first frame
    }
};

// Made at the first benchmark and let go before the application, which its context needs.
std::unique_ptr<PickScene> theScene;

PickScene& scene()
{
    if (!theScene)
        theScene = std::make_unique<PickScene>();
    return *theScene;
}

// The first pixel from `from` towards the centre, along the diagonal, whose pick is (or is not)
// a record.
std::optional<QPoint> firstPixel(QPoint from, bool onRecord)
{
    const QPoint centre(viewSize / 2, viewSize / 2);
    for (int step = 0; step <= viewSize / 2; ++step) {
        const QPoint p = from + (centre - from) * step / (viewSize / 2);
        if ((scene().renderer.pickRecord(p.x(), p.y()) >= 0) == onRecord)
            return p;
    }
    return std::nullopt;
}

void measurePicks(benchmark::State& state, std::optional<QPoint> pixel)
{
    if (!scene().gl.isValid() || !pixel) {
        state.SkipWithError("no OpenGL context, or no such pixel in the scene");
        return;
    }
    int row = -1;
    for (auto _ : state) {
        row = scene().renderer.pickRecord(pixel->x(), pixel->y());
        benchmark::DoNotOptimize(row);
    }
    state.counters["row"] = row;
}

void CrowdedCentre(benchmark::State& state)
{
    measurePicks(state, firstPixel({viewSize / 2, viewSize / 2}, true));
}

void RecordNearACorner(benchmark::State& state)
{
    measurePicks(state, firstPixel({0, viewSize - 1}, true));
}

void EmptyCorner(benchmark::State& state)
{
    measurePicks(state, firstPixel({0, 0}, false));
}


void registerBenchmarks()
{
    for (auto* b : {benchmark::RegisterBenchmark("CrowdedCentre", CrowdedCentre),
                    benchmark::RegisterBenchmark("RecordNearACorner", RecordNearACorner),
                    benchmark::RegisterBenchmark("EmptyCorner", EmptyCorner)})
        b->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Apply(withLeastAndMost);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theScene.reset();
    return 0;
}
