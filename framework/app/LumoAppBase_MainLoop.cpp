// The main loop: message pump, fixed-rate logic updates, frame pacing,
// deferred deletes, the loading thread and the run statistics.
//
// Contents: RunMainLoop, LoopUntilShutdown, UpdateUntilTick, StepApp,
// PaceFrame, DoUpdateFrames, UpdateOnce, deferred deletes, frame timing,
// the loading thread.
#include "framework/app/LumoAppBase.h"
#include "framework/app/MusicInterface.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/diagnostics/Profiler.h"

#include <mmsystem.h>
#include <process.h>

#include <cmath>
#include <cstdio>

namespace Lumo
{

static void DebugOut(const char* format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    _vsnprintf(text, sizeof(text) - 1, format, args);
    va_end(args);
    text[sizeof(text) - 1] = 0;
    OutputDebugStringA(text);
}

// ---------------------------------------------------------------- the run

void LumoAppBase::RunMainLoop()
{
    if (mShutdown)
        return;

    StartCursorThread();
    if (mStartLoadingThread)
        StartLoadingThread();

    if (mHWnd)
    {
        ShowWindow(mHWnd, SW_SHOW);
        SetFocus(mHWnd);
    }
    timeBeginPeriod(1);

    DWORD start = mClock.now();
    mMainLoopStart = start;
    mInMainLoop = true;
    mLastModeChange = start;
    mLastInputTime = start;
    mLastTimerTick = start;

    LoopUntilShutdown();

    ProcessDeferredDeletes();
    mInMainLoop = false;
    WaitForLoadingThread();

    DWORD elapsed = mClock.now() - start;
    DebugOut("Seconds       = %g\r\n", elapsed / 1000.0);
    DebugOut("Sleep Count   = %d\r\n", mSleepCount);
    DebugOut("Update Count  = %d\r\n", mUpdateCount);
    DebugOut("Draw Count    = %d\r\n", mDrawCount);
    DebugOut("Draw Time     = %d\r\n", mDrawTime);
    DebugOut("Screen Blt    = %d\r\n", mScreenBltTime);
    if (mDrawTime + mScreenBltTime > 0)
        DebugOut("Avg FPS       = %d\r\n", mDrawCount * 1000 / (mDrawTime + mScreenBltTime));

    timeEndPeriod(1);
    BeforeExit();
    SaveSettings();
}

void LumoAppBase::LoopUntilShutdown()
{
    while (!mShutdown)
    {
        mBreakLoops = false;
        UpdateUntilTick();
    }
}

bool LumoAppBase::UpdateUntilTick()
{
    for (;;)
    {
        bool updated = false;
        if (!StepApp(updated))
            return false;
        if (updated)
            return true;
    }
}

bool LumoAppBase::StepApp(bool& updated)
{
    updated = false;
    if (mBreakLoops)
        return false;

    if (mStepState == STEP_END)
        mStepState = STEP_PUMP;
    mNestingDepth++;

    if (mStepState == STEP_PUMP)
    {
        MSG msg;
        while (!mShutdown)
        {
            BOOL got = mUnicodeWindow ? PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)
                                      : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
            if (!got)
                break;
            TranslateMessage(&msg);
            if (mUnicodeWindow)
                DispatchMessageW(&msg);
            else
                DispatchMessageA(&msg);
        }
        // Input of this update that the recording handed out in a later step
        // keeps the pump going: no update comes between.
        bool inputLeft = ReplayDemoEvents();
        if (!ProcessQueuedMessages(true) && !inputLeft)
            mStepState = STEP_UPDATE;
    }
    else
    {
        int before = mUpdateCount;
        PaceFrame(true);
        updated = (mUpdateCount != before);
    }

    mNestingDepth--;
    return true;
}

// ---------------------------------------------------------------- pacing

bool LumoAppBase::PaceFrame(bool allowSleep)
{
    if (mShutdownRequested)
    {
        // Cleared first: a refused shutdown must not come back on every step.
        mShutdownRequested = false;
        Shutdown();
    }

    bool vsyncUsable = !mPlayingDemo && mVSyncWanted && !mLastDrawSkipped && !mVSyncBroken &&
                       (!mIsPhysWindowed || mWaitForVSync);

    double drawPeriod;
    float updateStep;
    if (mVSyncWanted)
    {
        drawPeriod = 1000.0 / mRefreshRate / mUpdateMultiplier;
        updateStep = (float)(1000.0 / (mFrameTime * mRefreshRate));
    }
    else
    {
        drawPeriod = mFrameTime / mUpdateMultiplier;
        updateStep = 1.0f;
    }

    if (ReplayHoldsInput() && (mDemoFastForwardTarget >= 0 || mDemoRunToEnd))
    {
        // Run-to-end stops at the recording's last update, as any target does.
        int target = mDemoRunToEnd ? mDemoLastUpdate : mDemoFastForwardTarget;
        if (target > mDemoLastUpdate)
            target = mDemoLastUpdate;
        if (mUpdateCount < target)
        {
            if (!mDemoMutedForFastForward && !mDemoSingleStep)
            {
                Mute(true);
                mDemoMutedForFastForward = true;
            }
            ResetFrameTiming();
            int before = mUpdateCount;
            if (DoUpdateFrames())
            {
                // The fractional updates of the step, never past the target.
                mFractionalUpdates += updateStep - 1.0;
                while (mFractionalUpdates >= 1.0 && mUpdateCount < target)
                {
                    if (ReplayDemoEvents() || !DoUpdateFrames())
                        break;
                    mFractionalUpdates -= 1.0;
                }
                UpdateFramesFraction(updateStep);
            }
            // Every early way out ends the step, so the next one pumps input.
            mStepState = STEP_END;
            if (mUpdateCount == before)
            {
                mClock.waitInput(mFrameTime);
                return true;
            }
            static DWORD lastFastDraw = 0;
            DWORD t = mClock.now();
            if (mDemoSingleStep || t - lastFastDraw >= 1000)
            {
                lastFastDraw = t;
                DrawDirtyStuff();
            }
            return true;
        }
        if (mDemoMutedForFastForward)
        {
            Unmute(true);
            mDemoMutedForFastForward = false;
        }
        mDemoFastForwardTarget = -1;
        mDemoRunToEnd = false;
        mDemoSingleStep = false;
    }

    // At the recording's last update a replay holds its last picture (drawn,
    // then waiting for input as a pause does) until that update's input is all
    // out; then playback ends and the game runs on as the player's.
    if (ReplayHoldsInput() && mUpdateCount >= mDemoLastUpdate && !EndDemoPlaybackAtLastUpdate())
    {
        DrawDirtyStuff();
        ProcessDeferredDeletes();
        mStepState = STEP_END;
        if (!allowSleep)
            return false;
        mClock.waitInput(mFrameTime);
        return true;
    }

    if (mDemoPause || mUpdateMultiplier <= 0)
    {
        ProcessDeferredDeletes();
        // End the step so input is still pumped, and wait for it instead of spinning.
        mStepState = STEP_END;
        if (!allowSleep)
            return false;
        mClock.waitInput(mFrameTime);
        return true;
    }

    DWORD now = mClock.now();
    DWORD slept = 0;
    if (!vsyncUsable)
        AccumulateFrameTime();

    bool drawStep = false;
    if (mStepState == STEP_UPDATE)
    {
        mUpdatesSinceDraw++;
        if (mUpdatesSinceDraw >= (int)std::ceil(mUpdateMultiplier * 10) && mLoadingCompleted)
            drawStep = true;
        else
        {
            bool belowThreshold;
            if (vsyncUsable)
                belowThreshold =
                    mUpdatedSinceDraw && mTimeAccumulator < (double)(int)(drawPeriod * 0.75);
            else
                belowThreshold = mTimeAccumulator < drawPeriod;

            if (belowThreshold)
                drawStep = true;
            else
            {
                if (!mPlayingDemo && mUpdateMultiplier == 1.0)
                {
                    mVSyncUpdates++;
                    if (mVSyncUpdates >= (mFrameTime + 999) / mFrameTime)
                    {
                        if (now - mVSyncCheckTime <= 800)
                        {
                            if (++mVSyncFastChecks >= 3)
                                mVSyncBroken = true;
                        }
                        else
                            mVSyncFastChecks = 0;
                        mVSyncCheckTime = now;
                        mVSyncUpdates = 0;
                    }
                }
                if (DoUpdateFrames())
                    mStepState = STEP_FRACTION;
                mUpdatedSinceDraw = true;
            }
        }
    }
    else if (mStepState == STEP_FRACTION)
    {
        mFractionalUpdates += updateStep - 1.0;
        mStepState = STEP_END;
        ProcessDeferredDeletes();
        while (mFractionalUpdates >= 1.0)
        {
            // Input left for a later step goes out through the pump first.
            if (ReplayDemoEvents())
                break;
            mUpdatesSinceDraw++;
            if (!DoUpdateFrames())
                break;
            ProcessDeferredDeletes();
            mFractionalUpdates -= 1.0;
        }
        UpdateFramesFraction(updateStep);
        ProcessDeferredDeletes();
        mTimeAccumulator -= drawPeriod;
        if (vsyncUsable)
        {
            mTimeAccumulator -= 0.2f;
            if (mTimeAccumulator < 0)
                mTimeAccumulator = 0;
        }
    }
    else
        drawStep = true;

    if (drawStep)
    {
        mStepState = STEP_END;
        mUpdatesSinceDraw = 0;
        if (mUpdatedSinceDraw)
            DrawDirtyStuff();
        else
        {
            // The last fraction of a millisecond is slept too: spinning on it
            // costs a message round trip a turn. The accumulator keeps the
            // time overslept, so the update rate stays exact.
            int sleep = (int)std::ceil(drawPeriod - mTimeAccumulator);
            if (sleep > 0)
            {
                if (!allowSleep)
                    return false;
                mSleepCount++;
                mClock.sleep(sleep);
                slept = sleep;
            }
        }
    }

    if (mYieldMainThread)
    {
        int yield = (int)((mClock.now() - slept - now) * 2 - slept);
        if (yield > 250)
            yield = 250;
        if (yield >= 0)
        {
            if (!allowSleep)
                return false;
            mClock.sleep(yield);
        }
    }

    ProcessDeferredDeletes();
    return true;
}

bool LumoAppBase::DoUpdateFrames()
{
    ProfileZone zone("LumoAppBase::DoUpdateFrames");

    if (gIdlePause)
        return false;

    bool mayComplete = !ReplayHoldsInput() || mDemoLoadingCompleted;
    if (mayComplete && mLoadingThreadFinished && !mLoadingCompleted)
    {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        mLoadingCompleted = true;
        mYieldMainThread = false;
        // Written before the hook runs: whatever the hook records comes after
        // it, where a replay, which completes only on this record, looks.
        if (mRecordingDemo)
            WriteDemoCommand(DEMO_LOADED);
        LoadingCompleted();
    }
    if (ReplayHoldsInput() &&
        (mLoadingCompleted != mDemoLoadingCompleted || mUpdateCount >= mDemoLastUpdate))
        return false;

    UpdateOnce();
    return true;
}

void LumoAppBase::UpdateOnce()
{
    mUpdateCount++;
    if (!mMinimized && mWidgetManager && mWidgetManager->UpdateFrame())
        mDirtyUpdateCount++;
    if (mMusicInterface)
        mMusicInterface->Update();
    PurgeUnusedSharedImages();
}

void LumoAppBase::UpdateFramesFraction(float fraction)
{
    if (mVSyncWanted && !mMinimized && mWidgetManager)
        mWidgetManager->UpdateFrameWithFraction(fraction);
}

double LumoAppBase::GetLoadingProgress()
{
    if (mLoadingCompleted)
        return 1.0;
    int total = mLoadingTotal;
    if (!mLoadingThreadStarted || total == 0)
        return 0.0;
    double progress = (double)mLoadingDone / total;
    return progress > 1.0 ? 1.0 : progress;
}

// ---------------------------------------------------------------- deferred deletes

void LumoAppBase::DeferDelete(Widget* object)
{
    DeferredDelete entry;
    entry.depth = mNestingDepth;
    entry.object = object;
    mDeferredDeletes.push_back(entry);
}

// An object queued inside a nested step (a modal wait) is still used by that
// wait after the step returns, so it lives until the nesting is below the
// depth it was queued at; at the top level nothing below the loop holds it.
bool DeferredDeleteIsDue(int queuedDepth, int currentDepth)
{
    return currentDepth < queuedDepth || currentDepth <= 1;
}

void LumoAppBase::ProcessDeferredDeletes()
{
    ChangeSectionDepth(false);
    for (auto it = mDeferredDeletes.begin(); it != mDeferredDeletes.end();)
    {
        if (!DeferredDeleteIsDue(it->depth, mNestingDepth))
        {
            ++it;
            continue;
        }
        Widget* object = it->object;
        it = mDeferredDeletes.erase(it);
        // A destructor may queue more; the list iterator stays valid for a std::list.
        delete object;
    }
    ChangeSectionDepth(true);
}

// ---------------------------------------------------------------- frame timing

void LumoAppBase::ResetFrameTiming()
{
    mTimeAccumulator = 0;
    mLastFrameTime = mClock.now();
}

void LumoAppBase::AccumulateFrameTime()
{
    DWORD now = mClock.now();
    if (mLastFrameTime != 0)
    {
        mTimeAccumulator += (double)(DWORD)(now - mLastFrameTime);
        if (mTimeAccumulator > 200.0)
            mTimeAccumulator = 200.0;
    }
    mLastFrameTime = now;
}

// ---------------------------------------------------------------- loading thread

static unsigned __stdcall LoadingThreadProc(void* arg)
{
    LumoAppBase* app = (LumoAppBase*)arg;
    app->LoadingThreadWork();
    DebugOut("Resource Loading Time: %d\r\n", (int)(GetTickCount() - app->mLoadingStartTime));
    app->mLoadingThreadFinished = true;
    return 0;
}

void LumoAppBase::StartLoadingThread()
{
    if (mLoadingThreadStarted)
        return;
    mYieldMainThread = true;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    mLoadingThreadStarted = true;
    uintptr_t handle = _beginthreadex(nullptr, 0, LoadingThreadProc, this, 0, nullptr);
    if (handle)
        CloseHandle((HANDLE)handle);
    else
    {
        // No thread: nothing will load, so loading is over at once.
        mLoadingThreadFinished = true;
    }
}

void LumoAppBase::WaitForLoadingThread()
{
    while (mLoadingThreadStarted && !mLoadingThreadFinished)
        ::Sleep(20);
}

void LumoAppBase::LoadingThreadWork() {}

void LumoAppBase::LoadingCompleted() {}

} // namespace Lumo
