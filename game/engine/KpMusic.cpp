#include "game/engine/KpMusic.h"

#include <cmath>

#include "framework/app/LumoAppBase.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpXml.h"
#include "platform/sound/SoundLayer.h"

// --- MusicTrack

MusicTrack::MusicTrack(const std::string& file, int volume, int fadeInMs, int fadeOutMs)
    : mFile(file), mVolume(volume), mFadeInMs(fadeInMs), mFadeOutMs(fadeOutMs), mPan(0), mVoice(0),
      mLoadFailed(false), mPlaying(false), mReported(false), mLevel(1.0), mFade(0)
{
}

MusicTrack::~MusicTrack()
{
    if (mVoice)
        SndVoiceFree(mVoice);
}

bool MusicTrack::Load()
{
    if (mVoice || mLoadFailed || !gSoundAvailable)
        return mVoice != 0;
    mVoice = SndStreamCreate(mFile.c_str(), kMusicGroup);
    if (!mVoice)
    {
        mLoadFailed = true;
        WriteLog("WARNING: MusicTrack::Play: cannot play '%s': %s; the track stays silent",
                 mFile.c_str(), SndLastError());
        return false;
    }
    SndVoiceSetPan(mVoice, int(mPan));
    return true;
}

int MusicTrack::HeardVolume() const
{
    return int(std::lround(mVolume * mLevel));
}

void MusicTrack::ApplyVolume()
{
    if (mVoice)
        SndVoiceSetVolume(mVoice, HeardVolume());
}

void MusicTrack::Play(bool fadeIn)
{
    if (!Load())
        return;
    const bool fading = fadeIn && mFadeInMs > 0;
    mFade = fading ? 1 : 0;
    if (mPlaying)
    {
        // Still heard, fading out: a fade-in goes back up from where it
        // stands; without one the track is at its full level at once.
        if (!fading)
        {
            mLevel = 1.0;
            SndVoiceCutVolume(mVoice, HeardVolume());
        }
        return;
    }
    // The level first: the start takes it up.
    mLevel = fading ? 0.0 : 1.0;
    ApplyVolume();
    SndVoicePlay(mVoice, true);
    mPlaying = true;
}

void MusicTrack::Stop(bool fadeOut)
{
    if (!mPlaying)
        return;
    if (fadeOut && mFadeOutMs > 0 && mVoice)
    {
        mFade = -1;
        return;
    }
    mPlaying = false;
    mFade = 0;
    if (mVoice)
        SndVoiceStop(mVoice);
}

void MusicTrack::SetPan(float pan)
{
    mPan = pan;
    if (mVoice)
        SndVoiceSetPan(mVoice, int(pan));
}

void MusicTrack::SetVolume(int volume)
{
    mVolume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    ApplyVolume();
}

void MusicTrack::Update(int ms)
{
    if (mVoice && !mReported && SndVoiceFailed(mVoice))
    {
        mReported = true;
        WriteLog("WARNING: MusicTrack::Update: '%s' is damaged; the track stays silent",
                 mFile.c_str());
    }
    if (!mFade || ms <= 0)
        return;
    if (mFade > 0)
    {
        mLevel += double(ms) / mFadeInMs;
        if (mLevel >= 1.0)
            mLevel = 1.0, mFade = 0;
    }
    else
    {
        mLevel -= double(ms) / mFadeOutMs;
        if (mLevel <= 0.0)
        {
            mLevel = 0.0;
            mFade = 0;
            mPlaying = false;
            SndVoiceStop(mVoice);
        }
    }
    ApplyVolume();
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
    // The application keeps the music volume and its mute; the engine hands
    // what results to the music group.
    if (gLumoApp)
        gLumoApp->SetMusicVolume(volume / 100.0);
    else
        SndGroupSetVolume(kMusicGroup, volume);
}

void KpMusic::Update(int ms)
{
    for (auto& stream : mStreams)
        for (MusicTrack* track : stream.second->GetTracks())
            track->Update(ms);
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
