// Stand-in PASSWORD.CPL: VerifyScreenSavePwd answers what the test set (refuse
// at first), and remembers how often and for which window it was asked. Like
// the real check's box, it takes the activation from the window first.
#include <windows.h>

namespace
{
BOOL gAnswer = FALSE;
LONG gCalls = 0;
HWND gLastWindow = nullptr;
} // namespace

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND window)
{
    gCalls++;
    gLastWindow = window;
    SendMessageA(window, WM_ACTIVATEAPP, FALSE, 0);
    return gAnswer;
}

extern "C" void WINAPI FakePasswordSetAnswer(BOOL accept)
{
    gAnswer = accept;
}

extern "C" LONG WINAPI FakePasswordCalls()
{
    return gCalls;
}

extern "C" HWND WINAPI FakePasswordLastWindow()
{
    return gLastWindow;
}
