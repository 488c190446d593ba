// The real game's drawing road, checked from outside on the 1280 x 800 screen:
// there the display's start-up lines tell the roads apart. The 3D full screen
// takes the 16:10 desktop mode and puts the 4:3 picture between bars; 2D asks
// for the 1024 x 768 mode, which Xvfb refuses (PLATFORM-NOTES), and falls back
// to a window. The game keeps the player's choice in its "Is3D" value.
#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{

const char* kWineD3DKey = "Software\\Wine\\AppDefaults\\ZorkaCafe.exe\\Direct3D";

const char* kInitLines = "Application requests 1024 x  768 [ 4: 3]\n";
const char* k3DDisplay = "Display is           1280 x  800 [ 8: 5]\n";
const char* k2DDisplay = "Display is           1024 x  768 [ 4: 3]\n";
const char* kWindow = "Window is            1024 x  768 [ 4: 3]\n";
const char* kDrawBuffer = "Draw buffer is       1024 x  768 [ 4: 3]\n";

void StoreGameInt(const char* name, int value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
    RegCloseKey(key);
}

bool GameHasValue(const char* subkey, const char* name)
{
    HKEY key;
    std::string path = std::string(kGameKey) + "\\" + subkey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

// Wine's per-program switch that gives the game DirectDraw without Direct3D.
void SetWineWithout3D(bool on)
{
    if (!on)
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ZorkaCafe.exe");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ZorkaCafe.exe");
        return;
    }
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kWineD3DKey, 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    const char renderer[] = "no3d";
    RegSetValueExA(key, "renderer", 0, REG_SZ, (const BYTE*)renderer, sizeof(renderer));
    RegCloseKey(key);
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

class IntegrationGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CXSCREEN) != 1280 || GetSystemMetrics(SM_CYSCREEN) != 800)
            GTEST_SKIP() << "the roads differ visibly only on the 1280 x 800 screen";
        RemoveGameKey();
        // The game keeps its own windowed choice there; each run starts without it.
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        SetWineWithout3D(false);
    }
    void TearDown() override
    {
        RemoveGameKey();
        DeleteFileA(KpProfileFile::DefaultPath().c_str());
        SetWineWithout3D(false);
    }

    // Runs the game until it has loaded and drawn for a while, then closes it;
    // returns its debugger output.
    std::string RunGame()
    {
        GameProcess game;
        EXPECT_TRUE(game.Start());
        HWND hwnd = game.WaitForMainWindow(30000);
        EXPECT_NE(hwnd, nullptr) << "system box seen: " << game.mSawSystemBox << "\n"
                                 << game.Output();
        if (!hwnd)
            return game.Output();
        EXPECT_TRUE(game.WaitForOutput("Resource Loading Time: ", 30000)) << game.Output();
        EXPECT_FALSE(game.WaitForExit(1500)) << game.Output();
        // Closing asks the quit question; the test answers yes.
        EXPECT_TRUE(game.Quit(WindowOf(game.mPid, "MainWindow"), 10000));
        EXPECT_EQ(0u, game.mExitCode);
        EXPECT_FALSE(game.mSawSystemBox);
        std::string output = game.Output();
        EXPECT_GT(Statistic(output, "Draw Count    = "), 0) << output;
        return output;
    }
};

} // namespace

TEST_F(IntegrationGame, ThreeDChoiceTakesTheWideFullScreenThroughTheRenderer)
{
    StoreGameInt("Is3D", 1);
    std::string output = RunGame();
    EXPECT_EQ(1u, Count(output, kInitLines)) << output;
    EXPECT_EQ(1u, Count(output, k3DDisplay)) << output;
    EXPECT_EQ(1u, Count(output, kDrawBuffer)) << output;
    EXPECT_EQ(0u, Count(output, kWindow)) << output;
    // The renderer reported no failure and the choice stands.
    EXPECT_FALSE(GameHasValue("Test3D", "RuntimeError"));
    int is3D = -1;
    ASSERT_TRUE(ReadGameInt("Is3D", &is3D));
    EXPECT_EQ(1, is3D);
}

TEST_F(IntegrationGame, FirstRunWithoutAChoiceAlsoDrawsThrough3D)
{
    std::string output = RunGame();
    EXPECT_EQ(1u, Count(output, k3DDisplay)) << output;
    EXPECT_EQ(0u, Count(output, kWindow)) << output;
}

TEST_F(IntegrationGame, TwoDChoiceAsksForTheLogicalModeAndFallsBackToAWindow)
{
    StoreGameInt("Is3D", 0);
    std::string output = RunGame();
    EXPECT_EQ(1u, Count(output, k2DDisplay)) << output;
    EXPECT_EQ(0u, Count(output, k3DDisplay)) << output;
    EXPECT_EQ(1u, Count(output, kWindow)) << output;
    int is3D = -1;
    ASSERT_TRUE(ReadGameInt("Is3D", &is3D));
    EXPECT_EQ(0, is3D);
}

TEST_F(IntegrationGame, WithoutDirect3DTheThreeDChoiceEndsIn2DWithoutAQuestion)
{
    StoreGameInt("Is3D", 1);
    SetWineWithout3D(true);
    std::string output = RunGame();
    EXPECT_EQ(0u, Count(output, k3DDisplay)) << output;
    EXPECT_EQ(1u, Count(output, k2DDisplay)) << output;
    EXPECT_EQ(1u, Count(output, kWindow)) << output;
    // The self-test vetoed 3D for this run only: the player's choice is kept
    // for a machine where it works.
    int is3D = -1;
    ASSERT_TRUE(ReadGameInt("Is3D", &is3D));
    EXPECT_EQ(1, is3D);
}
