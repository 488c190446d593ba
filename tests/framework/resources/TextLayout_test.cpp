#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/TextLayout.h"

#include "tests/support/TestFont.h"

#include <gtest/gtest.h>

using namespace Lumo;

namespace
{

// Six pixels per character, codes and all stripped first.
int Measure(const std::wstring& s)
{
    return (int)StripColorCodes(s).size() * 6;
}

std::vector<std::wstring> Wrap(const std::wstring& text, int width, bool codes = true)
{
    std::vector<std::wstring> out;
    for (const WrappedLine& l : WrapText(text, width, codes, Measure))
        out.push_back(text.substr(l.start, l.end - l.start));
    return out;
}

} // namespace

TEST(TextLayout, ColorCodesParseAndOthersStayText)
{
    int rgb = 0;
    bool reset = true;
    EXPECT_EQ(ParseColorCode(L"x^FF8000^y", 1, &rgb, &reset), 8);
    EXPECT_EQ(rgb, 0xFF8000);
    EXPECT_FALSE(reset);
    EXPECT_EQ(ParseColorCode(L"^OldClr^", 0, &rgb, &reset), 8);
    EXPECT_TRUE(reset);
    EXPECT_EQ(ParseColorCode(L"^FF80G0^", 0, &rgb, &reset), 0);
    EXPECT_EQ(ParseColorCode(L"^FF800^", 0, &rgb, &reset), 0);
    EXPECT_EQ(ParseColorCode(L"^FF8000", 0, &rgb, &reset), 0);
    EXPECT_EQ(StripColorCodes(L"a^00FF00^b^oldclr^c^d"), L"abc^d");
}

TEST(TextLayout, RunsFollowCodesAndStartColour)
{
    std::vector<ColoredRun> runs = SplitColoredRuns(L"ab^FF0000^cd^oldclr^e", true, 0x123456);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, L"ab");
    EXPECT_EQ(runs[0].rgb, 0x123456);
    EXPECT_EQ(runs[1].text, L"cd");
    EXPECT_EQ(runs[1].rgb, 0xFF0000);
    EXPECT_EQ(runs[2].text, L"e");
    EXPECT_EQ(runs[2].rgb, 0x123456);

    // Starting inside the string: an earlier code still sets the colour.
    runs = SplitColoredRuns(L"ab^FF0000^cd", true, 0, 11, -1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, L"d");
    EXPECT_EQ(runs[0].rgb, 0xFF0000);

    // Codes switched off: the code is plain text.
    runs = SplitColoredRuns(L"a^FF0000^b", false, 7);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, L"a^FF0000^b");
    EXPECT_EQ(ColorAfter(L"a^FF0000^b^00FF00^", true, 1), 0x00FF00);
}

TEST(TextLayout, WrapsAtBlanksAndLineFeeds)
{
    // 30 pixels hold five characters.
    EXPECT_EQ(Wrap(L"one two three", 30), (std::vector<std::wstring>{L"one", L"two", L"three"}));
    EXPECT_EQ(Wrap(L"ab cd ef", 30), (std::vector<std::wstring>{L"ab cd", L"ef"}));
    EXPECT_EQ(Wrap(L"a\nb\n\nc", 100), (std::vector<std::wstring>{L"a", L"b", L"", L"c"}));
    EXPECT_EQ(Wrap(L"a\r\nb", 100), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(Wrap(L"", 100).size(), 0u);
    // Blanks at a wrap vanish; leading blanks of the text stay.
    EXPECT_EQ(Wrap(L"abc    def", 30), (std::vector<std::wstring>{L"abc", L"def"}));
    EXPECT_EQ(Wrap(L"  ab", 30), (std::vector<std::wstring>{L"  ab"}));
    // A word longer than the width is cut between characters.
    EXPECT_EQ(Wrap(L"abcdefgh ij", 30), (std::vector<std::wstring>{L"abcde", L"fgh", L"ij"}));
    // Nothing fits at all: one character per line, never an endless loop.
    EXPECT_EQ(Wrap(L"abc", 0), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(Wrap(L"abc\nd", 0), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
}

TEST(TextLayout, ColourCodesTakeNoWidthWhenWrapping)
{
    EXPECT_EQ(Wrap(L"^FF0000^abcde ^00FF00^fg", 30),
              (std::vector<std::wstring>{L"^FF0000^abcde", L"^00FF00^fg"}));
    EXPECT_EQ(Wrap(L"^FF0000^abcde", 30, false).size(), 3u);
}

TEST(TextLayout, Justification)
{
    EXPECT_EQ(JustifyX(10, 100, 40, 0), 40);
    EXPECT_EQ(JustifyX(10, 100, 40, 1), 70);
    EXPECT_EQ(JustifyX(10, 100, 40, -1), 10);
    EXPECT_EQ(JustifyX(10, 100, 41, 0), 39);
}

// --- Through the drawing context, with the fixed-metric test font

class GraphicsTextTest : public ::testing::Test
{
protected:
    GraphicsTextTest() : image(nullptr)
    {
        image.Create(200, 100);
        g = new Graphics(&image);
        g->SetFont(&font);
        g->SetColor(Color(10, 20, 30, 200));
    }
    ~GraphicsTextTest() override { delete g; }

    MemoryImage image;
    TestFont font;
    Graphics* g;
};

TEST_F(GraphicsTextTest, ColoredStringDrawsRunsAndRestoresColour)
{
    int w = g->WriteColoredString(L"ab^FF0000^cd^oldclr^e", 10, 50, 0, -1);
    EXPECT_EQ(w, 30);
    ASSERT_EQ(font.mDraws.size(), 3u);
    EXPECT_EQ(font.mDraws[0].x, 10);
    EXPECT_EQ(font.mDraws[0].y, 50);
    EXPECT_EQ(font.mDraws[0].color, Color(10, 20, 30, 200));
    EXPECT_EQ(font.mDraws[1].x, 22);
    EXPECT_EQ(font.mDraws[1].text, L"cd");
    EXPECT_EQ(font.mDraws[1].color, Color(255, 0, 0, 200)); // the context's alpha stays
    EXPECT_EQ(font.mDraws[2].x, 34);
    EXPECT_EQ(font.mDraws[2].color, Color(10, 20, 30, 200));
    EXPECT_EQ(g->GetColor(), Color(10, 20, 30, 200));

    // Codes off: drawn as text, in one piece.
    font.mDraws.clear();
    g->SetColorCodes(false);
    EXPECT_EQ(g->WriteColoredString(L"a^FF0000^", 0, 0, 0, -1), 54);
    ASSERT_EQ(font.mDraws.size(), 1u);
}

TEST_F(GraphicsTextTest, ColoredStringJustifiesSubstringsAndMeasuresWithoutDrawing)
{
    EXPECT_EQ(g->WriteColoredString(L"abcd", 0, 0, 100, 0, false), 24);
    EXPECT_TRUE(font.mDraws.empty());
    g->WriteColoredString(L"abcd", 0, 0, 100, 0);
    EXPECT_EQ(font.mDraws.back().x, 38);
    g->WriteColoredString(L"abcd", 0, 0, 100, 1);
    EXPECT_EQ(font.mDraws.back().x, 76);
    EXPECT_EQ(g->WriteColoredString(L"abcdef", 0, 0, 0, -1, true, 2, 3), 18);
    EXPECT_EQ(font.mDraws.back().text, L"cde");
    // An explicit start colour replaces the context's RGB.
    g->WriteColoredString(L"x", 0, 0, 0, -1, true, 0, -1, 0x0000FF);
    EXPECT_EQ(font.mDraws.back().color, Color(0, 0, 255, 200));
    Graphics none(&image);
    EXPECT_EQ(none.WriteColoredString(L"abc", 0, 0, 0, -1), 0); // no font: nothing
}

TEST_F(GraphicsTextTest, WordWrappedPlacesLinesAndReportsHeight)
{
    // 36 pixels hold six characters.
    int h = g->WriteWordWrapped(Rect(5, 20, 36, 0), L"ab ^00FF00^cd efghij", -1, -1);
    ASSERT_EQ(font.mDraws.size(), 3u);
    EXPECT_EQ(font.mDraws[0].text, L"ab ");
    EXPECT_EQ(font.mDraws[0].y, 28); // top + ascent
    EXPECT_EQ(font.mDraws[1].text, L"cd");
    EXPECT_EQ(font.mDraws[1].x, 23);
    EXPECT_EQ(font.mDraws[1].color, Color(0, 255, 0, 200));
    // The colour carries over to the next line.
    EXPECT_EQ(font.mDraws[2].text, L"efghij");
    EXPECT_EQ(font.mDraws[2].y, 40);
    EXPECT_EQ(font.mDraws[2].color, Color(0, 255, 0, 200));
    EXPECT_EQ(h, 10 + 12);
    EXPECT_EQ(g->GetWordWrappedHeight(36, L"ab cd efghij", -1), h);
    EXPECT_EQ(g->GetWordWrappedHeight(36, L"ab cd efghij", 20), 10 + 20);
    EXPECT_EQ(g->GetWordWrappedHeight(36, L"", -1), 0);

    int maxWidth = 0;
    g->GetWordWrappedHeight(100, L"abc\nabcdefg\nab", -1, &maxWidth);
    EXPECT_EQ(maxWidth, 42);
}

TEST_F(GraphicsTextTest, WordWrappedJustifiesEachLineAndLimitsCharacters)
{
    g->WriteWordWrappedAt(L"abcd\nab", 0, 30, 60, 15, 0);
    ASSERT_EQ(font.mDraws.size(), 2u);
    EXPECT_EQ(font.mDraws[0].x, 18);
    EXPECT_EQ(font.mDraws[0].y, 30);
    EXPECT_EQ(font.mDraws[1].x, 24);
    EXPECT_EQ(font.mDraws[1].y, 45);

    font.mDraws.clear();
    g->WriteWordWrapped(Rect(0, 0, 60, 0), L"abcd\nab", -1, 1);
    EXPECT_EQ(font.mDraws[0].x, 36);
    EXPECT_EQ(font.mDraws[1].x, 48);

    // Only the first five characters appear, placed as in the whole text.
    font.mDraws.clear();
    int last = 0;
    g->WriteWordWrapped(Rect(0, 0, 60, 0), L"abcd\nabcd", -1, 0, nullptr, 5, &last);
    ASSERT_EQ(font.mDraws.size(), 2u);
    EXPECT_EQ(font.mDraws[1].text, L"a");
    EXPECT_EQ(font.mDraws[1].x, 18);
    EXPECT_EQ(last, 24);
}

TEST_F(GraphicsTextTest, WrappedColouredTextLandsOnTheImage)
{
    g->SetColor(Color(0, 0, 255, 255));
    g->Translate(3, 2);
    // Two lines in a 24-pixel box: "ab" blue then "cd" red.
    g->WriteWordWrapped(Rect(10, 10, 24, 0), L"ab ^FF0000^cd", -1, -1);
    uint32_t* px = image.GetPixels();
    auto at = [&](int x, int y) { return px[y * 200 + x]; };
    // Glyph boxes: 5 wide, from baseline - 8 to baseline - 1; first baseline 10 + 8 (+2).
    EXPECT_EQ(at(13, 12), 0xFF0000FFu); // "a", top-left corner
    EXPECT_EQ(at(17, 19), 0xFF0000FFu); // "a", bottom-right corner
    EXPECT_EQ(at(18, 15) >> 24, 0u);    // the gap between glyphs
    EXPECT_EQ(at(19, 15), 0xFF0000FFu); // "b"
    EXPECT_EQ(at(13, 24), 0xFFFF0000u); // "c" on the second line, 12 pixels lower
    EXPECT_EQ(at(13, 23) >> 24, 0u);
    EXPECT_EQ(at(23, 31), 0xFFFF0000u); // "d", bottom-right corner
    EXPECT_EQ(at(13, 20) >> 24, 0u);    // nothing below the first baseline
}
