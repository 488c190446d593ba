// Named text variables ("profile_name", "money", ...) that the screens set and
// text widgets display by name. A change counter lets a widget notice that it
// must lay its text out again without comparing strings every frame.
#pragma once

#include <map>
#include <string>

class KpTextVars
{
public:
    void Set(const std::string& name, const std::wstring& text);
    // Stores the integer as decimal text.
    void SetInt(const std::string& name, int value);
    // The variable's text; empty when it was never set.
    std::wstring Get(const std::string& name) const;
    bool Has(const std::string& name) const;
    // Bumped by every Set that changes a value.
    unsigned GetChangeCount() const { return mChanges; }

private:
    std::map<std::string, std::wstring> mVars; // main thread only
    unsigned mChanges = 0;
};

KpTextVars* GetTextVars();
