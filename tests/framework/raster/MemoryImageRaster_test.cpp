// The memory image's matrix and triangle drawing reach the rasterizer, with no
// level board around to fill its table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/raster/DrawTriangle.h"

using namespace Lumo;

namespace
{

void Fill(MemoryImage& img, int w, int h, uint32_t color)
{
    std::vector<uint32_t> px((size_t)w * h, color);
    img.SetPixels(px.data(), w, h, true);
}

void DrawMatrix(MemoryImage& dst, MemoryImage& src, float x, float y, const Matrix3& m, bool filter,
                const Color& color = gColorWhite)
{
    const Rect clip(0, 0, dst.mWidth, dst.mHeight);
    const Rect srcRect(0, 0, src.mWidth, src.mHeight);
    dst.DrawImageMatrix(&src, x, y, m, &clip, &color, 0, &srcRect, filter, nullptr, nullptr,
                        nullptr, nullptr);
}

} // namespace

TEST(MemoryImageRaster, MatrixDrawCopiesTexelsThroughTheRasterizer)
{
    MemoryImage src(nullptr), dst(nullptr);
    std::vector<uint32_t> texels(16);
    for (int i = 0; i < 16; ++i)
        texels[i] = 0xFF000000 | (uint32_t)(i * 0x0F0E0D);
    src.SetPixels(texels.data(), 4, 4, true);
    Fill(dst, 16, 16, 0x00000000);

    DrawMatrix(dst, src, 5, 6, Matrix3(), false);
    const uint32_t* px = dst.GetPixels();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            bool in = x >= 5 && x < 9 && y >= 6 && y < 10;
            uint32_t expected = in ? texels[(y - 6) * 4 + (x - 5)] : 0;
            EXPECT_EQ(expected, px[y * 16 + x]) << x << ", " << y;
        }
    EXPECT_EQ(MEMORY_IMAGE_GUARD, px[16 * 16]);
}

TEST(MemoryImageRaster, FilteredRotatedMatrixDrawStaysInsideTheImage)
{
    MemoryImage src(nullptr), dst(nullptr);
    Fill(src, 8, 8, 0xFFFF8040);
    Fill(dst, 20, 20, 0xFF000000);
    Matrix3 m;
    m.Translate(-4, -4);
    m.RotateDeg(30);
    m.Scale(3, 3);
    m.Translate(10, 10);
    DrawMatrix(dst, src, 0, 0, m, true);
    const uint32_t* px = dst.GetPixels();
    // The centre is deep inside the texture: the texel colour times the summed
    // weights (252 to 255) / 256, stored opaque.
    uint32_t centre = px[10 * 20 + 10];
    EXPECT_EQ(0xFFu, centre >> 24);
    EXPECT_NEAR(0xFF * 253 / 256, (int)(centre >> 16 & 0xFF), 2);
    EXPECT_NEAR(0x80 * 253 / 256, (int)(centre >> 8 & 0xFF), 2);
    EXPECT_NEAR(0x40 * 253 / 256, (int)(centre & 0xFF), 2);
    // The corners of the destination lie outside the rotated square.
    EXPECT_EQ(0xFF000000u, px[0]);
    EXPECT_EQ(0xFF000000u, px[19 * 20 + 19]);
    EXPECT_EQ(MEMORY_IMAGE_GUARD, px[20 * 20]);
}

TEST(MemoryImageRaster, OpaqueDestinationBlendsInTheRgbRow)
{
    // Forced flags without alpha pick 0x888: the blend writes alpha 0xFF and
    // uses the plain weighted sum.
    MemoryImage src(nullptr), dst(nullptr);
    Fill(src, 2, 2, 0x80FF8040);
    Fill(dst, 4, 4, 0x00102030);
    dst.SetAlphaFlags(false, false);
    DrawMatrix(dst, src, 0, 0, Matrix3(), false);
    EXPECT_EQ(0xFF864F37u, dst.GetPixels()[0]);
    EXPECT_EQ(0x00102030u, dst.GetPixels()[3]);
}

TEST(MemoryImageRaster, TrianglesTakeVertexColoursOnlyWhenOneIsSet)
{
    MemoryImage dst(nullptr);
    Fill(dst, 16, 16, 0xFF000000);
    const Rect clip(0, 0, 16, 16);
    TriangleVertex tris[6] = {
        {0, 0, 0, 0, 0},          {8, 0, 0, 0, 0},           {0, 8, 0, 0, 0},
        {8, 8, 0, 0, 0xFF00FF00}, {16, 8, 0, 0, 0xFF00FF00}, {8, 16, 0, 0, 0xFF00FF00},
    };
    dst.DrawTrianglesTex(nullptr, tris, 2, &clip, &gColorWhite, 0, 0.0f, 0.0f, false);
    const uint32_t* px = dst.GetPixels();
    // Untextured without vertex colours paints nothing.
    EXPECT_EQ(0xFF000000u, px[1 * 16 + 1]);
    EXPECT_EQ(0xFF00FF00u, px[9 * 16 + 9]);

    // The translation moves the copies, not the caller's vertices.
    dst.DrawTrianglesTex(nullptr, tris + 3, 1, &clip, &gColorWhite, 0, -8.0f, -8.0f, false);
    EXPECT_EQ(0xFF00FF00u, px[1 * 16 + 1]);
    EXPECT_EQ(8.0f, tris[3].x);
}

// A picture covering the screen, drawn into a part of it (a dirty area):
// every pixel of the part is painted but its last column and row, whatever
// slivers the clip lines cut from the quad's triangles.
TEST(MemoryImageRaster, LargeQuadClippedToAnAreaPaintsTheWholeArea)
{
    MemoryImage src(nullptr);
    Fill(src, 1024, 768, 0xFF112233);
    const Rect srcRect(0, 0, 1024, 768);
    const struct
    {
        Rect clip;
        float shiftX;
    } cases[] = {{{0, 254, 17, 444}, 0.0f},    {{0, 254, 1024, 444}, 0.0f},
                 {{100, 254, 17, 444}, 3.25f}, {{500, 300, 100, 100}, 0.0f},
                 {{0, 0, 1024, 768}, 0.0f},    {{37, 401, 600, 3}, 0.5f}};
    for (const auto& c : cases)
    {
        MemoryImage dst(nullptr);
        Fill(dst, 1024, 768, 0x00000000);
        Matrix3 m;
        m.Translate(c.shiftX, 0.0f);
        dst.DrawImageMatrix(&src, 0, 0, m, &c.clip, &gColorWhite, 0, &srcRect, false, nullptr,
                            nullptr, nullptr, nullptr);
        const int left = std::max(c.clip.mX, (int)std::ceil(c.shiftX));
        const int right = c.clip.mX + c.clip.mWidth - 1, bottom = c.clip.mY + c.clip.mHeight - 1;
        int wrong = 0;
        const uint32_t* px = dst.GetPixels();
        for (int y = 0; y < 768; y++)
            for (int x = 0; x < 1024; x++)
                wrong += (px[y * 1024 + x] != 0) !=
                         (x >= left && x < right && y >= c.clip.mY && y < bottom);
        EXPECT_EQ(0, wrong) << "clip " << c.clip.mX << "," << c.clip.mY << " " << c.clip.mWidth
                            << "x" << c.clip.mHeight << " shifted " << c.shiftX;
    }
}
