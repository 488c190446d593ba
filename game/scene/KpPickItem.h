// A clickable scene object: a pick polygon around its picture, in pixels
// relative to the item's place, tested with the even-odd rule, so a click
// lands on the visible shape and not on the transparent corners of a picture.
#pragma once

#include <vector>

#include "framework/app/LumoVector2.h"
#include "game/scene/KpItem.h"

class KpPickItem : public KpItem
{
public:
    bool IsPickable() const override { return mPickable && mVisible; }
    bool HitTest(float x, float y) const override;

    // Replaces the polygon (three points or more; fewer picks nothing).
    void SetPickPolygon(const std::vector<Lumo::LumoVector2>& points) { mPolygon = points; }
    // An ellipse of the radii around (cx, cy), as a polygon of `sides` points.
    void SetPickEllipse(float cx, float cy, float rx, float ry, int sides = 16);
    // A rectangle, relative to the place.
    void SetPickRect(float x, float y, float width, float height);

    bool mPickable = true;

protected:
    std::vector<Lumo::LumoVector2> mPolygon; // relative to (mX, mY)
};

// Even-odd point-in-polygon test.
bool PointInPolygon(const std::vector<Lumo::LumoVector2>& polygon, float x, float y);
