// An application object without a window for the loop and settings tests:
// a manual clock that moves only when the loop sleeps or waits, and a draw
// step that counts instead of presenting.
#pragma once

#include "framework/app/LumoAppBase.h"
#include "framework/widgets/Widget.h"

#include <cmath>
#include <vector>

namespace AppTest
{

struct ManualClock
{
    static DWORD now;
    static int sleeps;
    static int waits;
    static DWORD Now() { return now; }
    static void Sleep(DWORD ms)
    {
        now += ms;
        sleeps++;
    }
    static void WaitInput(DWORD ms)
    {
        now += ms;
        waits++;
    }
    static void Reset()
    {
        now = 100000;
        sleeps = 0;
        waits = 0;
    }
};

class TestApp : public Lumo::LumoAppBase
{
public:
    TestApp()
    {
        ManualClock::Reset();
        mClock.now = ManualClock::Now;
        mClock.sleep = ManualClock::Sleep;
        mClock.waitInput = ManualClock::WaitInput;
        mRegKey.clear();
    }

    // Presents at once, or at the next refresh when a refresh period is set.
    bool DrawDirtyStuff() override
    {
        draws.push_back(mUpdateCount);
        if (vblankPeriod > 0)
        {
            // Blocks until the next refresh, as a waiting flip does.
            if (nextVblank == 0)
                nextVblank = ManualClock::now;
            while (nextVblank <= ManualClock::now)
                nextVblank += vblankPeriod;
            ManualClock::now = (DWORD)std::ceil(nextVblank);
        }
        mUpdatedSinceDraw = false;
        mLastDrawSkipped = false;
        AccumulateFrameTime();
        return true;
    }

    void OnKeyUp(int key) override { keysUp.push_back(key); }

    void Shutdown() override
    {
        shutdownCalls++;
        if (!refuseShutdown)
            LumoAppBase::Shutdown();
    }

    // Steps until the manual clock has moved by `ms`; false when it never did.
    bool RunFor(DWORD ms)
    {
        DWORD start = ManualClock::now;
        DWORD seen = ManualClock::now;
        int still = 0;
        for (int i = 0; i < 200000; i++)
        {
            if (ManualClock::now - start >= ms)
                return true;
            bool updated;
            StepApp(updated);
            // A loop that owes less than a millisecond spins; real time moves meanwhile.
            if (ManualClock::now == seen && ++still >= 50)
            {
                ManualClock::now++;
                still = 0;
            }
            seen = ManualClock::now;
        }
        return false;
    }

    std::vector<int> draws; // update count at every draw
    std::vector<int> keysUp;
    double vblankPeriod = 0;
    double nextVblank = 0;
    int shutdownCalls = 0;
    bool refuseShutdown = false;
};

// A widget that reports its deletion.
class TrackedWidget : public Lumo::Widget
{
public:
    explicit TrackedWidget(bool* deleted) : mDeleted(deleted) {}
    ~TrackedWidget() override { *mDeleted = true; }
    bool* mDeleted;
};

} // namespace AppTest
