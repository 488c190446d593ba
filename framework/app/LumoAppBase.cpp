// Construction, start-up and shutdown of the application object.
#include "framework/app/LumoAppBase.h"

#include <mmsystem.h>

namespace Lumo
{

static DWORD DefaultNow()
{
    return timeGetTime();
}

static void DefaultSleep(DWORD ms)
{
    ::Sleep(ms);
}

static void DefaultWaitInput(DWORD ms)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
}

LumoAppBase::LumoAppBase()
    : mProductName("Product"), mTitle(L"LumoApp"), mHInstance(nullptr), mPreferredX(-1),
      mPreferredY(-1), mWidth(1024), mHeight(768), mColorDepth(32), mMusicVolume(0.85),
      mSfxVolume(0.85), mSavedMusicVolume(0.0), mSavedSfxVolume(0.0), mNoMusic(false),
      mUseMusicLibrary(false), mMuteCount(0), mAutoMuteCount(0), mMuteOnLostFocus(true),
      mCmdLineParsed(false), mOnlyAllowOneCopy(true), mMutex(nullptr), mNotifyMessage(0),
      mPrimaryThreadId(0), mInitialized(false), mTimeLoaded(0), mLoadingStartTime(0),
      mConstructTime(0), mScreenSaver(false), mAllowMonitorPowersave(true), mUnicodeWindow(false),
      mSettingsLoaded(false), mPrevRunEndedProperly(true), mSaveSettingsAtShutdown(false),
      mWidgetManager(nullptr), mResourceManager(nullptr), mDDInterface(nullptr),
      mMusicInterface(nullptr), mHWnd(nullptr), mInvisHWnd(nullptr), mIsWindowed(false),
      mIsPhysWindowed(true), mForceFullscreen(false), mWindowedFallbackDone(false), mIs3D(false),
      mChanged3D(false), mLastModeChange(0), mHidden(false), mShutdown(false), mBreakLoops(false),
      mShutdownRequested(false), mInMainLoop(false), mHasFocus(false), mMinimized(false),
      mRawMinimized(false), mActive(false), mDisabled(false), mMouseInWindow(false),
      mPopupInputBlock(false), mClosedByWindow(false), mDebugKeysEnabled(false), mCtrlDown(false),
      mAltDown(false), mFrameTime(10), mUpdateMultiplier(1.0), mRefreshRate(100),
      mVSyncWanted(false), mWaitForVSync(false), mVSyncBroken(false), mVSyncUpdates(0),
      mVSyncFastChecks(0), mVSyncCheckTime(0), mStepState(STEP_PUMP), mNestingDepth(0),
      mTimeAccumulator(0.0), mLastFrameTime(0), mFractionalUpdates(0.0), mUpdatesSinceDraw(0),
      mUpdatedSinceDraw(false), mLastDrawSkipped(false), mDrawing(false), mCursorChanged(false),
      mLastPresentTime(0), mNoDrawBefore(0), mLastTimerTick(0), mTimerResumeTime(0),
      mLastInputTime(0), mMainLoopStart(0), mUpdateCount(0), mDrawCount(0), mSleepCount(0),
      mDrawTime(0), mScreenBltTime(0), mStartLoadingThread(true), mLoadingThreadStarted(false),
      mLoadingThreadFinished(false), mLoadingCompleted(false), mYieldMainThread(false),
      mLoadingDone(0), mLoadingTotal(0), mCursorThreadRunning(false), mCursorNumber(0),
      mCustomCursors(false), mHandCursor(nullptr), mDraggingCursor(nullptr),
      mOverrideCursor(nullptr), mPopupOpen(false), mSharedImagesNeedPurge(false),
      mUrlOpenPending(false), mShutdownWhenUrlDone(false), mUrlOpenTime(0), mDemoPrefix("lumoapp"),
      mRecordingDemo(false), mPlayingDemo(false), mDemoEnded(false), mDemoFastForwardTarget(-1),
      mDemoRunToEnd(false), mDemoSingleStep(false), mDemoPause(false),
      mDemoMutedForFastForward(false), mDemoLastUpdate(0), mDemoMouseX(0), mDemoMouseY(0),
      mDemoLoadingCompleted(false), mShowFPS(false), mShowFPSMode(0)
{
    gLumoApp = this;
    mClock.now = DefaultNow;
    mClock.sleep = DefaultSleep;
    mClock.waitInput = DefaultWaitInput;
    for (int i = 0; i < NUM_CURSORS; i++)
        mCursorImages[i] = nullptr;
    for (int i = 0; i < 512; i++)
        mSaturationTable[i] = (uint8_t)(i < 256 ? i : 255);

    mLoadingStartTime = GetTickCount();
    mConstructTime = mLoadingStartTime;
    mDemoFileName = mDemoPrefix + ".dmo";

    gCrashReporterApp = this;
}

LumoAppBase::~LumoAppBase()
{
    if (gLumoApp == this)
        gLumoApp = nullptr;
    if (gCrashReporterApp == this)
        gCrashReporterApp = nullptr;
}

} // namespace Lumo
