// The book of the menus: its leather cover around the pages (behind them at
// rest, in front of them while a page turns, with the spine's shadow), the
// left and right paper pages, the page-turn folds (forward and back), the
// ribbon tabs, and the main menu's own pictures: its big buttons, the title,
// the hostess's photo and the hostess in front of the book.
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

// Pages 950 x 727 at the book's origin; the cover reaches this far around them.
const int kPageW = 475, kPageH = 727, kRimX = 18, kRimY = 14;
const int kCoverW = 2 * kPageW + 2 * kRimX, kCoverH = kPageH + 2 * kRimY;
const uint32_t kLeather = 0x6B4330;

const char* const kStates[4] = {"normal", "over", "down", "disabled"};

// The leather ring around the pages and the stacked page edges under them.
void Ring(Lumo::MemoryImage& image)
{
    ArtMask board = Mask(image);
    board.AddRoundRect(2, 2, kCoverW - 4.0f, kCoverH - 6.0f, 18);
    ArtPaint::Shadow(image, board, 0, 4, 3, 0.45f);
    ArtPaint::Fill(image, board, ArtPaint::Darker(kLeather, 0.3f));
    ArtMask leather = Mask(image);
    leather.AddRoundRect(4, 4, kCoverW - 8.0f, kCoverH - 10.0f, 16);
    ArtPaint::FillVertical(image, leather, ArtPaint::Lighter(kLeather, 0.12f),
                           ArtPaint::Darker(kLeather, 0.12f), 0, float(kCoverH));
    ArtPaint::Grain(image, leather, 41, 0.06f);
    // Stitching along the edge.
    ArtMask stitch = Mask(image);
    for (int x = 20; x < kCoverW - 20; x += 14)
    {
        stitch.AddRoundRect(float(x), 8, 7, 1.5f, 0.7f);
        stitch.AddRoundRect(float(x), kCoverH - 12.0f, 7, 1.5f, 0.7f);
    }
    for (int y = 20; y < kCoverH - 20; y += 14)
    {
        stitch.AddRoundRect(8, float(y), 1.5f, 7, 0.7f);
        stitch.AddRoundRect(kCoverW - 10.0f, float(y), 1.5f, 7, 0.7f);
    }
    ArtPaint::Fill(image, stitch, kButter, 0.55f);
    // Page edges stacked outwards from the pages.
    for (int i = 3; i >= 1; i--)
    {
        ArtMask edge = Mask(image);
        edge.AddRoundRect(kRimX - 2.0f * i, kRimY + 1.0f * i, 2.0f * kPageW + 4.0f * i,
                          kPageH + 1.5f * i, 4);
        ArtPaint::Fill(image, edge, ArtPaint::Darker(kPageEdge, 0.25f));
        ArtMask paper = Mask(image);
        paper.AddRoundRect(kRimX - 2.0f * i + 1, kRimY + 1.0f * i, 2.0f * kPageW + 4.0f * i - 2,
                           kPageH + 1.5f * i - 1, 4);
        ArtPaint::Fill(image, paper, ArtPaint::Mix(kCream, kPageEdge, 0.25f * i));
    }
    // The pages' own place stays clear: the screens' pages lie there.
    uint32_t* pixels = image.GetPixels();
    for (int y = kRimY; y < kRimY + kPageH; y++)
        for (int x = kRimX; x < kRimX + 2 * kPageW; x++)
            pixels[size_t(y) * image.mWidth + x] = 0;
    image.PixelsChanged();
}

void Page(ArtOutput& out, bool left)
{
    Lumo::MemoryImage image = Blank(kPageW, kPageH);
    ArtMask paper = Mask(image);
    paper.AddRoundRect(left ? 0 : -20.0f, 0, kPageW + 20.0f, kPageH, 0);
    ArtPaint::FillVertical(image, paper, 0xFBF2DF, kCream, 0, kPageH);
    ArtPaint::Grain(image, paper, left ? 11 : 12, 0.045f);
    // The gutter darkens towards the spine; the outer edge has a thin shade.
    for (int i = 0; i < 40; i++)
    {
        float t = 1.0f - i / 40.0f;
        ShadeColumn(image, left ? kPageW - 1 - i : i, 0, kPageH, kCoffee, 0.22f * t * t);
    }
    ArtMask edge = Mask(image);
    edge.AddRoundRect(left ? 0 : kPageW - 3.0f, 0, 3, kPageH, 0);
    ArtPaint::Fill(image, edge, kPageEdge, 0.5f);
    out.Save(left ? "book/page_left.png" : "book/page_right.png", image);
}

// A page bending over: a band whose far edge curls, shaded across its width.
void Fold(ArtOutput& out, bool back)
{
    const int w = 146, h = 657;
    Lumo::MemoryImage image = Blank(w, h);
    ArtMask sheet = Polygon(image, {{20, 10}, {126, 0}, {136, float(h)}, {10, float(h - 12)}});
    ArtPaint::Shadow(image, sheet, back ? -6 : 6, 2, 4, 0.35f);
    for (int x = 0; x < w; x++)
    {
        ArtMask column = Mask(image);
        column.AddRoundRect(float(x), 0, 1, float(h), 0);
        column.Intersect(sheet);
        float t = float(x) / (w - 1);
        if (back)
            t = 1.0f - t;
        // Light on the near side of the curl, shade where it turns away.
        float light = 1.0f - 4.0f * (t - 0.35f) * (t - 0.35f);
        uint32_t c = ArtPaint::Mix(ArtPaint::Darker(kPaperShade, 0.18f), 0xFFFBF0,
                                   std::max(0.0f, std::min(1.0f, light)));
        ArtPaint::Fill(image, column, c);
    }
    ArtMask rim = sheet.Dilated(1.0f);
    rim.Subtract(sheet);
    ArtPaint::Fill(image, rim, kPageEdge, 0.8f);
    out.Save(back ? "book/pages_b.png" : "book/pages_f.png", image);
}

// A ribbon tab hanging from the top edge, with an icon and a word, in four states.
void Ribbon(ArtOutput& out, const std::string& name, int w, int h, uint32_t color,
            ArtIcons::Icon icon, const wchar_t* word)
{
    for (int state = 0; state < 4; state++)
    {
        Lumo::MemoryImage image = Blank(w + 8, h + 10);
        float dy = state == ArtPaint::kDown ? 2.0f : 0.0f;
        uint32_t c = ArtPaint::StateColour(color, (ArtPaint::ButtonState)state);
        ArtMask ribbon = Polygon(image, {{4, dy},
                                         {float(w + 4), dy},
                                         {float(w + 4), h + dy},
                                         {w / 2.0f + 4, h - 16 + dy},
                                         {4, h + dy}});
        HangingTab(image, ribbon, c, state, w, h, dy, 2);
        Icon(image, icon, w / 2 - 16 + 4, int(8 + dy), 32);
        if (word)
            Label(image, word, w / 2 + 4, int(h - 24 + dy), 15, 0xFFFFFF, true);
        if (state == ArtPaint::kDisabled)
            ArtPaint::Desaturate(image, 0.55f);
        out.Save("book/" + name + "_" + kStates[state] + ".png", image);
    }
}

void MenuButtons(ArtOutput& out, const char* name, uint32_t color)
{
    const int m = ArtPaint::kButtonMargin;
    for (int state = 0; state < 4; state++)
    {
        Lumo::MemoryImage image = Blank(300 + 2 * m, 56 + 2 * m);
        ArtPaint::Button(image, m, m, 300, 56, 28, color, (ArtPaint::ButtonState)state);
        out.Save(std::string("menu/btn_") + name + "_" + kStates[state] + ".png", image);
    }
}

void Logo(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(400, 120);
    Icon(image, ArtIcons::kMoney, 6, 22, 76);
    Label(image, L"Zorka", 232, 62, 52, kCaramel, true);
    Label(image, L"Cafe", 232, 106, 40, kMint, true);
    out.Save("menu/logo.png", image);
}

// The hostess's photo on the left page, pinned with tape.
void GirlPhoto(ArtOutput& out)
{
    const int w = 330, h = 380;
    Lumo::MemoryImage image = Blank(w, h);
    PhotoCard(image, 10, 14, w - 20, h - 24, 16, 64);
    Lumo::MemoryImage scene = Blank(w - 52, h - 104);
    CafeScene(scene, 0, 0, scene.mWidth, scene.mHeight, 1, 7, 0.2f, false);
    ArtMask veil = Mask(scene);
    veil.AddRoundRect(0, 0, float(scene.mWidth), float(scene.mHeight), 0);
    ArtPaint::Fill(scene, veil, 0xFFFFFF, 0.25f);
    Hostess(scene, scene.mWidth * 0.5f, scene.mHeight - 6.0f, scene.mHeight * 0.86f, true);
    {
        Lumo::Graphics g(&image);
        g.DrawImage(&scene, 26, 30);
    }
    ArtMask tape = Polygon(
        image, {{w / 2.0f - 44, 4}, {w / 2.0f + 40, 0}, {w / 2.0f + 44, 26}, {w / 2.0f - 40, 30}});
    ArtPaint::Fill(image, tape, 0xF4E9C8, 0.85f);
    Label(image, L"Zorka", w / 2, h - 34, 30, kCoffee, false);
    out.Save("menu/girl_photo.png", image);
}

// The hostess peeking in at the bottom left corner of the book.
void GirlFront(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(150, 190);
    // A little right of the middle: her waving hand stays in the picture.
    Hostess(image, 88, 262, 236, true);
    out.Save("menu/girl_front.png", image);
}

// The profile page's right side: a notebook with a pen and a cup.
void Notebook(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(300, 230);
    ArtMask book = Polygon(image, {{40, 40}, {250, 24}, {268, 196}, {56, 212}});
    ArtPaint::Shadow(image, book, 2, 5, 3, 0.3f);
    Lit(image, book, 0xFFFDF6, 24, 212);
    ArtMask lines = Mask(image);
    for (int i = 0; i < 7; i++)
    {
        float y = 62 + i * 20.0f;
        lines.AddLine(64, y + 2 - i * 0.4f, 246, y - 12 - i * 0.4f + 14 * 0.0f, 1.2f);
    }
    lines.Intersect(book);
    ArtPaint::Fill(image, lines, kSky, 0.5f);
    ArtMask pen = Mask(image);
    pen.AddLine(150, 190, 236, 90, 9);
    Lit(image, pen, kCherry, 90, 190);
    Cup(image, 62, 222, 46, kMint);
    out.Save("menu/notebook.png", image);
}
} // namespace

ART_GROUP(book)
{
    Lumo::MemoryImage back = Blank(kCoverW, kCoverH);
    Ring(back);
    out.Save("book/back.png", back);
    // In front while a page turns: the ring again, and the spine's shadow.
    Lumo::MemoryImage cover = Blank(kCoverW, kCoverH);
    {
        Lumo::Graphics g(&cover);
        g.DrawImage(&back, 0, 0);
    }
    for (int i = 0; i < 18; i++)
    {
        float t = 1.0f - i / 18.0f;
        ShadeColumn(cover, kRimX + kPageW - 1 - i, kRimY, kRimY + kPageH, kCoffee, 0.25f * t * t);
        ShadeColumn(cover, kRimX + kPageW + i, kRimY, kRimY + kPageH, kCoffee, 0.25f * t * t);
    }
    out.Save("book/cover.png", cover);
    Page(out, true);
    Page(out, false);
    Fold(out, false);
    Fold(out, true);
    Ribbon(out, "tab_profile_open", 96, 96, kSky, ArtIcons::kLives, L"Players");
    Ribbon(out, "tab_profile_close", 96, 96, kMint, ArtIcons::kMoney, L"Menu");
}

ART_GROUP(mainmenu)
{
    MenuButtons(out, "caramel", kCaramel);
    MenuButtons(out, "cherry", kCherry);
    Logo(out);
    GirlPhoto(out);
    GirlFront(out);
    Notebook(out);
}
