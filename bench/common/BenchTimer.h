#pragma once
// Timing and reporting shared by the benchmark programs: the Windows ones built
// into the tree and their native pixman counterparts that run.sh builds with the
// host compiler, so this stays plain header-only C++ with no project includes.

#include <cstdio>
#include <functional>

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace BenchTimer
{

// Seconds on a monotonic clock.
inline double Now()
{
#ifdef _WIN32
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
#else
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
#endif
}

// Best seconds per call after one warm-up call, over at least minSeconds in
// total and minRuns calls.
inline double Best(const std::function<void()>& fn, double minSeconds, int minRuns)
{
    fn();
    double best = 1e9, total = 0;
    int runs = 0;
    while (total < minSeconds || runs < minRuns)
    {
        const double t0 = Now();
        fn();
        const double dt = Now() - t0;
        best = dt < best ? dt : best;
        total += dt;
        runs++;
    }
    return best;
}

// One "RESULT <op> <w>x<h> <Mpx/s>" line for run.sh.
inline void ReportMpx(const char* op, int w, int h, double seconds)
{
    printf("RESULT %s %dx%d %.1f\n", op, w, h, (double)w * h / seconds / 1e6);
}

} // namespace BenchTimer
