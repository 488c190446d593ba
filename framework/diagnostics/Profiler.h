// The zone profiler: how often and how long named code zones run, counted in
// time-stamp ticks. While profiling is off a zone costs one test of a flag.
// While it is on, begin and end only append a fixed-size sample; the samples
// are folded into the zone table when the outermost zone ends, and the time
// spent folding is taken out of the total. A developer key starts it and, on
// the next press, stops it and shows ProfileReport.
//
// Main thread only: profiling belongs to the thread that started it, and zones
// that other threads (the loading thread) pass through are not counted.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace Lumo
{

extern std::atomic<bool> gProfilingOn;

bool IsProfiling();
// Clears the table, the samples, the nesting depth and the overhead, and turns
// profiling on unless keepOff; the total time counts from here.
void ProfileStart(bool keepOff);
// Folds what is buffered, turns profiling off and converts the times to milliseconds.
void ProfileStop();
// "Total Time: ..." and one line per zone in name order (letter case ignored).
std::string ProfileReport();
void ProfileFlushSamples();

// The profiling halves of the zone calls below.
void ProfileZoneBeginOn(const char* zoneName);
void ProfileZoneEndOn(const char* zoneName);

// zoneName must outlive the profiling run (a string literal).
inline void ProfileZoneBegin(const char* zoneName)
{
    if (gProfilingOn.load(std::memory_order_relaxed))
        ProfileZoneBeginOn(zoneName);
}
inline void ProfileZoneEnd(const char* zoneName)
{
    if (gProfilingOn.load(std::memory_order_relaxed))
        ProfileZoneEndOn(zoneName);
}

// Raises (false) or lowers (true, never below 0) the section depth; nothing reads it.
void ChangeSectionDepth(bool leaving);
int GetSectionDepth();

// One zone of the table, for the report and for tests.
struct ProfileZoneStats
{
    std::string name;   // as first seen
    int depth;          // begins not yet ended; above 0 after a stop: still open
    int calls;          // every begin, nested ones too
    int64_t totalTicks; // outermost begin to its matching end
    double totalMs;     // set by ProfileStop
    uint64_t longestTicks;
    double longestMs; // set by ProfileStop
};
std::vector<ProfileZoneStats> GetProfileZones();
// Milliseconds from ProfileStart to ProfileStop without the folding time.
double GetProfileTotalTime();

// Opens a zone for the lifetime of a scope, so every way out closes it.
class ProfileZone
{
public:
    explicit ProfileZone(const char* zoneName) : mName(zoneName) { ProfileZoneBegin(mName); }
    ~ProfileZone() { ProfileZoneEnd(mName); }
    ProfileZone(const ProfileZone&) = delete;
    ProfileZone& operator=(const ProfileZone&) = delete;

private:
    const char* mName;
};

} // namespace Lumo
