#include "framework/widgets/DirtyRegion.h"

#include <algorithm>

namespace Lumo
{

namespace
{
long long AreaOf(const Rect& r)
{
    return (long long)r.mWidth * (long long)r.mHeight;
}
} // namespace

bool DirtyRegion::Overlap(const Rect& a, const Rect& b)
{
    return a.mX < b.mX + b.mWidth && b.mX < a.mX + a.mWidth && a.mY < b.mY + b.mHeight &&
           b.mY < a.mY + a.mHeight;
}

Rect DirtyRegion::Union(const Rect& a, const Rect& b)
{
    int left = std::min(a.mX, b.mX), top = std::min(a.mY, b.mY);
    int right = std::max(a.mX + a.mWidth, b.mX + b.mWidth);
    int bottom = std::max(a.mY + a.mHeight, b.mY + b.mHeight);
    return Rect(left, top, right - left, bottom - top);
}

void DirtyRegion::Add(const Rect& rect)
{
    if (rect.mWidth <= 0 || rect.mHeight <= 0)
        return;
    // Swallow every rectangle the new one overlaps; the grown one may reach
    // further rectangles, so go round until none is left.
    Rect r = rect;
    bool grew = true;
    while (grew)
    {
        grew = false;
        for (size_t i = 0; i < mRects.size();)
        {
            if (Overlap(r, mRects[i]))
            {
                r = Union(r, mRects[i]);
                mRects.erase(mRects.begin() + i);
                grew = true;
            }
            else
                i++;
        }
    }
    mRects.push_back(r);
    while ((int)mRects.size() > kMaxRects)
        MergeClosestPair();
}

void DirtyRegion::Add(const DirtyRegion& other)
{
    for (const Rect& r : other.mRects)
        Add(r);
}

void DirtyRegion::MergeClosestPair()
{
    size_t best1 = 0, best2 = 1;
    long long bestCost = -1;
    for (size_t i = 0; i < mRects.size(); i++)
        for (size_t j = i + 1; j < mRects.size(); j++)
        {
            long long cost =
                AreaOf(Union(mRects[i], mRects[j])) - AreaOf(mRects[i]) - AreaOf(mRects[j]);
            if (bestCost < 0 || cost < bestCost)
            {
                bestCost = cost;
                best1 = i;
                best2 = j;
            }
        }
    Rect merged = Union(mRects[best1], mRects[best2]);
    mRects.erase(mRects.begin() + best2);
    mRects.erase(mRects.begin() + best1);
    Add(merged);
}

void DirtyRegion::ClipTo(const Rect& bounds)
{
    std::vector<Rect> kept;
    for (const Rect& r : mRects)
    {
        if (!Overlap(r, bounds))
            continue;
        kept.push_back(r.Intersection(bounds));
    }
    mRects.swap(kept);
}

Rect DirtyRegion::GetBounds() const
{
    if (mRects.empty())
        return Rect();
    Rect bounds = mRects[0];
    for (size_t i = 1; i < mRects.size(); i++)
        bounds = Union(bounds, mRects[i]);
    return bounds;
}

long long DirtyRegion::GetArea() const
{
    long long area = 0;
    for (const Rect& r : mRects)
        area += AreaOf(r);
    return area;
}

bool DirtyRegion::Intersects(const Rect& rect) const
{
    for (const Rect& r : mRects)
        if (Overlap(r, rect))
            return true;
    return false;
}

} // namespace Lumo
