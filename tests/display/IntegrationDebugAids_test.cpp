// The developer aids in running applications: every debug key with and
// without Shift pressed through the window, as the window procedure and the
// widget manager's key table see it; and, in the real game on the exact
// 1024 x 768 screen (2D and 3D full screen), a screenshot compared with the
// back buffer it was taken from, the image dump against the live images, the
// developer overlay coming and going with the master switch, and a resource
// image handed to the display in its own profiling zone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/app/PakInterface.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/DebugFiles.h"
#include "framework/diagnostics/Profiler.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/ResourceManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/InProcessGame.h"
#include "tests/display/IntegrationFrameApp.h"

using namespace Lumo;

namespace
{

const char* kFramesKey = "SOFTWARE\\Lumo Tests\\Integration Frames";

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

// A key as the window receives it; Shift is held through its own key messages.
// The records wait in the application's queue for its loop.
void SendKey(HWND window, int key, bool shift)
{
    if (shift)
        SendMessageA(window, WM_KEYDOWN, VK_SHIFT, 1);
    SendMessageA(window, WM_KEYDOWN, (WPARAM)key, 1);
    SendMessageA(window, WM_KEYUP, (WPARAM)key, (LPARAM)(3u << 30 | 1));
    if (shift)
        SendMessageA(window, WM_KEYUP, VK_SHIFT, (LPARAM)(3u << 30 | 1));
}

// The key, handled by the application's loop.
void PressKey(LumoAppBase& app, int key, bool shift = false)
{
    SendKey(app.mHWnd, key, shift);
    EXPECT_TRUE(StepUntil(
        app, [&] { return app.mMessageQueue.empty(); }, 5000));
}

// Window key codes the debug keys answer to.
const int kKeyR = 'R', kKeyF2 = VK_F2, kKeyF3 = VK_F3, kKeyF8 = VK_F8, kKeyF11 = VK_F11;

class DebugKeysApp : public FrameTest::FrameApp
{
public:
    DebugKeysApp() : FrameApp(true) {}
    int MsgBox(const std::string& text, const std::string& title, int) override
    {
        boxes.push_back({title, text});
        return IDOK;
    }
    std::vector<std::pair<std::string, std::string>> boxes; // title, text
};

std::string BoxTitles(const std::vector<std::pair<std::string, std::string>>& boxes)
{
    std::string titles;
    for (const auto& box : boxes)
        titles += "[" + box.first + "]";
    return titles;
}

} // namespace

TEST(IntegrationDebugAids, EveryDebugKeyWithAndWithoutShiftDoesItsAction)
{
    if (!IsScreen(1280, 800))
        GTEST_SKIP() << "one screen is enough: the keys act the same on every screen";
    RemoveKey(kFramesKey);
    {
        DebugKeysApp app;
        // A stored choice: switching 3D during the run then asks nothing at exit.
        app.WriteRegistryBool("Is3D", false);
        app.Start();
        ASSERT_NE(nullptr, app.mHWnd);
        ASSERT_FALSE(app.Is3DAccelerated());
        app.Fill(Color(0, 128, 255, 255));
        const std::string shots = GetAppDataFolder() + "_screenshots\\";
        const std::string dump = GetAppDataFolder() + "_dump\\";
        DeleteTree(shots);
        DeleteTree(dump);

        // Without the debug-keys flag the keys are ordinary keys.
        PressKey(app, kKeyR);
        PressKey(app, kKeyF11);
        EXPECT_FALSE(app.mShowFPS);
        EXPECT_FALSE(FileExists(shots + "image1.png"));

        app.mDebugKeysEnabled = true;
        PressKey(app, kKeyR);
        EXPECT_TRUE(app.mShowFPS);
        EXPECT_EQ(0, app.mShowFPSMode);
        PressKey(app, kKeyF3); // the same key in its lower-case code
        EXPECT_FALSE(app.mShowFPS);
        PressKey(app, kKeyR, true); // with Shift: on, and the mode steps
        EXPECT_TRUE(app.mShowFPS);
        EXPECT_EQ(1, app.mShowFPSMode);
        PressKey(app, kKeyF3, true);
        EXPECT_TRUE(app.mShowFPS);
        EXPECT_EQ(0, app.mShowFPSMode);

        PressKey(app, kKeyF8);
        ASSERT_EQ(1u, app.boxes.size());
        EXPECT_EQ("Video Stats", app.boxes[0].first);
        EXPECT_EQ(0u, app.boxes[0].second.find("3D-Mode is Off (3D is ")) << app.boxes[0].second;
        EXPECT_NE(std::string::npos, app.boxes[0].second.find("\r\n\r\nNum Images: "));
        EXPECT_NE(std::string::npos, app.boxes[0].second.find("Palette8: 0 - 0 KB\r\n"));

        PressKey(app, kKeyF8, true);
        EXPECT_TRUE(app.Is3DAccelerated());
        PressKey(app, kKeyF8, true);
        EXPECT_FALSE(app.Is3DAccelerated());
        ASSERT_EQ(3u, app.boxes.size()) << BoxTitles(app.boxes);
        EXPECT_EQ("Mode Switch", app.boxes[1].first);
        EXPECT_EQ("3D-Mode: ON", app.boxes[1].second);
        EXPECT_EQ("3D-Mode: OFF", app.boxes[2].second);

        PressKey(app, kKeyF11);
        PressKey(app, kKeyF11);
        EXPECT_TRUE(FileExists(shots + "image1.png"));
        EXPECT_TRUE(FileExists(shots + "image2.png"));
        EXPECT_FALSE(FileExists(dump + "imagelist.html"));
        PressKey(app, kKeyF11, true);
        EXPECT_TRUE(FileExists(dump + "imagelist.html"));
        EXPECT_FALSE(FileExists(shots + "image3.png"));

        // The profiler: one press starts it, the next stops it and shows the report.
        PressKey(app, kKeyF2);
        EXPECT_TRUE(IsProfiling());
        int draws = app.mDrawCount;
        app.Fill(Color(255, 128, 0, 255));
        EXPECT_TRUE(StepUntil(
            app, [&] { return app.mDrawCount >= draws + 3; }, 5000));
        PressKey(app, kKeyF2, true); // Shift changes nothing here
        EXPECT_FALSE(IsProfiling());
        ASSERT_EQ(4u, app.boxes.size()) << BoxTitles(app.boxes);
        EXPECT_EQ("Perf Results", app.boxes[3].first);
        const std::string& report = app.boxes[3].second;
        EXPECT_EQ(0u, report.find("Total Time: ")) << report;
        for (const char* zone : {"LumoAppBase::DrawDirtyStuff (", "LumoAppBase::Redraw (",
                                 "WidgetManager::DrawScreen (", "LumoAppBase::DoUpdateFrames (",
                                 "WidgetManager::UpdateFrame ("})
            EXPECT_NE(std::string::npos, report.find(zone)) << zone << "\n" << report;
        EXPECT_EQ(std::string::npos, report.find("[open]")) << report;

        DeleteTree(shots);
        DeleteTree(dump);
    }
    RemoveKey(kFramesKey);
}

namespace
{

// The real game, run in this process by its own main-loop steps, so that the
// test reads its back buffer between two steps.
class GameDebugAids : public InProcessGameTest
{
protected:
    void TearDown() override
    {
        InProcessGameTest::TearDown();
        gDevOptions.mEnabled = false;
        if (!mDataFolder.empty())
        {
            DeleteTree(mDataFolder + "_screenshots");
            DeleteTree(mDataFolder + "_dump");
            RemoveDirectoryA(mDataFolder.c_str()); // only when nothing else is in it
        }
    }

    // Starts the game from its own folder, with its archives, and runs it until loaded.
    void StartGame()
    {
        ASSERT_NO_FATAL_FAILURE(LaunchGame());
        mDataFolder = GetAppDataFolder();
        ASSERT_NO_FATAL_FAILURE(WaitForLoading());
        ASSERT_FALSE(mGame->mIsPhysWindowed);
    }

    // The back buffer as the test reads it: 32-bit pixels of the screen image's surface.
    std::vector<uint32_t> BackBuffer()
    {
        DDInterface* display = mGame->mDDInterface;
        AutoCrit lock(display->mCritSect);
        IDirectDrawSurface* surface = display->GetScreenImage()->mSurface;
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof(desc);
        std::vector<uint32_t> pixels;
        if (surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK)
            return pixels;
        EXPECT_EQ(32u, desc.ddpfPixelFormat.dwRGBBitCount);
        EXPECT_EQ(1024u, desc.dwWidth);
        EXPECT_EQ(768u, desc.dwHeight);
        pixels.resize(1024 * 768);
        for (int y = 0; y < 768; y++)
            for (int x = 0; x < 1024; x++)
                pixels[y * 1024 + x] =
                    ((const uint32_t*)((const uint8_t*)desc.lpSurface + y * desc.lPitch))[x] &
                    0xFFFFFF;
        surface->Unlock(nullptr);
        return pixels;
    }

    std::string mDataFolder;
};

} // namespace

TEST_P(GameDebugAids, ScreenshotMatchesTheBackBufferAndTheDumpListsEveryLiveImage)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    KpEngine3& game = *mGame;

    // Only a test turns the master switch on; Ctrl+Alt+D then turns the debug keys on.
    gDevOptions.mEnabled = true;
    SendMessageA(game.mHWnd, WM_KEYDOWN, VK_CONTROL, 1);
    SendMessageA(game.mHWnd, WM_SYSKEYDOWN, VK_MENU, 1 << 29);
    SendMessageA(game.mHWnd, WM_SYSKEYDOWN, 'D', 1 << 29);
    SendMessageA(game.mHWnd, WM_SYSKEYUP, 'D', (LPARAM)(3u << 30 | 1 << 29));
    SendMessageA(game.mHWnd, WM_SYSKEYUP, VK_MENU, (LPARAM)(3u << 30 | 1 << 29));
    SendMessageA(game.mHWnd, WM_KEYUP, VK_CONTROL, (LPARAM)(3u << 30));
    ASSERT_TRUE(StepUntil(
        game, [&] { return game.mMessageQueue.empty(); }, 5000));
    gDevOptions.mEnabled = false;
    ASSERT_TRUE(game.mDebugKeysEnabled);

    // The frame-rate box, so the picture holds more than the empty screen.
    PressKey(game, kKeyR);
    ASSERT_TRUE(game.mShowFPS);
    int draws = game.mDrawCount;
    game.mWidgetManager->SetAllDirty();
    ASSERT_TRUE(StepUntil(
        game, [&] { return game.mDrawCount >= draws + 2; }, 5000));

    // The key's records are handled at once: nothing draws between the shot and the read.
    const std::string shots = mDataFolder + "_screenshots\\";
    DeleteTree(shots);
    SendKey(game.mHWnd, kKeyF11, false);
    game.ProcessQueuedMessages(false);
    std::vector<uint32_t> back = BackBuffer();
    ASSERT_EQ(1024u * 768u, back.size());

    std::unique_ptr<ImageLib::Image> shot(ImageLib::GetImage(shots + "image1.png", false));
    ASSERT_TRUE(shot) << shots;
    ASSERT_EQ(1024, shot->GetWidth());
    ASSERT_EQ(768, shot->GetHeight());
    // Chosen points: the corners, the middle, and across the frame-rate box.
    std::vector<POINT> points = {{0, 0}, {1023, 0}, {0, 767}, {1023, 767}, {512, 384}};
    for (int x = 940; x < 1014; x += 3)
        for (int y = 740; y < 758; y += 2)
            points.push_back({x, y});
    std::map<uint32_t, int> colours;
    for (POINT p : points)
    {
        uint32_t inShot = shot->GetBits()[p.y * 1024 + p.x];
        EXPECT_EQ(0xFFu, inShot >> 24);
        EXPECT_EQ(back[p.y * 1024 + p.x], inShot & 0xFFFFFF) << p.x << "," << p.y;
        colours[inShot & 0xFFFFFF]++;
    }
    // The box and its text show: the points are not all one colour.
    EXPECT_GE(colours.size(), 3u);

    // The image dump: one row per live image, with its size.
    const std::string dump = mDataFolder + "_dump\\";
    DeleteTree(dump);
    SendKey(game.mHWnd, kKeyF11, true);
    game.ProcessQueuedMessages(false);
    std::multiset<std::pair<int, int>> live;
    {
        AutoCrit lock(game.mDDInterface->mCritSect);
        for (MemoryImage* image : game.mMemoryImages)
            live.insert({image->mWidth, image->mHeight});
    }
    std::string html = ReadWholeFile(dump + "imagelist.html");
    std::multiset<std::pair<int, int>> listed;
    int pictures = 0;
    for (size_t row = html.find("<TR><TD"); row != std::string::npos;
         row = html.find("<TR><TD", row + 1))
    {
        size_t size = html.find("<TD ALIGN=RIGHT>", row);
        if (size == std::string::npos)
            break; // the totals row
        int w = -1, h = -1;
        sscanf(html.c_str() + size + 16, "%d x %d", &w, &h);
        listed.insert({w, h});
        // A row with a picture links the full image, written at the listed size.
        char name[32] = {0};
        if (sscanf(html.c_str() + row, "<TR><TD><A HREF=%31[^>]>", name) == 1)
        {
            std::unique_ptr<ImageLib::Image> picture(ImageLib::GetImage(dump + name, false));
            ASSERT_TRUE(picture) << name;
            EXPECT_EQ(w, picture->GetWidth()) << name;
            EXPECT_EQ(h, picture->GetHeight()) << name;
            pictures++;
        }
    }
    EXPECT_GE(live.size(), 5u);
    EXPECT_EQ(live, listed);
    EXPECT_GE(pictures, 4);
}

INSTANTIATE_TEST_SUITE_P(Roads, GameDebugAids, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info)
                         { return info.param ? "ThreeD" : "TwoD"; });

TEST_P(GameDebugAids, DeveloperOverlayShowsWhileTheMasterSwitchIsOn)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    KpEngine3& game = *mGame;
    // White text in the overlay's corner band, counted in the back buffer of
    // the frame after the next two draws.
    auto whiteInBand = [&]()
    {
        const int draws = game.mDrawCount;
        EXPECT_TRUE(StepUntil(
            game, [&] { return game.mDrawCount >= draws + 2; }, 5000));
        std::vector<uint32_t> back = BackBuffer();
        int white = 0;
        for (int y = 0; y < 14 && !back.empty(); y++)
            for (int x = 0; x < 300; x++)
                white += (back[y * 1024 + x] & 0xF0F0F0) == 0xF0F0F0;
        return white;
    };
    // Nothing of the game's own pictures is white up there.
    game.mWidgetManager->SetAllDirty();
    EXPECT_EQ(whiteInBand(), 0);

    gDevOptions.mEnabled = true;
    SendMessageA(game.mHWnd, WM_MOUSEMOVE, 0, MAKELPARAM(512, 384));
    EXPECT_GT(whiteInBand(), 30);
    gDevOptions.mEnabled = false;
    EXPECT_EQ(whiteInBand(), 0) << "the line goes with the switch";
}

TEST_P(GameDebugAids, ResourceImagesGoToTheDisplayInTheirOwnProfilingZone)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    ResourceManager* resources = mGame->mResourceManager;
    ASSERT_TRUE(resources->ParseResourcesText(
        "<Resources><Group id=\"test\">"
        "<Image id=\"STUDIO\" path=\"img\\splash\\studio.png\"/></Group></Resources>"))
        << resources->GetErrorText();
    ProfileStart(false);
    ASSERT_TRUE(resources->LoadResources("test")) << resources->GetErrorText();
    ProfileStop();
    const std::string report = ProfileReport();
    EXPECT_NE(report.find("ResourceManager:DDSurface (1 calls"), std::string::npos) << report;
    EXPECT_NE(report.find("ResourceManager:GetImage (1 calls"), std::string::npos) << report;
    // An opaque picture: 2D keeps it in a surface of the display; 3D leaves
    // it to the renderer's texture.
    DDImage* image = dynamic_cast<DDImage*>(resources->GetImage("STUDIO"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->mDDInterface, mGame->mDDInterface);
    EXPECT_EQ(image->mSurface != nullptr, !GetParam());
    resources->DeleteResources("test");
}
