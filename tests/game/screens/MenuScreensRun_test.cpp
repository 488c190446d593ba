// The menus in the real game under Wine, driven with clicks posted to its
// window and looked at on screen: Zorka in the book's corner stays in view
// whatever the menus did before (the settings, page turns there and back, the
// profile page), and the question boxes draw the answer that gives something
// up in the warning colour and the one that keeps it in the calm colour.
#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/engine/KpProfileFile.h"
#include "tests/display/GameLayout.h"
#include "tests/framework/graphics/DDTestSupport.h"
#include "tests/game/engine/GameProcess.h"

using GameLayout::LayoutCentre;
using GameLayout::Point;
using namespace GameTest;

namespace
{

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance)
            return false;
    return true;
}

const uint32_t kCherry = 0xD9534F, kMint = 0x6FBF9B;

class MenuScreensRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        ASSERT_TRUE(file.NewProfile(L"Anna", nullptr, nullptr));
        ASSERT_TRUE(file.Save());
    }
    void TearDown() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        CoUninitialize();
    }

    // Starts the game and clicks its slides away; the main menu is drawn.
    HWND StartToMenu()
    {
        if (!mGame.Start() || !mGame.WaitForMainWindow(30000) ||
            !mGame.WaitForOutput("Screens: splash slide 0", 30000))
            return nullptr;
        while (!mGame.WaitForOutput("Screens: splash ended", 200))
            if (mGame.mExited)
                return nullptr;
            else
                GameLayout::Click(WindowOf(mGame.mPid, "MainWindow"), Point{512, 384});
        if (!mGame.WaitForOutput("Screens: main menu drawn", 10000))
            return nullptr;
        return WindowOf(mGame.mPid, "MainWindow");
    }

    // Clicks a widget of a layout and waits for the trace line that follows
    // (its next occurrence).
    bool ClickAndWait(HWND hwnd, Point at, const std::string& line)
    {
        const size_t before = mGame.CountOutput("Screens: " + line);
        GameLayout::Click(hwnd, at);
        for (int waited = 0; mGame.CountOutput("Screens: " + line) == before; waited += 20)
        {
            if (waited > 10000 || mGame.mExited)
                return false;
            GameProcess::WaitFor(20);
        }
        return true;
    }

    // The screen at points of the corner where Zorka stands (the picture of
    // "girl_front"), read until it has stayed the same for 600 ms: on a busy
    // machine a frame can take longer than the gap between two reads, so two
    // reads that agree may both fall inside an effect still running.
    std::vector<uint32_t> Corner(HWND hwnd)
    {
        std::vector<uint32_t> now, last;
        int sameFor = 0;
        for (int waited = 0; waited < 10000 && sameFor < 600; waited += 100)
        {
            now.clear();
            for (int y = 590; y < 760; y += 24)
                for (int x = 40; x < 170; x += 18)
                {
                    POINT p = {x, y};
                    ClientToScreen(hwnd, &p);
                    now.push_back(DDTest::ScreenPixel(p.x, p.y));
                }
            sameFor = now == last ? sameFor + 100 : 0;
            last = now;
            GameProcess::WaitFor(100);
        }
        return now;
    }

    GameProcess mGame;
};

// Points of `seen` that differ from `first` by more than the tolerance.
int Changed(const std::vector<uint32_t>& first, const std::vector<uint32_t>& seen)
{
    int changed = 0;
    for (size_t i = 0; i < first.size() && i < seen.size(); i++)
        changed += Near(first[i], seen[i], 12) ? 0 : 1;
    return changed;
}

} // namespace

TEST_F(MenuScreensRun, ZorkaStaysInTheCornerAfterTheSettingsAndEveryPageTurn)
{
    HWND hwnd = StartToMenu();
    ASSERT_NE(hwnd, nullptr) << mGame.Output();
    // She is there to begin with (once the menu reached the screen): the
    // corner is not one colour of paper.
    std::vector<uint32_t> first;
    int distinct = 0;
    for (int waited = 0; distinct < 8 && waited < 5000; waited += 100)
    {
        if (waited)
            GameProcess::WaitFor(100);
        first = Corner(hwnd);
        distinct = 0;
        for (uint32_t c : first)
            distinct += Near(c, first[0], 30) ? 0 : 1;
    }
    ASSERT_GE(distinct, 8) << "no picture in the corner to begin with";

    auto page = [](const char* name) {
        return LayoutCentre("main_menu", {"main_menu_dlg", "right_page", name});
    };
    ASSERT_TRUE(ClickAndWait(hwnd, page("settings"), "options shown")) << mGame.Output();
    ASSERT_TRUE(ClickAndWait(hwnd, LayoutCentre("options", {"panel", "cancel"}), "options closed"))
        << mGame.Output();
    EXPECT_EQ(Changed(first, Corner(hwnd)), 0) << "after the settings";

    ASSERT_TRUE(ClickAndWait(hwnd, page("career"), "page turn ended on 3")) << mGame.Output();
    ASSERT_TRUE(ClickAndWait(hwnd, LayoutCentre("career_menu", {"career_dlg", "back_button"}),
                             "page turn ended on 1"))
        << mGame.Output();
    EXPECT_EQ(Changed(first, Corner(hwnd)), 0) << "after the career book and back";

    ASSERT_TRUE(
        ClickAndWait(hwnd, LayoutCentre("main_menu", {"profile_open"}), "page turn ended on 1"))
        << mGame.Output();
    ASSERT_TRUE(
        ClickAndWait(hwnd, LayoutCentre("main_menu", {"profile_close"}), "page turn ended on 1"))
        << mGame.Output();
    EXPECT_EQ(Changed(first, Corner(hwnd)), 0) << "after the profile page and back";

    EXPECT_TRUE(mGame.Quit(hwnd, 10000)) << mGame.Output();
    EXPECT_FALSE(mGame.mSawSystemBox);
}

TEST_F(MenuScreensRun, TheQuestionsYesIsTheWarningColourAndItsNoTheCalmOne)
{
    HWND hwnd = StartToMenu();
    ASSERT_NE(hwnd, nullptr) << mGame.Output();
    // The quit question, asked by closing the window.
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(mGame.WaitForOutput("Screens: box 'quit' asked", 10000)) << mGame.Output();
    std::string output = mGame.Output();
    int yx = 0, yy = 0, nx = 0, ny = 0;
    ASSERT_EQ(sscanf(output.c_str() + output.find("Screens: box 'quit' asked"),
                     "Screens: box 'quit' asked: yes=%d,%d no=%d,%d", &yx, &yy, &nx, &ny),
              4);
    // Inside each pill, below its label: the button's own colour.
    auto shown = [&](int x, int y, uint32_t wanted)
    {
        POINT p = {x - 70, y + 14};
        ClientToScreen(hwnd, &p);
        return DDTest::WaitForScreenPixel(
            p.x, p.y, [&](uint32_t c) { return Near(c, wanted, 40); }, [] {});
    };
    const uint32_t yes = shown(yx, yy, kCherry), no = shown(nx, ny, kMint);
    EXPECT_TRUE(Near(yes, kCherry, 40)) << std::hex << yes;
    EXPECT_TRUE(Near(no, kMint, 40)) << std::hex << no;

    // "Stay" keeps the game; then it closes for real.
    GameLayout::Click(hwnd, Point{nx, ny});
    ASSERT_TRUE(mGame.WaitForOutput("Screens: box 'quit' answered 0", 10000)) << mGame.Output();
    EXPECT_FALSE(mGame.WaitForExit(300));
    EXPECT_TRUE(mGame.Quit(hwnd, 10000)) << mGame.Output();
    EXPECT_FALSE(mGame.mSawSystemBox);
}
