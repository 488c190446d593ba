#include "framework/widgets/Widget.h"

#include <cstdint>
#include <cstdlib>

#include "framework/app/AppHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/Font.h"
#include "framework/widgets/WidgetManager.h"

namespace Lumo
{

int gLiveWidgetCount = 0;
bool gWidgetColorCodes = true;

namespace
{
const Color gWidgetNoColor(0, 0, 0, 255); // GetColor beyond the table
}

Widget::Widget()
{
    gLiveWidgetCount++;
}

Widget::~Widget()
{
    gLiveWidgetCount--;
}

void Widget::OrderChanged() {}

void Widget::SetVisible(bool visible)
{
    if (mVisible == visible)
        return;
    mVisible = visible;
    if (visible)
    {
        // A hidden widget is never drawn, so its dirty flag may still be set
        // from before; clear it or the repaint request would stop at once and
        // neither its parent nor the widgets in front would be redrawn.
        mDirty = false;
        SetDirty();
    }
    else
        SetDirtyOverlaps();
    if (mManager != nullptr)
        mManager->RefreshMouseOver();
}

void Widget::SetColorsRGBA(const int colors[][4], int count)
{
    mColors.clear();
    for (int i = 0; i < count; i++)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], colors[i][3]));
    SetDirty();
}

void Widget::SetColorsRGB(const int colors[][3], int count)
{
    mColors.clear();
    for (int i = 0; i < count; i++)
        SetColor(i, Color(colors[i][0], colors[i][1], colors[i][2], 255));
    SetDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    if ((size_t)index >= mColors.size())
        mColors.resize(index + 1, Color(0, 0, 0, 255));
    mColors[index] = color;
    SetDirty();
}

Color Widget::GetColorOr(int index, const Color& fallback)
{
    if (index < 0 || (size_t)index >= mColors.size())
        return fallback;
    return mColors[index];
}

const Color& Widget::GetColor(int index)
{
    if (index < 0 || (size_t)index >= mColors.size())
        return gWidgetNoColor;
    return mColors[index];
}

void Widget::SetDisabled(bool disabled)
{
    if (mDisabled == disabled)
        return;
    mDisabled = disabled;
    if (disabled && mManager != nullptr)
        mManager->DropWidgetReferences(this);
    SetDirty();
    if (!disabled && mManager != nullptr && Contains(mManager->mLastMouseX, mManager->mLastMouseY))
        mManager->MouseMove(mManager->mLastMouseX, mManager->mLastMouseY);
}

void Widget::ShowHoverCursor(bool on)
{
    if (mManager != nullptr && mManager->mApp != nullptr)
        mManager->mApp->SetCursor(on ? CURSOR_HAND : CURSOR_POINTER);
}

void Widget::ResizeToRect(const Rect& r)
{
    Resize(r.mX, r.mY, r.mWidth, r.mHeight);
}

void Widget::Resize(int x, int y, int width, int height)
{
    if (mX == x && mY == y && mWidth == width && mHeight == height)
        return;
    SetDirtyOverlaps();
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    SetDirty();
    if (mManager != nullptr)
        mManager->RefreshMouseOver();
}

void Widget::Move(int x, int y)
{
    Resize(x, y, mWidth, mHeight);
}

bool Widget::WantsFocus()
{
    return mWantsFocus;
}

void Widget::DrawOverlayWithPriority(Graphics* g, int)
{
    DrawOverlay(g);
}
void Widget::DrawOverlay(Graphics*) {}

void Widget::GotFocus()
{
    mHasFocus = true;
}
void Widget::LostFocus()
{
    mHasFocus = false;
}

void Widget::KeyChar(wchar_t) {}

void Widget::KeyDown(int key)
{
    if (key != 9 || mManager == nullptr)
        return;
    if (mManager->IsKeyDown(16))
    {
        if (mTabPrev != nullptr)
            mManager->SetFocus(mTabPrev);
    }
    else if (mTabNext != nullptr)
        mManager->SetFocus(mTabNext);
}

void Widget::KeyUp(int) {}
void Widget::MouseEnter() {}
void Widget::MouseLeave() {}
void Widget::MouseMove(int, int) {}
void Widget::MouseDown(int, int, int, int) {}

void Widget::MouseDownByClicks(int x, int y, int clicks)
{
    if (clicks == 3)
        MouseDown(x, y, 2, 1);
    else if (clicks < 0)
        MouseDown(x, y, 1, -clicks);
    else
        MouseDown(x, y, 0, clicks);
}

void Widget::MouseUp(int, int, int, int) {}

void Widget::MouseUpByClicks(int x, int y, int clicks)
{
    MouseUpAt(x, y);
    if (clicks == 3)
        MouseUp(x, y, 2, 1);
    else if (clicks < 0)
        MouseUp(x, y, 1, -clicks);
    else
        MouseUp(x, y, 0, clicks);
}

void Widget::MouseUpAt(int, int) {}
void Widget::MouseDrag(int, int) {}
void Widget::MouseWheel(int) {}
bool Widget::IsPointVisible(int, int)
{
    return true;
}

// ============================================================================
// Text helpers
// ============================================================================

Rect Widget::WriteCenteredLineShadowed(Graphics* g, int y, const std::wstring& text,
                                       const Color& color, const Color& shadow, int dx, int dy)
{
    Font* font = g->GetFont();
    if (font == nullptr)
        return Rect();
    int tw = font->StringWidth(text);
    int x = (mWidth - tw) / 2;
    g->SetColor(shadow);
    g->DrawString(text, x + dx, y + dy);
    g->SetColor(color);
    g->DrawString(text, x, y);
    return Rect(x + (dx < 0 ? dx : 0), y + (dy < 0 ? dy : 0) - font->GetAscent(), tw + std::abs(dx),
                font->GetHeight() + std::abs(dy));
}

Rect Widget::WriteCenteredLine(Graphics* g, int y, const std::wstring& text)
{
    Font* font = g->GetFont();
    if (font == nullptr)
        return Rect();
    int tw = font->StringWidth(text);
    int x = (mWidth - tw) / 2;
    g->DrawString(text, x, y);
    return Rect(x, y - font->GetAscent(), tw, font->GetHeight());
}

int Widget::WriteString(Graphics* g, const std::wstring& text, int x, int y, int width,
                        int justification, bool draw, int firstChar, int length)
{
    bool saved = g->mColorCodes;
    g->SetColorCodes(gWidgetColorCodes);
    int w = g->WriteColoredString(text, x, y, width, justification, draw, firstChar, length, -1);
    g->SetColorCodes(saved);
    return w;
}

int Widget::WriteWordWrapped(Graphics* g, const Rect& rect, const std::wstring& text,
                             int lineSpacing, int justification)
{
    bool saved = g->mColorCodes;
    g->SetColorCodes(gWidgetColorCodes);
    int h = g->WriteWordWrapped(rect, text, lineSpacing, justification, nullptr, -1, nullptr);
    g->SetColorCodes(saved);
    return h;
}

int Widget::GetWordWrappedHeight(Graphics* g, int width, const std::wstring& text, int lineSpacing)
{
    return g->GetWordWrappedHeight(width, text, lineSpacing, nullptr);
}

int Widget::GetNumDigits(int number)
{
    // Counted on the magnitude in 64 bits so INT_MIN has one.
    int64_t n = number < 0 ? -(int64_t)number : (int64_t)number;
    int digits = 1;
    while (n >= 10)
    {
        n /= 10;
        digits++;
    }
    return digits;
}

void Widget::WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* digits, int spacing)
{
    if (g == nullptr || digits == nullptr)
        return;
    int cellWidth = digits->GetWidth() / 10;
    // The strip has no sign cell: a negative number shows its magnitude. The
    // divisor runs in 64 bits, 10^10 does not fit in an int.
    int64_t n = number < 0 ? -(int64_t)number : (int64_t)number;
    int64_t divisor = 1;
    for (int i = GetNumDigits(number); i > 0; i--)
        divisor *= 10;
    int offset = 0;
    while (divisor > 1)
    {
        divisor /= 10;
        int digit = (int)((n / divisor) % 10);
        Graphics* copy = g->Clone();
        copy->IntersectClipRect(x + offset, y, cellWidth, digits->GetHeight());
        copy->DrawImage(digits, x + offset - digit * cellWidth, y);
        delete copy;
        offset += cellWidth + spacing;
    }
}

bool Widget::Contains(int x, int y)
{
    return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight;
}

Rect Widget::GetAreaInParent(const Rect& local)
{
    Rect area = local;
    if (mClip)
        area = area.Intersection(Rect(0, 0, mWidth, mHeight));
    area.mX += mX;
    area.mY += mY;
    return area;
}

Rect Widget::GetInsetRect()
{
    return Rect(mX + mInsetLeft, mY + mInsetTop, mWidth - mInsetLeft - mInsetRight,
                mHeight - mInsetTop - mInsetBottom);
}

} // namespace Lumo
