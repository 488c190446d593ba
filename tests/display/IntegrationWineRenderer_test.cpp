// The game as Wine users run it, on an exact 1024 x 768 screen where the 2D
// road takes full screen. The project's prefix keeps Direct3D's command-stream
// thread off (it spins after every present). Under Wine's GDI renderer (for
// machines without working OpenGL) the flip chain lies in system memory and a
// flip faulted inside Wine a few seconds in, so the game copies its frames
// instead. CMakeLists runs this file once more in a prefix with that renderer.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"
#include "tests/framework/graphics/DDTestSupport.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{

const char* kWineD3DKey = "Software\\Wine\\Direct3D";

std::string ReadWineString(const char* name)
{
    char value[64] = {0};
    DWORD size = sizeof(value) - 1, type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kWineD3DKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    LONG result = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? value : "";
}

// The book's paper and the table's wood around it, as the first screen shows them.
bool IsPaper(uint32_t v)
{
    int r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
    return r >= 225 && g >= 215 && b >= 190 && r > b;
}
bool IsWood(uint32_t v)
{
    int r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
    return r >= 90 && r <= 170 && g >= 50 && g <= 120 && b >= 30 && b <= 90 && r > g && g > b;
}

} // namespace

TEST(IntegrationWineRenderer, PrefixRunsDirect3DWithoutItsCommandStream)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kWineD3DKey, 0, KEY_READ, &key));
    DWORD value = 1, size = sizeof(value), type = 0;
    LONG result = RegQueryValueExA(key, "csmt", nullptr, &type, (BYTE*)&value, &size);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, result);
    EXPECT_EQ((DWORD)REG_DWORD, type);
    EXPECT_EQ(0u, value);
}

TEST(IntegrationWineRenderer, TwoDRoadPlaysFullScreenAndQuitsCleanly)
{
    if (GetSystemMetrics(SM_CXSCREEN) != 1024 || GetSystemMetrics(SM_CYSCREEN) != 768)
        GTEST_SKIP() << "the 2D road takes full screen only on a 1024 x 768 screen";
    const bool gdi = ReadWineString("renderer") == "gdi";
    RemoveGameKey();
    // The whole folder: a copied prefix may carry another test's leftovers,
    // such as a folder that blocks saves.
    Lumo::DeleteTree(Lumo::GetFileDir(KpProfileFile::DefaultPath()));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &key, nullptr));
    DWORD is3D = 0;
    RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&is3D, sizeof(is3D));
    RegCloseKey(key);

    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << game.Output();
    ASSERT_TRUE(game.WaitForOutput("Screens: main menu drawn", 60000)) << game.Output();
    // The fault came within a few seconds of the menu's first frames.
    EXPECT_FALSE(game.WaitForExit(4000)) << game.Output();
    uint32_t paper = DDTest::WaitForScreenPixel(850, 680, IsPaper);
    uint32_t wood = DDTest::WaitForScreenPixel(5, 300, IsWood);
    EXPECT_TRUE(IsPaper(paper)) << std::hex << paper;
    EXPECT_TRUE(IsWood(wood)) << std::hex << wood;
    const std::string output = game.Output();
    EXPECT_EQ(gdi, output.find("frames are copied, not flipped") != std::string::npos) << output;

    EXPECT_TRUE(game.Quit(hwnd, 20000)) << game.Output();
    EXPECT_EQ(0u, game.mExitCode);
    EXPECT_FALSE(game.mSawSystemBox);
    RemoveGameKey();
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
}
