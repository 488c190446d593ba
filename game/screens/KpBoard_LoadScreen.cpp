#include "game/screens/KpBoard_LoadScreen.h"

#include "game/screens/KpScreenTable.h"

KpBoard_LoadScreen::KpBoard_LoadScreen(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine)
{
    LoadLayout(layoutRoot, "load_screen");
}

void KpBoard_LoadScreen::LockImages()
{
    KpDialog::LockImages();
    ScreenTrace("load screen shown");
}

void KpBoard_LoadScreen::UnlockImages()
{
    KpDialog::UnlockImages();
    ScreenTrace("load screen hidden");
}
