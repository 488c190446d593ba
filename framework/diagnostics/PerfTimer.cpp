#include "framework/diagnostics/PerfTimer.h"

#include <windows.h>
#include <x86intrin.h>

namespace Lumo
{

namespace
{

int64_t SystemCounter()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

int64_t SystemFrequency()
{
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value))
        return 0;
    return value.QuadPart;
}

uint64_t SystemTimeStamp()
{
    return __rdtsc();
}

const PerfClock kSystemClock = {SystemCounter, SystemFrequency, SystemTimeStamp};
PerfClock gClock = kSystemClock;
int64_t gCpuSpeed = 0; // time-stamp ticks per second; 0 until calibrated

int64_t Calibrate()
{
    HANDLE thread = GetCurrentThread();
    int priority = GetThreadPriority(thread);
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);

    int64_t rate = 0;
    int64_t frequency = gClock.frequency();
    if (frequency != 0)
    {
        int64_t target = gClock.counter() + frequency / 100;
        uint64_t first = gClock.timeStamp();
        while (gClock.counter() < target)
        {
        }
        uint64_t last = gClock.timeStamp();
        rate = (int64_t)(last - first) * 100;
    }

    SetThreadPriority(thread, priority);
    return rate;
}

} // namespace

void SetPerfClock(const PerfClock* clock)
{
    gClock = clock ? *clock : kSystemClock;
    gCpuSpeed = 0;
}

uint64_t ReadTimeStamp()
{
    return gClock.timeStamp();
}

PerfTimer::PerfTimer() : mStart(0), mDuration(0), mRunning(false) {}

void PerfTimer::Start()
{
    mRunning = true;
    mStart = gClock.counter();
}

void PerfTimer::Stop()
{
    if (!mRunning)
        return;
    Measure();
    mRunning = false;
}

double PerfTimer::GetDuration()
{
    if (mRunning)
        Measure();
    return mDuration;
}

void PerfTimer::Measure()
{
    int64_t frequency = gClock.frequency();
    if (frequency <= 0)
    {
        mDuration = 0;
        return;
    }
    mDuration = (double)((gClock.counter() - mStart) * 1000) / (double)frequency;
}

int64_t PerfTimer::GetCpuSpeed()
{
    if (gCpuSpeed <= 0)
    {
        gCpuSpeed = Calibrate();
        // The profiler divides by it.
        if (gCpuSpeed <= 0)
            gCpuSpeed = 1;
    }
    return gCpuSpeed;
}

} // namespace Lumo
