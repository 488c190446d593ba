#include "game/engine/KpTextVars.h"

KpTextVars* GetTextVars()
{
    static KpTextVars vars;
    return &vars;
}

void KpTextVars::Set(const std::string& name, const std::wstring& text)
{
    auto found = mVars.find(name);
    if (found != mVars.end() && found->second == text)
        return;
    mVars[name] = text;
    mChanges++;
}

void KpTextVars::SetInt(const std::string& name, int value)
{
    Set(name, std::to_wstring(value));
}

std::wstring KpTextVars::Get(const std::string& name) const
{
    auto found = mVars.find(name);
    return found == mVars.end() ? std::wstring() : found->second;
}

bool KpTextVars::Has(const std::string& name) const
{
    return mVars.count(name) != 0;
}
