#include "game/engine/KpWorkingFolder.h"

#include <windows.h>

#include <cstdlib>
#include <string>

void KpUseExecutableFolder()
{
    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    char drive[_MAX_DRIVE] = {0};
    char folder[_MAX_DIR] = {0};
    _splitpath(path, drive, folder, nullptr, nullptr);
    SetCurrentDirectoryA((std::string(drive) + folder).c_str());
}
