// The comic player's calls on the level board and the screens around it:
// the counted pause while it is shown, the cafe's music after an opening
// comic, and the career's next level after a closing one.
#include "game/screens/KpComix.h"

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpEngine3.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Debriefing.h"

void KpComix::PauseBoard()
{
    if (KpBoard_Game* board = GetGameBoard())
        board->Pause();
}

void KpComix::ResumeBoard()
{
    KpBoard_Game* board = GetGameBoard();
    if (!board)
        return;
    board->Resume();
    // The keys go back to the level.
    if (mManager && board->mManager == mManager)
        mManager->SetFocus(board);
}

void KpComix::PlayCafeMusic()
{
    if (gGameBoard3)
        gGameBoard3->PlayCafeMusic();
}

bool KpComix::IsClosingComix() const
{
    return gGameBoard3 && mName != gGameBoard3->mOnStartComix;
}

// A closing comic hands the career on through the success debriefing: the
// next level, or after the last one the menus.
void KpComix::StartNextLevel()
{
    KpBoard_Game3* board = gGameBoard3;
    if (!board)
        return;
    if (auto* success = dynamic_cast<KpBoard_Debriefing*>(board->mDebriefingSuccess))
        success->StartNextLevel();
}

void ComixDebugKey(int keyCode)
{
    KpComix* comix = gGameBoard3 ? dynamic_cast<KpComix*>(gGameBoard3->mComix) : nullptr;
    if (!comix || !comix->mVisible || !gDevOptions.IsEnabled())
        return;
    switch (keyCode)
    {
    case 8: // Backspace
        comix->SetPaused(!comix->IsPaused());
        break;
    case 117: // F6
        comix->Restart();
        break;
    case 67: // C, with Control held
        if (gLumoApp && gLumoApp->mWidgetManager && gLumoApp->mWidgetManager->IsKeyDown(17))
            gLumoApp->CopyToClipboard(Lumo::StrFormat("%d;%d",
                                                      gLumoApp->mWidgetManager->mLastMouseX,
                                                      gLumoApp->mWidgetManager->mLastMouseY));
        break;
    }
}
