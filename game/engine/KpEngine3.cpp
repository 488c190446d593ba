#include "game/engine/KpEngine3.h"

#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpComPtr.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpProfileFile.h"
#include "game/gameplay/KpBoard_Game3.h"

KpEngine3* gEngine3 = nullptr;
Lumo::Widget* gEngine3Boards[kEngineBoardCount] = {};

KpEngine3::KpEngine3() : mAskingQuit(false)
{
    gEngine3 = this;
}

KpEngine3::~KpEngine3()
{
    WaitForLoadingThread();
    for (Lumo::Widget*& board : gEngine3Boards)
    {
        if (board && mWidgetManager)
            mWidgetManager->RemoveWidget(board);
        delete board;
        board = nullptr;
    }
    if (gEngine3 == this)
        gEngine3 = nullptr;
}

void KpEngine3::LoadingCompleted()
{
    KpEngine::LoadingCompleted();
    for (Lumo::Widget* board : gEngine3Boards)
        if (board)
            mWidgetManager->AddWidget(board);
}

void KpEngine3::LoadingThreadWork()
{
    KpComScope com;
    KpEngine::LoadingThreadWork();
    CreateScreens();
}

void KpEngine3::CreateScreens()
{
    // Each screen is made here, once, from its layout under GetLayoutRoot(), into
    // its gEngine3Boards entry.
    gEngine3Boards[kBoardGame] = new KpBoard_Game3(this, GetLayoutRoot());
}

void KpEngine3::InitApp()
{
    mVSyncWanted = true;
    GetEngineLocTable()->LoadFile("cfg\\loc.xml");
    if (GetEngineLocTable()->HasText("app_title"))
        mTitle = GetEngineLocTable()->GetText("app_title");
    KpEngine::InitApp();
    if (mShutdown)
        return;
    gProfileFile.ApplySettings();
}

void KpEngine3::SwitchScreenMode(bool windowed, bool is3D, bool force)
{
    KpEngine::SwitchScreenMode(windowed, is3D, force);
    gProfileFile.mWindowed = mIsWindowed ? 1 : 0;
}

void KpEngine3::Shutdown()
{
    // Off the main thread only the request is recorded; the loop calls back.
    if (mPrimaryThreadId != 0 && GetCurrentThreadId() != mPrimaryThreadId)
    {
        LumoAppBase::Shutdown();
        return;
    }
    if (mShutdown || !mLoadingThreadFinished || mAskingQuit)
        return;
    // The end of the Windows session arrives as a message sent to the window and
    // cannot wait for an answer: it saves and ends without asking.
    if (!InSendMessage() && !ConfirmQuit())
        return;
    gProfileFile.Save();
    LumoAppBase::Shutdown();
}

bool KpEngine3::ConfirmQuit()
{
    // The game's own confirmation box belongs to the screens; until it exists the
    // question goes through a system box with the same text.
    mAskingQuit = true;
    modalBoxOpen = 1;
    int answer = MsgBoxW(GetEngineLocTable()->GetText("quit"), mTitle, MB_YESNO | MB_ICONQUESTION);
    modalBoxOpen = 0;
    mAskingQuit = false;
    return answer == IDYES;
}
