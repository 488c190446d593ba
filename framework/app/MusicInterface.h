// The application's music interface. The base class is the silent interface made when
// music is switched off: every operation does nothing. Subclasses play songs kept by
// integer id. The application calls StopAllMusic at shutdown, SetVolume when the music
// volume changes and Update once per logic update; the slot order below is fixed.
#pragma once

#include <map>
#include <string>

namespace Lumo
{

// One song of a music interface, held by value in its song map.
struct MusicSong
{
    void* sample = nullptr;     // fmod.dll sample handle; null for a module
    void* module = nullptr;     // fmod.dll module handle; null for a sample
    double volume = 0.0;        // 0.0 .. volume limit
    double fadeStep = 0.0;      // added to the volume at each Update while not 0
    double volumeLimit = 1.0;   // where fades in stop
    bool stopWhenFaded = false; // stop the song once a fade out reaches 0
    bool loop = false;          // samples: play in a loop
};

typedef std::map<int, MusicSong> MusicSongMap;

class MusicInterface
{
public:
    virtual ~MusicInterface();

    // --- Loading and playing
    virtual bool LoadMusic(int songId, const std::string& fileName);
    virtual void PlayMusic(int songId, int offset, bool noLoop);
    virtual void StopMusic(int songId);
    virtual void PauseMusic(int songId);
    virtual void ResumeMusic(int songId);
    virtual void StopAllMusic();

    // --- Unused slots, kept so that later slots stay where callers expect them
    virtual void ReservedHook1(int);
    virtual void ReservedHook2();
    virtual void ReservedHook3();
    virtual void ReservedHook4();

    // --- Fades and volumes (volumes 0.0 .. 1.0; speeds are volume per update)
    virtual void FadeIn(int songId, int offset, double speed, bool noLoop);
    virtual void FadeOut(int songId, bool stopWhenFaded, double speed);
    virtual void FadeOutAll(bool stopWhenFaded, double speed);
    virtual void SetSongVolume(int songId, double volume);
    virtual void ReservedHook5(int, double);
    virtual bool IsPlaying(int songId);
    virtual void SetVolume(double volume);
    virtual void ReservedHook6(int, double);
    // Once per logic update: moves fading volumes.
    virtual void Update();
};

} // namespace Lumo
