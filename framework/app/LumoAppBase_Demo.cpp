// The application object's demo recording and playback hooks and its debug
// keys and overlays. This build
// never records nor plays a demo: the hooks keep their places in the loop and
// do nothing, and the registry and file records pass straight through.
#include "framework/app/LumoAppBase.h"

namespace Lumo
{

bool LumoAppBase::IsPlayingDemo()
{
    return mPlayingDemo;
}

void LumoAppBase::WriteDemoTiming() {}

bool LumoAppBase::ReadDemoTiming(bool)
{
    return false;
}

void LumoAppBase::ReplayDemoEvents() {}

void LumoAppBase::SyncDemoString(std::string&) {}

void LumoAppBase::SyncDemoBool(bool&) {}

bool LumoAppBase::ReadDemoFile(std::string& errorText)
{
    errorText = "Demo file not found: " + mDemoFileName;
    return false;
}

void LumoAppBase::WriteDemoFile() {}

int LumoAppBase::ShowDemoJumpToTime()
{
    return -1;
}

int LumoAppBase::ShowDemoMarkerList()
{
    return -1;
}

} // namespace Lumo
