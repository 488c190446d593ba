#include "game/engine/KpEngine.h"

#include "framework/app/PakInterface.h"
#include "game/engine/KpDevOptions.h"
#include "game/engine/KpWorkingFolder.h"

Lumo::LumoAppBase* gGameApp = nullptr;
KpEngine* gEngine = nullptr;

static bool DevOptionsEnabled()
{
    return gDevOptions.IsEnabled();
}

KpEngine::KpEngine() : mPakInterface(nullptr)
{
    gEngine = this;
    gDevOptionsQuery = DevOptionsEnabled;

    mProductName = "Zorka Cafe";
    mTitle = L"Zorka Cafe";
    mProductVersion = "1.0";
    mRegKey = "Tessik Games\\Zorka Cafe";
    mWidth = 1024;
    mHeight = 768;

    KpUseExecutableFolder();

    // Registered before any other thread starts; a missing archive is no error.
    if (!gDevOptions.mIgnorePaks)
    {
        mPakInterface = new PakInterface();
        mPakInterface->AddPakFile("loc.pak");
        mPakInterface->AddPakFile("data.pak");
        mPakInterface->AddPakFile("mod.pak");
    }
}

KpEngine::~KpEngine()
{
    // The base destructor shuts down first; nothing reads archives after this.
    WaitForLoadingThread();
    LumoAppBase::Shutdown();
    delete mPakInterface;
    mPakInterface = nullptr;
    if (gEngine == this)
        gEngine = nullptr;
}

void KpEngine::OnKeyUp(int) {}

void KpEngine::LoadingCompleted() {}

void KpEngine::LoadingThreadWork() {}

void KpEngine::InitApp()
{
    LumoAppBase::InitApp();
}

void KpEngine::GotFocus() {}

void KpEngine::LostFocus() {}

bool KpEngine::StepApp(bool& updated)
{
    return LumoAppBase::StepApp(updated);
}

void KpEngine::DrawOverlay(Lumo::Graphics*) {}

void KpEngine::EngineHook1() {}

void KpEngine::EngineHook2() {}
