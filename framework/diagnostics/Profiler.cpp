#include "framework/diagnostics/Profiler.h"

#include <windows.h>

#include <map>

#include "framework/app/StringUtils.h"
#include "framework/diagnostics/PerfTimer.h"

namespace Lumo
{

std::atomic<bool> gProfilingOn(false);

namespace
{

struct Sample
{
    const char* name;
    uint64_t stamp;
    bool begin;
};

struct ZoneRecord
{
    int depth = 0;
    int calls = 0;
    uint64_t start = 0; // stamp of the outermost open begin
    int64_t totalTicks = 0;
    double totalMs = 0;
    uint64_t longestTicks = 0;
    double longestMs = 0;
};

// ASCII letters compared without case, so the order does not hang on a locale.
int CompareNoCase(const char* a, const char* b)
{
    for (;; a++, b++)
    {
        unsigned char ca = (unsigned char)*a, cb = (unsigned char)*b;
        if (ca >= 'A' && ca <= 'Z')
            ca += 'a' - 'A';
        if (cb >= 'A' && cb <= 'Z')
            cb += 'a' - 'A';
        if (ca != cb || ca == 0)
            return (int)ca - (int)cb;
    }
}

struct NoCaseLess
{
    using is_transparent = void;
    bool operator()(const std::string& a, const std::string& b) const
    {
        return CompareNoCase(a.c_str(), b.c_str()) < 0;
    }
    bool operator()(const std::string& a, const char* b) const
    {
        return CompareNoCase(a.c_str(), b) < 0;
    }
    bool operator()(const char* a, const std::string& b) const
    {
        return CompareNoCase(a, b.c_str()) < 0;
    }
};

typedef std::map<std::string, ZoneRecord, NoCaseLess> ZoneTable;

ZoneTable gZones;
std::vector<Sample> gSamples; // never shrinks; the first gSampleCount slots are in use
size_t gSampleCount = 0;
int gNestingDepth = 0;
uint64_t gStartStamp = 0;
uint64_t gOverhead = 0; // ticks spent folding samples
double gTotalTime = 0;  // milliseconds, set by ProfileStop
bool gStopped = true;   // times are converted; a second stop changes nothing
DWORD gProfileThread = 0;
// Zones come back by the same name pointers: the last two found spare most
// table lookups. Records never move while the table lives; a start clears both.
const char* gCachedName[2] = {nullptr, nullptr};
ZoneRecord* gCachedZone[2] = {nullptr, nullptr};
std::atomic<int> gSectionDepth(0);

void AddSample(const char* name, bool begin)
{
    Sample sample = {name, ReadTimeStamp(), begin};
    if (gSampleCount < gSamples.size())
        gSamples[gSampleCount] = sample;
    else
        gSamples.push_back(sample);
    gSampleCount++;
}

} // namespace

bool IsProfiling()
{
    return gProfilingOn;
}

void ProfileStart(bool keepOff)
{
    gZones.clear();
    gCachedName[0] = gCachedName[1] = nullptr;
    gCachedZone[0] = gCachedZone[1] = nullptr;
    gSampleCount = 0;
    gNestingDepth = 0;
    gOverhead = 0;
    gTotalTime = 0;
    gStopped = false;
    gProfileThread = GetCurrentThreadId();
    gStartStamp = ReadTimeStamp();
    gProfilingOn = !keepOff;
}

void ProfileZoneBeginOn(const char* zoneName)
{
    if (!zoneName || GetCurrentThreadId() != gProfileThread)
        return;
    gNestingDepth++;
    AddSample(zoneName, true);
}

void ProfileZoneEndOn(const char* zoneName)
{
    // An end whose begin came before the start has nothing to close.
    if (!zoneName || GetCurrentThreadId() != gProfileThread || gNestingDepth <= 0)
        return;
    AddSample(zoneName, false);
    if (--gNestingDepth == 0)
        ProfileFlushSamples();
}

void ProfileFlushSamples()
{
    uint64_t noted = ReadTimeStamp();
    for (size_t i = 0; i < gSampleCount; i++)
    {
        const Sample& sample = gSamples[i];
        ZoneRecord* found = nullptr;
        if (sample.name == gCachedName[0])
            found = gCachedZone[0];
        else if (sample.name == gCachedName[1])
            found = gCachedZone[1];
        else
        {
            auto it = gZones.find(sample.name);
            if (it == gZones.end() && sample.begin)
                it = gZones.emplace(sample.name, ZoneRecord()).first;
            if (it != gZones.end())
            {
                found = &it->second;
                gCachedName[1] = gCachedName[0];
                gCachedZone[1] = gCachedZone[0];
                gCachedName[0] = sample.name;
                gCachedZone[0] = found;
            }
        }
        if (sample.begin)
        {
            found->calls++;
            if (++found->depth == 1)
                found->start = sample.stamp;
            continue;
        }
        // Unbalanced ends are ignored; every caller balances its zones.
        if (!found || found->depth <= 0)
            continue;
        ZoneRecord& zone = *found;
        if (--zone.depth == 0)
        {
            uint64_t ticks = sample.stamp - zone.start;
            zone.totalTicks += (int64_t)ticks;
            if (zone.longestTicks < ticks)
                zone.longestTicks = ticks;
        }
    }
    gSampleCount = 0;
    gOverhead += ReadTimeStamp() - noted;
}

void ProfileStop()
{
    if (gStopped)
        return;
    uint64_t endStamp = ReadTimeStamp();
    ProfileFlushSamples();
    gProfilingOn = false;
    gStopped = true;

    double rate = (double)PerfTimer::GetCpuSpeed();
    int64_t ticks = (int64_t)(endStamp - gStartStamp - gOverhead);
    gTotalTime = (ticks > 0 ? (double)ticks : 0.0) * 1000.0 / rate;
    for (auto& entry : gZones)
    {
        ZoneRecord& zone = entry.second;
        zone.totalMs = (double)zone.totalTicks * 1000.0 / rate;
        zone.longestMs = 1000.0 * (double)zone.longestTicks / rate;
    }
}

std::string ProfileReport()
{
    std::string report = StrFormat("Total Time: %.2f\n", gTotalTime);
    for (const auto& entry : gZones)
    {
        const ZoneRecord& zone = entry.second;
        double share = gTotalTime > 0 ? 100.0 * zone.totalMs / gTotalTime : 0.0;
        double average = zone.calls > 0 ? zone.totalMs / zone.calls : 0.0;
        report += StrFormat("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)%s\n",
                            entry.first.c_str(), zone.calls, share, zone.totalMs, average,
                            zone.longestMs, zone.depth > 0 ? " [open]" : "");
    }
    return report;
}

std::vector<ProfileZoneStats> GetProfileZones()
{
    std::vector<ProfileZoneStats> zones;
    for (const auto& entry : gZones)
    {
        const ZoneRecord& z = entry.second;
        zones.push_back(
            {entry.first, z.depth, z.calls, z.totalTicks, z.totalMs, z.longestTicks, z.longestMs});
    }
    return zones;
}

double GetProfileTotalTime()
{
    return gTotalTime;
}

void ChangeSectionDepth(bool leaving)
{
    if (!leaving)
    {
        gSectionDepth++;
        return;
    }
    int depth = gSectionDepth.load();
    while (depth > 0 && !gSectionDepth.compare_exchange_weak(depth, depth - 1))
    {
    }
}

int GetSectionDepth()
{
    return gSectionDepth.load();
}

} // namespace Lumo
