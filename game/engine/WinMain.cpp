// Process entry of the game: COM, the working folder, the developer switches,
// then the one application object from creation to deletion.
#include <windows.h>
#include <objbase.h>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpWorkingFolder.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CoInitialize(nullptr);
    KpUseExecutableFolder();
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
