#include "tools/artgen/ArtIcons.h"

#include <cmath>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtMask.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtShape.h"

namespace ArtIcons
{

namespace
{
using namespace ArtPalette;

// Icon coordinates: a 0..1 square mapped onto the image.
struct Frame
{
    float x, y, s;
    float X(float u) const { return x + u * s; }
    float Y(float v) const { return y + v * s; }
    float L(float d) const { return d * s; }
};

ArtMask Polygon(const Lumo::MemoryImage& image, const Frame& f,
                const std::vector<ArtPoint>& unitPoints)
{
    std::vector<ArtPoint> points;
    for (const ArtPoint& p : unitPoints)
        points.push_back({f.X(p.x), f.Y(p.y)});
    ArtShape shape(image.mWidth, image.mHeight);
    shape.AddPolygon(points);
    ArtMask mask(image.mWidth, image.mHeight);
    mask.AddShape(shape);
    return mask;
}

std::vector<ArtPoint> StarPoints(float cx, float cy, float outer, float inner, int points,
                                 float turn)
{
    std::vector<ArtPoint> out;
    for (int i = 0; i < points * 2; i++)
    {
        float r = i % 2 ? inner : outer;
        float a = turn + float(i) * 3.14159265f / points;
        out.push_back({cx + r * std::sin(a), cy - r * std::cos(a)});
    }
    return out;
}

float Outline(const Frame& f)
{
    return f.s >= 48 ? 2.5f : 2.0f;
}

// Shadow below right, coffee outline, then the shape with a top-lit gradient.
void Body(Lumo::MemoryImage& image, const Frame& f, const ArtMask& shape, uint32_t color)
{
    ArtMask outline = shape.Dilated(Outline(f));
    ArtPaint::Shadow(image, outline, 1, 2, 1, 0.30f);
    ArtPaint::Fill(image, outline, kCoffee);
    ArtPaint::FillVertical(image, shape, ArtPaint::Lighter(color, 0.25f),
                           ArtPaint::Darker(color, 0.10f), f.Y(0.1f), f.Y(0.9f));
}

// A soft white gleam near the top left.
void Gleam(Lumo::MemoryImage& image, const Frame& f, const ArtMask& inside, float u, float v,
           float r)
{
    ArtMask gleam(image.mWidth, image.mHeight);
    gleam.AddEllipse(f.X(u), f.Y(v), f.L(r), f.L(r * 0.6f));
    gleam.Blur(1).Intersect(inside);
    ArtPaint::Fill(image, gleam, 0xFFFFFF, 0.55f);
}

void Star(Lumo::MemoryImage& image, const Frame& f)
{
    ArtMask star = Polygon(image, f, StarPoints(0.5f, 0.53f, 0.44f, 0.19f, 5, 0.0f));
    Body(image, f, star, kButter);
    Gleam(image, f, star, 0.40f, 0.35f, 0.10f);
}

void Bolt(Lumo::MemoryImage& image, const Frame& f)
{
    ArtMask bolt = Polygon(image, f,
                           {{0.58f, 0.05f},
                            {0.20f, 0.56f},
                            {0.45f, 0.56f},
                            {0.36f, 0.95f},
                            {0.80f, 0.40f},
                            {0.55f, 0.40f},
                            {0.68f, 0.05f}});
    Body(image, f, bolt, ArtPaint::Mix(kButter, kCherry, 0.22f));
    Gleam(image, f, bolt, 0.52f, 0.22f, 0.07f);
}

void Clean(Lumo::MemoryImage& image, const Frame& f)
{
    // The broom leans from the top right; a sparkle shines at the top left.
    ArtMask stick(image.mWidth, image.mHeight);
    stick.AddLine(f.X(0.82f), f.Y(0.10f), f.X(0.46f), f.Y(0.60f), f.L(0.08f));
    Body(image, f, stick, kMocha);
    ArtMask bristles = Polygon(image, f,
                               {{0.40f, 0.52f},
                                {0.56f, 0.66f},
                                {0.42f, 0.94f},
                                {0.28f, 0.92f},
                                {0.16f, 0.84f},
                                {0.12f, 0.76f}});
    Body(image, f, bristles, kCaramel);
    ArtMask sparkle = Polygon(image, f, StarPoints(0.28f, 0.28f, 0.22f, 0.06f, 4, 0.0f));
    Body(image, f, sparkle, kSky);
    Gleam(image, f, sparkle, 0.25f, 0.22f, 0.05f);
}

void Rings(Lumo::MemoryImage& image, const Frame& f)
{
    const float centres[3][2] = {{0.32f, 0.40f}, {0.68f, 0.40f}, {0.50f, 0.70f}};
    const uint32_t colors[3] = {kMint, kCherry, kSky};
    for (int i = 0; i < 3; i++)
    {
        ArtMask ring(image.mWidth, image.mHeight);
        ring.AddCircle(f.X(centres[i][0]), f.Y(centres[i][1]), f.L(0.24f));
        ArtMask hole(image.mWidth, image.mHeight);
        hole.AddCircle(f.X(centres[i][0]), f.Y(centres[i][1]), f.L(0.14f));
        ring.Subtract(hole);
        Body(image, f, ring, colors[i]);
    }
}

void Crown(Lumo::MemoryImage& image, const Frame& f)
{
    ArtMask crown = Polygon(image, f,
                            {{0.10f, 0.30f},
                             {0.30f, 0.52f},
                             {0.50f, 0.18f},
                             {0.70f, 0.52f},
                             {0.90f, 0.30f},
                             {0.82f, 0.80f},
                             {0.18f, 0.80f}});
    crown.AddRoundRect(f.X(0.16f), f.Y(0.74f), f.L(0.68f), f.L(0.14f), f.L(0.04f));
    Body(image, f, crown, kButter);
    const float jewels[3][2] = {{0.30f, 0.66f}, {0.50f, 0.64f}, {0.70f, 0.66f}};
    const uint32_t colors[3] = {kMint, kCherry, kSky};
    for (int i = 0; i < 3; i++)
    {
        ArtMask jewel(image.mWidth, image.mHeight);
        jewel.AddCircle(f.X(jewels[i][0]), f.Y(jewels[i][1]), f.L(0.055f));
        ArtPaint::Fill(image, jewel.Dilated(1.0f), kCoffee);
        ArtPaint::Fill(image, jewel, colors[i]);
    }
    Gleam(image, f, crown, 0.36f, 0.40f, 0.07f);
}

void Coin(Lumo::MemoryImage& image, const Frame& f)
{
    ArtMask coin(image.mWidth, image.mHeight);
    coin.AddCircle(f.X(0.5f), f.Y(0.5f), f.L(0.42f));
    Body(image, f, coin, kButter);
    ArtMask rim(image.mWidth, image.mHeight);
    rim.AddCircle(f.X(0.5f), f.Y(0.5f), f.L(0.33f));
    ArtMask inside(image.mWidth, image.mHeight);
    inside.AddCircle(f.X(0.5f), f.Y(0.5f), f.L(0.30f));
    rim.Subtract(inside);
    ArtPaint::Fill(image, rim, ArtPaint::Darker(kButter, 0.18f));
    // The cup mark: a small cup with a handle and a wisp of steam.
    const uint32_t mark = ArtPaint::Mix(kButter, kMocha, 0.55f);
    ArtMask cup(image.mWidth, image.mHeight);
    cup.AddRoundRect(f.X(0.34f), f.Y(0.44f), f.L(0.26f), f.L(0.22f), f.L(0.07f));
    ArtMask handle(image.mWidth, image.mHeight);
    handle.AddCircle(f.X(0.62f), f.Y(0.54f), f.L(0.07f));
    ArtMask handleHole(image.mWidth, image.mHeight);
    handleHole.AddCircle(f.X(0.62f), f.Y(0.54f), f.L(0.035f));
    handle.Subtract(handleHole);
    cup.Union(handle);
    cup.AddLine(f.X(0.44f), f.Y(0.32f), f.X(0.50f), f.Y(0.39f), f.L(0.04f));
    ArtPaint::Fill(image, cup, mark);
    Gleam(image, f, coin, 0.36f, 0.28f, 0.09f);
}

void Heart(Lumo::MemoryImage& image, const Frame& f)
{
    ArtMask heart(image.mWidth, image.mHeight);
    heart.AddCircle(f.X(0.33f), f.Y(0.38f), f.L(0.21f));
    heart.AddCircle(f.X(0.67f), f.Y(0.38f), f.L(0.21f));
    heart.Union(Polygon(image, f, {{0.13f, 0.45f}, {0.87f, 0.45f}, {0.5f, 0.88f}}));
    Body(image, f, heart, kCherry);
    Gleam(image, f, heart, 0.30f, 0.30f, 0.08f);
}

void Clock(Lumo::MemoryImage& image, const Frame& f, int frame)
{
    ArtMask stem(image.mWidth, image.mHeight);
    stem.AddRoundRect(f.X(0.44f), f.Y(0.02f), f.L(0.12f), f.L(0.12f), f.L(0.03f));
    Body(image, f, stem, kCaramel);
    ArtMask face(image.mWidth, image.mHeight);
    face.AddCircle(f.X(0.5f), f.Y(0.54f), f.L(0.42f));
    Body(image, f, face, kCaramel);
    ArtMask dial(image.mWidth, image.mHeight);
    dial.AddCircle(f.X(0.5f), f.Y(0.54f), f.L(0.34f));
    ArtPaint::FillVertical(image, dial, 0xFFFFFF, kCream, f.Y(0.2f), f.Y(0.9f));
    for (int hour = 0; hour < 12; hour++)
    {
        float a = hour * 3.14159265f / 6.0f;
        float inner = hour % 3 ? 0.27f : 0.23f;
        ArtMask tick(image.mWidth, image.mHeight);
        tick.AddLine(f.X(0.5f + inner * std::sin(a)), f.Y(0.54f - inner * std::cos(a)),
                     f.X(0.5f + 0.31f * std::sin(a)), f.Y(0.54f - 0.31f * std::cos(a)),
                     f.L(hour % 3 ? 0.025f : 0.04f));
        ArtPaint::Fill(image, tick, kMocha);
    }
    float a = (frame % 12) * 3.14159265f / 6.0f;
    ArtMask hand(image.mWidth, image.mHeight);
    hand.AddLine(f.X(0.5f), f.Y(0.54f), f.X(0.5f + 0.25f * std::sin(a)),
                 f.Y(0.54f - 0.25f * std::cos(a)), f.L(0.06f));
    hand.AddCircle(f.X(0.5f), f.Y(0.54f), f.L(0.05f));
    ArtPaint::Fill(image, hand, kCherry);
}
} // namespace

void Draw(Lumo::MemoryImage& image, Icon icon, int x, int y, int size, int frame)
{
    // A little room for the outline and shadow inside the square.
    const float pad = size * 0.06f;
    Frame f{x + pad, y + pad, size - 2 * pad};
    switch (icon)
    {
    case kFlash:
        Bolt(image, f);
        break;
    case kClean:
        Clean(image, f);
        break;
    case kExpert:
        Star(image, f);
        break;
    case kMatch:
        Rings(image, f);
        break;
    case kMega:
        Crown(image, f);
        break;
    case kMoney:
        Coin(image, f);
        break;
    case kLives:
        Heart(image, f);
        break;
    case kClock:
        Clock(image, f, frame);
        break;
    default:
        break;
    }
}

const char* Name(Icon icon)
{
    static const char* const kNames[kIconCount] = {"flash", "clean", "expert", "match",
                                                   "mega",  "money", "lives",  "clock"};
    return icon >= 0 && icon < kIconCount ? kNames[icon] : "";
}

} // namespace ArtIcons
