#include "framework/graphics/DDInterface.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/app/AppHost.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DXResultNames.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/Graphics.h"

namespace Lumo
{

bool gDisplayIsRGB = false;

NativeDisplay::~NativeDisplay() = default;

// --- pure helpers ---------------------------------------------------------------

bool AspectNarrower(const Ratio& a, const Ratio& b)
{
    if (a.mDenominator == 0 || b.mDenominator == 0)
        return false;
    return a.mNumerator * b.mDenominator / a.mDenominator < b.mNumerator ||
           a.mNumerator < b.mNumerator * a.mDenominator / b.mDenominator;
}

int ClampRefreshRate(bool queryOk, DWORD frequency, bool* broken)
{
    bool bad = true;
    int rate;
    if (!queryOk || frequency < 60)
        rate = 60;
    else if (frequency > 100)
        rate = 100;
    else
    {
        rate = (int)frequency;
        bad = false;
    }
    if (broken)
        *broken = bad;
    return rate;
}

uint32_t VideoMemoryMegabytes(int bitsPerPixel, int width, int height, uint32_t totalFree)
{
    uint64_t frameBuffer = (uint64_t)(bitsPerPixel / 8) * (uint64_t)height * (uint64_t)width;
    return (uint32_t)((frameBuffer + totalFree) >> 20);
}

RECT FlipChainAreas::ToCopy(const RECT& changed) const
{
    RECT area;
    UnionRect(&area, &backLacks, &changed);
    return area;
}

void FlipChainAreas::Flipped(const RECT& changed)
{
    UnionRect(&backLacks, &frontLacks, &changed);
    SetRectEmpty(&frontLacks);
}

FullScreenLayout ComputeFullScreenLayout(int width, int height, int desktopWidth, int desktopHeight,
                                         bool is3D, bool stretch)
{
    FullScreenLayout l;
    l.width = width;
    l.height = height;
    l.aspect.Set(width, height);
    l.displayWidth = width;
    l.displayHeight = height;
    l.displayAspect = l.aspect;
    l.presentation = Rect(0, 0, width, height);
    Ratio desktop;
    desktop.Set(desktopWidth, desktopHeight);
    if (is3D && height > 0 && AspectNarrower(l.aspect, desktop))
    {
        l.aspectCorrected = true;
        l.displayWidth = desktopWidth;
        l.displayHeight = desktopHeight;
        l.displayAspect = desktop;
        if (stretch)
        {
            l.aspect = desktop;
            l.width = desktop.mNumerator * height / desktop.mDenominator;
            l.presentation = Rect(0, 0, desktopWidth, desktopHeight);
        }
        else
        {
            int w = width * desktopHeight / height;
            l.presentation = Rect((desktopWidth - w) / 2, 0, w, desktopHeight);
        }
    }
    return l;
}

// --- construction ------------------------------------------------------------------

DDInterface::DDInterface(AppHost* app) : mApp(app)
{
    mD3D = new D3DInterface();
    mIs3D = true;
    // Loaded by the application at start-up (or by whoever made this display).
    HMODULE ddraw = GetModuleHandleA("ddraw.dll");
    if (ddraw)
    {
        mDirectDrawCreate = (DirectDrawCreateFunc)(void*)GetProcAddress(ddraw, "DirectDrawCreate");
        mDirectDrawCreateEx =
            (DirectDrawCreateExFunc)(void*)GetProcAddress(ddraw, "DirectDrawCreateEx");
    }
}

DDInterface::~DDInterface()
{
    Cleanup();
    // Images that outlive the display must not call back into it.
    for (DDImage* image : mDDImageSet)
        image->mDDInterface = nullptr;
    mDDImageSet.clear();
    delete mD3D;
    mD3D = nullptr;
    delete mD3DTester;
    mD3DTester = nullptr;
}

void DDInterface::ReadOptions()
{
    if (mApp)
        mApp->ReadDisplayOptions(mOptions);
}

static DisplayDebugSink gDisplayDebugSink = nullptr;

void SetDisplayDebugSink(DisplayDebugSink sink)
{
    gDisplayDebugSink = sink;
}

void DDInterface::Debug(const wchar_t* format, ...)
{
    wchar_t text[256];
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, 255, format, args);
    va_end(args);
    text[255] = 0;
    if (gDisplayDebugSink)
        gDisplayDebugSink(text);
    else
        OutputDebugStringA(WStringToString(text).c_str()); // as the framework's DebugOutput
}

std::string DDInterface::ResultToString(int result)
{
    switch (result)
    {
    case RESULT_OK:
        return "RESULT_OK";
    case RESULT_FAIL:
        return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL:
        return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL:
        return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL:
        return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL:
        return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH:
        return "RESULT_INVALID_COLORDEPTH";
    default:
        return "RESULT_UNKNOWN";
    }
}

bool DDInterface::CheckResult(HRESULT result, const char* operation)
{
    if (SUCCEEDED(result))
        return false;
    mErrorString = std::string(operation) + ": " + GetDXResultName((int32_t)result);
    return true;
}

// --- clean-up ----------------------------------------------------------------------

void DDInterface::Cleanup()
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    if (mD3D)
        mD3D->Cleanup();
    delete mOldCursorAreaImage;
    mOldCursorAreaImage = nullptr;
    delete mNewCursorAreaImage;
    mNewCursorAreaImage = nullptr;
    if (mOldCursorArea)
        mOldCursorArea->Release();
    mOldCursorArea = nullptr;
    if (mNewCursorArea)
        mNewCursorArea->Release();
    mNewCursorArea = nullptr;
    delete mScreenImage;
    mScreenImage = nullptr;
    if (mDrawSurface)
        mDrawSurface->Release();
    mDrawSurface = nullptr;
    if (mSecondarySurface)
        mSecondarySurface->Release();
    mSecondarySurface = nullptr;
    if (mPrimarySurface)
        mPrimarySurface->Release();
    mPrimarySurface = nullptr;
    if (mDD)
    {
        mDD->SetCooperativeLevel(mHWnd, DDSCL_NORMAL);
        mDD->Release();
    }
    mDD = nullptr;
    if (mDD7)
        mDD7->Release();
    mDD7 = nullptr;
    mCopyToPrimary = false;
    mHasOldCursorArea = false;
}

// --- surfaces -----------------------------------------------------------------------

HRESULT DDInterface::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface** surface)
{
    AutoCrit lock(mCritSect);
    *surface = nullptr;
    IDirectDrawSurface* created = nullptr;
    HRESULT hr;
    if (mDD7)
    {
        IDirectDrawSurface7* surface7 = nullptr;
        hr = mDD7->CreateSurface(desc, &surface7, nullptr);
        if (hr != DD_OK)
            return hr;
        hr = surface7->QueryInterface(IID_IDirectDrawSurface, (void**)&created);
        surface7->Release();
        if (hr != DD_OK)
            return hr;
    }
    else if (mDD)
    {
        DDSURFACEDESC old;
        memset(&old, 0, sizeof(old));
        memcpy(&old, desc, sizeof(old));
        old.dwSize = sizeof(DDSURFACEDESC);
        hr = mDD->CreateSurface(&old, &created, nullptr);
        if (hr != DD_OK)
            return hr;
    }
    else
    {
        return DDERR_NOTINITIALIZED;
    }
    *surface = created;
    IDirectDrawSurface* primary = mPrimarySurface ? mPrimarySurface : nullptr;
    if (!primary && (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE))
        primary = created;
    if (primary)
    {
        DDSURFACEDESC pd;
        memset(&pd, 0, sizeof(pd));
        pd.dwSize = sizeof(DDSURFACEDESC);
        if (primary->GetSurfaceDesc(&pd) == DD_OK)
        {
            const DDPIXELFORMAT& pf = pd.ddpfPixelFormat;
            gDisplayIsRGB = MasksAreRGB(pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask);
            if (pf.dwRGBBitCount != 16 && pf.dwRGBBitCount != 32)
            {
                created->Release();
                *surface = nullptr;
                return DDERR_INVALIDPIXELFORMAT;
            }
        }
    }
    return DD_OK;
}

void DDInterface::ClearSurface(IDirectDrawSurface* surface)
{
    if (!surface)
        return;
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(DDSURFACEDESC);
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) != DD_OK)
        return;
    size_t rowBytes = (size_t)desc.dwWidth * (desc.ddpfPixelFormat.dwRGBBitCount / 8);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        memset((uint8_t*)desc.lpSurface + (size_t)y * desc.lPitch, 0, rowBytes);
    surface->Unlock(nullptr);
}

void DDInterface::CreateScreenImage(bool inVideoMemory)
{
    AutoCrit lock(mCritSect);
    mVideoOnlyDraw = inVideoMemory;
    if (!mSecondarySurface && mVideoOnlyDraw)
    {
        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = (DWORD)mWidth;
        desc.dwHeight = (DWORD)mHeight;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
        if (CreateSurface(&desc, &mSecondarySurface) != DD_OK)
            mVideoOnlyDraw = false;
    }
    delete mScreenImage;
    mScreenImage = new DDImage(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface : mDrawSurface);
    mScreenImage->mWantVideoMemory = mVideoOnlyDraw;
    mScreenImage->mNoLock = mVideoOnlyDraw;
    mScreenImage->SetAlphaFlags(false, false);
}

void DDInterface::AddDDImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.insert(image);
}

void DDInterface::RemoveDDImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.erase(image);
}

void DDInterface::RemoveImageTexture(Image* image)
{
    if (mD3D)
        mD3D->RemoveImageTexture(image);
}

void DDInterface::BuildFormat(uint32_t red, uint32_t green, uint32_t blue, int bitsPerPixel)
{
    mBitsPerPixel = bitsPerPixel;
    mRedMask = red;
    mGreenMask = green;
    mBlueMask = blue;
    mFormat.Build(red, green, blue);
    mRedBits = mFormat.redBits;
    mGreenBits = mFormat.greenBits;
    mBlueBits = mFormat.blueBits;
    mRedShift = mFormat.redShift;
    mGreenShift = mFormat.greenShift;
    mBlueShift = mFormat.blueShift;
}

// --- initialisation -------------------------------------------------------------------

static HRESULT MakeSurface(DDInterface* d, DWORD caps, int width, int height,
                           IDirectDrawSurface** out)
{
    DDSURFACEDESC2 desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = (DWORD)width;
    desc.dwHeight = (DWORD)height;
    desc.ddsCaps.dwCaps = caps;
    return d->CreateSurface(&desc, out);
}

int DDInterface::Init(HWND window, bool windowed)
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    Cleanup();
    ReadOptions();
    mErrorString.clear();

    // 1. DirectDraw.
    bool usedCreate = false;
    HRESULT createResult = DD_OK;
    if (mDirectDrawCreateEx)
    {
        HRESULT hr = mDirectDrawCreateEx(nullptr, (void**)&mDD7, IID_IDirectDraw7, nullptr);
        if (CheckResult(hr, "DirectDrawCreateEx"))
        {
            mDD7 = nullptr;
            return RESULT_DD_CREATE_FAIL;
        }
        hr = mDD7->QueryInterface(IID_IDirectDraw, (void**)&mDD);
        if (CheckResult(hr, "QueryrInterface IID_IDirectDraw"))
        {
            mDD = nullptr;
            return RESULT_DD_CREATE_FAIL;
        }
    }
    else
    {
        usedCreate = true;
        createResult = mDirectDrawCreate ? mDirectDrawCreate(nullptr, &mDD, nullptr)
                                         : DDERR_NODIRECTDRAWSUPPORT;
        if (FAILED(createResult))
            mDD = nullptr;
    }

    // 2. The 3D self-test.
    if (Run3DSelfTest(window) && mD3DTester && mD3DTester->ResultsChanged() && mApp)
        mApp->After3DTest();

    // 3. Sizes.
    mHWnd = window;
    mWidth = mOptions.width;
    mHeight = mOptions.height;
    mAspect.Set(mWidth, mHeight);
    mDesktopWidth = GetSystemMetrics(SM_CXSCREEN);
    mDesktopHeight = GetSystemMetrics(SM_CYSCREEN);
    mDesktopAspect.Set(mDesktopWidth, mDesktopHeight);
    mDisplayWidth = mWidth;
    mDisplayHeight = mHeight;
    mDisplayAspect = mAspect;
    mIsWidescreen = false;
    mPresentationRect = Rect(0, 0, mWidth, mHeight);
    if (mApp)
        mApp->SetScreenRect(Rect(0, 0, mWidth, mHeight));
    mWantedBPP = mOptions.bitsPerPixel;
    mIsWindowed = windowed;
    mHasOldCursorArea = false;
    Debug(L"Application requests %4lu x %4lu [%2d:%2d]\n", mWidth, mHeight, mAspect.mNumerator,
          mAspect.mDenominator);

    if (usedCreate && CheckResult(createResult, "DirectDrawCreate"))
        return RESULT_DD_CREATE_FAIL;

    DWORD caps3D = mIs3D ? DDSCAPS_3DDEVICE : 0;
    DWORD drawCaps = mIs3D ? (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY)
                           : (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    const char* clipperName;
    if (windowed)
    {
        const Ratio& wide = mOptions.widescreenAspect;
        Debug(L"Hack aspect is                   [%2d:%2d]\n", wide.mNumerator, wide.mDenominator);
        if (mOptions.aspectCorrection && AspectNarrower(mAspect, wide) && wide.mDenominator)
        {
            mIsWidescreen = true;
            mDisplayWidth = wide.mNumerator * mHeight / wide.mDenominator;
            mDisplayHeight = mHeight;
            mDisplayAspect = wide;
            POINT origin = {0, 0};
            ClientToScreen(window, &origin);
            RECT frame = {origin.x - (mDisplayWidth - mWidth) / 2,
                          origin.y - (mDisplayHeight - mHeight) / 2, 0, 0};
            frame.right = frame.left + mDisplayWidth;
            frame.bottom = frame.top + mDisplayHeight;
            AdjustWindowRectEx(&frame, (DWORD)GetWindowLongA(window, GWL_STYLE), FALSE,
                               (DWORD)GetWindowLongA(window, GWL_EXSTYLE));
            MoveWindow(window, frame.left < 0 ? 0 : frame.left, frame.top < 0 ? 0 : frame.top,
                       frame.right - frame.left, frame.bottom - frame.top, FALSE);
            if (mOptions.stretch)
            {
                mWidth = mDisplayWidth;
                mAspect = mDisplayAspect;
                mPresentationRect = Rect(0, 0, mDisplayWidth, mDisplayHeight);
            }
            else
            {
                mPresentationRect = Rect((mDisplayWidth - mWidth) / 2, 0, mWidth, mHeight);
            }
        }
        Debug(L"Window is            %4lu x %4lu [%2d:%2d]\n", mDisplayWidth, mDisplayHeight,
              mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
        mDD->SetCooperativeLevel(window, DDSCL_NORMAL);

        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | caps3D;
        HRESULT hr = CreateSurface(&desc, &mPrimarySurface);
        if (hr == DDERR_INVALIDPIXELFORMAT)
        {
            CheckResult(hr, "CreateSurface Windowed Primary");
            return RESULT_INVALID_COLORDEPTH;
        }
        if (CheckResult(hr, "CreateSurface Windowed Primary"))
            return RESULT_SURFACE_FAIL;
        hr = MakeSurface(this, drawCaps, mWidth, mHeight, &mDrawSurface);
        if (CheckResult(hr, "CreateSurface Windowed DrawSurface"))
            return RESULT_SURFACE_FAIL;
        clipperName = "CreateClipper Windowed";
    }
    else
    {
        Debug(L"Desktop is           %4lu x %4lu [%2d:%2d]\n", mDesktopWidth, mDesktopHeight,
              mDesktopAspect.mNumerator, mDesktopAspect.mDenominator);
        FullScreenLayout layout = ComputeFullScreenLayout(mWidth, mHeight, mDesktopWidth,
                                                          mDesktopHeight, mIs3D, mOptions.stretch);
        mIsWidescreen = layout.aspectCorrected;
        mWidth = layout.width;
        mAspect = layout.aspect;
        mDisplayWidth = layout.displayWidth;
        mDisplayHeight = layout.displayHeight;
        mDisplayAspect = layout.displayAspect;
        mPresentationRect = layout.presentation;
        Debug(L"Display is           %4lu x %4lu [%2d:%2d]\n", mDisplayWidth, mDisplayHeight,
              mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);
        HRESULT hr = mDD->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        if (CheckResult(hr, "SetCooperativeLevel FullScreen"))
            return RESULT_EXCLUSIVE_FAIL;
        hr = mDD->SetDisplayMode((DWORD)mDisplayWidth, (DWORD)mDisplayHeight, (DWORD)mWantedBPP);
        if (CheckResult(hr, "SetDisplayMode FullScreen"))
            return RESULT_DISPCHANGE_FAIL;
        DDSURFACEDESC2 desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | caps3D;
        hr = CreateSurface(&desc, &mPrimarySurface);
        if (CheckResult(hr, "CreateSurface FullScreen Primary"))
            return RESULT_SURFACE_FAIL;
        DDSCAPS backCaps;
        backCaps.dwCaps = DDSCAPS_BACKBUFFER;
        hr = mPrimarySurface->GetAttachedSurface(&backCaps, &mSecondarySurface);
        if (CheckResult(hr, "GetAttachedSurface"))
        {
            mSecondarySurface = nullptr;
            return RESULT_SURFACE_FAIL;
        }
        // A flip chain in system memory is a display without video memory
        // (Wine's GDI renderer): flipping it faults inside the system's own
        // copy to the window a few seconds in, while copying the frame onto
        // the primary works.
        DDSCAPS primaryCaps = {};
        if (mPrimarySurface->GetCaps(&primaryCaps) == DD_OK &&
            (primaryCaps.dwCaps & DDSCAPS_SYSTEMMEMORY))
        {
            mCopyToPrimary = true;
            Debug(L"WARNING: the screen has no video memory: frames are copied, not flipped\n");
        }
        if (mIsWidescreen)
        {
            ClearSurface(mPrimarySurface);
            ClearSurface(mSecondarySurface);
        }
        hr = MakeSurface(this, drawCaps, mWidth, mHeight, &mDrawSurface);
        if (CheckResult(hr, "CreateSurface FullScreen DrawSurface"))
            return RESULT_SURFACE_FAIL;
        clipperName = "CreateClipper FullScreen";
    }

    IDirectDrawClipper* clipper = nullptr;
    HRESULT hr = mDD->CreateClipper(0, &clipper, nullptr);
    if (CheckResult(hr, clipperName))
        return RESULT_FAIL;
    if (clipper->SetHWnd(0, window) == DD_OK)
        mPrimarySurface->SetClipper(clipper);
    clipper->Release();
    if (!windowed && (!mOptions.flip || mCopyToPrimary))
        mDD->FlipToGDISurface();

    Debug(L"Draw buffer is       %4lu x %4lu [%2d:%2d]\n", mWidth, mHeight, mAspect.mNumerator,
          mAspect.mDenominator);

    // Refresh rate.
    DWORD frequency = 0;
    bool broken = false;
    mRefreshRate =
        ClampRefreshRate(mDD->GetMonitorFrequency(&frequency) == DD_OK, frequency, &broken);
    if (broken && mApp)
        mApp->SetVSyncBroken();
    mMillisecondsPerFrame = 1000 / mRefreshRate;

    // Cursor save areas.
    DWORD areaCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    hr = MakeSurface(this, areaCaps, mCursorWidth, mCursorHeight, &mOldCursorArea);
    if (CheckResult(hr, "CreateSurface OldCursorArea"))
        return RESULT_SURFACE_FAIL;
    hr = MakeSurface(this, areaCaps, mCursorWidth, mCursorHeight, &mNewCursorArea);
    if (CheckResult(hr, "CreateSurface NewCursorArea"))
        return RESULT_SURFACE_FAIL;
    mOldCursorAreaImage = new DDImage(this);
    mOldCursorAreaImage->SetSurface(mOldCursorArea);
    mOldCursorAreaImage->SetAlphaFlags(false, false);
    mNewCursorAreaImage = new DDImage(this);
    mNewCursorAreaImage->SetSurface(mNewCursorArea);
    mNewCursorAreaImage->SetAlphaFlags(false, false);

    // Pixel format.
    if (mPrimarySurface)
    {
        DDSURFACEDESC desc;
        memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(DDSURFACEDESC);
        mPrimarySurface->GetSurfaceDesc(&desc);
        const DDPIXELFORMAT& pf = desc.ddpfPixelFormat;
        if (pf.dwRGBBitCount != 16 && pf.dwRGBBitCount != 32)
        {
            mErrorString = "Invalid color depth";
            return RESULT_INVALID_COLORDEPTH;
        }
        BuildFormat(pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, (int)pf.dwRGBBitCount);
    }

    CreateScreenImage(mVideoOnlyDraw);

    if (mIs3D)
    {
        if (!mD3D || !mD3D->Init(this))
        {
            mErrorString = "3D init error: " + (mD3D ? gD3DLastError : std::string("no renderer"));
            return RESULT_3D_FAIL;
        }
    }

    ReadScreenOnce();
    RECT whole = {0, 0, mWidth, mHeight};
    mFlipAreas.Forget(whole);
    ++mInitCount;
    mInitialized = true;
    return RESULT_OK;
}

bool DDInterface::Run3DSelfTest(HWND window)
{
    if (mD3DTester || !(mOptions.test3D || mOptions.autoEnable3D))
        return false;
    // The test only vetoes 3D: a display that starts in 2D and may not be
    // switched on by it skips it (a Direct3D device costs a fifth of a second
    // and a large share of memory at start-up), unless a demo carries its outcome.
    if (!mIs3D && !mOptions.autoEnable3D && !mOptions.demoStream)
        return false;
    mD3DTester = new D3DTester();
    mD3DTester->SetVidMemoryRequirements(mOptions.minVidMemoryMB, mOptions.recVidMemoryMB);
    mD3DTester->TestD3D(window, mDD7);
    const bool failed = !mD3DTester->GetFailureReason().empty();
    const bool warned = !mD3DTester->GetWarning().empty();
    const bool fresh = mD3DTester->ResultsChanged();
    if (mOptions.autoEnable3D && !failed && !warned)
        mIs3D = true;
    if (failed)
        mIs3D = false;
    if (fresh && (failed || warned))
        mIs3D = false;
    return true;
}

// --- presenting --------------------------------------------------------------------

// The first read of a new primary (the software cursor saving what lies under
// it, straight on the screen while the loop is idle) comes back black under
// Wine, and the blit that follows puts that black over the whole window, where
// partial presents never repaint it. Read once here, before anything is shown.
void DDInterface::ReadScreenOnce()
{
    if (!mPrimarySurface || !mOldCursorArea)
        return;
    POINT origin = ClientOrigin();
    RECT from = {origin.x, origin.y, origin.x + 1, origin.y + 1};
    RECT to = {0, 0, 1, 1};
    mOldCursorArea->Blt(&to, mPrimarySurface, &from, DDBLT_WAIT, nullptr);
}

POINT DDInterface::ClientOrigin() const
{
    POINT p = {0, 0};
    if (mHWnd)
        ClientToScreen(mHWnd, &p);
    return p;
}

// A window may reach past the screen's edge (a replay's window on a small
// desktop, a window dragged half away), and a blit to the primary surface must
// lie on it: only the part on the screen goes out, from the matching part of
// the frame. False when nothing of it is on the screen.
static bool ClipPresentToScreen(RECT& dest, RECT& src, const RECT& screen)
{
    RECT shown;
    if (!IntersectRect(&shown, &dest, &screen))
        return false;
    int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    int sw = src.right - src.left, sh = src.bottom - src.top;
    RECT from = {src.left + MulDiv(shown.left - dest.left, sw, dw),
                 src.top + MulDiv(shown.top - dest.top, sh, dh),
                 src.right - MulDiv(dest.right - shown.right, sw, dw),
                 src.bottom - MulDiv(dest.bottom - shown.bottom, sh, dh)};
    dest = shown;
    src = from;
    return src.right > src.left && src.bottom > src.top;
}

bool DDInterface::Redraw(Rect* dirty)
{
    AutoCrit lock(mCritSect);
    if (!mInitialized)
        return false;
    ReadOptions();
    mInRedraw = true;
    if (mIs3D && mD3D)
    {
        if (!gD3DLastError.empty())
        {
            mInRedraw = false;
            mIs3D = false;
            return false;
        }
        mD3D->EndSceneIfOpen();
    }

    RECT src, dest;
    const RECT all = {0, 0, mWidth, mHeight};
    bool vsync = mIsWindowed && mOptions.windowedVSync && !mOptions.vsyncSuppressed;
    // Presenting in two halves splits the whole picture: it takes no part.
    if (dirty && !mIsWidescreen && !(vsync && mScanLineFailCount < 3))
    {
        src = {dirty->mX, dirty->mY, dirty->mX + dirty->mWidth, dirty->mY + dirty->mHeight};
        // The software cursor goes with a part: where it stands now on the
        // primary is restored, where it goes is drawn. A cursor that stays
        // where the primary shows it needs neither: drawn into the draw
        // surface for the present, it goes out with whatever part of the
        // picture under it changed.
        if ((mCursorImage || mShownCursorImage) && !CursorStaysOnPrimary())
        {
            RECT area;
            if (mHasOldCursorArea)
            {
                area = CursorArea(mCursorX, mCursorY);
                if (!IsRectEmpty(&area))
                    UnionRect(&src, &src, &area);
            }
            area = CursorArea(mNextCursorX, mNextCursorY);
            if (!IsRectEmpty(&area))
                UnionRect(&src, &src, &area);
        }
        if (!IntersectRect(&src, &src, &all))
            src = all;
        dest = src;
    }
    else
    {
        const Rect& p = mPresentationRect;
        dest = {p.mX, p.mY, p.mX + p.mWidth, p.mY + p.mHeight};
        src = {0, 0, mWidth, mHeight};
    }
    POINT origin = ClientOrigin();
    OffsetRect(&dest, origin.x, origin.y);

    // Drawing into the draw surface has finished once it can be locked.
    DDSURFACEDESC desc;
    memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (mDrawSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) == DD_OK)
        mDrawSurface->Unlock(nullptr);

    bool failed;
    if (mIsWindowed)
    {
        HRESULT hr = DD_OK;
        RECT screen = {0, 0, (LONG)mDesktopWidth, (LONG)mDesktopHeight};
        RECT whole = dest;
        bool visible = ClipPresentToScreen(dest, src, screen);
        // A picture cut at the screen's edge is not split in halves by the scan line.
        if (!EqualRect(&whole, &dest))
            vsync = false;
        if (!visible)
        {
            // The whole window is off the screen: nothing to show.
        }
        else if (mVideoOnlyDraw && mSecondarySurface)
        {
            if (vsync)
                mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
            mCursorX = mNextCursorX;
            mCursorY = mNextCursorY;
            DrawCursor(mSecondarySurface, true);
            hr = PresentBlt(mPrimarySurface, &dest, mSecondarySurface, &src);
        }
        else
        {
            mCursorX = mNextCursorX;
            mCursorY = mNextCursorY;
            DrawCursor(mDrawSurface, false);
            if (vsync && mScanLineFailCount < 3)
                hr = PresentInHalves(dest, src);
            else
            {
                if (vsync)
                    mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
                hr = PresentBlt(mPrimarySurface, &dest, mDrawSurface, &src);
            }
            if (mHasOldCursorArea)
            {
                RestoreCursorArea(mDrawSurface, false);
                mHasOldCursorArea = true; // the cursor stays on the primary
            }
            NoteShownCursor();
        }
        failed = CheckResult(hr, "Redraw Windowed");
    }
    else if (mOptions.flip && !mOptions.popupOpen && mSecondarySurface && !mCopyToPrimary)
    {
        HRESULT copied = DD_OK;
        if (!mVideoOnlyDraw)
        {
            const Rect& p = mPresentationRect;
            RECT to = {p.mX, p.mY, p.mX + p.mWidth, p.mY + p.mHeight};
            RECT from = {0, 0, mWidth, mHeight};
            // An aspect-corrected picture is stretched: it goes whole.
            if (!mIsWidescreen)
            {
                from = mFlipAreas.ToCopy(src);
                to = from;
                OffsetRect(&to, p.mX, p.mY);
            }
            if (!IsRectEmpty(&from))
                copied = PresentBlt(mSecondarySurface, &to, mDrawSurface, &from);
            // A copy that failed leaves the back buffer short of what the
            // bookkeeping would count in: it is not shown, and the next
            // present copies the whole frame.
            if (FAILED(copied))
                mFlipAreas.Forget(all);
            else
                mFlipAreas.Flipped(src);
        }
        HRESULT hr = copied;
        if (SUCCEEDED(copied))
        {
            mCursorX = mNextCursorX;
            mCursorY = mNextCursorY;
            DrawCursor(mSecondarySurface, true);
            hr = mPrimarySurface->Flip(nullptr, DDFLIP_WAIT);
            if (FAILED(hr))
                mFlipAreas.Forget(all);
        }
        failed = CheckResult(hr, SUCCEEDED(copied) ? "Redraw FullScreen Flip"
                                                   : "Redraw FullScreen Copy");
    }
    else if (mCopyToPrimary)
    {
        mFlipAreas.Forget(all);
        // In place of the flip: the cursor goes out with the frame as in a window.
        mCursorX = mNextCursorX;
        mCursorY = mNextCursorY;
        DrawCursor(mDrawSurface, false);
        HRESULT hr = PresentBlt(mPrimarySurface, &dest, mDrawSurface, &src);
        if (mHasOldCursorArea)
        {
            RestoreCursorArea(mDrawSurface, false);
            mHasOldCursorArea = true; // the cursor stays on the primary
        }
        NoteShownCursor();
        failed = CheckResult(hr, "Redraw FullScreen Blt");
    }
    else
    {
        mFlipAreas.Forget(all);
        HRESULT hr = PresentBlt(mPrimarySurface, &dest, mDrawSurface, &src);
        failed = CheckResult(hr, "Redraw FullScreen Blt");
    }
    mInRedraw = false;
    return !failed;
}

void DDInterface::FlipToGDISurface()
{
    AutoCrit lock(mCritSect);
    if (!mDD)
        return;
    mDD->FlipToGDISurface();
    // The chain's buffers may have changed places behind the bookkeeping.
    RECT whole = {0, 0, mWidth, mHeight};
    mFlipAreas.Forget(whole);
}

HRESULT DDInterface::PresentBlt(IDirectDrawSurface* to, RECT* toRect, IDirectDrawSurface* from,
                                RECT* fromRect)
{
    if (!mIsWidescreen)
        return to->Blt(toRect, from, fromRect, DDBLT_WAIT, nullptr);
    DDBLTFX fx;
    memset(&fx, 0, sizeof(fx));
    fx.dwSize = sizeof(fx);
    fx.dwDDFX = DDBLTFX_ARITHSTRETCHY;
    return to->Blt(toRect, from, fromRect, DDBLT_WAIT | DDBLT_DDFX, &fx);
}

HRESULT DDInterface::PresentInHalves(const RECT& dest, const RECT& src)
{
    int half = mOptions.height / 2;
    int split = dest.top + half;
    int bottom = dest.top + (dest.bottom - dest.top);
    int screenHeight = mIsWindowed ? mDesktopHeight : mDisplayHeight;

    DWORD start = GetTickCount();
    bool seenAbove = false, reached = false;
    int lastLine = 0;
    for (;;)
    {
        DWORD line = 0;
        HRESULT hr = mDD->GetScanLine(&line);
        if (hr == DDERR_VERTICALBLANKINPROGRESS)
        {
            if (seenAbove)
            {
                reached = true;
                break;
            }
        }
        else if (hr != DD_OK)
        {
            break;
        }
        else if ((int)line < split && (int)line < screenHeight)
        {
            seenAbove = true;
            lastLine = (int)line;
        }
        else if (seenAbove && (int)line >= split)
        {
            lastLine = (int)line;
            reached = true;
            break;
        }
        if (GetTickCount() - start > 200)
            break;
    }
    if (!reached)
    {
        ++mScanLineFailCount;
        mDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
        return PresentBlt(mPrimarySurface, (RECT*)&dest, mDrawSurface, (RECT*)&src);
    }
    RECT upperDest = {dest.left, dest.top, dest.right, split};
    RECT upperSrc = {src.left, 0, src.right, half};
    HRESULT hr = PresentBlt(mPrimarySurface, &upperDest, mDrawSurface, &upperSrc);
    if (FAILED(hr))
        return hr;
    // The second wait is bounded too: a stuck scan line must not hang the frame.
    start = GetTickCount();
    for (;;)
    {
        DWORD line = 0;
        HRESULT poll = mDD->GetScanLine(&line);
        if (poll == DD_OK && ((int)line < lastLine || (int)line >= bottom))
            break;
        if (GetTickCount() - start > 200)
            break;
    }
    RECT lowerDest = {dest.left, split, dest.right, bottom};
    RECT lowerSrc = {src.left, half, src.right, src.bottom};
    hr = PresentBlt(mPrimarySurface, &lowerDest, mDrawSurface, &lowerSrc);
    mScanLineFailCount = 0;
    return hr;
}

// --- software cursor ---------------------------------------------------------------

bool DDInterface::SetCursorImage(Image* image)
{
    AutoCrit lock(mCritSect);
    if (image == mCursorImage)
        return false;
    mCursorImage = image;
    return true;
}

void DDInterface::SetCursorPos(int x, int y)
{
    mNextCursorX = x;
    mNextCursorY = y;
    if (mInRedraw)
        return;
    AutoCrit lock(mCritSect);
    if (!mInitialized || !mPrimarySurface)
        return;
    if (!mHasOldCursorArea)
    {
        mCursorX = x;
        mCursorY = y;
        DrawCursor(mPrimarySurface, true);
    }
    else
    {
        MoveCursor(mPrimarySurface, true, x, y);
    }
    NoteShownCursor();
}

void DDInterface::NoteShownCursor()
{
    mShownCursorImage = mHasOldCursorArea ? mCursorImage : nullptr;
}

bool DDInterface::CursorStaysOnPrimary() const
{
    // Only where a present draws the cursor into the draw surface and takes
    // it out again after; a flip chain keeps older cursors in its back
    // buffer and takes the cursor's area every time.
    bool throughDrawSurface =
        mIsWindowed ? !(mVideoOnlyDraw && mSecondarySurface) : mCopyToPrimary;
    return throughDrawSurface && mHasOldCursorArea && mShownCursorImage == mCursorImage &&
           mNextCursorX == mCursorX && mNextCursorY == mCursorY;
}

RECT DDInterface::CursorArea(int x, int y) const
{
    RECT area = {x - mCursorWidth / 2, y - mCursorHeight / 2, 0, 0};
    area.right = area.left + mCursorWidth;
    area.bottom = area.top + mCursorHeight;
    const Rect& p = mPresentationRect;
    RECT present = {p.mX, p.mY, p.mX + p.mWidth, p.mY + p.mHeight};
    RECT out;
    if (!IntersectRect(&out, &area, &present))
        SetRectEmpty(&out);
    return out;
}

// Copies `rect` of the surface (moved by `offset`) into the save area at the
// same place relative to the cursor's full area; retries clipped to the primary.
bool DDInterface::SaveUnderCursor(IDirectDrawSurface* surface, IDirectDrawSurface* area, RECT& rect,
                                  POINT offset, POINT areaOrigin)
{
    if (IsRectEmpty(&rect))
        return false;
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        RECT from = rect;
        OffsetRect(&from, offset.x, offset.y);
        RECT to = rect;
        OffsetRect(&to, -areaOrigin.x, -areaOrigin.y);
        if (area->Blt(&to, surface, &from, DDBLT_WAIT, nullptr) == DD_OK)
            return true;
        if (attempt == 0)
        {
            DDSURFACEDESC desc;
            memset(&desc, 0, sizeof(desc));
            desc.dwSize = sizeof(desc);
            if (mPrimarySurface->GetSurfaceDesc(&desc) != DD_OK)
                return false;
            RECT screen = {-offset.x, -offset.y, (LONG)desc.dwWidth - offset.x,
                           (LONG)desc.dwHeight - offset.y};
            RECT clipped;
            if (!IntersectRect(&clipped, &rect, &screen))
                return false;
            rect = clipped;
        }
    }
    return false;
}

void DDInterface::DrawCursorInto(DDImage* image, int x, int y)
{
    if (!image || !mCursorImage)
        return;
    Graphics g(image);
    g.DrawImage(mCursorImage, x + (mCursorWidth - mCursorImage->mWidth) / 2,
                y + (mCursorHeight - mCursorImage->mHeight) / 2);
}

void DDInterface::DrawCursor(IDirectDrawSurface* surface, bool toScreen)
{
    if (!mCursorImage || !mPrimarySurface || !surface)
    {
        mHasOldCursorArea = false;
        return;
    }
    POINT offset = toScreen ? ClientOrigin() : POINT{0, 0};
    POINT areaOrigin = {mCursorX - mCursorWidth / 2, mCursorY - mCursorHeight / 2};
    RECT rect = CursorArea(mCursorX, mCursorY);
    mHasOldCursorArea = SaveUnderCursor(surface, mOldCursorArea, rect, offset, areaOrigin);
    if (surface == mDrawSurface && !mIs3D)
    {
        DrawCursorInto(mScreenImage, areaOrigin.x, areaOrigin.y);
        return;
    }
    if (!mHasOldCursorArea)
        return;
    RECT whole = {0, 0, mCursorWidth, mCursorHeight};
    mNewCursorArea->Blt(&whole, mOldCursorArea, &whole, DDBLT_WAIT, nullptr);
    DrawCursorInto(mNewCursorAreaImage, 0, 0);
    RECT from = rect;
    OffsetRect(&from, -areaOrigin.x, -areaOrigin.y);
    RECT to = rect;
    OffsetRect(&to, offset.x, offset.y);
    surface->Blt(&to, mNewCursorArea, &from, DDBLT_WAIT, nullptr);
}

void DDInterface::RestoreCursorArea(IDirectDrawSurface* surface, bool toScreen)
{
    if (!mHasOldCursorArea || !mPrimarySurface || !surface)
        return;
    POINT offset = toScreen ? ClientOrigin() : POINT{0, 0};
    POINT areaOrigin = {mCursorX - mCursorWidth / 2, mCursorY - mCursorHeight / 2};
    RECT area = {areaOrigin.x, areaOrigin.y, areaOrigin.x + mCursorWidth,
                 areaOrigin.y + mCursorHeight};
    RECT bounds = {0, 0, mWidth, mHeight};
    RECT rect;
    if (IntersectRect(&rect, &area, &bounds))
    {
        RECT from = rect;
        OffsetRect(&from, -areaOrigin.x, -areaOrigin.y);
        RECT to = rect;
        OffsetRect(&to, offset.x, offset.y);
        surface->Blt(&to, mOldCursorArea, &from, DDBLT_WAIT, nullptr);
    }
    mHasOldCursorArea = false;
}

void DDInterface::MoveCursor(IDirectDrawSurface* surface, bool toScreen, int x, int y)
{
    if (!mHasOldCursorArea || !mCursorImage || !mPrimarySurface || !surface)
    {
        mCursorX = x;
        mCursorY = y;
        DrawCursor(surface, toScreen);
        return;
    }
    POINT offset = toScreen ? ClientOrigin() : POINT{0, 0};
    POINT oldOrigin = {mCursorX - mCursorWidth / 2, mCursorY - mCursorHeight / 2};
    POINT newOrigin = {x - mCursorWidth / 2, y - mCursorHeight / 2};
    RECT newRect = CursorArea(x, y);
    if (!SaveUnderCursor(surface, mNewCursorArea, newRect, offset, newOrigin))
    {
        RestoreCursorArea(surface, toScreen);
        mCursorX = x;
        mCursorY = y;
        DrawCursor(surface, toScreen);
        return;
    }
    // Where the areas overlap the surface still shows the old cursor: the
    // background there is in the old save.
    RECT oldFull = {oldOrigin.x, oldOrigin.y, oldOrigin.x + mCursorWidth,
                    oldOrigin.y + mCursorHeight};
    RECT newFull = {newOrigin.x, newOrigin.y, newOrigin.x + mCursorWidth,
                    newOrigin.y + mCursorHeight};
    RECT overlap;
    if (IntersectRect(&overlap, &oldFull, &newFull))
    {
        RECT from = overlap, to = overlap;
        OffsetRect(&from, -oldOrigin.x, -oldOrigin.y);
        OffsetRect(&to, -newOrigin.x, -newOrigin.y);
        mNewCursorArea->Blt(&to, mOldCursorArea, &from, DDBLT_WAIT, nullptr);
    }
    // The old area, with the cursor at its new place, restores the old spot
    // and shows the new cursor where the two overlap, in one blit.
    DrawCursorInto(mOldCursorAreaImage, newOrigin.x - oldOrigin.x, newOrigin.y - oldOrigin.y);
    RECT bounds = {0, 0, mWidth, mHeight};
    RECT oldRect;
    if (IntersectRect(&oldRect, &oldFull, &bounds))
    {
        RECT from = oldRect, to = oldRect;
        OffsetRect(&from, -oldOrigin.x, -oldOrigin.y);
        OffsetRect(&to, offset.x, offset.y);
        surface->Blt(&to, mOldCursorArea, &from, DDBLT_WAIT, nullptr);
    }
    RECT whole = {0, 0, mCursorWidth, mCursorHeight};
    mOldCursorArea->Blt(&whole, mNewCursorArea, &whole, DDBLT_WAIT, nullptr);
    DrawCursorInto(mNewCursorAreaImage, 0, 0);
    RECT from = newRect, to = newRect;
    OffsetRect(&from, -newOrigin.x, -newOrigin.y);
    OffsetRect(&to, offset.x, offset.y);
    surface->Blt(&to, mNewCursorArea, &from, DDBLT_WAIT, nullptr);
    mCursorX = x;
    mCursorY = y;
}

} // namespace Lumo
