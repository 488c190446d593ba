#include "framework/diagnostics/Profiler.h"

#include <atomic>

namespace Lumo
{

static std::atomic<int> gSectionDepth(0);

void ProfileZoneBegin(const char*) {}

void ProfileZoneEnd(const char*) {}

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
