// Images at the edges of the display: images made without an application that
// the renderer still holds textures of, and surface images whose picture
// cannot be read back drawn into memory images.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/app/Matrix3.h"
#include "framework/graphics/D3DInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/D3DImageTextures.h"
#include "framework/raster/DrawTriangle.h"
#include "tests/framework/graphics/DDTestSupport.h"

using namespace Lumo;

TEST(IntegrationImageSafety, ImageWithoutApplicationLeavesTheRendererWhenDestroyed)
{
    HWND hwnd = DDTest::MakeWindow(64, 48, false);
    auto display = DDTest::MakeDisplay(64, 48);
    display->mIs3D = true;
    int result = display->Init(hwnd, true);
    if (result != RESULT_OK || !display->mD3D || !display->mD3D->mDevice)
    {
        std::string why = display->mErrorString;
        display.reset();
        DestroyWindow(hwnd);
        GTEST_SKIP() << "no Direct3D device here: " << why;
    }
    D3DInterface* d3d = display->mD3D;

    MemoryImage* image = new MemoryImage(nullptr);
    std::vector<uint32_t> pixels(8 * 8, 0xFF00FF00);
    image->SetPixels(pixels.data(), 8, 8, true);
    ASSERT_TRUE(d3d->CreateImageTexture(image));
    ASSERT_NE(nullptr, image->mTexture);
    EXPECT_EQ(d3d, image->mTexture->owner);
    EXPECT_EQ(1u, d3d->mTextureSet.count(image));

    // Dropping the extra buffers drops the texture too, with no application asked.
    image->DeleteExtraBuffers();
    EXPECT_EQ(nullptr, image->mTexture);
    EXPECT_TRUE(d3d->mTextureSet.empty());

    ASSERT_TRUE(d3d->CreateImageTexture(image));
    delete image;
    EXPECT_TRUE(d3d->mTextureSet.empty());

    // The renderer's clean-up walks its set: nothing dangling is left to touch.
    display->Cleanup();
    display.reset();
    DestroyWindow(hwnd);
}

// A 2D display with one surface image whose picture lives only on its surface.
class UnreadableSource : public ::testing::Test
{
protected:
    HWND mWindow = nullptr;
    std::unique_ptr<DDInterface> mDisplay;
    std::unique_ptr<DDImage> mSource;
    std::unique_ptr<MemoryImage> mDest;

    void SetUp() override
    {
        mWindow = DDTest::MakeWindow(64, 48, false);
        mDisplay = DDTest::MakeDisplay(64, 48);
        ASSERT_EQ(RESULT_OK, mDisplay->Init(mWindow, true)) << mDisplay->mErrorString;
        mSource.reset(new DDImage(mDisplay.get()));
        std::vector<uint32_t> black(4 * 4, 0xFF000000);
        mSource->SetPixels(black.data(), 4, 4, true);
        Rect all(0, 0, 4, 4);
        Color red(255, 0, 0, 255);
        mSource->FillRect(&all, &red, 0); // moves the picture onto the surface
        ASSERT_NE(nullptr, mSource->mSurface);
        ASSERT_EQ(nullptr, mSource->mPixels);
        mSource->mNoLock = true; // and now it cannot be read back
        ASSERT_EQ(nullptr, mSource->GetPixels());

        mDest.reset(new MemoryImage(nullptr));
        std::vector<uint32_t> grey(8 * 8, 0xFF808080);
        mDest->SetPixels(grey.data(), 8, 8, true);
    }
    void TearDown() override
    {
        mSource.reset();
        mDisplay.reset();
        DestroyWindow(mWindow);
    }
    void ExpectDestUntouched()
    {
        const uint32_t* p = mDest->GetPixels();
        ASSERT_NE(nullptr, p);
        for (int i = 0; i < 8 * 8; i++)
            ASSERT_EQ(0xFF808080u, p[i]) << "pixel " << i;
    }
};

TEST_F(UnreadableSource, MemoryTransformsDrawNothing)
{
    Rect src(0, 0, 4, 4);
    Rect clip(0, 0, 8, 8);
    Rect dest(0, 0, 8, 8);
    mDest->DrawImageRotated(mSource.get(), 2.0f, 2.0f, &src, &clip, &gColorWhite, 0, 0.5, 2.0f,
                            2.0f);
    mDest->DrawImageStretched(mSource.get(), &dest, &src, &clip, &gColorWhite, 0, true);
    mDest->DrawImageStretched(mSource.get(), &dest, &src, &clip, &gColorWhite, 0, false);
    Matrix3 m;
    mDest->DrawImageMatrix(mSource.get(), 1.0f, 1.0f, m, &clip, &gColorWhite, 0, &src, true,
                           nullptr, nullptr, nullptr, nullptr);
    TriangleVertex tri[3] = {{0, 0, 0, 0, 0}, {8, 0, 1, 0, 0}, {0, 8, 0, 1, 0}};
    mDest->DrawTrianglesTex(mSource.get(), tri, 1, &clip, &gColorWhite, 0, 0.0f, 0.0f, false);
    ExpectDestUntouched();
}

TEST_F(UnreadableSource, DrawingContextOnAMemoryImageDrawsNothing)
{
    Graphics g(mDest.get());
    g.DrawImage(mSource.get(), 1, 1);
    g.DrawImage(mSource.get(), 1, 1, Rect(0, 0, 2, 2));
    g.DrawImageStretched(mSource.get(), 0, 0, 8, 8);
    g.DrawImageStretchedMirrored(mSource.get(), Rect(0, 0, 8, 8), Rect(0, 0, 4, 4), true);
    g.DrawImageBox(Rect(0, 0, 8, 8), mSource.get());
    ExpectDestUntouched();
}

TEST_F(UnreadableSource, CopyAndDerivedDataCountItSeeThrough)
{
    MemoryImage copy(*mSource);
    ASSERT_EQ(4, copy.mWidth);
    ASSERT_NE(nullptr, copy.GetPixels());
    EXPECT_EQ(0u, copy.GetPixels()[0]);
    const uint32_t* native = mSource->GetNativeAlphaData(mDisplay.get());
    ASSERT_NE(nullptr, native);
    EXPECT_EQ(0u, native[0]);
}
