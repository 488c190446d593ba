// The display options live on the application object; the display reads them
// before each Init and present, and keeps sensible ones without an application.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/graphics/D3DDefaults.h"
#include "framework/graphics/D3DTester.h"
#include "framework/graphics/DDInterface.h"
#include "tests/framework/app/AppTestApp.h"

using namespace Lumo;

TEST(IntegrationDisplayOptions, ApplicationStartsWithTheDesignsValuesAndTheOpenChoices)
{
    AppTest::TestApp app;
    EXPECT_EQ(1024, app.mWidth);
    EXPECT_EQ(768, app.mHeight);
    EXPECT_EQ(32, app.mColorDepth);
    EXPECT_EQ(4, app.mWidescreenAspect.mNumerator);
    EXPECT_EQ(3, app.mWidescreenAspect.mDenominator);
    EXPECT_EQ(GetSystemMetrics(SM_TABLETPC) == 0, app.mFlipFullscreen);
    EXPECT_EQ(6, app.mMinVidMemory3D);
    EXPECT_EQ(14, app.mRecVidMemory3D);
    EXPECT_EQ(kDisplayAspectCorrectionDefault, app.mWidescreenCorrection);
    EXPECT_EQ(kDisplayStretchDefault, app.mStretchDisplay);
    EXPECT_EQ(kD3DRunSelfTest, app.mTest3D);
    EXPECT_EQ(kD3DSelfTestMayEnable3D, app.mAutoEnable3D);
    EXPECT_FALSE(app.mVSyncSuppressed);
}

TEST(IntegrationDisplayOptions, DisplayReadsEveryOptionFromItsApplication)
{
    AppTest::TestApp app;
    app.mWidth = 800;
    app.mHeight = 600;
    app.mColorDepth = 16;
    app.mWidescreenAspect.Set(16, 9);
    app.mWidescreenCorrection = true;
    app.mStretchDisplay = true;
    app.mFlipFullscreen = false;
    app.mPopupOpen = true;
    app.mWaitForVSync = true;
    app.mVSyncSuppressed = true;
    app.mTest3D = false;
    app.mAutoEnable3D = true;
    app.mMinVidMemory3D = 3;
    app.mRecVidMemory3D = 5;

    DDInterface display(&app);
    display.ReadOptions();
    const DisplayOptions& o = display.mOptions;
    EXPECT_EQ(800, o.width);
    EXPECT_EQ(600, o.height);
    EXPECT_EQ(16, o.bitsPerPixel);
    EXPECT_EQ(16, o.widescreenAspect.mNumerator);
    EXPECT_EQ(9, o.widescreenAspect.mDenominator);
    EXPECT_TRUE(o.aspectCorrection);
    EXPECT_TRUE(o.stretch);
    EXPECT_FALSE(o.flip);
    EXPECT_TRUE(o.popupOpen);
    EXPECT_TRUE(o.windowedVSync);
    EXPECT_TRUE(o.vsyncSuppressed);
    EXPECT_FALSE(o.test3D);
    EXPECT_TRUE(o.autoEnable3D);
    EXPECT_EQ(3, o.minVidMemoryMB);
    EXPECT_EQ(5, o.recVidMemoryMB);

    // A popup closing is seen at the next read.
    app.mPopupOpen = false;
    display.ReadOptions();
    EXPECT_FALSE(display.mOptions.popupOpen);
}

TEST(IntegrationDisplayOptions, DisplayWithoutApplicationKeepsTheDefaultsButRunsNoSelfTest)
{
    AppTest::TestApp app; // the application's defaults, for comparison
    DDInterface display(nullptr);
    display.ReadOptions();
    const DisplayOptions& o = display.mOptions;
    EXPECT_EQ(app.mWidth, o.width);
    EXPECT_EQ(app.mHeight, o.height);
    EXPECT_EQ(app.mColorDepth, o.bitsPerPixel);
    EXPECT_EQ(app.mWidescreenAspect, o.widescreenAspect);
    EXPECT_EQ(app.mWidescreenCorrection, o.aspectCorrection);
    EXPECT_EQ(app.mStretchDisplay, o.stretch);
    EXPECT_EQ(kDisplayFlipDefault, o.flip);
    EXPECT_EQ(app.mMinVidMemory3D, o.minVidMemoryMB);
    EXPECT_EQ(app.mRecVidMemory3D, o.recVidMemoryMB);
    EXPECT_FALSE(o.test3D);
    EXPECT_FALSE(o.autoEnable3D);
    EXPECT_FALSE(display.Run3DSelfTest(nullptr));
    EXPECT_EQ(nullptr, display.mD3DTester);
}

TEST(IntegrationDisplayOptions, SelfTestRunsOnceForTheApplicationAndMayEnable3DWhenAllowed)
{
    LoadLibraryA("ddraw.dll");
    HWND hwnd = CreateWindowA("STATIC", "self-test", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hwnd);
    AppTest::TestApp app;
    app.mAutoEnable3D = true;
    {
        DDInterface display(&app);
        display.mIs3D = false;
        display.ReadOptions();
        EXPECT_TRUE(display.Run3DSelfTest(hwnd));
        ASSERT_NE(nullptr, display.mD3DTester);
        const bool clean =
            display.mD3DTester->mFailureReason.empty() && display.mD3DTester->mWarning.empty();
        EXPECT_EQ(clean, display.mIs3D)
            << display.mD3DTester->mFailureReason << " / " << display.mD3DTester->mWarning;
        EXPECT_FALSE(display.Run3DSelfTest(hwnd)); // once per display
    }
    DestroyWindow(hwnd);
}

TEST(IntegrationDisplayOptions, SelfTestRunsOnlyWhereItsOutcomeCounts)
{
    LoadLibraryA("ddraw.dll");
    HWND hwnd = CreateWindowA("STATIC", "self-test", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, hwnd);
    AppTest::TestApp app; // the defaults: test, but never turn 3D on
    {
        DDInterface display(&app); // the player's 2D: nothing for the test to veto
        display.mIs3D = false;
        display.ReadOptions();
        EXPECT_FALSE(display.Run3DSelfTest(hwnd));
        EXPECT_EQ(nullptr, display.mD3DTester);
        EXPECT_FALSE(display.mIs3D);
    }
    {
        DDInterface display(&app); // 3D wanted: tested first
        display.ReadOptions();
        EXPECT_TRUE(display.Run3DSelfTest(hwnd));
        EXPECT_NE(nullptr, display.mD3DTester);
    }
    app.mRecordingDemo = true; // the demo keeps the outcome, 2D or not
    {
        DDInterface display(&app);
        display.mIs3D = false;
        display.ReadOptions();
        EXPECT_TRUE(display.Run3DSelfTest(hwnd));
        EXPECT_NE(nullptr, display.mD3DTester);
        EXPECT_FALSE(display.mIs3D);
    }
    app.mRecordingDemo = false;
    DestroyWindow(hwnd);
}
