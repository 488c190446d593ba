#include "TestFont.h"

#include "framework/graphics/Graphics.h"

TestFont::TestFont()
{
    mAscent = kAscent;
    mAscentPadding = 1;
    mHeight = kAscent + kDescent;
    mLineSpacingOffset = kLineSpacing - mHeight;
}

int TestFont::StringWidth(const std::wstring& text)
{
    return (int)text.size() * kAdvance;
}

Lumo::Font* TestFont::Duplicate()
{
    return new TestFont(*this);
}

void TestFont::DrawString(Lumo::Graphics* g, int x, int y, const std::wstring& text,
                          const Lumo::Color& color, const Lumo::Rect& clip)
{
    if (text.empty())
        return;
    mDraws.push_back({x, y, text, color});
    Lumo::Color saved = g->GetColor();
    g->SetColor(color);
    for (size_t i = 0; i < text.size(); i++)
        if (text[i] != L' ')
            g->FillRect(x + (int)i * kAdvance, y - kAscent, kGlyphWidth, kAscent);
    g->SetColor(saved);
}
