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
#include "framework/graphics/MaskedMatrixDraw.h"
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

// The rotated blit written out plainly, channel by channel, from the rules:
// 16.16 walk, per-row span narrowing, four alpha-weighted taps.
void RefRotated(std::vector<uint32_t>& dst, int dw, int dh, const std::vector<uint32_t>& src,
                int sw, const Rect& r, const Rect& clip, const Color& col, int mode, double angle,
                float x, float y, float cx, float cy)
{
    FRect b;
    if (!GetRotatedBounds(x, y, r, clip, angle, cx, cy, b))
        return;
    const bool white = col == gColorWhite;
    const double c = std::cos(angle), s = std::sin(angle);
    const int C = (int)(c * 65536), S = (int)(s * 65536), RW = r.mWidth, RH = r.mHeight;
    const int X0 = (int)b.mX;
    for (int row = 0; row < b.mHeight; row++)
    {
        const int Y = (int)b.mY + row;
        const double dy = Y - cy - y, dx0 = X0 - cx - x;
        int u = (int)((dx0 * c - s * dy + cx) * 65536), v = (int)((dy * c + dx0 * s + cy) * 65536);
        int k0 = 0, k1 = (int)(b.mWidth - 1);
        if (C < 0)
        {
            if ((u >> 16) < 0)
                continue;
            k0 = std::max(((RW << 16) - u - 0x27FFF) / C, 0);
            k1 = std::min(k1, (32767 - u) / C);
        }
        else if (C == 0)
        {
            if (u < 0 || u >= (RW << 16) - 0x10000)
                continue;
        }
        else
        {
            if ((u >> 16) >= RW - 1)
                continue;
            k0 = std::max((0x10000 - u) / C, 0);
            k1 = std::min(k1, ((RW << 16) - u - 0x17FFF) / C);
        }
        if (S < 0)
        {
            if ((v >> 16) < 0)
                continue;
            k0 = std::max(k0, ((RH << 16) - v - 0x27FFF) / S);
            k1 = std::min(k1, -(v / S));
        }
        else if (S == 0)
        {
            if (v < 0 || v >= (RH << 16) - 0x10000)
                continue;
        }
        else
        {
            if ((v >> 16) >= RH - 1)
                continue;
            k0 = std::max(k0, (0x10000 - v) / S);
            k1 = std::min(k1, ((RH << 16) - v - 0x17FFF) / S);
        }
        for (int k = k0; k <= k1; k++)
        {
            const int uu = u + k * C, vv = v + k * S;
            const int tx = r.mX + (uu >> 16), ty = r.mY + (vv >> 16);
            const uint32_t tap[4] = {src[ty * sw + tx], src[ty * sw + tx + 1],
                                     src[(ty + 1) * sw + tx], src[(ty + 1) * sw + tx + 1]};
            const uint32_t fu = (uu & 0xFFFE) + 1, fv = (vv & 0xFFFE) + 1;
            const uint32_t area[4] = {((0x10000 - fu) * (0x10000 - fv)) >> 16,
                                      (fu * (0x10000 - fv)) >> 16, ((0x10000 - fu) * fv) >> 16,
                                      (fu * fv) >> 16};
            uint32_t w[4], W = 0;
            for (int t = 0; t < 4; t++)
            {
                w[t] = (area[t] * (tap[t] >> 24)) >> 16;
                if (!white)
                    w[t] = (w[t] * col.mAlpha) >> 8;
                W += w[t];
            }
            if (W == 0)
                continue;
            uint32_t& d = dst[Y * dw + X0 + k];
            const int comp[3] = {col.mBlue, col.mGreen, col.mRed};
            uint32_t out = 0, A = 0;
            const uint32_t D = d >> 24, T = 256 - W;
            if (mode == 0 && W < 251)
                A = 256 - ((T * (256 - D)) >> 8);
            for (int ch = 0; ch < 3; ch++)
            {
                uint32_t sum = 0;
                for (int t = 0; t < 4; t++)
                    sum += ((tap[t] >> (8 * ch)) & 0xFF) * w[t];
                const uint32_t dc = (d >> (8 * ch)) & 0xFF;
                uint32_t value;
                if (mode == 0)
                {
                    const uint32_t sv = white ? sum >> 8 : (sum * (comp[ch] + 1)) >> 16;
                    value = W >= 251 ? sv : ((((dc * D) >> 8) * T + 256 * sv) / A) & 0xFF;
                }
                else
                {
                    const uint32_t k = comp[ch] * col.mAlpha / 255;
                    const uint32_t add =
                        white ? sum >> 8 : (ch == 2 ? ((sum >> 8) * k) >> 8 : (sum * k) >> 16);
                    value = std::min<uint32_t>(dc + add, 255);
                }
                out |= value << (8 * ch);
            }
            const uint32_t alpha = mode != 0 ? D : (W >= 251 ? 255 : A - 1);
            d = out | (alpha << 24);
        }
    }
}

} // namespace

TEST(BlendTransform, RotatedBlitMatchesPlainReference)
{
    std::mt19937 rng(606);
    for (int round = 0; round < 150; round++)
    {
        const int sw = 2 + rng() % 24, sh = 2 + rng() % 24;
        std::vector<uint32_t> px((size_t)sw * sh);
        for (auto& p : px)
        {
            const uint32_t pick = rng() % 3;
            p = (rng() & 0xFFFFFF) | ((pick == 0 ? 0u : pick == 1 ? 255u : rng() & 0xFF) << 24);
        }
        MemoryImage src(nullptr);
        src.SetPixels(px.data(), sw, sh, true);
        std::vector<uint32_t> dp(40 * 40);
        for (auto& p : dp)
            p = rng();
        auto dst = MakeImage(40, 40, 0);
        dst->SetPixels(dp.data(), 40, 40, true);
        const int rx = rng() % (sw - 1), ry = rng() % (sh - 1);
        const Rect sr(rx, ry, 2 + rng() % (sw - rx - 1), 2 + rng() % (sh - ry - 1));
        const int clipX = rng() % 10, clipY = rng() % 10;
        const Rect clip(clipX, clipY, 1 + rng() % (40 - clipX), 1 + rng() % (40 - clipY));
        const Color tints[] = {gColorWhite,
                               Color(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF)};
        const Color& c = tints[round & 1];
        const int mode = (round >> 1) & 1;
        const double angle = (rng() % 700) / 100.0 - 0.3;
        const float x = (rng() % 300) / 10.0f, y = (rng() % 300) / 10.0f;
        const float cx = (rng() % 100) / 10.0f, cy = (rng() % 100) / 10.0f;
        dst->DrawImageRotated(&src, x, y, &sr, &clip, &c, mode, angle, cx, cy);
        RefRotated(dp, 40, 40, px, sw, sr, clip, c, mode, angle, x, y, cx, cy);
        for (int i = 0; i < 1600; i++)
            ASSERT_EQ(dst->GetPixels()[i], dp[i]) << "round " << round << " pixel " << i;
    }
}

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
    ASSERT_TRUE(GetRotatedBounds(0, 0, Rect(0, 0, 10, 10), Rect(0, 0, 100, 100),
                                 3.14159265358979 / 2, 5, 5, b));
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
    ASSERT_TRUE(
        GetStretchClip(Rect(0, 0, 10, 20), Rect(0, 0, 100, 100), Rect(-20, 0, 40, 40), fs, cd));
    EXPECT_EQ(cd, Rect(0, 0, 20, 40));
    EXPECT_DOUBLE_EQ(fs.mX, 5.0);
    EXPECT_DOUBLE_EQ(fs.mWidth, 5.0);
    EXPECT_DOUBLE_EQ(fs.mHeight, 20.0);
    ASSERT_TRUE(GetMirroredStretchClip(Rect(0, 0, 10, 20), Rect(0, 0, 100, 100),
                                       Rect(-20, 0, 40, 40), fs, cd));
    EXPECT_DOUBLE_EQ(fs.mX, 0.0);
    EXPECT_FALSE(
        GetStretchClip(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), Rect(50, 50, 10, 10), fs, cd));
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
    EXPECT_EQ(At(*dst, 2, 1), 0xFF000000u); // alpha 0 leaves the pixel
    EXPECT_EQ(At(*dst, 0, 3), 0xFF7F0000u); // w = 128: (255 x 128) >> 8
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
        {
            ASSERT_TRUE(src.ConvertToPalette());
        }
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

TEST(BlendTransform, MaskedLayerReadsAMaskMovedByWholePixelsTexelForTexel)
{
    // An opaque picture scaled 3 times over a mask whose every texel differs.
    auto picture = MakeImage(8, 8, 0xFF123456);
    std::vector<uint32_t> texels(40 * 40);
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 40; x++)
            texels[y * 40 + x] =
                0xFF000000u | (uint32_t)x << 18 | (uint32_t)y << 10 | (x * y & 0xFF);
    MemoryImage mask(nullptr);
    mask.SetPixels(texels.data(), 40, 40, true);
    Matrix3 matrix;
    matrix.Scale(3.0f, 3.0f);
    const Rect whole8(0, 0, 8, 8), whole40(0, 0, 40, 40), clip(0, 0, 64, 64);
    struct
    {
        float shiftX;
        bool filter;
    } const cases[] = {{5.0f, true}, {5.0f, false}, {5.5f, true}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.shiftX << (c.filter ? " filtered" : " nearest"));
        Matrix3 maskMatrix;
        maskMatrix.Translate(c.shiftX, 7.0f);
        MemoryImage layer(nullptr);
        Rect area;
        ASSERT_TRUE(ComposeMaskedLayer(picture.get(), whole8, matrix, 10.0f, 10.0f, clip, &mask,
                                       whole40, 0.0f, 0.0f, maskMatrix, c.filter, layer, area));
        EXPECT_EQ(Rect(10, 10, 24, 24), area);
        for (int y = 14; y < 30; y += 5)
            for (int x = 14; x < 30; x += 3)
            {
                const uint32_t left = texels[(y - 7) * 40 + x - 6],
                               right = texels[(y - 7) * 40 + x - 5];
                // Half a texel over, each channel is the mean of the two it lies between.
                uint32_t wanted = right;
                if (c.shiftX != 5.0f)
                {
                    wanted = 0xFF000000u;
                    for (int shift = 0; shift < 24; shift += 8)
                        wanted |= (((left >> shift) & 0xFF) + ((right >> shift) & 0xFF)) / 2
                                  << shift;
                }
                EXPECT_EQ(wanted, At(layer, x - 10, y - 10)) << x << "," << y;
            }
    }
}
