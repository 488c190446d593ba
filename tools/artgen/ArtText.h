// Text baked into pictures (badges, signs): the game's own font files,
// registered for the tool from the Debian packages the build installs, drawn
// through the framework's system-font path, white with a coffee outline by
// default as the art direction asks for text on pictures.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo
{
class MemoryImage;
}

namespace ArtText
{
enum Face
{
    kTitle = 0, // Quicksand Bold: titles, buttons, badges
    kBody,      // DejaVu Sans: body text
};

struct Style
{
    Face face = kTitle;
    int pixels = 20;           // glyph height asked of the font, pixels
    uint32_t color = 0xFFFFFF; // 0xRRGGBB
    uint32_t outline = 0x5B3A29;
    int outlineWidth = 1; // 0: none
};

// Draws the text centred on (cx, baseline y). False when no font could be made.
bool DrawCentred(Lumo::MemoryImage& image, const std::wstring& text, int cx, int baseline,
                 const Style& style);
} // namespace ArtText
