#include "tests/game/music/SoundCapture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
// The device's stream as Wine's mixer writes it: 32-bit float stereo, at most 48 kHz.
const int kBytesPerMs = 48 * 8;

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

std::vector<int16_t> SoundCapture::After(size_t from, int skipMs, int ms)
{
    size_t start = from + size_t(skipMs) * kBytesPerMs;
    size_t end = start + size_t(ms) * kBytesPerMs;
    start -= start % 8;
    end -= end % 8;
    for (int waited = 0; FileSize() < end; waited += 10)
    {
        if (waited > 20000)
            return {};
        Sleep(10); // the device writes in real time; the bound is what matters
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
    std::vector<int16_t> samples(got / 4);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = int16_t(std::lround(std::max(-1.0f, std::min(1.0f, mixed[i])) * 32767));
    return samples;
}

double SoundCapture::Rms(const std::vector<int16_t>& samples)
{
    double sum = 0;
    for (int16_t v : samples)
        sum += double(v) * v;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size()) / 32768.0;
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
