#include "tools/artgen/ArtShape.h"

#include <algorithm>
#include <cmath>

#include "framework/app/Color.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/MemoryImage.h"

ArtShape::ArtShape(int width, int height)
    : mWidth(width), mHeight(height), mInside(size_t(width * kSub) * size_t(height * kSub), 0)
{
}

void ArtShape::AddPolygon(const std::vector<ArtPoint>& points)
{
    int w = mWidth * kSub, h = mHeight * kSub;
    size_t n = points.size();
    for (int sy = 0; sy < h; sy++)
    {
        float y = (sy + 0.5f) / kSub;
        for (int sx = 0; sx < w; sx++)
        {
            float x = (sx + 0.5f) / kSub;
            bool inside = false;
            // Even-odd crossing test.
            for (size_t i = 0, j = n - 1; i < n; j = i++)
            {
                const ArtPoint& a = points[i];
                const ArtPoint& b = points[j];
                if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                    inside = !inside;
            }
            if (inside)
                mInside[size_t(sy) * w + sx] = 1;
        }
    }
}

void ArtShape::AddCircle(float cx, float cy, float radius)
{
    int w = mWidth * kSub, h = mHeight * kSub;
    for (int sy = 0; sy < h; sy++)
        for (int sx = 0; sx < w; sx++)
        {
            float dx = (sx + 0.5f) / kSub - cx, dy = (sy + 0.5f) / kSub - cy;
            if (dx * dx + dy * dy <= radius * radius)
                mInside[size_t(sy) * w + sx] = 1;
        }
}

void ArtShape::AddRoundRect(float x, float y, float width, float height, float radius)
{
    radius = std::min(radius, std::min(width, height) / 2);
    int w = mWidth * kSub, h = mHeight * kSub;
    for (int sy = 0; sy < h; sy++)
        for (int sx = 0; sx < w; sx++)
        {
            float px = (sx + 0.5f) / kSub, py = (sy + 0.5f) / kSub;
            if (px < x || px > x + width || py < y || py > y + height)
                continue;
            // Distance into the corner circles.
            float qx = std::max(std::max(x + radius - px, px - (x + width - radius)), 0.0f);
            float qy = std::max(std::max(y + radius - py, py - (y + height - radius)), 0.0f);
            if (qx * qx + qy * qy <= radius * radius)
                mInside[size_t(sy) * w + sx] = 1;
        }
}

void ArtShape::Add(const ArtShape& other)
{
    for (size_t i = 0; i < mInside.size() && i < other.mInside.size(); i++)
        mInside[i] |= other.mInside[i];
}

ArtShape ArtShape::Grown(float pixels) const
{
    ArtShape grown(mWidth, mHeight);
    int w = mWidth * kSub, h = mHeight * kSub;
    int r = int(std::lround(pixels * kSub));
    std::vector<std::pair<int, int>> disc;
    for (int dy = -r; dy <= r; dy++)
        for (int dx = -r; dx <= r; dx++)
            if (dx * dx + dy * dy <= r * r)
                disc.push_back({dx, dy});
    for (int sy = 0; sy < h; sy++)
        for (int sx = 0; sx < w; sx++)
        {
            if (!mInside[size_t(sy) * w + sx])
                continue;
            for (const auto& d : disc)
            {
                int x = sx + d.first, y = sy + d.second;
                if (x >= 0 && y >= 0 && x < w && y < h)
                    grown.mInside[size_t(y) * w + x] = 1;
            }
        }
    return grown;
}

void ArtShape::Paint(Lumo::MemoryImage& image, uint32_t rgb, int alpha) const
{
    int w = mWidth * kSub;
    std::vector<unsigned char> coverage(size_t(mWidth) * mHeight);
    std::vector<Lumo::Span> spans;
    for (int y = 0; y < mHeight; y++)
    {
        for (int x = 0; x < mWidth; x++)
        {
            int count = 0;
            for (int sy = 0; sy < kSub; sy++)
                for (int sx = 0; sx < kSub; sx++)
                    count += mInside[size_t(y * kSub + sy) * w + x * kSub + sx];
            coverage[size_t(y) * mWidth + x] = (unsigned char)(count * 255 / (kSub * kSub));
        }
        spans.push_back({y, 0, mWidth});
    }
    Lumo::Color color(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF), alpha);
    image.FillScanLinesWithCoverage(spans.data(), int(spans.size()), &color, 0, coverage.data(), 0,
                                    0, mWidth, mHeight);
}
