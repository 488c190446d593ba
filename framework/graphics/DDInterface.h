#pragma once
// Lumo::DDInterface is the screen. The application creates one, calls Init with
// its main window whenever the screen mode changes, draws each frame into the
// screen image (a DDImage over the draw surface) and calls Redraw to present
// it. The display owns the DirectDraw objects and surfaces, the window clipper,
// the software cursor with its two save areas, the set of live surface images,
// the screen-format tables that software drawing on surfaces reads, and the
// Direct3D renderer. Its critical section is the lock of the whole drawing
// layer. DirectDraw is taken from ddraw.dll at run time, never linked.

#include <windows.h>
#include <ddraw.h>

#include <atomic>
#include <cstdint>
#include <set>
#include <string>

#include "framework/app/Ratio.h"
#include "framework/app/Rect.h"
#include "framework/graphics/D3DDefaults.h"
#include "framework/graphics/DDInterfaceLock.h"
#include "framework/graphics/SurfaceDraw.h"

namespace Lumo
{

class AppHost;
class D3DInterface;
class D3DTester;
class DDImage;
class Image;

// Screen pixel format; zero until Init.
class NativeDisplay
{
public:
    int mBitsPerPixel = 0; // 16 or 32 after a successful Init
    uint32_t mRedMask = 0, mGreenMask = 0, mBlueMask = 0;
    int mRedBits = 0, mGreenBits = 0, mBlueBits = 0;    // width of each mask
    int mRedShift = 0, mGreenShift = 0, mBlueShift = 0; // lowest bit of each mask

    virtual ~NativeDisplay();
};

// True when the primary surface's masks run red, green, blue from the high
// bits down; enables the packed forms of the surface routines.
extern bool gDisplayIsRGB;

// Where the display's debugger lines go: OutputDebugStringW unless a test
// collects them; null restores the default.
typedef void (*DisplayDebugSink)(const wchar_t* line);
void SetDisplayDebugSink(DisplayDebugSink sink);

// Results of Init.
enum DisplayResult
{
    RESULT_OK = 0,
    RESULT_FAIL = 1,               // clipper creation failed
    RESULT_DD_CREATE_FAIL = 2,     // DirectDraw cannot be created or queried
    RESULT_SURFACE_FAIL = 3,       // a surface cannot be created or attached
    RESULT_EXCLUSIVE_FAIL = 4,     // exclusive full-screen cooperative level refused
    RESULT_DISPCHANGE_FAIL = 5,    // the display mode cannot be set
    RESULT_INVALID_COLORDEPTH = 6, // the screen is neither 16 nor 32 bits per pixel
    RESULT_3D_FAIL = 7             // the Direct3D renderer failed (named "RESULT_UNKNOWN")
};

// The application's display options as the display last read them (ReadOptions,
// before each Init and present). Without an application they keep these
// defaults: the application's own, except that no self-test runs, since its
// verdict is the application's to use and tests choose the 3D mode themselves.
struct DisplayOptions
{
    int width = 1024, height = 768;                          // the application's logical screen
    int bitsPerPixel = 32;                                   // wanted depth in full screen
    Ratio widescreenAspect;                                  // the shape a window may widen to
    bool aspectCorrection = kDisplayAspectCorrectionDefault; // widen a narrow picture in a window
    bool stretch = kDisplayStretchDefault;                   // stretch instead of showing bars
    bool flip = kDisplayFlipDefault; // full-screen flip chain (off on Tablet PCs)
    bool popupOpen = false;          // a system box is open over full screen
    bool windowedVSync = false;      // wait for the blank when windowed
    bool vsyncSuppressed = false;
    bool test3D = false;       // run the self-test on the first Init
    bool autoEnable3D = false; // a clean self-test turns 3D on
    bool demoStream = false;   // a demo records or replays the self-test's outcome
    int minVidMemoryMB = kD3DMinVidMemoryMB, recVidMemoryMB = kD3DRecVidMemoryMB;

    DisplayOptions()
    {
        widescreenAspect.Set(kDisplayWidescreenNumerator, kDisplayWidescreenDenominator);
    }
};

// a narrower than b, in the integer arithmetic the display uses.
bool AspectNarrower(const Ratio& a, const Ratio& b);
// Monitor frequency to the refresh rate used: failures and values below 60
// give 60, above 100 give 100; those cases report the rate as unreliable.
int ClampRefreshRate(bool queryOk, DWORD frequency, bool* broken);
// Megabytes of video memory with the desktop's own frame buffer counted,
// summed in 64 bits: Wine reports nearly 4 GB free.
uint32_t VideoMemoryMegabytes(int bitsPerPixel, int width, int height, uint32_t totalFree);

// Full-screen layout for a logical screen on a desktop: the video mode and
// where the picture goes in it.
struct FullScreenLayout
{
    bool aspectCorrected = false;
    int width = 0, height = 0;               // draw buffer (may widen with stretch)
    int displayWidth = 0, displayHeight = 0; // video mode
    Ratio aspect, displayAspect;
    Rect presentation;
};
FullScreenLayout ComputeFullScreenLayout(int width, int height, int desktopWidth, int desktopHeight,
                                         bool is3D, bool stretch);

// What each buffer of a full-screen flip chain lacks of the draw surface's
// picture. A flip shows the back buffer and hands the old front back, so a
// frame copies only its own changes and those the other buffer has not had:
// copying the whole frame into the back buffer at every present costs Wine
// an upload of the whole screen.
struct FlipChainAreas
{
    RECT backLacks = {0, 0, 0, 0}; // empty: the buffer holds the picture
    RECT frontLacks = {0, 0, 0, 0};

    // Neither buffer is known to hold the picture (a new chain, or a frame
    // that went to the screen by another way).
    void Forget(const RECT& whole) { backLacks = frontLacks = whole; }
    // The part of the draw surface to copy into the back buffer for a frame
    // whose changes (and cursor spots) lie in `changed`.
    RECT ToCopy(const RECT& changed) const;
    // After that copy and the flip: the old front is the back buffer now.
    void Flipped(const RECT& changed);
};

class DDInterface : public NativeDisplay
{
public:
    // --- owner and renderer
    AppHost* mApp = nullptr;      // not owned
    D3DInterface* mD3D = nullptr; // owned; null until the renderer exists
    D3DTester* mD3DTester = nullptr;
    bool mIs3D = true; // the application sets it from its settings before Init
    DisplayOptions mOptions;

    // --- lock
    CritSect mCritSect;                 // the display lock
    std::atomic<bool> mInRedraw{false}; // read without the lock by SetCursorPos

    // --- DirectDraw
    IDirectDraw* mDD = nullptr;
    IDirectDraw7* mDD7 = nullptr; // only when made through DirectDrawCreateEx
    IDirectDrawSurface* mPrimarySurface = nullptr;
    IDirectDrawSurface* mSecondarySurface = nullptr; // back buffer or video-memory copy target
    IDirectDrawSurface* mDrawSurface = nullptr;      // the frame is drawn here

    // --- sizes
    int mWidth = 0, mHeight = 0; // the application's screen
    Ratio mAspect;
    int mDesktopWidth = 0, mDesktopHeight = 0;
    Ratio mDesktopAspect;
    bool mIsWidescreen = false;                // aspect-corrected
    int mDisplayWidth = 0, mDisplayHeight = 0; // video mode or client area used
    Ratio mDisplayAspect;
    Rect mPresentationRect; // where the draw surface shows in the window or screen

    int mWantedBPP = 32;
    int mRefreshRate = 60;
    int mMillisecondsPerFrame = 16;
    int mScanLineFailCount = 0; // failed two-half presents in a row

    ScreenFormatTables mFormat; // saturation and colour tables of the screen

    bool mInitialized = false;
    HWND mHWnd = nullptr;
    bool mIsWindowed = true;
    DDImage* mScreenImage = nullptr; // owned
    std::set<DDImage*> mDDImageSet;  // live surface images, not owned
    bool mVideoOnlyDraw = false;     // the screen image lives in video memory
    bool mCopyToPrimary = false;     // full screen copies frames to the primary: no flipping
    FlipChainAreas mFlipAreas;       // what the flip chain's buffers lack
    int mInitCount = 0;

    // --- software cursor
    int mCursorWidth = 64, mCursorHeight = 64; // save-area size
    int mNextCursorX = 0, mNextCursorY = 0;    // wanted position
    int mCursorX = 0, mCursorY = 0;            // drawn position
    Image* mCursorImage = nullptr;             // not owned
    Image* mShownCursorImage = nullptr;        // what the primary shows at mCursorX, mCursorY
    bool mHasOldCursorArea = false;            // the cursor is saved on screen
    IDirectDrawSurface* mOldCursorArea = nullptr;
    IDirectDrawSurface* mNewCursorArea = nullptr;
    DDImage* mOldCursorAreaImage = nullptr;
    DDImage* mNewCursorAreaImage = nullptr;

    std::string mErrorString; // the last failure, for the application's box

    // Entry points of ddraw.dll (either may be missing).
    typedef HRESULT(WINAPI* DirectDrawCreateFunc)(GUID*, IDirectDraw**, IUnknown*);
    typedef HRESULT(WINAPI* DirectDrawCreateExFunc)(GUID*, void**, REFIID, IUnknown*);
    DirectDrawCreateFunc mDirectDrawCreate = nullptr;
    DirectDrawCreateExFunc mDirectDrawCreateEx = nullptr;

    explicit DDInterface(AppHost* app);
    ~DDInterface() override;

    // --- life cycle
    // Builds DirectDraw, the surfaces, the clipper, the cursor areas, the
    // format tables and the screen image for the window; a DisplayResult.
    int Init(HWND window, bool windowed);
    // Releases everything Init made; every member back to none.
    void Cleanup();

    // --- presenting
    // Presents the draw surface (the dirty rectangle only, when given and the
    // picture is not aspect-corrected); false when not initialised or failed.
    bool Redraw(Rect* dirty);
    // Shows the system's own surface in full screen, for a system box.
    void FlipToGDISurface();

    // --- results
    static std::string ResultToString(int result);
    // True when `result` is a failure; the error text then names the call.
    bool CheckResult(HRESULT result, const char* operation);

    // --- surfaces and images
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface** surface);
    void ClearSurface(IDirectDrawSurface* surface);
    DDImage* GetScreenImage() { return mScreenImage; }
    void CreateScreenImage(bool inVideoMemory);
    void AddDDImage(DDImage* image);
    void RemoveDDImage(DDImage* image);
    void RemoveImageTexture(Image* image);
    SurfaceFormat GetSurfaceFormat() const { return mFormat.GetFormat(); }

    // --- software cursor
    bool SetCursorImage(Image* image);
    // Called by the cursor thread; only stores the position while presenting.
    void SetCursorPos(int x, int y);
    void DrawCursor(IDirectDrawSurface* surface, bool toScreen);
    void RestoreCursorArea(IDirectDrawSurface* surface, bool toScreen);
    void MoveCursor(IDirectDrawSurface* surface, bool toScreen, int x, int y);

    // --- 3D
    // The self-test on the first Init, where its outcome counts: the display
    // starts in 3D, the test may turn 3D on, or a demo carries the outcome.
    bool Run3DSelfTest(HWND window);

    // Copies the application's display options into mOptions; nothing without one.
    void ReadOptions();

private:
    void Debug(const wchar_t* format, ...);
    void BuildFormat(uint32_t red, uint32_t green, uint32_t blue, int bitsPerPixel);
    POINT ClientOrigin() const;
    // Reads one pixel of the new primary, so that later reads of it return the picture.
    void ReadScreenOnce();
    // One blit of the frame towards the screen; an aspect-corrected one stretches
    // rows arithmetically, so the widened picture is not torn by dropped rows.
    HRESULT PresentBlt(IDirectDrawSurface* to, RECT* toRect, IDirectDrawSurface* from,
                       RECT* fromRect);
    // Two blits timed by the scan line, so the tear falls outside the moving part.
    HRESULT PresentInHalves(const RECT& dest, const RECT& src);
    RECT CursorArea(int x, int y) const;
    // The primary shows the wanted cursor where it is wanted, and a present
    // through the draw surface keeps it so without the cursor's area.
    bool CursorStaysOnPrimary() const;
    // After the primary took or lost the cursor: what it shows now.
    void NoteShownCursor();
    bool SaveUnderCursor(IDirectDrawSurface* surface, IDirectDrawSurface* area, RECT& rect,
                         POINT offset, POINT areaOrigin);
    void DrawCursorInto(DDImage* image, int x, int y);
};

} // namespace Lumo
