#include "tools/artgen/ArtPaint.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtPalette.h"

namespace ArtPaint
{

namespace
{
int Channel(uint32_t rgb, int shift)
{
    return int((rgb >> shift) & 0xFF);
}

uint32_t Rgb(float r, float g, float b)
{
    auto c = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 255.0f))); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

void Blend(Lumo::MemoryImage& image, int x, int y, uint32_t rgb, float alpha)
{
    uint32_t a = uint32_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
    if (a == 0)
        return;
    uint32_t& p = image.GetPixels()[size_t(y) * image.mWidth + x];
    p = Lumo::BlendCoverage(p, rgb, a);
}

// Deterministic per-pixel noise in [-1, 1].
float Noise(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return float(h & 0xFFFF) / 32767.5f - 1.0f;
}
} // namespace

uint32_t Mix(uint32_t a, uint32_t b, float t)
{
    return Rgb(Channel(a, 16) + (Channel(b, 16) - Channel(a, 16)) * t,
               Channel(a, 8) + (Channel(b, 8) - Channel(a, 8)) * t,
               Channel(a, 0) + (Channel(b, 0) - Channel(a, 0)) * t);
}

uint32_t Lighter(uint32_t rgb, float amount)
{
    return Mix(rgb, 0xFFFFFF, amount);
}

uint32_t Darker(uint32_t rgb, float amount)
{
    return Mix(rgb, 0x000000, amount);
}

uint32_t OutlineOf(uint32_t fill)
{
    return Mix(Darker(fill, 0.28f), ArtPalette::kMocha, 0.40f);
}

void Fill(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t rgb, float alpha)
{
    for (int y = 0; y < image.mHeight && y < mask.Height(); y++)
        for (int x = 0; x < image.mWidth && x < mask.Width(); x++)
        {
            float c = mask.At(x, y);
            if (c > 0.0f)
                Blend(image, x, y, rgb, c * alpha);
        }
    image.PixelsChanged();
}

void FillVertical(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t top, uint32_t bottom,
                  float y0, float y1, float alpha)
{
    for (int y = 0; y < image.mHeight && y < mask.Height(); y++)
    {
        float t = y1 > y0 ? std::clamp((y + 0.5f - y0) / (y1 - y0), 0.0f, 1.0f) : 0.0f;
        uint32_t rgb = Mix(top, bottom, t);
        for (int x = 0; x < image.mWidth && x < mask.Width(); x++)
        {
            float c = mask.At(x, y);
            if (c > 0.0f)
                Blend(image, x, y, rgb, c * alpha);
        }
    }
    image.PixelsChanged();
}

void Grain(Lumo::MemoryImage& image, const ArtMask& mask, uint32_t seed, float strength)
{
    for (int y = 0; y < image.mHeight && y < mask.Height(); y++)
        for (int x = 0; x < image.mWidth && x < mask.Width(); x++)
        {
            float c = mask.At(x, y);
            if (c <= 0.0f)
                continue;
            float n = Noise(uint32_t(x), uint32_t(y), seed);
            Blend(image, x, y, n > 0 ? 0xFFFFFF : ArtPalette::kCoffee, std::fabs(n) * strength * c);
        }
    image.PixelsChanged();
}

void Shadow(Lumo::MemoryImage& image, const ArtMask& mask, int dx, int dy, int blur, float alpha)
{
    ArtMask shadow = mask.Shifted(dx, dy);
    shadow.Blur(blur);
    Fill(image, shadow, ArtPalette::kCoffee, alpha);
}

void Desaturate(Lumo::MemoryImage& image, float opacity)
{
    uint32_t* pixels = image.GetPixels();
    for (size_t i = 0; i < size_t(image.mWidth) * image.mHeight; i++)
    {
        uint32_t p = pixels[i];
        float grey = Channel(p, 16) * 0.30f + Channel(p, 8) * 0.59f + Channel(p, 0) * 0.11f;
        // Mostly grey, a hint of the colour left so the button stays recognisable.
        uint32_t rgb = Mix(p & 0xFFFFFF, Rgb(grey, grey, grey), 0.85f);
        uint32_t a = uint32_t(std::lround((p >> 24) * opacity));
        pixels[i] = (a << 24) | rgb;
    }
    image.PixelsChanged();
}

void Panel(Lumo::MemoryImage& image, float x, float y, float w, float h, const PanelStyle& style)
{
    const int width = image.mWidth, height = image.mHeight;
    ArtMask outer(width, height);
    outer.AddRoundRect(x, y, w, h, style.radius);
    if (style.shadow)
        Shadow(image, outer, 0, 4, 3, 60.0f / 255.0f);
    uint32_t outline = style.outline ? style.outline : OutlineOf(style.bottom);
    Fill(image, outer, outline);
    ArtMask inner(width, height);
    inner.AddRoundRect(x + 2, y + 2, w - 4, h - 4, style.radius - 2);
    FillVertical(image, inner, style.top, style.bottom, y, y + h);
    if (style.grain > 0)
        Grain(image, inner, style.seed, style.grain);
    // A one-pixel light line inside the top edge catches the light.
    ArtMask rim(width, height);
    rim.AddRoundRect(x + 3, y + 3, w - 6, h - 6, style.radius - 3);
    ArtMask below = rim.Shifted(0, 1);
    rim.Subtract(below);
    Fill(image, rim, 0xFFFFFF, 0.55f);
}

void Inset(Lumo::MemoryImage& image, float x, float y, float w, float h, float radius,
           uint32_t fill)
{
    ArtMask outer(image.mWidth, image.mHeight);
    outer.AddRoundRect(x, y, w, h, radius);
    Fill(image, outer, OutlineOf(fill));
    ArtMask inner(image.mWidth, image.mHeight);
    inner.AddRoundRect(x + 2, y + 2, w - 4, h - 4, radius - 2);
    Fill(image, inner, fill);
    // The sunken look: a soft dark band under the top rim.
    ArtMask top(image.mWidth, image.mHeight);
    top.AddRoundRect(x + 2, y + 2, w - 4, 6, std::min(radius - 2, 3.0f));
    top.Blur(1).Intersect(inner);
    Fill(image, top, ArtPalette::kCoffee, 0.12f);
}

uint32_t StateColour(uint32_t color, ButtonState state)
{
    if (state == kOver)
        return Lighter(color, 0.08f);
    if (state == kDown)
        return Darker(color, 0.08f);
    return color;
}

void Button(Lumo::MemoryImage& image, float x, float y, float w, float h, float radius,
            uint32_t color, ButtonState state)
{
    const int width = image.mWidth, height = image.mHeight;
    uint32_t fill = StateColour(color, state);
    if (state == kDown)
        y += 2;
    ArtMask body(width, height);
    body.AddRoundRect(x, y, w, h, radius);
    if (state != kDown)
        Shadow(image, body, 0, 2, 2, 0.30f);
    if (state == kOver)
    {
        ArtMask glow(width, height);
        glow.AddRoundRect(x - 2, y - 2, w + 4, h + 4, radius + 2);
        glow.Blur(1);
        Fill(image, glow, ArtPalette::kButter);
    }
    Fill(image, body, OutlineOf(color));
    ArtMask inner(width, height);
    inner.AddRoundRect(x + 2, y + 2, w - 4, h - 4, radius - 2);
    FillVertical(image, inner, Lighter(fill, 0.06f), Darker(fill, 0.06f), y, y + h);
    // The top highlight band: white at 25% over the upper part of the face.
    ArtMask band(width, height);
    band.AddRoundRect(x + 5, y + 3, w - 10, h * 0.42f, std::max(1.0f, radius - 5));
    band.Intersect(inner);
    Fill(image, band, 0xFFFFFF, 0.25f);
    if (state == kDisabled)
        Desaturate(image, 0.55f);
}

} // namespace ArtPaint
