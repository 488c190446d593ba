#pragma once
// A font with fixed metrics for tests: every character advances kAdvance
// pixels; a visible character draws a filled box kGlyphWidth wide from the
// top of the ascent down to the baseline, blanks draw nothing. Layout tests
// can then find each glyph on the image by its colour.

#include "framework/app/Color.h"
#include "framework/resources/Font.h"

#include <string>
#include <vector>

class TestFont : public Lumo::Font
{
public:
    static const int kAscent = 8;
    static const int kDescent = 2;
    static const int kAdvance = 6;
    static const int kGlyphWidth = 5;
    static const int kLineSpacing = 12; // height 10 plus two rows of leading

    TestFont();

    int StringWidth(const std::wstring& text) override;
    Lumo::Font* Duplicate() override;
    void DrawString(Lumo::Graphics* g, int x, int y, const std::wstring& text,
                    const Lumo::Color& color, const Lumo::Rect& clip) override;

    // Every DrawString call with something to draw, in order.
    struct Draw
    {
        int x;
        int y; // baseline
        std::wstring text;
        Lumo::Color color;
    };
    std::vector<Draw> mDraws;
};
