// The pictures of the toolkit's sample dialog: its panel with the footer
// shelf, the backdrop (a corner of the cafe: striped wall, window, lamp,
// shelf with cups, wooden wainscot) and the small icons it shows.
#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtAtlas.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtMask.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtShape.h"
#include "tools/artgen/ArtText.h"

namespace
{
using namespace ArtPalette;

using ArtCafe::Blank;

void Panel(ArtOutput& out)
{
    // The panel is 620 x 500 inside a 640 x 520 picture (room for the shadow).
    const int m = ArtPaint::kPanelMargin;
    Lumo::MemoryImage image = Blank(620 + 2 * m, 500 + 2 * m);
    ArtPaint::PanelStyle style;
    style.seed = 16;
    ArtPaint::Panel(image, m, m, 620, 500, style);
    // A caramel header strip for the title, and a shade shelf under the buttons.
    ArtMask header(image.mWidth, image.mHeight);
    header.AddRoundRect(m + 2, m + 2, 616, 62, 12);
    ArtMask cut(image.mWidth, image.mHeight);
    cut.AddRoundRect(m + 2, m + 40, 616, 40, 0);
    ArtMask square(image.mWidth, image.mHeight);
    square.AddRoundRect(m + 2, m + 30, 616, 34, 0);
    header.Union(square);
    ArtPaint::FillVertical(image, header, ArtPaint::Lighter(kCaramel, 0.18f), kCaramel, m, m + 64);
    ArtPaint::Grain(image, header, 17, 0.04f);
    ArtMask line(image.mWidth, image.mHeight);
    line.AddRoundRect(m + 2, m + 64, 616, 2, 0);
    ArtPaint::Fill(image, line, ArtPaint::OutlineOf(kCaramel));
    ArtMask shelf(image.mWidth, image.mHeight);
    shelf.AddRoundRect(m + 16, m + 404, 588, 82, 12);
    ArtPaint::Fill(image, shelf, kPaperShade, 0.65f);
    out.Save("ui/sample/panel.png", image);
}

void Backdrop(ArtOutput& out)
{
    const int w = 1024, h = 768, wall = 560;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask all(w, h);
    all.AddRoundRect(-2, -2, w + 4, h + 4, 0);
    ArtPaint::FillVertical(image, all, 0xFAF0DC, kPaperShade, 0, wall);

    // Wallpaper: soft stripes with a thin caramel pin line in each.
    ArtMask stripes(w, h), pins(w, h);
    for (int x = 0; x < w; x += 48)
    {
        stripes.AddRoundRect(x + 8, -2, 20, wall + 2, 0);
        pins.AddRoundRect(x + 17, -2, 2, wall + 2, 0);
    }
    ArtPaint::Fill(image, stripes, kPaperShade, 0.45f);
    ArtPaint::Fill(image, pins, kCaramel, 0.18f);

    // The window on the left: sky, a far roof line, frame and cross bars.
    ArtMask frame(w, h);
    frame.AddRoundRect(28, 70, 200, 300, 16);
    ArtPaint::Shadow(image, frame, 0, 4, 3, 0.25f);
    ArtPaint::Fill(image, frame, ArtPaint::OutlineOf(kCaramel));
    ArtMask wood(w, h);
    wood.AddRoundRect(30, 72, 196, 296, 14);
    ArtPaint::FillVertical(image, wood, ArtPaint::Lighter(kCaramel, 0.15f), kCaramel, 70, 370);
    ArtMask glass(w, h);
    glass.AddRoundRect(46, 88, 164, 264, 8);
    ArtPaint::FillVertical(image, glass, 0xBFE0F0, kSky, 88, 352);
    ArtMask cloud(w, h);
    cloud.AddEllipse(92, 140, 30, 12).AddEllipse(116, 132, 22, 14).AddEllipse(140, 142, 26, 10);
    cloud.Intersect(glass);
    ArtPaint::Fill(image, cloud, 0xFFFFFF, 0.85f);
    ArtMask roofs(w, h);
    roofs.AddRoundRect(46, 300, 60, 60, 4).AddRoundRect(100, 284, 50, 80, 4);
    roofs.AddRoundRect(150, 310, 70, 50, 4);
    roofs.Intersect(glass);
    ArtPaint::Fill(image, roofs, ArtPaint::Mix(kSky, kCoffee, 0.35f), 0.6f);
    ArtMask bars(w, h);
    bars.AddRoundRect(124, 88, 8, 264, 0).AddRoundRect(46, 214, 164, 8, 0);
    ArtPaint::Fill(image, bars, kCaramel);
    ArtMask sill(w, h);
    sill.AddRoundRect(18, 364, 220, 16, 6);
    ArtPaint::Shadow(image, sill, 0, 3, 2, 0.3f);
    ArtPaint::Fill(image, sill, ArtPaint::OutlineOf(kMocha));
    ArtMask sillTop(w, h);
    sillTop.AddRoundRect(20, 366, 216, 12, 5);
    ArtPaint::FillVertical(image, sillTop, ArtPaint::Lighter(kMocha, 0.25f), kMocha, 366, 378);
    // A potted plant on the sill.
    ArtMask pot(w, h);
    pot.AddRoundRect(160, 330, 36, 36, 6);
    ArtMask leaves(w, h);
    leaves.AddEllipse(170, 318, 14, 9).AddEllipse(188, 312, 12, 10).AddEllipse(178, 302, 10, 12);
    ArtPaint::Fill(image, leaves.Dilated(2), kCoffee);
    ArtPaint::FillVertical(image, leaves, ArtPaint::Lighter(kMint, 0.2f), kMint, 290, 330);
    ArtPaint::Fill(image, pot.Dilated(2), kCoffee);
    ArtPaint::FillVertical(image, pot, ArtPaint::Lighter(kCherry, 0.2f), kCherry, 330, 366);

    // The lamp on the right: a cord and a butter shade with warm light below.
    ArtMask glow(w, h);
    glow.AddEllipse(930, 260, 110, 90);
    glow.Blur(8);
    ArtPaint::Fill(image, glow, kButter, 0.22f);
    ArtMask cord(w, h);
    cord.AddLine(930, -4, 930, 140, 3);
    ArtPaint::Fill(image, cord, kCoffee);
    ArtMask shade(w, h);
    shade.AddShape(
        [&]
        {
            ArtShape s(w, h);
            s.AddPolygon({{900, 140}, {960, 140}, {990, 200}, {870, 200}});
            return s;
        }());
    shade.AddRoundRect(905, 132, 50, 14, 7);
    ArtPaint::Fill(image, shade.Dilated(2), kCoffee);
    ArtPaint::FillVertical(image, shade, ArtPaint::Lighter(kButter, 0.2f),
                           ArtPaint::Darker(kButter, 0.08f), 132, 200);
    ArtMask bulb(w, h);
    bulb.AddEllipse(930, 203, 14, 7);
    ArtPaint::Fill(image, bulb, 0xFFF6D8);

    // A shelf with cups under the lamp.
    ArtMask board(w, h);
    board.AddRoundRect(846, 420, 170, 14, 5);
    ArtPaint::Shadow(image, board, 0, 4, 3, 0.3f);
    ArtPaint::Fill(image, board.Dilated(1.5f), kCoffee);
    ArtPaint::FillVertical(image, board, ArtPaint::Lighter(kMocha, 0.25f), kMocha, 420, 434);
    const uint32_t cups[3] = {kMint, kCherry, kSky};
    for (int i = 0; i < 3; i++)
    {
        float x = 866 + i * 50.0f;
        ArtMask cup(w, h);
        cup.AddRoundRect(x, 384, 34, 36, 8);
        ArtMask handle(w, h);
        handle.AddCircle(x + 36, 400, 9);
        ArtMask hole(w, h);
        hole.AddCircle(x + 36, 400, 4.5f);
        handle.Subtract(hole);
        cup.Union(handle);
        ArtPaint::Fill(image, cup.Dilated(2), kCoffee);
        ArtPaint::FillVertical(image, cup, ArtPaint::Lighter(cups[i], 0.25f), cups[i], 384, 420);
        ArtMask gleam(w, h);
        gleam.AddRoundRect(x + 5, 390, 6, 20, 3);
        ArtPaint::Fill(image, gleam, 0xFFFFFF, 0.4f);
    }

    // Dado rail and wooden wainscot.
    ArtMask rail(w, h);
    rail.AddRoundRect(-4, wall - 6, w + 8, 16, 4);
    ArtPaint::Shadow(image, rail, 0, 4, 3, 0.3f);
    ArtPaint::Fill(image, rail, ArtPaint::OutlineOf(kCaramel));
    ArtMask railFace(w, h);
    railFace.AddRoundRect(-4, wall - 4, w + 8, 12, 3);
    ArtPaint::FillVertical(image, railFace, ArtPaint::Lighter(kCaramel, 0.3f), kCaramel, wall - 4,
                           wall + 8);
    ArtMask planks(w, h);
    planks.AddRoundRect(-4, wall + 10, w + 8, h - wall, 0);
    ArtPaint::FillVertical(image, planks, ArtPaint::Lighter(kMocha, 0.12f),
                           ArtPaint::Darker(kMocha, 0.12f), wall + 10, h);
    ArtPaint::Grain(image, planks, 7, 0.06f);
    ArtMask gaps(w, h);
    for (int x = 40; x < w; x += 80)
        gaps.AddRoundRect(x, wall + 10, 3, h - wall, 0);
    ArtPaint::Fill(image, gaps, kCoffee, 0.55f);
    ArtMask wallArea(w, h);
    wallArea.AddRoundRect(-2, -2, w + 4, wall - 4, 0);
    ArtPaint::Grain(image, wallArea, 5, 0.035f);
    out.Save("ui/sample/backdrop.png", image);
}

void Icons(ArtOutput& out)
{
    const ArtIcons::Icon icons[3] = {ArtIcons::kExpert, ArtIcons::kMoney, ArtIcons::kLives};
    for (ArtIcons::Icon icon : icons)
    {
        Lumo::MemoryImage image = Blank(48, 48);
        ArtIcons::Draw(image, icon, 0, 0, 48);
        out.Save(std::string("ui/sample/") + ArtIcons::Name(icon) + ".png", image);
    }
    Lumo::MemoryImage strip = Blank(48 * 12, 48);
    for (int frame = 0; frame < 12; frame++)
        ArtIcons::Draw(strip, ArtIcons::kClock, frame * 48, 0, 48, frame);
    out.Save("ui/sample/clock.png", strip);

    // A "NEW" badge: a cherry circle with the word baked in.
    Lumo::MemoryImage badge = Blank(44, 44);
    ArtMask disc(44, 44);
    disc.AddCircle(22, 22, 18);
    ArtPaint::Shadow(badge, disc, 1, 2, 1, 0.3f);
    ArtPaint::Fill(badge, disc.Dilated(2), kCoffee);
    ArtPaint::FillVertical(badge, disc, ArtPaint::Lighter(kCherry, 0.2f), kCherry, 4, 40);
    ArtText::Style style;
    style.pixels = 15;
    ArtText::DrawCentred(badge, L"NEW", 22, 27, style);
    out.Save("ui/sample/badge_new.png", badge);
}

// The sample icons once more as an atlas pack, in 64-pixel frames with room
// around them, the way comic pictures are packed.
void IconPack(ArtOutput& out)
{
    ArtAtlas atlas("ui/sample/icons", 256, 256);
    for (int i = 0; i < ArtIcons::kIconCount; i++)
    {
        Lumo::MemoryImage frame = Blank(64, 64);
        ArtIcons::Draw(frame, (ArtIcons::Icon)i, 8, 8, 48);
        atlas.Add(std::string("img\\ui\\sample\\icons\\") + ArtIcons::Name((ArtIcons::Icon)i) +
                      ".png",
                  frame);
    }
    atlas.Save(out);
}
} // namespace

ART_GROUP(sample)
{
    Panel(out);
    Backdrop(out);
    Icons(out);
    IconPack(out);
}
