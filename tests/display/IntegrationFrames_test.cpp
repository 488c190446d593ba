// Frames through the whole application road: a small application whose one
// widget fills the screen with a known colour, run by its own main-loop steps,
// and the Xvfb screen read back through GDI where the picture must appear.
// run-on-screen.sh starts this program on a 1280 x 800 screen (windowed, and
// Alt+Enter to the 3D full screen, which takes the whole 16:10 desktop) and on
// an exact 1024 x 768 screen (full screen; PLATFORM-NOTES: Xvfb switches only
// to its own mode).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <sstream>

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "tests/display/IntegrationFrameApp.h"
#include "tests/framework/graphics/DDTestSupport.h"

using namespace Lumo;
using FrameTest::FrameApp;

namespace
{

const char* kAppKey = "SOFTWARE\\Lumo Tests\\Integration Frames";

void RemoveAppKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kAppKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
}

int ScreenWidth()
{
    return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

std::string Hex(uint32_t v)
{
    std::ostringstream out;
    out << std::hex << v;
    return out.str();
}

class IntegrationFrames : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RemoveAppKey();
        gD3DRenderTargetFailed = false;
    }
    void TearDown() override { RemoveAppKey(); }

    // The 3D choice as the application reads it when it makes its display.
    static void Store3D(FrameApp& app, bool is3D) { app.WriteRegistryBool("Is3D", is3D); }

    // A renderer failure during the run would ask its question at exit.
    static void ExpectNoRendererFailure()
    {
        EXPECT_FALSE(gD3DRenderTargetFailed) << gD3DLastError;
        gD3DRenderTargetFailed = false;
    }
};

} // namespace

TEST_F(IntegrationFrames, WindowedFramesReachTheClientAreaIn2DAnd3D)
{
    if (ScreenWidth() <= 1024 || ScreenHeight() <= 768)
        GTEST_SKIP() << "needs a screen larger than the window";
    for (bool is3D : {false, true})
    {
        SCOPED_TRACE(is3D ? "3D" : "2D");
        FrameApp app(true);
        Store3D(app, is3D);
        app.Start();
        ASSERT_NE(nullptr, app.mHWnd);
        ASSERT_NE(nullptr, app.mDDInterface);
        EXPECT_TRUE(app.mIsPhysWindowed);
        EXPECT_EQ(is3D, app.Is3DAccelerated());

        app.Fill(Color(0, 255, 0, 255));
        uint32_t centre = app.ShownAt(512, 384, DDTest::IsGreen);
        EXPECT_TRUE(DDTest::IsGreen(centre)) << Hex(centre);
        uint32_t corner = app.ShownAt(2, 765, DDTest::IsGreen);
        EXPECT_TRUE(DDTest::IsGreen(corner)) << Hex(corner);

        // A later frame replaces it.
        app.Fill(Color(0, 0, 255, 255));
        uint32_t next = app.ShownAt(512, 384, DDTest::IsBlue);
        EXPECT_TRUE(DDTest::IsBlue(next)) << Hex(next);
        ExpectNoRendererFailure();
    }
}

TEST_F(IntegrationFrames, FullScreenFramesFillTheExactScreenIn2DAnd3D)
{
    if (ScreenWidth() != 1024 || ScreenHeight() != 768)
        GTEST_SKIP() << "full screen needs an exact 1024 x 768 screen";
    for (bool is3D : {false, true})
    {
        SCOPED_TRACE(is3D ? "3D" : "2D");
        FrameApp app(true); // asks for a window; the desktop is too small for one
        Store3D(app, is3D);
        app.Start();
        ASSERT_NE(nullptr, app.mHWnd);
        EXPECT_TRUE(app.mForceFullscreen);
        EXPECT_FALSE(app.mIsPhysWindowed);
        EXPECT_EQ(is3D, app.Is3DAccelerated());

        app.Fill(Color(255, 0, 0, 255));
        for (POINT p : {POINT{512, 384}, POINT{1, 1}, POINT{1022, 766}})
        {
            uint32_t shown = app.ShownAt(p.x, p.y, DDTest::IsRed);
            EXPECT_TRUE(DDTest::IsRed(shown)) << p.x << "," << p.y << ": " << Hex(shown);
        }
        app.Fill(Color(255, 255, 0, 255));
        uint32_t next = app.ShownAt(512, 384, DDTest::IsYellow);
        EXPECT_TRUE(DDTest::IsYellow(next)) << Hex(next);

        // Frames that change a part each: the flip hands back a buffer that
        // has not had the part before, which must not show old again.
        const Rect blue(100, 100, 200, 100), green(600, 500, 200, 100);
        app.Fill(Color(0, 0, 255, 255), &blue);
        EXPECT_TRUE(DDTest::IsBlue(app.ShownAt(150, 150, DDTest::IsBlue)));
        app.Fill(Color(0, 255, 0, 255), &green);
        EXPECT_TRUE(DDTest::IsGreen(app.ShownAt(650, 550, DDTest::IsGreen)));
        struct
        {
            POINT at;
            bool (*is)(uint32_t);
        } const shown[] = {{{150, 150}, DDTest::IsBlue},
                           {{299, 199}, DDTest::IsBlue},
                           {{650, 550}, DDTest::IsGreen},
                           {{512, 384}, DDTest::IsYellow},
                           {{1022, 766}, DDTest::IsYellow}};
        for (const auto& s : shown)
        {
            uint32_t pixel = DDTest::ScreenPixel(s.at.x, s.at.y);
            EXPECT_TRUE(s.is(pixel)) << s.at.x << "," << s.at.y << ": " << Hex(pixel);
        }

        // Alt+Enter cannot leave a full screen the window would not fit beside.
        HWND hwnd = app.mHWnd;
        app.PressAltEnter();
        EXPECT_EQ(hwnd, app.mHWnd);
        EXPECT_FALSE(app.mIsPhysWindowed);
        ExpectNoRendererFailure();
    }
}

TEST_F(IntegrationFrames, AltEnterSwitchesTo3DFullScreenAndBack)
{
    if (ScreenWidth() != 1280 || ScreenHeight() != 800)
        GTEST_SKIP() << "needs the 1280 x 800 screen: the 3D full screen takes its mode";
    FrameApp app(true);
    Store3D(app, true);
    app.Start();
    ASSERT_NE(nullptr, app.mHWnd);
    ASSERT_TRUE(app.mIsPhysWindowed);
    ASSERT_TRUE(app.Is3DAccelerated());
    app.Fill(Color(0, 255, 0, 255));
    uint32_t windowed = app.ShownAt(512, 384, DDTest::IsGreen);
    ASSERT_TRUE(DDTest::IsGreen(windowed)) << Hex(windowed);

    // Alt+Enter goes through the window procedure and makes a new window; a
    // click made in the window meanwhile lands where it was made.
    HWND first = app.mHWnd;
    app.PressAltEnter(
        [&]
        {
            SendMessageA(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
            SendMessageA(first, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
        });
    EXPECT_EQ(300, app.mFillWidget->mPressX);
    EXPECT_EQ(200, app.mFillWidget->mPressY);
    ASSERT_NE(first, app.mHWnd);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_FALSE(app.mIsPhysWindowed);
    EXPECT_FALSE(app.mWindowedFallbackDone);
    EXPECT_TRUE(app.Is3DAccelerated());
    EXPECT_EQ(1280, app.mDDInterface->mDisplayWidth);
    EXPECT_EQ(800, app.mDDInterface->mDisplayHeight);
    EXPECT_EQ(Rect(107, 0, 1066, 800), app.mDDInterface->mPresentationRect);

    // The 4:3 picture fills the middle of the 16:10 screen between black bars.
    app.Fill(Color(255, 0, 0, 255));
    app.mWidgetManager->SetAllDirty();
    uint32_t middle = app.ShownAt(640, 400, DDTest::IsRed);
    EXPECT_TRUE(DDTest::IsRed(middle)) << Hex(middle);
    uint32_t bar = app.ShownAt(50, 400, DDTest::IsBlack);
    EXPECT_TRUE(DDTest::IsBlack(bar)) << Hex(bar);
    uint32_t otherBar = app.ShownAt(1230, 400, DDTest::IsBlack);
    EXPECT_TRUE(DDTest::IsBlack(otherBar)) << Hex(otherBar);

    // And back to a window.
    HWND second = app.mHWnd;
    app.PressAltEnter();
    ASSERT_NE(second, app.mHWnd);
    EXPECT_TRUE(app.mIsPhysWindowed);
    EXPECT_TRUE(app.Is3DAccelerated());
    app.Fill(Color(0, 0, 255, 255));
    uint32_t back = app.ShownAt(512, 384, DDTest::IsBlue);
    EXPECT_TRUE(DDTest::IsBlue(back)) << Hex(back);
    ExpectNoRendererFailure();
}
