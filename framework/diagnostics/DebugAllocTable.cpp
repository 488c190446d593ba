#include "framework/diagnostics/DebugAllocTable.h"

#include <cstdio>
#include <ctime>

#include "framework/app/StringUtils.h"

namespace Lumo
{

DebugAllocTable::DebugAllocTable()
{
    InitializeCriticalSection(&mTableLock);
    mAlive = true;
}

DebugAllocTable::~DebugAllocTable()
{
    mAlive = false;
    EnterCriticalSection(&mTableLock);
    mTable.clear();
    LeaveCriticalSection(&mTableLock);
    DeleteCriticalSection(&mTableLock);
}

void DebugAllocTable::Add(const void* address, int size, const char* file, int line)
{
    if (!mAlive)
        return;
    EnterCriticalSection(&mTableLock);
    DebugAllocRecord& record = mTable[address];
    record.size = size;
    record.file = file ? file : "(unknown)";
    record.line = line;
    LeaveCriticalSection(&mTableLock);
}

void DebugAllocTable::Remove(const void* address)
{
    if (!mAlive)
        return;
    EnterCriticalSection(&mTableLock);
    mTable.erase(address);
    LeaveCriticalSection(&mTableLock);
}

size_t DebugAllocTable::GetCount()
{
    if (!mAlive)
        return 0;
    EnterCriticalSection(&mTableLock);
    size_t count = mTable.size();
    LeaveCriticalSection(&mTableLock);
    return count;
}

bool DebugAllocTable::WriteReport(const std::string& path, void (*debugOut)(const char* text))
{
    if (!mAlive)
        return false;
    EnterCriticalSection(&mTableLock);
    FILE* file = fopen(path.c_str(), "wt");
    if (!file)
    {
        LeaveCriticalSection(&mTableLock);
        return false;
    }

    time_t now = time(nullptr);
    const char* date = asctime(localtime(&now)); // ends in its own line feed
    std::string header = StrFormat("Memory Leak Report for %s\n", date ? date : "?\n");
    fputs(header.c_str(), file);
    debugOut("\n");
    debugOut(header.c_str());

    // Summed in 64 bits: the leaks of a long run may pass 2 GB together.
    long long total = 0;
    for (const auto& entry : mTable)
    {
        const DebugAllocRecord& record = entry.second;
        std::string line = StrFormat("%s(%d) : Leak %d byte%s\n", record.file.c_str(), record.line,
                                     record.size, record.size >= 2 ? "s" : "");
        debugOut(line.c_str());
        fputs(line.c_str(), file);
        total += record.size;
    }

    std::string rule = std::string(59, '-') + "\n";
    fputs(rule.c_str(), file);
    debugOut(rule.c_str());
    std::string sum = "Total Unfreed: " + std::to_string(total) + " bytes (" +
                      std::to_string(total / 1024) + "KB)\n\n";
    debugOut(sum.c_str());
    fputs(sum.c_str(), file);
    fclose(file);
    LeaveCriticalSection(&mTableLock);
    return true;
}

// ---------------------------------------------------------------- process-wide table

namespace
{

bool gLeakReportEnabled = false;

// Writes the report at teardown when asked, before the table goes.
struct ProcessTable : DebugAllocTable
{
    ~ProcessTable()
    {
        if (gLeakReportEnabled)
            WriteLeakReport();
    }
};

ProcessTable gProcessTable;

void DebuggerOut(const char* text)
{
    OutputDebugStringA(text);
}

} // namespace

void DebugAllocAdd(const void* address, int size, const char* file, int line)
{
    gProcessTable.Add(address, size, file, line);
}

void DebugAllocRemove(const void* address)
{
    gProcessTable.Remove(address);
}

void SetLeakReportEnabled(bool on)
{
    gLeakReportEnabled = on;
}

bool IsLeakReportEnabled()
{
    return gLeakReportEnabled;
}

void WriteLeakReport()
{
    gProcessTable.WriteReport("mem_leaks.txt", DebuggerOut);
}

} // namespace Lumo
