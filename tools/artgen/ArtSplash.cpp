// The full-screen pictures around the menus: the two start-up slides (the
// studio's mark on black, then the game's title over the cafe), the load
// screen with its steaming cup, and the menu background: the wooden desk
// the book lies on, with the book's soft shadow.
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

const int kScreenW = 1024, kScreenH = 768;
const uint32_t kNight = 0x1E1411; // the slides' near-black, warm

void Opaque(Lumo::MemoryImage& image, uint32_t rgb)
{
    uint32_t* pixels = image.GetPixels();
    for (int i = 0; i < image.mWidth * image.mHeight; i++)
        pixels[i] = 0xFF000000u | rgb;
    image.PixelsChanged();
}

// Steam over a cup: three soft wisps; `phase` 0-1 moves them up.
void Steam(Lumo::MemoryImage& image, float cx, float baseY, float s, float phase)
{
    ArtMask wisps = Mask(image);
    for (int i = 0; i < 3; i++)
    {
        float x = cx + (i - 1) * s * 0.18f;
        for (int k = 0; k < 24; k++)
        {
            float t = k / 24.0f + phase / 24.0f;
            float y = baseY - t * s * 0.55f;
            float wob = std::sin((t * 2.0f + i * 0.7f + phase) * 6.2832f) * s * 0.04f;
            wisps.AddCircle(x + wob, y, s * 0.03f * (1.0f - t * 0.6f));
        }
    }
    wisps.Blur(2);
    ArtPaint::Fill(image, wisps, 0xFFFFFF, 0.45f);
}

void Studio(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    Opaque(image, kNight);
    Lumo::MemoryImage mark = Blank(260, 260);
    ArtMask glow = Mask(mark);
    glow.AddCircle(130, 130, 110);
    glow.Blur(12);
    ArtPaint::Fill(mark, glow, kCaramel, 0.25f);
    Cup(mark, 130, 230, 110, kCream);
    Steam(mark, 124, 118, 150, 0.3f);
    {
        Lumo::Graphics g(&image);
        g.DrawImage(&mark, kScreenW / 2 - 130, 170);
    }
    Label(image, L"Tessik Games", kScreenW / 2, 500, 52, kCream, false);
    Label(image, L"presents", kScreenW / 2, 548, 24, kCaramel, false);
    out.Save("splash/studio.png", image);
}

void Title(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    CafeScene(image, 0, 0, kScreenW, kScreenH, 1, 21, 0.6f, false);
    ArtMask veil = Mask(image);
    veil.AddRoundRect(0, 0, float(kScreenW), float(kScreenH), 0);
    ArtPaint::Fill(image, veil, kCream, 0.25f);
    Hostess(image, 800, 740, 470, true);
    // The title on a paper sign.
    Lumo::MemoryImage sign = Blank(560, 250);
    ArtPaint::PanelStyle style;
    style.seed = 5;
    style.radius = 18;
    ArtPaint::Panel(sign, 10, 10, 540, 230, style);
    Icon(sign, ArtIcons::kMoney, 40, 60, 110);
    Label(sign, L"Zorka", 340, 120, 92, kCaramel, true);
    Label(sign, L"Cafe", 340, 200, 70, kMint, true);
    {
        Lumo::Graphics g(&image);
        g.DrawImage(&sign, 90, 150);
    }
    out.Save("splash/title.png", image);
}

void Load(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    CafeScene(image, 0, 0, kScreenW, kScreenH, 2, 33, 0.3f, true);
    ArtMask veil = Mask(image);
    veil.AddRoundRect(0, 0, float(kScreenW), float(kScreenH), 0);
    ArtPaint::Fill(image, veil, kCoffee, 0.45f);
    // A soft pool of light behind the words and the cup.
    ArtMask pool = Mask(image);
    pool.AddEllipse(512, 590, 250, 110);
    pool.Blur(16);
    ArtPaint::Fill(image, pool, kCoffee, 0.5f);
    out.Save("splash/load.png", image);
}

// A small cup whose steam rises, 8 cels of 64 x 64 side by side.
void LoadCup(ArtOutput& out)
{
    Lumo::MemoryImage strip = Blank(64 * 8, 64);
    for (int cel = 0; cel < 8; cel++)
    {
        Lumo::MemoryImage image = Blank(64, 64);
        Cup(image, 32, 62, 28, kCream);
        Steam(image, 30, 32, 52, cel / 8.0f);
        Lumo::Graphics g(&strip);
        g.DrawImage(&image, cel * 64, 0);
    }
    out.Save("splash/load_cup.png", strip);
}

// The desk: warm planks lit from the top left, darker towards the edges.
void Desk(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    const uint32_t wood = ArtPaint::Darker(kMocha, 0.1f);
    uint32_t* pixels = image.GetPixels();
    for (int y = 0; y < kScreenH; y++)
    {
        const int plank = y / 96;
        const float dy = (y % 96) / 96.0f;
        for (int x = 0; x < kScreenW; x++)
        {
            float grain = 0.05f * std::sin(x * 0.021f + plank * 1.7f + std::sin(x * 0.004f) * 3.0f);
            float dx = (x - 300.0f) / kScreenW, dyy = (y - 200.0f) / kScreenH;
            float light = 0.12f - 0.35f * (dx * dx + dyy * dyy);
            uint32_t c = light + grain >= 0 ? ArtPaint::Lighter(wood, light + grain)
                                            : ArtPaint::Darker(wood, -(light + grain));
            if (dy < 0.02f)
                c = ArtPaint::Darker(c, 0.35f);
            if (plank % 2 && dy > 0.5f && (x + plank * 137) % 512 < 3)
                c = ArtPaint::Darker(c, 0.3f);
            pixels[size_t(y) * kScreenW + x] = 0xFF000000u | c;
        }
    }
    image.PixelsChanged();
    out.Save("menubg/global.png", image);
}

// The book's shadow on the desk, around the book's place (19, 6, 986 x 755).
void BookShadow(ArtOutput& out)
{
    Lumo::MemoryImage image = Blank(kScreenW, kScreenH);
    ArtMask book = Mask(image);
    book.AddRoundRect(21, 12, 982, 752, 20);
    book.Blur(6);
    ArtPaint::Fill(image, book, 0x000000, 0.55f);
    out.Save("menubg/book_shadow.png", image);
}
} // namespace

ART_GROUP(splash)
{
    Studio(out);
    Title(out);
    Load(out);
    LoadCup(out);
}

ART_GROUP(menubg)
{
    Desk(out);
    BookShadow(out);
}
