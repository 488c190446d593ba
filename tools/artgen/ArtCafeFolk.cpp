// The cafe's clients: eight looks, each a colour of its own with its own hair
// or hat, seated (upper body, behind a table) and standing (whole body, in the
// queue and walking); their faces (happy, neutral, angry) drawn over the head;
// the patience bar and the order bubble over them.
#include <cmath>

#include "framework/app/StringUtils.h"
#include "game/gameplay/KpCafeArt.h"
#include "tools/artgen/ArtCafe.h"
#include "tools/artgen/ArtGroup.h"

namespace
{
using namespace ArtPalette;
using namespace ArtCafe;
using namespace KpCafeArt;

// One colour per look, then the skin and hair that go with it. No guest wears
// Zorka's cherry top with a bun: the player must never mistake a guest for her.
const uint32_t kLookColour[kClientLooks] = {kSky,     kMint,    0x9B5C86, kButter,
                                            0xA48BD1, 0xF29E6D, 0x4FA8A8, 0xE58FB0};
const uint32_t kSkin[4] = {0xF8DCC0, 0xEFC39E, 0xD9A47E, 0xB07A57};
const int kLookSkin[kClientLooks] = {0, 2, 1, 3, 1, 0, 3, 2};
const uint32_t kHair[kClientLooks] = {kCoffee, 0x3B2A22, kMocha, kCaramel,
                                      kCoffee, 0x3B2A22, kMocha, kCaramel};

// The head's centre in both pictures (KpCafeArt: kSitHeadY, kStandHeadY from the bottom).
const float kHeadX = 48.0f, kHeadY = 36.0f;

ArtMask HairCap(const Lumo::MemoryImage& image)
{
    ArtMask hair = Mask(image);
    hair.AddCircle(kHeadX, kHeadY - 2, kHeadRadius + 2);
    ArtMask top = Mask(image);
    top.AddRoundRect(0, 0, 96, kHeadY - 8, 0);
    hair.Intersect(top);
    // Side locks down to the ears.
    hair.AddEllipse(kHeadX - 24, kHeadY - 4, 6, 12).AddEllipse(kHeadX + 24, kHeadY - 4, 6, 12);
    return hair;
}

// Hair behind the head (long hair only).
void DrawBackHair(Lumo::MemoryImage& image, int look)
{
    if (look != 7)
        return;
    ArtMask back = Mask(image);
    back.AddRoundRect(kHeadX - 31, kHeadY - 20, 62, 62, 24);
    Lit(image, back, kHair[look], kHeadY - 20, kHeadY + 42);
}

// Hair and hats over the head.
void DrawTop(Lumo::MemoryImage& image, int look)
{
    uint32_t colour = kLookColour[look], hair = kHair[look];
    switch (look)
    {
    case 0: // beret
    {
        Lit(image, HairCap(image), hair, 8, 40);
        ArtMask beret = Mask(image);
        beret.AddEllipse(kHeadX - 4, 13, 28, 10);
        beret.AddCircle(kHeadX - 4, 3, 3.5f);
        Lit(image, beret, colour, 0, 24);
        break;
    }
    case 1: // short hair with a fringe
    {
        ArtMask cap = HairCap(image);
        for (int i = 0; i < 4; i++)
            cap.AddCircle(kHeadX - 15 + i * 10, 18, 7);
        Lit(image, cap, hair, 8, 30);
        break;
    }
    case 2: // bun
    {
        ArtMask bun = Mask(image);
        bun.AddCircle(kHeadX, 9, 10);
        Lit(image, bun, hair, 0, 20);
        Lit(image, HairCap(image), hair, 8, 40);
        break;
    }
    case 3: // cap with a brim
    {
        Lit(image, HairCap(image), hair, 8, 40);
        ArtMask dome = Mask(image);
        dome.AddCircle(kHeadX, kHeadY - 4, kHeadRadius + 1);
        ArtMask above = Mask(image);
        above.AddRoundRect(0, 0, 96, 22, 0);
        dome.Intersect(above);
        dome.AddEllipse(kHeadX + 22, 21, 18, 5);
        Lit(image, dome, colour, 4, 26);
        break;
    }
    case 4: // hair with a bow
    {
        Lit(image, HairCap(image), hair, 8, 40);
        ArtMask bow = Polygon(image, {{kHeadX + 10, 4}, {kHeadX + 22, 12}, {kHeadX + 10, 20}});
        bow.Union(Polygon(image, {{kHeadX + 34, 4}, {kHeadX + 22, 12}, {kHeadX + 34, 20}}));
        bow.AddCircle(kHeadX + 22, 12, 4);
        Lit(image, bow, colour, 4, 20);
        break;
    }
    case 5: // curls
    {
        ArtMask curls = Mask(image);
        for (int i = 0; i < 5; i++)
            curls.AddCircle(kHeadX - 22 + i * 11, 14 + (i % 2) * 3, 10);
        curls.AddCircle(kHeadX - 25, 28, 8).AddCircle(kHeadX + 25, 28, 8);
        Lit(image, curls, hair, 4, 36);
        break;
    }
    case 6: // beanie with a pompom
    {
        ArtMask dome = Mask(image);
        dome.AddCircle(kHeadX, kHeadY - 2, kHeadRadius + 2);
        ArtMask above = Mask(image);
        above.AddRoundRect(0, 0, 96, 26, 0);
        dome.Intersect(above);
        dome.AddCircle(kHeadX, 9, 7);
        Lit(image, dome, colour, 2, 26);
        ArtMask rim = Mask(image);
        rim.AddRoundRect(kHeadX - 27, 20, 54, 9, 4);
        Lit(image, rim, ArtPaint::Darker(colour, 0.12f), 20, 29);
        break;
    }
    default: // long hair: the fringe over the head
    {
        ArtMask cap = HairCap(image);
        cap.AddEllipse(kHeadX - 8, 16, 18, 8);
        Lit(image, cap, hair, 8, 40);
        break;
    }
    }
}

void DrawHead(Lumo::MemoryImage& image, int look)
{
    ArtMask head = Mask(image);
    head.AddCircle(kHeadX, kHeadY, kHeadRadius);
    uint32_t skin = kSkin[kLookSkin[look]];
    Outlined(image, head, ArtPaint::Lighter(skin, 0.12f), ArtPaint::Darker(skin, 0.06f),
             kHeadY - kHeadRadius, kHeadY + kHeadRadius);
    // Dot eyes with a spark of light.
    ArtMask eyes = Mask(image);
    eyes.AddCircle(kHeadX - 9, kHeadY, 3.6f).AddCircle(kHeadX + 9, kHeadY, 3.6f);
    ArtPaint::Fill(image, eyes, kCoffee);
    ArtMask sparks = Mask(image);
    sparks.AddCircle(kHeadX - 10, kHeadY - 1.2f, 1.2f).AddCircle(kHeadX + 8, kHeadY - 1.2f, 1.2f);
    ArtPaint::Fill(image, sparks, 0xFFFFFF, 0.9f);
    DrawTop(image, look);
}

// Collar and two buttons on the front of the body.
void DrawCollar(Lumo::MemoryImage& image, uint32_t colour, float top)
{
    ArtMask collar = Polygon(image, {{kHeadX - 12, top}, {kHeadX, top + 12}, {kHeadX + 12, top}});
    ArtPaint::Fill(image, collar.Dilated(1.5f), ArtPaint::OutlineOf(colour));
    ArtPaint::Fill(image, collar, 0xFFFFFF, 0.95f);
    ArtMask buttons = Mask(image);
    buttons.AddCircle(kHeadX, top + 22, 2.5f).AddCircle(kHeadX, top + 34, 2.5f);
    ArtPaint::Fill(image, buttons, ArtPaint::Darker(colour, 0.35f));
}

void Seated(ArtOutput& out, int look)
{
    Lumo::MemoryImage image = Blank(kSitWidth, kSitHeight);
    uint32_t colour = kLookColour[look];
    DrawBackHair(image, look);
    ArtMask body = Mask(image);
    body.AddRoundRect(14, 56, 68, 90, 28);
    Lit(image, body, colour, 56, kSitHeight);
    // Arms resting forward on the table.
    ArtMask arms = Mask(image);
    arms.AddEllipse(20, 102, 10, 17).AddEllipse(76, 102, 10, 17);
    Lit(image, arms, ArtPaint::Darker(colour, 0.06f), 86, 120);
    ArtMask hands = Mask(image);
    hands.AddCircle(24, 116, 6.5f).AddCircle(72, 116, 6.5f);
    Lit(image, hands, kSkin[kLookSkin[look]], 110, 122);
    DrawCollar(image, colour, 60);
    DrawHead(image, look);
    out.Save(Lumo::StrFormat("cafe/client_sit_%d.png", look), image);
}

void Standing(ArtOutput& out, int look)
{
    Lumo::MemoryImage image = Blank(kStandWidth, kStandHeight);
    uint32_t colour = kLookColour[look];
    FloorShadow(image, kHeadX, kStandHeight - 5, 30, 4.5f, 0.35f);
    DrawBackHair(image, look);
    uint32_t trousers = ArtPaint::Mix(kCoffee, colour, 0.25f);
    ArtMask legs = Mask(image);
    legs.AddRoundRect(31, 128, 14, 34, 6).AddRoundRect(51, 128, 14, 34, 6);
    Lit(image, legs, trousers, 128, 162);
    ArtMask shoes = Mask(image);
    shoes.AddEllipse(37, 162, 10, 5).AddEllipse(59, 162, 10, 5);
    Lit(image, shoes, kCoffee, 157, 167);
    ArtMask arms = Mask(image);
    arms.AddEllipse(16, 96, 9, 24).AddEllipse(80, 96, 9, 24);
    Lit(image, arms, ArtPaint::Darker(colour, 0.06f), 72, 120);
    ArtMask hands = Mask(image);
    hands.AddCircle(16, 120, 6.5f).AddCircle(80, 120, 6.5f);
    Lit(image, hands, kSkin[kLookSkin[look]], 114, 126);
    ArtMask body = Mask(image);
    body.AddRoundRect(18, 56, 60, 82, 24);
    Lit(image, body, colour, 56, 138);
    DrawCollar(image, colour, 60);
    DrawHead(image, look);
    out.Save(Lumo::StrFormat("cafe/client_stand_%d.png", look), image);
}

// Arcs of the clients' faces, in 12 pieces (angles in degrees, 0 = right, 90 = down).
void Arc(ArtMask& mask, float cx, float cy, float r, float from, float to, float width)
{
    ArtCafe::Arc(mask, cx, cy, r, from, to, width, 12);
}

void Faces(ArtOutput& out)
{
    // The head's centre is the picture's centre.
    const float cx = kFaceWidth / 2.0f, cy = kFaceHeight / 2.0f;
    {
        Lumo::MemoryImage image = Blank(kFaceWidth, kFaceHeight);
        ArtMask cheeks = Mask(image);
        cheeks.AddEllipse(cx - 15, cy + 9, 5.5f, 3.5f).AddEllipse(cx + 15, cy + 9, 5.5f, 3.5f);
        cheeks.Blur(1);
        ArtPaint::Fill(image, cheeks, kCherry, 0.45f);
        ArtMask mouth = Mask(image);
        Arc(mouth, cx, cy + 5, 7.5f, 25, 155, 2.6f);
        ArtPaint::Fill(image, mouth, kCoffee);
        out.Save("cafe/face_happy.png", image);
    }
    {
        Lumo::MemoryImage image = Blank(kFaceWidth, kFaceHeight);
        ArtMask mouth = Mask(image);
        mouth.AddLine(cx - 5, cy + 12, cx + 5, cy + 12, 2.6f);
        ArtPaint::Fill(image, mouth, kCoffee);
        out.Save("cafe/face_neutral.png", image);
    }
    {
        Lumo::MemoryImage image = Blank(kFaceWidth, kFaceHeight);
        ArtMask flush = Mask(image);
        flush.AddEllipse(cx, cy + 10, 20, 9);
        flush.Blur(3);
        ArtPaint::Fill(image, flush, kCherry, 0.3f);
        ArtMask face = Mask(image);
        Arc(face, cx, cy + 19, 6.5f, 205, 335, 2.6f);
        face.AddLine(cx - 15, cy - 10, cx - 5, cy - 6, 3.0f);
        face.AddLine(cx + 15, cy - 10, cx + 5, cy - 6, 3.0f);
        ArtPaint::Fill(image, face, kCoffee);
        // A puff of steam over the head.
        ArtMask puff = Mask(image);
        puff.AddCircle(cx + 22, 7, 4).AddCircle(cx + 27, 4, 3.2f).AddCircle(cx + 18, 3, 2.6f);
        ArtPaint::Fill(image, puff.Dilated(1.5f), kCoffee, 0.7f);
        ArtPaint::Fill(image, puff, 0xFFFFFF);
        out.Save("cafe/face_angry.png", image);
    }
}

void Bars(ArtOutput& out)
{
    Lumo::MemoryImage back = Blank(kBarWidth, kBarHeight);
    ArtMask frame = Mask(back);
    frame.AddRoundRect(0.5f, 0.5f, kBarWidth - 1, kBarHeight - 1, kBarHeight * 0.5f - 0.5f);
    ArtPaint::Fill(back, frame, kCoffee);
    ArtMask inside = Mask(back);
    inside.AddRoundRect(kBarInset - 1, kBarInset - 1, kBarFillWidth + 2, kBarFillHeight + 2,
                        kBarFillHeight * 0.5f + 1);
    ArtPaint::FillVertical(back, inside, ArtPaint::Darker(kPaperShade, 0.35f),
                           ArtPaint::Darker(kPaperShade, 0.15f), 0, kBarHeight);
    out.Save("cafe/patience_back.png", back);

    const uint32_t fills[3] = {kMint, kButter, kCherry};
    const char* names[3] = {"mint", "butter", "cherry"};
    for (int i = 0; i < 3; i++)
    {
        Lumo::MemoryImage fill = Blank(kBarFillWidth, kBarFillHeight);
        ArtMask bar = Mask(fill);
        bar.AddRoundRect(0, 0, kBarFillWidth, kBarFillHeight, kBarFillHeight * 0.5f);
        ArtPaint::FillVertical(fill, bar, ArtPaint::Lighter(fills[i], 0.3f),
                               ArtPaint::Darker(fills[i], 0.05f), 0, kBarFillHeight);
        Gleam(fill, 3, 1.5f, kBarFillWidth - 6, 2.5f, 0.45f);
        out.Save(std::string("cafe/patience_fill_") + names[i] + ".png", fill);
    }
}

void Bubble(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kBubbleWidth, kBubbleHeight);
    ArtMask bubble = Mask(image);
    bubble.AddRoundRect(4, 3, kBubbleWidth - 8, kBubbleHeight - 15, 15);
    bubble.Union(Polygon(image, {{10, 40}, {2, kBubbleHeight - 2.5f}, {26, 44}}));
    ArtPaint::Shadow(image, bubble, 1, 2, 2, 0.25f);
    Outlined(image, bubble, 0xFFFFFF, kCream, 3, kBubbleHeight);
    out.Save("cafe/bubble.png", image);
}
} // namespace

ART_GROUP(cafe_folk)
{
    for (int look = 0; look < kClientLooks; look++)
    {
        Seated(out, look);
        Standing(out, look);
    }
    Faces(out);
    Bars(out);
    Bubble(out);
}
