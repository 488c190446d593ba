// Plays each of the game's music files from data.pak as the game does (a
// streamed voice of our sound layer, archive callbacks) for a few seconds on
// the sound device, and prints:
// - the decoder's cost: processor time to decode the whole file against its
//   length, as a share of one core;
// - the process's processor time while it plays, as a share of one core
//   (everything else is asleep: the decode thread and Wine's mixer);
// - the heap bytes a playing track holds (what its release gives back);
// - the size of the music files.
// Run it through bench/music/run.sh, which gives it ALSA's file device.
#include <windows.h>

#include <cstdio>

#include "framework/app/PakInterface.h"
#include "platform/sound/SoundLayer.h"
#include "platform/sound/StreamDecoder.h"

#include <string>

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

// Bytes in use in every heap of the process (the C library's, Wine's DirectSound's).
size_t HeapBytes()
{
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    size_t used = 0;
    for (DWORD i = 0; i < count && i < 64; i++)
    {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                used += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return used;
}

double ThreadSeconds()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t)
    { return (double(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

// Processor seconds to decode the whole file once, against its length in seconds.
double DecodeShare(const char* name)
{
    std::string reason;
    auto decoder = OpenStreamDecoder(
        name, {SquallFileOpen, SquallFileSeek, SquallFileRead, SquallFileClose}, &reason);
    if (!decoder)
        return -1;
    static int16_t chunk[4096 * 2];
    double start = ThreadSeconds();
    int64_t frames = 0;
    for (int got; (got = decoder->Read(chunk, 4096)) > 0;)
        frames += got;
    return (ThreadSeconds() - start) / (double(frames) / decoder->Rate());
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
        int voice = SndStreamCreate(name, 1);
        if (!voice)
        {
            printf("RESULT error %s %s\n", name, SndLastError());
            return 1;
        }
        SndVoicePlay(voice, true);
        Sleep(1000); // the first fill and the start
        size_t during = HeapBytes();
        double cpu = ProcessSeconds();
        DWORD start = GetTickCount();
        Sleep(DWORD(seconds) * 1000); // the measured stretch: only the sound threads run
        double share = (ProcessSeconds() - cpu) / ((GetTickCount() - start) / 1000.0);
        SndVoiceFree(voice);
        Sleep(100); // the decode thread lets go of the stream on its next visit
        size_t held = during - HeapBytes();
        printf("RESULT %-16s decoder %.2f %% of a core, process while playing %.2f %% (with "
               "the mixer), held %.0f KB, file %.0f KB\n",
               name, DecodeShare(name) * 100, share * 100, held / 1024.0, size / 1024.0);
    }
    printf("RESULT music-in-data.pak %.0f KB\n", total / 1024.0);
    SndShutdown();
    return 0;
}
