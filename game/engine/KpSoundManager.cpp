#include "game/engine/KpSoundManager.h"

#include "framework/app/PakInterface.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"
#include "platform/sound/SoundLayer.h"

bool gSoundAvailable = false;

// --- KpSoundSystem

bool KpSoundSystem::Init(HWND window)
{
    gSoundAvailable = SndStartup(window);
    if (!gSoundAvailable)
    {
        WriteLog("WARNING: KpSoundSystem::Init: %s; the game runs silent", SndLastError());
        return false;
    }
    SndSetFileCallbacks(SquallFileOpen, SquallFileSeek, SquallFileRead, SquallFileClose);
    return true;
}

void KpSoundSystem::Shutdown()
{
    GetSoundManager()->Clear();
    SndShutdown();
    gSoundAvailable = false;
}

// --- SoundChannel

SoundChannel::~SoundChannel()
{
    if (mVoice)
        SndVoiceFree(mVoice);
}

void SoundChannel::Play()
{
    if (gSoundAvailable && mVoice)
        SndVoicePlay(mVoice, false);
}

void SoundChannel::Stop()
{
    if (gSoundAvailable && mVoice)
        SndVoiceStop(mVoice);
}

void SoundChannel::SetPan(float pan)
{
    if (gSoundAvailable && mVoice)
        SndVoiceSetPan(mVoice, int(pan));
}

void SoundChannel::SetVolume(float volume)
{
    if (gSoundAvailable && mVoice)
        SndVoiceSetVolume(mVoice, int(volume * mSampleVolume / 100.0f));
}

bool SoundChannel::IsPlaying() const
{
    return gSoundAvailable && mVoice && SndVoiceIsPlaying(mVoice);
}

// --- KpSoundManager

KpSoundManager* GetSoundManager()
{
    static KpSoundManager manager;
    return &manager;
}

int KpSoundManager::GroupId(const std::string& group)
{
    auto found = mGroups.find(group);
    if (found != mGroups.end())
        return found->second;
    int id = int(mGroups.size()) + 1;
    mGroups[group] = id;
    SndGroupSetVolume(id, mEffectsVolume);
    return id;
}

int KpSoundManager::LoadConfig(IXMLDOMNode* document)
{
    XmlForEachNode(
        document, L"cfg/sounds/sound",
        [this](IXMLDOMNode* element)
        {
            std::string name, file, group = "default";
            int volume = 100;
            if (!XmlReadString(element, "name", name) || name.empty() ||
                !XmlReadString(element, "file", file) || file.empty())
            {
                WriteLog("WARNING: KpSoundManager::LoadConfig: a sound without name or file");
                return;
            }
            XmlReadString(element, "group", group);
            if (XmlReadInt(element, "volume", volume) && (volume < 0 || volume > 100))
            {
                WriteLog("WARNING: KpSoundManager::LoadConfig: sound '%s': volume %d is not 0-100",
                         name.c_str(), volume);
                return;
            }
            Entry entry;
            entry.volume = volume;
            if (gSoundAvailable)
            {
                entry.sample = SndSampleLoadFile(file.c_str());
                if (!entry.sample)
                {
                    WriteLog("WARNING: KpSoundManager::LoadConfig: sound '%s': '%s': %s",
                             name.c_str(), file.c_str(), SndLastError());
                    return;
                }
            }
            std::lock_guard<std::mutex> lock(mTableLock);
            entry.group = GroupId(group);
            auto old = mSounds.find(name);
            if (old != mSounds.end() && old->second.sample)
                SndSampleFree(old->second.sample);
            mSounds[name] = entry;
        });
    std::lock_guard<std::mutex> lock(mTableLock);
    return int(mSounds.size());
}

void KpSoundManager::Clear()
{
    std::lock_guard<std::mutex> lock(mTableLock);
    for (auto& sound : mSounds)
        if (sound.second.sample)
            SndSampleFree(sound.second.sample);
    mSounds.clear();
}

bool KpSoundManager::HasSound(const std::string& name)
{
    std::lock_guard<std::mutex> lock(mTableLock);
    return mSounds.count(name) != 0;
}

int KpSoundManager::GetCount()
{
    std::lock_guard<std::mutex> lock(mTableLock);
    return int(mSounds.size());
}

void KpSoundManager::SoundPlay(const std::string& name)
{
    if (!gSoundAvailable)
        return;
    Entry entry;
    {
        std::lock_guard<std::mutex> lock(mTableLock);
        auto found = mSounds.find(name);
        if (found == mSounds.end())
        {
            WriteLog("WARNING: KpSoundManager::SoundPlay: no sound '%s'", name.c_str());
            return;
        }
        entry = found->second;
    }
    SndPlay(entry.sample, entry.group, entry.volume, 0, false);
}

void KpSoundManager::SoundStopGroup(const std::string& group)
{
    if (!gSoundAvailable)
        return;
    std::lock_guard<std::mutex> lock(mTableLock);
    SndGroupStop(GroupId(group));
}

void KpSoundManager::SoundPauseGroup(const std::string& group)
{
    if (!gSoundAvailable)
        return;
    std::lock_guard<std::mutex> lock(mTableLock);
    SndGroupPause(GroupId(group));
}

void KpSoundManager::SoundResumeGroup(const std::string& group)
{
    if (!gSoundAvailable)
        return;
    std::lock_guard<std::mutex> lock(mTableLock);
    SndGroupResume(GroupId(group));
}

void KpSoundManager::SoundPauseAll()
{
    if (gSoundAvailable)
        SndGroupPause(SND_ALL_GROUPS);
}

void KpSoundManager::SoundResumeAll()
{
    if (gSoundAvailable)
        SndGroupResume(SND_ALL_GROUPS);
}

// The effects' groups only: the music group has a volume of its own.
void KpSoundManager::SoundSetMasterVolume(int volume)
{
    std::lock_guard<std::mutex> lock(mTableLock);
    mEffectsVolume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    for (auto& group : mGroups)
        SndGroupSetVolume(group.second, mEffectsVolume);
}

SoundChannel* KpSoundManager::SoundCreateChannel(const std::string& name)
{
    Entry entry;
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(mTableLock);
        auto found = mSounds.find(name);
        if (found != mSounds.end())
        {
            entry = found->second;
            known = true;
        }
    }
    if (!gSoundAvailable)
        return new SoundChannel(0, 100);
    if (!known)
        WriteLog("WARNING: KpSoundManager::SoundCreateChannel: no sound '%s'", name.c_str());
    int voice = known ? SndVoiceCreate(entry.sample, entry.group) : 0;
    if (voice)
        SndVoiceSetVolume(voice, entry.volume);
    return new SoundChannel(voice, entry.volume);
}

void KpSoundManager::Update()
{
    if (gSoundAvailable)
        SndUpdate();
}
