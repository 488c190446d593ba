// Lumo::DirtyRegion: the part of the screen (or of a scene) that must be
// drawn again, kept as a short list of rectangles that never overlap. The
// draw pass draws every dirty widget once per rectangle, clipped to it, so a
// pixel in two rectangles would be blended twice: overlapping requests are
// merged into their bounding rectangle until none overlap, and past the cap
// the pair whose merge adds the least area is merged. Plain value code.
#pragma once

#include <vector>

#include "framework/app/Rect.h"

namespace Lumo
{

class DirtyRegion
{
public:
    // Rectangles kept at most; more are merged.
    static constexpr int kMaxRects = 16;

    // Adds the rectangle (an empty one changes nothing).
    void Add(const Rect& rect);
    // Adds every rectangle of the other region.
    void Add(const DirtyRegion& other);
    void Clear() { mRects.clear(); }
    bool IsEmpty() const { return mRects.empty(); }
    // Cuts every rectangle to the bounds, dropping those left empty.
    void ClipTo(const Rect& bounds);
    // The smallest rectangle holding the whole region; (0, 0, 0, 0) when empty.
    Rect GetBounds() const;
    // Pixels covered (the rectangles never overlap).
    long long GetArea() const;
    // True when some rectangle overlaps the given one by at least one pixel.
    bool Intersects(const Rect& rect) const;
    const std::vector<Rect>& GetRects() const { return mRects; }

    // The two rectangles overlap by at least one pixel.
    static bool Overlap(const Rect& a, const Rect& b);
    // The smallest rectangle holding both.
    static Rect Union(const Rect& a, const Rect& b);

private:
    void MergeClosestPair();

    std::vector<Rect> mRects; // disjoint, none empty
};

} // namespace Lumo
