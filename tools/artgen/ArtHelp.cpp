// The help book's pictures, one per page side, each a photo card of the
// cafe with what its page teaches: the hostess greeting, a client with an
// order, a table to clean, the day's goal and star, the survival hearts and
// an upgrade. Also the round previous and next buttons in their four states.
#include <cmath>

#include "framework/graphics/Graphics.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

const int kW = 340, kH = 250;                     // the picture
const int kX = 16, kY = 16, kSW = 308, kSH = 200; // the scene inside its card

// The card with a cafe scene in it; `busy` 0-1 fills the room.
Lumo::MemoryImage Card(int cafe, uint32_t seed, float busy, bool hostess, float veil)
{
    Lumo::MemoryImage image = Blank(kW, kH);
    PhotoCard(image, 4, 4, kW - 8, kH - 10, 12, 24);
    Lumo::MemoryImage scene = Blank(kSW, kSH);
    CafeScene(scene, 0, 0, kSW, kSH, cafe, seed, busy, hostess);
    if (veil > 0)
    {
        ArtMask all = Mask(scene);
        all.AddRoundRect(0, 0, float(kSW), float(kSH), 0);
        ArtPaint::Fill(scene, all, 0xFFFFFF, veil);
    }
    Lumo::Graphics g(&image);
    g.DrawImage(&scene, kX, kY);
    return image;
}

// A speech bubble with an icon in it.
void Bubble(Lumo::MemoryImage& image, float cx, float cy, int icon)
{
    ArtMask bubble = Mask(image);
    bubble.AddRoundRect(cx - 34, cy - 30, 68, 56, 18);
    bubble.Union(Polygon(image, {{cx - 12, cy + 22}, {cx + 2, cy + 22}, {cx - 18, cy + 40}}));
    ArtPaint::Shadow(image, bubble, 1, 3, 2, 0.3f);
    Lit(image, bubble, 0xFFFDF6, cy - 30, cy + 40);
    Icon(image, icon, int(cx - 22), int(cy - 24), 44);
}

// A pointing hand: the click that the page explains.
void Pointer(Lumo::MemoryImage& image, float x, float y)
{
    ArtMask hand = Polygon(image, {{x, y},
                                   {x + 22, y + 16},
                                   {x + 12, y + 18},
                                   {x + 20, y + 32},
                                   {x + 14, y + 35},
                                   {x + 6, y + 21},
                                   {x - 2, y + 28}});
    Lit(image, hand, 0xFFFFFF, y, y + 35);
}

void Save(ArtOutput& out, int n, Lumo::MemoryImage& image)
{
    out.Save("help/pic" + std::to_string(n) + ".png", image);
}

void Arrow(ArtOutput& out, bool next)
{
    static const char* const kStates[4] = {"normal", "over", "down", "disabled"};
    const int m = ArtPaint::kButtonMargin;
    for (int state = 0; state < 4; state++)
    {
        Lumo::MemoryImage image = Blank(72, 64);
        ArtPaint::Button(image, m, m, 72 - 2 * m, 64 - 2 * m - 2, 24, kCaramel,
                         state == 3 ? ArtPaint::kNormal : (ArtPaint::ButtonState)state);
        float dy = state == ArtPaint::kDown ? 2.0f : 0.0f, cx = 36, cy = 29 + dy;
        float s = next ? 1.0f : -1.0f;
        ArtMask arrow = Polygon(image, {{cx - 12 * s, cy - 6},
                                        {cx + 1 * s, cy - 6},
                                        {cx + 1 * s, cy - 14},
                                        {cx + 15 * s, cy},
                                        {cx + 1 * s, cy + 14},
                                        {cx + 1 * s, cy + 6},
                                        {cx - 12 * s, cy + 6}});
        ArtPaint::Fill(image, arrow.Dilated(1.5f), kCoffee);
        ArtPaint::Fill(image, arrow, 0xFFFFFF);
        if (state == 3)
            ArtPaint::Desaturate(image, 0.55f);
        out.Save(std::string("help/") + (next ? "next_" : "prev_") + kStates[state] + ".png",
                 image);
    }
}
} // namespace

ART_GROUP(help)
{
    {
        Lumo::MemoryImage image = Card(1, 3, 0.3f, true, 0.0f);
        Label(image, L"Welcome!", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 1, image);
    }
    {
        Lumo::MemoryImage image = Card(1, 12, 0.2f, false, 0.35f);
        Client(image, 130, 206, 120, kSky, false);
        Bubble(image, 210, 70, ArtIcons::kMoney);
        Pointer(image, 150, 150);
        Label(image, L"Click to serve", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 2, image);
    }
    {
        Lumo::MemoryImage image = Card(2, 5, 0.0f, false, 0.35f);
        Table(image, 150, 112, 130, kCream);
        Icon(image, ArtIcons::kClean, 196, 70, 70);
        Pointer(image, 160, 128);
        Label(image, L"Clean the tables", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 3, image);
    }
    {
        Lumo::MemoryImage image = Card(2, 9, 0.6f, true, 0.5f);
        Icon(image, ArtIcons::kMoney, 64, 62, 96);
        Icon(image, ArtIcons::kExpert, 180, 62, 96);
        Label(image, L"Goal and star", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 4, image);
    }
    {
        Lumo::MemoryImage image = Card(3, 4, 0.9f, true, 0.5f);
        for (int i = 0; i < 3; i++)
            Icon(image, ArtIcons::kLives, 58 + i * 78, 62, 72);
        Icon(image, ArtIcons::kClock, 134, 140, 64, 5);
        Label(image, L"Keep your hearts", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 5, image);
    }
    {
        Lumo::MemoryImage image = Card(3, 8, 0.3f, false, 0.4f);
        // A present with a ribbon.
        ArtMask box = Mask(image);
        box.AddRoundRect(120, 100, 100, 76, 8);
        Lit(image, box, kCherry, 100, 176);
        ArtMask lid = Mask(image);
        lid.AddRoundRect(112, 84, 116, 24, 8);
        Lit(image, lid, kCherry, 84, 108);
        ArtMask ribbon = Mask(image);
        ribbon.AddRoundRect(163, 84, 14, 92, 3);
        ribbon.AddEllipse(152, 76, 15, 10);
        ribbon.AddEllipse(188, 76, 15, 10);
        ArtPaint::Fill(image, ribbon, kButter);
        Icon(image, ArtIcons::kExpert, 232, 50, 48);
        Label(image, L"Pick an upgrade", kW / 2, kH - 12, 18, kCoffee, false);
        Save(out, 6, image);
    }
    Arrow(out, false);
    Arrow(out, true);
}
