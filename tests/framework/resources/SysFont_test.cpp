#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/SysFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace Lumo;

TEST(SysFont, PointSizeBecomesNegativePixelHeight)
{
    EXPECT_EQ(SysFont::PointSizeToHeight(12, 96), -16);
    EXPECT_EQ(SysFont::PointSizeToHeight(8, 96), -11); // 10.67 rounds to 11
    EXPECT_EQ(SysFont::PointSizeToHeight(12, 120), -20);
    EXPECT_EQ(SysFont::PointSizeToHeight(10, 72), -10);
}

TEST(SysFont, MetricsGrowWithPointSize)
{
    // Wine substitutes its own faces for missing ones; any face will do here.
    SysFont small(nullptr, "Tahoma", 8, 0, false, false, false);
    SysFont large(nullptr, "Tahoma", 24, 0, false, false, false);
    ASSERT_TRUE(small.IsValid());
    ASSERT_TRUE(large.IsValid());
    EXPECT_GT(small.GetHeight(), 0);
    EXPECT_GT(large.GetHeight(), small.GetHeight());
    EXPECT_GT(large.GetAscent(), small.GetAscent());
    EXPECT_GE(large.GetLineSpacing(), large.GetHeight());
    EXPECT_LE(small.GetAscent(), small.GetHeight());
    EXPECT_GE(small.GetAscentPadding(), 0);
    int ws = small.StringWidth(L"Hello, world");
    int wl = large.StringWidth(L"Hello, world");
    EXPECT_GT(ws, 0);
    EXPECT_GT(wl, ws * 2);
    EXPECT_EQ(small.StringWidth(L""), 0);

    SysFont bold(nullptr, "Tahoma", 24, 0, true, false, false);
    EXPECT_GE(bold.StringWidth(L"Hello, world"), wl);

    std::unique_ptr<Font> copy(large.Duplicate());
    EXPECT_EQ(copy->GetHeight(), large.GetHeight());
    EXPECT_EQ(copy->GetAscent(), large.GetAscent());
    EXPECT_EQ(copy->StringWidth(L"Hello, world"), wl);
}

TEST(SysFont, DrawsInsideItsMeasuredBoxWithTheColour)
{
    MemoryImage image(nullptr);
    image.Create(200, 60);
    Graphics g(&image);
    SysFont font(nullptr, "Tahoma", 16, 0, false, false, false);
    ASSERT_TRUE(font.IsValid());
    g.SetFont(&font);
    g.SetColor(Color(255, 0, 0, 255));
    g.Translate(5, 0);
    const int x = 20, baseline = 40;
    g.DrawString(L"HHH", x, baseline);

    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    uint32_t* px = image.GetPixels();
    for (int y = 0; y < 60; y++)
        for (int i = 0; i < 200; i++)
        {
            uint32_t p = px[y * 200 + i];
            if ((p >> 24) == 0)
                continue;
            // Red only (edges blend with the transparent black underneath).
            EXPECT_EQ(p & 0x0000FFFF, 0u) << "at " << i << "," << y;
            EXPECT_GT((p >> 16) & 0xFF, 0u) << "at " << i << "," << y;
            minX = std::min(minX, i);
            maxX = std::max(maxX, i);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    ASSERT_GE(maxX, 0) << "nothing drawn";
    // "H" sits on the baseline and reaches up into the ascent.
    EXPECT_GE(minX, x + 5 - 1);
    EXPECT_LE(maxX, x + 5 + font.StringWidth(L"HHH"));
    EXPECT_GE(minY, baseline - font.GetAscent());
    EXPECT_LE(maxY, baseline);
    EXPECT_GE(maxY, baseline - 2);
}
