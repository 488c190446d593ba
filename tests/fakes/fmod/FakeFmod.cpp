// Stand-in fmod.dll for the music tests. Samples live in memory; "decoding" reads either
// a WAV file as the music cache writes it, or a test ".ogg" file: "FAKEOGG" and a zero
// byte, then mode, frequency and length (u32 each) and the PCM bytes. Every call that
// changes state is logged as one line; handles appear as S<n> (samples), M<n> (modules).
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
struct Sample
{
    int id;
    unsigned mode;
    int frequency;
    unsigned length;
    std::vector<uint8_t> data;
    int loopStart = -1, loopEnd = -1;
};

struct Module
{
    int id;
    bool playing = false;
};

std::string gLog;
std::multiset<std::string> gFailures; // entry names whose next call fails
std::map<int, std::unique_ptr<Sample>> gSamples;
std::map<int, std::unique_ptr<Module>> gModules;
std::map<int, bool> gChannelPlaying;
int gNextId = 1;

void Log(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    _vsnprintf(line, sizeof(line) - 2, format, args);
    va_end(args);
    line[sizeof(line) - 2] = 0;
    gLog += line;
    gLog += '\n';
}

bool Fails(const char* entry)
{
    auto it = gFailures.find(entry);
    if (it == gFailures.end())
        return false;
    gFailures.erase(it);
    return true;
}

std::string Name(void* handle)
{
    for (auto& s : gSamples)
        if (s.second.get() == handle)
            return "S" + std::to_string(s.first);
    for (auto& m : gModules)
        if (m.second.get() == handle)
            return "M" + std::to_string(m.first);
    return handle == nullptr ? "null" : "?";
}

Sample* AsSample(void* handle)
{
    for (auto& s : gSamples)
        if (s.second.get() == handle)
            return s.second.get();
    return nullptr;
}

Module* AsModule(void* handle)
{
    for (auto& m : gModules)
        if (m.second.get() == handle)
            return m.second.get();
    return nullptr;
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

unsigned U16(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8);
}

Sample* NewSample(unsigned mode, int frequency, unsigned length)
{
    std::unique_ptr<Sample> s(new Sample);
    s->id = gNextId++;
    s->mode = mode;
    s->frequency = frequency;
    s->length = length;
    Sample* raw = s.get();
    gSamples[raw->id] = std::move(s);
    return raw;
}

unsigned FrameSize(unsigned mode)
{
    return ((mode & 0x20) ? 1 : 2) * ((mode & 0x08) ? 1 : 2);
}

Sample* Decode(const std::vector<uint8_t>& b)
{
    if (b.size() >= 44 && memcmp(b.data(), "RIFF", 4) == 0)
    {
        unsigned channels = U16(b, 22), bits = U16(b, 34);
        uint32_t dataSize = U32(b, 40);
        if (dataSize > b.size() - 44 || (channels != 1 && channels != 2) ||
            (bits != 8 && bits != 16))
            return nullptr;
        unsigned mode = (channels == 1 ? 0x20 : 0x40) | (bits == 8 ? 0x08 : 0x10);
        Sample* s = NewSample(mode, int(U32(b, 24)), dataSize / FrameSize(mode));
        s->data.assign(b.begin() + 44, b.begin() + 44 + dataSize);
        return s;
    }
    if (b.size() >= 20 && memcmp(b.data(), "FAKEOGG", 8) == 0)
    {
        Sample* s = NewSample(U32(b, 8), int(U32(b, 12)), U32(b, 16));
        s->data.assign(b.begin() + 20, b.end());
        s->data.resize(size_t(s->length) * FrameSize(s->mode));
        return s;
    }
    return nullptr;
}
} // namespace

extern "C"
{

    // --- Entry points the music interface looks up ---

    signed char WINAPI FSOUND_SetBufferSize(int ms)
    {
        Log("FSOUND_SetBufferSize %d", ms);
        return 1;
    }

    signed char WINAPI FSOUND_SetHWND(void*)
    {
        Log("FSOUND_SetHWND");
        return 1;
    }

    signed char WINAPI FSOUND_Init(int rate, int channels, unsigned flags)
    {
        Log("FSOUND_Init %d %d %u", rate, channels, flags);
        return 1;
    }

    void WINAPI FSOUND_Close()
    {
        Log("FSOUND_Close");
    }

    void* WINAPI FSOUND_Sample_Load(int index, const char* name, unsigned mode, int offset)
    {
        Log("FSOUND_Sample_Load %d %s %u %d", index, name, mode, offset);
        if (Fails("FSOUND_Sample_Load"))
            return nullptr;
        FILE* f = fopen(name, "rb");
        if (f == nullptr)
            return nullptr;
        std::vector<uint8_t> bytes;
        uint8_t buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof(buffer), f)) > 0)
            bytes.insert(bytes.end(), buffer, buffer + got);
        fclose(f);
        return Decode(bytes);
    }

    void* WINAPI FSOUND_Sample_Alloc(int index, int length, unsigned mode, int frequency,
                                     int volume, int pan, int priority)
    {
        Log("FSOUND_Sample_Alloc %d %d %u %d %d %d %d", index, length, mode, frequency, volume, pan,
            priority);
        if (Fails("FSOUND_Sample_Alloc") || length < 0)
            return nullptr;
        Sample* s = NewSample(mode, frequency, unsigned(length));
        s->data.assign(size_t(length) * FrameSize(mode), 0);
        return s;
    }

    void WINAPI FSOUND_Sample_Free(void* sample)
    {
        Log("FSOUND_Sample_Free %s", Name(sample).c_str());
        if (Sample* s = AsSample(sample))
            gSamples.erase(s->id);
    }

    signed char WINAPI FSOUND_Sample_Lock(void* sample, int offset, int length, void** ptr1,
                                          void** ptr2, unsigned* len1, unsigned* len2)
    {
        Log("FSOUND_Sample_Lock %s %d %d", Name(sample).c_str(), offset, length);
        Sample* s = AsSample(sample);
        if (s == nullptr || Fails("FSOUND_Sample_Lock") || offset < 0 || length < 0 ||
            size_t(offset) > s->data.size())
            return 0;
        size_t left = s->data.size() - size_t(offset);
        *ptr1 = s->data.data() + offset;
        *len1 = unsigned(size_t(length) < left ? size_t(length) : left);
        *ptr2 = nullptr;
        *len2 = 0;
        return 1;
    }

    signed char WINAPI FSOUND_Sample_Unlock(void* sample, void*, void*, unsigned len1,
                                            unsigned len2)
    {
        Log("FSOUND_Sample_Unlock %s %u %u", Name(sample).c_str(), len1, len2);
        return 1;
    }

    signed char WINAPI FSOUND_Sample_SetLoopPoints(void* sample, int start, int end)
    {
        Log("FSOUND_Sample_SetLoopPoints %s %d %d", Name(sample).c_str(), start, end);
        if (Sample* s = AsSample(sample))
        {
            s->loopStart = start;
            s->loopEnd = end;
        }
        return 1;
    }

    unsigned WINAPI FSOUND_Sample_GetLength(void* sample)
    {
        Sample* s = AsSample(sample);
        return s != nullptr ? s->length : 0;
    }

    signed char WINAPI FSOUND_Sample_GetDefaults(void* sample, int* frequency, int* volume,
                                                 int* pan, int* priority)
    {
        Sample* s = AsSample(sample);
        if (s == nullptr)
            return 0;
        if (frequency != nullptr)
            *frequency = s->frequency;
        if (volume != nullptr)
            *volume = 255;
        if (pan != nullptr)
            *pan = 128;
        if (priority != nullptr)
            *priority = 0;
        return 1;
    }

    unsigned WINAPI FSOUND_Sample_GetMode(void* sample)
    {
        Sample* s = AsSample(sample);
        return s != nullptr ? s->mode : 0;
    }

    int WINAPI FSOUND_PlaySound(int channel, void* sample)
    {
        Log("FSOUND_PlaySound %d %s", channel, Name(sample).c_str());
        gChannelPlaying[channel] = true;
        return channel;
    }

    signed char WINAPI FSOUND_StopSound(int channel)
    {
        Log("FSOUND_StopSound %d", channel);
        gChannelPlaying[channel] = false;
        return 1;
    }

    signed char WINAPI FSOUND_SetVolume(int channel, int volume)
    {
        Log("FSOUND_SetVolume %d %d", channel, volume);
        return 1;
    }

    signed char WINAPI FSOUND_SetPaused(int channel, signed char paused)
    {
        Log("FSOUND_SetPaused %d %d", channel, paused);
        return 1;
    }

    signed char WINAPI FSOUND_SetLoopMode(int channel, unsigned mode)
    {
        Log("FSOUND_SetLoopMode %d %u", channel, mode);
        return 1;
    }

    signed char WINAPI FSOUND_IsPlaying(int channel)
    {
        Log("FSOUND_IsPlaying %d", channel);
        return gChannelPlaying[channel] ? 1 : 0;
    }

    void* WINAPI FSOUND_Stream_OpenFile(const char* name, unsigned, int)
    {
        Log("FSOUND_Stream_OpenFile %s", name);
        return nullptr;
    }

    signed char WINAPI FSOUND_Stream_Close(void*)
    {
        Log("FSOUND_Stream_Close");
        return 0;
    }

    int WINAPI FSOUND_Stream_Play(int channel, void*)
    {
        Log("FSOUND_Stream_Play %d", channel);
        return -1;
    }

    void* WINAPI FMUSIC_LoadSong(const char* name)
    {
        Log("FMUSIC_LoadSong %s", name);
        FILE* f = fopen(name, "rb");
        if (f == nullptr)
            return nullptr;
        fclose(f);
        std::unique_ptr<Module> m(new Module);
        m->id = gNextId++;
        Module* raw = m.get();
        gModules[raw->id] = std::move(m);
        return raw;
    }

    signed char WINAPI FMUSIC_PlaySong(void* module)
    {
        Log("FMUSIC_PlaySong %s", Name(module).c_str());
        if (Module* m = AsModule(module))
            m->playing = true;
        return 1;
    }

    signed char WINAPI FMUSIC_StopSong(void* module)
    {
        Log("FMUSIC_StopSong %s", Name(module).c_str());
        if (Module* m = AsModule(module))
            m->playing = false;
        return 1;
    }

    signed char WINAPI FMUSIC_SetLooping(void* module, signed char looping)
    {
        Log("FMUSIC_SetLooping %s %d", Name(module).c_str(), looping);
        return 1;
    }

    signed char WINAPI FMUSIC_SetOrder(void* module, int order)
    {
        Log("FMUSIC_SetOrder %s %d", Name(module).c_str(), order);
        return 1;
    }

    signed char WINAPI FMUSIC_SetPaused(void* module, signed char paused)
    {
        Log("FMUSIC_SetPaused %s %d", Name(module).c_str(), paused);
        return 1;
    }

    signed char WINAPI FMUSIC_SetMasterVolume(void* module, int volume)
    {
        Log("FMUSIC_SetMasterVolume %s %d", Name(module).c_str(), volume);
        return 1;
    }

    signed char WINAPI FMUSIC_IsPlaying(void* module)
    {
        Log("FMUSIC_IsPlaying %s", Name(module).c_str());
        Module* m = AsModule(module);
        return m != nullptr && m->playing ? 1 : 0;
    }

    // --- Test controls ---

    // Forgets every sample, module, channel, planned failure and log line.
    void FakeFmodReset()
    {
        gLog.clear();
        gFailures.clear();
        gSamples.clear();
        gModules.clear();
        gChannelPlaying.clear();
        gNextId = 1;
    }

    // Forgets the log lines only.
    void FakeFmodClearLog()
    {
        gLog.clear();
    }

    const char* FakeFmodLog()
    {
        return gLog.c_str();
    }

    // The next call of the named entry point fails (null or false).
    void FakeFmodFailNext(const char* entry)
    {
        gFailures.insert(entry);
    }

    int FakeFmodLiveSamples()
    {
        return int(gSamples.size());
    }

    // Loop points and bytes of the live sample S<id>; false when there is none.
    int FakeFmodSampleInfo(int id, int* loopStart, int* loopEnd, const unsigned char** data,
                           unsigned* bytes)
    {
        auto it = gSamples.find(id);
        if (it == gSamples.end())
            return 0;
        *loopStart = it->second->loopStart;
        *loopEnd = it->second->loopEnd;
        *data = it->second->data.data();
        *bytes = unsigned(it->second->data.size());
        return 1;
    }
}
