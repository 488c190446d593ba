#include "tools/artgen/ArtScreens.h"

#include <algorithm>
#include <cmath>

#include "framework/graphics/BlendPixel.h"
#include "framework/graphics/Graphics.h"
#include "tools/artgen/ArtIcons.h"

#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtPeople.h"
#include "tools/artgen/ArtText.h"

namespace ArtScreens
{
using namespace ArtPalette;

// ============================================================================
// Figures
// ============================================================================

namespace
{
void Face(Lumo::MemoryImage& image, float cx, float cy, float r)
{
    ArtMask eyes = Mask(image);
    eyes.AddCircle(cx - r * 0.36f, cy - r * 0.05f, std::max(1.2f, r * 0.11f));
    eyes.AddCircle(cx + r * 0.36f, cy - r * 0.05f, std::max(1.2f, r * 0.11f));
    ArtPaint::Fill(image, eyes, kCoffee);
    if (r >= 10)
    {
        ArtMask smile = Mask(image);
        smile.AddEllipse(cx, cy + r * 0.30f, r * 0.28f, r * 0.16f);
        ArtMask lid = Mask(image);
        lid.AddEllipse(cx, cy + r * 0.22f, r * 0.32f, r * 0.14f);
        smile.Subtract(lid);
        ArtPaint::Fill(image, smile, kCoffee);
        ArtMask cheeks = Mask(image);
        cheeks.AddCircle(cx - r * 0.55f, cy + r * 0.22f, r * 0.15f);
        cheeks.AddCircle(cx + r * 0.55f, cy + r * 0.22f, r * 0.15f);
        cheeks.Blur(1);
        ArtPaint::Fill(image, cheeks, kCherry, 0.35f);
    }
}

const uint32_t kSkin = 0xF6D2B0;

// A figure is drawn on a canvas of its own bounds and then laid on the
// picture: its masks stay small however large the picture is.
template <class Draw>
void OnCanvas(Lumo::MemoryImage& image, float x0, float y0, float x1, float y1, Draw draw)
{
    const int margin = 6;
    int ix = int(std::floor(x0)) - margin, iy = int(std::floor(y0)) - margin;
    int iw = int(std::ceil(x1)) - ix + margin, ih = int(std::ceil(y1)) - iy + margin;
    if (iw <= 0 || ih <= 0)
        return;
    Lumo::MemoryImage local = Blank(iw, ih);
    draw(local, float(ix), float(iy));
    Lumo::Graphics g(&image);
    g.DrawImage(&local, ix, iy);
}

void DrawClient(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color,
                bool seated)
{
    const float top = baseY - s;
    const float headR = s * 0.16f;
    const float headY = top + headR;
    const float bodyTop = headY + headR * 0.8f;
    ArtMask body = Mask(image);
    body.AddRoundRect(cx - s * 0.2f, bodyTop, s * 0.4f, baseY - bodyTop, s * 0.16f);
    if (!seated)
        FloorShadow(image, cx, baseY, s * 0.22f, s * 0.04f, 0.3f);
    Lit(image, body, color, bodyTop, baseY);
    ArtMask head = Mask(image);
    head.AddCircle(cx, headY, headR);
    Lit(image, head, kSkin, headY - headR, headY + headR);
    Face(image, cx, headY + headR * 0.12f, headR);
}

void DrawCup(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color)
{
    ArtMask cup = Mask(image);
    cup.AddRoundRect(cx - s * 0.5f, baseY - s, s, s, s * 0.25f);
    ArtMask handle = Mask(image);
    handle.AddCircle(cx + s * 0.55f, baseY - s * 0.55f, s * 0.26f);
    ArtMask hole = Mask(image);
    hole.AddCircle(cx + s * 0.55f, baseY - s * 0.55f, s * 0.13f);
    handle.Subtract(hole);
    cup.Union(handle);
    Lit(image, cup, color, baseY - s, baseY, std::max(1.0f, s * 0.08f));
}

void DrawTable(Lumo::MemoryImage& image, float cx, float topY, float w, uint32_t cloth)
{
    const float legH = w * 0.55f;
    FloorShadow(image, cx, topY + legH, w * 0.45f, w * 0.07f, 0.3f);
    ArtMask leg = Mask(image);
    leg.AddRoundRect(cx - w * 0.05f, topY, w * 0.1f, legH, w * 0.03f);
    leg.AddRoundRect(cx - w * 0.22f, topY + legH - w * 0.05f, w * 0.44f, w * 0.06f, w * 0.03f);
    Lit(image, leg, kMocha, topY, topY + legH);
    ArtMask top = Mask(image);
    top.AddEllipse(cx, topY, w * 0.5f, w * 0.12f);
    top.AddRoundRect(cx - w * 0.5f, topY, w, w * 0.1f, w * 0.04f);
    Lit(image, top, cloth, topY - w * 0.12f, topY + w * 0.1f);
    DrawCup(image, cx - w * 0.12f, topY - w * 0.02f, w * 0.16f, kCream);
}
} // namespace

void Hostess(Lumo::MemoryImage& image, float cx, float baseY, float s, bool waving)
{
    // Zorka as the comics draw her, from her bun (a unit below her frame's
    // top) to her soles (167 units down).
    const float scale = s / 166.0f;
    Lumo::MemoryImage zorka = ArtPeople::Zorka(scale, waving);
    Lumo::Graphics g(&image);
    g.DrawImage(&zorka, int(std::lround(cx - ArtPeople::FeetX(scale))),
                int(std::lround(baseY - ArtPeople::FeetY(scale))));
}

void Client(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color, bool seated)
{
    OnCanvas(image, cx - 0.3f * s, baseY - 1.05f * s, cx + 0.3f * s, baseY + 0.08f * s,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             { DrawClient(local, cx - ox, baseY - oy, s, color, seated); });
}

void Cup(Lumo::MemoryImage& image, float cx, float baseY, float s, uint32_t color)
{
    OnCanvas(image, cx - 0.6f * s, baseY - 1.1f * s, cx + 0.95f * s, baseY + 2,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             { DrawCup(local, cx - ox, baseY - oy, s, color); });
}

void Table(Lumo::MemoryImage& image, float cx, float topY, float w, uint32_t cloth)
{
    OnCanvas(image, cx - 0.56f * w, topY - 0.25f * w, cx + 0.56f * w, topY + 0.7f * w,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             { DrawTable(local, cx - ox, topY - oy, w, cloth); });
}

// ============================================================================
// Scenes
// ============================================================================

namespace
{
uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

float Unit(uint32_t& state)
{
    return float(Next(state) & 0xFFFF) / 65535.0f;
}

struct CafeLook
{
    uint32_t wallTop, wallBottom, trim, cloth, floor;
};

const CafeLook kLooks[3] = {
    {0xF8E6C8, 0xEBCFA3, kCaramel, 0xF2C14E, 0xA8714A},
    {0xDDF1E6, 0xB9DECB, kMint, 0xF7EBD3, 0x9C6B45},
    {0xF6D9D3, 0xE8B8AE, kCherry, 0xFFFFFF, 0x7E5238},
};
} // namespace

CafeRoomLayout CafeRoom(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe,
                        uint32_t variant)
{
    const CafeLook& look = kLooks[std::clamp(cafe, 1, 3) - 1];
    uint32_t state = variant * 2654435761u + uint32_t(cafe) * 97u;

    const float floorY = y + h * 0.72f;
    ArtMask wall = Mask(image);
    wall.AddRoundRect(float(x), float(y), float(w), floorY - y, 0);
    ArtPaint::FillVertical(image, wall, look.wallTop, look.wallBottom, float(y), floorY);
    // The cafe's pattern: stripes (1), leaves (2), tiles (3).
    ArtMask pattern = Mask(image);
    if (cafe == 1)
        for (int sx = x + 6; sx < x + w; sx += 28)
            pattern.AddRoundRect(float(sx), float(y), 12, floorY - y, 0);
    else if (cafe == 2)
        for (int row = 0; row < 6; row++)
            for (int col = 0; col < 12; col++)
                pattern.AddEllipse(x + col * w / 11.0f + (row % 2) * 12.0f,
                                   y + row * (floorY - y) / 5.0f, 5, 3);
    else
        for (int row = 0; y + row * 20 < floorY; row++)
            for (int sx = x - (row % 2) * 20; sx < x + w; sx += 40)
                pattern.AddRoundRect(float(sx) + 2, float(y + row * 20) + 2, 36, 16, 3);
    pattern.Intersect(wall);
    ArtPaint::Fill(image, pattern, ArtPaint::Darker(look.wallBottom, 0.05f), 0.5f);

    // The window and the hour of the day: morning, noon, evening.
    float hour = Unit(state);
    uint32_t skyTop = hour < 0.33f ? 0xFCE3B5 : (hour < 0.66f ? 0xA9D8F0 : 0xF0A986);
    uint32_t skyBottom = hour < 0.33f ? 0xBFE0F0 : (hour < 0.66f ? kSky : 0x8F7FB5);
    float wx = x + w * (0.08f + 0.5f * Unit(state)), ww = w * 0.3f, wy = y + h * 0.08f,
          wh = h * 0.36f;
    float cloudU = Unit(state);
    OnCanvas(image, wx - 5, wy - 5, wx + ww + 5, wy + wh + 5,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             {
                 float lx = wx - ox, ly = wy - oy;
                 ArtMask window = Mask(local);
                 window.AddRoundRect(lx, ly, ww, wh, 6);
                 ArtPaint::Fill(local, window.Dilated(4), ArtPaint::OutlineOf(look.trim));
                 ArtPaint::Fill(local, window.Dilated(2.5f), look.trim);
                 ArtPaint::FillVertical(local, window, skyTop, skyBottom, ly, ly + wh);
                 ArtMask cloud = Mask(local);
                 float cx0 = lx + ww * (0.2f + 0.5f * cloudU);
                 cloud.AddEllipse(cx0, ly + wh * 0.35f, ww * 0.16f, wh * 0.08f);
                 cloud.AddEllipse(cx0 + ww * 0.1f, ly + wh * 0.3f, ww * 0.12f, wh * 0.1f);
                 cloud.Intersect(window);
                 ArtPaint::Fill(local, cloud, 0xFFFFFF, 0.8f);
                 ArtMask bars = Mask(local);
                 bars.AddRoundRect(lx + ww / 2 - 2, ly, 4, wh, 0);
                 bars.AddRoundRect(lx, ly + wh / 2 - 2, ww, 4, 0);
                 ArtPaint::Fill(local, bars, look.trim);
             });

    // A lamp hanging from the ceiling.
    float lx = x + w * (0.15f + 0.7f * Unit(state));
    ArtMask glow = Mask(image);
    glow.AddEllipse(lx, y + h * 0.2f, w * 0.12f, h * 0.12f);
    glow.Blur(4).Intersect(wall);
    ArtPaint::Fill(image, glow, kButter, 0.25f);
    OnCanvas(image, lx - h * 0.1f, float(y), lx + h * 0.1f, y + h * 0.2f,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             {
                 float cx = lx - ox, top = y - oy;
                 ArtMask cord = Mask(local);
                 cord.AddLine(cx, top - 2, cx, top + h * 0.12f, 2);
                 ArtPaint::Fill(local, cord, kCoffee);
                 ArtMask shade = Polygon(local, {{cx - h * 0.05f, top + h * 0.12f},
                                                 {cx + h * 0.05f, top + h * 0.12f},
                                                 {cx + h * 0.09f, top + h * 0.19f},
                                                 {cx - h * 0.09f, top + h * 0.19f}});
                 Lit(local, shade, kButter, top + h * 0.12f, top + h * 0.19f, 1.5f);
             });

    // Floor boards.
    ArtMask floor = Mask(image);
    floor.AddRoundRect(float(x), floorY, float(w), y + h - floorY, 0);
    ArtPaint::FillVertical(image, floor, ArtPaint::Lighter(look.floor, 0.12f),
                           ArtPaint::Darker(look.floor, 0.1f), floorY, float(y + h));
    ArtMask seams = Mask(image);
    for (float fy = floorY + 8; fy < y + h; fy += 10)
        seams.AddRoundRect(float(x), fy, float(w), 1, 0);
    ArtPaint::Fill(image, seams, kCoffee, 0.18f);
    ArtMask skirting = Mask(image);
    skirting.AddRoundRect(float(x), floorY - 4, float(w), 5, 0);
    ArtPaint::Fill(image, skirting, ArtPaint::OutlineOf(look.trim));

    // The counter on one side, with the coffee machine.
    bool counterLeft = (Next(state) & 1) != 0;
    float cw = w * 0.26f, ch = h * 0.3f;
    float ctx = counterLeft ? x - 6.0f : x + w - cw + 6.0f;
    float mx = ctx + cw * (counterLeft ? 0.45f : 0.15f);
    OnCanvas(image, ctx, floorY - ch - h * 0.16f, ctx + cw, floorY + 6,
             [&](Lumo::MemoryImage& local, float ox, float oy)
             {
                 ArtMask counter = Mask(local);
                 counter.AddRoundRect(ctx - ox, floorY - ch - oy, cw, ch + 6, 5);
                 Lit(local, counter, look.trim, floorY - ch - oy, floorY - oy);
                 ArtMask machine = Mask(local);
                 machine.AddRoundRect(mx - ox, floorY - ch - h * 0.16f - oy, cw * 0.4f, h * 0.16f,
                                      4);
                 Lit(local, machine, 0xB8B2AA, floorY - ch - h * 0.16f - oy, floorY - ch - oy);
             });
    Cup(image, mx + cw * 0.2f, floorY - ch - 2, h * 0.05f, kCream);
    return {counterLeft, floorY, cw};
}

void CafeFolk(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe,
              const CafeRoomLayout& room, uint32_t seed, float busy, bool hostess)
{
    const CafeLook& look = kLooks[std::clamp(cafe, 1, 3) - 1];
    uint32_t state = seed * 2654435761u + uint32_t(cafe) * 131u;
    const bool counterLeft = room.counterLeft;
    const float floorY = room.floorY, cw = room.counterWidth;
    // Tables and clients; busier days bring more of them.
    const uint32_t clients[6] = {kSky, kMint, kCaramel, 0x9B7BC4, kButter, 0x6FA0BF};
    int tables = 2 + int(Unit(state) * 1.5f);
    float free0 = counterLeft ? x + cw : float(x), free1 = counterLeft ? float(x + w) : x + w - cw;
    for (int t = 0; t < tables; t++)
    {
        float tx = free0 + (free1 - free0) * (t + 0.5f) / tables;
        float tw = std::min(h * 0.34f, (free1 - free0) / tables * 0.55f);
        float ty = floorY + h * 0.04f - tw * 0.4f;
        if (Unit(state) < 0.35f + busy * 0.6f)
            Client(image, tx - tw * 0.55f, ty + tw * 0.2f, h * 0.3f, clients[Next(state) % 6],
                   true);
        if (Unit(state) < busy * 0.7f)
            Client(image, tx + tw * 0.55f, ty + tw * 0.2f, h * 0.3f, clients[Next(state) % 6],
                   true);
        Table(image, tx, ty, tw, look.cloth);
    }
    // The hostess on her way with the order.
    float hx = free0 + (free1 - free0) * (0.2f + 0.6f * Unit(state));
    bool waving = Unit(state) < 0.3f;
    if (hostess)
        Hostess(image, hx, y + h * 0.97f, h * 0.52f, waving);
}

void CafeScene(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe, uint32_t seed,
               float busy, bool hostess)
{
    CafeRoomLayout room = CafeRoom(image, x, y, w, h, cafe, seed);
    CafeFolk(image, x, y, w, h, cafe, room, seed, busy, hostess);
}

void PhotoCard(Lumo::MemoryImage& image, int x, int y, int w, int h, int margin, int caption)
{
    ArtMask card = Mask(image);
    card.AddRoundRect(float(x), float(y), float(w), float(h), 4);
    ArtPaint::Shadow(image, card, 2, 4, 3, 0.3f);
    ArtPaint::Fill(image, card, ArtPaint::Darker(kCream, 0.15f));
    ArtMask face = Mask(image);
    face.AddRoundRect(x + 1.0f, y + 1.0f, w - 2.0f, h - 2.0f, 3);
    ArtPaint::FillVertical(image, face, 0xFFFDF8, 0xF6F0E4, float(y), float(y + h));
    ArtMask hole = Mask(image);
    hole.AddRoundRect(float(x + margin), float(y + margin), float(w - 2 * margin),
                      float(h - margin - caption), 0);
    ArtPaint::Fill(image, hole, kCoffee, 0.15f);
}

void Icon(Lumo::MemoryImage& image, int icon, int x, int y, int size, int frame)
{
    Lumo::MemoryImage local = Blank(size, size);
    ArtIcons::Draw(local, (ArtIcons::Icon)icon, 0, 0, size, frame);
    Lumo::Graphics g(&image);
    g.DrawImage(&local, x, y);
}

void Badge(Lumo::MemoryImage& image, uint32_t ring)
{
    ArtMask disc = Mask(image);
    disc.AddCircle(48, 48, 42);
    ArtPaint::Shadow(image, disc, 1, 3, 2, 0.3f);
    ArtPaint::Fill(image, disc, ArtPaint::OutlineOf(ring));
    ArtMask inner = Mask(image);
    inner.AddCircle(48, 48, 38);
    ArtPaint::FillVertical(image, inner, ArtPaint::Lighter(ring, 0.2f), ring, 8, 88);
    ArtMask face = Mask(image);
    face.AddCircle(48, 48, 32);
    ArtPaint::FillVertical(image, face, 0xFFFDF6, kCream, 14, 82);
}

void ShadeColumn(Lumo::MemoryImage& image, int x, int y0, int y1, uint32_t rgb, float alpha)
{
    uint32_t a = uint32_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 255.0f));
    if (a == 0 || x < 0 || x >= image.mWidth)
        return;
    uint32_t* pixels = image.GetPixels();
    for (int y = std::max(0, y0); y < std::min(image.mHeight, y1); y++)
    {
        uint32_t& p = pixels[size_t(y) * image.mWidth + x];
        p = Lumo::BlendCoverage(p, rgb, a);
    }
    image.PixelsChanged();
}

void HangingTab(Lumo::MemoryImage& image, const ArtMask& tab, uint32_t face, int state, int w,
                int h, float dy, float seam)
{
    ArtPaint::Shadow(image, tab, 0, 3, 2, 0.35f);
    if (state == ArtPaint::kOver)
    {
        ArtMask glow = tab.Dilated(2.0f);
        glow.Blur(1);
        ArtPaint::Fill(image, glow, kButter);
    }
    Lit(image, tab, face, dy, h + dy);
    ArtMask band = Mask(image);
    band.AddRoundRect(10, 4 + dy, w - 12.0f, seam, seam * 0.5f);
    ArtPaint::Fill(image, band, 0xFFFFFF, 0.35f);
}

void Label(Lumo::MemoryImage& image, const std::wstring& text, int cx, int baseline, int pixels,
           uint32_t color, bool outline)
{
    ArtText::Style style;
    style.pixels = pixels;
    style.color = color;
    style.outlineWidth = outline ? 1 : 0;
    ArtText::DrawCentred(image, text, cx, baseline, style);
}
} // namespace ArtScreens
