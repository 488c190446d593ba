#include "framework/app/FModMusicInterface.h"

#include "framework/app/BoxTextWrap.h"
#include "framework/app/StringUtils.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// Sections: binding fmod.dll, the WAV cache, loading, playing, fades.

namespace Lumo
{

FMOD_INSTANCE* gFMod = nullptr;

namespace
{
volatile LONG gFModRefCount = 0;

void FatalFModError(const std::string& text)
{
    MessageBoxA(nullptr, WrapBoxText(text).c_str(), "Error", MB_ICONERROR);
    ExitProcess(0);
}

// Looks one entry point up; a missing one ends the process.
template <typename T> void Bind(HMODULE module, T& entry, const char* name)
{
    FARPROC proc = GetProcAddress(module, name);
    if (proc == nullptr)
        FatalFModError(std::string("\"") + name + "\" function not found in fmod.dll");
    entry = reinterpret_cast<T>(reinterpret_cast<void*>(proc));
}

void PutU16(std::vector<uint8_t>& out, unsigned v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

// Writes the whole file to a temporary name first, so that a failed write never leaves
// a damaged cache file that later runs would prefer to the ".ogg" file.
bool WriteCacheFile(const std::string& path, const std::vector<uint8_t>& header, const void* data,
                    uint32_t dataSize)
{
    std::string temp = path + ".tmp";
    FILE* file = fopen(temp.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(header.data(), 1, header.size(), file) == header.size();
    ok = ok && fwrite(data, 1, dataSize, file) == dataSize;
    ok = fclose(file) == 0 && ok;
    ok = ok && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok)
        DeleteFileA(temp.c_str());
    return ok;
}
} // namespace

// --- Binding fmod.dll ---

FMOD_INSTANCE::FMOD_INSTANCE(const char* fileName)
{
    mModule = LoadLibraryA(fileName);
    if (mModule == nullptr)
        return;
    Bind(mModule, FSOUND_SetBufferSize, "_FSOUND_SetBufferSize@4");
    Bind(mModule, FSOUND_SetHWND, "_FSOUND_SetHWND@4");
    Bind(mModule, FSOUND_Init, "_FSOUND_Init@12");
    Bind(mModule, FSOUND_Close, "_FSOUND_Close@0");
    Bind(mModule, FSOUND_Sample_Load, "_FSOUND_Sample_Load@16");
    Bind(mModule, FSOUND_Sample_Alloc, "_FSOUND_Sample_Alloc@28");
    Bind(mModule, FSOUND_Sample_Free, "_FSOUND_Sample_Free@4");
    Bind(mModule, FSOUND_Sample_Lock, "_FSOUND_Sample_Lock@28");
    Bind(mModule, FSOUND_Sample_Unlock, "_FSOUND_Sample_Unlock@20");
    Bind(mModule, FSOUND_Sample_SetLoopPoints, "_FSOUND_Sample_SetLoopPoints@12");
    Bind(mModule, FSOUND_Sample_GetLength, "_FSOUND_Sample_GetLength@4");
    Bind(mModule, FSOUND_Sample_GetDefaults, "_FSOUND_Sample_GetDefaults@20");
    Bind(mModule, FSOUND_Sample_GetMode, "_FSOUND_Sample_GetMode@4");
    Bind(mModule, FSOUND_PlaySound, "_FSOUND_PlaySound@8");
    Bind(mModule, FSOUND_StopSound, "_FSOUND_StopSound@4");
    Bind(mModule, FSOUND_SetVolume, "_FSOUND_SetVolume@8");
    Bind(mModule, FSOUND_SetPaused, "_FSOUND_SetPaused@8");
    Bind(mModule, FSOUND_SetLoopMode, "_FSOUND_SetLoopMode@8");
    Bind(mModule, FSOUND_IsPlaying, "_FSOUND_IsPlaying@4");
    Bind(mModule, FSOUND_Stream_OpenFile, "_FSOUND_Stream_OpenFile@12");
    Bind(mModule, FSOUND_Stream_Close, "_FSOUND_Stream_Close@4");
    Bind(mModule, FSOUND_Stream_Play, "_FSOUND_Stream_Play@8");
    Bind(mModule, FMUSIC_LoadSong, "_FMUSIC_LoadSong@4");
    Bind(mModule, FMUSIC_PlaySong, "_FMUSIC_PlaySong@4");
    Bind(mModule, FMUSIC_StopSong, "_FMUSIC_StopSong@4");
    Bind(mModule, FMUSIC_SetLooping, "_FMUSIC_SetLooping@8");
    Bind(mModule, FMUSIC_SetOrder, "_FMUSIC_SetOrder@8");
    Bind(mModule, FMUSIC_SetPaused, "_FMUSIC_SetPaused@8");
    Bind(mModule, FMUSIC_SetMasterVolume, "_FMUSIC_SetMasterVolume@8");
    Bind(mModule, FMUSIC_IsPlaying, "_FMUSIC_IsPlaying@4");
}

FMOD_INSTANCE::~FMOD_INSTANCE()
{
    if (mModule != nullptr)
        FreeLibrary(mModule);
}

void LoadFMod()
{
    InterlockedIncrement(&gFModRefCount);
    if (gFMod == nullptr)
        gFMod = new FMOD_INSTANCE("fmod.dll");
    if (gFMod->mModule == nullptr)
        FatalFModError("Can't find fmod.dll.");
}

void ReleaseFMod()
{
    if (gFMod == nullptr)
        return;
    if (InterlockedDecrement(&gFModRefCount) < 1)
    {
        delete gFMod;
        gFMod = nullptr;
    }
}

// --- The WAV cache ---

std::string FModCachePath(const std::string& name)
{
    // Keyed by the full path, so that songs of the same name in different folders keep
    // apart: the base name for the reader, a hash of the full path to tell them apart.
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    std::string key = (length > 0 && length < MAX_PATH) ? std::string(full) : name;
    uint32_t hash = 2166136261u;
    for (char c : key)
    {
        if (c == '/')
            c = '\\';
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        hash = (hash ^ uint8_t(c)) * 16777619u;
    }
    char suffix[16];
    _snprintf(suffix, sizeof(suffix), "_%08x", hash);
    suffix[sizeof(suffix) - 1] = 0;
    return GetAppDataFolder() + "cached\\" + GetFileName(name, true) + suffix + ".wav";
}

void* FModMusicInterface::LoadCachedSample(const std::string& name)
{
    std::string cachePath = FModCachePath(name);
    MakeDirectories(GetFileDir(cachePath, true));
    void* sample = gFMod->FSOUND_Sample_Load(-1, cachePath.c_str(), 0, 0);
    if (sample != nullptr)
        return sample;
    sample = gFMod->FSOUND_Sample_Load(-1, (name + ".ogg").c_str(), 0, 0);
    if (sample == nullptr)
        return nullptr;

    unsigned mode = gFMod->FSOUND_Sample_GetMode(sample);
    int frequency = 0;
    gFMod->FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr);
    unsigned length = gFMod->FSOUND_Sample_GetLength(sample);
    unsigned channels = (mode & kFModMono) ? 1 : 2;
    unsigned bits = (mode & kFModBits8) ? 8 : 16;
    unsigned blockSize = bits * channels / 8;
    uint64_t dataSize64 = uint64_t(length) * blockSize;
    if (dataSize64 > 0x7FFFFFF0u)
        return sample; // too large for a WAV file; played uncached
    uint32_t dataSize = uint32_t(dataSize64);

    void* ptr1 = nullptr;
    void* ptr2 = nullptr;
    unsigned len1 = 0, len2 = 0;
    if (gFMod->FSOUND_Sample_Lock(sample, 0, int(dataSize), &ptr1, &ptr2, &len1, &len2))
    {
        // A lock that hands out less than the whole sample would cache a cut-off song.
        if (ptr1 != nullptr && len1 >= dataSize)
        {
            std::vector<uint8_t> header;
            PutTag(header, "RIFF");
            PutU32(header, dataSize + 36);
            PutTag(header, "WAVE");
            PutTag(header, "fmt ");
            PutU32(header, 16);
            PutU16(header, 1);
            PutU16(header, channels);
            PutU32(header, uint32_t(frequency));
            PutU32(header, blockSize * uint32_t(frequency));
            PutU16(header, blockSize);
            PutU16(header, bits);
            PutTag(header, "data");
            PutU32(header, dataSize);
            WriteCacheFile(cachePath, header, ptr1, dataSize);
        }
        gFMod->FSOUND_Sample_Unlock(sample, ptr1, ptr2, len1, len2);
    }
    return sample;
}

// --- Loading ---

FModMusicInterface::FModMusicInterface(HWND)
    : mMasterVolume(1.0), mModuleVolumeScale(100), mSampleVolumeScale(100)
{
    LoadFMod();
}

FModMusicInterface::~FModMusicInterface()
{
    ReleaseFMod();
    mSongs.clear();
}

bool FModMusicInterface::AddSong(int songId, void* sample, void* module, bool loop)
{
    if (mSongs.count(songId) != 0)
        return false;
    MusicSong& song = mSongs[songId];
    song.sample = sample;
    song.module = module;
    song.loop = loop;
    return true;
}

bool FModMusicInterface::LoadMusic(int songId, const std::string& fileName)
{
    void* module = gFMod->FMUSIC_LoadSong(fileName.c_str());
    if (module == nullptr)
        return false;
    // A taken id keeps its song; fmod.dll offers no call to free the new module.
    AddSong(songId, nullptr, module, false);
    return true;
}

bool FModMusicInterface::LoadCachedMusic(int songId, const std::string& fileName, bool loop)
{
    void* sample = LoadCachedSample(fileName);
    if (sample == nullptr)
        return false;
    if (!AddSong(songId, sample, nullptr, loop))
        gFMod->FSOUND_Sample_Free(sample); // the id keeps its song
    return true;
}

bool FModMusicInterface::LoadSample(int songId, const std::string& firstName,
                                    const std::string& secondName, bool loop)
{
    void* first = LoadCachedSample(firstName);
    void* second = first != nullptr ? LoadCachedSample(secondName) : nullptr;
    if (first == nullptr || second == nullptr)
    {
        if (first != nullptr)
            gFMod->FSOUND_Sample_Free(first);
        return false;
    }

    int frequency1 = 0, frequency2 = 0;
    gFMod->FSOUND_Sample_GetDefaults(first, &frequency1, nullptr, nullptr, nullptr);
    gFMod->FSOUND_Sample_GetDefaults(second, &frequency2, nullptr, nullptr, nullptr);
    unsigned mode1 = gFMod->FSOUND_Sample_GetMode(first);
    unsigned mode2 = gFMod->FSOUND_Sample_GetMode(second);
    unsigned length1 = gFMod->FSOUND_Sample_GetLength(first);
    unsigned length2 = gFMod->FSOUND_Sample_GetLength(second);
    unsigned frameSize = ((mode1 & kFModMono) ? 1 : 2) * ((mode1 & kFModBits8) ? 1 : 2);
    uint64_t bytes1 = uint64_t(length1) * frameSize;
    uint64_t bytes2 = uint64_t(length2) * frameSize;

    void* joined = nullptr;
    if (frequency1 == frequency2 && mode1 == mode2 && bytes1 + bytes2 <= 0x7FFFFFF0u)
        joined = gFMod->FSOUND_Sample_Alloc(-1, int(length1 + length2), mode1 | kFModLoopNormal,
                                            frequency1, 255, 128, 0);
    bool copied = false;
    if (joined != nullptr)
    {
        void *dst1 = nullptr, *dst2 = nullptr;
        unsigned dstLen1 = 0, dstLen2 = 0;
        if (gFMod->FSOUND_Sample_Lock(joined, 0, int(bytes1 + bytes2), &dst1, &dst2, &dstLen1,
                                      &dstLen2) &&
            dst1 != nullptr)
        {
            copied = true;
            const uint64_t offsets[2] = {0, bytes1};
            const uint64_t sizes[2] = {bytes1, bytes2};
            void* sources[2] = {first, second};
            for (int i = 0; i < 2; ++i)
            {
                void *src1 = nullptr, *src2 = nullptr;
                unsigned srcLen1 = 0, srcLen2 = 0;
                if (!gFMod->FSOUND_Sample_Lock(sources[i], 0, int(sizes[i]), &src1, &src2, &srcLen1,
                                               &srcLen2))
                {
                    copied = false;
                    continue;
                }
                // Never past the joined sample's locked bytes, nor past the source's.
                uint64_t room = dstLen1 > offsets[i] ? dstLen1 - offsets[i] : 0;
                uint64_t count = sizes[i] < srcLen1 ? sizes[i] : srcLen1;
                if (count > room)
                    count = room;
                if (src1 != nullptr && count > 0)
                    memcpy(static_cast<uint8_t*>(dst1) + offsets[i], src1, size_t(count));
                copied = copied && src1 != nullptr && count == sizes[i];
                gFMod->FSOUND_Sample_Unlock(sources[i], src1, src2, srcLen1, srcLen2);
            }
            gFMod->FSOUND_Sample_Unlock(joined, dst1, dst2, dstLen1, dstLen2);
        }
    }
    // The sources are spent whatever happened: the joined sample holds their sound.
    gFMod->FSOUND_Sample_Free(first);
    gFMod->FSOUND_Sample_Free(second);
    if (!copied)
    {
        if (joined != nullptr)
            gFMod->FSOUND_Sample_Free(joined);
        return false;
    }

    // The first part plays once, the loop runs over the second part to its last sample.
    int loopEnd = length2 > 0 ? int(length1 + length2 - 1) : int(length1);
    gFMod->FSOUND_Sample_SetLoopPoints(joined, int(length1), loopEnd);
    if (!AddSong(songId, joined, nullptr, loop))
        gFMod->FSOUND_Sample_Free(joined); // the id keeps its song
    return true;
}

// --- Playing ---

void FModMusicInterface::ApplyVolume(int songId, const MusicSong& song)
{
    if (song.module != nullptr)
        gFMod->FMUSIC_SetMasterVolume(song.module,
                                      int(song.volume * mMasterVolume * mModuleVolumeScale));
    else
        gFMod->FSOUND_SetVolume(songId, int(song.volume * mMasterVolume * mSampleVolumeScale));
}

void FModMusicInterface::StopSong(int songId, MusicSong& song)
{
    if (song.module != nullptr)
        gFMod->FMUSIC_StopSong(song.module);
    else
        gFMod->FSOUND_StopSound(songId);
}

void FModMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    MusicSong& song = it->second;
    song.volume = song.volumeLimit;
    song.fadeStep = 0.0;
    if (song.module != nullptr)
    {
        ApplyVolume(songId, song);
        gFMod->FMUSIC_SetLooping(song.module, noLoop ? 1 : 2);
        gFMod->FMUSIC_PlaySong(song.module);
        gFMod->FMUSIC_SetOrder(song.module, offset);
    }
    else
    {
        gFMod->FSOUND_PlaySound(songId, song.sample);
        gFMod->FSOUND_SetLoopMode(songId, song.loop ? 2 : 1);
        ApplyVolume(songId, song);
    }
}

void FModMusicInterface::StopMusic(int songId)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    it->second.volume = 0.0;
    StopSong(songId, it->second);
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& entry : mSongs)
    {
        entry.second.volume = 0.0;
        StopSong(entry.first, entry.second);
    }
}

void FModMusicInterface::PauseMusic(int songId)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    if (it->second.module != nullptr)
        gFMod->FMUSIC_SetPaused(it->second.module, 1);
    else
        gFMod->FSOUND_SetPaused(songId, 1);
}

void FModMusicInterface::ResumeMusic(int songId)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    if (it->second.module != nullptr)
        gFMod->FMUSIC_SetPaused(it->second.module, 0);
    else
        gFMod->FSOUND_SetPaused(songId, 0);
}

bool FModMusicInterface::IsPlaying(int songId)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return false;
    // A sample song plays on the channel of its id.
    if (it->second.module != nullptr)
        return gFMod->FMUSIC_IsPlaying(it->second.module) != 0;
    return gFMod->FSOUND_IsPlaying(songId) != 0;
}

// --- Fades and volumes ---

void FModMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    MusicSong& song = it->second;
    song.fadeStep = speed;
    if (song.module != nullptr)
    {
        ApplyVolume(songId, song);
        gFMod->FMUSIC_SetLooping(song.module, noLoop ? 1 : 2);
        if (!gFMod->FMUSIC_IsPlaying(song.module))
            gFMod->FMUSIC_PlaySong(song.module);
        if (offset != -1)
            gFMod->FMUSIC_SetOrder(song.module, offset);
    }
    else
    {
        if (!gFMod->FSOUND_IsPlaying(songId))
        {
            gFMod->FSOUND_PlaySound(songId, song.sample);
            gFMod->FSOUND_SetLoopMode(songId, song.loop ? 2 : 1);
        }
        ApplyVolume(songId, song);
    }
}

void FModMusicInterface::FadeOut(int songId, bool stopWhenFaded, double speed)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    it->second.stopWhenFaded = stopWhenFaded;
    it->second.fadeStep = -speed;
}

void FModMusicInterface::FadeOutAll(bool stopWhenFaded, double speed)
{
    for (auto& entry : mSongs)
    {
        entry.second.stopWhenFaded = stopWhenFaded;
        entry.second.fadeStep = -speed;
    }
}

void FModMusicInterface::SetSongVolume(int songId, double volume)
{
    auto it = mSongs.find(songId);
    if (it == mSongs.end())
        return;
    it->second.volume = volume;
    ApplyVolume(songId, it->second);
}

void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (auto& entry : mSongs)
        ApplyVolume(entry.first, entry.second);
}

void FModMusicInterface::Update()
{
    for (auto& entry : mSongs)
    {
        MusicSong& song = entry.second;
        if (song.fadeStep == 0.0)
            continue;
        song.volume += song.fadeStep;
        // A volume landing exactly on a bound keeps its step and is clamped one update later.
        if (song.volume > song.volumeLimit)
        {
            song.volume = song.volumeLimit;
            song.fadeStep = 0.0;
        }
        else if (song.volume < 0.0)
        {
            song.volume = 0.0;
            song.fadeStep = 0.0;
            if (song.stopWhenFaded)
                StopSong(entry.first, song);
        }
        ApplyVolume(entry.first, song);
    }
}

} // namespace Lumo
