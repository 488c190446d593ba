// Demo files on disk. This build never records nor plays a demo (the
// application object's hooks for it, in LumoAppBase_Demo.cpp, do nothing);
// only the numbering of the files exists.
#pragma once

#include <string>

namespace Lumo
{

// Highest n among the files prefix + n + ".dmo"; 0 when there is none. When
// deletion is allowed and at least keepCount such files exist, the one with
// the lowest number is deleted.
int FindLatestDemoNumber(const std::string& prefix, int keepCount, bool allowDelete);

} // namespace Lumo
