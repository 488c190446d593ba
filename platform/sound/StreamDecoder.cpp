#include "platform/sound/StreamDecoder.h"

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/sound/WavFile.h"

namespace
{
// One open file read through the layer's callbacks, keeping its own position
// (the callbacks have no "tell").
struct CallbackFile
{
    SndFileFns fns = {};
    int handle = -1;
    int64_t size = 0;
    int64_t pos = 0;

    bool Open(const char* name, const SndFileFns& files)
    {
        fns = files;
        handle = fns.open(name);
        if (handle == -1)
            return false;
        int end = fns.seek(handle, 0, SEEK_END);
        size = end < 0 ? 0 : end;
        pos = 0;
        return end >= 0 && fns.seek(handle, 0, SEEK_SET) == 0;
    }
    void Close()
    {
        if (handle != -1)
            fns.close(handle);
        handle = -1;
    }
    bool Seek(int64_t to)
    {
        if (to < 0 || to > size || fns.seek(handle, int(to), SEEK_SET) < 0)
            return false;
        pos = to;
        return true;
    }
    size_t Read(void* dest, size_t count)
    {
        int got = count ? fns.read(handle, dest, int(count)) : 0;
        if (got <= 0)
            return 0;
        pos += got;
        return size_t(got);
    }
};

// --- Ogg Vorbis

size_t OggRead(void* dest, size_t size, size_t count, void* source)
{
    return static_cast<CallbackFile*>(source)->Read(dest, size * count) / (size ? size : 1);
}
int OggSeek(void* source, ogg_int64_t offset, int origin)
{
    CallbackFile* file = static_cast<CallbackFile*>(source);
    int64_t to = origin == SEEK_SET   ? offset
                 : origin == SEEK_CUR ? file->pos + offset
                                      : file->size + offset;
    return file->Seek(to) ? 0 : -1;
}
long OggTell(void* source)
{
    return long(static_cast<CallbackFile*>(source)->pos);
}

class OggDecoder : public StreamDecoder
{
public:
    ~OggDecoder() override
    {
        if (mOpen)
            ov_clear(&mVorbis);
        mFile.Close();
    }

    bool Open(const char* name, const SndFileFns& files, std::string* reason)
    {
        if (!mFile.Open(name, files))
            return Fail(reason, "cannot open the file");
        if (!TailIsComplete())
            return Fail(reason, "the file is cut off");
        mFile.Seek(0);
        ov_callbacks callbacks = {OggRead, OggSeek, nullptr, OggTell};
        if (ov_open_callbacks(&mFile, &mVorbis, nullptr, 0, callbacks) != 0)
            return Fail(reason, "not an Ogg Vorbis file");
        mOpen = true;
        vorbis_info* info = ov_info(&mVorbis, -1);
        if (!info || info->channels < 1 || info->channels > 2 || info->rate < 1000 ||
            info->rate > 192000)
            return Fail(reason, "not mono or stereo");
        mChannels = info->channels;
        mRate = int(info->rate);
        mLength = ov_pcm_total(&mVorbis, -1);
        if (mLength <= 0)
            return Fail(reason, "no sound data");
        return true;
    }

    int Read(int16_t* out, int frames) override
    {
        char* dest = reinterpret_cast<char*>(out);
        int wanted = frames * mChannels * 2, done = 0;
        while (done < wanted)
        {
            int section = 0;
            long got = ov_read(&mVorbis, dest + done, wanted - done, 0, 2, 1, &section);
            if (got < 0)
                return -1; // a hole or a bad packet: the file is damaged
            if (got == 0)
                break;
            done += int(got);
        }
        return done / (mChannels * 2);
    }

    bool Rewind() override { return ov_pcm_seek(&mVorbis, 0) == 0; }

private:
    static bool Fail(std::string* reason, const char* text)
    {
        if (reason)
            *reason = text;
        return false;
    }

    bool TailIsComplete()
    {
        // The longest Ogg page: 27 header bytes, 255 lacing values, 255 x 255 body bytes.
        const int64_t kMaxPage = 27 + 255 + 255 * 255;
        int64_t start = mFile.size > kMaxPage ? mFile.size - kMaxPage : 0;
        std::vector<uint8_t> tail(size_t(mFile.size - start));
        if (!mFile.Seek(start) || mFile.Read(tail.data(), tail.size()) != tail.size())
            return false;
        return OggTailIsComplete(tail.data(), tail.size());
    }

    CallbackFile mFile;
    OggVorbis_File mVorbis = {};
    bool mOpen = false;
};

// --- WAV

class WavDecoder : public StreamDecoder
{
public:
    ~WavDecoder() override { mFile.Close(); }

    bool Open(const char* name, const SndFileFns& files, std::string* reason)
    {
        if (!mFile.Open(name, files))
            return Fail(reason, "cannot open the file");
        // The chunks before the sound data fit in the first few kilobytes.
        uint8_t head[4096];
        size_t got = mFile.Read(head, sizeof(head));
        WavInfo info;
        if (!ParseWav(head, got, info, reason))
            return false;
        mChannels = info.channels;
        mRate = info.samplesPerSec;
        mBytesPerSample = info.bitsPerSample / 8;
        size_t frame = size_t(mChannels * mBytesPerSample);
        uint32_t declared =
            uint32_t(head[info.dataOffset - 4]) | uint32_t(head[info.dataOffset - 3]) << 8 |
            uint32_t(head[info.dataOffset - 2]) << 16 | uint32_t(head[info.dataOffset - 1]) << 24;
        // A cut-off file keeps the frames it has, as a sample does.
        int64_t present = mFile.size - int64_t(info.dataOffset);
        int64_t bytes = declared < present ? int64_t(declared) : present;
        mLength = bytes / int64_t(frame);
        mDataOffset = int64_t(info.dataOffset);
        return Rewind();
    }

    int Read(int16_t* out, int frames) override
    {
        int64_t left = mLength - mFrame;
        int count = left < frames ? int(left) : frames;
        size_t bytes = size_t(count * mChannels * mBytesPerSample);
        uint8_t* raw = reinterpret_cast<uint8_t*>(out);
        // 8-bit data is read into the back half of the block and widened forwards.
        uint8_t* dest = mBytesPerSample == 1 ? raw + bytes : raw;
        size_t got = mFile.Read(dest, bytes);
        int whole = int(got / size_t(mChannels * mBytesPerSample));
        if (mBytesPerSample == 1)
            for (int i = 0; i < whole * mChannels; i++)
                out[i] = int16_t((int(dest[i]) - 128) << 8);
        mFrame += whole;
        return whole < count ? (whole > 0 ? whole : -1) : whole;
    }

    bool Rewind() override
    {
        mFrame = 0;
        return mFile.Seek(mDataOffset);
    }

private:
    static bool Fail(std::string* reason, const char* text)
    {
        if (reason)
            *reason = text;
        return false;
    }

    CallbackFile mFile;
    int mBytesPerSample = 2;
    int64_t mDataOffset = 0;
    int64_t mFrame = 0; // next frame to read
};
} // namespace

bool OggTailIsComplete(const uint8_t* tail, size_t tailSize)
{
    for (size_t at = tailSize >= 27 ? tailSize - 27 + 1 : 0; at-- > 0;)
    {
        const uint8_t* page = tail + at;
        if (memcmp(page, "OggS", 4) != 0 || page[4] != 0)
            continue;
        size_t segments = page[26];
        if (at + 27 + segments > tailSize)
            continue;
        size_t body = 0;
        for (size_t i = 0; i < segments; i++)
            body += page[27 + i];
        if (at + 27 + segments + body == tailSize)
            return (page[5] & 0x04) != 0; // the end-of-stream flag
    }
    return false;
}

std::unique_ptr<StreamDecoder> OpenStreamDecoder(const char* name, const SndFileFns& files,
                                                 std::string* reason)
{
    // The first bytes tell the two kinds apart.
    char magic[4] = {};
    int handle = files.open(name);
    if (handle == -1)
    {
        if (reason)
            *reason = "cannot open the file";
        return nullptr;
    }
    int got = files.read(handle, magic, 4);
    files.close(handle);
    if (got == 4 && memcmp(magic, "OggS", 4) == 0)
    {
        std::unique_ptr<OggDecoder> ogg(new OggDecoder);
        if (ogg->Open(name, files, reason))
            return ogg;
        return nullptr;
    }
    std::unique_ptr<WavDecoder> wav(new WavDecoder);
    if (wav->Open(name, files, reason))
        return wav;
    return nullptr;
}
