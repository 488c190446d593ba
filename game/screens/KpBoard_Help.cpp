#include "game/screens/KpBoard_Help.h"

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpScreenTable.h"

namespace
{
void BringToFrontOf(KpCandyWidget* parent, KpCandyWidget* child)
{
    if (child && child->mParent == parent)
        parent->BringToFront(child);
}
} // namespace

KpBoard_Help::KpBoard_Help(KpEngine* engine, IXMLDOMNode* layoutRoot)
    : KpDialog(nullptr, engine), app(mApp)
{
    LoadLayout(layoutRoot, "help");
}

void KpBoard_Help::AddChild(const std::string& name, KpCandyWidget* child)
{
    KpDialog::AddChild(name, child);
    if (name == "prev_btn")
        prevButton = child;
    else if (name == "next_btn")
        nextButton = child;
    else if (name == "close")
        closeButton = child;
    else if (name.find("page_") != std::string::npos)
        pages.push_back(child);
}

void KpBoard_Help::HideAllPages()
{
    for (KpCandyWidget* page : pages)
        page->SetVisible(false);
}

void KpBoard_Help::ShowPage(int n)
{
    currentPage = n;
    const int count = int(pages.size());
    if (n >= 0 && n < count)
        if (KpBoard_MainMenu* menu = GetMainMenu())
            menu->TurnMenuPage(pages[n], backwards, kTurnHelp);
    BringToFrontOf(this, prevButton);
    BringToFrontOf(this, nextButton);
    BringToFrontOf(this, closeButton);
    if (prevButton)
        prevButton->SetDisabled(n <= 0);
    if (nextButton)
        nextButton->SetDisabled(n < 0 || n >= count - 1);
    ScreenTrace("help page %d of %d", n, count);
}

void KpBoard_Help::OnShow()
{
    if (mManager && mParent == mManager)
        mManager->BringToFront(this);
    if (mManager)
        mManager->SetFocus(this);
    backwards = false;
    ShowPage(0);
    GetSoundManager()->SoundPlay("window_open");
}

void KpBoard_Help::OnHide()
{
    FocusPauseMenuOrGameBoard();
}

void KpBoard_Help::OnButton(KpCandyWidget* widget)
{
    if (!widget)
        return;
    if (widget == nextButton)
    {
        backwards = false;
        ShowPage(currentPage + 1);
    }
    else if (widget == prevButton)
    {
        backwards = true;
        ShowPage(currentPage - 1);
    }
    else if (widget == closeButton)
    {
        KpBoard_MainMenu* menu = GetMainMenu();
        KpDialog* pauseMenu = gGameBoard3 ? gGameBoard3->mEscapeMenu : nullptr;
        if (IsGameLevelActive())
        {
            // Back to the pause menu's spread over the level.
            KpCandyWidget* spread = pauseMenu ? pauseMenu->FindChild("escape_dlg") : nullptr;
            if (menu && spread)
                menu->TurnMenuPage(spread, true, kTurnNone);
            else
                SetVisible(false);
            RunEffect("onshiftleft");
            if (pauseMenu)
            {
                pauseMenu->RunEffect("onshiftleft");
                if (mManager)
                    mManager->SetFocus(pauseMenu);
            }
            ScreenTrace("help closed to the pause menu");
        }
        else
        {
            if (menu)
                menu->TurnMenuPage(nullptr, true, kTurnNone);
            ScreenTrace("help closed to the main menu");
        }
    }
}
