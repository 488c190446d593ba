// What the running game costs beyond its frames, measured from outside on the
// processes this program starts itself: the time from process start to the
// first picture on screen, the time from the quit box's answer to the process's
// end (beside the least DirectDraw program's from its close to its end), and
// the anonymous memory (at the end of each state and at its peak since
// the process started) of the main menu and of a busy level (LevelRun, level 20
// playing itself) on the road given by the command line ("2D" or "3D"), beside
// the least DirectDraw program and the least Direct3D program. Prints
// "RESULT <road> <what> <value>" lines.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/frame/BenchHost.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

using BenchHost::ReadHostFile;

namespace
{
// The host's clock in the ticks its process table counts start times in.
unsigned long long HostTicks()
{
    return (unsigned long long)(atof(ReadHostFile("Z:\\proc\\uptime").c_str()) * 100.0);
}

unsigned long long HostStartTicks(const std::string& folder)
{
    std::string stat = ReadHostFile(folder + "\\stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    // Field 22 (start time) counts from the state, field 3.
    const char* p = stat.c_str() + close + 2;
    for (int field = 3; field < 22 && *p; field++)
    {
        p = strchr(p, ' ');
        if (!p)
            return 0;
        p++;
    }
    return strtoull(p, nullptr, 10);
}

// The host process of the program this run started: among those whose command
// line names it, the first that began at or after `since` (host ticks), so that
// another copy running beside the benchmark is never the one measured.
std::string StartedHostProcess(const char* program, unsigned long long since)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    std::string found;
    unsigned long long earliest = ~0ull;
    if (find == INVALID_HANDLE_VALUE)
        return found;
    do
    {
        if (data.cFileName[0] < '0' || data.cFileName[0] > '9')
            continue;
        std::string folder = std::string("Z:\\proc\\") + data.cFileName;
        std::string cmdline = ReadHostFile(folder + "\\cmdline");
        for (char& c : cmdline)
            if (c == 0)
                c = ' ';
        if (cmdline.find(program) == std::string::npos)
            continue;
        unsigned long long started = HostStartTicks(folder);
        if (started + 1 >= since && started < earliest)
        {
            earliest = started;
            found = folder;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

double AnonMegabytes(const std::string& hostProcess)
{
    std::string status = ReadHostFile(hostProcess + "\\status");
    size_t at = status.find("RssAnon:");
    return at == std::string::npos ? -1.0 : atof(status.c_str() + at + 8) / 1024.0;
}

// Samples a host process's anonymous memory every 20 ms and keeps the peak.
class AnonSampler
{
public:
    ~AnonSampler() { Stop(); }
    void Start(const std::string& hostProcess)
    {
        mHost = hostProcess;
        mRunning = true;
        mThread = std::thread(
            [this]
            {
                while (mRunning)
                {
                    Sample();
                    GameProcess::WaitFor(20);
                }
            });
    }
    void Stop()
    {
        mRunning = false;
        if (mThread.joinable())
            mThread.join();
    }
    double Sample()
    {
        double now = AnonMegabytes(mHost);
        double peak = mPeak;
        while (now > peak && !mPeak.compare_exchange_weak(peak, now))
        {
        }
        return now;
    }
    double Peak() const { return mPeak; }
    // The peak from now on; returns the one until now.
    double RestartPeak()
    {
        double before = mPeak.exchange(0.0);
        Sample();
        return before;
    }

private:
    std::string mHost;
    std::atomic<bool> mRunning{false};
    std::atomic<double> mPeak{0.0};
    std::thread mThread;
};

// True once any of a grid of screen points shows something other than black.
bool ScreenShowsPicture(HDC screen)
{
    for (int y = 96; y < 768; y += 96)
        for (int x = 64; x < 1024; x += 128)
        {
            COLORREF c = GetPixel(screen, x, y);
            if (c != CLR_INVALID && (c & 0xFFFFFF) != 0)
                return true;
        }
    return false;
}

void Result(const char* road, const char* what, double value)
{
    printf("RESULT %s %s %.1f\n", road, what, value);
    fflush(stdout);
}

void SetRoad(bool is3D)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD value = is3D ? 1 : 0;
    RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
    RegCloseKey(key);
}

// The game from its start to the main menu, the still menu, and its quit.
void MeasureGame(const char* road)
{
    GameProcess game;
    HDC screen = GetDC(nullptr);
    unsigned long long since = HostTicks();
    double start = BenchHost::WallSeconds();
    if (!game.Start())
    {
        printf("RESULT %s error the game did not start\n", road);
        return;
    }
    std::string host;
    AnonSampler sampler;
    double picture = -1.0;
    for (int waited = 0; waited < 30000 && picture < 0 && !game.mExited; waited++)
    {
        if (host.empty() && !(host = StartedHostProcess("ZorkaCafe.exe", since)).empty())
            sampler.Start(host);
        if (ScreenShowsPicture(screen))
            picture = BenchHost::WallSeconds();
        else
            GameProcess::WaitFor(1);
    }
    ReleaseDC(nullptr, screen);
    if (picture > 0)
        Result(road, "start_to_first_picture_ms", (picture - start) * 1000.0);
    // Start-up (the display, the 3D self-test where it runs, loading) apart
    // from what the screens keep from the first picture on.
    Result(road, "startup_anon_peak_mb", sampler.RestartPeak());
    HWND hwnd = game.WaitForMainWindow(30000);
    if (!hwnd || host.empty() || !game.WaitForOutput("Screens: main menu drawn", 60000))
    {
        printf("RESULT %s error no main menu\n", road);
        return;
    }
    // The menu's show effects end; the still menu's memory is read after a while.
    GameProcess::WaitFor(5000);
    Result(road, "menu_anon_mb", sampler.Sample());
    Result(road, "menu_anon_peak_mb", sampler.Peak());

    // The quit: from the answer to the quit box to the end of the process.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, game.mPid);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (!process || !game.WaitForOutput("Screens: box 'quit' asked", 20000))
    {
        printf("RESULT %s error no quit box\n", road);
        return;
    }
    double answer = BenchHost::WallSeconds();
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(hwnd, WM_KEYUP, VK_RETURN, 0xC0000001);
    if (WaitForSingleObject(process, 20000) == WAIT_OBJECT_0)
        Result(road, "quit_to_exit_ms", (BenchHost::WallSeconds() - answer) * 1000.0);
    CloseHandle(process);
    game.WaitForExit(20000);
}

// LevelRun on level 20, playing itself: the busy cafe's memory.
void MeasureLevel(const char* road)
{
    char temp[MAX_PATH] = {0};
    GetTempPathA(MAX_PATH, temp);
    std::string profile = std::string(temp) + "bench_footprint_pref.dat";
    SetEnvironmentVariableA("LEVELRUN_LEVEL", "20");
    SetEnvironmentVariableA("LEVELRUN_AUTOPLAY", "1");
    SetEnvironmentVariableA("LEVELRUN_PROFILE", profile.c_str());
    GameProcess level;
    unsigned long long since = HostTicks();
    bool started = level.Start("", std::string(LUMO_BINARY_DIR) + "/game/LevelRun.exe");
    SetEnvironmentVariableA("LEVELRUN_LEVEL", nullptr);
    SetEnvironmentVariableA("LEVELRUN_AUTOPLAY", nullptr);
    SetEnvironmentVariableA("LEVELRUN_PROFILE", nullptr);
    if (!started)
    {
        printf("RESULT %s error LevelRun did not start\n", road);
        return;
    }
    std::string host;
    for (int waited = 0; waited < 10000 && host.empty(); waited += 5)
        if ((host = StartedHostProcess("LevelRun.exe", since)).empty())
            GameProcess::WaitFor(5);
    AnonSampler sampler;
    sampler.Start(host);
    if (host.empty() || !level.WaitForOutput("LevelRun: ready", 60000))
    {
        printf("RESULT %s error no level\n", road);
        return;
    }
    // From the end of loading on: the level's own load and play.
    sampler.RestartPeak();
    if (!level.WaitForOutput("LevelRun: started", 60000))
    {
        printf("RESULT %s error no level\n", road);
        return;
    }
    // The cafe fills up; then it is read for a while at its busiest.
    GameProcess::WaitFor(15000);
    Result(road, "level_anon_mb", sampler.Sample());
    Result(road, "level_anon_peak_mb", sampler.Peak());
    sampler.Stop();
    level.Kill();
    DeleteFileA(profile.c_str());
}

// What Wine itself takes to hide a shown window covering the screen, as the
// game's full-screen window does at its quit (without a window manager, Wine
// waits for one in vain).
void MeasureWindowHide(const char* road)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchHide";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "BenchHide", "BenchHide", WS_POPUP | WS_VISIBLE, 0,
                                0, 1024, 768, nullptr, nullptr, wc.hInstance, nullptr);
    for (int i = 0; i < 20; i++)
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        GameProcess::WaitFor(10);
    }
    double start = BenchHost::WallSeconds();
    ShowWindow(hwnd, SW_HIDE);
    Result(road, "wine_window_hide_ms", (BenchHost::WallSeconds() - start) * 1000.0);
    DestroyWindow(hwnd);
}

// Starts a program of the benchmark folder with one argument.
bool StartBenchProgram(const char* program, const char* argument, PROCESS_INFORMATION& pi)
{
    std::string line =
        "\"" + std::string(LUMO_BINARY_DIR) + "/bench/frame/" + program + "\" " + argument;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    return CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi) != FALSE;
}

// The least DirectDraw program's quit, the game's measured the same way:
// from the close request to the end of the process.
void MeasureLeastQuit(const char* road)
{
    PROCESS_INFORMATION pi = {};
    if (!StartBenchProgram("bench_ddmin.exe", "bench_footprint_never_set", pi))
        return;
    HWND hwnd = nullptr;
    for (int waited = 0; waited < 10000 && !hwnd; waited += 10)
        if (!(hwnd = WindowOf(pi.dwProcessId, "DDMin")))
            GameProcess::WaitFor(10);
    // Settled as the game's menu is when its quit box is answered.
    GameProcess::WaitFor(1000);
    double close = BenchHost::WallSeconds();
    if (hwnd && PostMessageA(hwnd, WM_CLOSE, 0, 0) &&
        WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        Result(road, "ddmin_quit_to_exit_ms", (BenchHost::WallSeconds() - close) * 1000.0);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

// A least program of the benchmark folder, held open for 3 s.
void MeasureLeast(const char* road, const char* program, const char* what)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, "bench_footprint_done");
    PROCESS_INFORMATION pi = {};
    unsigned long long since = HostTicks();
    if (StartBenchProgram(program, "bench_footprint_done", pi))
    {
        std::string host;
        for (int waited = 0; waited < 10000 && host.empty(); waited += 5)
            if ((host = StartedHostProcess(program, since)).empty())
                GameProcess::WaitFor(5);
        AnonSampler sampler;
        sampler.Start(host);
        GameProcess::WaitFor(3000);
        Result(road, what, sampler.Sample());
        sampler.Stop();
        SetEvent(done);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(done);
}
} // namespace

int main(int argc, char** argv)
{
    bool is3D = argc > 1 && strcmp(argv[1], "3D") == 0;
    const char* road = is3D ? "3D" : "2D";
    // One stored profile: the game opens on its main page.
    RemoveGameKey();
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        file.Read();
        file.NewProfile(L"Bench", nullptr, nullptr);
    }
    SetRoad(is3D);
    MeasureGame(road);
    MeasureLevel(road);
    MeasureWindowHide(road);
    MeasureLeastQuit(road);
    MeasureLeast(road, "bench_ddmin.exe", "ddmin_anon_mb");
    MeasureLeast(road, "bench_d3dmin.exe", "d3dmin_anon_mb");
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    RemoveGameKey();
    return 0;
}
