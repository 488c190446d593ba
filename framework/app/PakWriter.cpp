#include "framework/app/PakWriter.h"

#include "framework/app/PakFormat.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>

namespace
{
// Largest archive the reader maps: entry sizes and offsets are signed 32-bit there.
const uint64_t kMaxArchiveBytes = 0x7FFFFFFF;

struct TableItem
{
    std::string name; // stored form
    uint32_t size;
    uint64_t fileTime;
};

void SetError(std::string* error, const std::string& text)
{
    if (error != nullptr)
        *error = text;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Checks names, sizes and repeats; appends the scrambled header and table to `out`.
bool EncodeTable(const std::vector<TableItem>& items, std::vector<uint8_t>& out, std::string* error)
{
    size_t first = out.size();
    PutU32(out, kPakMagic);
    PutU32(out, kPakVersion);
    uint64_t total = 0;
    std::set<std::string> keys;
    for (const TableItem& item : items)
    {
        if (!keys.insert(PakUpperKey(item.name)).second)
        {
            SetError(error, "name stored twice: " + item.name);
            return false;
        }
        out.push_back(0);
        out.push_back(uint8_t(item.name.size()));
        out.insert(out.end(), item.name.begin(), item.name.end());
        PutU32(out, item.size);
        PutU32(out, uint32_t(item.fileTime));
        PutU32(out, uint32_t(item.fileTime >> 32));
        total += 2 + item.name.size() + 12 + item.size;
    }
    out.push_back(kPakFlagEnd);
    if (8 + total + 1 > kMaxArchiveBytes)
    {
        SetError(error, "archive would exceed 2 GB");
        return false;
    }
    PakScramble(out.data() + first, out.size() - first);
    return true;
}

struct FolderFile
{
    std::string path; // on disk
    TableItem item;
};

bool SameFile(const std::string& a, const std::string& b)
{
    char fa[MAX_PATH], fb[MAX_PATH];
    if (GetFullPathNameA(a.c_str(), MAX_PATH, fa, nullptr) == 0 ||
        GetFullPathNameA(b.c_str(), MAX_PATH, fb, nullptr) == 0)
        return false;
    return _stricmp(fa, fb) == 0;
}

bool ListFolder(const std::string& root, const std::string& relative,
                const std::vector<std::string>& skip, std::vector<FolderFile>& files,
                std::string* error)
{
    std::string dir = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
    {
        SetError(error, "cannot list folder " + dir);
        return false;
    }
    bool ok = true;
    do
    {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string rel = relative.empty() ? name : relative + "\\" + name;
        std::string path = dir + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            ok = ListFolder(root, rel, skip, files, error);
            continue;
        }
        bool skipped = false;
        for (const std::string& s : skip)
            skipped = skipped || SameFile(path, s);
        if (skipped)
            continue;
        if (data.nFileSizeHigh != 0)
        {
            SetError(error, "file too large: " + path);
            ok = false;
            continue;
        }
        FolderFile file;
        file.path = path;
        ok = PakStoredName(rel, file.item.name, error);
        file.item.size = data.nFileSizeLow;
        file.item.fileTime = uint64_t(data.ftLastWriteTime.dwLowDateTime) |
                             (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32);
        files.push_back(file);
    } while (ok && FindNextFileA(find, &data));
    FindClose(find);
    return ok;
}

// Appends one file's bytes, scrambled; false when it no longer has the listed size.
bool CopyScrambled(const FolderFile& file, FILE* out, std::string* error)
{
    FILE* in = fopen(file.path.c_str(), "rb");
    if (in == nullptr)
    {
        SetError(error, "cannot read " + file.path);
        return false;
    }
    uint8_t buffer[65536];
    uint64_t copied = 0;
    size_t got;
    bool ok = true;
    while (ok && (got = fread(buffer, 1, sizeof(buffer), in)) > 0)
    {
        copied += got;
        PakScramble(buffer, got);
        ok = fwrite(buffer, 1, got, out) == got;
    }
    ok = ok && !ferror(in);
    fclose(in);
    if (!ok)
        SetError(error, "cannot copy " + file.path);
    else if (copied != file.item.size)
    {
        SetError(error, "file changed while archiving: " + file.path);
        ok = false;
    }
    return ok;
}
} // namespace

bool PakStoredName(const std::string& name, std::string& stored, std::string* error)
{
    stored = name;
    std::replace(stored.begin(), stored.end(), '/', '\\');
    std::string why;
    if (stored.empty())
        why = "empty name";
    else if (stored.size() > kPakMaxName)
        why = "name longer than 255 bytes";
    else if (stored.find('\0') != std::string::npos || stored.find(':') != std::string::npos)
        why = "name is not a relative path";
    else
    {
        // Every component must be a plain name, as the reader's lookup keys are.
        size_t begin = 0;
        while (why.empty() && begin <= stored.size())
        {
            size_t end = stored.find('\\', begin);
            if (end == std::string::npos)
                end = stored.size();
            std::string part = stored.substr(begin, end - begin);
            if (part.empty() || part == "." || part == "..")
                why = "name has an empty, '.' or '..' component";
            begin = end + 1;
        }
    }
    if (!why.empty())
    {
        SetError(error, why + ": " + name);
        return false;
    }
    return true;
}

bool PakBuildArchive(const std::vector<PakWriterEntry>& entries, std::vector<uint8_t>& out,
                     std::string* error)
{
    out.clear();
    std::vector<TableItem> items;
    uint64_t total = 0;
    for (const PakWriterEntry& entry : entries)
    {
        TableItem item;
        if (!PakStoredName(entry.name, item.name, error))
            return false;
        total += entry.data.size();
        if (total > kMaxArchiveBytes)
        {
            SetError(error, "archive would exceed 2 GB");
            return false;
        }
        item.size = uint32_t(entry.data.size());
        item.fileTime = entry.fileTime;
        items.push_back(item);
    }
    if (!EncodeTable(items, out, error))
    {
        out.clear();
        return false;
    }
    for (const PakWriterEntry& entry : entries)
    {
        size_t at = out.size();
        out.insert(out.end(), entry.data.begin(), entry.data.end());
        PakScramble(out.data() + at, entry.data.size());
    }
    return true;
}

bool PakWriteFolder(const std::string& folder, const std::string& outPath, std::string* error)
{
    std::string root = folder;
    while (root.size() > 1 && (root.back() == '\\' || root.back() == '/'))
        root.pop_back();
    std::string temp = outPath + ".tmp";
    std::vector<FolderFile> files;
    if (!ListFolder(root, "", {outPath, temp}, files, error))
        return false;
    std::sort(files.begin(), files.end(),
              [](const FolderFile& a, const FolderFile& b)
              { return PakUpperKey(a.item.name) < PakUpperKey(b.item.name); });

    std::vector<TableItem> items;
    uint64_t total = 0;
    for (const FolderFile& file : files)
    {
        items.push_back(file.item);
        total += file.item.size;
    }
    std::vector<uint8_t> table;
    if (total > kMaxArchiveBytes || !EncodeTable(items, table, error))
    {
        if (total > kMaxArchiveBytes)
            SetError(error, "archive would exceed 2 GB");
        return false;
    }

    FILE* out = fopen(temp.c_str(), "wb");
    if (out == nullptr)
    {
        SetError(error, "cannot create " + temp);
        return false;
    }
    bool ok = fwrite(table.data(), 1, table.size(), out) == table.size();
    if (!ok)
        SetError(error, "cannot write " + temp);
    for (size_t i = 0; ok && i < files.size(); ++i)
        ok = CopyScrambled(files[i], out, error);
    if (fclose(out) != 0 && ok)
    {
        SetError(error, "cannot write " + temp);
        ok = false;
    }
    if (ok && !MoveFileExA(temp.c_str(), outPath.c_str(), MOVEFILE_REPLACE_EXISTING))
    {
        SetError(error, "cannot replace " + outPath);
        ok = false;
    }
    if (!ok)
        DeleteFileA(temp.c_str());
    return ok;
}
