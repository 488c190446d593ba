// The level HUD's pictures: the clock panel and its 12 watch frames (the day
// from opening to closing), the survival clock's 12 frames, the alarm bell and
// the closed sign, the money panels (goal and expert), the lives, small
// buttons, the splashes, the clean and freeze overlays, the smiles, the
// tutorial's note and dim layer, and "achievment", the task-goal atlas of
// 60 x 90 cells: row 1 the counts 1 to 40, rows 2 to 7 each goal's gauge
// from done (row 2) to untouched (row 7), row 8 the done mark.
#include <cmath>

#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

const float kPi = 3.14159265f;
const char* const kStates[4] = {"normal", "over", "down", "disabled"};
const ArtIcons::Icon kGoalIcons[5] = {ArtIcons::kFlash, ArtIcons::kClean, ArtIcons::kExpert,
                                      ArtIcons::kMatch, ArtIcons::kMega};

void HudPanel(ArtOutput& out, const char* file, int w, int h, uint32_t trim)
{
    Lumo::MemoryImage image = Blank(w, h);
    ArtPaint::PanelStyle style;
    style.radius = 14;
    style.seed = 61;
    ArtPaint::Panel(image, 6, 4, w - 12.0f, h - 12.0f, style);
    ArtMask band = Mask(image);
    band.AddRoundRect(8, 6, w - 16.0f, 7, 4);
    ArtPaint::Fill(image, band, trim);
    out.Save(file, image);
}

// A clock's round face of the rim colour with its shadow, and the dial inside
// it from white to `dialBottom`.
void ClockFace(Lumo::MemoryImage& image, float cx, float cy, float r, uint32_t rim,
               uint32_t dialBottom)
{
    ArtMask face = Mask(image);
    face.AddCircle(cx, cy, r);
    ArtPaint::Shadow(image, face, 0, 2, 2, 0.3f);
    Lit(image, face, rim, cy - r, cy + r, 2.5f);
    ArtMask dial = Mask(image);
    dial.AddCircle(cx, cy, r - 6);
    ArtPaint::FillVertical(image, dial, 0xFFFFFF, dialBottom, cy - r, cy + r);
}

// The day clock: the hand sweeps from 8 (opening) to 6 (closing) over 12
// frames; the last one is the closing hour, its face warmed red.
void Watch(ArtOutput& out)
{
    for (int frame = 0; frame < 12; frame++)
    {
        Lumo::MemoryImage image = Blank(96, 96);
        const float cx = 48, cy = 50, r = 40;
        bool closing = frame == 11;
        ClockFace(image, cx, cy, r, kCaramel, closing ? 0xF6C9C2 : kCream);
        // The opening hours as a mint band, the part gone by in butter.
        const float a0 = -2.0f * kPi / 3.0f, span = 2.0f * kPi * 10.0f / 12.0f;
        float done = span * frame / 11.0f;
        for (int i = 0; i <= 60; i++)
        {
            float a = a0 + span * i / 60.0f, b = a0 + span * (i + 1) / 60.0f;
            ArtMask arc = Mask(image);
            arc.AddLine(cx + (r - 10) * std::sin(a), cy - (r - 10) * std::cos(a),
                        cx + (r - 10) * std::sin(b), cy - (r - 10) * std::cos(b), 5);
            ArtPaint::Fill(image, arc, a - a0 <= done ? kButter : kMint, 0.85f);
        }
        for (int hour = 0; hour < 12; hour++)
        {
            float a = hour * kPi / 6.0f;
            ArtMask tick = Mask(image);
            tick.AddLine(cx + (r - 17) * std::sin(a), cy - (r - 17) * std::cos(a),
                         cx + (r - 13) * std::sin(a), cy - (r - 13) * std::cos(a), 2);
            ArtPaint::Fill(image, tick, kMocha);
        }
        float a = a0 + done;
        ArtMask hand = Mask(image);
        hand.AddLine(cx, cy, cx + (r - 14) * std::sin(a), cy - (r - 14) * std::cos(a), 4);
        hand.AddCircle(cx, cy, 4);
        ArtPaint::Fill(image, hand, closing ? kCherry : kCoffee);
        out.Save(Lumo::StrFormat("hud/watch%02d.png", frame), image);
    }
}

// The survival clock: a pie that fills towards the next upgrade.
void UpgradeClock(ArtOutput& out)
{
    for (int frame = 0; frame < 12; frame++)
    {
        Lumo::MemoryImage image = Blank(96, 96);
        const float cx = 48, cy = 50, r = 40;
        ClockFace(image, cx, cy, r, kSky, kCream);
        float sweep = 2.0f * kPi * frame / 11.0f;
        if (frame > 0)
        {
            std::vector<ArtPoint> pie = {{cx, cy}};
            for (int i = 0; i <= 48; i++)
            {
                float a = sweep * i / 48.0f;
                pie.push_back({cx + (r - 8) * std::sin(a), cy - (r - 8) * std::cos(a)});
            }
            ArtMask fill = Polygon(image, pie);
            ArtPaint::FillVertical(image, fill, ArtPaint::Lighter(kMint, 0.2f), kMint, cy - r,
                                   cy + r);
        }
        ArtIcons::Draw(image, ArtIcons::kMoney, 32, 34, 32);
        out.Save(Lumo::StrFormat("hud/upgrade_%02d.png", frame), image);
    }
}

void Bell(ArtOutput& out)
{
    // Two cels: the bell rocking left and right.
    Lumo::MemoryImage strip = Blank(96, 48);
    for (int cel = 0; cel < 2; cel++)
    {
        float tilt = cel ? 0.25f : -0.25f;
        float cx = cel * 48 + 24.0f, top = 8;
        auto rot = [&](float x, float y)
        {
            float dx = x - cx, dy = y - top;
            return ArtPoint{cx + dx * std::cos(tilt) - dy * std::sin(tilt),
                            top + dx * std::sin(tilt) + dy * std::cos(tilt)};
        };
        ArtMask bell = Polygon(strip, {rot(cx - 6, top + 4), rot(cx + 6, top + 4),
                                       rot(cx + 14, top + 26), rot(cx + 17, top + 30),
                                       rot(cx - 17, top + 30), rot(cx - 14, top + 26)});
        bell.AddCircle(rot(cx, top + 4).x, rot(cx, top + 4).y, 7);
        Lit(strip, bell, kButter, top, top + 32, 2);
        ArtMask clapper = Mask(strip);
        ArtPoint c = rot(cx, top + 34);
        clapper.AddCircle(c.x, c.y, 4);
        ArtPaint::Fill(strip, clapper.Dilated(1.5f), kCoffee);
        ArtPaint::Fill(strip, clapper, kCaramel);
        ArtMask lines = Mask(strip);
        float side = cel ? -1.0f : 1.0f;
        lines.AddLine(cx + side * 20, top + 6, cx + side * 23, top + 2, 2);
        lines.AddLine(cx + side * 21, top + 14, cx + side * 26, top + 13, 2);
        ArtPaint::Fill(strip, lines, kCherry);
    }
    out.Save("hud/alarm.png", strip);
}

void Sign(ArtOutput& out, const char* file, int w, int h, uint32_t color)
{
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask sign = Mask(image);
    sign.AddRoundRect(3, 3, w - 6.0f, h - 8.0f, 8);
    ArtPaint::Shadow(image, sign, 0, 2, 2, 0.3f);
    Lit(image, sign, color, 3, h - 5.0f);
    ArtMask band = Mask(image);
    band.AddRoundRect(8, 6, w - 16.0f, 3, 1.5f);
    ArtPaint::Fill(image, band, 0xFFFFFF, 0.3f);
    out.Save(file, image);
}

void SmallButtons(ArtOutput& out, const char* name, uint32_t color)
{
    for (int state = 0; state < 4; state++)
    {
        Lumo::MemoryImage image = Blank(120, 48);
        ArtPaint::Button(image, 6, 6, 108, 36, 18, color, (ArtPaint::ButtonState)state);
        out.Save(std::string("hud/btn_small_") + name + "_" + kStates[state] + ".png", image);
    }
}

void UpgradeGlow(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(132, 60);
    ArtMask glow = Mask(image);
    glow.AddRoundRect(8, 8, 116, 44, 22);
    glow.Blur(4);
    ArtPaint::Fill(image, glow, kButter, 0.9f);
    out.Save("hud/upgrade_back.png", image);
}

void Lives(ArtOutput& out)
{
    for (int n = 0; n < 4; n++)
    {
        Lumo::MemoryImage image = Blank(150, 48);
        for (int i = 0; i < 3; i++)
        {
            Lumo::MemoryImage heart = Blank(44, 44);
            ArtIcons::Draw(heart, ArtIcons::kLives, 0, 0, 44);
            if (i >= n)
                ArtPaint::Desaturate(heart, 0.35f);
            Lumo::Graphics g(&image);
            g.DrawImage(&heart, 4 + i * 48, 2);
        }
        out.Save(Lumo::StrFormat("hud/life_%d.png", n), image);
    }
}

// A splash: a ribbon banner with a badge over it.
void Splash(ArtOutput& out, const char* name, uint32_t color, ArtIcons::Icon icon, int stars)
{
    const int w = 480, h = 200;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask tailL = Polygon(image, {{20, 96}, {90, 96}, {90, 156}, {20, 156}, {44, 126}});
    ArtMask tailR = Polygon(
        image,
        {{w - 20.0f, 96}, {w - 90.0f, 96}, {w - 90.0f, 156}, {w - 20.0f, 156}, {w - 44.0f, 126}});
    tailL.Union(tailR);
    Lit(image, tailL, ArtPaint::Darker(color, 0.2f), 96, 156);
    ArtMask ribbon = Mask(image);
    ribbon.AddRoundRect(60, 80, w - 120.0f, 70, 14);
    ArtPaint::Shadow(image, ribbon, 0, 4, 3, 0.35f);
    Lit(image, ribbon, color, 80, 150);
    ArtMask band = Mask(image);
    band.AddRoundRect(70, 86, w - 140.0f, 8, 4);
    ArtPaint::Fill(image, band, 0xFFFFFF, 0.3f);
    for (int i = 0; i < stars; i++)
    {
        int size = i == stars / 2 ? 76 : 56;
        int x = w / 2 - size / 2 + (i - stars / 2) * 70;
        Icon(image, icon, x, 70 - size + (i == stars / 2 ? 0 : 14), size);
    }
    out.Save(std::string("hud/splash_") + name + ".png", image);
}

// Sparkles over the whole scene, drawn small and blown up by the HUD.
void CleanOverlay(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(200, 150);
    uint32_t seed = 77;
    for (int i = 0; i < 26; i++)
    {
        seed = seed * 1664525u + 1013904223u;
        float x = float((seed >> 8) % 200), y = float((seed >> 16) % 150);
        float r = 2.0f + float((seed >> 4) % 4);
        ArtMask star = Mask(image);
        star.AddLine(x - r, y, x + r, y, 0.8f);
        star.AddLine(x, y - r, x, y + r, 0.8f);
        star.AddCircle(x, y, r * 0.35f);
        ArtMask glow = star.Dilated(1.0f);
        glow.Blur(1);
        ArtPaint::Fill(image, glow, kSky, 0.5f);
        ArtPaint::Fill(image, star, 0xFFFFFF, 0.9f);
    }
    out.Save("hud/globalcleaning.png", image);
}

// Frost creeping in from the edges, in three steps.
void Freeze(ArtOutput& out)
{
    for (int step = 1; step <= 3; step++)
    {
        Lumo::MemoryImage image = Blank(200, 150);
        ArtMask frost = Mask(image);
        frost.AddRoundRect(-10, -10, 220, 170, 0);
        ArtMask clear = Mask(image);
        float inset = 26.0f - step * 7.0f;
        clear.AddRoundRect(inset, inset, 200 - 2 * inset, 150 - 2 * inset, 30);
        clear.Blur(4);
        frost.Subtract(clear);
        ArtPaint::Fill(image, frost, 0xDDF1FA, 0.35f + 0.1f * step);
        uint32_t seed = 31u * step;
        for (int i = 0; i < 10 * step; i++)
        {
            seed = seed * 1664525u + 1013904223u;
            float x = float((seed >> 8) % 200), y = float((seed >> 16) % 150);
            bool edge = x < 30 || x > 170 || y < 24 || y > 126;
            if (!edge)
                continue;
            ArtMask flake = Mask(image);
            for (int k = 0; k < 3; k++)
            {
                float a = k * kPi / 3.0f;
                flake.AddLine(x - 3 * std::cos(a), y - 3 * std::sin(a), x + 3 * std::cos(a),
                              y + 3 * std::sin(a), 0.7f);
            }
            ArtPaint::Fill(image, flake, 0xFFFFFF, 0.9f);
        }
        out.Save(Lumo::StrFormat("hud/freeze_%d.png", step), image);
    }
}

// A smile that pops up and fades: 8 cels of 64 x 64.
void Smiles(ArtOutput& out)
{
    const uint32_t colors[3] = {kButter, kMint, kSky};
    for (int s = 0; s < 3; s++)
    {
        Lumo::MemoryImage strip = Blank(64 * 8, 64);
        for (int cel = 0; cel < 8; cel++)
        {
            Lumo::MemoryImage face = Blank(64, 64);
            float r = 10.0f + std::min(cel, 4) * 4.5f;
            ArtMask disc = Mask(face);
            disc.AddCircle(32, 34 - cel * 1.5f, r);
            Lit(face, disc, colors[s], 34 - r, 34 + r, 1.5f);
            ArtMask eyes = Mask(face);
            eyes.AddCircle(32 - r * 0.35f, 30 - cel * 1.5f, r * 0.1f + 0.8f);
            eyes.AddCircle(32 + r * 0.35f, 30 - cel * 1.5f, r * 0.1f + 0.8f);
            ArtMask mouth = Mask(face);
            mouth.AddEllipse(32, 36 - cel * 1.5f + r * 0.25f, r * 0.45f, r * 0.3f);
            ArtMask lid = Mask(face);
            lid.AddEllipse(32, 36 - cel * 1.5f + r * 0.12f, r * 0.5f, r * 0.28f);
            mouth.Subtract(lid);
            eyes.Union(mouth);
            ArtPaint::Fill(face, eyes, kCoffee);
            float fade = cel < 5 ? 1.0f : 1.0f - (cel - 4) * 0.25f;
            Lumo::Graphics g(&strip);
            g.SetTintImages(true);
            g.SetColor(255, 255, 255, int(255 * fade));
            g.DrawImage(&face, cel * 64, 0);
        }
        out.Save(Lumo::StrFormat("hud/smile%02d.png", s + 1), strip);
    }
}

void Note(ArtOutput& out)
{
    const int w = 540, h = 124;
    Lumo::MemoryImage image = Blank(w, h);
    ArtPaint::PanelStyle style;
    style.radius = 16;
    style.seed = 88;
    style.top = 0xFFFDF4;
    style.bottom = 0xF8EED8;
    ArtPaint::Panel(image, 8, 6, w - 16.0f, h - 16.0f, style);
    ArtMask band = Mask(image);
    band.AddRoundRect(10, 8, 12, h - 20.0f, 6);
    ArtPaint::Fill(image, band, kSky);
    Icon(image, ArtIcons::kLives, 30, 34, 44);
    out.Save("hud/note.png", image);

    Lumo::MemoryImage dim = Blank(8, 8);
    ArtMask all = Mask(dim);
    all.AddRoundRect(-1, -1, 10, 10, 0);
    ArtPaint::Fill(dim, all, kCoffee, 0.45f);
    out.Save("hud/dim.png", dim);
}

// The task-goal atlas.
void Atlas(ArtOutput& out)
{
    const int cw = 60, ch = 90, columns = 40, rows = 9;
    Lumo::MemoryImage atlas = Blank(cw * columns, ch * rows);
    Lumo::Graphics g(&atlas);
    // Row 1: the counts, a small coffee badge with the number at the cell's foot.
    for (int n = 1; n <= columns; n++)
    {
        Lumo::MemoryImage cell = Blank(cw, ch);
        ArtMask badge = Mask(cell);
        badge.AddRoundRect(12, 62, 36, 24, 12);
        Lit(cell, badge, kCoffee, 62, 86, 1.5f);
        Label(cell, std::to_wstring(n), 30, 81, 17, 0xFFFFFF, false);
        g.DrawImage(&cell, (n - 1) * cw, ch);
    }
    // Rows 2 to 7: the goal's icon in a ring that fills as the goal is done.
    for (int goal = 0; goal < 5; goal++)
        for (int row = 2; row <= 7; row++)
        {
            float done = 1.0f - (row - 2) / 5.0f;
            Lumo::MemoryImage cell = Blank(cw, ch);
            const float cx = 30, cy = 32, r = 26;
            ArtMask disc = Mask(cell);
            disc.AddCircle(cx, cy, r);
            ArtPaint::Shadow(cell, disc, 0, 2, 2, 0.3f);
            Lit(cell, disc, row == 2 ? kMint : kCream, cy - r, cy + r, 1.5f);
            ArtMask ring = Mask(cell);
            for (int i = 0; i < 48 && i < int(48 * done + 0.5f); i++)
            {
                float a = 2.0f * kPi * i / 48.0f, b = 2.0f * kPi * (i + 1) / 48.0f;
                ring.AddLine(cx + (r - 3) * std::sin(a), cy - (r - 3) * std::cos(a),
                             cx + (r - 3) * std::sin(b), cy - (r - 3) * std::cos(b), 4);
            }
            ArtPaint::Fill(cell, ring, row == 2 ? 0xFFFFFF : kMint);
            Lumo::MemoryImage icon = Blank(cw, ch);
            ArtIcons::Draw(icon, kGoalIcons[goal], 12, 14, 36);
            if (row != 2)
                ArtPaint::Desaturate(icon, 0.6f + 0.4f * done);
            Lumo::Graphics c(&cell);
            c.DrawImage(&icon, 0, 0);
            g.DrawImage(&cell, goal * cw, row * ch);
        }
    // Row 8: the goal is done.
    Lumo::MemoryImage cell = Blank(cw, ch);
    ArtMask badge = Mask(cell);
    badge.AddRoundRect(12, 62, 36, 24, 12);
    Lit(cell, badge, kMint, 62, 86, 1.5f);
    ArtMask tick = Mask(cell);
    tick.AddLine(22, 74, 28, 80, 3);
    tick.AddLine(28, 80, 38, 67, 3);
    ArtPaint::Fill(cell, tick, 0xFFFFFF);
    g.DrawImage(&cell, 0, 8 * ch);
    atlas.PixelsChanged();
    out.Save("hud/achievment.png", atlas);
}
} // namespace

ART_GROUP(hud)
{
    HudPanel(out, "hud/left.png", 240, 116, kCaramel);
    HudPanel(out, "hud/goal.png", 204, 116, kMint);
    HudPanel(out, "hud/expert.png", 204, 116, kButter);
    Watch(out);
    UpgradeClock(out);
    Bell(out);
    Sign(out, "hud/closed.png", 116, 44, kCherry);
    SmallButtons(out, "caramel", kCaramel);
    SmallButtons(out, "mint", kMint);
    SmallButtons(out, "cherry", kCherry);
    UpgradeGlow(out);
    Lives(out);
    Splash(out, "goal", kMint, ArtIcons::kMoney, 3);
    Splash(out, "expert", kButter, ArtIcons::kExpert, 3);
    Splash(out, "success", kMint, ArtIcons::kExpert, 1);
    Splash(out, "fail", kCherry, ArtIcons::kClock, 1);
    Splash(out, "surv_end", kSky, ArtIcons::kLives, 1);
    CleanOverlay(out);
    Freeze(out);
    Smiles(out);
    Note(out);
    Atlas(out);
}
