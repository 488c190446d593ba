#include "framework/app/PakInterface.h"

#include "framework/app/PakFormat.h"

#include <direct.h>

#include <cstring>
#include <exception>

// Sections: shared block, registration, opening and reading, searching, free functions,
// sound-library callbacks.

namespace
{
// --- Shared block ---

// The block holds one pointer: the published reader, or null.
PakInterfaceBase* volatile* MapSharedBlock()
{
    char name[64];
    _snprintf(name, sizeof(name), "gPakInterfaceP_%lu", GetCurrentProcessId());
    name[sizeof(name) - 1] = 0;
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(void*), name);
    if (mapping == nullptr)
        return nullptr;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(void*));
    if (view == nullptr)
    {
        CloseHandle(mapping);
        return nullptr;
    }
    // Handle and view stay open for the life of the process.
    return static_cast<PakInterfaceBase* volatile*>(view);
}

// This unit's view of the block; the runtime serialises the first call of two threads.
PakInterfaceBase* volatile* SharedSlot()
{
    static PakInterfaceBase* volatile* slot = MapSharedBlock();
    return slot;
}

bool IsReadMode(const char* mode)
{
    return _stricmp(mode, "r") == 0 || _stricmp(mode, "rb") == 0 || _stricmp(mode, "rt") == 0;
}

PakFile* NewStreamFile(FILE* stream)
{
    PakFile* file = new PakFile;
    file->stream = stream;
    return file;
}

void Warn(const std::string& text)
{
    std::string line = "WARNING: " + text + "\n";
    OutputDebugStringA(line.c_str());
}
} // namespace

std::string PakWorkingFolder()
{
    char buffer[256];
    if (_getcwd(buffer, sizeof(buffer)) == nullptr)
        return std::string();
    return buffer;
}

// --- Construction and registration ---

PakInterface::PakInterface()
{
    PakInterfaceBase* volatile* slot = SharedSlot();
    if (slot != nullptr)
        InterlockedCompareExchangePointer((PVOID volatile*)slot,
                                          static_cast<PakInterfaceBase*>(this), nullptr);
}

PakInterface::~PakInterface()
{
    PakInterfaceBase* volatile* slot = SharedSlot();
    if (slot != nullptr)
        InterlockedCompareExchangePointer((PVOID volatile*)slot, nullptr,
                                          static_cast<PakInterfaceBase*>(this));
    mEntries.clear();
    for (PakArchive& archive : mArchives)
    {
        UnmapViewOfFile(archive.view);
        CloseHandle(archive.mapping);
        CloseHandle(archive.file);
    }
    mArchives.clear();
}

bool PakInterface::AddPakFile(const std::string& fileName)
{
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    // An entry's size is signed 32-bit; larger files cannot be mapped whole here anyway.
    if (size == INVALID_FILE_SIZE || high != 0 || size > 0x7FFFFFFFu)
    {
        CloseHandle(file);
        return false;
    }
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, size, nullptr);
    if (mapping == nullptr)
    {
        CloseHandle(file);
        return false;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
    if (view == nullptr)
    {
        CloseHandle(mapping);
        CloseHandle(file);
        return false;
    }

    mArchives.emplace_back();
    PakArchive* archive = &mArchives.back();
    archive->file = file;
    archive->mapping = mapping;
    archive->view = static_cast<const uint8_t*>(view);
    archive->size = size;

    // The archive itself is listed under its name merely upper-cased.
    std::string ownKey = PakUpperKey(fileName);
    PakEntry& own = mEntries[ownKey];
    own = PakEntry();
    own.archive = archive;
    own.name = fileName;
    own.start = 0;
    own.size = int32_t(size);

    // The table is read through the normalised name, so a name that normalisation
    // changes does not find the archive's own entry and registers nothing.
    auto found = mEntries.find(PakNormalizeName(fileName.c_str(), PakWorkingFolder()));
    if (found == mEntries.end() || found->second.archive != archive || found->second.start != 0)
        return false;

    PakTable table;
    if (!PakParseTable(archive->view, size, ownKey, table))
        return false;
    if (table.dropped > 0)
        Warn("PakInterface::AddPakFile: " + fileName + ": " + std::to_string(table.dropped) +
             " damaged entries skipped");
    for (const PakTableRecord& record : table.records)
    {
        PakEntry& entry = mEntries[PakUpperKey(record.name)];
        entry.archive = archive;
        entry.name = record.name;
        entry.fileTime.dwLowDateTime = DWORD(record.fileTime);
        entry.fileTime.dwHighDateTime = DWORD(record.fileTime >> 32);
        entry.start = record.start;
        entry.size = int32_t(record.size);
    }
    return true;
}

// --- Opening and reading ---

PakFile* PakInterface::FOpenAlt(const char*, const char*)
{
    return nullptr;
}

PakFile* PakInterface::FOpen(const char* name, const char* mode)
{
    if (name == nullptr || mode == nullptr)
        return nullptr;
    if (IsReadMode(mode))
    {
        std::string key = PakNormalizeName(name, PakWorkingFolder());
        if (key.size() <= kPakMaxName)
        {
            auto found = mEntries.find(key);
            if (found != mEntries.end())
            {
                PakFile* file = new PakFile;
                file->entry = &found->second;
                file->bytes = found->second.archive->view + found->second.start;
                file->size = found->second.size;
                return file;
            }
        }
    }
    FILE* stream = fopen(name, mode);
    return stream != nullptr ? NewStreamFile(stream) : nullptr;
}

int PakInterface::FClose(PakFile* file)
{
    if (file == nullptr)
        return 0;
    if (file->entry == nullptr)
        fclose(file->stream);
    delete file;
    return 0;
}

int PakInterface::FSeek(PakFile* file, long offset, int origin)
{
    if (file->entry == nullptr)
        return fseek(file->stream, offset, origin);
    int64_t pos = file->pos;
    if (origin == SEEK_SET)
        pos = offset;
    else if (origin == SEEK_CUR)
        pos += offset;
    else if (origin == SEEK_END)
        pos = int64_t(file->size) + offset;
    if (pos < 0)
        pos = 0;
    if (pos > file->size)
        pos = file->size;
    file->pos = int32_t(pos);
    return 0;
}

long PakInterface::FTell(PakFile* file)
{
    if (file->entry == nullptr)
        return ftell(file->stream);
    return file->pos;
}

size_t PakInterface::FRead(void* dest, size_t elementSize, size_t count, PakFile* file)
{
    if (file->entry == nullptr)
        return fread(dest, elementSize, count, file->stream);
    if (elementSize == 0 || count == 0)
        return 0;
    uint64_t wanted = uint64_t(elementSize) * count;
    uint64_t left = uint64_t(file->size - file->pos);
    uint32_t bytes = uint32_t(wanted < left ? wanted : left);
    if (bytes == 0)
        return 0;
    const uint8_t* src = file->bytes + file->pos;
    uint8_t* out = static_cast<uint8_t*>(dest);
    for (uint32_t i = 0; i < bytes; ++i)
        out[i] = src[i] ^ kPakScrambleKey;
    file->pos += int32_t(bytes);
    // A trailing partial element is copied but not counted.
    return bytes / elementSize;
}

int PakInterface::FGetC(PakFile* file)
{
    if (file->entry == nullptr)
        return fgetc(file->stream);
    const uint8_t* bytes = file->bytes;
    while (file->pos < file->size)
    {
        int c = bytes[file->pos++] ^ kPakScrambleKey;
        if (c != '\r')
            return c;
    }
    return EOF;
}

wint_t PakInterface::FGetWC(PakFile* file)
{
    if (file->entry == nullptr)
        return fgetwc(file->stream);
    const uint8_t* bytes = file->bytes;
    while (file->pos + 2 <= file->size)
    {
        wint_t c = wint_t((bytes[file->pos] ^ kPakScrambleKey) |
                          ((bytes[file->pos + 1] ^ kPakScrambleKey) << 8));
        file->pos += 2;
        if (c != L'\r')
            return c;
    }
    // A lone trailing byte is no character; it is consumed so that FEof turns true.
    file->pos = file->size;
    return 0xFFFF;
}

int PakInterface::FUngetC(int c, PakFile* file)
{
    if (file->entry == nullptr)
        return ungetc(c, file->stream);
    // Pushing back the end marker gives nothing back, as with the C library.
    if (c == EOF)
        return EOF;
    if (file->pos > 0)
        --file->pos;
    return c;
}

wchar_t* PakInterface::FGetWS(wchar_t* buffer, int n, PakFile* file)
{
    if (n <= 0)
        return nullptr;
    if (file->entry == nullptr)
        return fgetws(buffer, n, file->stream);
    int stored = 0;
    bool ended = false;
    while (stored < n - 1)
    {
        wint_t c = FGetWC(file);
        if (c == 0xFFFF)
        {
            ended = true;
            break;
        }
        buffer[stored++] = wchar_t(c);
        if (c == L'\n')
            break;
    }
    if (ended && stored == 0)
        return nullptr;
    buffer[stored] = 0;
    return buffer;
}

char* PakInterface::FGetS(char* buffer, int n, PakFile* file)
{
    if (n <= 0)
        return nullptr;
    if (file->entry == nullptr)
        return fgets(buffer, n, file->stream);
    int stored = 0;
    bool ended = false;
    while (stored < n - 1)
    {
        int c = FGetC(file);
        if (c == EOF)
        {
            ended = true;
            break;
        }
        buffer[stored++] = char(c);
        if (c == '\n')
            break;
    }
    if (ended && stored == 0)
        return nullptr;
    buffer[stored] = 0;
    return buffer;
}

int PakInterface::FEof(PakFile* file)
{
    if (file->entry == nullptr)
        return feof(file->stream);
    return file->pos >= file->size ? 1 : 0;
}

// --- Searching ---

bool PakInterface::NextArchiveMatch(PakFindState* state, WIN32_FIND_DATAA* data)
{
    if (state->archivesDone)
        return false;
    auto it = state->hasLastKey ? mEntries.upper_bound(state->lastKey) : mEntries.begin();
    for (; it != mEntries.end(); ++it)
    {
        const std::string& key = it->first;
        size_t rest = 0;
        if (!PakKeyMatches(key, state->pattern, &rest))
            continue;
        const PakEntry& entry = it->second;
        // A separator within the matched ending marks a folder.
        long from = long(key.size()) - long(rest);
        if (from < 0)
            from = 0;
        data->dwFileAttributes =
            key.find('\\', size_t(from)) != std::string::npos ? FILE_ATTRIBUTE_DIRECTORY : 0;
        data->ftCreationTime = entry.fileTime;
        data->ftLastAccessTime = entry.fileTime;
        data->ftLastWriteTime = entry.fileTime;
        data->nFileSizeLow = DWORD(entry.size);
        size_t slash = entry.name.rfind('\\');
        std::string shown = slash == std::string::npos ? entry.name : entry.name.substr(slash + 1);
        strncpy(data->cFileName, shown.c_str(), sizeof(data->cFileName) - 1);
        data->cFileName[sizeof(data->cFileName) - 1] = 0;
        state->lastKey = key;
        state->hasLastKey = true;
        return true;
    }
    state->archivesDone = true;
    return false;
}

HANDLE PakInterface::FindFirst(const char* pattern, WIN32_FIND_DATAA* data)
{
    if (pattern == nullptr)
        return INVALID_HANDLE_VALUE;
    PakFindState* state = new PakFindState;
    state->pattern = PakNormalizeName(pattern, PakWorkingFolder());
    if (NextArchiveMatch(state, data))
        return reinterpret_cast<HANDLE>(state);
    state->findHandle = FindFirstFileA(state->pattern.c_str(), data);
    if (state->findHandle != INVALID_HANDLE_VALUE)
        return reinterpret_cast<HANDLE>(state);
    delete state;
    return INVALID_HANDLE_VALUE;
}

bool PakInterface::FindNext(HANDLE find, WIN32_FIND_DATAA* data)
{
    if (find == INVALID_HANDLE_VALUE || find == nullptr)
        return false;
    PakFindState* state = reinterpret_cast<PakFindState*>(find);
    if (state->findHandle != INVALID_HANDLE_VALUE)
        return FindNextFileA(state->findHandle, data) != FALSE;
    if (NextArchiveMatch(state, data))
        return true;
    state->findHandle = FindFirstFileA(state->pattern.c_str(), data);
    return state->findHandle != INVALID_HANDLE_VALUE;
}

bool PakInterface::FindClose(HANDLE find)
{
    if (find == INVALID_HANDLE_VALUE || find == nullptr)
        return true;
    PakFindState* state = reinterpret_cast<PakFindState*>(find);
    if (state->findHandle != INVALID_HANDLE_VALUE)
        ::FindClose(state->findHandle);
    delete state;
    return true;
}

// --- Pak-aware file functions ---

namespace
{
// Without a reader only streams can be served; an archive handle that outlived its
// reader reads as an empty file instead of crashing.
bool HasStream(const PakFile* file)
{
    return file != nullptr && file->stream != nullptr;
}
} // namespace

PakInterfaceBase* GetSharedPakInterface()
{
    PakInterfaceBase* volatile* slot = SharedSlot();
    return slot != nullptr ? *slot : nullptr;
}

PakFile* PakOpen(const char* name, const char* mode)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FOpen(name, mode);
    if (name == nullptr || mode == nullptr)
        return nullptr;
    FILE* stream = fopen(name, mode);
    return stream != nullptr ? NewStreamFile(stream) : nullptr;
}

int PakClose(PakFile* file)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FClose(file);
    if (file == nullptr)
        return 0;
    int result = file->stream != nullptr ? fclose(file->stream) : 0;
    delete file;
    return result;
}

int PakSeek(PakFile* file, long offset, int origin)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FSeek(file, offset, origin);
    return HasStream(file) ? fseek(file->stream, offset, origin) : -1;
}

long PakTell(PakFile* file)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FTell(file);
    return HasStream(file) ? ftell(file->stream) : -1;
}

size_t PakRead(void* dest, size_t elementSize, size_t count, PakFile* file)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FRead(dest, elementSize, count, file);
    return HasStream(file) ? fread(dest, elementSize, count, file->stream) : 0;
}

wint_t PakGetWC(PakFile* file)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FGetWC(file);
    return HasStream(file) ? fgetwc(file->stream) : wint_t(0xFFFF);
}

int PakEof(PakFile* file)
{
    if (PakInterfaceBase* pak = GetSharedPakInterface())
        return pak->FEof(file);
    return HasStream(file) ? feof(file->stream) : 1;
}

// --- Sound-library file callbacks ---

namespace
{
PakFile* FromHandle(int handle)
{
    return handle == -1 || handle == 0 ? nullptr : reinterpret_cast<PakFile*>(intptr_t(handle));
}
} // namespace

int SquallFileOpen(const char* name)
{
    PakFile* file = PakOpen(name, "rb");
    return file != nullptr ? int(reinterpret_cast<intptr_t>(file)) : -1;
}

int SquallFileSeek(int handle, int offset, int origin)
{
    PakFile* file = FromHandle(handle);
    if (file == nullptr)
        return -1;
    PakSeek(file, offset, origin);
    return int(PakTell(file));
}

int SquallFileRead(int handle, void* dest, int count)
{
    PakFile* file = FromHandle(handle);
    if (file == nullptr || count <= 0)
        return 0;
    return int(PakRead(dest, 1, size_t(count), file));
}

void SquallFileClose(int handle)
{
    if (PakFile* file = FromHandle(handle))
        PakClose(file);
}

// --- whole files ---

namespace
{

void* PakOpenOp(const char* name)
{
    return PakOpen(name, "rb");
}
int PakSeekOp(void* file, long offset, int origin)
{
    return PakSeek((PakFile*)file, offset, origin);
}
long PakTellOp(void* file)
{
    return PakTell((PakFile*)file);
}
size_t PakReadOp(void* dest, size_t count, void* file)
{
    return PakRead(dest, 1, count, (PakFile*)file);
}
void PakCloseOp(void* file)
{
    PakClose((PakFile*)file);
}

} // namespace

bool ReadWholeFileWith(const FileReadOps& ops, const std::string& fileName, std::string& bytes)
{
    void* file = ops.open(fileName.c_str());
    if (!file)
        return false;
    bool ok = ops.seek(file, 0, SEEK_END) == 0;
    long size = ok ? ops.tell(file) : -1;
    ok = ok && size >= 0 && ops.seek(file, 0, SEEK_SET) == 0;
    std::string read;
    if (ok)
    {
        // A file larger than the address space can hold is a failed read, not a crash.
        try
        {
            read.resize((size_t)size);
        }
        catch (const std::exception&)
        {
            ok = false;
        }
        // A short read is a failure: the caller must never see half a file.
        ok = ok && (size == 0 || ops.read(&read[0], (size_t)size, file) == (size_t)size);
    }
    ops.close(file);
    if (ok)
        bytes.swap(read);
    return ok;
}

bool ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    static const FileReadOps pakOps = {PakOpenOp, PakSeekOp, PakTellOp, PakReadOp, PakCloseOp};
    return ReadWholeFileWith(pakOps, fileName, bytes);
}
