// The life of a process that runs one engine object: COM, the executable's
// folder as the working folder, then the object from creation to deletion.
// The game's main function and the programs built beside it (the level and
// toolkit samples, the frame benchmark) all start this way.
#pragma once

#include <windows.h>

namespace Lumo
{
class LumoAppBase;
}

// Runs `create` (after COM and the working folder, so it may read files and
// the environment first), then the object's InitApp and main loop; deletes it
// afterwards. Returns the process's exit code.
int KpRunProcess(HINSTANCE instance, Lumo::LumoAppBase* (*create)());
