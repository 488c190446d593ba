// The fmod music interface against the stand-in fmod.dll of tests/fakes/fmod, which logs
// every call that changes its state.
#include "framework/app/FModMusicInterface.h"
#include "framework/app/StringUtils.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <direct.h>

#include <cstring>
#include <memory>
#include <regex>

using Lumo::FModMusicInterface;

namespace
{
typedef void (*ResetFn)();
typedef const char* (*LogFn)();
typedef void (*FailNextFn)(const char*);
typedef int (*LiveSamplesFn)();
typedef int (*SampleInfoFn)(int, int*, int*, const unsigned char**, unsigned*);

const unsigned kMono16 = 0x20 | 0x10;
const unsigned kStereo16 = 0x40 | 0x10;
const unsigned kMono8 = 0x20 | 0x08;

template <typename T> T Entry(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class MusicFModTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // The stand-in lies in the build folder, the tests' working folder; keeping it
        // loaded here keeps its state between the interfaces a test makes.
        sFake = LoadLibraryA("fmod.dll");
        if (sFake == nullptr)
        {
            char exe[MAX_PATH];
            GetModuleFileNameA(nullptr, exe, MAX_PATH);
            std::string dir(exe);
            dir = dir.substr(0, dir.find_last_of('\\'));
            sFake = LoadLibraryA((dir + "\\..\\fmod.dll").c_str());
        }
    }

    void SetUp() override
    {
        // Without the stand-in the interface would stop the process with a message box.
        ASSERT_NE(nullptr, sFake) << "fmod.dll stand-in not found";
        mReset = Entry<ResetFn>(sFake, "FakeFmodReset");
        mLog = Entry<LogFn>(sFake, "FakeFmodLog");
        mClearLog = Entry<ResetFn>(sFake, "FakeFmodClearLog");
        mFailNext = Entry<FailNextFn>(sFake, "FakeFmodFailNext");
        mLiveSamples = Entry<LiveSamplesFn>(sFake, "FakeFmodLiveSamples");
        mSampleInfo = Entry<SampleInfoFn>(sFake, "FakeFmodSampleInfo");
        ASSERT_TRUE(mReset && mLog && mClearLog && mFailNext && mLiveSamples && mSampleInfo);
        mReset();

        ASSERT_NO_FATAL_FAILURE(mTemp.Enter("lumo_music_"));
        CreateDirectoryA("music", nullptr);
        CreateDirectoryA("other", nullptr);
        mOldAppData = Lumo::GetAppDataFolder();
        Lumo::SetAppDataFolder(mTemp.Path() + "\\user");
        mMusic.reset(new FModMusicInterface(nullptr));
    }

    void TearDown() override
    {
        mMusic.reset();
        Lumo::SetAppDataFolder(mOldAppData);
        mTemp.Leave();
    }

    static std::string U32(uint32_t v)
    {
        return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    }

    // A stand-in ".ogg" file that the fake decodes to these PCM bytes.
    static void WriteOgg(const std::string& name, unsigned mode, int frequency, unsigned length,
                         const std::string& pcm)
    {
        WriteTestFile(name + ".ogg",
                      std::string("FAKEOGG", 8) + U32(mode) + U32(frequency) + U32(length) + pcm);
    }

    // Song 1 a module, song 2 a cached stream, both playing.
    void PlayModuleAndStream()
    {
        WriteTestFile("song.mod", "module");
        WriteOgg("music\\theme", kMono16, 22050, 1, "ab");
        ASSERT_TRUE(mMusic->LoadMusic(1, "song.mod"));
        ASSERT_TRUE(mMusic->LoadCachedMusic(2, "music\\theme", false));
        mMusic->PlayMusic(1, 0, false);
        mMusic->PlayMusic(2, 0, false);
    }

    std::string Log() const { return mLog(); }
    std::string TakeLog()
    {
        std::string log = mLog();
        mClearLog();
        return log;
    }

    // Sample number the log shows playing on a channel.
    int PlayedSample(const std::string& log, int channel)
    {
        std::smatch m;
        std::regex re("FSOUND_PlaySound " + std::to_string(channel) + " S([0-9]+)");
        return std::regex_search(log, m, re) ? std::stoi(m[1]) : -1;
    }

    // True when the lines occur in this order in the text.
    static bool InOrder(const std::string& text, const std::vector<std::string>& lines)
    {
        size_t at = 0;
        for (const std::string& line : lines)
        {
            at = text.find(line + "\n", at);
            if (at == std::string::npos)
                return false;
            at += line.size();
        }
        return true;
    }

    static HMODULE sFake;
    ResetFn mReset = nullptr;
    ResetFn mClearLog = nullptr;
    LogFn mLog = nullptr;
    FailNextFn mFailNext = nullptr;
    LiveSamplesFn mLiveSamples = nullptr;
    SampleInfoFn mSampleInfo = nullptr;
    TempFolder mTemp;
    std::string mOldAppData;
    std::unique_ptr<FModMusicInterface> mMusic;
};

HMODULE MusicFModTest::sFake = nullptr;
} // namespace

TEST_F(MusicFModTest, DecodedSampleIsCachedAsWavAndPreferredAfter)
{
    std::string pcm = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c";
    WriteOgg("music\\theme", kStereo16, 44100, 3, pcm);
    ASSERT_TRUE(mMusic->LoadCachedMusic(1, "music\\theme", true));
    std::string cache = Lumo::FModCachePath("music\\theme");
    EXPECT_EQ(0u, cache.find(mTemp.Path() + "\\user\\cached\\theme_")) << cache;
    EXPECT_TRUE(InOrder(TakeLog(), {"FSOUND_Sample_Load -1 " + cache + " 0 0",
                                    "FSOUND_Sample_Load -1 music\\theme.ogg 0 0"}));

    std::string expected = "RIFF" + U32(48) + "WAVEfmt " + U32(16) + std::string("\1\0\2\0", 4) +
                           U32(44100) + U32(4 * 44100) + std::string("\4\0\x10\0", 4) + "data" +
                           U32(12) + pcm;
    EXPECT_EQ(expected, ReadTestFile(cache));
    EXPECT_EQ("<missing>", ReadTestFile(cache + ".tmp"));

    // The cached file wins, even over a changed ".ogg" file.
    WriteOgg("music\\theme", kStereo16, 44100, 1, "zzzz");
    ASSERT_TRUE(mMusic->LoadCachedMusic(2, "music\\theme", false));
    std::string log = TakeLog();
    EXPECT_EQ(std::string::npos, log.find(".ogg")) << log;
    mMusic->PlayMusic(2, 0, false);
    int sample = PlayedSample(Log(), 2);
    int loopStart, loopEnd;
    const unsigned char* data;
    unsigned bytes;
    ASSERT_TRUE(mSampleInfo(sample, &loopStart, &loopEnd, &data, &bytes));
    EXPECT_EQ(pcm, std::string(reinterpret_cast<const char*>(data), bytes));
}

TEST_F(MusicFModTest, MonoEightBitCacheHeader)
{
    WriteOgg("music\\click", kMono8, 11025, 5, "abcde");
    ASSERT_TRUE(mMusic->LoadCachedMusic(1, "music\\click", false));
    std::string wav = ReadTestFile(Lumo::FModCachePath("music\\click"));
    ASSERT_EQ(49u, wav.size());
    EXPECT_EQ(std::string("\1\0\1\0", 4), wav.substr(20, 4)); // PCM, one channel
    EXPECT_EQ(U32(11025) + U32(11025) + std::string("\1\0\x08\0", 4), wav.substr(24, 12));
    EXPECT_EQ(U32(5) + "abcde", wav.substr(40));
}

TEST_F(MusicFModTest, SameBaseNameInOtherFolderKeepsItsOwnCache)
{
    WriteOgg("music\\theme", kMono16, 22050, 1, "AA");
    WriteOgg("other\\theme", kMono16, 22050, 1, "BB");
    ASSERT_TRUE(mMusic->LoadCachedMusic(1, "music\\theme", false));
    ASSERT_TRUE(mMusic->LoadCachedMusic(2, "other\\theme", false));
    EXPECT_NE(Lumo::FModCachePath("music\\theme"), Lumo::FModCachePath("other\\theme"));
    // One path, however it is spelled, is one cache file.
    EXPECT_EQ(0, _stricmp(Lumo::FModCachePath("music\\theme").c_str(),
                          Lumo::FModCachePath("MUSIC/Theme").c_str()));
    EXPECT_EQ("BB", ReadTestFile(Lumo::FModCachePath("other\\theme")).substr(44));
    EXPECT_EQ("AA", ReadTestFile(Lumo::FModCachePath("music\\theme")).substr(44));
}

TEST_F(MusicFModTest, FailedLockWritesNoCacheButStillLoads)
{
    WriteOgg("music\\theme", kMono16, 22050, 2, "abcd");
    mFailNext("FSOUND_Sample_Lock");
    EXPECT_TRUE(mMusic->LoadCachedMusic(1, "music\\theme", false));
    EXPECT_EQ("<missing>", ReadTestFile(Lumo::FModCachePath("music\\theme")));
    EXPECT_FALSE(mMusic->LoadCachedMusic(2, "music\\missing", false));
    EXPECT_EQ(1, mLiveSamples());
}

TEST_F(MusicFModTest, JoinedSampleLoopsOverItsSecondPart)
{
    WriteOgg("music\\intro", kMono16, 22050, 3, "i1i2i3");
    WriteOgg("music\\loop", kMono16, 22050, 2, "L1L2");
    ASSERT_TRUE(mMusic->LoadSample(5, "music\\intro", "music\\loop", true));
    std::string log = TakeLog();
    EXPECT_NE(std::string::npos, log.find("FSOUND_Sample_Alloc -1 5 50 22050 255 128 0")) << log;
    EXPECT_EQ(1, mLiveSamples()); // the two parts are freed

    mMusic->PlayMusic(5, 0, false);
    EXPECT_TRUE(InOrder(Log(), {"FSOUND_SetLoopMode 5 2", "FSOUND_SetVolume 5 100"}));
    int loopStart, loopEnd;
    const unsigned char* data;
    unsigned bytes;
    ASSERT_TRUE(mSampleInfo(PlayedSample(Log(), 5), &loopStart, &loopEnd, &data, &bytes));
    EXPECT_EQ("i1i2i3L1L2", std::string(reinterpret_cast<const char*>(data), bytes));
    EXPECT_EQ(3, loopStart);
    EXPECT_EQ(4, loopEnd); // the last sample of the second part
}

TEST_F(MusicFModTest, JoinFailuresReportFalseAndFreeEverySample)
{
    WriteOgg("music\\a", kMono16, 22050, 1, "aa");
    WriteOgg("music\\fast", kMono16, 44100, 1, "ff");
    WriteOgg("music\\stereo", kStereo16, 22050, 1, "ssss");
    EXPECT_FALSE(mMusic->LoadSample(1, "music\\a", "music\\fast", false));
    EXPECT_EQ(0, mLiveSamples());
    EXPECT_FALSE(mMusic->LoadSample(1, "music\\a", "music\\stereo", false));
    EXPECT_EQ(0, mLiveSamples());
    EXPECT_FALSE(mMusic->LoadSample(1, "music\\a", "music\\none", false));
    EXPECT_EQ(0, mLiveSamples());
    mFailNext("FSOUND_Sample_Alloc");
    EXPECT_FALSE(mMusic->LoadSample(1, "music\\a", "music\\a", false));
    EXPECT_EQ(0, mLiveSamples());
    // Both parts now come from the cache, so the first lock is the joined sample's.
    mFailNext("FSOUND_Sample_Lock");
    EXPECT_FALSE(mMusic->LoadSample(1, "music\\a", "music\\a", false));
    EXPECT_EQ(0, mLiveSamples());
    mMusic->PlayMusic(1, 0, false);
    EXPECT_EQ(std::string::npos, Log().find("FSOUND_PlaySound"));
    EXPECT_TRUE(mMusic->LoadSample(1, "music\\a", "music\\a", false));
    EXPECT_EQ(1, mLiveSamples());
}

TEST_F(MusicFModTest, ModuleSongPlaysWithOrderAndLooping)
{
    WriteTestFile("song.mod", "module");
    EXPECT_FALSE(mMusic->LoadMusic(1, "missing.mod"));
    ASSERT_TRUE(mMusic->LoadMusic(1, "song.mod"));
    ASSERT_TRUE(mMusic->LoadMusic(1, "song.mod")); // the id keeps its first song
    mClearLog();
    mMusic->PlayMusic(1, 7, true);
    EXPECT_TRUE(InOrder(Log(), {"FMUSIC_SetMasterVolume M1 100", "FMUSIC_SetLooping M1 1",
                                "FMUSIC_PlaySong M1", "FMUSIC_SetOrder M1 7"}))
        << Log();
    EXPECT_TRUE(mMusic->IsPlaying(1));
    mMusic->PauseMusic(1);
    mMusic->ResumeMusic(1);
    mMusic->StopMusic(1);
    EXPECT_FALSE(mMusic->IsPlaying(1));
    EXPECT_TRUE(
        InOrder(Log(), {"FMUSIC_SetPaused M1 1", "FMUSIC_SetPaused M1 0", "FMUSIC_StopSong M1"}));

    mClearLog();
    mMusic->FadeIn(1, -1, 0.5, false);
    EXPECT_TRUE(InOrder(Log(), {"FMUSIC_SetMasterVolume M1 0", "FMUSIC_SetLooping M1 2",
                                "FMUSIC_IsPlaying M1", "FMUSIC_PlaySong M1"}));
    EXPECT_EQ(std::string::npos, Log().find("SetOrder"));
}

TEST_F(MusicFModTest, SampleSongPlaysOnItsChannel)
{
    WriteOgg("music\\theme", kMono16, 22050, 1, "ab");
    ASSERT_TRUE(mMusic->LoadCachedMusic(3, "music\\theme", true));
    mClearLog();
    EXPECT_FALSE(mMusic->IsPlaying(3));
    mMusic->PlayMusic(3, 9, true);
    EXPECT_TRUE(InOrder(
        Log(), {"FSOUND_PlaySound 3 S1", "FSOUND_SetLoopMode 3 2", "FSOUND_SetVolume 3 100"}))
        << Log();
    // The playing state comes from the song's channel.
    EXPECT_TRUE(mMusic->IsPlaying(3));
    EXPECT_NE(std::string::npos, Log().find("FSOUND_IsPlaying 3\n"));
    EXPECT_EQ(std::string::npos, Log().find("FMUSIC_IsPlaying"));
    mMusic->PauseMusic(3);
    mMusic->ResumeMusic(3);
    mMusic->StopMusic(3);
    EXPECT_TRUE(
        InOrder(Log(), {"FSOUND_SetPaused 3 1", "FSOUND_SetPaused 3 0", "FSOUND_StopSound 3"}));
    EXPECT_FALSE(mMusic->IsPlaying(3));

    // Fading in starts the channel only when it is silent.
    mClearLog();
    mMusic->FadeIn(3, 0, 0.25, false);
    mMusic->FadeIn(3, 0, 0.25, false);
    std::string log = Log();
    EXPECT_EQ(log.find("FSOUND_PlaySound"), log.rfind("FSOUND_PlaySound")) << log;
}

TEST_F(MusicFModTest, UnknownIdsDoNothing)
{
    mMusic->PlayMusic(42, 0, false);
    mMusic->StopMusic(42);
    mMusic->PauseMusic(42);
    mMusic->ResumeMusic(42);
    mMusic->FadeIn(42, 0, 0.1, false);
    mMusic->FadeOut(42, true, 0.1);
    mMusic->SetSongVolume(42, 0.5);
    mMusic->Update();
    EXPECT_FALSE(mMusic->IsPlaying(42));
    EXPECT_EQ("", Log());
}

TEST_F(MusicFModTest, FadeOutStopsOneUpdateAfterReachingZero)
{
    WriteOgg("music\\theme", kMono16, 22050, 1, "ab");
    ASSERT_TRUE(mMusic->LoadCachedMusic(1, "music\\theme", false));
    mMusic->PlayMusic(1, 0, false);
    mMusic->FadeOut(1, true, 0.5);
    mClearLog();
    mMusic->Update();
    EXPECT_EQ("FSOUND_SetVolume 1 50\n", TakeLog());
    mMusic->Update();
    EXPECT_EQ("FSOUND_SetVolume 1 0\n", TakeLog());
    EXPECT_TRUE(mMusic->IsPlaying(1));
    mClearLog();
    mMusic->Update();
    EXPECT_EQ("FSOUND_StopSound 1\nFSOUND_SetVolume 1 0\n", TakeLog());
    mMusic->Update(); // the fade is over: nothing is sent
    EXPECT_EQ("", TakeLog());
}

TEST_F(MusicFModTest, FadeInClimbsToTheLimit)
{
    WriteTestFile("song.mod", "module");
    ASSERT_TRUE(mMusic->LoadMusic(1, "song.mod"));
    mMusic->FadeIn(1, 0, 0.25, false);
    mClearLog();
    for (int i = 0; i < 6; ++i)
        mMusic->Update();
    EXPECT_EQ("FMUSIC_SetMasterVolume M1 25\nFMUSIC_SetMasterVolume M1 50\n"
              "FMUSIC_SetMasterVolume M1 75\nFMUSIC_SetMasterVolume M1 100\n"
              "FMUSIC_SetMasterVolume M1 100\n",
              Log());
}

TEST_F(MusicFModTest, MasterVolumeScalesEverySong)
{
    ASSERT_NO_FATAL_FAILURE(PlayModuleAndStream());
    mClearLog();
    mMusic->SetVolume(0.5);
    EXPECT_EQ("FMUSIC_SetMasterVolume M1 50\nFSOUND_SetVolume 2 50\n", TakeLog());
    mMusic->SetSongVolume(2, 0.5);
    EXPECT_EQ("FSOUND_SetVolume 2 25\n", TakeLog());
    mMusic->StopAllMusic();
    EXPECT_EQ("FMUSIC_StopSong M1\nFSOUND_StopSound 2\n", TakeLog());
}

TEST_F(MusicFModTest, FadeOutAllReachesEverySong)
{
    ASSERT_NO_FATAL_FAILURE(PlayModuleAndStream());
    mMusic->FadeOutAll(false, 0.75);
    mClearLog();
    mMusic->Update();
    EXPECT_EQ("FMUSIC_SetMasterVolume M1 25\nFSOUND_SetVolume 2 25\n", TakeLog());
    mMusic->Update();
    mMusic->Update();
    // Without the stop flag a faded song keeps playing silently.
    EXPECT_TRUE(mMusic->IsPlaying(1));
    EXPECT_TRUE(mMusic->IsPlaying(2));
}

TEST_F(MusicFModTest, BindingLivesWhileAnyInterfaceDoes)
{
    ASSERT_NE(nullptr, Lumo::gFMod);
    Lumo::FMOD_INSTANCE* binding = Lumo::gFMod;
    {
        FModMusicInterface second(nullptr);
        EXPECT_EQ(binding, Lumo::gFMod);
    }
    EXPECT_EQ(binding, Lumo::gFMod);
    mMusic.reset();
    EXPECT_EQ(nullptr, Lumo::gFMod);
    mMusic.reset(new FModMusicInterface(nullptr));
    ASSERT_NE(nullptr, Lumo::gFMod);
    EXPECT_NE(nullptr, Lumo::gFMod->FSOUND_Init);
    EXPECT_NE(nullptr, Lumo::gFMod->FMUSIC_IsPlaying);
}
