// The report window, the details window and the progress window of the crash
// reporter: plain user32 windows driven by one message loop on the thread
// that crashed. Buttons are told apart by their handles, kept in two slots
// that the current window fills.

#include "framework/diagnostics/CrashReporter.h"

#include <process.h>

#include "framework/diagnostics/HTTPTransfer.h"

std::string gCrashErrorTitle;
std::string gCrashErrorText;
std::string gCrashUserText;
std::string gCrashServerHost;
uint8_t gCrashAllowSend = 1;
uint8_t gCrashIsWin9x = 0;
uint8_t gCrashWindowDone = 0;
const wchar_t* const gCrashReportHeader = L"An unexpected error has occured!";
const wchar_t* const gCrashSubmitHeader =
    L"Please help out by providing as much information as you can about this crash.";
const wchar_t* const gCrashConnectFailedText = L"Failed to connect to server.";

namespace Lumo
{
namespace CrashReporter
{

namespace
{

const DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
const int kMaxUserText = 8192; // characters taken from the details field

HFONT sTahoma8, sTahoma10Bold, sArial9Bold, sCourier8;
HWND sFirstButton, sSecondButton; // of the window shown now
HWND sUserTextField;
HWND sProgressText;
int sTickCount;

HFONT MakeFont(const wchar_t* face, int points, bool bold)
{
    return CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// A top-level window whose client area lies at (x, y) with the given size.
HWND MakeTopWindow(const wchar_t* className, WNDPROC proc, const wchar_t* caption, int x, int y,
                   int width, int height)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass;
    memset(&windowClass, 0, sizeof(windowClass));
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIcon(nullptr, IDI_HAND);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass); // fails harmlessly when already registered
    RECT frame = {x, y, x + width, y + height};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    return CreateWindowW(className, caption, kWindowStyle, frame.left, frame.top,
                         frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         instance, nullptr);
}

HWND MakeChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x,
               int y, int width, int height, HFONT font)
{
    HWND child = CreateWindowW(className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width,
                               height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!gCrashIsWin9x)
        SendMessageW(child, WM_SETFONT, (WPARAM)font, FALSE);
    return child;
}

std::wstring Widen(const std::string& text)
{
    int count = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide(count, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], count);
    return wide;
}

// Characters the code page lacks become its default character.
std::string Narrow(const std::wstring& text)
{
    int count =
        WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string narrow(count, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), &narrow[0], count, nullptr,
                        nullptr);
    return narrow;
}

void StartSubmitThread()
{
    uintptr_t thread = _beginthreadex(nullptr, 0, SubmitReport, nullptr, 0, nullptr);
    if (thread)
        CloseHandle((HANDLE)thread);
}

// An unattended run (tests, CI) sets LUMO_CRASH_WINDOW=close: the report
// window then answers "Close Now" itself, so that no crash blocks the run.
bool AnswerUnattended()
{
    char value[16] = "";
    DWORD length = GetEnvironmentVariableA("LUMO_CRASH_WINDOW", value, sizeof(value));
    return length > 0 && length < sizeof(value) && lstrcmpiA(value, "close") == 0;
}

void AbortUpload()
{
    gHTTPTransfer.Abort();
    // Nothing under way (the request is still being built, or a retry was
    // not started): no worker will report the abort, so end here.
    if (gHTTPTransfer.GetResultCode() == HTTPTransfer::RESULT_IDLE)
        gCrashWindowDone = 1;
}

// The report and details windows answer alike: closing the window or its
// second button ends the reporter; the first button hides the window and
// goes on to the next step.
LRESULT TwoButtonWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, void (*next)())
{
    if (message == WM_CLOSE)
    {
        gCrashWindowDone = 1;
        return 0;
    }
    if (message == WM_COMMAND && lParam)
    {
        HWND button = (HWND)lParam;
        if (button == sFirstButton)
        {
            ShowWindow(hwnd, SW_HIDE);
            next();
        }
        else if (button == sSecondButton)
            gCrashWindowDone = 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The details window's "Continue": its text goes with the report.
void SubmitWithUserText()
{
    std::wstring text(kMaxUserText + 1, L'\0');
    int length = GetWindowTextW(sUserTextField, &text[0], kMaxUserText + 1);
    text.resize(length > 0 ? length : 0);
    gCrashUserText = Narrow(text);
    ShowProgressWindow();
    StartSubmitThread();
}

} // namespace

// ---------------------------------------------------------------- report window

void ShowReportWindow(const std::string& title, const std::string& report)
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    gCrashIsWin9x = version.dwPlatformId != VER_PLATFORM_WIN32_NT;
    sTahoma8 = MakeFont(L"Tahoma", 8, false);
    sTahoma10Bold = MakeFont(L"Tahoma", 10, true);
    sArial9Bold = MakeFont(L"Arial", 9, true);
    sCourier8 = MakeFont(L"Courier New", 8, false);
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    gCrashErrorTitle = title;
    gCrashErrorText = report;
    gCrashWindowDone = 0;

    HWND window = MakeTopWindow(L"SEHWindow", ReportWindowProc, L"Fatal Error!", 64, 64, 400, 300);
    // No window (memory has run out): nothing could ever end the loop below.
    if (!window)
        gCrashWindowDone = 1;
    MakeChild(window, L"EDIT", gCrashReportHeader, ES_MULTILINE | ES_READONLY, 8, 8, 384, 84,
              sArial9Bold);
    MakeChild(window, L"EDIT", Widen(report),
              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER | WS_VSCROLL, 8, 92, 384, 168,
              sCourier8);
    if (gCrashAllowSend && !gCrashServerHost.empty())
    {
        sFirstButton = MakeChild(window, L"BUTTON", L"Send Report", BS_PUSHBUTTON, 8, 268, 188, 24,
                                 sArial9Bold);
        EnableWindow(sFirstButton, gCrashReporterApp != nullptr);
        sSecondButton = MakeChild(window, L"BUTTON", L"Close Now", BS_PUSHBUTTON, 204, 268, 188, 24,
                                  sArial9Bold);
    }
    else
    {
        sFirstButton = nullptr;
        sSecondButton =
            MakeChild(window, L"BUTTON", L"Close Now", BS_PUSHBUTTON, 8, 268, 384, 24, sArial9Bold);
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    if (AnswerUnattended())
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), (LPARAM)sSecondButton);

    MSG message;
    while (!gCrashWindowDone && GetMessageW(&message, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    DestroyWindow(window);
    DeleteObject(sTahoma8);
    DeleteObject(sTahoma10Bold);
    DeleteObject(sArial9Bold);
    DeleteObject(sCourier8);
}

LRESULT CALLBACK ReportWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return TwoButtonWindowProc(hwnd, message, wParam, lParam, ShowSubmitInfoWindow);
}

// ---------------------------------------------------------------- details window

void ShowSubmitInfoWindow()
{
    HWND window = MakeTopWindow(L"SubmitInfoWindow", SubmitInfoWindowProc, L"Error Details", 80, 80,
                                400, 300);
    MakeChild(window, L"EDIT", gCrashSubmitHeader, ES_MULTILINE | ES_READONLY, 8, 8, 384, 84,
              sArial9Bold);
    sUserTextField =
        MakeChild(window, L"EDIT", L"",
                  ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER | WS_VSCROLL, 8, 92,
                  384, 168, sTahoma8);
    sFirstButton =
        MakeChild(window, L"BUTTON", L"Continue", BS_PUSHBUTTON, 8, 268, 188, 24, sArial9Bold);
    EnableWindow(sFirstButton, gCrashReporterApp != nullptr);
    sSecondButton =
        MakeChild(window, L"BUTTON", L"Abort", BS_PUSHBUTTON, 204, 268, 188, 24, sArial9Bold);
    ShowWindow(window, SW_SHOW);
    SetFocus(sUserTextField);
}

LRESULT CALLBACK SubmitInfoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return TwoButtonWindowProc(hwnd, message, wParam, lParam, SubmitWithUserText);
}

// ---------------------------------------------------------------- progress window

void ShowProgressWindow()
{
    HWND window = MakeTopWindow(L"SEHProgressWindow", ProgressWindowProc, L"Submitting Report", 64,
                                64, 240, 64);
    SetTimer(window, 0, 20, nullptr);
    SetTimer(window, 1, 1000, nullptr);
    sTickCount = 0;
    sProgressText =
        MakeChild(window, L"EDIT", L"Please Wait", ES_READONLY, 24, 10, 224, 24, sTahoma10Bold);
    sSecondButton = MakeChild(window, L"BUTTON", L"Abort", BS_PUSHBUTTON, 72, 36, 96, 22, sTahoma8);
    ShowWindow(window, SW_SHOW);
}

LRESULT CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_CLOSE:
        AbortUpload();
        return 0;
    case WM_COMMAND:
        if (lParam && (HWND)lParam == sSecondButton)
            AbortUpload();
        break;
    case WM_TIMER:
        if (wParam == 1)
        {
            sTickCount++;
            std::wstring text = L"Please Wait";
            for (int i = 0; i < sTickCount % 10; i++)
                text += L" .";
            SetWindowTextW(sProgressText, text.c_str());
        }
        else if (wParam == 0)
        {
            int code = gHTTPTransfer.GetResultCode();
            if (code == HTTPTransfer::RESULT_IDLE || code == HTTPTransfer::RESULT_UNDER_WAY)
                break;
            if (code == HTTPTransfer::RESULT_DONE || code == HTTPTransfer::RESULT_ABORTED)
            {
                gCrashWindowDone = 1;
                break;
            }
            gHTTPTransfer.Reset();
            if (MessageBoxW(hwnd, gCrashConnectFailedText, L"Connection Failed", MB_RETRYCANCEL) ==
                IDRETRY)
                StartSubmitThread();
            else
                gCrashWindowDone = 1;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace CrashReporter
} // namespace Lumo
