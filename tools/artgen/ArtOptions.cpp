// The settings dialog: its panel (a card with a caramel band for the title)
// and the four little pictures beside its controls: a speaker for the sound
// effects, a note for the music, a speaker struck through for mute and a
// screen for full screen.
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtScreens.h"

namespace
{
using namespace ArtPalette;
using namespace ArtScreens;

void Panel(ArtOutput& out)
{
    const int w = 520, h = 520;
    Lumo::MemoryImage image = Blank(w, h);
    ArtPaint::PanelStyle style;
    style.seed = 57;
    style.radius = 16;
    ArtPaint::Panel(image, 6, 6, w - 12.0f, h - 14.0f, style);
    ArtMask band = Mask(image);
    band.AddRoundRect(10, 10, w - 20.0f, 76, 12);
    ArtPaint::FillVertical(image, band, ArtPaint::Lighter(kCaramel, 0.12f), kCaramel, 10, 86);
    ArtMask shine = Mask(image);
    shine.AddRoundRect(18, 14, w - 36.0f, 22, 10);
    ArtPaint::Fill(image, shine, 0xFFFFFF, 0.2f);
    ArtMask shelf = Mask(image);
    shelf.AddRoundRect(26, h - 110.0f, w - 52.0f, 84, 12);
    ArtPaint::Fill(image, shelf, kPaperShade, 0.6f);
    out.Save("options/panel.png", image);
}

// A round badge the icons sit on.
Lumo::MemoryImage Badge(uint32_t color)
{
    Lumo::MemoryImage image = Blank(48, 48);
    ArtMask disc = Mask(image);
    disc.AddCircle(24, 24, 21);
    Lit(image, disc, color, 3, 45);
    return image;
}

void Speaker(Lumo::MemoryImage& image)
{
    ArtMask body = Polygon(image, {{12, 19}, {19, 19}, {28, 11}, {28, 37}, {19, 29}, {12, 29}});
    ArtPaint::Fill(image, body, 0xFFFFFF);
}

void Sound(ArtOutput& out)
{
    Lumo::MemoryImage image = Badge(kSky);
    Speaker(image);
    ArtMask waves = Mask(image);
    for (int i = 0; i < 2; i++)
    {
        ArtMask arc = Mask(image);
        arc.AddCircle(28, 24, 7.0f + i * 5);
        ArtMask hole = Mask(image);
        hole.AddCircle(28, 24, 5.0f + i * 5);
        arc.Subtract(hole);
        ArtMask right = Mask(image);
        right.AddRoundRect(31, 8, 14, 32, 0);
        arc.Intersect(right);
        waves.Union(arc);
    }
    ArtPaint::Fill(image, waves, 0xFFFFFF);
    out.Save("options/sound.png", image);
}

void Music(ArtOutput& out)
{
    Lumo::MemoryImage image = Badge(kMint);
    ArtMask note = Mask(image);
    note.AddEllipse(18, 32, 5.5f, 4.5f);
    note.AddEllipse(31, 29, 5.5f, 4.5f);
    note.AddLine(23, 32, 23, 13, 2.2f);
    note.AddLine(36, 29, 36, 10, 2.2f);
    note.AddLine(23, 13, 36, 10, 3.5f);
    ArtPaint::Fill(image, note, 0xFFFFFF);
    out.Save("options/music.png", image);
}

void Mute(ArtOutput& out)
{
    Lumo::MemoryImage image = Badge(kCherry);
    Speaker(image);
    ArtMask cross = Mask(image);
    cross.AddLine(31, 18, 39, 30, 2.5f);
    cross.AddLine(39, 18, 31, 30, 2.5f);
    ArtPaint::Fill(image, cross, 0xFFFFFF);
    out.Save("options/mute.png", image);
}

void Screen(ArtOutput& out)
{
    Lumo::MemoryImage image = Badge(kCaramel);
    ArtMask frame = Mask(image);
    frame.AddRoundRect(11, 13, 26, 18, 3);
    ArtPaint::Fill(image, frame, 0xFFFFFF);
    ArtMask glass = Mask(image);
    glass.AddRoundRect(14, 16, 20, 12, 1);
    ArtPaint::FillVertical(image, glass, kSky, ArtPaint::Lighter(kSky, 0.4f), 16, 28);
    ArtMask stand = Mask(image);
    stand.AddRoundRect(22, 31, 4, 5, 1);
    stand.AddRoundRect(17, 35, 14, 3, 1.5f);
    ArtPaint::Fill(image, stand, 0xFFFFFF);
    out.Save("options/screen.png", image);
}
} // namespace

ART_GROUP(options)
{
    Panel(out);
    Sound(out);
    Music(out);
    Mute(out);
    Screen(out);
}
