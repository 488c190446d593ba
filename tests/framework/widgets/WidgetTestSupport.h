// Shared fakes of the widget tests: a font with fixed metrics that logs what
// it draws, an image that logs the draw calls reaching it, and a probe widget
// that logs its notifications.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/app/Color.h"
#include "framework/app/Rect.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/resources/Font.h"
#include "framework/widgets/Widget.h"

namespace WidgetTest
{

struct DrawnText
{
    std::wstring text;
    int x, y; // destination pixels (translation applied)
    Lumo::Color color;
};

// Ascent 10 (1 of it padding), height 14, line spacing 16, 7 pixels a character.
class TestFont : public Lumo::Font
{
public:
    std::vector<DrawnText>* mLog;
    explicit TestFont(std::vector<DrawnText>* log = nullptr) : mLog(log)
    {
        mAscent = 10;
        mAscentPadding = 1;
        mHeight = 14;
        mLineSpacingOffset = 2;
    }
    int StringWidth(const std::wstring& text) override { return 7 * (int)text.size(); }
    Lumo::Font* Duplicate() override { return new TestFont(*this); }
    void DrawString(Lumo::Graphics* g, int x, int y, const std::wstring& text,
                    const Lumo::Color& color, const Lumo::Rect&) override
    {
        if (mLog != nullptr)
            mLog->push_back({text, x + (int)g->mTransX, y + (int)g->mTransY, color});
    }
};

struct DrawCall
{
    enum Kind
    {
        FILL,
        RECT,
        IMAGE
    } kind;
    Lumo::Rect rect; // destination rectangle (IMAGE: x, y and the source size)
    Lumo::Rect src;  // IMAGE only: source rectangle
    Lumo::Color color;
    Lumo::Image* image;
};

class RecordingImage : public Lumo::Image
{
public:
    std::vector<DrawCall> mCalls;
    RecordingImage(int w = 1024, int h = 768)
    {
        mWidth = w;
        mHeight = h;
    }
    void FillRect(const Lumo::Rect* r, const Lumo::Color* c, int) override
    {
        mCalls.push_back({DrawCall::FILL, *r, Lumo::Rect(), *c, nullptr});
    }
    void DrawRect(const Lumo::Rect* r, const Lumo::Color* c, int) override
    {
        mCalls.push_back({DrawCall::RECT, *r, Lumo::Rect(), *c, nullptr});
    }
    void DrawImage(Lumo::Image* src, int x, int y, const Lumo::Rect* s, const Lumo::Color* c,
                   int) override
    {
        mCalls.push_back({DrawCall::IMAGE, Lumo::Rect(x, y, s->mWidth, s->mHeight), *s, *c, src});
    }
    std::vector<DrawCall> Of(DrawCall::Kind k) const
    {
        std::vector<DrawCall> out;
        for (const DrawCall& c : mCalls)
            if (c.kind == k)
                out.push_back(c);
        return out;
    }
};

// A plain image of a given size that draws nothing.
class SizedImage : public Lumo::Image
{
public:
    SizedImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
};

// Logs every notification as a short text, e.g. "A:down 3,4 b0 c1".
class Probe : public Lumo::Widget
{
public:
    std::string mName;
    std::vector<std::string>* mLog;
    int mUpdates = 0;
    std::function<void(Probe*)> mOnUpdate;

    Probe(const std::string& name, std::vector<std::string>* log, int x, int y, int w, int h)
        : mName(name), mLog(log)
    {
        Resize(x, y, w, h);
        mDirty = false;
    }
    void Add(const std::string& s)
    {
        if (mLog != nullptr)
            mLog->push_back(mName + ":" + s);
    }
    void Update() override
    {
        Lumo::Widget::Update();
        mUpdates++;
        if (mOnUpdate)
            mOnUpdate(this);
    }
    void Draw(Lumo::Graphics* g) override
    {
        g->SetColor(Lumo::Color(1, 2, 3));
        g->FillRect(0, 0, mWidth, mHeight);
    }
    void MouseEnter() override { Add("enter"); }
    void MouseLeave() override { Add("leave"); }
    void MouseDown(int x, int y, int b, int c) override
    {
        Add("down " + std::to_string(x) + "," + std::to_string(y) + " b" + std::to_string(b) +
            " c" + std::to_string(c));
    }
    void MouseUp(int x, int y, int b, int c) override
    {
        Add("up " + std::to_string(x) + "," + std::to_string(y) + " b" + std::to_string(b) + " c" +
            std::to_string(c));
    }
    void MouseDrag(int x, int y) override
    {
        Add("drag " + std::to_string(x) + "," + std::to_string(y));
    }
    void KeyDown(int k) override
    {
        Add("keydown " + std::to_string(k));
        Lumo::Widget::KeyDown(k);
    }
    void KeyUp(int k) override { Add("keyup " + std::to_string(k)); }
    void KeyChar(wchar_t c) override { Add("char " + std::to_string((int)c)); }
    void MouseWheel(int d) override { Add("wheel " + std::to_string(d)); }
    void GotFocus() override
    {
        Lumo::Widget::GotFocus();
        Add("gotfocus");
    }
    void LostFocus() override
    {
        Lumo::Widget::LostFocus();
        Add("lostfocus");
    }
};

// Clears the dirty flags of a whole tree, as a finished draw would.
inline void ClearDirty(Lumo::WidgetContainer* c)
{
    c->mDirty = false;
    for (Lumo::Widget* w : c->mWidgets)
        ClearDirty(w);
}

} // namespace WidgetTest
