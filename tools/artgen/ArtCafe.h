// Shared strokes of the cafe's pictures (the room, its furniture, its
// clients) and of the screens': a blank picture, a shape filled with a top-lit
// gradient inside the coffee outline, a soft floor shadow, a polygon as a
// mask and an arc as a stroke. Sizes and anchors come from
// game/gameplay/KpCafeArt.h, which the play places them by.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtMask.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtShape.h"

namespace ArtCafe
{
inline Lumo::MemoryImage Blank(int width, int height)
{
    Lumo::MemoryImage image;
    image.Create(width, height);
    return image;
}

inline ArtMask Mask(const Lumo::MemoryImage& image)
{
    return ArtMask(image.mWidth, image.mHeight);
}

inline ArtMask Polygon(const Lumo::MemoryImage& image, const std::vector<ArtPoint>& points)
{
    ArtShape shape(image.mWidth, image.mHeight);
    shape.AddPolygon(points);
    ArtMask mask(image.mWidth, image.mHeight);
    mask.AddShape(shape);
    return mask;
}

// The coffee outline, then the shape lit from the top: `light` at y0, `dark` at y1.
inline void Outlined(Lumo::MemoryImage& image, const ArtMask& shape, uint32_t light, uint32_t dark,
                     float y0, float y1, float outline = ArtPalette::kOutlineWidth)
{
    if (outline > 0.0f)
        ArtPaint::Fill(image, shape.Dilated(outline), ArtPalette::kCoffee);
    ArtPaint::FillVertical(image, shape, light, dark, y0, y1);
}

// The same in one colour: lighter at the top, darker at the bottom.
inline void Lit(Lumo::MemoryImage& image, const ArtMask& shape, uint32_t color, float y0, float y1,
                float outline = ArtPalette::kOutlineWidth)
{
    Outlined(image, shape, ArtPaint::Lighter(color, 0.22f), ArtPaint::Darker(color, 0.08f), y0, y1,
             outline);
}

// A soft shadow on the floor: a blurred ellipse in coffee.
inline void FloorShadow(Lumo::MemoryImage& image, float cx, float cy, float rx, float ry,
                        float alpha, int blur = 3)
{
    ArtMask shadow = Mask(image);
    shadow.AddEllipse(cx, cy, rx, ry);
    shadow.Blur(blur);
    ArtPaint::Fill(image, shadow, ArtPalette::kCoffee, alpha);
}

// An arc of a circle as a stroke of `steps` straight pieces (angles in
// degrees, 0 = right, 90 = down).
inline void Arc(ArtMask& mask, float cx, float cy, float r, float from, float to, float width,
                int steps)
{
    float px = 0, py = 0;
    for (int i = 0; i <= steps; i++)
    {
        float a = (from + (to - from) * float(i) / steps) * 3.14159265f / 180.0f;
        float x = cx + r * std::cos(a), y = cy + r * std::sin(a);
        if (i > 0)
            mask.AddLine(px, py, x, y, width);
        px = x;
        py = y;
    }
}

// A small white gleam (light from the top left).
inline void Gleam(Lumo::MemoryImage& image, float x, float y, float w, float h, float alpha)
{
    ArtMask gleam = Mask(image);
    gleam.AddRoundRect(x, y, w, h, std::min(w, h) * 0.5f);
    ArtPaint::Fill(image, gleam, 0xFFFFFF, alpha);
}
} // namespace ArtCafe
