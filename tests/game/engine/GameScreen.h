// The game's 1024 x 768 picture as the screen shows it, for the tests that run
// the real game and check chosen pixels: grabbed from the window's client
// area, waited on with a bound, and saved as a PNG in the build folder
// (<build>/<folder>/<name>.png) whether the check held or not.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageLib.h"
#include "tests/game/engine/GameProcess.h"
#include "tests/game/engine/ScreenPixels.h"

namespace GameTest
{

class GameScreen
{
public:
    GameScreen(HWND hwnd, const std::string& folder) : mHwnd(hwnd), mFolder(folder) {}

    void Grab() { mPixels = GrabClient(mHwnd, 1024, 768); }
    uint32_t At(int x, int y) const { return mPixels[size_t(y) * 1024 + x] & 0xFFFFFF; }
    bool IsNear(int x, int y, uint32_t colour, int tolerance = 40) const
    {
        return Near(At(x, y), colour, tolerance);
    }

    // Waits (bounded) until the check holds on a fresh picture; the last
    // picture is saved under the name either way.
    bool WaitUntil(const char* name, const std::function<bool(const GameScreen&)>& check,
                   int boundMs = 5000)
    {
        bool ok = false;
        for (int waited = 0; waited <= boundMs && !ok; waited += 100)
        {
            if (waited)
                GameProcess::WaitFor(100);
            Grab();
            ok = check(*this);
        }
        Save(name);
        return ok;
    }

    // Waits until every point is within `tolerance` of its colour; a failure
    // names each point with the colour it shows.
    bool WaitFor(const char* name, const std::vector<std::pair<POINT, uint32_t>>& points,
                 int tolerance = 40)
    {
        bool ok = WaitUntil(name,
                            [&](const GameScreen& s)
                            {
                                for (const auto& p : points)
                                    if (!s.IsNear(p.first.x, p.first.y, p.second, tolerance))
                                        return false;
                                return true;
                            });
        if (!ok)
            for (const auto& p : points)
                ADD_FAILURE() << name << ": pixel " << p.first.x << "," << p.first.y << " is "
                              << std::hex << At(p.first.x, p.first.y) << ", wanted near "
                              << p.second;
        return ok;
    }

    static bool Near(uint32_t a, uint32_t b, int tolerance)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > tolerance)
                return false;
        return true;
    }

private:
    void Save(const char* name)
    {
        Lumo::MemoryImage image;
        image.Create(1024, 768);
        uint32_t* pixels = image.GetPixels();
        for (size_t i = 0; i < mPixels.size(); i++)
            pixels[i] = mPixels[i] | 0xFF000000;
        image.PixelsChanged();
        std::string folder = std::string(LUMO_BINARY_DIR) + "/" + mFolder;
        CreateDirectoryA(folder.c_str(), nullptr);
        ImageLib::WritePNGImage(folder + "/" + name + ".png", &image);
    }

    HWND mHwnd;
    std::string mFolder;
    std::vector<uint32_t> mPixels;
};

inline POINT P(int x, int y)
{
    return POINT{x, y};
}

} // namespace GameTest
