// Lumo::Widget: an interactive node of the widget tree. Adds to the container
// the state of an element (visible, disabled, focus, down, over), a colour
// table, hit insets, tab links, every input notification the manager sends,
// and a few text helpers. Framework buttons and dialogs and the whole game
// widget family derive from it, so the virtual slots below keep their order.
#pragma once

#include <string>
#include <vector>

#include "framework/app/Color.h"
#include "framework/widgets/WidgetContainer.h"

namespace Lumo
{

class Image;

// Live Widget objects; constructor +1, destructor -1.
extern int gLiveWidgetCount;
// Colour-code setting lent to the Graphics by the text helpers.
extern bool gWidgetColorCodes;

class Widget : public WidgetContainer
{
public:
    Widget();
    ~Widget() override;

    // --- Virtual operations appended to the container's, in slot order
    virtual void OrderChanged();
    virtual void SetVisible(bool visible);
    // colors[i] = {red, green, blue, alpha}
    virtual void SetColorsRGBA(const int colors[][4], int count);
    // colors[i] = {red, green, blue}; alpha 255
    virtual void SetColorsRGB(const int colors[][3], int count);
    virtual void SetColor(int index, const Color& color);
    virtual Color GetColorOr(int index, const Color& fallback);
    // Opaque black when index lies beyond the table.
    virtual const Color& GetColor(int index);
    virtual void SetDisabled(bool disabled);
    virtual void ShowHoverCursor(bool on);
    virtual void ResizeToRect(const Rect& r);
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    virtual bool WantsFocus();
    virtual void DrawOverlayWithPriority(Graphics* g, int priority);
    virtual void DrawOverlay(Graphics* g);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(wchar_t c);
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(int x, int y);
    // button 0 left, 1 right, 2 middle
    virtual void MouseDown(int x, int y, int button, int clicks);
    // clicks in the manager's click code (above 0 left, below 0 right, 3 middle)
    virtual void MouseDownByClicks(int x, int y, int clicks);
    virtual void MouseUp(int x, int y, int button, int clicks);
    virtual void MouseUpByClicks(int x, int y, int clicks);
    virtual void MouseUpAt(int x, int y);
    virtual void MouseDrag(int x, int y);
    virtual void MouseWheel(int delta);
    virtual bool IsPointVisible(int x, int y);
    // y is the baseline; returns the rectangle the text covers.
    virtual Rect WriteCenteredLineShadowed(Graphics* g, int y, const std::wstring& text,
                                           const Color& color, const Color& shadow, int dx, int dy);
    virtual Rect WriteCenteredLine(Graphics* g, int y, const std::wstring& text);
    virtual int WriteString(Graphics* g, const std::wstring& text, int x, int y, int width,
                            int justification, bool draw, int firstChar, int length);
    virtual int WriteWordWrapped(Graphics* g, const Rect& rect, const std::wstring& text,
                                 int lineSpacing, int justification);
    virtual int GetWordWrappedHeight(Graphics* g, int width, const std::wstring& text,
                                     int lineSpacing);
    // Decimal digits of the number's magnitude; 1 for 0.
    virtual int GetNumDigits(int number);
    // Draws the digits of number from a strip holding 0-9 in ten equal cells.
    virtual void WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* digits,
                                      int spacing);
    // In the parent's coordinates; right and bottom edges are outside.
    virtual bool Contains(int x, int y);
    virtual Rect GetInsetRect();
    // The part of the parent's coordinates that this widget's drawing of
    // `local` (a rectangle in its own coordinates) can reach: cut to the
    // widget when it clips, moved by its position. A widget that draws its
    // children shifted or itself scaled widens it. Repaint requests use it to
    // find the screen area they cover.
    virtual Rect GetAreaInParent(const Rect& local);

    // --- Data
    bool mVisible = true;
    bool mMouseVisible = true; // the widget itself can be hit (children are searched anyway)
    bool mDisabled = false;
    bool mHasFocus = false;
    bool mIsDown = false;            // a mouse button went down on it and is still held
    bool mIsOver = false;            // the pointer is over it
    bool mHasTransparencies = false; // translucent: never stops the backward repaint walk
    std::vector<Color> mColors;
    int mInsetLeft = 0, mInsetTop = 0, mInsetRight = 0, mInsetBottom = 0; // shrink the hit rect
    bool mDoFinger = false;   // switch the application cursor on enter and leave
    bool mWantsFocus = false; // a press on it takes the keyboard focus
    Widget* mTabPrev = nullptr;
    Widget* mTabNext = nullptr;
};

} // namespace Lumo
