#include "framework/resources/Font.h"

namespace Lumo
{

Font::Font() : mAscent(0), mAscentPadding(0), mHeight(0), mLineSpacingOffset(0) {}

Font::Font(const Font& other)
    : mAscent(other.mAscent), mAscentPadding(other.mAscentPadding), mHeight(other.mHeight),
      mLineSpacingOffset(other.mLineSpacingOffset)
{
}

Font::~Font() {}

int Font::GetAscent()
{
    return mAscent;
}

int Font::GetAscentPadding()
{
    return mAscentPadding;
}

int Font::GetHeight()
{
    return mHeight;
}

int Font::GetLineSpacing()
{
    return mHeight + mLineSpacingOffset;
}

int Font::StringWidth(const std::wstring& text)
{
    return 0;
}

Font* Font::Duplicate()
{
    return new Font(*this);
}

void Font::DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                      const Rect& clip)
{
}

} // namespace Lumo
