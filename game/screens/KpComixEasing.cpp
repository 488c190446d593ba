#include "game/screens/KpComixEasing.h"

#include <cmath>

// Every product is a float before sin sees it, so results match the rules as written.

float ComixEaseLerp(float t)
{
    return t;
}

float ComixEaseRoof(float t)
{
    return t < 0.5f ? 2.0f * t : 2.0f - 2.0f * t;
}

float ComixEaseSin(float t)
{
    const float angle = t * kComixTwoPi;
    return (std::sin(angle) + 1.0f) / 2.0f;
}

float ComixEaseCrazy(float t)
{
    const float angle = t * kComixTwoPi;
    const float swing = 6.0f * std::sin(angle);
    return (std::sin(swing) + 1.0f) / 2.0f;
}

float ComixEaseEaseIn(float t)
{
    return t * t;
}

float ComixEaseEaseOut(float t)
{
    return std::sqrt(t);
}

KpComixEasingRule GetEasingRule(const std::string& name)
{
    static const struct
    {
        const char* name;
        KpComixEasingRule rule;
    } kRules[] = {{"lerp", ComixEaseLerp},     {"roof", ComixEaseRoof},
                  {"crazy", ComixEaseCrazy},   {"sin", ComixEaseSin},
                  {"easeIn", ComixEaseEaseIn}, {"easeOut", ComixEaseEaseOut}};
    for (const auto& r : kRules)
        if (name == r.name)
            return r.rule;
    return nullptr;
}

float Lerp(float t, float a, float b)
{
    return (b - a) * t + a;
}

Lumo::LumoVector2 Lerp(float t, const Lumo::LumoVector2& a, const Lumo::LumoVector2& b)
{
    return Lumo::LumoVector2(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
}
