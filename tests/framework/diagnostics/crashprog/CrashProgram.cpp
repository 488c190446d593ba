// Crashes on purpose, one kind of fault per run, for the crash reporter's
// tests: lumo_crash_test <kind> [crash server host]. The lines marked
// "fault:" are where each fault happens; the tests look them up by marker.

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "framework/app/LumoAppBase.h"
#include "framework/diagnostics/CrashReporter.h"

namespace
{

volatile int gZero = 0;
volatile int gDepthLimit = 1 << 30; // never reached: the stack ends first
int* volatile gNullPointer = nullptr;
void (*volatile gNullFunction)() = nullptr;
bool gCrashInReporter = false;
char* volatile gLeaked = nullptr;

class CrashTestApp : public Lumo::LumoAppBase
{
public:
    CrashTestApp()
    {
        mProductName = "CrashTest";
        mProductVersion = "7.5";
        mPrimaryThreadId = GetCurrentThreadId();
        mIsPhysWindowed = true;
    }
    std::string GetCrashInfoText() override
    {
        if (gCrashInReporter)
            *gNullPointer = 2; // fault: reporter
        return Lumo::LumoAppBase::GetCrashInfoText();
    }
    void Hook42(std::map<std::string, std::string>& fields) override { fields["build"] = "test"; }
};

__attribute__((noinline)) int ReadThroughNull()
{
    return *gNullPointer; // fault: read
}

__attribute__((noinline)) void WriteThroughNull()
{
    *gNullPointer = 1; // fault: write
}

__attribute__((noinline)) int DivideByZero(int value)
{
    return value / gZero; // fault: divide
}

__attribute__((noinline)) int RecurseForever(int depth)
{
    volatile char frame[256];
    frame[0] = (char)depth;
    if (depth > gDepthLimit)
        return 0;
    return RecurseForever(depth + 1) + frame[0]; // fault: overflow
}

__attribute__((noinline)) void ThrowUncaught()
{
    throw std::runtime_error("nobody catches this"); // fault: throw
}

// Fills the address space with large blocks (reserved only: no memory is
// touched), as a game's pictures would, until a large allocation throws;
// small ones still find room between the blocks.
__attribute__((noinline)) void ExhaustMemory()
{
    for (SIZE_T size = (SIZE_T)1 << 30; size >= (SIZE_T)16 << 20; size /= 2)
        while (VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
        {
        }
    gLeaked = new char[64 << 20]; // fault: out-of-memory
}

DWORD WINAPI CrashingThread(void*)
{
    WriteThroughNull();
    return 0;
}

__attribute__((noinline)) int RunCrash(const std::string& kind)
{
    if (kind == "null-call")
        gNullFunction(); // fault: null-call
    else if (kind == "read")
        return ReadThroughNull();
    else if (kind == "write" || kind == "no-app")
        WriteThroughNull();
    else if (kind == "divide")
        return DivideByZero(7);
    else if (kind == "overflow")
        return RecurseForever(0);
    else if (kind == "throw")
        ThrowUncaught();
    else if (kind == "out-of-memory")
        ExhaustMemory();
    else if (kind == "thread")
    {
        HANDLE thread = CreateThread(nullptr, 0, CrashingThread, nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
    }
    else if (kind == "reporter")
    {
        gCrashInReporter = true;
        WriteThroughNull();
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    std::string arguments = commandLine;
    size_t blank = arguments.find(' ');
    std::string kind = arguments.substr(0, blank);
    if (blank != std::string::npos)
        gCrashServerHost = arguments.substr(blank + 1);
    CrashTestApp* app = new CrashTestApp();
    if (kind == "no-app")
        delete app;
    return RunCrash(kind) == 12345 ? 1 : 0;
}
