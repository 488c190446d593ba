// The screen-saver input filter through the real window procedure: messages
// are posted to a window of the application's own procedure and pumped, and a
// close shows as the close request the filter posts. The cursor is moved with
// SetCursorPos, which Wine's GetCursorPos reports back at once. The old-Windows
// password check runs against the fake PASSWORD.CPL the tests build.
#include <gtest/gtest.h>

#include "tests/framework/app/AppTestApp.h"

using AppTest::ManualClock;
using AppTest::TestApp;

namespace
{

// A window of the application's procedure, attached to it as MakeWindow does.
HWND MakeAppWindow(TestApp& app)
{
    static bool registered = false;
    if (!registered)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Lumo::LumoAppBase::AppWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SaverTestWindow";
        registered = RegisterClassA(&wc) != 0;
    }
    HWND hwnd = CreateWindowExA(0, "SaverTestWindow", "saver", WS_POPUP, 0, 0, 64, 64, nullptr,
                                nullptr, GetModuleHandleA(nullptr), &app);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)&app);
    return hwnd;
}

// Posts one message and pumps; true when the filter posted a close request to
// `main` (told from a posted test message by its zero lParam).
bool Deliver(HWND to, UINT message, WPARAM wParam, HWND main)
{
    const LPARAM kFromTest = 0x00050005;
    PostMessageA(to, message, wParam, kFromTest);
    bool closed = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_CLOSE && msg.hwnd == main && msg.lParam == 0)
            closed = true;
        else
            DispatchMessageA(&msg);
    }
    return closed;
}

class ScreenSaverFilter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.mScreenSaver = true;
        SetCursorPos(100, 100);
        main = MakeAppWindow(app);
        app.mHWnd = main;
        other = MakeAppWindow(app);
    }
    void TearDown() override { DestroyWindow(other); }

    // The filter as the first creation left it: nothing counted, nothing closing.
    void Fresh()
    {
        app.mSaver.closing = false;
        app.mSaver.moveCount = 0;
        app.mSaver.powerSeen = false;
        SetCursorPos(100, 100);
        app.mSaver.cursor = {100, 100};
    }

    TestApp app;
    HWND main = nullptr;
    HWND other = nullptr;
};

} // namespace

TEST_F(ScreenSaverFilter, ClosesOnPressesAndDeactivationButNotForOtherWindowsOrRightAfterPowerOff)
{
    ASSERT_TRUE(app.mSaver.created) << "the creation message reached the filter";
    enum When
    {
        PLAIN,
        OTHER_WINDOW,
        AFTER_POWER_OFF
    };
    const struct
    {
        const char* what;
        UINT message;
        WPARAM wParam;
        When when;
        bool closes;
    } cases[] = {
        {"left button", WM_LBUTTONDOWN, 0, PLAIN, true},
        {"right button", WM_RBUTTONDOWN, 0, PLAIN, true},
        {"middle button", WM_MBUTTONDOWN, 0, PLAIN, true},
        {"key", WM_KEYDOWN, 'A', PLAIN, true},
        {"system key", WM_SYSKEYDOWN, VK_MENU, PLAIN, true},
        {"deactivation", WM_ACTIVATE, WA_INACTIVE, PLAIN, true},
        // (A posted WM_ACTIVATE that activates makes the system activate the window for real.)
        {"application activation", WM_ACTIVATEAPP, 1, PLAIN, false},
        {"application deactivation", WM_ACTIVATEAPP, 0, PLAIN, true},
        {"frame deactivation", WM_NCACTIVATE, 0, PLAIN, true},
        {"close request", WM_CLOSE, 0, PLAIN, true},
        {"button up", WM_LBUTTONUP, 0, PLAIN, false},
        {"screen-saver command", WM_SYSCOMMAND, SC_SCREENSAVE, PLAIN, false},
        {"key menu command", WM_SYSCOMMAND, SC_KEYMENU, PLAIN, false},
        {"button on another window", WM_LBUTTONDOWN, 0, OTHER_WINDOW, false},
        {"key on another window", WM_KEYDOWN, 'A', OTHER_WINDOW, false},
        {"deactivation after power-off", WM_ACTIVATE, WA_INACTIVE, AFTER_POWER_OFF, false},
        {"close request after power-off", WM_CLOSE, 0, AFTER_POWER_OFF, false},
        {"key after power-off", WM_KEYDOWN, 'A', AFTER_POWER_OFF, true},
    };
    for (const auto& c : cases)
    {
        Fresh();
        if (c.when == AFTER_POWER_OFF)
            Deliver(main, WM_SYSCOMMAND, SC_MONITORPOWER, main);
        EXPECT_EQ(Deliver(c.when == OTHER_WINDOW ? other : main, c.message, c.wParam, main),
                  c.closes)
            << c.what;
    }

    // A close request within 1000 ms of a power-off is left alone; 1000 ms on it closes.
    Fresh();
    Deliver(main, WM_SYSCOMMAND, SC_MONITORPOWER, main);
    ManualClock::now += 999;
    EXPECT_FALSE(Deliver(main, WM_ACTIVATEAPP, 0, main));
    ManualClock::now += 1;
    EXPECT_TRUE(Deliver(main, WM_ACTIVATEAPP, 0, main));
    // Once closing, the filter stands aside.
    EXPECT_FALSE(Deliver(main, WM_KEYDOWN, 'A', main));
}

TEST_F(ScreenSaverFilter, FourthMoveToANewPlaceCloses)
{
    Fresh();
    for (int i = 1; i <= 3; i++)
    {
        SetCursorPos(100 + 5 * i, 100);
        EXPECT_FALSE(Deliver(main, WM_MOUSEMOVE, 0, main)) << "move " << i;
        // A move message without a new place counts nothing.
        EXPECT_FALSE(Deliver(main, WM_MOUSEMOVE, 0, main)) << "repeat " << i;
    }
    EXPECT_EQ(app.mSaver.moveCount, 3);
    SetCursorPos(130, 100);
    EXPECT_TRUE(Deliver(main, WM_MOUSEMOVE, 0, main));
}

namespace
{

// Sets "ScreenSaveUsePassword" for one test; the test prefix has none otherwise.
struct PasswordSetting
{
    explicit PasswordSetting(DWORD use)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
        RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, (const BYTE*)&use, 4);
    }
    ~PasswordSetting()
    {
        RegDeleteValueA(key, "ScreenSaveUsePassword");
        RegCloseKey(key);
    }
    HKEY key = nullptr;
};

const std::string kFakeLibrary = std::string(LUMO_BINARY_DIR) + "/PASSWORD.CPL";

bool (*const Yes)() = [] { return true; };
bool (*const No)() = [] { return false; };

// Notes the popup state's bracket with the check's call count at each end.
struct PopupApp : TestApp
{
    void BeginPopup() override
    {
        TestApp::BeginPopup();
        popups.push_back(calls ? calls() : -1);
    }
    void EndPopup() override
    {
        popups.push_back(calls ? calls() : -1);
        TestApp::EndPopup();
    }
    LONG(WINAPI* calls)() = nullptr;
    std::vector<LONG> popups;
};

// A screen-saver application whose window is made under the given system answer.
struct PasswordRun
{
    PasswordRun(bool (*windows9x)(), const std::string& library = kFakeLibrary)
    {
        app.mScreenSaver = true;
        app.mSaver.isWindows9x = windows9x;
        app.mSaver.passwordLibraryName = library;
        app.mHWnd = MakeAppWindow(app);
        app.mInitialized = true;
    }
    PopupApp app;
};

} // namespace

TEST(ScreenSaverPassword, OnlyOldWindowsWithThePasswordSetLoadsTheCheck)
{
    {
        PasswordSetting unused(0);
        EXPECT_EQ(PasswordRun(Yes).app.mSaver.passwordCheck, nullptr);
    }
    PasswordSetting use(1);
    EXPECT_EQ(PasswordRun(No).app.mSaver.passwordCheck, nullptr);
    PasswordRun missing(Yes, "NoSuchLibrary.CPL");
    EXPECT_EQ(missing.app.mSaver.passwordCheck, nullptr);
    // Without a check the first key closes at once.
    EXPECT_TRUE(Deliver(missing.app.mHWnd, WM_KEYDOWN, 'A', missing.app.mHWnd));
}

TEST(ScreenSaverPassword, RefusedPasswordKeepsRunningAndAcceptedOneCloses)
{
    PasswordSetting use(1);
    SetCursorPos(100, 100);
    PasswordRun run(Yes);
    PopupApp& app = run.app;
    ASSERT_NE(app.mSaver.passwordCheck, nullptr) << kFakeLibrary;
    // Our own hold on the fake: the accepted check frees the application's.
    HMODULE fake = LoadLibraryA(kFakeLibrary.c_str());
    ASSERT_NE(fake, nullptr);
    auto setAnswer = (void(WINAPI*)(BOOL))(void*)GetProcAddress(fake, "FakePasswordSetAnswer");
    auto calls = (LONG(WINAPI*)())(void*)GetProcAddress(fake, "FakePasswordCalls");
    auto lastWindow = (HWND(WINAPI*)())(void*)GetProcAddress(fake, "FakePasswordLastWindow");
    ASSERT_TRUE(setAnswer && calls && lastWindow);
    LONG before = calls();
    app.calls = calls;
    app.mIsPhysWindowed = false; // over a full screen

    // Refused: the check was asked for the main window, the moves count anew.
    setAnswer(FALSE);
    app.mSaver.moveCount = 3;
    SetCursorPos(140, 120);
    EXPECT_FALSE(Deliver(app.mHWnd, WM_KEYDOWN, 'A', app.mHWnd));
    EXPECT_EQ(calls(), before + 1) << "asked once, though its box took the activation";
    EXPECT_EQ(lastWindow(), app.mHWnd);
    EXPECT_EQ(app.mSaver.moveCount, 0);
    EXPECT_EQ(app.mSaver.cursor.x, 140);
    EXPECT_NE(app.mSaver.passwordCheck, nullptr);

    // Accepted: the screen saver closes and the check is dropped.
    setAnswer(TRUE);
    EXPECT_TRUE(Deliver(app.mHWnd, WM_LBUTTONDOWN, 0, app.mHWnd));
    EXPECT_EQ(calls(), before + 2);
    EXPECT_EQ(app.mSaver.passwordCheck, nullptr);
    // Each check ran inside the popup state, which ended after it.
    EXPECT_EQ(app.popups, std::vector<LONG>({before, before + 1, before + 1, before + 2}));
    EXPECT_FALSE(app.mPopupOpen);
    app.calls = nullptr;
    FreeLibrary(fake);
}
