// The career book's pictures: the day discs (open and locked) with their
// hover and press rings, the frame around the selected day, the goal and
// expert ticks, the cafe tabs (small buttons and the big tab of the cafe on
// view, each in its cafe's colour), the award icons of the right page, and
// the cafe photos of the left page.
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

const char* const kStates[4] = {"normal", "over", "down", "disabled"};
const char* const kAwards[5] = {"flash", "clean", "expert", "match", "mega"};
const ArtIcons::Icon kAwardIcons[5] = {ArtIcons::kFlash, ArtIcons::kClean, ArtIcons::kExpert,
                                       ArtIcons::kMatch, ArtIcons::kMega};
const wchar_t* const kCafeWords[3] = {L"Corner", L"Garden", L"City"};

void DayDiscs(ArtOutput& out)
{
    // An open day: a cream disc in a caramel ring. A locked one: a faint
    // pencilled circle on the paper.
    Lumo::MemoryImage open = Blank(60, 60);
    ArtMask disc = Mask(open);
    disc.AddCircle(30, 29, 24);
    ArtPaint::Shadow(open, disc, 0, 2, 2, 0.3f);
    ArtPaint::Fill(open, disc.Dilated(2), ArtPaint::OutlineOf(kCaramel));
    ArtPaint::Fill(open, disc.Dilated(1), kCaramel);
    ArtMask face = Mask(open);
    face.AddCircle(30, 29, 21);
    ArtPaint::FillVertical(open, face, 0xFFFCF4, ArtPaint::Mix(kCream, kButter, 0.25f), 8, 50);
    out.Save("career/day.png", open);

    Lumo::MemoryImage locked = Blank(60, 60);
    ArtMask ring = Mask(locked);
    ring.AddCircle(30, 29, 23);
    ArtMask hole = Mask(locked);
    hole.AddCircle(30, 29, 21.5f);
    ring.Subtract(hole);
    ArtPaint::Fill(locked, ring, kPageEdge, 0.7f);
    ArtMask inside = Mask(locked);
    inside.AddCircle(30, 29, 21.5f);
    ArtPaint::Fill(locked, inside, kPaperShade, 0.35f);
    out.Save("career/day_locked.png", locked);
    // The button over the disc draws only a ring: butter when pointed at, darker when pressed.
    for (int state = 1; state <= 2; state++)
    {
        Lumo::MemoryImage image = Blank(60, 60);
        ArtMask ring = Mask(image);
        ring.AddCircle(30, 29, 27);
        ArtMask hole = Mask(image);
        hole.AddCircle(30, 29, 22);
        ring.Subtract(hole);
        ring.Blur(1);
        ArtPaint::Fill(image, ring, state == 1 ? kButter : kMocha, state == 1 ? 0.9f : 0.5f);
        out.Save(std::string("career/day_") + kStates[state] + ".png", image);
    }
}

void DayMark(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(80, 80);
    ArtMask glow = Mask(image);
    glow.AddCircle(40, 40, 36);
    glow.Blur(3);
    ArtPaint::Fill(image, glow, kButter, 0.55f);
    ArtMask ring = Mask(image);
    ring.AddCircle(40, 40, 33);
    ArtMask hole = Mask(image);
    hole.AddCircle(40, 40, 28);
    ring.Subtract(hole);
    Lit(image, ring, kButter, 7, 73, 1.5f);
    out.Save("career/day_mark.png", image);
}

void Ticks(ArtOutput& out)
{
    Lumo::MemoryImage goal = Blank(28, 28);
    ArtMask disc = Mask(goal);
    disc.AddCircle(14, 14, 11);
    Lit(goal, disc, kMint, 3, 25, 1.5f);
    ArtMask tick = Mask(goal);
    tick.AddLine(8.5f, 14.5f, 12.5f, 18.5f, 3.0f);
    tick.AddLine(12.5f, 18.5f, 19.5f, 9.5f, 3.0f);
    ArtPaint::Fill(goal, tick, 0xFFFFFF);
    out.Save("career/tick_goal.png", goal);
    Lumo::MemoryImage expert = Blank(28, 28);
    ArtIcons::Draw(expert, ArtIcons::kExpert, 0, 0, 28);
    out.Save("career/tick_expert.png", expert);
}

// A cafe tab hanging from the top of the right page: small (a button, four
// states) or big (the cafe on view, taller, its name larger).
void CafeTab(ArtOutput& out, int cafe, bool big, int state)
{
    const int w = 104, h = big ? 122 : 92;
    uint32_t color = ArtPaint::StateColour(kCafeColour[cafe], (ArtPaint::ButtonState)state);
    Lumo::MemoryImage image = Blank(w + 8, h + 10);
    float dy = state == ArtPaint::kDown ? 2.0f : 0.0f;
    ArtMask tab = Mask(image);
    tab.AddRoundRect(4, -12 + dy, float(w), h + 12.0f, 14);
    HangingTab(image, tab, color, state, w, h, dy, 3);
    Label(image, std::to_wstring(cafe + 1), w / 2 + 4, int((big ? 58 : 46) + dy), big ? 44 : 32,
          0xFFFFFF, true);
    Label(image, kCafeWords[cafe], w / 2 + 4, int((big ? 96 : 76) + dy), big ? 20 : 16, 0xFFFFFF,
          true);
    if (state == ArtPaint::kDisabled)
        ArtPaint::Desaturate(image, 0.55f);
    std::string name =
        big ? "career/cafe" + std::to_string(cafe + 1) + "_big.png"
            : "career/cafe" + std::to_string(cafe + 1) + "_tab_" + kStates[state] + ".png";
    out.Save(name, image);
}

// An award on a round badge: earned in colour, not earned as a faint outline.
void Award(ArtOutput& out, int award, int size, const std::string& prefix)
{
    for (int earned = 0; earned < 2; earned++)
    {
        Lumo::MemoryImage image = Blank(size, size);
        float c = size / 2.0f, r = size * 0.45f;
        ArtMask disc = Mask(image);
        disc.AddCircle(c, c, r);
        if (earned)
        {
            ArtPaint::Shadow(image, disc, 0, 2, 2, 0.3f);
            Lit(image, disc, kCream, c - r, c + r);
            ArtIcons::Draw(image, kAwardIcons[award], int(size * 0.16f), int(size * 0.14f),
                           int(size * 0.68f));
        }
        else
        {
            ArtPaint::Fill(image, disc, kPaperShade, 0.6f);
            ArtMask ring = disc.Dilated(1.5f);
            ring.Subtract(disc);
            ArtPaint::Fill(image, ring, kPageEdge, 0.8f);
            Lumo::MemoryImage icon = Blank(size, size);
            ArtIcons::Draw(icon, kAwardIcons[award], int(size * 0.16f), int(size * 0.14f),
                           int(size * 0.68f));
            ArtPaint::Desaturate(icon, 0.35f);
            Lumo::Graphics g(&image);
            g.DrawImage(&icon, 0, 0);
        }
        out.Save(prefix + kAwards[award] + (earned ? "_active.png" : "_inactive.png"), image);
    }
    // The ghost: a warm glow that pops behind a newly earned award.
    Lumo::MemoryImage ghost = Blank(size, size);
    ArtMask glow = Mask(ghost);
    glow.AddCircle(size / 2.0f, size / 2.0f, size * 0.47f);
    glow.Blur(size / 16 + 1);
    ArtPaint::Fill(ghost, glow, kButter, 0.8f);
    ArtMask ring = Mask(ghost);
    ring.AddCircle(size / 2.0f, size / 2.0f, size * 0.47f);
    ArtMask hole = Mask(ghost);
    hole.AddCircle(size / 2.0f, size / 2.0f, size * 0.42f);
    ring.Subtract(hole);
    ArtPaint::Fill(ghost, ring, 0xFFFFFF, 0.8f);
    out.Save(prefix + kAwards[award] + "_ghost.png", ghost);
}

// The cafe's photo on the left page: its room in a frame of the cafe's colour.
void CafePhoto(ArtOutput& out, int cafe)
{
    const int w = 400, h = 190;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask frame = Mask(image);
    frame.AddRoundRect(4, 4, w - 8.0f, h - 10.0f, 10);
    ArtPaint::Shadow(image, frame, 0, 3, 3, 0.35f);
    Lit(image, frame, kCafeColour[cafe - 1], 4, h - 6.0f);
    Lumo::MemoryImage scene = Blank(w - 28, h - 34);
    CafeScene(scene, 0, 0, scene.mWidth, scene.mHeight, cafe, 100 + cafe, 0.7f);
    Lumo::Graphics g(&image);
    g.DrawImage(&scene, 14, 12);
    out.Save("career/cafe_" + std::to_string(cafe) + ".png", image);
}
} // namespace

ART_GROUP(career)
{
    DayDiscs(out);
    DayMark(out);
    Ticks(out);
    for (int cafe = 0; cafe < 3; cafe++)
    {
        for (int state = 0; state < 4; state++)
            CafeTab(out, cafe, false, state);
        CafeTab(out, cafe, true, 0);
        CafePhoto(out, cafe + 1);
    }
    for (int award = 0; award < 5; award++)
    {
        Award(out, award, 60, "career/achiev_");
        Award(out, award, 84, "debriefing/achiev_");
    }
}
