// Cost of a profiling zone in time-stamp ticks per begin/end pair: with
// profiling off beside an empty loop of the same length in the same run (the
// off cost should not be measurable), and with it on, for an outermost zone
// (its end folds the samples into the table) and for a zone nested in an open
// one (begin and end only append). Prints "RESULT <case> <ticks>" lines for
// run.sh; each figure is the best of several runs, and the cost of one
// time-stamp read gives the scale of the figures with profiling on.

#include <x86intrin.h>

#include <cstdio>
#include <functional>

#include "framework/diagnostics/Profiler.h"

using namespace Lumo;

namespace
{

// Keeps the compiler from removing or merging the loop's iterations.
inline void Barrier()
{
    asm volatile("" ::: "memory");
}

// Best ticks per iteration over `runs` runs of `count` iterations.
double BestTicks(int runs, int count, const std::function<void(int)>& run)
{
    double best = 1e30;
    for (int r = 0; r < runs; r++)
    {
        unsigned long long start = __rdtsc();
        run(count);
        double ticks = (double)(__rdtsc() - start) / count;
        best = ticks < best ? ticks : best;
    }
    return best;
}

void EmptyLoop(int count)
{
    for (int i = 0; i < count; i++)
        Barrier();
}

void TimeStamps(int count)
{
    for (int i = 0; i < count; i++)
    {
        __rdtsc();
        Barrier();
    }
}

void ZonePairs(int count)
{
    for (int i = 0; i < count; i++)
    {
        ProfileZoneBegin("Bench::Zone");
        ProfileZoneEnd("Bench::Zone");
        Barrier();
    }
}

} // namespace

int main()
{
    const int kOffCount = 20000000, kOnCount = 200000, kRuns = 7;

    // Interleaved, so both see the same clock and cache conditions.
    double empty = 1e30, off = 1e30;
    for (int round = 0; round < 3; round++)
    {
        double e = BestTicks(kRuns, kOffCount, EmptyLoop);
        double o = BestTicks(kRuns, kOffCount, ZonePairs);
        empty = e < empty ? e : empty;
        off = o < off ? o : off;
    }

    double outermost = BestTicks(kRuns, kOnCount,
                                 [](int count)
                                 {
                                     ProfileStart(false);
                                     ZonePairs(count);
                                     ProfileStop();
                                 });
    double nested = BestTicks(kRuns, kOnCount,
                              [](int count)
                              {
                                  ProfileStart(false);
                                  ProfileZoneBegin("Bench::Outer");
                                  ZonePairs(count);
                                  ProfileZoneEnd("Bench::Outer");
                                  ProfileStop();
                              });

    printf("RESULT rdtsc %.1f\n", BestTicks(kRuns, kOnCount, TimeStamps));
    printf("RESULT empty_loop %.3f\n", empty);
    printf("RESULT pair_off %.3f\n", off);
    printf("RESULT pair_on_outermost %.1f\n", outermost);
    printf("RESULT pair_on_nested %.1f\n", nested);
    return 0;
}
