#include "game/gameplay/GameDeadline.h"

#include <cmath>

namespace
{
int64_t gGameTimeMs = 0; // main thread only
} // namespace

int64_t KpGameClock::Now()
{
    return gGameTimeMs;
}

void KpGameClock::Advance(int ms)
{
    if (ms > 0)
        gGameTimeMs += ms;
}

void KpGameClock::Set(int64_t ms)
{
    gGameTimeMs = ms;
}

void GameDeadline::Set(float seconds)
{
    // NaN or a negative length is an expiry in the past: nothing runs.
    int64_t ms = 0;
    if (std::isfinite(seconds) && seconds > 0.0f)
        ms = std::llround(std::fmin(double(seconds), 1.0e9) * 1000.0);
    mExpiryMs = KpGameClock::Now() + ms;
}

bool GameDeadline::IsRunning() const
{
    return KpGameClock::Now() < mExpiryMs;
}
