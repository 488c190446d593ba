// Pixels of the game read back for the checks that compare pictures: the
// window's client area as the X screen shows it, and the draw surface as the
// display holds it. Plain Win32 and DirectDraw, so the test builds of the
// game (no test framework in them) share these with the test programs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"

namespace GameTest
{

// `width` x `height` pixels (0xRRGGBB) of the window's client area, from its top left corner.
inline std::vector<uint32_t> GrabClient(HWND hwnd, int width, int height)
{
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> pixels((uint32_t*)bits, (uint32_t*)bits + size_t(width) * height);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The screen image's surface (0xRRGGBB) read through a lock, which also waits
// until the display has carried out all that was asked of it (the Direct3D
// road has no memory copy of it); empty when it cannot be read. 32-bit
// surfaces only; `width` and `height` are set when it could.
inline std::vector<uint32_t> ReadDrawSurface(Lumo::Image* image, Lumo::DDInterface* display,
                                             int* width, int* height)
{
    std::vector<uint32_t> pixels;
    Lumo::DDImage* screen = dynamic_cast<Lumo::DDImage*>(image);
    if (!screen || !screen->mSurface)
        return pixels;
    if (display && display->mD3D)
        display->mD3D->EndSceneIfOpen();
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    if (screen->mSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
        return pixels;
    if (desc.ddpfPixelFormat.dwRGBBitCount == 32)
    {
        pixels.resize(size_t(desc.dwWidth) * desc.dwHeight);
        for (DWORD y = 0; y < desc.dwHeight; y++)
        {
            const uint32_t* row = (const uint32_t*)((const BYTE*)desc.lpSurface + y * desc.lPitch);
            for (DWORD x = 0; x < desc.dwWidth; x++)
                pixels[size_t(y) * desc.dwWidth + x] = row[x] & 0xFFFFFF;
        }
        *width = int(desc.dwWidth);
        *height = int(desc.dwHeight);
    }
    screen->mSurface->Unlock(nullptr);
    return pixels;
}

} // namespace GameTest
