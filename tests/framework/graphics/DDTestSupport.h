#pragma once
// A plain window and a display on it, for tests of the DirectDraw display and
// of surface images. Needs the Xvfb screen that the test runner starts.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/graphics/DDInterface.h"

namespace DDTest
{

inline HWND MakeWindow(int width, int height, bool popup)
{
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = "LumoDDTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    DWORD style = popup ? WS_POPUP | WS_VISIBLE : WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    RECT frame = {0, 0, width, height};
    if (!popup)
        AdjustWindowRect(&frame, style, FALSE);
    HWND hwnd = CreateWindowExA(popup ? WS_EX_TOPMOST : 0, "LumoDDTestWindow", "dd test", style,
                                popup ? 0 : 40, popup ? 0 : 40, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    return hwnd;
}

inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// A display without an application: 2D, the given logical size.
inline std::unique_ptr<Lumo::DDInterface> MakeDisplay(int width = 320, int height = 240)
{
    LoadLibraryA("ddraw.dll");
    std::unique_ptr<Lumo::DDInterface> display(new Lumo::DDInterface(nullptr));
    display->mIs3D = false;
    display->mOptions.width = width;
    display->mOptions.height = height;
    return display;
}

// A screen pixel read back through GDI, as 0xRRGGBB.
inline uint32_t ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 1;
    bi.bmiHeader.biHeight = 1;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, 1, 1, screen, x, y, SRCCOPY);
    GdiFlush();
    uint32_t value = *(uint32_t*)bits & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return value;
}

// The screen shows a present a moment later under Wine, and Wine holds back a
// front-buffer update that follows another within one refresh until the next
// one. Reads the pixel until the condition holds, for at most two seconds,
// repeating `again` (the same presentation) between reads.
template <typename Condition, typename Again>
inline uint32_t WaitForScreenPixel(int x, int y, Condition condition, Again again)
{
    DWORD start = GetTickCount();
    uint32_t value = ScreenPixel(x, y);
    while (!condition(value) && GetTickCount() - start < 2000)
    {
        Pump();
        Sleep(10);
        again();
        value = ScreenPixel(x, y);
    }
    return value;
}

template <typename Condition> inline uint32_t WaitForScreenPixel(int x, int y, Condition condition)
{
    return WaitForScreenPixel(x, y, condition, [] {});
}

inline bool IsRed(uint32_t v)
{
    return ((v >> 16) & 255) >= 0xE0 && ((v >> 8) & 255) <= 0x20 && (v & 255) <= 0x20;
}
inline bool IsGreen(uint32_t v)
{
    return ((v >> 16) & 255) <= 0x20 && ((v >> 8) & 255) >= 0xE0 && (v & 255) <= 0x20;
}
inline bool IsBlue(uint32_t v)
{
    return ((v >> 16) & 255) <= 0x20 && ((v >> 8) & 255) <= 0x20 && (v & 255) >= 0xE0;
}
inline bool IsYellow(uint32_t v)
{
    return ((v >> 16) & 255) >= 0xE0 && ((v >> 8) & 255) >= 0xE0 && (v & 255) <= 0x20;
}
inline bool IsBlack(uint32_t v)
{
    return ((v >> 16) & 255) <= 0x20 && ((v >> 8) & 255) <= 0x20 && (v & 255) <= 0x20;
}
inline bool IsWhite(uint32_t v)
{
    return ((v >> 16) & 255) >= 0xE0 && ((v >> 8) & 255) >= 0xE0 && (v & 255) >= 0xE0;
}

} // namespace DDTest
