// The least DirectDraw program: a 1024 x 768 window with DirectDraw in
// windowed mode and its primary surface, pumping messages until the launcher
// sets the event named on the command line (or 20 s pass), or until its window
// is closed. Its peak working set is what Wine and DirectDraw cost any program
// of this kind, and the time from the close to its end the least quit.
#include <windows.h>
#include <ddraw.h>

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // A close request (the window's own default destroys it) ends the program.
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "DDMin";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("DDMin", "DDMin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024, 768,
                              nullptr, nullptr, instance, nullptr);
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    if (DirectDrawCreateEx(nullptr, (void**)&dd, IID_IDirectDraw7, nullptr) == DD_OK)
    {
        dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL);
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        dd->CreateSurface(&desc, &primary, nullptr);
    }
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, commandLine);
    DWORD start = GetTickCount();
    bool closed = false;
    while (!closed && GetTickCount() - start < 20000)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            closed = closed || msg.message == WM_QUIT;
            DispatchMessageA(&msg);
        }
        if (done && WaitForSingleObject(done, 10) == WAIT_OBJECT_0)
            break;
        if (!done)
            Sleep(10);
    }
    if (primary)
        primary->Release();
    if (dd)
        dd->Release();
    if (!closed)
        DestroyWindow(hwnd);
    return 0;
}
