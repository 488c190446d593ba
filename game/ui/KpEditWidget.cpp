#include "game/ui/KpEditWidget.h"

#include "framework/graphics/Graphics.h"
#include "framework/resources/Font.h"
#include "game/scene/KpFrameClock.h"
#include "game/ui/KpLayout.h"

namespace
{
const int kCaretBlinkMs = 500;

bool IsHigh(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}
} // namespace

KpEditWidget::KpEditWidget()
{
    mMouseVisible = true;
    mWantsFocus = true;
    mExpandVars = false;
    mStyle.align = kAlignLeft;
}

int KpEditWidget::CountCharacters(const std::wstring& text)
{
    int count = 0;
    for (size_t i = 0; i < text.size(); i++)
    {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]))
            i++;
        count++;
    }
    return count;
}

std::wstring KpEditWidget::CutToCharacters(const std::wstring& text, int characters)
{
    size_t i = 0;
    for (int count = 0; i < text.size() && count < characters; count++)
        i += IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]) ? 2 : 1;
    return text.substr(0, i);
}

void KpEditWidget::SetText(const std::wstring& text)
{
    KpText::SetText(mMaxLength > 0 ? CutToCharacters(text, mMaxLength) : text);
}

void KpEditWidget::SetMaxLength(int characters)
{
    mMaxLength = characters > 0 ? characters : 0;
    SetText(GetText());
}

void KpEditWidget::ReadXml(IXMLDOMNode* element)
{
    KpText::ReadXml(element);
    int length = mMaxLength;
    if (KpLayout::ReadInt(this, element, "maxlength", length))
        SetMaxLength(length);
    KpLayout::ReadColor(this, element, "caretcolor", mCaretColor);
}

void KpEditWidget::KeyChar(wchar_t c)
{
    if (mDisabled || c < 32 || c == 127)
        return;
    std::wstring text = GetText();
    if (IsLow(c))
    {
        // Only the second half of a pair whose first half was taken.
        if (text.empty() || !IsHigh(text.back()))
            return;
        text += c;
    }
    else
    {
        // An unpaired first half waiting at the end is a character of its own.
        if (!text.empty() && IsHigh(text.back()))
            text.pop_back();
        if (mMaxLength > 0 && CountCharacters(text) >= mMaxLength)
            return;
        text += c;
    }
    KpText::SetText(text);
    mCaretOn = true;
    mCaretTimeMs = 0;
}

void KpEditWidget::KeyDown(int key)
{
    if (key == 13 || key == 27 || key == 9)
    {
        KpText::KeyDown(key);
        return;
    }
    if (key != 8 || mDisabled)
        return;
    std::wstring text = GetText();
    if (text.empty())
        return;
    size_t cut = text.size() - 1;
    if (cut > 0 && IsLow(text[cut]) && IsHigh(text[cut - 1]))
        cut--;
    KpText::SetText(text.substr(0, cut));
    mCaretOn = true;
    mCaretTimeMs = 0;
}

void KpEditWidget::GotFocus()
{
    KpText::GotFocus();
    mCaretOn = true;
    mCaretTimeMs = 0;
    SetDirty();
}

void KpEditWidget::LostFocus()
{
    KpText::LostFocus();
    SetDirty();
}

void KpEditWidget::Update()
{
    KpText::Update();
    if (!mHasFocus || !mVisible)
        return;
    mCaretTimeMs += KpFrameTimeMs();
    if (mCaretTimeMs >= kCaretBlinkMs)
    {
        mCaretTimeMs = 0;
        mCaretOn = !mCaretOn;
        // Only the caret blinks: the text around it stays as it is.
        SetDirtyArea(GetCaretRect());
    }
}

Lumo::Rect KpEditWidget::GetCaretRect()
{
    if (!mStyle.font)
        return Lumo::Rect();
    Lumo::Rect box = GetTextRect();
    int width = mStyle.MeasureWidth(GetText());
    int x = box.mX;
    if (mStyle.align == kAlignCenter)
        x += (box.mWidth + width) / 2;
    else if (mStyle.align == kAlignRight)
        x += box.mWidth;
    else
        x += width;
    int height = mStyle.font->GetHeight();
    int y = box.mY + (box.mHeight - height) / 2;
    return Lumo::Rect(x + 1, y, 2, height);
}

void KpEditWidget::Draw(Lumo::Graphics* g)
{
    KpText::Draw(g);
    if (!IsCaretShown() || !mStyle.font)
        return;
    g->SetColor(mCaretColor);
    g->FillRect(GetCaretRect());
}
