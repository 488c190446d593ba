// Single pixels worked out by hand from the pixel rules: thresholds, packing
// and the blend of each format.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/raster/TriangleVariants.h"

namespace
{

enum
{
    Row8888 = 0,
    Row888 = 32,
    Row565 = 64,
    Row555 = 96,
    T = 16,
    TA = 8,
    VC = 4,
    GC = 2,
    BL = 1
};

struct Pixel
{
    uint32_t texel = 0xFFFFFFFF; // the whole texture is this one texel
    uint32_t vertexColor = 0xFFFFFFFF;
    TriangleColorInfo color = {255, 255, 255, 255};
    int32_t u = 0x8000, v = 0x8000; // texel centre
};

// Draws the triangle (0,0) (1,0) (0,1), which covers pixel (0, 0) alone, with
// constant colour and texture coordinate, over `dest`; returns the pixel.
uint32_t DrawPixel(int index, uint32_t dest, const Pixel& p, const uint32_t* texels = nullptr,
                   int texWidth = 1, int texHeight = 1)
{
    InitTriangleVariantTable();
    uint32_t own = p.texel;
    TriangleTextureInfo tex = {texels ? texels : &own, 16,       0, 0, texWidth,
                               texWidth * texHeight,   texHeight};
    PreparedVertex v[3];
    const int32_t xy[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    for (int i = 0; i < 3; ++i)
    {
        v[i].X = xy[i][0] << 16;
        v[i].Y = xy[i][1] << 16;
        v[i].A = (int32_t)p.vertexColor >> 8 & 0xFF0000;
        v[i].R = (int32_t)(p.vertexColor & 0xFF0000);
        v[i].G = (int32_t)((p.vertexColor & 0xFF00) << 8);
        v[i].B = (int32_t)((p.vertexColor & 0xFF) << 16);
        v[i].U = p.u;
        v[i].V = p.v;
    }
    uint32_t bits[2] = {dest, 0x12345678};
    gTriangleVariantTable[index](v, bits, 8, &tex, &p.color);
    EXPECT_EQ(0x12345678u, bits[1]) << "entry " << index << " wrote a second pixel";
    return index >= Row565 ? (bits[0] & 0xFFFF) | (dest & 0xFFFF0000) : bits[0];
}

Pixel Texel(uint32_t t)
{
    Pixel p;
    p.texel = t;
    return p;
}

Pixel Vertex(uint32_t c)
{
    Pixel p;
    p.vertexColor = c;
    return p;
}

Pixel Global(int a, int r, int g, int b)
{
    Pixel p;
    p.color = {a, r, g, b};
    return p;
}

} // namespace

TEST(KnownPixels, Argb8888TextureAlphaThresholdsAndOver)
{
    const int e = Row8888 + T + TA;
    EXPECT_EQ(0x00ABCDEFu, DrawPixel(e, 0x00ABCDEF, Texel(0x08FFFFFF))); // 8: untouched
    EXPECT_NE(0x00ABCDEFu, DrawPixel(e, 0x00ABCDEF, Texel(0x09FFFFFF))); // 9: blends
    EXPECT_EQ(0xFF123456u, DrawPixel(e, 0x00ABCDEF, Texel(0xF0123456))); // 240: opaque
    // sa 128 over alpha 0: the source channels with their lowest bit cleared, alpha 127.
    EXPECT_EQ(0x7FF0E2D4u, DrawPixel(e, 0x00FFFFFF, Texel(0x80F1E3D5)));
    // Over alpha 255 any sa from 1 to 239 keeps alpha 255.
    EXPECT_EQ(0xFFu, DrawPixel(e, 0xFF000000, Texel(0x0A808080)) >> 24);
    EXPECT_EQ(0xFFu, DrawPixel(e, 0xFF000000, Texel(0xEF808080)) >> 24);
    // Plain texture: texel colour with alpha 0xFF whatever the texel alpha.
    EXPECT_EQ(0xFF123456u, DrawPixel(Row8888 + T, 0x00ABCDEF, Texel(0x00123456)));
}

TEST(KnownPixels, Rgb888BlendsWithoutDivision)
{
    EXPECT_EQ(0xFF864F37u, DrawPixel(Row888 + T + TA, 0x00102030, Texel(0x80FF8040)));
    // Global alpha 0 never skips: white keeps (255 x 255) >> 8 per byte.
    EXPECT_EQ(0xFFFEFEFEu, DrawPixel(Row888 + T + GC, 0x00FFFFFF, Global(0, 255, 255, 255)));
}

TEST(KnownPixels, UntexturedAlphaThresholds)
{
    for (int row : {Row8888, Row888, Row565, Row555})
    {
        // 8.0 exactly is skipped.
        EXPECT_EQ(0x00ABCDEFu, DrawPixel(row + VC, 0x00ABCDEF, Vertex(0x08FFFFFF))) << row;
        // 240.0 exactly blends; above it is opaque.
        EXPECT_NE(DrawPixel(row + VC, 0x00000000, Vertex(0xF0FFFFFF)),
                  DrawPixel(row + VC, 0x00000000, Vertex(0xF1FFFFFF)))
            << row;
    }
    // 888, sa 240 over white: (255 x 15) >> 8 + (255 x 240) >> 8 per byte.
    EXPECT_EQ(0xFFFDFDFDu, DrawPixel(Row888 + VC, 0x00FFFFFF, Vertex(0xF0FFFFFF)));
    EXPECT_EQ(0xFFEF0E00u, DrawPixel(Row888 + VC, 0x00000000, Vertex(0xF0FF0F00)));
    EXPECT_EQ(0xFF102030u, DrawPixel(Row888 + VC, 0x00FFFFFF, Vertex(0xF1102030)));
}

TEST(KnownPixels, Rgb565PackingAndBlend)
{
    EXPECT_EQ(0xFFFFu, DrawPixel(Row565 + T, 0, Texel(0xFFFFFFFF)));
    EXPECT_EQ(0x8410u, DrawPixel(Row565 + T, 0, Texel(0xFF808080)));
    EXPECT_EQ(0x7BEFu, DrawPixel(Row565 + T + TA, 0x0000, Texel(0x80FFFFFF)));
    EXPECT_EQ(0xEF9Du, DrawPixel(Row565 + T + TA, 0xFFFF, Texel(0x80FFFFFF)));
    // Source alpha 0 over white: red 31 -> 30, green 63 -> 61, blue 31 -> 30.
    EXPECT_EQ((30u << 11) | (61u << 5) | 30u,
              DrawPixel(Row565 + T + GC, 0xFFFF, Global(0, 255, 255, 255)));
}

TEST(KnownPixels, Rgb555PackingAndBlendKeepBit15Clear)
{
    EXPECT_EQ(0x7E08u, DrawPixel(Row555 + T, 0, Texel(0xFFFF8040)));
    EXPECT_EQ(0x3DEFu, DrawPixel(Row555 + T + TA, 0x0000, Texel(0x80FFFFFF)));
    EXPECT_EQ(0x7BDEu, DrawPixel(Row555 + T + GC, 0x7FFF, Global(0, 255, 255, 255)));
    EXPECT_EQ(0x7BDEu, DrawPixel(Row555 + T + GC, 0xFFFF, Global(0, 255, 255, 255)));
    // A = 240.0 blends with k = 1: the destination vanishes and the source stands alone.
    EXPECT_EQ(0x0000u, DrawPixel(Row555 + VC, 0x7FFF, Vertex(0xF0000000)));
}

TEST(KnownPixels, GlobalColourEntersTwiceWithVertexColours)
{
    // Global (128,128,128,128) and opaque white vertices: the factor is
    // (128 x 128 x 255) >> 16 = 63 with vertex colours, 128 without.
    Pixel both = Global(128, 128, 128, 128);
    Pixel only = both;
    only.vertexColor = 0; // not read without VertexColor
    // 888 over black: colour (255 x 63) >> 8 = 62, weighted by sa = (63 x 255) >> 8 = 62.
    EXPECT_EQ(0xFF0F0F0Fu, DrawPixel(Row888 + T + VC + GC, 0, both));
    // Without vertex colour: (255 x 128) >> 8 = 127, sa = 127.
    EXPECT_EQ(0xFF3F3F3Fu, DrawPixel(Row888 + T + GC, 0, only));
    // Untextured: the vertex is scaled once, so alpha 127 blends.
    EXPECT_EQ(0xFF3F3F3Fu, DrawPixel(Row888 + VC + GC, 0, both));
}

TEST(KnownPixels, NearestFetchRunsOnAcrossRowsAndReadsZeroPastTheEnd)
{
    // 2 x 2 texture followed by a word that must never be read.
    const uint32_t texels[5] = {0xFF111111, 0xFF222222, 0xFF333333, 0xFF444444, 0xFFEEEEEE};
    Pixel p;
    p.u = 2 << 16; // one past the last column
    p.v = 0;
    EXPECT_EQ(0xFF333333u, DrawPixel(Row8888 + T, 0, p, texels, 2, 2));
    p.v = 1 << 16;
    EXPECT_EQ(0xFF000000u, DrawPixel(Row8888 + T, 0, p, texels, 2, 2));
    EXPECT_EQ(0xABCDu, DrawPixel(Row565 + T + TA, 0xABCD, p, texels, 2, 2));
}

TEST(KnownPixels, BilinearTexelCentreSamplesOneTap)
{
    const uint32_t texels[2] = {0xFFFF0000, 0xFF0000FF};
    Pixel p;
    p.u = 0x8000;
    p.v = 0x8000;
    // Weight (0xFFFE x 255) >> 16 = 254 on column 0 alone: red (255 x 254) >> 8.
    EXPECT_EQ(0xFFFD0000u, DrawPixel(Row8888 + T + TA + BL, 0, p, texels, 2, 1));
    // A quarter texel left of column 0: three quarters of the weight stays on
    // column 0 (sA 191, blended), the rest falls on nothing.
    p.u = 0x4000;
    EXPECT_EQ(0xFFBE0000u, DrawPixel(Row888 + T + TA + BL, 0, p, texels, 2, 1));
}

TEST(KnownPixels, ColourRoundingBelowZeroDoesNotPaintOpaque)
{
    // Truncated gradients carry alpha a few units below 0 near these alpha-0
    // corners; read unsigned that would be an opaque white pixel at (10, 15).
    InitTriangleVariantTable();
    PreparedVertex v[3] = {{2451315, 2168564, 0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0, 0},
                           {784042, 1669349, 0, 0xFF0000, 0xFF0000, 0xFF0000, 0, 0},
                           {569881, 527113, 0, 0xFF0000, 0xFF0000, 0xFF0000, 0, 0}};
    TriangleColorInfo color = {255, 255, 255, 255};
    TriangleTextureInfo tex = {};
    for (int row : {Row8888, Row888, Row565, Row555})
    {
        uint32_t bits[48 * 48] = {};
        gTriangleVariantTable[row + VC](v, bits, 48 * 4, &tex, &color);
        uint32_t at = row >= Row565 ? ((const uint16_t*)bits)[15 * 96 + 10] : bits[15 * 48 + 10];
        EXPECT_EQ(0u, at) << row;
    }
}
