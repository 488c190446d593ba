// What the sound device played, read back from ALSA's file device: ctest runs
// this program with ALSA_CONFIG_PATH on a configuration whose default device
// writes the mix to LUMO_SOUND_OUT (tests/CMakeLists.txt). Wine mixes ahead
// of the play position, so a measurement skips a little of what follows a
// change before it reads. That device has no clock of its own: it takes what
// Wine mixes at once, some times faster than real time and unevenly on a busy
// machine, so checks measure on its clock (the bytes written), not wall time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class SoundCapture
{
public:
    // False (and the test should skip) without the file device.
    static bool Available();
    // The bytes written so far.
    static size_t Mark();
    // True once `ms` of sound follow the mark `from`.
    static bool Has(size_t from, int ms);
    // Waits (bounded) until `skipMs` and then `ms` more of sound follow `from`;
    // returns that last stretch as interleaved 16-bit stereo samples, empty on timeout.
    static std::vector<int16_t> After(size_t from, int skipMs, int ms);
    // The sound between two marks, as After gives it. `joins`, when given,
    // gets the frames where a stretch of the capture's own silence was left
    // out: what lies on their two sides was not played next to each other.
    static std::vector<int16_t> Between(size_t from, size_t to,
                                        std::vector<size_t>* joins = nullptr);
    // Root mean square of the samples, full scale 32768.
    static double Rms(const std::vector<int16_t>& samples);
    // The amplitude (full scale 1) of a sine at `hz` in the left channel, window
    // by window of `frames` frames: a tone of whole cycles in a window reads
    // apart from another such tone.
    static std::vector<double> ToneLevels(const std::vector<int16_t>& samples, double hz,
                                          int frames);
    // Frames a second of the device's stream.
    static const int kRate = 48000;
};

// 16-bit stereo WAV bytes of `frames` frames of a sine at `hz` (an amplitude of 0 to 1).
std::string SineWav(double hz, int frames, double amplitude);
