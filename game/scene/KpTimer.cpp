#include "game/scene/KpTimer.h"

void KpTimer::Start(int durationMs)
{
    mElapsedMs = 0;
    mDurationMs = durationMs > 0 ? durationMs : 0;
    mRunning = true;
}

void KpTimer::Advance(int ms)
{
    if (mRunning && ms > 0)
        mElapsedMs += ms;
}

float KpTimer::GetFraction() const
{
    if (mDurationMs <= 0 || mElapsedMs >= mDurationMs)
        return 1.0f;
    return (float)mElapsedMs / (float)mDurationMs;
}
