// The easing rules of a comic's change actors and their interpolation. A rule
// maps the share r (0 to 1) of a change that has passed to the share of the
// way from the start value to the end value; some go there and back (roof),
// or swing about the middle (sin, crazy). Kept as plain functions so the
// exact float arithmetic can be checked by hand.
#pragma once

#include <string>

#include "framework/app/LumoVector2.h"

typedef float (*KpComixEasingRule)(float t);

// 2 pi rounded to a 32-bit float, as the rules use it.
const float kComixTwoPi = 6.2831855f;

float ComixEaseLerp(float t);    // t
float ComixEaseRoof(float t);    // 2t below 0.5, else 2 - 2t
float ComixEaseSin(float t);     // (sin(t 2pi) + 1) / 2
float ComixEaseCrazy(float t);   // (sin(6 sin(t 2pi)) + 1) / 2
float ComixEaseEaseIn(float t);  // t squared
float ComixEaseEaseOut(float t); // square root of t

// The rule of a name ("lerp", "roof", "crazy", "sin", "easeIn", "easeOut";
// case matters), or null.
KpComixEasingRule GetEasingRule(const std::string& name);

// (b - a) t + a, per component for vectors.
float Lerp(float t, float a, float b);
Lumo::LumoVector2 Lerp(float t, const Lumo::LumoVector2& a, const Lumo::LumoVector2& b);
