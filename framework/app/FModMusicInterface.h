// Music through fmod.dll, loaded at run time. Songs are modules (FMUSIC) or samples
// (FSOUND) decoded from ".ogg" files; a decoded sample is cached as a PCM WAV file in the
// user's data folder, so the decoding happens once per machine. A sample song plays on
// the fmod channel whose number is its id. Runs on the main thread only.
#pragma once

#include "framework/app/MusicInterface.h"

#include <windows.h>

namespace Lumo
{

// Mode bits of an fmod sample that the WAV cache reads and the joined sample sets.
const unsigned kFModLoopNormal = 0x02;
const unsigned kFModBits8 = 0x08;
const unsigned kFModMono = 0x20;

// The loaded fmod.dll and its entry points, one per process behind a reference count.
class FMOD_INSTANCE
{
public:
    // Loads the library and looks every entry point up; a missing one ends the process.
    explicit FMOD_INSTANCE(const char* fileName);
    virtual ~FMOD_INSTANCE();

    HMODULE mModule = nullptr; // null when the library is missing

    signed char(WINAPI* FSOUND_SetBufferSize)(int ms) = nullptr;
    signed char(WINAPI* FSOUND_SetHWND)(void* window) = nullptr;
    signed char(WINAPI* FSOUND_Init)(int mixRate, int maxChannels, unsigned flags) = nullptr;
    void(WINAPI* FSOUND_Close)() = nullptr;
    void*(WINAPI* FSOUND_Sample_Load)(int index, const char* name, unsigned mode,
                                      int offset) = nullptr;
    void*(WINAPI* FSOUND_Sample_Alloc)(int index, int length, unsigned mode, int frequency,
                                       int volume, int pan, int priority) = nullptr;
    void(WINAPI* FSOUND_Sample_Free)(void* sample) = nullptr;
    signed char(WINAPI* FSOUND_Sample_Lock)(void* sample, int offset, int length, void** ptr1,
                                            void** ptr2, unsigned* len1, unsigned* len2) = nullptr;
    signed char(WINAPI* FSOUND_Sample_Unlock)(void* sample, void* ptr1, void* ptr2, unsigned len1,
                                              unsigned len2) = nullptr;
    signed char(WINAPI* FSOUND_Sample_SetLoopPoints)(void* sample, int start, int end) = nullptr;
    unsigned(WINAPI* FSOUND_Sample_GetLength)(void* sample) = nullptr;
    signed char(WINAPI* FSOUND_Sample_GetDefaults)(void* sample, int* frequency, int* volume,
                                                   int* pan, int* priority) = nullptr;
    unsigned(WINAPI* FSOUND_Sample_GetMode)(void* sample) = nullptr;
    int(WINAPI* FSOUND_PlaySound)(int channel, void* sample) = nullptr;
    signed char(WINAPI* FSOUND_StopSound)(int channel) = nullptr;
    signed char(WINAPI* FSOUND_SetVolume)(int channel, int volume) = nullptr;
    signed char(WINAPI* FSOUND_SetPaused)(int channel, signed char paused) = nullptr;
    signed char(WINAPI* FSOUND_SetLoopMode)(int channel, unsigned mode) = nullptr;
    signed char(WINAPI* FSOUND_IsPlaying)(int channel) = nullptr;
    void*(WINAPI* FSOUND_Stream_OpenFile)(const char* name, unsigned mode, int length) = nullptr;
    signed char(WINAPI* FSOUND_Stream_Close)(void* stream) = nullptr;
    int(WINAPI* FSOUND_Stream_Play)(int channel, void* stream) = nullptr;
    void*(WINAPI* FMUSIC_LoadSong)(const char* name) = nullptr;
    signed char(WINAPI* FMUSIC_PlaySong)(void* module) = nullptr;
    signed char(WINAPI* FMUSIC_StopSong)(void* module) = nullptr;
    signed char(WINAPI* FMUSIC_SetLooping)(void* module, signed char looping) = nullptr;
    signed char(WINAPI* FMUSIC_SetOrder)(void* module, int order) = nullptr;
    signed char(WINAPI* FMUSIC_SetPaused)(void* module, signed char paused) = nullptr;
    signed char(WINAPI* FMUSIC_SetMasterVolume)(void* module, int volume) = nullptr;
    signed char(WINAPI* FMUSIC_IsPlaying)(void* module) = nullptr;

private:
    FMOD_INSTANCE(const FMOD_INSTANCE&) = delete;
    FMOD_INSTANCE& operator=(const FMOD_INSTANCE&) = delete;
};

extern FMOD_INSTANCE* gFMod;

// Raises the binding's reference count, loading fmod.dll on first use; a missing library
// ends the process after a message box.
void LoadFMod();
// Lowers the count and unloads fmod.dll when the last user has gone.
void ReleaseFMod();

// Path of the WAV cache file for a music name given without its extension.
std::string FModCachePath(const std::string& name);

class FModMusicInterface : public MusicInterface
{
public:
    // The window is not used.
    explicit FModMusicInterface(HWND window);
    // Releases the binding; songs are neither stopped nor freed.
    ~FModMusicInterface() override;

    bool LoadMusic(int songId, const std::string& fileName) override;
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopWhenFaded, double speed) override;
    void FadeOutAll(bool stopWhenFaded, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void Update() override;

    // Joins two ".ogg" files (names without extension) into one sample that plays the
    // first once and then loops the second.
    virtual bool LoadSample(int songId, const std::string& firstName, const std::string& secondName,
                            bool loop);
    // Loads one ".ogg" file (name without extension) as a sample song.
    virtual bool LoadCachedMusic(int songId, const std::string& fileName, bool loop);

private:
    // The decoded sample of name + ".ogg", from the WAV cache when it is there; null when
    // neither loads. Writes the cache file after decoding.
    void* LoadCachedSample(const std::string& name);
    // Files a new song under the id unless the id is taken; false when it was taken.
    bool AddSong(int songId, void* sample, void* module, bool loop);
    void ApplyVolume(int songId, const MusicSong& song);
    void StopSong(int songId, MusicSong& song);

    MusicSongMap mSongs;
    double mMasterVolume;   // 0.0 .. 1.0, 1.0 at construction
    int mModuleVolumeScale; // fmod volume of a module at full volume
    int mSampleVolumeScale; // fmod volume of a sample at full volume
};

} // namespace Lumo
