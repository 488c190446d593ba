// Plays each of the game's music files from data.pak as the game does (a
// streamed voice of our sound layer, archive callbacks) for a few seconds on
// the sound device, and prints:
// - the process's processor time over that stretch as a share of one core
//   (everything else is asleep, so it is the decode thread's and the mixer's);
// - the private memory the process grew by when the track was made and played;
// - the size of the music files.
// Run it through bench/music/run.sh, which gives it ALSA's file device.
#include <windows.h>
#include <psapi.h>

#include <cstdio>

#include "framework/app/PakInterface.h"
#include "platform/sound/SoundLayer.h"

namespace
{
double ProcessSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t)
    { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), (PROCESS_MEMORY_COUNTERS*)&counters,
                         sizeof(counters));
    return counters.PrivateUsage;
}
} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? atoi(argv[1]) : 10;
    PakInterface archives;
    if (!archives.AddPakFile("data.pak"))
    {
        printf("RESULT error no-data.pak\n");
        return 1;
    }
    if (!SndStartup(nullptr))
    {
        printf("RESULT error %s\n", SndLastError());
        return 1;
    }
    SndSetFileCallbacks(SquallFileOpen, SquallFileSeek, SquallFileRead, SquallFileClose);
    const char* tracks[] = {"music\\menu.ogg", "music\\cafe1.ogg", "music\\cafe2.ogg",
                            "music\\cafe3.ogg"};
    long total = 0;
    for (const char* name : tracks)
    {
        int handle = SquallFileOpen(name);
        long size = handle == -1 ? 0 : SquallFileSeek(handle, 0, SEEK_END);
        if (handle != -1)
            SquallFileClose(handle);
        total += size;
        size_t before = PrivateBytes();
        int voice = SndStreamCreate(name, 1);
        if (!voice)
        {
            printf("RESULT error %s %s\n", name, SndLastError());
            return 1;
        }
        SndVoicePlay(voice, true);
        Sleep(1000); // the first fill and the start
        size_t held = PrivateBytes() - before;
        double cpu = ProcessSeconds();
        DWORD start = GetTickCount();
        Sleep(DWORD(seconds) * 1000); // the measured stretch: only the sound threads run
        double share = (ProcessSeconds() - cpu) / ((GetTickCount() - start) / 1000.0);
        printf("RESULT %s cpu %.2f %% memory %.0f KB file %.0f KB\n", name, share * 100,
               held / 1024.0, size / 1024.0);
        SndVoiceFree(voice);
    }
    printf("RESULT music-in-data.pak %.0f KB\n", total / 1024.0);
    SndShutdown();
    return 0;
}
