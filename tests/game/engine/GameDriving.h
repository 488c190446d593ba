// What the tests that drive the real game (GameProcess.h) do to it: click a
// layout's widget where the source's cfg\ui.xml places it, press keys and
// type, and run the game from a copy of its folder whose mod.pak (the
// archive that wins over the others) carries the test's own data files.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <initializer_list>
#include <map>
#include <string>

#include "framework/app/PakWriter.h"
#include "framework/app/StringUtils.h"
#include "tests/display/GameLayout.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/support/TempFolder.h"

namespace GameTest
{

// The centre of a widget of a layout in the source's cfg\ui.xml, found by the
// chain of names below the layout, in game coordinates; 0,0 when not found.
inline POINT LayoutCentre(const char* layout, std::initializer_list<const char*> names)
{
    GameLayout::Point centre = GameLayout::LayoutCentre(layout, names);
    if (centre.x == -1 && centre.y == -1)
        return POINT{0, 0};
    return POINT{centre.x, centre.y};
}

inline void ClickAt(HWND hwnd, POINT p)
{
    Click(hwnd, p.x, p.y);
}

inline void PostKey(HWND hwnd, WPARAM key)
{
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

inline void PostText(HWND hwnd, const std::wstring& text)
{
    for (wchar_t c : text)
        PostMessageW(hwnd, WM_CHAR, c, 1);
}

// Clicks at `p` every 150 ms, at most 100 times, until the game has written `line`.
inline void ClickUntilOutput(GameProcess& game, HWND hwnd, POINT p, const char* line)
{
    for (int tries = 0; tries < 100 && game.Output().find(line) == std::string::npos; tries++)
    {
        ClickAt(hwnd, p);
        GameProcess::WaitFor(150);
    }
}

// The part of `text` from `open` to the first `close` after it, replaced.
inline bool Replace(std::string& text, const std::string& open, const std::string& close,
                    const std::string& with)
{
    size_t at = text.find(open);
    size_t end = at == std::string::npos ? at : text.find(close, at + open.size());
    if (end == std::string::npos)
        return false;
    text.replace(at, end + close.size() - at, with);
    return true;
}

// Copies the game and its archives into the entered temporary folder (once)
// and makes its mod.pak of `modFiles` (name inside the archive -> bytes)
// afresh; returns the game's path. Run under ASSERT_NO_FATAL_FAILURE.
inline void MakeGameFolder(TempFolder& folder, const std::map<std::string, std::string>& modFiles,
                           std::string* program)
{
    const std::string game = std::string(LUMO_BINARY_DIR) + "/game/";
    for (const char* file : {"ZorkaCafe.exe", "data.pak", "loc.pak"})
    {
        std::string copy = folder.Path() + "\\" + file;
        if (GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES)
        {
            ASSERT_TRUE(CopyFileA((game + file).c_str(), copy.c_str(), FALSE)) << file;
        }
    }
    const std::string mod = folder.Path() + "\\mod";
    Lumo::DeleteTree(mod);
    for (const auto& file : modFiles)
    {
        std::string path = mod + "\\" + file.first;
        Lumo::MakeDirectories(Lumo::GetFileDir(path, true));
        WriteTestFile(path, file.second);
    }
    CreateDirectoryA(mod.c_str(), nullptr);
    std::string error;
    ASSERT_TRUE(PakWriteFolder(mod, folder.Path() + "\\mod.pak", &error)) << error;
    *program = folder.Path() + "\\ZorkaCafe.exe";
}

} // namespace GameTest
