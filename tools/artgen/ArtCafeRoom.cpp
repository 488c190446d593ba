// The three cafes as the player sees them behind the tables: the back wall
// with its window, menu board, shelves and counter, the door on the right,
// and the floor with a rug under the tables. One plan for all three (the
// level files place tables, decoration and the door by it); each cafe has its
// own colour (caramel, mint, cherry), wallpaper and floor.
#include <cmath>

#include "framework/app/StringUtils.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtText.h"

namespace
{
using namespace ArtPalette;
using namespace ArtCafe;

const int kW = 1024, kH = 768;
const int kWallBottom = 300; // the floor starts here

struct Look
{
    uint32_t colour; // the cafe's colour
    uint32_t wallTop, wallBottom;
    int wallpaper; // 0 stripes, 1 dots, 2 diamonds
    int floor;     // 0 dark planks, 1 pale planks, 2 tiles
};

void Wall(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask wall = Mask(im);
    wall.AddRoundRect(-2, -2, kW + 4, kWallBottom + 4, 0);
    ArtPaint::FillVertical(im, wall, look.wallTop, look.wallBottom, 0, kWallBottom);
    ArtMask paper = Mask(im);
    if (look.wallpaper == 0)
        for (int x = 0; x < kW; x += 44)
            paper.AddRoundRect(x + 10, 0, 16, kWallBottom, 0);
    else if (look.wallpaper == 1)
        for (int y = 18; y < kWallBottom; y += 34)
            for (int x = (y / 34) % 2 ? 17 : 0; x < kW + 20; x += 34)
                paper.AddCircle(x, y, 4.5f);
    else
        for (int y = 0; y < kWallBottom + 30; y += 40)
            for (int x = (y / 40) % 2 ? 20 : 0; x < kW + 40; x += 40)
                paper.Union(Polygon(im, {{float(x), float(y - 9)},
                                         {float(x + 7), float(y)},
                                         {float(x), float(y + 9)},
                                         {float(x - 7), float(y)}}));
    ArtPaint::Fill(im, paper, look.wallpaper == 1 ? 0xFFFFFF : look.colour,
                   look.wallpaper == 1 ? 0.45f : 0.16f);
    ArtPaint::Grain(im, wall, 5, 0.03f);
    // Crown moulding under the ceiling.
    ArtMask crown = Mask(im);
    crown.AddRoundRect(-4, -4, kW + 8, 18, 0);
    ArtPaint::Shadow(im, crown, 0, 3, 3, 0.25f);
    ArtPaint::FillVertical(im, crown, ArtPaint::Lighter(kCaramel, 0.25f), kCaramel, 0, 14);
}

void Floor(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask floor = Mask(im);
    floor.AddRoundRect(-2, kWallBottom, kW + 4, kH - kWallBottom + 2, 0);
    if (look.floor == 2)
    {
        ArtPaint::Fill(im, floor, 0xF4E6CF);
        ArtMask dark = Mask(im);
        for (int row = 0; (kWallBottom + row * 56) < kH; row++)
            for (int col = row % 2; col * 64 < kW; col += 2)
                dark.AddRoundRect(col * 64, kWallBottom + row * 56, 64, 56, 0);
        ArtPaint::Fill(im, dark, ArtPaint::Mix(0xF4E6CF, look.colour, 0.55f));
        ArtMask joints = Mask(im);
        for (int y = kWallBottom; y < kH; y += 56)
            joints.AddRoundRect(0, y, kW, 1.5f, 0);
        for (int x = 0; x < kW; x += 64)
            joints.AddRoundRect(x, kWallBottom, 1.5f, kH - kWallBottom, 0);
        ArtPaint::Fill(im, joints, kCoffee, 0.18f);
    }
    else
    {
        uint32_t wood = look.floor == 0 ? kMocha : ArtPaint::Lighter(kCaramel, 0.18f);
        ArtPaint::FillVertical(im, floor, ArtPaint::Lighter(wood, 0.08f),
                               ArtPaint::Darker(wood, 0.1f), kWallBottom, kH);
        // Boards of varied shade with staggered joints.
        for (int row = 0; kWallBottom + row * 30 < kH; row++)
        {
            int y = kWallBottom + row * 30;
            ArtMask board = Mask(im);
            board.AddRoundRect(-2, y, kW + 4, 30, 0);
            float shade = float((row * 7) % 5) / 5.0f;
            ArtPaint::Fill(im, board, shade > 0.5f ? 0xFFFFFF : kCoffee, 0.04f + 0.03f * shade);
            ArtMask joints = Mask(im);
            joints.AddRoundRect(-2, y, kW + 4, 1.5f, 0);
            for (int x = (row * 173) % 240; x < kW; x += 240)
                joints.AddRoundRect(x, y, 1.5f, 30, 0);
            ArtPaint::Fill(im, joints, kCoffee, 0.35f);
        }
        ArtPaint::Grain(im, floor, 7, 0.05f);
    }
    // The baseboard along the wall.
    ArtMask base = Mask(im);
    base.AddRoundRect(-4, kWallBottom - 6, kW + 8, 16, 0);
    ArtPaint::Shadow(im, base, 0, 4, 3, 0.3f);
    ArtPaint::FillVertical(im, base, ArtPaint::Lighter(kCaramel, 0.2f),
                           ArtPaint::Darker(kCaramel, 0.1f), kWallBottom - 6, kWallBottom + 10);
}

void Rug(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask rug = Mask(im);
    rug.AddRoundRect(70, 378, 760, 352, 40);
    ArtPaint::Shadow(im, rug, 0, 3, 2, 0.25f);
    ArtPaint::Fill(im, rug, ArtPaint::Darker(look.colour, 0.25f));
    ArtMask field = Mask(im);
    field.AddRoundRect(78, 386, 744, 336, 34);
    ArtPaint::FillVertical(im, field, ArtPaint::Lighter(look.colour, 0.18f),
                           ArtPaint::Darker(look.colour, 0.04f), 386, 722);
    ArtMask border = Mask(im);
    border.AddRoundRect(98, 404, 704, 300, 24);
    ArtMask inner = Mask(im);
    inner.AddRoundRect(104, 410, 692, 288, 20);
    border.Subtract(inner);
    ArtPaint::Fill(im, border, kCream, 0.8f);
    ArtMask dots = Mask(im);
    for (int x = 130; x < 800; x += 48)
        dots.AddCircle(x, 394, 3).AddCircle(x, 714, 3);
    ArtPaint::Fill(im, dots, kCream, 0.7f);
    ArtPaint::Grain(im, field, 11, 0.05f);
}

void Window(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask frame = Mask(im);
    frame.AddRoundRect(70, 48, 260, 204, 18);
    ArtPaint::Shadow(im, frame, 0, 5, 4, 0.3f);
    Lit(im, frame, kCaramel, 48, 252);
    ArtMask glass = Mask(im);
    glass.AddRoundRect(86, 64, 228, 172, 10);
    ArtPaint::FillVertical(im, glass, 0xC4E4F4, kSky, 64, 236);
    // A street outside: clouds, a row of houses and a tree.
    ArtMask cloud = Mask(im);
    cloud.AddEllipse(140, 100, 30, 11).AddEllipse(162, 92, 20, 13).AddEllipse(186, 102, 24, 9);
    cloud.AddEllipse(262, 84, 22, 8).AddEllipse(278, 80, 14, 9);
    cloud.Intersect(glass);
    ArtPaint::Fill(im, cloud, 0xFFFFFF, 0.9f);
    ArtMask houses = Mask(im);
    houses.AddRoundRect(86, 170, 70, 70, 2).AddRoundRect(150, 150, 56, 90, 2);
    houses.AddRoundRect(204, 176, 64, 64, 2).AddRoundRect(262, 160, 60, 80, 2);
    houses.Union(Polygon(im, {{150, 150}, {178, 128}, {206, 150}}));
    houses.Intersect(glass);
    ArtPaint::Fill(im, houses, ArtPaint::Mix(kSky, look.colour, 0.35f), 0.55f);
    ArtMask windows = Mask(im);
    for (int i = 0; i < 4; i++)
        windows.AddRoundRect(100 + i * 60, 186, 10, 12, 2)
            .AddRoundRect(118 + i * 60, 206, 10, 12, 2);
    windows.Intersect(glass);
    ArtPaint::Fill(im, windows, kButter, 0.6f);
    ArtMask tree = Mask(im);
    tree.AddCircle(246, 150, 26).AddCircle(228, 166, 18).AddCircle(266, 168, 18);
    tree.Intersect(glass);
    ArtPaint::Fill(im, tree, ArtPaint::Darker(kMint, 0.1f), 0.85f);
    ArtMask bars = Mask(im);
    bars.AddRoundRect(196, 64, 8, 172, 0).AddRoundRect(86, 146, 228, 8, 0);
    Lit(im, bars, kCaramel, 64, 236, 1.0f);
    Gleam(im, 96, 72, 10, 60, 0.35f);
    ArtMask sill = Mask(im);
    sill.AddRoundRect(58, 246, 284, 16, 6);
    ArtPaint::Shadow(im, sill, 0, 3, 3, 0.3f);
    Lit(im, sill, kMocha, 246, 262);
}

void MenuBoard(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask board = Mask(im);
    board.AddRoundRect(376, 70, 140, 136, 10);
    ArtPaint::Shadow(im, board, 0, 5, 4, 0.3f);
    Lit(im, board, kMocha, 70, 206);
    ArtMask slate = Mask(im);
    slate.AddRoundRect(386, 80, 120, 116, 6);
    ArtPaint::FillVertical(im, slate, 0x47524F, 0x353E3C, 80, 196);
    ArtText::Style title;
    title.pixels = 22;
    title.color = 0xFFFFFF;
    title.outline = 0x353E3C;
    title.outlineWidth = 0;
    ArtText::DrawCentred(im, L"MENU", 446, 108, title);
    ArtMask lines = Mask(im);
    for (int i = 0; i < 4; i++)
        lines.AddLine(400, 126 + i * 16.0f, 460 - (i % 2) * 10, 126 + i * 16.0f, 2.0f);
    ArtPaint::Fill(im, lines, 0xFFFFFF, 0.7f);
    ArtMask prices = Mask(im);
    for (int i = 0; i < 4; i++)
        prices.AddLine(476, 126 + i * 16.0f, 492, 126 + i * 16.0f, 2.0f);
    ArtPaint::Fill(im, prices, look.colour == kCaramel ? kButter : look.colour, 0.9f);
    // A chalk cup in the corner.
    ArtMask cup = Mask(im);
    cup.AddRoundRect(476, 100, 16, 12, 4);
    cup.Subtract(Mask(im).AddRoundRect(479, 100, 10, 8, 3));
    ArtPaint::Fill(im, cup, 0xFFFFFF, 0.7f);
}

void Shelves(Lumo::MemoryImage& im, const Look& look)
{
    const int boards[2][3] = {{584, 84, 300}, {600, 150, 268}};
    const uint32_t jars[4] = {kMint, kCherry, kSky, kButter};
    for (int b = 0; b < 2; b++)
    {
        int x0 = boards[b][0], y = boards[b][1], width = boards[b][2];
        // Things on the shelf: cups, jars and a little plant.
        for (int i = 0; i < 6; i++)
        {
            float x = float(x0 + 16 + i * (width - 32) / 6);
            uint32_t c = jars[(i + b) % 4];
            if ((i + b) % 3 == 0)
            {
                ArtMask jar = Mask(im);
                jar.AddRoundRect(x, float(y - 40), 28, 40, 8);
                Outlined(im, jar, 0xEAF6FB, 0xCFE6F1, float(y - 40), float(y), 1.8f);
                ArtMask beans = Mask(im);
                beans.AddRoundRect(x + 3, float(y - 24), 22, 21, 5);
                ArtPaint::Fill(im, beans, b ? kCaramel : kMocha);
                ArtMask lid = Mask(im);
                lid.AddRoundRect(x - 1, float(y - 46), 30, 8, 3);
                Lit(im, lid, c, float(y - 46), float(y - 38), 1.5f);
            }
            else
            {
                ArtMask cup = Mask(im);
                cup.AddRoundRect(x + 2, float(y - 26), 24, 26, 7);
                ArtMask handle = Mask(im);
                handle.AddCircle(x + 28, float(y - 14), 6);
                handle.Subtract(Mask(im).AddCircle(x + 28, float(y - 14), 3));
                cup.Union(handle);
                Lit(im, cup, c, float(y - 26), float(y), 1.8f);
            }
        }
        ArtMask board = Mask(im);
        board.AddRoundRect(x0, y, width, 12, 4);
        ArtPaint::Shadow(im, board, 0, 4, 3, 0.3f);
        Lit(im, board, kMocha, float(y), float(y + 12), 1.5f);
    }
    // A hanging sign over the counter with the cafe's colour.
    ArtMask sign = Mask(im);
    sign.AddRoundRect(690, 22, 110, 34, 10);
    ArtPaint::Shadow(im, sign, 0, 3, 3, 0.3f);
    Lit(im, sign, look.colour, 22, 56);
    ArtText::Style style;
    style.pixels = 20;
    ArtText::DrawCentred(im, L"CAFE", 745, 46, style);
}

void Counter(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask body = Mask(im);
    body.AddRoundRect(560, 236, 336, 98, 8);
    ArtPaint::Shadow(im, body, 0, 5, 4, 0.35f);
    Lit(im, body, look.colour, 236, 334);
    ArtMask panels = Mask(im);
    for (int i = 0; i < 4; i++)
        panels.AddRoundRect(574 + i * 80, 254, 68, 66, 8);
    ArtPaint::Fill(im, panels, ArtPaint::Darker(look.colour, 0.12f));
    ArtMask inner = Mask(im);
    for (int i = 0; i < 4; i++)
        inner.AddRoundRect(578 + i * 80, 258, 60, 58, 6);
    ArtPaint::FillVertical(im, inner, ArtPaint::Lighter(look.colour, 0.12f), look.colour, 258, 316);
    ArtMask top = Mask(im);
    top.AddRoundRect(550, 222, 356, 18, 6);
    Lit(im, top, 0xF4EEE4, 222, 240);
    Gleam(im, 560, 225, 200, 3, 0.5f);
    // On the counter: a cake under a glass dome and a stack of cups.
    ArtMask stand = Mask(im);
    stand.AddEllipse(770, 220, 30, 5).AddRoundRect(766, 208, 8, 12, 2);
    Lit(im, stand, 0xFFFFFF, 204, 225, 1.5f);
    ArtMask cake = Mask(im);
    cake.AddRoundRect(748, 184, 44, 24, 6);
    Lit(im, cake, 0xF7D9E3, 184, 208, 1.5f);
    ArtMask icing = Mask(im);
    icing.AddRoundRect(748, 184, 44, 8, 4);
    ArtPaint::Fill(im, icing, 0xFFFFFF);
    ArtMask cherries = Mask(im);
    cherries.AddCircle(760, 182, 3.5f).AddCircle(770, 181, 3.5f).AddCircle(780, 182, 3.5f);
    ArtPaint::Fill(im, cherries, kCherry);
    ArtMask dome = Mask(im);
    dome.AddEllipse(770, 200, 34, 40);
    dome.Subtract(Mask(im).AddRoundRect(700, 208, 140, 60, 0));
    ArtPaint::Fill(im, dome.Dilated(1.5f), kCoffee, 0.35f);
    ArtPaint::Fill(im, dome, 0xDFF0F8, 0.35f);
    Gleam(im, 748, 172, 6, 22, 0.5f);
    ArtMask stack = Mask(im);
    for (int i = 0; i < 3; i++)
        stack.AddRoundRect(704, 206 - i * 10.0f, 26, 10, 3);
    Lit(im, stack, 0xFFFFFF, 186, 216, 1.5f);
}

void Door(Lumo::MemoryImage& im, const Look& look)
{
    ArtMask frame = Mask(im);
    frame.AddRoundRect(904, 92, 112, 214, 10);
    ArtPaint::Shadow(im, frame, 0, 5, 4, 0.3f);
    Lit(im, frame, look.colour, 92, 306);
    ArtMask door = Mask(im);
    door.AddRoundRect(916, 104, 88, 200, 6);
    Lit(im, door, kMocha, 104, 304, 1.5f);
    ArtMask glass = Mask(im);
    glass.AddRoundRect(926, 116, 68, 84, 8);
    ArtPaint::FillVertical(im, glass, 0xC4E4F4, kSky, 116, 200);
    Gleam(im, 932, 122, 6, 40, 0.4f);
    ArtMask panel = Mask(im);
    panel.AddRoundRect(928, 216, 64, 74, 6);
    ArtPaint::Fill(im, panel, ArtPaint::Darker(kMocha, 0.15f));
    ArtMask knob = Mask(im);
    knob.AddCircle(992, 210, 5);
    Lit(im, knob, kButter, 205, 215, 1.5f);
    // "OPEN" on a little hanging sign.
    ArtMask string = Mask(im);
    string.AddLine(946, 122, 960, 112, 1.2f).AddLine(974, 122, 960, 112, 1.2f);
    ArtPaint::Fill(im, string, kCoffee);
    ArtMask sign = Mask(im);
    sign.AddRoundRect(934, 122, 52, 22, 5);
    Lit(im, sign, kCream, 122, 144, 1.5f);
    ArtText::Style style;
    style.pixels = 14;
    style.color = kMint == look.colour ? kCoffee : look.colour;
    style.outlineWidth = 0;
    ArtText::DrawCentred(im, L"OPEN", 960, 139, style);
    // The mat where clients come in.
    ArtMask mat = Mask(im);
    mat.AddRoundRect(910, 326, 96, 34, 10);
    ArtPaint::Shadow(im, mat, 0, 2, 2, 0.25f);
    Lit(im, mat, ArtPaint::Darker(look.colour, 0.2f), 326, 360, 1.5f);
}

// Daylight from the window falling on the floor, and a soft shade in the corners.
void Light(Lumo::MemoryImage& im)
{
    ArtMask beam = Polygon(im, {{86, 262}, {314, 262}, {520, 560}, {150, 560}});
    beam.Blur(12);
    ArtPaint::Fill(im, beam, 0xFFF3C8, 0.12f);
    ArtMask corners = Mask(im);
    corners.AddEllipse(0, kH, 260, 160).AddEllipse(kW, kH, 260, 160);
    corners.Blur(30);
    ArtPaint::Fill(im, corners, kCoffee, 0.18f);
}

void Cafe(ArtOutput& out, int n, const Look& look)
{
    Lumo::MemoryImage im = Blank(kW, kH);
    Wall(im, look);
    Floor(im, look);
    Window(im, look);
    MenuBoard(im, look);
    Shelves(im, look);
    Door(im, look);
    Rug(im, look);
    Counter(im, look);
    Light(im);
    out.Save(Lumo::StrFormat("cafe/cafe%d_back.png", n), im);
}
} // namespace

ART_GROUP(cafe_room)
{
    Cafe(out, 1, {kCaramel, 0xFAF0DC, kPaperShade, 0, 0});
    Cafe(out, 2,
         {kMint, ArtPaint::Mix(0xFAF0DC, kMint, 0.18f), ArtPaint::Mix(kPaperShade, kMint, 0.25f), 1,
          1});
    Cafe(out, 3, {kCherry, 0xFBEFE4, ArtPaint::Mix(kPaperShade, kCherry, 0.15f), 2, 2});
}
