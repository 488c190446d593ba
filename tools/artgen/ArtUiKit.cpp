// The toolkit's own pictures, shared by every screen: buttons in the three
// accent colours and their four states, the check box, slider, scroll bar,
// fill bar, text field and list field; and the game's icons at 64 pixels
// (the clock as a strip of 12 frames).
#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtIcons.h"
#include "tools/artgen/ArtMask.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtShape.h"

namespace
{
using namespace ArtPalette;

using ArtCafe::Blank;

const char* const kStateNames[4] = {"normal", "over", "down", "disabled"};

void Buttons(ArtOutput& out, const char* name, uint32_t color)
{
    // A 158 x 44 pill with room for its glow and shadow: 170 x 56.
    const int m = ArtPaint::kButtonMargin;
    for (int state = 0; state < 4; state++)
    {
        Lumo::MemoryImage image = Blank(158 + 2 * m, 44 + 2 * m);
        ArtPaint::Button(image, m, m, 158, 44, 22, color, (ArtPaint::ButtonState)state);
        out.Save(std::string("ui/btn_") + name + "_" + kStateNames[state] + ".png", image);
    }
}

void CheckBox(ArtOutput& out)
{
    for (int on = 0; on < 2; on++)
        for (int over = 0; over < 2; over++)
        {
            Lumo::MemoryImage image = Blank(36, 36);
            if (over)
            {
                ArtMask glow(36, 36);
                glow.AddRoundRect(2, 2, 32, 32, 9);
                glow.Blur(1);
                ArtPaint::Fill(image, glow, kButter);
            }
            ArtPaint::Inset(image, 4, 4, 28, 28, 7, 0xFFFBF2);
            if (on)
            {
                ArtMask tick(36, 36);
                tick.AddLine(10.5f, 18.5f, 15.5f, 24.0f, 4.0f);
                tick.AddLine(15.5f, 24.0f, 26.0f, 11.0f, 4.0f);
                ArtPaint::Fill(image, tick.Dilated(1.2f), kCoffee);
                ArtPaint::Fill(image, tick, kMint);
            }
            out.Save(std::string("ui/check_") + (on ? "on" : "off") + (over ? "_over" : "") +
                         ".png",
                     image);
        }
}

void Slider(ArtOutput& out)
{
    // Track and fill 250 x 28 (the groove 12 high in the middle), thumb 28 x 28.
    Lumo::MemoryImage track = Blank(250, 28);
    ArtPaint::Inset(track, 2, 8, 246, 12, 6, kPaperShade);
    out.Save("ui/slider_track.png", track);

    Lumo::MemoryImage fill = Blank(250, 28);
    ArtMask groove(250, 28);
    groove.AddRoundRect(4, 10, 242, 8, 4);
    ArtPaint::FillVertical(fill, groove, ArtPaint::Lighter(kMint, 0.2f), kMint, 10, 18);
    out.Save("ui/slider_fill.png", fill);

    Lumo::MemoryImage thumb = Blank(28, 28);
    ArtMask knob(28, 28);
    knob.AddCircle(14, 13.5f, 10.5f);
    ArtPaint::Shadow(thumb, knob, 0, 2, 1, 0.35f);
    ArtPaint::Fill(thumb, knob.Dilated(2.0f), ArtPaint::OutlineOf(kCaramel));
    ArtPaint::FillVertical(thumb, knob, ArtPaint::Lighter(kCaramel, 0.25f), kCaramel, 3, 24);
    ArtMask gleam(28, 28);
    gleam.AddEllipse(11, 9, 5, 3);
    gleam.Blur(1).Intersect(knob);
    ArtPaint::Fill(thumb, gleam, 0xFFFFFF, 0.5f);
    out.Save("ui/slider_thumb.png", thumb);
}

void ScrollBar(ArtOutput& out)
{
    Lumo::MemoryImage track = Blank(16, 150);
    ArtPaint::Inset(track, 2, 0, 12, 150, 6, kPaperShade);
    out.Save("ui/scroll_track.png", track);
    Lumo::MemoryImage thumb = Blank(16, 40);
    ArtMask bar(16, 40);
    bar.AddRoundRect(3, 1, 10, 38, 5);
    ArtPaint::Fill(thumb, bar, ArtPaint::OutlineOf(kCaramel));
    ArtMask face(16, 40);
    face.AddRoundRect(5, 3, 6, 34, 3);
    ArtPaint::FillVertical(thumb, face, ArtPaint::Lighter(kCaramel, 0.2f), kCaramel, 3, 37);
    out.Save("ui/scroll_thumb.png", thumb);
}

void Bar(ArtOutput& out)
{
    Lumo::MemoryImage back = Blank(250, 22);
    ArtPaint::Inset(back, 0, 0, 250, 22, 11, kPaperShade);
    out.Save("ui/bar_back.png", back);
    Lumo::MemoryImage fill = Blank(250, 22);
    ArtMask body(250, 22);
    body.AddRoundRect(2, 2, 246, 18, 9);
    ArtPaint::FillVertical(fill, body, ArtPaint::Lighter(kMint, 0.15f),
                           ArtPaint::Darker(kMint, 0.08f), 2, 20);
    ArtMask band(250, 22);
    band.AddRoundRect(8, 4, 234, 6, 3);
    ArtPaint::Fill(fill, band, 0xFFFFFF, 0.3f);
    out.Save("ui/bar_fill.png", fill);
}

void Fields(ArtOutput& out)
{
    Lumo::MemoryImage edit = Blank(260, 40);
    ArtPaint::Inset(edit, 0, 0, 260, 40, 10, 0xFFFBF2);
    out.Save("ui/field_edit.png", edit);
    Lumo::MemoryImage list = Blank(240, 150);
    ArtPaint::Inset(list, 0, 0, 240, 150, 10, 0xFFFBF2);
    out.Save("ui/field_list.png", list);
}
} // namespace

ART_GROUP(uikit)
{
    Buttons(out, "mint", kMint);
    Buttons(out, "caramel", kCaramel);
    Buttons(out, "cherry", kCherry);
    CheckBox(out);
    Slider(out);
    ScrollBar(out);
    Bar(out);
    Fields(out);
}

ART_GROUP(icons)
{
    for (int i = 0; i < ArtIcons::kIconCount; i++)
    {
        ArtIcons::Icon icon = (ArtIcons::Icon)i;
        if (icon == ArtIcons::kClock)
        {
            // One cel per hour of the hand: a strip of 12 frames.
            Lumo::MemoryImage strip = Blank(64 * 12, 64);
            for (int frame = 0; frame < 12; frame++)
                ArtIcons::Draw(strip, icon, frame * 64, 0, 64, frame);
            out.Save("icons/clock.png", strip);
            continue;
        }
        Lumo::MemoryImage image = Blank(64, 64);
        ArtIcons::Draw(image, icon, 0, 0, 64);
        out.Save(std::string("icons/") + ArtIcons::Name(icon) + ".png", image);
    }
}
