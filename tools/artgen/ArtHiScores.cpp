// The hi-score pages: a badge beside each table's title (a star for the
// career, a heart for survival) and the two shades of the rows that stripe
// the tables.
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

void Badge(ArtOutput& out, int table)
{
    Lumo::MemoryImage image = Blank(64, 64);
    const uint32_t ring = table == 0 ? kCaramel : kCherry;
    ArtMask disc = Mask(image);
    disc.AddCircle(32, 31, 28);
    ArtPaint::Shadow(image, disc, 1, 2, 2, 0.3f);
    Lit(image, disc, ring, 3, 59);
    ArtMask face = Mask(image);
    face.AddCircle(32, 31, 22);
    ArtPaint::FillVertical(image, face, 0xFFFDF6, kCream, 9, 53);
    Icon(image, table == 0 ? ArtIcons::kExpert : ArtIcons::kLives, 14, 13, 36);
    out.Save("hiscores/badge" + std::to_string(table) + ".png", image);
}

void Row(ArtOutput& out, int shade)
{
    Lumo::MemoryImage image = Blank(387, 34);
    ArtMask strip = Mask(image);
    strip.AddRoundRect(1, 2, 385, 30, 10);
    ArtPaint::Fill(image, strip, kPaperShade, shade == 0 ? 0.75f : 0.4f);
    out.Save("hiscores/row" + std::to_string(shade) + ".png", image);
}
} // namespace

ART_GROUP(hiscores)
{
    Badge(out, 0);
    Badge(out, 1);
    Row(out, 0);
    Row(out, 1);
}
