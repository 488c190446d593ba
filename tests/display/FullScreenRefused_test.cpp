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
        ASSERT_TRUE(game.WaitForOutput("Screens: splash slide 0", 30000)) << game.Output();
        while (!game.WaitForOutput("Screens: splash ended", 200))
        {
            ASSERT_FALSE(game.mExited) << game.Output();
            Click(WindowOf(game.mPid, "MainWindow"), Point{512, 384});
        }
        ASSERT_TRUE(game.WaitForOutput("Screens: main menu shown", 10000)) << game.Output();
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
    ASSERT_TRUE(game.WaitForOutput("Screens: splash slide 0", 30000)) << game.Output();
    while (!game.WaitForOutput("Screens: splash ended", 200))
    {
        ASSERT_FALSE(game.mExited) << game.Output();
        Click(WindowOf(game.mPid, "MainWindow"), Point{512, 384});
    }
    ASSERT_TRUE(game.WaitForOutput("Screens: main menu shown", 10000)) << game.Output();
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
    ASSERT_TRUE(game.WaitForOutput("Screens: splash slide 0", 30000)) << game.Output();
    while (!game.WaitForOutput("Screens: splash ended", 200))
    {
        ASSERT_FALSE(game.mExited) << game.Output();
        Click(WindowOf(game.mPid, "MainWindow"), Point{512, 384});
    }
    ASSERT_TRUE(game.WaitForOutput("Screens: box 'nofullscr' asked", 10000)) << game.Output();
    HWND hwnd = WindowOf(game.mPid, "MainWindow");
    ASSERT_NE(hwnd, nullptr);
    const int kWidth = 1024, kHeight = 768;
    auto blackShare = [&]
    {
        std::vector<uint32_t> shown = GrabClient(hwnd, kWidth, kHeight);
        int black = 0, all = 0;
        for (int y = 4; y < kHeight; y += 8)
            for (int x = 4; x < kWidth; x += 8, all++)
                black += (shown[y * kWidth + x] & 0xE0E0E0) == 0;
        return black * 100 / all;
    };
    ASSERT_TRUE(game.AnswerGameBox("nofullscr", true, 10000)) << game.Output();
    // The name entry's sky-blue band.
    auto nameEntryShown = [&]
    {
        uint32_t band = GrabClient(hwnd, kWidth, kHeight)[250 * kWidth + 512];
        return abs(int(band >> 16) - 0x7D) < 24 && abs(int(band >> 8 & 255) - 0xB7) < 24 &&
               abs(int(band & 255) - 0xD9) < 24;
    };
    for (int waited = 0; !nameEntryShown() && waited < 5000; waited += 50)
        GameProcess::WaitFor(50);
    ASSERT_TRUE(nameEntryShown());
    EXPECT_LE(blackShare(), 2) << "percent of the window black after the notice";
    // The pointer crosses the page in a few steps, each until the cursor shows
    // there: one of them comes while the loop is idle and the cursor thread
    // draws straight on the screen.
    for (int step = 0; step < 4; step++)
    {
        const int x = 200 + 60 * step, y = 300 + 40 * step;
        auto cursorArea = [&]
        {
            std::vector<uint32_t> shown = GrabClient(hwnd, kWidth, kHeight), area;
            for (int row = y - 20; row < y + 20; row++)
                area.insert(area.end(), &shown[row * kWidth + x - 20],
                            &shown[row * kWidth + x + 20]);
            return area;
        };
        const std::vector<uint32_t> before = cursorArea();
        POINT at = {x, y};
        ClientToScreen(hwnd, &at);
        SetCursorPos(at.x, at.y);
        for (int waited = 0; cursorArea() == before && waited < 3000; waited += 20)
            GameProcess::WaitFor(20);
    }
    int share = blackShare();
    for (int waited = 0; share > 2 && waited < 3000; waited += 50)
    {
        GameProcess::WaitFor(50);
        share = blackShare();
    }
    EXPECT_LE(share, 2) << "percent of the window black once the pointer came in";
    SetCursorPos(2, 2);
    EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000)) << game.Output();
}

INSTANTIATE_TEST_SUITE_P(Roads, FullScreenRefused, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "ThreeD" : "TwoD"; });
