// The toolkit in the running engine under Wine: UiSample.exe (the engine with
// the sample dialog on screen, built beside the game from the same archives)
// is driven by real clicks and keys posted to its window, and reports on its
// debugger output what the dialog heard.
#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/WithoutGameSettings.h"

using namespace GameTest;

namespace
{
size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        n++;
    return n;
}

bool WaitForCount(GameProcess& game, const std::string& text, size_t count, int boundMs)
{
    for (int waited = 0; waited < boundMs; waited += 20)
    {
        if (Count(game.Output(), text) >= count)
            return true;
        GameProcess::WaitFor(20);
    }
    return false;
}

void Type(HWND hwnd, const std::wstring& text)
{
    for (wchar_t c : text)
        PostMessageW(hwnd, WM_CHAR, c, 1);
}

class UiSampleRun : public WithoutGameSettings
{
};
} // namespace

TEST_F(UiSampleRun, DialogTakesClicksAndTypedTextAndAnimatesOutAndIn)
{
    GameProcess game;
    ASSERT_TRUE(game.Start("", std::string(LUMO_BINARY_DIR) + "/game/UiSample.exe"));
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    ASSERT_TRUE(WaitForCount(game, "UiSample: shown", 1, 30000)) << game.Output();

    // The name field (layout: dialog 192;124, field 40;164) takes the focus and the keys;
    // twelve characters fit, backspace takes one back.
    Click(hwnd, 192 + 40 + 50, 124 + 164 + 20);
    Type(hwnd, L"Barista Lucie");
    PostMessageW(hwnd, WM_KEYDOWN, VK_BACK, 1);
    PostMessageW(hwnd, WM_KEYUP, VK_BACK, 0xC0000001);
    // The check box (336;206) turns on; the disabled shop button (footer 10;402, 225;24)
    // hears nothing.
    Click(hwnd, 192 + 336 + 18, 124 + 206 + 18);
    Click(hwnd, 192 + 10 + 225 + 85, 124 + 402 + 24 + 28);
    // OK (40;24 in the footer) reaches the dialog from the nested footer dialog.
    Click(hwnd, 192 + 10 + 40 + 85, 124 + 402 + 24 + 28);
    ASSERT_TRUE(WaitForCount(game, "UiSample: OnButton", 1, 10000)) << game.Output();
    EXPECT_NE(game.Output().find("UiSample: OnButton ok name='Barista Luc' volume=60 "
                                 "fullscreen=1\n"),
              std::string::npos)
        << game.Output();
    // It fades out, and the sample shows it again.
    ASSERT_TRUE(WaitForCount(game, "UiSample: hidden", 1, 10000)) << game.Output();
    ASSERT_TRUE(WaitForCount(game, "UiSample: shown", 2, 10000)) << game.Output();

    // Cancel (410;24 in the footer) hides it for good.
    Click(hwnd, 192 + 10 + 410 + 85, 124 + 402 + 24 + 28);
    ASSERT_TRUE(WaitForCount(game, "UiSample: hidden", 2, 10000)) << game.Output();
    std::string output = game.Output();
    EXPECT_EQ(Count(output, "UiSample: OnButton"), 2u) << output;
    EXPECT_NE(output.find("UiSample: OnButton cancel"), std::string::npos) << output;

    EXPECT_TRUE(game.Quit(hwnd, 10000));
    EXPECT_FALSE(game.mSawSystemBox);
}
