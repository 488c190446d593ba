#include "game/ui/KpSlider.h"

#include <cmath>

#include "framework/graphics/Graphics.h"
#include "game/scene/KpTexture.h"
#include "game/ui/KpLayout.h"

KpSlider::KpSlider()
{
    mMouseVisible = true;
    mDoFinger = true;
}

void KpSlider::SetMaxValue(int maxValue)
{
    mMax = maxValue > 0 ? maxValue : 0;
    SetValue(mValue);
    SetDirty();
}

void KpSlider::SetValue(int value)
{
    value = value < 0 ? 0 : (value > mMax ? mMax : value);
    if (value == mValue)
        return;
    mValue = value;
    SetDirty();
}

void KpSlider::ReadXml(IXMLDOMNode* element)
{
    KpCandyWidget::ReadXml(element);
    using namespace KpLayout;
    ReadBool(this, element, "vertical", mVertical);
    int max = mMax, value = mValue;
    if (ReadInt(this, element, "max", max))
        SetMaxValue(max);
    if (ReadInt(this, element, "value", value))
        SetValue(value);
}

int KpSlider::ThumbLength()
{
    KpTexture* thumb = GetImage(1, 0);
    int length = 0;
    if (thumb && thumb->GetPicture())
        length = mVertical ? thumb->GetHeight() : thumb->GetWidth();
    if (length <= 0)
        length = mVertical ? mWidth : mHeight;
    int track = mVertical ? mHeight : mWidth;
    return length < track ? length : track;
}

int KpSlider::ThumbOffset()
{
    int room = (mVertical ? mHeight : mWidth) - ThumbLength();
    if (mMax <= 0 || room <= 0)
        return 0;
    return (int)((long long)room * mValue / mMax);
}

void KpSlider::ValueFromPoint(int x, int y)
{
    int room = (mVertical ? mHeight : mWidth) - ThumbLength();
    int at = (mVertical ? y : x) - mGrab;
    if (room <= 0)
        return;
    SetValue((int)std::lround((double)at * mMax / room));
}

void KpSlider::MouseDown(int x, int y, int button, int clicks)
{
    KpCandyWidget::MouseDown(x, y, button, clicks);
    if (button != 0 || mDisabled)
        return;
    int along = mVertical ? y : x;
    int start = ThumbOffset(), length = ThumbLength();
    // Taken by the thumb it keeps its grip; on the track it centres under the pointer.
    mGrab = along >= start && along < start + length ? along - start : length / 2;
    mDragging = true;
    ValueFromPoint(x, y);
}

void KpSlider::MouseDrag(int x, int y)
{
    if (mDragging)
        ValueFromPoint(x, y);
}

void KpSlider::MouseUp(int x, int y, int button, int clicks)
{
    if (button == 0)
        mDragging = false;
}

void KpSlider::Draw(Lumo::Graphics* g)
{
    const int alpha = mDisabled ? 140 : 255;
    const int offset = ThumbOffset(), length = ThumbLength();
    if (IsImageSetEmpty(0))
    {
        // Without pictures: a plain track in the game's colours.
        g->SetColor(0xC9, 0xA9, 0x77, alpha);
        if (mVertical)
            g->FillRect(mWidth / 2 - 3, 0, 6, mHeight);
        else
            g->FillRect(0, mHeight / 2 - 3, mWidth, 6);
    }
    else
        DrawStateImages(g, 0, alpha);
    if (!IsImageSetEmpty(2))
    {
        g->PushState();
        int filled = offset + length / 2;
        if (mVertical)
            g->IntersectClipRect(0, 0, mWidth, filled);
        else
            g->IntersectClipRect(0, 0, filled, mHeight);
        DrawStateImages(g, 2, alpha);
        g->PopState();
    }
    g->PushState();
    if (mVertical)
        g->Translate(0, offset);
    else
        g->Translate(offset, 0);
    if (IsImageSetEmpty(1))
    {
        g->SetColor(0x8A, 0x5A, 0x3B, alpha);
        g->FillRect(0, 0, mVertical ? mWidth : length, mVertical ? length : mHeight);
    }
    else
        DrawStateImages(g, 1, alpha);
    g->PopState();
}
