// The processor time the running game takes on each kind of screen, as a
// player's machine pays it: every thread of the game's process, read from the
// host's process table, on the road (2D or Direct3D) given as the argument.
// Each state starts a game (or LevelRun) of its own, brings it there with
// posted clicks and keys, lets it settle and measures it; then the least
// programs (bench_least) show what Wine and Mesa alone cost for frames at the
// same rates. Every row is measured twice: with Direct3D's command-stream
// thread off (the project's prefix) and on (Wine's default, set for these
// programs alone), so the saving of the prefix's setting stays measured.
// Prints "RESULT <2D|3D> <what> <percent of one core> <csmt_off|csmt_on>" lines.
// BENCH_CPU_SECONDS sets the measured time per state (10 s); BENCH_ONLY=<what>
// runs that one row alone (to look at it with a profiler meanwhile);
// BENCH_CSMT=off or on measures that setting alone.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench/frame/BenchHost.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{
double gSeconds = 10.0;
const char* gRoad = "2D";
const char* gSetting = "csmt_off";

// Wine reads a program's own Direct3D settings before the prefix's, when its
// Direct3D starts; these are the programs this benchmark measures.
const char* const kMeasuredPrograms[] = {"ZorkaCafe.exe", "LevelRun.exe", "bench_least.exe"};

void SetCommandStream(bool on)
{
    for (const char* program : kMeasuredPrograms)
    {
        std::string path = std::string("Software\\Wine\\AppDefaults\\") + program;
        std::string direct3D = path + "\\Direct3D";
        RegDeleteKeyA(HKEY_CURRENT_USER, direct3D.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()); // only when nothing else is in it
        if (!on)
            continue;
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, direct3D.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            continue;
        DWORD value = 1;
        RegSetValueExA(key, "csmt", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
        RegCloseKey(key);
    }
    gSetting = on ? "csmt_on" : "csmt_off";
}

bool Wanted(const char* what)
{
    const char* only = getenv("BENCH_ONLY");
    return !only || !*only || strcmp(only, what) == 0;
}

void Result(const char* what, double percent)
{
    if (percent < 0.0)
        printf("RESULT %s %s unknown %s\n", gRoad, what, gSetting);
    else
        printf("RESULT %s %s %.1f %s\n", gRoad, what, percent, gSetting);
    fflush(stdout);
}

// The game's key with only the display road set; the profile file as asked.
void PrepareGame(int is3D, bool withProfile)
{
    RemoveGameKey();
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
    {
        DWORD value = (DWORD)is3D;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
        RegCloseKey(key);
    }
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    if (withProfile)
    {
        KpProfileFile file;
        file.SetPath(KpProfileFile::DefaultPath());
        file.Read();
        file.NewProfile(L"Bench", nullptr, nullptr);
    }
}

// Clicks the splash's two slides away; the book opens on the main page (or
// the name entry on a first run).
bool PassSplash(GameProcess& game, HWND hwnd)
{
    if (!game.WaitForOutput("Screens: splash slide 1", 60000))
        return false;
    Click(hwnd, 500, 400);
    if (!game.WaitForOutput("Screens: splash slide 2", 20000) &&
        !game.WaitForOutput("Screens: main menu shown", 100))
        return false;
    Click(hwnd, 500, 400);
    return game.WaitForOutput("Screens: main menu shown", 30000);
}

void PostKey(HWND hwnd, WPARAM key)
{
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

// A player's click: the real pointer goes there too, and stays, so the game's
// cursor stands where a player's hand left it.
void PlayerClick(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    SetCursorPos(p.x, p.y);
    Click(hwnd, x, y);
}

// A first run past the splash: a name typed into the name entry, the main menu.
bool EnterName(GameProcess& game, HWND hwnd)
{
    // A game without its splash pictures goes straight to the menu.
    bool menu = false;
    for (int waited = 0; waited < 60000 && !menu; waited += 20)
    {
        std::string output = game.Output();
        if (output.find("Screens: splash slide 1") != std::string::npos)
            break;
        menu = output.find("Screens: main menu shown") != std::string::npos;
        GameProcess::WaitFor(20);
    }
    if (!menu && !PassSplash(game, hwnd))
        return false;
    GameProcess::WaitFor(600);
    for (wchar_t c : std::wstring(L"Bench"))
        PostMessageW(hwnd, WM_CHAR, c, 1);
    PostKey(hwnd, VK_RETURN);
    return game.WaitForOutput("Screens: profile created", 20000);
}

// A new player's day 1: the name, Career, Play; its opening comic starts as
// the load screen goes.
bool ReachDayOneComic(GameProcess& game, HWND hwnd)
{
    if (!EnterName(game, hwnd))
        return false;
    GameProcess::WaitFor(600);
    PlayerClick(hwnd, 748, 236); // Career
    if (!game.WaitForOutput("Screens: page turn ended on 3", 20000))
        return false;
    PlayerClick(hwnd, 748, 690); // Play
    if (!game.WaitForOutput("Screens: career level 1 started", 20000))
        return false;
    for (int waited = 0; waited < 60000; waited += 20)
    {
        std::string output = game.Output();
        if (output.find("Screens: load screen hidden", output.find("career level 1 started")) !=
            std::string::npos)
            return true;
        GameProcess::WaitFor(20);
    }
    return false;
}

// The last "LevelRun: <what> <n>" count of the output; -1 without one.
int LastCount(const std::string& output, const std::string& what)
{
    const std::string line = "LevelRun: " + what + " ";
    size_t at = output.rfind(line);
    return at == std::string::npos ? -1 : atoi(output.c_str() + at + line.size());
}

// Starts the program with a tag of its own, runs `reach` to bring it to the
// state, waits `settleMs` for its effects to end and measures it. A LevelRun
// that reports its presents gives their rate over the measured time (else -1)
// and prints its update rate beside it.
double Measure(const char* what, const std::string& program, int settleMs,
               const std::function<bool(GameProcess&, HWND)>& reach, double seconds = 0.0)
{
    seconds = seconds > 0.0 ? seconds : gSeconds;
    if (!Wanted(what))
        return -1.0;
    std::string tag = BenchHost::NewTag();
    GameProcess game;
    HWND hwnd = nullptr;
    if (!game.Start("", program, tag) || !(hwnd = game.WaitForMainWindow(60000)))
    {
        printf("RESULT %s %s error: %s did not start\n", gRoad, what, program.c_str());
        return -1.0;
    }
    std::string host = BenchHost::WaitForTag(tag, 10000);
    if (!reach(game, hwnd))
    {
        printf("RESULT %s %s error: state not reached\n", gRoad, what);
        game.Kill();
        return -1.0;
    }
    GameProcess::WaitFor(settleMs);
    std::string before = game.Output();
    BenchHost::ThreadSeconds split;
    Result(what, host.empty() ? -1.0 : BenchHost::CpuPercentOver(host, seconds, &split));
    std::string after = game.Output();
    game.Kill();
    int presents0 = LastCount(before, "presents"), presents1 = LastCount(after, "presents");
    if (presents0 < 0 || presents1 < presents0)
        return -1.0;
    // Where a moving screen's time goes: the game's own thread (its drawing,
    // logic and Wine's work for it), Mesa's rasterizer (the presents' pixels)
    // and the rest (sound, the cursor thread).
    if (split.valid)
    {
        Result((std::string(what) + "_main_thread").c_str(), split.main);
        Result((std::string(what) + "_rasterizer_threads").c_str(), split.rasterizer);
        Result((std::string(what) + "_other_threads").c_str(), split.other);
    }
    double rate = (presents1 - presents0) / seconds;
    printf("RESULT %s %s_presents_per_s %.1f %s\n", gRoad, what, rate, gSetting);
    int updates0 = LastCount(before, "updates"), updates1 = LastCount(after, "updates");
    if (updates0 >= 0 && updates1 >= updates0)
        printf("RESULT %s %s_updates_per_s %.1f %s\n", gRoad, what, (updates1 - updates0) / seconds,
               gSetting);
    return rate;
}

std::string LevelRunPath()
{
    return std::string(LUMO_BINARY_DIR) + "/game/LevelRun.exe";
}

void SetEnv(const char* name, const char* value)
{
    SetEnvironmentVariableA(name, value);
}

// The least program at a rate and rectangle size, on this road (with `flip`,
// the 2D road's full-screen flips in place of blits into a window).
void MeasureLeast(const char* what, int fps, int width, int height, bool beats = false,
                  bool flip = false)
{
    if (!Wanted(what))
        return;
    std::string tag = BenchHost::NewTag();
    std::string eventName = "bench_least_done_" + tag;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    std::string program = std::string(LUMO_BINARY_DIR) + "/bench/frame/bench_least.exe";
    char line[512];
    snprintf(line, sizeof(line), "\"%s\" %s %d %d %d %s%s", tag.c_str(),
             strcmp(gRoad, "3D") == 0 ? "3d" : (flip ? "2dflip" : "2d"), fps, width, height,
             eventName.c_str(), beats ? " beats" : "");
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(program.c_str(), line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
    {
        printf("RESULT %s %s error: bench_least did not start\n", gRoad, what);
        CloseHandle(done);
        return;
    }
    std::string host = BenchHost::WaitForTag(tag, 10000);
    for (int waited = 0; waited < 20000 && !WindowOf(pi.dwProcessId, "LeastFrames"); waited += 50)
        GameProcess::WaitFor(50);
    GameProcess::WaitFor(2000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code != STILL_ACTIVE)
        printf("RESULT %s %s error: bench_least ended with %lu\n", gRoad, what, code);
    else
        Result(what, host.empty() ? -1.0 : BenchHost::CpuPercentOver(host, gSeconds));
    SetEvent(done);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(done);
}

// Every row on this road with the current setting.
void MeasureAll(int is3D)
{
    const std::string game = GamePath();

    // A first run: the book opens on the name entry, its caret blinking.
    PrepareGame(is3D, false);
    Measure("still_name_entry_cpu", game, 2000, PassSplash);

    PrepareGame(is3D, true);
    Measure("still_main_menu_cpu", game, 2000, PassSplash);

    PrepareGame(is3D, true);
    Measure("still_career_book_cpu", game, 1000,
            [](GameProcess& g, HWND hwnd)
            {
                if (!PassSplash(g, hwnd))
                    return false;
                GameProcess::WaitFor(600);
                Click(hwnd, 749, 236); // Career
                return g.WaitForOutput("Screens: career book shown", 20000) &&
                       g.WaitForOutput("Screens: page turn ended", 20000);
            });

    PrepareGame(is3D, true);
    Measure("still_quit_box_cpu", game, 2000,
            [](GameProcess& g, HWND hwnd)
            {
                if (!PassSplash(g, hwnd))
                    return false;
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
                return g.WaitForOutput("Screens: box 'quit' asked", 20000);
            });

    // A level of its own (LevelRun: no menus, the briefing closed at once).
    PrepareGame(is3D, true);
    SetEnv("LEVELRUN_LEVEL", "1");
    Measure("still_pause_menu_cpu", LevelRunPath(), 2000,
            [](GameProcess& g, HWND hwnd)
            {
                if (!g.WaitForOutput("LevelRun: started", 60000))
                    return false;
                GameProcess::WaitFor(1500);
                Click(hwnd, 310, 32); // the HUD's menu button
                return g.WaitForOutput("Screens: pause menu shown", 20000);
            });

    // A level played fast to its end, then the debriefing with its awards
    // shown at the game's own pace (the closing alarm rings beside it).
    PrepareGame(is3D, true);
    SetEnv("LEVELRUN_REPORT_PRESENTS", "1");
    SetEnv("LEVELRUN_FRAME_MS", "200");
    SetEnv("LEVELRUN_NORMAL_AFTER_OVER", "1");
    SetEnv("LEVELRUN_AUTOPLAY", "1");
    double debriefingRate = Measure(
        "still_debriefing_cpu", LevelRunPath(), 4000,
        [](GameProcess& g, HWND) { return g.WaitForOutput("Screens: debriefing shown", 120000); });
    SetEnv("LEVELRUN_FRAME_MS", nullptr);
    SetEnv("LEVELRUN_NORMAL_AFTER_OVER", nullptr);

    PrepareGame(is3D, true);
    SetEnv("LEVELRUN_LEVEL", "20");
    double busyRate =
        Measure("busy_level_cpu", LevelRunPath(), 3000,
                [](GameProcess& g, HWND) { return g.WaitForOutput("LevelRun: started", 60000); });
    SetEnv("LEVELRUN_LEVEL", nullptr);
    SetEnv("LEVELRUN_AUTOPLAY", nullptr);

    // Cafe 1's opening comic as a player meets it, over its first two
    // episodes: the street (a turning sun, a drifting cloud, the hostess
    // walking in and waving, the sign's title) and the iris into the cafe.
    PrepareGame(is3D, true);
    SetEnv("LEVELRUN_COMIX", "1");
    double comicRate = Measure(
        "comic_opening_cpu", LevelRunPath(), 500,
        [](GameProcess& g, HWND) { return g.WaitForOutput("LevelRun: started", 60000); },
        2.0 * gSeconds);
    SetEnv("LEVELRUN_COMIX", nullptr);
    SetEnv("LEVELRUN_REPORT_PRESENTS", nullptr);

    // The same comic in the shipped game, reached as a new player reaches
    // it: the name typed, Career, Play on day 1; the menus it came through
    // stay in the game behind it. Then the main menu the name leads to.
    PrepareGame(is3D, false);
    Measure("game_comic_opening_cpu", game, 500, ReachDayOneComic, 2.0 * gSeconds);
    PrepareGame(is3D, false);
    Measure("game_main_menu_cpu", game, 2000, EnterName);

    // What Wine and Mesa alone take for frames of these kinds: a present a
    // second (a still screen), a caret's two, the alarm's and a busy day's
    // rates as measured above, and every frame of the screen.
    MeasureLeast("least_1fps_full_cpu", 1, 1024, 768);
    MeasureLeast("least_2fps_caret_cpu", 2, 4, 24);
    if (debriefingRate >= 1.0)
        MeasureLeast("least_debriefing_rate_cpu", (int)(debriefingRate + 0.5), 48, 48);
    if (busyRate >= 1.0)
        MeasureLeast("least_busy_rate_cpu", (int)(busyRate + 0.5), 256, 192);
    // The busy level plays full screen: on the 2D road each of its presents
    // is a flip, which Wine shows whole whatever part of it changed.
    if (busyRate >= 1.0 && !is3D)
        MeasureLeast("least_busy_rate_flip_cpu", (int)(busyRate + 0.5), 256, 192, false, true);
    if (comicRate >= 1.0)
        MeasureLeast("least_comic_rate_cpu", (int)(comicRate + 0.5), 256, 192);
    MeasureLeast("least_60fps_full_cpu", 60, 1024, 768);
    // The same with the beats the game keeps whatever it shows: its message
    // pump every 10 ms and the software cursor's thread reading the pointer.
    MeasureLeast("least_1fps_full_beats_cpu", 1, 1024, 768, true);
    MeasureLeast("least_2fps_caret_beats_cpu", 2, 4, 24, true);
    if (debriefingRate >= 1.0)
        MeasureLeast("least_debriefing_rate_beats_cpu", (int)(debriefingRate + 0.5), 48, 48, true);
    if (busyRate >= 1.0)
        MeasureLeast("least_busy_rate_beats_cpu", (int)(busyRate + 0.5), 256, 192, true);
    if (comicRate >= 1.0)
        MeasureLeast("least_comic_rate_beats_cpu", (int)(comicRate + 0.5), 256, 192, true);
}
} // namespace

int main(int argc, char** argv)
{
    int is3D = argc > 1 && strcmp(argv[1], "3D") == 0 ? 1 : 0;
    gRoad = is3D ? "3D" : "2D";
    if (const char* s = getenv("BENCH_CPU_SECONDS"))
        gSeconds = atof(s) > 0.0 ? atof(s) : gSeconds;
    const char* only = getenv("BENCH_CSMT");
    only = only ? only : "";

    if (strcmp(only, "on") != 0)
    {
        SetCommandStream(false);
        MeasureAll(is3D);
    }
    if (strcmp(only, "off") != 0)
    {
        SetCommandStream(true);
        MeasureAll(is3D);
    }
    SetCommandStream(false);
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    RemoveGameKey();
    return 0;
}
