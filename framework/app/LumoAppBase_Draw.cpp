// Drawing the dirty widgets, presenting, recovering a lost display, the idle
// pause for the system's screen saver, and the cursor thread.
#include "framework/app/LumoAppBase.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/diagnostics/DebugOverlay.h"
#include "framework/diagnostics/Profiler.h"

#include <mmsystem.h>
#include <objbase.h>
#include <process.h>

namespace Lumo
{

static DWORD gLastRecoveryAttempt = 0; // time of the last display-recovery attempt
static DWORD gLastIdleSettingsRead = 0;
static DWORD gIdleLimit = 0; // ms without input before the idle pause
static bool gSystemScreenSaverActive = false;

bool LumoAppBase::DrawDirtyStuff()
{
    ProfileZone zone("LumoAppBase::DrawDirtyStuff");
    DWORD start = mClock.now();

    if (gDisplayLost)
    {
        Redraw(nullptr);
        return false;
    }

    static DWORD lastIdleCheck = 0;
    if (start - lastIdleCheck >= 1000)
    {
        lastIdleCheck = start;
        CheckScreenSaverIdle(start);
    }
    if (gIdlePause)
        return false;

    bool dirty = false;
    if (mWidgetManager)
    {
        mDrawing = true;
        ChangeSectionDepth(false);
        dirty = mWidgetManager->DrawScreen(mWidgetManager->mApp);
        ChangeSectionDepth(true);
        mDrawing = false;
        if (dirty)
            mUnpresented.Add(mWidgetManager->GetDrawnRegion());
    }

    DWORD now = mClock.now();
    if (!dirty && now - mLastPresentTime < 1000 && !mCursorChanged)
    {
        mUpdatedSinceDraw = false;
        mLastDrawSkipped = true;
        return false;
    }
    if ((int)(now - mNoDrawBefore) < 0)
    {
        mUpdatedSinceDraw = false;
        mLastDrawSkipped = true;
        return false;
    }

    mDrawCount++;
    mLastDrawSkipped = false;
    mDrawTime += (int)(now - start);

    if (mShowFPS)
        DrawDiagnosticsOverlay(this);

    if (mIsPhysWindowed && mWaitForVSync && mDDInterface)
    {
        DWORD period = (DWORD)mDDInterface->mMillisecondsPerFrame;
        DWORD since = mClock.now() - mLastPresentTime;
        if (since < period)
            mClock.sleep(period - since);
    }

    mLastPresentTime = mClock.now();
    // What was drawn goes to the screen, and nothing else; the present a
    // second without news, a changed cursor and the overlay show everything.
    if (!mUnpresented.IsEmpty() && !mShowFPS)
    {
        Rect bounds = mUnpresented.GetBounds();
        Redraw(&bounds);
    }
    else
        Redraw(nullptr);
    mUnpresented.Clear();
    AccumulateFrameTime();
    DWORD afterPresent = mClock.now();
    mScreenBltTime = (int)(afterPresent - mLastPresentTime);

    if (mLoadingThreadStarted && !mLoadingThreadFinished)
    {
        // While loading, draws are spaced by their own duration + 35 ms.
        int duration = (int)(afterPresent - start);
        if (duration < 16)
            duration = 15;
        mNoDrawBefore += duration + 35;
        if ((int)(mNoDrawBefore - afterPresent) > 0)
        {
            mUpdatedSinceDraw = false;
            mCursorChanged = false;
            return true;
        }
    }
    mNoDrawBefore = afterPresent;
    mUpdatedSinceDraw = false;
    mCursorChanged = false;
    return true;
}

void LumoAppBase::PresentNow()
{
    if (mDrawing || mShutdown || gIdlePause || gDisplayLost || !mWidgetManager || !mDDInterface)
        return;
    mDrawing = true;
    ChangeSectionDepth(false);
    mWidgetManager->DrawScreen(mWidgetManager->mApp);
    ChangeSectionDepth(true);
    mDrawing = false;
    Redraw(nullptr);
    mUnpresented.Clear();
    mLastPresentTime = mClock.now();
}

void LumoAppBase::Redraw(Rect* rect)
{
    ProfileZone zone("LumoAppBase::Redraw");
    if (mDrawing || mShutdown || gIdlePause || !mDDInterface || mInRedrawRecovery)
        return;

    if (mDDInterface->Redraw(rect))
    {
        if (gDisplayLost)
        {
            gDisplayLost = false;
            gLastRecoveryAttempt = 0;
        }
        return;
    }

    gD3DRenderTargetFailed = false;
    gDisplayLost = true;
    WINDOWPLACEMENT placement;
    placement.length = sizeof(placement);
    placement.showCmd = SW_SHOWNORMAL;
    if (mHWnd)
        GetWindowPlacement(mHWnd, &placement);

    DWORD now = mClock.now();
    if (!mHasFocus)
    {
        if (!mIsPhysWindowed || (gLastRecoveryAttempt != 0 && now - gLastRecoveryAttempt < 1000))
            return;
    }
    if (placement.showCmd == SW_SHOWMINIMIZED || mMinimized)
        return;

    // Recovery may open boxes and switch modes, whose steps draw again.
    mInRedrawRecovery = true;
    gLastRecoveryAttempt = now;
    if (mWidgetManager)
        mWidgetManager->mImage = nullptr;

    // A replay's window stays a window on any screen.
    if ((mWidth >= GetSystemMetrics(SM_CXSCREEN) || mHeight >= GetSystemMetrics(SM_CYSCREEN)) &&
        mIsWindowed && !mPlayingDemo)
    {
        if (!mWindowedFallbackDone)
        {
            mForceFullscreen = true;
            SetWindowedMode(false);
        }
        else
        {
            PopupW(GetString("PLEASE_SET_COLOR_DEPTH",
                             L"Please set your desktop color depth to 16 bit."));
            // Straight to the framework's shutdown: a game's quit question would draw again.
            LumoAppBase::Shutdown();
        }
        mInRedrawRecovery = false;
        return;
    }

    int result = ReinitDisplay();
    if (result == RESULT_OK)
    {
        CommitAllImages();
        if (mWidgetManager)
        {
            mWidgetManager->mImage = mDDInterface->GetScreenImage();
            mWidgetManager->SetAllDirty();
        }
        mLastModeChange = mClock.now();
    }
    else if (mIsWindowed && result == RESULT_INVALID_COLORDEPTH)
    {
        if (mHasFocus)
        {
            SetWindowedMode(false);
            mForceFullscreen = true;
        }
    }
    else if (result == RESULT_3D_FAIL)
        InitDisplay(false, true);
    mInRedrawRecovery = false;
}

void LumoAppBase::CheckScreenSaverIdle(DWORD now)
{
    if (!mIsPhysWindowed || mScreenSaver)
        return;

    if (gLastIdleSettingsRead == 0 || now - gLastIdleSettingsRead >= 10000)
    {
        gLastIdleSettingsRead = now;
        int timeout = 0;
        BOOL active = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVETIMEOUT, 0, &timeout, 0);
        SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
        int seconds = timeout - 2;
        gIdleLimit = (DWORD)(seconds < 1 ? 1 : seconds) * 1000;
        gSystemScreenSaverActive = active != FALSE;
        if (!gSystemScreenSaverActive)
            gIdlePause = false;
    }

    if (gGetLastInputInfo)
    {
        LASTINPUTINFO info;
        info.cbSize = sizeof(info);
        if (gGetLastInputInfo(&info))
            mLastInputTime = (int)(info.dwTime - now) < 0 ? info.dwTime : now;
    }

    if (!gSystemScreenSaverActive)
        return;
    DWORD idle = now - mLastInputTime;
    if (gIdlePause)
    {
        BOOL running = FALSE;
        SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        if (!running && idle < gIdleLimit)
        {
            gIdlePause = false;
            if (mWidgetManager)
                mWidgetManager->SetAllDirty();
        }
    }
    else if (idle > gIdleLimit)
        gIdlePause = true;
}

// ---------------------------------------------------------------- cursor thread

static unsigned __stdcall CursorThreadProc(void* arg)
{
    LumoAppBase* app = (LumoAppBase*)arg;
    CoInitialize(nullptr);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    int lastX = -1, lastY = -1;
    while (!app->mShutdown)
    {
        int x = 0, y = 0;
        HWND hwnd = app->mHWnd;
        DDInterface* dd = app->mDDInterface;
        bool havePosition = false;
        if (app->mPlayingDemo && !app->mDemoLivePointer)
        {
            x = app->mDemoMouseX;
            y = app->mDemoMouseY;
            havePosition = true;
        }
        else
        {
            POINT p;
            if (hwnd && GetCursorPos(&p) && ScreenToClient(hwnd, &p))
            {
                x = p.x;
                y = p.y;
                havePosition = true;
            }
        }
        if (dd && app->mDrawCount > 0)
        {
            lastX = dd->mCursorX;
            lastY = dd->mCursorY;
        }
        if (dd && havePosition && (x != lastX || y != lastY))
        {
            DWORD late = (DWORD)dd->mMillisecondsPerFrame + 5;
            if ((int)(timeGetTime() - app->mNoDrawBefore) > (int)late)
            {
                dd->SetCursorPos(x, y);
                lastX = x;
                lastY = y;
            }
            else
            {
                dd->mNextCursorX = x;
                dd->mNextCursorY = y;
            }
        }
        ::Sleep(10);
    }
    CoUninitialize();
    app->mCursorThreadRunning = false;
    return 0;
}

void LumoAppBase::StartCursorThread()
{
    if (mCursorThreadRunning)
        return;
    mCursorThreadRunning = true;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    uintptr_t handle = _beginthreadex(nullptr, 0, CursorThreadProc, this, 0, nullptr);
    if (handle)
        CloseHandle((HANDLE)handle);
    else
        mCursorThreadRunning = false;
}

} // namespace Lumo
