// Construction, start-up (InitApp), shutdown and destruction of the
// application object, its volumes and mute counting.
#include "framework/app/LumoAppBase.h"

#include "framework/app/BassMusicInterface.h"
#include "framework/app/BoxTextWrap.h"
#include "framework/app/FModMusicInterface.h"
#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DebugOverlay.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ResourceManager.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "framework/graphics/D3DDefaults.h"

#include <mmsystem.h>

#include <cstdlib>

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

// The two hand cursors, 32 x 32: '#' black, '.' white, anything else see-through.
static const char* const kHandCursorArt[] = {
    "                                ", "                                ",
    "                                ", "          ##                    ",
    "         #..#                   ", "         #..#                   ",
    "         #..#                   ", "         #..#                   ",
    "         #..###                 ", "         #..#..###              ",
    "         #..#..#..##            ", "         #..#..#..#.#           ",
    "      ## #........#..#          ", "     #..##...........#          ",
    "     #...#...........#          ", "      #..............#          ",
    "       #.............#          ", "       #............#           ",
    "        #...........#           ", "        #..........#            ",
    "         #.........#            ", "         #.........#            ",
    "          #.......#             ", "          #########             ",
};
static const char* const kGrabCursorArt[] = {
    "                                ", "                                ",
    "                                ", "                                ",
    "             ##                 ", "         ## #..###              ",
    "        #..##..#..#             ", "        #..##..#..# #           ",
    "         #..#..#..##.#          ", "         #..#..#..#..#          ",
    "       ## #........#.#          ", "      #..##..........#          ",
    "      #...#.........#           ", "       #............#           ",
    "        #...........#           ", "        #..........#            ",
    "         #.........#            ", "          #.......#             ",
    "          #.......#             ", "          #########             ",
};

static HCURSOR MakeCursor(HINSTANCE instance, const char* const* art, int rows, int hotX, int hotY)
{
    BYTE andMask[32 * 4];
    BYTE xorMask[32 * 4];
    for (int i = 0; i < 32 * 4; i++)
    {
        andMask[i] = 0xFF;
        xorMask[i] = 0;
    }
    for (int y = 0; y < rows && y < 32; y++)
        for (int x = 0; x < 32 && art[y][x]; x++)
        {
            char c = art[y][x];
            if (c != '#' && c != '.')
                continue;
            BYTE bit = (BYTE)(0x80 >> (x & 7));
            andMask[y * 4 + x / 8] &= (BYTE)~bit;
            if (c == '.')
                xorMask[y * 4 + x / 8] |= bit;
        }
    return CreateCursor(instance, hotX, hotY, 32, 32, andMask, xorMask);
}

template <class F> static F ProcAddress(HMODULE module, const char* name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

static std::wstring Widen(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text)
        out += (wchar_t)c;
    return out;
}

static std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (char)c;
    return out;
}

// ---------------------------------------------------------------- construction

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
      mInRedrawRecovery(false), mLastPresentTime(0), mNoDrawBefore(0), mLastTimerTick(0),
      mTimerResumeTime(0), mLastInputTime(0), mMainLoopStart(0), mUpdateCount(0), mDrawCount(0),
      mSleepCount(0), mDrawTime(0), mScreenBltTime(0), mStartLoadingThread(true),
      mLoadingThreadStarted(false), mLoadingThreadFinished(false), mLoadingCompleted(false),
      mYieldMainThread(false), mLoadingDone(0), mLoadingTotal(0), mCursorThreadRunning(false),
      mCursorNumber(0), mCustomCursors(false), mHandCursor(nullptr), mDraggingCursor(nullptr),
      mOverrideCursor(nullptr), mPopupOpen(false), mSharedImagesNeedPurge(false),
      mUrlOpenPending(false), mShutdownWhenUrlDone(false), mUrlOpenTime(0), mDemoPrefix("lumoapp"),
      mRecordingDemo(false), mPlayingDemo(false), mDemoEnded(false), mDemoClosing(false),
      mDemoRandomSeed(0), mDemoFastForwardTarget(-1), mDemoRunToEnd(false), mDemoSingleStep(false),
      mDemoPause(false), mDemoMutedForFastForward(false), mDemoLastUpdate(0), mDemoMouseX(0),
      mDemoMouseY(0), mDemoLoadingCompleted(false), mDemoEndNoted(false), mDemoDivergences(0),
      mDemoFormatVersion(kDemoFileVersion), mShowFPS(false), mShowFPSMode(0)
{
    gLumoApp = this;
    gAppHost = this;
    mClock.now = DefaultNow;
    mClock.sleep = DefaultSleep;
    mClock.waitInput = DefaultWaitInput;
    for (int i = 0; i < NUM_CURSORS; i++)
        mCursorImages[i] = nullptr;
    for (int i = 0; i < 512; i++)
        mSaturationTable[i] = (uint8_t)(i < 256 ? i : 255);

    mWidescreenAspect.Set(kDisplayWidescreenNumerator, kDisplayWidescreenDenominator);
    mWidescreenCorrection = kDisplayAspectCorrectionDefault;
    mStretchDisplay = kDisplayStretchDefault;
    // A Tablet PC's pen overlay does not survive flipping.
    mFlipFullscreen = GetSystemMetrics(SM_TABLETPC) == 0;
    mVSyncSuppressed = false;
    mTest3D = kD3DRunSelfTest;
    mAutoEnable3D = kD3DSelfTestMayEnable3D;
    mMinVidMemory3D = kD3DMinVidMemoryMB;
    mRecVidMemory3D = kD3DRecVidMemoryMB;

    gVersionDLL = LoadLibraryA("version.dll");
    gDDrawDLL = LoadLibraryA("ddraw.dll");
    gDSoundDLL = LoadLibraryA("dsound.dll");
    HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32)
        gGetLastInputInfo = ProcAddress<GetLastInputInfoFunc>(user32, "GetLastInputInfo");
    ImageLib::LoadJ2KCodec();

    // Empty when no narrow name reaches the executable: the working folder is
    // still set by its wide name (InitApp).
    const std::string exe = Lumo::GetExecutablePath();
    mProductVersion = exe.empty() ? std::string() : GetProductVersion(exe);
    mExeFolder = Lumo::GetFileDir(exe, true);

    mLoadingStartTime = GetTickCount();
    mConstructTime = mLoadingStartTime;

    mStringTable["DIALOG_BUTTON_OK"] = L"OK";
    mStringTable["DIALOG_BUTTON_CANCEL"] = L"CANCEL";
    mStringTable["UPDATE_CHECK_TITLE"] = L"Update Check";
    mStringTable["UPDATE_CHECK_BODY"] =
        L"Checking if there are any updates available for this product ...";
    mStringTable["UP_TO_DATE_TITLE"] = L"Up to Date";
    mStringTable["UP_TO_DATE_BODY"] =
        L"There are no updates available for this product at this time.";
    mStringTable["NEW_VERSION_TITLE"] = L"New Version";
    mStringTable["NEW_VERSION_BODY"] = L"There is an update available for this product.  Would "
                                       L"you like to visit the web site to download it?";
    mDemoFileName = mDemoPrefix + ".dmo";

    mWidgetManager = new WidgetManager(this);
    mResourceManager = new ResourceManager(this);

    gCrashReporterApp = this;
}

// ---------------------------------------------------------------- start-up

void LumoAppBase::InitApp()
{
    mPrimaryThreadId = GetCurrentThreadId();
    if (mShutdown)
        return;
    if (!mHInstance)
        mHInstance = GetModuleHandleA(nullptr);

    if (!gDDrawDLL || !gDSoundDLL)
    {
        BeginPopup();
        MessageBoxW(nullptr,
                    WrapBoxText(GetString("APP_REQUIRES_DIRECTX",
                                          L"This application requires DirectX to run.  You can "
                                          L"get DirectX at http://www.microsoft.com/directx"))
                        .c_str(),
                    GetString("YOU_NEED_DIRECTX", L"You need DirectX").c_str(), MB_ICONERROR);
        EndPopup();
        ExitImmediately(0);
    }

    BeforeInit();
    LoadSettings();

    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool vistaOrLater = GetVersionExA(&version) && version.dwMajorVersion >= 6;
    bool win9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
#pragma GCC diagnostic pop
    if (vistaOrLater)
    {
        typedef HRESULT(WINAPI * GetFolderPathFunc)(HWND, int, HANDLE, DWORD, LPWSTR);
        HMODULE lib = LoadLibraryA("shell32.dll");
        GetFolderPathFunc getFolderPath =
            lib ? ProcAddress<GetFolderPathFunc>(lib, "SHGetFolderPathW") : nullptr;
        if (!getFolderPath)
        {
            if (lib)
                FreeLibrary(lib);
            lib = LoadLibraryA("shfolder.dll");
            getFolderPath = lib ? ProcAddress<GetFolderPathFunc>(lib, "SHGetFolderPathW") : nullptr;
        }
        wchar_t folder[MAX_PATH] = {0};
        // Taken wide: a folder the code page cannot name is reached by its short name, and one
        // that no narrow name reaches is not used (the files land in the working folder).
        std::string base;
        if (getFolderPath && SUCCEEDED(getFolderPath(nullptr, 0x23, nullptr, 0, folder)) &&
            (base = Lumo::NarrowPathName(folder)).empty())
            OutputDebugStringA("LumoAppBase: no narrow name reaches the common application-data "
                               "folder; files for the user go to the working folder\n");
        if (!base.empty())
        {
            if (base.back() == '\\' || base.back() == '/')
                base.pop_back();
            // No company: no empty folder level (a doubled backslash in every path shown).
            std::string company = mCompanyName.empty() ? "" : mCompanyName + "\\";
            std::string dataFolder = base + "\\" + company + mProductName + "\\";
            Lumo::SetAppDataFolder(dataFolder);
            if (!Lumo::IsAbsolutePath(mDemoFileName))
                mDemoFileName = dataFolder + mDemoFileName;
        }
        if (lib)
            FreeLibrary(lib);
    }

    if (!mCmdLineParsed)
        ParseCommandLine();
    if (mScreenSaver)
        mOnlyAllowOneCopy = false;

    if (!KeepWorkingDirectory(mExeFolder))
        Lumo::UseExecutableFolder();
    if (!mChangeDirPath.empty() && !KeepWorkingDirectory(mChangeDirPath))
        SetCurrentDirectoryA(mChangeDirPath.c_str());

    mNotifyMessage = RegisterWindowMessageW((Widen(mProductName) + L"Notify").c_str());
    SetLastError(0);
    mMutex = CreateMutexA(nullptr, TRUE, (mProductName + "Mutex").c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        OnAlreadyRunning();

    mTimeLoaded = GetTickCount();
    ::SeedRandom((unsigned int)mTimeLoaded);
    mDemoRandomSeed = mTimeLoaded;

    if (mPlayingDemo)
    {
        std::string error;
        if (!ReadDemoFile(error))
        {
            mPlayingDemo = false;
            // The file named as typed: the narrow name may be a short one or hold "?".
            std::wstring text = FromCodePage(error);
            const std::wstring narrowName = FromCodePage(mDemoFileName);
            size_t at = narrowName.empty() ? std::wstring::npos : text.find(narrowName);
            if (at != std::wstring::npos)
                text.replace(at, narrowName.size(), TypedCommandLineText(mDemoFileName));
            PopupW(text);
            // Not 0: a script can tell a refused demo from a replay that ran.
            ExitImmediately(1);
        }
    }
    srand(GetTickCount());

    mUnicodeWindow = !win9x;
    HICON icon = LoadIconA(mHInstance, MAKEINTRESOURCEA(5));
    if (mUnicodeWindow)
    {
        WNDCLASSW wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AppWindowProc;
        wc.hInstance = mHInstance;
        wc.hIcon = icon;
        wc.lpszClassName = L"MainWindow";
        RegisterClassW(&wc);
        wc.style = 0;
        wc.lpszClassName = L"InvisWindow";
        RegisterClassW(&wc);
        mInvisHWnd = CreateWindowExW(0, L"InvisWindow", mTitle.c_str(), 0, 0, 0, 0, 0, nullptr,
                                     nullptr, mHInstance, nullptr);
    }
    else
    {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AppWindowProc;
        wc.hInstance = mHInstance;
        wc.hIcon = icon;
        wc.lpszClassName = "MainWindow";
        RegisterClassA(&wc);
        wc.style = 0;
        wc.lpszClassName = "InvisWindow";
        RegisterClassA(&wc);
        mInvisHWnd = CreateWindowExA(0, "InvisWindow", Narrow(mTitle).c_str(), 0, 0, 0, 0, 0,
                                     nullptr, nullptr, mHInstance, nullptr);
    }
    if (mInvisHWnd)
        SetWindowLongPtrA(mInvisHWnd, GWLP_USERDATA, (LONG_PTR)this);

    mHandCursor = MakeCursor(mHInstance, kHandCursorArt,
                             sizeof(kHandCursorArt) / sizeof(kHandCursorArt[0]), 11, 4);
    mDraggingCursor = MakeCursor(mHInstance, kGrabCursorArt,
                                 sizeof(kGrabCursorArt) / sizeof(kGrabCursorArt[0]), 15, 10);

    BeforeMakeWindow();

    if (mWidgetManager)
        mWidgetManager->SetMouseRects(Rect(0, 0, mWidth, mHeight), Rect(0, 0, mWidth, mHeight));

    // Whether the window fits the desktop is an outside value: a replay that
    // carries it takes the recording's, and its own window (which may reach
    // past a small screen's edge) is never forced to full screen.
    bool replayTakesFit = mPlayingDemo && mDemoFormatVersion >= 4;
    if (!replayTakesFit &&
        (mWidth >= GetSystemMetrics(SM_CXSCREEN) || mHeight >= GetSystemMetrics(SM_CYSCREEN)))
    {
        mIsWindowed = false;
        mForceFullscreen = true;
    }

    MakeWindow();

    // The display the recording saw (vertical sync, refresh rate) paces the replay.
    if (mPlayingDemo && ReadDemoTiming(false) && !mDemo.mPointerKind &&
        mDemo.mPendingCommand == DEMO_DISPLAY)
    {
        mDemo.mRecordTaken = true;
        ApplyDemoRecord();
    }
    // A refused full screen is told to the player: an outside value, since a
    // replay always runs in a window and would never meet the refusal itself.
    if (mRecordingDemo || (mPlayingDemo && mDemoFormatVersion >= 3))
    {
        SyncDemoBool(mFullscreenRefusalUntold);
        // The recording's window came from that refusal: the replay's settings
        // say so too, and its window is not made again for the window asked for.
        if (mPlayingDemo && mFullscreenRefusalUntold)
        {
            mWindowedFallbackDone = true;
            mIsWindowed = true;
        }
    }
    if (mRecordingDemo || replayTakesFit)
    {
        bool forced = mForceFullscreen;
        SyncDemoBool(forced);
        mForceFullscreen = forced;
        if (forced)
            mIsWindowed = false;
    }

    SetSfxVolume(mSfxVolume);
    mMusicInterface = MakeMusicInterface(mInvisHWnd);
    SetMusicVolume(mMusicVolume);

    if (mScreenSaver)
        SetCursor(CURSOR_NONE);

    AfterInit();
    mInitialized = true;
}

MusicInterface* LumoAppBase::MakeMusicInterface(HWND window)
{
    if (mNoMusic)
        return new MusicInterface();
    if (mUseMusicLibrary)
        return new FModMusicInterface(window);
    return new BassMusicInterface(window);
}

void LumoAppBase::OnAlreadyRunning()
{
    if (!mOnlyAllowOneCopy)
        return;
    if (mNotifyMessage)
        PostMessageA(HWND_BROADCAST, mNotifyMessage, 0, 0);
    ExitImmediately(0);
}

// ---------------------------------------------------------------- shutdown

void LumoAppBase::Shutdown()
{
    if (mPrimaryThreadId != 0 && GetCurrentThreadId() != mPrimaryThreadId)
    {
        mShutdownRequested = true;
        return;
    }
    if (mShutdown)
        return;

    mBreakLoops = true;
    mShutdown = true;
    NoteRunEnding(true);
    ShutdownHook();

    if (mPlayingDemo)
    {
        SetMusicVolume(mSavedMusicVolume);
        SetSfxVolume(mSavedSfxVolume);
    }

    while (mCursorThreadRunning)
        ::Sleep(10);

    if (mMusicInterface)
        mMusicInterface->StopAllMusic();

    if (!mIsPhysWindowed && mDDInterface && mDDInterface->mDD)
        mDDInterface->mDD->RestoreDisplayMode();

    // The settings are written before the window goes: hiding a window can
    // take seconds (Wine waits for a window manager that may not be there),
    // and a run ended meanwhile must lose nothing.
    if (mSaveSettingsAtShutdown)
        SaveSettings();

    if (mHWnd)
        ShowWindow(mHWnd, SW_HIDE);
    RestoreDesktopMode();

    ImageLib::FreeJ2KCodec();
}

LumoAppBase::~LumoAppBase()
{
    WaitForLoadingThread();
    LumoAppBase::Shutdown();

    bool asked = false;
    if (mChanged3D && mDDInterface)
    {
        bool stored = false;
        bool is3D = mDDInterface->mIs3D;
        if (ReadRegistryBool("Is3D", &stored) || Is3DRecommended())
            WriteRegistryBool("Is3D", is3D);
        else if (is3D)
        {
            asked = true;
            std::wstring title =
                Widen(mNamePrefix) + L" " +
                GetString("HARDWARE_ACCEL_CONFIRMATION", L"Hardware Acceleration Confirmation");
            std::wstring text = GetString(
                "HARDWARE_ACCEL_SWITCHED_ON",
                L"Hardware Acceleration was switched on during this session.\r\nIf this resulted "
                L"in slower performance, it should be switched off.\r\nWould you like to keep "
                L"Hardware Acceleration switched on?");
            BeginPopup();
            bool yes = MessageBoxW(nullptr, WrapBoxText(text).c_str(), title.c_str(),
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
            EndPopup();
            mDDInterface->mIs3D = yes;
            if (yes)
                WriteRegistryBool("Is3D", true);
        }
    }
    if (!asked && gD3DRenderTargetFailed && !mScreenSaver)
    {
        std::wstring title =
            Widen(mNamePrefix) + L" " +
            GetString("HARDWARE_ACCEL_CONFIRMATION", L"Hardware Acceleration Confirmation");
        std::wstring text = GetString(
            "HARDWARE_ACCEL_NOT_WORKING",
            L"Hardware Acceleration may not have been working correctly during this "
            L"session.\r\nIf you noticed graphics problems, you may want to turn off Hardware "
            L"Acceleration.\r\nWould you like to keep Hardware Acceleration switched on?");
        BeginPopup();
        bool no = MessageBoxW(nullptr, WrapBoxText(text).c_str(), title.c_str(),
                              MB_YESNO | MB_ICONQUESTION) == IDNO;
        EndPopup();
        if (no)
            WriteRegistryBool("Is3D", false);
    }

    for (Dialog* dialog : mDialogList)
    {
        if (mWidgetManager)
            mWidgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    mDialogList.clear();
    mDialogMap.clear();

    // Objects still waiting for deletion go now; nothing uses them any more.
    for (DeferredDelete& entry : mDeferredDeletes)
        delete entry.object;
    mDeferredDeletes.clear();

    if (mInvisHWnd)
    {
        SetWindowLongPtrA(mInvisHWnd, GWLP_USERDATA, 0);
        DestroyWindow(mInvisHWnd);
        mInvisHWnd = nullptr;
    }
    delete mWidgetManager;
    mWidgetManager = nullptr;
    delete mResourceManager;
    mResourceManager = nullptr;
    ReleaseDiagnosticsOverlay();

    for (auto& entry : mSharedImages)
        delete entry.second.mImage;
    mSharedImages.clear();

    delete mDDInterface;
    mDDInterface = nullptr;
    delete mMusicInterface;
    mMusicInterface = nullptr;
    if (mHWnd)
    {
        SetWindowLongPtrA(mHWnd, GWLP_USERDATA, 0);
        DestroyWindow(mHWnd);
        mHWnd = nullptr;
    }
    // A screen saver that ends while old Windows' check is held still tells
    // the system that it no longer runs.
    if (mSaver.passwordLibrary)
    {
        SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
        FreeLibrary(mSaver.passwordLibrary);
        mSaver.passwordLibrary = nullptr;
        mSaver.passwordCheck = nullptr;
    }
    if (mHandCursor)
        DestroyCursor(mHandCursor);
    if (mDraggingCursor)
        DestroyCursor(mDraggingCursor);

    if (gLumoApp == this)
        gLumoApp = nullptr;
    if (gAppHost == this)
        gAppHost = nullptr;
    if (gCrashReporterApp == this)
        gCrashReporterApp = nullptr;
    ReportDemoPlaybackEnd();
    if (!WriteDemoFile())
        TellDemoNotWritten();
    if (mMutex)
        CloseHandle(mMutex);
    if (gDDrawDLL)
        FreeLibrary(gDDrawDLL);
    if (gDSoundDLL)
        FreeLibrary(gDSoundDLL);
    if (gVersionDLL)
        FreeLibrary(gVersionDLL);
    gDDrawDLL = gDSoundDLL = gVersionDLL = nullptr;
}

// ---------------------------------------------------------------- volumes

double LumoAppBase::GetSoundVolume()
{
    return mSfxVolume;
}

double LumoAppBase::GetMusicVolume()
{
    return mMusicVolume;
}

double LumoAppBase::GetSfxVolume()
{
    return mSfxVolume;
}

bool LumoAppBase::IsMuted()
{
    return mMuteCount > 0;
}

void LumoAppBase::SetSoundVolume(double volume)
{
    mSfxVolume = volume;
}

void LumoAppBase::SetMusicVolume(double volume)
{
    mMusicVolume = volume;
    if (mMusicInterface)
        mMusicInterface->SetVolume(mMuteCount > 0 ? 0.0 : volume);
}

void LumoAppBase::SetSfxVolume(double volume)
{
    mSfxVolume = volume;
}

void LumoAppBase::Mute(bool automatic)
{
    mMuteCount++;
    if (automatic)
        mAutoMuteCount++;
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void LumoAppBase::Unmute(bool automatic)
{
    if (mMuteCount > 0)
    {
        mMuteCount--;
        if (automatic)
            mAutoMuteCount--;
    }
    SetMusicVolume(mMusicVolume);
    SetSfxVolume(mSfxVolume);
}

void LumoAppBase::ToggleSound()
{
    if (mMusicVolume == 0)
        SetMusicVolume(mSavedMusicVolume);
    else
    {
        mSavedMusicVolume = mMusicVolume;
        SetMusicVolume(0);
    }
    if (mSfxVolume == 0)
        SetSfxVolume(mSavedSfxVolume);
    else
    {
        mSavedSfxVolume = mSfxVolume;
        SetSfxVolume(0);
    }
}

void LumoAppBase::HideApp()
{
    SetMusicVolume(0.0);
    if (mHWnd)
        ShowWindow(mHWnd, SW_HIDE);
    mHidden = true;
    ApplyCursor();
}

void LumoAppBase::Set3DAcceleration(bool is3D)
{
    if (is3D == mIs3D)
        return;
    mIs3D = is3D;
    if (!mDDInterface)
        return;
    mDDInterface->mIs3D = is3D;
    if (mWidgetManager)
    {
        mWidgetManager->mImage = mDDInterface->GetScreenImage();
        mWidgetManager->SetAllDirty();
    }
}

bool LumoAppBase::Is3DAccelerated()
{
    return mDDInterface && mDDInterface->mIs3D;
}

bool LumoAppBase::Is3DSupported()
{
    return mDDInterface && mDDInterface->mD3DTester &&
           mDDInterface->mD3DTester->mFailureReason.empty();
}

bool LumoAppBase::Is3DRecommended()
{
    return Is3DSupported() && mDDInterface->mD3DTester->mWarning.empty();
}

void LumoAppBase::ForgetImageOnDisplay(MemoryImage* image)
{
    if (mDDInterface)
        mDDInterface->RemoveImageTexture(image);
}

DDImage* LumoAppBase::CopyImage(Image* source)
{
    if (!source)
        return nullptr;
    DDImage* image = new DDImage(mDDInterface);
    image->Create(source->mWidth, source->mHeight);
    Graphics g(image);
    g.DrawImage(source, 0, 0);
    image->mFileName = source->mFileName;
    image->mRows = source->mRows;
    image->mColumns = source->mColumns;
    return image;
}

std::wstring LumoAppBase::GetString(const std::string& key, const std::wstring& defaultText)
{
    auto it = mStringTable.find(key);
    return it == mStringTable.end() ? defaultText : it->second;
}

// ---------------------------------------------------------------- empty hooks

void LumoAppBase::OnKeyUp(int) {}
void LumoAppBase::AfterInit() {}
void LumoAppBase::ShutdownHook() {}
void LumoAppBase::BeforeExit() {}
void LumoAppBase::BeforeMakeWindow() {}
void LumoAppBase::Hook42(std::map<std::string, std::string>&) {}
void LumoAppBase::BeforeDisplayChange() {}
void LumoAppBase::AfterDisplayChange() {}
bool LumoAppBase::KeepWorkingDirectory(const std::string&)
{
    return false;
}
void LumoAppBase::SpareHook2(int, int) {}
void LumoAppBase::SpareHook3(int) {}
void LumoAppBase::DialogAdded() {}
void LumoAppBase::DialogRemoved() {}
void LumoAppBase::GotFocus() {}
void LumoAppBase::LostFocus() {}
bool LumoAppBase::HandleHotKey(int, bool, bool)
{
    return false;
}
void LumoAppBase::OnCloseRequest() {}
void LumoAppBase::After3DTest() {}
std::string LumoAppBase::GetExtraText()
{
    return std::string();
}
bool LumoAppBase::SpareQuery(int, int)
{
    return false;
}
void LumoAppBase::BeforeInit() {}
bool LumoAppBase::IsEnabled()
{
    return !mDisabled;
}
void LumoAppBase::DrawOverlay(Graphics*) {}

} // namespace Lumo
