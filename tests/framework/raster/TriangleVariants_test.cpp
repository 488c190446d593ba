#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "TriangleReference.h"
#include "framework/raster/DrawTriangle.h"
#include "framework/raster/TriangleVariants.h"

namespace
{

const int W = 40, H = 32;

PreparedVertex Vertex(float x, float y, float u, float v, uint32_t argb)
{
    PreparedVertex p;
    p.X = (int32_t)(x * 65536.0f);
    p.Y = (int32_t)(y * 65536.0f);
    p.A = (int32_t)argb >> 8 & 0xFF0000;
    p.R = (int32_t)(argb & 0xFF0000);
    p.G = (int32_t)((argb & 0xFF00) << 8);
    p.B = (int32_t)((argb & 0xFF) << 16);
    p.U = (int32_t)(u * 65536.0f);
    p.V = (int32_t)(v * 65536.0f);
    return p;
}

// A texture whose alphas sit on and around every threshold of the rules.
std::vector<uint32_t> MakeTexture(int w, int h, uint32_t seed)
{
    static const uint32_t alphas[] = {0, 5, 8, 9, 100, 128, 200, 239, 240, 250, 255, 255};
    std::mt19937 rng(seed);
    std::vector<uint32_t> t(w * h);
    for (uint32_t& p : t)
        p = (alphas[rng() % 12] << 24) | (rng() & 0xFFFFFF);
    return t;
}

struct Case
{
    PreparedVertex v[3];
};

std::vector<Case> Triangles()
{
    return {
        // Large, texture coordinates past both ends, colours through 0 and 255.
        {{Vertex(1.3f, 0.7f, -2.5f, -1.0f, 0xFFFF8000),
          Vertex(38.6f, 5.2f, 18.0f, 3.0f, 0x00102030),
          Vertex(12.1f, 30.9f, 4.0f, 17.5f, 0x80FFFFFF)}},
        // Long edge on the left, magnified texture.
        {{Vertex(30.0f, 2.0f, 1.0f, 1.0f, 0xF0406080),
          Vertex(35.5f, 20.25f, 7.0f, 2.0f, 0x09FF00FF),
          Vertex(5.75f, 29.5f, 3.0f, 9.0f, 0xFF00FF00)}},
        // Two vertices on one row; minified texture.
        {{Vertex(2.0f, 3.0f, 0.0f, 0.0f, 0xFFFFFFFF), Vertex(25.0f, 3.0f, 16.0f, 0.0f, 0x20FFFFFF),
          Vertex(20.0f, 28.0f, 16.0f, 16.0f, 0xC0000000)}},
        // A texel to a pixel, moved by part of one: rows of texels copied.
        {{Vertex(3.25f, 4.5f, 0.0f, 0.0f, 0xFFFFFFFF),
          Vertex(15.25f, 4.5f, 12.0f, 0.0f, 0xFFFFFFFF),
          Vertex(3.25f, 20.5f, 0.0f, 16.0f, 0xFFFFFFFF)}},
        // A thin sliver across many rows.
        {{Vertex(4.2f, 1.1f, 8.5f, 8.5f, 0xFF123456), Vertex(5.9f, 31.0f, 0.5f, 15.5f, 0x7F654321),
          Vertex(6.1f, 2.0f, 15.5f, 0.5f, 0xEEABCDEF)}},
    };
}

void FillDestination(std::vector<unsigned char>& bytes, uint32_t seed)
{
    std::mt19937 rng(seed);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (unsigned char)rng();
    // Some destination pixels with alpha 0 and 255 for the 0x8888 blend.
    for (size_t i = 3; i + 4 <= bytes.size(); i += 4 * 7)
        bytes[i] = (i / 28) % 2 ? 0 : 255;
}

class TriangleTable : public ::testing::Test
{
protected:
    void SetUp() override { InitTriangleVariantTable(); }
};

} // namespace

TEST_F(TriangleTable, EveryEntryMatchesTheReferenceModel)
{
    std::vector<uint32_t> texels = MakeTexture(16, 16, 7);
    TriangleTextureInfo tex = {texels.data(), 12, 15 << 16, 15 << 16, 16, 256, 16};
    const TriangleColorInfo colors[] = {
        {180, 200, 150, 100}, {255, 255, 255, 255}, {0, 90, 255, 30}};
    std::vector<Case> cases = Triangles();

    int compared = 0;
    for (int index = 0; index < TRIANGLE_VARIANT_COUNT; ++index)
    {
        int bpp = index < 64 ? 4 : 2;
        // An odd pitch: rows are a whole number of pixels apart, rounded down.
        int pitch = (W + 1) * bpp + 1;
        for (size_t c = 0; c < cases.size(); ++c)
            for (const TriangleColorInfo& color : colors)
            {
                std::vector<unsigned char> actual(pitch * H + 8);
                FillDestination(actual, (uint32_t)(index * 31 + c));
                std::vector<unsigned char> expected = actual;
                PreparedVertex before[3];
                std::memcpy(before, cases[c].v, sizeof before);

                gTriangleVariantTable[index](cases[c].v, actual.data(), pitch, &tex, &color);
                ReferenceDrawTriangle(index, cases[c].v, expected.data(), pitch, tex, color);

                ASSERT_EQ(0, std::memcmp(before, cases[c].v, sizeof before))
                    << "entry " << index << " changed its vertex records";
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x)
                    {
                        size_t at = (size_t)y * (pitch / bpp) * bpp + (size_t)x * bpp;
                        uint32_t e = 0, a = 0;
                        std::memcpy(&e, &expected[at], bpp);
                        std::memcpy(&a, &actual[at], bpp);
                        ASSERT_EQ(e, a) << std::hex << "entry 0x" << index << std::dec
                                        << " triangle " << c << " colour alpha " << color.alpha
                                        << " pixel (" << x << ", " << y << ")";
                    }
                ASSERT_EQ(0, std::memcmp(expected.data(), actual.data(), actual.size()))
                    << "entry " << index << " wrote outside its rows";
                ++compared;
            }
    }
    EXPECT_EQ(TRIANGLE_VARIANT_COUNT * 5 * 3, compared);
}

TEST_F(TriangleTable, RowsHoldSeventyOneLoopsInTheirPlaces)
{
    std::set<TriangleInnerLoop> loops(gTriangleVariantTable,
                                      gTriangleVariantTable + TRIANGLE_VARIANT_COUNT);
    EXPECT_EQ(71u, loops.size());
    for (int row = 0; row < 128; row += 32)
    {
        const TriangleInnerLoop* r = gTriangleVariantTable + row;
        for (int i : {0, 1, 2, 3, 8, 9, 10, 11})
            EXPECT_EQ((TriangleInnerLoop)TriangleVariantNull, r[i]) << row + i;
        for (int i : {5, 12, 13})
            EXPECT_EQ(r[4], r[i]) << row + i;
        for (int i : {7, 14, 15})
            EXPECT_EQ(r[6], r[i]) << row + i;
        EXPECT_NE(r[4], r[6]);
        for (int i = 16; i < 32; ++i)
            EXPECT_NE((TriangleInnerLoop)TriangleVariantNull, r[i]) << row + i;
    }
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant32_T, gTriangleVariantTable[16]);
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant32_T, gTriangleVariantTable[48]);
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant32_T_BL, gTriangleVariantTable[49]);
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant565_T_TA_VC_GC_BL, gTriangleVariantTable[95]);
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant555_T, gTriangleVariantTable[112]);
    EXPECT_EQ((TriangleInnerLoop)TriangleVariant888_VC_GC, gTriangleVariantTable[47]);

    // Filling again stores the same values.
    TriangleInnerLoop copy[TRIANGLE_VARIANT_COUNT];
    std::memcpy(copy, gTriangleVariantTable, sizeof copy);
    InitTriangleVariantTable();
    EXPECT_EQ(0, std::memcmp(copy, gTriangleVariantTable, sizeof copy));
}

TEST_F(TriangleTable, IndexComesFromFormatRowAndFeatureBits)
{
    EXPECT_EQ(0, TriangleVariantIndex(false, false, false, false, 0x8888, false));
    EXPECT_EQ(31, TriangleVariantIndex(true, true, true, true, 0x8888, true));
    EXPECT_EQ(32 + 16 + 1, TriangleVariantIndex(true, false, false, false, 0x888, true));
    EXPECT_EQ(64 + 4 + 2, TriangleVariantIndex(false, false, true, true, 0x565, false));
    EXPECT_EQ(96 + 8, TriangleVariantIndex(false, true, false, false, 0x555, false));
    EXPECT_EQ(TriangleVariantIndex(true, true, false, true, 0x8888, true),
              TriangleVariantIndex(true, true, false, true, 0x1234, true));
}
