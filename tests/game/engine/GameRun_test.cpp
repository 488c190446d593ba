// Runs the real game under Wine and checks it from outside: its window, its
// registry values, the single instance, closing, and the run statistics it
// writes to the debugger output.
//
// The game runs as our debuggee (GameProcess.h); a system box it opens is
// closed and fails the test. The quit question is the game's own box, which
// the tests answer from the keyboard.
#include <gtest/gtest.h>

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/WithoutGameSettings.h"
#include "tests/support/TempFolder.h"

using namespace GameTest;

namespace
{

// How many elements of that opening the game's data source holds.
int CountInSource(const char* file, const char* opening)
{
    std::string text = ReadTestFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/" + file);
    int n = 0;
    for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1))
        n++;
    return n;
}

class GameRun : public WithoutGameSettings
{
};

} // namespace

TEST_F(GameRun, OpensItsWindowMarksTheRunAndSavesSettingsOnClose)
{
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << "no main window; system box seen: " << game.mSawSystemBox;

    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right - client.left, 1024);
    EXPECT_EQ(client.bottom - client.top, 768);
    wchar_t title[64] = {0};
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"Zorka Cafe");
    EXPECT_NE(WindowOf(game.mPid, "InvisWindow"), nullptr);

    int inProgress = 0;
    ASSERT_TRUE(ReadGameInt("InProgress", &inProgress));
    EXPECT_EQ(inProgress, 1);

    // Loading has finished once its time is reported; a close before that is ignored.
    ASSERT_TRUE(game.WaitForOutput("Resource Loading Time: ", 30000));
    // The game's data came from the archives beside it.
    ASSERT_TRUE(game.WaitForOutput("KpEngine: loading completed: ", 30000));
    // Where full screen is refused, the window of that try has given way to a windowed one.
    hwnd = WindowOf(game.mPid, "MainWindow");
    std::string loaded = Lumo::StrFormat(
        "KpEngine: loading completed: %d sounds, %d music streams, %d textures, %d fonts, "
        "3 cursors, %d texts, layouts ready",
        CountInSource("cfg.xml", "<sound "), CountInSource("cfg.xml", "<stream "),
        CountInSource("ui.xml", "<texture "), CountInSource("ui.xml", "<font "),
        CountInSource("loc.xml", "<text "));
    EXPECT_NE(game.Output().find(loaded), std::string::npos) << loaded << "\n" << game.Output();
    // It keeps running on its own for a while (and gathers some statistics).
    EXPECT_FALSE(game.WaitForExit(1500)) << game.Output();

    // The quit question: no keeps the game, yes ends it and saves the profile file.
    ASSERT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(game.AnswerGameBox("quit", false, 10000)) << game.Output();
    EXPECT_NE(game.Output().find("Screens: box 'quit' answered 0"), std::string::npos);
    EXPECT_FALSE(game.WaitForExit(500));
    ASSERT_TRUE(game.Quit(hwnd, 10000)) << game.Output();
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);
    EXPECT_NE(GetFileAttributesA(KpProfileFile::DefaultPath().c_str()), INVALID_FILE_ATTRIBUTES);

    int value = -1;
    ASSERT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
    // The game's own volumes from its profile file (defaults on a first run).
    ASSERT_TRUE(ReadGameInt("MusicVolume", &value));
    EXPECT_EQ(value, 30);
    ASSERT_TRUE(ReadGameInt("SfxVolume", &value));
    EXPECT_EQ(value, 60);
    ASSERT_TRUE(ReadGameInt("Muted", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ReadGameInt("ScreenMode", &value));
    EXPECT_TRUE(ReadGameInt("PreferredX", &value));
    EXPECT_TRUE(ReadGameInt("WaitForVSync", &value));

    std::string output = game.Output();
    double seconds = Statistic(output, "Seconds       = ");
    double updates = Statistic(output, "Update Count  = ");
    EXPECT_GT(seconds, 0) << output;
    EXPECT_GT(updates, 0) << output;
    EXPECT_GE(Statistic(output, "Sleep Count   = "), 0) << output;
    EXPECT_GE(Statistic(output, "Draw Count    = "), 0) << output;
    EXPECT_GE(Statistic(output, "Draw Time     = "), 0) << output;
    EXPECT_GE(Statistic(output, "Screen Blt    = "), 0) << output;
    // Fixed-rate updates: never more than 100 a second (plus one catch-up burst).
    EXPECT_LE(updates, seconds * 100 + 21) << output;
}

TEST_F(GameRun, SecondInstanceExitsAtOnce)
{
    GameProcess first;
    ASSERT_TRUE(first.Start());
    HWND hwnd = first.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);
    // Cleared by hand, so that the mark the refused copy leaves is its own.
    DWORD zero = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kGameKey, "InProgress", REG_DWORD,
                                             &zero, sizeof(zero)));

    GameProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(30000));
    EXPECT_EQ(second.mExitCode, 0u);
    EXPECT_FALSE(second.mSawSystemBox);
    EXPECT_EQ(WindowOf(second.mPid, "MainWindow"), nullptr);
    EXPECT_FALSE(first.mExited);
    // The refused copy marks its start as any start does; the first copy's quit clears it.
    int value = -1;
    EXPECT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 1);

    // Loading starts once the display is set up. Where full screen is refused
    // (a screen larger than the game's), the window of that try has given way
    // to the windowed one by then: the window to close is the one there now.
    ASSERT_TRUE(first.WaitForOutput("Resource Loading Time: ", 30000)) << first.Account();
    EXPECT_TRUE(first.Quit(WindowOf(first.mPid, "MainWindow"), 10000)) << first.Account();
    EXPECT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
}

// The run is marked before its command line is read: a fault there leaves the
// mark, and the next start reads that the previous run did not end properly.
TEST_F(GameRun, AFaultInTheCommandLineLeavesTheRunMarkedForTheNextStart)
{
    GameProcess game;
    ASSERT_TRUE(game.Start("-crash"));
    ASSERT_TRUE(game.WaitForExit(30000)) << game.Account();
    EXPECT_NE(std::string::npos, game.Output().find("Debugger: unhandled exception c0000005"))
        << game.Account();
    EXPECT_EQ("InProgress=1 ", GameKeyValues());

    Lumo::LumoAppBase next;
    next.mRegKey = kGameKey + strlen("SOFTWARE\\");
    next.LoadSettings();
    next.mSaveSettingsAtShutdown = false;
    EXPECT_FALSE(next.mPrevRunEndedProperly);
    EXPECT_EQ("InProgress=1 ", GameKeyValues());
}

TEST_F(GameRun, EndSessionEndsTheRunOnlyWhenTheSessionEnds)
{
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(game.WaitForOutput("Resource Loading Time: ", 30000));
    hwnd = WindowOf(game.mPid, "MainWindow");

    // Alt+Enter on a screen no larger than the game keeps the one full-screen window;
    // on a larger one full screen is refused again and a windowed one stays.
    PostMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    PostMessageA(hwnd, WM_SYSKEYUP, VK_RETURN, (1 << 29) | (3u << 30));
    DWORD_PTR result = 0;
    // A message sent after them returns once they have been pumped.
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
    EXPECT_FALSE(game.WaitForExit(500));
    if (GetSystemMetrics(SM_CXSCREEN) <= 1024 && GetSystemMetrics(SM_CYSCREEN) <= 768)
        EXPECT_EQ(WindowOf(game.mPid, "MainWindow"), hwnd);
    hwnd = WindowOf(game.mPid, "MainWindow");
    EXPECT_TRUE(IsWindowVisible(hwnd));

    // A cancelled logoff leaves the game running.
    ASSERT_NE(SendMessageTimeoutA(hwnd, WM_ENDSESSION, FALSE, 0, SMTO_BLOCK, 10000, &result), 0);
    EXPECT_FALSE(game.WaitForExit(1000));

    // A real one ends it, with its settings saved.
    SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &result);
    ASSERT_TRUE(game.WaitForExit(20000));
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);
    int value = -1;
    ASSERT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
}

TEST_F(GameRun, QuitWritesTheProfileFileAndTheSettingsBeforeTheWindowGoes)
{
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(game.WaitForOutput("KpEngine: loading completed", 30000)) << game.Output();
    hwnd = WindowOf(game.mPid, "MainWindow");
    int value = -1;
    ASSERT_TRUE(ReadGameInt("InProgress", &value));
    ASSERT_EQ(value, 1);
    // The game holds its profile file in memory; the quit writes it anew.
    DeleteFileA(KpProfileFile::DefaultPath().c_str());

    ASSERT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
    ASSERT_TRUE(game.AnswerGameBox("quit", true, 10000)) << game.Output();
    // Hiding the window may take Wine a while; what the run keeps is written before.
    for (int waited = 0; IsWindowVisible(hwnd) && !game.mExited && waited < 20000; waited += 5)
        GameProcess::WaitFor(5);
    ASSERT_FALSE(IsWindowVisible(hwnd) && !game.mExited);
    EXPECT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
    EXPECT_NE(GetFileAttributesA(KpProfileFile::DefaultPath().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(game.WaitForExit(20000));
    EXPECT_EQ(game.mExitCode, 0u);
}

TEST_F(GameRun, ScreenSaverRunDoesNotMarkTheRun)
{
    GameProcess game;
    ASSERT_TRUE(game.Start("-screensaver"));
    // The settings are read before the window exists.
    ASSERT_NE(game.WaitForMainWindow(30000), nullptr) << "system box seen: " << game.mSawSystemBox;
    int value = -1;
    EXPECT_FALSE(ReadGameInt("InProgress", &value)) << value;
    game.Kill();
}
