// Rotated, stretched and matrix drawing on memory images: worked cases from the
// 16.16 and accumulator rules, the clipping helpers, and reads that must stay
// inside the source.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

std::unique_ptr<MemoryImage> MakeImage(int w, int h, uint32_t value)
{
    std::unique_ptr<MemoryImage> img(new MemoryImage(nullptr));
    std::vector<uint32_t> px((size_t)w * h, value);
    img->SetPixels(px.data(), w, h, true);
    return img;
}

uint32_t At(MemoryImage& img, int x, int y)
{
    return img.GetPixels()[y * img.mWidth + x];
}

}  // namespace

TEST(BlendTransform, RotatedBlitWorkedCases)
{
    // 3 x 3 uniform source at a whole position: the span narrowing keeps only
    // samples whose 2 x 2 block lies inside, so column 1 of rows 0 and 1 is
    // drawn, with W = 254 (opaque: replaced).
    auto src = MakeImage(3, 3, 0xFF406080);
    auto dst = MakeImage(4, 4, 0x00000000);
    const Rect sr(0, 0, 3, 3), clip(0, 0, 4, 4);
    dst->DrawImageRotated(src.get(), 0, 0, &sr, &clip, &gColorWhite, 0, 0.0, 0, 0);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(At(*dst, x, y), (x == 1 && y < 2) ? 0xFF3F5F7Fu : 0u) << x << "," << y;

    // Translucent: W = 127 over a half-transparent white pixel.
    auto red = MakeImage(3, 3, 0x80FF0000);
    auto dst2 = MakeImage(4, 4, 0x80FFFFFF);
    dst2->DrawImageRotated(red.get(), 0, 0, &sr, &clip, &gColorWhite, 0, 0.0, 0, 0);
    EXPECT_EQ(At(*dst2, 1, 0), 0xBFFD5555u);
    EXPECT_EQ(At(*dst2, 0, 0), 0x80FFFFFFu);

    // Additive keeps the destination alpha and saturates.
    auto dst3 = MakeImage(4, 4, 0xFF101010);
    dst3->DrawImageRotated(src.get(), 0, 0, &sr, &clip, &gColorWhite, 1, 0.0, 0, 0);
    EXPECT_EQ(At(*dst3, 1, 1), 0xFF4F6F8Fu);
    EXPECT_EQ(dst3->GetPixels()[16], MEMORY_IMAGE_GUARD);
}

TEST(BlendTransform, DrawImageFEqualsUnrotatedDraw)
{
    std::mt19937 rng(3);
    std::vector<uint32_t> px(12 * 9);
    for (auto& p : px)
        p = rng();
    MemoryImage src(nullptr);
    src.SetPixels(px.data(), 12, 9, true);
    auto a = MakeImage(40, 40, 0xFF202020), b = MakeImage(40, 40, 0xFF202020);
    const Rect sr(1, 1, 10, 7), clip(0, 0, 40, 40);
    const Color tint(200, 100, 50, 180);
    a->DrawImageF(&src, 10.5f, 20.25f, &sr, &clip, &tint, 0);
    b->DrawImageRotated(&src, 10.5f, 20.25f, &sr, &clip, &tint, 0, 0.0, 0, 0);
    for (int i = 0; i < 1600; i++)
        ASSERT_EQ(a->GetPixels()[i], b->GetPixels()[i]) << i;
}

TEST(BlendTransform, RotatedBoundsAndEmptyClip)
{
    FRect b;
    ASSERT_TRUE(GetRotatedBounds(0, 0, Rect(0, 0, 10, 10), Rect(0, 0, 100, 100), 3.14159265358979 / 2, 5, 5, b));
    EXPECT_NEAR(b.mX, 0, 1e-4);
    EXPECT_NEAR(b.mY, 0, 1e-4);
    EXPECT_NEAR(b.mWidth, 10, 1e-4);
    EXPECT_NEAR(b.mHeight, 10, 1e-4);

    auto src = MakeImage(10, 10, 0xFFFFFFFF);
    auto dst = MakeImage(20, 20, 0);
    const int changes = dst->mChangeCount;
    const Rect sr(0, 0, 10, 10), clip(0, 0, 5, 5);
    dst->DrawImageRotated(src.get(), 50, 50, &sr, &clip, &gColorWhite, 0, 0.3, 5, 5);
    EXPECT_EQ(dst->mChangeCount, changes);
    EXPECT_TRUE(src->mUsed);
}

TEST(BlendTransform, StretchClipTakesTheVisiblePart)
{
    FRect fs;
    Rect cd;
    ASSERT_TRUE(GetStretchClip(Rect(0, 0, 10, 20), Rect(0, 0, 100, 100), Rect(-20, 0, 40, 40),
                               fs, cd));
    EXPECT_EQ(cd, Rect(0, 0, 20, 40));
    EXPECT_DOUBLE_EQ(fs.mX, 5.0);
    EXPECT_DOUBLE_EQ(fs.mWidth, 5.0);
    EXPECT_DOUBLE_EQ(fs.mHeight, 20.0);
    ASSERT_TRUE(GetMirroredStretchClip(Rect(0, 0, 10, 20), Rect(0, 0, 100, 100),
                                       Rect(-20, 0, 40, 40), fs, cd));
    EXPECT_DOUBLE_EQ(fs.mX, 0.0);
    EXPECT_FALSE(GetStretchClip(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), Rect(50, 50, 10, 10),
                                fs, cd));
}

TEST(BlendTransform, FilteredStretchWorkedCase)
{
    // 2 x 1 black-white stretched to 4 x 1: columns weighted 257, 171/86,
    // 85/172 and 257; the magnify pass's columns past the row end stay inside.
    MemoryImage src(nullptr);
    const uint32_t px[2] = {0xFF000000, 0xFFFFFFFF};
    src.SetPixels(px, 2, 1, true);
    auto dst = MakeImage(4, 1, 0xFF000000);
    const Rect dest(0, 0, 4, 1), sr(0, 0, 2, 1), clip(0, 0, 4, 1);
    dst->DrawImageStretched(&src, &dest, &sr, &clip, &gColorWhite, 0, false);
    EXPECT_EQ(At(*dst, 0, 0), 0xFF000000u);
    EXPECT_EQ(At(*dst, 1, 0), 0xFF545454u);
    EXPECT_EQ(At(*dst, 2, 0), 0xFFAAAAAAu);
    EXPECT_EQ(At(*dst, 3, 0), 0xFFFEFEFEu);
    EXPECT_EQ(dst->GetPixels()[4], MEMORY_IMAGE_GUARD);
}

TEST(BlendTransform, FilteredStretchOfSubPixelAreaIsUniform)
{
    // 1 x 1 source stretched to 10 x 10 and clipped to 5 x 5: the float source
    // is half a pixel wide, which must not step backwards out of the source.
    MemoryImage src(nullptr);
    const uint32_t red = 0xFFFF0000;
    src.SetPixels(&red, 1, 1, true);
    auto dst = MakeImage(12, 12, 0xFF000000);
    const Rect dest(0, 0, 10, 10), sr(0, 0, 1, 1), clip(0, 0, 5, 5);
    dst->DrawImageStretched(&src, &dest, &sr, &clip, &gColorWhite, 0, false);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 12; x++)
            ASSERT_EQ(At(*dst, x, y), (x < 5 && y < 5) ? 0xFFFE0000u : 0xFF000000u)
                << x << "," << y;
}

TEST(BlendTransform, FastStretch)
{
    MemoryImage src(nullptr);
    const uint32_t px[4] = {0xFFFFFFFF, 0x00FFFFFF, 0x80FF0000, 0xFF0000FF};
    src.SetPixels(px, 2, 2, true);
    auto dst = MakeImage(4, 4, 0xFF000000);
    const Rect dest(0, 0, 4, 4), sr(0, 0, 2, 2), clip(0, 0, 4, 4);
    const Color grey(128, 128, 128, 255);
    dst->DrawImageStretched(&src, &dest, &sr, &clip, &grey, 0, true);
    for (int i = 0; i < 16; i++)
        ASSERT_EQ(dst->GetPixels()[i], 0xFF000000u);
    dst->DrawImageStretched(&src, &dest, &sr, &clip, &gColorWhite, 0, true);
    EXPECT_EQ(At(*dst, 1, 1), 0xFFFEFEFEu);
    EXPECT_EQ(At(*dst, 2, 1), 0xFF000000u);  // alpha 0 leaves the pixel
    EXPECT_EQ(At(*dst, 0, 3), 0xFF7F0000u);  // w = 128: (255 x 128) >> 8
    EXPECT_EQ(At(*dst, 3, 2), 0xFF0000FEu);
}

TEST(BlendTransform, RandomTransformsStayInsideBothImages)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 200; round++)
    {
        const int sw = 1 + rng() % 20, sh = 1 + rng() % 20;
        std::vector<uint32_t> px((size_t)sw * sh);
        for (auto& p : px)
            p = rng();
        MemoryImage src(nullptr);
        src.SetPixels(px.data(), sw, sh, true);
        if (round % 3 == 0 && sw * sh <= 256)
            ASSERT_TRUE(src.ConvertToPalette());
        auto dst = MakeImage(32, 32, rng());
        const int rx = rng() % sw, ry = rng() % sh;
        const Rect sr(rx, ry, 1 + rng() % (sw - rx), 1 + rng() % (sh - ry));
        const Rect clip(rng() % 40 - 4, rng() % 40 - 4, rng() % 40, rng() % 40);
        const Color c(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
        const float x = (rng() % 800) / 10.0f - 20, y = (rng() % 800) / 10.0f - 20;
        dst->DrawImageRotated(&src, x, y, &sr, &clip, &c, rng() & 1, (rng() % 628) / 100.0,
                              (rng() % 200) / 10.0f, (rng() % 200) / 10.0f);
        const Rect dest(rng() % 60 - 20, rng() % 60 - 20, 1 + rng() % 70, 1 + rng() % 70);
        dst->DrawImageStretched(&src, &dest, &sr, &clip, &gColorWhite, 0, rng() & 1);
        ASSERT_EQ(dst->GetPixels()[32 * 32], MEMORY_IMAGE_GUARD) << round;
    }
}

TEST(BlendTransform, MatrixDrawNeedsMemorySource)
{
    auto dst = MakeImage(8, 8, 0);
    Image plain;
    plain.mWidth = plain.mHeight = 4;
    const int changes = dst->mChangeCount;
    const Matrix3 identity;
    const Rect sr(0, 0, 4, 4), clip(0, 0, 8, 8);
    dst->DrawImageMatrix(&plain, 2, 2, identity, &clip, &gColorWhite, 0, &sr, false, nullptr,
                         nullptr, nullptr, nullptr);
    EXPECT_EQ(dst->mChangeCount, changes);
    EXPECT_TRUE(plain.mUsed);

    auto src = MakeImage(4, 4, 0xFFFF0000);
    dst->DrawImageMatrix(src.get(), 2, 2, identity, &clip, &gColorWhite, 0, &sr, false, nullptr,
                         nullptr, nullptr, nullptr);
    EXPECT_EQ(dst->mChangeCount, changes + 1);
    EXPECT_EQ(dst->GetPixels()[64], MEMORY_IMAGE_GUARD);
}
