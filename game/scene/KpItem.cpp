#include "game/scene/KpItem.h"

void KpItem::Update(int) {}

void KpItem::DrawPart(Lumo::Graphics*, int) {}

uint32_t KpItem::sNextSerial = 0;

const Lumo::Rect KpItem::kWholeScene(-(1 << 20), -(1 << 20), 1 << 21, 1 << 21);

Lumo::Rect KpItem::GetPartRect(int) const
{
    return kWholeScene;
}

Lumo::Rect KpItem::Cover(const Lumo::Rect& a, const Lumo::Rect& b)
{
    if (a.mWidth <= 0 || a.mHeight <= 0)
        return b;
    if (b.mWidth <= 0 || b.mHeight <= 0)
        return a;
    int left = a.mX < b.mX ? a.mX : b.mX, top = a.mY < b.mY ? a.mY : b.mY;
    int right = a.mX + a.mWidth > b.mX + b.mWidth ? a.mX + a.mWidth : b.mX + b.mWidth;
    int bottom = a.mY + a.mHeight > b.mY + b.mHeight ? a.mY + a.mHeight : b.mY + b.mHeight;
    return Lumo::Rect(left, top, right - left, bottom - top);
}
