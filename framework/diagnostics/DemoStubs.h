// Demo recording and playback hooks of the application object. This build
// never records nor plays a demo: the hooks keep their places in the loop and
// do nothing, and the registry and file records pass straight through.
#pragma once

#include <string>

namespace Lumo
{

// Highest n among the files prefix + n + ".dmo"; 0 when there is none. When
// deletion is allowed and at least keepCount such files exist, the one with
// the lowest number is deleted.
int FindLatestDemoNumber(const std::string& prefix, int keepCount, bool allowDelete);

} // namespace Lumo
