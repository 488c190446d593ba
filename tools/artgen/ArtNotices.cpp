// The icons of the notices about the player's profile file, in the look of
// the question boxes' icons (a cream disc in a coloured ring): the progress
// book with a warning for a save that failed ("savefail"), crossed out for
// one that is lost at quit ("savelost"), and a second sheet behind it for a
// damaged file kept as a copy ("profilekept"); and a screen showing a window
// for full screen refused by the display ("nofullscr").
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

// The player's progress: a small leather book with a paper edge.
void ProgressBook(Lumo::MemoryImage& image, float x, float y)
{
    ArtMask cover = Mask(image);
    cover.AddRoundRect(x, y, 34, 42, 4);
    Lit(image, cover, 0x6B4330, y, y + 42);
    ArtMask paper = Mask(image);
    paper.AddRoundRect(x + 4, y + 4, 26, 34, 2);
    ArtPaint::Fill(image, paper, kCream);
    ArtMask lines = Mask(image);
    for (int i = 0; i < 4; i++)
        lines.AddLine(x + 8, y + 11 + 7 * i, x + 26, y + 11 + 7 * i, 1.5f);
    ArtPaint::Fill(image, lines, kMocha, 0.6f);
}

// A round mark at the book's corner: "!" (warning) or a cross.
void Mark(Lumo::MemoryImage& image, float cx, float cy, bool cross)
{
    ArtMask disc = Mask(image);
    disc.AddCircle(cx, cy, 12);
    Lit(image, disc, kCherry, cy - 12, cy + 12);
    ArtMask sign = Mask(image);
    if (cross)
    {
        sign.AddLine(cx - 5, cy - 5, cx + 5, cy + 5, 3.5f);
        sign.AddLine(cx + 5, cy - 5, cx - 5, cy + 5, 3.5f);
    }
    else
    {
        sign.AddLine(cx, cy - 7, cx, cy + 2, 3.5f);
        sign.AddCircle(cx, cy + 6.5f, 2);
    }
    ArtPaint::Fill(image, sign, kWhite);
}

void NoticeIcon(ArtOutput& out, const char* key)
{
    Lumo::MemoryImage image = Blank(96, 96);
    std::string k = key;
    if (k == "nofullscr")
    {
        // A screen whose picture sits in a window on it.
        Badge(image, kCaramel);
        ArtMask frame = Mask(image);
        frame.AddRoundRect(22, 26, 52, 36, 4);
        Lit(image, frame, 0x6B4330, 26, 62);
        ArtMask glass = Mask(image);
        glass.AddRoundRect(26, 30, 44, 28, 2);
        ArtPaint::Fill(image, glass, kCream);
        ArtMask window = Mask(image);
        window.AddRoundRect(34, 36, 28, 17, 2);
        ArtPaint::Fill(image, window, kCherry);
        ArtMask stand = Mask(image);
        stand.AddRoundRect(44, 62, 8, 7, 1);
        stand.AddRoundRect(36, 68, 24, 4, 2);
        Lit(image, stand, 0x6B4330, 62, 72);
    }
    else if (k == "profilekept")
    {
        Badge(image, kSky);
        // The copy lies behind, a little turned out.
        ArtMask sheet = Polygon(image, {{44, 26}, {74, 30}, {70, 70}, {40, 66}});
        Lit(image, sheet, kWhite, 26, 70);
        ProgressBook(image, 26, 32);
    }
    else
    {
        Badge(image, kCherry);
        ProgressBook(image, 28, 26);
        Mark(image, 62, 62, k == "savelost");
    }
    out.Save(std::string("box/icon_") + key + ".png", image);
}
} // namespace

ART_GROUP(notices)
{
    for (const char* key : {"savefail", "savelost", "profilekept", "nofullscr"})
        NoticeIcon(out, key);
}
