// Runs the real game under Wine and checks it from outside: its window, its
// registry values, the single instance, closing, and the run statistics it
// writes to the debugger output.
//
// The game runs as our debuggee, so its OutputDebugString lines come to us as
// debug events. Every wait is bounded; a system box the game opens is closed
// and fails the test; the game is always killed on the way out.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{

const char* kGameKey = "SOFTWARE\\Tessik Games\\Zorka Cafe";

std::string GamePath()
{
    return std::string(LUMO_BINARY_DIR) + "/game/ZorkaCafe.exe";
}

// The game keeps its settings under its own key; the tests start and end without it.
void RemoveGameKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kGameKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kGameKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Tessik Games"); // only when empty
}

bool ReadGameInt(const char* name, int* value)
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

struct FoundWindow
{
    DWORD pid;
    const char* className;
    HWND hwnd;
};

BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM param)
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

HWND WindowOf(DWORD pid, const char* className)
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

    bool Start(const std::string& commandLine = "")
    {
        mThread = std::thread([this, commandLine] { DebugLoop(commandLine); });
        for (int i = 0; i < 2000 && !mStarted && !mFailed; i++)
            WaitFor(10);
        return mStarted;
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

    DWORD mPid = 0;
    std::atomic<bool> mStarted{false}, mFailed{false}, mExited{false};
    std::atomic<bool> mSawSystemBox{false};
    DWORD mExitCode = 0;

private:
    static void WaitFor(DWORD ms)
    {
        // A bounded wait on nothing: the conditions are polled by the callers.
        HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        WaitForSingleObject(never, ms);
        CloseHandle(never);
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

    void DebugLoop(const std::string& commandLine)
    {
        std::string line =
            "\"" + GamePath() + "\"" + (commandLine.empty() ? "" : " " + commandLine);
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back(0);
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::string folder = std::string(LUMO_BINARY_DIR) + "/game";
        if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                            DEBUG_ONLY_THIS_PROCESS, nullptr, folder.c_str(), &si, &pi))
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
            if (!WaitForDebugEvent(&event, 60000))
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
                    std::lock_guard<std::mutex> lock(mOutputLock);
                    mOutput += std::string(text.data(), strnlen(text.data(), read));
                }
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
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

    HANDLE mProcess = nullptr;
    std::thread mThread;
    std::mutex mOutputLock;
    std::string mOutput;
};

// Value of a "Name = number" statistics line; -1 when it is missing.
double Statistic(const std::string& output, const std::string& name)
{
    size_t at = output.find(name);
    if (at == std::string::npos)
        return -1;
    size_t eq = output.find('=', at);
    return eq == std::string::npos ? -1 : atof(output.c_str() + eq + 1);
}

class GameRun : public ::testing::Test
{
protected:
    void SetUp() override { RemoveGameKey(); }
    void TearDown() override { RemoveGameKey(); }
};

} // namespace

TEST_F(GameRun, OpensItsWindowMarksTheRunAndSavesSettingsOnClose)
{
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr) << "no main window; system box seen: " << game.mSawSystemBox;

    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right - client.left, 1024);
    EXPECT_EQ(client.bottom - client.top, 768);
    wchar_t title[64] = {0};
    GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"Zorka Cafe");
    EXPECT_NE(WindowOf(game.mPid, "InvisWindow"), nullptr);

    int inProgress = 0;
    ASSERT_TRUE(ReadGameInt("InProgress", &inProgress));
    EXPECT_EQ(inProgress, 1);

    // Loading has finished once its time is reported; a close before that is ignored.
    ASSERT_TRUE(game.WaitForOutput("Resource Loading Time: ", 30000));
    // It keeps running on its own for a while (and gathers some statistics).
    EXPECT_FALSE(game.WaitForExit(1500)) << game.Output();
    ASSERT_TRUE(PostMessageA(hwnd, WM_CLOSE, 0, 0));
    bool exited = game.WaitForExit(10000);
    for (int i = 0; i < 5 && !exited; i++)
    {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        exited = game.WaitForExit(5000);
    }
    ASSERT_TRUE(exited);
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);

    int value = -1;
    ASSERT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(ReadGameInt("MusicVolume", &value));
    EXPECT_EQ(value, 85);
    ASSERT_TRUE(ReadGameInt("SfxVolume", &value));
    EXPECT_EQ(value, 85);
    ASSERT_TRUE(ReadGameInt("Muted", &value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(ReadGameInt("ScreenMode", &value));
    EXPECT_TRUE(ReadGameInt("PreferredX", &value));
    EXPECT_TRUE(ReadGameInt("WaitForVSync", &value));

    std::string output = game.Output();
    double seconds = Statistic(output, "Seconds       = ");
    double updates = Statistic(output, "Update Count  = ");
    EXPECT_GT(seconds, 0) << output;
    EXPECT_GT(updates, 0) << output;
    EXPECT_GE(Statistic(output, "Sleep Count   = "), 0) << output;
    EXPECT_GE(Statistic(output, "Draw Count    = "), 0) << output;
    EXPECT_GE(Statistic(output, "Draw Time     = "), 0) << output;
    EXPECT_GE(Statistic(output, "Screen Blt    = "), 0) << output;
    // Fixed-rate updates: never more than 100 a second (plus one catch-up burst).
    EXPECT_LE(updates, seconds * 100 + 21) << output;
}

TEST_F(GameRun, SecondInstanceExitsAtOnce)
{
    GameProcess first;
    ASSERT_TRUE(first.Start());
    HWND hwnd = first.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);

    GameProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(30000));
    EXPECT_EQ(second.mExitCode, 0u);
    EXPECT_FALSE(second.mSawSystemBox);
    EXPECT_EQ(WindowOf(second.mPid, "MainWindow"), nullptr);
    EXPECT_FALSE(first.mExited);

    ASSERT_TRUE(first.WaitForOutput("Resource Loading Time: ", 30000));
    bool exited = false;
    for (int i = 0; i < 6 && !exited; i++)
    {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        exited = first.WaitForExit(5000);
    }
    EXPECT_TRUE(exited);
}

TEST_F(GameRun, EndSessionEndsTheRunOnlyWhenTheSessionEnds)
{
    GameProcess game;
    ASSERT_TRUE(game.Start());
    HWND hwnd = game.WaitForMainWindow(30000);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(game.WaitForOutput("Resource Loading Time: ", 30000));

    // Alt+Enter on a screen no larger than the game keeps the one full-screen window.
    PostMessageA(hwnd, WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    PostMessageA(hwnd, WM_SYSKEYUP, VK_RETURN, (1 << 29) | (3u << 30));
    DWORD_PTR result = 0;
    // A message sent after them returns once they have been pumped.
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
    EXPECT_FALSE(game.WaitForExit(500));
    EXPECT_EQ(WindowOf(game.mPid, "MainWindow"), hwnd);
    EXPECT_TRUE(IsWindowVisible(hwnd));

    // A cancelled logoff leaves the game running.
    ASSERT_NE(SendMessageTimeoutA(hwnd, WM_ENDSESSION, FALSE, 0, SMTO_BLOCK, 10000, &result), 0);
    EXPECT_FALSE(game.WaitForExit(1000));

    // A real one ends it, with its settings saved.
    SendMessageTimeoutA(hwnd, WM_ENDSESSION, TRUE, 0, SMTO_BLOCK, 10000, &result);
    ASSERT_TRUE(game.WaitForExit(20000));
    EXPECT_EQ(game.mExitCode, 0u);
    EXPECT_FALSE(game.mSawSystemBox);
    int value = -1;
    ASSERT_TRUE(ReadGameInt("InProgress", &value));
    EXPECT_EQ(value, 0);
}
