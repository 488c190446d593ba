#include "tools/artgen/ArtPeople.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/Graphics.h"
#include "tools/artgen/ArtCafe.h"

namespace ArtPeople
{
using namespace ArtPalette;
using namespace ArtCafe;

const Look kZorka = {kCherry, 0xF8DCC0, kCoffee, 0};

namespace
{
// The figure's frame in units: 250 x 440 pixels at the comics' 2.6.
const float kPersonW = 250.0f / 2.6f, kPersonH = 440.0f / 2.6f, kLeft = 30.0f / 2.6f;

// Pixels per unit of the figure being drawn.
float gScale = 1.0f;

float S(float v)
{
    return v * gScale;
}

// Arcs in 16 pieces.
void Arc(ArtMask& mask, float cx, float cy, float r, float from, float to, float width)
{
    ArtCafe::Arc(mask, cx, cy, r, from, to, width, 16);
}

// Outlines keep their width in pixels down to small figures, but no wider
// than a unit and a half of them.
float Outline()
{
    return std::min(kOutlineWidth, std::max(0.6f, 1.5f * gScale));
}

void Hair(Lumo::MemoryImage& image, const Look& look, bool front)
{
    const float hx = S(48), hy = S(36), r = S(27);
    if (!front)
    {
        if (look.style == 0) // Zorka's bun sits behind the head
        {
            ArtMask bun = Mask(image);
            bun.AddCircle(hx, hy - r + S(2), S(10));
            Lit(image, bun, look.hair, hy - r - S(8), hy - r + S(12), Outline());
        }
        return;
    }
    ArtMask cap = Mask(image);
    cap.AddCircle(hx, hy - S(2), r + S(2));
    ArtMask top = Mask(image);
    top.AddRoundRect(0, 0, S(kPersonW), hy - S(8), 0);
    cap.Intersect(top);
    cap.AddEllipse(hx - S(24), hy - S(4), S(6), S(12))
        .AddEllipse(hx + S(24), hy - S(4), S(6), S(12));
    switch (look.style)
    {
    case 0:
    {
        // A side-swept fringe and a butter clip.
        cap.AddEllipse(hx - S(9), hy - S(17), S(17), S(7));
        Lit(image, cap, look.hair, hy - r, hy, Outline());
        ArtMask clip = Mask(image);
        clip.AddRoundRect(hx + S(9), hy - S(24), S(12), S(5), S(2.5f));
        Lit(image, clip, kButter, hy - S(24), hy - S(19), Outline());
        break;
    }
    case 1:
    {
        Lit(image, cap, look.hair, hy - r, hy, Outline());
        ArtMask beret = Mask(image);
        beret.AddEllipse(hx - S(4), hy - S(23), S(28), S(10));
        beret.AddCircle(hx - S(4), hy - S(33), S(3.5f));
        Lit(image, beret, ArtPaint::Darker(look.colour, 0.1f), hy - S(36), hy - S(13), Outline());
        break;
    }
    case 2:
    {
        ArtMask curls = Mask(image);
        for (int i = 0; i < 5; i++)
            curls.AddCircle(hx - S(22) + i * S(11), hy - S(22) + (i % 2) * S(3), S(10));
        curls.AddCircle(hx - S(25), hy - S(8), S(8)).AddCircle(hx + S(25), hy - S(8), S(8));
        Lit(image, curls, look.hair, hy - S(32), hy, Outline());
        break;
    }
    default:
    {
        Lit(image, cap, look.hair, hy - r, hy, Outline());
        ArtMask dome = Mask(image);
        dome.AddCircle(hx, hy - S(4), r + S(1));
        ArtMask above = Mask(image);
        above.AddRoundRect(0, 0, S(kPersonW), hy - S(14), 0);
        dome.Intersect(above);
        dome.AddEllipse(hx + S(22), hy - S(15), S(18), S(5));
        Lit(image, dome, ArtPaint::Darker(look.colour, 0.1f), hy - r - S(4), hy - S(10), Outline());
        break;
    }
    }
}

void Face(Lumo::MemoryImage& image, const Look& look)
{
    const float hx = S(48), hy = S(36), r = S(27);
    ArtMask head = Mask(image);
    head.AddCircle(hx, hy, r);
    Outlined(image, head, ArtPaint::Lighter(look.skin, 0.12f), ArtPaint::Darker(look.skin, 0.06f),
             hy - r, hy + r, Outline());
    ArtMask cheeks = Mask(image);
    cheeks.AddEllipse(hx - S(15), hy + S(9), S(5.5f), S(3.5f));
    cheeks.AddEllipse(hx + S(15), hy + S(9), S(5.5f), S(3.5f));
    cheeks.Blur(std::max(1, int(std::lround(S(1.2f)))));
    ArtPaint::Fill(image, cheeks, kCherry, 0.4f);
    ArtMask eyes = Mask(image);
    eyes.AddCircle(hx - S(9), hy, S(3.6f)).AddCircle(hx + S(9), hy, S(3.6f));
    ArtPaint::Fill(image, eyes, kCoffee);
    ArtMask sparks = Mask(image);
    sparks.AddCircle(hx - S(10), hy - S(1.3f), S(1.2f)).AddCircle(hx + S(8), hy - S(1.3f), S(1.2f));
    ArtPaint::Fill(image, sparks, 0xFFFFFF, 0.9f);
    ArtMask mouth = Mask(image);
    Arc(mouth, hx, hy + S(5), S(7.5f), 25, 155, S(2.2f));
    ArtPaint::Fill(image, mouth, kCoffee);
}

// Body, legs, the arm on the picture's right and the head; the arm on the
// left only when `leftArm` (Zorka's is a picture of its own).
void Person(Lumo::MemoryImage& image, const Look& look, bool leftArm, bool apron)
{
    FloorShadow(image, S(48), S(163), S(32), S(5), 0.35f, std::max(1, int(std::lround(S(1.2f)))));
    Hair(image, look, false);
    const uint32_t trousers = ArtPaint::Mix(kCoffee, look.colour, 0.25f);
    ArtMask legs = Mask(image);
    legs.AddRoundRect(S(31), S(128), S(14), S(34), S(6))
        .AddRoundRect(S(51), S(128), S(14), S(34), S(6));
    Lit(image, legs, trousers, S(128), S(162), Outline());
    ArtMask shoes = Mask(image);
    shoes.AddEllipse(S(37), S(162), S(10), S(5)).AddEllipse(S(59), S(162), S(10), S(5));
    Lit(image, shoes, kCoffee, S(157), S(167), Outline());
    ArtMask arms = Mask(image);
    if (leftArm)
        arms.AddEllipse(S(16), S(96), S(9), S(24));
    arms.AddEllipse(S(80), S(96), S(9), S(24));
    Lit(image, arms, ArtPaint::Darker(look.colour, 0.06f), S(72), S(120), Outline());
    ArtMask hands = Mask(image);
    if (leftArm)
        hands.AddCircle(S(16), S(120), S(6.5f));
    hands.AddCircle(S(80), S(120), S(6.5f));
    Lit(image, hands, look.skin, S(114), S(126), Outline());
    ArtMask body = Mask(image);
    body.AddRoundRect(S(18), S(56), S(60), S(82), S(24));
    Lit(image, body, look.colour, S(56), S(138), Outline());
    if (apron)
    {
        ArtMask front = Mask(image);
        front.AddRoundRect(S(29), S(74), S(38), S(58), S(10));
        ArtMask straps = Mask(image);
        straps.AddLine(S(33), S(76), S(40), S(58), S(3)).AddLine(S(63), S(76), S(56), S(58), S(3));
        front.Union(straps);
        Outlined(image, front, 0xFFFFFF, kCream, S(58), S(132), std::min(1.5f, Outline()));
        ArtMask pocket = Mask(image);
        pocket.AddRoundRect(S(39), S(104), S(18), S(11), S(4));
        ArtPaint::Fill(image, pocket.Dilated(std::min(1.2f, Outline())), kPageEdge, 0.8f);
        ArtPaint::Fill(image, pocket, kCream);
    }
    else
    {
        ArtMask collar = Polygon(image, {{S(36), S(60)}, {S(48), S(72)}, {S(60), S(60)}});
        ArtPaint::Fill(image, collar.Dilated(std::min(1.5f, Outline())),
                       ArtPaint::OutlineOf(look.colour));
        ArtPaint::Fill(image, collar, 0xFFFFFF, 0.95f);
        ArtMask buttons = Mask(image);
        buttons.AddCircle(S(48), S(82), S(2.5f)).AddCircle(S(48), S(94), S(2.5f));
        ArtPaint::Fill(image, buttons, ArtPaint::Darker(look.colour, 0.35f));
    }
    Face(image, look);
    Hair(image, look, true);
}

// Zorka's own arm in the frame of her figure: hanging, or raised to wave, out
// to the side of her head.
void DrawZorkaArm(Lumo::MemoryImage& image, bool raised)
{
    const uint32_t sleeve = ArtPaint::Darker(kZorka.colour, 0.06f);
    const float ox = S(kLeft);
    ArtMask arm = Mask(image);
    ArtMask hand = Mask(image);
    if (raised)
    {
        // From the shoulder (20, 78) up and out.
        arm.AddLine(ox + S(20), S(80), ox + S(0), S(46), S(17));
        hand.AddCircle(ox - S(2), S(40), S(7.5f));
    }
    else
    {
        arm.AddEllipse(ox + S(16), S(96), S(9), S(24));
        hand.AddCircle(ox + S(16), S(120), S(6.5f));
    }
    Lit(image, arm, sleeve, raised ? S(30) : S(72), raised ? S(80) : S(120), Outline());
    Lit(image, hand, kZorka.skin, raised ? S(30) : S(114), raised ? S(46) : S(126), Outline());
}
} // namespace

int FrameLeft(float scale)
{
    return int(std::lround(kLeft * scale));
}

int FrameWidth(float scale)
{
    return int(std::lround((kPersonW + kLeft) * scale));
}

int FrameHeight(float scale)
{
    return int(std::lround(kPersonH * scale));
}

float FeetX(float scale)
{
    return FrameLeft(scale) + 48.0f * scale;
}

float FeetY(float scale)
{
    return 167.0f * scale;
}

Lumo::MemoryImage Figure(const Look& look, float scale, bool leftArm, bool apron)
{
    gScale = scale;
    const int personW = int(std::lround(kPersonW * scale));
    Lumo::MemoryImage figure = Blank(personW, FrameHeight(scale));
    Person(figure, look, leftArm, apron);
    // Moved into the wider frame.
    Lumo::MemoryImage image = Blank(FrameWidth(scale), FrameHeight(scale));
    const int left = FrameLeft(scale);
    const uint32_t* from = figure.GetPixels();
    uint32_t* to = image.GetPixels();
    for (int y = 0; y < image.mHeight; y++)
        for (int x = 0; x < personW && x + left < image.mWidth; x++)
            to[y * image.mWidth + x + left] = from[y * personW + x];
    image.PixelsChanged();
    return image;
}

Lumo::MemoryImage ZorkaArm(float scale, bool raised)
{
    gScale = scale;
    Lumo::MemoryImage image = Blank(FrameWidth(scale), FrameHeight(scale));
    DrawZorkaArm(image, raised);
    return image;
}

Lumo::MemoryImage Zorka(float scale, bool waving)
{
    Lumo::MemoryImage image = Figure(kZorka, scale, false, true);
    Lumo::MemoryImage arm = ZorkaArm(scale, waving);
    // The arm hangs behind the body, a raised one stands clear of it.
    Lumo::Graphics g(&image);
    if (waving)
    {
        g.DrawImage(&arm, 0, 0);
        return image;
    }
    Lumo::MemoryImage behind = Blank(image.mWidth, image.mHeight);
    Lumo::Graphics back(&behind);
    back.DrawImage(&arm, 0, 0);
    back.DrawImage(&image, 0, 0);
    return behind;
}

} // namespace ArtPeople
