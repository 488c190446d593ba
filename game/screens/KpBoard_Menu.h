// The menu background: the picture behind the book of the menus, read from
// two layouts into one dialog ("global_bkg", the room, then "menu_bg", what
// lies around the book). Entry kBoardMenuBackground of the engine's screen
// table; the menus and the board show and hide it.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include "game/ui/KpDialog.h"

class KpBoard_Menu : public KpDialog
{
public:
    KpBoard_Menu(KpEngine* app, IXMLDOMNode* layoutRoot);

    void OnShow() override;
    void OnHide() override;

    KpEngine* app;
};
