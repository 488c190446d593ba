// Readable names for DirectDraw, Direct3D 7 and DirectSound result codes.
// The display, the renderer and the 3D self-test put these after the name of
// a failed call in their error texts, so that a user's report says what went
// wrong without a debugger.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo
{

// The constant name of a known result (e.g. "DDERR_INVALIDPIXELFORMAT"), else
// the code in lower-case hexadecimal without prefix ("%x").
std::string GetDXResultName(int32_t code);

// Number of names the table knows; for tests.
int GetDXResultNameCount();

// The i-th entry of the table, for tests; false past the end.
bool GetDXResultNameEntry(int index, int32_t* code, const char** name);

} // namespace Lumo
