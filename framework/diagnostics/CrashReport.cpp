// The exception filter and the report text. Everything here runs after a
// fault, so it trusts no address before VirtualQuery has vouched for it, runs
// on a stack reserved at start-up (the faulting one may be exhausted), and a
// second fault while it runs ends the process instead of reporting again.
// The fault may be that memory ran out: the report starts by giving back the
// cushion held since start-up, writes what it has before it loads anything,
// and loads image help only while the address space has room for it.

#include "framework/diagnostics/CrashReporter.h"

#include <windows.h>
#include <imagehlp.h>

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <vector>

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/CrashMapFile.h"
#include "framework/diagnostics/MemoryCushion.h"

// Defined here, beside the installer, so that every program holding an
// application object also installs the reporter.
Lumo::LumoAppBase* gCrashReporterApp = nullptr;
uint8_t gCrashShowWindow = 1;
uint8_t gCrashAttachDemo = 0;
std::string gCrashAttachmentPath;

namespace Lumo
{

const ExceptionName gExceptionNames[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
    {0xFFFFFFFF, nullptr},
};

namespace CrashReporter
{

namespace
{

// ---------------------------------------------------------------- image help

typedef BOOL(WINAPI* SymInitializeFunc)(HANDLE, PCSTR, BOOL);
typedef DWORD(WINAPI* SymSetOptionsFunc)(DWORD);
typedef BOOL(WINAPI* SymCleanupFunc)(HANDLE);
typedef DWORD(WINAPI* UnDecorateSymbolNameFunc)(PCSTR, PSTR, DWORD, DWORD);
typedef BOOL(WINAPI* StackWalkFunc)(DWORD, HANDLE, HANDLE, LPSTACKFRAME, PVOID,
                                    PREAD_PROCESS_MEMORY_ROUTINE, PFUNCTION_TABLE_ACCESS_ROUTINE,
                                    PGET_MODULE_BASE_ROUTINE, PTRANSLATE_ADDRESS_ROUTINE);
typedef PVOID(WINAPI* SymFunctionTableAccessFunc)(HANDLE, DWORD);
typedef DWORD(WINAPI* SymGetModuleBaseFunc)(HANDLE, DWORD);
typedef BOOL(WINAPI* SymGetSymFromAddrFunc)(HANDLE, DWORD, PDWORD, PIMAGEHLP_SYMBOL);

HMODULE sImageHelp;
bool sSymbolsInitialised;
SymInitializeFunc sSymInitialize;
SymSetOptionsFunc sSymSetOptions;
SymCleanupFunc sSymCleanup;
UnDecorateSymbolNameFunc sUnDecorateSymbolName;
StackWalkFunc sStackWalk;
SymFunctionTableAccessFunc sSymFunctionTableAccess;
SymGetModuleBaseFunc sSymGetModuleBase;
SymGetSymFromAddrFunc sSymGetSymFromAddr;

template <class F> bool LookUp(F& function, const char* name)
{
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(sImageHelp, name)));
    return function != nullptr;
}

// The platform's undecorator first; a GCC name it leaves as it is is demangled here.
std::string UndecorateName(const std::string& name, DWORD flags, DWORD bufferSize)
{
    std::string result = name;
    if (sUnDecorateSymbolName)
    {
        std::vector<char> buffer(bufferSize + 1, 0);
        if (sUnDecorateSymbolName(name.c_str(), buffer.data(), bufferSize, flags))
            result = buffer.data();
    }
    if (result == name)
    {
        // COFF names carry one more leading underscore than the Itanium "_Z",
        // and a standard-call function its argument bytes after an "@".
        std::string bare = name;
        size_t at = bare.rfind('@');
        if (at != std::string::npos && at + 1 < bare.size() &&
            bare.find_first_not_of("0123456789", at + 1) == std::string::npos)
            bare.erase(at);
        const char* mangled = bare.c_str();
        if (mangled[0] == '_' && mangled[1] == '_' && mangled[2] == 'Z')
            mangled++;
        if (mangled[0] == '_' && mangled[1] == 'Z')
        {
            int status = -1;
            char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
            if (plain && status == 0)
                result = plain;
            free(plain);
        }
    }
    return result;
}

// ---------------------------------------------------------------- memory checks

bool RegionAllows(const void* address, size_t size, DWORD wanted)
{
    const char* at = static_cast<const char*>(address);
    const char* end = at + size;
    if (end < at)
        return false;
    while (at < end)
    {
        MEMORY_BASIC_INFORMATION info;
        if (!VirtualQuery(at, &info, sizeof(info)) || info.State != MEM_COMMIT ||
            (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) || !(info.Protect & wanted))
            return false;
        at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    }
    return true;
}

const DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                        PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
const DWORD kWritable =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// ---------------------------------------------------------------- filter state

LPTOP_LEVEL_EXCEPTION_FILTER sPreviousFilter;
std::terminate_handler sPreviousTerminate;
std::atomic<DWORD> sReportingThread(0); // the thread building the report, 0 before
void* sReportStack;                     // reserved by Install
// Read by nothing: the query is pure, so only a kept result makes the call.
volatile int sUncaughtAtInstall;
const SIZE_T kReportStackSize = 1024 * 1024;

// An exception nothing catches ends here; raising it as the code C++ compilers
// use for their exceptions makes it reach the filter like any other fault.
void OnTerminate()
{
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    abort();
}

void ReportOnThisThread(void* pointers)
{
    if (gCrashReporterApp)
        gCrashReporterApp->HideApp();
    BuildReport(static_cast<EXCEPTION_POINTERS*>(pointers));
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
}

} // namespace

} // namespace CrashReporter
} // namespace Lumo

// Calls fn(arg) with the stack pointer at top and puts it back afterwards; the
// frame pointer keeps the way back.
extern "C" void LumoRunOnStack(void (*fn)(void*), void* arg, void* top);
asm(".text\n"
    ".globl _LumoRunOnStack\n"
    "_LumoRunOnStack:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    movl 16(%ebp), %eax\n"
    "    movl %eax, %esp\n"
    "    subl $12, %esp\n" // 16-byte aligned at the call
    "    pushl 12(%ebp)\n"
    "    call *8(%ebp)\n"
    "    movl %ebp, %esp\n"
    "    popl %ebp\n"
    "    ret\n");

namespace Lumo
{
namespace CrashReporter
{

namespace
{

// Runs fn on the reserved stack, with the thread's stack bounds moved along;
// false when the stack cannot be committed (then the caller runs in place).
bool RunOnReportStack(void (*fn)(void*), void* arg)
{
    if (!sReportStack || !VirtualAlloc(sReportStack, kReportStackSize, MEM_COMMIT, PAGE_READWRITE))
        return false;
    NT_TIB* tib;
    asm volatile("movl %%fs:0x18, %0" : "=r"(tib)); // the thread's own block, as NtCurrentTeb
    void* oldBase = tib->StackBase;
    void* oldLimit = tib->StackLimit;
    char* top = static_cast<char*>(sReportStack) + kReportStackSize;
    tib->StackBase = top;
    tib->StackLimit = sReportStack;
    LumoRunOnStack(fn, arg, top);
    tib->StackBase = oldBase;
    tib->StackLimit = oldLimit;
    return true;
}

// Image help maps the program's debug file whole and builds its tables from
// it: with no free range of this size left, the report names its frames
// through the map file alone.
const SIZE_T kImageHelpRoom = 128u * 1024 * 1024;

bool RoomForImageHelp()
{
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
    const char* end = static_cast<const char*>(system.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION info;
    while (at < end && VirtualQuery(at, &info, sizeof(info)))
    {
        if (info.State == MEM_FREE && info.RegionSize >= kImageHelpRoom)
            return true;
        at = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    }
    return false;
}

// Writes the end of the running demo recording and names it for the upload.
void SaveRunningDemo(LumoAppBase* app)
{
    if (app->mRecordingDemo)
    {
        // The stream ends with a filler record (timing, a 0 flag bit and
        // command 31) that marks where the run broke off.
        app->WriteDemoCommand(DEMO_FILLER);
        app->WriteDemoFile();
        gCrashAttachmentPath = app->mDemoFileName;
    }
    gCrashAttachDemo = app->mRecordingDemo ? 1 : 0;
    std::string extra = app->GetExtraText();
    if (!extra.empty())
    {
        gCrashAttachmentPath = extra;
        gCrashAttachDemo = 1;
    }
    app->mRecordingDemo = false;
    app->mPlayingDemo = false;
}

} // namespace

// ---------------------------------------------------------------- installation

void Install()
{
    sPreviousFilter = SetUnhandledExceptionFilter(UnhandledExceptionFilter);
    sPreviousTerminate = std::set_terminate(OnTerminate);
    if (!sReportStack)
        sReportStack = VirtualAlloc(nullptr, kReportStackSize, MEM_RESERVE, PAGE_NOACCESS);
    MemoryCushion::Hold();
    // A thread's exception state is made at its first throw, and the runtime
    // aborts when it gets no memory for it: made now, the main thread's
    // exception still reaches the reporter when memory has run out.
    sUncaughtAtInstall = std::uncaught_exceptions();
}

void Uninstall()
{
    SetUnhandledExceptionFilter(sPreviousFilter);
    std::set_terminate(sPreviousTerminate);
}

LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* pointers)
{
    DWORD self = GetCurrentThreadId();
    DWORD idle = 0;
    if (!sReportingThread.compare_exchange_strong(idle, self))
    {
        // A fault inside the reporter ends the process; another thread's fault
        // waits, since the report under way ends the process anyway.
        if (idle == self)
            TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
        for (;;)
            Sleep(INFINITE);
    }
    MemoryCushion::Release();
    if (!RunOnReportStack(ReportOnThisThread, pointers))
        ReportOnThisThread(pointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

// ---------------------------------------------------------------- report

void BuildReport(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    const CONTEXT* context = pointers->ContextRecord;

    std::string head =
        FormatExceptionLine(record->ExceptionCode, record->ExceptionAddress, GetCurrentThreadId());
    char module[2048] = "";
    DWORD section = 0, offset = 0;
    GetLogicalAddress(record->ExceptionAddress, module, sizeof(module), section, offset);
    head += "Module: " + GetFileNameOfPath(module) + "\r\n";
    head += StrFormat("Logical Address: %04X:%08X\r\n", section, offset) + "\r\n";
    std::string title = StrFormat("Exception at %04X:%08X", section, offset);

    std::string tail = FormatRegisters(*context) + "\r\n";
    tail += GetSystemInfo();
    LumoAppBase* app = gCrashReporterApp;
    if (app)
    {
        std::string info = app->GetCrashInfoText();
        if (!info.empty())
            tail += "\r\n" + info;
    }
    // On disk before anything is loaded: the frame chain needs nothing.
    const std::string chain = WriteFrameChainWalk(context);
    WriteCrashFile(head + chain + "\r\n" + tail);

    // A symbolic walk that wrote no frame leaves the work to the frame chain.
    const bool room = RoomForImageHelp();
    const bool imageHelp = room && LoadImageHelp();
    int frames = 0;
    std::string stack;
    if (imageHelp)
        stack = WriteStackWalk(context, 0, &frames);
    if (frames == 0)
        stack += chain;
    std::string report = head + stack + "\r\n" + tail;
    if (app)
        app->CopyToClipboard(report);
    // Without room for image help the map file alone names the frames.
    if (imageHelp || !room)
    {
        try
        {
            LookupMapFile(report, section, offset);
        }
        catch (const std::bad_alloc&)
        {
            // The addresses keep their numbers.
        }
    }
    WriteCrashFile(report);
    if (app)
        SaveRunningDemo(app);
    if (gCrashShowWindow)
        ShowReportWindow(title, report);
    FreeImageHelp();
}

bool LoadImageHelp()
{
    sImageHelp = LoadLibraryA("IMAGEHLP.DLL");
    if (!sImageHelp)
        return false;
    if (!LookUp(sSymInitialize, "SymInitialize") || !LookUp(sSymSetOptions, "SymSetOptions") ||
        !LookUp(sSymCleanup, "SymCleanup") ||
        !LookUp(sUnDecorateSymbolName, "UnDecorateSymbolName") ||
        !LookUp(sStackWalk, "StackWalk") ||
        !LookUp(sSymFunctionTableAccess, "SymFunctionTableAccess") ||
        !LookUp(sSymGetModuleBase, "SymGetModuleBase") ||
        !LookUp(sSymGetSymFromAddr, "SymGetSymFromAddr"))
    {
        FreeImageHelp();
        return false;
    }
    sSymSetOptions(SYMOPT_DEFERRED_LOADS);
    // Without a narrow name for the program's folder the default search path
    // still holds it: it is the working folder.
    const std::string folder = Lumo::GetFileDir(Lumo::GetExecutablePath());
    sSymbolsInitialised =
        sSymInitialize(GetCurrentProcess(), folder.empty() ? nullptr : folder.c_str(), TRUE);
    return sSymbolsInitialised;
}

void FreeImageHelp()
{
    if (sSymbolsInitialised && sSymCleanup)
        sSymCleanup(GetCurrentProcess());
    sSymbolsInitialised = false;
    if (sImageHelp)
        FreeLibrary(sImageHelp);
    sImageHelp = nullptr;
    sSymInitialize = nullptr;
    sSymSetOptions = nullptr;
    sSymCleanup = nullptr;
    sUnDecorateSymbolName = nullptr;
    sStackWalk = nullptr;
    sSymFunctionTableAccess = nullptr;
    sSymGetModuleBase = nullptr;
    sSymGetSymFromAddr = nullptr;
}

bool GetLogicalAddress(const void* address, char* moduleName, DWORD nameSize, DWORD& section,
                       DWORD& offset)
{
    // Only a committed image mapping is read as a module: an address of 0 or
    // of a heap block has no headers to read.
    MEMORY_BASIC_INFORMATION info;
    if (!VirtualQuery(address, &info, sizeof(info)) || info.State != MEM_COMMIT ||
        info.Type != MEM_IMAGE || !info.AllocationBase)
        return false;
    HMODULE module = static_cast<HMODULE>(info.AllocationBase);
    DWORD length = GetModuleFileNameA(module, moduleName, nameSize);
    if (length == 0)
        return false;
    moduleName[length < nameSize ? length : nameSize - 1] = 0;

    const char* base = reinterpret_cast<const char*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!RegionAllows(dos, sizeof(*dos), kReadable) || dos->e_magic != IMAGE_DOS_SIGNATURE ||
        dos->e_lfanew <= 0 || dos->e_lfanew > 0x100000)
        return false;
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (!RegionAllows(nt, sizeof(*nt), kReadable) || nt->Signature != IMAGE_NT_SIGNATURE)
        return false;
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    int count = nt->FileHeader.NumberOfSections;
    if (!RegionAllows(sections, count * sizeof(IMAGE_SECTION_HEADER), kReadable))
        return false;
    DWORD rva = (DWORD)(reinterpret_cast<const char*>(address) - base);
    return FindSectionOffset(sections, count, rva, section, offset);
}

std::string WriteStackWalk(const CONTEXT* context, int framesToSkip, int* frameCount)
{
    STACKFRAME frame;
    memset(&frame, 0, sizeof(frame));
    frame.AddrPC.Offset = context->Eip;
    frame.AddrPC.Mode = AddrModeFlat;
    frame.AddrFrame.Offset = context->Ebp;
    frame.AddrFrame.Mode = AddrModeFlat;
    frame.AddrStack.Offset = context->Esp;
    frame.AddrStack.Mode = AddrModeFlat;

    std::string text;
    int written = 0;
    // Frames rise strictly on a sound stack; the bound only stops a looping walker.
    for (int step = 0; step < 1024; step++)
    {
        if (!sStackWalk(IMAGE_FILE_MACHINE_I386, GetCurrentProcess(), GetCurrentThread(), &frame,
                        nullptr, nullptr, sSymFunctionTableAccess, sSymGetModuleBase, nullptr))
        {
            text += StrFormat("StackWalk failed (error %d)\r\n", (int)GetLastError());
            break;
        }
        if (frame.AddrFrame.Offset == 0 || frame.AddrPC.Offset == 0)
            break;
        if (framesToSkip > 0)
        {
            framesToSkip--;
            continue;
        }
        union
        {
            IMAGEHLP_SYMBOL symbol;
            char bytes[sizeof(IMAGEHLP_SYMBOL) + 512];
        } buffer;
        memset(&buffer, 0, sizeof(buffer));
        buffer.symbol.SizeOfStruct = sizeof(IMAGEHLP_SYMBOL);
        buffer.symbol.MaxNameLength = 512;
        // Past the first frame the address is where a call returns to, which
        // for a call that never returns is already the next function.
        DWORD back = step > 0 ? 1 : 0;
        DWORD displacement = 0;
        if (sSymGetSymFromAddr(GetCurrentProcess(), frame.AddrPC.Offset - back, &displacement,
                               &buffer.symbol))
        {
            std::string name = UndecorateName(buffer.symbol.Name, 0x47F8, 256);
            text += StrFormat("%08X %08X %hs+%X\r\n", frame.AddrFrame.Offset, frame.AddrPC.Offset,
                              name.c_str(), displacement + back);
        }
        else
        {
            char module[MAX_PATH] = "";
            DWORD section = 0, offset = 0;
            GetLogicalAddress(reinterpret_cast<void*>(frame.AddrPC.Offset), module, sizeof(module),
                              section, offset);
            text +=
                StrFormat("%08X %08X %04X:%08X %s\r\n", frame.AddrFrame.Offset, frame.AddrPC.Offset,
                          section, offset, GetFileNameOfPath(module).c_str());
        }
        text += StrFormat("Params: %08X %08X %08X %08X\r\n", frame.Params[0], frame.Params[1],
                          frame.Params[2], frame.Params[3]);
        text += "\r\n";
        written++;
    }
    if (frameCount)
        *frameCount = written;
    return text;
}

std::string WriteFrameChainWalk(const CONTEXT* context)
{
    std::string text;
    DWORD pc = context->Eip;
    DWORD frame = context->Ebp;
    for (int step = 0; step < 1024; step++)
    {
        char module[MAX_PATH] = "";
        DWORD section = 0, offset = 0;
        GetLogicalAddress(reinterpret_cast<void*>(pc), module, sizeof(module), section, offset);
        text += StrFormat("%08X  %08X  %04X:%08X %s\r\n", pc, frame, section, offset,
                          GetFileNameOfPath(module).c_str());
        // Every frame, the first included, is read only when it is sound.
        if ((frame & 3) || !RegionAllows(reinterpret_cast<void*>(frame), 8, kWritable))
            break;
        const DWORD* words = reinterpret_cast<const DWORD*>(frame);
        DWORD next = words[0];
        pc = words[1];
        if ((next & 3) || next <= frame ||
            !RegionAllows(reinterpret_cast<void*>(next), 8, kWritable))
            break;
        frame = next;
    }
    return text;
}

std::string GetSystemInfo()
{
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    std::string text = "Windows Ver: ";
    text += version.dwPlatformId == VER_PLATFORM_WIN32_NT ? "NT " : "9x ";
    text += StrFormat("%d.%d", (int)version.dwMajorVersion, (int)version.dwMinorVersion);
    text += std::string(" ") + version.szCSDVersion + " " + "Build " +
            StrFormat("%d", (int)version.dwBuildNumber) + "\r\n";

    LumoAppBase* app = gCrashReporterApp;
    if (!app)
        return text;
    const char* const libraries[][2] = {{"ddraw.dll", "DDraw Ver: "},
                                        {"dsound.dll", "DSound Ver: "}};
    for (const auto& library : libraries)
    {
        HMODULE module = LoadLibraryA(library[0]);
        if (!module)
            continue;
        char path[256] = "";
        GetModuleFileNameA(module, path, sizeof(path) - 1);
        text += library[1] + app->GetProductVersion(path) + "\r\n";
        FreeLibrary(module);
    }
    return text;
}

void LookupMapFile(std::string& report, DWORD faultSection, DWORD faultOffset)
{
    char path[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program = GetFileNameOfPath(path);
    const IMAGE_DOS_HEADER* dos =
        reinterpret_cast<const IMAGE_DOS_HEADER*>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const char*>(dos) + dos->e_lfanew);
    uint32_t stamp = nt->FileHeader.TimeDateStamp;

    // Other programs' maps may lie in the same folder, so the one named after
    // the program comes first; any map stands only when its time stamp is ours.
    std::vector<std::string> candidates;
    size_t dot = program.rfind('.');
    candidates.push_back(program.substr(0, dot) + ".map");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("*.map", &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
            if (_stricmp(found.cFileName, candidates[0].c_str()) != 0)
                candidates.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    for (const std::string& candidate : candidates)
    {
        CrashMapFile map;
        if (!map.ReadFile(candidate, stamp))
            continue;
        map.Annotate(report, program, CrashMapFile::Address(faultSection, faultOffset),
                     [](const std::string& name) { return UndecorateName(name, 0x388, 4096); });
        return;
    }
}

void WriteCrashFile(const std::string& report)
{
    // Text mode: every line feed becomes carriage return and line feed on
    // disk, the report's own "\r\n" included.
    FILE* file = fopen("crash.txt", "wt");
    if (!file)
        return;
    fputs(report.c_str(), file);
    fputs("\n", file);
    fflush(file);
    fclose(file);
}

// ---------------------------------------------------------------- parts without side effects

const char* FindExceptionName(DWORD code)
{
    for (const ExceptionName* entry = gExceptionNames; entry->code != 0xFFFFFFFF; entry++)
        if (entry->code == code)
            return entry->name;
    return nullptr;
}

std::string FormatExceptionLine(DWORD code, const void* address, DWORD threadId)
{
    const char* name = FindExceptionName(code);
    if (name)
        return StrFormat("Exception: %s (code 0x%x) at address %08X in thread %X\r\n", name,
                         (unsigned)code, (unsigned)(uintptr_t)address, (unsigned)threadId);
    return StrFormat("Unknown exception: (code 0x%x) at address %08X in thread %X\r\n",
                     (unsigned)code, (unsigned)(uintptr_t)address, (unsigned)threadId);
}

std::string FormatRegisters(const CONTEXT& c)
{
    return StrFormat("EAX:%08X EBX:%08X ECX:%08X EDX:%08X ESI:%08X EDI:%08X\r\n", c.Eax, c.Ebx,
                     c.Ecx, c.Edx, c.Esi, c.Edi) +
           StrFormat("EIP:%08X ESP:%08X  EBP:%08X\r\n", c.Eip, c.Esp, c.Ebp) +
           // Segment registers are 16 bits; the context words above them may hold anything.
           StrFormat("CS:%04X SS:%04X DS:%04X ES:%04X FS:%04X GS:%04X\r\n", c.SegCs & 0xFFFF,
                     c.SegSs & 0xFFFF, c.SegDs & 0xFFFF, c.SegEs & 0xFFFF, c.SegFs & 0xFFFF,
                     c.SegGs & 0xFFFF) +
           StrFormat("Flags:%08X\r\n", c.EFlags);
}

bool FindSectionOffset(const IMAGE_SECTION_HEADER* sections, int count, DWORD rva, DWORD& section,
                       DWORD& offset)
{
    for (int i = 0; i < count; i++)
    {
        DWORD start = sections[i].VirtualAddress;
        DWORD extent = sections[i].Misc.VirtualSize > sections[i].SizeOfRawData
                           ? sections[i].Misc.VirtualSize
                           : sections[i].SizeOfRawData;
        // Both ends count as inside.
        if (rva >= start && rva - start <= extent)
        {
            section = (DWORD)i + 1;
            offset = rva - start;
            return true;
        }
    }
    return false;
}

} // namespace CrashReporter
} // namespace Lumo

namespace
{

// Installs the reporter before the main function and removes it at exit.
struct CrashReporterInstaller
{
    CrashReporterInstaller() { Lumo::CrashReporter::Install(); }
    ~CrashReporterInstaller() { Lumo::CrashReporter::Uninstall(); }
} sCrashReporterInstaller;

} // namespace
