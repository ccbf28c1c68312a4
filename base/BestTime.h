#pragma once
// For the benchmarks: the best wall-clock time of several runs of a piece of work, in seconds.
#include <algorithm>
#include <chrono>

template <typename F>
double BestTime(int runs, F work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}
