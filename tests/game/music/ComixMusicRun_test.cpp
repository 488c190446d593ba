// The opening comic's music in the real game, with the file sound device: the
// menu's tune carries on under level 1's comic (it used to play in silence),
// and the button hands over to the cafe's stream. At each edge between them
// (the comic shown while the menu's stream fades out, the comic's end into the
// day, "Try again" into the comic) the tracks fade as cfg.xml says, one at a
// time, followed update by update.
#include <algorithm>
#include <cmath>

#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpBoard_Debriefing.h"
#include "game/screens/KpComix.h"
#include "tests/game/music/MusicGameTest.h"

namespace
{
class ComixMusicRun : public MusicGameTest
{
protected:
    // After every update: the steepest change of a track's level (silent when
    // not playing) in one update, and the most tracks playing at once.
    void FollowTracks()
    {
        mGame->mAfterUpdate = [this]
        {
            int playing = 0;
            for (const char* id : {"main_menu", "level1"})
            {
                MusicTrack* track = Track(id);
                double level = track->IsPlaying() ? track->GetLevel() : 0.0;
                playing += track->IsPlaying() ? 1 : 0;
                mSteepest = std::max(mSteepest, std::abs(level - mLevels[id[0] == 'm']));
                mLevels[id[0] == 'm'] = level;
            }
            mMostPlaying = std::max(mMostPlaying, playing);
        };
        mGame->mAfterUpdate();
        mSteepest = 0;
    }
    // A fade of F ms moves 10 / F an update; the quickest of cfg.xml is 1000 ms.
    void ExpectFadedOneAtATime(const char* edge)
    {
        EXPECT_LE(mSteepest, 0.0101) << edge << ": a track's level jumped";
        EXPECT_EQ(1, mMostPlaying) << edge << ": two tracks played together";
        mSteepest = 0;
        mMostPlaying = 0;
    }
    static bool AtFullLevel(const char* id) { return Heard(id) && Track(id)->GetLevel() == 1.0; }

    double mLevels[2] = {0, 0}; // level1, main_menu
    double mSteepest = 0;
    int mMostPlaying = 0;
};
} // namespace

TEST_P(ComixMusicRun, TheMenuTunePlaysUnderTheOpeningComicAndEveryEdgeFades)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(LaunchWithProfile(L"Comic"));
    ASSERT_TRUE(Until([] { return AtFullLevel("main_menu"); }));
    FollowTracks();

    // Shown while the menu's stream fades out: its tune goes back up and plays on.
    StartLevelFromMenus(1);
    ASSERT_TRUE(
        Until([] { return gGameBoard3->IsLevelActive() && gGameBoard3->IsCutSceneShown(); }));
    auto* comix = dynamic_cast<KpComix*>(gGameBoard3->mComix);
    ASSERT_NE(nullptr, comix);
    ASSERT_TRUE(Until([&] { return comix->GetClock() >= 3.0f; }));
    EXPECT_EQ(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_TRUE(AtFullLevel("main_menu"));
    EXPECT_GT(Level(), 0.002) << "the comic played in silence";
    ExpectFadedOneAtATime("comic shown");

    // The button: the comic's tune fades out, then the cafe's stream comes in.
    comix->Finish();
    ASSERT_TRUE(Until([] { return AtFullLevel("level1"); }));
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_EQ("level1", GetEngineMusic()->GetCurrent()->GetId());
    ExpectFadedOneAtATime("comic into the day");

    // "Try again" on the failed day: the cafe's tune fades out before the menu's comes in.
    gGameBoard3->mBriefing->Hide();
    auto* fail = dynamic_cast<KpBoard_Debriefing*>(gGameBoard3->mDebriefingFail);
    fail->Show();
    fail->OnButton(fail->replayButton);
    ASSERT_TRUE(Until([] { return gGameBoard3->IsCutSceneShown() && AtFullLevel("main_menu"); }));
    EXPECT_FALSE(Heard("level1"));
    ExpectFadedOneAtATime("try again into the comic");
    mGame->mAfterUpdate = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Display, ComixMusicRun, ::testing::Values(false));
