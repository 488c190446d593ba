#include "game/gameplay/KpLevelLoader.h"

#include <process.h>

#include "game/engine/KpComPtr.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpLevelData.h"

KpLevelLoader::~KpLevelLoader()
{
    Cancel();
}

bool KpLevelLoader::Start(int level, bool endless)
{
    Cancel();
    mLevel = level;
    mEndless = endless;
    mError.clear();
    mWarnings.clear();
    mDone.store(false, std::memory_order_release);
    mBusy = true;
    uintptr_t thread = _beginthreadex(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (thread == 0)
    {
        mError = "the loading thread could not start";
        mDone.store(true, std::memory_order_release);
        return false;
    }
    mThread = (HANDLE)thread;
    return true;
}

unsigned __stdcall KpLevelLoader::ThreadMain(void* param)
{
    KpLevelLoader* self = (KpLevelLoader*)param;
    {
        KpComScope com;
        KpLevelData* data = new KpLevelData();
        std::string name = LevelFileName(self->mLevel, self->mEndless);
        KpXmlDocument document = name.empty() ? KpXmlDocument() : XmlLoadFile(name);
        if (ReadLevelData(document.Get(), self->mLevel, self->mEndless, *data, self->mError,
                          self->mWarnings))
            self->mData = data;
        else
        {
            if (!name.empty())
                self->mError = name + ": " + self->mError;
            delete data;
        }
    }
    self->mDone.store(true, std::memory_order_release);
    return 0;
}

void KpLevelLoader::Join()
{
    if (!mThread)
        return;
    WaitForSingleObject(mThread, INFINITE);
    CloseHandle(mThread);
    mThread = nullptr;
}

KpLevelData* KpLevelLoader::Take(std::string& error, std::vector<std::string>& warnings)
{
    Join();
    KpLevelData* data = mData;
    mData = nullptr;
    error = mError;
    warnings = mWarnings;
    mBusy = false;
    return data;
}

void KpLevelLoader::Cancel()
{
    Join();
    delete mData;
    mData = nullptr;
    mBusy = false;
}
