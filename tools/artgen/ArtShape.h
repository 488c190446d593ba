// Anti-aliased shapes for the art tool: a coverage mask built on a 4 x 4
// sub-pixel grid from polygons, circles and rounded rectangles, grown for
// outlines, and painted into a picture through the framework's coverage fill.
// Plain float arithmetic in a fixed order: the same input gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace Lumo
{
class MemoryImage;
}

struct ArtPoint
{
    float x, y;
};

class ArtShape
{
public:
    ArtShape(int width, int height);

    // --- adding area (pixel coordinates, pixel centres at +0.5)
    void AddPolygon(const std::vector<ArtPoint>& points);
    void AddCircle(float cx, float cy, float radius);
    void AddRoundRect(float x, float y, float width, float height, float radius);
    void Add(const ArtShape& other);

    // The shape grown by `pixels` in every direction (for outlines and shadows).
    ArtShape Grown(float pixels) const;
    // Paints the shape in the colour (0xRRGGBB) at the opacity (0-255).
    void Paint(Lumo::MemoryImage& image, uint32_t rgb, int alpha = 255) const;

private:
    static const int kSub = 4;    // sub-samples per pixel and axis
    int mWidth, mHeight;          // pixels
    std::vector<uint8_t> mInside; // (width * kSub) x (height * kSub) sub-samples
};
