#include "game/screens/KpBoard_EscapeMenu.h"

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Confirm.h"

namespace
{
const int kKeyEscape = 27;
} // namespace

KpBoard_EscapeMenu::KpBoard_EscapeMenu(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine), app(mApp)
{
    LoadLayout(layoutRoot, "escape_menu");
}

KpBoard_EscapeMenu::~KpBoard_EscapeMenu()
{
    mPause.Release();
}

void KpBoard_EscapeMenu::AddChild(const std::string& name, KpCandyWidget* child)
{
    if (name == "escape_dlg")
    {
        page = child;
        KpCandyWidget* right = child->FindChild("right_page");
        if (!right)
            right = child;
        restartButton = right->FindChild("restart");
        resumeButton = right->FindChild("resume");
        settingsButton = right->FindChild("settings");
        helpButton = right->FindChild("help");
        quitButton = right->FindChild("quit");
    }
    KpDialog::AddChild(name, child);
}

void KpBoard_EscapeMenu::OnShow()
{
    mPause.Take();
    GetSoundManager()->SoundPlay("window_open");
    if (mManager)
        mManager->SetFocus(this);
    ScreenTrace("pause menu shown");
}

void KpBoard_EscapeMenu::OnHide()
{
    mPause.Release();
    FocusGameBoard();
    ScreenTrace("pause menu closed");
}

void KpBoard_EscapeMenu::LockImages()
{
    KpDialog::LockImages();
    if (mParent)
        mParent->BringToFront(this);
}

void KpBoard_EscapeMenu::KeyUp(int key)
{
    if (key == kKeyEscape && mVisible)
        Hide();
}

void KpBoard_EscapeMenu::HideUpgradeShop()
{
    KpCandyWidget* shop = gGameBoard3 ? gGameBoard3->mUpgradeMenu : nullptr;
    if (shop && shop->mVisible)
        shop->Hide();
}

void KpBoard_EscapeMenu::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    KpBoard_Game3* board = gGameBoard3;
    if (widget == restartButton)
    {
        if (ShowConfirmBox("restlvl") == 1)
        {
            if (board)
                board->mLevelAbandoned = 1;
            Hide();
            if (board)
                board->RestartLevel();
            HideUpgradeShop();
            ScreenTrace("level restarted");
        }
    }
    else if (widget == resumeButton)
        Hide();
    else if (widget == settingsButton)
    {
        if (KpCandyWidget* options = GetScreen(kBoardOptions))
            options->Show();
    }
    else if (widget == helpButton)
    {
        RunEffect("onshiftright");
        if (KpCandyWidget* help = GetScreen(kBoardHelp))
        {
            help->Show();
            help->RunEffect("onshiftright");
        }
    }
    else if (widget == quitButton)
    {
        if (ShowConfirmBox("exitmenu") == 1)
        {
            if (board)
                board->mLevelAbandoned = 1;
            Hide();
            if (board)
                board->Hide();
            HideUpgradeShop();
            ShowMenusAndQuitLevel(board);
            ScreenTrace("level left for the main menu");
        }
    }
}
