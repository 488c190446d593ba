// The cafe's things: tables (oak and marble) and chairs (plain and comfy),
// the mess a client leaves, the products of the menu, the money and life pops
// and the upgrades' decoration (curtains, ferns, the espresso machine, the
// radio).
#include <cmath>

#include "game/gameplay/KpCafeArt.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"

namespace
{
using namespace ArtPalette;
using namespace ArtCafe;
using namespace KpCafeArt;

// A ring: the ellipse less a smaller one.
ArtMask Ring(const Lumo::MemoryImage& image, float cx, float cy, float rx, float ry, float width)
{
    ArtMask ring = Mask(image);
    ring.AddEllipse(cx, cy, rx, ry);
    ArtMask hole = Mask(image);
    hole.AddEllipse(cx, cy, rx - width, ry - width);
    ring.Subtract(hole);
    return ring;
}

// A leaf from its base to its tip, `width` across at the middle.
std::vector<ArtPoint> Leaf(float x0, float y0, float x1, float y1, float width)
{
    float dx = x1 - x0, dy = y1 - y0, len = std::sqrt(dx * dx + dy * dy);
    float nx = -dy / len * width * 0.5f, ny = dx / len * width * 0.5f;
    return {{x0, y0},
            {x0 + dx * 0.3f + nx, y0 + dy * 0.3f + ny},
            {x0 + dx * 0.65f + nx * 0.8f, y0 + dy * 0.65f + ny * 0.8f},
            {x1, y1},
            {x0 + dx * 0.65f - nx * 0.8f, y0 + dy * 0.65f - ny * 0.8f},
            {x0 + dx * 0.3f - nx, y0 + dy * 0.3f - ny}};
}

void Table(ArtOutput& out, const char* skin, uint32_t top, uint32_t edge, bool marble)
{
    Lumo::MemoryImage image = Blank(kTableWidth, kTableHeight);
    const float cx = kTableWidth / 2.0f, cy = float(kTableTopY);
    FloorShadow(image, cx, kTableHeight - 10, 66, 9, 0.28f);
    ArtMask foot = Mask(image);
    foot.AddEllipse(cx, kTableHeight - 13, 32, 8);
    Lit(image, foot, kMocha, kTableHeight - 21, kTableHeight - 5);
    ArtMask leg = Mask(image);
    leg.AddRoundRect(cx - 8, cy + 14, 16, kTableHeight - 13 - cy - 14, 4);
    Outlined(image, leg, ArtPaint::Lighter(kMocha, 0.2f), ArtPaint::Darker(kMocha, 0.15f), cy,
             kTableHeight);
    // The edge of the top, then the top lit from the upper left.
    ArtMask side = Mask(image);
    side.AddEllipse(cx, cy + 8, kTableTopRX, kTableTopRY);
    Lit(image, side, edge, cy, cy + 38);
    ArtMask face = Mask(image);
    face.AddEllipse(cx, cy, kTableTopRX, kTableTopRY);
    ArtPaint::FillVertical(image, face, ArtPaint::Lighter(top, 0.25f), top, cy - 30, cy + 30);
    if (marble)
    {
        ArtMask veins = Mask(image);
        veins.AddLine(cx - 60, cy - 8, cx - 30, cy + 4, 1.2f)
            .AddLine(cx - 30, cy + 4, cx + 6, cy - 2, 1.0f);
        veins.AddLine(cx + 6, cy - 2, cx + 44, cy + 14, 1.3f)
            .AddLine(cx + 20, cy - 20, cx + 46, cy - 6, 1.0f);
        veins.AddLine(cx - 40, cy + 16, cx - 10, cy + 22, 0.9f);
        veins.Intersect(face);
        ArtPaint::Fill(image, veins, 0x9C9489, 0.45f);
    }
    else
    {
        ArtMask rings = Ring(image, cx, cy, 58, 21, 1.4f);
        rings.Union(Ring(image, cx + 6, cy + 1, 38, 13, 1.3f));
        rings.Union(Ring(image, cx + 10, cy + 2, 18, 6, 1.2f));
        ArtPaint::Fill(image, rings, kCoffee, 0.12f);
    }
    ArtMask gleam = Ring(image, cx - 8, cy - 3, 66, 23, 3.0f);
    ArtMask upperLeft = Mask(image);
    upperLeft.AddRoundRect(0, 0, cx - 10, cy - 8, 0);
    gleam.Intersect(upperLeft);
    ArtPaint::Fill(image, gleam, 0xFFFFFF, 0.35f);
    out.Save(std::string("cafe/table_") + skin + ".png", image);
}

void Chair(ArtOutput& out, bool comfy)
{
    Lumo::MemoryImage image = Blank(kChairWidth, kChairHeight);
    const float cx = kChairWidth / 2.0f;
    ArtMask legs = Mask(image);
    legs.AddRoundRect(cx - 44, 84, 10, 46, 4).AddRoundRect(cx + 34, 84, 10, 46, 4);
    Lit(image, legs, kMocha, 84, 130);
    ArtMask back = Mask(image);
    back.AddRoundRect(cx - 48, 6, 96, 96, 34);
    Outlined(image, back, ArtPaint::Lighter(kMocha, 0.2f), ArtPaint::Darker(kMocha, 0.1f), 6, 102);
    ArtMask panel = Mask(image);
    panel.AddRoundRect(cx - 36, 16, 72, 76, 26);
    if (comfy)
    {
        ArtPaint::Fill(image, panel.Dilated(1.5f), ArtPaint::OutlineOf(kCherry));
        ArtPaint::FillVertical(image, panel, ArtPaint::Lighter(kCherry, 0.3f), kCherry, 16, 92);
        ArtMask tufts = Mask(image);
        for (int row = 0; row < 3; row++)
            for (int col = 0; col < 3; col++)
                tufts.AddCircle(cx - 20 + col * 20 + (row % 2) * 10 - 5, 32 + row * 20, 2.4f);
        ArtPaint::Fill(image, tufts, ArtPaint::Darker(kCherry, 0.35f));
        Gleam(image, cx - 28, 22, 14, 30, 0.25f);
    }
    else
    {
        ArtPaint::FillVertical(image, panel, ArtPaint::Lighter(kCaramel, 0.15f),
                               ArtPaint::Darker(kCaramel, 0.05f), 16, 92);
        ArtMask slats = Mask(image);
        for (int i = 0; i < 3; i++)
            slats.AddRoundRect(cx - 23 + i * 18, 22, 10, 66, 5);
        ArtPaint::Fill(image, slats, ArtPaint::Darker(kMocha, 0.05f), 0.8f);
    }
    out.Save(comfy ? "cafe/chair_comfy.png" : "cafe/chair.png", image);
}

void Mess(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kDirtyWidth, kDirtyHeight);
    const float cx = kDirtyWidth / 2.0f, cy = kDirtyHeight / 2.0f;
    ArtMask rings = Ring(image, cx - 28, cy - 2, 13, 6, 2.0f);
    rings.Union(Ring(image, cx + 26, cy + 8, 11, 5, 2.0f));
    ArtPaint::Fill(image, rings, kCoffee, 0.45f);
    ArtMask spill = Mask(image);
    spill.AddEllipse(cx - 4, cy + 12, 12, 4).AddEllipse(cx + 6, cy + 14, 7, 3);
    ArtPaint::Fill(image, spill, kMocha, 0.6f);
    // Crumbs, scattered by a fixed pattern.
    ArtMask crumbs = Mask(image);
    uint32_t h = 12345;
    for (int i = 0; i < 16; i++)
    {
        h = h * 1103515245u + 12345u;
        float x = cx - 50 + float((h >> 8) % 100);
        h = h * 1103515245u + 12345u;
        float y = cy - 14 + float((h >> 8) % 28);
        crumbs.AddCircle(x, y, 1.6f + float(i % 3) * 0.6f);
    }
    ArtPaint::Fill(image, crumbs.Dilated(0.8f), kCoffee, 0.6f);
    ArtPaint::Fill(image, crumbs, kCaramel);
    // A used cup on its saucer and a crumpled napkin.
    ArtMask saucer = Mask(image);
    saucer.AddEllipse(cx + 34, cy - 4, 15, 5);
    Lit(image, saucer, 0xFFFFFF, cy - 9, cy + 1, 1.5f);
    ArtMask cup = Mask(image);
    cup.AddRoundRect(cx + 24, cy - 22, 20, 18, 6);
    Lit(image, cup, 0xFFFFFF, cy - 22, cy - 4, 1.5f);
    ArtMask dregs = Mask(image);
    dregs.AddEllipse(cx + 34, cy - 20, 8, 2.5f);
    ArtPaint::Fill(image, dregs, kMocha);
    ArtMask napkin = Polygon(image, {{cx - 52, cy + 2},
                                     {cx - 40, cy - 10},
                                     {cx - 30, cy - 4},
                                     {cx - 34, cy + 10},
                                     {cx - 46, cy + 12}});
    Lit(image, napkin, 0xFFFFFF, cy - 10, cy + 12, 1.5f);
    out.Save("cafe/table_dirty.png", image);
}

// --- products, kProductSize square, drawn on a 40 px grid
void Coffee(Lumo::MemoryImage& im)
{
    ArtMask saucer = Mask(im);
    saucer.AddEllipse(20, 33, 16, 4.5f);
    Lit(im, saucer, 0xFFFFFF, 28, 38);
    ArtMask handle = Ring(im, 31, 22, 6, 6, 2.6f);
    Lit(im, handle, 0xFFFFFF, 16, 28);
    ArtMask cup = Mask(im);
    cup.AddRoundRect(8, 13, 23, 20, 8);
    Lit(im, cup, 0xFFFFFF, 13, 33);
    ArtMask band = Mask(im);
    band.AddRoundRect(8, 22, 23, 4, 0);
    band.Intersect(cup);
    ArtPaint::Fill(im, band, kCaramel);
    ArtMask top = Mask(im);
    top.AddEllipse(19.5f, 14, 10.5f, 3);
    ArtPaint::Fill(im, top, kMocha);
    ArtMask steam = Mask(im);
    steam.AddLine(15, 9, 17, 5, 1.6f).AddLine(17, 5, 15, 1.5f, 1.6f);
    steam.AddLine(23, 9, 25, 5, 1.6f).AddLine(25, 5, 23, 1.5f, 1.6f);
    ArtPaint::Fill(im, steam, kSky, 0.8f);
}

void Tea(Lumo::MemoryImage& im)
{
    ArtMask saucer = Mask(im);
    saucer.AddEllipse(20, 33, 17, 4.5f);
    Lit(im, saucer, kMint, 28, 38);
    ArtMask handle = Ring(im, 33, 23, 5, 5, 2.4f);
    Lit(im, handle, kMint, 18, 28);
    ArtMask cup = Mask(im);
    cup.AddEllipse(19, 22, 14, 11);
    ArtMask cut = Mask(im);
    cut.AddRoundRect(0, 0, 40, 18, 0);
    cup.Subtract(cut);
    cup.AddEllipse(19, 18, 14, 3.5f);
    Lit(im, cup, kMint, 15, 33);
    ArtMask tea = Mask(im);
    tea.AddEllipse(19, 18, 12, 2.8f);
    ArtPaint::Fill(im, tea, 0xC8782E);
    ArtMask tag = Mask(im);
    tag.AddLine(9, 18, 6, 26, 1.0f);
    tag.AddRoundRect(3, 26, 6, 7, 1);
    ArtPaint::Fill(im, tag, kButter);
}

void Croissant(Lumo::MemoryImage& im)
{
    ArtMask body = Mask(im);
    body.AddEllipse(20, 22, 9, 10);
    body.AddEllipse(12, 25, 7, 8).AddEllipse(28, 25, 7, 8);
    body.AddEllipse(6, 29, 4.5f, 5).AddEllipse(34, 29, 4.5f, 5);
    Outlined(im, body, ArtPaint::Lighter(kButter, 0.1f), kCaramel, 12, 34);
    ArtMask folds = Mask(im);
    folds.AddLine(15, 17, 14, 31, 1.2f).AddLine(25, 17, 26, 31, 1.2f);
    folds.Intersect(body);
    ArtPaint::Fill(im, folds, kMocha, 0.55f);
    Gleam(im, 16, 15, 6, 3, 0.5f);
}

void Cake(Lumo::MemoryImage& im)
{
    ArtMask plate = Mask(im);
    plate.AddEllipse(20, 33, 17, 4.5f);
    Lit(im, plate, 0xFFFFFF, 28, 38);
    ArtMask side = Polygon(im, {{6, 20}, {30, 13}, {30, 30}, {6, 33}});
    Lit(im, side, kButter, 13, 33);
    ArtMask jam = Polygon(im, {{6, 25}, {30, 20}, {30, 23}, {6, 28}});
    ArtPaint::Fill(im, jam, kCherry);
    ArtMask front = Polygon(im, {{30, 13}, {36, 17}, {36, 31}, {30, 30}});
    Lit(im, front, ArtPaint::Darker(kButter, 0.1f), 13, 31);
    ArtMask icing = Polygon(im, {{6, 20}, {24, 10}, {36, 17}, {30, 13}});
    icing.AddEllipse(18, 16, 12, 3);
    Lit(im, icing, 0xFFF6EA, 9, 21, 1.5f);
    ArtMask cherry = Mask(im);
    cherry.AddCircle(22, 9, 4);
    Lit(im, cherry, kCherry, 5, 13);
    Gleam(im, 20, 6.5f, 2, 2, 0.8f);
}

void Juice(Lumo::MemoryImage& im)
{
    ArtMask straw = Mask(im);
    straw.AddLine(24, 12, 30, 1, 2.4f);
    ArtPaint::Fill(im, straw.Dilated(1), kCoffee);
    ArtPaint::Fill(im, straw, kCherry);
    ArtMask glass = Polygon(im, {{9, 9}, {31, 9}, {28, 37}, {12, 37}});
    Outlined(im, glass, 0xEAF6FB, 0xCFE6F1, 9, 37, 1.8f);
    ArtMask juice = Polygon(im, {{10.3f, 15}, {29.7f, 15}, {27.6f, 35}, {12.4f, 35}});
    ArtPaint::FillVertical(im, juice, 0xFFC45C, 0xF39A2E, 15, 35);
    ArtMask slice = Mask(im);
    slice.AddCircle(9, 11, 6);
    ArtMask half = Mask(im);
    half.AddRoundRect(0, 11, 20, 10, 0);
    slice.Subtract(half);
    Lit(im, slice, 0xF7A531, 5, 11, 1.5f);
    Gleam(im, 13, 17, 3, 14, 0.55f);
}

void Sundae(Lumo::MemoryImage& im)
{
    ArtMask foot = Mask(im);
    foot.AddEllipse(20, 35, 9, 3);
    foot.AddRoundRect(18, 26, 4, 9, 1);
    Lit(im, foot, 0xEAF6FB, 26, 38, 1.5f);
    ArtMask cup = Polygon(im, {{6, 18}, {34, 18}, {26, 28}, {14, 28}});
    Outlined(im, cup, 0xEAF6FB, 0xCFE6F1, 18, 28, 1.8f);
    ArtMask scoops = Mask(im);
    scoops.AddCircle(14, 16, 7.5f);
    Lit(im, scoops, 0xE58FB0, 9, 23);
    ArtMask mint = Mask(im);
    mint.AddCircle(26, 15, 7.5f);
    Lit(im, mint, kMint, 8, 22);
    ArtMask wafer = Polygon(im, {{28, 3}, {32, 4}, {29, 14}, {26, 13}});
    Lit(im, wafer, kCaramel, 3, 14, 1.5f);
    ArtMask cherry = Mask(im);
    cherry.AddCircle(19, 7, 3.8f);
    Lit(im, cherry, kCherry, 3, 11);
}

void Products(ArtOutput& out)
{
    struct P
    {
        const char* name;
        void (*draw)(Lumo::MemoryImage&);
    };
    const P products[] = {{"coffee", Coffee}, {"tea", Tea},     {"croissant", Croissant},
                          {"cake", Cake},     {"juice", Juice}, {"sundae", Sundae}};
    for (const P& p : products)
    {
        Lumo::MemoryImage image = Blank(kProductSize, kProductSize);
        p.draw(image);
        out.Save(std::string("cafe/prod_") + p.name + ".png", image);
    }
}

void Pops(ArtOutput& out)
{
    Lumo::MemoryImage coin = Blank(kPopIconSize, kPopIconSize);
    ArtIcons::Draw(coin, ArtIcons::kMoney, 0, 0, kPopIconSize);
    out.Save("cafe/coin_small.png", coin);
    Lumo::MemoryImage heart = Blank(kPopIconSize, kPopIconSize);
    ArtIcons::Draw(heart, ArtIcons::kLives, 0, 0, kPopIconSize);
    out.Save("cafe/heart_small.png", heart);

    // A career day's lives on the scene: the survival HUD's hearts, a lost one greyed as there.
    Lumo::MemoryImage life = Blank(kLifeHeartSize, kLifeHeartSize);
    ArtIcons::Draw(life, ArtIcons::kLives, 0, 0, kLifeHeartSize);
    out.Save("cafe/life_heart.png", life);
    ArtPaint::Desaturate(life, 0.35f);
    out.Save("cafe/life_heart_lost.png", life);
}

// --- the upgrades' decoration (bottom centre at its place in the level)
void Curtains(ArtOutput& out)
{
    Lumo::MemoryImage im = Blank(300, 230);
    const uint32_t cloth = 0xF6E3C8, stripe = kCherry;
    for (int side = 0; side < 2; side++)
    {
        float x0 = side == 0 ? 6.0f : 226.0f;
        // A drape gathered by a tie-back two thirds down, falling open to the floor.
        ArtMask drape =
            side == 0
                ? Polygon(im, {{x0, 24}, {x0 + 68, 24}, {x0 + 30, 150}, {x0 + 58, 226}, {x0, 226}})
                : Polygon(
                      im,
                      {{x0, 24}, {x0 + 68, 24}, {x0 + 68, 226}, {x0 + 10, 226}, {x0 + 38, 150}});
        ArtPaint::Shadow(im, drape, side ? -2 : 2, 3, 3, 0.25f);
        Outlined(im, drape, ArtPaint::Lighter(cloth, 0.2f), ArtPaint::Darker(cloth, 0.06f), 24,
                 226);
        ArtMask stripes = Mask(im);
        for (int i = 0; i < 4; i++)
            stripes.AddRoundRect(x0 + 8 + i * 16, 20, 4, 210, 0);
        stripes.Intersect(drape);
        ArtPaint::Fill(im, stripes, stripe, 0.35f);
        ArtMask tie = Mask(im);
        tie.AddRoundRect(x0 + (side ? 32 : 22), 144, 16, 12, 5);
        Lit(im, tie, kButter, 144, 156, 1.5f);
    }
    // The valance across the top, with a scalloped edge.
    ArtMask valance = Mask(im);
    valance.AddRoundRect(2, 2, 296, 30, 8);
    for (int i = 0; i < 8; i++)
        valance.AddCircle(20 + i * 37, 32, 16);
    ArtPaint::Shadow(im, valance, 0, 3, 3, 0.3f);
    Outlined(im, valance, ArtPaint::Lighter(kCherry, 0.15f), ArtPaint::Darker(kCherry, 0.05f), 2,
             48);
    ArtMask trim = Mask(im);
    for (int i = 0; i < 8; i++)
        trim.AddCircle(20 + i * 37, 42, 3);
    ArtPaint::Fill(im, trim, kButter);
    out.Save("cafe/window_curtains.png", im);
}

void Ferns(ArtOutput& out)
{
    Lumo::MemoryImage im = Blank(80, 120);
    FloorShadow(im, 40, 115, 26, 4, 0.3f);
    ArtMask leaves = Mask(im);
    const float tips[9][2] = {{4, 46},  {14, 18}, {30, 4},  {48, 2}, {66, 14},
                              {77, 40}, {22, 36}, {58, 32}, {40, 24}};
    for (const auto& t : tips)
        leaves.Union(Polygon(im, Leaf(40, 84, t[0], t[1], 15)));
    Outlined(im, leaves, ArtPaint::Lighter(kMint, 0.2f), ArtPaint::Darker(kMint, 0.25f), 0, 84);
    ArtMask veins = Mask(im);
    for (const auto& t : tips)
        veins.AddLine(40, 84, 40 + (t[0] - 40) * 0.85f, 84 + (t[1] - 84) * 0.85f, 1.1f);
    ArtPaint::Fill(im, veins, ArtPaint::Darker(kMint, 0.4f), 0.6f);
    ArtMask pot = Polygon(im, {{20, 82}, {60, 82}, {54, 116}, {26, 116}});
    Lit(im, pot, 0xC8643C, 82, 116);
    ArtMask rim = Mask(im);
    rim.AddRoundRect(17, 78, 46, 10, 4);
    Lit(im, rim, ArtPaint::Lighter(0xC8643C, 0.1f), 78, 88);
    out.Save("cafe/plants_ferns.png", im);
}

// The espresso machine on the counter, its foot at the counter's top: low
// enough that its cups stand clear below the lower cup shelf (KpCafeArt.h).
void Espresso(ArtOutput& out)
{
    Lumo::MemoryImage im = Blank(96, 70);
    const uint32_t steel = 0xB9C6CE;
    ArtMask cups = Mask(im);
    cups.AddRoundRect(26, 2, 16, 10, 4).AddRoundRect(52, 2, 16, 10, 4);
    Lit(im, cups, 0xFFFFFF, 2, 12, 1.5f);
    ArtMask body = Mask(im);
    body.AddRoundRect(8, 12, 80, 48, 11);
    ArtPaint::Shadow(im, body, 2, 3, 3, 0.3f);
    Lit(im, body, steel, 12, 60);
    ArtMask panel = Mask(im);
    panel.AddRoundRect(16, 18, 64, 12, 5);
    ArtPaint::Fill(im, panel, kCoffee, 0.85f);
    ArtMask gauge = Mask(im);
    gauge.AddCircle(48, 24, 4.5f);
    ArtPaint::Fill(im, gauge, 0xFFFFFF);
    ArtMask needle = Mask(im);
    needle.AddLine(48, 24, 51, 21.5f, 1.2f);
    ArtPaint::Fill(im, needle, kCherry);
    ArtMask heads = Mask(im);
    heads.AddRoundRect(20, 33, 18, 8, 3).AddRoundRect(58, 33, 18, 8, 3);
    Lit(im, heads, ArtPaint::Darker(steel, 0.2f), 33, 41, 1.5f);
    ArtMask handles = Mask(im);
    handles.AddLine(29, 37, 12, 43, 4).AddLine(67, 37, 84, 43, 4);
    ArtPaint::Fill(im, handles, kCoffee);
    ArtMask tray = Mask(im);
    tray.AddRoundRect(14, 54, 68, 6, 3);
    ArtPaint::Fill(im, tray, ArtPaint::Darker(steel, 0.35f));
    ArtMask shot = Mask(im);
    shot.AddRoundRect(23, 44, 12, 10, 3);
    Lit(im, shot, 0xFFFFFF, 44, 54, 1.2f);
    ArtMask feet = Mask(im);
    feet.AddRoundRect(14, 60, 12, 9, 3).AddRoundRect(70, 60, 12, 9, 3);
    Lit(im, feet, kCoffee, 60, 69, 1.0f);
    Gleam(im, 13, 17, 5, 36, 0.35f);
    out.Save("cafe/counter_espresso.png", im);
}

// The radio at the counter's right end, under the lower cup shelf's end: its
// notes rise past that end, to the right, where the wall is bare (KpCafeArt.h).
void Radio(ArtOutput& out)
{
    Lumo::MemoryImage im = Blank(96, 124);
    // The set itself, 80 x 88, stands in the bottom centre (its foot at the picture's).
    const float ox = 8, oy = 36;
    ArtMask notes = Mask(im);
    notes.AddEllipse(70, 46, 4.5f, 3.5f)
        .AddLine(74, 46, 74, 30, 1.8f)
        .AddLine(74, 30, 81, 34, 1.8f);
    notes.AddEllipse(84, 24, 4, 3).AddLine(87.5f, 24, 87.5f, 12.5f, 1.6f);
    ArtPaint::Fill(im, notes, kCoffee, 0.8f);
    ArtMask antenna = Mask(im);
    antenna.AddLine(ox + 56, oy + 42, ox + 70, oy + 24, 1.8f);
    antenna.AddCircle(ox + 70, oy + 24, 2.5f);
    ArtPaint::Fill(im, antenna, kCoffee);
    ArtMask body = Mask(im);
    body.AddRoundRect(ox + 6, oy + 38, 68, 46, 12);
    ArtPaint::Shadow(im, body, 2, 3, 3, 0.3f);
    Lit(im, body, kCaramel, oy + 38, oy + 84);
    ArtMask grille = Mask(im);
    grille.AddCircle(ox + 28, oy + 61, 14);
    ArtPaint::Fill(im, grille, ArtPaint::Darker(kCaramel, 0.35f));
    ArtMask lines = Mask(im);
    for (int i = 0; i < 5; i++)
        lines.AddLine(ox + 16, oy + 53 + i * 4.0f, ox + 40, oy + 53 + i * 4.0f, 1.2f);
    lines.Intersect(grille);
    ArtPaint::Fill(im, lines, kButter, 0.6f);
    ArtMask dial = Mask(im);
    dial.AddCircle(ox + 58, oy + 56, 7);
    Lit(im, dial, kButter, oy + 49, oy + 63, 1.5f);
    ArtMask knob = Mask(im);
    knob.AddCircle(ox + 58, oy + 74, 4);
    Lit(im, knob, kCoffee, oy + 70, oy + 78, 1.0f);
    Gleam(im, ox + 12, oy + 42, 24, 4, 0.35f);
    out.Save("cafe/radio_jazz.png", im);
}
} // namespace

ART_GROUP(cafe_things)
{
    Table(out, "oak", ArtPaint::Lighter(kCaramel, 0.1f), kMocha, false);
    Table(out, "marble", 0xF1ECE4, 0xC2B8AB, true);
    Chair(out, false);
    Chair(out, true);
    Mess(out);
    Products(out);
    Pops(out);
    Curtains(out);
    Ferns(out);
    Espresso(out);
    Radio(out);
}
