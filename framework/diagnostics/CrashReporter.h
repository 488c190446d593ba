// The crash reporter. When a thread raises an exception that nothing handles,
// it turns the exception into a plain-text report (what and where, the call
// stack with symbol names and map-file line numbers, the registers, the
// versions of Windows, DirectDraw and DirectSound, the application's own
// state), writes it to "crash.txt", puts it on the clipboard, saves a running
// demo recording and opens the report window, from which the user may upload
// it. It runs when the process is already broken, so it is a set of static
// functions over a few globals, and it reaches the application only through
// gCrashReporterApp.
//
// Sections: installation / report (CrashReport.cpp) / windows
// (CrashWindows.cpp) / upload (CrashUpload.cpp) / parts without side effects.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

namespace Lumo
{

class LumoAppBase;

struct ExceptionName
{
    DWORD code;
    const char* name;
};
// Searched in order; ended by the code 0xFFFFFFFF.
extern const ExceptionName gExceptionNames[];

namespace CrashReporter
{

// --- installation: run by static initialisation before the main function and
// by static clean-up at exit
void Install();
void Uninstall();
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* pointers);

// --- report
// Builds, stores and shows the report of one exception.
void BuildReport(EXCEPTION_POINTERS* pointers);
bool LoadImageHelp();
void FreeImageHelp();
// The module file, section (from 1) and offset of an address; false when the
// address lies in no loaded image.
bool GetLogicalAddress(const void* address, char* moduleName, DWORD nameSize, DWORD& section,
                       DWORD& offset);
// The symbolic walk through image help; frameCount (optional) receives the
// number of frames written. A caller's frame is named by the byte before its
// return address, where its call lies, with the distance of the address itself.
std::string WriteStackWalk(const CONTEXT* context, int framesToSkip, int* frameCount = nullptr);
// The fallback walk along the chain of saved frame pointers.
std::string WriteFrameChainWalk(const CONTEXT* context);
std::string GetSystemInfo();
// Replaces every "ssss:oooooooo" address of the report by the map file's
// symbol and line beside the program; unchanged without a usable map file.
// The fault's address is looked up as it stands, every other one as a return
// address. The map is the program's own: "<program>.map" first, then any
// "*.map" whose link time stamp is the program's.
void LookupMapFile(std::string& report, DWORD faultSection, DWORD faultOffset);
void WriteCrashFile(const std::string& report);

// --- windows
// Shows the report window and returns when the user has finished with the windows.
void ShowReportWindow(const std::string& title, const std::string& report);
LRESULT CALLBACK ReportWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void ShowSubmitInfoWindow();
LRESULT CALLBACK SubmitInfoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void ShowProgressWindow();
LRESULT CALLBACK ProgressWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// --- upload
// Thread body: builds the request and hands it to gHTTPTransfer.
unsigned __stdcall SubmitReport(void* unused);

// --- parts without side effects
// The table's name of a code, or null.
const char* FindExceptionName(DWORD code);
// The report's first line, with "\r\n".
std::string FormatExceptionLine(DWORD code, const void* address, DWORD threadId);
std::string FormatRegisters(const CONTEXT& context);
// Section (from 1) and offset of a module-relative address among the section
// headers; a section covers [address, address + max(virtual size, raw size)].
bool FindSectionOffset(const IMAGE_SECTION_HEADER* sections, int count, DWORD rva, DWORD& section,
                       DWORD& offset);
// The upload's multipart body and the whole request around it.
std::string BuildUploadBody(const std::map<std::string, std::string>& extraFields,
                            const std::string& product, const std::string& version,
                            const std::string& userText, const std::string& errorTitle,
                            const std::string& errorText, bool attachDemo,
                            const std::string& attachment);
std::string BuildUploadRequest(const std::string& host, const std::string& body);

} // namespace CrashReporter
} // namespace Lumo

// --- shared state of the report, its windows and the upload
extern Lumo::LumoAppBase* gCrashReporterApp; // set by the application's constructor; may be null
extern uint8_t gCrashShowWindow;             // open the report window after the report (1)
extern uint8_t gCrashAttachDemo;             // a file goes with the upload
extern std::string gCrashAttachmentPath;     // which file
extern std::string gCrashErrorTitle;         // "Exception at ssss:oooooooo"
extern std::string gCrashErrorText;          // the report
extern std::string gCrashUserText;           // what the user typed, at most 8192 characters
extern std::string gCrashServerHost;         // "host[:port]"; empty leaves out "Send Report"
extern uint8_t gCrashAllowSend;              // 1; nothing changes it
extern uint8_t gCrashIsWin9x;                // no fonts are set on the windows' children
extern uint8_t gCrashWindowDone;             // ends the windows' message loop
extern const wchar_t* const gCrashReportHeader;
extern const wchar_t* const gCrashSubmitHeader;
extern const wchar_t* const gCrashConnectFailedText;
