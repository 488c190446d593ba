#pragma once
// The default adapter's identity through Direct3D 8. d3d8.h and d3d.h cannot
// share a translation unit, so this query lives apart from the tester.

#include <windows.h>

#include <string>

namespace Lumo
{

// Loads d3d8.dll, asks Direct3DCreate8 for the default adapter's identifier and
// frees the library again; false when any of that is impossible.
bool QueryD3D8AdapterIdentity(GUID* deviceGUID, std::string* driver, std::string* description);

} // namespace Lumo
