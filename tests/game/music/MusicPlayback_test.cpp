// Music tracks through our sound layer on a real DirectSound device (ALSA's
// file device under Wine): the level heard follows the track's volume, the
// global music volume and mute, and not the effects' volume; a loop crosses
// the file's end without a gap or a click; fades end at the times given; a
// cut-off or damaged Ogg file from an archive is reported and stays silent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/app/PakInterface.h"
#include "framework/app/PakWriter.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpSoundManager.h"
#include "platform/sound/SoundLayer.h"
#include "platform/sound/StreamDecoder.h"
#include "tests/game/music/SoundCapture.h"
#include "tests/support/GameTestLog.h"
#include "tests/support/TempFolder.h"
#include "tools/musicgen/MusicSynth.h"

namespace
{
// The sound layer started on the file device, music streams from a cfg text,
// a temporary working folder for the files.
class MusicPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SoundCapture::Available())
            GTEST_SKIP() << "needs the file device that ctest sets up";
        CoInitialize(nullptr);
        ASSERT_NO_FATAL_FAILURE(mTemp.Enter("music_play_"));
        ASSERT_TRUE(KpSoundSystem::Init(nullptr)) << SndLastError();
        SndSetFileCallbacks(nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        if (!SoundCapture::Available())
            return;
        GetEngineMusic()->Clear();
        MusicSetGlobalVolume(100);
        KpSoundSystem::Shutdown();
        mTemp.Leave();
        CoUninitialize();
    }
    void LoadStreams(const std::string& streams)
    {
        KpXmlDocument cfg = TestDocument("<cfg><music>" + streams + "</music></cfg>");
        ASSERT_GT(GetEngineMusic()->LoadConfig(cfg.Get()), 0);
    }
    // The device's mark once the music plays at the levels last asked of it.
    static size_t Settled()
    {
        for (DWORD start = GetTickCount(); !SndStreamsSettled() && GetTickCount() - start < 10000;)
            Sleep(1); // the decode thread ramps in real time; the bound is what matters
        EXPECT_TRUE(SndStreamsSettled());
        return SoundCapture::Mark();
    }
    // The music's level over 300 ms, once what was mixed before the last change has played.
    static double Level() { return SoundCapture::Rms(SoundCapture::After(Settled(), 400, 300)); }
    // Steps the fades by game time, 10 ms an update.
    static void Updates(int count)
    {
        for (int i = 0; i < count; i++)
            GetEngineMusic()->Update(10);
    }

    TempFolder mTemp;
};

// The largest step between neighbouring samples of one channel.
int LargestStep(const std::vector<int16_t>& samples)
{
    int largest = 0;
    for (size_t i = 2; i < samples.size(); i++)
        largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
    return largest;
}

// The longest run of frames near silence, against the loudest sample.
int LongestQuietRun(const std::vector<int16_t>& samples)
{
    int loudest = 0, run = 0, longest = 0;
    for (int16_t v : samples)
        loudest = std::max(loudest, std::abs(int(v)));
    for (size_t i = 0; i < samples.size(); i += 2)
    {
        run = std::abs(int(samples[i])) < loudest / 50 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Interleaved stereo floats of a sine loop: a whole number of cycles.
std::vector<float> SineLoop(double hz, int frames, double amplitude)
{
    std::vector<float> samples(size_t(frames) * 2);
    for (int i = 0; i < frames; i++)
        samples[size_t(i) * 2] = samples[size_t(i) * 2 + 1] =
            float(amplitude * std::sin(2 * 3.14159265358979 * hz * i / MusicSynth::kRate));
    return samples;
}
} // namespace

TEST_F(MusicPlayback, LevelFollowsTrackVolumeGlobalVolumeAndMuteButNotTheEffects)
{
    WriteTestFile("tone.wav", SineWav(440, 44100, 0.5));
    // Volume 60 from the cfg, reached by the fade-in (it used to be left out).
    ASSERT_NO_FATAL_FAILURE(LoadStreams(
        "<stream id=\"tone\"><track file=\"tone.wav\" volume=\"60\" fadein=\"200\"/></stream>"));
    MusicTrack* track = GetEngineMusic()->GetSingleTrack("tone");
    ASSERT_NE(nullptr, track);
    GetEngineMusic()->Change("tone");
    Updates(20);
    ASSERT_TRUE(SndVoiceIsPlaying(track->GetVoice()));
    double faded = Level();
    track->SetVolume(100);
    double full = Level();
    ASSERT_GT(full, 0.2) << "the music did not reach the device";
    EXPECT_NEAR(faded / full, 0.6, 0.05);
    track->SetVolume(50);
    EXPECT_NEAR(Level() / full, 0.5, 0.05);
    MusicSetGlobalVolume(50);
    EXPECT_NEAR(Level() / full, 0.25, 0.03);
    // The effects' volume is the effects' own.
    GetSoundManager()->SoundSetMasterVolume(10);
    EXPECT_NEAR(Level() / full, 0.25, 0.03);
    MusicSetGlobalVolume(0); // as the game sets it while muted
    EXPECT_LT(Level(), full * 0.01);
    MusicSetGlobalVolume(100);
    EXPECT_NEAR(Level() / full, 0.5, 0.05);
}

TEST_F(MusicPlayback, LoopCrossesTheFileEndWithoutGapOrClick)
{
    // A quarter-second WAV loop and a one-second Ogg loop, each a whole number
    // of cycles: shorter than the stream's buffer, so the end is crossed inside
    // one refill and across refills.
    WriteTestFile("short.wav", SineWav(440, 11025, 0.5));
    std::string ogg;
    ASSERT_TRUE(MusicSynth::EncodeOgg(SineLoop(441, 44100, 0.5), 7, "loop", ogg));
    WriteTestFile("loop.ogg", ogg);
    ASSERT_NO_FATAL_FAILURE(LoadStreams("<stream id=\"wav\"><track file=\"short.wav\"/></stream>"
                                        "<stream id=\"ogg\"><track file=\"loop.ogg\"/></stream>"));
    for (const char* id : {"wav", "ogg"})
    {
        SCOPED_TRACE(id);
        GetEngineMusic()->Change(id);
        std::vector<int16_t> heard = SoundCapture::After(Settled(), 400, 2200);
        ASSERT_GT(SoundCapture::Rms(heard), 0.2);
        // The loop's own largest step, at 44.1 kHz: a device at a higher rate steps less.
        int own = int(32767 * 0.5 * 2 * 3.14159265358979 * 441 / 44100) + 60;
        EXPECT_LE(LargestStep(heard), own) << "a click";
        EXPECT_LE(LongestQuietRun(heard), 4) << "a gap";
        GetEngineMusic()->Change("");
    }
}

TEST_F(MusicPlayback, FadesEndAtTheTimesGivenWithinOneUpdate)
{
    WriteTestFile("tone.wav", SineWav(440, 44100, 0.5));
    ASSERT_NO_FATAL_FAILURE(
        LoadStreams("<stream id=\"a\"><track file=\"tone.wav\" volume=\"80\" fadein=\"1000\" "
                    "fadeout=\"500\"/></stream>"));
    MusicTrack* track = GetEngineMusic()->GetSingleTrack("a");
    GetEngineMusic()->Change("a");
    Updates(99);
    EXPECT_LT(track->GetLevel(), 1.0);
    EXPECT_GT(track->GetLevel(), 0.95);
    Updates(1);
    EXPECT_EQ(1.0, track->GetLevel());
    GetEngineMusic()->Change("");
    Updates(49);
    EXPECT_TRUE(track->IsPlaying());
    EXPECT_TRUE(SndVoiceIsPlaying(track->GetVoice()));
    Updates(1);
    EXPECT_FALSE(track->IsPlaying());
    EXPECT_FALSE(SndVoiceIsPlaying(track->GetVoice()));
    EXPECT_LT(Level(), 0.001);
    // Back while fading out: up again from where it stood, not from the start.
    GetEngineMusic()->Change("a");
    Updates(100);
    GetEngineMusic()->Change("");
    Updates(25);
    GetEngineMusic()->Change("a");
    EXPECT_NEAR(0.5, track->GetLevel(), 0.01);
    Updates(50);
    EXPECT_EQ(1.0, track->GetLevel());
}

TEST_F(MusicPlayback, CutOffOrDamagedOggFromAnArchiveIsReportedAndSilent)
{
    std::vector<float> music = MusicSynth::Render(0, 3.0);
    std::string whole;
    ASSERT_TRUE(MusicSynth::EncodeOgg(music, 9, "t", whole));
    std::string cut = whole.substr(0, whole.size() * 6 / 10);
    std::string damaged = whole;
    for (size_t i = damaged.size() / 3; i < damaged.size() / 3 + 2000; i++)
        damaged[i] = char(i * 37);
    std::vector<PakWriterEntry> entries = {{"music\\cut.ogg", 0, cut},
                                           {"music\\damaged.ogg", 0, damaged},
                                           {"music\\good.ogg", 0, whole}};
    std::vector<uint8_t> pak;
    ASSERT_TRUE(PakBuildArchive(entries, pak, nullptr));
    WriteTestFile("mod.pak", std::string(pak.begin(), pak.end()));
    PakInterface archives;
    ASSERT_TRUE(archives.AddPakFile("mod.pak"));
    SndSetFileCallbacks(SquallFileOpen, SquallFileSeek, SquallFileRead, SquallFileClose);
    StartTestLog();
    ASSERT_NO_FATAL_FAILURE(
        LoadStreams("<stream id=\"cut\"><track file=\"music\\cut.ogg\"/></stream>"
                    "<stream id=\"damaged\"><track file=\"music\\damaged.ogg\"/></stream>"
                    "<stream id=\"good\"><track file=\"music\\good.ogg\"/></stream>"));

    GetEngineMusic()->Change("cut");
    EXPECT_NE(std::string::npos,
              TestLogText().find("WARNING: MusicTrack::Play: cannot play 'music\\cut.ogg': the "
                                 "file is cut off"))
        << TestLogText();
    EXPECT_LT(Level(), 0.001);

    GetEngineMusic()->Change("damaged");
    MusicTrack* track = GetEngineMusic()->GetSingleTrack("damaged");
    DWORD start = GetTickCount();
    while (TestLogText().find("'music\\damaged.ogg' is damaged") == std::string::npos &&
           GetTickCount() - start < 10000)
    {
        Updates(1);
        Sleep(10); // the decode thread reaches the damage in real time
    }
    EXPECT_NE(std::string::npos,
              TestLogText().find(
                  "WARNING: MusicTrack::Update: 'music\\damaged.ogg' is damaged; the track "
                  "stays silent"))
        << TestLogText();
    EXPECT_TRUE(SndVoiceFailed(track->GetVoice()));
    EXPECT_LT(Level(), 0.001);

    // The archive's sound file still plays.
    GetEngineMusic()->Change("good");
    EXPECT_GT(Level(), 0.01);
    StopTestLog();
}

TEST(StreamDecoder, RefusesOggThatDoesNotEndOnItsLastPage)
{
    std::string ogg;
    ASSERT_TRUE(MusicSynth::EncodeOgg(SineLoop(441, 4410, 0.5), 3, "t", ogg));
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(ogg.data());
    EXPECT_TRUE(OggTailIsComplete(bytes, ogg.size()));
    EXPECT_FALSE(OggTailIsComplete(bytes, ogg.size() - 1));
    // Cut just after a whole page that is not the last.
    size_t second = ogg.find("OggS", 4);
    ASSERT_NE(std::string::npos, second);
    EXPECT_FALSE(OggTailIsComplete(bytes, second));
    EXPECT_FALSE(OggTailIsComplete(bytes, 10));
}
