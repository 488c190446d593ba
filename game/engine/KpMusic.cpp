#include "game/engine/KpMusic.h"

#include "framework/app/FModMusicInterface.h"
#include "framework/app/LumoAppBase.h"
#include "framework/app/MusicInterface.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

namespace
{
Lumo::MusicInterface* gMusicOverride = nullptr;
int gNextSongId = 1;

// Volume change per logic update (10 ms) for a fade over `ms`.
double FadeSpeed(int ms)
{
    return ms <= 10 ? 1.0 : 10.0 / ms;
}

bool EndsWith(const std::string& text, const char* tail)
{
    size_t n = strlen(tail);
    return text.size() >= n && _stricmp(text.c_str() + text.size() - n, tail) == 0;
}
} // namespace

// --- MusicTrack

MusicTrack::MusicTrack(const std::string& file, int volume, int fadeInMs, int fadeOutMs)
    : mFile(file), mSongId(gNextSongId++), mVolume(volume), mFadeInMs(fadeInMs),
      mFadeOutMs(fadeOutMs), mPan(0), mLoaded(false), mLoadFailed(false), mPlaying(false)
{
}

MusicTrack::~MusicTrack()
{
    if (mPlaying)
        Stop(false);
}

bool MusicTrack::Load(Lumo::MusicInterface* music)
{
    if (mLoaded || mLoadFailed)
        return mLoaded;
    // Ogg files are decoded once into the fmod interface's WAV cache; the rest load as songs.
    auto* fmod = dynamic_cast<Lumo::FModMusicInterface*>(music);
    if (fmod && EndsWith(mFile, ".ogg"))
        mLoaded = fmod->LoadCachedMusic(mSongId, mFile.substr(0, mFile.size() - 4), true);
    else
        mLoaded = music->LoadMusic(mSongId, mFile);
    if (!mLoaded)
    {
        mLoadFailed = true;
        WriteLog("WARNING: MusicTrack::Play: cannot load '%s'", mFile.c_str());
    }
    return mLoaded;
}

void MusicTrack::Play(bool fadeIn)
{
    Lumo::MusicInterface* music = KpMusic::GetInterface();
    if (!music || !Load(music))
        return;
    if (fadeIn && mFadeInMs > 0)
        music->FadeIn(mSongId, 0, FadeSpeed(mFadeInMs), false);
    else
    {
        music->PlayMusic(mSongId, 0, false);
        music->SetSongVolume(mSongId, mVolume / 100.0);
    }
    mPlaying = true;
}

void MusicTrack::Stop(bool fadeOut)
{
    Lumo::MusicInterface* music = KpMusic::GetInterface();
    mPlaying = false;
    if (!music || !mLoaded)
        return;
    if (fadeOut && mFadeOutMs > 0)
        music->FadeOut(mSongId, true, FadeSpeed(mFadeOutMs));
    else
        music->StopMusic(mSongId);
}

void MusicTrack::SetPan(float pan)
{
    mPan = pan;
}

void MusicTrack::SetVolume(int volume)
{
    mVolume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    Lumo::MusicInterface* music = KpMusic::GetInterface();
    if (music && mLoaded)
        music->SetSongVolume(mSongId, mVolume / 100.0);
}

// --- KpTracks

KpTracks::~KpTracks()
{
    for (MusicTrack* track : mTracks)
        delete track;
}

MusicTrack* KpTracks::GetCurrentTrack() const
{
    return mCurrent >= 0 && mCurrent < int(mTracks.size()) ? mTracks[size_t(mCurrent)] : nullptr;
}

void KpTracks::Play()
{
    if (mTracks.empty())
        return;
    mCurrent = (mCurrent + 1) % int(mTracks.size());
    MusicTrack* track = mTracks[size_t(mCurrent)];
    WriteLog("KpTracks::Play: Current track is '%s'", track->GetFile().c_str());
    track->Play(true);
}

void KpTracks::Stop()
{
    if (MusicTrack* track = GetCurrentTrack())
        track->Stop(true);
}

// --- KpMusic

KpMusic* GetEngineMusic()
{
    static KpMusic music;
    return &music;
}

void MusicSetGlobalVolume(int volume)
{
    volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    if (gLumoApp && !gMusicOverride)
        gLumoApp->SetMusicVolume(volume / 100.0);
    else if (Lumo::MusicInterface* music = KpMusic::GetInterface())
        music->SetVolume(volume / 100.0);
}

Lumo::MusicInterface* KpMusic::GetInterface()
{
    if (gMusicOverride)
        return gMusicOverride;
    return gLumoApp ? gLumoApp->mMusicInterface : nullptr;
}

void KpMusic::SetInterface(Lumo::MusicInterface* music)
{
    gMusicOverride = music;
}

KpMusic::~KpMusic()
{
    Clear();
}

void KpMusic::Clear()
{
    for (auto& stream : mStreams)
        delete stream.second;
    mStreams.clear();
    mCurrent = nullptr;
}

int KpMusic::LoadConfig(IXMLDOMNode* document)
{
    XmlForEachNode(
        document, L"cfg/music/stream",
        [this](IXMLDOMNode* element)
        {
            std::string id;
            if (!XmlReadString(element, "id", id) || id.empty())
            {
                WriteLog("WARNING: KpMusic::LoadConfig: a stream without id");
                return;
            }
            KpTracks* stream = new KpTracks(id);
            XmlForEachNode(
                element, L"track",
                [&](IXMLDOMNode* trackElement)
                {
                    std::string file;
                    int volume = 100, fadeIn = 0, fadeOut = 0;
                    XmlReadInt(trackElement, "volume", volume);
                    XmlReadInt(trackElement, "fadein", fadeIn);
                    XmlReadInt(trackElement, "fadeout", fadeOut);
                    if (!XmlReadString(trackElement, "file", file) || file.empty() || volume < 0 ||
                        volume > 100 || fadeIn < 0 || fadeOut < 0)
                    {
                        WriteLog(
                            "WARNING: KpMusic::LoadConfig: stream '%s': a track without file or "
                            "with a bad volume or fade",
                            id.c_str());
                        return;
                    }
                    stream->AddTrack(new MusicTrack(file, volume, fadeIn, fadeOut));
                });
            auto old = mStreams.find(id);
            if (old != mStreams.end())
            {
                WriteLog("WARNING: KpMusic::LoadConfig: stream '%s' given twice; the last counts",
                         id.c_str());
                if (mCurrent == old->second)
                    mCurrent = nullptr;
                delete old->second;
            }
            mStreams[id] = stream;
        });
    return int(mStreams.size());
}

KpTracks* KpMusic::GetStream(const std::string& id) const
{
    auto found = mStreams.find(id);
    return found == mStreams.end() ? nullptr : found->second;
}

void KpMusic::Change(const std::string& id)
{
    KpTracks* next = GetStream(id);
    if (!next && !id.empty())
        return;
    if (mCurrent)
        mCurrent->Stop();
    mCurrent = next;
    if (next)
        next->Play();
}

MusicTrack* KpMusic::GetSingleTrack(const std::string& id) const
{
    KpTracks* stream = GetStream(id);
    return stream && stream->GetTracks().size() == 1 ? stream->GetTracks()[0] : nullptr;
}
