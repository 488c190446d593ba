// An effect script of "cfg\effect.xml": a named, timed list of property
// changes on one KpIEffect target. A "change" moves a property from one value
// to another between two times along an easing curve; a "set" writes a value
// once at its time. Times are kept in whole milliseconds from the start.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

enum KpEffectProperty
{
    kFxAlpha = 0,
    kFxScale,
    kFxVisible,
    kFxScalePointX,
    kFxScalePointY,
    kFxOffsetX,
    kFxOffsetY,
    kFxPropertyCount
};

// Easing curves, each mapping 0..1 to 0 at the start and 1 at the end.
enum KpEase
{
    kEaseLinear = 0, // "linear": clocks only, per the house style
    kEaseIn,         // "in": r^2
    kEaseOut,        // "out": 1 - (1 - r)^2
    kEaseInOut,      // "inout": the two halves of in and out
    kEaseBackOut,    // "backout": overshoots a little, then settles
    kEaseCount
};

float KpEaseValue(KpEase ease, float r);
// False for a name that is none of the curves.
bool KpEaseByName(const std::string& name, KpEase& ease);
bool KpEffectPropertyByName(const std::string& name, KpEffectProperty& property);

struct KpEffectStep
{
    KpEffectProperty property = kFxAlpha;
    int startMs = 0; // a set has endMs == startMs
    int endMs = 0;
    float from = 0.0f; // a change's first value (unused by a set)
    float to = 0.0f;   // the value at endMs
    KpEase ease = kEaseLinear;
};

class KpEffectScript
{
public:
    // Reads an "effect" element; false with the reason when it cannot be used.
    bool Read(IXMLDOMNode* element, std::string& error);

    std::string mName;
    std::vector<KpEffectStep> mSteps; // document order: a later step of a property wins
    int mDurationMs = 0;              // the latest step end
};
