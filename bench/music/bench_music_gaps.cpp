// The music's gaps as a player hears them, on a sound device with a clock of
// its own (run.sh records it). Two modes:
// - "play [2D|3D]": starts the shipped game with a profile and plays three
//   minutes of it as a player would: the main menu, Career, Play day 1, its
//   opening comic, the briefing's Start and the day itself with clicks on
//   the tables. Prints "MARK <what> <unix ms>" at the main menu, the comic,
//   the day and the end, "RESULT error ..." when the game did not get there.
// - "count <file> <from ms> <to ms>": reads the recording (32-bit float
//   stereo at 48 kHz) between the two offsets and prints its gaps of 10 ms or
//   more (MusicGaps.h) as "GAP <offset s> <length s>" and one "GAPS" summary.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/music/MusicGaps.h"
#include "game/engine/KpProfileFile.h"
#include "tests/game/engine/GameProcess.h"

using namespace GameTest;

namespace
{
const int kRate = 48000;

long long UnixMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    return (long long)((t.QuadPart - 116444736000000000ULL) / 10000);
}

void Mark(const char* what)
{
    printf("MARK %s %lld\n", what, UnixMs());
    fflush(stdout);
}

int Fail(const char* what, const GameProcess* game = nullptr)
{
    if (game && game->mExited)
        printf("RESULT error %s (exit code %lu)\n", what, game->mExitCode);
    else
        printf("RESULT error %s\n", what);
    fflush(stdout);
    return 1;
}

// The game's key with only the display road; a profile, so the book opens on its main page.
void PrepareGame(bool is3D)
{
    RemoveGameKey();
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kGameKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS)
    {
        DWORD value = is3D ? 1 : 0;
        RegSetValueExA(key, "Is3D", 0, REG_DWORD, (const BYTE*)&value, sizeof(value));
        RegCloseKey(key);
    }
    DeleteFileA(KpProfileFile::DefaultPath().c_str());
    KpProfileFile file;
    file.SetPath(KpProfileFile::DefaultPath());
    file.Read();
    file.NewProfile(L"Bench", nullptr, nullptr);
}

// Waits that long while the game runs; false once it has ended.
bool Stay(GameProcess& game, int ms)
{
    for (int waited = 0; waited < ms && !game.mExited; waited += 100)
        GameProcess::WaitFor(100);
    return !game.mExited;
}

int Play(bool is3D)
{
    PrepareGame(is3D);
    GameProcess game;
    game.mSilenceBoundMs = 300000; // the menu and the day write nothing for a while
    HWND hwnd = nullptr;
    if (!game.Start() || !(hwnd = game.WaitForMainWindow(60000)))
        return Fail("the game did not start", &game);
    if (!game.WaitForOutput("Screens: splash slide 1", 60000))
        return Fail("no splash", &game);
    Click(hwnd, 500, 400);
    if (!game.WaitForOutput("Screens: splash slide 2", 20000) &&
        !game.WaitForOutput("Screens: main menu shown", 100))
        return Fail("the splash did not go on", &game);
    Click(hwnd, 500, 400);
    if (!game.WaitForOutput("Screens: main menu shown", 30000))
        return Fail("no main menu", &game);
    Mark("menu");
    if (!Stay(game, 48000))
        return Fail("the game ended in the menu", &game);

    Click(hwnd, 749, 236); // Career
    if (!game.WaitForOutput("Screens: page turn ended on 3", 20000))
        return Fail("no career book", &game);
    Stay(game, 600);
    Click(hwnd, 748, 690); // Play
    if (!game.WaitForOutput("Screens: load screen hidden", 60000))
        return Fail("day 1 did not load", &game);
    Mark("comic");
    // The comic plays until its button, or to its own end.
    for (int waited = 0; waited < 40000; waited += 100)
        if (!Stay(game, 100) || game.CountOutput("Screens: briefing shown") > 0)
            break;
    if (game.CountOutput("Screens: briefing shown") == 0)
        Click(hwnd, 920, 724); // the comic's Continue
    if (!game.WaitForOutput("Screens: briefing shown", 20000))
        return Fail("no briefing", &game);
    Stay(game, 800);
    Click(hwnd, 512, 612); // Start
    if (!game.WaitForOutput("Screens: briefing closed", 20000))
        return Fail("the day did not start", &game);
    Mark("day");

    // Serving as a player does: guests and table tops in turn, with their sounds.
    const POINT rounds[] = {{345, 350}, {540, 350}, {345, 440}, {540, 440}};
    DWORD start = GetTickCount();
    for (int i = 0; GetTickCount() - start < 90000; i++)
    {
        if (game.CountOutput("Screens: debriefing shown") > 0)
            break;
        Click(hwnd, rounds[i % 4].x, rounds[i % 4].y);
        if (!Stay(game, 400))
            return Fail("the game ended in the day", &game);
    }
    Mark("end");
    game.Kill();
    return 0;
}

int Count(const char* path, double fromMs, double toMs)
{
    const size_t frameBytes = 8;
    size_t from = size_t(fromMs * kRate / 1000), to = size_t(toMs * kRate / 1000);
    FILE* file = fopen(path, "rb");
    if (!file || to <= from)
    {
        if (file)
            fclose(file);
        printf("GAPS error cannot read %s from %.0f to %.0f ms\n", path, fromMs, toMs);
        return 1;
    }
    std::vector<float> samples((to - from) * 2);
    fseek(file, long(from * frameBytes), SEEK_SET);
    size_t frames = fread(samples.data(), frameBytes, to - from, file);
    fclose(file);
    // 10 ms and more, with sound above -50 dBFS within 20 ms of it.
    std::vector<MusicGap> gaps =
        FindMusicGaps(samples.data(), frames, kRate / 100, kRate / 50, 0.003);
    double total = 0, longest = 0;
    for (const MusicGap& gap : gaps)
    {
        double seconds = double(gap.frames) / kRate;
        printf("GAP %.3f %.3f\n", double(from + gap.frame) / kRate, seconds);
        total += seconds;
        longest = seconds > longest ? seconds : longest;
    }
    printf("GAPS %zu %.3f %.3f %.1f\n", gaps.size(), total, longest, double(frames) / kRate);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && strcmp(argv[1], "play") == 0)
        return Play(argc >= 3 && strcmp(argv[2], "3D") == 0);
    if (argc == 5 && strcmp(argv[1], "count") == 0)
        return Count(argv[2], atof(argv[3]), atof(argv[4]));
    fprintf(stderr, "usage: bench_music_gaps play [2D|3D] | count <file> <from ms> <to ms>\n");
    return 2;
}
