#pragma once
// Lumo::Font: the base of every font. Widgets and the drawing context only
// measure and draw through these operations; the base itself draws nothing,
// so a missing face degrades to blank text rather than a crash. Metrics are
// whole pixels; fonts are owned by whoever created them.

#include <string>

namespace Lumo
{
class Graphics;
class Color;
class Rect;

class Font
{
public:
    // --- Lifetime
    Font();
    Font(const Font& other);
    virtual ~Font();

    // --- Metrics (pixels)
    virtual int GetAscent();        // baseline to the top of the tallest glyph
    virtual int GetAscentPadding(); // blank rows above the glyphs inside the ascent
    virtual int GetHeight();        // ascent plus descent
    virtual int GetLineSpacing();   // baseline to baseline of two text lines
    virtual int StringWidth(const std::wstring& text);

    // --- Copies and drawing
    virtual Font* Duplicate(); // new font owned by the caller
    // Draws with the baseline at y; goes through the Graphics' image
    // operations so that its translation applies. The base draws nothing.
    virtual void DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                            const Rect& clip);

protected:
    int mAscent;            // pixels
    int mAscentPadding;     // pixels
    int mHeight;            // pixels
    int mLineSpacingOffset; // added to the height to give the line spacing
};

} // namespace Lumo
