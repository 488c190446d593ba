// Main window creation and placement, display (re)initialisation with its
// fallbacks, and switching between windowed and full screen.
#include "framework/app/LumoAppBase.h"
#include "framework/graphics/D3DTester.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"

namespace Lumo
{

void PlaceWindow(int preferredX, int preferredY, int frameWidth, int frameHeight, const RECT& work,
                 int* x, int* y)
{
    if (preferredX == -1)
    {
        // No stored place: centred across, 38.2 % of the free height above.
        *x = work.left + (work.right - work.left - frameWidth) / 2;
        *y = work.top + (int)((work.bottom - work.top - frameHeight) * 0.382);
        return;
    }
    int px = preferredX;
    int py = preferredY;
    if (px < work.left + 4)
        px = work.left + 4;
    if (py < work.top + 4)
        py = work.top + 4;
    if (px + frameWidth > work.right - 4)
        px = work.right - 4 - frameWidth;
    if (py + frameHeight > work.bottom - 4)
        py = work.bottom - 4 - frameHeight;
    *x = px;
    *y = py;
}

static std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (char)c;
    return out;
}

DisplayAction DecideDisplayAction(int result, bool windowedChoice, bool forceFullscreen,
                                  bool windowedFallbackDone, bool is3D)
{
    if (result == RESULT_OK)
        return DISPLAY_READY;
    if (windowedChoice && result == RESULT_INVALID_COLORDEPTH)
        return windowedFallbackDone ? DISPLAY_FATAL_COLOR_DEPTH : DISPLAY_FULLSCREEN_INSTEAD;
    if (!windowedChoice && (result == RESULT_EXCLUSIVE_FAIL || result == RESULT_DISPCHANGE_FAIL))
    {
        // With full screen forced a window is impossible too: nothing is left to show.
        // A fallback taken before is no reason to give up: full screen asked for
        // again (the settings, a choice saved on another screen) is refused the
        // same way, and the window that worked then works now.
        if (forceFullscreen)
            return DISPLAY_FATAL;
        return DISPLAY_WINDOWED_INSTEAD;
    }
    if (result == RESULT_3D_FAIL || is3D)
        return DISPLAY_RETRY_2D;
    return DISPLAY_FATAL;
}

void LumoAppBase::MakeWindow()
{
    if (mHWnd)
    {
        HWND old = mHWnd;
        // Clicks posted to the old window while the mode changed would die with it.
        MSG msg;
        while (PeekMessageA(&msg, old, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            if (!mPopupInputBlock)
                QueueMessage(old, msg.message, msg.wParam, msg.lParam);
        SetWindowLongPtrA(old, GWLP_USERDATA, 0);
        mHWnd = nullptr;
        DestroyWindow(old);
        if (mWidgetManager)
            mWidgetManager->mImage = nullptr;
    }

    bool windowed = mPlayingDemo || mIsWindowed;
    DWORD exStyle, style;
    int x, y, w, h;
    if (!windowed)
    {
        exStyle = WS_EX_TOPMOST;
        style = WS_POPUP | WS_VISIBLE;
        x = 0;
        y = 0;
        w = mWidth;
        h = mHeight;
    }
    else
    {
        exStyle = 0;
        style = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        RECT frame = {0, 0, mWidth, mHeight};
        AdjustWindowRect(&frame, style, FALSE);
        w = frame.right - frame.left;
        h = frame.bottom - frame.top;
        RECT work;
        if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            SetRect(&work, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        PlaceWindow(mPreferredX, mPreferredY, w, h, work, &x, &y);
    }

    if (mUnicodeWindow)
        mHWnd = CreateWindowExW(exStyle, L"MainWindow", mTitle.c_str(), style, x, y, w, h, nullptr,
                                nullptr, mHInstance, this);
    else
        mHWnd = CreateWindowExA(exStyle, "MainWindow", Narrow(mTitle).c_str(), style, x, y, w, h,
                                nullptr, nullptr, mHInstance, this);
    mIsPhysWindowed = windowed;
    if (mHWnd)
        SetWindowLongPtrA(mHWnd, GWLP_USERDATA, (LONG_PTR)this);

    if (!mDDInterface)
    {
        mDDInterface = new DDInterface(this);
        bool is3D = false;
        if (mDDInterface && ReadRegistryBool("Is3D", &is3D))
            mDDInterface->mIs3D = is3D;
    }

    int result = ReinitDisplay();
    if (mDDInterface && mDDInterface->mD3DTester && mDDInterface->mD3DTester->mResultsChanged)
        DeleteRegistryValue(L"Is3D");

    bool is3D = mDDInterface && mDDInterface->mIs3D;
    DisplayAction action =
        DecideDisplayAction(result, mIsWindowed, mForceFullscreen, mWindowedFallbackDone, is3D);
    if (action == DISPLAY_RETRY_2D)
    {
        HWND made = mHWnd;
        // Ended, or the 2D road took a fallback whose new window did its own success steps.
        if (!InitDisplay(false, true) || mHWnd != made)
            return;
    }
    else if (action != DISPLAY_READY)
    {
        TakeDisplayFallback(action, result);
        return;
    }
    DisplayReady();
}

void LumoAppBase::TakeDisplayFallback(DisplayAction action, int result)
{
    switch (action)
    {
    case DISPLAY_FULLSCREEN_INSTEAD:
        mForceFullscreen = true;
        SetWindowedMode(false);
        return;
    case DISPLAY_WINDOWED_INSTEAD:
        mWindowedFallbackDone = true;
        mFullscreenRefusalUntold = true;
        // The new window runs its own result handling and success steps.
        SetWindowedMode(true);
        return;
    case DISPLAY_FATAL_COLOR_DEPTH:
        PopupW(
            GetString("PLEASE_SET_COLOR_DEPTH", L"Please set your desktop color depth to 16 bit."));
        ExitImmediately(1);
        return;
    default:
        ReportDisplayFailure(result);
        ExitImmediately(1);
        return;
    }
}

void LumoAppBase::ReportDisplayFailure(int result)
{
    std::wstring text = GetString("FAILED_INIT_DIRECTDRAW", L"Failed to initialize DirectDraw: ");
    std::string detail = DDInterface::ResultToString(result) + " " +
                         (mDDInterface ? mDDInterface->mErrorString : std::string());
    for (unsigned char c : detail)
        text += (wchar_t)c;
    PopupW(text);
}

void LumoAppBase::TakeWindowFocusState(bool minimized)
{
    bool hadFocus = mHasFocus;
    mHasFocus = mHWnd != nullptr && GetActiveWindow() == mHWnd;
    if (minimized != mMinimized)
    {
        if (mMuteOnLostFocus)
        {
            if (minimized)
                Mute(true);
            else
                Unmute(true);
        }
        mMinimized = minimized;
        if (!minimized && mWidgetManager)
            mWidgetManager->SetAllDirty();
        UpdateFocusState();
    }
    if (mHasFocus != hadFocus)
        UpdateFocusState();
}

void LumoAppBase::DisplayReady()
{
    // A new window is never minimized.
    mRawMinimized = false;
    TakeWindowFocusState(false);

    CommitAllImages();
    if (mWidgetManager && mDDInterface)
    {
        mWidgetManager->mImage = mDDInterface->GetScreenImage();
        mWidgetManager->SetAllDirty();
    }
    if (mHWnd)
        SetTimer(mHWnd, 100, mFrameTime, nullptr);
}

int LumoAppBase::ReinitDisplay()
{
    BeforeDisplayChange();
    PurgeAllImages();
    if (!mDDInterface)
        return RESULT_OK; // no display to prepare: nothing is drawn
    int result = mDDInterface->Init(mHWnd, mIsPhysWindowed);
    mRefreshRate = mDDInterface->mRefreshRate;
    RecordDemoDisplay();
    if (result == RESULT_OK)
    {
        int dw = mDDInterface->mDisplayWidth;
        int dh = mDDInterface->mDisplayHeight;
        mScreenRect = Rect((mWidth - dw) / 2, (mHeight - dh) / 2, dw, dh);
        // Clicks made on the old display keep the places they were made at.
        MapQueuedMouseMessages();
        if (mWidgetManager)
            mWidgetManager->SetMouseRects(mScreenRect, mDDInterface->mPresentationRect);
        AfterDisplayChange();
    }
    return result;
}

bool LumoAppBase::InitDisplay(bool is3D, bool reinitNow)
{
    if (!mDDInterface || mDDInterface->mIs3D == is3D)
        return true;
    mChanged3D = true;
    mDDInterface->mIs3D = is3D;
    if (!reinitNow)
        return true;
    int result = ReinitDisplay();
    if (result != RESULT_OK)
    {
        if (is3D)
            return InitDisplay(false, reinitNow);
        // 2D fails too: the fallbacks of a new window (full screen refused comes
        // up windowed), so the 3D road ends where the 2D road does.
        DisplayAction action = DecideDisplayAction(result, mIsWindowed, mForceFullscreen,
                                                   mWindowedFallbackDone, false);
        TakeDisplayFallback(action, result);
        return action == DISPLAY_WINDOWED_INSTEAD || action == DISPLAY_FULLSCREEN_INSTEAD;
    }
    CommitAllImages();
    if (mWidgetManager)
    {
        mWidgetManager->mImage = mDDInterface->GetScreenImage();
        mWidgetManager->SetAllDirty();
    }
    return true;
}

DDInterface* LumoAppBase::GetDisplay()
{
    return mDDInterface;
}

bool LumoAppBase::IsMinimized()
{
    return mMinimized;
}

void LumoAppBase::ReadDisplayOptions(DisplayOptions& options)
{
    options.width = mWidth;
    options.height = mHeight;
    options.bitsPerPixel = mColorDepth;
    options.widescreenAspect = mWidescreenAspect;
    options.aspectCorrection = mWidescreenCorrection;
    options.stretch = mStretchDisplay;
    options.flip = mFlipFullscreen;
    options.popupOpen = mPopupOpen;
    options.windowedVSync = mWaitForVSync;
    options.vsyncSuppressed = mVSyncSuppressed;
    options.test3D = mTest3D;
    options.autoEnable3D = mAutoEnable3D;
    options.demoStream = mRecordingDemo || mPlayingDemo;
    options.minVidMemoryMB = mMinVidMemory3D;
    options.recVidMemoryMB = mRecVidMemory3D;
}

void LumoAppBase::SetScreenRect(const Rect& rect)
{
    mScreenRect = rect;
}

void LumoAppBase::SetVSyncBroken()
{
    mVSyncBroken = true;
}

void LumoAppBase::SwitchScreenMode(bool windowed, bool is3D, bool force)
{
    // Each request is tried: a refusal falls back to the window at once and is told.
    bool wanted = mForceFullscreen ? false : windowed;
    if (wanted == mIsWindowed && !force)
    {
        InitDisplay(is3D, true);
        return;
    }
    // A request made straight to here (the game's settings) is one a replay
    // repeats; the framework's own roads below (a fallback, Alt+Enter, a
    // maximized window, the display's recovery) come through SetWindowedMode.
    const bool repeatedByReplay = !mInOwnModeSwitch;
    InitDisplay(is3D, false);
    mIsWindowed = wanted;
    MakeWindow();
    if (mHWnd)
    {
        if (mUrlOpenPending)
            ShowWindow(mHWnd, SW_SHOWNOACTIVATE);
        else
        {
            ShowWindow(mHWnd, SW_SHOWNORMAL);
            SetForegroundWindow(mHWnd);
        }
    }
    mLastModeChange = mClock.now();
    if (!wanted && repeatedByReplay)
        SyncFullscreenRefusal();
}

// Whether the display refused full screen is an outside value, kept as at the
// start: a replay, always in a window, never meets the refusal itself, so it
// takes the recording's, and its settings, its notice and its saves follow.
void LumoAppBase::SyncFullscreenRefusal()
{
    if (!mRecordingDemo && !(mPlayingDemo && mDemoFormatVersion >= 5))
        return;
    bool refused = mIsWindowed; // the fallback went back to a window
    SyncDemoBool(refused);
    if (mPlayingDemo && refused && !mIsWindowed)
    {
        mWindowedFallbackDone = true;
        mFullscreenRefusalUntold = true;
        mIsWindowed = true;
    }
}

bool LumoAppBase::TakeFullscreenRefusal()
{
    bool untold = mFullscreenRefusalUntold;
    mFullscreenRefusalUntold = false;
    return untold;
}

void LumoAppBase::SetWindowedMode(bool windowed)
{
    bool outer = mInOwnModeSwitch;
    mInOwnModeSwitch = true;
    SwitchScreenMode(windowed, Is3DAccelerated(), false);
    mInOwnModeSwitch = outer;
}

void LumoAppBase::ReapplyScreenMode()
{
    bool outer = mInOwnModeSwitch;
    mInOwnModeSwitch = true;
    SwitchScreenMode(mIsWindowed, Is3DAccelerated(), true);
    mInOwnModeSwitch = outer;
}

void LumoAppBase::BringToFront(WPARAM flag, LPARAM)
{
    if (flag != 0 || !mHWnd)
        return;
    if (IsIconic(mHWnd))
        ShowWindow(mHWnd, SW_RESTORE);
    SetForegroundWindow(mHWnd);
}

} // namespace Lumo
