// The image set and the shared-image cache, and the desktop services: the
// clipboard, web addresses, the product version, the crash text, whole-file
// reads, the focus state and the screen-saver input filter.
#include "framework/app/LumoAppBase.h"
#include "framework/app/Buffer.h"
#include "framework/app/PakInterface.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/resources/ImageLib.h"
#include "framework/widgets/WidgetManager.h"

#include <shellapi.h>

#include <cstdio>
#include <mutex>
#include <vector>

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
            found = mSharedImages.insert(std::make_pair(key, SharedImageEntry())).first;
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
    if (!mSharedImagesNeedPurge)
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
    mSharedImagesNeedPurge = false;
}

DDImage* LumoAppBase::GetImage(const std::string& fileName, bool commit)
{
    ImageLib::Image* file = ImageLib::GetImage(fileName, true);
    if (!file)
        return nullptr;
    DDImage* image = new DDImage(mDDInterface);
    image->mFileName = fileName;
    image->SetPixels(file->GetBits(), file->GetWidth(), file->GetHeight(), commit);
    delete file;
    return image;
}

// ---------------------------------------------------------------- clipboard

void LumoAppBase::CopyToClipboard(const std::string& text)
{
    if (mPlayingDemo)
        return;
    if (!OpenClipboard(mHWnd))
        return;
    EmptyClipboard();

    HGLOBAL narrow = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
    if (narrow)
    {
        char* dest = (char*)GlobalLock(narrow);
        memcpy(dest, text.c_str(), text.size() + 1);
        GlobalUnlock(narrow);
        if (!SetClipboardData(CF_TEXT, narrow))
            GlobalFree(narrow);
    }

    int count =
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.c_str(), (int)text.size(), nullptr, 0);
    HGLOBAL wide = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (count + 1) * sizeof(wchar_t));
    if (wide)
    {
        wchar_t* dest = (wchar_t*)GlobalLock(wide);
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text.c_str(), (int)text.size(), dest, count);
        dest[count] = 0;
        GlobalUnlock(wide);
        if (!SetClipboardData(CF_UNICODETEXT, wide))
            GlobalFree(wide);
    }
    CloseClipboard();
}

std::string LumoAppBase::GetClipboardText()
{
    std::string text;
    if (!mPlayingDemo && OpenClipboard(mHWnd))
    {
        HANDLE data = GetClipboardData(CF_TEXT);
        if (data)
        {
            const char* chars = (const char*)GlobalLock(data);
            if (chars)
            {
                // Never past the block, even without a terminator.
                SIZE_T size = GlobalSize(data);
                text.assign(chars, strnlen(chars, size));
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
    }
    SyncDemoString(text);
    return text;
}

// ---------------------------------------------------------------- web addresses

bool LumoAppBase::OpenURL(const std::string& url, bool shutdownWhenDone)
{
    if (mUrlOpenPending && mPendingUrl == url)
        return true;
    mUrlOpenPending = true;
    mShutdownWhenUrlDone = shutdownWhenDone;
    mPendingUrl = url;
    mUrlOpenTime = GetTickCount();
    INT_PTR result =
        (INT_PTR)ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (result > 32)
        return true;
    UrlOpenFailed(url);
    return false;
}

void LumoAppBase::UrlOpenFailed(const std::string&)
{
    mUrlOpenPending = false;
}

void LumoAppBase::UrlOpenDone(const std::string&)
{
    mUrlOpenPending = false;
    if (mShutdownWhenUrlDone)
        Shutdown();
}

// ---------------------------------------------------------------- version, crash text

std::string LumoAppBase::GetProductVersion(const std::string& path)
{
    typedef DWORD(WINAPI * SizeFunc)(LPCSTR, LPDWORD);
    typedef BOOL(WINAPI * InfoFunc)(LPCSTR, DWORD, DWORD, LPVOID);
    typedef BOOL(WINAPI * QueryFunc)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    static SizeFunc getSize = nullptr;
    static InfoFunc getInfo = nullptr;
    static QueryFunc query = nullptr;
    static bool looked = false;
    if (!looked && gVersionDLL)
    {
        looked = true;
        getSize = reinterpret_cast<SizeFunc>(
            reinterpret_cast<void*>(GetProcAddress(gVersionDLL, "GetFileVersionInfoSizeA")));
        getInfo = reinterpret_cast<InfoFunc>(
            reinterpret_cast<void*>(GetProcAddress(gVersionDLL, "GetFileVersionInfoA")));
        query = reinterpret_cast<QueryFunc>(
            reinterpret_cast<void*>(GetProcAddress(gVersionDLL, "VerQueryValueA")));
    }
    if (!getSize || !getInfo || !query)
        return std::string();

    DWORD handle = 0;
    DWORD size = getSize(path.c_str(), &handle);
    if (size == 0)
        return std::string();
    std::vector<char> block(size);
    if (!getInfo(path.c_str(), 0, size, block.data()))
        return std::string();
    const char* const queries[] = {"\\StringFileInfo\\040904B0\\ProductVersion",
                                   "\\StringFileInfo\\040904E4\\ProductVersion"};
    for (const char* q : queries)
    {
        char* value = nullptr;
        UINT length = 0;
        if (query(block.data(), q, (LPVOID*)&value, &length) && value)
            return std::string(value, strnlen(value, length));
    }
    return std::string();
}

std::string LumoAppBase::GetCrashInfoText()
{
    unsigned seconds = (unsigned)(GetTickCount() - mConstructTime) / 1000;
    char loaded[32];
    snprintf(loaded, sizeof(loaded), "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60,
             seconds % 60);
    char thread[16];
    snprintf(thread, sizeof(thread), "%X", (unsigned)mPrimaryThreadId);
    std::string text;
    text += "Product: " + mProductName + "\r\n";
    text += "Version: " + mProductVersion + "\r\n";
    text += std::string("Time Loaded: ") + loaded + "\r\n";
    text += std::string("Fullscreen: ") + (mIsPhysWindowed ? "No" : "Yes") + "\r\n";
    text += std::string("Primary ThreadId: ") + thread + "\r\n";
    return text;
}

// ---------------------------------------------------------------- whole files

bool LumoAppBase::ReadFileToBuffer(const std::string& fileName, Buffer* buffer, bool)
{
    std::string bytes;
    if (!ReadWholeFile(fileName, bytes))
        return false;
    buffer->SetData(bytes.data(), (int)bytes.size());
    return true;
}

// ---------------------------------------------------------------- focus and keys

void LumoAppBase::UpdateFocusState()
{
    bool active = mHasFocus && !mMinimized;
    if (active == mActive)
        return;
    mActive = active;
    if (active)
    {
        if (mMuteOnLostFocus)
            Unmute(true);
        if (mWidgetManager)
            mWidgetManager->AppGotFocus();
        GotFocus();
    }
    else
    {
        if (mMuteOnLostFocus)
            Mute(true);
        if (mWidgetManager)
            mWidgetManager->AppLostFocus();
        LostFocus();
        ReleaseCapture();
        if (mWidgetManager)
            mWidgetManager->ReleaseHeldButtons();
    }
}

void LumoAppBase::ClearHeldKeys()
{
    if (mWidgetManager)
        for (int i = 0; i < 255; i++)
            mWidgetManager->mKeyDown[i] = false;
    mCtrlDown = false;
    mAltDown = false;
}

void LumoAppBase::ToggleSound()
{
    if (mMusicVolume == 0)
        SetMusicVolume(mSavedMusicVolume);
    else
    {
        mSavedMusicVolume = mMusicVolume;
        SetMusicVolume(0);
    }
    if (mSfxVolume == 0)
        SetSfxVolume(mSavedSfxVolume);
    else
    {
        mSavedSfxVolume = mSfxVolume;
        SetSfxVolume(0);
    }
}

void LumoAppBase::BringToFront(WPARAM flag, LPARAM)
{
    if (flag != 0 || !mHWnd)
        return;
    if (IsIconic(mHWnd))
        ShowWindow(mHWnd, SW_RESTORE);
    SetForegroundWindow(mHWnd);
}

// ---------------------------------------------------------------- screen-saver filter

extern DWORD gLastMonitorPowerTime;

bool LumoAppBase::ScreenSaverFilter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    static bool closing = false;
    static bool created = false;
    static POINT startCursor = {0, 0};
    static int moveCount = 0;

    if (closing)
        return false;

    if ((message == WM_CREATE || message == WM_NCCREATE) && !created)
    {
        created = true;
        GetCursorPos(&startCursor);
        return false;
    }

    bool close = false;
    bool recentPower = GetTickCount() - gLastMonitorPowerTime < 1000;
    switch (message)
    {
    case WM_SYSCOMMAND:
    {
        UINT command = (UINT)(wParam & 0xFFF0);
        if (command == SC_SCREENSAVE || command == SC_CLOSE || command == SC_TASKLIST ||
            command == SC_KEYMENU)
            return true;
        return false;
    }
    case WM_MOUSEMOVE:
    {
        POINT p;
        GetCursorPos(&p);
        if (p.x != startCursor.x || p.y != startCursor.y)
        {
            startCursor = p;
            moveCount++;
        }
        if (moveCount < 4)
            return true;
        close = !recentPower;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        close = true;
        break;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
        close = (wParam == 0) && !recentPower;
        break;
    case WM_CLOSE:
        close = !recentPower;
        break;
    default:
        return false;
    }
    if (!close || hwnd != mHWnd)
        return false;

    closing = true;
    PostMessageA(mHWnd, WM_CLOSE, 0, 0);
    return message != WM_CLOSE;
}

} // namespace Lumo
