// The level dialogs' pictures: the briefing's card, the success and fail
// debriefings' cards (a mint or cherry band with its badge), and the pause
// menu's picture of a well-earned cup of coffee.
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

// A card with a coloured header band and a shelf for the buttons.
void Card(ArtOutput& out, const char* file, int w, int h, uint32_t band, ArtIcons::Icon badge)
{
    const int m = ArtPaint::kPanelMargin;
    Lumo::MemoryImage image = Blank(w + 2 * m, h + 2 * m);
    ArtPaint::PanelStyle style;
    style.radius = 18;
    style.seed = 19;
    ArtPaint::Panel(image, m, m, float(w), float(h), style);
    ArtMask header = Mask(image);
    header.AddRoundRect(m + 2.0f, m + 2.0f, w - 4.0f, 64, 16);
    ArtMask square = Mask(image);
    square.AddRoundRect(m + 2.0f, m + 40.0f, w - 4.0f, 26, 0);
    header.Union(square);
    ArtPaint::FillVertical(image, header, ArtPaint::Lighter(band, 0.18f), band, float(m),
                           m + 66.0f);
    ArtPaint::Grain(image, header, 29, 0.04f);
    ArtMask line = Mask(image);
    line.AddRoundRect(m + 2.0f, m + 66.0f, w - 4.0f, 2, 0);
    ArtPaint::Fill(image, line, ArtPaint::OutlineOf(band));
    ArtMask shelf = Mask(image);
    shelf.AddRoundRect(m + 20.0f, m + h - 96.0f, w - 40.0f, 80, 14);
    ArtPaint::Fill(image, shelf, kPaperShade, 0.6f);
    Icon(image, badge, m + 14, m + 6, 56);
    Icon(image, badge, m + w - 70, m + 6, 56);
    out.Save(file, image);
}

void PauseCup(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(320, 260);
    ArtMask saucer = Mask(image);
    saucer.AddEllipse(160, 214, 120, 26);
    ArtPaint::Shadow(image, saucer, 0, 5, 4, 0.3f);
    Lit(image, saucer, kCream, 188, 240);
    ArtMask cup = Mask(image);
    cup.AddRoundRect(90, 100, 140, 112, 40);
    cup.AddRoundRect(90, 100, 140, 50, 10);
    ArtMask handle = Mask(image);
    handle.AddCircle(238, 152, 30);
    ArtMask hole = Mask(image);
    hole.AddCircle(238, 152, 17);
    handle.Subtract(hole);
    cup.Union(handle);
    Lit(image, cup, kMint, 100, 212, 2.5f);
    ArtMask coffee = Mask(image);
    coffee.AddEllipse(160, 104, 64, 13);
    ArtPaint::Fill(image, coffee.Dilated(2), ArtPaint::OutlineOf(kMint));
    ArtPaint::FillVertical(image, coffee, kMocha, kCoffee, 92, 116);
    ArtMask heart = Mask(image);
    heart.AddCircle(152, 102, 6);
    heart.AddCircle(166, 102, 6);
    heart.Union(Polygon(image, {{146, 104}, {172, 104}, {159, 113}}));
    ArtPaint::Fill(image, heart, kCream, 0.9f);
    for (int i = 0; i < 3; i++)
    {
        ArtMask steam = Mask(image);
        float x = 132 + i * 28.0f;
        steam.AddLine(x, 80, x + 8, 62, 5);
        steam.AddLine(x + 8, 62, x, 42, 5);
        steam.AddLine(x, 42, x + 8, 24, 5);
        steam.Blur(1);
        ArtPaint::Fill(image, steam, 0xFFFFFF, 0.7f);
        ArtPaint::Fill(image, steam, kPageEdge, 0.35f);
    }
    Gleam(image, 110, 120, 12, 46, 0.35f);
    out.Save("dialogs/pause_cup.png", image);
}
} // namespace

ART_GROUP(leveldialogs)
{
    Card(out, "dialogs/briefing.png", 680, 540, kCaramel, ArtIcons::kMoney);
    Card(out, "dialogs/debriefing.png", 680, 560, kMint, ArtIcons::kExpert);
    Card(out, "dialogs/debriefing_fail.png", 680, 560, kCherry, ArtIcons::kClock);
    PauseCup(out);
}
