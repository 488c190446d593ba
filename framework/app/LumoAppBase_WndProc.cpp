// The window procedure of both window classes, the input queue that the main
// loop drains one record at a time, and the cursor choice.
//
// Contents: AppWindowProc / WindowProc, QueueMessage, ProcessQueuedMessages,
// IsSpecialKey, cursors (SetCursor, SetCursorImage, EnableCustomCursors,
// ApplyCursor), the focus state and held keys, the screen-saver input filter.
#include "framework/app/LumoAppBase.h"
#include "framework/graphics/DDInterface.h"
#include "framework/widgets/WidgetManager.h"

#include <mmsystem.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

namespace Lumo
{

static bool IsQueuedMessage(UINT message)
{
    switch (message)
    {
    case WM_MOVE:
    case WM_SIZE:
    case WM_CLOSE:
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_ACTIVATEAPP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_TIMER:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        return true;
    }
    return false;
}

static bool IsMouseMessage(UINT message)
{
    return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN || message == WM_RBUTTONUP ||
           message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONUP;
}

LRESULT CALLBACK LumoAppBase::AppWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LumoAppBase* app = (LumoAppBase*)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (!app)
    {
        // The application is attached once the window exists; the screen-saver
        // filter alone sees the first creation message, through the creation data.
        if (message == WM_NCCREATE && lParam)
        {
            LumoAppBase* creator = (LumoAppBase*)((CREATESTRUCTA*)lParam)->lpCreateParams;
            if (creator && creator->mScreenSaver)
                creator->ScreenSaverFilter(hwnd, message, wParam, lParam);
        }
        return IsWindowUnicode(hwnd) ? DefWindowProcW(hwnd, message, wParam, lParam)
                                     : DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return app->WindowProc(hwnd, message, wParam, lParam);
}

LRESULT LumoAppBase::DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return mUnicodeWindow ? DefWindowProcW(hwnd, message, wParam, lParam)
                          : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT LumoAppBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (mScreenSaver && ScreenSaverFilter(hwnd, message, wParam, lParam))
        return 0;

    switch (message)
    {
    case WM_ERASEBKGND:
        return 1;

    case WM_PAINT:
        if (mInitialized && !mHidden)
        {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            if (mInMainLoop)
                Redraw(nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        break;

    case WM_SETCURSOR:
        if (!mHidden)
            ApplyCursor();
        return 1;

    case WM_ENABLE:
        mDisabled = (wParam == 0);
        break;

    case WM_QUERYOPEN:
        if (!IsEnabled())
            return 0;
        break;

    case WM_ENDSESSION:
        // Only a session that really ends; a cancelled logoff leaves us running.
        if (wParam)
            Shutdown();
        break;

    case WM_NCLBUTTONDOWN:
    {
        LRESULT result = DefaultWindowProc(hwnd, message, wParam, lParam);
        ResetFrameTiming();
        return result;
    }

    case WM_DESTROY:
    {
        char text[64];
        snprintf(text, sizeof(text), "DESTROYED HWND: %d\r\n", (int)(INT_PTR)hwnd);
        OutputDebugStringA(text);
        break;
    }

    case WM_SYSCHAR:
        if (IsSpecialKey((int)wParam))
            return 0;
        break;

    case WM_SYSCOMMAND:
    {
        UINT command = (UINT)(wParam & 0xFFF0);
        if (command == SC_MONITORPOWER)
        {
            mSaver.powerSeen = true;
            mSaver.powerTime = mClock.now();
            if (mAllowMonitorPowersave && mLoadingCompleted)
                break;
            return 0;
        }
        if (command == SC_SCREENSAVE)
        {
            if (mLoadingCompleted && mIsPhysWindowed)
                break;
            return 0;
        }
        break;
    }

    default:
        if (message == mNotifyMessage && mNotifyMessage != 0 && hwnd == mHWnd)
        {
            BringToFront(wParam, lParam);
            return 0;
        }
        break;
    }

    if (message == WM_ACTIVATEAPP && !ReplayHoldsInput() && hwnd == mHWnd)
        mHasFocus = (wParam != 0);

    if (!IsQueuedMessage(message))
        return DefaultWindowProc(hwnd, message, wParam, lParam);

    if (mPopupInputBlock)
        return DefaultWindowProc(hwnd, message, wParam, lParam);

    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
        message == WM_SYSKEYUP)
    {
        bool down = (message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
        if (wParam == VK_CONTROL)
            mCtrlDown = down;
        else if (wParam == VK_MENU)
            mAltDown = down;
        if (down && HandleHotKey((int)wParam, mCtrlDown, mAltDown))
            return 0;
    }

    if (ReplayHoldsInput())
    {
        // The viewer's keys: the boxes they open are the viewer's own.
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        {
            mViewerKeys++;
            HandleDebugKey((int)wParam);
            mViewerKeys--;
        }
        else if (message == WM_CHAR)
            HandleDemoPlayerKey((int)wParam);
    }

    QueueMessage(hwnd, message, wParam, lParam);

    switch (message)
    {
    case WM_SIZE:
        mRawMinimized = (wParam == SIZE_MINIMIZED);
        break;
    case WM_SYSKEYDOWN:
        if (wParam != VK_F4)
            return 0;
        break;
    case WM_CLOSE:
        // A close from outside ends what a replay takes from its stream; once
        // playback has ended the close is the player's, and ends the run as any.
        if (hwnd == mHWnd && ReplayHoldsInput())
            mDemoClosing = true;
        OnCloseRequest();
        return 0;
    }
    return DefaultWindowProc(hwnd, message, wParam, lParam);
}

bool LumoAppBase::QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!mMessageQueue.empty())
    {
        const QueuedMessage& last = mMessageQueue.back();
        if (last.message == WM_CLOSE)
            return false;
        if (message == WM_TIMER && last.message == WM_TIMER)
            return false;
    }
    if (message == WM_SYSCOLORCHANGE || message == WM_DISPLAYCHANGE)
    {
        for (const QueuedMessage& queued : mMessageQueue)
            if (queued.message == WM_SYSCOLORCHANGE || queued.message == WM_DISPLAYCHANGE)
                return false;
    }
    QueuedMessage record = {hwnd, message, wParam, lParam};
    mMessageQueue.push_back(record);
    return true;
}

// Typed characters that work the demo player during playback.
void LumoAppBase::HandleDemoPlayerKey(int ch)
{
    switch (ch)
    {
    case '+':
        mUpdateMultiplier *= 1.5;
        break;
    case '-':
        mUpdateMultiplier /= 1.5;
        break;
    case '=':
        mUpdateMultiplier = 1.0;
        break;
    case '0':
        mDemoFastForwardTarget = mDemoLastUpdate;
        break;
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
    {
        static const int kBack[] = {120000, 90000, 60000, 30000, 10000, 5000};
        mDemoFastForwardTarget = mDemoLastUpdate - kBack[ch - '4'] / mFrameTime;
        break;
    }
    case 'J':
    case 'j':
        ShowDemoJumpToTime();
        break;
    case 'L':
    case 'l':
        ShowDemoMarkerList();
        break;
    case 'M':
    case 'm':
        mDemoRunToEnd = true;
        break;
    case 'N':
    case 'n':
        mDemoFastForwardTarget = mUpdateCount + 1;
        mDemoSingleStep = true;
        break;
    case 'P':
    case 'p':
        mDemoPause = !mDemoPause;
        mTimeAccumulator = 0;
        mLastFrameTime = mClock.now();
        break;
    case 'S':
    case 's':
        ToggleSound();
        break;
    }
}

// ---------------------------------------------------------------- queue handling

bool LumoAppBase::ProcessQueuedMessages(bool oneOnly)
{
    if (!mMessageQueue.empty())
        mDemoInputStep++;
    while (!mMessageQueue.empty())
    {
        QueuedMessage record = mMessageQueue.front();
        mMessageQueue.pop_front();
        HandleQueuedMessage(record);
        if (oneOnly)
            break;
    }
    return !mMessageQueue.empty();
}

void LumoAppBase::HandleQueuedMessage(const QueuedMessage& record)
{
    UINT message = record.message;
    WPARAM wParam = record.wParam;
    bool fromMain = record.hwnd == mHWnd;
    bool isClose = message == WM_CLOSE && (fromMain || record.hwnd == mInvisHWnd);

    RecordDemoMessage(record);
    if (ReplayHoldsInput())
    {
        if (isClose)
        {
            mClosedByWindow = true;
            Shutdown();
        }
        return;
    }

    switch (message)
    {
    case WM_MOVE:
        if (fromMain && mIsPhysWindowed)
        {
            WINDOWPLACEMENT placement;
            placement.length = sizeof(placement);
            if (GetWindowPlacement(mHWnd, &placement) &&
                (placement.showCmd == SW_SHOWNORMAL || placement.showCmd == SW_SHOW))
            {
                mPreferredX = placement.rcNormalPosition.left;
                mPreferredY = placement.rcNormalPosition.top;
            }
        }
        break;

    case WM_SIZE:
        if (fromMain && !mShutdown)
        {
            bool minimized = (wParam == SIZE_MINIMIZED);
            if (minimized != mMinimized)
            {
                mMinimized = minimized;
                if (!minimized)
                {
                    if (mMuteOnLostFocus)
                        Unmute(true);
                    if (mWidgetManager)
                        mWidgetManager->SetAllDirty();
                }
                else if (mMuteOnLostFocus)
                    Mute(true);
            }
            UpdateFocusState();
            if (wParam == SIZE_MAXIMIZED)
                SetWindowedMode(false);
        }
        break;

    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
        if (mWidgetManager)
        {
            mWidgetManager->DisplayChangedAll();
            mWidgetManager->SetAllDirty();
        }
        break;

    case WM_ACTIVATEAPP:
        if (fromMain && !mHidden && !mShutdown)
        {
            UpdateFocusState();
            if (mHasFocus && !mIsWindowed && mWidgetManager)
                mWidgetManager->SetAllDirty();
            if (mUrlOpenPending && !mHasFocus)
                UrlOpenDone(mPendingUrl);
        }
        break;

    case WM_MOUSEWHEEL:
        if (mWidgetManager)
        {
            short delta = (short)HIWORD(wParam);
            mWidgetManager->MouseWheel((signed char)(delta / 120));
        }
        break;

    case WM_TIMER:
        if (!mHidden && mInMainLoop)
            HandleTimerTick();
        break;

    case WM_KEYUP:
    case WM_SYSKEYUP:
        mLastInputTime = mLastTimerTick;
        OnKeyUp((int)wParam);
        if (mWidgetManager)
            mWidgetManager->KeyUp((int)wParam);
        break;

    case WM_CHAR:
        mLastInputTime = mLastTimerTick;
        if (mWidgetManager)
            mWidgetManager->KeyChar((wchar_t)wParam);
        break;

    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        mLastInputTime = mLastTimerTick;
        if (message == WM_SYSKEYDOWN && wParam == VK_RETURN)
        {
            if (!mForceFullscreen && !mWindowedFallbackDone)
            {
                SetWindowedMode(!mIsWindowed);
                ClearHeldKeys();
            }
            break;
        }
        if (wParam == 'D' && mWidgetManager && mWidgetManager->IsKeyDown(VK_CONTROL) &&
            mWidgetManager->IsKeyDown(VK_MENU) && gDevOptionsQuery && gDevOptionsQuery())
        {
            PlaySoundA("c:\\windows\\media\\Windows XP Menu Command.wav", nullptr, SND_ASYNC);
            mDebugKeysEnabled = !mDebugKeysEnabled;
        }
        if (mWidgetManager)
        {
            if (!mDebugKeysEnabled || !HandleDebugKey((int)wParam))
                mWidgetManager->KeyDown((int)wParam);
        }
        break;

    default:
        if (IsMouseMessage(message) && !mHidden)
            HandleQueuedMouse(record);
        break;
    }

    if (isClose)
    {
        mClosedByWindow = true;
        Shutdown();
    }
}

// Click code of a button message (WidgetManager::MouseDown's); 0 for the rest.
static int ClickCodeOf(UINT message, bool* press)
{
    *press = true;
    switch (message)
    {
    case WM_LBUTTONDOWN:
        return 1;
    case WM_LBUTTONDBLCLK:
        return 2;
    case WM_RBUTTONDOWN:
        return -1;
    case WM_RBUTTONDBLCLK:
        return -2;
    case WM_MBUTTONDOWN:
        return 3;
    }
    *press = false;
    switch (message)
    {
    case WM_LBUTTONUP:
        return 1;
    case WM_RBUTTONUP:
        return -1;
    case WM_MBUTTONUP:
        return 3;
    }
    return 0;
}

void LumoAppBase::QueuedMousePosition(const QueuedMessage& record, int* x, int* y)
{
    *x = GET_X_LPARAM(record.lParam);
    *y = GET_Y_LPARAM(record.lParam);
    if (mWidgetManager && !record.logical)
        mWidgetManager->ScaleMousePosition(*x, *y);
}

void LumoAppBase::MapQueuedMouseMessages()
{
    for (QueuedMessage& record : mMessageQueue)
    {
        if (!IsMouseMessage(record.message) || record.logical)
            continue;
        int x, y;
        QueuedMousePosition(record, &x, &y);
        record.lParam = MAKELPARAM((WORD)(short)x, (WORD)(short)y);
        record.logical = true;
    }
}

void LumoAppBase::HandleQueuedMouse(const QueuedMessage& record)
{
    const UINT message = record.message;
    int x, y;
    QueuedMousePosition(record, &x, &y);
    WidgetManager* wm = mWidgetManager;
    mLastInputTime = mLastTimerTick;
    // Past the end of a playback the player's pointer takes over from the recording's.
    mDemoLivePointer = true;
    bool press = false;
    int clicks = ClickCodeOf(message, &press);
    // A press moves the pointer itself, with the same hit test as the press.
    if (wm && !press)
        wm->MouseMoveOrDrag(x, y);
    if (!mMouseInWindow)
    {
        RecordDemoPointerInside(true);
        mMouseInWindow = true;
        ApplyCursor();
    }
    if (clicks == 0)
        return;
    if (press)
    {
        SetCapture(mHWnd);
        if (wm)
            wm->MousePress(x, y, clicks);
        return;
    }
    int held = wm ? (int)wm->mDownButtons : 0;
    if ((held & ~(int)WidgetManager::ClickCodeBit(clicks)) == 0)
        ReleaseCapture();
    if (wm)
        wm->MouseUp(x, y, clicks);
}

void LumoAppBase::HandleTimerTick()
{
    DWORD t = GetTickCount();
    if (t - mLastTimerTick > 500)
        mTimerResumeTime = t;
    mLastTimerTick = t;

    if (mUrlOpenPending && t - mTimerResumeTime >= 5001)
    {
        if (t - mUrlOpenTime >= 8001 && !mHasFocus)
            UrlOpenDone(mPendingUrl);
        else if (t - mUrlOpenTime >= 12001 && mHasFocus)
            UrlOpenFailed(mPendingUrl);
    }

    // Past the end of a playback the pointer the recording left stays the
    // game's until the player moves the real one.
    if (!mHWnd || (mPlayingDemo && !mDemoLivePointer))
        return;
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    bool inside = false;
    if (WindowFromPoint(cursor) == mHWnd)
    {
        POINT client = cursor;
        ScreenToClient(mHWnd, &client);
        int dw = mDDInterface ? mDDInterface->mDisplayWidth : mWidth;
        int dh = mDDInterface ? mDDInterface->mDisplayHeight : mHeight;
        inside = client.x >= 0 && client.y >= 0 && client.x < dw && client.y < dh;
    }
    if (inside == mMouseInWindow)
        return;
    RecordDemoPointerInside(inside);
    if (inside)
    {
        mMouseInWindow = true;
        ApplyCursor();
    }
    else
    {
        POINT client = cursor;
        ScreenToClient(mHWnd, &client);
        int x = client.x, y = client.y;
        if (mWidgetManager)
        {
            mWidgetManager->ScaleMousePosition(x, y);
            mWidgetManager->MouseExit();
        }
        mMouseInWindow = false;
        ApplyCursor();
    }
}

bool LumoAppBase::IsSpecialKey(int key)
{
    int lower = (key >= 'A' && key <= 'Z') ? key + 32 : key;
    return lower == 13 || lower == 'r';
}

// ---------------------------------------------------------------- cursors

void LumoAppBase::SetCursor(int cursorNumber)
{
    mCursorNumber = cursorNumber;
    ApplyCursor();
}

void LumoAppBase::SetCursorImage(int cursorNumber, Image* image)
{
    if (cursorNumber < 0 || cursorNumber >= NUM_CURSORS)
        return;
    mCursorImages[cursorNumber] = image;
    ApplyCursor();
}

void LumoAppBase::EnableCustomCursors(bool enabled)
{
    mCustomCursors = enabled;
    ApplyCursor();
}

void LumoAppBase::ApplyCursor()
{
    if (!mDDInterface)
        return;

    HCURSOR cursor = LoadCursorA(nullptr, IDC_ARROW);
    if (!mHidden && mMouseInWindow)
    {
        Image* image = (mCursorNumber >= 0 && mCursorNumber < NUM_CURSORS)
                           ? mCursorImages[mCursorNumber]
                           : nullptr;
        if (image && (ReplayHoldsInput() || mCustomCursors || mCursorNumber == CURSOR_CUSTOM))
        {
            if (mDDInterface->SetCursorImage(image))
                mCursorChanged = true;
            HCURSOR system = nullptr;
            if (ReplayHoldsInput())
            {
                system = LoadCursorA(nullptr, IDC_ARROW);
                POINT p;
                RECT client;
                if (mHWnd && GetCursorPos(&p) && GetClientRect(mHWnd, &client))
                {
                    ScreenToClient(mHWnd, &p);
                    if (PtInRect(&client, p))
                        system = LoadCursorA(nullptr, IDC_NO);
                }
            }
            ::SetCursor(system);
            return;
        }
        if (mOverrideCursor)
            cursor = mOverrideCursor;
        else
        {
            switch (mCursorNumber)
            {
            case CURSOR_HAND:
                cursor = mHandCursor;
                break;
            case CURSOR_DRAGGING:
                cursor = mDraggingCursor;
                break;
            case CURSOR_TEXT:
                cursor = LoadCursorA(nullptr, IDC_IBEAM);
                break;
            case CURSOR_CIRCLE_SLASH:
                cursor = LoadCursorA(nullptr, IDC_NO);
                break;
            case CURSOR_SIZEALL:
                cursor = LoadCursorA(nullptr, IDC_SIZEALL);
                break;
            case CURSOR_SIZENESW:
                cursor = LoadCursorA(nullptr, IDC_SIZENESW);
                break;
            case CURSOR_SIZENS:
                cursor = LoadCursorA(nullptr, IDC_SIZENS);
                break;
            case CURSOR_SIZENWSE:
                cursor = LoadCursorA(nullptr, IDC_SIZENWSE);
                break;
            case CURSOR_SIZEWE:
                cursor = LoadCursorA(nullptr, IDC_SIZEWE);
                break;
            case CURSOR_WAIT:
                cursor = LoadCursorA(nullptr, IDC_WAIT);
                break;
            case CURSOR_NONE:
            case CURSOR_CUSTOM:
                cursor = nullptr;
                break;
            default:
                break;
            }
        }
    }
    ::SetCursor(cursor);
    if (mDDInterface->SetCursorImage(nullptr))
        mCursorChanged = true;
}

// ---------------------------------------------------------------- focus and keys

void LumoAppBase::UpdateFocusState()
{
    bool active = mHasFocus && !mMinimized;
    if (active == mActive)
        return;
    mActive = active;
    if (active)
    {
        if (mMuteOnLostFocus)
            Unmute(true);
        if (mWidgetManager)
            mWidgetManager->AppGotFocus();
        GotFocus();
    }
    else
    {
        if (mMuteOnLostFocus)
            Mute(true);
        if (mWidgetManager)
            mWidgetManager->AppLostFocus();
        LostFocus();
        ReleaseCapture();
        if (mWidgetManager)
            mWidgetManager->ReleaseHeldButtons();
    }
}

void LumoAppBase::ClearHeldKeys()
{
    if (mWidgetManager)
        for (int i = 0; i < 255; i++)
            mWidgetManager->mKeyDown[i] = false;
    mCtrlDown = false;
    mAltDown = false;
}

// ---------------------------------------------------------------- screen-saver filter

bool LumoAppBase::ScreenSaverFilter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (mSaver.closing)
        return false;

    if ((message == WM_NCCREATE || message == WM_CREATE) && !mSaver.created)
    {
        mSaver.created = true;
        GetCursorPos(&mSaver.cursor);
        LoadScreenSaverPasswordCheck();
        return false;
    }

    bool close = false;
    bool recentPower = mSaver.powerSeen && mClock.now() - mSaver.powerTime < 1000;
    switch (message)
    {
    case WM_SYSCOMMAND:
    {
        UINT command = (UINT)(wParam & 0xFFF0);
        if (command == SC_SCREENSAVE || command == SC_CLOSE || command == SC_TASKLIST ||
            command == SC_KEYMENU)
            return true;
        return false;
    }
    case WM_MOUSEMOVE:
    {
        POINT p;
        GetCursorPos(&p);
        if (p.x != mSaver.cursor.x || p.y != mSaver.cursor.y)
        {
            mSaver.cursor = p;
            mSaver.moveCount++;
        }
        if (mSaver.moveCount < 4)
            return true;
        close = !recentPower;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        close = true;
        break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        close = (wParam == 0) && !recentPower;
        break;
    case WM_CLOSE:
        close = !recentPower;
        break;
    default:
        return false;
    }
    if (!close || hwnd != mHWnd)
        return false;

    if (mSaver.passwordCheck && mInitialized)
    {
        // The popup state keeps a repaint during the check from flipping our
        // frame over its box.
        BeginPopup();
        // The check's own box takes the activation from our window: the filter
        // stands aside meanwhile, or it would ask again from inside the check.
        mSaver.closing = true;
        bool accepted = mSaver.passwordCheck(mHWnd) != FALSE;
        EndPopup();
        ResetFrameTiming();
        if (!accepted)
        {
            mSaver.closing = false;
            GetCursorPos(&mSaver.cursor);
            mSaver.moveCount = 0;
            return true;
        }
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
        FreeLibrary(mSaver.passwordLibrary);
        mSaver.passwordLibrary = nullptr;
        mSaver.passwordCheck = nullptr;
    }

    mSaver.closing = true;
    PostMessageA(mHWnd, WM_CLOSE, 0, 0);
    return message != WM_CLOSE;
}

void LumoAppBase::LoadScreenSaverPasswordCheck()
{
    if (!mSaver.isWindows9x || !mSaver.isWindows9x())
        return;
    // Windows 9x keeps the choice as a number; a text "1" is taken too.
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    BYTE data[16] = {0};
    DWORD type = 0, size = sizeof(data) - 1;
    LONG read = RegQueryValueExA(key, "ScreenSaveUsePassword", nullptr, &type, data, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS)
        return;
    bool use = false;
    if (type == REG_SZ)
        use = atoi((const char*)data) != 0;
    else
        for (DWORD i = 0; i < size && i < 4; i++)
            use = use || data[i] != 0;
    if (!use)
        return;
    HMODULE library = LoadLibraryA(mSaver.passwordLibraryName.c_str());
    if (!library)
        return;
    mSaver.passwordCheck =
        (BOOL(WINAPI*)(HWND))(void*)GetProcAddress(library, "VerifyScreenSavePwd");
    if (!mSaver.passwordCheck)
    {
        FreeLibrary(library);
        return;
    }
    mSaver.passwordLibrary = library;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
}

} // namespace Lumo
