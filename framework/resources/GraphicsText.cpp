// The text members of Lumo::Graphics: plain and colour-coded strings, and
// word-wrapped blocks. They live with the fonts because all of their rules
// are font rules; the layout itself is in TextLayout.
//
// Justification: 0 centres each line in the width, 1 aligns it right, any
// other value aligns it left. A block's height is the font height plus one
// line spacing per further line, 0 for no lines.

#include "framework/graphics/Graphics.h"
#include "framework/resources/Font.h"
#include "framework/resources/TextLayout.h"

namespace Lumo
{

static int RgbOf(const Color& c)
{
    return ((c.mRed & 0xFF) << 16) | ((c.mGreen & 0xFF) << 8) | (c.mBlue & 0xFF);
}

static int RunsWidth(Font* font, const std::vector<ColoredRun>& runs)
{
    int width = 0;
    for (const ColoredRun& run : runs)
        width += font->StringWidth(run.text);
    return width;
}

void Graphics::DrawString(const std::wstring& text, int x, int y)
{
    if (mFont)
        mFont->DrawString(this, x, y, text, mColor, mClipRect);
}

int Graphics::WriteColoredString(const std::wstring& text, int x, int y, int width,
                                 int justification, bool draw, int firstChar, int length,
                                 int startColor)
{
    if (!mFont)
        return 0;
    if (firstChar < 0)
        firstChar = 0;
    int startRgb = startColor < 0 ? RgbOf(mColor) : (startColor & 0xFFFFFF);
    std::vector<ColoredRun> runs =
        SplitColoredRuns(text, mColorCodes, startRgb, (size_t)firstChar, length);
    int total = RunsWidth(mFont, runs);
    if (!draw)
        return total;

    Color saved = mColor;
    int penX = JustifyX(x, width, total, justification);
    for (const ColoredRun& run : runs)
    {
        mColor = Color((run.rgb >> 16) & 0xFF, (run.rgb >> 8) & 0xFF, run.rgb & 0xFF, saved.mAlpha);
        mFont->DrawString(this, penX, y, run.text, mColor, mClipRect);
        penX += mFont->StringWidth(run.text);
    }
    mColor = saved;
    return total;
}

// Lays out and, when draw is set, draws a wrapped block with its first
// baseline at y. Returns the block height.
static int WrapBlock(Graphics* g, const std::wstring& text, int x, int y, int width,
                     int lineSpacing, int justification, bool draw, int* outMaxWidth, int maxChars,
                     int* outLastWidth)
{
    if (outMaxWidth)
        *outMaxWidth = 0;
    if (outLastWidth)
        *outLastWidth = 0;
    Font* font = g->GetFont();
    if (!font)
        return 0;
    if (lineSpacing < 0)
        lineSpacing = font->GetLineSpacing();

    bool codes = g->mColorCodes;
    auto measure = [&](const std::wstring& piece)
    { return RunsWidth(font, SplitColoredRuns(piece, codes, 0)); };
    std::vector<WrappedLine> lines = WrapText(text, width, codes, measure);

    int rgb = RgbOf(g->GetColor());
    const bool limited = maxChars >= 0;
    int charsLeft = maxChars; // visible characters still to draw when limited
    int baseline = y;
    int maxWidth = 0;
    for (const WrappedLine& line : lines)
    {
        std::wstring piece = text.substr(line.start, line.end - line.start);
        int length = -1;
        if (limited)
        {
            // Cut the line after charsLeft visible characters, codes not counted.
            size_t i = 0;
            int seen = 0;
            while (i < piece.size() && seen < charsLeft)
            {
                int code, len;
                bool reset;
                len = codes ? ParseColorCode(piece, i, &code, &reset) : 0;
                if (len)
                    i += len;
                else
                {
                    i++;
                    seen++;
                }
            }
            length = (int)i;
            charsLeft -= seen;
        }
        int lineWidth =
            g->WriteColoredString(piece, x, baseline, width, justification, false, 0, -1, rgb);
        if (draw)
        {
            // Justify by the whole line, so a line typed out does not wander.
            int lineX = JustifyX(x, width, lineWidth, justification);
            g->WriteColoredString(piece, lineX, baseline, lineWidth, -1, true, 0, length, rgb);
        }
        if (lineWidth > maxWidth)
            maxWidth = lineWidth;
        if (outLastWidth)
            *outLastWidth = lineWidth;
        rgb = ColorAfter(piece, codes, rgb);
        baseline += lineSpacing;
    }
    if (outMaxWidth)
        *outMaxWidth = maxWidth;
    if (lines.empty())
        return 0;
    return font->GetHeight() + ((int)lines.size() - 1) * lineSpacing;
}

int Graphics::WriteWordWrapped(const Rect& rect, const std::wstring& text, int lineSpacing,
                               int justification, int* outMaxWidth, int maxChars, int* outLastWidth)
{
    int ascent = mFont ? mFont->GetAscent() : 0;
    return WrapBlock(this, text, rect.mX, rect.mY + ascent, rect.mWidth, lineSpacing, justification,
                     true, outMaxWidth, maxChars, outLastWidth);
}

int Graphics::GetWordWrappedHeight(int width, const std::wstring& text, int lineSpacing,
                                   int* outMaxWidth)
{
    return WrapBlock(this, text, 0, 0, width, lineSpacing, -1, false, outMaxWidth, -1, nullptr);
}

int Graphics::WriteWordWrappedAt(const std::wstring& text, int x, int y, int width, int lineSpacing,
                                 int justification)
{
    return WrapBlock(this, text, x, y, width, lineSpacing, justification, true, nullptr, -1,
                     nullptr);
}

} // namespace Lumo
