#include "platform/sound/SoundLayer.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sound/WavFile.h"

namespace
{
struct Sample
{
    WAVEFORMATEX format = {};
    std::vector<uint8_t> pcm;
    IDirectSoundBuffer* master = nullptr; // voices are duplicates of it
};

struct Voice
{
    int sample = 0;
    int group = 0;
    IDirectSoundBuffer* buffer = nullptr;
    int volume = 100;
    int pan = 0;
    bool loop = false;
    bool oneShot = false;   // freed by SndUpdate once it has stopped
    bool wantsPlay = false; // playing, or would be without its pauses
    int pauses = 0;
    DWORD pausedAt = 0; // play position kept while paused
};

typedef HRESULT(WINAPI* DirectSoundCreateFn)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

// Most voices alive at once; the oldest one-shot gives way beyond it.
const int kMaxVoices = 48;

std::mutex gSoundLock; // guards everything below
HMODULE gDSoundModule = nullptr;
IDirectSound* gDevice = nullptr;
std::map<int, Sample> gSamples;
std::map<int, Voice> gVoices;
int gNextSample = 1, gNextVoice = 1;
int gMasterVolume = 100;
std::string gLastError;

int StdOpen(const char* name)
{
    FILE* file = fopen(name, "rb");
    return file ? int(reinterpret_cast<intptr_t>(file)) : -1;
}
int StdSeek(int handle, int offset, int origin)
{
    return fseek(reinterpret_cast<FILE*>(intptr_t(handle)), offset, origin);
}
int StdRead(int handle, void* dest, int count)
{
    return int(fread(dest, 1, size_t(count), reinterpret_cast<FILE*>(intptr_t(handle))));
}
void StdClose(int handle)
{
    fclose(reinterpret_cast<FILE*>(intptr_t(handle)));
}
SndOpenFn gOpen = StdOpen;
SndSeekFn gSeek = StdSeek;
SndReadFn gRead = StdRead;
SndCloseFn gClose = StdClose;

// Hundredths of a decibel for a 0-100 volume, as DirectSound takes them.
LONG VolumeToDirectSound(int volume)
{
    if (volume <= 0)
        return DSBVOLUME_MIN;
    if (volume >= 100)
        return DSBVOLUME_MAX;
    LONG db = LONG(std::lround(2000.0 * std::log10(volume / 100.0)));
    return db < DSBVOLUME_MIN ? DSBVOLUME_MIN : db;
}

// The far side loses as much as a volume of (100 - |pan|) would.
LONG PanToDirectSound(int pan)
{
    if (pan == 0)
        return DSBPAN_CENTER;
    int farSide = 100 - (pan < 0 ? -pan : pan);
    LONG db = -VolumeToDirectSound(farSide);
    return pan < 0 ? -db : db;
}

void ApplyVolume(Voice& voice)
{
    if (voice.buffer)
        voice.buffer->SetVolume(VolumeToDirectSound(voice.volume * gMasterVolume / 100));
}

void ReleaseVoice(Voice& voice)
{
    if (voice.buffer)
    {
        voice.buffer->Stop();
        voice.buffer->Release();
    }
    voice.buffer = nullptr;
}

bool IsBufferPlaying(const Voice& voice)
{
    DWORD status = 0;
    return voice.buffer && SUCCEEDED(voice.buffer->GetStatus(&status)) &&
           (status & DSBSTATUS_PLAYING) != 0;
}

void StartBuffer(Voice& voice)
{
    if (voice.buffer && voice.pauses == 0)
        voice.buffer->Play(0, 0, voice.loop ? DSBPLAY_LOOPING : 0);
}

// Frees finished one-shots, then, while too many voices live, the oldest one-shots.
void ReclaimVoices(bool makeRoom)
{
    for (auto it = gVoices.begin(); it != gVoices.end();)
    {
        Voice& voice = it->second;
        if (voice.oneShot && voice.pauses == 0 && !IsBufferPlaying(voice))
        {
            ReleaseVoice(voice);
            it = gVoices.erase(it);
        }
        else
            ++it;
    }
    if (!makeRoom)
        return;
    for (auto it = gVoices.begin(); it != gVoices.end() && int(gVoices.size()) >= kMaxVoices;)
    {
        if (it->second.oneShot)
        {
            ReleaseVoice(it->second);
            it = gVoices.erase(it);
        }
        else
            ++it;
    }
}

IDirectSoundBuffer* MakeMasterBuffer(const Sample& sample)
{
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags =
        DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = DWORD(sample.pcm.size());
    desc.lpwfxFormat = const_cast<WAVEFORMATEX*>(&sample.format);
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(gDevice->CreateSoundBuffer(&desc, &buffer, nullptr)) || !buffer)
        return nullptr;
    void *part1 = nullptr, *part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    if (FAILED(buffer->Lock(0, desc.dwBufferBytes, &part1, &bytes1, &part2, &bytes2, 0)))
    {
        buffer->Release();
        return nullptr;
    }
    memcpy(part1, sample.pcm.data(), bytes1);
    if (part2)
        memcpy(part2, sample.pcm.data() + bytes1, bytes2);
    buffer->Unlock(part1, bytes1, part2, bytes2);
    return buffer;
}

int AddSample(const uint8_t* bytes, size_t size)
{
    WavInfo info;
    std::string reason;
    if (!ParseWav(bytes, size, info, &reason))
    {
        gLastError = reason;
        return 0;
    }
    Sample sample;
    sample.format.wFormatTag = WAVE_FORMAT_PCM;
    sample.format.nChannels = WORD(info.channels);
    sample.format.nSamplesPerSec = DWORD(info.samplesPerSec);
    sample.format.wBitsPerSample = WORD(info.bitsPerSample);
    sample.format.nBlockAlign = WORD(info.channels * info.bitsPerSample / 8);
    sample.format.nAvgBytesPerSec = sample.format.nBlockAlign * sample.format.nSamplesPerSec;
    sample.pcm.assign(bytes + info.dataOffset, bytes + info.dataOffset + info.dataBytes);
    sample.master = MakeMasterBuffer(sample);
    if (!sample.master)
    {
        gLastError = "the device refused the sound buffer";
        return 0;
    }
    int id = gNextSample++;
    gSamples[id] = std::move(sample);
    return id;
}

Voice* FindVoice(int id)
{
    auto it = gVoices.find(id);
    return it == gVoices.end() ? nullptr : &it->second;
}

int NewVoice(int sampleId, int group, bool oneShot)
{
    auto found = gSamples.find(sampleId);
    if (!gDevice || found == gSamples.end())
        return 0;
    ReclaimVoices(true);
    Voice voice;
    if (FAILED(gDevice->DuplicateSoundBuffer(found->second.master, &voice.buffer)) || !voice.buffer)
        return 0;
    voice.sample = sampleId;
    voice.group = group;
    voice.oneShot = oneShot;
    ApplyVolume(voice);
    int id = gNextVoice++;
    gVoices[id] = voice;
    return id;
}

template <class F> void ForGroup(int group, F action)
{
    for (auto& entry : gVoices)
        if (group == SND_ALL_GROUPS || entry.second.group == group)
            action(entry.second);
}
} // namespace

// --- Start and stop

bool SndStartup(HWND window)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (gDevice)
        return true;
    gLastError.clear();
    if (!gDSoundModule)
        gDSoundModule = LoadLibraryA("dsound.dll");
    DirectSoundCreateFn create =
        gDSoundModule ? reinterpret_cast<DirectSoundCreateFn>(reinterpret_cast<void*>(
                            GetProcAddress(gDSoundModule, "DirectSoundCreate")))
                      : nullptr;
    if (!create)
    {
        gLastError = "dsound.dll is missing";
        return false;
    }
    IDirectSound* device = nullptr;
    HRESULT hr = create(nullptr, &device, nullptr);
    if (FAILED(hr) || !device)
    {
        char text[64];
        snprintf(text, sizeof(text), "no sound device (0x%08lx)", (unsigned long)hr);
        gLastError = text;
        return false;
    }
    HWND owner = window ? window : GetDesktopWindow();
    if (FAILED(device->SetCooperativeLevel(owner, window ? DSSCL_PRIORITY : DSSCL_NORMAL)))
    {
        device->Release();
        gLastError = "the device refused the cooperative level";
        return false;
    }
    gDevice = device;
    return true;
}

void SndShutdown()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    for (auto& entry : gVoices)
        ReleaseVoice(entry.second);
    gVoices.clear();
    for (auto& entry : gSamples)
        if (entry.second.master)
            entry.second.master->Release();
    gSamples.clear();
    if (gDevice)
        gDevice->Release();
    gDevice = nullptr;
}

bool SndIsStarted()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    return gDevice != nullptr;
}

void SndSetFileCallbacks(SndOpenFn open, SndSeekFn seek, SndReadFn read, SndCloseFn close)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    bool all = open && seek && read && close;
    gOpen = all ? open : StdOpen;
    gSeek = all ? seek : StdSeek;
    gRead = all ? read : StdRead;
    gClose = all ? close : StdClose;
}

// --- Samples

int SndSampleLoadFile(const char* name)
{
    SndOpenFn open;
    SndSeekFn seek;
    SndReadFn read;
    SndCloseFn close;
    {
        std::lock_guard<std::mutex> lock(gSoundLock);
        if (!gDevice)
            return 0;
        open = gOpen, seek = gSeek, read = gRead, close = gClose;
    }
    // The file is read outside the lock: the archive reader may be slow.
    int handle = open(name);
    if (handle == -1)
    {
        std::lock_guard<std::mutex> lock(gSoundLock);
        gLastError = "cannot open the file";
        return 0;
    }
    std::vector<uint8_t> bytes;
    bool ok = seek(handle, 0, SEEK_END) == 0;
    int size = 0;
    if (ok)
    {
        // The reader reports the end position as the count read from the start.
        ok = seek(handle, 0, SEEK_SET) == 0;
        uint8_t chunk[16384];
        for (;;)
        {
            int got = read(handle, chunk, int(sizeof(chunk)));
            if (got <= 0)
                break;
            bytes.insert(bytes.end(), chunk, chunk + got);
            size += got;
            if (size > 64 * 1024 * 1024)
            {
                ok = false;
                break;
            }
        }
    }
    close(handle);
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (!ok)
    {
        gLastError = "cannot read the file";
        return 0;
    }
    return gDevice ? AddSample(bytes.data(), bytes.size()) : 0;
}

int SndSampleLoadMemory(const void* bytes, size_t size)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (!gDevice || !bytes)
        return 0;
    return AddSample(static_cast<const uint8_t*>(bytes), size);
}

void SndSampleFree(int sample)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    auto found = gSamples.find(sample);
    if (found == gSamples.end())
        return;
    for (auto it = gVoices.begin(); it != gVoices.end();)
    {
        if (it->second.sample == sample)
        {
            ReleaseVoice(it->second);
            it = gVoices.erase(it);
        }
        else
            ++it;
    }
    if (found->second.master)
        found->second.master->Release();
    gSamples.erase(found);
}

int SndSampleLengthMs(int sample)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    auto found = gSamples.find(sample);
    if (found == gSamples.end() || found->second.format.nAvgBytesPerSec == 0)
        return 0;
    return int(uint64_t(found->second.pcm.size()) * 1000 / found->second.format.nAvgBytesPerSec);
}

// --- Voices

int SndPlay(int sample, int group, int volume, int pan, bool loop)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    int id = NewVoice(sample, group, true);
    Voice* voice = FindVoice(id);
    if (!voice)
        return 0;
    voice->volume = volume;
    voice->pan = pan;
    voice->loop = loop;
    voice->wantsPlay = true;
    ApplyVolume(*voice);
    voice->buffer->SetPan(PanToDirectSound(pan));
    StartBuffer(*voice);
    return id;
}

int SndVoiceCreate(int sample, int group)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    return NewVoice(sample, group, false);
}

void SndVoicePlay(int id, bool loop)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->buffer->Stop();
        voice->buffer->SetCurrentPosition(0);
        voice->pausedAt = 0;
        voice->loop = loop;
        voice->wantsPlay = true;
        StartBuffer(*voice);
    }
}

void SndVoiceStop(int id)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->buffer->Stop();
        voice->wantsPlay = false;
    }
}

void SndVoiceSetVolume(int id, int volume)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
        ApplyVolume(*voice);
    }
}

void SndVoiceSetPan(int id, int pan)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->pan = pan < -100 ? -100 : pan > 100 ? 100 : pan;
        voice->buffer->SetPan(PanToDirectSound(voice->pan));
    }
}

bool SndVoiceIsPlaying(int id)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    Voice* voice = FindVoice(id);
    return voice && IsBufferPlaying(*voice);
}

int SndVoicePosition(int id)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    Voice* voice = FindVoice(id);
    DWORD play = 0, write = 0;
    if (!voice || FAILED(voice->buffer->GetCurrentPosition(&play, &write)))
        return -1;
    return int(play);
}

void SndVoiceFree(int id)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        ReleaseVoice(*voice);
        gVoices.erase(id);
    }
}

// --- Groups

void SndGroupStop(int group)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    ForGroup(group,
             [](Voice& voice)
             {
                 voice.buffer->Stop();
                 voice.wantsPlay = false;
             });
    ReclaimVoices(false);
}

void SndGroupPause(int group)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    ForGroup(group,
             [](Voice& voice)
             {
                 if (voice.pauses++ == 0 && voice.wantsPlay)
                 {
                     // A one-shot that already ended stays ended.
                     if (!IsBufferPlaying(voice))
                     {
                         voice.wantsPlay = false;
                         return;
                     }
                     DWORD write = 0;
                     voice.buffer->GetCurrentPosition(&voice.pausedAt, &write);
                     voice.buffer->Stop();
                 }
             });
}

void SndGroupResume(int group)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    ForGroup(group,
             [](Voice& voice)
             {
                 if (voice.pauses == 0 || --voice.pauses > 0 || !voice.wantsPlay)
                     return;
                 voice.buffer->SetCurrentPosition(voice.pausedAt);
                 StartBuffer(voice);
             });
}

// --- Mixing

void SndSetMasterVolume(int volume)
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    gMasterVolume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    for (auto& entry : gVoices)
        ApplyVolume(entry.second);
}

int SndGetMasterVolume()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    return gMasterVolume;
}

void SndUpdate()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    ReclaimVoices(false);
}

int SndVoiceCount()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    return int(gVoices.size());
}

const char* SndLastError()
{
    std::lock_guard<std::mutex> lock(gSoundLock);
    static thread_local std::string copy;
    copy = gLastError;
    return copy.c_str();
}
