// Lines on memory images: the Bresenham walk, the pixel rules of the normal and
// additive line, and the antialiased line's box and edge behaviour.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"

using namespace Lumo;

namespace
{

MemoryImage* MakeImage(int w, int h, uint32_t value)
{
    MemoryImage* img = new MemoryImage(nullptr);
    std::vector<uint32_t> px((size_t)w * h, value);
    img->SetPixels(px.data(), w, h, true);
    return img;
}

std::vector<std::pair<int, int>> Changed(MemoryImage& img, uint32_t background)
{
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < img.mHeight; y++)
        for (int x = 0; x < img.mWidth; x++)
            if (img.GetPixels()[y * img.mWidth + x] != background)
                out.push_back({x, y});
    return out;
}

} // namespace

TEST(BlendLines, BresenhamPixelsAndOpaqueRule)
{
    std::unique_ptr<MemoryImage> img(MakeImage(8, 8, 0));
    img->DrawLine(0, 0, 3, 1, &gColorWhite, 0);
    const auto px = Changed(*img, 0);
    EXPECT_EQ(px, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    for (auto [x, y] : px)
        EXPECT_EQ(img->GetPixels()[y * 8 + x], 0xFFFEFEFEu);
    EXPECT_EQ(img->GetPixels()[64], MEMORY_IMAGE_GUARD);

    // Reversed end points walk the same pixels.
    std::unique_ptr<MemoryImage> rev(MakeImage(8, 8, 0));
    rev->DrawLine(3, 1, 0, 0, &gColorWhite, 0);
    EXPECT_EQ(Changed(*rev, 0), px);
}

TEST(BlendLines, HorizontalAndVerticalBecomeFills)
{
    std::unique_ptr<MemoryImage> img(MakeImage(12, 12, 0xFF000000));
    const Color c(10, 20, 30, 255);
    img->DrawLine(9.0, 5.0, 2.0, 5.0, &c, 0);
    img->DrawLine(1.7, 2.0, 1.7, 0.0, &c, 1);
    const auto px = Changed(*img, 0xFF000000);
    std::vector<std::pair<int, int>> expect;
    for (int y = 0; y <= 2; y++)
        expect.push_back({1, y});
    for (int x = 2; x <= 9; x++)
        expect.push_back({x, 5});
    std::sort(expect.begin(), expect.end(),
              [](auto a, auto b)
              { return a.second != b.second ? a.second < b.second : a.first < b.first; });
    EXPECT_EQ(px, expect);
    EXPECT_EQ(img->GetPixels()[5 * 12 + 2], 0xFF0A141Eu);
}

TEST(BlendLines, TranslucentAndAdditiveRules)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 50; round++)
    {
        const uint32_t bg = rng();
        const Color c(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, 1 + rng() % 254);
        std::unique_ptr<MemoryImage> img(MakeImage(6, 6, bg));
        img->DrawLine(0, 0, 5, 4, &c, round & 1);
        const uint32_t got = img->GetPixels()[0];
        uint32_t expect = 0xFF000000;
        const int comps[3] = {c.mBlue, c.mGreen, c.mRed};
        for (int i = 0; i < 3; i++)
        {
            const uint32_t d = (bg >> (8 * i)) & 0xFF, s = comps[i], a = c.mAlpha;
            uint32_t v;
            if (round & 1)
                v = std::min<uint32_t>(d + s * a / 255, 255);
            else
                v = ((d * (256 - a) + 127) >> 8) + ((((s * a + 128) >> 8) * 255 + 127) >> 8);
            expect |= v << (8 * i);
        }
        ASSERT_EQ(got, expect) << round;
    }
}

TEST(BlendLines, AntialiasedLineStaysInItsBox)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 300; round++)
    {
        std::unique_ptr<MemoryImage> img(MakeImage(24, 24, 0));
        auto coord = [&] { return (rng() % 2400) / 100.0; };
        const double x1 = coord(), y1 = coord(), x2 = coord(), y2 = coord();
        const Color c(255, 255, 255, rng() & 0xFF);
        img->DrawLineAA(x1, y1, x2, y2, &c, 0);
        const int minX = std::min((int)x1, (int)x2), maxX = std::max((int)x1, (int)x2);
        const int minY = std::min((int)y1, (int)y2), maxY = std::max((int)y1, (int)y2);
        for (auto [x, y] : Changed(*img, 0))
        {
            ASSERT_TRUE(x >= minX && x <= maxX && y >= minY && y <= maxY)
                << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ") drew " << x << "," << y;
        }
        ASSERT_EQ(img->GetPixels()[24 * 24], MEMORY_IMAGE_GUARD);
    }
}

TEST(BlendLines, AntialiasedLineFromOutsideDrawsOnlyItsVisiblePart)
{
    // The same line on a canvas 24 pixels larger on every side, where it lies
    // wholly inside, gives the reference for the visible part. Positions are
    // 1/64 steps, exact in both places; outside on the left and top they are
    // whole, since a fraction there would round the other way.
    std::mt19937 rng(91);
    for (int round = 0; round < 300; round++)
    {
        auto coord = [&]
        {
            const int whole = (int)(rng() % 72) - 24;
            return whole < 0 ? (double)whole : whole + (rng() % 64) / 64.0;
        };
        double x1 = coord(), y1 = coord(), x2 = coord(), y2 = coord();
        if (round % 2 == 0)
            x2 = 24 + (rng() % 24) + (rng() % 64) / 64.0; // past the right edge
        else
            y1 = -1.0 - (rng() % 24); // above the top
        std::unique_ptr<MemoryImage> img(MakeImage(24, 24, 0));
        std::unique_ptr<MemoryImage> canvas(MakeImage(72, 72, 0));
        img->DrawLineAA(x1, y1, x2, y2, &gColorWhite, 0);
        canvas->DrawLineAA(x1 + 24, y1 + 24, x2 + 24, y2 + 24, &gColorWhite, 0);
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 24; x++)
                ASSERT_EQ(img->GetPixels()[y * 24 + x], canvas->GetPixels()[(y + 24) * 72 + x + 24])
                    << "(" << x1 << "," << y1 << ")-(" << x2 << "," << y2 << ") at " << x << ","
                    << y;
        ASSERT_EQ(img->GetPixels()[24 * 24], MEMORY_IMAGE_GUARD);
    }
}

TEST(BlendLines, AntialiasedLineNeverWrapsIntoNextRow)
{
    // A steep line along the right edge: its neighbour pixels would fall on
    // column 0 of the next row in a flat walk.
    std::unique_ptr<MemoryImage> img(MakeImage(10, 10, 0));
    img->DrawLineAA(9.5, 0.5, 8.2, 9.9, &gColorWhite, 0);
    img->DrawLineAA(8.9, 0.5, 9.9, 9.9, &gColorWhite, 0);
    for (int y = 0; y < 10; y++)
        EXPECT_EQ(img->GetPixels()[y * 10], 0u) << y;
}

TEST(BlendLines, AntialiasedLineWithZeroWeightsOrAlphaLeavesPixels)
{
    // Alpha 0 on transparent pixels: every weight is 0, and nothing may change
    // (the blend would divide by zero).
    std::unique_ptr<MemoryImage> img(MakeImage(16, 16, 0));
    const Color clear(255, 255, 255, 0);
    img->DrawLineAA(0.5, 0.5, 13.2, 7.7, &clear, 0);
    img->DrawLineAA(2.0, 1.0, 3.0, 14.0, &clear, 0);
    EXPECT_TRUE(Changed(*img, 0).empty());

    // A whole-number diagonal has zero-weight neighbours on transparent
    // pixels: only the diagonal itself changes.
    img->DrawLineAA(0.0, 0.0, 8.0, 8.0, &gColorWhite, 0);
    std::vector<std::pair<int, int>> diagonal;
    for (int i = 0; i <= 8; i++)
        diagonal.push_back({i, i});
    EXPECT_EQ(Changed(*img, 0), diagonal);
}

TEST(BlendLines, AdditiveAntialiasedLineOnlyFillsStraightLines)
{
    std::unique_ptr<MemoryImage> img(MakeImage(8, 8, 0xFF101010));
    const int changes = img->mChangeCount;
    img->DrawLineAA(0.5, 0.5, 6.5, 3.5, &gColorWhite, 1);
    EXPECT_TRUE(Changed(*img, 0xFF101010).empty());
    EXPECT_EQ(img->mChangeCount, changes + 1);
    img->DrawLineAA(0.0, 2.0, 5.0, 2.0, &gColorWhite, 1);
    EXPECT_EQ(Changed(*img, 0xFF101010).size(), 6u);
}
