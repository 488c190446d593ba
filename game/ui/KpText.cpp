#include "game/ui/KpText.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpTextVars.h"
#include "game/engine/KpTextureManager.h"
#include "game/ui/KpLayout.h"

KpText::KpText() {}

std::wstring KpText::ExpandTextVars(const std::wstring& text)
{
    size_t open = text.find(L'{');
    if (open == std::wstring::npos)
        return text;
    std::wstring out;
    size_t from = 0;
    while (open != std::wstring::npos)
    {
        size_t close = text.find(L'}', open + 1);
        if (close == std::wstring::npos)
            break;
        std::wstring name = text.substr(open + 1, close - open - 1);
        bool plain = !name.empty();
        for (wchar_t c : name)
            if (!(iswalnum(c) || c == L'_'))
                plain = false;
        out += text.substr(from, open - from);
        if (plain)
        {
            std::string narrow(name.begin(), name.end());
            out += GetTextVars()->Get(narrow);
        }
        else
            out += text.substr(open, close - open + 1);
        from = close + 1;
        open = text.find(L'{', from);
    }
    out += text.substr(from);
    return out;
}

void KpText::SetText(const std::wstring& text)
{
    if (text == mRawText)
        return;
    // The variables are read on the main thread, when the text is next shown.
    mRawText = text;
    mVarsChange = ~0u;
    SetDirty();
}

const std::wstring& KpText::GetShownText()
{
    RefreshShownText();
    return mShownText;
}

void KpText::RefreshShownText()
{
    if (!mExpandVars)
    {
        mShownText = mRawText;
        return;
    }
    unsigned change = GetTextVars()->GetChangeCount();
    if (change == mVarsChange)
        return;
    mVarsChange = change;
    std::wstring shown = ExpandTextVars(mRawText);
    if (shown != mShownText)
    {
        mShownText = shown;
        SetDirty();
    }
}

void KpText::SetImage(const KpImageHandle& handle)
{
    SetStateImage(0, handle, Lumo::Rect());
    SetStateImage(1, handle, Lumo::Rect());
}

void KpText::SetFont(Lumo::Font* font)
{
    mStyle.font = font;
    SetDirty();
}

void KpText::SetTextColor(const Lumo::Color& color)
{
    mStyle.color = color;
    SetDirty();
}

void KpText::SetTextRect(const Lumo::Rect& rect)
{
    mTextRect = rect;
    SetDirty();
}

Lumo::Rect KpText::GetTextRect() const
{
    return mTextRect.mWidth > 0 ? mTextRect : Lumo::Rect(0, 0, mWidth, mHeight);
}

void KpText::ReadXml(IXMLDOMNode* element)
{
    KpCandyWidget::ReadXml(element);
    using namespace KpLayout;
    mStyle.ReadXml(this, element);
    ReadColor(this, element, "disabledcolor", mDisabledColor);
    ReadRect(this, element, "textrect", mTextRect);
    std::wstring text;
    std::string id;
    if (ReadString(element, "loc", id))
        SetText(GetEngineLocTable()->GetText(id));
    else if (ReadWString(element, "text", text))
        SetText(text);
}

void KpText::UnlockImages()
{
    KpCandyWidget::UnlockImages();
    mCache.Clear();
}

void KpText::Update()
{
    KpCandyWidget::Update();
    if (mVisible)
        RefreshShownText();
}

void KpText::DrawLabel(Lumo::Graphics* g, int dx, int dy)
{
    RefreshShownText();
    Lumo::Rect box = GetTextRect();
    KpTextStyle style = mStyle;
    int alpha = 255;
    if (mDisabled)
    {
        if (mDisabledColor.mAlpha > 0)
            style.color = mDisabledColor;
        else
            alpha = 140;
    }
    Lumo::MemoryImage* picture = mCache.Get(mShownText, style, box.mWidth, box.mHeight);
    if (!picture)
        return;
    g->PushState();
    if (alpha < 255)
    {
        g->SetTintImages(true);
        g->SetColor(255, 255, 255, alpha);
    }
    g->DrawImage(picture, box.mX + dx, box.mY + dy);
    g->PopState();
}

void KpText::Draw(Lumo::Graphics* g)
{
    KpCandyWidget::Draw(g);
    DrawLabel(g, 0, 0);
}
