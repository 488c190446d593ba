// The real game's other screens, driven from outside with clicks posted to its
// window and checked at chosen screen pixels and by the "Screens: " lines it
// writes to the debugger output. On the exact 1024 x 768 screen: the start-up
// slides and their skipping, the menu background behind the book, the survival
// page starting a day behind the load screen, and full screen held (a 1024 x
// 768 window does not fit there). On the 1280 x 800 screen, where a window
// fits and the 3D road takes the desktop for full screen: the options' switch
// from a window to full screen and back, with pref.dat holding each choice.
#include <gtest/gtest.h>

#include <objbase.h>

#include "game/engine/KpProfileFile.h"
#include "tests/framework/graphics/DDTestSupport.h"
#include "tests/display/GameLayout.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;
using namespace GameLayout;

namespace
{

// The game's pixel at a point of its picture, as 0xRRGGBB.
uint32_t Pixel(HWND hwnd, Point game)
{
    Point p = InWindow(hwnd, game);
    POINT at = {p.x, p.y};
    ClientToScreen(hwnd, &at);
    return DDTest::ScreenPixel(at.x, at.y);
}

int R(uint32_t c)
{
    return int(c >> 16) & 255;
}
int G(uint32_t c)
{
    return int(c >> 8) & 255;
}
int B(uint32_t c)
{
    return int(c) & 255;
}

// Reads the pixel until it passes, for at most three seconds.
template <class Condition> uint32_t WaitPixel(HWND hwnd, Point p, Condition condition)
{
    uint32_t value = Pixel(hwnd, p);
    for (int waited = 0; !condition(value) && waited < 3000; waited += 20)
    {
        GameProcess::WaitFor(20);
        value = Pixel(hwnd, p);
    }
    return value;
}

bool Near(uint32_t c, uint32_t want, int tolerance)
{
    return abs(R(c) - R(want)) <= tolerance && abs(G(c) - G(want)) <= tolerance &&
           abs(B(c) - B(want)) <= tolerance;
}
bool IsWood(uint32_t c)
{
    return R(c) > G(c) && G(c) > B(c) && R(c) > 50 && R(c) < 170;
}
bool IsPaper(uint32_t c)
{
    return R(c) > 215 && G(c) > 195 && B(c) > 150;
}
bool IsCaramel(uint32_t c)
{
    return R(c) > 170 && G(c) > 100 && G(c) < 170 && B(c) < 110;
}
bool IsMint(uint32_t c)
{
    return G(c) > 160 && G(c) > R(c) + 30 && B(c) > 120;
}

class IntegrationScreens : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }
    void TearDown() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        CoUninitialize();
    }
    bool ScreenIs(int w, int h)
    {
        return GetSystemMetrics(SM_CXSCREEN) == w && GetSystemMetrics(SM_CYSCREEN) == h;
    }
    // A player "Anna" whose career has reached cafe 2, playing in a window.
    void StoreProfile()
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        file.Read();
        ASSERT_TRUE(file.NewProfile(L"Anna", nullptr, nullptr));
        file.mProfile.highestLevel = 20;
        file.mWindowed = 1;
        ASSERT_TRUE(file.Save());
    }
    // The settings in the header of pref.dat as the game left them.
    struct Stored
    {
        int mMusicVolume, mWindowed;
    };
    Stored StoredFile()
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        file.Read();
        return Stored{file.mMusicVolume, file.mWindowed};
    }
    void StoreIs3D()
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        DWORD on = 1;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&on, sizeof(on));
        RegCloseKey(key);
    }
    // Starts the game and clicks its slides away; the main menu is on view.
    HWND StartToMenu(GameProcess& game)
    {
        EXPECT_TRUE(game.Start());
        HWND hwnd = game.WaitForMainWindow(30000);
        if (!hwnd || !game.WaitForOutput("Screens: splash slide 0", 30000))
            return nullptr;
        while (!game.WaitForOutput("Screens: splash ended", 200))
            if (game.mExited)
                return nullptr;
            else
                Click(WindowOf(game.mPid, "MainWindow"), Point{512, 384});
        // A change of screen mode at start-up makes a new window.
        return game.WaitForOutput("Screens: main menu shown", 10000)
                   ? WindowOf(game.mPid, "MainWindow")
                   : nullptr;
    }
};

} // namespace

TEST_F(IntegrationScreens, SlidesSkipToTheMenusAndSurvivalStartsBehindTheLoadScreen)
{
    if (!ScreenIs(1024, 768))
        GTEST_SKIP() << "looked at on the exact 1024 x 768 screen";
    StoreProfile();
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    EXPECT_TRUE(IsFullScreen(hwnd)) << "a 1024 x 768 window does not fit this screen";

    // The studio's slide: warm near-black around its mark.
    ASSERT_TRUE(game.WaitForOutput("Screens: splash slide 0", 30000)) << game.Output();
    const Point corner{40, 40};
    EXPECT_TRUE(Near(WaitPixel(hwnd, corner, [](uint32_t c) { return Near(c, 0x1E1411, 10); }),
                     0x1E1411, 10));
    // A click goes on to the title over the cafe, which is light.
    Click(hwnd, Point{512, 384});
    ASSERT_TRUE(game.WaitForOutput("Screens: splash slide 1", 5000)) << game.Output();
    EXPECT_GT(R(WaitPixel(hwnd, corner, [](uint32_t c) { return R(c) > 150; })), 150);
    // Clicks during the last slide: the menus come once.
    Click(hwnd, Point{512, 384});
    Click(hwnd, Point{600, 300});
    ASSERT_TRUE(game.WaitForOutput("Screens: main menu shown", 5000)) << game.Output();
    EXPECT_FALSE(game.WaitForExit(500));
    EXPECT_EQ(game.CountOutput("Screens: splash ended"), 1u);
    EXPECT_EQ(game.CountOutput("Screens: main menu shown"), 1u) << game.Output();

    // The desk of the menu background beside the book, the book's paper on it.
    EXPECT_TRUE(IsWood(WaitPixel(hwnd, Point{6, 384}, IsWood)));
    EXPECT_TRUE(IsPaper(WaitPixel(hwnd, Point{300, 700}, IsPaper)));

    // The survival page: cafe 1 chosen, cafe 2 open; choose it and play.
    Click(hwnd, LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "survival"}));
    ASSERT_TRUE(game.WaitForOutput("Screens: page turn ended on 4", 5000)) << game.Output();
    EXPECT_TRUE(game.WaitForOutput("Screens: survival page shown: cafe 1", 100));
    const Point chosen1 = LayoutCentre("survival_menu", {"survival_dlg", "cafe1_text"});
    EXPECT_TRUE(IsCaramel(WaitPixel(hwnd, Point{chosen1.x - 80, chosen1.y}, IsCaramel)));
    Click(hwnd, LayoutCentre("survival_menu", {"survival_dlg", "cafe2_button"}));
    ASSERT_TRUE(game.WaitForOutput("Screens: survival cafe 2 chosen", 5000)) << game.Output();
    const Point chosen2 = LayoutCentre("survival_menu", {"survival_dlg", "cafe2_text"});
    EXPECT_TRUE(IsMint(WaitPixel(hwnd, Point{chosen2.x - 80, chosen2.y}, IsMint)));

    Click(hwnd, LayoutCentre("survival_menu", {"survival_dlg", "play_button"}));
    ASSERT_TRUE(game.WaitForOutput("Screens: load screen hidden", 30000)) << game.Output();
    std::string output = game.Output();
    size_t started = output.find("Screens: survival level 2 started");
    size_t shown = output.find("Screens: load screen shown");
    size_t hidden = output.find("Screens: load screen hidden");
    ASSERT_NE(started, std::string::npos) << output;
    EXPECT_LT(started, shown);
    EXPECT_LT(shown, hidden);
    // The cafe is on view now: no desk, no book.
    EXPECT_FALSE(IsWood(WaitPixel(hwnd, Point{6, 384}, [](uint32_t c) { return !IsWood(c); })));

    EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
    EXPECT_FALSE(game.mSawSystemBox);
}

TEST_F(IntegrationScreens, OptionsSwitchFromAWindowToFullScreenAndBack)
{
    const bool wide = ScreenIs(1280, 800);
    if (!wide && !ScreenIs(1024, 768))
        GTEST_SKIP() << "the screens of the display tests only";
    StoreProfile();
    // Full screen beside a wider desktop goes through the 3D road, which takes
    // the desktop's mode (the 2D road asks for 1024 x 768, which Xvfb refuses).
    StoreIs3D();
    GameProcess game;
    HWND hwnd = StartToMenu(game);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    const Point settings = LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "settings"});
    const Point fullscreen = LayoutCentre("options", {"panel", "fullscreen_checkbox"});
    const Point apply = LayoutCentre("options", {"panel", "apply"});
    const Point cancel = LayoutCentre("options", {"panel", "cancel"});
    const Point music = LayoutCentre("options", {"panel", "musvol_slider"});
    const Point checkBox = fullscreen;

    if (!wide)
    {
        // A window cannot be had here: the box shows full screen, disabled (its
        // tick drawn faded over the panel rather than in solid mint), and a
        // click on it changes nothing; the stored choice stays full screen.
        EXPECT_TRUE(IsFullScreen(hwnd));
        Click(hwnd, settings);
        ASSERT_TRUE(game.WaitForOutput("Screens: options shown: music 30 sound 60 mute 0 "
                                       "fullscreen 1 (forced)",
                                       5000))
            << game.Output();
        // The tick's middle in the box's 36 x 36 picture, at the box's left.
        const Point tick{checkBox.x - 330 / 2 + 24, checkBox.y - 36 / 2 + 12};
        const uint32_t faded = WaitPixel(hwnd, tick, [](uint32_t c) { return R(c) > 150; });
        EXPECT_GT(R(faded), 150) << std::hex << faded;
        EXPECT_FALSE(Near(faded, 0x6EBE9A, 20)) << std::hex << faded;
        // The line under it says why: dark text on the panel's cream.
        const Point note = LayoutCentre("options", {"panel", "fullscreen_note"});
        int dark = 0;
        for (int waited = 0; dark <= 30 && waited < 3000; waited += 100)
        {
            GameProcess::WaitFor(100); // the panel may still be fading in
            dark = 0;
            for (int y = note.y - 8; y <= note.y + 8; y += 2)
                for (int x = note.x - 160; x <= note.x + 160; x += 2)
                    dark += R(Pixel(hwnd, Point{x, y})) < 120 ? 1 : 0;
        }
        EXPECT_GT(dark, 30) << "no reason written beside the greyed box";
        Click(hwnd, checkBox);
        Click(hwnd, apply);
        ASSERT_TRUE(game.WaitForOutput("Screens: options applied: music 30 sound 60 mute 0 "
                                       "fullscreen 1",
                                       5000))
            << game.Output();
        EXPECT_FALSE(game.WaitForExit(500));
        EXPECT_TRUE(IsFullScreen(WindowOf(game.mPid, "MainWindow")));
        EXPECT_EQ(StoredFile().mWindowed, 0);
        EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000));
        return;
    }

    // Opens the options once the last one has closed; returns the line it
    // wrote ("" when it did not open).
    auto openOptions = [&]() -> std::string
    {
        for (int waited = 0; game.CountOutput("Screens: options closed") <
                             game.CountOutput("Screens: options shown");
             waited += 20)
        {
            if (waited > 5000)
                return "";
            GameProcess::WaitFor(20);
        }
        const size_t shown = game.CountOutput("Screens: options shown");
        hwnd = WindowOf(game.mPid, "MainWindow");
        Click(hwnd, settings);
        for (int waited = 0; game.CountOutput("Screens: options shown") == shown; waited += 20)
        {
            if (waited > 5000)
                return "";
            GameProcess::WaitFor(20);
        }
        std::string output = game.Output();
        size_t at = output.rfind("Screens: options shown");
        return output.substr(at, output.find('\n', at) - at);
    };
    // Sets the full-screen box to `full` and applies; the window follows.
    auto applyMode = [&](bool full)
    {
        std::string line = openOptions();
        ASSERT_FALSE(line.empty()) << game.Output();
        const bool boxFull = line.back() == '1';
        EXPECT_EQ(boxFull, IsFullScreen(hwnd)) << "the box shows the mode on view";
        if (boxFull != full)
            Click(hwnd, checkBox);
        const size_t applied = game.CountOutput("Screens: options applied");
        Click(hwnd, apply);
        for (int waited = 0; waited < 10000; waited += 50)
        {
            hwnd = WindowOf(game.mPid, "MainWindow");
            if (game.CountOutput("Screens: options applied") > applied && hwnd &&
                IsFullScreen(hwnd) == full)
                break;
            GameProcess::WaitFor(50);
        }
    };

    // Into a window first, whatever the game started in.
    applyMode(false);
    ASSERT_FALSE(IsFullScreen(hwnd)) << game.Output();
    EXPECT_EQ(StoredFile().mWindowed, 1);

    // Moving the music slider is heard at once; cancel puts it back.
    EXPECT_EQ(openOptions(), "Screens: options shown: music 30 sound 60 mute 0 fullscreen 0");
    Click(hwnd, Point{music.x + 100, music.y});
    Click(hwnd, cancel);
    ASSERT_TRUE(game.WaitForOutput("Screens: options cancelled", 5000));
    EXPECT_EQ(StoredFile().mMusicVolume, 30);

    // Full screen, and back to a window.
    applyMode(true);
    EXPECT_TRUE(IsFullScreen(hwnd)) << game.Output();
    EXPECT_EQ(StoredFile().mWindowed, 0);
    applyMode(false);
    EXPECT_FALSE(IsFullScreen(hwnd)) << game.Output();
    EXPECT_EQ(StoredFile().mWindowed, 1);
    // The volumes came through both switches as they were.
    EXPECT_EQ(openOptions(), "Screens: options shown: music 30 sound 60 mute 0 fullscreen 0");
    Click(hwnd, cancel);
    EXPECT_EQ(StoredFile().mMusicVolume, 30);
    EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
    EXPECT_FALSE(game.mSawSystemBox);
}
