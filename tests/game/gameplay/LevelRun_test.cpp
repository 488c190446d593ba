// The road of one click in the running game under Wine: LevelRun.exe (the
// engine with a level started from code, built beside the game from the same
// archives) gets real mouse messages on its window; the board hands them to
// the client or table under the cursor, and the play serves and cleans.
#include <gtest/gtest.h>

#include <cstdio>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{
// The first "LevelRun: <what> <x> <y>" line after `from`; false when none came in time.
bool WaitForPoint(GameProcess& game, const std::string& what, size_t from, int& x, int& y)
{
    std::string key = "LevelRun: " + what + " ";
    for (int waited = 0; waited < 20000; waited += 20)
    {
        std::string output = game.Output();
        size_t at = output.find(key, from);
        if (at != std::string::npos && output.find('\n', at) != std::string::npos &&
            sscanf(output.c_str() + at + key.size(), "%d %d", &x, &y) == 2)
            return true;
        GameProcess::WaitFor(20);
    }
    return false;
}

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
        for (const char* name :
             {"LEVELRUN_LEVEL", "LEVELRUN_SEED", "LEVELRUN_FRAME_MS", "LEVELRUN_PROFILE"})
            SetEnvironmentVariableA(name, nullptr);
        DeleteFileA(mProfile.c_str());
        RemoveGameKey();
    }
    std::string mProfile;
};
} // namespace

TEST_F(LevelRun, ClicksOnTheWindowServeAClientAndCleanItsTable)
{
    GameProcess game;
    ASSERT_TRUE(game.Start("", std::string(LUMO_BINARY_DIR) + "/game/LevelRun.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("LevelRun: started level=1 endless=0 tables=3", 30000))
        << game.Output();

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
