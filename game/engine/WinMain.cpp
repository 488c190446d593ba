// Process entry of the game: COM, the working folder, the developer switches,
// then the one application object from creation to deletion.
#include <windows.h>

#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpProcessMain.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance,
                        []() -> Lumo::LumoAppBase*
                        {
                            gDevOptions.ReadSettings("usersettings.xml");
                            return new KpEngine3();
                        });
}
