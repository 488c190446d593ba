// The image set, walked under the display lock, the shared-image cache, and
// the end of a run whose pictures ran out of memory.
#include "framework/app/BoxTextWrap.h"
#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/MemoryCushion.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ImageLib.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace Lumo
{

static std::string ToUpper(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
    return out;
}

// Holds the display lock for a scope; before a display exists a lock of our
// own guards the sets, so threads never meet them unguarded.
class DisplayLockScope
{
public:
    explicit DisplayLockScope(DDInterface* dd) : mDD(dd)
    {
        if (mDD)
            mDD->mCritSect.Enter();
        else
            NoDisplayLock().lock();
    }
    ~DisplayLockScope()
    {
        if (mDD)
            mDD->mCritSect.Leave();
        else
            NoDisplayLock().unlock();
    }

private:
    static std::recursive_mutex& NoDisplayLock()
    {
        static std::recursive_mutex lock;
        return lock;
    }
    DDInterface* mDD;
};

// ---------------------------------------------------------------- image set

void LumoAppBase::AddMemoryImage(MemoryImage* image)
{
    DisplayLockScope lock(mDDInterface);
    mMemoryImages.insert(image);
}

void LumoAppBase::RemoveMemoryImage(MemoryImage* image)
{
    DisplayLockScope lock(mDDInterface);
    mMemoryImages.erase(image);
    ForgetImageOnDisplay(image);
}

// The walks hold the display lock: the loading thread adds images meanwhile.
void LumoAppBase::CommitAllImages()
{
    DisplayLockScope lock(mDDInterface);
    for (MemoryImage* image : mMemoryImages)
        image->ApplyStorageOptions();
}

void LumoAppBase::PurgeAllImages()
{
    DisplayLockScope lock(mDDInterface);
    for (MemoryImage* image : mMemoryImages)
        image->DeleteNativeData();
}

void LumoAppBase::ReleaseAllImagesLocked()
{
    DisplayLockScope lock(mDDInterface);
    for (MemoryImage* image : mMemoryImages)
        image->DeleteExtraBuffers();
}

// ---------------------------------------------------------------- shared images

ImageHandle LumoAppBase::GetSharedImage(const std::string& fileName, const std::string& variant,
                                        bool* isNew)
{
    SharedImageKey key(ToUpper(fileName), ToUpper(variant));
    ImageHandle handle;
    bool inserted = false;
    {
        DisplayLockScope lock(mDDInterface);
        auto found = mSharedImages.find(key);
        if (found == mSharedImages.end())
        {
            found = mSharedImages.try_emplace(key).first;
            mSharedImagesLoading.insert(key);
            inserted = true;
        }
        handle.AssignEntry(&found->second);
    }
    if (isNew)
        *isNew = inserted;

    if (inserted)
    {
        Image* image = nullptr;
        if (!fileName.empty() && fileName[0] == '!')
            image = (Image*)new DDImage(mDDInterface);
        else
            image = (Image*)GetImage(fileName, false);
        CompleteSharedImage(key, image);
        return handle;
    }

    // Another thread may still be loading this name: wait for its result
    // rather than handing out an entry that looks missing.
    for (;;)
    {
        {
            DisplayLockScope lock(mDDInterface);
            if (mSharedImagesLoading.find(key) == mSharedImagesLoading.end())
                break;
        }
        ::Sleep(1);
    }
    return handle;
}

void LumoAppBase::CompleteSharedImage(const SharedImageKey& key, Image* image)
{
    DisplayLockScope lock(mDDInterface);
    auto found = mSharedImages.find(key);
    if (found != mSharedImages.end())
        found->second.mImage = image;
    else
        delete image;
    mSharedImagesLoading.erase(key);
}

void LumoAppBase::SharedImageReleased()
{
    mSharedImagesNeedPurge = true;
}

void LumoAppBase::PurgeUnusedSharedImages()
{
    // Cleared before the walk: a handle dropped meanwhile on another thread
    // sets it again for the next purge instead of being forgotten.
    if (!mSharedImagesNeedPurge.exchange(false))
        return;
    DisplayLockScope lock(mDDInterface);
    for (auto it = mSharedImages.begin(); it != mSharedImages.end();)
    {
        // An entry still being made has no holder yet but must stay.
        if (it->second.mRefCount == 0 &&
            mSharedImagesLoading.find(it->first) == mSharedImagesLoading.end())
        {
            delete it->second.mImage;
            it = mSharedImages.erase(it);
        }
        else
            ++it;
    }
}

DDImage* LumoAppBase::GetImage(const std::string& fileName, bool commit)
{
    ImageLib::Image* file = ImageLib::GetImage(fileName, true);
    if (!file)
        return nullptr;
    DDImage* image = new DDImage(mDDInterface);
    image->mFileName = fileName;
    image->SetPixels(file->GetBits(), file->GetWidth(), file->GetHeight(), commit);
    image->MarkAsFile();
    delete file;
    return image;
}

void LumoAppBase::PictureMemoryRanOut(const std::string& picture, int width, int height)
{
    // One box for the run: another thread that runs short meanwhile waits
    // for the end, which that box brings.
    static std::atomic<bool> told(false);
    if (told.exchange(true))
        for (;;)
            Sleep(INFINITE);
    // The box itself needs memory.
    MemoryCushion::Release();
    std::string name = picture.empty() ? "a picture made by the program" : picture;
    if (width > 0 && height > 0)
        name += StrFormat(" (%d x %d)", width, height);
    OutputDebugStringA(("ERROR: no memory for the picture " + name + "\n").c_str());
    std::wstring text =
        GetString("PICTURE_MEMORY", L"There is not enough memory for the picture:\n\n") +
        StringToWString(name) +
        GetString("PICTURE_MEMORY_END", L"\n\nThe program has to end. Closing other programs "
                                        L"before starting it again may help.");
    if (mPrimaryThreadId == 0 || GetCurrentThreadId() == mPrimaryThreadId)
        PopupW(text);
    else if (mScreenSaver)
        AppendScreenSaverError(WStringToString(text));
    else
        // Owned by no window: the main thread may be waiting for this one
        // and could not answer an owner's messages.
        MessageBoxW(nullptr, WrapBoxText(text).c_str(),
                    GetString("FATAL_ERROR", L"FATAL ERROR").c_str(),
                    MB_ICONERROR | MB_OK | MB_TOPMOST);
    ExitImmediately(1);
}

bool LumoAppBase::ReloadPixels(MemoryImage* image, uint32_t* pixels)
{
    // The loaders read with the alpha companion lookup on; so does this.
    ImageLib::Image* file = ImageLib::GetImage(image->mFileName, true);
    bool same = file && file->GetWidth() == image->mWidth && file->GetHeight() == image->mHeight;
    if (same)
        memcpy(pixels, file->GetBits(), (size_t)image->mWidth * image->mHeight * sizeof(uint32_t));
    delete file;
    return same;
}

} // namespace Lumo
