// The picture shown while a level loads on the loader thread; the game board
// shows it when it starts loading and hides it when the level is in. Layout
// "load_screen"; entry kBoardLoadScreen of the engine's screen table.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/ui/KpDialog.h"

class KpBoard_LoadScreen : public KpDialog
{
public:
    KpBoard_LoadScreen(KpEngine* app, IXMLDOMNode* layoutRoot);

    // Shown and hidden only through the board; the lines let a run be followed.
    void LockImages() override;
    void UnlockImages() override;
};
