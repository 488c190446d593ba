#pragma once

// A 2D point or offset in 32-bit floats: screen positions of scene objects, transform input
// and output. A plain pair; no length or normalisation helpers are needed by the framework.

namespace Lumo
{

class LumoVector2
{
public:
    float x;
    float y;

    LumoVector2() : x(0.0f), y(0.0f) {}
    LumoVector2(float theX, float theY) : x(theX), y(theY) {}

    LumoVector2 operator+(const LumoVector2& v) const { return LumoVector2(x + v.x, y + v.y); }
    LumoVector2 operator-(const LumoVector2& v) const { return LumoVector2(x - v.x, y - v.y); }
    LumoVector2& operator-=(const LumoVector2& v)
    {
        x -= v.x;
        y -= v.y;
        return *this;
    }
};

} // namespace Lumo
