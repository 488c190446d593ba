#include "game/scene/KpPickItem.h"

#include <cmath>

bool PointInPolygon(const std::vector<Lumo::LumoVector2>& polygon, float x, float y)
{
    size_t n = polygon.size();
    if (n < 3)
        return false;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++)
    {
        const Lumo::LumoVector2& a = polygon[i];
        const Lumo::LumoVector2& b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

bool KpPickItem::HitTest(float x, float y) const
{
    return PointInPolygon(mPolygon, x - mX, y - mY);
}

void KpPickItem::SetPickEllipse(float cx, float cy, float rx, float ry, int sides)
{
    mPolygon.clear();
    for (int i = 0; i < sides; i++)
    {
        float a = 6.2831853f * float(i) / float(sides);
        mPolygon.push_back(Lumo::LumoVector2(cx + rx * std::cos(a), cy + ry * std::sin(a)));
    }
}

void KpPickItem::SetPickRect(float x, float y, float width, float height)
{
    mPolygon = {Lumo::LumoVector2(x, y), Lumo::LumoVector2(x + width, y),
                Lumo::LumoVector2(x + width, y + height), Lumo::LumoVector2(x, y + height)};
}
