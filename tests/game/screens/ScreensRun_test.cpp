// The road a new player walks, in the real game under Wine: the name entry,
// the main menu, the career book, day 1 with its briefing, a pause and back,
// a guest served, the day's end and its debriefing with the awards, back to
// the main menu, and the quit question declined and then confirmed, with real
// clicks and keys posted to the window. Each screen is checked on screen at
// chosen pixels (and saved as a picture in the build folder), and the profile
// file afterwards holds the day's result.
//
// The game runs from a copy of its folder with a mod.pak (the archive that
// wins over data.pak) whose day 1 is short, has one table and one guest, a
// goal of 1 and an expert target of 2, so a whole day fits in seconds.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

#include "framework/app/PakWriter.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameDriving.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/GameScreen.h"
#include "tests/support/TempFolder.h"

using namespace GameTest;

namespace
{
// A short day of one table: its guests, goal 1 and expert 2, no comic.
std::string ShortDay(int number, const std::string& clients)
{
    std::string level =
        ReadTestFile(Lumo::StrFormat("%s/data/cfg/l%03d.xml", LUMO_SOURCE_DIR, number).c_str());
    Replace(level, " onstart_comix=\"", "\"", "");
    bool ok = Replace(level, "<day length=\"", "\"", "<day length=\"12\"") &&
              Replace(level, "<money ", "/>", "<money goal=\"1\" expert=\"2\"/>") &&
              Replace(level, "<goals ", "/>",
                      "<goals flash=\"1\" clean=\"0\" expert=\"1\" match=\"0\" mega=\"0\"/>") &&
              Replace(level, "<object class=\"table\" name=\"table2\"", "/>", "") &&
              Replace(level, "<object class=\"table\" name=\"table3\"", "/>", "") &&
              Replace(level, "<clients>", "</clients>", "<clients>" + clients + "</clients>");
    EXPECT_TRUE(ok) << level;
    return level;
}

// Day 1 as the run plays it: one guest who sits at once.
std::string ShortDayOne()
{
    return ShortDay(1, "<client time=\"0.5\" order=\"tea\" patience=\"60\"/>");
}

void Key(HWND hwnd, WPARAM key)
{
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

// Palette colours the screens are drawn in.
const uint32_t kLeather = 0x6B4330, kPaper = 0xF5E8CE, kCaramel = 0xC98B4F, kMint = 0x6FBF9B,
               kSky = 0x7DB7D9, kCherry = 0xD9534F;
// The HUD's red "Closed" sign, beside the clock, where the day's end puts it.
const POINT kClosedSign = {124, 82};
// Survival's clock, in the HUD's top-left panel: the coin at its centre.
const POINT kClockFace = {64, 60};
const uint32_t kClockColour = 0xC7994D;
// The day's end ribbon (a mint band, a gold star over it) as the HUD centres it.
const POINT kRibbonStar = {512, 274}, kRibbonLeft = {360, 344}, kRibbonRight = {664, 344};
const uint32_t kRibbonMint = 0x82C4A6, kStarGold = 0xE6BE5F;
const uint32_t kShopBand = 0x76C2A0, kShopPaper = 0xECDBBA;

// Waits for the next "Screens: " line of that text since the last one this
// waited for (the same screens come back during a walk).
bool WaitNextLine(GameProcess& game, std::map<std::string, size_t>& seen, const std::string& text,
                  int boundMs)
{
    const std::string line = "Screens: " + text;
    const size_t want = ++seen[line];
    for (int waited = 0; game.CountOutput(line) < want; waited += 20)
    {
        if (waited >= boundMs || game.mExited)
            return game.CountOutput(line) >= want;
        GameProcess::WaitFor(20);
    }
    return true;
}

// The share (percent) of a grid of points in the rectangle where two
// pictures show the same colour.
int SamePercent(const GameScreen& a, const GameScreen& b, RECT r, int tolerance = 24)
{
    int points = 0, same = 0;
    for (int y = r.top; y < r.bottom; y += 8)
        for (int x = r.left; x < r.right; x += 8)
        {
            points++;
            same += GameScreen::Near(a.At(x, y), b.At(x, y), tolerance) ? 1 : 0;
        }
    return points ? same * 100 / points : 0;
}

// Waits until the picture holds still (the effects of a screen ended).
bool WaitSettled(GameScreen& screen, const char* name, int boundMs = 5000)
{
    GameScreen last = screen;
    bool first = true;
    return screen.WaitUntil(
        name,
        [&](const GameScreen& now)
        {
            bool still = !first && SamePercent(now, last, RECT{0, 0, 1024, 768}, 2) == 100;
            first = false;
            last = now;
            return still;
        },
        boundMs);
}

// A bound for what a very busy machine may take to show a screen.
const int kBusyBoundMs = 30000;

// The upgrade shop's panel as it stands once shown: its mint title band at
// both ends and its paper below.
bool ShopPanelShown(const GameScreen& s)
{
    return s.IsNear(120, 545, kShopBand, 12) && s.IsNear(900, 545, kShopBand, 12) &&
           s.IsNear(500, 600, kShopPaper, 12);
}

// A player who has come as far as `level`.
void StoreProfile(int level)
{
    KpProfileData data;
    KpProfile ann;
    ann.name = L"Ann";
    ann.highestLevel = level;
    data.slots.push_back(ann);
    data.currentSlot = 0;
    Lumo::MakeDirectories(Lumo::GetFileDir(KpProfileFile::DefaultPath(), true));
    WriteTestFile(KpProfileFile::DefaultPath(), WriteProfileData(data));
}

class ScreensRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        ASSERT_NO_FATAL_FAILURE(mFolder.Enter("screens_run"));
        const std::string game = std::string(LUMO_BINARY_DIR) + "/game/";
        for (const char* file : {"ZorkaCafe.exe", "data.pak", "loc.pak"})
            ASSERT_TRUE(
                CopyFileA((game + file).c_str(), (mFolder.Path() + "\\" + file).c_str(), FALSE))
                << file;
        ASSERT_NO_FATAL_FAILURE(WriteMod({{"l001.xml", ShortDayOne()}}));
    }
    // The mod.pak of the game's copy: these level files over the shipped ones.
    void WriteMod(const std::vector<std::pair<std::string, std::string>>& levels)
    {
        CreateDirectoryA("mod", nullptr);
        CreateDirectoryA("mod\\cfg", nullptr);
        for (const auto& level : levels)
            WriteTestFile("mod\\cfg\\" + level.first, level.second);
        std::string error;
        ASSERT_TRUE(PakWriteFolder("mod", mFolder.Path() + "\\mod.pak", &error)) << error;
    }
    void TearDown() override
    {
        mFolder.Leave();
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
    }

    TempFolder mFolder;
};
} // namespace

TEST_F(ScreensRun, ANewPlayerWalksThroughADayAndBackToTheMenu)
{
    GameProcess game;
    ASSERT_TRUE(game.Start("", mFolder.Path() + "\\ZorkaCafe.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    GameScreen screen(hwnd, "screens-run");
    auto WaitLine = [&](const char* line, int boundMs = 15000)
    { return game.WaitForOutput(std::string("Screens: ") + line, boundMs); };

    // The first run asks the name before anything else: the name panel's band,
    // the book's leather.
    ASSERT_TRUE(WaitLine("main menu shown", 30000)) << game.Output();
    screen.WaitFor("1_name_entry", {{P(512, 250), kSky}, {P(26, 400), kLeather}});
    for (wchar_t c : std::wstring(L"Tester"))
        PostMessageW(hwnd, WM_CHAR, c, 1);
    Key(hwnd, VK_RETURN);
    ASSERT_TRUE(WaitLine("profile created")) << game.Output();
    screen.WaitFor("2_main_menu", {{P(625, 255), kCaramel}, {P(600, 700), kPaper}});

    Click(hwnd, 748, 236); // Career
    ASSERT_TRUE(WaitLine("page turn ended on 3")) << game.Output();
    screen.WaitFor("3_career", {{P(680, 700), kMint}, {P(90, 85), kCaramel}});

    Click(hwnd, 748, 690); // Play
    ASSERT_TRUE(WaitLine("briefing shown: level 1")) << game.Output();
    screen.WaitFor("4_briefing", {{P(300, 126), kCaramel}, {P(445, 625), kMint}});
    Click(hwnd, 512, 612); // Start
    ASSERT_TRUE(WaitLine("briefing closed")) << game.Output();

    Click(hwnd, 310, 32); // the HUD's menu button
    ASSERT_TRUE(WaitLine("pause menu shown")) << game.Output();
    screen.WaitFor("5_pause", {{P(300, 640), kPaper}, {P(615, 225), kCaramel}});
    Key(hwnd, VK_ESCAPE);
    ASSERT_TRUE(WaitLine("pause menu closed")) << game.Output();

    // The guest sits at the one table: a click on them serves them, which
    // reaches the goal (1) and the expert money (2).
    ClickUntilOutput(game, hwnd, POINT{345, 380}, "Screens: hud: goal splash");
    ASSERT_TRUE(WaitLine("hud: expert splash", 5000)) << game.Output();

    ASSERT_TRUE(WaitLine("debriefing shown: success, level 1, 2 awards", 30000)) << game.Output();
    ASSERT_TRUE(WaitLine("debriefing: award 2 revealed", 10000)) << game.Output();
    screen.WaitFor("6_debriefing", {{P(300, 112), kMint}, {P(560, 630), kMint}});

    Click(hwnd, 397, 616); // Menu
    ASSERT_TRUE(WaitLine("debriefing: back to the main menu")) << game.Output();
    screen.WaitFor("7_back_at_the_menu", {{P(625, 255), kCaramel}});

    // The quit question, answered with clicks: no first, then yes.
    for (int answer = 0; answer < 2; answer++)
    {
        size_t asked = game.CountOutput("Screens: box 'quit' asked");
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        for (int waited = 0; game.CountOutput("Screens: box 'quit' asked") == asked; waited += 20)
        {
            ASSERT_LT(waited, 10000) << game.Output();
            GameProcess::WaitFor(20);
        }
        std::string output = game.Output();
        size_t at = output.rfind("Screens: box 'quit' asked: yes=");
        int yx = 0, yy = 0, nx = 0, ny = 0;
        ASSERT_EQ(sscanf(output.c_str() + at, "Screens: box 'quit' asked: yes=%d,%d no=%d,%d", &yx,
                         &yy, &nx, &ny),
                  4);
        if (answer == 0)
            screen.WaitFor("8_quit_question", {{P(yx - 70, yy + 14), 0xD9534F}});
        GameProcess::WaitFor(300); // the box's opening effect
        Click(hwnd, answer ? yx : nx, answer ? yy : ny);
        ASSERT_TRUE(WaitLine(answer ? "box 'quit' answered 1" : "box 'quit' answered 0"))
            << game.Output();
        if (answer == 0)
        {
            EXPECT_FALSE(game.WaitForExit(500));
        }
    }
    ASSERT_TRUE(game.WaitForExit(20000)) << game.Output();
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);

    // The profile file holds the day: passed at expert level with two awards.
    KpProfileFile file;
    file.SetPath(KpProfileFile::DefaultPath());
    ASSERT_TRUE(file.Read());
    ASSERT_TRUE(file.mProfileLoaded);
    EXPECT_EQ(file.mProfile.name, L"Tester");
    EXPECT_EQ(file.mProfile.highestLevel, 2);
    EXPECT_GE(file.mProfile.levelMoney[1], 2);
    EXPECT_EQ(file.mProfile.levelExpert[1], 1);
    EXPECT_EQ(file.mProfile.levelGoals[1][0], 1);
    EXPECT_EQ(file.mProfile.levelGoals[1][2], 1);
}

// A day whose queue is longer than the door area and a guest who walks out,
// closed with the queue still waiting; "Next day" starts the next one clean.
TEST_F(ScreensRun, ADayShowsItsLivesAndClosesItsQueueAndTheNextDayStartsClean)
{
    std::string guests = "<client time=\"0.5\" order=\"tea\" patience=\"60\"/>";
    for (int i = 0; i < 4; i++)
        guests += Lumo::StrFormat("<client time=\"1.%d\" order=\"tea\" patience=\"60\"/>", i);
    guests += "<client time=\"1.4\" order=\"tea\" patience=\"3\"/>";
    ASSERT_NO_FATAL_FAILURE(WriteMod(
        {{"l001.xml", ShortDay(1, guests)},
         {"l002.xml", ShortDay(2, "<client time=\"5\" order=\"tea\" patience=\"60\"/>")}}));
    GameProcess game;
    ASSERT_TRUE(game.Start("", mFolder.Path() + "\\ZorkaCafe.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    GameScreen screen(hwnd, "screens-run");
    auto WaitLine = [&](const char* line, int boundMs = 15000)
    { return game.WaitForOutput(std::string("Screens: ") + line, boundMs); };

    ASSERT_TRUE(WaitLine("main menu shown", 30000)) << game.Output();
    for (wchar_t c : std::wstring(L"Tester"))
        PostMessageW(hwnd, WM_CHAR, c, 1);
    Key(hwnd, VK_RETURN);
    ASSERT_TRUE(WaitLine("profile created")) << game.Output();
    screen.WaitFor("9_main_menu", {{P(625, 255), kCaramel}});
    Click(hwnd, 748, 236); // Career
    ASSERT_TRUE(WaitLine("page turn ended on 3")) << game.Output();
    Click(hwnd, 748, 690); // Play
    ASSERT_TRUE(WaitLine("briefing shown: level 1")) << game.Output();

    // The door area beside the briefing as the empty cafe shows it.
    const POINT queue[2] = {P(958, 487), P(958, 684)}; // bodies at places 2 and 3
    uint32_t floor[2] = {};
    screen.WaitFor("10_day_one_briefing", {{P(445, 625), kMint}});
    for (int i = 0; i < 2; i++)
        floor[i] = screen.At(queue[i].x, queue[i].y);
    Click(hwnd, 512, 612); // Start
    ASSERT_TRUE(WaitLine("briefing closed")) << game.Output();

    // Hearts under the clock, one per life (5), drawn at 12 + 48 i, 122.
    auto Heart = [](int i) { return P(34 + 48 * i, 144); };
    auto Hearts = [&](const GameScreen& s, int left)
    {
        for (int i = 0; i < 5; i++)
            if (s.IsNear(Heart(i).x, Heart(i).y, kCherry) != (i < left))
                return false;
        return true;
    };
    EXPECT_TRUE(screen.WaitUntil("11_day_one", [&](const GameScreen& s) { return Hearts(s, 5); }));

    // Escape on the running day opens the pause menu, and closes it again.
    Key(hwnd, VK_ESCAPE);
    ASSERT_TRUE(WaitLine("pause menu shown")) << game.Output();
    Key(hwnd, VK_ESCAPE);
    ASSERT_TRUE(WaitLine("pause menu closed")) << game.Output();

    // The seated guest is served (the goal and the expert money); the last
    // guest, waiting outside, walks out: one heart greys.
    ClickUntilOutput(game, hwnd, POINT{345, 380}, "Screens: hud: expert splash");
    EXPECT_TRUE(screen.WaitUntil(
        "12_queue_and_a_life_lost",
        [&](const GameScreen& s)
        {
            // Two guests stand below the first in the door area.
            return Hearts(s, 4) && !s.IsNear(queue[0].x, queue[0].y, floor[0], 12) &&
                   !s.IsNear(queue[1].x, queue[1].y, floor[1], 12);
        },
        8000));

    // Closing time: the queue walks out before the result shows.
    ASSERT_TRUE(WaitLine("debriefing shown: success, level 1", 30000)) << game.Output();
    EXPECT_TRUE(screen.WaitFor("13_day_closed", {{queue[0], floor[0]}, {queue[1], floor[1]}}, 12));
    Click(hwnd, 627, 616); // Next day
    ASSERT_TRUE(WaitLine("briefing shown: level 2")) << game.Output();
    Click(hwnd, 512, 612); // Start
    ASSERT_TRUE(WaitLine("briefing closed")) << game.Output();

    // The new day: all hearts back, and no "Closed" sign left from yesterday.
    EXPECT_TRUE(screen.WaitUntil(
        "14_next_day", [&](const GameScreen& s)
        { return Hearts(s, 5) && !s.IsNear(kClosedSign.x, kClosedSign.y, kCherry); }));
    EXPECT_TRUE(game.Quit(hwnd, 20000)) << game.Output();
    EXPECT_FALSE(game.mSawSystemBox);
}

// A day whose file is refused (a reason of 20,000 characters): the menus come
// back first, the system box tells why only once the load screen is gone from
// the screen, it fits the screen with its reason wrapped and cut, and the
// menu behind it is whole again once it is closed.
TEST_F(ScreensRun, ARefusedDayIsToldOverTheMenuInABoxThatFitsTheScreen)
{
    std::string level = ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/l001.xml");
    ASSERT_TRUE(Replace(level, "mode=\"", "\"", "mode=\"" + std::string(20000, 'x') + "\""));
    ASSERT_NO_FATAL_FAILURE(WriteMod({{"l001.xml", level}}));
    KpProfileData data;
    KpProfile ann;
    ann.name = L"Ann";
    data.slots.push_back(ann);
    data.currentSlot = 0;
    Lumo::MakeDirectories(Lumo::GetFileDir(KpProfileFile::DefaultPath(), true));
    WriteTestFile(KpProfileFile::DefaultPath(), WriteProfileData(data));

    GameProcess game;
    ASSERT_TRUE(game.Start("", mFolder.Path() + "\\ZorkaCafe.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    GameScreen menu(hwnd, "screens-run"), screen(hwnd, "screens-run");
    ASSERT_TRUE(game.WaitForOutput("Screens: main menu shown", 30000)) << game.Output();
    menu.WaitFor("refused_1_menu", {{P(625, 255), kCaramel}, {P(600, 700), kPaper}});

    Click(hwnd, 748, 236); // Career
    ASSERT_TRUE(game.WaitForOutput("Screens: page turn ended on 3", 15000)) << game.Output();
    Click(hwnd, 748, 690); // Play

    HWND box = nullptr;
    for (int waited = 0; !box; waited += 20)
    {
        ASSERT_LT(waited, 30000) << game.Output();
        box = WindowOf(game.mPid, "#32770");
        if (!box || !IsWindowVisible(box))
        {
            box = nullptr;
            GameProcess::WaitFor(20);
        }
    }
    GameProcess::WaitFor(200); // the box paints itself
    screen.WaitUntil("refused_2_box", [](const GameScreen&) { return true; });
    RECT rect;
    ASSERT_TRUE(GetWindowRect(box, &rect));
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    OffsetRect(&rect, -origin.x, -origin.y);
    EXPECT_GE(rect.left, 0);
    EXPECT_LE(rect.right, 1024);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.bottom, 768);
    // Beside the box the menu is back, not the load screen.
    int same = 0, outside = 0;
    for (int y = 8; y < 768; y += 24)
        for (int x = 8; x < 1024; x += 24)
        {
            POINT p = {x, y};
            if (PtInRect(&rect, p))
                continue;
            outside++;
            same += GameScreen::Near(screen.At(x, y), menu.At(x, y), 24) ? 1 : 0;
        }
    EXPECT_GE(same, outside * 9 / 10) << "of " << outside;

    std::wstring text;
    ASSERT_TRUE(game.AnswerBox(IDOK, &text, 10000));
    EXPECT_EQ(0u, text.find(L"This day of the cafe could not be opened"))
        << Lumo::WStringToString(text.substr(0, 200));
    EXPECT_LT(text.size(), 1000u);

    // Where the box was, the menu is whole again.
    RECT inside, picture = {0, 0, 1024, 768};
    IntersectRect(&inside, &rect, &picture);
    auto whole = [&](const GameScreen& now)
    {
        int points = 0, matching = 0;
        for (int y = inside.top; y < inside.bottom; y += 8)
            for (int x = inside.left; x < inside.right; x += 8)
            {
                points++;
                matching += GameScreen::Near(now.At(x, y), menu.At(x, y), 24) ? 1 : 0;
            }
        return matching >= points * 98 / 100;
    };
    EXPECT_TRUE(screen.WaitUntil("refused_3_after", whole));

    EXPECT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
}

// Day 5, which offers upgrades, for a player who reached it: the help opened
// over the pause menu lies where the main menu's help does, the book between
// the screen's edges; the shop
// after the won day previews the cafe without the day's "Well done!" ribbon;
// and once the quit question is answered yes, the menu without the box is
// what stays on the screen while the window goes.
TEST_F(ScreensRun, HelpAndShopShowWhatTheyShouldAndQuitLeavesNoBoxBehind)
{
    std::string day = ShortDay(5, "<client time=\"0.5\" order=\"tea\" patience=\"60\"/>");
    ASSERT_TRUE(Replace(day, "<object class=\"table\" name=\"table4\"", "/>", "")); // one table
    ASSERT_NO_FATAL_FAILURE(WriteMod({{"l005.xml", day}}));
    StoreProfile(5);
    GameProcess game;
    ASSERT_TRUE(game.Start("", mFolder.Path() + "\\ZorkaCafe.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    std::map<std::string, size_t> seen;
    auto WaitLine = [&](const char* line, int boundMs = 15000)
    { return WaitNextLine(game, seen, line, boundMs); };
    auto ClickOn = [&](const char* layout, std::initializer_list<const char*> names)
    {
        POINT p = LayoutCentre(layout, names);
        Click(hwnd, p.x, p.y);
    };
    ASSERT_TRUE(WaitLine("main menu shown", 30000)) << game.Output();
    GameScreen menu(hwnd, "screens-run");
    menu.WaitFor("help_1_menu", {{P(625, 255), kCaramel}});

    ClickOn("main_menu", {"main_menu_dlg", "right_page", "help"});
    ASSERT_TRUE(WaitLine("page turn ended on 2")) << game.Output();
    // The book's leather at both its edges, as the layout puts it.
    const std::vector<std::pair<POINT, uint32_t>> bookEdges = {{P(24, 384), kLeather},
                                                               {P(1000, 384), kLeather}};
    GameScreen help(hwnd, "screens-run");
    EXPECT_TRUE(help.WaitFor("help_2_from_the_menu", bookEdges));
    ClickOn("help", {"close"});
    ASSERT_TRUE(WaitLine("help closed to the main menu")) << game.Output();
    ASSERT_TRUE(WaitLine("page turn ended on 1")) << game.Output();

    Click(hwnd, 748, 236); // Career
    ASSERT_TRUE(WaitLine("page turn ended on 3")) << game.Output();
    Click(hwnd, 748, 690); // Play
    ASSERT_TRUE(WaitLine("briefing shown: level 5")) << game.Output();
    Click(hwnd, 512, 612); // Start
    ASSERT_TRUE(WaitLine("briefing closed")) << game.Output();
    // The same help over the paused day: the book where the menu's was.
    Click(hwnd, 310, 32); // the HUD's menu button
    ASSERT_TRUE(WaitLine("pause menu shown")) << game.Output();
    ClickOn("escape_menu", {"escape_dlg", "right_page", "help"});
    ASSERT_TRUE(WaitLine("page turn ended on 2")) << game.Output();
    EXPECT_TRUE(help.WaitFor("help_4_over_the_pause_menu", bookEdges));
    ClickOn("help", {"close"});
    ASSERT_TRUE(WaitLine("help closed to the pause menu")) << game.Output();
    ASSERT_TRUE(WaitLine("page turn ended on 0")) << game.Output();
    Key(hwnd, VK_ESCAPE);
    ASSERT_TRUE(WaitLine("pause menu closed")) << game.Output();

    // The day won, the shop opens over the cafe: neither the ribbon nor its
    // star is left over it.
    ClickUntilOutput(game, hwnd, POINT{345, 380}, "Screens: hud: goal splash");
    ASSERT_TRUE(game.AnswerGameBox("upgrade", true, 30000)) << game.Output();
    ASSERT_TRUE(WaitLine("upgrade shop shown", 30000)) << game.Output();
    // Read once the shop's panel is on the screen and holds still: a busy
    // machine may show the frame before the shop a while longer, but the
    // ribbon goes in the frame that brings the shop.
    GameScreen shop(hwnd, "screens-run");
    EXPECT_TRUE(shop.WaitUntil("help_5_shop", ShopPanelShown, kBusyBoundMs));
    EXPECT_TRUE(WaitSettled(shop, "help_5_shop", kBusyBoundMs));
    EXPECT_TRUE(ShopPanelShown(shop));
    for (POINT p : {kRibbonStar, kRibbonLeft, kRibbonRight})
        EXPECT_FALSE(shop.IsNear(p.x, p.y, p.x == kRibbonStar.x ? kStarGold : kRibbonMint, 16))
            << p.x << "," << p.y << " shows " << std::hex << shop.At(p.x, p.y);
    ClickOn("upgrade_menu", {"upgrade_dialog", "upgrade"});
    ASSERT_TRUE(WaitLine("debriefing shown: success, level 5", 30000)) << game.Output();
    Click(hwnd, 397, 616); // Menu
    ASSERT_TRUE(WaitLine("debriefing: back to the main menu")) << game.Output();
    GameScreen back(hwnd, "screens-run");
    back.WaitFor("help_6_back_at_the_menu", {{P(625, 255), kCaramel}});
    WaitSettled(back, "help_6_back_at_the_menu");

    // Quit, yes: the menu whole again before the window goes.
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitLine("box 'quit' asked", 10000)) << game.Output();
    std::string output = game.Output();
    int yx = 0, yy = 0, nx = 0, ny = 0;
    ASSERT_EQ(sscanf(output.c_str() + output.rfind("Screens: box 'quit' asked: yes="),
                     "Screens: box 'quit' asked: yes=%d,%d no=%d,%d", &yx, &yy, &nx, &ny),
              4);
    GameScreen asking(hwnd, "screens-run");
    ASSERT_TRUE(asking.WaitUntil("help_7_quit_question",
                                 [&](const GameScreen& now) {
                                     return SamePercent(now, back, RECT{0, 0, 1024, 768}) < 90;
                                 }))
        << "no box seen";
    // The game stands still once its last picture is out, so that a slow
    // machine still reads it before the window goes.
    game.HoldAt("KpEngine: quit: last picture presented");
    Click(hwnd, yx, yy);
    GameScreen last(hwnd, "screens-run");
    bool menuSeen = false;
    for (int waited = 0; !menuSeen && !game.mExited && waited < 20000; waited += 20)
    {
        last.Grab();
        // Once the window is gone the desktop shows: only the game's last
        // picture can match.
        menuSeen = SamePercent(last, back, RECT{0, 0, 1024, 768}) >= 98;
        if (!menuSeen)
            GameProcess::WaitFor(20);
    }
    game.Release();
    EXPECT_TRUE(menuSeen);
    ASSERT_TRUE(game.WaitForExit(20000)) << game.Output();
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);
}

// A new player's survival day: the day's upgrade stands in the clock's place
// and takes the click, the clock runs once it is chosen, and the next day's
// offers take the place again.
TEST_F(ScreensRun, SurvivalsUpgradeStandsInTheClocksPlaceUntilTaken)
{
    std::string run = ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/e001.xml");
    ASSERT_TRUE(Replace(run, "<day length=\"", "\"", "<day length=\"10\""));
    ASSERT_TRUE(Replace(run, "<clients>", "</clients>",
                        "<clients><client time=\"3.5\" order=\"tea\" patience=\"60\"/></clients>"));
    ASSERT_NO_FATAL_FAILURE(WriteMod({{"e001.xml", run}}));
    StoreProfile(1);
    GameProcess game;
    ASSERT_TRUE(game.Start("", mFolder.Path() + "\\ZorkaCafe.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    std::map<std::string, size_t> seen;
    auto WaitLine = [&](const char* line, int boundMs = 15000)
    { return WaitNextLine(game, seen, line, boundMs); };
    ASSERT_TRUE(WaitLine("main menu shown", 30000)) << game.Output();
    POINT survival = LayoutCentre("main_menu", {"main_menu_dlg", "right_page", "survival"});
    Click(hwnd, survival.x, survival.y);
    ASSERT_TRUE(WaitLine("page turn ended on 4")) << game.Output();
    POINT play = LayoutCentre("survival_menu", {"survival_dlg", "play_button"});
    Click(hwnd, play.x, play.y);
    ASSERT_TRUE(WaitLine("briefing shown: level 1 endless", 30000)) << game.Output();
    Click(hwnd, 512, 612); // Start
    ASSERT_TRUE(WaitLine("briefing closed")) << game.Output();

    GameScreen screen(hwnd, "screens-run");
    const POINT upgrade = LayoutCentre("hud", {"left_survival_part", "upgrade_btn"});
    auto clockShows = [&](const GameScreen& s)
    { return s.IsNear(kClockFace.x, kClockFace.y, kClockColour, 30); };
    auto upgradeShows = [&](const GameScreen& s)
    { return s.IsNear(upgrade.x - 45, upgrade.y, kMint) && !clockShows(s); };
    EXPECT_TRUE(screen.WaitUntil("survival_1_day_one", upgradeShows));
    Click(hwnd, upgrade.x, upgrade.y);
    ASSERT_TRUE(WaitLine("upgrade shop shown")) << game.Output();
    ClickUntilOutput(game, hwnd, LayoutCentre("upgrade_menu", {"upgrade_tray1"}), " chosen\n");
    POINT keep = LayoutCentre("upgrade_menu", {"upgrade_dialog", "upgrade"});
    Click(hwnd, keep.x, keep.y);
    EXPECT_TRUE(
        screen.WaitUntil("survival_2_clock", [&](const GameScreen& s)
                         { return clockShows(s) && !s.IsNear(upgrade.x - 45, upgrade.y, kMint); }));
    const size_t days = game.CountOutput("Screens: hud: goal splash");
    for (int waited = 0; game.CountOutput("Screens: hud: goal splash") == days; waited += 20)
    {
        ASSERT_LT(waited, 20000) << game.Output();
        GameProcess::WaitFor(20);
    }
    EXPECT_TRUE(screen.WaitUntil("survival_3_day_two", upgradeShows, 1000));
    EXPECT_TRUE(game.Quit(hwnd, 20000)) << game.Output();
}
