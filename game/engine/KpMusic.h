// The game's music: streams named in "cfg\cfg.xml", each a list of tracks
// (KpTracks); one stream is the current one and Change switches between them,
// the old one fading out as the new one comes in.
// Tracks are streamed voices of our sound layer in a group of their own, so a
// paused level (the group "game") keeps its music while focus loss pauses
// everything. Fades are stepped by game time in the engine's update; the
// application's music interface stays the inert one.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <vector>

// The sound layer's group of every music voice: no id the sound manager hands out.
const int kMusicGroup = -2;

// One music file, played looped as a streamed voice. A play or a stop without
// a fade is a cut: the level changes within the few milliseconds the sound
// layer takes not to click. Two tracks may sound together, one fading out as
// the other comes in.
class MusicTrack
{
public:
    // Fades in and out over the given milliseconds (0: at once).
    MusicTrack(const std::string& file, int volume, int fadeInMs, int fadeOutMs);
    ~MusicTrack();

    // Loads the file on first use and plays it looped, through its fade-in
    // when asked, else at its full level at once. A track still fading out
    // plays on: a fade-in takes it back up from where it stands, a play
    // without one puts it at its full level at once.
    void Play(bool fadeIn);
    // Stops at once or through the fade-out.
    void Stop(bool fadeOut);
    // -100 (left) to 100 (right), taken as an integer.
    void SetPan(float pan);
    // 0 to 100: the level the track plays at once faded in.
    void SetVolume(int volume);
    // Moves a running fade on by that much game time; a track whose file broke
    // off while playing is reported once.
    void Update(int ms);

    const std::string& GetFile() const { return mFile; }
    bool IsPlaying() const { return mPlaying; }
    int GetVolume() const { return mVolume; }
    // 0 to 1: where the fade stands (1 when not fading).
    double GetLevel() const { return mLevel; }
    int GetFadeInMs() const { return mFadeInMs; }
    int GetFadeOutMs() const { return mFadeOutMs; }
    float GetPan() const { return mPan; }
    // The sound layer's voice; 0 before the first play or when the file is unusable.
    int GetVoice() const { return mVoice; }

private:
    bool Load();
    // The voice's volume: the track's, scaled by where the fade stands.
    int HeardVolume() const;
    void ApplyVolume();

    std::string mFile;
    int mVolume;    // 0 to 100
    int mFadeInMs;  // 0: no fade
    int mFadeOutMs; // 0: no fade
    float mPan;
    int mVoice;       // streamed voice, 0 until loaded
    bool mLoadFailed; // tried once and failed: silent for the run
    bool mPlaying;    // heard or fading out
    bool mReported;   // the damage warning was written
    double mLevel;    // 0 to 1, fade position
    int mFade;        // +1 fading in, -1 fading out, 0 none
};

// The tracks of one stream; each start plays the next one in turn.
class KpTracks
{
public:
    explicit KpTracks(const std::string& id) : mId(id) {}
    ~KpTracks();

    void AddTrack(MusicTrack* track) { mTracks.push_back(track); }
    void Play();
    void Stop();

    const std::string& GetId() const { return mId; }
    const std::vector<MusicTrack*>& GetTracks() const { return mTracks; }
    MusicTrack* GetCurrentTrack() const;

private:
    std::string mId;
    std::vector<MusicTrack*> mTracks; // owned
    int mCurrent = -1;                // index of the playing track; -1 before the first
};

class KpMusic
{
public:
    ~KpMusic();

    // Reads every "cfg/music/stream" with its "track" children; bad elements
    // are skipped with a warning. Returns the number of streams.
    int LoadConfig(IXMLDOMNode* document);
    void Clear();

    // An empty id or one naming a stream stops the current stream (through
    // its fade-out); one naming a stream then starts it at once (through its
    // fade-in), so both may sound for a while. An id naming no stream changes
    // nothing.
    void Change(const std::string& id);
    // The only track of a stream with exactly one; null otherwise.
    MusicTrack* GetSingleTrack(const std::string& id) const;
    KpTracks* GetStream(const std::string& id) const;
    KpTracks* GetCurrent() const { return mCurrent; }
    int GetStreamCount() const { return int(mStreams.size()); }
    // Steps every track's fade by that much game time; once per update.
    void Update(int ms);

private:
    std::map<std::string, KpTracks*> mStreams; // owned
    KpTracks* mCurrent = nullptr;
};

KpMusic* GetEngineMusic();
// 0 to 100: scales every music voice (0 while muted); the application keeps it as its music volume.
void MusicSetGlobalVolume(int volume);
