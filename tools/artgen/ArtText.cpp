#include "tools/artgen/ArtText.h"

#include <cstdio>
#include <memory>

#include "framework/app/Color.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/SysFont.h"
#include "game/engine/KpFile.h"
#include "game/engine/KpFont.h"

namespace ArtText
{

namespace
{
// The packages' files as Wine sees the build machine (drive Z: is its root).
const char* const kFiles[] = {"Z:\\usr\\share\\fonts\\truetype\\quicksand\\Quicksand-Bold.ttf",
                              "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf"};
const char* const kFaces[] = {"Quicksand", "DejaVu Sans"};

bool Register(Face face)
{
    static bool tried[2] = {false, false};
    static bool ok[2] = {false, false};
    if (!tried[face])
    {
        tried[face] = true;
        std::string bytes;
        ok[face] = KpReadFile(kFiles[face], bytes) && KpFont::RegisterFontData(bytes, kFiles[face]);
        if (!ok[face])
            fprintf(stderr, "WARNING: artgen: font '%s' not available\n", kFiles[face]);
    }
    return ok[face];
}
} // namespace

bool DrawCentred(Lumo::MemoryImage& image, const std::wstring& text, int cx, int baseline,
                 const Style& style)
{
    if (!Register(style.face))
        return false;
    // Points at 96 pixels per inch: pixels x 72 / 96.
    int points = style.pixels * 3 / 4;
    std::unique_ptr<Lumo::SysFont> font(
        new Lumo::SysFont(nullptr, kFaces[style.face], points, style.face == kTitle));
    if (!font->IsValid())
        return false;
    int x = cx - font->StringWidth(text) / 2;
    Lumo::Graphics g(&image);
    g.SetFont(font.get());
    g.SetColorCodes(false);
    auto rgb = [](uint32_t c)
    { return Lumo::Color(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF); };
    const int w = style.outlineWidth;
    if (w > 0)
    {
        g.SetColor(rgb(style.outline));
        for (int dy = -w; dy <= w; dy++)
            for (int dx = -w; dx <= w; dx++)
                if (dx || dy)
                    g.DrawString(text, x + dx, baseline + dy);
    }
    g.SetColor(rgb(style.color));
    g.DrawString(text, x, baseline);
    return true;
}

} // namespace ArtText
