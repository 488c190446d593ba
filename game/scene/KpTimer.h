// A stopwatch on the game's update clock: started, advanced by the update's
// milliseconds, read as elapsed time or as the fraction of a duration. Whole
// milliseconds keep the arithmetic exact from run to run.
#pragma once

class KpTimer
{
public:
    // Starts from 0; a duration of 0 or less is expired at once.
    void Start(int durationMs);
    void Stop() { mRunning = false; }
    // Adds the milliseconds while running.
    void Advance(int ms);

    bool IsRunning() const { return mRunning; }
    bool IsExpired() const { return mElapsedMs >= mDurationMs; }
    int GetElapsedMs() const { return mElapsedMs; }
    int GetDurationMs() const { return mDurationMs; }
    float GetElapsedSeconds() const { return (float)mElapsedMs / 1000.0f; }
    // Elapsed over duration, 0 to 1 (1 when the duration is 0).
    float GetFraction() const;

private:
    int mElapsedMs = 0;
    int mDurationMs = 0;
    bool mRunning = false;
};
