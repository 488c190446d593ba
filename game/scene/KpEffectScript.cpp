#include "game/scene/KpEffectScript.h"

#include <cmath>

#include "framework/app/StringUtils.h"
#include "game/engine/KpXml.h"

namespace
{
const char* const kEaseNames[kEaseCount] = {"linear", "in", "out", "inout", "backout"};
const char* const kPropertyNames[kFxPropertyCount] = {
    "alpha", "scale", "visible", "scalepoint_x", "scalepoint_y", "offset_x", "offset_y"};

// Seconds as whole milliseconds; scripts are short, so anything past an hour is refused.
bool ReadTime(IXMLDOMNode* element, const char* name, int& ms, std::string& error)
{
    float seconds = 0.0f;
    if (!XmlReadFloat(element, name, seconds) || seconds < 0.0f || seconds > 3600.0f)
    {
        error = Lumo::StrFormat("'%s' must be seconds from 0 to 3600", name);
        return false;
    }
    ms = (int)std::lround(seconds * 1000.0f);
    return true;
}

bool ReadValue(IXMLDOMNode* element, const char* name, float& value, std::string& error)
{
    if (!XmlReadFloat(element, name, value) || !std::isfinite(value))
    {
        error = Lumo::StrFormat("'%s' must be a number", name);
        return false;
    }
    return true;
}
} // namespace

float KpEaseValue(KpEase ease, float r)
{
    r = r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
    switch (ease)
    {
    case kEaseIn:
        return r * r;
    case kEaseOut:
        return 1.0f - (1.0f - r) * (1.0f - r);
    case kEaseInOut:
        return r < 0.5f ? 2.0f * r * r : 1.0f - 2.0f * (1.0f - r) * (1.0f - r);
    case kEaseBackOut:
    {
        const float c1 = 1.70158f, c3 = c1 + 1.0f;
        float q = r - 1.0f;
        return 1.0f + c3 * q * q * q + c1 * q * q;
    }
    default:
        return r;
    }
}

bool KpEaseByName(const std::string& name, KpEase& ease)
{
    for (int i = 0; i < kEaseCount; i++)
        if (name == kEaseNames[i])
        {
            ease = (KpEase)i;
            return true;
        }
    return false;
}

bool KpEffectPropertyByName(const std::string& name, KpEffectProperty& property)
{
    for (int i = 0; i < kFxPropertyCount; i++)
        if (name == kPropertyNames[i])
        {
            property = (KpEffectProperty)i;
            return true;
        }
    return false;
}

bool KpEffectScript::Read(IXMLDOMNode* element, std::string& error)
{
    mSteps.clear();
    mDurationMs = 0;
    if (!XmlReadString(element, "name", mName) || mName.empty())
    {
        error = "an effect without a name";
        return false;
    }
    bool ok = true;
    XmlForEachNode(element, L"*",
                   [&](IXMLDOMNode* node)
                   {
                       if (!ok)
                           return;
                       std::string kind = Lumo::WStringToString(XmlGetName(node));
                       std::string prop;
                       KpEffectStep step;
                       if ((kind != "change" && kind != "set") ||
                           !XmlReadString(node, "prop", prop) ||
                           !KpEffectPropertyByName(prop, step.property))
                       {
                           error = "a step that is neither a change nor a set of a known prop ('" +
                                   kind + "', prop '" + prop + "')";
                           ok = false;
                           return;
                       }
                       if (kind == "set")
                       {
                           ok = ReadTime(node, "t", step.startMs, error) &&
                                ReadValue(node, "value", step.to, error);
                           step.endMs = step.startMs;
                       }
                       else
                       {
                           ok = ReadTime(node, "t0", step.startMs, error) &&
                                ReadTime(node, "t1", step.endMs, error) &&
                                ReadValue(node, "from", step.from, error) &&
                                ReadValue(node, "to", step.to, error);
                           if (ok && step.endMs < step.startMs)
                           {
                               error = "a change whose t1 lies before its t0";
                               ok = false;
                           }
                           std::string ease = "linear";
                           XmlReadString(node, "ease", ease);
                           if (ok && !KpEaseByName(ease, step.ease))
                           {
                               error = "unknown ease '" + ease + "'";
                               ok = false;
                           }
                       }
                       if (!ok)
                           return;
                       mSteps.push_back(step);
                       if (step.endMs > mDurationMs)
                           mDurationMs = step.endMs;
                   });
    if (ok && mSteps.empty())
    {
        error = "an effect without steps";
        ok = false;
    }
    return ok;
}
