// The game clock and deadlines on it. Game time is the level's own time: the
// board advances it by the update's milliseconds while the level runs and is
// not paused, so a deadline holds still through pauses, dialogs and modal
// boxes, and a recorded demo replays it exactly. Tests set it directly.
#pragma once

#include <cstdint>

class KpGameClock
{
public:
    // Milliseconds of game time since the run began.
    static int64_t Now();
    static void Advance(int ms);
    // Tests: puts the clock at a time.
    static void Set(int64_t ms);
};

class GameDeadline
{
public:
    // Expiry = game time + seconds.
    void Set(float seconds);
    // True while the game time is below the expiry (false before any Set).
    bool IsRunning() const;
    int64_t GetExpiry() const { return mExpiryMs; }

private:
    int64_t mExpiryMs = 0; // game time, ms
};
