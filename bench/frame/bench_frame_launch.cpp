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

#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{
double Now()
{
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

// Wine answers GetProcessTimes for another process with the times it had
// at its start, so the host's process table is read instead (through Wine's
// Z: drive): the game's host process, and its user and system clock ticks.
std::string ReadHostFile(const std::string& path)
{
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb"))
    {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
            text.append(buffer, n);
        fclose(file);
    }
    return text;
}

double CpuSeconds(const std::string& hostProcess);

// The host process running the program: of those whose command line names
// it (Wine's loader, its debugger), the one that has used the most time.
std::string FindHostProcess(const char* program)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &data);
    std::string found;
    double most = -1.0;
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
        double used = CpuSeconds(folder);
        if (used > most)
        {
            most = used;
            found = folder;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

double CpuSeconds(const std::string& hostProcess)
{
    std::string stat = ReadHostFile(hostProcess + "\\stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    // After "pid (name) " come state and the fields up to utime (14) and stime (15).
    unsigned long utime = 0, stime = 0;
    if (sscanf(stat.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
               &utime, &stime) != 2)
        return 0.0;
    return double(utime + stime) / 100.0;
}

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

    GameProcess game;
    double start = Now();
    if (!game.Start())
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
    double drawn = Now();
    printf("RESULT start_to_menu_ms %.0f\n", (drawn - start) * 1000.0);

    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, game.mPid);
    std::string host = FindHostProcess("ZorkaCafe.exe");
    // The menu's show effects end; then the still menu is measured for 5 seconds.
    GameProcess::WaitFor(3000);
    double cpu0 = CpuSeconds(host), wall0 = Now();
    GameProcess::WaitFor(5000);
    double cpu1 = CpuSeconds(host), wall1 = Now();
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
