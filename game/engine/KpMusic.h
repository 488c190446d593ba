// The game's music: streams named in "cfg\cfg.xml", each a list of tracks
// (KpTracks); one stream plays at a time and Change switches between them.
// Tracks play looped through the application's music interface, so music is
// silent with the inert interface the application makes and plays through
// fmod.dll where that interface is the fmod one.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <map>
#include <string>
#include <vector>

namespace Lumo
{
class MusicInterface;
}

// One music file, played looped under its own song id.
class MusicTrack
{
public:
    // Fades in and out over the given milliseconds (0: at once).
    MusicTrack(const std::string& file, int volume, int fadeInMs, int fadeOutMs);
    ~MusicTrack();

    // Loads the file on first use and plays it looped, fading in when asked.
    void Play(bool fadeIn);
    // Stops at once or through the fade-out.
    void Stop(bool fadeOut);
    // Kept for the track; the music interface has no pan of its own.
    void SetPan(float pan);
    // 0 to 100.
    void SetVolume(int volume);

    const std::string& GetFile() const { return mFile; }
    int GetSongId() const { return mSongId; }
    bool IsPlaying() const { return mPlaying; }
    int GetFadeInMs() const { return mFadeInMs; }
    int GetFadeOutMs() const { return mFadeOutMs; }
    float GetPan() const { return mPan; }

private:
    bool Load(Lumo::MusicInterface* music);

    std::string mFile;
    int mSongId;    // unique per track
    int mVolume;    // 0 to 100
    int mFadeInMs;  // 0: no fade
    int mFadeOutMs; // 0: no fade
    float mPan;
    bool mLoaded, mLoadFailed, mPlaying;
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

    // An empty id or one naming a stream stops the current stream; one naming
    // a stream then starts it. An id naming no stream changes nothing.
    void Change(const std::string& id);
    // The only track of a stream with exactly one; null otherwise.
    MusicTrack* GetSingleTrack(const std::string& id) const;
    KpTracks* GetStream(const std::string& id) const;
    KpTracks* GetCurrent() const { return mCurrent; }
    int GetStreamCount() const { return int(mStreams.size()); }

    // The interface tracks play through: the application's, unless one is set here.
    static Lumo::MusicInterface* GetInterface();
    static void SetInterface(Lumo::MusicInterface* music);

private:
    std::map<std::string, KpTracks*> mStreams; // owned
    KpTracks* mCurrent = nullptr;
};

KpMusic* GetEngineMusic();
// 0 to 100: the application's music volume, which the music interface applies.
void MusicSetGlobalVolume(int volume);
