#include "benchstats.h"
#include "glharness.h"
#include "scenerenderer.h"
#include "simbench.h"
#include "simworld.h"
#include "viewstate.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

// A floor and walls around 100 bodies: spheres, capsules and boxes in turn, every one moving, each
// fifth with its trail, arrows and rotation axis shown.
void fillScene(RecordTable& table)
{
    using namespace SceneField;
    defineSceneFields(table);
    table.createDataSet();
    add(table, ElementKind::Plano, {{Dim3, 1}, {SX, 10}, {SY, 10}});
    add(table, ElementKind::Plano, {{Dim1, 1}, {Dim4, 5}, {SX, 10}, {SY, 10}});
    add(table, ElementKind::Plano, {{Dim2, 1}, {Dim4, 5}, {SX, 10}, {SY, 10}});
    for (int i = 0; i < 100; ++i) {
        const double marks = i % 5 == 0 ? 1 : 0;
        add(table, i % 3,
            {{Dim1, 0.3},
             {Dim2, 0.5},
             {Dim3, 0.4},
             {X, -4 + 0.8 * (i % 10)},
             {Y, -4 + 0.8 * (i / 10)},
             {Z, 1 + 0.3 * (i % 7)},
             {Ang, 20.0 * i},
             {EixoX, 1},
             {EixoZ, 1},
             {Massa, 1},
             {ODEMove, 1},
             {TemGravidade, 1},
             {TipoDeColisao, i % 3},
             {Atrito, 0.4},
             {R, 40.0 + i},
             {G, 200},
             {B, 90},
             {UsaCor, 1},
             {MostraRastroSempre, marks},
             {MostraVecV, marks},
             {MostraVecA, marks},
             {MostraEixoRot, marks}});
    }
}

// One picture of the running preview as the window makes it: a sixtieth of a second of stepping,
// then the frame with every body moved and the marks, finished. The time is wall time.
void Preview_HundredBodiesFrame(benchmark::State& state)
{
    OffscreenGL gl(425, 425);
    if (!gl.isValid()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    RecordTable table;
    fillScene(table);
    ViewState view;
    SceneRenderer renderer(table, view);
    renderer.setUpView();
    SimWorld world(table, nullptr);
    renderer.setPreview(&world);
    world.advance(0.3); // bodies falling, the first ones landing
    for (int i = 0; i < 3; ++i)
        renderer.drawFrame();
    glFinish();
    for (auto _ : state) {
        world.advance(1.0 / 60);
        renderer.drawFrame();
        glFinish();
    }
}
BENCHMARK(Preview_HundredBodiesFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5)
    ->Repetitions(5)
    ->Apply(withLeastAndMost)
    ->ReportAggregatesOnly(true);

} // namespace
