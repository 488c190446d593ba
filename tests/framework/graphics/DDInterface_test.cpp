#include "framework/graphics/DDInterface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    // Totals whose sum with the desktop's frame buffer passes 32 bits: a
    // 32-bit sum would wrap to a few megabytes.
    EXPECT_EQ(4098u, VideoMemoryMegabytes(32, 1024, 768, 0xFFFFFFFFu));
    EXPECT_EQ(4097u, VideoMemoryMegabytes(32, 1024, 768, 0xFFFFFFFFu - (1u << 20)));
    EXPECT_EQ(4111u, VideoMemoryMegabytes(32, 2560, 1600, 0xFFFFFFFFu));
    EXPECT_EQ(7u, VideoMemoryMegabytes(32, 1024, 768, 4u << 20));
}

// A full-screen flip chain of a small screen, each pixel holding the number
// of the frame that last changed it, kept by the bookkeeping the display uses.
class FlipChainModel
{
public:
    static const int kW = 16, kH = 12;
    FlipChainAreas areas;
    std::vector<int> draw, front, back; // -1: never written
    int frame = 0;

    FlipChainModel() : draw(kW * kH, 0), front(kW * kH, -1), back(kW * kH, -1)
    {
        areas.Forget(Whole());
    }
    static RECT Whole() { return RECT{0, 0, kW, kH}; }

    void DrawFrame(const RECT& changed)
    {
        ++frame;
        Fill(draw, changed, frame);
    }
    // A present whose copy and flip succeed; the area it copied.
    RECT Present(const RECT& changed)
    {
        DrawFrame(changed);
        RECT copy = areas.ToCopy(changed);
        for (int y = copy.top; y < copy.bottom; y++)
            for (int x = copy.left; x < copy.right; x++)
                back[y * kW + x] = draw[y * kW + x];
        areas.Flipped(changed);
        std::swap(front, back);
        return copy;
    }
    // A present whose copy fails: nothing is shown.
    void CopyFails(const RECT& changed)
    {
        DrawFrame(changed);
        Fill(back, changed, -2); // half written
        areas.Forget(Whole());
    }
    // A system box: the system's surface comes to the front.
    void ToSystemSurface()
    {
        std::swap(front, back);
        areas.Forget(Whole());
    }
    // The first pixel the screen shows that differs from the frame, or -1.
    int FirstStale() const
    {
        for (size_t i = 0; i < draw.size(); i++)
            if (front[i] != draw[i])
                return (int)i;
        return -1;
    }

private:
    static void Fill(std::vector<int>& buffer, const RECT& r, int value)
    {
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                buffer[y * kW + x] = value;
    }
};

TEST(DDInterfaceFlipChain, EveryFlipShowsTheWholeFrameThroughFailedCopiesAndSystemBoxes)
{
    // Parts anywhere, with now and then a copy that fails or a system box.
    FlipChainModel chain;
    uint32_t seed = 12345;
    auto next = [&](int n) { return (int)((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int i = 0; i < 2000; i++)
    {
        int x = next(FlipChainModel::kW), y = next(FlipChainModel::kH);
        RECT r = {x, y, x + 1 + next(FlipChainModel::kW - x), y + 1 + next(FlipChainModel::kH - y)};
        int what = next(20);
        if (what == 0)
            chain.CopyFails(r);
        else if (what == 1)
            chain.ToSystemSurface();
        else
        {
            chain.Present(r);
            ASSERT_EQ(-1, chain.FirstStale()) << "frame " << chain.frame;
        }
    }
}

TEST(DDInterfaceFlipChain, ASettledChainCopiesOnlyThisFramesPartAndTheOneBefore)
{
    FlipChainModel chain;
    const RECT whole = FlipChainModel::Whole(), part = {10, 8, 14, 11};
    RECT first = chain.Present(whole);
    EXPECT_TRUE(EqualRect(&first, &whole));
    chain.Present(RECT{1, 1, 4, 3});
    RECT copied = chain.Present(part);
    EXPECT_EQ(1, copied.left);
    EXPECT_EQ(1, copied.top);
    EXPECT_EQ(14, copied.right);
    EXPECT_EQ(11, copied.bottom);
    copied = chain.Present(part);
    EXPECT_TRUE(EqualRect(&copied, &part));
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

std::vector<std::wstring> gDebugLines;
void CollectDebugLine(const wchar_t* line)
{
    gDebugLines.push_back(line);
}

TEST(DDInterfaceInit, WindowedInitWritesItsSizesToTheDebugger)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    auto display = DDTest::MakeDisplay();
    gDebugLines.clear();
    SetDisplayDebugSink(CollectDebugLine);
    int result = display->Init(hwnd, true);
    SetDisplayDebugSink(nullptr);
    ASSERT_EQ(RESULT_OK, result) << display->mErrorString;
    std::vector<std::wstring> expected = {
        L"Application requests  320 x  240 [ 4: 3]\n",
        L"Hack aspect is                   [ 4: 3]\n",
        L"Window is             320 x  240 [ 4: 3]\n",
        L"Draw buffer is        320 x  240 [ 4: 3]\n",
    };
    EXPECT_EQ(expected, gDebugLines);
    display.reset();
    DestroyWindow(hwnd);
}

TEST(DDInterfaceInit, SurfaceTheSystemCannotMakeGivesResult3)
{
    HWND hwnd = DDTest::MakeWindow(320, 240, false);
    // A surface without width is refused.
    auto display = DDTest::MakeDisplay(0, 240);
    EXPECT_EQ(RESULT_SURFACE_FAIL, display->Init(hwnd, true));
    EXPECT_EQ(0u, display->mErrorString.find("CreateSurface Windowed DrawSurface: "))
        << display->mErrorString;
    EXPECT_FALSE(display->mInitialized);
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

} // namespace
