#include "framework/graphics/DDInterface.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/graphics/DDImage.h"
#include "tests/framework/graphics/DDTestSupport.h"
#include "tests/framework/graphics/FlipChainStandIn.h"

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

// A display presenting in full screen through stand-ins for its surfaces, as
// Init leaves it with a new chain. The test knows only the frame it drew and
// what the front buffer shows; what each buffer lacks is the display's affair.
class FlipChainRig
{
public:
    enum Upset
    {
        kCopyFails,  // the copy into the back buffer fails halfway
        kLostAtCopy, // the surfaces are lost before the copy
        kLostAtFlip, // ... between the copy and the flip
        kSystemBox   // a system box comes up on the system's surface and goes
    };
    static const int kW = DDTest::StandInChain::kW, kH = DDTest::StandInChain::kH;
    static const int kBoxPainted = -4;

    DDTest::StandInChain chain;
    DDTest::StandInSurface primary{chain, DDTest::StandInSurface::kPrimary};
    DDTest::StandInSurface back{chain, DDTest::StandInSurface::kBack};
    DDTest::StandInSurface draw{chain, DDTest::StandInSurface::kDraw};
    DDTest::StandInDirectDraw directDraw{chain};
    std::unique_ptr<DDInterface> display = DDTest::MakeDisplay(kW, kH);
    int frame = 0;

    FlipChainRig()
    {
        display->mDD = &directDraw;
        display->mPrimarySurface = &primary;
        display->mSecondarySurface = &back;
        display->mDrawSurface = &draw;
        display->mWidth = kW;
        display->mHeight = kH;
        display->mPresentationRect = Rect(0, 0, kW, kH);
        display->mIsWindowed = false;
        display->mFlipAreas.Forget(Whole());
        display->mInitialized = true;
    }
    static RECT Whole() { return DDTest::StandInChain::Whole(); }

    // Draws the next frame's changes and presents them; the present's result.
    bool Present(const RECT& changed)
    {
        ++frame;
        DDTest::StandInChain::Fill(draw.mOwn, changed, frame);
        Rect dirty(changed.left, changed.top, changed.right - changed.left,
                   changed.bottom - changed.top);
        return display->Redraw(&dirty);
    }
    // The upset, over a present of `changed` (or where the box shows).
    void Happens(Upset upset, const RECT& changed)
    {
        if (upset == kSystemBox)
        {
            display->FlipToGDISurface();
            DDTest::StandInChain::Fill(chain.buffers[0], changed, kBoxPainted);
            return;
        }
        if (upset == kLostAtFlip)
            chain.loseAtFlip = true;
        else
            chain.copyFails = upset == kCopyFails ? DDERR_SURFACEBUSY : DDERR_SURFACELOST;
        EXPECT_FALSE(Present(changed)) << "a failed present was reported as shown";
    }
    // The first pixel the screen shows that differs from the frame, or "".
    std::string Stale()
    {
        for (int i = 0; i < kW * kH; i++)
            if (chain.Front()[i] != draw.mOwn[i])
                return "(" + std::to_string(i % kW) + ", " + std::to_string(i / kW) + ") shows " +
                       std::to_string(chain.Front()[i]) + ", the frame holds " +
                       std::to_string(draw.mOwn[i]);
        return "";
    }
};

TEST(DDInterfaceFlipChain, AfterAFailedCopyALostSurfaceOrASystemBoxEveryFlipShowsTheWholeFrame)
{
    const struct
    {
        const char* what;
        FlipChainRig::Upset upset;
        const char* error; // the failed present's
    } cases[] = {
        {"a copy that fails", FlipChainRig::kCopyFails,
         "Redraw FullScreen Copy: DDERR_SURFACEBUSY"},
        {"lost before the copy", FlipChainRig::kLostAtCopy,
         "Redraw FullScreen Copy: DDERR_SURFACELOST"},
        {"lost at the flip", FlipChainRig::kLostAtFlip,
         "Redraw FullScreen Flip: DDERR_SURFACELOST"},
        {"a system box", FlipChainRig::kSystemBox, ""},
    };
    const RECT part = {1, 1, 4, 3}, other = {10, 8, 14, 11};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        FlipChainRig rig;
        // Settled: each buffer lacks at most the last frame's part.
        ASSERT_TRUE(rig.Present(FlipChainRig::Whole()));
        ASSERT_TRUE(rig.Present(part));
        ASSERT_TRUE(rig.Present(other));
        rig.Happens(c.upset, part);
        EXPECT_EQ(c.error, rig.display->mErrorString);
        for (int i = 1; i <= 3; i++)
        {
            ASSERT_TRUE(rig.Present(other)) << rig.display->mErrorString;
            EXPECT_EQ("", rig.Stale()) << "present " << i << " after";
        }
    }
}

TEST(DDInterfaceFlipChain, EveryFlipShowsTheWholeFrameThroughFailedCopiesLostSurfacesAndSystemBoxes)
{
    // Parts anywhere, with now and then one of the upsets.
    FlipChainRig rig;
    const int kW = FlipChainRig::kW, kH = FlipChainRig::kH;
    uint32_t seed = 12345;
    auto next = [&](int n) { return (int)((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int i = 0; i < 2000; i++)
    {
        int x = next(kW), y = next(kH);
        RECT r = {x, y, x + 1 + next(kW - x), y + 1 + next(kH - y)};
        int what = next(20);
        if (what <= FlipChainRig::kSystemBox)
            rig.Happens((FlipChainRig::Upset)what, r);
        else
        {
            ASSERT_TRUE(rig.Present(r)) << rig.display->mErrorString;
            ASSERT_EQ("", rig.Stale()) << "frame " << rig.frame;
        }
    }
}

TEST(DDInterfaceFlipChain, ASettledChainCopiesOnlyThisFramesPartAndTheOneBefore)
{
    FlipChainRig rig;
    const RECT whole = FlipChainRig::Whole(), part = {10, 8, 14, 11};
    ASSERT_TRUE(rig.Present(whole));
    EXPECT_TRUE(EqualRect(&rig.chain.copied, &whole));
    ASSERT_TRUE(rig.Present(RECT{1, 1, 4, 3}));
    ASSERT_TRUE(rig.Present(part));
    const RECT& copied = rig.chain.copied;
    EXPECT_EQ(1, copied.left);
    EXPECT_EQ(1, copied.top);
    EXPECT_EQ(14, copied.right);
    EXPECT_EQ(11, copied.bottom);
    ASSERT_TRUE(rig.Present(part));
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
