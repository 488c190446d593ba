#pragma once
// This test program's own global operator new: it remembers the largest
// single request and refuses, as an exhausted heap would, every request above
// a limit that a test sets. Memory that C libraries take with malloc is not seen.

#include <cstddef>
#include <cstdint>

namespace AllocationProbe
{

// Forgets the largest request and sets the limit (no limit by default).
void Reset(size_t limit = SIZE_MAX);
// The largest request since the last Reset, refused ones included.
size_t Largest();

} // namespace AllocationProbe
