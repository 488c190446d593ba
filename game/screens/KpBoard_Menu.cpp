#include "game/screens/KpBoard_Menu.h"

KpBoard_Menu::KpBoard_Menu(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine), app(mApp)
{
    LoadLayout(layoutRoot, "global_bkg");
    LoadLayout(layoutRoot, "menu_bg");
}

void KpBoard_Menu::OnShow() {}

void KpBoard_Menu::OnHide() {}
