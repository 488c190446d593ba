#include "game/engine/KpDevOptions.h"

KpDevOptions gDevOptions;

KpDevOptions::KpDevOptions() : mEnabled(false) {}

void KpDevOptions::ReadSettings(const std::string&)
{
    if (!mEnabled)
        return;
}
