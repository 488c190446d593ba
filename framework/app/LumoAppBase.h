// The framework's one application object: window, message pump, fixed-rate
// update loop, frame pacing, loading and cursor threads, settings, dialogs,
// message boxes, cursors and the shared image caches.
// The game derives its own class and replaces single steps through the
// virtual operations, so their order below is the slot order and must not
// change; subclasses append after DrawOverlay.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/app/AppHost.h"
#include "framework/app/Ratio.h"
#include "framework/app/Rect.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DemoFile.h"
#include "framework/diagnostics/DemoStream.h"
#include "framework/graphics/ImageHandle.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/DialogListener.h"
#include "framework/widgets/DirtyRegion.h"

namespace Lumo
{

class WidgetManager;
class Widget;
class Dialog;
class DDInterface;
class DDImage;
class MusicInterface;
class ResourceManager;
class Image;
class MemoryImage;
class Graphics;
class Buffer;

// Step states of the main loop.
enum AppStepState
{
    STEP_PUMP = 0,     // pump messages and handle queued input
    STEP_UPDATE = 1,   // update or draw
    STEP_FRACTION = 2, // fractional updates after an update
    STEP_END = 3       // end of a step; becomes STEP_PUMP at the next one
};

// A window message held for the main loop.
struct QueuedMessage
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool logical = false; // a mouse position already mapped, by the display it was made on
};

// An object whose deletion waits until StepApp nesting is back to its depth.
struct DeferredDelete
{
    int depth; // StepApp nesting depth when it was queued
    Widget* object;
};

// Time source of the loop; tests swap it for a manual clock.
struct AppClock
{
    DWORD (*now)();              // milliseconds, timeGetTime by default
    void (*sleep)(DWORD ms);     // Sleep by default
    void (*waitInput)(DWORD ms); // sleeps, waking early when input arrives
};

// Final place of a windowed frame: the preferred place pulled into the work
// area with a 4-pixel margin, or, without one (x = -1), centred across with
// 38.2 % of the free height above.
void PlaceWindow(int preferredX, int preferredY, int frameWidth, int frameHeight, const RECT& work,
                 int* x, int* y);

// A volume (0.0 to 1.0) as the registry keeps it (a percentage), and back;
// a saved volume loads back to the same percentage.
int VolumeToRegistry(double volume);
double VolumeFromRegistry(int value);
// The value, or the nearer bound when it lies outside low..high: every
// setting read from the registry is held to its range.
int HoldToRange(int value, int low, int high);

// What the window creation does with a display result code.
enum DisplayAction
{
    DISPLAY_READY,              // the success steps
    DISPLAY_FULLSCREEN_INSTEAD, // windowed is impossible at this depth: force full screen
    DISPLAY_WINDOWED_INSTEAD,   // full screen refused: take the windowed fallback
    DISPLAY_RETRY_2D,           // the 3D start failed: reinitialise without 3D
    DISPLAY_FATAL_COLOR_DEPTH,  // neither mode works: the colour-depth box, exit code 1
    DISPLAY_FATAL               // the DirectDraw failure box, exit code 1
};
DisplayAction DecideDisplayAction(int result, bool windowedChoice, bool forceFullscreen,
                                  bool windowedFallbackDone, bool is3D);

// Splits a process command line after the program name (quoted or not); false
// when no argument text follows.
bool SplitCommandLine(const std::string& line, std::string& arguments);
bool SplitCommandLine(const std::wstring& line, std::wstring& arguments);

// Whether argument text carries the "-screensaver" option, read the way the
// options are split, so the settings step can know it before the options are
// applied.
bool ArgumentsAskScreenSaver(const std::string& arguments);
// The same for a demo replay ("-play" or "-playnum", unless a later option
// records instead).
bool ArgumentsAskReplay(const std::string& arguments);

// An argument the code page cannot hold, as typed and as the options get it.
struct CommandLineArgument
{
    std::string narrow; // what the option handler gets
    std::wstring typed; // as typed; a "-demofile" name in the folder the handler puts it in
    bool reached;       // false: no narrow name reaches it, and "?" stand for what is missing
};
// The narrow argument text of the wide one, for the narrow calls: the same text where the code
// page holds it. An argument it cannot hold is put in quotes as the name that reaches the file
// or folder it names (NarrowPathName; a "-demofile" name that is not absolute is looked for in
// `demoFolder`), else as its text with "?" for the letters the code page lacks; either goes into
// `converted`. Option names and values stay what they were, so the text splits alike.
std::string NarrowCommandArguments(const std::wstring& arguments, const std::wstring& demoFolder,
                                   std::vector<CommandLineArgument>* converted,
                                   ShortPathQuery shortPath = SystemShortPath);

// Splits argument text into (option, value) pairs for HandleCommandLineOption:
// blank-separated tokens, double quotes grouping blanks into one; a token
// starting with '-' and a non-digit is an option, and takes the next token as
// its value unless that is an option too. A stray token comes out as an option
// of its own, so the handler refuses it.
std::vector<std::pair<std::string, std::string>>
SplitCommandLineOptions(const std::string& arguments);

// True when an object queued at one StepApp nesting depth may be deleted at another.
bool DeferredDeleteIsDue(int queuedDepth, int currentDepth);

typedef std::pair<std::string, std::string> SharedImageKey; // (file name, variant), upper case
typedef std::map<SharedImageKey, SharedImageEntry> SharedImageMap;
typedef std::set<MemoryImage*> MemoryImageSet;
typedef std::map<int, Dialog*> DialogMap;
typedef std::list<Dialog*> DialogList;

class LumoAppBase : public ButtonListener, public DialogListener, public AppHost
{
public:
    LumoAppBase();

    // --- input hooks
    virtual void OnKeyUp(int keyCode);

    // --- main loop steps (LumoAppBase_MainLoop.cpp)
    virtual bool PaceFrame(bool allowSleep);
    virtual void UpdateOnce();
    virtual bool DoUpdateFrames();
    virtual void UpdateFramesFraction(float fraction);

    // --- window, cursor and image set
    virtual void MakeWindow();
    virtual void ApplyCursor();
    virtual void CommitAllImages();
    virtual void PurgeAllImages();
    virtual void ReleaseAllImagesLocked();
    virtual void LoadingCompleted();

    virtual ~LumoAppBase();

    // --- start-up and shutdown hooks
    virtual MusicInterface* MakeMusicInterface(HWND window);
    virtual void AfterInit();
    virtual void ShutdownHook();
    virtual void BeforeExit();
    virtual void LoadingThreadWork();
    virtual void SaveSettings();
    virtual void LoadSettings();
    virtual Dialog* MakeDialog(int id, bool isModal, const std::wstring& header,
                               const std::wstring& lines, const std::wstring& footer,
                               int buttonMode);
    virtual void BeforeMakeWindow();

    // --- system boxes (LumoAppBase_Dialogs.cpp)
    virtual void BeginPopup();
    virtual void EndPopup();
    virtual int MsgBoxW(const std::wstring& text, const std::wstring& title, int flags);
    virtual int MsgBox(const std::string& text, const std::string& title, int flags);
    virtual void PopupW(const std::wstring& text);
    virtual void Popup(const std::string& text);
    virtual void AppendScreenSaverError(const std::string& text);

    virtual void DeferDelete(Widget* object);

    // --- desktop services (LumoAppBase_Desktop.cpp)
    virtual void UrlOpenFailed(const std::string& url);
    virtual void UrlOpenDone(const std::string& url);
    virtual bool OpenURL(const std::string& url, bool shutdownWhenDone);
    virtual std::string GetProductVersion(const std::string& path);
    virtual void HideApp();
    virtual std::string GetCrashInfoText();
    // Empty; the crash upload sends what a subclass puts in the map as extra form fields.
    virtual void Hook42(std::map<std::string, std::string>& fields);
    virtual void Shutdown();

    // --- command line (LumoAppBase_CommandLine.cpp)
    virtual void ParseCommandLine();
    virtual void ReceiveCommandLine(const std::string& arguments);
    virtual void HandleCommandLineOption(const std::string& name, const std::string& value);
    // An option's text as it was typed, for the narrow text the handler got: for the boxes
    // that name it. `reached` (when given) is false where no narrow name reaches it.
    std::wstring TypedCommandLineText(const std::string& narrow, bool* reached = nullptr) const;
    // The argument text of the process's command line, read wide and made narrow
    // (NarrowCommandArguments); false when there is none.
    bool ReadCommandArguments(std::string* arguments, std::vector<CommandLineArgument>* converted);

    virtual void BringToFront(WPARAM flag, LPARAM unused);
    virtual void OnAlreadyRunning();
    virtual void RunMainLoop();
    virtual void InitApp();
    virtual void BeforeDisplayChange();
    virtual void AfterDisplayChange();
    // False: InitApp makes the folder the working folder.
    virtual bool KeepWorkingDirectory(const std::string& folder);
    virtual void SpareHook2(int a, int b);
    virtual void SpareHook3(int a);

    // --- volumes
    virtual double GetSoundVolume();
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetSoundVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);

    virtual double GetLoadingProgress();
    virtual DDImage* GetImage(const std::string& fileName, bool commit);
    virtual ImageHandle GetSharedImage(const std::string& fileName, const std::string& variant,
                                       bool* isNew = nullptr);

    // --- screen modes (LumoAppBase_Window.cpp)
    virtual void SwitchScreenMode(bool windowed, bool is3D, bool force);
    virtual void SetWindowedMode(bool windowed);
    virtual void ReapplyScreenMode();
    // True once after full screen was refused (the game tells the player then).
    bool TakeFullscreenRefusal();
    // After a full-screen request a replay repeats: its refusal into or out of the demo.
    void SyncFullscreenRefusal();
    virtual void Set3DAcceleration(bool is3D);

    // --- framework dialogs (LumoAppBase_Dialogs.cpp)
    virtual Dialog* DoDialog(int id, bool isModal, const std::wstring& header,
                             const std::wstring& lines, const std::wstring& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    virtual void AddDialogPtr(Dialog* dialog);
    virtual void AddDialog(int id, Dialog* dialog);
    virtual bool KillDialogPtr(Dialog* dialog);
    virtual bool KillDialog(int id);
    virtual bool RemoveDialog(int id, bool removeWidget, bool deleteDialog);
    virtual int GetDialogCount();
    virtual void DialogAdded();
    virtual void DialogRemoved();

    // --- focus and keys
    virtual void GotFocus();
    virtual void LostFocus();
    virtual bool IsSpecialKey(int key);
    virtual bool HandleDebugKey(int key);
    virtual bool HandleHotKey(int key, bool ctrlDown, bool altDown);
    virtual void OnCloseRequest();
    virtual void After3DTest();
    virtual std::string GetExtraText();
    virtual bool SpareQuery(int a, int b);

    // --- drawing (LumoAppBase_Draw.cpp)
    virtual bool DrawDirtyStuff();
    virtual void Redraw(Rect* rect);
    virtual void BeforeInit();

    // --- loop
    virtual void LoopUntilShutdown();
    virtual bool StepApp(bool& updated);
    virtual bool UpdateUntilTick();
    virtual bool IsEnabled();
    virtual void DrawOverlay(Graphics* g);

    // ---- DialogListener
    void OnDialogButtonPressed(int dialogId, int buttonId) override;
    void OnDialogButtonClicked(int dialogId, int buttonId) override;

    // ---- AppHost operations of its own; the others are marked override where declared
    void SharedImageReleased() override;
    bool ReloadPixels(MemoryImage* image, uint32_t* pixels) override;
    void PictureMemoryRanOut(const std::string& picture, int width, int height) override;
    DDInterface* GetDisplay() override;
    bool IsMinimized() override;
    void ReadDisplayOptions(DisplayOptions& options) override;
    void SetScreenRect(const Rect& rect) override;
    void SetVSyncBroken() override;
    std::string GetRegistryKey() override;
    bool IsPlayingDemo() override;
    DialogListener* GetDialogListener() override;

    // ---- services

    // Display and 3D.
    bool Is3DAccelerated() override;
    bool Is3DSupported();
    bool Is3DRecommended();
    void ForgetImageOnDisplay(MemoryImage* image) override;
    DDImage* CopyImage(Image* source);
    int ReinitDisplay();
    // Sets the display's 3D mode, reinitialising at once when asked; false when that
    // failed and the program ends. A failure in 2D takes a new window's fallbacks.
    bool InitDisplay(bool is3D, bool reinitNow);
    // What a failed initialisation leads to: a window in the other mode (made
    // here, with its own result handling), or the box and exit code 1.
    void TakeDisplayFallback(DisplayAction action, int result);
    // The FAILED_INIT_DIRECTDRAW box with the result's name and the display's error text.
    void ReportDisplayFailure(int result);
    // Focus bookkeeping, images, screen image and the window timer after a good initialisation.
    void DisplayReady();
    // The focus and minimized flags from the real window (minimized as given),
    // muting, redrawing and telling the widgets as their messages would.
    void TakeWindowFocusState(bool minimized);

    // Draws what changed and presents the whole screen at once, outside the
    // loop's pacing: the last picture before the window goes must be current.
    void PresentNow();

    // Main loop pieces.
    void ProcessDeferredDeletes();
    void ResetFrameTiming();
    void AccumulateFrameTime();
    void StartLoadingThread();
    void WaitForLoadingThread();
    void StartCursorThread();
    void PurgeUnusedSharedImages();
    bool ProcessQueuedMessages(bool oneOnly);
    void CheckScreenSaverIdle(DWORD now);

    // Cursors.
    void SetCursor(int cursorNumber) override;
    void SetCursorImage(int cursorNumber, Image* image);
    void EnableCustomCursors(bool enabled);

    // Strings.
    std::wstring GetString(const std::string& key, const std::wstring& defaultText);

    // Registry, under HKCU\SOFTWARE\<registry key>; a value name may carry a subkey path.
    bool WriteRegistryValue(const std::string& valueName, DWORD type, const void* data,
                            DWORD length);
    bool WriteRegistryString(const std::string& valueName, const std::string& value) override;
    bool WriteRegistryInt(const std::string& valueName, int value);
    bool WriteRegistryBool(const std::string& valueName, bool value);
    bool ReadRegistryValue(const std::string& valueName, DWORD* type, void* data, DWORD* length,
                           HKEY root);
    bool ReadRegistryValueHKCU(const std::string& valueName, DWORD* type, void* data,
                               DWORD* length);
    bool ReadRegistryInt(const std::string& valueName, int* value);
    bool ReadRegistryBool(const std::string& valueName, bool* value);
    void DeleteRegistryValue(const std::wstring& valueName);
    // "InProgress" = 1, outside any demo stream (the run's start is no input of it).
    void MarkRunInProgress();

    // Image set and shared images; the set is walked under the display lock.
    void AddMemoryImage(MemoryImage* image) override;
    void RemoveMemoryImage(MemoryImage* image) override;
    // Hands a newly made image to its shared entry and wakes those waiting for it.
    void CompleteSharedImage(const SharedImageKey& key, Image* image);
    const uint8_t* GetSaturationTable() const { return mSaturationTable; }

    // Desktop services.
    void CopyToClipboard(const std::string& text);
    std::string GetClipboardText();
    bool ReadFileToBuffer(const std::string& fileName, Buffer* buffer, bool bypassDemo = false);
    // The outcome of a whole-file read its caller made itself (true with the
    // bytes), as an outside value: a recording keeps it, a replay returns the
    // recorded one in its place; otherwise it is returned as it came.
    bool SyncFileRead(bool ok, std::string& bytes);
    void UpdateFocusState();
    void ClearHeldKeys();
    void ToggleSound();

    // Developer aids behind the debug keys (framework/diagnostics).
    void SaveScreenshot(); // the back buffer as "_screenshots/imageN.png" in the data folder
    void DumpImages();     // every live image into "_dump" in the data folder
    void ShowVideoStats(); // a box with the 3D mode, image count and video memory

    // Demo recording and playback (LumoAppBase_Demo.cpp). While recording,
    // every outside value that reaches the application goes into the demo
    // stream stamped with the update count; while playing, it comes back from
    // the stream at the same update instead of from outside.
    // The timing field of a record about to be written.
    void WriteDemoTiming();
    // Reads the next record's header once the pending one was taken; true when
    // the pending record is due at this update. The argument is not used.
    bool ReadDemoTiming(bool consume);
    // Acts on every due record that the replay owns (input, window state), up
    // to a step mark after input; true when input of this update is left for
    // a later step.
    bool ReplayDemoEvents();
    void SyncDemoBuffer(Buffer& value);
    void SyncDemoString(std::string& value) override;
    void SyncDemoBool(bool& value) override;
    bool ReadDemoFile(std::string& errorText);
    // False when a recording was to be written and could not be.
    bool WriteDemoFile();
    // The box that says a recording was lost at the end.
    void TellDemoNotWritten();
    // Names the current update in the recording, for the marker list.
    void AddDemoMarker(const std::string& name);
    int ShowDemoJumpToTime();
    int ShowDemoMarkerList();
    // Record helpers for the code that owns each outside value.
    void WriteDemoCommand(int command);
    void WriteDemoPointer(int kind);
    // Recording or playing, on the main thread: other threads' values stay
    // out of the stream, which they would tear.
    bool RecordingDemoHere();
    bool PlayingDemoHere();
    // Playback: the pending record is due, untaken and of this command (any thread).
    bool DemoRecordIsPending(int command);
    // Playback: takes the pending record when it is due and of this command;
    // otherwise reports the divergence (unless the demo has ended) and takes nothing.
    bool TakeDemoRecord(int command);
    // Playback has no record left for callers: the stream is at its end, playback
    // ended before the run's end was decided, or the viewer closed the replay.
    bool DemoEndedForCallers();
    // Playback still drives the run: live input, the viewer's keys aside, waits.
    bool ReplayHoldsInput() const { return mPlayingDemo && !mDemoEnded; }
    // Hands the game back to the player once playback has nothing more to give.
    void EndDemoPlayback();
    // At the recording's last update with its input all out: ends playback; false before.
    bool EndDemoPlaybackAtLastUpdate();
    // The run's end is decided (true) or refused after all (false): past the
    // end of playback, the end takes what the recording's own end left.
    void NoteRunEnding(bool ending);
    void NoteDemoDivergence(const std::string& what);
    void ApplyDemoRecord();
    void RecordDemoMessage(const QueuedMessage& record);
    void RecordDemoPointerMove(int x, int y);
    void RecordDemoPointerInside(bool inside);
    // Before an input record: a step mark when input of this update was
    // already handed out in an earlier step.
    void MarkDemoInputStep();
    void RecordDemoDisplay();
    bool TakeDemoBoxAnswer(int* answer);
    void RecordDemoBoxAnswer(int answer);
    void ReportDemoPlaybackEnd();
    void DrawFPSOverlay(Graphics* g);
    void DrawMouseOverlay(Graphics* g, int x, int y);
    void DrawDemoClockOverlay(Graphics* g);

    // Ends the process at once without shutdown, restoring the desktop mode if changed.
    static void ExitImmediately(int exitCode);
    // Puts the desktop's display mode back when the program changed it, keeping window places.
    static void RestoreDesktopMode();

    static LRESULT CALLBACK AppWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool ScreenSaverFilter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Old Windows asks its own password before a screen saver may end: finds that check.
    void LoadScreenSaverPasswordCheck();
    // Queues a window message by the queue rules; false when it was not queued.
    bool QueueMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void HandleQueuedMessage(const QueuedMessage& record);
    void HandleQueuedMouse(const QueuedMessage& record);
    // The logical position of a queued mouse message.
    void QueuedMousePosition(const QueuedMessage& record, int* x, int* y);
    // Maps the mouse messages still queued with the mouse mapping in force, before
    // a new display brings its own.
    void MapQueuedMouseMessages();
    void HandleTimerTick();
    void HandleDemoPlayerKey(int ch);

public:
    // ---- identity and configuration
    std::string mNamePrefix;     // put before the hardware-acceleration question titles
    std::string mCompanyName;    // data-folder part between the shared folder and product
    std::string mProductName;    // single-instance names, data folder
    std::wstring mTitle;         // title of both windows
    std::string mRegKey;         // relative to HKCU\SOFTWARE
    std::string mExeFolder;      // folder of the executable, with trailing slash
    std::string mProductVersion; // from the version resource
    std::string mChangeDirPath;  // "-changedir"
    HINSTANCE mHInstance;

    int mPreferredX, mPreferredY; // last windowed position; -1 = none
    int mWidth, mHeight;          // logical screen size
    int mColorDepth;

    // ---- volumes
    double mMusicVolume, mSfxVolume; // 0.0 .. 1.0
    double mSavedMusicVolume,
        mSavedSfxVolume;             // the user's volumes while a demo plays or toggled off
    bool mNoMusic, mUseMusicLibrary; // choose the music interface
    int mMuteCount, mAutoMuteCount;
    bool mMuteOnLostFocus;

    // ---- start-up state
    bool mCmdLineParsed;
    std::vector<CommandLineArgument> mTypedArguments; // those the code page could not hold
    bool mOnlyAllowOneCopy;
    HANDLE mMutex;
    UINT mNotifyMessage;
    DWORD mPrimaryThreadId;
    bool mInitialized;
    DWORD mTimeLoaded;       // tick count at start-up; the random seed
    DWORD mLoadingStartTime; // tick count at construction
    DWORD mConstructTime;    // tick count at construction, for the crash text
    bool mScreenSaver;
    // ---- screen-saver input filter
    struct ScreenSaverState
    {
        bool closing = false;                        // a close was posted: the filter stands aside
        bool created = false;                        // the first creation message was seen
        POINT cursor = {0, 0};                       // cursor position the moves are counted from
        int moveCount = 0;                           // mouse moves to new positions
        bool powerSeen = false;                      // a monitor-power command was recorded
        DWORD powerTime = 0;                         // clock time of the last one
        BOOL(WINAPI* passwordCheck)(HWND) = nullptr; // old Windows' own check, or null
        HMODULE passwordLibrary = nullptr;
        // Seams for tests: the system's answer and the check's library.
        bool (*isWindows9x)() = ::IsWindows9x;
        std::string passwordLibraryName = "PASSWORD.CPL";
    };
    ScreenSaverState mSaver;
    bool mAllowMonitorPowersave;
    bool mUnicodeWindow; // wide window classes and procedures
    bool mSettingsLoaded;
    bool mPrevRunEndedProperly;
    bool mSaveSettingsAtShutdown;

    // ---- owned objects
    WidgetManager* mWidgetManager;
    ResourceManager* mResourceManager;
    DDInterface* mDDInterface;
    MusicInterface* mMusicInterface;

    // ---- windows and screen mode
    HWND mHWnd;                            // main window
    HWND mInvisHWnd;                       // invisible window (music interface owner)
    bool mIsWindowed;                      // the screen mode asked for
    bool mIsPhysWindowed;                  // the mode the current window was made in
    bool mForceFullscreen;                 // windowed mode is impossible
    bool mWindowedFallbackDone;            // full screen failed once and windowed was taken
    bool mFullscreenRefusalUntold = false; // the player has not been told of that yet
    bool mIs3D;                            // 3D choice
    bool mChanged3D;                       // the display's 3D mode changed this run
    Rect mScreenRect;                      // the display's picture centred in the logical screen
    DWORD mLastModeChange;                 // timeGetTime of the last screen-mode change
    bool mInOwnModeSwitch = false;         // inside the framework's own switch (SetWindowedMode)

    // ---- display options: the display reads these before each Init and present
    // (mWidth, mHeight, mColorDepth, mPopupOpen, mWaitForVSync and mVSyncBroken too)
    Ratio mWidescreenAspect;    // the wide-screen shape a window may widen to; 4:3
    bool mWidescreenCorrection; // widen a narrower picture in a window to that shape
    bool mStretchDisplay;       // fill the wider shape instead of showing bars
    bool mFlipFullscreen;       // full screen presents by flipping; off on Tablet PCs
    bool mVSyncSuppressed;      // skip the windowed wait for the blank
    bool mTest3D;               // run the 3D self-test on the display's first Init
    bool mAutoEnable3D;         // a clean self-test may switch 3D on (runs the test too)
    int mMinVidMemory3D;        // megabytes the self-test demands
    int mRecVidMemory3D;        // megabytes below which it advises against 3D

    // ---- flags
    bool mHidden;
    std::atomic<bool> mShutdown;
    std::atomic<bool> mBreakLoops;
    std::atomic<bool> mShutdownRequested; // Shutdown asked from another thread
    bool mInMainLoop;
    bool mHasFocus, mMinimized, mRawMinimized, mActive, mDisabled, mMouseInWindow;
    bool mPopupInputBlock; // a system box is open over full screen: queue nothing
    bool mClosedByWindow;
    bool mDebugKeysEnabled;
    bool mCtrlDown, mAltDown;

    // ---- timing (milliseconds unless noted)
    AppClock mClock;
    int mFrameTime;           // milliseconds per logic update
    double mUpdateMultiplier; // 0 or below stops updates
    int mRefreshRate;         // Hz, from the display
    bool mVSyncWanted;
    bool mWaitForVSync;
    bool mVSyncBroken;
    int mVSyncUpdates; // updates since the last vsync check
    int mVSyncFastChecks;
    DWORD mVSyncCheckTime;
    int mStepState;            // AppStepState
    int mNestingDepth;         // active StepApp calls
    double mTimeAccumulator;   // ms of logic time owed
    DWORD mLastFrameTime;      // 0 = none yet
    double mFractionalUpdates; // in updates
    int mUpdatesSinceDraw;
    bool mUpdatedSinceDraw;
    bool mLastDrawSkipped;
    bool mDrawing;
    bool mCursorChanged;
    bool mInRedrawRecovery; // Redraw is rebuilding the display; no nested present
    DWORD mLastPresentTime;
    DWORD mNoDrawBefore;
    DWORD mLastTimerTick, mTimerResumeTime, mLastInputTime;
    DWORD mMainLoopStart;

    // ---- statistics
    int mUpdateCount, mDrawCount, mSleepCount, mDrawTime, mScreenBltTime;
    int mDirtyUpdateCount = 0; // updates after which something was dirty
    int GetDirtyUpdateCount() const { return mDirtyUpdateCount; }

    // ---- loading and cursor threads
    bool mStartLoadingThread;
    std::atomic<bool> mLoadingThreadStarted;
    std::atomic<bool> mLoadingThreadFinished;
    bool mLoadingCompleted;
    std::atomic<bool> mYieldMainThread;
    std::atomic<int> mLoadingDone, mLoadingTotal; // progress counters kept by the game
    std::atomic<bool> mCursorThreadRunning;

    // ---- cursors
    int mCursorNumber;
    Image* mCursorImages[NUM_CURSORS];
    bool mCustomCursors;
    HCURSOR mHandCursor, mDraggingCursor;
    HCURSOR mOverrideCursor; // wins over the numbered system cursors when set

    // ---- input queue and deferred deletes
    std::deque<QueuedMessage> mMessageQueue;
    std::list<DeferredDelete> mDeferredDeletes;

    // ---- dialogs, strings
    DialogMap mDialogMap;
    DialogList mDialogList;
    std::map<std::string, std::wstring> mStringTable;
    bool mPopupOpen;

    // ---- images
    SharedImageMap mSharedImages;
    std::atomic<bool> mSharedImagesNeedPurge;      // set by handles dropped on any thread
    std::set<SharedImageKey> mSharedImagesLoading; // new entries whose image is being made
    MemoryImageSet mMemoryImages;
    uint8_t mSaturationTable[512]; // [a + b] = min(a + b, 255)

    // ---- URL opening
    bool mUrlOpenPending;
    bool mShutdownWhenUrlDone;
    std::string mPendingUrl;
    DWORD mUrlOpenTime;

    // ---- demo state
    std::string mDemoPrefix; // "lumoapp"
    std::string mDemoFileName;
    bool mRecordingDemo;
    bool mPlayingDemo;
    bool mDemoEnded;   // playback ended: nothing more to hand out, the game takes live input
    bool mDemoClosing; // the main window got a close message: playback takes no more
    DemoStream mDemo;  // the stream with its reading and writing state
    std::vector<DemoMarker> mDemoMarkers;
    uint32_t mDemoRandomSeed;   // seed of gLumoRandom, kept in the file
    int mDemoFastForwardTarget; // update count; -1 = none
    bool mDemoRunToEnd;
    bool mDemoSingleStep;
    bool mDemoPause;
    bool mDemoMutedForFastForward;
    int mDemoLastUpdate;          // total updates of the played file
    int mDemoMouseX, mDemoMouseY; // last recorded or replayed pointer (logical)
    bool mDemoLoadingCompleted;   // the stream replayed the loading-completed record
    bool mDemoEndNoted;           // playback reached the last update and said so
    int mDemoDivergences;         // divergences reported in this playback
    uint32_t mDemoFormatVersion;  // of the played file; what a recording writes otherwise
    int mDemoInputStep = 0;       // recording: steps that handed out queued input
    int mDemoMarkedStep = -1;     // the step and update of the last input record
    int mDemoMarkedUpdate = -1;
    int mDemoHandedOutUpdate = -1; // playback: the last update whose due input is all out
    int mViewerKeys = 0;           // playback: keys of the viewer in hand (their boxes are its own)
    bool mDemoRunEnding = false;   // after playback ended: this run's end is decided
    // After playback ended, the real pointer moved: from then it, not the one
    // the recording left, is the game's (read by the cursor thread).
    std::atomic<bool> mDemoLivePointer{false};

    // ---- diagnostics overlay
    bool mShowFPS;
    int mShowFPSMode; // 0 FPS, 1 mouse position

    // ---- partial presents
    // Screen-image areas drawn and not yet presented (a draw whose present
    // was held back, during loading, still has to reach the screen).
    DirtyRegion mUnpresented;
};

} // namespace Lumo

extern Lumo::LumoAppBase* gLumoApp;
extern Lumo::LumoAppBase* gCrashReporterApp;
extern std::atomic<bool> gIdlePause;   // the user idles for the screen saver: no update, no draw
extern std::atomic<bool> gDisplayLost; // a present failed; every draw retries the display
extern bool (*gDevOptionsQuery)();     // the game's developer master switch, when it has one
extern bool gDesktopModeChanged;       // the program changed the desktop's display mode
extern HMODULE gVersionDLL, gDDrawDLL, gDSoundDLL;
typedef BOOL(WINAPI* GetLastInputInfoFunc)(PLASTINPUTINFO);
extern GetLastInputInfoFunc gGetLastInputInfo;
