// Process-wide state of the application object, kept apart so that code which
// only reads gLumoApp does not pull in the whole application.
#include "framework/app/LumoAppBase.h"

Lumo::LumoAppBase* gLumoApp = nullptr;
std::atomic<bool> gIdlePause(false);
std::atomic<bool> gDisplayLost(false);
bool (*gDevOptionsQuery)() = nullptr;
bool gDesktopModeChanged = false;
HMODULE gVersionDLL = nullptr;
HMODULE gDDrawDLL = nullptr;
HMODULE gDSoundDLL = nullptr;
GetLastInputInfoFunc gGetLastInputInfo = nullptr;
