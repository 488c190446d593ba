// The comic player's calls on the level board and the screens around it.
#include "game/screens/KpComix.h"

void KpComix::PauseBoard() {}

void KpComix::ResumeBoard() {}

void KpComix::PlayCafeMusic() {}

bool KpComix::IsClosingComix() const
{
    return false;
}

void KpComix::StartNextLevel() {}

void ComixDebugKey(int) {}
