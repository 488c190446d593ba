#include "framework/graphics/DDInterface.h"

#include <gtest/gtest.h>

#include "framework/graphics/DDImage.h"
#include "tests/framework/graphics/DDTestSupport.h"

using namespace Lumo;

namespace
{

TEST(DDInterfaceResults, NamesOfTheResultCodes)
{
    EXPECT_EQ("RESULT_OK", DDInterface::ResultToString(0));
    EXPECT_EQ("RESULT_FAIL", DDInterface::ResultToString(1));
    EXPECT_EQ("RESULT_DD_CREATE_FAIL", DDInterface::ResultToString(2));
    EXPECT_EQ("RESULT_SURFACE_FAIL", DDInterface::ResultToString(3));
    EXPECT_EQ("RESULT_EXCLUSIVE_FAIL", DDInterface::ResultToString(4));
    EXPECT_EQ("RESULT_DISPCHANGE_FAIL", DDInterface::ResultToString(5));
    EXPECT_EQ("RESULT_INVALID_COLORDEPTH", DDInterface::ResultToString(6));
    EXPECT_EQ("RESULT_UNKNOWN", DDInterface::ResultToString(7));
    EXPECT_EQ("RESULT_UNKNOWN", DDInterface::ResultToString(-1));
}

TEST(DDInterfaceLayout, PillarboxesA4To3ScreenOnAWideDesktopOnlyWith3D)
{
    FullScreenLayout l = ComputeFullScreenLayout(1024, 768, 1280, 800, true, false);
    EXPECT_TRUE(l.aspectCorrected);
    EXPECT_EQ(1280, l.displayWidth);
    EXPECT_EQ(800, l.displayHeight);
    EXPECT_EQ(Rect(107, 0, 1066, 800), l.presentation);
    EXPECT_EQ(1024, l.width);

    FullScreenLayout s = ComputeFullScreenLayout(1024, 768, 1280, 800, true, true);
    EXPECT_EQ(Rect(0, 0, 1280, 800), s.presentation);
    EXPECT_EQ(1228, s.width); // 8 x 768 / 5

    FullScreenLayout flat = ComputeFullScreenLayout(1024, 768, 1280, 800, false, false);
    EXPECT_FALSE(flat.aspectCorrected);
    EXPECT_EQ(1024, flat.displayWidth);
    EXPECT_EQ(768, flat.displayHeight);
    EXPECT_EQ(Rect(0, 0, 1024, 768), flat.presentation);

    Ratio a, b;
    a.Set(4, 3);
    b.Set(4, 3);
    EXPECT_FALSE(AspectNarrower(a, b));
    b.Set(16, 10);
    EXPECT_TRUE(AspectNarrower(a, b));
    EXPECT_FALSE(AspectNarrower(b, a));
}

TEST(DDInterfaceLayout, RefreshRateIsClampedAndFlagged)
{
    bool broken = false;
    EXPECT_EQ(60, ClampRefreshRate(true, 0, &broken));
    EXPECT_TRUE(broken);
    EXPECT_EQ(100, ClampRefreshRate(true, 120, &broken));
    EXPECT_TRUE(broken);
    EXPECT_EQ(60, ClampRefreshRate(false, 85, &broken));
    EXPECT_TRUE(broken);
    EXPECT_EQ(75, ClampRefreshRate(true, 75, &broken));
    EXPECT_FALSE(broken);
}

TEST(DDInterfaceLayout, VideoMemorySumDoesNotWrap)
{
    // Wine reports 0xFFFFFFFF minus the desktop's frame buffer.
    uint32_t desktop = 1024 * 768 * 4;
    EXPECT_EQ(4095u, VideoMemoryMegabytes(32, 1024, 768, 0xFFFFFFFFu - desktop));
    EXPECT_EQ(7u, VideoMemoryMegabytes(32, 1024, 768, 4u << 20));
}

TEST(DDInterface, RedrawBeforeInitFailsAndTouchesNothing)
{
    auto display = DDTest::MakeDisplay();
    EXPECT_FALSE(display->Redraw(nullptr));
    EXPECT_EQ(nullptr, display->mPrimarySurface);
    EXPECT_FALSE(display->mInRedraw);
}

TEST(DDInterface, SetCursorImageTwiceReportsNoChange)
{
    auto display = DDTest::MakeDisplay();
    DDImage cursor(display.get());
    EXPECT_TRUE(display->SetCursorImage(&cursor));
    EXPECT_FALSE(display->SetCursorImage(&cursor));
    EXPECT_EQ(&cursor, display->mCursorImage);
    display->SetCursorImage(nullptr);
}

HRESULT WINAPI FailingCreateEx(GUID*, void**, REFIID, IUnknown*)
{
    return DDERR_NODIRECTDRAWHW;
}
HRESULT WINAPI FailingCreate(GUID*, IDirectDraw**, IUnknown*)
{
    return DDERR_INVALIDPARAMS;
}

TEST(DDInterfaceInit, DirectDrawCreationFailuresGiveResult2WithTheCallsName)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    display->mDirectDrawCreateEx = FailingCreateEx;
    EXPECT_EQ(RESULT_DD_CREATE_FAIL, display->Init(hwnd, true));
    EXPECT_EQ("DirectDrawCreateEx: DDERR_NODIRECTDRAWHW", display->mErrorString);
    EXPECT_FALSE(display->mInitialized);

    display->mDirectDrawCreateEx = nullptr;
    display->mDirectDrawCreate = FailingCreate;
    EXPECT_EQ(RESULT_DD_CREATE_FAIL, display->Init(hwnd, true));
    EXPECT_EQ("DirectDrawCreate: DDERR_INVALIDPARAMS", display->mErrorString);

    display->mDirectDrawCreate = nullptr;
    EXPECT_EQ(RESULT_DD_CREATE_FAIL, display->Init(hwnd, true));
    EXPECT_EQ("DirectDrawCreate: DDERR_NODIRECTDRAWSUPPORT", display->mErrorString);
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfaceInit, ModeTheScreenCannotTakeGivesResult5)
{
    // Xvfb offers only its own mode (PLATFORM-NOTES): 320 x 240 is refused.
    HWND hwnd = DDTest::MakeWindow(320, 240, true);
    auto display = DDTest::MakeDisplay(320, 240);
    EXPECT_EQ(RESULT_DISPCHANGE_FAIL, display->Init(hwnd, false));
    EXPECT_EQ("SetDisplayMode FullScreen: DDERR_UNSUPPORTED", display->mErrorString);
    display->Cleanup();
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfaceInit, ExclusiveModeWithoutAWindowGivesResult4)
{
    auto display = DDTest::MakeDisplay(320, 240);
    int result = display->Init(nullptr, false);
    EXPECT_EQ(RESULT_EXCLUSIVE_FAIL, result) << display->mErrorString;
    EXPECT_EQ(0u, display->mErrorString.find("SetCooperativeLevel FullScreen: "));
}

TEST(DDInterfaceInit, ThreeDModeSendsScreenDrawsToTheRendererOrFailsWith7)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    display->mIs3D = true;
    int result = display->Init(hwnd, true);
    if (result != RESULT_OK)
    {
        // Without a GL driver the 3D surfaces or the device are refused.
        EXPECT_TRUE(result == RESULT_3D_FAIL || result == RESULT_SURFACE_FAIL) << result;
        if (result == RESULT_3D_FAIL)
        {
            EXPECT_EQ(0u, display->mErrorString.find("3D init error: "));
        }
        EXPECT_EQ("RESULT_UNKNOWN", DDInterface::ResultToString(result == 7 ? 7 : -1));
    }
    else
    {
        DDImage* screen = display->GetScreenImage();
        ASSERT_NE(nullptr, screen);
        EXPECT_TRUE(screen->DrawsThrough3D());
        EXPECT_TRUE(ImageDrawsThrough3D(screen));
        EXPECT_FALSE(screen->Lock()); // the renderer owns the screen
        Rect all(0, 0, 320, 240);
        Color green(0, 255, 0, 255);
        screen->FillRect(&all, &green, 0);
        EXPECT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        uint32_t shown =
            DDTest::WaitForScreenPixel(origin.x + 100, origin.y + 100, DDTest::IsGreen);
        EXPECT_TRUE(DDTest::IsGreen(shown)) << std::hex << shown;

        // Coverage spans on the 3D screen go through a box image; the
        // caller's spans come back moved by the box's corner.
        Span spans[2] = {{20, 30, 4}, {21, 28, 2}};
        unsigned char coverage[64 * 64] = {};
        screen->FillScanLinesWithCoverage(spans, 2, &green, 0, coverage, 0, 0, 64, 64);
        EXPECT_EQ(0, spans[0].y);
        EXPECT_EQ(2, spans[0].x);
        EXPECT_EQ(1, spans[1].y);
        EXPECT_EQ(0, spans[1].x);
    }
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfaceInit, WindowedInitReadsTheScreenFormat)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    HDC dc = GetDC(nullptr);
    int depth = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    if (depth == 32 || depth == 24)
    {
        EXPECT_EQ(32, display->mBitsPerPixel);
        EXPECT_EQ(0xFF0000u, display->mRedMask);
        EXPECT_EQ(0xFF00u, display->mGreenMask);
        EXPECT_EQ(0xFFu, display->mBlueMask);
        EXPECT_EQ(8, display->mGreenBits);
        EXPECT_EQ(16, display->mRedShift);
        EXPECT_EQ(511u, display->mFormat.redSaturation.size());
    }
    EXPECT_TRUE(gDisplayIsRGB);
    EXPECT_EQ(1, display->mInitCount);
    EXPECT_GE(display->mRefreshRate, 60);
    EXPECT_LE(display->mRefreshRate, 100);
    EXPECT_EQ(1000 / display->mRefreshRate, display->mMillisecondsPerFrame);
    ASSERT_NE(nullptr, display->GetScreenImage());
    EXPECT_EQ(display->mDrawSurface, display->GetScreenImage()->mSurface);
    EXPECT_EQ(320, display->GetScreenImage()->mWidth);
    EXPECT_NE(nullptr, display->mOldCursorAreaImage);
    EXPECT_EQ(Rect(0, 0, 320, 240), display->mPresentationRect);

    // A second Init starts from a clean slate.
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true));
    EXPECT_EQ(2, display->mInitCount);
    display->Cleanup();
    EXPECT_EQ(nullptr, display->mDD);
    EXPECT_EQ(nullptr, display->GetScreenImage());
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfaceInit, ScreenImageKeepsItsSurfaceThroughPixelsChangedAndCreate)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    DDImage* screen = display->GetScreenImage();
    screen->PixelsChanged();
    EXPECT_EQ(display->mDrawSurface, screen->mSurface);
    screen->Create(320, 240);
    EXPECT_EQ(display->mDrawSurface, screen->mSurface);
    screen->DeleteExtraBuffers();
    screen->PurgePixels();
    EXPECT_EQ(display->mDrawSurface, screen->mSurface);
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfacePresent, WindowedFrameReachesTheScreen)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    DDImage* screen = display->GetScreenImage();
    Rect all(0, 0, 320, 240);
    Color blue(0, 0, 255, 255);
    screen->FillRect(&all, &blue, 0);
    Rect box(100, 50, 40, 30);
    Color yellow(255, 255, 0, 255);
    screen->FillRect(&box, &yellow, 0);
    ASSERT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
    DDTest::Pump();
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    uint32_t inside = DDTest::WaitForScreenPixel(origin.x + 110, origin.y + 60, DDTest::IsYellow);
    uint32_t outside = DDTest::WaitForScreenPixel(origin.x + 10, origin.y + 10, DDTest::IsBlue);
    EXPECT_TRUE(DDTest::IsYellow(inside)) << std::hex << inside;
    EXPECT_TRUE(DDTest::IsBlue(outside)) << std::hex << outside;

    // A dirty rectangle presents only itself.
    screen->FillRect(&all, &yellow, 0);
    Rect dirty(0, 0, 20, 20);
    ASSERT_TRUE(display->Redraw(&dirty));
    uint32_t corner = DDTest::WaitForScreenPixel(origin.x + 5, origin.y + 5, DDTest::IsYellow);
    EXPECT_TRUE(DDTest::IsYellow(corner)) << std::hex << corner;
    EXPECT_TRUE(DDTest::IsBlue(DDTest::ScreenPixel(origin.x + 60, origin.y + 60)));
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfacePresent, SoftwareCursorDrawnOnPresentAndMovedByTheCursorCall)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    DDImage* screen = display->GetScreenImage();
    Rect all(0, 0, 320, 240);
    Color black(0, 0, 0, 255);
    screen->FillRect(&all, &black, 0);

    std::unique_ptr<DDImage> cursor(new DDImage(display.get()));
    cursor->Create(8, 8);
    cursor->GetPixels();
    Rect whole(0, 0, 8, 8);
    Color red(255, 0, 0, 255);
    cursor->MemoryImage::FillRect(&whole, &red, 0);
    display->SetCursorImage(cursor.get());
    display->mNextCursorX = 50;
    display->mNextCursorY = 50;
    ASSERT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    uint32_t drawn = DDTest::WaitForScreenPixel(origin.x + 50, origin.y + 50, DDTest::IsRed);
    EXPECT_TRUE(DDTest::IsRed(drawn)) << std::hex << drawn;
    EXPECT_TRUE(display->mHasOldCursorArea);
    // The draw surface holds no cursor after presenting.
    uint32_t* pixels = screen->GetPixels();
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(0xFF000000u, pixels[50 * 320 + 50]);

    display->SetCursorPos(120, 100);
    auto again = [&] { display->SetCursorPos(display->mNextCursorX, display->mNextCursorY); };
    uint32_t moved =
        DDTest::WaitForScreenPixel(origin.x + 120, origin.y + 100, DDTest::IsRed, again);
    EXPECT_TRUE(DDTest::IsRed(moved)) << std::hex << moved;
    uint32_t left =
        DDTest::WaitForScreenPixel(origin.x + 50, origin.y + 50, DDTest::IsBlack, again);
    EXPECT_TRUE(DDTest::IsBlack(left)) << std::hex << left;

    // A short move overlaps the old area: old spot cleaned, new one drawn.
    display->SetCursorPos(124, 100);
    uint32_t shifted =
        DDTest::WaitForScreenPixel(origin.x + 126, origin.y + 101, DDTest::IsRed, again);
    EXPECT_TRUE(DDTest::IsRed(shifted)) << std::hex << shifted;
    uint32_t behind =
        DDTest::WaitForScreenPixel(origin.x + 117, origin.y + 101, DDTest::IsBlack, again);
    EXPECT_TRUE(DDTest::IsBlack(behind)) << std::hex << behind;
    EXPECT_EQ(124, display->mCursorX);
    display->SetCursorImage(nullptr);
    cursor.reset();
    display.reset();
    DestroyWindow(hwnd);
}

} // namespace
