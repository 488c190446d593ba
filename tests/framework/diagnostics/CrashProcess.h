#pragma once
// Runs the crash test program (lumo_crash_test) in a fresh folder of its own,
// with or without its map file, from its build folder beside its debug file or
// as a copy without it, and gives the tests its windows, its exit and the
// crash.txt it wrote. Several can run at once. The shipped game runs the same
// way in its own folder.

#include <windows.h>

#include <string>
#include <vector>

class CrashProcess
{
public:
    ~CrashProcess();

    // unattended: LUMO_CRASH_WINDOW=close, so the report window closes itself.
    bool Start(const std::string& kind, const std::string& host, bool unattended,
               bool withMapFile = true, bool withDebugFile = true);
    // The shipped game with "-crash", unattended, in its own folder as built:
    // beside its map and debug files and the other programs' map files.
    bool StartGame();
    bool WaitForExit(DWORD timeoutMs);
    // crash.txt as written on disk; empty when there is none.
    std::string ReportOnDisk() const;
    // The report text itself: the file's "\r\r\n" back to "\r\n", without the final line feed.
    std::string Report() const;

    // A visible top-level window of the process by class or title, waited for within the bound.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;

    // Children of a window by class ("Button", "Edit") in creation order.
    static std::vector<HWND> Children(HWND parent, const wchar_t* className);
    static std::wstring Text(HWND window);
    static int Width(HWND window);
    static void Click(HWND button);

    // Line number of the "// fault: <marker>" comment in the program's source.
    static int FaultLine(const std::string& marker);
    // Line number of the first line holding the text in a file under the source root.
    static int SourceLine(const std::string& file, const std::string& text);

private:
    bool Run(const std::string& commandLine, bool unattended);

    std::string mFolder;
    bool mOwnsFolder = true; // false: only the crash.txt in it is removed
    HANDLE mProcess = nullptr;
    DWORD mPid = 0;
};
