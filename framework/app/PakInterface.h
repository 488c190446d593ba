// The process-wide archive reader and the pak-aware file functions shaped like the C
// library's stream functions. Names that a registered archive holds are served straight
// from its read-only mapped view, descrambled byte by byte as they are read; every other
// name goes to the file system. The reader publishes its address in a named shared block
// so that every unit of the process finds the same reader; other units call it by slot,
// so the order of the virtual operations below is fixed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <list>
#include <map>
#include <string>

// One registered archive, mapped whole for the reader's life.
struct PakArchive
{
    HANDLE file = INVALID_HANDLE_VALUE;
    HANDLE mapping = nullptr;
    const uint8_t* view = nullptr; // the scrambled file, read in place
    uint32_t size = 0;             // bytes of the file
};

// One name an archive holds; later registrations of the same key overwrite it.
struct PakEntry
{
    PakArchive* archive = nullptr;
    std::string name; // as stored in the table, letter case kept
    FILETIME fileTime = {};
    uint32_t start = 0; // offset of the first byte from the start of the archive file
    int32_t size = 0;   // bytes
};

// Handle of one open file: an archive entry or a C library stream.
struct PakFile
{
    PakEntry* entry = nullptr; // the entry opened; null for a file served by the file system
    // The entry's bytes and size as they were when it was opened: a later archive may
    // refile the name while the handle is open, and the handle keeps reading what it
    // opened (every registered archive stays mapped while the reader lives).
    const uint8_t* bytes = nullptr;
    int32_t size = 0;
    int32_t pos = 0;        // bytes from the entry's start, always 0 to size
    FILE* stream = nullptr; // null for an archive entry
};

// State of one running search: archive entries first, in key order, then the disk.
struct PakFindState
{
    HANDLE findHandle = INVALID_HANDLE_VALUE; // the system search once the disk is reached
    std::string lastKey;                      // key of the last archive entry reported
    bool hasLastKey = false;
    bool archivesDone = false;
    std::string pattern; // normalised
};

// The slot interface that other units call through the published address.
class PakInterfaceBase
{
public:
    // Always null; kept for its slot.
    virtual PakFile* FOpenAlt(const char* name, const char* mode) = 0;
    virtual PakFile* FOpen(const char* name, const char* mode) = 0;
    virtual int FClose(PakFile* file) = 0;
    virtual int FSeek(PakFile* file, long offset, int origin) = 0;
    virtual long FTell(PakFile* file) = 0;
    virtual size_t FRead(void* dest, size_t elementSize, size_t count, PakFile* file) = 0;
    virtual int FGetC(PakFile* file) = 0;
    virtual wint_t FGetWC(PakFile* file) = 0;
    virtual int FUngetC(int c, PakFile* file) = 0;
    virtual wchar_t* FGetWS(wchar_t* buffer, int n, PakFile* file) = 0;
    virtual char* FGetS(char* buffer, int n, PakFile* file) = 0;
    virtual int FEof(PakFile* file) = 0;
    virtual HANDLE FindFirst(const char* pattern, WIN32_FIND_DATAA* data) = 0;
    virtual bool FindNext(HANDLE find, WIN32_FIND_DATAA* data) = 0;
    virtual bool FindClose(HANDLE find) = 0;

protected:
    // Not virtual: the owner deletes the reader through its own class.
    ~PakInterfaceBase() {}
};

class PakInterface final : public PakInterfaceBase
{
public:
    // Publishes this reader unless another one is published already.
    PakInterface();
    // Withdraws the publication (when it is this reader's) and unmaps the archives.
    ~PakInterface();

    // Maps an archive and files its table; later archives win over earlier ones.
    bool AddPakFile(const std::string& fileName);

    PakFile* FOpenAlt(const char* name, const char* mode) override;
    PakFile* FOpen(const char* name, const char* mode) override;
    int FClose(PakFile* file) override;
    int FSeek(PakFile* file, long offset, int origin) override;
    long FTell(PakFile* file) override;
    size_t FRead(void* dest, size_t elementSize, size_t count, PakFile* file) override;
    int FGetC(PakFile* file) override;
    wint_t FGetWC(PakFile* file) override;
    int FUngetC(int c, PakFile* file) override;
    wchar_t* FGetWS(wchar_t* buffer, int n, PakFile* file) override;
    char* FGetS(char* buffer, int n, PakFile* file) override;
    int FEof(PakFile* file) override;
    HANDLE FindFirst(const char* pattern, WIN32_FIND_DATAA* data) override;
    bool FindNext(HANDLE find, WIN32_FIND_DATAA* data) override;
    bool FindClose(HANDLE find) override;

private:
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Fills `data` from the next matching archive entry; false when none is left.
    bool NextArchiveMatch(PakFindState* state, WIN32_FIND_DATAA* data);

    std::list<PakArchive> mArchives;          // registration order; addresses stay put
    std::map<std::string, PakEntry> mEntries; // normalised upper-case key -> entry
};

// The working folder as the C library reports it (at most 255 characters).
std::string PakWorkingFolder();

// --- Pak-aware file functions: through the published reader, else the C library ---
PakInterfaceBase* GetSharedPakInterface();
PakFile* PakOpen(const char* name, const char* mode);
int PakClose(PakFile* file);
int PakSeek(PakFile* file, long offset, int origin);
long PakTell(PakFile* file);
size_t PakRead(void* dest, size_t elementSize, size_t count, PakFile* file);
wint_t PakGetWC(PakFile* file);
int PakEof(PakFile* file);

// --- Whole files ---
// Reads a whole file through the pak-aware file functions; false when it cannot be
// opened or read in full.
bool ReadWholeFile(const std::string& fileName, std::string& bytes);
// The same over any file functions (tests hand in their own).
struct FileReadOps
{
    void* (*open)(const char* name); // null when it cannot be opened
    int (*seek)(void* file, long offset, int origin);
    long (*tell)(void* file);
    size_t (*read)(void* dest, size_t count, void* file);
    void (*close)(void* file);
};
bool ReadWholeFileWith(const FileReadOps& ops, const std::string& fileName, std::string& bytes);

// --- File callbacks of the sound library: handles are PakFile addresses, -1 failed ---
int SquallFileOpen(const char* name);
int SquallFileSeek(int handle, int offset, int origin);
int SquallFileRead(int handle, void* dest, int count);
void SquallFileClose(int handle);
