#include "tools/artgen/ArtMask.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtShape.h"

namespace
{
// Coverage of a pixel whose centre lies `distance` outside an edge.
float Edge(float distance)
{
    float c = 0.5f - distance;
    return c <= 0.0f ? 0.0f : (c >= 1.0f ? 1.0f : c);
}
} // namespace

ArtMask::ArtMask(int width, int height)
    : mWidth(width), mHeight(height), mCover(size_t(width) * height, 0.0f)
{
}

ArtMask ArtMask::FromAlpha(const uint32_t* pixels, int width, int height)
{
    ArtMask mask(width, height);
    for (size_t i = 0; i < mask.mCover.size(); i++)
        mask.mCover[i] = float(pixels[i] >> 24) / 255.0f;
    return mask;
}

ArtMask& ArtMask::AddRoundRect(float x, float y, float width, float height, float radius)
{
    radius = std::min(radius, std::min(width, height) / 2);
    const float cx = x + width / 2, cy = y + height / 2;
    const float hx = width / 2 - radius, hy = height / 2 - radius;
    int x0 = std::max(0, (int)std::floor(x) - 1),
        x1 = std::min(mWidth, (int)std::ceil(x + width) + 1);
    int y0 = std::max(0, (int)std::floor(y) - 1),
        y1 = std::min(mHeight, (int)std::ceil(y + height) + 1);
    for (int py = y0; py < y1; py++)
        for (int px = x0; px < x1; px++)
        {
            float qx = std::fabs(px + 0.5f - cx) - hx, qy = std::fabs(py + 0.5f - cy) - hy;
            float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
            float d = std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
            Max(px, py, Edge(d));
        }
    return *this;
}

ArtMask& ArtMask::AddEllipse(float cx, float cy, float rx, float ry)
{
    int x0 = std::max(0, (int)std::floor(cx - rx) - 1),
        x1 = std::min(mWidth, (int)std::ceil(cx + rx) + 2);
    int y0 = std::max(0, (int)std::floor(cy - ry) - 1),
        y1 = std::min(mHeight, (int)std::ceil(cy + ry) + 2);
    const float r = std::min(rx, ry);
    for (int py = y0; py < y1; py++)
        for (int px = x0; px < x1; px++)
        {
            // The distance of a circle scaled back into the ellipse: exact for
            // circles, close enough for the gentle ellipses of the art.
            float dx = (px + 0.5f - cx) / rx, dy = (py + 0.5f - cy) / ry;
            float d = (std::sqrt(dx * dx + dy * dy) - 1.0f) * r;
            Max(px, py, Edge(d));
        }
    return *this;
}

ArtMask& ArtMask::AddLine(float x0, float y0, float x1, float y1, float width)
{
    const float half = width / 2;
    int bx0 = std::max(0, (int)std::floor(std::min(x0, x1) - half) - 1);
    int bx1 = std::min(mWidth, (int)std::ceil(std::max(x0, x1) + half) + 2);
    int by0 = std::max(0, (int)std::floor(std::min(y0, y1) - half) - 1);
    int by1 = std::min(mHeight, (int)std::ceil(std::max(y0, y1) + half) + 2);
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int py = by0; py < by1; py++)
        for (int px = bx0; px < bx1; px++)
        {
            float ax = px + 0.5f - x0, ay = py + 0.5f - y0;
            float t = len2 > 0 ? std::clamp((ax * dx + ay * dy) / len2, 0.0f, 1.0f) : 0.0f;
            float ex = ax - t * dx, ey = ay - t * dy;
            Max(px, py, Edge(std::sqrt(ex * ex + ey * ey) - half));
        }
    return *this;
}

ArtMask& ArtMask::AddShape(const ArtShape& shape)
{
    // The shape painted white onto nothing leaves its coverage in the alpha.
    Lumo::MemoryImage scratch;
    scratch.Create(mWidth, mHeight);
    shape.Paint(scratch, 0xFFFFFF, 255);
    const uint32_t* pixels = scratch.GetPixels();
    for (int y = 0; y < mHeight; y++)
        for (int x = 0; x < mWidth; x++)
            Max(x, y, (pixels[size_t(y) * mWidth + x] >> 24) / 255.0f);
    return *this;
}

ArtMask& ArtMask::Union(const ArtMask& other)
{
    for (size_t i = 0; i < mCover.size() && i < other.mCover.size(); i++)
        mCover[i] = std::max(mCover[i], other.mCover[i]);
    return *this;
}

ArtMask& ArtMask::Subtract(const ArtMask& other)
{
    for (size_t i = 0; i < mCover.size() && i < other.mCover.size(); i++)
        mCover[i] = std::max(0.0f, mCover[i] - other.mCover[i]);
    return *this;
}

ArtMask& ArtMask::Intersect(const ArtMask& other)
{
    for (size_t i = 0; i < mCover.size() && i < other.mCover.size(); i++)
        mCover[i] = std::min(mCover[i], other.mCover[i]);
    return *this;
}

ArtMask& ArtMask::Scale(float factor)
{
    for (float& c : mCover)
        c = std::min(1.0f, c * factor);
    return *this;
}

ArtMask ArtMask::Shifted(int dx, int dy) const
{
    ArtMask out(mWidth, mHeight);
    for (int y = 0; y < mHeight; y++)
        for (int x = 0; x < mWidth; x++)
            out.mCover[size_t(y) * mWidth + x] = At(x - dx, y - dy);
    return out;
}

ArtMask ArtMask::Dilated(float radius) const
{
    ArtMask out(mWidth, mHeight);
    const int reach = (int)std::ceil(radius) + 1;
    struct Offset
    {
        int dx, dy;
        float over; // how far past the radius the offset reaches
    };
    std::vector<Offset> offsets;
    for (int dy = -reach; dy <= reach; dy++)
        for (int dx = -reach; dx <= reach; dx++)
        {
            float over = std::sqrt(float(dx * dx + dy * dy)) - radius;
            if (over < 1.0f)
                offsets.push_back({dx, dy, over > 0.0f ? over : 0.0f});
        }
    for (int y = 0; y < mHeight; y++)
        for (int x = 0; x < mWidth; x++)
        {
            float best = 0.0f;
            for (const Offset& o : offsets)
            {
                float c = At(x + o.dx, y + o.dy) - o.over;
                if (c > best)
                    best = c;
            }
            out.mCover[size_t(y) * mWidth + x] = best;
        }
    return out;
}

ArtMask& ArtMask::Blur(int radius)
{
    if (radius <= 0)
        return *this;
    std::vector<float> line;
    const float n = float(2 * radius + 1);
    for (int pass = 0; pass < 3; pass++)
    {
        // Rows, then columns; outside the mask counts as empty.
        line.assign(mWidth, 0.0f);
        for (int y = 0; y < mHeight; y++)
        {
            float* row = &mCover[size_t(y) * mWidth];
            for (int x = 0; x < mWidth; x++)
            {
                float sum = 0;
                for (int k = -radius; k <= radius; k++)
                {
                    int xx = x + k;
                    if (xx >= 0 && xx < mWidth)
                        sum += row[xx];
                }
                line[x] = sum / n;
            }
            std::copy(line.begin(), line.end(), row);
        }
        line.assign(mHeight, 0.0f);
        for (int x = 0; x < mWidth; x++)
        {
            for (int y = 0; y < mHeight; y++)
            {
                float sum = 0;
                for (int k = -radius; k <= radius; k++)
                {
                    int yy = y + k;
                    if (yy >= 0 && yy < mHeight)
                        sum += mCover[size_t(yy) * mWidth + x];
                }
                line[y] = sum / n;
            }
            for (int y = 0; y < mHeight; y++)
                mCover[size_t(y) * mWidth + x] = line[y];
        }
    }
    return *this;
}
