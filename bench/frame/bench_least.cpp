// The least program that puts frames on the screen the way the game's two
// display roads do, for what Wine and Mesa themselves cost at a given rate:
//   2d: a system-memory draw surface; each frame locks it, fills a rectangle
//       and blits that rectangle to the windowed primary surface;
//   3d: a video-memory draw surface with a Direct3D 7 HAL device; each frame
//       draws one textured quad in a scene over the rectangle and blits it;
//   2dflip: as 2d, but full screen with a flip chain, as the game's 2D road
//       presents full screen: the rectangle goes to the back buffer, then a flip.
// Usage: bench_least.exe <2d|2dflip|3d> <frames per second> <width> <height> <event> [beats]
// With "beats" it also keeps the game's fixed beats that no frame needs: the
// message pump every 10 ms between the frames, a 10 ms window timer testing
// whether the pointer is over the window, and a second thread reading the
// pointer every 10 ms, as the software cursor's thread does.
// It runs until the named event is set (or 60 s pass) and exits 2 when the
// display could not be made. The launcher measures its processor time.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>
#include <mmsystem.h>
#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TIMER)
    {
        // The window timer's mouse-in-window test, as the game makes it.
        POINT p;
        if (GetCursorPos(&p) && WindowFromPoint(p) == hwnd)
            ScreenToClient(hwnd, &p);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

struct Vertex
{
    float x, y, z, rhw;
    DWORD diffuse;
    float u, v;
};

struct Display
{
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* draw = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirect3DDevice7* device = nullptr;
    IDirectDrawSurface7* texture = nullptr;
    IDirectDrawSurface7* back = nullptr; // the flip chain's, when flipping

    ~Display()
    {
        if (texture)
            texture->Release();
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
        if (draw)
            draw->Release();
        if (back)
            back->Release();
        if (primary)
            primary->Release();
        if (dd)
            dd->Release();
    }

    bool Init(HWND hwnd, bool is3D, bool flip)
    {
        if (DirectDrawCreateEx(nullptr, (void**)&dd, IID_IDirectDraw7, nullptr) != DD_OK ||
            dd->SetCooperativeLevel(hwnd, flip ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN
                                               : DDSCL_NORMAL) != DD_OK)
            return false;
        if (flip && dd->SetDisplayMode(1024, 768, 32, 0, 0) != DD_OK)
            return false;
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | (flip ? DDSD_BACKBUFFERCOUNT : 0);
        desc.dwBackBufferCount = flip ? 1 : 0;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (is3D ? DDSCAPS_3DDEVICE : 0) |
                              (flip ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        if (dd->CreateSurface(&desc, &primary, nullptr) != DD_OK)
            return false;
        DDSCAPS2 backCaps = {DDSCAPS_BACKBUFFER, 0, 0, {0}};
        if (flip && primary->GetAttachedSurface(&backCaps, &back) != DD_OK)
            return false;
        IDirectDrawClipper* clipper = nullptr;
        if (dd->CreateClipper(0, &clipper, nullptr) == DD_OK)
        {
            clipper->SetHWnd(0, hwnd);
            primary->SetClipper(clipper);
            clipper->Release();
        }
        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = 1024;
        desc.dwHeight = 768;
        desc.ddsCaps.dwCaps = is3D ? DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY
                                   : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (dd->CreateSurface(&desc, &draw, nullptr) != DD_OK)
            return false;
        if (!is3D)
            return true;
        if (dd->QueryInterface(IID_IDirect3D7, (void**)&d3d) != DD_OK ||
            d3d->CreateDevice(IID_IDirect3DHALDevice, draw, &device) != DD_OK)
            return false;
        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = 64;
        desc.dwHeight = 64;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
        desc.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
        desc.ddpfPixelFormat.dwRBitMask = 0xFF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0xFF00;
        desc.ddpfPixelFormat.dwBBitMask = 0xFF;
        if (dd->CreateSurface(&desc, &texture, nullptr) != DD_OK)
            return false;
        DDSURFACEDESC2 locked = {};
        locked.dwSize = sizeof(locked);
        if (texture->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) == DD_OK)
        {
            for (int y = 0; y < 64; y++)
            {
                DWORD* row = (DWORD*)((BYTE*)locked.lpSurface + y * locked.lPitch);
                for (int x = 0; x < 64; x++)
                    row[x] = 0xFF000000 | (x * 4 << 16) | (y * 4 << 8) | 0x80;
            }
            texture->Unlock(nullptr);
        }
        return true;
    }

    void Frame(HWND hwnd, int frame, const RECT& area)
    {
        if (device)
        {
            if (device->BeginScene() == D3D_OK)
            {
                float l = float(area.left) - 0.5f, t = float(area.top) - 0.5f;
                float r = float(area.right) - 0.5f, b = float(area.bottom) - 0.5f;
                DWORD tint = 0xFF000000 | ((frame * 7) & 0xFF) << 16 | 0xFFFF;
                Vertex quad[4] = {{l, t, 0, 1, tint, 0, 0},
                                  {r, t, 0, 1, tint, 1, 0},
                                  {l, b, 0, 1, tint, 0, 1},
                                  {r, b, 0, 1, tint, 1, 1}};
                device->SetTexture(0, texture);
                device->DrawPrimitive(D3DPT_TRIANGLESTRIP,
                                      D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, quad, 4, 0);
                device->EndScene();
            }
        }
        else
        {
            DDSURFACEDESC2 locked = {};
            locked.dwSize = sizeof(locked);
            RECT lockArea = area;
            if (draw->Lock(&lockArea, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) == DD_OK)
            {
                DWORD colour = 0xFF000000 | (DWORD(frame * 7) & 0xFF) << 16;
                for (LONG y = 0; y < area.bottom - area.top; y++)
                {
                    DWORD* row = (DWORD*)((BYTE*)locked.lpSurface + y * locked.lPitch);
                    for (LONG x = 0; x < area.right - area.left; x++)
                        row[x] = colour;
                }
                draw->Unlock(&lockArea);
            }
        }
        if (back)
        {
            back->Blt((RECT*)&area, draw, (RECT*)&area, DDBLT_WAIT, nullptr);
            primary->Flip(nullptr, DDFLIP_WAIT);
            return;
        }
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        RECT dest = area;
        OffsetRect(&dest, origin.x, origin.y);
        RECT src = area;
        primary->Blt(&dest, draw, &src, DDBLT_WAIT, nullptr);
    }
};
volatile bool gStopPointer = false;

unsigned __stdcall PointerThread(void* arg)
{
    HWND hwnd = (HWND)arg;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    while (!gStopPointer)
    {
        POINT p;
        if (GetCursorPos(&p))
            ScreenToClient(hwnd, &p);
        Sleep(10);
    }
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    char mode[8] = {0}, eventName[128] = {0}, extra[16] = {0};
    int fps = 0, width = 0, height = 0;
    int fields = sscanf(commandLine, "%7s %d %d %d %127s %15s", mode, &fps, &width, &height,
                        eventName, extra);
    if (fields < 5 || fps <= 0 || width <= 0 || height <= 0 || width > 1024 || height > 768)
        return 1;
    bool is3D = strcmp(mode, "3d") == 0;
    bool flip = strcmp(mode, "2dflip") == 0;
    bool beats = fields == 6 && strcmp(extra, "beats") == 0;

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "LeastFrames";
    RegisterClassA(&wc);
    RECT frame = {0, 0, 1024, 768};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowA("LeastFrames", "LeastFrames", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, nullptr);
    Display display;
    if (!display.Init(hwnd, is3D, flip))
        return 2;
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, eventName);

    // Paced as the game paces: the 1 ms timer, a sleep to the next frame's time.
    timeBeginPeriod(1);
    RECT area = {(1024 - width) / 2, (768 - height) / 2, 0, 0};
    area.right = area.left + width;
    area.bottom = area.top + height;
    HANDLE pointer = nullptr;
    if (beats)
        SetTimer(hwnd, 100, 10, nullptr);
    if (beats)
        pointer = (HANDLE)_beginthreadex(nullptr, 0, PointerThread, hwnd, 0, nullptr);
    DWORD start = timeGetTime();
    for (int n = 0; timeGetTime() - start < 60000; n++)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done && WaitForSingleObject(done, 0) == WAIT_OBJECT_0)
            break;
        display.Frame(hwnd, n, area);
        DWORD next = start + DWORD((n + 1) * 1000.0 / fps);
        for (DWORD now = timeGetTime(); (int)(next - now) > 0; now = timeGetTime())
        {
            if (!beats)
            {
                Sleep(next - now);
                break;
            }
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep((int)(next - now) < 10 ? next - now : 10);
        }
    }
    gStopPointer = true;
    if (pointer)
    {
        WaitForSingleObject(pointer, 1000);
        CloseHandle(pointer);
    }
    timeEndPeriod(1);
    DestroyWindow(hwnd);
    return 0;
}
