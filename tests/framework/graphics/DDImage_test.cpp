#include "framework/graphics/DDImage.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/graphics/DDInterface.h"
#include "tests/framework/graphics/DDTestSupport.h"

using namespace Lumo;

namespace
{

// A 2D display in a small window; images made on it are destroyed first.
class DDImageTest : public ::testing::Test
{
protected:
    HWND mWindow = nullptr;
    std::unique_ptr<DDInterface> mDisplay;

    void SetUp() override
    {
        mWindow = DDTest::MakeWindow(64, 48, false);
        mDisplay = DDTest::MakeDisplay(64, 48);
        ASSERT_EQ(RESULT_OK, mDisplay->Init(mWindow, true)) << mDisplay->mErrorString;
    }
    void TearDown() override
    {
        mDisplay.reset();
        DestroyWindow(mWindow);
    }
    std::unique_ptr<DDImage> Make(int w, int h, std::vector<uint32_t> pixels)
    {
        std::unique_ptr<DDImage> image(new DDImage(mDisplay.get()));
        image->SetPixels(pixels.data(), w, h, true);
        return image;
    }
    uint32_t SurfaceValue(DDImage* image, int x, int y)
    {
        EXPECT_TRUE(image->Lock());
        const DDSURFACEDESC& d = image->mLockedSurfaceDesc;
        const uint8_t* row = (const uint8_t*)d.lpSurface + y * d.lPitch;
        uint32_t v = d.ddpfPixelFormat.dwRGBBitCount == 16 ? ((const uint16_t*)row)[x]
                                                           : ((const uint32_t*)row)[x];
        image->Unlock();
        return v;
    }
};

TEST_F(DDImageTest, TranslucentImageNeverGetsASurface)
{
    auto image = Make(2, 1, {0xFF102030, 0x80FFFFFF});
    image->CreateSurface();
    EXPECT_EQ(nullptr, image->mSurface);
    EXPECT_FALSE(image->Lock());
    Rect r(0, 0, 1, 1);
    Color green(0, 255, 0, 255);
    image->FillRect(&r, &green, 0);
    EXPECT_EQ(nullptr, image->mSurface);
    ASSERT_NE(nullptr, image->mPixels);
    EXPECT_EQ(0xFF00FF00u, image->mPixels[0]);
}

TEST_F(DDImageTest, CollidingColourKeyIsReplacedByAFreeValue)
{
    // The first transparent pixel has the RGB of an opaque one.
    auto image = Make(3, 1, {0x00112233, 0xFF112233, 0xFF445566});
    ASSERT_NE(nullptr, image->GetSurface());
    DDCOLORKEY key;
    ASSERT_EQ(DD_OK, image->mSurface->GetColorKey(DDCKEY_SRCBLT, &key));
    uint32_t opaque = SurfaceValue(image.get(), 1, 0);
    EXPECT_NE(opaque, key.dwColorSpaceLowValue);
    EXPECT_NE(SurfaceValue(image.get(), 2, 0), key.dwColorSpaceLowValue);
    EXPECT_EQ(key.dwColorSpaceLowValue, SurfaceValue(image.get(), 0, 0));

    // Drawn with the key, both opaque pixels show and the transparent one not.
    auto dest = Make(3, 1, {0xFF000000, 0xFF000000, 0xFF000000});
    ASSERT_NE(nullptr, dest->GetSurface());
    Rect all(0, 0, 3, 1);
    dest->DrawImage(image.get(), 0, 0, &all, &gColorWhite, 0);
    uint32_t* pixels = dest->GetPixels();
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(0xFF000000u, pixels[0]);
    EXPECT_EQ(0xFF112233u, pixels[1]);
    EXPECT_EQ(0xFF445566u, pixels[2]);
}

TEST_F(DDImageTest, UncollidingKeyIsTheFirstTransparentPixel)
{
    auto image = Make(2, 1, {0x00ABCDEF, 0xFF010203});
    ASSERT_NE(nullptr, image->GetSurface());
    DDCOLORKEY key;
    ASSERT_EQ(DD_OK, image->mSurface->GetColorKey(DDCKEY_SRCBLT, &key));
    if (mDisplay->mBitsPerPixel == 32)
    {
        EXPECT_EQ(0xABCDEFu, key.dwColorSpaceLowValue);
    }
}

TEST_F(DDImageTest, LocksAreCounted)
{
    auto image = Make(2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    ASSERT_TRUE(image->Lock());
    ASSERT_TRUE(image->Lock());
    EXPECT_EQ(2, image->mLockCount);
    EXPECT_TRUE(image->Unlock());
    EXPECT_EQ(1, image->mLockCount);
    // Still locked: a second lock of the surface itself is refused.
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(desc);
    EXPECT_NE(DD_OK, image->mSurface->Lock(nullptr, &desc, 0, nullptr));
    EXPECT_TRUE(image->Unlock());
    EXPECT_EQ(0, image->mLockCount);
    EXPECT_EQ(DD_OK, image->mSurface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    image->mSurface->Unlock(nullptr);
    EXPECT_FALSE(image->Unlock());
    EXPECT_EQ(0, image->mLockCount);
}

TEST_F(DDImageTest, SurfaceOnlyImageReadsBackOpaquePixelsWithTheGuardWord)
{
    auto image = Make(2, 2, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    Rect r(0, 0, 2, 1);
    Color c(0x40, 0x80, 0xC0, 255);
    image->FillRect(&r, &c, 0);
    ASSERT_NE(nullptr, image->mSurface);
    EXPECT_EQ(nullptr, image->mPixels); // the surface holds the truth
    uint32_t* pixels = image->GetPixels();
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(0xFFu, pixels[0] >> 24);
    EXPECT_EQ(0xFF000000u, pixels[2]);
    EXPECT_EQ(MEMORY_IMAGE_GUARD, pixels[4]);
    EXPECT_EQ(pixels, image->GetPixels());
    EXPECT_NE(nullptr, image->mSurface); // both copies now
}

TEST_F(DDImageTest, HorizontalLineOnSurfaceFitImageBecomesAFill)
{
    std::vector<uint32_t> black(16 * 8, 0xFF000000);
    auto image = Make(16, 8, black);
    Color white(255, 255, 255, 255);
    image->DrawLine(3.2, 5.7, 9.9, 5.7, &white, 0);
    ASSERT_NE(nullptr, image->mSurface);
    uint32_t* pixels = image->GetPixels();
    ASSERT_NE(nullptr, pixels);
    for (int x = 0; x < 16; ++x)
    {
        bool in = x >= 3 && x <= 9;
        EXPECT_EQ(in, (pixels[5 * 16 + x] & 0xFFFFFF) != 0) << x;
    }
    EXPECT_EQ(0u, pixels[4 * 16 + 5] & 0xFFFFFF);
}

TEST_F(DDImageTest, DrawRuleSendsAlphaImagesToMemory)
{
    auto transparent = Make(2, 1, {0x00000000, 0xFF000000});
    Rect r(0, 0, 2, 1);
    Color red(255, 0, 0, 255);
    transparent->FillRect(&r, &red, 0);
    EXPECT_EQ(nullptr, transparent->mSurface);
    ASSERT_NE(nullptr, transparent->mPixels);
    EXPECT_EQ(0xFFFF0000u, transparent->mPixels[0]);

    auto opaque = Make(2, 1, {0xFF000000, 0xFF000000});
    opaque->FillRect(&r, &red, 0);
    EXPECT_NE(nullptr, opaque->mSurface);
    EXPECT_EQ(nullptr, opaque->mPixels);
}

TEST_F(DDImageTest, SurfaceDrawThatCannotLockFallsBackToMemory)
{
    // Flags stale and wrong: the line goes for the surface, whose build then
    // refuses the translucent picture.
    auto image = Make(8, 8, std::vector<uint32_t>(64, 0xFF000000));
    std::vector<uint32_t> translucent(64, 0x80000000);
    image->SetPixels(translucent.data(), 8, 8, false);
    image->mHasTranslucent = false;
    image->mHasTransparent = false;
    Color white(255, 255, 255, 255);
    image->DrawLine(0, 0, 7, 3, &white, 0);
    EXPECT_EQ(nullptr, image->mSurface);
    ASSERT_NE(nullptr, image->mPixels);
    EXPECT_NE(0x80000000u, image->mPixels[0]);
}

TEST_F(DDImageTest, UnreadableSurfaceSourceDrawsNothingInMemory)
{
    auto src = Make(2, 2, std::vector<uint32_t>(4, 0xFF000000));
    Rect r(0, 0, 2, 2);
    Color red(255, 0, 0, 255);
    src->FillRect(&r, &red, 0);
    ASSERT_NE(nullptr, src->mSurface);
    ASSERT_EQ(nullptr, src->mPixels);
    src->mNoLock = true; // the surface can no longer be read back
    auto dest = Make(2, 2, std::vector<uint32_t>(4, 0x80000000));
    dest->DrawImage(src.get(), 0, 0, &r, &gColorWhite, 0);
    dest->DrawImageF(src.get(), 0.5f, 0.0f, &r, &r, &gColorWhite, 0);
    Rect big(0, 0, 2, 2);
    dest->DrawImageStretched(src.get(), &big, &r, &r, &gColorWhite, 0, false);
    ASSERT_NE(nullptr, dest->GetPixels());
    EXPECT_EQ(0x80000000u, dest->GetPixels()[0]);
}

class FailingLockImage : public DDImage
{
public:
    using DDImage::DDImage;
    bool Lock() override { return false; }
};

TEST_F(DDImageTest, SurfaceWhoseFirstLockFailsIsReleased)
{
    FailingLockImage image(mDisplay.get());
    std::vector<uint32_t> pixels(4, 0xFF102030);
    image.SetPixels(pixels.data(), 2, 2, true);
    EXPECT_FALSE(image.BuildSurface());
    EXPECT_EQ(nullptr, image.mSurface);
    ASSERT_NE(nullptr, image.mPixels);
    EXPECT_EQ(0xFF102030u, image.GetPixels()[3]);
}

TEST_F(DDImageTest, SurfaceDrawMakesTexturesStale)
{
    auto image = Make(2, 2, std::vector<uint32_t>(4, 0xFF000000));
    int before = image->mChangeCount;
    Rect r(0, 0, 1, 1);
    Color blue(0, 0, 255, 255);
    image->FillRect(&r, &blue, 0);
    ASSERT_NE(nullptr, image->mSurface);
    EXPECT_GT(image->mChangeCount, before);
}

TEST_F(DDImageTest, PixelsChangedDropsABuiltSurface)
{
    auto image = Make(2, 2, std::vector<uint32_t>(4, 0xFF000000));
    ASSERT_NE(nullptr, image->GetSurface());
    image->GetPixels()[0] = 0xFFFFFFFF;
    image->PixelsChanged();
    EXPECT_EQ(nullptr, image->mSurface);
    EXPECT_EQ(0xFFFFFFFFu, image->GetPixels()[0]);
}

TEST_F(DDImageTest, SurfaceBlendAndMirrorMatchTheSoftwareRules)
{
    std::vector<uint32_t> black(8 * 2, 0xFF000000);
    auto dest = Make(8, 2, black);
    auto src = Make(3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
    Rect all(0, 0, 3, 1);
    dest->DrawImageMirrored(src.get(), 2, 0, &all, &gColorWhite, 0);
    ASSERT_NE(nullptr, dest->mSurface);
    uint32_t* pixels = dest->GetPixels();
    ASSERT_NE(nullptr, pixels);
    EXPECT_EQ(0xFF0000FFu, pixels[2]);
    EXPECT_EQ(0xFF00FF00u, pixels[3]);
    EXPECT_EQ(0xFFFF0000u, pixels[4]);
    EXPECT_EQ(0xFF000000u, pixels[5]);
}

TEST(DDImageNoDisplay, ImageOutlivingItsDisplayIsDetached)
{
    auto display = DDTest::MakeDisplay();
    DDImage* image = new DDImage(display.get());
    EXPECT_EQ(1u, display->mDDImageSet.count(image));
    display.reset();
    EXPECT_EQ(nullptr, image->mDDInterface);
    delete image; // must not reach the deleted display
}

TEST(DDImageNoDisplay, DrawsThrough3DOnlyOnTheRenderersScreen)
{
    DDImage image(nullptr);
    EXPECT_FALSE(image.DrawsThrough3D());
    EXPECT_FALSE(ImageDrawsThrough3D(&image));
    EXPECT_FALSE(ImageDrawsThrough3D(nullptr));
}

} // namespace
