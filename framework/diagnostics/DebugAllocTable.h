// The debug allocation table: which allocations are still held, with the size
// and the source line that made each. A debug build's allocation hooks feed it
// (nothing in the shipped program does); at process exit, when the leak-report
// switch is on, what is left goes to "mem_leaks.txt" and the debugger output.
// One lock guards the table on every path, since allocations come from every
// thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <string>

namespace Lumo
{

struct DebugAllocRecord
{
    int size;         // bytes
    std::string file; // source file of the allocation
    int line;
};

class DebugAllocTable
{
public:
    DebugAllocTable();
    ~DebugAllocTable();
    DebugAllocTable(const DebugAllocTable&) = delete;
    DebugAllocTable& operator=(const DebugAllocTable&) = delete;

    // An address allocated again without a free replaces its record.
    void Add(const void* address, int size, const char* file, int line);
    void Remove(const void* address);
    size_t GetCount();

    // Writes the report of every held allocation, in address order, to the file
    // (truncated) and to debugOut; false when the table is gone or the file does
    // not open.
    bool WriteReport(const std::string& path, void (*debugOut)(const char* text));

    // Set once the table and its lock exist, cleared when they go; storage of a
    // static table reads false before its constructor has run.
    bool IsAlive() const { return mAlive; }

private:
    CRITICAL_SECTION mTableLock; // guards mTable
    std::map<const void*, DebugAllocRecord> mTable;
    std::atomic<bool> mAlive;
};

// --- the process-wide table, made before main and gone after it
void DebugAllocAdd(const void* address, int size, const char* file, int line);
void DebugAllocRemove(const void* address);
// The leak-report switch; off, and nothing in the program turns it on.
void SetLeakReportEnabled(bool on);
bool IsLeakReportEnabled();
// "mem_leaks.txt" in the working folder from the process-wide table; called at
// teardown when the switch is on.
void WriteLeakReport();

} // namespace Lumo
