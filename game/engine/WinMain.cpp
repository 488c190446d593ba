// Process entry of the game.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CoInitialize(nullptr);

    char path[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, path, MAX_PATH - 1);
    std::string folder = path;
    size_t slash = folder.find_last_of("\\/");
    if (slash != std::string::npos)
        SetCurrentDirectoryA(folder.substr(0, slash + 1).c_str());

    gDevOptions.ReadSettings("usersettings.xml");

    KpEngine3* app = new KpEngine3();
    gGameApp = app;
    app->mHInstance = instance;
    app->InitApp();
    app->RunMainLoop();
    delete app;
    gGameApp = nullptr;

    CoUninitialize();
    return 0;
}
