#pragma once
// Text layout rules kept free of fonts and images so they can be tested alone:
// inline colour codes and word wrapping. Widths come from a measuring callback.
//
// Colour codes: "^RRGGBB^" (six hex digits) draws the text after it in that
// colour; "^oldclr^" goes back to the colour the string started with. Codes
// take no width and are never drawn. A "^" that starts no valid code is text.

#include <functional>
#include <string>
#include <vector>

namespace Lumo
{

// Length of the colour code at text[pos], 0 when there is none. rgb gets the
// 0xRRGGBB value; isReset is set for "^oldclr^".
int ParseColorCode(const std::wstring& text, size_t pos, int* rgb, bool* isReset);

// The text with every colour code removed.
std::wstring StripColorCodes(const std::wstring& text);

// One run of text drawn in one colour.
struct ColoredRun
{
    std::wstring text;
    int rgb; // 0xRRGGBB
};

// Splits text[first, first + length) into runs; codes before `first` still
// decide the starting colour. length -1 means to the end.
std::vector<ColoredRun> SplitColoredRuns(const std::wstring& text, bool colorCodes, int startRgb,
                                         size_t first = 0, int length = -1);

// The colour in effect after text, starting from startRgb.
int ColorAfter(const std::wstring& text, bool colorCodes, int startRgb);

// One wrapped line: [start, end) of the original text, codes included.
struct WrappedLine
{
    size_t start;
    size_t end;
};

// Breaks at blanks and line feeds so that each line's measured width fits
// `width`; a word wider than the width on its own is cut between characters.
// Blanks at a wrap are dropped. measure gets a piece of the text, codes and
// all, and returns its drawn width.
std::vector<WrappedLine> WrapText(const std::wstring& text, int width, bool colorCodes,
                                  const std::function<int(const std::wstring&)>& measure);

// Left edge of a line of lineWidth in a box at x of width boxWidth:
// justification 0 centres, 1 right-aligns, anything else left-aligns.
int JustifyX(int x, int boxWidth, int lineWidth, int justification);

} // namespace Lumo
