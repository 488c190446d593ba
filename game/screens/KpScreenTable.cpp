#include "game/screens/KpScreenTable.h"

#include <windows.h>

#include <cstdarg>

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/gameplay/KpTaskGoals.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/ui/KpCandyWidget.h"
#include "game/ui/KpText.h"

KpCandyWidget* GetScreen(KpEngineBoard entry)
{
    if (entry < 0 || entry >= kEngineBoardCount)
        return nullptr;
    return dynamic_cast<KpCandyWidget*>(gEngine3Boards[entry]);
}

KpBoard_MainMenu* GetMainMenu()
{
    return dynamic_cast<KpBoard_MainMenu*>(gEngine3Boards[kBoardMainMenu]);
}

KpBoard_Career* GetCareerBook()
{
    return dynamic_cast<KpBoard_Career*>(gEngine3Boards[kBoardCareer]);
}

void SetScreenVisible(KpEngineBoard entry, bool visible)
{
    if (KpCandyWidget* screen = GetScreen(entry))
        screen->SetVisible(visible);
}

void ScreenTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string line = "Screens: " + Lumo::VFormat(format, args) + "\n";
    va_end(args);
    OutputDebugStringA(line.c_str());
}

bool IsGameLevelActive()
{
    KpBoard_Game* board = GetGameBoard();
    return board && board->IsLevelActive();
}

void ShowMenusAndQuitLevel(KpBoard_Game* board)
{
    ShowIf(GetScreen(kBoardMenuBackground));
    ShowIf(GetScreen(kBoardMainMenu));
    if (board)
        board->QuitLevel();
    if (gSoundAvailable)
        GetSoundManager()->SoundStopGroup("game");
}

void HideHelpPages(KpCandyWidget* help)
{
    if (!help)
        return;
    for (auto& named : help->GetNamedChildren())
        if (named.first.find("page_") != std::string::npos)
            named.second->SetVisible(false);
}

bool StartGameLevel(int level, bool endless)
{
    KpBoard_Game* board = GetGameBoard();
    return board && board->StartLevelLoading(level, endless);
}

bool IsTaskGoalMet(int goal)
{
    return gTaskGoals.IsGoalMet(goal);
}

void ShowIf(KpCandyWidget* w)
{
    if (w)
        w->Show();
}

void HideIf(KpCandyWidget* w)
{
    if (w)
        w->Hide();
}

void SetVisibleIf(KpCandyWidget* w, bool visible)
{
    if (w)
        w->SetVisible(visible);
}

void SetDisabledIf(KpCandyWidget* w, bool disabled)
{
    if (w)
        w->SetDisabled(disabled);
}

void SetWidgetImage(KpCandyWidget* w, const KpImageHandle& handle)
{
    if (!w)
        return;
    if (KpText* text = w->AsText())
        text->SetImage(handle);
    else
        w->SetStateImage(0, handle, Lumo::Rect());
}

void KpBoardPauseHold::Take()
{
    KpBoard_Game* board = GetGameBoard();
    if (mHeld || !board)
        return;
    mHeld = true;
    board->Pause();
}

void KpBoardPauseHold::Release()
{
    KpBoard_Game* board = GetGameBoard();
    if (!mHeld)
        return;
    mHeld = false;
    if (board)
        board->Resume();
}

void FocusGameBoard()
{
    KpBoard_Game* board = GetGameBoard();
    if (board && board->mManager)
        board->mManager->SetFocus(board);
}

void FocusPauseMenuOrGameBoard()
{
    KpDialog* pause = gGameBoard3 ? gGameBoard3->mEscapeMenu : nullptr;
    if (pause && pause->mVisible && pause->mManager)
        pause->mManager->SetFocus(pause);
    else
        FocusGameBoard();
}

void KpBoardModalHold::Push(KpCandyWidget* dialog)
{
    if (dialog->mParent)
        dialog->mParent->BringToFront(dialog);
    if (dialog->mManager && !mPushed)
    {
        mPushed = true;
        dialog->mManager->PushModalDefault(dialog);
        dialog->mManager->SetFocus(dialog);
    }
}

bool KpBoardModalHold::Pop(KpCandyWidget* dialog)
{
    if (dialog->mParent && !mLeavingTree)
        dialog->mParent->SendToBack(dialog);
    if (!dialog->mManager || !mPushed)
        return false;
    mPushed = false;
    if (!dialog->mManager->IsModalStackEmpty())
        dialog->mManager->PopModal(dialog);
    if (!mLeavingTree)
        FocusGameBoard();
    return true;
}
