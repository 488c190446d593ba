// The survival page: per cafe a small photo (the button on the left page), a
// card in its place while the cafe is still locked (its words come from the texts), the ribbon that
// stands for the chosen cafe's button, and the big photo of the right page with the run's hearts in
// its caption. Each cafe keeps its colour on the frames.
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

// A cafe scene laid into the picture's rectangle.
void Scene(Lumo::MemoryImage& image, int x, int y, int w, int h, int cafe, uint32_t seed,
           float busy)
{
    Lumo::MemoryImage scene = Blank(w, h);
    CafeScene(scene, 0, 0, w, h, cafe, seed, busy, true);
    Lumo::Graphics g(&image);
    g.DrawImage(&scene, x, y);
}

// A thin frame of the cafe's colour around a rectangle.
void Frame(Lumo::MemoryImage& image, int x, int y, int w, int h, uint32_t color)
{
    ArtMask frame = Mask(image);
    frame.AddRoundRect(x - 3.0f, y - 3.0f, w + 6.0f, h + 6.0f, 3);
    ArtMask hole = Mask(image);
    hole.AddRoundRect(float(x), float(y), float(w), float(h), 0);
    frame.Subtract(hole);
    ArtPaint::Fill(image, frame, color);
}

void SmallPhoto(ArtOutput& out, int cafe)
{
    Lumo::MemoryImage image = Blank(170, 130);
    PhotoCard(image, 4, 4, 160, 120, 9, 9);
    Scene(image, 13, 13, 142, 102, cafe, 40u + cafe, 0.5f);
    Frame(image, 13, 13, 142, 102, kCafeColour[cafe - 1]);
    out.Save("survival/small" + std::to_string(cafe) + ".png", image);
}

void Locked(ArtOutput& out, int cafe)
{
    Lumo::MemoryImage image = Blank(170, 130);
    ArtMask card = Mask(image);
    card.AddRoundRect(6, 6, 156, 116, 8);
    ArtPaint::Fill(image, card, kPageEdge, 0.45f);
    ArtMask dash = Mask(image);
    for (int x = 14; x < 156; x += 12)
    {
        dash.AddRoundRect(float(x), 8, 6, 2, 1);
        dash.AddRoundRect(float(x), 118, 6, 2, 1);
    }
    ArtPaint::Fill(image, dash, kMocha, 0.5f);
    // A padlock.
    ArtMask shackle = Mask(image);
    shackle.AddRoundRect(71, 16, 28, 34, 13);
    ArtMask inside = Mask(image);
    inside.AddRoundRect(77, 22, 16, 30, 8);
    shackle.Subtract(inside);
    Lit(image, shackle, 0xB8B2A8, 16, 50, 1.5f);
    ArtMask body = Mask(image);
    body.AddRoundRect(63, 40, 44, 32, 6);
    Lit(image, body, kButter, 40, 72);
    ArtMask hole = Mask(image);
    hole.AddCircle(85, 53, 4);
    hole.AddRoundRect(83, 53, 4, 10, 2);
    ArtPaint::Fill(image, hole, kCoffee);
    (void)cafe;
    out.Save("survival/locked" + std::to_string(cafe) + ".png", image);
}

// The chosen cafe: a ribbon of its colour with a butter edge.
void Chosen(ArtOutput& out, int cafe)
{
    Lumo::MemoryImage image = Blank(210, 56);
    const uint32_t color = kCafeColour[cafe - 1];
    ArtMask ribbon = Polygon(image, {{2, 6}, {200, 6}, {192, 28}, {200, 50}, {2, 50}});
    ArtPaint::Shadow(image, ribbon, 0, 2, 2, 0.3f);
    ArtMask edge = ribbon.Dilated(2.0f);
    ArtPaint::Fill(image, edge, kButter);
    ArtPaint::FillVertical(image, ribbon, ArtPaint::Lighter(color, 0.15f),
                           ArtPaint::Darker(color, 0.05f), 6, 50);
    ArtMask band = Mask(image);
    band.AddRoundRect(8, 9, 180, 16, 6);
    band.Intersect(ribbon);
    ArtPaint::Fill(image, band, 0xFFFFFF, 0.25f);
    out.Save("survival/chosen" + std::to_string(cafe) + ".png", image);
}

void Photo(ArtOutput& out, int cafe)
{
    const int w = 370, h = 270;
    Lumo::MemoryImage image = Blank(w, h);
    PhotoCard(image, 6, 6, w - 12, h - 14, 14, 46);
    Scene(image, 20, 20, w - 40, h - 14 - 60, cafe, 70u + cafe * 3, 0.85f);
    Frame(image, 20, 20, w - 40, h - 74, kCafeColour[cafe - 1]);
    for (int i = 0; i < 3; i++)
        Icon(image, ArtIcons::kLives, w / 2 - 50 + i * 34, h - 48, 30);
    // A strip of tape holding it to the page.
    ArtMask tape = Polygon(
        image, {{w / 2.0f - 40, 0}, {w / 2.0f + 36, 2}, {w / 2.0f + 38, 22}, {w / 2.0f - 42, 20}});
    ArtPaint::Fill(image, tape, 0xF4E9C8, 0.85f);
    out.Save("survival/photo" + std::to_string(cafe) + ".png", image);
}
} // namespace

ART_GROUP(survival)
{
    for (int cafe = 1; cafe <= 3; cafe++)
    {
        SmallPhoto(out, cafe);
        Locked(out, cafe);
        Chosen(out, cafe);
        Photo(out, cafe);
    }
}
