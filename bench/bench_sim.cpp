#include "benchstats.h"
#include "simbench.h"
#include "simworld.h"

#include <benchmark/benchmark.h>

namespace {

// A floor and four walls, x and y within +-3, and `count` balls of radius 0.2 in layers of 100
// above it, a little off a regular grid so that the piles do not balance on their tops.
void fillBox(RecordTable& table, int count)
{
    using namespace SceneField;
    defineSceneFields(table);
    table.createDataSet();
    add(table, ElementKind::Plano, {{Dim3, 1}});
    add(table, ElementKind::Plano, {{Dim1, 1}, {Dim4, 3}});
    add(table, ElementKind::Plano, {{Dim1, 1}, {Dim4, -3}});
    add(table, ElementKind::Plano, {{Dim2, 1}, {Dim4, 3}});
    add(table, ElementKind::Plano, {{Dim2, 1}, {Dim4, -3}});
    for (int i = 0; i < count; ++i) {
        const double jitter = 0.01 * (i % 7);
        add(table, ElementKind::Esfera,
            {{Dim1, 0.2},
             {X, -2.25 + 0.5 * (i % 10) + jitter},
             {Y, -2.25 + 0.5 * (i / 10 % 10)},
             {Z, 1 + 0.5 * (i / 100)},
             {Massa, 1},
             {ODEMove, 1},
             {TemGravidade, 1},
             {TipoDeColisao, i % 3},
             {Atrito, 0.3}});
    }
}

// 10 simulated seconds of 1000 balls, stepping only. Faster than real time
// means under 10 s per iteration.
void Sim_ThousandBallsTenSeconds(benchmark::State& state)
{
    RecordTable table;
    fillBox(table, 1000);
    for (auto _ : state) {
        SimWorld world(table, nullptr);
        world.advance(10);
        benchmark::DoNotOptimize(world.state(5).centre);
    }
}
BENCHMARK(Sim_ThousandBallsTenSeconds)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->Apply(withLeastAndMost)
    ->ReportAggregatesOnly(true);

// What one drawn frame at 60 per second asks of the engine with 100 balls in motion.
void Sim_HundredBodiesFrame(benchmark::State& state)
{
    RecordTable table;
    fillBox(table, 100);
    SimWorld world(table, nullptr);
    world.advance(0.5); // falling and meeting each other
    for (auto _ : state)
        world.advance(1.0 / 60);
}
BENCHMARK(Sim_HundredBodiesFrame)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->Apply(withLeastAndMost)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
