// Numbered demo files: each recording made with "-recnum" takes the next
// number after the highest found (prefix + n + ".dmo"), and old recordings
// are pruned so that only a chosen number of them is kept.
#pragma once

#include <string>

namespace Lumo
{

// Highest n among the files prefix + n + ".dmo" (n decimal digits only); 0
// when there is none. The prefix may start with a folder. When deletion is
// allowed and at least keepCount such files exist, the one with the lowest
// number is deleted (one per call).
int FindLatestDemoNumber(const std::string& prefix, int keepCount, bool allowDelete);

} // namespace Lumo
