#pragma once
// Lumo::CritSect is the display lock: one critical section that the display
// owns and that guards the whole drawing layer (surfaces, the cursor, the sets
// of live images). It is re-entrant for the thread that holds it, because Init
// calls Cleanup, CreateSurface and CreateScreenImage while holding it.

#include <windows.h>

namespace Lumo
{

class CritSect
{
public:
    CritSect() { InitializeCriticalSection(&mSection); }
    ~CritSect() { DeleteCriticalSection(&mSection); }
    CritSect(const CritSect&) = delete;
    CritSect& operator=(const CritSect&) = delete;

    void Enter() { EnterCriticalSection(&mSection); }
    void Leave() { LeaveCriticalSection(&mSection); }

private:
    CRITICAL_SECTION mSection;
};

// Holds a CritSect for one scope.
class AutoCrit
{
public:
    explicit AutoCrit(CritSect& section) : mSection(section) { mSection.Enter(); }
    ~AutoCrit() { mSection.Leave(); }
    AutoCrit(const AutoCrit&) = delete;
    AutoCrit& operator=(const AutoCrit&) = delete;

private:
    CritSect& mSection;
};

} // namespace Lumo
