// The shared question and notice boxes: their panel (a card with a caramel
// band for the question), the name entry's panel, and one icon per key the
// game asks by ("db01_icon_<key>"): quit, delprof, delcareer, restlvl,
// exitmenu and upgrade.
#include <cmath>

#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

void BoxPanel(ArtOutput& out, const char* file, int w, int h, uint32_t band)
{
    const int m = ArtPaint::kPanelMargin;
    Lumo::MemoryImage image = Blank(w + 2 * m, h + 2 * m);
    ArtPaint::PanelStyle style;
    style.seed = 23;
    style.radius = 16;
    ArtPaint::Panel(image, m, m, w, h, style);
    ArtMask strip = Mask(image);
    strip.AddRoundRect(m + 2.0f, m + 2.0f, w - 4.0f, 10, 6);
    ArtPaint::Fill(image, strip, band);
    // A soft shelf for the buttons.
    ArtMask shelf = Mask(image);
    shelf.AddRoundRect(m + 16.0f, m + h - 88.0f, w - 32.0f, 72, 12);
    ArtPaint::Fill(image, shelf, kPaperShade, 0.6f);
    out.Save(file, image);
}

// A turning arrow around the centre (restart, reset).
ArtMask CircleArrow(const Lumo::MemoryImage& image, float cx, float cy, float r, float width)
{
    ArtMask arc = Mask(image);
    for (int i = 0; i <= 26; i++)
    {
        float a0 = 0.5f + i * 0.2f, a1 = a0 + 0.2f;
        arc.AddLine(cx + r * std::cos(a0), cy + r * std::sin(a0), cx + r * std::cos(a1),
                    cy + r * std::sin(a1), width);
    }
    float a = 0.5f;
    float hx = cx + r * std::cos(a), hy = cy + r * std::sin(a);
    arc.Union(Polygon(image, {{hx - width * 1.4f, hy - width * 0.2f},
                              {hx + width * 1.4f, hy - width * 0.6f},
                              {hx + width * 0.2f, hy + width * 1.6f}}));
    return arc;
}

void Cross(Lumo::MemoryImage& image, float cx, float cy, float s)
{
    ArtMask disc = Mask(image);
    disc.AddCircle(cx, cy, s);
    Lit(image, disc, kCherry, cy - s, cy + s);
    ArtMask x = Mask(image);
    x.AddLine(cx - s * 0.45f, cy - s * 0.45f, cx + s * 0.45f, cy + s * 0.45f, s * 0.28f);
    x.AddLine(cx + s * 0.45f, cy - s * 0.45f, cx - s * 0.45f, cy + s * 0.45f, s * 0.28f);
    ArtPaint::Fill(image, x, 0xFFFFFF);
}

void Icon(ArtOutput& out, const char* key)
{
    Lumo::MemoryImage image = Blank(96, 96);
    std::string k = key;
    if (k == "quit")
    {
        // The cafe's sign turned to "closed".
        Badge(image, kCaramel);
        ArtMask string = Mask(image);
        string.AddLine(32, 42, 48, 24, 2);
        string.AddLine(64, 42, 48, 24, 2);
        ArtPaint::Fill(image, string, kCoffee);
        ArtMask sign = Mask(image);
        sign.AddRoundRect(22, 40, 52, 30, 6);
        Lit(image, sign, kCherry, 40, 70);
        Label(image, L"CLOSED", 48, 60, 11, 0xFFFFFF, false);
    }
    else if (k == "delprof")
    {
        Badge(image, kSky);
        Client(image, 46, 76, 52, kSky, false);
        Cross(image, 66, 62, 13);
    }
    else if (k == "delcareer")
    {
        Badge(image, kCherry);
        ArtMask book = Mask(image);
        book.AddRoundRect(28, 30, 40, 38, 4);
        Lit(image, book, 0x6B4330, 30, 68);
        ArtMask paper = Mask(image);
        paper.AddRoundRect(31, 33, 34, 32, 2);
        ArtPaint::Fill(image, paper, kCream);
        ArtMask arrow = CircleArrow(image, 48, 49, 11, 3.5f);
        ArtPaint::Fill(image, arrow, kCherry);
    }
    else if (k == "restlvl")
    {
        Badge(image, kMint);
        ArtMask arrow = CircleArrow(image, 48, 48, 18, 6);
        Lit(image, arrow, kMint, 28, 68);
    }
    else if (k == "exitmenu")
    {
        Badge(image, kCaramel);
        ArtMask door = Mask(image);
        door.AddRoundRect(30, 24, 28, 48, 4);
        Lit(image, door, kMocha, 24, 72);
        ArtMask knob = Mask(image);
        knob.AddCircle(52, 50, 2.5f);
        ArtPaint::Fill(image, knob, kButter);
        ArtMask arrow =
            Polygon(image, {{56, 42}, {68, 42}, {68, 36}, {78, 48}, {68, 60}, {68, 54}, {56, 54}});
        Lit(image, arrow, kMint, 36, 60);
    }
    else if (k == "upgrade")
    {
        Badge(image, kButter);
        ArtMask box = Mask(image);
        box.AddRoundRect(28, 44, 40, 28, 4);
        Lit(image, box, kCherry, 44, 72);
        ArtMask lid = Mask(image);
        lid.AddRoundRect(25, 36, 46, 12, 4);
        Lit(image, lid, kCherry, 36, 48);
        ArtMask ribbon = Mask(image);
        ribbon.AddRoundRect(45, 36, 6, 36, 2);
        ribbon.AddEllipse(40, 32, 7, 5);
        ribbon.AddEllipse(56, 32, 7, 5);
        ArtPaint::Fill(image, ribbon, kButter);
    }
    out.Save(std::string("box/icon_") + key + ".png", image);
}
} // namespace

ART_GROUP(boxes)
{
    BoxPanel(out, "box/panel2.png", 540, 300, kCaramel);
    BoxPanel(out, "box/panel1.png", 540, 300, kMint);
    BoxPanel(out, "box/name_panel.png", 440, 280, kSky);
    for (const char* key : {"quit", "delprof", "delcareer", "restlvl", "exitmenu", "upgrade"})
        Icon(out, key);
}
