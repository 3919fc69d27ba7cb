#pragma once

// The least and the most of a benchmark's repetitions, reported beside their median:
// `->Apply(withLeastAndMost)`.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

inline void withLeastAndMost(benchmark::internal::Benchmark* bench)
{
    bench->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
    bench->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });
}
