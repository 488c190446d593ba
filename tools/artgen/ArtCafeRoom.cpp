// The three cafes as the player sees them behind the tables: the back wall
// with its window, menu board, shelves and counter, the door on the right,
// and the floor with a rug under the tables. One plan for all three (the
// level files place tables, decoration and the door by it); each cafe has its
// own colour (caramel, mint, cherry), wallpaper and floor. The open/closed
// sign on the door is a picture of its own, which the play turns.
//
// Each piece of furniture is drawn on a canvas of its own, in coordinates of
// that canvas, and then laid over the room: a shape costs the size of its
// piece, not of the whole room.
#include <cmath>

#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "game/gameplay/KpCafeArt.h"
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

// A canvas for one piece, laid over the room at (x, y) when done.
struct Piece
{
    Piece(int x, int y, int width, int height) : x(x), y(y), im(Blank(width, height)) {}
    void LayOver(Lumo::MemoryImage& room)
    {
        Lumo::Graphics g(&room);
        g.DrawImage(&im, x, y);
    }
    int x, y;
    Lumo::MemoryImage im;
};

// A small diamond of the radius in a colour, stamped many times over a pattern.
Lumo::MemoryImage Diamond(float radius, uint32_t colour, float alpha)
{
    int size = int(radius) * 2 + 4;
    float c = size / 2.0f;
    Lumo::MemoryImage stamp = Blank(size, size);
    ArtPaint::Fill(
        stamp, Polygon(stamp, {{c, c - radius}, {c + radius, c}, {c, c + radius}, {c - radius, c}}),
        colour, alpha);
    return stamp;
}

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
    ArtPaint::Fill(im, paper, look.wallpaper == 1 ? 0xFFFFFF : look.colour,
                   look.wallpaper == 1 ? 0.45f : 0.16f);
    if (look.wallpaper == 2)
    {
        Lumo::MemoryImage diamond = Diamond(9, look.colour, 0.16f);
        Lumo::Graphics g(&im);
        for (int y = 0; y < kWallBottom + 30; y += 40)
            for (int x = (y / 40) % 2 ? 20 : 0; x < kW + 40; x += 40)
                g.DrawImage(&diamond, x - 10, y - 10);
    }
    ArtPaint::Grain(im, wall, 5, 0.03f);
    // Crown moulding under the ceiling.
    Piece crown(0, 0, kW, 24);
    ArtMask band = Mask(crown.im);
    band.AddRoundRect(-4, -4, kW + 8, 18, 0);
    ArtPaint::Shadow(crown.im, band, 0, 3, 3, 0.25f);
    ArtPaint::FillVertical(crown.im, band, ArtPaint::Lighter(kCaramel, 0.25f), kCaramel, 0, 14);
    crown.LayOver(im);
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
        // Boards of five shades with staggered joints.
        ArtMask shades[5] = {Mask(im), Mask(im), Mask(im), Mask(im), Mask(im)};
        ArtMask joints = Mask(im);
        for (int row = 0; kWallBottom + row * 30 < kH; row++)
        {
            int y = kWallBottom + row * 30;
            shades[(row * 7) % 5].AddRoundRect(-2, y, kW + 4, 30, 0);
            joints.AddRoundRect(-2, y, kW + 4, 1.5f, 0);
            for (int x = (row * 173) % 240; x < kW; x += 240)
                joints.AddRoundRect(x, y, 1.5f, 30, 0);
        }
        for (int i = 0; i < 5; i++)
            ArtPaint::Fill(im, shades[i], i > 2 ? 0xFFFFFF : kCoffee, 0.04f + 0.006f * i);
        ArtPaint::Fill(im, joints, kCoffee, 0.35f);
        ArtPaint::Grain(im, floor, 7, 0.05f);
    }
    // The baseboard along the wall.
    Piece base(0, kWallBottom - 10, kW, 28);
    ArtMask board = Mask(base.im);
    board.AddRoundRect(-4, 4, kW + 8, 16, 0);
    ArtPaint::Shadow(base.im, board, 0, 4, 3, 0.3f);
    ArtPaint::FillVertical(base.im, board, ArtPaint::Lighter(kCaramel, 0.2f),
                           ArtPaint::Darker(kCaramel, 0.1f), 4, 20);
    base.LayOver(im);
}

void Rug(Lumo::MemoryImage& room, const Look& look)
{
    Piece piece(50, 340, 800, 420);
    Lumo::MemoryImage& im = piece.im;
    const float x = 24, y = 22, w = 752, h = 378;
    uint32_t field = ArtPaint::Mix(kCream, look.colour, 0.45f);
    // Tassels at both short ends.
    ArtMask tassels = Mask(im);
    for (float ty = y + 24; ty < y + h - 20; ty += 16)
        tassels.AddLine(x - 10, ty, x + 4, ty, 3).AddLine(x + w - 4, ty, x + w + 10, ty, 3);
    ArtPaint::Fill(im, tassels, kCream, 0.9f);
    ArtMask rug = Mask(im);
    rug.AddRoundRect(x, y, w, h, 30);
    ArtPaint::Shadow(im, rug, 0, 3, 2, 0.25f);
    ArtPaint::Fill(im, rug, ArtPaint::Darker(look.colour, 0.2f));
    ArtMask inside = Mask(im);
    inside.AddRoundRect(x + 8, y + 8, w - 16, h - 16, 24);
    ArtPaint::FillVertical(im, inside, ArtPaint::Lighter(field, 0.12f), field, y, y + h);
    // A band in the cafe's colour, and a lattice of small diamonds inside it.
    ArtMask band = Mask(im);
    band.AddRoundRect(x + 22, y + 22, w - 44, h - 44, 18);
    band.Subtract(Mask(im).AddRoundRect(x + 32, y + 32, w - 64, h - 64, 12));
    ArtPaint::Fill(im, band, look.colour, 0.75f);
    Lumo::MemoryImage diamond = Diamond(10, look.colour, 0.28f);
    Lumo::Graphics g(&im);
    for (float ly = y + 60; ly < y + h - 50; ly += 44)
        for (float lx = x + 70 + (int((ly - y) / 44) % 2) * 36; lx < x + w - 60; lx += 72)
            g.DrawImage(&diamond, int(lx) - 11, int(ly) - 11);
    ArtPaint::Grain(im, inside, 11, 0.05f);
    piece.LayOver(room);
}

void Window(Lumo::MemoryImage& room, const Look& look)
{
    Piece piece(40, 36, 320, 240);
    Lumo::MemoryImage& im = piece.im;
    ArtMask frame = Mask(im);
    frame.AddRoundRect(30, 12, 260, 204, 18);
    ArtPaint::Shadow(im, frame, 0, 5, 4, 0.3f);
    Lit(im, frame, kCaramel, 12, 216);
    ArtMask glass = Mask(im);
    glass.AddRoundRect(46, 28, 228, 172, 10);
    ArtPaint::FillVertical(im, glass, 0xC4E4F4, kSky, 28, 200);
    // A street outside: clouds, a row of houses and a tree.
    ArtMask cloud = Mask(im);
    cloud.AddEllipse(100, 64, 30, 11).AddEllipse(122, 56, 20, 13).AddEllipse(146, 66, 24, 9);
    cloud.AddEllipse(222, 48, 22, 8).AddEllipse(238, 44, 14, 9);
    cloud.Intersect(glass);
    ArtPaint::Fill(im, cloud, 0xFFFFFF, 0.9f);
    ArtMask houses = Mask(im);
    houses.AddRoundRect(46, 134, 70, 70, 2).AddRoundRect(110, 114, 56, 90, 2);
    houses.AddRoundRect(164, 140, 64, 64, 2).AddRoundRect(222, 124, 60, 80, 2);
    houses.Union(Polygon(im, {{110, 114}, {138, 92}, {166, 114}}));
    houses.Intersect(glass);
    ArtPaint::Fill(im, houses, ArtPaint::Mix(kSky, look.colour, 0.35f), 0.55f);
    ArtMask windows = Mask(im);
    for (int i = 0; i < 4; i++)
        windows.AddRoundRect(60 + i * 60, 150, 10, 12, 2).AddRoundRect(78 + i * 60, 170, 10, 12, 2);
    windows.Intersect(glass);
    ArtPaint::Fill(im, windows, kButter, 0.6f);
    ArtMask tree = Mask(im);
    tree.AddCircle(206, 114, 26).AddCircle(188, 130, 18).AddCircle(226, 132, 18);
    tree.Intersect(glass);
    ArtPaint::Fill(im, tree, ArtPaint::Darker(kMint, 0.1f), 0.85f);
    ArtMask bars = Mask(im);
    bars.AddRoundRect(156, 28, 8, 172, 0).AddRoundRect(46, 110, 228, 8, 0);
    Lit(im, bars, kCaramel, 28, 200, 1.0f);
    Gleam(im, 56, 36, 10, 60, 0.35f);
    ArtMask sill = Mask(im);
    sill.AddRoundRect(18, 210, 284, 16, 6);
    ArtPaint::Shadow(im, sill, 0, 3, 3, 0.3f);
    Lit(im, sill, kMocha, 210, 226);
    piece.LayOver(room);
}

// Chalk on the slate: the text's shape in a dusty, not quite opaque white.
void Chalk(Lumo::MemoryImage& im, const wchar_t* text, int cx, int baseline, int pixels,
           uint32_t seed)
{
    Lumo::MemoryImage layer = Blank(im.mWidth, im.mHeight);
    ArtText::Style style;
    style.face = ArtText::kBody;
    style.pixels = pixels;
    style.outlineWidth = 0;
    ArtText::DrawCentred(layer, text, cx, baseline, style);
    ArtMask chalk = ArtMask::FromAlpha(layer.GetPixels(), layer.mWidth, layer.mHeight);
    ArtPaint::Fill(im, chalk, 0xF4F1EA, 0.8f);
    ArtPaint::Grain(im, chalk, seed, 0.5f);
}

// Planks of wood: a flat fill with darker grain lines, no lit top. The room's
// signs are painted wood and chalk, so nothing on the wall looks like one of
// the HUD's buttons (lit pills with white, outlined labels).
void Wood(Lumo::MemoryImage& im, const ArtMask& shape, float y0, float y1)
{
    ArtPaint::Fill(im, shape.Dilated(1.5f), kCoffee);
    ArtPaint::FillVertical(im, shape, ArtPaint::Darker(kMocha, 0.04f),
                           ArtPaint::Darker(kMocha, 0.14f), y0, y1);
    ArtMask grain = Mask(im);
    for (float y = y0 + 5; y < y1 - 2; y += 7)
        grain.AddLine(0, y, float(im.mWidth), y + 1.5f, 1.0f);
    grain.Intersect(shape);
    ArtPaint::Fill(im, grain, kCoffee, 0.25f);
}

// The chalk board of the day's offer, and the cafe's painted sign hung over
// it, which says what the place is (KpCafeArt.h).
void MenuBoard(Lumo::MemoryImage& room, int n, const Look& look)
{
    Piece piece(366, 14, 160, 206);
    Lumo::MemoryImage& im = piece.im;
    // The sign hangs from the moulding on two cords.
    ArtMask cords = Mask(im);
    cords.AddLine(44, 0, 48, 14, 1.6f).AddLine(116, 0, 112, 14, 1.6f);
    ArtPaint::Fill(im, cords, kCoffee, 0.9f);
    ArtMask sign = Mask(im);
    sign.AddRoundRect(26, 14, 108, 30, 3);
    ArtPaint::Shadow(im, sign, 0, 3, 3, 0.3f);
    Wood(im, sign, 14, 44);
    ArtMask border = Mask(im);
    border.AddRoundRect(30, 18, 100, 22, 2);
    border.Subtract(Mask(im).AddRoundRect(32, 20, 96, 18, 1));
    ArtPaint::Fill(im, border, look.colour, 0.9f);
    ArtMask nails = Mask(im);
    nails.AddCircle(48, 16, 1.8f).AddCircle(112, 16, 1.8f);
    ArtPaint::Fill(im, nails, kButter);
    ArtText::Style paint;
    paint.pixels = 18;
    paint.color = ArtPaint::Mix(kCream, look.colour, 0.25f);
    paint.outlineWidth = 0;
    ArtText::DrawCentred(im, KpCafeArt::kRoomSignWords[n - 1], 80, 36, paint);

    ArtMask frame = Mask(im);
    frame.AddRoundRect(10, 56, 140, 136, 6);
    ArtPaint::Shadow(im, frame, 0, 5, 4, 0.3f);
    Wood(im, frame, 56, 192);
    ArtMask slate = Mask(im);
    slate.AddRoundRect(19, 65, 122, 116, 3);
    ArtPaint::FillVertical(im, slate, 0x47524F, 0x353E3C, 65, 181);
    // A wiped smudge, as on any board written on many times.
    ArtMask smudge = Mask(im);
    smudge.AddEllipse(92, 150, 38, 16).AddEllipse(50, 92, 26, 10);
    smudge.Blur(6);
    smudge.Intersect(slate);
    ArtPaint::Fill(im, smudge, 0xFFFFFF, 0.07f);
    Chalk(im, L"Today", 80, 92, 17, 71);
    // A cup drawn in chalk, then the day's dishes and their prices.
    ArtMask cup = Mask(im);
    cup.AddLine(30, 110, 32, 122, 1.6f).AddLine(32, 122, 44, 122, 1.6f);
    cup.AddLine(44, 122, 46, 110, 1.6f).AddLine(29, 110, 47, 110, 1.6f);
    cup.AddLine(47, 113, 51, 115, 1.4f).AddLine(51, 115, 46, 119, 1.4f);
    cup.AddLine(35, 106, 37, 101, 1.2f).AddLine(41, 106, 43, 101, 1.2f);
    ArtPaint::Fill(im, cup, 0xF4F1EA, 0.75f);
    ArtMask lines = Mask(im);
    for (int i = 0; i < 3; i++)
        lines.AddLine(58, 112 + i * 16.0f, 100 - (i % 2) * 10, 113 + i * 16.0f, 1.6f);
    lines.AddLine(30, 144, 84, 145, 1.6f);
    ArtPaint::Fill(im, lines, 0xF4F1EA, 0.6f);
    ArtMask prices = Mask(im);
    for (int i = 0; i < 4; i++)
        prices.AddLine(110, 112 + i * 16.0f, 126, 112 + i * 16.0f, 1.8f);
    ArtPaint::Fill(im, prices, look.colour == kCaramel ? kButter : look.colour, 0.75f);
    // The ledge under the slate with a stick of chalk on it.
    ArtMask ledge = Mask(im);
    ledge.AddRoundRect(14, 184, 132, 8, 2);
    ArtPaint::Fill(im, ledge, ArtPaint::Darker(kMocha, 0.25f));
    ArtMask stick = Mask(im);
    stick.AddRoundRect(104, 180, 16, 5, 2);
    ArtPaint::Fill(im, stick, 0xF4F1EA);
    piece.LayOver(room);
}

void Shelves(Lumo::MemoryImage& room)
{
    Piece piece(570, 30, 330, 146);
    Lumo::MemoryImage& im = piece.im;
    // The lower board's place on the screen is the play's too (KpCafeArt.h).
    const int boards[2][3] = {{14, 54, 300},
                              {KpCafeArt::kLowerShelfX - piece.x, KpCafeArt::kLowerShelfY - piece.y,
                               KpCafeArt::kLowerShelfWidth}};
    const uint32_t jars[4] = {kMint, kCherry, kSky, kButter};
    for (int b = 0; b < 2; b++)
    {
        int x0 = boards[b][0], y = boards[b][1], width = boards[b][2];
        // Things on the shelf: cups and jars of beans.
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
        const int h = KpCafeArt::kShelfBoardHeight;
        board.AddRoundRect(x0, y, width, h, 4);
        ArtPaint::Shadow(im, board, 0, 4, 3, 0.3f);
        Lit(im, board, kMocha, float(y), float(y + h), 1.5f);
    }
    piece.LayOver(room);
}

void Counter(Lumo::MemoryImage& room, const Look& look)
{
    Piece piece(540, 150, 376, 196);
    Lumo::MemoryImage& im = piece.im;
    ArtMask body = Mask(im);
    body.AddRoundRect(20, 86, 336, 98, 8);
    ArtPaint::Shadow(im, body, 0, 5, 4, 0.35f);
    Lit(im, body, look.colour, 86, 184);
    ArtMask panels = Mask(im);
    for (int i = 0; i < 4; i++)
        panels.AddRoundRect(34 + i * 80, 104, 68, 66, 8);
    ArtPaint::Fill(im, panels, ArtPaint::Darker(look.colour, 0.12f));
    ArtMask inner = Mask(im);
    for (int i = 0; i < 4; i++)
        inner.AddRoundRect(38 + i * 80, 108, 60, 58, 6);
    ArtPaint::FillVertical(im, inner, ArtPaint::Lighter(look.colour, 0.12f), look.colour, 108, 166);
    ArtMask top = Mask(im);
    top.AddRoundRect(10, 72, 356, 18, 6);
    Lit(im, top, 0xF4EEE4, 72, 90);
    Gleam(im, 20, 75, 200, 3, 0.5f);
    // On the counter: a cake under a glass dome and a stack of cups.
    ArtMask stand = Mask(im);
    stand.AddEllipse(230, 70, 30, 5).AddRoundRect(226, 58, 8, 12, 2);
    Lit(im, stand, 0xFFFFFF, 54, 75, 1.5f);
    ArtMask cake = Mask(im);
    cake.AddRoundRect(208, 34, 44, 24, 6);
    Lit(im, cake, 0xF7D9E3, 34, 58, 1.5f);
    ArtMask icing = Mask(im);
    icing.AddRoundRect(208, 34, 44, 8, 4);
    ArtPaint::Fill(im, icing, 0xFFFFFF);
    ArtMask cherries = Mask(im);
    cherries.AddCircle(220, 32, 3.5f).AddCircle(230, 31, 3.5f).AddCircle(240, 32, 3.5f);
    ArtPaint::Fill(im, cherries, kCherry);
    ArtMask dome = Mask(im);
    dome.AddEllipse(230, 50, 34, 40);
    dome.Subtract(Mask(im).AddRoundRect(160, 58, 140, 60, 0));
    ArtPaint::Fill(im, dome.Dilated(1.5f), kCoffee, 0.35f);
    ArtPaint::Fill(im, dome, 0xDFF0F8, 0.35f);
    Gleam(im, 208, 22, 6, 22, 0.5f);
    ArtMask stack = Mask(im);
    for (int i = 0; i < 3; i++)
        stack.AddRoundRect(164, 56 - i * 10.0f, 26, 10, 3);
    Lit(im, stack, 0xFFFFFF, 36, 66, 1.5f);
    piece.LayOver(room);
}

void Door(Lumo::MemoryImage& room, const Look& look)
{
    Piece piece(890, 80, 134, 290);
    Lumo::MemoryImage& im = piece.im;
    ArtMask frame = Mask(im);
    frame.AddRoundRect(14, 12, 112, 214, 10);
    ArtPaint::Shadow(im, frame, 0, 5, 4, 0.3f);
    Lit(im, frame, look.colour, 12, 226);
    ArtMask door = Mask(im);
    door.AddRoundRect(26, 24, 88, 200, 6);
    Lit(im, door, kMocha, 24, 224, 1.5f);
    ArtMask glass = Mask(im);
    glass.AddRoundRect(36, 36, 68, 84, 8);
    ArtPaint::FillVertical(im, glass, 0xC4E4F4, kSky, 36, 120);
    Gleam(im, 42, 42, 6, 40, 0.4f);
    ArtMask panel = Mask(im);
    panel.AddRoundRect(38, 136, 64, 74, 6);
    ArtPaint::Fill(im, panel, ArtPaint::Darker(kMocha, 0.15f));
    ArtMask knob = Mask(im);
    knob.AddCircle(102, 130, 5);
    Lit(im, knob, kButter, 125, 135, 1.5f);
    // The hook of the open/closed sign, which is a picture of its own (DoorSign).
    ArtMask hook = Mask(im);
    hook.AddCircle(70, 32, 2.5f);
    Lit(im, hook, kButter, 29, 35, 1.2f);
    // The mat where clients come in.
    ArtMask mat = Mask(im);
    mat.AddRoundRect(20, 246, 96, 34, 10);
    ArtPaint::Shadow(im, mat, 0, 2, 2, 0.25f);
    Lit(im, mat, ArtPaint::Darker(look.colour, 0.2f), 246, 280, 1.5f);
    piece.LayOver(room);
}

// The sign on the door: "OPEN" in the cafe's colour on cream while the day
// runs, "CLOSED" in cream on dark wood otherwise; hung from the door's hook
// at (KpCafeArt::kDoorSignX, kDoorSignY).
void DoorSign(ArtOutput& out, int n, const Look& look, bool open)
{
    using namespace KpCafeArt;
    Lumo::MemoryImage im = Blank(kDoorSignWidth, kDoorSignHeight);
    const float cx = kDoorSignWidth / 2.0f, top = 12, w = 64, h = 22;
    ArtMask string = Mask(im);
    string.AddLine(cx - 14, top, cx, 2, 1.2f).AddLine(cx + 14, top, cx, 2, 1.2f);
    ArtPaint::Fill(im, string, kCoffee);
    ArtMask sign = Mask(im);
    sign.AddRoundRect(cx - w / 2, top, w, h, 5);
    ArtPaint::Shadow(im, sign, 0, 2, 2, 0.25f);
    Lit(im, sign, open ? kCream : kMocha, top, top + h, 1.5f);
    ArtText::Style style;
    style.pixels = 14;
    style.color = !open ? kCream : kMint == look.colour ? kCoffee : look.colour;
    style.outlineWidth = 0;
    ArtText::DrawCentred(im, open ? L"OPEN" : L"CLOSED", int(cx), int(top) + 17, style);
    out.Save(Lumo::StrFormat("cafe/cafe%d_sign_%s.png", n, open ? "open" : "closed"), im);
}

// A soft shade in the floor's two near corners.
void Corners(Lumo::MemoryImage& room)
{
    for (int side = 0; side < 2; side++)
    {
        Piece piece(side ? kW - 300 : 0, kH - 200, 300, 200);
        ArtMask corner = Mask(piece.im);
        corner.AddEllipse(side ? 300 : 0, 200, 260, 160);
        corner.Blur(30);
        ArtPaint::Fill(piece.im, corner, kCoffee, 0.14f);
        piece.LayOver(room);
    }
}

void Cafe(ArtOutput& out, int n, const Look& look)
{
    Lumo::MemoryImage im = Blank(kW, kH);
    Wall(im, look);
    Floor(im, look);
    Window(im, look);
    MenuBoard(im, n, look);
    Shelves(im);
    Door(im, look);
    Corners(im);
    Rug(im, look);
    Counter(im, look);
    out.Save(Lumo::StrFormat("cafe/cafe%d_back.png", n), im);
    DoorSign(out, n, look, true);
    DoorSign(out, n, look, false);
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
