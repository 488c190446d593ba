// The comics' pictures: each cafe's street in front and its room inside
// (full screen, plain files), and in one atlas pack ("img\comix\comix") Zorka and
// three guests at comic size (the in-game figures scaled up, with a face),
// Zorka's arms as pictures of their own so actors can swing them about the
// shoulder, speech bubbles and the caption box, sky and props, and the shapes
// that reveal through masks (a soft iris disc; a gold gradient that colours
// the sign's lettering). White parts of the awning and the bunting take the
// cafe's colour from the comic's tint.
#include <cmath>
#include <string>
#include <vector>

#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtAtlas.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPeople.h"

namespace
{
using namespace ArtPalette;
using namespace ArtCafe;

const int kScreenW = 1024, kScreenH = 768;

// --- people -----------------------------------------------------------------
// Zorka and the guests at comic size: the in-game figure at 2.6 pixels a unit.
const float kPersonScale = 2.6f;

using ArtPeople::Look;
const Look kGuests[3] = {
    {kSky, 0xEFC39E, 0x3B2A22, 1}, {kMint, 0xD9A47E, kMocha, 2}, {0xA48BD1, 0xB07A57, kCoffee, 3}};

// --- speech -------------------------------------------------------------------

// A cream bubble with its tail down on the left (or the right).
Lumo::MemoryImage SpeechBubble(bool tailRight)
{
    const int w = 480, h = 210;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask bubble = Mask(image);
    bubble.AddRoundRect(8, 6, w - 16, h - 52, 34);
    const float tx = tailRight ? w - 110.0f : 110.0f, dir = tailRight ? 1.0f : -1.0f;
    bubble.Union(Polygon(
        image,
        {{tx - 26 * dir, h - 60.0f}, {tx + 44 * dir, h - 6.0f}, {tx + 16 * dir, h - 60.0f}}));
    ArtPaint::Shadow(image, bubble, 0, 4, 3, 0.28f);
    Outlined(image, bubble, 0xFFFFFF, kCream, 6, h - 40);
    ArtPaint::Grain(image, bubble, 41, 0.03f);
    return image;
}

Lumo::MemoryImage Caption()
{
    const int m = ArtPaint::kPanelMargin;
    Lumo::MemoryImage image = Blank(700 + 2 * m, 118 + 2 * m);
    ArtPaint::PanelStyle style;
    style.seed = 43;
    ArtPaint::Panel(image, m, m, 700, 118, style);
    // A caramel ribbon down the left edge, like a bookmark.
    ArtMask ribbon = Mask(image);
    ribbon.AddRoundRect(m + 18, m - 4, 22, 96, 4);
    ribbon.Union(Polygon(image, {{m + 18.0f, m + 90.0f},
                                 {m + 29.0f, m + 80.0f},
                                 {m + 40.0f, m + 90.0f},
                                 {m + 40.0f, m + 100.0f},
                                 {m + 18.0f, m + 100.0f}}));
    ArtMask notch =
        Polygon(image, {{m + 18.0f, m + 100.0f}, {m + 29.0f, m + 89.0f}, {m + 40.0f, m + 100.0f}});
    ribbon.Subtract(notch);
    Lit(image, ribbon, kCaramel, m - 4, m + 100);
    return image;
}

// --- places ---------------------------------------------------------------------

void Sky(Lumo::MemoryImage& image, float horizon)
{
    ArtMask all = Mask(image);
    all.AddRoundRect(-2, -2, image.mWidth + 4, horizon + 2, 0);
    ArtPaint::FillVertical(image, all, 0x8FC3E6, 0xF4E6CC, 0, horizon);
}

// Behind the cafe's house: the corner's low houses (cafe 1), the park's
// trees (cafe 2), or the tall buildings of the square downtown (cafe 3).
void Surroundings(Lumo::MemoryImage& image, int cafe, float ground)
{
    if (cafe == 2)
    {
        ArtMask trees = Mask(image);
        const float crowns[][3] = {{40, 400, 70},  {150, 360, 80}, {880, 370, 84},
                                   {990, 410, 64}, {90, 470, 60},  {940, 480, 56}};
        for (const auto& c : crowns)
        {
            trees.AddCircle(c[0], c[1], c[2]);
            trees.AddRoundRect(c[0] - 8, c[1], 16, ground - c[1], 4);
        }
        ArtPaint::Fill(image, trees, ArtPaint::Mix(kMint, kCoffee, 0.15f), 0.55f);
        ArtMask hedge = Mask(image);
        hedge.AddRoundRect(-10, ground - 46, kScreenW + 20, 60, 24);
        Lit(image, hedge, kMint, ground - 46, ground + 14, 0.0f);
        return;
    }
    const bool city = cafe == 3;
    ArtMask far = Mask(image);
    const float low[][3] = {{-10, 330, 150}, {130, 290, 120}, {860, 300, 180}, {990, 340, 60}};
    const float tall[][3] = {{-10, 120, 110}, {96, 200, 120}, {830, 270, 110}, {936, 250, 100}};
    for (const auto& r : city ? tall : low)
        far.AddRoundRect(r[0], r[1], r[2], ground - r[1], 6);
    ArtPaint::Fill(image, far, ArtPaint::Mix(kSky, kCoffee, 0.25f), city ? 0.45f : 0.35f);
    ArtMask farWindows = Mask(image);
    if (city)
        for (const auto& r : tall)
            for (float y = r[1] + 24; y < ground - 40; y += 44)
                for (float x = r[0] + 18; x < r[0] + r[2] - 20; x += 30)
                    farWindows.AddRoundRect(x, y, 12, 20, 3);
    else
        for (int i = 0; i < 6; i++)
            farWindows.AddRoundRect(20 + i * 24.0f + (i > 2 ? 880 : 0), 380 + (i % 2) * 60.0f, 12,
                                    18, 3);
    ArtPaint::Fill(image, farWindows, 0xFFF6D8, 0.5f);
}

// The street in front of a cafe; the awning and the sign are pictures of their own.
Lumo::MemoryImage Street(int cafe)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    const float ground = 600;
    Sky(image, ground);
    Surroundings(image, cafe, ground);

    // The house of the cafe: a cream front with a mocha cornice.
    ArtMask house = Mask(image);
    house.AddRoundRect(212, 150, 600, ground - 150 + 4, 10);
    ArtPaint::Shadow(image, house, 0, 6, 4, 0.3f);
    Outlined(image, house, 0xF7EEDC, 0xEAD7B2, 150, ground);
    ArtPaint::Grain(image, house, 51, 0.045f);
    ArtMask bricks = Mask(image);
    for (int row = 0; row < 8; row++)
        for (int i = 0; i < 4; i++)
            bricks.AddRoundRect(232 + i * 150 + (row % 2) * 70.0f, 180 + row * 52.0f, 46, 10, 5);
    ArtPaint::Fill(image, bricks, kPageEdge, 0.18f);
    ArtMask cornice = Mask(image);
    cornice.AddRoundRect(196, 136, 632, 26, 8);
    Lit(image, cornice, kMocha, 136, 162);

    // The big window, warm inside, with two tables and a lamp seen through it.
    ArtMask frame = Mask(image);
    frame.AddRoundRect(246, 326, 276, 244, 14);
    Lit(image, frame, kMocha, 326, 570);
    ArtMask glass = Mask(image);
    glass.AddRoundRect(262, 342, 244, 212, 8);
    ArtPaint::FillVertical(image, glass, 0xFFF1C9, 0xF2C98A, 342, 554);
    ArtMask inside = Mask(image);
    inside.AddEllipse(330, 500, 42, 12).AddRoundRect(324, 500, 12, 50, 4);
    inside.AddEllipse(440, 510, 38, 11).AddRoundRect(434, 510, 12, 44, 4);
    inside.AddLine(384, 342, 384, 392, 3).AddEllipse(384, 402, 24, 12);
    inside.Intersect(glass);
    ArtPaint::Fill(image, inside, kMocha, 0.55f);
    ArtMask shine = Polygon(image, {{280, 552}, {340, 344}, {372, 344}, {312, 552}});
    shine.Intersect(glass);
    ArtPaint::Fill(image, shine, 0xFFFFFF, 0.28f);
    ArtMask bars = Mask(image);
    bars.AddRoundRect(380, 342, 8, 212, 0);
    ArtPaint::Fill(image, bars, kMocha);

    // The door, with its glass and a butter handle.
    ArtMask door = Mask(image);
    door.AddRoundRect(592, 346, 150, ground - 346 + 2, 12);
    Lit(image, door, kMocha, 346, ground);
    ArtMask pane = Mask(image);
    pane.AddRoundRect(612, 366, 110, 120, 8);
    ArtPaint::FillVertical(image, pane, 0xFFF1C9, 0xF2C98A, 366, 486);
    ArtMask handle = Mask(image);
    handle.AddCircle(720, 520, 8);
    Lit(image, handle, kButter, 512, 528);
    // Steps and two pots of flowers by the door.
    ArtMask step = Mask(image);
    step.AddRoundRect(580, ground - 4, 174, 14, 5);
    Lit(image, step, kPaperShade, ground - 4, ground + 10);
    for (float x : {560.0f, 776.0f})
    {
        ArtMask leaves = Mask(image);
        leaves.AddCircle(x, 534, 20).AddCircle(x - 16, 548, 15).AddCircle(x + 16, 548, 15);
        Lit(image, leaves, kMint, 514, 564);
        ArtMask blooms = Mask(image);
        blooms.AddCircle(x - 8, 528, 6).AddCircle(x + 10, 538, 6).AddCircle(x - 14, 548, 5);
        ArtPaint::Fill(image, blooms, kCherry);
        ArtMask pot = Mask(image);
        pot.AddRoundRect(x - 22, 558, 44, 42, 8);
        Lit(image, pot, kCaramel, 558, 600);
    }

    // The pavement: paper slabs and the kerb.
    ArtMask pavement = Mask(image);
    pavement.AddRoundRect(-4, ground, kScreenW + 8, kScreenH - ground + 4, 0);
    ArtPaint::FillVertical(image, pavement, 0xE8D8B8, 0xD5BF98, ground, kScreenH);
    ArtPaint::Grain(image, pavement, 53, 0.05f);
    ArtMask joints = Mask(image);
    for (int x = -40; x < kScreenW; x += 128)
        joints.AddLine(x + 60.0f, ground, x - 30.0f, kScreenH, 2);
    joints.AddLine(-4, 680, kScreenW + 4, 680, 2);
    ArtPaint::Fill(image, joints, kPageEdge, 0.6f);

    // A street lamp on the left.
    ArtMask post = Mask(image);
    post.AddRoundRect(118, 250, 12, 380, 5).AddRoundRect(104, 622, 40, 14, 6);
    Lit(image, post, kCoffee, 250, 636);
    ArtMask lamp = Polygon(image, {{104, 250}, {144, 250}, {136, 210}, {112, 210}});
    lamp.AddRoundRect(108, 200, 32, 12, 6);
    Lit(image, lamp, kButter, 200, 250);
    return image;
}

// What tells the three cafes apart inside, as in their rooms behind the
// tables: the cafe's colour on the counter, its wallpaper and its floor.
struct RoomLook
{
    uint32_t colour;              // the cafe's colour
    uint32_t wallTop, wallBottom; // the wall's gradient
    int wallpaper;                // 0 stripes, 1 dots, 2 diamonds
    int floor;                    // 0 warm planks, 1 pale planks, 2 tiles
    uint32_t counter;             // the counter's front
};

const RoomLook kRooms[3] = {
    {kCaramel, 0xFAF0DC, kPaperShade, 0, 0, kMocha},
    {kMint, ArtPaint::Mix(0xFAF0DC, kMint, 0.18f), ArtPaint::Mix(kPaperShade, kMint, 0.25f), 1, 1,
     kMint},
    {kCherry, 0xFBEFE4, ArtPaint::Mix(kPaperShade, kCherry, 0.15f), 2, 2, kCherry},
};

void Wallpaper(Lumo::MemoryImage& image, const ArtMask& wall, const RoomLook& look, float bottom)
{
    ArtMask paper = Mask(image);
    if (look.wallpaper == 0)
        for (int x = 0; x < kScreenW; x += 56)
            paper.AddRoundRect(x + 10, -2, 24, bottom + 2, 0);
    else if (look.wallpaper == 1)
        for (int y = 20; y < bottom; y += 40)
            for (int x = (y / 40) % 2 ? 20 : 0; x < kScreenW + 20; x += 40)
                paper.AddCircle(x, y, 5.5f);
    else
        for (int y = 0; y < bottom + 24; y += 48)
            for (int x = (y / 48) % 2 ? 24 : 0; x < kScreenW + 24; x += 48)
                paper.Union(Polygon(image, {{x + 0.0f, y - 11.0f},
                                            {x + 11.0f, y + 0.0f},
                                            {x + 0.0f, y + 11.0f},
                                            {x - 11.0f, y + 0.0f}}));
    paper.Intersect(wall);
    if (look.wallpaper == 0)
        ArtPaint::Fill(image, paper, kPaperShade, 0.5f);
    else if (look.wallpaper == 1)
        ArtPaint::Fill(image, paper, 0xFFFFFF, 0.5f);
    else
        ArtPaint::Fill(image, paper, look.colour, 0.16f);
}

// The floor from the wall to the bottom; its rows narrow towards the wall.
void RoomFloor(Lumo::MemoryImage& image, const RoomLook& look, float wall)
{
    ArtMask floor = Mask(image);
    floor.AddRoundRect(-4, wall + 6, kScreenW + 8, kScreenH - wall, 0);
    std::vector<float> rows;
    for (int i = 0; i < 6; i++)
        rows.push_back(wall + 40.0f + i * i * 8.0f + i * 20);
    if (look.floor == 2)
    {
        // Cream and cafe-coloured tiles whose joints run to a point far above the room.
        const uint32_t light = 0xF4E6CF, dark = ArtPaint::Mix(light, look.colour, 0.55f);
        ArtPaint::Fill(image, floor, light);
        const float vanishX = kScreenW / 2.0f, vanishY = wall - 900.0f;
        auto at = [&](float x, float y)
        { return vanishX + (x - vanishX) * (y - vanishY) / (kScreenH - vanishY); };
        std::vector<float> edges = {wall + 6};
        edges.insert(edges.end(), rows.begin(), rows.end());
        edges.push_back(kScreenH + 4.0f);
        ArtMask darkTiles = Mask(image);
        for (size_t r = 0; r + 1 < edges.size(); r++)
            for (int k = -2; k < 12; k++)
                if ((k + int(r)) % 2 == 0)
                {
                    float x0 = k * 112.0f - 100, x1 = x0 + 112;
                    float y0 = edges[r], y1 = edges[r + 1];
                    darkTiles.Union(Polygon(
                        image,
                        {{at(x0, y0), y0}, {at(x1, y0), y0}, {at(x1, y1), y1}, {at(x0, y1), y1}}));
                }
        darkTiles.Intersect(floor);
        ArtPaint::Fill(image, darkTiles, dark);
        ArtPaint::Grain(image, floor, 67, 0.04f);
        return;
    }
    uint32_t wood = look.floor == 0 ? kCaramel : ArtPaint::Lighter(kCaramel, 0.3f);
    ArtPaint::FillVertical(image, floor, ArtPaint::Lighter(wood, 0.18f),
                           ArtPaint::Darker(wood, 0.05f), wall, kScreenH);
    ArtPaint::Grain(image, floor, 67, 0.06f);
    ArtMask gaps = Mask(image);
    for (float y : rows)
        gaps.AddLine(-4, y, kScreenW + 4, y, 2);
    if (look.floor == 1)
    {
        // Pale boards are short: their ends are staggered from row to row.
        float top = wall + 6;
        for (size_t r = 0; r < rows.size(); r++)
        {
            for (int x = int(r * 173) % 260; x < kScreenW; x += 260)
                gaps.AddLine(float(x), top, float(x), rows[r], 2);
            top = rows[r];
        }
    }
    ArtPaint::Fill(image, gaps, kMocha, look.floor == 0 ? 0.45f : 0.3f);
}

// The inside of a cafe: wallpaper, a window, the counter with the coffee
// machine, lamps, two tables and the floor.
Lumo::MemoryImage Room(const RoomLook& look)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    const float wall = 520;
    ArtMask all = Mask(image);
    all.AddRoundRect(-2, -2, kScreenW + 4, wall + 2, 0);
    ArtPaint::FillVertical(image, all, look.wallTop, look.wallBottom, 0, wall);
    Wallpaper(image, all, look, wall);
    ArtPaint::Grain(image, all, 61, 0.035f);

    // The window with the morning sky.
    ArtMask frame = Mask(image);
    frame.AddRoundRect(60, 90, 250, 290, 16);
    ArtPaint::Shadow(image, frame, 0, 4, 3, 0.25f);
    Lit(image, frame, kCaramel, 90, 380);
    ArtMask glass = Mask(image);
    glass.AddRoundRect(78, 108, 214, 254, 8);
    ArtPaint::FillVertical(image, glass, 0xA9D3EE, 0xF4E6CC, 108, 362);
    ArtMask cloud = Mask(image);
    cloud.AddEllipse(140, 170, 34, 13).AddEllipse(168, 160, 24, 15).AddEllipse(196, 172, 30, 11);
    cloud.Intersect(glass);
    ArtPaint::Fill(image, cloud, 0xFFFFFF, 0.85f);
    ArtMask bar = Mask(image);
    bar.AddRoundRect(181, 108, 8, 254, 0).AddRoundRect(78, 232, 214, 8, 0);
    ArtPaint::Fill(image, bar, kCaramel);

    // Two pendant lamps with their warm light.
    for (float x : {430.0f, 700.0f})
    {
        ArtMask glow = Mask(image);
        glow.AddEllipse(x, 230, 120, 90);
        glow.Blur(10);
        ArtPaint::Fill(image, glow, kButter, 0.2f);
        ArtMask cord = Mask(image);
        cord.AddLine(x, -4, x, 150, 3);
        ArtPaint::Fill(image, cord, kCoffee);
        ArtMask shade =
            Polygon(image, {{x - 30, 150}, {x + 30, 150}, {x + 58, 204}, {x - 58, 204}});
        shade.AddRoundRect(x - 24, 142, 48, 14, 7);
        Lit(image, shade, kButter, 142, 204);
    }

    // The counter on the right with the coffee machine and cups.
    ArtMask shelf = Mask(image);
    shelf.AddRoundRect(760, 200, 230, 14, 5);
    Lit(image, shelf, kMocha, 200, 214);
    const uint32_t cups[4] = {kMint, kCherry, kSky, kButter};
    for (int i = 0; i < 4; i++)
    {
        float x = 776 + i * 54.0f;
        ArtMask cup = Mask(image);
        cup.AddRoundRect(x, 164, 34, 36, 8);
        ArtMask ring = Mask(image);
        ring.AddCircle(x + 36, 180, 9);
        ArtMask hole = Mask(image);
        hole.AddCircle(x + 36, 180, 4.5f);
        ring.Subtract(hole);
        cup.Union(ring);
        Lit(image, cup, cups[i], 164, 200);
        Gleam(image, x + 5, 170, 6, 20, 0.4f);
    }
    ArtMask machine = Mask(image);
    machine.AddRoundRect(800, 300, 150, 120, 14);
    Lit(image, machine, 0xB9B3AA, 300, 420);
    ArtMask top = Mask(image);
    top.AddRoundRect(792, 292, 166, 20, 8);
    Lit(image, top, kCoffee, 292, 312);
    ArtMask spouts = Mask(image);
    spouts.AddRoundRect(840, 380, 14, 24, 4).AddRoundRect(896, 380, 14, 24, 4);
    ArtPaint::Fill(image, spouts, kCoffee);
    ArtMask dial = Mask(image);
    dial.AddCircle(875, 342, 14);
    Lit(image, dial, kCream, 328, 356);
    ArtMask counter = Mask(image);
    counter.AddRoundRect(740, 420, 280, 220, 10);
    ArtPaint::Shadow(image, counter, 0, 6, 4, 0.3f);
    Lit(image, counter, look.counter, 420, 640);
    ArtMask counterTop = Mask(image);
    counterTop.AddRoundRect(728, 410, 292, 22, 8);
    Lit(image, counterTop, kCaramel, 410, 432);
    ArtMask panels = Mask(image);
    panels.AddRoundRect(770, 460, 110, 150, 10).AddRoundRect(900, 460, 110, 150, 10);
    ArtPaint::Fill(image, panels, ArtPaint::Lighter(look.counter, 0.12f), 0.8f);

    // Wainscot and the floor.
    ArtMask rail = Mask(image);
    rail.AddRoundRect(-4, wall - 8, kScreenW + 8, 14, 4);
    Lit(image, rail, kCaramel, wall - 8, wall + 6);
    RoomFloor(image, look, wall);

    // Two round tables with their shadows and a cup each.
    const float tables[2][2] = {{250, 600}, {520, 650}};
    for (const auto& t : tables)
    {
        FloorShadow(image, t[0], t[1] + 70, 90, 16, 0.3f);
        ArtMask leg = Mask(image);
        leg.AddRoundRect(t[0] - 8, t[1], 16, 70, 5).AddEllipse(t[0], t[1] + 70, 34, 8);
        Lit(image, leg, kCoffee, t[1], t[1] + 78);
        ArtMask top = Mask(image);
        top.AddEllipse(t[0], t[1], 96, 26);
        Lit(image, top, kCream, t[1] - 26, t[1] + 26);
        ArtMask cup = Mask(image);
        cup.AddRoundRect(t[0] - 14, t[1] - 30, 28, 24, 7);
        Lit(image, cup, 0xFFFFFF, t[1] - 30, t[1] - 6);
    }
    return image;
}

// --- props ------------------------------------------------------------------------

Lumo::MemoryImage Awning()
{
    // White and light grey stripes: the comic's tint turns them into the cafe's colour.
    const int w = 640, h = 112;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask below = Mask(image);
    below.AddRoundRect(0, 74, w, h, 0);
    ArtMask scallops = Mask(image);
    for (int i = 0; i < 10; i++)
        scallops.AddCircle(6 + 31.2f + i * 62.8f, 74, 31.4f);
    scallops.Intersect(below);
    ArtMask body = Mask(image);
    body.AddRoundRect(6, 6, w - 12, 70, 8);
    body.Union(scallops);
    ArtPaint::Shadow(image, body, 0, 6, 3, 0.3f);
    Outlined(image, body, 0xFFFFFF, 0xF0F0F0, 6, h);
    ArtMask stripes = Mask(image);
    for (int i = 0; i < 10; i++)
        stripes.AddRoundRect(6 + i * 62.8f, 0, 31.4f, h, 0);
    stripes.Intersect(body);
    ArtPaint::Fill(image, stripes, 0xBDBDBD, 0.55f);
    ArtMask fold = Mask(image);
    fold.AddRoundRect(6, 6, w - 12, 12, 6);
    ArtPaint::Fill(image, fold, 0xFFFFFF, 0.5f);
    return image;
}

Lumo::MemoryImage Sign()
{
    const int w = 440, h = 120;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask chains = Mask(image);
    chains.AddLine(80, 0, 80, 34, 3).AddLine(w - 80.0f, 0, w - 80.0f, 34, 3);
    ArtPaint::Fill(image, chains, kCoffee);
    ArtMask board = Mask(image);
    board.AddRoundRect(10, 30, w - 20, h - 40, 16);
    ArtPaint::Shadow(image, board, 0, 4, 3, 0.3f);
    Lit(image, board, kMocha, 30, h - 10);
    ArtPaint::Grain(image, board, 71, 0.06f);
    ArtMask inner = Mask(image);
    inner.AddRoundRect(22, 42, w - 44, h - 64, 10);
    ArtMask ring = inner.Dilated(2);
    ring.Subtract(inner);
    ArtPaint::Fill(image, ring, kButter, 0.7f);
    return image;
}

// The lettering's colour for the sign: butter to deep gold, with a shine.
Lumo::MemoryImage Gold()
{
    const int w = 440, h = 120;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask all = Mask(image);
    all.AddRoundRect(-2, -2, w + 4, h + 4, 0);
    ArtPaint::FillVertical(image, all, 0xFFF0B0, 0xD99A2B, 30, 100);
    ArtMask shine = Polygon(image, {{120, 0}, {170, 0}, {120, h}, {70, h}});
    shine.Blur(4);
    ArtPaint::Fill(image, shine, 0xFFFFFF, 0.5f);
    return image;
}

// A soft white disc: the shape of the iris that opens onto the room.
Lumo::MemoryImage Iris()
{
    Lumo::MemoryImage image = Blank(256, 256);
    ArtMask disc = Mask(image);
    disc.AddCircle(128, 128, 116);
    disc.Blur(4);
    ArtPaint::Fill(image, disc, 0xFFFFFF);
    return image;
}

Lumo::MemoryImage Sun()
{
    Lumo::MemoryImage image = Blank(200, 200);
    ArtMask glow = Mask(image);
    glow.AddCircle(100, 100, 86);
    glow.Blur(8);
    ArtPaint::Fill(image, glow, kButter, 0.35f);
    ArtMask rays = Mask(image);
    for (int i = 0; i < 12; i++)
    {
        float a = i * 30.0f * 3.14159265f / 180.0f, b = a + 0.13f, c = a - 0.13f;
        rays.AddShape(
            [&]
            {
                ArtShape s(200, 200);
                s.AddPolygon({{100 + 52 * std::cos(b), 100 + 52 * std::sin(b)},
                              {100 + 84 * std::cos(a), 100 + 84 * std::sin(a)},
                              {100 + 52 * std::cos(c), 100 + 52 * std::sin(c)}});
                return s;
            }());
    }
    Lit(image, rays, kButter, 20, 180);
    ArtMask disc = Mask(image);
    disc.AddCircle(100, 100, 48);
    Outlined(image, disc, 0xFFE58A, kButter, 52, 148);
    Gleam(image, 76, 70, 18, 12, 0.5f);
    return image;
}

Lumo::MemoryImage Cloud()
{
    Lumo::MemoryImage image = Blank(260, 120);
    ArtMask cloud = Mask(image);
    cloud.AddEllipse(70, 78, 56, 30).AddEllipse(130, 58, 58, 42).AddEllipse(190, 78, 54, 30);
    cloud.AddRoundRect(40, 70, 180, 38, 19);
    ArtPaint::Shadow(image, cloud, 0, 4, 3, 0.15f);
    ArtPaint::FillVertical(image, cloud, 0xFFFFFF, 0xE8EEF2, 16, 108);
    return image;
}

Lumo::MemoryImage Steam()
{
    Lumo::MemoryImage image = Blank(90, 110);
    ArtMask steam = Mask(image);
    for (int i = 0; i < 3; i++)
    {
        float x = 22 + i * 23.0f;
        for (int k = 0; k < 10; k++)
        {
            float y0 = 104 - k * 10.0f, y1 = y0 - 10;
            float x0 = x + 7 * std::sin(k * 0.9f), x1 = x + 7 * std::sin((k + 1) * 0.9f);
            steam.AddLine(x0, y0, x1, y1, 6 - k * 0.4f);
        }
    }
    ArtPaint::Fill(image, steam, 0xFFFFFF, 0.85f);
    return image;
}

Lumo::MemoryImage Cup()
{
    Lumo::MemoryImage image = Blank(170, 130);
    ArtMask saucer = Mask(image);
    saucer.AddEllipse(80, 112, 74, 14);
    Lit(image, saucer, 0xFFFFFF, 98, 126);
    ArtMask cup = Mask(image);
    cup.AddRoundRect(30, 20, 100, 92, 28);
    ArtMask ring = Mask(image);
    ring.AddCircle(136, 62, 22);
    ArtMask hole = Mask(image);
    hole.AddCircle(136, 62, 11);
    ring.Subtract(hole);
    cup.Union(ring);
    Lit(image, cup, kCherry, 20, 112);
    ArtMask coffee = Mask(image);
    coffee.AddEllipse(80, 24, 46, 9);
    ArtPaint::Fill(image, coffee, kCoffee);
    Gleam(image, 42, 36, 12, 52, 0.4f);
    return image;
}

Lumo::MemoryImage Keys()
{
    Lumo::MemoryImage image = Blank(220, 130);
    ArtMask ring = Mask(image);
    ring.AddCircle(50, 50, 34);
    ArtMask hole = Mask(image);
    hole.AddCircle(50, 50, 26);
    ring.Subtract(hole);
    Lit(image, ring, 0xB9B3AA, 16, 84);
    for (int k = 0; k < 2; k++)
    {
        float y = 46 + k * 40.0f;
        ArtMask key = Mask(image);
        key.AddCircle(84, y, 18);
        key.AddRoundRect(96, y - 6, 104, 12, 5);
        key.AddRoundRect(168, y + 4, 10, 16, 3).AddRoundRect(186, y + 4, 10, 20, 3);
        ArtMask eye = Mask(image);
        eye.AddCircle(80, y, 6);
        key.Subtract(eye);
        Lit(image, key, k ? kCaramel : kButter, y - 18, y + 24);
    }
    return image;
}

Lumo::MemoryImage Trophy()
{
    Lumo::MemoryImage image = Blank(240, 270);
    ArtMask cup =
        Polygon(image, {{50, 30}, {190, 30}, {176, 110}, {150, 150}, {90, 150}, {64, 110}});
    cup.AddEllipse(120, 30, 70, 14);
    ArtMask handles = Mask(image);
    for (float x : {44.0f, 196.0f})
    {
        ArtMask r = Mask(image);
        r.AddCircle(x, 74, 30);
        ArtMask h = Mask(image);
        h.AddCircle(x, 74, 20);
        r.Subtract(h);
        handles.Union(r);
    }
    cup.Union(handles);
    cup.AddRoundRect(106, 146, 28, 50, 6);
    cup.AddRoundRect(70, 192, 100, 22, 8);
    cup.AddRoundRect(54, 214, 132, 40, 10);
    ArtPaint::Shadow(image, cup, 0, 5, 3, 0.3f);
    Outlined(image, cup, 0xFFE58A, 0xD99A2B, 20, 254);
    Gleam(image, 70, 42, 14, 70, 0.45f);
    ArtMask plate = Mask(image);
    plate.AddRoundRect(80, 222, 80, 22, 5);
    ArtPaint::Fill(image, plate, kMocha);
    ArtIcons::Draw(image, ArtIcons::kExpert, 96, 62, 48);
    return image;
}

// A string of little flags; white, so the comic tints them.
Lumo::MemoryImage Bunting()
{
    // Narrower than a page: the packer keeps a gap around every picture.
    const int w = 1000, h = 100;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask string = Mask(image);
    for (int x = 0; x < w; x += 8)
    {
        float y0 = 12 + 26 * std::sin(x * 3.14159265f / w),
              y1 = 12 + 26 * std::sin((x + 8) * 3.14159265f / w);
        string.AddLine((float)x, y0, x + 8.0f, y1, 2.5f);
    }
    ArtPaint::Fill(image, string, kCoffee);
    for (int i = 0; i < 16; i++)
    {
        float x = 24 + i * 62.0f, y = 12 + 26 * std::sin(x * 3.14159265f / w);
        ArtMask flag = Polygon(image, {{x - 20, y}, {x + 20, y}, {x, y + 46}});
        Outlined(image, flag, 0xFFFFFF, i % 2 ? 0xD8D8D8 : 0xF4F4F4, y, y + 46, 1.5f);
    }
    return image;
}

void Add(ArtAtlas& atlas, const char* name, const Lumo::MemoryImage& image)
{
    atlas.Add(std::string("img\\comix\\") + name + ".png", image);
}

} // namespace

ART_GROUP(comix)
{
    // The full-screen pictures are files of their own: a page would hold nothing else.
    // Each cafe's comics play in front of that cafe and in its own room.
    for (int cafe = 1; cafe <= 3; cafe++)
    {
        Lumo::MemoryImage street = Street(cafe), room = Room(kRooms[cafe - 1]);
        out.Save("comix/street" + std::to_string(cafe) + ".png", street);
        out.Save("comix/room" + std::to_string(cafe) + ".png", room);
    }

    ArtAtlas atlas("comix/comix");

    // Zorka's arm is a picture of its own, so a comic swings it about the shoulder.
    Add(atlas, "zorka", ArtPeople::Figure(ArtPeople::kZorka, kPersonScale, false, true));
    Add(atlas, "zorka_arm", ArtPeople::ZorkaArm(kPersonScale, false));
    Add(atlas, "zorka_wave", ArtPeople::ZorkaArm(kPersonScale, true));
    for (int i = 0; i < 3; i++)
        Add(atlas, ("guest" + std::to_string(i + 1)).c_str(),
            ArtPeople::Figure(kGuests[i], kPersonScale, true, false));

    Add(atlas, "bubble_left", SpeechBubble(false));
    Add(atlas, "bubble_right", SpeechBubble(true));
    Add(atlas, "caption", Caption());
    Add(atlas, "awning", Awning());
    Add(atlas, "sign", Sign());
    Add(atlas, "gold", Gold());
    Add(atlas, "iris", Iris());
    Add(atlas, "sun", Sun());
    Add(atlas, "cloud", Cloud());
    Add(atlas, "steam", Steam());
    Add(atlas, "cup", Cup());
    Add(atlas, "keys", Keys());
    Add(atlas, "trophy", Trophy());
    Add(atlas, "bunting", Bunting());
    const ArtIcons::Icon icons[3] = {ArtIcons::kMoney, ArtIcons::kExpert, ArtIcons::kLives};
    const char* names[3] = {"coin", "star", "heart"};
    for (int i = 0; i < 3; i++)
    {
        Lumo::MemoryImage icon = Blank(72, 72);
        ArtIcons::Draw(icon, icons[i], 0, 0, 72);
        Add(atlas, names[i], icon);
    }
    atlas.Save(out);
}
