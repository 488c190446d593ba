// Named profiling zones. Only the calls exist in this build: profiling is
// never switched on, so opening or closing a zone costs nothing and changes
// nothing for the caller.
#pragma once

namespace Lumo
{

void ProfileZoneBegin(const char* zoneName);
void ProfileZoneEnd(const char* zoneName);
// Raises (false) or lowers (true, never below 0) the section depth; nothing reads it.
void ChangeSectionDepth(bool leaving);
int GetSectionDepth();

// Opens a zone for the lifetime of a scope, so every way out closes it.
class ProfileZone
{
public:
    explicit ProfileZone(const char* zoneName) : mName(zoneName) { ProfileZoneBegin(mName); }
    ~ProfileZone() { ProfileZoneEnd(mName); }
    ProfileZone(const ProfileZone&) = delete;
    ProfileZone& operator=(const ProfileZone&) = delete;

private:
    const char* mName;
};

} // namespace Lumo
