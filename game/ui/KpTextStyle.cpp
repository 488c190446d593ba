#include "game/ui/KpTextStyle.h"

#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/Font.h"
#include "game/engine/KpFont.h"
#include "game/ui/KpLayout.h"

namespace
{
// Framework justification: -1 left, 0 centred, 1 right.
int Justification(int align)
{
    return align == kAlignLeft ? -1 : (align == kAlignRight ? 1 : 0);
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;)
    {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? end : end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines.push_back(line);
        if (end == std::wstring::npos)
            return lines;
        start = end + 1;
    }
}
} // namespace

void KpTextStyle::ReadXml(KpCandyWidget* w, IXMLDOMNode* e)
{
    using namespace KpLayout;
    std::string fontName;
    if (ReadString(e, "font", fontName))
    {
        font = KpFont::GetFont(fontName);
        if (!font)
            Warn(w, "no font '" + fontName + "'");
    }
    ReadColor(w, e, "color", color);
    ReadColor(w, e, "outline", outline);
    ReadChoice(w, e, "align", {"left", "center", "right"}, align);
    ReadChoice(w, e, "valign", {"top", "middle", "bottom"}, valign);
    ReadBool(w, e, "wrap", wrap);
    ReadInt(w, e, "linespacing", lineSpacing);
}

int KpTextStyle::MeasureWidth(const std::wstring& text) const
{
    if (!font)
        return 0;
    int widest = 0;
    for (const std::wstring& line : SplitLines(text))
    {
        int width = font->StringWidth(line);
        if (width > widest)
            widest = width;
    }
    return widest;
}

void KpTextStyle::Draw(Lumo::Graphics* g, const Lumo::Rect& box, const std::wstring& text,
                       const Lumo::Color& c) const
{
    if (!font || text.empty() || box.mWidth <= 0 || box.mHeight <= 0)
        return;
    g->PushState();
    g->SetFont(font);
    g->SetColorCodes(false);
    const int spacing = lineSpacing >= 0 ? lineSpacing : font->GetLineSpacing();
    std::vector<std::wstring> lines = SplitLines(text);
    int height = wrap ? g->GetWordWrappedHeight(box.mWidth, text, spacing)
                      : font->GetHeight() + ((int)lines.size() - 1) * spacing;
    int top = box.mY;
    if (valign == kAlignCenter)
        top += (box.mHeight - height) / 2;
    else if (valign == kAlignRight)
        top += box.mHeight - height;
    const int justification = Justification(align);

    auto write = [&](int dx, int dy, const Lumo::Color& color)
    {
        g->SetColor(color);
        if (wrap)
        {
            g->WriteWordWrappedAt(text, box.mX + dx, top + dy + font->GetAscent(), box.mWidth,
                                  spacing, justification);
            return;
        }
        int baseline = top + dy + font->GetAscent();
        for (const std::wstring& line : lines)
        {
            g->WriteColoredString(line, box.mX + dx, baseline, box.mWidth, justification);
            baseline += spacing;
        }
    };
    if (outline.mAlpha > 0)
    {
        static const int kRing[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                        {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
        for (const auto& d : kRing)
            write(d[0], d[1], outline);
    }
    write(0, 0, c);
    g->PopState();
}

bool KpTextStyle::operator==(const KpTextStyle& o) const
{
    return font == o.font && color == o.color && outline == o.outline && align == o.align &&
           valign == o.valign && wrap == o.wrap && lineSpacing == o.lineSpacing;
}

KpTextCache::~KpTextCache()
{
    delete mImage;
}

void KpTextCache::Clear()
{
    delete mImage;
    mImage = nullptr;
    mText.clear();
}

Lumo::MemoryImage* KpTextCache::Get(const std::wstring& text, const KpTextStyle& style, int width,
                                    int height)
{
    if (text.empty() || width <= 0 || height <= 0 || !style.font)
    {
        Clear();
        return nullptr;
    }
    if (mImage && mImage->mWidth == width && mImage->mHeight == height && mText == text &&
        mStyle == style)
        return mImage;
    if (!mImage || mImage->mWidth != width || mImage->mHeight != height)
    {
        delete mImage;
        mImage = new Lumo::MemoryImage();
        mImage->Create(width, height);
    }
    else
    {
        Lumo::Rect all(0, 0, width, height);
        mImage->ClearRect(&all);
    }
    mText = text;
    mStyle = style;
    Lumo::Graphics g(mImage);
    style.Draw(&g, Lumo::Rect(0, 0, width, height), text, style.color);
    return mImage;
}
