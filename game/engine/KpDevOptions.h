// Developer switches of the game. Everything hangs on the master switch, the
// first byte of the object: the constructor clears it and nothing in the game
// sets it, so "usersettings.xml" is never read in a shipped run and the log,
// the developer keys and the comic overlay stay off.
#pragma once

#include <string>

namespace Lumo
{
class Font;
}

class KpDevOptions
{
public:
    KpDevOptions();
    ~KpDevOptions();

    // The developer master switch.
    bool IsEnabled() const { return mEnabled; }
    // Reads the switches from the file; does nothing while the master switch is off.
    void ReadSettings(const std::string& fileName);
    // The small system font the developer overlays draw with; made on first use.
    Lumo::Font* GetDevFont();
    // Drops the font (the engine calls it before the display goes).
    void ReleaseDevFont();

    bool mEnabled;     // must stay the first member: it is the master switch
    bool mNoComix;     // "NoComix": the levels' start and finish comics are skipped
    bool mIgnorePaks;  // "IgnorePaks": the archives are not registered
    Lumo::Font* mFont; // owned; null until asked for
};

extern KpDevOptions gDevOptions;
