// The music of the real game, run in this process by its own main-loop steps
// with its own archives and a sound device (ALSA's file device): the main
// menu's stream plays, a level switches to its cafe's stream, a paused level
// keeps it, focus loss pauses it and focus brings it back, the menus take the
// menu's stream again, and Change to "" and to an unknown id behave as they
// should. What is checked at each point is which track's voice plays and that
// the device hears music.
#include <gtest/gtest.h>

#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/engine/KpSoundManager.h"
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpScreenTable.h"
#include "platform/sound/SoundLayer.h"
#include "tests/game/engine/InProcessGame.h"
#include "tests/game/music/SoundCapture.h"

namespace
{
class MusicGameRun : public InProcessGameTest
{
protected:
    // Steps the game (four updates per 10 ms) until the condition holds.
    template <typename Condition> bool Until(Condition condition, DWORD boundMs = 30000)
    {
        return StepUntil(*mGame, condition, boundMs);
    }
    // Lets `ms` of game time pass.
    void Run(int ms)
    {
        int until = mGame->mUpdateCount + ms / 10;
        ASSERT_TRUE(Until([&] { return mGame->mUpdateCount >= until; }));
    }
    static bool Heard(const char* id)
    {
        MusicTrack* track = GetEngineMusic()->GetSingleTrack(id);
        return track && track->GetVoice() && SndVoiceIsPlaying(track->GetVoice());
    }
    // The device's level over 300 ms of real time, stepping the game meanwhile.
    double Level()
    {
        size_t mark = SoundCapture::Mark();
        DWORD start = GetTickCount();
        Until([&] { return GetTickCount() - start > 800; });
        return SoundCapture::Rms(SoundCapture::After(mark, 400, 300));
    }
};
} // namespace

TEST_P(MusicGameRun, MenusLevelPauseAndFocusPlayTheRightStream)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(LaunchGame());
    mGame->mUpdateMultiplier = 4.0;
    ASSERT_NO_FATAL_FAILURE(WaitForLoading());
    ASSERT_TRUE(gSoundAvailable);
    ASSERT_TRUE(gProfileFile.NewProfile(L"Music", nullptr, nullptr));

    // The main menu, after the splash: its stream plays, faded in.
    ASSERT_TRUE(Until([] { return Heard("main_menu"); })) << "the menu's music never started";
    KpMusic& music = *GetEngineMusic();
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());
    Run(2000);
    EXPECT_GT(Level(), 0.002) << "the device heard no menu music";

    // A level of the first cafe without an opening comic: the menu's music
    // fades out under the cafe's.
    for (int entry = kBoardMenuBackground; entry <= kBoardLoadScreen; entry++)
        SetScreenVisible((KpEngineBoard)entry, false);
    GetCareerBook()->StartLevel(2);
    ASSERT_TRUE(Until([] { return gGameBoard3->IsLevelActive(); }));
    ASSERT_TRUE(Until([] { return Heard("level1"); }));
    EXPECT_EQ("level1", music.GetCurrent()->GetId());
    Run(2000);
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_GT(Level(), 0.002);

    // The pause menu: the board and its sounds pause, the music plays on.
    gGameBoard3->mEscapeMenu->Show();
    ASSERT_TRUE(Until([] { return gGameBoard3->GetPauseCount() > 0; }));
    EXPECT_TRUE(Heard("level1"));
    EXPECT_GT(Level(), 0.002);

    // Focus loss pauses every sound, the music too; focus brings it back.
    mGame->LostFocus();
    EXPECT_FALSE(Heard("level1"));
    EXPECT_LT(Level(), 0.0005);
    mGame->GotFocus();
    EXPECT_TRUE(Heard("level1"));
    EXPECT_GT(Level(), 0.002);

    // Out to the menus as the pause menu's quit does: the menu's stream again.
    gGameBoard3->mEscapeMenu->Hide();
    ShowMenusAndQuitLevel(gGameBoard3);
    ASSERT_TRUE(Until([] { return Heard("main_menu"); }));
    Run(2000);
    EXPECT_FALSE(Heard("level1"));
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());

    // An id naming no stream changes nothing; "" only stops.
    music.Change("no_such_stream");
    EXPECT_EQ("main_menu", music.GetCurrent()->GetId());
    Run(500);
    EXPECT_TRUE(Heard("main_menu"));
    music.Change("");
    EXPECT_EQ(nullptr, music.GetCurrent());
    Run(2000);
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_LT(Level(), 0.0005);
}

INSTANTIATE_TEST_SUITE_P(Display, MusicGameRun, ::testing::Values(false));
