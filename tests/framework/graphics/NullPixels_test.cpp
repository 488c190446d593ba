// Images whose pixels cannot be read back (GetPixels gives null, as a surface
// image does when its surface is lost or locked out) draw nothing, as source
// and as destination, instead of writing or reading through null.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Matrix3.h"
#include "framework/app/Rect.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/ImageTriangles.h"

using namespace Lumo;

namespace
{

// Stands for a surface image that cannot be read back.
class UnreadableImage : public MemoryImage
{
public:
    UnreadableImage(int width, int height) : MemoryImage(nullptr)
    {
        mWidth = width;
        mHeight = height;
    }
    uint32_t* GetPixels() override { return nullptr; }
};

const uint32_t kBackground = 0xFF204060;

void MakeOpaque(MemoryImage& img, int width, int height, uint32_t color)
{
    std::vector<uint32_t> px((size_t)width * height, color);
    img.SetPixels(px.data(), width, height, true);
}

std::vector<uint32_t> Pixels(MemoryImage& img)
{
    const uint32_t* p = img.GetPixels();
    return std::vector<uint32_t>(p, p + (size_t)img.mWidth * img.mHeight);
}

const Color kTint(200, 100, 50, 128);

} // namespace

TEST(NullPixels, FillsAndLinesOnUnreadableImageDrawNothing)
{
    UnreadableImage img(16, 16);
    const Rect r(2, 2, 8, 8);
    for (const Color& c : {gColorWhite, kTint})
    {
        img.FillRect(&r, &c, 0);
        for (int mode : {0, 1})
        {
            img.DrawLine(1, 2, 13, 9, &c, mode);
            img.DrawLine(1, 2, 13, 2, &c, mode);
            img.DrawLineAA(1.5, 2.25, 13.75, 9.5, &c, mode);
        }
    }
    img.ClearRect(&r);
    Span spans[2] = {{3, 1, 6}, {4, 0, 10}};
    const std::vector<unsigned char> coverage(16 * 16, 200);
    img.FillScanLinesWithCoverage(spans, 2, &gColorWhite, 0, coverage.data(), 0, 0, 16, 16);
    EXPECT_EQ(img.mPixels, nullptr);
}

TEST(NullPixels, DrawsFromUnreadableSourceLeaveDestination)
{
    UnreadableImage src(8, 8);
    MemoryImage dst(nullptr);
    MakeOpaque(dst, 16, 16, kBackground);
    const std::vector<uint32_t> before = Pixels(dst);
    const Rect part(1, 1, 6, 6);
    const Rect dest(0, 0, 16, 12);
    for (const Color& c : {gColorWhite, kTint, Color(90, 90, 90, 255)})
        for (int mode : {0, 1})
        {
            dst.DrawImage(&src, 3, 4, nullptr, &c, mode);
            dst.DrawImage(&src, -2, 5, &part, &c, mode);
            dst.DrawImageF(&src, 2.5f, 3.25f, nullptr, nullptr, &c, mode);
            dst.DrawImageRotated(&src, 4, 4, nullptr, nullptr, &c, mode, 0.6, 4, 4);
            for (bool fast : {false, true})
                dst.DrawImageStretched(&src, &dest, nullptr, nullptr, &c, mode, fast);
            dst.DrawImageMatrix(&src, 8, 8, Matrix3(), nullptr, &c, mode, nullptr, true, nullptr,
                                nullptr, nullptr, nullptr);
        }
    EXPECT_EQ(Pixels(dst), before);
}

TEST(NullPixels, DrawsOntoUnreadableImageDrawNothing)
{
    MemoryImage src(nullptr);
    MakeOpaque(src, 8, 8, 0xFFFF8000);
    UnreadableImage dst(16, 16);
    const Rect dest(0, 0, 16, 12);
    const TriangleVertex tri[3] = {{0, 0, 0, 0, 0}, {12, 0, 1, 0, 0xFF00FF00}, {0, 12, 0, 1, 0}};
    for (const Color& c : {gColorWhite, kTint})
        for (int mode : {0, 1})
        {
            dst.DrawImage(&src, 3, 4, nullptr, &c, mode);
            dst.DrawImageRotated(&src, 4, 4, nullptr, nullptr, &c, mode, 0.6, 4, 4);
            dst.DrawImageStretched(&src, &dest, nullptr, nullptr, &c, mode, false);
            dst.DrawTrianglesTex(&src, tri, 1, nullptr, &c, mode, 0, 0, true);
        }
    EXPECT_EQ(dst.mPixels, nullptr);
}

TEST(NullPixels, TriangleWithUnreadableTextureDrawsNothing)
{
    UnreadableImage texture(8, 8);
    std::vector<uint32_t> bits(16 * 16, kBackground);
    const TriangleVertex strip[4] = {
        {0, 0, 0, 0, 0}, {15, 0, 1, 0, 0}, {0, 15, 0, 1, 0}, {15, 15, 1, 1, 0}};
    const Rect clip(0, 0, 16, 16);
    for (int format : {TrianglePixelFormat8888, TrianglePixelFormat888})
        for (bool bilinear : {false, true})
            DrawTriangle(strip, 4, &texture, gColorWhite, 0, clip, bits.data(), 16 * 4, format,
                         bilinear, false);
    EXPECT_EQ(bits, std::vector<uint32_t>(16 * 16, kBackground));
}
