// The game's sounds: samples named in "cfg\cfg.xml", played by name, in named
// groups that stop, pause and resume together, and channels that a caller
// keeps to replay, stop, pan and turn one sample. Everything goes to our
// sound layer (platform/sound) and does nothing while gSoundAvailable is
// clear, so a machine without a sound device runs the same code silently.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <mutex>
#include <string>

// Set once the sound layer started on a device.
extern bool gSoundAvailable;

// Starts and stops the sound layer; samples are read through the archive reader.
class KpSoundSystem
{
public:
    // Starts the layer for the window and hands it the archive-aware file
    // callbacks; sets gSoundAvailable. False when there is no device.
    static bool Init(HWND window);
    static void Shutdown();
};

// One sample kept by a caller for its own playing (owned by the caller).
class SoundChannel
{
public:
    SoundChannel(int voice, int volume) : mVoice(voice), mSampleVolume(volume) {}
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    // Plays from the start, restarting when playing.
    void Play();
    // Stops when playing.
    void Stop();
    // -100 (left) to 100 (right), taken as an integer.
    void SetPan(float pan);
    // 0 to 100, scaled by the sample's own volume from cfg.xml.
    void SetVolume(float volume);
    bool IsPlaying() const;

private:
    int mVoice;        // layer voice; 0 when the sample is unknown or there is no sound
    int mSampleVolume; // 0 to 100
};

class KpSoundManager
{
public:
    // Reads every "cfg/sounds/sound" element (name, file, group, volume) and
    // loads its sample; a bad element is skipped with a warning. Returns the
    // number of sounds known afterwards.
    int LoadConfig(IXMLDOMNode* document);
    // Forgets every sample.
    void Clear();

    // Plays the sample once in its group; an unknown name logs a warning.
    void SoundPlay(const std::string& name);
    void SoundStopGroup(const std::string& group);
    void SoundPauseGroup(const std::string& group);
    void SoundResumeGroup(const std::string& group);
    // Every sound, for the application's focus changes.
    void SoundPauseAll();
    void SoundResumeAll();
    // 0 to 100: the volume of every sound of the table (the music keeps its own).
    void SoundSetMasterVolume(int volume);
    // A new channel on the sample (inert when unknown or without sound).
    SoundChannel* SoundCreateChannel(const std::string& name);
    // Frees finished sounds; once per update.
    void Update();

    bool HasSound(const std::string& name);
    int GetCount();

private:
    struct Entry
    {
        int sample = 0; // layer sample; 0 without sound
        int group = 0;
        int volume = 100;
    };
    int GroupId(const std::string& group);

    std::mutex mTableLock; // guards both maps: the loading thread fills them
    std::map<std::string, Entry> mSounds;
    std::map<std::string, int> mGroups; // layer group ids from 1 up
    int mEffectsVolume = 100;           // 0 to 100, every group of the table
};

KpSoundManager* GetSoundManager();
