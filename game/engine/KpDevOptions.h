// Developer switches of the game. Everything hangs on the master switch, the
// first byte of the object: the constructor clears it and nothing in the game
// sets it, so "usersettings.xml" is never read in a shipped run.
#pragma once

#include <string>

class KpDevOptions
{
public:
    KpDevOptions();

    // The developer master switch.
    bool IsEnabled() const { return mEnabled; }
    // Reads the developer switches; does nothing while the master switch is off.
    void ReadSettings(const std::string& fileName);

    bool mEnabled; // must stay the first member: it is the master switch
};

extern KpDevOptions gDevOptions;
