// The real game as a debuggee, for tests that run it and check it from outside:
// its windows, its registry key and the debugger output it writes. Every wait
// is bounded; a system box the game opens is closed and remembered; the game
// is always killed on the way out.
#pragma once

#include <windows.h>
#include <psapi.h>

#include "framework/app/StringUtils.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace GameTest
{

inline const char* const kGameKey = "SOFTWARE\\Tessik Games\\Zorka Cafe";

inline std::string GamePath()
{
    return std::string(LUMO_BINARY_DIR) + "/game/ZorkaCafe.exe";
}

// The game keeps its settings under its own key; the tests start and end without it.
inline void RemoveGameKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kGameKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kGameKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Tessik Games"); // only when empty
}

inline bool ReadGameInt(const char* name, int* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 4;
    int stored = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, (BYTE*)&stored, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_DWORD)
        return false;
    *value = stored;
    return true;
}

// The game's key as text: each value's name and number ("InProgress=1 ", "?"
// for a value that is no number), or "no key"; what a run left there.
inline std::string GameKeyValues()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kGameKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "no key";
    std::string text;
    char name[256];
    for (DWORD i = 0;; i++)
    {
        DWORD length = sizeof(name), type = 0, value = 0, size = sizeof(value);
        LONG result = RegEnumValueA(key, i, name, &length, nullptr, &type, (BYTE*)&value, &size);
        if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
            break;
        text += std::string(name, length) + "=" +
                (type == REG_DWORD ? std::to_string(value) : std::string("?")) + " ";
    }
    RegCloseKey(key);
    return text;
}

struct FoundWindow
{
    DWORD pid;
    const char* className;
    HWND hwnd;
};

inline BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM param)
{
    FoundWindow* find = (FoundWindow*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != find->pid)
        return TRUE;
    char name[64] = {0};
    GetClassNameA(hwnd, name, sizeof(name));
    if (strcmp(name, find->className) != 0)
        return TRUE;
    find->hwnd = hwnd;
    return FALSE;
}

inline HWND WindowOf(DWORD pid, const char* className)
{
    FoundWindow find = {pid, className, nullptr};
    EnumWindows(FindProcessWindow, (LPARAM)&find);
    return find.hwnd;
}

// The game as a debuggee: one thread starts it and serves its debug events.
class GameProcess
{
public:
    ~GameProcess() { Kill(); }

    // Another program of the game's folder may stand in for the game (a test hook).
    // A command name, when given, is the command line's first token in place
    // of the program's path (the program skips it; a benchmark finds the
    // process by it in the host's process table).
    bool Start(const std::string& commandLine = "", const std::string& program = GamePath(),
               const std::string& commandName = "")
    {
        return Start(Lumo::FromCodePage(commandLine), program, commandName);
    }
    // The same with arguments the code page may not hold.
    bool Start(const std::wstring& commandLine, const std::string& program = GamePath(),
               const std::string& commandName = "")
    {
        mProgram = program;
        mCommandName = commandName;
        mThread = std::thread([this, commandLine] { DebugLoop(commandLine); });
        for (int i = 0; i < 2000 && !mStarted && !mFailed; i++)
            WaitFor(10);
        return mStarted;
    }

    // The game at a path and started in a folder that the narrow calls may not
    // reach (a name outside the code page): both are passed wide.
    bool StartWide(const std::wstring& program, const std::wstring& folder)
    {
        mProgramW = program;
        mFolderW = folder;
        return Start();
    }

    // Waits for the visible main window; closes any system box the game opens.
    HWND WaitForMainWindow(int boundMs)
    {
        for (int waited = 0; waited < boundMs; waited += 20)
        {
            if (CloseSystemBox())
                return nullptr;
            HWND hwnd = WindowOf(mPid, "MainWindow");
            if (hwnd && IsWindowVisible(hwnd))
                return hwnd;
            if (mExited)
                return nullptr;
            WaitFor(20);
        }
        return nullptr;
    }

    bool WaitForExit(int boundMs)
    {
        for (int waited = 0; waited < boundMs && !mExited; waited += 20)
        {
            CloseSystemBox();
            WaitFor(20);
        }
        return mExited;
    }

    // Waits until the debugger output holds the text.
    bool WaitForOutput(const std::string& text, int boundMs)
    {
        for (int waited = 0; waited < boundMs; waited += 20)
        {
            if (Output().find(text) != std::string::npos)
                return true;
            if (mExited)
                return Output().find(text) != std::string::npos;
            WaitFor(20);
        }
        return false;
    }

    // Waits for a system box of the game, returns its message text (and where
    // the box lay on the screen) and presses the button (IDYES, IDNO, ...);
    // false when no box came within the bound.
    bool AnswerBox(int buttonId, std::wstring* text, int boundMs, RECT* rect = nullptr)
    {
        for (int waited = 0; waited < boundMs && !mExited; waited += 20)
        {
            HWND box = WindowOf(mPid, "#32770");
            HWND button = box ? GetDlgItem(box, buttonId) : nullptr;
            // A box shows itself once its text is set: one seen earlier reads empty.
            if (button && IsWindowVisible(box))
            {
                // The box fills in its text after its buttons exist.
                for (int i = 0; text && i < 100 && BoxText(box).empty(); i++)
                    WaitFor(10);
                if (text)
                    *text = BoxText(box);
                if (rect)
                    GetWindowRect(box, rect);
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), (LPARAM)button);
                // Gone once the answer was taken.
                for (int i = 0; i < 500 && IsWindow(box); i++)
                    WaitFor(10);
                return true;
            }
            WaitFor(20);
        }
        return false;
    }

    // Waits until the game's own question box of that key is asked once more
    // (its "Screens: box '<key>' asked" line) and answers it from the keyboard:
    // Enter presses the yes button, Escape the other one. True once the game
    // took the answer.
    bool AnswerGameBox(const std::string& key, bool yes, int boundMs)
    {
        const std::string asked = "Screens: box '" + key + "' asked";
        const std::string answered = "Screens: box '" + key + "' answered";
        size_t done = CountOutput(answered);
        for (int waited = 0; CountOutput(asked) <= done; waited += 20)
        {
            if (waited >= boundMs || mExited)
                return false;
            WaitFor(20);
        }
        HWND hwnd = WindowOf(mPid, "MainWindow");
        WPARAM vk = yes ? VK_RETURN : VK_ESCAPE;
        PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
        for (int waited = 0; CountOutput(answered) <= done; waited += 20)
        {
            if (waited >= boundMs || mExited)
                return CountOutput(answered) > done;
            WaitFor(20);
        }
        return true;
    }

    // Closes the window, confirms the game's quit question and waits for the exit.
    bool Quit(HWND hwnd, int boundMs)
    {
        // The question box is on the screen once loading has completed.
        if (!WaitForOutput("KpEngine: loading completed", boundMs))
            return false;
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return AnswerGameBox("quit", true, boundMs) && WaitForExit(boundMs);
    }

    // The same for callers that read the question's text from a system box once:
    // the game's own box has none to read, so `question` is left as it is.
    bool Quit(HWND hwnd, std::wstring* question, int boundMs)
    {
        (void)question;
        return Quit(hwnd, boundMs);
    }

    // How often the text occurs in the debugger output so far.
    size_t CountOutput(const std::string& text)
    {
        std::string output = Output();
        size_t n = 0;
        for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1))
            n++;
        return n;
    }

    void Kill()
    {
        if (mProcess && !mExited)
            TerminateProcess(mProcess, 99);
        if (mThread.joinable())
            mThread.join();
    }

    std::string Output()
    {
        std::lock_guard<std::mutex> lock(mOutputLock);
        return mOutput;
    }

    // Whether the game ended (and how), and all it wrote: for a failure's message.
    std::string Account()
    {
        return std::string(mExited ? "exited with " + std::to_string(mExitCode) : "running") +
               (mSawSystemBox ? ", a system box was closed" : "") + "\n" + Output();
    }

    // The running game's process handle (null before Start).
    HANDLE Handle() const { return mProcess; }

    // Holds the game where it writes a line holding `text` (the game stands
    // still inside that write) until Release, so a check can read what it
    // showed just then however slow the machine; at most `boundMs`.
    void HoldAt(const std::string& text, DWORD boundMs = 30000)
    {
        std::lock_guard<std::mutex> lock(mOutputLock);
        mHoldText = text;
        mHoldBoundMs = boundMs;
        mHeld = false;
    }
    bool IsHeld() const { return mHeld; }
    void Release()
    {
        {
            std::lock_guard<std::mutex> lock(mOutputLock);
            mHoldText.clear();
        }
        mReleased.notify_all();
    }

    DWORD mPid = 0;
    std::atomic<bool> mStarted{false}, mFailed{false}, mExited{false};
    std::atomic<bool> mSawSystemBox{false};
    DWORD mExitCode = 0;
    // A game that writes nothing for this long is taken as hung and ended; a
    // benchmark that lets it play on its own for longer raises it before Start.
    DWORD mSilenceBoundMs = 60000;

    static void WaitFor(DWORD ms)
    {
        // A bounded wait on nothing: the conditions are polled by the callers.
        HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        WaitForSingleObject(never, ms);
        CloseHandle(never);
    }

private:
    static BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
    {
        char name[16] = {0};
        GetClassNameA(child, name, sizeof(name));
        wchar_t text[512] = {0};
        if (_stricmp(name, "Static") == 0 && GetWindowTextW(child, text, 512) > 0)
            *(std::wstring*)param += text;
        return TRUE;
    }

    static std::wstring BoxText(HWND box)
    {
        std::wstring text;
        EnumChildWindows(box, CollectStatic, (LPARAM)&text);
        return text;
    }

    bool CloseSystemBox()
    {
        HWND box = WindowOf(mPid, "#32770");
        if (!box)
            return false;
        mSawSystemBox = true;
        PostMessageA(box, WM_CLOSE, 0, 0);
        return true;
    }

    void DebugLoop(const std::wstring& commandLine)
    {
        std::wstring program = mProgramW.empty() ? Lumo::FromCodePage(mProgram) : mProgramW;
        std::wstring first = mCommandName.empty() ? program : Lumo::FromCodePage(mCommandName);
        std::wstring line =
            L"\"" + first + L"\"" + (commandLine.empty() ? L"" : L" " + commandLine);
        std::vector<wchar_t> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::wstring folder = mFolderW.empty()
                                  ? Lumo::FromCodePage(std::string(LUMO_BINARY_DIR) + "/game")
                                  : mFolderW;
        if (!CreateProcessW(mCommandName.empty() ? nullptr : program.c_str(), buffer.data(),
                            nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                            folder.c_str(), &si, &pi))
        {
            mFailed = true;
            return;
        }
        mProcess = pi.hProcess;
        mPid = pi.dwProcessId;
        CloseHandle(pi.hThread);
        mStarted = true;

        for (;;)
        {
            DEBUG_EVENT event;
            if (!WaitForDebugEvent(&event, mSilenceBoundMs))
            {
                TerminateProcess(mProcess, 98);
                continue;
            }
            DWORD status = DBG_CONTINUE;
            switch (event.dwDebugEventCode)
            {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event.u.CreateProcessInfo.hFile)
                    CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (event.u.LoadDll.hFile)
                    CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT:
            {
                const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
                std::vector<char> text(info.nDebugStringLength + 1, 0);
                SIZE_T read = 0;
                if (!info.fUnicode &&
                    ReadProcessMemory(mProcess, info.lpDebugStringData, text.data(),
                                      info.nDebugStringLength, &read))
                {
                    std::unique_lock<std::mutex> lock(mOutputLock);
                    const std::string line(text.data(), strnlen(text.data(), read));
                    mOutput += line;
                    if (!mHoldText.empty() && line.find(mHoldText) != std::string::npos)
                    {
                        mHeld = true;
                        mReleased.wait_for(lock, std::chrono::milliseconds(mHoldBoundMs),
                                           [this] { return mHoldText.empty(); });
                        mHoldText.clear();
                        mHeld = false;
                    }
                }
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
                // The game's crash reporter stands aside for a debugger: say where it fell.
                if (!event.u.Exception.dwFirstChance)
                    NoteUnhandled(event.u.Exception.ExceptionRecord);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                mExitCode = event.u.ExitProcess.dwExitCode;
                ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
                mExited = true;
                return;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
    }

    void NoteUnhandled(const EXCEPTION_RECORD& record)
    {
        char module[MAX_PATH] = "?";
        const char* at = static_cast<const char*>(record.ExceptionAddress);
        const char* base = nullptr;
        HMODULE modules[512];
        DWORD bytes = 0;
        if (EnumProcessModules(mProcess, modules, sizeof modules, &bytes))
            for (DWORD m = 0; m < bytes / sizeof(HMODULE) && m < 512; m++)
            {
                MODULEINFO info;
                const char* from = reinterpret_cast<const char*>(modules[m]);
                if (GetModuleInformation(mProcess, modules[m], &info, sizeof info) && at >= from &&
                    at < from + info.SizeOfImage)
                {
                    GetModuleBaseNameA(mProcess, modules[m], module, MAX_PATH);
                    base = from;
                }
            }
        char line[MAX_PATH + 80];
        snprintf(line, sizeof line, "Debugger: unhandled exception %08lx at %s+%lx\n",
                 static_cast<unsigned long>(record.ExceptionCode), module,
                 static_cast<unsigned long>(at - base));
        std::lock_guard<std::mutex> lock(mOutputLock);
        mOutput += line;
    }

    HANDLE mProcess = nullptr;
    std::string mProgram;
    std::string mCommandName;
    std::wstring mProgramW, mFolderW; // a start by wide names (StartWide)
    std::thread mThread;
    std::mutex mOutputLock;
    std::string mOutput;
    std::string mHoldText;
    DWORD mHoldBoundMs = 0;
    std::atomic<bool> mHeld{false};
    std::condition_variable mReleased;
};

// A left click as the window receives it, posted.
inline void Click(HWND hwnd, int x, int y)
{
    LPARAM at = MAKELPARAM(x, y);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// Value of a "Name = number" statistics line; -1 when it is missing.
inline double Statistic(const std::string& output, const std::string& name)
{
    size_t at = output.find(name);
    if (at == std::string::npos)
        return -1;
    size_t eq = output.find('=', at);
    return eq == std::string::npos ? -1 : atof(output.c_str() + eq + 1);
}

} // namespace GameTest
