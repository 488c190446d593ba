// Registry primitives under HKCU\SOFTWARE\<registry key> and the settings
// read at start-up and written at shutdown.
#include "framework/app/LumoAppBase.h"

namespace Lumo
{

// Full key path and value name for a value name that may carry a subkey path;
// false while there is no registry key.
static bool SplitValuePath(const std::string& regKey, const std::string& valueName,
                           std::string& keyPath, std::string& name)
{
    if (regKey.empty())
        return false;
    keyPath = "SOFTWARE\\" + regKey;
    if (!keyPath.empty() && (keyPath.back() == '\\' || keyPath.back() == '/'))
        keyPath.pop_back();
    size_t slash = valueName.rfind('\\');
    if (slash == std::string::npos)
        name = valueName;
    else
    {
        keyPath += "\\" + valueName.substr(0, slash);
        name = valueName.substr(slash + 1);
    }
    return true;
}

int HoldToRange(int value, int low, int high)
{
    return value < low ? low : (value > high ? high : value);
}

int VolumeToRegistry(double volume)
{
    // The small bias keeps a loaded 0.57 (56.999... after scaling) at 57.
    return (int)(volume * 100.0 + 1e-6);
}

double VolumeFromRegistry(int value)
{
    return value / 100.0;
}

std::string LumoAppBase::GetRegistryKey()
{
    return mRegKey;
}

// Opens (or creates) the key and sets the value; false when either fails.
static bool SetRegistryValue(const std::string& keyPath, const std::string& name, DWORD type,
                             const void* data, DWORD length)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
    {
        DWORD disposition;
        char keyClass[] = "Key";
        if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, keyClass, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition) != ERROR_SUCCESS)
            return false;
    }
    bool ok =
        RegSetValueExA(key, name.c_str(), 0, type, (const BYTE*)data, length) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool LumoAppBase::WriteRegistryValue(const std::string& valueName, DWORD type, const void* data,
                                     DWORD length)
{
    std::string keyPath, name;
    if (!SplitValuePath(mRegKey, valueName, keyPath, name))
        return false;
    // A replay leaves the registry alone and reports what the recording got;
    // past the end of the recording, and off the main thread (where nothing
    // was recorded), every write succeeds.
    if (PlayingDemoHere())
        return !TakeDemoRecord(DEMO_REGISTRY_WRITE) || mDemo.mBuffer.ReadNumBits(1, false) != 0;
    if (mPlayingDemo)
        return true;

    bool ok = SetRegistryValue(keyPath, name, type, data, length);
    if (RecordingDemoHere())
    {
        WriteDemoCommand(DEMO_REGISTRY_WRITE);
        mDemo.mBuffer.WriteNumBits(ok ? 1 : 0, 1);
    }
    return ok;
}

bool LumoAppBase::WriteRegistryString(const std::string& valueName, const std::string& value)
{
    return WriteRegistryValue(valueName, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

bool LumoAppBase::WriteRegistryInt(const std::string& valueName, int value)
{
    return WriteRegistryValue(valueName, REG_DWORD, &value, 4);
}

bool LumoAppBase::WriteRegistryBool(const std::string& valueName, bool value)
{
    return WriteRegistryInt(valueName, value ? 1 : 0);
}

bool LumoAppBase::ReadRegistryValue(const std::string& valueName, DWORD* type, void* data,
                                    DWORD* length, HKEY root)
{
    std::string keyPath, name;
    if (!SplitValuePath(mRegKey, valueName, keyPath, name))
        return false;
    DWORD room = (data && length) ? *length : 0;
    if (PlayingDemoHere())
    {
        Buffer& in = mDemo.mBuffer;
        if (!TakeDemoRecord(DEMO_REGISTRY_READ) || in.ReadNumBits(1, false) == 0)
            return false;
        DWORD storedType = (DWORD)in.ReadLong();
        uint32_t count = (uint32_t)in.ReadLong();
        // Never more than the caller's buffer holds; the rest is read past.
        for (uint32_t i = 0; i < count; i++)
        {
            unsigned char byte = in.ReadByte();
            if (i < room)
                ((unsigned char*)data)[i] = byte;
        }
        if (type)
            *type = storedType;
        if (length)
            *length = count < room ? count : room;
        return true;
    }

    bool ok = false;
    HKEY key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        ok = RegQueryValueExA(key, name.c_str(), nullptr, type, (BYTE*)data, length) ==
             ERROR_SUCCESS;
        RegCloseKey(key);
    }
    if (RecordingDemoHere())
    {
        Buffer& out = mDemo.mBuffer;
        WriteDemoCommand(DEMO_REGISTRY_READ);
        out.WriteNumBits(ok ? 1 : 0, 1);
        if (ok)
        {
            DWORD count = data && length ? *length : 0;
            out.WriteLong(type ? (int)*type : 0);
            out.WriteLong((int)count);
            if (count > 0)
                out.WriteBytes(data, (int)count);
        }
    }
    return ok;
}

bool LumoAppBase::ReadRegistryValueHKCU(const std::string& valueName, DWORD* type, void* data,
                                        DWORD* length)
{
    return ReadRegistryValue(valueName, type, data, length, HKEY_CURRENT_USER);
}

bool LumoAppBase::ReadRegistryInt(const std::string& valueName, int* value)
{
    DWORD type = 0;
    int stored = 0;
    DWORD length = 4;
    if (!ReadRegistryValueHKCU(valueName, &type, &stored, &length) || type != REG_DWORD)
        return false;
    *value = stored;
    return true;
}

bool LumoAppBase::ReadRegistryBool(const std::string& valueName, bool* value)
{
    int stored;
    if (!ReadRegistryInt(valueName, &stored))
        return false;
    *value = stored != 0;
    return true;
}

void LumoAppBase::MarkRunInProgress()
{
    std::string keyPath, name;
    const int inProgress = 1;
    if (SplitValuePath(mRegKey, "InProgress", keyPath, name))
        SetRegistryValue(keyPath, name, REG_DWORD, &inProgress, 4);
}

void LumoAppBase::DeleteRegistryValue(const std::wstring& valueName)
{
    std::string narrow;
    for (wchar_t c : valueName)
        narrow += (char)c;
    std::string keyPath, name;
    // A replay leaves the registry as it found it.
    if (mPlayingDemo || !SplitValuePath(mRegKey, narrow, keyPath, name))
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

// ---------------------------------------------------------------- settings

void LumoAppBase::LoadSettings()
{
    mSettingsLoaded = true;
    mSaveSettingsAtShutdown = true;
    // The string table is the last word on the key, so a build can move it.
    std::wstring wideKey;
    for (unsigned char c : mRegKey)
        wideKey += (wchar_t)c;
    std::wstring key = GetString("RegistryKey", wideKey);
    mRegKey.clear();
    for (wchar_t c : key)
        mRegKey += (char)c;
    if (mRegKey.empty())
        return;

    // Every value is held to its range, whatever the registry holds: a stored
    // mute count of 1000 would outlast every unmute of the run.
    int value;
    if (ReadRegistryInt("MusicVolume", &value))
        mMusicVolume = VolumeFromRegistry(HoldToRange(value, 0, 100));
    if (ReadRegistryInt("SfxVolume", &value))
        mSfxVolume = VolumeFromRegistry(HoldToRange(value, 0, 100));
    if (ReadRegistryInt("Muted", &value))
        mMuteCount = HoldToRange(value, 0, 1);
    // A place on the screens there are; -1 stays "none".
    auto onScreens = [](int value, int originMetric, int extentMetric)
    {
        const int origin = GetSystemMetrics(originMetric);
        return value == -1
                   ? -1
                   : HoldToRange(value, origin, origin + GetSystemMetrics(extentMetric) - 1);
    };
    if (ReadRegistryInt("PreferredX", &value))
        mPreferredX = onScreens(value, SM_XVIRTUALSCREEN, SM_CXVIRTUALSCREEN);
    if (ReadRegistryInt("PreferredY", &value))
        mPreferredY = onScreens(value, SM_YVIRTUALSCREEN, SM_CYVIRTUALSCREEN);
    if (ReadRegistryInt("CustomCursors", &value))
        EnableCustomCursors(value != 0);
    ReadRegistryBool("WaitForVSync", &mWaitForVSync);
    if (ReadRegistryInt("InProgress", &value))
        mPrevRunEndedProperly = (value == 0);

    // The options are applied only after this step, so a screen-saver run and
    // a replay (which leaves the registry as it found it) are also known from
    // the command line itself.
    bool screenSaver = mScreenSaver;
    bool replay = mPlayingDemo;
    std::string arguments;
    if (!mCmdLineParsed && ReadCommandArguments(&arguments, nullptr))
    {
        screenSaver = screenSaver || ArgumentsAskScreenSaver(arguments);
        replay = replay || ArgumentsAskReplay(arguments);
    }
    // At once: a run that ends from here on without its shutdown (a fault, a
    // refused option, a second copy) leaves the mark for the next start.
    if (!screenSaver && !replay)
        MarkRunInProgress();
}

void LumoAppBase::SaveSettings()
{
    WriteRegistryInt("MusicVolume", VolumeToRegistry(mMusicVolume));
    WriteRegistryInt("SfxVolume", VolumeToRegistry(mSfxVolume));
    WriteRegistryInt("Muted", mMuteCount - mAutoMuteCount > 0 ? 1 : 0);
    WriteRegistryInt("ScreenMode", mIsPhysWindowed ? 0 : 1);
    WriteRegistryInt("PreferredX", mPreferredX);
    WriteRegistryInt("PreferredY", mPreferredY);
    WriteRegistryInt("CustomCursors", mCustomCursors ? 1 : 0);
    WriteRegistryInt("InProgress", 0);
    WriteRegistryBool("WaitForVSync", mWaitForVSync);
}

} // namespace Lumo
