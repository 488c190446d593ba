// Display tests that adapt to the screen they run on: run-on-screen.sh starts
// them on 1280x1024x24, 1024x768x16 and 1024x768x8 Xvfb screens of their own,
// so that no other test program covers what they read back from the screen
// and their exclusive-mode calls reach no other program.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "tests/framework/graphics/DDTestSupport.h"

using namespace Lumo;

namespace
{

int ScreenDepth()
{
    HDC dc = GetDC(nullptr);
    int depth = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return depth;
}

int ScreenWidth()
{
    return GetSystemMetrics(SM_CXSCREEN);
}
int ScreenHeight()
{
    return GetSystemMetrics(SM_CYSCREEN);
}

// Fills the whole 320x240 screen image with one colour and a box with another,
// presents it, and gives where the window's client area starts on the screen.
::testing::AssertionResult PresentBox(DDInterface& display, HWND hwnd, const Rect& box,
                                      const Color& back, const Color& front, POINT& origin)
{
    DDImage* screen = display.GetScreenImage();
    Rect all(0, 0, 320, 240);
    screen->FillRect(&all, &back, 0);
    screen->FillRect(&box, &front, 0);
    if (!display.Redraw(nullptr))
        return ::testing::AssertionFailure() << display.mErrorString;
    DDTest::Pump();
    origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    return ::testing::AssertionSuccess();
}

TEST(DisplayScreens, WindowedInitTakesTheScreenFormatOrRefusesItsDepth)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    int result = display->Init(hwnd, true);
    int depth = ScreenDepth();
    if (depth == 8)
    {
        EXPECT_EQ(RESULT_INVALID_COLORDEPTH, result);
        EXPECT_EQ("RESULT_INVALID_COLORDEPTH", DDInterface::ResultToString(result));
        EXPECT_EQ("CreateSurface Windowed Primary: DDERR_INVALIDPIXELFORMAT",
                  display->mErrorString);
        EXPECT_FALSE(display->mInitialized);
    }
    else if (depth == 16)
    {
        ASSERT_EQ(RESULT_OK, result) << display->mErrorString;
        EXPECT_EQ(16, display->mBitsPerPixel);
        EXPECT_EQ(0xF800u, display->mRedMask);
        EXPECT_EQ(0x7E0u, display->mGreenMask);
        EXPECT_EQ(0x1Fu, display->mBlueMask);
        EXPECT_EQ(5, display->mRedBits);
        EXPECT_EQ(6, display->mGreenBits);
        EXPECT_EQ(11, display->mRedShift);
        EXPECT_EQ(5, display->mGreenShift);
        EXPECT_EQ(63u, display->mFormat.redSaturation.size());
        EXPECT_EQ(127u, display->mFormat.greenSaturation.size());
        EXPECT_EQ(0x7E0u, display->mFormat.greenColor[255]);
        EXPECT_TRUE(gDisplayIsRGB);
    }
    else
    {
        ASSERT_EQ(RESULT_OK, result) << display->mErrorString;
        EXPECT_EQ(32, display->mBitsPerPixel);
        EXPECT_EQ(0xFF0000u, display->mRedMask);
    }
    display.reset();
    DestroyWindow(hwnd);
}

std::vector<std::wstring> gDebugLines;
void CollectDebugLine(const wchar_t* line)
{
    gDebugLines.push_back(line);
}

TEST(DisplayScreens, FullScreenWorksOnlyAtTheScreensOwnSize)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
    HWND hwnd = DDTest::MakeWindow(1024, 768, true);
    auto display = DDTest::MakeDisplay(1024, 768);
    // Xvfb switches only to its own depth.
    display->mOptions.bitsPerPixel = ScreenDepth() == 16 ? 16 : 32;
    gDebugLines.clear();
    SetDisplayDebugSink(CollectDebugLine);
    int result = display->Init(hwnd, false);
    SetDisplayDebugSink(nullptr);
    if (ScreenWidth() != 1024 || ScreenHeight() != 768)
    {
        EXPECT_EQ(RESULT_DISPCHANGE_FAIL, result);
        EXPECT_EQ("SetDisplayMode FullScreen: DDERR_UNSUPPORTED", display->mErrorString);
        display.reset();
        DestroyWindow(hwnd);
        return;
    }
    ASSERT_EQ(RESULT_OK, result) << display->mErrorString;
    std::vector<std::wstring> expected = {
        L"Application requests 1024 x  768 [ 4: 3]\n",
        L"Desktop is           1024 x  768 [ 4: 3]\n",
        L"Display is           1024 x  768 [ 4: 3]\n",
        L"Draw buffer is       1024 x  768 [ 4: 3]\n",
    };
    EXPECT_EQ(expected, gDebugLines);
    EXPECT_NE(nullptr, display->mSecondarySurface);
    DDImage* screen = display->GetScreenImage();
    Rect all(0, 0, 1024, 768);
    Color green(0, 255, 0, 255);
    screen->FillRect(&all, &green, 0);
    Rect box(500, 300, 50, 50);
    Color red(255, 0, 0, 255);
    screen->FillRect(&box, &red, 0);
    // Flip twice so whichever buffer the screen shows holds the frame.
    ASSERT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
    ASSERT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
    DDTest::Pump();
    uint32_t inside = DDTest::WaitForScreenPixel(520, 320, DDTest::IsRed);
    uint32_t outside = DDTest::WaitForScreenPixel(100, 100, DDTest::IsGreen);
    EXPECT_TRUE(DDTest::IsRed(inside)) << std::hex << inside;
    EXPECT_TRUE(DDTest::IsGreen(outside)) << std::hex << outside;

    // Presenting by blit (flip option off) shows the frame as well.
    display->mOptions.flip = false;
    Color blue(0, 0, 255, 255);
    screen->FillRect(&all, &blue, 0);
    ASSERT_TRUE(display->Redraw(nullptr)) << display->mErrorString;
    uint32_t blitted = DDTest::WaitForScreenPixel(520, 320, DDTest::IsBlue);
    EXPECT_TRUE(DDTest::IsBlue(blitted)) << std::hex << blitted;
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DisplayScreens, WindowedFrameReachesTheScreen)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    POINT origin;
    ASSERT_TRUE(PresentBox(*display, hwnd, Rect(10, 10, 30, 30), Color(255, 255, 255, 255),
                           Color(0, 0, 255, 255), origin));
    uint32_t inside = DDTest::WaitForScreenPixel(origin.x + 20, origin.y + 20, DDTest::IsBlue);
    uint32_t outside = DDTest::WaitForScreenPixel(origin.x + 200, origin.y + 200, DDTest::IsWhite);
    EXPECT_TRUE(DDTest::IsBlue(inside)) << std::hex << inside;
    EXPECT_TRUE(DDTest::IsWhite(outside)) << std::hex << outside;
    display.reset();
    DestroyWindow(hwnd);
}

// A narrow picture in a wide window: the arithmetic-stretch blit still shows
// the frame at its presentation place, with black bars beside it.
TEST(DisplayScreens, AspectCorrectedWindowedFrameReachesTheScreen)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    display->mOptions.aspectCorrection = true;
    display->mOptions.widescreenAspect.Set(16, 9);
    display->mOptions.stretch = false;
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    ASSERT_TRUE(display->mIsWidescreen);
    const Rect shown = display->mPresentationRect;
    ASSERT_GT(shown.mX, 20);
    POINT origin;
    ASSERT_TRUE(PresentBox(*display, hwnd, Rect(10, 10, 30, 30), Color(255, 255, 255, 255),
                           Color(0, 0, 255, 255), origin));
    int left = origin.x + shown.mX;
    uint32_t inside = DDTest::WaitForScreenPixel(left + 20, origin.y + 20, DDTest::IsBlue);
    uint32_t outside = DDTest::WaitForScreenPixel(left + 200, origin.y + 200, DDTest::IsWhite);
    uint32_t bar =
        DDTest::WaitForScreenPixel(origin.x + shown.mX / 2, origin.y + 100, DDTest::IsBlack);
    EXPECT_TRUE(DDTest::IsBlue(inside)) << std::hex << inside;
    EXPECT_TRUE(DDTest::IsWhite(outside)) << std::hex << outside;
    EXPECT_TRUE(DDTest::IsBlack(bar)) << std::hex << bar;
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DisplayScreens, SurfaceImagesRoundTripInTheScreenFormat)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
    HWND hwnd = DDTest::MakeWindow(64, 48, false);
    auto display = DDTest::MakeDisplay(64, 48);
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    {
        // Colour key collision: the first transparent pixel matches an opaque one.
        DDImage image(display.get());
        std::vector<uint32_t> pixels = {0x00F80000, 0xFFF80000, 0xFF00FC00, 0xFF0000F8};
        image.SetPixels(pixels.data(), 4, 1, true);
        ASSERT_NE(nullptr, image.GetSurface());
        DDCOLORKEY key;
        ASSERT_EQ(DD_OK, image.mSurface->GetColorKey(DDCKEY_SRCBLT, &key));
        image.DeleteMemoryCopies();
        uint32_t* back = image.GetPixels();
        ASSERT_NE(nullptr, back);
        // Opaque pixels come back with their top bits; all channels fit 5-6-5.
        EXPECT_EQ(0xFFF80000u, back[1]);
        EXPECT_EQ(0xFF00FC00u, back[2]);
        EXPECT_EQ(0xFF0000F8u, back[3]);
        EXPECT_NE(back[0], back[1]);
        EXPECT_EQ(MEMORY_IMAGE_GUARD, back[4]);

        // A translucent fill on the surface follows the depth's own rounding.
        DDImage dest(display.get());
        std::vector<uint32_t> black(4, 0xFF000000);
        dest.SetPixels(black.data(), 4, 1, true);
        Rect r(0, 0, 1, 1);
        Color halfRed(255, 0, 0, 128);
        dest.FillRect(&r, &halfRed, 0);
        uint32_t* out = dest.GetPixels();
        ASSERT_NE(nullptr, out);
        if (display->mBitsPerPixel == 16)
            EXPECT_EQ(0xFF780000u, out[0]); // 0x7800 in 5-6-5
        else
            EXPECT_EQ(0xFF7F0000u, out[0]);
    }
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DisplayInit, ModeTheScreenCannotTakeGivesResult5)
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

TEST(DisplayInit, ExclusiveModeWithoutAWindowGivesResult4)
{
    auto display = DDTest::MakeDisplay(320, 240);
    int result = display->Init(nullptr, false);
    EXPECT_EQ(RESULT_EXCLUSIVE_FAIL, result) << display->mErrorString;
    EXPECT_EQ(0u, display->mErrorString.find("SetCooperativeLevel FullScreen: "));
}

TEST(DisplayInit, ThreeDModeSendsScreenDrawsToTheRendererOrFailsWith7)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
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

TEST(DisplayPresent, WindowedFrameAndDirtyRectangleReachTheScreen)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    ASSERT_EQ(RESULT_OK, display->Init(hwnd, true)) << display->mErrorString;
    Color yellow(255, 255, 0, 255);
    POINT origin;
    ASSERT_TRUE(
        PresentBox(*display, hwnd, Rect(100, 50, 40, 30), Color(0, 0, 255, 255), yellow, origin));
    uint32_t inside = DDTest::WaitForScreenPixel(origin.x + 110, origin.y + 60, DDTest::IsYellow);
    uint32_t outside = DDTest::WaitForScreenPixel(origin.x + 10, origin.y + 10, DDTest::IsBlue);
    EXPECT_TRUE(DDTest::IsYellow(inside)) << std::hex << inside;
    EXPECT_TRUE(DDTest::IsBlue(outside)) << std::hex << outside;

    // A dirty rectangle presents only itself.
    Rect all(0, 0, 320, 240);
    display->GetScreenImage()->FillRect(&all, &yellow, 0);
    Rect dirty(0, 0, 20, 20);
    ASSERT_TRUE(display->Redraw(&dirty));
    uint32_t corner = DDTest::WaitForScreenPixel(origin.x + 5, origin.y + 5, DDTest::IsYellow);
    EXPECT_TRUE(DDTest::IsYellow(corner)) << std::hex << corner;
    EXPECT_TRUE(DDTest::IsBlue(DDTest::ScreenPixel(origin.x + 60, origin.y + 60)));
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DisplayPresent, SoftwareCursorDrawnOnPresentAndMovedByTheCursorCall)
{
    if (ScreenDepth() == 8)
        GTEST_SKIP() << "no usable depth";
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

    // A resting cursor adds nothing to a part presented elsewhere: beside
    // it, inside its save area, the screen keeps the old picture.
    Color green(0, 255, 0, 255);
    screen->FillRect(&all, &green, 0);
    Rect corner(0, 0, 20, 20);
    ASSERT_TRUE(display->Redraw(&corner));
    uint32_t cornerShown =
        DDTest::WaitForScreenPixel(origin.x + 5, origin.y + 5, DDTest::IsGreen);
    EXPECT_TRUE(DDTest::IsGreen(cornerShown)) << std::hex << cornerShown;
    EXPECT_TRUE(DDTest::IsBlack(DDTest::ScreenPixel(origin.x + 140, origin.y + 100)));
    EXPECT_TRUE(DDTest::IsRed(DDTest::ScreenPixel(origin.x + 126, origin.y + 101)));
    // A part under it goes out with the cursor drawn over it.
    Rect under(110, 90, 30, 20);
    ASSERT_TRUE(display->Redraw(&under));
    uint32_t around = DDTest::WaitForScreenPixel(origin.x + 112, origin.y + 92, DDTest::IsGreen);
    EXPECT_TRUE(DDTest::IsGreen(around)) << std::hex << around;
    EXPECT_TRUE(DDTest::IsRed(DDTest::ScreenPixel(origin.x + 126, origin.y + 101)));
    // Taken away, the cursor leaves the screen with the next part presented.
    display->SetCursorImage(nullptr);
    ASSERT_TRUE(display->Redraw(&corner));
    uint32_t gone = DDTest::WaitForScreenPixel(origin.x + 126, origin.y + 101, DDTest::IsGreen);
    EXPECT_TRUE(DDTest::IsGreen(gone)) << std::hex << gone;
    cursor.reset();
    display.reset();
    DestroyWindow(hwnd);
}

} // namespace
