#include "game/engine/KpEngine3.h"

KpEngine3* gEngine3 = nullptr;

KpEngine3::KpEngine3()
{
    gEngine3 = this;
}

KpEngine3::~KpEngine3()
{
    if (gEngine3 == this)
        gEngine3 = nullptr;
}

void KpEngine3::LoadingCompleted()
{
    KpEngine::LoadingCompleted();
}

void KpEngine3::LoadingThreadWork()
{
    KpEngine::LoadingThreadWork();
}

void KpEngine3::InitApp()
{
    mVSyncWanted = true;
    KpEngine::InitApp();
}

void KpEngine3::SwitchScreenMode(bool windowed, bool is3D, bool force)
{
    KpEngine::SwitchScreenMode(windowed, is3D, force);
}

void KpEngine3::Shutdown()
{
    // Off the main thread only the request is recorded; the loop calls back.
    if (mPrimaryThreadId != 0 && GetCurrentThreadId() != mPrimaryThreadId)
    {
        LumoAppBase::Shutdown();
        return;
    }
    if (mShutdown || !mLoadingThreadFinished)
        return;
    if (!ConfirmQuit())
        return;
    LumoAppBase::Shutdown();
}

bool KpEngine3::ConfirmQuit()
{
    // The quit box belongs to the game's screens; until they exist, closing means yes.
    return true;
}
