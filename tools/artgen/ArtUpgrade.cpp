// The upgrade shop: its panel (a card with a mint band for the title and a
// shelf for the trays), the ring that marks the chosen tray, the small pill
// under each tray, and one tray per upgrade of the play's catalog, named as
// the shop asks for it ("mn09_char_small_<object>_<name>"): a round wooden
// tray with the upgrade on it.
#include <cmath>

#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

const int kTray = 110; // the tray picture is square

void ShopPanel(ArtOutput& out)
{
    const int w = 840, h = 256;
    Lumo::MemoryImage image = Blank(w, h);
    ArtPaint::PanelStyle style;
    style.seed = 91;
    style.radius = 16;
    ArtPaint::Panel(image, 4, 6, w - 8.0f, h - 10.0f, style);
    ArtMask band = Mask(image);
    band.AddRoundRect(8, 10, w - 16.0f, 48, 12);
    ArtPaint::FillVertical(image, band, ArtPaint::Lighter(kMint, 0.12f), kMint, 10, 58);
    ArtMask shine = Mask(image);
    shine.AddRoundRect(16, 13, w - 32.0f, 14, 7);
    ArtPaint::Fill(image, shine, 0xFFFFFF, 0.22f);
    // The shelf the trays stand on; the description and the button go below it.
    ArtMask shelf = Mask(image);
    shelf.AddRoundRect(24, 60, w - 48.0f, 140, 14);
    ArtPaint::Fill(image, shelf, kPaperShade, 0.7f);
    ArtMask lip = Mask(image);
    lip.AddRoundRect(24, 190, w - 48.0f, 10, 5);
    ArtPaint::Fill(image, lip, kPageEdge, 0.8f);
    out.Save("upgrade/panel.png", image);
}

void Highlight(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(124, 124);
    ArtMask glow = Mask(image);
    glow.AddRoundRect(3, 3, 118, 118, 22);
    glow.Blur(2);
    ArtMask ring = Mask(image);
    ring.AddRoundRect(4, 4, 116, 116, 20);
    ArtMask hole = Mask(image);
    hole.AddRoundRect(9, 9, 106, 106, 16);
    glow.Subtract(hole);
    ring.Subtract(hole);
    ArtPaint::Fill(image, glow, kButter, 0.6f);
    ArtPaint::Fill(image, ring, kButter);
    ArtMask inner = ring;
    inner.Subtract(ring.Shifted(0, 2));
    ArtPaint::Fill(image, inner, 0xFFFFFF, 0.5f);
    out.Save("upgrade/highlight.png", image);
}

void Pill(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(100, 26);
    ArtPaint::Button(image, 2, 1, 96, 22, 11, kCaramel, ArtPaint::kNormal);
    out.Save("upgrade/pill.png", image);
}

// The round wooden tray every upgrade stands on.
void Tray(Lumo::MemoryImage& image)
{
    ArtMask rim = Mask(image);
    rim.AddEllipse(55, 74, 50, 26);
    ArtPaint::Shadow(image, rim, 0, 4, 3, 0.35f);
    Lit(image, rim, kCaramel, 48, 100);
    ArtMask face = Mask(image);
    face.AddEllipse(55, 72, 43, 20);
    ArtPaint::FillVertical(image, face, ArtPaint::Lighter(kCaramel, 0.3f), kCaramel, 52, 92);
    Gleam(image, 28, 60, 22, 4, 0.3f);
}

void MarbleTable(Lumo::MemoryImage& im)
{
    FloorShadow(im, 55, 84, 26, 5, 0.3f);
    ArtMask leg = Mask(im);
    leg.AddRoundRect(51, 44, 8, 38, 3);
    Lit(im, leg, kMocha, 44, 82);
    ArtMask foot = Mask(im);
    foot.AddEllipse(55, 82, 16, 4);
    Lit(im, foot, kMocha, 78, 86);
    ArtMask side = Mask(im);
    side.AddEllipse(55, 43, 34, 11);
    Lit(im, side, 0xC2B8AB, 34, 54);
    ArtMask top = Mask(im);
    top.AddEllipse(55, 39, 34, 10);
    ArtPaint::FillVertical(im, top, 0xFFFFFF, 0xE8E2D8, 29, 49);
    ArtMask veins = Mask(im);
    veins.AddLine(34, 38, 48, 42, 1.2f);
    veins.AddLine(48, 42, 60, 36, 1.0f);
    veins.AddLine(62, 41, 78, 38, 1.0f);
    veins.Intersect(top);
    ArtPaint::Fill(im, veins, 0xB8AFA3, 0.7f);
    Cup(im, 58, 39, 14, kMint);
}

void Curtains(Lumo::MemoryImage& im)
{
    ArtMask frame = Mask(im);
    frame.AddRoundRect(25, 8, 60, 70, 6);
    Lit(im, frame, 0xFFFDF6, 8, 78);
    ArtMask glass = Mask(im);
    glass.AddRoundRect(31, 14, 48, 58, 3);
    ArtPaint::FillVertical(im, glass, kSky, ArtPaint::Lighter(kSky, 0.45f), 14, 72);
    ArtMask bar = Mask(im);
    bar.AddRoundRect(54, 14, 3, 58, 1);
    bar.AddRoundRect(31, 40, 48, 3, 1);
    ArtPaint::Fill(im, bar, 0xFFFDF6);
    for (int side = 0; side < 2; side++)
    {
        float x0 = side == 0 ? 22.0f : 88.0f, x1 = side == 0 ? 44.0f : 66.0f;
        ArtMask drape = Polygon(im, {{x0, 6},
                                     {x1, 6},
                                     {(x0 + x1) * 0.5f + (side ? 4 : -4), 50},
                                     {x0 + (side ? -2 : 2), 80}});
        Lit(im, drape, 0xFBEFF0, 6, 80, 1.5f);
        ArtMask tie = Mask(im);
        tie.AddCircle((x0 + x1) * 0.5f + (side ? 5 : -5), 50, 3);
        ArtPaint::Fill(im, tie, kCherry);
    }
    ArtMask rod = Mask(im);
    rod.AddRoundRect(16, 3, 78, 5, 2.5f);
    Lit(im, rod, kMocha, 3, 8, 1.0f);
}

void Ferns(Lumo::MemoryImage& im)
{
    const uint32_t leaf = ArtPaint::Darker(kMint, 0.1f);
    for (int i = 0; i < 9; i++)
    {
        float a = -2.55f + i * 0.27f;
        float x1 = 55 + std::cos(a) * 42, y1 = 56 + std::sin(a) * 46;
        ArtMask frond = Mask(im);
        frond.AddLine(55, 58, x1, y1, 5.5f);
        for (int k = 1; k < 5; k++)
        {
            float t = k / 5.0f, px = 55 + (x1 - 55) * t, py = 58 + (y1 - 58) * t;
            frond.AddEllipse(px, py, 5.0f - k * 0.6f, 5.0f - k * 0.6f);
        }
        Lit(im, frond, i % 2 ? leaf : kMint, 10, 60, 1.2f);
    }
    ArtMask pot = Polygon(im, {{36, 56}, {74, 56}, {68, 88}, {42, 88}});
    Lit(im, pot, 0xC9694A, 56, 88);
    ArtMask lip = Mask(im);
    lip.AddRoundRect(33, 52, 44, 9, 3);
    Lit(im, lip, 0xC9694A, 52, 61, 1.5f);
}

void ComfyChair(Lumo::MemoryImage& im)
{
    FloorShadow(im, 55, 86, 30, 5, 0.3f);
    ArtMask back = Mask(im);
    back.AddRoundRect(30, 14, 50, 46, 14);
    Lit(im, back, kCherry, 14, 60);
    ArtMask seat = Mask(im);
    seat.AddRoundRect(26, 52, 58, 20, 8);
    Lit(im, seat, ArtPaint::Lighter(kCherry, 0.1f), 52, 72);
    ArtMask arms = Mask(im);
    arms.AddRoundRect(18, 40, 14, 34, 7);
    arms.AddRoundRect(78, 40, 14, 34, 7);
    Lit(im, arms, ArtPaint::Darker(kCherry, 0.08f), 40, 74);
    ArtMask legs = Mask(im);
    legs.AddRoundRect(26, 72, 6, 14, 2);
    legs.AddRoundRect(78, 72, 6, 14, 2);
    Lit(im, legs, kMocha, 72, 86, 1.0f);
    ArtMask buttons = Mask(im);
    buttons.AddCircle(45, 32, 2);
    buttons.AddCircle(65, 32, 2);
    ArtPaint::Fill(im, buttons, ArtPaint::Darker(kCherry, 0.3f));
    Gleam(im, 36, 19, 18, 4, 0.35f);
}

void Espresso(Lumo::MemoryImage& im)
{
    FloorShadow(im, 55, 84, 32, 5, 0.3f);
    ArtMask body = Mask(im);
    body.AddRoundRect(24, 18, 62, 62, 8);
    Lit(im, body, 0xD7D3CC, 18, 80);
    ArtMask top = Mask(im);
    top.AddRoundRect(20, 12, 70, 12, 5);
    Lit(im, top, kCherry, 12, 24, 1.5f);
    ArtMask head = Mask(im);
    head.AddRoundRect(38, 34, 34, 10, 4);
    Lit(im, head, 0x8C8780, 34, 44, 1.5f);
    ArtMask gauge = Mask(im);
    gauge.AddCircle(76, 30, 5);
    Lit(im, gauge, kButter, 25, 35, 1.0f);
    ArtMask tray = Mask(im);
    tray.AddRoundRect(30, 72, 50, 6, 2);
    ArtPaint::Fill(im, tray, 0x8C8780);
    Cup(im, 55, 72, 18, 0xFFFDF6);
    ArtMask stream = Mask(im);
    stream.AddLine(55, 44, 55, 58, 2);
    ArtPaint::Fill(im, stream, kCoffee, 0.8f);
    Gleam(im, 30, 22, 5, 30, 0.35f);
}

void Radio(Lumo::MemoryImage& im)
{
    FloorShadow(im, 52, 84, 30, 5, 0.3f);
    ArtMask body = Mask(im);
    body.AddRoundRect(20, 36, 64, 44, 10);
    Lit(im, body, kMocha, 36, 80);
    ArtMask grille = Mask(im);
    grille.AddCircle(40, 58, 12);
    ArtPaint::Fill(im, grille, kPaperShade);
    ArtMask holes = Mask(im);
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            holes.AddCircle(34.0f + c * 6, 52.0f + r * 6, 1.4f);
    ArtPaint::Fill(im, holes, kCoffee, 0.6f);
    ArtMask dial = Mask(im);
    dial.AddRoundRect(58, 48, 18, 10, 3);
    Lit(im, dial, kButter, 48, 58, 1.0f);
    ArtMask knob = Mask(im);
    knob.AddCircle(67, 68, 4);
    Lit(im, knob, kCoffee, 64, 72, 1.0f);
    ArtMask handle = Mask(im);
    handle.AddLine(32, 36, 40, 22, 3);
    handle.AddLine(40, 22, 64, 22, 3);
    handle.AddLine(64, 22, 72, 36, 3);
    ArtPaint::Fill(im, handle, kCoffee);
    // Two notes rising from it.
    for (int i = 0; i < 2; i++)
    {
        float x = 82.0f + i * 12, y = 30.0f - i * 12;
        ArtMask note = Mask(im);
        note.AddEllipse(x, y + 10, 4.5f, 3.5f);
        note.AddLine(x + 3.5f, y + 10, x + 3.5f, y - 4, 1.6f);
        note.AddLine(x + 3.5f, y - 4, x + 8, y, 1.6f);
        ArtPaint::Fill(im, note, kSky);
    }
}

void UpgradeTray(ArtOutput& out, const char* file, void (*item)(Lumo::MemoryImage&))
{
    Lumo::MemoryImage image = Blank(kTray, kTray);
    Tray(image);
    item(image);
    out.Save(std::string("upgrade/") + file + ".png", image);
}
} // namespace

ART_GROUP(upgrade)
{
    ShopPanel(out);
    Highlight(out);
    Pill(out);
    UpgradeTray(out, "tables_marble", MarbleTable);
    UpgradeTray(out, "window_curtains", Curtains);
    UpgradeTray(out, "plants_ferns", Ferns);
    UpgradeTray(out, "chairs_comfy", ComfyChair);
    UpgradeTray(out, "counter_espresso", Espresso);
    UpgradeTray(out, "radio_jazz", Radio);
}
