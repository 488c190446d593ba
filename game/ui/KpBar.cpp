#include "game/ui/KpBar.h"

#include "framework/graphics/Graphics.h"
#include "game/ui/KpLayout.h"

void KpBar::SetValue(float value)
{
    value = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
    if (value == mValue)
        return;
    mValue = value;
    SetDirty();
}

void KpBar::ReadXml(IXMLDOMNode* element)
{
    KpCandyWidget::ReadXml(element);
    using namespace KpLayout;
    ReadBool(this, element, "vertical", mVertical);
    ReadColor(this, element, "fillcolor", mFillColor);
    float value = mValue;
    if (ReadFloat(this, element, "value", value))
        SetValue(value);
}

void KpBar::Draw(Lumo::Graphics* g)
{
    const int alpha = mDisabled ? 140 : 255;
    DrawStateImages(g, 0, alpha);
    int filled = (int)((mVertical ? mHeight : mWidth) * mValue + 0.5f);
    if (filled <= 0)
        return;
    g->PushState();
    Lumo::Rect cut = mVertical ? Lumo::Rect(0, mHeight - filled, mWidth, filled)
                               : Lumo::Rect(0, 0, filled, mHeight);
    g->IntersectClipRect(cut);
    if (IsImageSetEmpty(1))
    {
        Lumo::Color fill = mFillColor;
        fill.mAlpha = fill.mAlpha * alpha / 255;
        g->SetColor(fill);
        g->FillRect(cut);
    }
    else
        DrawStateImages(g, 1, alpha);
    g->PopState();
}
