#pragma once
// Stand-ins for DirectDraw's objects of a full-screen flip chain on a small
// screen, each pixel holding the number of the frame that last wrote it. The
// display presents through them as through the real ones, while the test plays
// the system: it makes a copy into the back buffer fail, loses the surfaces'
// contents or flips the system's own surface to the front. Copies are 1:1.

#include <windows.h>
#include <ddraw.h>

#include <vector>

namespace DDTest
{

typedef std::vector<int> ChainPixels;

struct StandInChain
{
    static const int kW = 16, kH = 12;
    static const int kNeverWritten = -1, kHalfWritten = -2, kLost = -3;
    ChainPixels buffers[2] = {ChainPixels(kW * kH, kNeverWritten),
                              ChainPixels(kW* kH, kNeverWritten)};
    int front = 0;              // buffer 0 is the system's own surface
    HRESULT copyFails = DD_OK;  // the next copy into the back buffer fails so
    bool loseAtFlip = false;    // the next flip finds the surfaces lost
    RECT copied = {0, 0, 0, 0}; // where the last copy into the back buffer went

    ChainPixels& Front() { return buffers[front]; }
    ChainPixels& Back() { return buffers[1 - front]; }
    static RECT Whole() { return RECT{0, 0, kW, kH}; }
    static void Fill(ChainPixels& pixels, const RECT& r, int value)
    {
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                pixels[y * kW + x] = value;
    }
    // Lost surfaces come back restored, their contents gone.
    void Lose()
    {
        Fill(buffers[0], Whole(), kLost);
        Fill(buffers[1], Whole(), kLost);
    }
};

class StandInSurface : public IDirectDrawSurface
{
public:
    enum Role
    {
        kDraw,    // the frame, its own pixels
        kPrimary, // whichever buffer is at the front
        kBack
    };
    StandInChain& mChain;
    const Role mRole;
    ChainPixels mOwn = ChainPixels(StandInChain::kW * StandInChain::kH, 0);

    StandInSurface(StandInChain& chain, Role role) : mChain(chain), mRole(role) {}
    ChainPixels& Pixels()
    {
        return mRole == kDraw ? mOwn : mRole == kPrimary ? mChain.Front() : mChain.Back();
    }

    HRESULT WINAPI Blt(LPRECT to, LPDIRECTDRAWSURFACE from, LPRECT fromRect, DWORD,
                       LPDDBLTFX) override
    {
        RECT dest = to ? *to : StandInChain::Whole(), src = fromRect ? *fromRect : dest;
        if (mRole == kBack && FAILED(mChain.copyFails))
        {
            HRESULT failure = mChain.copyFails;
            mChain.copyFails = DD_OK;
            if (failure == DDERR_SURFACELOST)
                mChain.Lose();
            else
                StandInChain::Fill(Pixels(), dest, StandInChain::kHalfWritten);
            return failure;
        }
        ChainPixels& source = static_cast<StandInSurface*>(from)->Pixels();
        for (int y = 0; y < dest.bottom - dest.top; y++)
            for (int x = 0; x < dest.right - dest.left; x++)
                Pixels()[(dest.top + y) * StandInChain::kW + dest.left + x] =
                    source[(src.top + y) * StandInChain::kW + src.left + x];
        if (mRole == kBack)
            mChain.copied = dest;
        return DD_OK;
    }
    HRESULT WINAPI Flip(LPDIRECTDRAWSURFACE, DWORD) override
    {
        if (mChain.loseAtFlip)
        {
            mChain.loseAtFlip = false;
            mChain.Lose();
            return DDERR_SURFACELOST;
        }
        mChain.front = 1 - mChain.front;
        return DD_OK;
    }
    HRESULT WINAPI Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override { return DD_OK; }
    HRESULT WINAPI Unlock(LPVOID) override { return DD_OK; }

    // The rest: not used by a present.
    HRESULT WINAPI IsLost() override { return DD_OK; }
    HRESULT WINAPI Restore() override { return DD_OK; }
    HRESULT WINAPI QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI AddAttachedSurface(LPDIRECTDRAWSURFACE) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI AddOverlayDirtyRect(LPRECT) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI BltBatch(LPDDBLTBATCH, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI GetAttachedSurface(LPDDSCAPS, LPDIRECTDRAWSURFACE*) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI GetBltStatus(DWORD) override { return DD_OK; }
    HRESULT WINAPI GetCaps(LPDDSCAPS) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetClipper(LPDIRECTDRAWCLIPPER*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetColorKey(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetDC(HDC*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetFlipStatus(DWORD) override { return DD_OK; }
    HRESULT WINAPI GetOverlayPosition(LPLONG, LPLONG) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetPalette(LPDIRECTDRAWPALETTE*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetPixelFormat(LPDDPIXELFORMAT) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetSurfaceDesc(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI ReleaseDC(HDC) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI SetClipper(LPDIRECTDRAWCLIPPER) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI SetColorKey(DWORD, LPDDCOLORKEY) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI SetOverlayPosition(LONG, LONG) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI SetPalette(LPDIRECTDRAWPALETTE) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI UpdateOverlayDisplay(DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) override
    {
        return DDERR_UNSUPPORTED;
    }
};

// DirectDraw itself: what matters is that a flip to the system's surface brings
// buffer 0 to the front, whichever buffer was there.
class StandInDirectDraw : public IDirectDraw
{
public:
    StandInChain& mChain;
    explicit StandInDirectDraw(StandInChain& chain) : mChain(chain) {}

    HRESULT WINAPI FlipToGDISurface() override
    {
        mChain.front = 0;
        return DD_OK;
    }
    HRESULT WINAPI SetCooperativeLevel(HWND, DWORD) override { return DD_OK; }

    // The rest: not used by a present.
    HRESULT WINAPI QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG WINAPI AddRef() override { return 1; }
    ULONG WINAPI Release() override { return 1; }
    HRESULT WINAPI Compact() override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI CreateClipper(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI CreatePalette(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI CreateSurface(LPDDSURFACEDESC, LPDIRECTDRAWSURFACE*, IUnknown*) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI DuplicateSurface(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI EnumDisplayModes(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI EnumSurfaces(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return DDERR_UNSUPPORTED;
    }
    HRESULT WINAPI GetCaps(LPDDCAPS, LPDDCAPS) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetDisplayMode(LPDDSURFACEDESC) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetFourCCCodes(LPDWORD, LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetGDISurface(LPDIRECTDRAWSURFACE*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetMonitorFrequency(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetScanLine(LPDWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI GetVerticalBlankStatus(WINBOOL*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI Initialize(GUID*) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI RestoreDisplayMode() override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI SetDisplayMode(DWORD, DWORD, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT WINAPI WaitForVerticalBlank(DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
};

} // namespace DDTest
