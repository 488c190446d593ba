// Reads the PCM WAV files the sound layer plays: RIFF/WAVE with a "fmt " chunk
// of plain PCM (or the extensible form carrying PCM), 8 or 16 bits, mono or
// stereo, and a "data" chunk. Pure code over bytes, so it needs no device and
// never trusts the file: every size is checked against the bytes present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct WavInfo
{
    int channels = 0;      // 1 or 2
    int bitsPerSample = 0; // 8 or 16
    int samplesPerSec = 0; // frames per second
    size_t dataOffset = 0; // first PCM byte in the file
    size_t dataBytes = 0;  // whole frames only
};

// False with a short reason when the bytes are not a WAV file the layer plays.
bool ParseWav(const uint8_t* bytes, size_t size, WavInfo& info, std::string* reason);
