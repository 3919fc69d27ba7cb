#include "application.h"

#include <benchmark/benchmark.h>

// The main() of the benchmarks that need an application object: windows, widgets or an OpenGL
// context. The editor's own application class, so that a window measured runs as it does in use.
int main(int argc, char** argv)
{
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
