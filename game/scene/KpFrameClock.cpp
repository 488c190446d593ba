#include "game/scene/KpFrameClock.h"

#include "game/engine/KpEngine.h"

namespace
{
int gFrameTimeOverride = 0; // main thread only
}

int KpFrameTimeMs()
{
    if (gFrameTimeOverride > 0)
        return gFrameTimeOverride;
    // Before the first update (or without an engine) one update is 10 ms.
    if (gEngine && gEngine->mCurrentFrameTime > 0)
        return gEngine->mCurrentFrameTime;
    return 10;
}

void KpSetFrameTimeOverride(int milliseconds)
{
    gFrameTimeOverride = milliseconds > 0 ? milliseconds : 0;
}
