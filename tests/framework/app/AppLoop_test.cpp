// The main loop's pacing, lag cap, multiplier, vsync pacing and deferred
// deletes, on a manual clock.
#include "tests/framework/app/AppTestApp.h"

#include "framework/graphics/DDInterface.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/WidgetManager.h"

#include <gtest/gtest.h>

using namespace AppTest;

DWORD ManualClock::now = 100000;
int ManualClock::sleeps = 0;
int ManualClock::waits = 0;

TEST(AppLoop, RunsOneHundredUpdatesPerSecond)
{
    TestApp app;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(1000));
    EXPECT_NEAR(app.mUpdateCount, 100, 1);
    ASSERT_TRUE(app.RunFor(9000));
    EXPECT_NEAR(app.mUpdateCount, 1000, 1);
    EXPECT_GT(app.draws.size(), 0u);
}

TEST(AppLoop, MultiplierTwoHalvesTheUpdatePeriod)
{
    TestApp app;
    app.mUpdateMultiplier = 2.0;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(1000));
    EXPECT_NEAR(app.mUpdateCount, 200, 2);
}

TEST(AppLoop, StallCatchesUpAtMostTwoHundredMilliseconds)
{
    TestApp app;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(500));
    int before = app.mUpdateCount;
    ManualClock::now += 5000; // a debugger stop or a dragged window
    int sleeps = ManualClock::sleeps;
    for (int i = 0; i < 10000 && ManualClock::sleeps == sleeps; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    EXPECT_LE(app.mUpdateCount - before, 20);
    EXPECT_GE(app.mUpdateCount - before, 19);
}

TEST(AppLoop, AtMostTenUpdatesBetweenDrawsOnceLoaded)
{
    TestApp app;
    app.mLoadingCompleted = true;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(100));
    ManualClock::now += 1000;
    size_t firstDraw = app.draws.size();
    ASSERT_TRUE(app.RunFor(200));
    ASSERT_GT(app.draws.size(), firstDraw + 1);
    for (size_t i = firstDraw + 1; i < app.draws.size(); i++)
        EXPECT_LE(app.draws[i] - app.draws[i - 1], 10) << "between draws " << i - 1 << " and " << i;

    TestApp fast;
    fast.mLoadingCompleted = true;
    fast.mUpdateMultiplier = 2.0;
    fast.ResetFrameTiming();
    ASSERT_TRUE(fast.RunFor(100));
    ManualClock::now += 1000;
    firstDraw = fast.draws.size();
    ASSERT_TRUE(fast.RunFor(200));
    int most = 0;
    for (size_t i = firstDraw + 1; i < fast.draws.size(); i++)
        most = std::max(most, fast.draws[i] - fast.draws[i - 1]);
    // ceil(10 x 2.0) caps the burst; the draw takes the last count.
    EXPECT_LE(most, 20);
    EXPECT_GT(most, 10);
}

TEST(AppLoop, VSyncAtSixtyHertzRunsFiveUpdatesPerThreeFrames)
{
    TestApp app;
    app.mVSyncWanted = true;
    app.mRefreshRate = 60;
    app.mIsPhysWindowed = false; // full screen: the refresh paces the loop
    app.vblankPeriod = 1000.0 / 60;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(1000));
    EXPECT_NEAR(app.mUpdateCount, 100, 3);
    EXPECT_NEAR((double)app.draws.size(), 60, 2);
    EXPECT_FALSE(app.mVSyncBroken);
}

TEST(AppLoop, RefreshThatDoesNotWaitBreaksVSyncAndTimerPacingTakesOver)
{
    TestApp app;
    app.mVSyncWanted = true;
    app.mRefreshRate = 60;
    app.mIsPhysWindowed = false;
    app.ResetFrameTiming();
    // Presents return at once, as flips do under Wine.
    for (int i = 0; i < 20000 && !app.mVSyncBroken; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    ASSERT_TRUE(app.mVSyncBroken);
    // Four checks of 100 paced updates each (1.67 updates a frame in all).
    EXPECT_LE(app.mUpdateCount, 700);
    int before = app.mUpdateCount;
    ASSERT_TRUE(app.RunFor(1000));
    EXPECT_NEAR(app.mUpdateCount - before, 100, 3);
}

TEST(AppLoop, WindowedSixtyHertzSleepsTheLastFractionOfAMillisecond)
{
    // vsync wanted but not usable in a window: timer pacing at 16.67 ms a frame.
    TestApp app;
    app.mVSyncWanted = true;
    app.mRefreshRate = 60;
    app.ResetFrameTiming();
    int stepsWithoutTime = 0, most = 0;
    DWORD seen = ManualClock::now;
    for (int i = 0; i < 5000; i++)
    {
        bool updated;
        app.StepApp(updated);
        stepsWithoutTime = ManualClock::now == seen ? stepsWithoutTime + 1 : 0;
        most = std::max(most, stepsWithoutTime);
        seen = ManualClock::now;
    }
    // A frame is a pump, an update, a pump, a draw, a pump and a sleep; a loop
    // that owes less than a millisecond must sleep it, not step on and on.
    EXPECT_LE(most, 8);
    EXPECT_NEAR((double)app.mUpdateCount / ((ManualClock::now - 100000) / 1000.0), 100, 3);
}

TEST(AppLoop, MultiplierZeroStillHandlesInputWithoutSpinning)
{
    TestApp app;
    app.mUpdateMultiplier = 0;
    bool deleted = false;
    app.DeferDelete(new TrackedWidget(&deleted));
    for (int i = 0; i < 10; i++)
    {
        bool updated;
        ASSERT_TRUE(app.StepApp(updated));
    }
    app.QueueMessage(nullptr, WM_KEYUP, 'A', 0);
    for (int i = 0; i < 10; i++)
    {
        bool updated;
        ASSERT_TRUE(app.StepApp(updated));
    }
    ASSERT_EQ(app.keysUp.size(), 1u);
    EXPECT_EQ(app.keysUp[0], 'A');
    EXPECT_EQ(app.mUpdateCount, 0);
    EXPECT_TRUE(deleted);
    // Every paced step waited for input instead of returning at once.
    EXPECT_GE(ManualClock::waits, 9);
}

TEST(AppLoop, DemoPauseStillHandlesInput)
{
    TestApp app;
    app.mDemoPause = true;
    for (int i = 0; i < 4; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    app.QueueMessage(nullptr, WM_KEYUP, 'Q', 0);
    for (int i = 0; i < 4; i++)
    {
        bool updated;
        app.StepApp(updated);
    }
    EXPECT_EQ(app.keysUp.size(), 1u);
    EXPECT_EQ(app.mUpdateCount, 0);
    EXPECT_GT(ManualClock::waits, 0);
}

TEST(AppLoop, RefusedShutdownRequestIsNotRetriedEveryStep)
{
    TestApp app;
    app.refuseShutdown = true;
    app.mShutdownRequested = true;
    app.ResetFrameTiming();
    ASSERT_TRUE(app.RunFor(100));
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_FALSE(app.mShutdown);
}

TEST(AppLoop, ShutdownFromAnotherThreadRunsOnTheMainThread)
{
    TestApp app;
    app.mPrimaryThreadId = GetCurrentThreadId() + 1; // we play another thread
    app.LumoAppBase::Shutdown();
    EXPECT_TRUE(app.mShutdownRequested);
    EXPECT_FALSE(app.mShutdown);
    app.mPrimaryThreadId = GetCurrentThreadId();
    bool updated;
    app.StepApp(updated); // pump
    app.StepApp(updated); // pace: the request is served here
    EXPECT_TRUE(app.mShutdown);
    EXPECT_FALSE(app.StepApp(updated));
}

namespace
{

// A modal dialog that removes itself on its third update, from inside the
// wait that shows it.
class SelfClosingDialog : public Lumo::Dialog
{
public:
    explicit SelfClosingDialog(bool* deleted)
        : Dialog(nullptr, nullptr, 9, true, L"", L"", L"", Lumo::BUTTONS_NONE), mDeleted(deleted)
    {
        Resize(0, 0, 100, 60);
    }
    ~SelfClosingDialog() override { *mDeleted = true; }
    void Update() override
    {
        Dialog::Update();
        if (++mUpdates == 3)
            gLumoApp->KillDialog(mId);
    }

private:
    bool* mDeleted;
    int mUpdates = 0;
};

// A key press shows the dialog and waits for it, inside the step that
// handles the key; every step is the application's own.
class WaitingApp : public TestApp
{
public:
    WaitingApp(bool* deleted, bool* deletedInWait)
        : mDeleted(deleted), mDeletedInWait(deletedInWait)
    {
    }
    void OnKeyUp(int) override
    {
        AddDialog(9, new SelfClosingDialog(mDeleted));
        GetDialog(9)->WaitForResult(false);
        *mDeletedInWait = *mDeleted;
        waited = true;
    }
    // The real step; the manual clock moves on when a step owes less than a
    // millisecond, and a wait that never ends fails instead of hanging.
    bool StepApp(bool& updated) override
    {
        if (++steps > 100000)
            return false;
        DWORD before = ManualClock::now;
        bool result = LumoAppBase::StepApp(updated);
        if (ManualClock::now == before && steps % 50 == 0)
            ManualClock::now++;
        return result;
    }
    bool* mDeleted;
    bool* mDeletedInWait;
    bool waited = false;
    int steps = 0;
};

} // namespace

TEST(AppLoop, DialogDeletedInsideItsOwnWaitLivesUntilTheWaitHasReturned)
{
    bool deleted = false, deletedInWait = false;
    WaitingApp app(&deleted, &deletedInWait);
    app.ResetFrameTiming();
    app.QueueMessage(nullptr, WM_KEYUP, 'D', 0);
    ASSERT_TRUE(app.RunFor(200));
    ASSERT_TRUE(app.waited);
    EXPECT_FALSE(deletedInWait);
    EXPECT_TRUE(deleted); // by the steps after the wait
    EXPECT_EQ(nullptr, app.GetDialog(9));
}

TEST(AppLoop, DeferredDeleteRule)
{
    EXPECT_TRUE(Lumo::DeferredDeleteIsDue(0, 0));
    EXPECT_TRUE(Lumo::DeferredDeleteIsDue(1, 1));
    EXPECT_TRUE(Lumo::DeferredDeleteIsDue(2, 1));
    EXPECT_FALSE(Lumo::DeferredDeleteIsDue(2, 2));
    EXPECT_FALSE(Lumo::DeferredDeleteIsDue(1, 2));
    EXPECT_TRUE(Lumo::DeferredDeleteIsDue(3, 2));
}

TEST(AppLoop, LoadingProgress)
{
    TestApp app;
    EXPECT_EQ(app.GetLoadingProgress(), 0.0);
    app.mLoadingThreadStarted = true;
    EXPECT_EQ(app.GetLoadingProgress(), 0.0); // total 0
    app.mLoadingTotal = 4;
    app.mLoadingDone = 1;
    EXPECT_EQ(app.GetLoadingProgress(), 0.25);
    app.mLoadingDone = 9;
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
    app.mLoadingDone = 0;
    app.mLoadingCompleted = true;
    EXPECT_EQ(app.GetLoadingProgress(), 1.0);
    app.mLoadingThreadStarted = false;
}

TEST(AppLoop, LoadingThreadCompletionCallsTheHookOnce)
{
    struct LoadingApp : TestApp
    {
        int completed = 0;
        void LoadingCompleted() override { completed++; }
    } app;
    app.mLoadingThreadStarted = true;
    app.mLoadingThreadFinished = true;
    app.mYieldMainThread = true;
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_EQ(app.completed, 1);
    EXPECT_TRUE(app.mLoadingCompleted);
    EXPECT_FALSE(app.mYieldMainThread);
    EXPECT_EQ(app.mUpdateCount, 2);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

TEST(AppLoop, IdlePauseStopsUpdates)
{
    TestApp app;
    gIdlePause = true;
    EXPECT_FALSE(app.DoUpdateFrames());
    gIdlePause = false;
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_EQ(app.mUpdateCount, 1);
}

TEST(AppLoop, UpdatesThatLeaveSomethingDirtyAreCounted)
{
    TestApp app;
    app.mWidgetManager->mDirty = false;
    EXPECT_TRUE(app.DoUpdateFrames()); // nothing to draw
    app.mWidgetManager->mDirty = true;
    EXPECT_TRUE(app.DoUpdateFrames());
    app.mMinimized = true; // no widget is updated
    EXPECT_TRUE(app.DoUpdateFrames());
    EXPECT_EQ(app.mUpdateCount, 3);
    EXPECT_EQ(app.GetDirtyUpdateCount(), 1);
}

TEST(AppLoop, FatalDisplayLossShutsDownWithoutTheGamesQuestion)
{
    TestApp app;
    // A display that was never initialised fails every present.
    app.mDDInterface = new Lumo::DDInterface(&app);
    app.mScreenSaver = true; // the box goes to the error file, not the screen
    app.mHasFocus = true;
    app.mIsWindowed = true;           // windowed asked for ...
    app.mWindowedFallbackDone = true; // ... after full screen had failed
    app.mWidth = GetSystemMetrics(SM_CXSCREEN);
    app.Redraw(nullptr);
    EXPECT_TRUE(gDisplayLost);
    EXPECT_TRUE(app.mShutdown);
    EXPECT_EQ(app.shutdownCalls, 0); // the framework's own shutdown, no quit question
    EXPECT_FALSE(app.mInRedrawRecovery);
    gDisplayLost = false;
    remove("ScrError.txt");
}
