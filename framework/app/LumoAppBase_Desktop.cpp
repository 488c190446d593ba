// The desktop services: the clipboard, web addresses, the product version,
// the crash text and whole-file reads.
#include "framework/app/Buffer.h"
#include "framework/app/LumoAppBase.h"
#include "framework/app/PakInterface.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace Lumo
{

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

bool LumoAppBase::ReadFileToBuffer(const std::string& fileName, Buffer* buffer, bool bypassDemo)
{
    // A replay takes the outcome from its stream and opens nothing.
    std::string bytes;
    bool ok = false;
    if (bypassDemo || !PlayingDemoHere())
        ok = ReadWholeFile(fileName, bytes);
    if (!bypassDemo)
        ok = SyncFileRead(ok, bytes);
    if (ok)
    {
        buffer->Clear();
        buffer->SetData(bytes.data(), (int)bytes.size());
    }
    return ok;
}

bool LumoAppBase::SyncFileRead(bool ok, std::string& bytes)
{
    if (PlayingDemoHere())
    {
        Buffer& in = mDemo.mBuffer;
        if (!TakeDemoRecord(DEMO_FILE_READ) || in.ReadNumBits(1, false) == 0)
            return false;
        // The count was checked against the stream when the file was read.
        uint32_t count = (uint32_t)in.ReadLong();
        bytes.assign(count, '\0');
        for (uint32_t i = 0; i < count; i++)
            bytes[i] = (char)in.ReadByte();
        return true;
    }
    if (RecordingDemoHere())
    {
        Buffer& out = mDemo.mBuffer;
        WriteDemoCommand(DEMO_FILE_READ);
        out.WriteNumBits(ok ? 1 : 0, 1);
        if (ok)
        {
            out.WriteLong((int)bytes.size());
            out.WriteBytes(bytes.data(), (int)bytes.size());
        }
    }
    return ok;
}

} // namespace Lumo
