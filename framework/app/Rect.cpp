#include "framework/app/Rect.h"

#include <algorithm>

namespace Lumo
{

Rect Rect::Intersection(const Rect& theOther) const
{
    int aLeft = std::max(mX, theOther.mX);
    int aWidth = std::min(mX + mWidth, theOther.mX + theOther.mWidth) - aLeft;
    if (aWidth < 0)
        return Rect();
    int aTop = std::max(mY, theOther.mY);
    int aHeight = std::min(mY + mHeight, theOther.mY + theOther.mHeight) - aTop;
    if (aHeight < 0)
        return Rect();
    return Rect(aLeft, aTop, aWidth, aHeight);
}

FRect FRect::Intersection(const FRect& theOther) const
{
    double aLeft = std::max(mX, theOther.mX);
    double aWidth = std::min(mX + mWidth, theOther.mX + theOther.mWidth) - aLeft;
    if (aWidth < 0.0)
        return FRect();
    double aTop = std::max(mY, theOther.mY);
    double aHeight = std::min(mY + mHeight, theOther.mY + theOther.mHeight) - aTop;
    if (aHeight < 0.0)
        return FRect();
    return FRect(aLeft, aTop, aWidth, aHeight);
}

} // namespace Lumo
