// The real game on a screen larger than its picture whose mode cannot change
// (Xvfb switches only to its own size, PLATFORM-NOTES): full screen saved by
// another run is refused there, and as it is not forced the game must come up
// in a window, on the 3D road and on the 2D one, and say so in its own box; the
// settings may ask again, each refused try told anew, and pref.dat keeps the
// window so that the next start tries nothing.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

#include "game/engine/KpProfileFile.h"
#include "tests/display/GameLayout.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/ScreenPixels.h"

using namespace GameTest;
using namespace GameLayout;

namespace
{

class FullScreenRefused : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CXSCREEN) != 1280 || GetSystemMetrics(SM_CYSCREEN) != 1024)
            GTEST_SKIP() << "needs the 1280 x 1024 screen, where a window fits";
        CoInitialize(nullptr);
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        DWORD is3D = GetParam() ? 1 : 0;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&is3D, sizeof(is3D));
        RegCloseKey(key);
        // A player whose last run was full screen on another screen.
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        ASSERT_TRUE(file.NewProfile(L"Anna", nullptr, nullptr));
        file.mWindowed = 0;
        ASSERT_TRUE(file.Save());
        mStarted = true;
    }
    void TearDown() override
    {
        if (!mStarted)
            return;
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        CoUninitialize();
    }

    int StoredWindowed()
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        return file.Read() ? file.mWindowed : -1;
    }

    // Clicks Settings and returns the line the options wrote when shown ("" when they did not).
    std::string OpenOptions(GameProcess& game)
    {
        const size_t shown = game.CountOutput("Screens: options shown");
        // Clicked again while a closing box still takes the pointer.
        for (int waited = 0; game.CountOutput("Screens: options shown") == shown; waited += 20)
        {
            if (waited > 5000 || game.mExited)
                return "";
            if (waited % 1000 == 0)
                Click(WindowOf(game.mPid, "MainWindow"),
                      LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "settings"}));
            GameProcess::WaitFor(20);
        }
        std::string output = game.Output();
        size_t at = output.rfind("Screens: options shown");
        return output.substr(at, output.find('\n', at) - at);
    }

    // Clicks the slides away until the main menu shows; false when it never does.
    static bool SkipSplash(GameProcess& game)
    {
        if (!game.WaitForOutput("Screens: splash slide 0", 30000))
            return false;
        while (!game.WaitForOutput("Screens: splash ended", 200))
        {
            if (game.mExited)
                return false;
            Click(WindowOf(game.mPid, "MainWindow"), Point{512, 384});
        }
        return game.WaitForOutput("Screens: main menu shown", 10000);
    }

    bool mStarted = false;
};

} // namespace

TEST_P(FullScreenRefused, SavedFullScreenIsTriedOnceAndEachLaterRequestIsToldAgain)
{
    const std::string told = "Screens: full screen refused: playing in a window";
    {
        GameProcess game;
        ASSERT_TRUE(game.Start());
        ASSERT_NE(game.WaitForMainWindow(30000), nullptr)
            << "system box seen: " << game.mSawSystemBox << "\n"
            << game.Output();
        // The slides, clicked away; the saved choice was tried before them.
        ASSERT_TRUE(SkipSplash(game)) << game.Output();
        // Told in the game's own notice box, answered from the keyboard.
        ASSERT_TRUE(game.AnswerGameBox("nofullscr", true, 10000)) << game.Output();
        EXPECT_FALSE(game.mSawSystemBox);
        HWND hwnd = WindowOf(game.mPid, "MainWindow");
        ASSERT_NE(hwnd, nullptr);
        EXPECT_FALSE(IsFullScreen(hwnd));

        // The settings show a window and that the last try was refused; the
        // box asks again, and that try is refused and told in its turn.
        EXPECT_EQ(OpenOptions(game),
                  "Screens: options shown: music 30 sound 60 mute 0 fullscreen 0 (refused)");
        Click(hwnd, LayoutCentre("options", {"panel", "fullscreen_checkbox"}));
        Click(hwnd, LayoutCentre("options", {"panel", "apply"}));
        ASSERT_TRUE(game.WaitForOutput("Screens: options applied: music 30 sound 60 mute 0 "
                                       "fullscreen 1",
                                       15000))
            << game.Output();
        ASSERT_TRUE(game.AnswerGameBox("nofullscr", true, 10000)) << game.Output();
        EXPECT_FALSE(IsFullScreen(WindowOf(game.mPid, "MainWindow")));
        EXPECT_EQ(game.CountOutput(told), 2u) << game.Output();

        EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000)) << game.Output();
        EXPECT_EQ(0u, game.mExitCode);
        EXPECT_FALSE(game.mSawSystemBox);
        EXPECT_EQ(StoredWindowed(), 1);
    }

    // The next start opens a window at once: no try, so nothing to tell.
    GameProcess game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(SkipSplash(game)) << game.Output();
    EXPECT_EQ(OpenOptions(game), "Screens: options shown: music 30 sound 60 mute 0 fullscreen 0");
    EXPECT_EQ(game.CountOutput(told), 0u) << game.Output();
    EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000)) << game.Output();
}

// A first start (no profile file) asks full screen as well. After the notice
// the pointer enters the window, so the software cursor moves on the screen
// itself; the whole window still shows its picture, though the name entry's
// caret keeps presenting only its own part.
TEST_P(FullScreenRefused, FirstStartShowsTheWholeWindowAfterTheNotice)
{
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    SetCursorPos(2, 2); // outside the window to come
    GameProcess game;
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(SkipSplash(game)) << game.Output();
    ASSERT_TRUE(game.AnswerGameBox("nofullscr", true, 10000)) << game.Output();
    HWND hwnd = WindowOf(game.mPid, "MainWindow");
    const int w = 1024, h = 768;
    // Percent of the window black; the name entry's sky-blue band at (512, 250).
    auto blackShare = [&](bool* band)
    {
        std::vector<uint32_t> shown = GrabClient(hwnd, w, h);
        int black = 0;
        for (int y = 4; y < h; y += 8)
            for (int x = 4; x < w; x += 8)
                black += (shown[y * w + x] & 0xE0E0E0) == 0;
        const uint32_t sky = shown[250 * w + 512];
        *band = abs(int(sky >> 16) - 0x7D) + abs(int(sky >> 8 & 255) - 0xB7) +
                    abs(int(sky & 255) - 0xD9) <
                48;
        return black * 100 / (w / 8 * h / 8);
    };
    bool band = false;
    int share = blackShare(&band);
    for (int waited = 0; !band && waited < 5000; waited += 50, share = blackShare(&band))
        GameProcess::WaitFor(50);
    ASSERT_TRUE(band) << "no name entry";
    EXPECT_LE(share, 2) << "percent of the window black after the notice";
    // The pointer crosses the page in steps, each until the cursor shows there:
    // some come while the loop is idle, and the cursor is drawn on the screen itself.
    for (int x = 200; x < 440; x += 60)
    {
        auto underCursor = [&]
        {
            std::vector<uint32_t> shown = GrabClient(hwnd, w, h);
            return std::vector<uint32_t>(&shown[(x + 8) * w + x], &shown[(x + 8) * w + x + 12]);
        };
        const std::vector<uint32_t> before = underCursor();
        POINT at = {x, x};
        ClientToScreen(hwnd, &at);
        SetCursorPos(at.x, at.y);
        for (int waited = 0; underCursor() == before && waited < 3000; waited += 20)
            GameProcess::WaitFor(20);
    }
    for (int waited = 0; (share = blackShare(&band)) > 2 && waited < 3000; waited += 50)
        GameProcess::WaitFor(50);
    EXPECT_LE(share, 2) << "percent of the window black once the pointer came in";
    SetCursorPos(2, 2);
    EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000)) << game.Output();
}

INSTANTIATE_TEST_SUITE_P(Roads, FullScreenRefused, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "ThreeD" : "TwoD"; });
