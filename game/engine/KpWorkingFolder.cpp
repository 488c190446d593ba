#include "game/engine/KpWorkingFolder.h"

#include "framework/app/StringUtils.h"

void KpUseExecutableFolder()
{
    Lumo::UseExecutableFolder();
}
