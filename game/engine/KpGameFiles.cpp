#include "game/engine/KpGameFiles.h"

#include <windows.h>

#include <cctype>
#include <cstring>
#include <vector>

#include "framework/app/StringUtils.h"
#include "game/engine/KpProfileFile.h"

namespace
{
const char* const kArchives[] = {"loc.pak", "data.pak", "mod.pak"};

std::string FullPath(const std::string& path)
{
    char full[MAX_PATH * 2] = {0};
    DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return length == 0 || length >= sizeof(full) ? path : std::string(full);
}

// The path without a data stream: "pref.dat::$DATA" and "pref.dat:s" write
// into pref.dat itself. A colon can stand only in the last part of a full path.
std::string WithoutStream(const std::string& path)
{
    size_t start = path.find_last_of("\\/");
    if (start == std::string::npos)
        start = path.size() >= 2 && path[1] == ':' ? 1 : std::string::npos; // "C:name"
    size_t colon = path.find(':', start == std::string::npos ? 0 : start + 1);
    return colon == std::string::npos ? path : path.substr(0, colon);
}

// The name a file is opened by: Windows drops trailing dots and blanks.
std::string OpenedName(const std::string& path)
{
    std::string name = Lumo::GetFileNameOfPath(path);
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

bool SameText(const std::string& a, const std::string& b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

struct FileId
{
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FileId& o) const
    {
        return volume == o.volume && high == o.high && low == o.low;
    }
};

// The file or folder itself, whatever the road to it; false when it is not there.
bool GetFileId(const std::string& path, FileId& id)
{
    HANDLE handle =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (ok)
    {
        id.volume = info.dwVolumeSerialNumber;
        id.high = info.nFileIndexHigh;
        id.low = info.nFileIndexLow;
    }
    return ok;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    if (SameText(Lumo::RemoveTrailingSlash(a), Lumo::RemoveTrailingSlash(b)))
        return true;
    FileId ia, ib;
    return GetFileId(a, ia) && GetFileId(b, ib) && ia == ib;
}

// "pref.dat.bad" or "pref.dat.<n>.bad" for the profile file's name.
bool IsKeptCopyName(const std::string& name, const std::string& profileName)
{
    const std::string tail = ".bad";
    if (name.size() < profileName.size() + tail.size() ||
        !SameText(name.substr(0, profileName.size()), profileName) ||
        !SameText(name.substr(name.size() - tail.size()), tail))
        return false;
    std::string middle =
        name.substr(profileName.size(), name.size() - profileName.size() - tail.size());
    if (middle.empty())
        return true;
    if (middle.size() < 2 || middle[0] != '.')
        return false;
    for (size_t i = 1; i < middle.size(); i++)
        if (!isdigit((unsigned char)middle[i]))
            return false;
    return true;
}
} // namespace

KpGameFiles KpCurrentGameFiles()
{
    KpGameFiles files;
    files.profilePath = KpProfileFile::DefaultPath();
    files.exePath = Lumo::GetExecutablePath();
    return files;
}

bool KpIsGameFile(const KpGameFiles& files, const std::string& name)
{
    const std::string target = WithoutStream(FullPath(name));
    const std::string targetFolder = Lumo::GetFileDir(target, true);
    const std::string targetName = OpenedName(target);
    const std::string profile = FullPath(files.profilePath);
    const std::string profileFolder = Lumo::GetFileDir(profile, true);
    const std::string profileName = Lumo::GetFileNameOfPath(profile);
    const std::string exe = FullPath(files.exePath);
    const std::string exeFolder = Lumo::GetFileDir(exe, true);

    // The executable's map and debug file, which name its code in a crash report.
    const std::string exeName = Lumo::GetFileNameOfPath(exe);
    const std::string exeBase = exeName.substr(0, exeName.rfind('.'));
    std::vector<std::string> exeFolderNames = {exeName, exeBase + ".map", exeBase + ".debug"};
    for (const char* archive : kArchives)
        exeFolderNames.push_back(archive);
    // No profile path: no narrow name reaches its folder, and nothing is written there.
    const bool hasProfile = !files.profilePath.empty();
    if (hasProfile && SameFolder(targetFolder, profileFolder) &&
        (SameText(targetName, profileName) || SameText(targetName, profileName + ".tmp") ||
         SameText(targetName, profileName + ".bad.tmp") || IsKeptCopyName(targetName, profileName)))
        return true;
    if (SameFolder(targetFolder, exeFolder))
        for (const std::string& kept : exeFolderNames)
            if (SameText(targetName, kept))
                return true;

    // Another name of a file that is there (a short name, a link).
    FileId id;
    if (!GetFileId(target, id))
        return false;
    std::vector<std::string> existing;
    if (hasProfile)
        existing = {profile, profile + ".tmp", profile + ".bad.tmp"};
    for (const std::string& kept : exeFolderNames)
        existing.push_back(exeFolder + kept);
    WIN32_FIND_DATAA found;
    HANDLE find =
        hasProfile ? FindFirstFileA((profile + "*.bad").c_str(), &found) : INVALID_HANDLE_VALUE;
    if (find != INVALID_HANDLE_VALUE)
    {
        do
            existing.push_back(profileFolder + found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    for (const std::string& kept : existing)
    {
        FileId other;
        if (GetFileId(kept, other) && other == id)
            return true;
    }
    return false;
}
