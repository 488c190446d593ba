// The game's music tracks drive a present fmod.dll correctly: the stand-in of
// tests/fakes/fmod logs every call, so the test sees a stream start looped,
// fade in, follow the global volume and fade out to a stop.
#include "game/engine/KpMusic.h"

#include <gtest/gtest.h>

#include <regex>

#include "framework/app/FModMusicInterface.h"
#include "framework/app/StringUtils.h"
#include "game/engine/KpXml.h"
#include "tests/game/engine/EngineTestSupport.h"
#include "tests/support/TempFolder.h"

namespace
{
typedef void (*ResetFn)();
typedef const char* (*LogFn)();

std::string U32(uint32_t v)
{
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// The last volume the log shows for a channel; -1 when none.
int LastVolume(const std::string& log, int channel)
{
    std::regex re("FSOUND_SetVolume " + std::to_string(channel) + " (-?[0-9]+)\n");
    int last = -1;
    for (std::sregex_iterator it(log.begin(), log.end(), re), end; it != end; ++it)
        last = std::stoi((*it)[1]);
    return last;
}
} // namespace

TEST(KpMusic, StreamsDriveTheFmodInterfaceWithLoopFadesAndVolume)
{
    HMODULE fake = LoadLibraryA("fmod.dll");
    ASSERT_NE(fake, nullptr) << "fmod.dll stand-in not found";
    ResetFn reset = (ResetFn)(void*)GetProcAddress(fake, "FakeFmodReset");
    LogFn log = (LogFn)(void*)GetProcAddress(fake, "FakeFmodLog");
    ASSERT_TRUE(reset && log);
    reset();
    TempFolder temp;
    ASSERT_NO_FATAL_FAILURE(temp.Enter("kp_music_"));
    std::string oldAppData = Lumo::GetAppDataFolder();
    Lumo::SetAppDataFolder(temp.Path() + "\\user\\");
    CreateDirectoryA("music", nullptr);
    // A stand-in ".ogg" that the fake decodes: mono 16-bit, 22,050 Hz, 2 frames.
    WriteTestFile("music\\theme.ogg",
                  std::string("FAKEOGG", 8) + U32(0x30) + U32(22050) + U32(2) + "abcd");
    {
        Lumo::FModMusicInterface fmod(nullptr);
        KpMusic::SetInterface(&fmod);
        KpMusic music;
        KpXmlDocument cfg = XmlLoadBytes(
            "<cfg><music><stream id=\"menu\"><track file=\"music\\theme.ogg\" fadein=\"50\" "
            "fadeout=\"50\"/></stream><stream id=\"two\"><track file=\"a.ogg\"/><track "
            "file=\"b.ogg\"/></stream></music></cfg>",
            "cfg");
        ASSERT_EQ(music.LoadConfig(cfg.Get()), 2);
        MusicTrack* track = music.GetSingleTrack("menu");
        ASSERT_NE(track, nullptr);
        EXPECT_EQ(music.GetSingleTrack("two"), nullptr);
        EXPECT_EQ(music.GetSingleTrack("none"), nullptr);
        int id = track->GetSongId();

        music.Change("menu");
        std::string started = log();
        EXPECT_NE(started.find("FSOUND_PlaySound " + std::to_string(id) + " S"), std::string::npos)
            << started;
        EXPECT_NE(started.find("FSOUND_SetLoopMode " + std::to_string(id) + " 2"),
                  std::string::npos)
            << started;
        // The fade-in reaches full volume within 50 ms of updates (10 ms each).
        for (int i = 0; i < 6; i++)
            fmod.Update();
        EXPECT_EQ(LastVolume(log(), id), 100) << log();
        MusicSetGlobalVolume(50);
        EXPECT_EQ(LastVolume(log(), id), 50);

        music.Change("nothing"); // an unknown id changes nothing
        EXPECT_EQ(music.GetCurrent(), music.GetStream("menu"));
        music.Change(""); // only stops, through the fade-out
        for (int i = 0; i < 6; i++)
            fmod.Update();
        EXPECT_NE(std::string(log()).find("FSOUND_StopSound " + std::to_string(id)),
                  std::string::npos)
            << log();
        EXPECT_EQ(music.GetCurrent(), nullptr);
        KpMusic::SetInterface(nullptr);
    }
    Lumo::SetAppDataFolder(oldAppData);
    temp.Leave();
}
