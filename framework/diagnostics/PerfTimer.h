// Lumo::PerfTimer measures wall-clock intervals in milliseconds on the
// high-resolution performance counter, and calibrates once per run how fast
// the processor's time-stamp counter ticks, which is the unit the zone
// profiler counts in. Both counters are read through one clock record, so a
// test can replace them with counters it drives itself.
#pragma once

#include <cstdint>

namespace Lumo
{

// Where the timers read their counters.
struct PerfClock
{
    int64_t (*counter)();    // performance counter
    int64_t (*frequency)();  // performance counter ticks per second; 0 = no counter
    uint64_t (*timeStamp)(); // processor time-stamp counter
};

// Null restores the system's counters. Either way the calibrated rate is
// forgotten, so the next GetCpuSpeed calibrates against the new clock.
void SetPerfClock(const PerfClock* clock);

// The time-stamp counter as the profiler reads it.
uint64_t ReadTimeStamp();

class PerfTimer
{
public:
    PerfTimer();

    void Start();
    // Measures the interval since Start when running.
    void Stop();
    // Milliseconds of the last interval; measured afresh (without stopping) while running.
    double GetDuration();

    // Time-stamp ticks per second, calibrated on first use against 10 ms of the
    // performance counter at raised thread priority; never 0 (1 on a machine
    // without a performance counter).
    static int64_t GetCpuSpeed();

private:
    void Measure();

    int64_t mStart;   // performance counter at Start
    double mDuration; // milliseconds
    bool mRunning;
};

} // namespace Lumo
