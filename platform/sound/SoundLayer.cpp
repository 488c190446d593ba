#include "platform/sound/SoundLayer.h"

#include <mmsystem.h>
#include <dsound.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/StreamDecoder.h"
#include "platform/sound/WavFile.h"

namespace
{
struct Sample
{
    WAVEFORMATEX format = {};
    std::vector<uint8_t> pcm;
    IDirectSoundBuffer* master = nullptr; // voices are duplicates of it
};

// A voice that streams a long file: a looping DirectSound buffer that the
// decode thread keeps filled ahead of the play position. Once the voice is
// made, only the decode thread reads the decoder and plays, stops and fills the
// buffer; the rest of the layer talks to it through the atomics (volume and pan
// go straight to the buffer, which DirectSound allows from any thread).
struct Stream
{
    std::unique_ptr<StreamDecoder> decoder;
    IDirectSoundBuffer* buffer = nullptr;
    DWORD bufferBytes = 0;
    DWORD frameBytes = 0;

    std::atomic<bool> run{false};         // to be heard: playing and not paused
    std::atomic<bool> loop{true};         // back to the start at the end of the file
    std::atomic<int> startRequest{0};     // raised by each play from the start
    std::atomic<bool> ended{false};       // a stream without loop has played out
    std::atomic<bool> damaged{false};     // the file broke off: silent from then on
    std::atomic<int64_t> playedFrames{0}; // since the last start
    std::atomic<double> gain{0};          // amplitude to be heard at, 0 to 1
    std::atomic<int> cutRequest{0};       // raised by each change to be made at once
    int rate = 0;                         // frames per second

    // The decode thread's own.
    int startSeen = 0;
    int cutSeen = 0;
    bool primed = false;  // filled since the last start
    bool playing = false; // the buffer was told to play
    bool atEnd = false;   // the decoder gave its last frame (no loop): silence follows
    DWORD lastPlay = 0;   // play cursor at the last visit, bytes
    DWORD writePos = 0;   // next byte to fill
    int64_t queued = 0;   // frames filled and not yet played
    int64_t written = 0;  // frames of sound filled since the last start
    int64_t filled = 0;   // frames put in the buffer since the last start, sound or silence
    int64_t endAt = -1;   // played-frame count at which a stream without loop ends
    // The buffer's frames as decoded, before the gain, at the buffer's places:
    // a change of gain writes the frames not yet mixed again from here.
    std::vector<int16_t> source;
    // The gain by frame of the fill count: rampFrom up to rampStart, rampTo
    // from rampEnd on, a straight line between.
    double rampFrom = 0, rampTo = 0;
    int64_t rampStart = 0, rampEnd = 0;

    ~Stream()
    {
        if (buffer)
        {
            buffer->Stop();
            buffer->Release();
        }
    }
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
    DWORD pausedAt = 0;             // play position kept while paused
    std::shared_ptr<Stream> stream; // set for a streamed voice (sample is 0)
};

typedef HRESULT(WINAPI* DirectSoundCreateFn)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);

// Most voices alive at once; the oldest one-shot gives way beyond it.
const int kMaxVoices = 48;
// A stream's buffer in frames: 0.74 s at 44.1 kHz, refilled every visit of
// the decode thread, which comes every kStreamVisitMs or when woken.
const int kStreamFrames = 32768;
const DWORD kStreamVisitMs = 20;
// A stream's gain is laid into the samples it writes, so a change takes
// effect at a known frame of its sound, whatever the mixer's period (the
// buffer's own volume stays full; DirectSound would step it once a period).
// A change of volume and a pause ramp over kRampMs of sound; a start, a stop
// and a cut over kCutMs, which is heard as a cut and does not click.
const int kRampMs = 80;
const int kCutMs = 5;
// Frames a change leaves alone beyond the device's write cursor, in
// milliseconds of sound: the mixer may take a few periods more before the
// change is written when this thread waits for a core on a busy machine.
const int kChangeLeadMs = 30;
// How often the decode thread looks while a ramp is under way.
const DWORD kRampVisitMs = 2;

// Guards everything below. Recursive so that a crash filter silencing the music
// cannot hang on a lock that its own thread held when it crashed.
std::recursive_mutex gSoundLock;
HMODULE gDSoundModule = nullptr;
IDirectSound* gDevice = nullptr;
std::map<int, Sample> gSamples;
std::map<int, Voice> gVoices;
std::map<int, int> gGroupVolumes; // groups whose volume is not 100
int gNextSample = 1, gNextVoice = 1;
int gMasterVolume = 100;
std::string gLastError;

// The decode thread: started with the first stream, ended by SndShutdown. Held
// by pointer, so that a process ending without SndShutdown has no joinable
// thread object left to destroy.
std::thread* gDecodeThread = nullptr;
std::atomic<bool> gDecodeQuit{false};
HANDLE gDecodeWake = nullptr; // auto-reset event: a stream wants a visit now
// Changes asked of streams, and how many of them the decode thread had seen at
// its last visit that left every stream at its level: equal when all is settled.
std::atomic<int> gStreamChanges{0};
std::atomic<int> gStreamsSettledAt{0};
// Times a playing stream's buffer ran dry before the decode thread refilled it.
std::atomic<int> gStreamStarvations{0};
// Changes the mixer may have reached before they were written: heard late, and
// a cut among them may click.
std::atomic<int> gLateStreamChanges{0};

int StdOpen(const char* name)
{
    FILE* file = fopen(name, "rb");
    return file ? int(reinterpret_cast<intptr_t>(file)) : -1;
}
// The new position, as the archive reader's callback gives it; -1 on failure.
int StdSeek(int handle, int offset, int origin)
{
    FILE* file = reinterpret_cast<FILE*>(intptr_t(handle));
    return fseek(file, offset, origin) == 0 ? int(ftell(file)) : -1;
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
LONG VolumeToDirectSound(double volume)
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

int GroupVolume(int group)
{
    auto found = gGroupVolumes.find(group);
    return found == gGroupVolumes.end() ? 100 : found->second;
}

// A stream was asked for something: the decode thread takes it up at once.
void WakeDecoder()
{
    gStreamChanges++;
    if (gDecodeWake)
        SetEvent(gDecodeWake);
}

void ApplyVolume(Voice& voice)
{
    if (voice.stream)
    {
        // The decode thread ramps the buffer there.
        voice.stream->gain = double(voice.volume) * GroupVolume(voice.group) * gMasterVolume / 1e6;
        WakeDecoder();
        return;
    }
    // Worked out in hundredths so that a slow fade has no steps of its own.
    if (voice.buffer)
        voice.buffer->SetVolume(VolumeToDirectSound(
            double(voice.volume) * GroupVolume(voice.group) * gMasterVolume / 10000.0));
}

void ReleaseVoice(Voice& voice)
{
    if (voice.stream)
    {
        // The decode thread may still hold the stream for one visit; the last
        // holder releases the buffer.
        voice.stream->run = false;
        voice.stream.reset();
        voice.buffer = nullptr;
        return;
    }
    if (voice.buffer)
    {
        voice.buffer->Stop();
        voice.buffer->Release();
    }
    voice.buffer = nullptr;
}

bool IsBufferPlaying(const Voice& voice)
{
    if (voice.stream)
        return voice.stream->run && !voice.stream->ended;
    DWORD status = 0;
    return voice.buffer && SUCCEEDED(voice.buffer->GetStatus(&status)) &&
           (status & DSBSTATUS_PLAYING) != 0;
}

// A streamed voice is heard while it is wanted and not paused; the decode thread acts on it.
void SyncStream(Voice& voice)
{
    voice.stream->run = voice.wantsPlay && voice.pauses == 0;
    voice.stream->loop = voice.loop;
    WakeDecoder();
}

// The change just asked of a stream is to be made at once. Raised after the
// change, so that the decode thread that sees it sees the change too.
void MarkCut(Voice& voice)
{
    voice.stream->cutRequest++;
    WakeDecoder();
}

void StartBuffer(Voice& voice)
{
    if (voice.stream)
        SyncStream(voice);
    else if (voice.buffer && voice.pauses == 0)
        voice.buffer->Play(0, 0, voice.loop ? DSBPLAY_LOOPING : 0);
}

// Playing from the start, which for a stream the decode thread carries out.
void RestartVoice(Voice& voice, bool loop)
{
    voice.loop = loop;
    voice.wantsPlay = true;
    voice.pausedAt = 0;
    if (voice.stream)
    {
        voice.stream->ended = false;
        voice.stream->startRequest++;
        SyncStream(voice);
        return;
    }
    voice.buffer->Stop();
    voice.buffer->SetCurrentPosition(0);
    StartBuffer(voice);
}

void HaltVoice(Voice& voice)
{
    voice.wantsPlay = false;
    if (voice.stream)
    {
        SyncStream(voice);
        MarkCut(voice);
    }
    else
        voice.buffer->Stop();
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

// --- The decode thread

// The gain of frame `frame` of the fill count.
double GainAt(const Stream& stream, int64_t frame)
{
    if (frame >= stream.rampEnd)
        return stream.rampTo;
    if (frame <= stream.rampStart)
        return stream.rampFrom;
    return stream.rampFrom + (stream.rampTo - stream.rampFrom) * double(frame - stream.rampStart) /
                                 double(stream.rampEnd - stream.rampStart);
}

// Writes `count` source frames into the buffer from byte `at`, which holds
// frame `frame` of the fill count, each at its gain.
void PutFrames(Stream& stream, DWORD at, int64_t frame, int64_t count)
{
    void* parts[2] = {};
    DWORD partBytes[2] = {};
    if (FAILED(stream.buffer->Lock(at, DWORD(count) * stream.frameBytes, &parts[0], &partBytes[0],
                                   &parts[1], &partBytes[1], 0)))
        return;
    const size_t channels = stream.frameBytes / 2;
    // The second part, when there is one, starts at the buffer's start.
    const int16_t* from[2] = {stream.source.data() + at / 2, stream.source.data()};
    for (int p = 0; p < 2 && parts[p]; p++)
    {
        int16_t* to = static_cast<int16_t*>(parts[p]);
        const size_t values = partBytes[p] / 2;
        for (size_t i = 0; i < values; i += channels, frame++)
        {
            // 16.16 fixed point: the decode thread does this for every sample it writes.
            const int32_t gain = int32_t(GainAt(stream, frame) * 65536 + 0.5);
            for (size_t c = 0; c < channels; c++)
                to[i + c] = int16_t((from[p][i + c] * gain + 0x8000) >> 16);
        }
    }
    stream.buffer->Unlock(parts[0], partBytes[0], parts[1], partBytes[1]);
}

// Copies frames into the buffer at the fill position.
void WriteFrames(Stream& stream, const int16_t* frames, int count)
{
    const size_t values = size_t(count) * stream.frameBytes / 2;
    const size_t at = stream.writePos / 2;
    const size_t first = std::min(values, stream.source.size() - at);
    memcpy(stream.source.data() + at, frames, first * 2);
    memcpy(stream.source.data(), frames + first, (values - first) * 2);
    PutFrames(stream, stream.writePos, stream.filled, count);
    stream.writePos = (stream.writePos + DWORD(count) * stream.frameBytes) % stream.bufferBytes;
    stream.queued += count;
    stream.filled += count;
}

// Fills `frames` frames ahead: the file, back to its start when it loops,
// silence after its end or once it broke off.
void FillStream(Stream& stream, int64_t frames)
{
    static int16_t chunk[4096 * 2]; // the decode thread's alone
    const int chunkFrames = 4096;
    bool rewound = false; // a file that gives nothing after a rewind would spin
    while (frames > 0)
    {
        int want = frames < chunkFrames ? int(frames) : chunkFrames;
        int got = 0;
        if (!stream.atEnd && !stream.damaged)
        {
            got = stream.decoder->Read(chunk, want);
            if (got < 0 || (got == 0 && rewound))
            {
                stream.damaged = true;
                got = 0;
            }
            else if (got == 0 && stream.loop)
            {
                rewound = true;
                if (!stream.decoder->Rewind())
                    stream.damaged = true;
                continue;
            }
            else if (got == 0)
            {
                stream.atEnd = true;
                stream.endAt = stream.written;
            }
            if (got > 0)
                rewound = false;
            stream.written += got;
        }
        if (got == 0)
        {
            got = want;
            memset(chunk, 0, size_t(got) * stream.frameBytes);
        }
        WriteFrames(stream, chunk, got);
        frames -= got;
    }
}

int64_t MsToFrames(const Stream& stream, int ms)
{
    return int64_t(stream.rate) * ms / 1000;
}

// The fill count's frame at the play cursor: the mixer has taken what lies before it.
int64_t PlayedFrame(const Stream& stream)
{
    return stream.filled - stream.queued;
}

// Frames the play cursor has moved since the last visit took it up.
int64_t FramesMovedTo(const Stream& stream, DWORD play)
{
    return ((play + stream.bufferBytes - stream.lastPlay) % stream.bufferBytes) / stream.frameBytes;
}

// Takes up the play cursor's move (a starved buffer picks up again there);
// returns the first frame that a change written now still reaches.
int64_t FollowPlayCursor(Stream& stream)
{
    if (!stream.playing)
        return PlayedFrame(stream);
    DWORD play = 0, write = 0;
    if (FAILED(stream.buffer->GetCurrentPosition(&play, &write)))
        return stream.filled;
    const int64_t moved = FramesMovedTo(stream, play);
    stream.lastPlay = play;
    stream.playedFrames += moved;
    stream.queued -= moved;
    if (stream.queued < 0)
    {
        // Starved: pick up again at the play cursor.
        gStreamStarvations++;
        stream.queued = 0;
        stream.writePos = play - play % stream.frameBytes;
    }
    const int64_t lead =
        ((write + stream.bufferBytes - play) % stream.bufferBytes) / stream.frameBytes;
    return std::min(stream.filled, PlayedFrame(stream) + lead + MsToFrames(stream, kChangeLeadMs));
}

// Sets the gain to go from where it stands at frame `from` to `wanted` over
// `frames` frames, and writes the frames from there again.
void AimGain(Stream& stream, double wanted, int64_t frames, int64_t from)
{
    stream.rampFrom = GainAt(stream, from);
    stream.rampTo = wanted;
    stream.rampStart = from;
    stream.rampEnd = from + frames;
    const int64_t count = stream.filled - from;
    if (count <= 0)
        return;
    const DWORD back = DWORD(count) * stream.frameBytes;
    PutFrames(stream, (stream.writePos + stream.bufferBytes - back) % stream.bufferBytes, from,
              count);
    DWORD play = 0, write = 0;
    if (stream.playing && SUCCEEDED(stream.buffer->GetCurrentPosition(&play, &write)) &&
        PlayedFrame(stream) + FramesMovedTo(stream, play) > from)
        gLateStreamChanges++;
}

// Back to the file's start: the buffer stopped and filled again from there,
// the first frames ramped in up to `gain` as a cut.
void RestartStream(Stream& stream, double gain)
{
    stream.buffer->Stop();
    stream.playing = false;
    if (!stream.decoder->Rewind())
        stream.damaged = true;
    stream.buffer->SetCurrentPosition(0);
    stream.lastPlay = stream.writePos = 0;
    stream.queued = stream.written = stream.filled = 0;
    stream.playedFrames = 0;
    stream.endAt = -1;
    stream.atEnd = false;
    stream.primed = true;
    stream.rampFrom = 0;
    stream.rampTo = gain;
    stream.rampStart = 0;
    stream.rampEnd = MsToFrames(stream, kCutMs);
    FillStream(stream, stream.bufferBytes / stream.frameBytes);
}

// Returns true while the stream's gain is still on its way.
bool ServiceStream(Stream& stream)
{
    const int64_t bufferFrames = stream.bufferBytes / stream.frameBytes;
    // The cut request first: it is raised after the change it belongs to.
    const int cut = stream.cutRequest;
    const bool cutAsked = cut != stream.cutSeen;
    stream.cutSeen = cut;
    const int request = stream.startRequest;
    const bool run = stream.run && !stream.ended && !stream.damaged;
    const double wanted = run ? stream.gain.load() : 0.0;
    int64_t from = stream.primed ? FollowPlayCursor(stream) : 0;
    const int64_t cutFrames = MsToFrames(stream, kCutMs);
    if (request != stream.startSeen)
    {
        // A start from the beginning while heard cuts the sound out first.
        if (stream.playing && !(stream.rampTo == 0 && PlayedFrame(stream) >= stream.rampEnd))
        {
            if (stream.rampTo != 0 || stream.rampEnd > from + cutFrames)
                AimGain(stream, 0, cutFrames, from);
            return true;
        }
        stream.startSeen = request;
        RestartStream(stream, wanted);
        from = 0;
    }
    if (!stream.primed)
        return false;
    if (stream.playing && stream.endAt >= 0 && stream.playedFrames >= stream.endAt)
        stream.ended = true;
    // A start from the file's beginning comes in as a cut too, whichever
    // visit finds it wanted.
    const bool atOnce = cutAsked || (!stream.playing && PlayedFrame(stream) == 0);
    if (wanted != stream.rampTo || (atOnce && stream.rampEnd > from + cutFrames))
        AimGain(stream, wanted, atOnce ? cutFrames : MsToFrames(stream, kRampMs), from);
    bool settled = !stream.playing || PlayedFrame(stream) >= stream.rampEnd;
    // A stop or a pause plays its ramp out before the buffer stops.
    if (!run && stream.playing && settled)
    {
        stream.buffer->Stop();
        stream.playing = false;
    }
    if (stream.queued < bufferFrames)
        FillStream(stream, bufferFrames - stream.queued);
    if (run && !stream.playing)
    {
        stream.buffer->Play(0, 0, DSBPLAY_LOOPING);
        stream.playing = true;
        settled = PlayedFrame(stream) >= stream.rampEnd;
    }
    return !settled;
}

void DecodeThreadMain()
{
    std::vector<std::shared_ptr<Stream>> streams;
    bool ramping = false;
    while (!gDecodeQuit)
    {
        WaitForSingleObject(gDecodeWake, ramping ? kRampVisitMs : kStreamVisitMs);
        const int changes = gStreamChanges;
        streams.clear();
        {
            std::lock_guard<std::recursive_mutex> lock(gSoundLock);
            for (auto& entry : gVoices)
                if (entry.second.stream)
                    streams.push_back(entry.second.stream);
        }
        // Decoding happens outside the layer's lock: the main thread never waits on it.
        ramping = false;
        for (auto& stream : streams)
            ramping |= ServiceStream(*stream);
        if (!ramping)
            gStreamsSettledAt = changes;
    }
}

void StopDecodeThread()
{
    if (!gDecodeThread)
        return;
    gDecodeQuit = true;
    SetEvent(gDecodeWake);
    gDecodeThread->join();
    delete gDecodeThread;
    gDecodeThread = nullptr;
    gDecodeQuit = false;
}
} // namespace

// --- Start and stop

bool SndStartup(HWND window)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
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
    StopDecodeThread();
    gStreamsSettledAt = gStreamChanges.load();
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    for (auto& entry : gVoices)
        ReleaseVoice(entry.second);
    gVoices.clear();
    for (auto& entry : gSamples)
        if (entry.second.master)
            entry.second.master->Release();
    gSamples.clear();
    gGroupVolumes.clear();
    if (gDevice)
        gDevice->Release();
    gDevice = nullptr;
}

bool SndIsStarted()
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    return gDevice != nullptr;
}

void SndSetFileCallbacks(SndOpenFn open, SndSeekFn seek, SndReadFn read, SndCloseFn close)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
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
        std::lock_guard<std::recursive_mutex> lock(gSoundLock);
        if (!gDevice)
            return 0;
        open = gOpen, seek = gSeek, read = gRead, close = gClose;
    }
    // The file is read outside the lock: the archive reader may be slow.
    int handle = open(name);
    if (handle == -1)
    {
        std::lock_guard<std::recursive_mutex> lock(gSoundLock);
        gLastError = "cannot open the file";
        return 0;
    }
    std::vector<uint8_t> bytes;
    bool ok = seek(handle, 0, SEEK_END) >= 0;
    int size = 0;
    if (ok)
    {
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
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (!ok)
    {
        gLastError = "cannot read the file";
        return 0;
    }
    return gDevice ? AddSample(bytes.data(), bytes.size()) : 0;
}

int SndSampleLoadMemory(const void* bytes, size_t size)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (!gDevice || !bytes)
        return 0;
    return AddSample(static_cast<const uint8_t*>(bytes), size);
}

void SndSampleFree(int sample)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
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
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    auto found = gSamples.find(sample);
    if (found == gSamples.end() || found->second.format.nAvgBytesPerSec == 0)
        return 0;
    return int(uint64_t(found->second.pcm.size()) * 1000 / found->second.format.nAvgBytesPerSec);
}

// --- Voices

int SndPlay(int sample, int group, int volume, int pan, bool loop)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
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
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    return NewVoice(sample, group, false);
}

void SndVoicePlay(int id, bool loop)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
        RestartVoice(*voice, loop);
}

void SndVoiceStop(int id)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
        HaltVoice(*voice);
}

void SndVoiceSetVolume(int id, int volume)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
        ApplyVolume(*voice);
    }
}

void SndVoiceCutVolume(int id, int volume)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
        ApplyVolume(*voice);
        if (voice->stream)
            MarkCut(*voice);
    }
}

void SndVoiceSetPan(int id, int pan)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        voice->pan = pan < -100 ? -100 : pan > 100 ? 100 : pan;
        voice->buffer->SetPan(PanToDirectSound(voice->pan));
    }
}

bool SndVoiceIsPlaying(int id)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    Voice* voice = FindVoice(id);
    return voice && IsBufferPlaying(*voice);
}

int SndVoicePosition(int id)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    Voice* voice = FindVoice(id);
    DWORD play = 0, write = 0;
    if (voice && voice->stream)
        return int(voice->stream->playedFrames * voice->stream->frameBytes % 0x7FFFFFFF);
    if (!voice || FAILED(voice->buffer->GetCurrentPosition(&play, &write)))
        return -1;
    return int(play);
}

void SndVoiceFree(int id)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (Voice* voice = FindVoice(id))
    {
        ReleaseVoice(*voice);
        gVoices.erase(id);
    }
}

// --- Groups

void SndGroupStop(int group)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    ForGroup(group, [](Voice& voice) { HaltVoice(voice); });
    ReclaimVoices(false);
}

void SndGroupPause(int group)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    ForGroup(group,
             [](Voice& voice)
             {
                 if (voice.stream)
                 {
                     voice.pauses++;
                     SyncStream(voice);
                     return;
                 }
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
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    ForGroup(group,
             [](Voice& voice)
             {
                 if (voice.pauses == 0 || --voice.pauses > 0 || !voice.wantsPlay)
                 {
                     if (voice.stream)
                         SyncStream(voice);
                     return;
                 }
                 if (voice.stream)
                 {
                     SyncStream(voice);
                     return;
                 }
                 voice.buffer->SetCurrentPosition(voice.pausedAt);
                 StartBuffer(voice);
             });
}

void SndGroupSetVolume(int group, int volume)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    if (volume == 100)
        gGroupVolumes.erase(group);
    else
        gGroupVolumes[group] = volume;
    ForGroup(group, [](Voice& voice) { ApplyVolume(voice); });
}

// --- Streams

int SndStreamCreate(const char* name, int group)
{
    SndFileFns files;
    {
        std::lock_guard<std::recursive_mutex> lock(gSoundLock);
        if (!gDevice || !name)
            return 0;
        files = {gOpen, gSeek, gRead, gClose};
    }
    // Only the first pages are read here, outside the lock.
    std::string reason;
    std::unique_ptr<StreamDecoder> decoder = OpenStreamDecoder(name, files, &reason);
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    if (!decoder)
    {
        gLastError = reason;
        return 0;
    }
    if (!gDevice)
        return 0;
    auto stream = std::make_shared<Stream>();
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = WORD(decoder->Channels());
    format.nSamplesPerSec = DWORD(decoder->Rate());
    format.wBitsPerSample = 16;
    format.nBlockAlign = WORD(format.nChannels * 2);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags =
        DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    desc.dwBufferBytes = DWORD(kStreamFrames) * format.nBlockAlign;
    desc.lpwfxFormat = &format;
    if (FAILED(gDevice->CreateSoundBuffer(&desc, &stream->buffer, nullptr)) || !stream->buffer)
    {
        stream->buffer = nullptr;
        gLastError = "the device refused the sound buffer";
        return 0;
    }
    stream->bufferBytes = desc.dwBufferBytes;
    stream->frameBytes = format.nBlockAlign;
    stream->rate = decoder->Rate();
    stream->source.assign(desc.dwBufferBytes / 2, 0);
    stream->decoder = std::move(decoder);
    ReclaimVoices(true);
    Voice voice;
    voice.group = group;
    voice.buffer = stream->buffer;
    voice.stream = stream;
    ApplyVolume(voice);
    if (!gDecodeWake)
        gDecodeWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!gDecodeThread)
        gDecodeThread = new std::thread(DecodeThreadMain);
    int id = gNextVoice++;
    gVoices[id] = voice;
    return id;
}

bool SndStreamsSettled()
{
    return gStreamsSettledAt == gStreamChanges;
}

int SndStreamStarvations()
{
    return gStreamStarvations;
}

int SndLateStreamChanges()
{
    return gLateStreamChanges;
}

bool SndVoiceFailed(int id)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    Voice* voice = FindVoice(id);
    return voice && voice->stream && voice->stream->damaged;
}

// --- Mixing

void SndSetMasterVolume(int volume)
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    gMasterVolume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    for (auto& entry : gVoices)
        ApplyVolume(entry.second);
}

int SndGetMasterVolume()
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    return gMasterVolume;
}

void SndUpdate()
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    ReclaimVoices(false);
}

int SndVoiceCount()
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    return int(gVoices.size());
}

const char* SndLastError()
{
    std::lock_guard<std::recursive_mutex> lock(gSoundLock);
    static thread_local std::string copy;
    copy = gLastError;
    return copy.c_str();
}
