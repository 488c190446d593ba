#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "framework/raster/TriangleDriver.h"
#include "framework/raster/TriangleVariants.h"

namespace
{

// --- a spy that stands in for every table entry ---

struct SpyCall
{
    int index;
    PreparedVertex v[3];
    TriangleTextureInfo texture;
    TriangleColorInfo color;
};

std::vector<SpyCall> gSpyCalls;

template <int I>
void SpyLoop(const PreparedVertex* v, void*, int, const TriangleTextureInfo* t,
             const TriangleColorInfo* c)
{
    SpyCall call;
    call.index = I;
    std::memcpy(call.v, v, sizeof call.v);
    call.texture = *t;
    call.color = *c;
    gSpyCalls.push_back(call);
}

template <int... I> void InstallSpies(std::integer_sequence<int, I...>)
{
    TriangleInnerLoop spies[] = {SpyLoop<I>...};
    std::memcpy(gTriangleVariantTable, spies, sizeof spies);
}

// Swaps the table for spies for the life of the object.
class SpyTable
{
public:
    SpyTable()
    {
        // The driver fills the table once on first use; do that before swapping.
        uint32_t pixel = 0;
        TriangleVertex none[3] = {};
        DrawTriangleStrip(none, 3, nullptr, gColorWhite, Lumo::Rect(0, 0, 1, 1), &pixel, 4, 0x8888,
                          false, false);
        std::memcpy(mSaved, gTriangleVariantTable, sizeof mSaved);
        InstallSpies(std::make_integer_sequence<int, TRIANGLE_VARIANT_COUNT>());
        gSpyCalls.clear();
    }
    ~SpyTable() { std::memcpy(gTriangleVariantTable, mSaved, sizeof mSaved); }

private:
    TriangleInnerLoop mSaved[TRIANGLE_VARIANT_COUNT];
};

TriangleVertex TV(float x, float y, uint32_t color = 0xFFFFFFFF, float u = 0, float v = 0)
{
    return TriangleVertex{x, y, u, v, color};
}

// A 32-bit image inside a frame of guard pixels that no draw may touch.
struct Canvas
{
    static const uint32_t GUARD = 0x5A5A5A5A;
    int width, height, margin, stride;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, int m = 8, uint32_t fill = 0)
        : width(w), height(h), margin(m), stride(w + 2 * m), pixels((h + 2 * m) * stride, GUARD)
    {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                At(x, y) = fill;
    }
    uint32_t& At(int x, int y) { return pixels[(y + margin) * stride + x + margin]; }
    void* Bits() { return &At(0, 0); }
    int Pitch() const { return stride * 4; }
    Lumo::Rect Whole() const { return Lumo::Rect(0, 0, width, height); }
    bool GuardIntact() const
    {
        for (int y = 0; y < height + 2 * margin; ++y)
            for (int x = 0; x < stride; ++x)
            {
                bool inside =
                    x >= margin && x < margin + width && y >= margin && y < margin + height;
                if (!inside && pixels[y * stride + x] != GUARD)
                    return false;
            }
        return true;
    }
    int Painted(uint32_t background = 0)
    {
        int n = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                n += At(x, y) != background;
        return n;
    }
};

void Draw(Canvas& c, const TriangleVertex* v, int count, const Lumo::Rect& clip,
          const TriangleTexture* tex = nullptr, Lumo::Color color = gColorWhite,
          bool vertexColor = true, int format = 0x8888, bool bilinear = false)
{
    DrawTriangleStrip(v, count, tex, color, clip, c.Bits(), c.Pitch(), format, bilinear,
                      vertexColor);
}

} // namespace

// --- coverage ---

TEST(DrawTriangle, TopAndLeftEdgesAreInBottomAndRightOut)
{
    Canvas c(16, 16);
    TriangleVertex quad[4] = {TV(2, 3), TV(6, 3), TV(2, 8), TV(6, 8)};
    Draw(c, quad, 4, c.Whole());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            bool in = x >= 2 && x < 6 && y >= 3 && y < 8;
            EXPECT_EQ(in ? 0xFFFFFFFFu : 0u, c.At(x, y)) << x << ", " << y;
        }

    // Half-pixel edges: samples at integer positions decide.
    Canvas d(16, 16);
    TriangleVertex shifted[4] = {TV(2.5f, 3.5f), TV(6.5f, 3.5f), TV(2.5f, 8.5f), TV(6.5f, 8.5f)};
    Draw(d, shifted, 4, d.Whole());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(x >= 3 && x < 7 && y >= 4 && y < 9, d.At(x, y) != 0) << x << ", " << y;
}

TEST(DrawTriangle, ClipRectangleKeepsItsLastColumnAndRowUntouched)
{
    Canvas c(20, 20);
    TriangleVertex big[3] = {TV(-50, -50), TV(100, -50), TV(-50, 100)};
    Draw(c, big, 3, Lumo::Rect(3, 4, 10, 8));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(x >= 3 && x < 12 && y >= 4 && y < 11, c.At(x, y) != 0) << x << ", " << y;
    EXPECT_TRUE(c.GuardIntact());
}

TEST(DrawTriangle, RowsBetweenTwoSamplesDrawNothing)
{
    Canvas c(16, 16);
    TriangleVertex flat[3] = {TV(1, 10.2f), TV(14, 10.5f), TV(3, 10.9f)};
    Draw(c, flat, 3, c.Whole());
    EXPECT_EQ(0, c.Painted());
}

TEST(DrawTriangle, FewerThanThreeVerticesDrawNothing)
{
    SpyTable spy;
    Canvas c(8, 8);
    TriangleVertex v[3] = {TV(0, 0), TV(8, 0), TV(0, 8)};
    Draw(c, v, 2, c.Whole());
    Draw(c, v, 0, c.Whole());
    EXPECT_TRUE(gSpyCalls.empty());
}

// --- strip, fan and records ---

TEST(DrawTriangle, StripAlternatesWindingAndPolygonsDrawAsFans)
{
    SpyTable spy;
    Canvas c(64, 64);
    TriangleVertex strip[5] = {TV(1, 1), TV(9, 1), TV(1, 9), TV(9, 9), TV(1, 17)};
    Draw(c, strip, 5, c.Whole());
    ASSERT_EQ(3u, gSpyCalls.size());
    // (0,1,2), (1,3,2), (2,3,4)
    const int expected[3][3] = {{0, 1, 2}, {1, 3, 2}, {2, 3, 4}};
    for (int t = 0; t < 3; ++t)
        for (int k = 0; k < 3; ++k)
        {
            EXPECT_EQ((int32_t)(strip[expected[t][k]].x * 65536), gSpyCalls[t].v[k].X) << t << k;
            EXPECT_EQ((int32_t)(strip[expected[t][k]].y * 65536), gSpyCalls[t].v[k].Y) << t << k;
        }

    // A triangle cut by the clip rectangle at two corners becomes a pentagon:
    // (0,1,2), (0,2,3), (0,3,4), every triangle starting at the same vertex.
    gSpyCalls.clear();
    TriangleVertex cut[3] = {TV(5, 5, 0xFF000000), TV(40, 5, 0xFFFF0000), TV(5, 40, 0xFF0000FF)};
    Draw(c, cut, 3, Lumo::Rect(0, 0, 31, 31));
    ASSERT_EQ(3u, gSpyCalls.size());
    for (int t = 0; t < 3; ++t)
    {
        EXPECT_EQ(gSpyCalls[0].v[0].X, gSpyCalls[t].v[0].X);
        EXPECT_EQ(gSpyCalls[0].v[0].Y, gSpyCalls[t].v[0].Y);
        EXPECT_EQ(gSpyCalls[0].v[0].R, gSpyCalls[t].v[0].R);
        if (t > 0)
        {
            EXPECT_EQ(gSpyCalls[t - 1].v[2].X, gSpyCalls[t].v[1].X);
            EXPECT_EQ(gSpyCalls[t - 1].v[2].Y, gSpyCalls[t].v[1].Y);
        }
    }
    // Clipped at x = 30 (the last column inside), not 31.
    EXPECT_EQ(30 << 16, gSpyCalls[0].v[1].X);
}

TEST(DrawTriangle, PreparesFixedPointRecordsAndPicksTheVariant)
{
    SpyTable spy;
    Canvas c(64, 64);
    uint32_t texels[8 * 4] = {};
    TriangleTexture tex = {texels, 8, 4, false, false};
    TriangleVertex v[3] = {TV(1.75f, 2.5f, 0x80FF4020, 0.5f, 0.25f),
                           TV(30.25f, 3, 0x01020304, 1.0f, 0.0f), TV(4, 20, 0xFFFFFFFF, -0.5f, 2)};

    Draw(c, v, 3, c.Whole(), &tex, Lumo::Color(10, 20, 30, 40), true, 0x565, false);
    ASSERT_EQ(1u, gSpyCalls.size());
    const SpyCall& call = gSpyCalls[0];
    EXPECT_EQ(64 + 16 + 4 + 2, call.index); // textured, vertex and global colour
    EXPECT_EQ((int32_t)(1.75 * 65536), call.v[0].X);
    EXPECT_EQ(0x80 << 16, call.v[0].A);
    EXPECT_EQ(0xFF << 16, call.v[0].R);
    EXPECT_EQ(0x40 << 16, call.v[0].G);
    EXPECT_EQ(0x20 << 16, call.v[0].B);
    EXPECT_EQ(4 << 16, call.v[0].U); // u x width
    EXPECT_EQ(1 << 16, call.v[0].V);
    EXPECT_EQ(-(4 << 16), call.v[2].U);
    EXPECT_EQ(8 << 16, call.v[2].V);
    EXPECT_EQ(texels, call.texture.texels);
    EXPECT_EQ(8, call.texture.width);
    EXPECT_EQ(32, call.texture.texelCount);
    EXPECT_EQ(4, call.texture.height);
    EXPECT_EQ(16 - 3, call.texture.shift);
    EXPECT_EQ(7 << 16, call.texture.uMask);
    EXPECT_EQ(3 << 16, call.texture.vMask);
    EXPECT_EQ(40, call.color.alpha);
    EXPECT_EQ(10, call.color.red);

    // White is no global colour; bilinear always goes through texture alpha.
    gSpyCalls.clear();
    Draw(c, v, 3, c.Whole(), &tex, gColorWhite, false, 0x888, true);
    ASSERT_EQ(1u, gSpyCalls.size());
    EXPECT_EQ(32 + 16 + 8 + 1, gSpyCalls[0].index);

    // Transparent texels switch texture alpha on; unknown formats use 0x8888.
    gSpyCalls.clear();
    tex.hasTransparent = true;
    Draw(c, v, 3, c.Whole(), &tex, gColorWhite, false, 0x1234, false);
    ASSERT_EQ(1u, gSpyCalls.size());
    EXPECT_EQ(16 + 8, gSpyCalls[0].index);

    // Untextured with vertex colours and the bilinear flag: the flag only moves the index.
    gSpyCalls.clear();
    Draw(c, v, 3, c.Whole(), nullptr, gColorWhite, true, 0x555, true);
    ASSERT_EQ(1u, gSpyCalls.size());
    EXPECT_EQ(96 + 4 + 1, gSpyCalls[0].index);
}

TEST(DrawTriangle, CrossingsInterpolatePositionTextureAndColour)
{
    TriangleVertex a = TV(-10, 0, 0xFF000000, 0, 0);
    TriangleVertex b = TV(10, 0, 0x80C8FF64, 1, 0.5f);
    TriangleVertex c = TV(10, 10, 0xFF000000, 1, 1);
    const TriangleVertex* out[64];
    int n = ClipTriangleToRect(&a, &b, &c, 0, 100, 0, 100, out);
    ASSERT_EQ(4, n);
    // a is outside the left line; the crossing on a-b is half way.
    const TriangleVertex* cross = out[0];
    EXPECT_FLOAT_EQ(0.0f, cross->x);
    EXPECT_FLOAT_EQ(0.5f, cross->u);
    EXPECT_FLOAT_EQ(0.25f, cross->v);
    EXPECT_EQ(0xBF647F32u, cross->color); // each channel a + (b - a) / 2, truncated

    // Only a corner on the line, the rest outside: what is left has no area.
    TriangleVertex p = TV(0, 5), q = TV(-5, 0), r = TV(-5, 10);
    n = ClipTriangleToRect(&p, &q, &r, 0, 100, 0, 100, out);
    for (int i = 0; i < n; ++i)
    {
        EXPECT_EQ(0.0f, out[i]->x);
        EXPECT_EQ(5.0f, out[i]->y);
    }
}

TEST(DrawTriangle, CornerOnTheClipLineWithTheRestOutsideDrawsNothing)
{
    Canvas c(16, 16);
    TriangleVertex v[3] = {TV(0, 5), TV(-5, 0), TV(-5, 10)};
    Draw(c, v, 3, c.Whole());
    EXPECT_EQ(0, c.Painted());
}

// --- faults that must not reach memory ---

TEST(DrawTriangle, NotANumberOrInfiniteCornersDrawNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int format : {0x8888, 0x888, 0x565, 0x555})
        for (float bad : {nan, inf, -inf})
        {
            Canvas c(32, 32);
            TriangleVertex v[3] = {TV(1, 1), TV(bad, 20), TV(3, 30)};
            Draw(c, v, 3, c.Whole(), nullptr, gColorWhite, true, format);
            TriangleVertex w[3] = {TV(1, 1), TV(20, bad), TV(3, 30)};
            Draw(c, w, 3, c.Whole(), nullptr, gColorWhite, true, format);
            EXPECT_EQ(0, c.Painted()) << format;
            EXPECT_TRUE(c.GuardIntact()) << format;
        }

    // A bad vertex spoils only the triangles that use it.
    Canvas c(32, 32);
    TriangleVertex strip[4] = {TV(0, 0), TV(16, 0), TV(0, 16), TV(nan, nan)};
    Draw(c, strip, 4, c.Whole());
    EXPECT_GT(c.Painted(), 0);
    EXPECT_TRUE(c.GuardIntact());
}

TEST(DrawTriangle, NeedleThinTrianglesStayInsideTheClipRectangle)
{
    // Corners a few 1/65536 of a pixel apart in y but far apart in x: their
    // slopes do not fit 32 bits.
    // Two corners a few 1/65536 of a pixel apart in y, far apart in x, with a
    // sampled row between them: the short edge's slope does not fit 32 bits.
    struct Needle
    {
        float x[3], y[3];
    };
    const float below = 10.0f - 1.0f / 65536, above = 10.0f + 1.0f / 65536;
    const Needle needles[] = {
        {{0, 60, 30}, {below, above, 20}},
        {{63, 0, 10}, {below, above, 30}},
        {{30, 0, 60}, {2, below, above}},
        {{30, 63, 1}, {2, below, above}},
        {{0, 60, 0.5f}, {below, above, above}},
        {{0.5f, 63, 0}, {below, below, above}},
        // Found by search: with wrapped slopes its row starts 3 pixels left of the image.
        {{788508 / 65536.0f, 2708149 / 65536.0f, 2424471 / 65536.0f},
         {655324 / 65536.0f, 655375 / 65536.0f, 415734 / 65536.0f}},
    };
    for (int format : {0x8888, 0x888, 0x565, 0x555})
        for (const Needle& n : needles)
        {
            Canvas c(64, 32, 64);
            TriangleVertex v[3] = {TV(n.x[0], n.y[0]), TV(n.x[1], n.y[1], 0xFF00FF00),
                                   TV(n.x[2], n.y[2], 0x80FF0000)};
            Draw(c, v, 3, c.Whole(), nullptr, gColorWhite, true, format);
            EXPECT_TRUE(c.GuardIntact()) << format << " " << n.x[1];
        }
}

TEST(DrawTriangle, GuardBandsSurviveFuzzedTriangles)
{
    std::mt19937 rng(20261206);
    std::uniform_real_distribution<float> pos(-60.0f, 160.0f);
    std::uniform_real_distribution<float> tc(-1.5f, 2.5f);
    uint32_t texels[16 * 8];
    for (uint32_t& t : texels)
        t = rng();
    const int formats[] = {0x8888, 0x888, 0x565, 0x555};
    const float wild[] = {1e30f, -1e30f, 3e38f, -3e38f, 16383.5f, -16384.5f, 1e-30f, 0.0f};

    for (int round = 0; round < 3000; ++round)
    {
        int format = formats[rng() % 4];
        Canvas c(100, 80, 16, 0x11223344);
        TriangleVertex v[6];
        for (TriangleVertex& p : v)
        {
            p = TV(pos(rng), pos(rng), rng(), tc(rng), tc(rng));
            if (rng() % 10 == 0)
                p.x = wild[rng() % 8];
            if (rng() % 10 == 0)
                p.y = wild[rng() % 8];
            if (rng() % 20 == 0)
                p.u = wild[rng() % 8];
        }
        TriangleTexture tex = {texels, 16, 8, (rng() & 1) != 0, false};
        Lumo::Rect clip((int)(rng() % 120) - 10, (int)(rng() % 100) - 10, (int)(rng() % 130),
                        (int)(rng() % 110));
        Lumo::Rect inside = clip.Intersection(c.Whole());
        if (inside.mWidth <= 0 || inside.mHeight <= 0)
            continue;
        Lumo::Color color(rng() & 0xFF, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
        // 16-bit formats address the canvas as 16-bit words with the same pitch.
        Canvas before = c;
        DrawTriangleStrip(v, 6, rng() % 4 ? &tex : nullptr, color, inside, c.Bits(), c.Pitch(),
                          format, (rng() & 1) != 0, (rng() & 1) != 0);
        ASSERT_TRUE(c.GuardIntact()) << "round " << round;
        // Nothing outside the clip rectangle changed either.
        int bpp = format == 0x565 || format == 0x555 ? 2 : 4;
        const unsigned char* a = (const unsigned char*)before.Bits();
        const unsigned char* b = (const unsigned char*)c.Bits();
        for (int y = 0; y < c.height; ++y)
            for (int xb = 0; xb < c.width * 4; ++xb)
            {
                int x = xb / bpp;
                bool inClip = x >= inside.mX && x < inside.mX + inside.mWidth && y >= inside.mY &&
                              y < inside.mY + inside.mHeight;
                if (!inClip)
                {
                    ASSERT_EQ(a[y * c.Pitch() + xb], b[y * c.Pitch() + xb])
                        << "round " << round << " pixel " << x << ", " << y;
                }
            }
    }
}

// --- blending ---

TEST(DrawTriangle, TransparentSourceOverTransparentPixelLeavesIt)
{
    // Entry 18 (texture and global colour) never skips, so a global alpha of 0
    // reaches the blend with a source alpha of 0.
    uint32_t texel = 0xFF808080;
    TriangleTexture tex = {&texel, 1, 1, false, false};
    TriangleVertex quad[4] = {TV(0, 0, 0, 0, 0), TV(4, 0, 0, 0, 0), TV(0, 4, 0, 0, 0),
                              TV(4, 4, 0, 0, 0)};
    Canvas c(4, 4, 8, 0x00ABCDEF);
    c.At(1, 1) = 0xFF102030;
    Draw(c, quad, 4, c.Whole(), &tex, Lumo::Color(255, 255, 255, 0), false, 0x8888);
    EXPECT_EQ(0x00ABCDEFu, c.At(0, 0));
    EXPECT_EQ(0x00ABCDEFu, c.At(3, 3));
    // Over an opaque pixel the same source gives alpha 254; each channel goes
    // through (c x 255) >> 8 and back up by 256 / 255, truncated.
    EXPECT_EQ(0xFE0F1F2Fu, c.At(1, 1));
}

TEST(DrawTriangle, EmptyTableDrawsNothing)
{
    SpyTable spy; // the table is filled by now; empty it for this test
    TriangleInnerLoop empty[TRIANGLE_VARIANT_COUNT] = {};
    std::memcpy(gTriangleVariantTable, empty, sizeof empty);
    Canvas c(16, 16);
    TriangleVertex v[3] = {TV(0, 0), TV(16, 0), TV(0, 16)};
    Draw(c, v, 3, c.Whole());
    EXPECT_EQ(0, c.Painted());
}
