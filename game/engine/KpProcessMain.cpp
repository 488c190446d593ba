#include "game/engine/KpProcessMain.h"

#include <objbase.h>

#include "game/engine/KpEngine.h"
#include "game/engine/KpWorkingFolder.h"

int KpRunProcess(HINSTANCE instance, Lumo::LumoAppBase* (*create)())
{
    CoInitialize(nullptr);
    KpUseExecutableFolder();
    Lumo::LumoAppBase* app = create();
    gGameApp = app;
    app->mHInstance = instance;
    app->InitApp();
    app->RunMainLoop();
    delete app;
    gGameApp = nullptr;
    CoUninitialize();
    return 0;
}
