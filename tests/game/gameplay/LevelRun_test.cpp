// The road of one click in the running game under Wine: LevelRun.exe (the
// engine with a level started from code, built beside the game from the same
// archives) gets real mouse messages on its window; the board hands them to
// the client or table under the cursor, and the play serves and cleans.
#include <gtest/gtest.h>

#include <cstdio>

#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/GameScreen.h"

using namespace GameTest;

namespace
{
// The first "LevelRun: <what> <x> <y>" line after `from`; false when none came
// in time. `next` (when given) receives where the line ends.
bool WaitForPoint(GameProcess& game, const std::string& what, size_t from, int& x, int& y,
                  size_t* next = nullptr)
{
    std::string key = "LevelRun: " + what + " ";
    for (int waited = 0; waited < 20000; waited += 20)
    {
        std::string output = game.Output();
        size_t at = output.find(key, from);
        if (at != std::string::npos && output.find('\n', at) != std::string::npos &&
            sscanf(output.c_str() + at + key.size(), "%d %d", &x, &y) == 2)
        {
            if (next)
                *next = output.find('\n', at);
            return true;
        }
        GameProcess::WaitFor(20);
    }
    return false;
}

// The tutorial's tip note, by the sky band down its left edge, and the top of
// the third table of day 1 (345;640) in its wood.
const POINT kTipBand = {276, 180}, kThirdTable = {345, 650};
const uint32_t kSky = 0x7DB7D9, kTableWood = 0xD3A374;

class LevelRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveGameKey();
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        mProfile = std::string(temp) + "levelrun_pref.dat";
        DeleteFileA(mProfile.c_str());
        // Four times the game time per update: the level's seconds pass quickly.
        SetEnvironmentVariableA("LEVELRUN_LEVEL", "1");
        SetEnvironmentVariableA("LEVELRUN_SEED", "7");
        SetEnvironmentVariableA("LEVELRUN_FRAME_MS", "40");
        SetEnvironmentVariableA("LEVELRUN_PROFILE", mProfile.c_str());
    }
    void TearDown() override
    {
        for (const char* name : {"LEVELRUN_LEVEL", "LEVELRUN_SEED", "LEVELRUN_FRAME_MS",
                                 "LEVELRUN_PROFILE", "LEVELRUN_AUTOPLAY", "LEVELRUN_CHECK_REDRAW"})
            SetEnvironmentVariableA(name, nullptr);
        DeleteFileA(mProfile.c_str());
        RemoveGameKey();
    }
    // Starts LevelRun.exe on the day LEVELRUN_LEVEL names (three tables) and
    // waits for the day to run.
    void StartDay(GameProcess& game, int level, HWND& hwnd)
    {
        ASSERT_TRUE(game.Start("", std::string(LUMO_BINARY_DIR) + "/game/LevelRun.exe"));
        hwnd = game.WaitForMainWindow(30000);
        ASSERT_NE(hwnd, nullptr) << game.Output();
        ASSERT_TRUE(game.WaitForOutput(
            Lumo::StrFormat("LevelRun: started level=%d endless=0 tables=3", level), 30000))
            << game.Output();
    }
    std::string mProfile;
};
} // namespace

TEST_F(LevelRun, ClicksOnTheWindowServeAClientAndCleanItsTable)
{
    GameProcess game;
    HWND hwnd = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartDay(game, 1, hwnd));

    // A click beside the client hits nothing; one on its head serves it.
    int x = 0, y = 0;
    ASSERT_TRUE(WaitForPoint(game, "waiting", 0, x, y)) << game.Output();
    Click(hwnd, 20, 20);
    Click(hwnd, x, y);
    ASSERT_TRUE(game.WaitForOutput(" served=1 cleaned=0", 10000)) << game.Output();
    std::string output = game.Output();
    EXPECT_EQ(output.find(" served=2"), std::string::npos) << output;

    // Eaten up, it leaves its table dirty; a click there cleans it.
    ASSERT_TRUE(WaitForPoint(game, "dirty", 0, x, y)) << game.Output();
    Click(hwnd, x, y);
    ASSERT_TRUE(game.WaitForOutput(" served=1 cleaned=1", 10000)) << game.Output();

    EXPECT_TRUE(game.Quit(hwnd, nullptr, 10000));
    EXPECT_FALSE(game.mSawSystemBox);
}

TEST_F(LevelRun, TheTutorialLeadsWithoutHoldingBackAServeAndItsTipsKeepOffTheTables)
{
    GameProcess game;
    HWND hwnd = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartDay(game, 1, hwnd));
    GameScreen screen(hwnd, "levelrun");

    // A guest waits: the serve tip shows, on the wall, clear of the tables.
    int x = 0, y = 0;
    size_t after = 0;
    ASSERT_TRUE(WaitForPoint(game, "waiting", 0, x, y, &after)) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("LevelRun: tutorial tip=0", 5000)) << game.Output();
    EXPECT_TRUE(screen.WaitFor("1_serve_tip", {{kTipBand, kSky}, {kThirdTable, kTableWood}}));
    Click(hwnd, x, y);
    ASSERT_TRUE(game.WaitForOutput(" served=1 cleaned=0", 10000)) << game.Output();

    // The money tip comes with the coins and stays while the guest eats and
    // leaves its table dirty: long enough to read, though the player goes on.
    ASSERT_TRUE(game.WaitForOutput("LevelRun: tutorial tip=1", 5000)) << game.Output();
    ASSERT_TRUE(WaitForPoint(game, "dirty", 0, x, y)) << game.Output();
    std::string output = game.Output();
    const size_t dirty = output.find("LevelRun: dirty ");
    EXPECT_EQ(output.rfind("LevelRun: tutorial tip=", dirty),
              output.find("LevelRun: tutorial tip=1"))
        << "the money tip went before its guest had left";

    // The next guest comes in: the clean tip shows for the dirty table, and
    // the new guest is served all the same before the cleaning.
    ASSERT_TRUE(WaitForPoint(game, "waiting", after, x, y)) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("LevelRun: tutorial tip=2", 5000)) << game.Output();
    EXPECT_TRUE(screen.WaitFor("2_clean_tip", {{kTipBand, kSky}}));
    Click(hwnd, x, y);
    ASSERT_TRUE(game.WaitForOutput(" served=2 ", 10000)) << game.Output();
    ASSERT_TRUE(WaitForPoint(game, "dirty", 0, x, y)) << game.Output();
    Click(hwnd, x, y);
    ASSERT_TRUE(game.WaitForOutput(" cleaned=1", 10000)) << game.Output();

    EXPECT_TRUE(game.Quit(hwnd, nullptr, 10000));
    EXPECT_FALSE(game.mSawSystemBox);
}

// Day 2's patience tip asks to serve the most hurried guest first: it stays on
// view through serves that are not that (a guest alone, the later of two) and
// goes once the earlier of two waiting guests, with less patience left, is
// served. Day 2's own guests: three calm ones 12 s apart, then 38 s and 41.7 s.
TEST_F(LevelRun, DayTwosPatienceTipStaysUntilTheMostHurriedOfTwoGuestsIsServed)
{
    SetEnvironmentVariableA("LEVELRUN_LEVEL", "2");
    GameProcess game;
    HWND hwnd = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartDay(game, 2, hwnd));
    GameScreen screen(hwnd, "levelrun");
    ASSERT_TRUE(game.WaitForOutput("LevelRun: tutorial tip=0", 5000)) << game.Output();

    size_t guests = 0, tables = 0;
    int x[5] = {}, y[5] = {};
    // Cleans every table left dirty so far, so the later guests find a seat.
    auto cleanUp = [&](int count)
    {
        for (int i = 0; i < count; i++)
        {
            int tx = 0, ty = 0;
            ASSERT_TRUE(WaitForPoint(game, "dirty", tables, tx, ty, &tables)) << game.Output();
            Click(hwnd, tx, ty);
        }
    };
    // Served in turn: guest 0 alone, then 2 (the later of two waiting), then
    // 1 (alone again), then 3 (the earlier of two waiting: what the tip asks).
    const struct
    {
        int guest;  // 0-based, in the order they sat down
        int seated; // guests sat down before the click
    } steps[] = {{0, 1}, {2, 3}, {1, 3}, {3, 5}};
    int served = 0, seated = 0;
    for (const auto& step : steps)
    {
        for (; seated < step.seated; seated++)
            ASSERT_TRUE(WaitForPoint(game, "waiting", guests, x[seated], y[seated], &guests))
                << game.Output();
        if (served == 3) // on view still, three serves on
            EXPECT_TRUE(screen.WaitFor("day2_patience_tip_after_three_serves", {{kTipBand, kSky}}));
        Click(hwnd, x[step.guest], y[step.guest]);
        ASSERT_TRUE(game.WaitForOutput(Lumo::StrFormat(" served=%d ", ++served), 10000))
            << "guest " << step.guest << "\n"
            << game.Output();
        if (step.guest == 0)
            ASSERT_NO_FATAL_FAILURE(cleanUp(1));
        if (step.guest == 1)
            ASSERT_NO_FATAL_FAILURE(cleanUp(2));
    }
    // The tip goes in the update of the serve that did what it asks, not before.
    ASSERT_TRUE(game.WaitForOutput("LevelRun: tutorial tip=-1", 5000)) << game.Output();
    std::string output = game.Output();
    EXPECT_GT(output.find("LevelRun: tutorial tip=-1"), output.find(" served=4 "))
        << "the tip went before the most hurried guest was served\n"
        << output;

    EXPECT_TRUE(game.Quit(hwnd, nullptr, 10000));
    EXPECT_FALSE(game.mSawSystemBox);
}

// The game draws again only what changed (the scene's moving clients, coins
// and bars, the HUD's money, clock and goals): on both display roads, every
// so many frames of a busy day the screen it holds is the screen drawn whole.
TEST_F(LevelRun, ABusyDayDrawnChangeByChangeIsTheDayDrawnWholeOnBothRoads)
{
    SetEnvironmentVariableA("LEVELRUN_LEVEL", "20");
    SetEnvironmentVariableA("LEVELRUN_AUTOPLAY", "1");
    SetEnvironmentVariableA("LEVELRUN_CHECK_REDRAW", "20");
    for (int road : {0, 1})
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        DWORD value = (DWORD)road;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
        RegCloseKey(key);

        GameProcess game;
        ASSERT_TRUE(game.Start("", std::string(LUMO_BINARY_DIR) + "/game/LevelRun.exe"));
        HWND hwnd = game.WaitForMainWindow(30000);
        ASSERT_NE(hwnd, nullptr) << game.Output();
        ASSERT_TRUE(game.WaitForOutput("LevelRun: ready 3D=" + std::to_string(road), 30000))
            << "road " << road << "\n"
            << game.Output();
        bool checked = game.WaitForOutput("LevelRun: redraw same 10", 60000);
        std::string output = game.Output();
        EXPECT_TRUE(checked) << "road " << road << "\n" << output;
        EXPECT_EQ(output.find("LevelRun: redraw differs"), std::string::npos)
            << "road " << road << "\n"
            << output;
        EXPECT_NE(output.find(" served="), std::string::npos) << output;
        EXPECT_TRUE(game.Quit(hwnd, nullptr, 10000));
        if (HasFailure())
            return;
    }
}
