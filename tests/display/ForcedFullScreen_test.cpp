// The real game on a screen no wider than its 1024 x 768 picture, in a colour
// depth whose mode it cannot set (Xvfb switches only to its own depth,
// PLATFORM-NOTES): no window fits, so full screen is forced, and the mode
// switch fails. With no window to fall back to, the game must show its
// DirectDraw message and end with exit code 1.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

TEST(ForcedFullScreen, RefusedModeShowsTheMessageAndExitsWithCodeOne)
{
    HDC dc = GetDC(nullptr);
    const int depth = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    if (GetSystemMetrics(SM_CXSCREEN) > 1024 || depth == 32)
        GTEST_SKIP() << "the game's window fits, or its 32-bit mode can be set";
    RemoveGameKey();
    DeleteFileA(KpProfileFile::DefaultPath().c_str());

    GameProcess game;
    ASSERT_TRUE(game.Start());
    std::wstring text;
    EXPECT_TRUE(game.AnswerBox(IDOK, &text, 30000)) << game.Output();
    EXPECT_EQ(0u, text.find(L"Failed to initialize DirectDraw: RESULT_DISPCHANGE_FAIL"))
        << std::string(text.begin(), text.end());
    EXPECT_TRUE(game.WaitForExit(10000)) << game.Output();
    EXPECT_EQ(1u, game.mExitCode);

    RemoveGameKey();
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
}
