// Our sound layer over DirectSound. Under Wine a device without hardware comes
// from ALSA's own plugins: ctest runs this program with ALSA_CONFIG_PATH on a
// configuration whose default device is a "file" PCM (tests/CMakeLists.txt),
// and LUMO_SOUND_OUT names the file it writes the mix to, which shows that a
// sample really reached the mixer. Without them (a bare run) the device test
// is skipped.
#include "platform/sound/SoundLayer.h"
#include "platform/sound/WavFile.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <functional>
#include <string>

#include "tests/support/TempFolder.h"

namespace
{
// 0.25 s of a 440 Hz tone, 22,050 Hz 16-bit mono.
std::string ToneWav()
{
    const int rate = 22050, frames = rate / 4;
    std::string pcm;
    for (int i = 0; i < frames; i++)
    {
        int16_t v = int16_t(12000 * std::sin(2 * 3.14159265 * 440 * i / rate));
        pcm += char(v & 0xFF);
        pcm += char((v >> 8) & 0xFF);
    }
    auto u32 = [](uint32_t v) {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    };
    return "RIFF" + u32(36 + uint32_t(pcm.size())) + "WAVEfmt " + u32(16) +
           std::string("\x01\x00\x01\x00", 4) + u32(rate) + u32(rate * 2) +
           std::string("\x02\x00\x10\x00", 4) + "data" + u32(uint32_t(pcm.size())) + pcm;
}

bool WaitUntil(const std::function<bool()>& condition, int boundMs)
{
    for (int waited = 0; waited < boundMs; waited += 20)
    {
        if (condition())
            return true;
        Sleep(20); // polling a device position; the bound is what matters
    }
    return condition();
}
} // namespace

TEST(WavFile, ReadsPcmAndRefusesWhatTheLayerCannotPlay)
{
    std::string wav = ToneWav();
    WavInfo info;
    ASSERT_TRUE(ParseWav((const uint8_t*)wav.data(), wav.size(), info, nullptr));
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.samplesPerSec, 22050);
    EXPECT_EQ(info.dataBytes, size_t(22050 / 4 * 2));
    // Cut off mid-frame: whole frames only.
    ASSERT_TRUE(ParseWav((const uint8_t*)wav.data(), 44 + 101, info, nullptr));
    EXPECT_EQ(info.dataBytes, 100u);
    std::string reason;
    std::string adpcm = wav;
    adpcm[20] = 2;
    EXPECT_FALSE(ParseWav((const uint8_t*)adpcm.data(), adpcm.size(), info, &reason));
    EXPECT_EQ(reason, "not PCM");
    EXPECT_FALSE(ParseWav((const uint8_t*)wav.data(), 30, info, &reason));
    EXPECT_FALSE(ParseWav((const uint8_t*)"RIFF", 4, info, &reason));
}

// The road of a machine without a device: nothing started, every call harmless.
TEST(SoundLayer, CallsDoNothingWithoutADevice)
{
    std::string wav = ToneWav();
    EXPECT_FALSE(SndIsStarted());
    EXPECT_EQ(SndSampleLoadMemory(wav.data(), wav.size()), 0);
    EXPECT_EQ(SndSampleLoadFile("missing.wav"), 0);
    EXPECT_EQ(SndPlay(1, 0, 100, 0, false), 0);
    EXPECT_EQ(SndVoiceCreate(1, 0), 0);
    SndVoiceStop(1);
    SndVoicePlay(1, true);
    SndGroupPause(SND_ALL_GROUPS);
    SndGroupResume(SND_ALL_GROUPS);
    SndGroupStop(SND_ALL_GROUPS);
    SndSetMasterVolume(50);
    SndUpdate();
    EXPECT_EQ(SndVoicePosition(1), -1);
    EXPECT_EQ(SndVoiceCount(), 0);
}

TEST(SoundLayer, ASampleReachesTheMixerThroughDirectSound)
{
    const char* out = getenv("LUMO_SOUND_OUT");
    if (!out || !getenv("ALSA_CONFIG_PATH"))
        GTEST_SKIP() << "needs the file device that ctest sets up";
    DeleteFileA(out);
    std::string wav = ToneWav();
    ASSERT_TRUE(SndStartup(nullptr)) << SndLastError();
    int sample = SndSampleLoadMemory(wav.data(), wav.size());
    ASSERT_GT(sample, 0) << SndLastError();
    EXPECT_EQ(SndSampleLengthMs(sample), 249); // 5,512 frames
    int voice = SndVoiceCreate(sample, 3);
    ASSERT_GT(voice, 0);
    SndVoicePlay(voice, true);
    EXPECT_TRUE(SndVoiceIsPlaying(voice));
    int first = SndVoicePosition(voice);
    EXPECT_TRUE(WaitUntil([&] { return SndVoicePosition(voice) != first; }, 10000))
        << "the play position never moved";
    // A paused group holds still, a resumed one plays on.
    SndGroupPause(3);
    EXPECT_FALSE(SndVoiceIsPlaying(voice));
    SndGroupResume(3);
    EXPECT_TRUE(SndVoiceIsPlaying(voice));
    // A one-shot frees itself once done.
    EXPECT_GT(SndPlay(sample, 4, 100, -50, false), 0);
    EXPECT_EQ(SndVoiceCount(), 2);
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            SndUpdate();
            return SndVoiceCount() == 1;
        },
        10000));
    // The mixer writes the file as it goes.
    size_t loud = 0;
    std::string raw;
    WaitUntil(
        [&]
        {
            raw = ReadTestFile(out);
            loud = 0;
            for (size_t i = 0; i + 1 < raw.size(); i += 2)
                if (std::abs(int16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8)) > 1000)
                    loud++;
            return loud > 1000;
        },
        10000);
    SndShutdown();
    EXPECT_GT(loud, 1000u) << "only silence reached the mixer (" << raw.size() << " bytes)";
}
