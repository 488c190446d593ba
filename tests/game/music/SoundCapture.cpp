#include "tests/game/music/SoundCapture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/sound/SoundLayer.h"

namespace
{
// The device's stream as Wine's mixer writes it: 32-bit float stereo.
const int kBytesPerMs = SoundCapture::kRate / 1000 * 8;
// The shortest stretch of exact silence in both channels taken for the capture's own.
const size_t kOwnSilenceFrames = 24;

size_t FileSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    const char* out = getenv("LUMO_SOUND_OUT");
    if (!out || !GetFileAttributesExA(out, GetFileExInfoStandard, &data))
        return 0;
    return size_t(data.nFileSizeLow);
}
} // namespace

bool SoundCapture::Available()
{
    return getenv("LUMO_SOUND_OUT") && getenv("ALSA_CONFIG_PATH");
}

size_t SoundCapture::Mark()
{
    return FileSize();
}

bool SoundCapture::Has(size_t from, int ms)
{
    return FileSize() >= from + size_t(ms) * kBytesPerMs;
}

std::vector<int16_t> SoundCapture::After(size_t from, int skipMs, int ms)
{
    size_t start = from + size_t(skipMs) * kBytesPerMs;
    return Between(start, start + size_t(ms) * kBytesPerMs);
}

std::vector<int16_t> SoundCapture::Between(size_t start, size_t end, std::vector<size_t>* joins)
{
    start -= start % 8;
    end -= end % 8;
    for (int waited = 0; FileSize() < end; waited += 10)
    {
        if (waited > 20000)
            return {};
        Sleep(10); // the bound is what matters: the device is written by Wine's mixer
    }
    std::vector<float> mixed((end - start) / 4);
    HANDLE file = CreateFileA(getenv("LUMO_SOUND_OUT"), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE)
        return {};
    SetFilePointer(file, LONG(start), nullptr, FILE_BEGIN);
    ReadFile(file, mixed.data(), DWORD(mixed.size() * 4), &got, nullptr);
    CloseHandle(file);
    mixed.resize(got / 8 * 2);
    // The silence left out below can only be the capture's while no stream of
    // the game ever ran dry: a starved stream is a gap the player hears.
    EXPECT_EQ(SndStreamStarvations(), 0) << "a music stream ran dry: the game made a gap";
    // Wine's ALSA driver lays whole stretches of exact silence into the sound
    // whenever its mixer is late for this device, which holds nothing of its
    // own (a real device plays on from its buffer): those are the capture's,
    // not the game's, and are left out where sound lies on both sides. Music
    // that stops or starts ramps through quiet samples, which stay.
    std::vector<int16_t> samples;
    size_t frames = mixed.size() / 2, silentFrom = 0;
    for (size_t f = 0; f <= frames; f++)
    {
        bool silent = f < frames && mixed[f * 2] == 0.0f && mixed[f * 2 + 1] == 0.0f;
        if (silent)
            continue;
        bool capturesOwn = silentFrom > 0 && f < frames && f - silentFrom >= kOwnSilenceFrames;
        if (capturesOwn && joins)
            joins->push_back(samples.size() / 2);
        for (size_t g = capturesOwn ? f : silentFrom; g < f + (f < frames ? 1 : 0); g++)
            for (int c = 0; c < 2; c++)
                samples.push_back(int16_t(
                    std::lround(std::max(-1.0f, std::min(1.0f, mixed[g * 2 + c])) * 32767)));
        silentFrom = f + 1;
    }
    return samples;
}

double SoundCapture::Rms(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (int16_t v : samples)
        sum += double(v) * v;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size()) / 32768.0;
}

std::vector<double> SoundCapture::ToneLevels(const std::vector<int16_t>& samples, double hz,
                                             int frames)
{
    std::vector<double> levels;
    const double step = 2 * 3.14159265358979 * hz / kRate;
    for (size_t at = 0; at + size_t(frames) * 2 <= samples.size(); at += size_t(frames) * 2)
    {
        double re = 0, im = 0;
        for (int i = 0; i < frames; i++)
        {
            re += samples[at + size_t(i) * 2] * std::cos(step * i);
            im += samples[at + size_t(i) * 2] * std::sin(step * i);
        }
        levels.push_back(2 * std::sqrt(re * re + im * im) / frames / 32768.0);
    }
    return levels;
}

std::string SineWav(double hz, int frames, double amplitude)
{
    auto u32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    std::string pcm;
    for (int i = 0; i < frames; i++)
    {
        int16_t v = int16_t(
            std::lround(32767 * amplitude * std::sin(2 * 3.14159265358979 * hz * i / 44100)));
        for (int c = 0; c < 2; c++)
        {
            pcm += char(v & 0xFF);
            pcm += char((v >> 8) & 0xFF);
        }
    }
    return "RIFF" + u32(36 + uint32_t(pcm.size())) + "WAVEfmt " + u32(16) +
           std::string("\x01\x00\x02\x00", 4) + u32(44100) + u32(44100 * 4) +
           std::string("\x04\x00\x10\x00", 4) + "data" + u32(uint32_t(pcm.size())) + pcm;
}
