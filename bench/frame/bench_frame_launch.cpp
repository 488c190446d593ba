// Starts the real game and reports what a player's machine pays for it: the
// time from process start to the main menu's first drawing, the processor
// time the still main menu takes (percent of one core), and the game's peak
// working set beside that of the least DirectDraw program under the same Wine
// (bench_ddmin). The game starts with one stored profile, so the main page
// shows without the name entry. Prints "RESULT <what> <value>" lines.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/frame/BenchHost.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{
PROCESS_MEMORY_COUNTERS Memory(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(process, &counters, sizeof(counters));
    return counters;
}

double Megabytes(SIZE_T bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}
} // namespace

int main()
{
    // One stored profile: the game opens on its main page.
    if (!getenv("BENCH_KEEP_KEY"))
        RemoveGameKey();
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        file.Read();
        file.NewProfile(L"Bench", nullptr, nullptr);
        if (getenv("BENCH_FULLSCREEN"))
        {
            file.mWindowed = 0;
            file.Save();
        }
    }

    // The game measured is the one started here (other copies may run beside it).
    std::string tag = BenchHost::NewTag();
    GameProcess game;
    double start = BenchHost::WallSeconds();
    if (!game.Start("", GamePath(), tag))
    {
        printf("RESULT error the game did not start\n");
        return 1;
    }
    HWND hwnd = game.WaitForMainWindow(60000);
    if (!hwnd || !game.WaitForOutput("Screens: main menu drawn", 60000))
    {
        printf("RESULT error no main menu\n%s\n", game.Output().c_str());
        return 1;
    }
    double drawn = BenchHost::WallSeconds();
    printf("RESULT start_to_menu_ms %.0f\n", (drawn - start) * 1000.0);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, game.mPid);
    std::string host = BenchHost::WaitForTag(tag, 10000);
    // The menu's show effects end; then the still menu is measured for 5 seconds.
    GameProcess::WaitFor(3000);
    double cpu0 = BenchHost::CpuSeconds(host), wall0 = BenchHost::WallSeconds();
    GameProcess::WaitFor(5000);
    double cpu1 = BenchHost::CpuSeconds(host), wall1 = BenchHost::WallSeconds();
    if (host.empty() || cpu1 < cpu0)
        printf("RESULT idle_menu_cpu_percent unknown\n");
    else
        printf("RESULT idle_menu_cpu_percent %.1f\n", (cpu1 - cpu0) / (wall1 - wall0) * 100.0);
    PROCESS_MEMORY_COUNTERS gameMemory = Memory(process);
    printf("RESULT game_peak_working_set_mb %.1f\n", Megabytes(gameMemory.PeakWorkingSetSize));
    printf("RESULT game_private_mb %.1f\n", Megabytes(gameMemory.PagefileUsage));
    CloseHandle(process);
    game.Quit(hwnd, 20000);

    // The least DirectDraw program under the same Wine.
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, "bench_ddmin_done");
    std::string line =
        "\"" + std::string(LUMO_BINARY_DIR) + "/bench/frame/bench_ddmin.exe\" bench_ddmin_done";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi))
    {
        for (int waited = 0; waited < 20000 && !WindowOf(pi.dwProcessId, "DDMin"); waited += 50)
            GameProcess::WaitFor(50);
        GameProcess::WaitFor(2000);
        PROCESS_MEMORY_COUNTERS least = Memory(pi.hProcess);
        printf("RESULT ddmin_peak_working_set_mb %.1f\n", Megabytes(least.PeakWorkingSetSize));
        printf("RESULT ddmin_private_mb %.1f\n", Megabytes(least.PagefileUsage));
        SetEvent(done);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(done);
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    RemoveGameKey();
    return 0;
}
