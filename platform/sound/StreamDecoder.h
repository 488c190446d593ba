// Decoders for the long files the sound layer streams: Ogg Vorbis (through
// libvorbisfile) and PCM WAV. Both read through the layer's file callbacks a
// piece at a time, so a track of any length costs the decoder's own state and
// no more, and both hand out 16-bit interleaved frames.
//
// A decoder belongs to one thread at a time: the caller opens it, then hands it
// to the layer's decode thread, which alone reads and rewinds it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound/SoundLayer.h"

struct SndFileFns
{
    SndOpenFn open;
    SndSeekFn seek; // the new position from the start, or -1
    SndReadFn read;
    SndCloseFn close;
};

class StreamDecoder
{
public:
    virtual ~StreamDecoder() {}
    // Fills up to `frames` frames; the count given, 0 at the end of the file,
    // -1 when the file turns out damaged (nothing more comes from it).
    virtual int Read(int16_t* out, int frames) = 0;
    // Back to the first frame; false when the file cannot go back.
    virtual bool Rewind() = 0;

    int Channels() const { return mChannels; }
    int Rate() const { return mRate; }
    // Frames in the whole file.
    int64_t Length() const { return mLength; }

protected:
    int mChannels = 0; // 1 or 2
    int mRate = 0;     // frames per second
    int64_t mLength = 0;
};

// Opens a WAV or Ogg Vorbis file (told apart by its first bytes); null with a
// short reason when it cannot be opened or is no file the layer streams. An Ogg
// file must end on its stream's last page, so a cut-off file is refused here
// rather than found out half way through.
std::unique_ptr<StreamDecoder> OpenStreamDecoder(const char* name, const SndFileFns& files,
                                                 std::string* reason);

// Checks that Ogg bytes end exactly on a whole last page of a stream (the
// end-of-stream flag set); `tail` is the file's last bytes, `fileSize` its size.
bool OggTailIsComplete(const uint8_t* tail, size_t tailSize);
