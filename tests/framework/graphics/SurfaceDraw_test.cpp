#include "framework/graphics/SurfaceDraw.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace Lumo;

namespace
{

// A synthetic locked surface with its own screen format.
struct TestSurface
{
    std::vector<uint8_t> memory;
    SurfaceBits bits;
    ScreenFormatTables tables;

    TestSurface(int w, int h, int bpp, uint32_t r, uint32_t g, uint32_t b, int padding = 8)
    {
        bits.width = w;
        bits.height = h;
        bits.bitsPerPixel = bpp;
        bits.pitch = w * bpp / 8 + padding;
        memory.assign((size_t)bits.pitch * h, 0);
        bits.bits = memory.data();
        bits.redMask = r;
        bits.greenMask = g;
        bits.blueMask = b;
        tables.Build(r, g, b);
    }
    TestSurface(const TestSurface& o) : memory(o.memory), bits(o.bits), tables(o.tables)
    {
        bits.bits = memory.data();
    }
    SurfaceFormat Format() const { return tables.GetFormat(); }
    uint32_t At(int x, int y) const
    {
        const uint8_t* row = memory.data() + (size_t)y * bits.pitch;
        return bits.bitsPerPixel == 16 ? ((const uint16_t*)row)[x] : ((const uint32_t*)row)[x];
    }
    void Set(int x, int y, uint32_t v)
    {
        uint8_t* row = memory.data() + (size_t)y * bits.pitch;
        if (bits.bitsPerPixel == 16)
            ((uint16_t*)row)[x] = (uint16_t)v;
        else
            ((uint32_t*)row)[x] = v;
    }
    void Fill(uint32_t v)
    {
        for (int y = 0; y < bits.height; ++y)
            for (int x = 0; x < bits.width; ++x)
                Set(x, y, v);
    }
};

TestSurface Make565(int w = 8, int h = 8)
{
    return TestSurface(w, h, 16, 0xF800, 0x7E0, 0x1F);
}
TestSurface Make555(int w = 8, int h = 8)
{
    return TestSurface(w, h, 16, 0x7C00, 0x3E0, 0x1F);
}
TestSurface Make32(int w = 8, int h = 8)
{
    return TestSurface(w, h, 32, 0xFF0000, 0xFF00, 0xFF);
}
TestSurface MakeBGR32(int w = 8, int h = 8)
{
    return TestSurface(w, h, 32, 0xFF, 0xFF00, 0xFF0000);
}

// A source picture with derived data built the way the memory image builds it
// for an 8-8-8 screen: premultiplied native values and run-length classes.
struct TestSource
{
    std::vector<uint32_t> argb, native;
    std::vector<uint8_t> runAlpha, runAdditive;
    SurfaceSource src;

    TestSource(int w, int h, std::vector<uint32_t> pixels, bool is565 = false) : argb(pixels)
    {
        native.resize(argb.size());
        for (size_t i = 0; i < argb.size(); ++i)
        {
            uint32_t c = argb[i], a = c >> 24, k = a + 1;
            uint32_t r = ((c & 0xFF0000) * k) >> 8, g = ((c & 0xFF00) * k) >> 8,
                     b = ((c & 0xFF) * k) >> 8;
            uint32_t v;
            if (is565)
                v = (((r >> 19) << 11) & 0xF800) | (((g >> 10) << 5) & 0x7E0) | ((b >> 3) & 0x1F);
            else
                v = (r & 0xFF0000) | (g & 0xFF00) | (b & 0xFF);
            native[i] = v | (a << 24);
        }
        runAlpha = Runs(w, h,
                        [&](int i)
                        {
                            uint32_t a = argb[i] >> 24;
                            return a == 0 ? 0 : a == 255 ? 1 : 2;
                        });
        runAdditive = Runs(w, h, [&](int i) { return (native[i] & 0xFFFFFF) ? 1 : 0; });
        src.width = w;
        src.height = h;
        src.argb = argb.data();
        src.native = native.data();
        src.runAlpha = runAlpha.data();
        src.runAdditive = runAdditive.data();
        for (uint32_t p : argb)
        {
            uint32_t a = p >> 24;
            src.hasTransparent |= a == 0;
            src.hasTranslucent |= a > 0 && a < 255;
        }
    }
    template <typename Class> static std::vector<uint8_t> Runs(int w, int h, Class cls)
    {
        std::vector<uint8_t> out((size_t)w * h);
        for (int y = 0; y < h; ++y)
            for (int x = w - 1; x >= 0; --x)
            {
                int i = y * w + x;
                int len = (x + 1 < w && cls(i) == cls(i + 1)) ? out[i + 1] + 1 : 1;
                out[i] = (uint8_t)(len > 255 ? 255 : len);
            }
        return out;
    }
};

TEST(SurfaceFormatTables, MasksGiveBitsShiftsAndTables)
{
    ScreenFormatTables t;
    t.Build(0xF800, 0x7E0, 0x1F);
    EXPECT_EQ(5, t.redBits);
    EXPECT_EQ(6, t.greenBits);
    EXPECT_EQ(11, t.redShift);
    EXPECT_EQ(5, t.greenShift);
    EXPECT_EQ(0, t.blueShift);
    EXPECT_TRUE(t.isRGB);
    ASSERT_EQ(2u * 63 + 1, t.greenSaturation.size());
    EXPECT_EQ(40u, t.greenSaturation[40]);
    EXPECT_EQ(63u, t.greenSaturation[100]);
    EXPECT_EQ(0xF800u, t.redColor[255]);
    EXPECT_EQ((128u * 0xF800 / 255) & 0xF800, t.redColor[128]);

    t.Build(0xFF, 0xFF00, 0xFF0000);
    EXPECT_FALSE(t.isRGB);
    EXPECT_EQ(16, t.blueShift);
    EXPECT_EQ(511u, t.redSaturation.size());
    EXPECT_EQ(255u, t.redSaturation[510]);
}

TEST(SurfaceFillRect, OpaqueWhiteIsFullOn565AndFEOn32)
{
    TestSurface s16 = Make565();
    SurfaceFillRectBits(s16.bits, s16.Format(), Rect(1, 1, 3, 2), Color(255, 255, 255, 255));
    EXPECT_EQ(0xFFFFu, s16.At(1, 1));
    EXPECT_EQ(0xFFFFu, s16.At(3, 2));
    EXPECT_EQ(0u, s16.At(4, 1));
    EXPECT_EQ(0u, s16.At(1, 3));

    TestSurface s32 = Make32();
    s32.Fill(0xAB000000);
    SurfaceFillRectBits(s32.bits, s32.Format(), Rect(0, 0, 2, 2), Color(255, 255, 255, 255));
    EXPECT_EQ(0x00FEFEFEu, s32.At(1, 1));
    EXPECT_EQ(0xAB000000u, s32.At(2, 0));
}

TEST(SurfaceFillRect, HalfRedRoundsDifferentlyOn16And32)
{
    TestSurface s16 = Make565();
    SurfaceFillRectBits(s16.bits, s16.Format(), Rect(0, 0, 1, 1), Color(255, 0, 0, 128));
    EXPECT_EQ(0x7800u, s16.At(0, 0));

    TestSurface s32 = Make32();
    SurfaceFillRectBits(s32.bits, s32.Format(), Rect(0, 0, 1, 1), Color(255, 0, 0, 128));
    // ((255 x 128 + 127) >> 8) + 1 = 128; 128 x 0xFF0000 >> 8 masked is 0x7F0000.
    EXPECT_EQ(0x7F0000u, s32.At(0, 0));
    s32.Set(1, 0, 0xFFFFFF);
    SurfaceFillRectBits(s32.bits, s32.Format(), Rect(1, 0, 1, 1), Color(255, 0, 0, 128));
    EXPECT_EQ(0xFE7F7Fu, s32.At(1, 0));
}

TEST(SurfaceFillRect, OtherChannelOrdersUseTheirOwnMasks)
{
    TestSurface bgr = MakeBGR32();
    SurfaceFillRectBits(bgr.bits, bgr.Format(), Rect(0, 0, 1, 1), Color(255, 0, 0, 255));
    EXPECT_EQ(0xFEu, bgr.At(0, 0));

    TestSurface s555 = Make555();
    SurfaceFillRectBits(s555.bits, s555.Format(), Rect(0, 0, 1, 1), Color(255, 255, 255, 255));
    EXPECT_EQ(0x7FFFu, s555.At(0, 0));
    SurfaceFillRectBits(s555.bits, s555.Format(), Rect(1, 0, 1, 1), Color(0, 255, 0, 255));
    EXPECT_EQ(0x3E0u, s555.At(1, 0));
}

TEST(SurfaceFillRectAdditive, SaturatesPerChannel)
{
    for (TestSurface s : {Make565(), Make32(), Make555()})
    {
        uint32_t white = s.bits.redMask | s.bits.greenMask | s.bits.blueMask;
        s.Fill(white);
        SurfaceFillRectAdditiveBits(s.bits, s.Format(), Rect(0, 0, 4, 4),
                                    Color(255, 255, 255, 255));
        EXPECT_EQ(white, s.At(2, 2));
    }
    TestSurface s = Make32();
    s.Fill(0x102030);
    SurfaceFillRectAdditiveBits(s.bits, s.Format(), Rect(0, 0, 1, 1), Color(255, 0, 20, 128));
    // k = ch x a / 255: 128, 0, 10.
    EXPECT_EQ(0x90203Au, s.At(0, 0));
}

TEST(SurfaceDrawLine, YMajorLineKeepsToItsRows)
{
    TestSurface s = Make32(12, 12);
    SurfaceDrawLineBits(s.bits, s.Format(), 1.5, 1.2, 4.5, 9.8, Color(255, 255, 255, 255), false);
    EXPECT_NE(0u, s.At(1, 1));
    int lastRow = -1;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            if (s.At(x, y))
                lastRow = y;
    EXPECT_EQ(9, lastRow);
    // ((255 x m + m/2) >> 8) & m for each channel.
    EXPECT_EQ(0xFEFEFEu, s.At(1, 1));
}

TEST(SurfaceDrawLine, AdditiveAndTranslucentPixels)
{
    TestSurface s = Make565(8, 4);
    s.Fill(0xFFFF);
    SurfaceDrawLineBits(s.bits, s.Format(), 0, 1, 7, 1.5, Color(255, 255, 255, 255), true);
    EXPECT_EQ(0xFFFFu, s.At(3, 1));

    TestSurface t = Make32(8, 4);
    SurfaceDrawLineBits(t.bits, t.Format(), 0, 0, 7, 2, Color(0, 0, 255, 128), false);
    // p = (((255 x 128 + 128) >> 8) x 0xFF + 0x7F) >> 8 = 127 on black.
    EXPECT_EQ(0x7Fu, t.At(0, 0));
}

TEST(SurfaceDrawLineAA, WeightsSplitBetweenNeighbours)
{
    TestSurface s = Make32(16, 16);
    SurfaceDrawLineAABits(s.bits, 0, 0, 4, 8, Color(255, 255, 255, 255));
    // White is 0xFEFEFE on 8-8-8; weight 255 keeps 0xFD of it.
    EXPECT_EQ(0xFDFDFDu, s.At(0, 0));
    // Row 1: slope 0.5 gives error 0x8000: weight 127 on the line, 128 beside it.
    EXPECT_EQ(0x7E7E7Eu, s.At(0, 1));
    EXPECT_EQ(0x7F7F7Fu, s.At(1, 1));
    // Row 2: the error wraps, the line steps right at full weight.
    EXPECT_EQ(0xFDFDFDu, s.At(1, 2));
    EXPECT_EQ(0u, s.At(2, 2));
    // The last pixel takes the final error (0x8000 after seven rows).
    EXPECT_EQ(0x7E7E7Eu, s.At(4, 8));

    // A neighbour left of column 0 is never written (the walk steps leftwards).
    TestSurface t = Make565(8, 8);
    SurfaceDrawLineAABits(t.bits, 0.0, 0.0, 0.5, 7.9, Color(255, 255, 255, 255));
    EXPECT_NE(0u, t.At(0, 3));
}

TEST(SurfaceDrawImage, OpaqueCopyLeavesTransparentPixels)
{
    TestSurface s = Make32(4, 2);
    s.Fill(0x123456);
    TestSource src(3, 1, {0xFF102030, 0x00000000, 0xFFFFFFFF});
    SurfaceDrawOpaqueBits(s.bits, src.src, 1, 1, Rect(0, 0, 3, 1));
    EXPECT_EQ(0xFF102030u, s.At(1, 1));
    EXPECT_EQ(0x123456u, s.At(2, 1));
    EXPECT_EQ(0xFFFFFFFFu, s.At(3, 1));
    EXPECT_EQ(0x123456u, s.At(0, 1));
}

TEST(SurfaceDrawImage, BlendSkipsTransparentRunsAndCopiesOpaqueOnes)
{
    TestSurface s = Make32(8, 1);
    s.Fill(0x404040);
    TestSource src(6, 1, {0x00FFFFFF, 0x00FFFFFF, 0xFF0000FF, 0x80FF0000, 0x80FF0000, 0xFF00FF00});
    SurfaceDrawBlendBits(s.bits, src.src, 1, 0, Rect(0, 0, 6, 1), gColorWhite, false);
    EXPECT_EQ(0x404040u, s.At(1, 0));
    EXPECT_EQ(0x404040u, s.At(2, 0));
    EXPECT_EQ(0xFF0000FFu, s.At(3, 0));
    // d x (256 - 128) >> 8 + premultiplied red ((255 x 129) >> 8 = 128) and alpha byte.
    EXPECT_EQ(0x80000000u + 0x800000 + 0x202020, s.At(4, 0));
    EXPECT_EQ(0xFF00FF00u, s.At(6, 0));
    EXPECT_EQ(0x404040u, s.At(7, 0));
}

TEST(SurfaceDrawImage, MirroredDrawPutsColumnZeroAtTheRightEnd)
{
    TestSurface s = Make32(6, 1);
    TestSource src(3, 1, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000});
    SurfaceDrawBlendBits(s.bits, src.src, 1, 0, Rect(0, 0, 3, 1), gColorWhite, true);
    EXPECT_EQ(0xFF0000FFu, s.At(3, 0));
    EXPECT_EQ(0xFF00FF00u, s.At(2, 0));
    EXPECT_EQ(0xFFFF0000u, s.At(1, 0));
    SurfaceDrawAdditiveBits(s.bits, s.Format(), src.src, 3, 0, Rect(0, 0, 3, 1), gColorWhite, true);
    EXPECT_EQ(0xFFu, s.At(5, 0));
}

TEST(SurfaceDrawImage, TintedGreyOn565UsesPackedForm)
{
    TestSurface s = Make565(2, 1);
    TestSource src(1, 1, {0xFFFFFFFF}, true);
    SurfaceDrawBlendBits(s.bits, src.src, 0, 0, Rect(0, 0, 1, 1), Color(128, 128, 128, 255), false);
    // f = 128 >> 3 = 16: each field halves.
    EXPECT_EQ(((0x1Fu * 16 >> 5) << 11) | ((0x3Fu * 16 >> 5) << 5) | (0x1Fu * 16 >> 5), s.At(0, 0));
}

TEST(SurfaceDrawImage, TintedGreyOn555HalvesEachField)
{
    TestSurface s = Make555(2, 1);
    std::vector<uint32_t> native = {0xFF007FFF};
    std::vector<uint8_t> runs = {1};
    SurfaceSource src;
    src.width = 1;
    src.height = 1;
    src.native = native.data();
    src.runAlpha = runs.data();
    SurfaceDrawBlendBits(s.bits, src, 0, 0, Rect(0, 0, 1, 1), Color(128, 128, 128, 255), false);
    EXPECT_EQ((15u << 10) | (15u << 5) | 15u, s.At(0, 0));
    EXPECT_EQ(0u, s.At(1, 0));
}

TEST(SurfaceFillRectAdditive, BlueFirstOrderPutsRedInTheLowByte)
{
    TestSurface s = MakeBGR32(1, 1);
    SurfaceFillRectAdditiveBits(s.bits, s.Format(), Rect(0, 0, 1, 1), Color(255, 0, 20, 128));
    EXPECT_EQ(0x0A0080u, s.At(0, 0));
}

TEST(SurfaceDrawImage, AdditiveSkipsBlackAndSaturates)
{
    TestSurface s = Make32(3, 1);
    s.Fill(0x808080);
    TestSource src(3, 1, {0xFF000000, 0xFFC0C0C0, 0xFF100000});
    SurfaceDrawAdditiveBits(s.bits, s.Format(), src.src, 0, 0, Rect(0, 0, 3, 1), gColorWhite,
                            false);
    EXPECT_EQ(0x808080u, s.At(0, 0));
    EXPECT_EQ(0xFFFFFFu, s.At(1, 0));
    EXPECT_EQ(0x908080u, s.At(2, 0));
}

TEST(SurfaceDrawImage, StraightPathUsesPackedFormOnlyForRGB)
{
    TestSource src(2, 1, {0xFFFF0000, 0x00FFFFFF});
    TestSurface rgb = Make32(2, 1);
    SurfaceDrawStraightBits(rgb.bits, rgb.Format(), src.src, 0, 0, Rect(0, 0, 2, 1));
    EXPECT_EQ(0xFE0000u, rgb.At(0, 0)); // ((s - d) x 255) >> 8 + d
    EXPECT_EQ(0u, rgb.At(1, 0));
    TestSurface bgr = MakeBGR32(2, 1);
    SurfaceDrawStraightBits(bgr.bits, bgr.Format(), src.src, 0, 0, Rect(0, 0, 2, 1));
    // Mask form: (((255 x 255) >> 8) x 0xFF + 0x7F) >> 8 = 253.
    EXPECT_EQ(0xFDu, bgr.At(0, 0));
    EXPECT_EQ(0u, bgr.At(1, 0));
}

TEST(SurfaceFillCoverage, CoverageScalesTheColour)
{
    TestSurface s = Make32(4, 2);
    std::vector<uint8_t> coverage = {255, 127, 0, 0, 0, 0, 0, 0};
    Span span{0, 0, 3};
    SurfaceFillCoverageBits(s.bits, &span, 1, Color(255, 255, 255, 255), coverage.data(), 0, 0, 4);
    // a = ((k + 1) x 255) >> 8: 255, 127, 0.
    EXPECT_EQ(0xFDFDFDu, s.At(0, 0));
    EXPECT_EQ(0x7E7E7Eu, s.At(1, 0));
    EXPECT_EQ(0u, s.At(2, 0));
}

TEST(SurfaceDrawStretched, PointSamplesAndMirrors)
{
    TestSurface s = Make32(4, 4);
    TestSource src(2, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF});
    SurfaceDrawStretchedBits(s.bits, s.Format(), src.src, FRect(0, 0, 2, 2), Rect(0, 0, 4, 4),
                             gColorWhite, 0, false);
    EXPECT_EQ(0xFF0000FFu, s.At(1, 1));
    EXPECT_EQ(0xFF00FF00u, s.At(2, 0));
    EXPECT_EQ(0xFFFF0000u, s.At(0, 3));
    EXPECT_EQ(0xFFFFFFFFu, s.At(3, 3));
    SurfaceDrawStretchedBits(s.bits, s.Format(), src.src, FRect(0, 0, 2, 2), Rect(0, 0, 4, 4),
                             gColorWhite, 0, true);
    EXPECT_EQ(0xFF00FF00u, s.At(0, 0));
    EXPECT_EQ(0xFF0000FFu, s.At(3, 0));
}

TEST(SurfaceDrawRotated, QuarterTurnOfOpaqueSourceStaysInBounds)
{
    std::vector<uint32_t> pixels(16 * 16, 0xFFFFFFFF);
    TestSource src(16, 16, pixels);
    TestSurface s = Make32(40, 40);
    FRect bounds(10, 10, 16, 16);
    SurfaceDrawRotatedBits(s.bits, s.Format(), src.src, 10, 10, Rect(0, 0, 16, 16), bounds,
                           gColorWhite, 0, 1.5707963267948966, 8, 8);
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (s.At(x, y))
            {
                ++drawn;
                EXPECT_TRUE(x >= 10 && x < 26 && y >= 10 && y < 26) << x << "," << y;
                EXPECT_GE(s.At(x, y) & 0xFF, 0xF0u);
            }
    EXPECT_GT(drawn, 150);

    // A fully transparent source leaves every pixel.
    TestSource clear(16, 16, std::vector<uint32_t>(256, 0x00FFFFFF));
    TestSurface t = Make565(40, 40);
    SurfaceDrawRotatedBits(t.bits, t.Format(), clear.src, 10, 10, Rect(0, 0, 16, 16), bounds,
                           gColorWhite, 0, 0.3, 8, 8);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(0u, t.At(x, y));
}

TEST(SurfaceDraw, OtherDepthsDrawNothing)
{
    TestSurface s(4, 4, 24, 0xFF0000, 0xFF00, 0xFF);
    SurfaceFillRectBits(s.bits, s.Format(), Rect(0, 0, 4, 4), gColorWhite);
    for (uint8_t b : s.memory)
        ASSERT_EQ(0, b);
}

} // namespace
