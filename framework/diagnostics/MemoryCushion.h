// Address space held back from the start of the run for its end, should
// memory run out: the crash report (its text, the map file, its windows) and
// the box that names a picture that got no memory need some to run at all.
// The first that needs it gives it back; a 32-bit process runs out of address
// space long before the machine runs out of memory, so a reservation that
// commits nothing is cushion enough.
#pragma once

#include <cstddef>

namespace Lumo
{
namespace MemoryCushion
{

// Bytes held back: more than the crash report needs with the largest map file.
const size_t kSize = 64u * 1024 * 1024;

// Reserves the cushion once; run before the main function.
void Hold();
// Gives the cushion back to the process; true for the one call that did.
bool Release();

} // namespace MemoryCushion
} // namespace Lumo
