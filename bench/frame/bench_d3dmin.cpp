// The least Direct3D program: bench_ddmin's window and primary surface, plus an
// off-screen 3D target, the HAL device and one managed 256 x 256 texture drawn
// as a quad and presented every 10 ms, until the launcher sets the event named
// on the command line (or 20 s pass). What it needs under Wine and Mesa is what
// the Direct3D road costs any program of this kind.
#include <windows.h>
#include <ddraw.h>
#include <d3d.h>

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "D3DMin";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("D3DMin", "D3DMin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024, 768,
                              nullptr, nullptr, instance, nullptr);
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7 *primary = nullptr, *target = nullptr, *texture = nullptr;
    IDirectDrawClipper* clipper = nullptr;
    IDirect3D7* d3d = nullptr;
    IDirect3DDevice7* device = nullptr;
    if (DirectDrawCreateEx(nullptr, (void**)&dd, IID_IDirectDraw7, nullptr) == DD_OK)
    {
        dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL);
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
        dd->CreateSurface(&desc, &primary, nullptr);
        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = 1024;
        desc.dwHeight = 768;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY;
        dd->CreateSurface(&desc, &target, nullptr);
        if (primary && dd->CreateClipper(0, &clipper, nullptr) == DD_OK)
        {
            clipper->SetHWnd(0, hwnd);
            primary->SetClipper(clipper);
        }
        if (target && dd->QueryInterface(IID_IDirect3D7, (void**)&d3d) == DD_OK)
            d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device);
        desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.dwWidth = 256;
        desc.dwHeight = 256;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
        desc.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
        desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        desc.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_ALPHAPIXELS;
        desc.ddpfPixelFormat.dwRGBBitCount = 32;
        desc.ddpfPixelFormat.dwRGBAlphaBitMask = 0xFF000000;
        desc.ddpfPixelFormat.dwRBitMask = 0x00FF0000;
        desc.ddpfPixelFormat.dwGBitMask = 0x0000FF00;
        desc.ddpfPixelFormat.dwBBitMask = 0x000000FF;
        dd->CreateSurface(&desc, &texture, nullptr);
        DDSURFACEDESC2 locked = {};
        locked.dwSize = sizeof(locked);
        if (texture && texture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) == DD_OK)
        {
            for (int y = 0; y < 256; y++)
                for (int x = 0; x < 256; x++)
                    ((DWORD*)((char*)locked.lpSurface + y * locked.lPitch))[x] =
                        0xFF000000 | (x << 16) | (y << 8);
            texture->Unlock(nullptr);
        }
    }
    struct Vertex
    {
        float x, y, z, rhw;
        DWORD color;
        float u, v;
    } quad[4] = {{100, 100, 0, 1, 0xFFFFFFFF, 0, 0},
                 {356, 100, 0, 1, 0xFFFFFFFF, 1, 0},
                 {100, 356, 0, 1, 0xFFFFFFFF, 0, 1},
                 {356, 356, 0, 1, 0xFFFFFFFF, 1, 1}};
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, commandLine);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (device && primary)
        {
            device->BeginScene();
            device->SetTexture(0, texture);
            device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                  quad, 4, 0);
            device->EndScene();
            POINT origin = {0, 0};
            ClientToScreen(hwnd, &origin);
            RECT onScreen = {origin.x, origin.y, origin.x + 1024, origin.y + 768};
            primary->Blt(&onScreen, target, nullptr, DDBLT_WAIT, nullptr);
        }
        if (done && WaitForSingleObject(done, 10) == WAIT_OBJECT_0)
            break;
        if (!done)
            Sleep(10);
    }
    if (device)
        device->Release();
    if (d3d)
        d3d->Release();
    if (texture)
        texture->Release();
    if (target)
        target->Release();
    if (clipper)
        clipper->Release();
    if (primary)
        primary->Release();
    if (dd)
        dd->Release();
    DestroyWindow(hwnd);
    return 0;
}
