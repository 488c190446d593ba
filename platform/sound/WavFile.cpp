#include "platform/sound/WavFile.h"

#include <cstring>

namespace
{
uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}
bool Fail(std::string* reason, const char* text)
{
    if (reason)
        *reason = text;
    return false;
}
} // namespace

bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info, std::string* reason)
{
    if (size < 12 || memcmp(bytes, "RIFF", 4) != 0 || memcmp(bytes + 8, "WAVE", 4) != 0)
        return Fail(reason, "not a RIFF WAVE file");
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= size)
    {
        const uint8_t* chunk = bytes + pos;
        uint32_t length = U32(chunk + 4);
        size_t body = pos + 8;
        size_t available = size - body;
        if (memcmp(chunk, "fmt ", 4) == 0)
        {
            if (length < 16 || length > available)
                return Fail(reason, "short format chunk");
            uint16_t tag = U16(chunk + 8);
            // The extensible form names its real format in the first two bytes of its GUID.
            if (tag == 0xFFFE && length >= 40)
                tag = U16(chunk + 8 + 24);
            if (tag != 1)
                return Fail(reason, "not PCM");
            info.channels = U16(chunk + 10);
            info.samplesPerSec = int(U32(chunk + 12));
            info.bitsPerSample = U16(chunk + 22);
            if (info.channels != 1 && info.channels != 2)
                return Fail(reason, "not mono or stereo");
            if (info.bitsPerSample != 8 && info.bitsPerSample != 16)
                return Fail(reason, "not 8 or 16 bits");
            if (info.samplesPerSec < 1000 || info.samplesPerSec > 192000)
                return Fail(reason, "sample rate out of range");
            haveFormat = true;
        }
        else if (memcmp(chunk, "data", 4) == 0)
        {
            if (!haveFormat)
                return Fail(reason, "data before format");
            size_t frame = size_t(info.channels) * size_t(info.bitsPerSample / 8);
            // A cut-off file keeps the frames it has.
            size_t bytesPresent = length < available ? length : available;
            info.dataOffset = body;
            info.dataBytes = bytesPresent / frame * frame;
            if (info.dataBytes == 0)
                return Fail(reason, "no sound data");
            return true;
        }
        // Chunks are padded to even lengths.
        size_t next = body + size_t(length) + (length & 1);
        if (next <= pos || next > size)
            break;
        pos = next;
    }
    return Fail(reason, haveFormat ? "no data chunk" : "no format chunk");
}
