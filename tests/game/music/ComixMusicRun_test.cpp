// The opening comic's music in the real game, with the file sound device: the
// menu's tune carries on under level 1's comic (it used to play in silence),
// and the button hands over to the cafe's stream.
#include "game/gameplay/KpBoard_Game3.h"
#include "game/screens/KpComix.h"
#include "tests/game/music/MusicGameTest.h"

namespace
{
class ComixMusicRun : public MusicGameTest
{
};
} // namespace

TEST_P(ComixMusicRun, TheMenuTunePlaysUnderTheOpeningComicAndTheCafeStreamFollows)
{
    if (!SoundCapture::Available())
        GTEST_SKIP() << "needs the file device that ctest sets up";
    ASSERT_NO_FATAL_FAILURE(LaunchWithProfile(L"Comic"));
    ASSERT_TRUE(Until([] { return Heard("main_menu"); }));

    StartLevelFromMenus(1);
    ASSERT_TRUE(
        Until([] { return gGameBoard3->IsLevelActive() && gGameBoard3->IsCutSceneShown(); }));
    auto* comix = dynamic_cast<KpComix*>(gGameBoard3->mComix);
    ASSERT_NE(nullptr, comix);

    // Well past the menu stream's fade-out: its tune plays on, at full level.
    ASSERT_TRUE(Until([&] { return comix->GetClock() >= 3.0f; }));
    EXPECT_EQ(nullptr, GetEngineMusic()->GetCurrent());
    EXPECT_TRUE(Heard("main_menu"));
    EXPECT_DOUBLE_EQ(1.0, Track("main_menu")->GetLevel());
    EXPECT_GT(Level(), 0.002) << "the comic played in silence";

    // The button: the comic's tune stops and the cafe's stream comes in.
    comix->Finish();
    ASSERT_TRUE(Until([] { return Heard("level1"); }));
    EXPECT_FALSE(Heard("main_menu"));
    EXPECT_EQ("level1", GetEngineMusic()->GetCurrent()->GetId());
}

INSTANTIATE_TEST_SUITE_P(Display, ComixMusicRun, ::testing::Values(false));
