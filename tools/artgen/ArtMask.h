// Coverage masks for the art tool: one float per pixel (0 outside, 1 inside)
// with one-pixel anti-aliased edges computed from distances, so panels and
// buttons of any size cost one pass per shape. Masks combine (union,
// subtraction), blur (for soft shadows and glows) and move; ArtShape's
// polygons (stars, bolts, crowns) come in through FromShape. Plain float
// arithmetic in a fixed order: the same input gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

class ArtShape;

class ArtMask
{
public:
    ArtMask(int width, int height);
    // The coverage of a picture's alpha (0xAARRGGBB pixels): text drawn on
    // a blank picture becomes a shape to paint with (chalk, paint).
    static ArtMask FromAlpha(const uint32_t* pixels, int width, int height);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    float At(int x, int y) const
    {
        return x < 0 || y < 0 || x >= mWidth || y >= mHeight ? 0.0f
                                                             : mCover[size_t(y) * mWidth + x];
    }

    // --- adding area (pixel coordinates; a pixel's centre is at +0.5)
    ArtMask& AddRoundRect(float x, float y, float width, float height, float radius);
    ArtMask& AddEllipse(float cx, float cy, float rx, float ry);
    ArtMask& AddCircle(float cx, float cy, float radius)
    {
        return AddEllipse(cx, cy, radius, radius);
    }
    // A thick line with round ends.
    ArtMask& AddLine(float x0, float y0, float x1, float y1, float width);
    // An ArtShape of the same size (4 x 4 sub-samples per pixel).
    ArtMask& AddShape(const ArtShape& shape);

    // --- combining
    ArtMask& Union(const ArtMask& other);
    ArtMask& Subtract(const ArtMask& other);
    ArtMask& Intersect(const ArtMask& other);
    ArtMask& Scale(float factor);
    ArtMask Shifted(int dx, int dy) const;
    // Grown by `radius` pixels in every direction (for outlines).
    ArtMask Dilated(float radius) const;
    // Three box blurs of the radius: close to a Gaussian, cheap at any size.
    ArtMask& Blur(int radius);

private:
    void Max(int x, int y, float cover)
    {
        float& c = mCover[size_t(y) * mWidth + x];
        if (cover > c)
            c = cover;
    }

    int mWidth, mHeight;
    std::vector<float> mCover;
};
