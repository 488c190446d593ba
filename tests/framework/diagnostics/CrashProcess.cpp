#include "CrashProcess.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "framework/app/StringUtils.h"

namespace
{

const char kProgramFolder[] = LUMO_BINARY_DIR "/tests/crashprog/";
std::atomic<int> gRunCount(0);

// The environment of this process with LUMO_CRASH_WINDOW set or removed.
std::vector<char> Environment(bool unattended)
{
    std::vector<char> block;
    char* strings = GetEnvironmentStringsA();
    for (const char* s = strings; *s; s += strlen(s) + 1)
    {
        if (_strnicmp(s, "LUMO_CRASH_WINDOW=", 18) == 0)
            continue;
        block.insert(block.end(), s, s + strlen(s) + 1);
    }
    FreeEnvironmentStringsA(strings);
    if (unattended)
    {
        const char setting[] = "LUMO_CRASH_WINDOW=close";
        block.insert(block.end(), setting, setting + sizeof(setting));
    }
    block.push_back(0);
    return block;
}

struct FindWindowArgs
{
    DWORD pid;
    const wchar_t* className;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    FindWindowArgs* args = reinterpret_cast<FindWindowArgs*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != args->pid || !IsWindowVisible(window))
        return TRUE;
    wchar_t name[256] = L"";
    if (args->className)
        GetClassNameW(window, name, 256);
    if (args->className && _wcsicmp(name, args->className) != 0)
        return TRUE;
    if (args->title && CrashProcess::Text(window) != args->title)
        return TRUE;
    args->found = window;
    return FALSE;
}

struct ChildrenArgs
{
    HWND parent;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param)
{
    ChildrenArgs* args = reinterpret_cast<ChildrenArgs*>(param);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (GetParent(window) == args->parent && _wcsicmp(name, args->className) == 0)
        args->found.push_back(window);
    return TRUE;
}

} // namespace

CrashProcess::~CrashProcess()
{
    if (mProcess)
    {
        if (WaitForSingleObject(mProcess, 0) != WAIT_OBJECT_0)
        {
            TerminateProcess(mProcess, 99);
            WaitForSingleObject(mProcess, 10000);
        }
        CloseHandle(mProcess);
    }
    if (!mFolder.empty() && mOwnsFolder)
        Lumo::DeleteTree(mFolder);
    else if (!mFolder.empty())
        DeleteFileA((mFolder + "\\crash.txt").c_str());
}

bool CrashProcess::Start(const std::string& kind, const std::string& host, bool unattended,
                         bool withMapFile, bool withDebugFile)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    mFolder = std::string(temp) + "lumo_crash_" + std::to_string(GetCurrentProcessId()) + "_" +
              std::to_string(gRunCount++);
    Lumo::DeleteTree(mFolder);
    if (!CreateDirectoryA(mFolder.c_str(), nullptr))
        return false;
    std::string program = std::string(kProgramFolder) + "lumo_crash_test.exe";
    // A copy runs without the debug file that lies beside the built program.
    if (!withDebugFile)
    {
        std::string copy = mFolder + "\\lumo_crash_test.exe";
        if (!CopyFileA(program.c_str(), copy.c_str(), FALSE))
            return false;
        program = copy;
    }
    if (withMapFile && !CopyFileA((std::string(kProgramFolder) + "lumo_crash_test.map").c_str(),
                                  (mFolder + "\\lumo_crash_test.map").c_str(), FALSE))
        return false;
    return Run("\"" + program + "\" " + kind + (host.empty() ? "" : " " + host), unattended);
}

bool CrashProcess::StartGame()
{
    mFolder = LUMO_BINARY_DIR "/game";
    mOwnsFolder = false;
    DeleteFileA((mFolder + "\\crash.txt").c_str());
    return Run("\"" + mFolder + "/ZorkaCafe.exe\" -crash", true);
}

bool CrashProcess::Run(const std::string& line, bool unattended)
{
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    std::vector<char> environment = Environment(unattended);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, environment.data(),
                        mFolder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    mProcess = info.hProcess;
    mPid = info.dwProcessId;
    return true;
}

bool CrashProcess::WaitForExit(DWORD timeoutMs)
{
    return mProcess && WaitForSingleObject(mProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::string CrashProcess::ReportOnDisk() const
{
    std::ifstream file(mFolder + "\\crash.txt", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string CrashProcess::Report() const
{
    std::string text = ReportOnDisk();
    std::string report;
    for (size_t i = 0; i < text.size(); i++)
        if (!(text.compare(i, 3, "\r\r\n") == 0))
            report += text[i];
    if (report.size() >= 2 && report.compare(report.size() - 2, 2, "\r\n") == 0)
        report.resize(report.size() - 2);
    return report;
}

HWND CrashProcess::WaitForWindow(const wchar_t* className, const wchar_t* title,
                                 DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    for (;;)
    {
        FindWindowArgs args = {mPid, className, title, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&args));
        if (args.found)
            return args.found;
        if (GetTickCount() - start > timeoutMs ||
            WaitForSingleObject(mProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
    }
}

std::vector<HWND> CrashProcess::Children(HWND parent, const wchar_t* className)
{
    ChildrenArgs args = {parent, className, {}};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

std::wstring CrashProcess::Text(HWND window)
{
    wchar_t text[256] = L"";
    SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    return text;
}

int CrashProcess::Width(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void CrashProcess::Click(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

int CrashProcess::FaultLine(const std::string& marker)
{
    return SourceLine("tests/framework/diagnostics/crashprog/CrashProgram.cpp",
                      "// fault: " + marker);
}

int CrashProcess::SourceLine(const std::string& file, const std::string& text)
{
    std::ifstream source(LUMO_SOURCE_DIR "/" + file);
    std::string line;
    for (int number = 1; std::getline(source, line); number++)
        if (line.find(text) != std::string::npos)
            return number;
    return -1;
}
